// SPDX-License-Identifier: MIT

#include "backends/win32/Win32MainWindow.h"

#include "platform/IMainWindowListener.h"
#include "platform/IScreen.h"
#include "platform/Twips.h"

#include <windowsx.h>

namespace {

constexpr char ClassName[] = "TarvikMain";
// Posted for each task of Later.
constexpr UINT RunLaterMessage = WM_APP + 1;

// Virtual-key codes are the codes the logic acts on.
static_assert(Key::PageUp == VK_PRIOR && Key::PageDown == VK_NEXT && Key::Left == VK_LEFT &&
              Key::Up == VK_UP && Key::Right == VK_RIGHT && Key::Down == VK_DOWN &&
              Key::Digit0 == '0' && Key::Digit9 == '9' && Key::F1 == VK_F1);

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= Modifier::Shift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= Modifier::Ctrl;
    if (GetKeyState(VK_MENU) < 0)
        shift |= Modifier::Alt;
    return shift;
}

std::int16_t HeldButtons(WPARAM w) {
    std::int16_t held = 0;
    if (w & MK_LBUTTON)
        held |= Mouse::Left;
    if (w & MK_RBUTTON)
        held |= Mouse::Right;
    if (w & MK_MBUTTON)
        held |= Mouse::Middle;
    return held;
}

std::int16_t ChangedButton(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return Mouse::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return Mouse::Right;
    default:
        return Mouse::Middle;
    }
}

HCURSOR CursorFor(PointerShape shape) {
    return shape == PointerShape::Hand ? HandCursor() : LoadCursor(nullptr, IDC_ARROW);
}

} // namespace

Win32MainWindow::Win32MainWindow(const IScreen& screen) : screen_(screen) {
    WNDCLASSEXA type{};
    type.cbSize = sizeof type;
    type.style = CS_DBLCLKS;
    type.lpfnWndProc = Procedure;
    type.hInstance = ModuleInstance();
    type.hIcon = LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(IconResource));
    type.hIconSm = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IconResource),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    type.hCursor = LoadCursor(nullptr, IDC_ARROW);
    type.lpszClassName = ClassName;
    RegisterClassExA(&type);
    // A popup has no frame; the system menu lets the task bar close it.
    window_ = CreateWindowExA(WS_EX_APPWINDOW, ClassName, "Tarvik",
                              WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 1, 1, nullptr, nullptr,
                              ModuleInstance(), this);
}

Win32MainWindow::~Win32MainWindow() {
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

RECT Win32MainWindow::Bounds() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return r;
}

double Win32MainWindow::Left() const {
    return PixelsToTwips(Bounds().left, screen_.TwipsPerPixelX());
}
double Win32MainWindow::Top() const {
    return PixelsToTwips(Bounds().top, screen_.TwipsPerPixelY());
}
double Win32MainWindow::Width() const {
    const RECT r = Bounds();
    return PixelsToTwips(r.right - r.left, screen_.TwipsPerPixelX());
}
double Win32MainWindow::Height() const {
    const RECT r = Bounds();
    return PixelsToTwips(r.bottom - r.top, screen_.TwipsPerPixelY());
}

void Win32MainWindow::Move(double left, double top) {
    SetWindowPos(window_, nullptr, TwipsToPixels(left, screen_.TwipsPerPixelX()),
                 TwipsToPixels(top, screen_.TwipsPerPixelY()), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::Resize(double width, double height) {
    SetWindowPos(window_, nullptr, 0, 0, TwipsToPixels(width, screen_.TwipsPerPixelX()),
                 TwipsToPixels(height, screen_.TwipsPerPixelY()),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::SetPicture(const Picture& picture) {
    picture_ = picture;
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32MainWindow::SetRegion(const Region& region) {
    // The window owns the region from here on.
    if (!SetWindowRgn(window_, ToRegionHandle(region), TRUE))
        SetWindowRgn(window_, nullptr, TRUE);
}

void Win32MainWindow::SetPointer(PointerShape shape) {
    pointer_ = shape;
    POINT at{};
    GetCursorPos(&at);
    if (WindowFromPoint(at) == window_)
        SetCursor(CursorFor(shape));
}

void Win32MainWindow::Show() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_);
}

void Win32MainWindow::Hide() {
    ShowWindow(window_, SW_HIDE);
}

void Win32MainWindow::Close() {
    SendMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::Later(std::function<void()> task) {
    if (!window_)
        return;
    later_.push_back(std::move(task));
    if (!PostMessageA(window_, RunLaterMessage, 0, 0))
        later_.pop_back();
}

// The window has no frame: its corner is its client area's. The window rectangle is the
// place the program last set, or where the system has moved the window since.
float Win32MainWindow::TwipsX() const {
    const int x = GET_X_LPARAM(GetMessagePos()) - Bounds().left;
    return static_cast<float>(x * screen_.TwipsPerPixelX());
}

float Win32MainWindow::TwipsY() const {
    const int y = GET_Y_LPARAM(GetMessagePos()) - Bounds().top;
    return static_cast<float>(y * screen_.TwipsPerPixelY());
}

void Win32MainWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (picture_ && picture_->Width > 0 && picture_->Height > 0) {
        // Unscaled from the top-left corner.
        const BITMAPINFO info = DibInfo(picture_->Width, picture_->Height);
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture_->Width),
                          static_cast<DWORD>(picture_->Height), 0, 0, 0,
                          static_cast<UINT>(picture_->Height), picture_->Pixels.data(), &info,
                          DIB_RGB_COLORS);
    }
    EndPaint(window_, &paint);
}

LRESULT CALLBACK Win32MainWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self = nullptr;
    }
    return self ? self->Handle(message, w, l) : DefWindowProcA(window, message, w, l);
}

LRESULT Win32MainWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT) {
            SetCursor(CursorFor(pointer_));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // Held while a button is down, so that a fast drag keeps the window.
        SetCapture(window_);
        events_.MouseDown(ChangedButton(message), ShiftState(), TwipsX(), TwipsY());
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        SetCapture(window_);
        // A double click may open the Save dialog: the pointer must be free for it.
        events_.DoubleClick(ChangedButton(message), ShiftState(), TwipsX(), TwipsY(),
                            [] { ReleaseCapture(); });
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
            ReleaseCapture();
        events_.MouseUp(ChangedButton(message), ShiftState(), TwipsX(), TwipsY());
        return 0;
    case WM_MOUSEMOVE: {
        // Ask to hear when the pointer leaves, off the edge or into the hole.
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window_, 0};
        TrackMouseEvent(&track);
        events_.MouseMove(HeldButtons(w), ShiftState(), TwipsX(), TwipsY());
        return 0;
    }
    case WM_MOUSELEAVE:
        events_.MouseLeave();
        return 0;
    case WM_KEYDOWN:
        if (w <= 0xff)
            events_.KeyDown(static_cast<std::int16_t>(w), ShiftState());
        return 0;
    case WM_SYSKEYDOWN:
        // F10 comes as a system key; Shift+F10 opens the context menu.
        if (w != VK_F10)
            break;
        events_.KeyDown(static_cast<std::int16_t>(w), ShiftState());
        return 0;
    case WM_CLOSE:
        events_.Unload();
        DestroyWindow(window_);
        return 0;
    case RunLaterMessage:
        if (!later_.empty()) {
            const auto task = std::move(later_.front());
            later_.pop_front();
            task();
        }
        return 0;
    case WM_DESTROY:
        later_.clear();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window_, message, w, l);
}
