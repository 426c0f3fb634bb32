#pragma once

#include "platform/IAboutView.h"
#include "backends/win32/Win32Dialog.h"

class frmAbout;

// The about box: a borderless 382 x 162 pixel dialog in RGB 192, 192, 255 whose links open
// through the shell and whose other parts close it on a click.
class Win32AboutBox : public IAboutView, private Win32Dialog {
  public:
    Win32AboutBox(frmAbout& logic, HWND owner);
    ~Win32AboutBox() override;

    void Show(const AboutTexts& texts) override;
    void Close() override;

    enum : int {
        IdPicture1 = 2001, IdIcon, IdLabel4, IdLabel3, IdLabel2, IdLabel1, IdDescription, IdTitle,
        IdVersion
    };

  private:
    void Opened() override;
    bool Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
    static bool IsLink(int id) { return id == IdLabel1 || id == IdLabel2 || id == IdLabel4; }

    frmAbout& logic_;
    HWND owner_;
    AboutTexts texts_;
    HBRUSH background_ = nullptr;
    HFONT bold_ = nullptr;
    HFONT underlined_ = nullptr;
    HBITMAP logo_ = nullptr;
};
