// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IScreen.h"

#include <QPoint>

// The desktop in device pixels: twips per device pixel, the primary screen, grabs.
class QtScreen : public IScreen {
  public:
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    ScreenArea PrimaryScreen() const override;
    ScreenArea WorkAreaOf(const ScreenArea& rect) const override;
    Picture Grab(int left, int top, int width, int height) override;

    // Qt's own coordinates of a device pixel: Qt scales each screen about its top-left
    // corner, which both coordinate systems share.
    static QPoint ToLogical(QPoint device);
    // The device pixel at a point in Qt's coordinates.
    static QPoint ToDevice(QPointF logical);
    // Device pixels per Qt pixel on the primary screen.
    static double DeviceRatio();
};
