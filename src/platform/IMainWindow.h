// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "platform/Region.h"

#include <functional>
#include <string>
#include <vector>

class IMainWindowListener;

enum class PointerShape { Default, Hand };

// A hot spot as assistive technology sees it: a button with a name, a description and a
// press action, at a place in the window's pixels.
struct AccessibleButton {
    int Id = 0; // what the press reports
    std::string Name;
    std::string Description;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The main window as the logic sees it. Positions and sizes are in twips.
class IMainWindow {
  public:
    virtual ~IMainWindow() = default;

    // The window reports its events to the listener; null: to nobody.
    virtual void SetListener(IMainWindowListener* listener) = 0;

    virtual double Left() const = 0;
    virtual double Top() const = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    // Left and Top at once, where each alone would ask the display server.
    virtual void Place(double& left, double& top) const {
        left = Left();
        top = Top();
    }
    virtual void Move(double left, double top) = 0;
    virtual void Resize(double width, double height) = 0;

    // The face of the window, drawn unscaled from its top-left corner.
    virtual void SetPicture(const Picture& picture) = 0;
    // Pixels outside the region are see-through and click-through.
    virtual void SetRegion(const Region& region) = 0;
    virtual void SetPointer(PointerShape shape) = 0;
    // The hot spots as buttons for assistive technology, replacing those given before.
    virtual void SetButtons(const std::vector<AccessibleButton>& buttons) = 0;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Closes the window; the program ends through its normal shutdown.
    virtual void Close() = 0;
    // Runs the task on the event loop once the event being handled is done; a task still
    // waiting when the window goes is dropped.
    virtual void Later(std::function<void()> task) = 0;
};
