// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IClipboard.h"

class QtClipboard : public IClipboard {
  public:
    bool SetPicture(const Picture& picture) override;
};
