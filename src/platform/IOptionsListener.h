// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// What the options dialog's view reports: the user's edits and clicks.
class IOptionsListener {
  public:
    virtual ~IOptionsListener() = default;
    virtual void btnOk_Click() = 0;
    virtual void btnApply_Click() = 0;
    // Also the close box.
    virtual void btnCancel_Click() = 0;
    virtual void btnDefault_Click() = 0;
    virtual void Command1_Click() = 0;
    virtual void btnBrowse_Click() = 0;
    virtual void Slider1_Change(int position) = 0;
    virtual void Text2_Change(const std::string& text) = 0;
    virtual void Option1_Click() = 0;
    virtual void Option2_Click() = 0;
};
