#pragma once

#include "platform/IDialogs.h"
#include "platform/IOptionsView.h"

#include <functional>
#include <string>

// The options dialog's logic. It edits copies in its controls; the owner's
// ExchangeSettingData moves them to and from the settings.
class frmOption {
  public:
    // exchange(true) copies the controls to the settings, exchange(false) the other way.
    frmOption(std::function<void(bool optionDialogToMain)> exchange, IDialogs& dialogs);

    // Fills the controls from the settings; opens unchanged.
    void Form_Load(IOptionsView* view);

    // Events of the controls.
    void btnOk_Click() { ApplyChanges(true); }
    void btnApply_Click() { ApplyChanges(false); }
    void btnCancel_Click() { Close(); }
    void btnDefault_Click();
    void Command1_Click();
    void btnBrowse_Click();
    void Slider1_Change(int position);
    void Text2_Change(const std::string& text);
    void Option1_Click();
    void Option2_Click();

    void ApplyChanges(bool closeAfter);
    void SetChanged(bool value);
    void Close();

    // Setting a control the way a user's edit would, notifications included.
    void SetSlider(int position) { Slider1_Change(position); }
    void SetOptions(bool skin);

    OptionControls Controls;
    bool Changed = false;
    bool Closed = false;

  private:
    void Refresh();

    std::function<void(bool)> exchange_;
    IDialogs& dialogs_;
    IOptionsView* view_ = nullptr;
};
