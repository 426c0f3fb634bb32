// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "platform/Region.h"
#include "skin/SkinRect.h"

// The window's outline: every pixel whose colour differs from pixel (0, 0) (in a picture
// with Alpha: every pixel whose opacity is at least 128 of 255), less the shot rectangle
// (right and bottom edges excluded). Rows with the same runs merge into bands.
Region ComputeWindowShape(const Image& image, const SkinRect& shot);
// The same into a region whose memory is reused from call to call.
void ComputeWindowShape(const Image& image, const SkinRect& shot, Region& region);
