// SPDX-License-Identifier: MIT

#include "menus/frmAbout.h"

#include <string>

void frmAbout::Form_Load() {
    Texts.Title = "Tarvik";
    Texts.Caption = "About " + Texts.Title;
    Texts.Version = "Version " + std::to_string(version_.Major) + "." +
                    std::to_string(version_.Minor) + "." + std::to_string(version_.Revision);
    Texts.Description = "Captures part of your PC screen for use on your phone";
    Texts.Notice = "2026 The Tarvik developers";
    // Both set once, in CMakeLists.txt.
    Texts.Email = TARVIK_MAIL_ADDRESS;
    Texts.WebSite = TARVIK_WEB_SITE;
    Texts.SkinsLink = "Latest skins";
}

void frmAbout::Show(IAboutView& view) {
    view_ = &view;
    view.Show(Texts);
    view_ = nullptr;
}

void frmAbout::Label1_Click() {
    shell_.Open("mailto:" + Texts.Email +
                "?Subject=About Tarvik&Body=Questions, suggestions or submission of DIY skins.");
}

void frmAbout::Label2_Click() {
    shell_.Open(Texts.WebSite);
}

void frmAbout::Label4_Click() {
    shell_.Open(Texts.WebSite + "/tarvik/skins.htm");
}

void frmAbout::Form_Click() {
    if (view_)
        view_->Close();
}
