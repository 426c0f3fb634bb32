// SPDX-License-Identifier: MIT
// Placeholder until the real one lands on this branch.
#pragma once
#include "backends/layer/WaylandClient.h"
#include "platform/IScreen.h"
class LiveScreen : public IScreen {
  public:
    explicit LiveScreen(WaylandClient& c) : c_(c) {}
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    ScreenArea PrimaryScreen() const override {
        const QRect r = c_.Outputs().front()->Device();
        return {r.x() * 15.0, r.y() * 15.0, r.width() * 15.0, r.height() * 15.0};
    }
    Picture Grab(int, int, int, int) override { return nullptr; }

  private:
    WaylandClient& c_;
};
