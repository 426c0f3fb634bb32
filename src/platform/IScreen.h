#pragma once

#include "platform/Picture.h"

#include <optional>

class IScreen {
public:
    virtual ~IScreen() = default;
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
    // Size of the screen the window starts on, in twips.
    virtual double WidthTwips() const = 0;
    virtual double HeightTwips() const = 0;
};
