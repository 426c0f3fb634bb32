// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMenuService.h"

class QMenu;

class QtMenuService : public IMenuService {
  public:
    ScreenPoint CursorPos() const override;
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) override;

    // Adds the level's entries to the menu; an item's id is its action's data.
    static void Fill(QMenu& target, const MenuLevel& level);
};
