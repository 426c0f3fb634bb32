// SPDX-License-Identifier: MIT

#include "backends/win32/Win32TipWindow.h"

#include "platform/IScreen.h"
#include "platform/Twips.h"

namespace {

constexpr char ClassName[] = "TarvikTip";
constexpr UINT_PTR HideTimer = 1;

HFONT TipFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CreateFontIndirectA(&metrics.lfStatusFont);
    return nullptr;
}

} // namespace

Win32TipWindow::Win32TipWindow(const IScreen& screen, const char* title)
    : screen_(screen), font_(TipFont()) {
    WNDCLASSEXA type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = Procedure;
    type.hInstance = ModuleInstance();
    type.hCursor = LoadCursor(nullptr, IDC_ARROW);
    type.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
    type.lpszClassName = ClassName;
    RegisterClassExA(&type);
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, ClassName, title,
                              WS_POPUP | WS_BORDER, 0, 0, 1, 1, nullptr, nullptr, ModuleInstance(),
                              nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32TipWindow::~Win32TipWindow() {
    Close();
    if (font_)
        DeleteObject(font_);
}

void Win32TipWindow::MeasureText(const std::string& text, double& width, double& height) const {
    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    RECT box{0, 0, 0, 0};
    const std::string shown = WindowsLineBreaks(text);
    DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &box,
              DT_CALCRECT | DT_LEFT | DT_TOP | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
    width = PixelsToTwips(box.right - box.left, screen_.TwipsPerPixelX());
    height = PixelsToTwips(box.bottom - box.top, screen_.TwipsPerPixelY());
}

void Win32TipWindow::SetText(const std::string& text) {
    text_ = WindowsLineBreaks(text);
    if (window_)
        InvalidateRect(window_, nullptr, TRUE);
}

void Win32TipWindow::SetGeometry(double left, double top, double width, double height) {
    const double tx = screen_.TwipsPerPixelX(), ty = screen_.TwipsPerPixelY();
    SetWindowPos(window_, HWND_TOPMOST, TwipsToPixels(left, tx), TwipsToPixels(top, ty),
                 TwipsToPixels(width, tx), TwipsToPixels(height, ty), SWP_NOACTIVATE);
}

void Win32TipWindow::Show() {
    KillTimer(window_, HideTimer);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
}

void Win32TipWindow::Hide() {
    KillTimer(window_, HideTimer);
    ShowWindow(window_, SW_HIDE);
}

void Win32TipWindow::HideAfter(int milliseconds) {
    SetTimer(window_, HideTimer, static_cast<UINT>(milliseconds), nullptr);
}

void Win32TipWindow::Close() {
    if (window_) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

void Win32TipWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    HGDIOBJ previous = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    // The text sits 45 twips in from the left, at the top.
    RECT box{};
    GetClientRect(window_, &box);
    box.left += TwipsToPixels(45, screen_.TwipsPerPixelX());
    DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &box,
              DT_LEFT | DT_TOP | DT_NOPREFIX);
    SelectObject(dc, previous);
    EndPaint(window_, &paint);
}

LRESULT CALLBACK Win32TipWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<Win32TipWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
        self->Paint();
        return 0;
    }
    if (message == WM_TIMER && w == HideTimer) {
        KillTimer(window, HideTimer);
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcA(window, message, w, l);
}
