#pragma once

#include "platform/IOptionsView.h"
#include "backends/win32/Win32Dialog.h"

// The options dialog: 489 x 254 pixels of client area, every control at its place.
class Win32OptionsDialog : public IOptionsView, private Win32Dialog {
  public:
    Win32OptionsDialog(frmOption& logic, HWND owner);
    ~Win32OptionsDialog() override;

    void Refresh(const OptionControls& controls) override;
    void RunModal() override;
    void Close() override;
    std::string PickFolder(const std::string& start) override;

    // Control numbers, for tests that find the controls.
    enum : int {
        IdOk = 1001, IdApply, IdCancel, IdFrame3, IdOption2, IdOption1, IdFrame2, IdCommand1,
        IdDefault, IdBrowse, IdText2, IdText1, IdLabel5, IdLabel4, IdFrame1, IdSlider1, IdLabel3,
        IdLabel2, IdLabel1
    };

  private:
    void Opened() override;
    bool Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
    void Show(const OptionControls& controls);
    HWND Control(int id) const { return GetDlgItem(Handle(), id); }

    frmOption& logic_;
    HWND owner_;
    OptionControls controls_;
    bool refreshing_ = false;
    bool closing_ = false;
};
