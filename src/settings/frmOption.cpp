// SPDX-License-Identifier: MIT

#include "settings/frmOption.h"

#include "settings/AppSettings.h"

#include <algorithm>

frmOption::frmOption(std::function<void(bool)> exchange, IDialogs& dialogs)
    : exchange_(std::move(exchange)), dialogs_(dialogs) {
    Controls.Slider1 = DefaultJpegQuality;
    Controls.Label3 = std::to_string(DefaultJpegQuality) + "%";
    Controls.Text1 = DefaultAutoSavePath;
    Controls.Text2 = DefaultAutoNamePrefix;
    Controls.Option1 = DefaultViewModeSkin;
    Controls.Option2 = !DefaultViewModeSkin;
}

void frmOption::Form_Load(IOptionsView* view) {
    view_ = view;
    exchange_(false);
    SetChanged(false);
}

void frmOption::Refresh() {
    Controls.ApplyEnabled = Changed;
    if (view_)
        view_->Refresh(Controls);
}

void frmOption::SetChanged(bool value) {
    Changed = value;
    Refresh();
}

void frmOption::Slider1_Change(int position) {
    Controls.Slider1 = std::clamp(position, 0, 100);
    Controls.Label3 = std::to_string(Controls.Slider1) + "%";
    SetChanged(true);
}

void frmOption::Text2_Change(const std::string& text) {
    Controls.Text2 = text;
    SetChanged(true);
}

void frmOption::SetOptions(bool skin) {
    Controls.Option1 = skin;
    Controls.Option2 = !skin;
    SetChanged(true);
}

void frmOption::Option1_Click() {
    SetOptions(true);
}

void frmOption::Option2_Click() {
    SetOptions(false);
}

void frmOption::btnDefault_Click() {
    Controls.Text1 = DefaultAutoSavePath;
    SetChanged(true);
}

void frmOption::Command1_Click() {
    Text2_Change(DefaultAutoNamePrefix);
}

void frmOption::btnBrowse_Click() {
    // A folder picked here replaces the path; a cancelled pick keeps it.
    if (view_) {
        const std::string folder = view_->PickFolder(Controls.Text1);
        if (!folder.empty())
            Controls.Text1 = folder;
    }
    SetChanged(true);
}

void frmOption::ApplyChanges(bool closeAfter) {
    if (Changed) {
        if (Controls.Text2.empty()) {
            dialogs_.MessageBox("Prefix must not be empty");
            return;
        }
        exchange_(true);
        SetChanged(false);
    }
    if (closeAfter)
        Close();
}

void frmOption::Close() {
    Closed = true;
    if (view_)
        view_->Close();
}
