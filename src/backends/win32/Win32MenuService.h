// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/IMenuService.h"

// Popup menus of the system, built for one call and destroyed when it returns.
class Win32MenuService : public IMenuService {
  public:
    explicit Win32MenuService(HWND fallbackOwner = nullptr) : fallbackOwner_(fallbackOwner) {}
    ScreenPoint CursorPos() const override;
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) override;

  private:
    HWND fallbackOwner_;
};
