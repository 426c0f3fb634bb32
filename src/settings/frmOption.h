// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IDialogs.h"
#include "platform/IOptionsListener.h"
#include "platform/IOptionsView.h"

#include <functional>
#include <string>

// The options dialog's logic. It edits copies in its controls; the owner's
// ExchangeSettingData moves them to and from the settings.
class frmOption : public IOptionsListener {
  public:
    // exchange(true) copies the controls to the settings, exchange(false) the other way.
    frmOption(std::function<void(bool optionDialogToMain)> exchange, IDialogs& dialogs);

    // Fills the controls from the settings; opens unchanged.
    void Form_Load(IOptionsView* view);

    // Events of the controls.
    void btnOk_Click() override { ApplyChanges(true); }
    void btnApply_Click() override { ApplyChanges(false); }
    void btnCancel_Click() override { Close(); }
    void btnDefault_Click() override;
    void Command1_Click() override;
    void btnBrowse_Click() override;
    void Slider1_Change(int position) override;
    void Text2_Change(const std::string& text) override;
    void Option1_Click() override;
    void Option2_Click() override;

    void ApplyChanges(bool closeAfter);
    void SetChanged(bool value);
    void Close();

    // Setting a control the way a user's edit would, notifications included.
    void SetSlider(int position) { Slider1_Change(position); }
    void SetOptions(bool skin);

    OptionControls Controls; // the defaults until the first exchange
    bool Changed = false;
    bool Closed = false;

  private:
    void Refresh();

    std::function<void(bool)> exchange_;
    IDialogs& dialogs_;
    IOptionsView* view_ = nullptr;
};
