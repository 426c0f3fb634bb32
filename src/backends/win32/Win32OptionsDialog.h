// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Dialog.h"
#include "platform/IOptionsListener.h"
#include "platform/IOptionsView.h"

// The options dialog: every control at its place; edits go to the listener.
class Win32OptionsDialog : public IOptionsView, private Win32Dialog {
  public:
    Win32OptionsDialog(IOptionsListener& listener, HWND owner);
    ~Win32OptionsDialog() override;

    void Refresh(const OptionControls& controls) override;
    void RunModal() override;
    void Close() override;
    std::string PickFolder(const std::string& start) override;

    // Control numbers, for tests that find the controls.
    enum : int {
        IdOk = 1001,
        IdApply,
        IdCancel,
        IdFrame3,
        IdOption2,
        IdOption1,
        IdFrame2,
        IdCommand1,
        IdDefault,
        IdBrowse,
        IdText2,
        IdText1,
        IdLabel5,
        IdLabel4,
        IdFrame1,
        IdSlider1,
        IdLabel3,
        IdLabel2,
        IdLabel1
    };

  private:
    void Opened() override;
    bool Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
    void Show(const OptionControls& controls);
    HWND Control(int id) const { return GetDlgItem(Handle(), id); }

    IOptionsListener& listener_;
    HWND owner_;
    OptionControls controls_;
    bool refreshing_ = false;
    bool closing_ = false;
};
