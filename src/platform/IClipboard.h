// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"

class IClipboard {
  public:
    virtual ~IClipboard() = default;
    // Puts a picture on the system clipboard, with its opacity where a format keeps it (a
    // picture with Alpha); false when the clipboard refuses it.
    virtual bool SetPicture(const Picture& picture) = 0;
};
