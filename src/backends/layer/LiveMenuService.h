// SPDX-License-Identifier: MIT
// Placeholder until the real one lands on this branch.
#pragma once
#include "backends/layer/WaylandClient.h"
#include "platform/IMenuService.h"
#include <QPoint>
#include <functional>
class LiveMenuService : public IMenuService {
  public:
    LiveMenuService(WaylandClient&, std::function<QPoint()> f) : f_(std::move(f)) {}
    ScreenPoint CursorPos() const override { return {f_().x(), f_().y()}; }
    std::int32_t TrackPopupMenu(const MenuLevel&, ScreenPoint) override { return 0; }

  private:
    std::function<QPoint()> f_;
};
