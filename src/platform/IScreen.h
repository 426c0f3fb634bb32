// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"

#include <string>

// A rectangle of the desktop in twips.
struct ScreenArea {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

class IScreen {
  public:
    virtual ~IScreen() = default;
    // Twips per device pixel, whatever scale the desktop gives its windows.
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
    // The primary screen's place on the desktop, which need not start at (0, 0).
    virtual ScreenArea PrimaryScreen() const = 0;
    // The part of the screen that a rectangle of the desktop (in twips) stands on, the screen
    // it overlaps most, that windows may cover: the screen less its panels and docks.
    virtual ScreenArea WorkAreaOf(const ScreenArea& rect) const {
        static_cast<void>(rect);
        return PrimaryScreen();
    }
    // Copies a rectangle of the whole desktop, in pixels, into a width x height picture;
    // parts that lie on no screen are black. Null for an empty rectangle.
    virtual Picture Grab(int left, int top, int width, int height) = 0;
    // Why the last Grab gave no picture, where the screen knows; empty otherwise.
    virtual std::string WhyNoPicture() const { return {}; }
};
