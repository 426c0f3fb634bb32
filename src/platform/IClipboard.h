#pragma once

#include "platform/Picture.h"

class IClipboard {
  public:
    virtual ~IClipboard() = default;
    // Puts a picture on the system clipboard; false when the clipboard refuses it.
    virtual bool SetPicture(const Picture& picture) = 0;
};
