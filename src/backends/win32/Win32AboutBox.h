// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Dialog.h"
#include "platform/IAboutListener.h"
#include "platform/IAboutView.h"

// The about box: a borderless dialog whose links and other parts report their clicks to the
// listener.
class Win32AboutBox : public IAboutView, private Win32Dialog {
  public:
    Win32AboutBox(IAboutListener& listener, HWND owner);
    ~Win32AboutBox() override;

    void Show(const AboutTexts& texts) override;
    void Close() override;

    enum : int {
        IdPicture1 = 2001,
        IdIcon,
        IdLabel4,
        IdLabel3,
        IdLabel2,
        IdLabel1,
        IdDescription,
        IdTitle,
        IdVersion
    };

  private:
    void Opened() override;
    bool Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
    static bool IsLink(int id) { return id == IdLabel1 || id == IdLabel2 || id == IdLabel4; }

    IAboutListener& listener_;
    HWND owner_;
    AboutTexts texts_;
    HBRUSH background_ = nullptr;
    HFONT bold_ = nullptr;
    HFONT underlined_ = nullptr;
    HBITMAP logo_ = nullptr;
};
