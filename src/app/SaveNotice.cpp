// SPDX-License-Identifier: MIT

#include "app/SaveNotice.h"

#include "app/DisplayText.h"

std::string SaveNotice::Text(const std::string& fileName, const std::string& folder) {
    return "Saved " + fileName + "\r\nin " + folder;
}

void SaveNotice::Show(const std::string& fileName, const std::string& folder,
                      const ScreenArea& phone, const ScreenArea& screen) {
    if (!window_)
        window_ = factory_.CreateNoticeWindow();
    const std::string shown = ShortenForDisplay(Text(fileName, folder));
    window_->SetText(shown);
    double width = 0, height = 0;
    window_->MeasureText(shown, width, height);
    width += 100; // as the tip: 45 twips before the text, 55 after
    double left = phone.Left + phone.Width + Gap;
    if (left + width > screen.Left + screen.Width && phone.Left - Gap - width >= screen.Left)
        left = phone.Left - Gap - width;
    const double top = phone.Top + (phone.Height - height) / 2;
    window_->SetGeometry(left, top, width, height);
    window_->Show();
    window_->HideAfter(ShownMilliseconds);
}

void SaveNotice::Close() {
    if (window_)
        window_->Close();
    window_.reset();
}
