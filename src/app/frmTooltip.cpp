// SPDX-License-Identifier: MIT

#include "app/frmTooltip.h"

#include "app/DisplayText.h"

ITipWindow& frmTooltip::Window() {
    if (!window_)
        window_ = factory_.CreateTipWindow();
    return *window_;
}

void frmTooltip::ShowTip(const std::string& text, float X, float Y, double mainLeft,
                         double mainTop) {
    ITipWindow& window = Window();
    const std::string shown = ShortenForDisplay(text);
    window.SetText(shown);
    double width = 0, height = 0;
    window.MeasureText(shown, width, height);
    const float left = static_cast<float>(mainLeft) + X + 200.0f;
    const float top = static_cast<float>(mainTop) + Y + 200.0f;
    window.SetGeometry(left, top, width + 100, height);
    window.Show();
}

void frmTooltip::Hide() {
    Window().Hide();
}

void frmTooltip::Close() {
    if (window_)
        window_->Close();
    window_.reset();
}
