// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// The tip window's view, also the save notice's. Sizes and positions are in twips.
class ITipWindow {
  public:
    virtual ~ITipWindow() = default;
    // Width and height of a text, all its lines, in the window's font.
    virtual void MeasureText(const std::string& text, double& width, double& height) const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetGeometry(double left, double top, double width, double height) = 0;
    // Shows the window without taking the keyboard focus.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Hides the window after this many milliseconds, unless it is shown or hidden before.
    virtual void HideAfter(int milliseconds) = 0;
    virtual void Close() = 0;
};
