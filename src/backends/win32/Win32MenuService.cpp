// SPDX-License-Identifier: MIT

#include "backends/win32/Win32MenuService.h"

namespace {

HMENU Build(const MenuLevel& level) {
    HMENU menu = CreatePopupMenu();
    for (const MenuLevel::Entry& entry : level.Entries) {
        switch (entry.Type) {
        case MenuLevel::Kind::Separator:
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case MenuLevel::Kind::SubMenu:
            // The parent menu owns the sub-menu and destroys it with itself.
            AppendMenuA(
                menu, MF_STRING | MF_POPUP,
                reinterpret_cast<UINT_PTR>(entry.Sub ? Build(*entry.Sub) : CreatePopupMenu()),
                entry.Caption.c_str());
            break;
        case MenuLevel::Kind::CheckedItem:
            AppendMenuA(menu, MF_STRING | MF_CHECKED, static_cast<UINT_PTR>(entry.Id),
                        entry.Caption.c_str());
            break;
        case MenuLevel::Kind::Item:
            AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(entry.Id), entry.Caption.c_str());
            break;
        }
    }
    return menu;
}

} // namespace

ScreenPoint Win32MenuService::CursorPos() const {
    POINT at{};
    GetCursorPos(&at);
    return {at.x, at.y};
}

// The chosen number returned, no notifications, either button tracks.
constexpr UINT TrackFlags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
static_assert(TrackFlags == 0x182);

std::int32_t Win32MenuService::TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) {
    HMENU popup = Build(menu);
    // The menu's owner must be a window of this thread: the foreground window when it is
    // ours, else the main window.
    HWND owner = GetForegroundWindow();
    if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId())
        owner = fallbackOwner_;
    // The owner in front, so that a click elsewhere closes the menu.
    SetForegroundWindow(owner);
    const BOOL chosen = ::TrackPopupMenu(popup, TrackFlags, at.X, at.Y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(popup);
    return static_cast<std::int32_t>(chosen);
}
