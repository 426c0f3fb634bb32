// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Dialog.h"

#include <vector>

namespace {

void AppendText(std::vector<WORD>& block, const char* text) {
    for (; *text; ++text)
        block.push_back(static_cast<unsigned char>(*text));
    block.push_back(0);
}

} // namespace

void Win32Dialog::RunModal(HWND owner, DWORD style, const char* title, const char* fontFace) {
    // An empty template in the dialog font; the controls come in WM_INITDIALOG.
    std::vector<WORD> block;
    block.push_back(LOWORD(style | DS_SETFONT));
    block.push_back(HIWORD(style | DS_SETFONT));
    block.push_back(0); // extended style
    block.push_back(0);
    block.push_back(0); // no controls
    block.insert(block.end(), {0, 0, 10, 10});
    block.push_back(0); // no menu
    block.push_back(0); // the dialog class
    AppendText(block, title);
    block.push_back(8);
    AppendText(block, fontFace);
    DialogBoxIndirectParamA(ModuleInstance(), reinterpret_cast<DLGTEMPLATE*>(block.data()), owner,
                            Procedure, reinterpret_cast<LPARAM>(this));
    dialog_ = nullptr;
}

void Win32Dialog::End() {
    if (dialog_)
        EndDialog(dialog_, 0);
}

HWND Win32Dialog::Place(const char* type, const char* text, DWORD style, int id, int x, int y,
                        int w, int h, DWORD exStyle) {
    HWND control = CreateWindowExA(exStyle, type, text, WS_CHILD | style, x, y, w, h, dialog_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ModuleInstance(), nullptr);
    SendMessageA(control, WM_SETFONT, SendMessageA(dialog_, WM_GETFONT, 0, 0), FALSE);
    return control;
}

int Win32Dialog::TextWidth(HWND control) const {
    HDC dc = GetDC(control);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    const std::string text = WindowText(control);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return size.cx;
}

void Win32Dialog::FitWidth(HWND control) const {
    const int width = TextWidth(control);
    const RECT r = Bounds(control);
    if (width > r.right - r.left)
        SetWindowPos(control, nullptr, 0, 0, width, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Win32Dialog::Bounds(HWND control) const {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

INT_PTR CALLBACK Win32Dialog::Procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32Dialog*>(l);
        self->dialog_ = dialog;
        SetWindowLongPtrA(dialog, DWLP_USER, l);
        self->Opened();
        return FALSE; // the focus stays where Opened put it
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    INT_PTR result = 0;
    if (self && self->Message(message, w, l, result)) {
        // Colour messages answer with their brush itself.
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
            return result;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}
