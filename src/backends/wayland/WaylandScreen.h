// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IScreen.h"

#include <QImage>
#include <QRect>

// The screen on Wayland: a frozen screenshot of the desktop, in device pixels. Captures are
// cut from it; a pixel of it is a pixel of the skin.
class WaylandScreen : public IScreen {
  public:
    // The desktop's picture, and the part of it that the primary screen shows.
    void SetDesktop(const QImage& desktop, QRect primary);
    const QImage& Desktop() const { return desktop_; }

    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    ScreenArea PrimaryScreen() const override;
    Picture Grab(int left, int top, int width, int height) override;

  private:
    QImage desktop_;
    QRect primary_;
};
