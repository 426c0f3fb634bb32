// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMenuService.h"

#include <QPoint>

#include <functional>

class LayerSurface;
class WaylandClient;

// The context menu as popups of the phone's surface (a sub-menu a popup of its parent),
// drawn as Qt draws its menus. They grab the seat: a click outside the menu closes it and
// reaches nothing beneath.
class LiveMenuService : public IMenuService {
  public:
    // cursor: the pointer's last desktop device position.
    LiveMenuService(WaylandClient& client, LayerSurface& phone, std::function<QPoint()> cursor)
        : client_(client), phone_(phone), cursor_(std::move(cursor)) {}

    ScreenPoint CursorPos() const override;
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) override;

  private:
    WaylandClient& client_;
    LayerSurface& phone_;
    std::function<QPoint()> cursor_;
};
