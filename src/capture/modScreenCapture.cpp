// SPDX-License-Identifier: MIT

#include "capture/modScreenCapture.h"

Picture CaptureScreenRect(IScreen& screen, std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    return screen.Grab(left, top, width, height);
}
