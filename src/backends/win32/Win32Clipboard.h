#pragma once

#include "platform/IClipboard.h"

// The system clipboard, given pictures as bitmaps (CF_BITMAP).
class Win32Clipboard : public IClipboard {
  public:
    bool SetPicture(const Picture& picture) override;
};
