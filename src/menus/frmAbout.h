#pragma once

#include "platform/IAboutView.h"
#include "platform/IShell.h"

// The about box's logic: its texts, and the three links that open through the shell.
class frmAbout {
  public:
    explicit frmAbout(IShell& shell) : shell_(shell) {}

    // Sets every text afresh.
    void Form_Load();
    void Show(IAboutView& view);

    void Label1_Click(); // the e-mail address
    void Label2_Click(); // the web site
    void Label4_Click(); // "Latest skins"
    // A click anywhere else closes the box.
    void Form_Click();

    AboutTexts Texts;

  private:
    IShell& shell_;
    IAboutView* view_ = nullptr;
};
