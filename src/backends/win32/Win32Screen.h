// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IScreen.h"

// The screen through GDI: its pixels per inch and a block copy of the desktop.
class Win32Screen : public IScreen {
  public:
    Win32Screen();
    double TwipsPerPixelX() const override { return twipsPerPixelX_; }
    double TwipsPerPixelY() const override { return twipsPerPixelY_; }
    ScreenArea PrimaryScreen() const override;
    ScreenArea WorkAreaOf(const ScreenArea& rect) const override;
    Picture Grab(int left, int top, int width, int height) override;

  private:
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
};
