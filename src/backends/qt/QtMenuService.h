// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMenuService.h"

class QMenu;

class QtMenuService : public IMenuService {
  public:
    ScreenPoint CursorPos() const override;
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) override;

  private:
    static void Fill(QMenu& target, const MenuLevel& level);
};
