// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMenuService.h"

#include <QPoint>

#include <functional>

class WaylandClient;

// The context menu as layer surfaces of ours, drawn as Qt draws its menus. While it is
// open, a see-through surface over each output takes the pointer and the keyboard, as a
// popup's grab does: a click outside the menu closes it and reaches nothing beneath.
class LiveMenuService : public IMenuService {
  public:
    // cursor: the pointer's last desktop device position.
    LiveMenuService(WaylandClient& client, std::function<QPoint()> cursor)
        : client_(client), cursor_(std::move(cursor)) {}

    ScreenPoint CursorPos() const override;
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) override;

  private:
    WaylandClient& client_;
    std::function<QPoint()> cursor_;
};
