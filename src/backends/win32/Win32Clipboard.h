// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IClipboard.h"

// The system clipboard. A picture goes as a bitmap (CF_BITMAP); one with Alpha as a 32-bit
// bitmap with its opacity (CF_DIBV5) and as a PNG (the "PNG" format), which keep it.
class Win32Clipboard : public IClipboard {
  public:
    bool SetPicture(const Picture& picture) override;
};
