// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IScreen.h"

#include <cstdint>

// Copies a rectangle of the screen, in desktop pixels, into a new picture.
Picture CaptureScreenRect(IScreen& screen, std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height);
