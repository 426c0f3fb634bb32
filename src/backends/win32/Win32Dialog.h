// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/DialogLayout.h"

#include <commctrl.h>

#include <string>

// A modal dialog of the system's dialog manager whose controls are placed in pixels when
// it opens. Subclasses place the controls and answer the messages.
class Win32Dialog {
  public:
    virtual ~Win32Dialog() = default;

  protected:
    // Runs the dialog modally over the owner, in an 8-point font of the face; returns when
    // End is called.
    void RunModal(HWND owner, DWORD style, const char* title,
                  const char* fontFace = "MS Shell Dlg");
    void End();
    HWND Handle() const { return dialog_; }

    // A child control at a place in pixels, in the dialog's font.
    HWND Place(const char* type, const char* text, DWORD style, int id, int x, int y, int w, int h,
               DWORD exStyle = 0);
    // The same at a layout's place, with its caption.
    HWND Place(const char* type, const ControlPlace& at, DWORD style, int id, DWORD exStyle = 0) {
        return Place(type, at.Caption, style, id, at.Left, at.Top, at.Width, at.Height, exStyle);
    }
    // Widens a label whose text is wider than its place, to the right.
    void FitWidth(HWND control) const;
    // The width of a control's text in its font, in pixels.
    int TextWidth(HWND control) const;
    // A control's place in the dialog's client area.
    RECT Bounds(HWND control) const;

    virtual void Opened() = 0;
    // A message for the dialog; true when handled, with the result in result.
    virtual bool Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) = 0;

  private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM w, LPARAM l);
    HWND dialog_ = nullptr;
};
