// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IAboutListener.h"
#include "platform/IAboutView.h"
#include "platform/IShell.h"
#include "platform/ProgramVersion.h"

// The about box's logic: its texts, and the three links that open through the shell.
class frmAbout : public IAboutListener {
  public:
    // version is the program's, as the platform gives it.
    frmAbout(IShell& shell, VersionNumbers version) : shell_(shell), version_(version) {}

    // Sets every text afresh.
    void Form_Load();
    void Show(IAboutView& view);

    void Label1_Click() override; // the e-mail address
    void Label2_Click() override; // the web site
    void Label4_Click() override; // "Latest skins"
    // A click anywhere else closes the box.
    void Form_Click() override;

    AboutTexts Texts;

  private:
    IShell& shell_;
    VersionNumbers version_;
    IAboutView* view_ = nullptr;
};
