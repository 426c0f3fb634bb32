#pragma once

#include "platform/Picture.h"
#include "platform/Region.h"

class IMainWindowListener;

enum class PointerShape { Default, Hand };

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
    virtual void Move(double left, double top) = 0;
    virtual void Resize(double width, double height) = 0;

    // The face of the window, drawn unscaled from its top-left corner.
    virtual void SetPicture(const Picture& picture) = 0;
    // Pixels outside the region are see-through and click-through.
    virtual void SetRegion(const Region& region) = 0;
    virtual void SetPointer(PointerShape shape) = 0;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Closes the window; the program ends through its normal shutdown.
    virtual void Close() = 0;
};
