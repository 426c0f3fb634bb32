#pragma once

#include "platform/Picture.h"

class IScreen {
  public:
    virtual ~IScreen() = default;
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
    // Size of the screen the window starts on, in twips.
    virtual double WidthTwips() const = 0;
    virtual double HeightTwips() const = 0;
    // Copies a rectangle of the whole desktop, in pixels, into a width x height picture;
    // parts that lie on no screen are black. Null for an empty rectangle.
    virtual Picture Grab(int left, int top, int width, int height) = 0;
};
