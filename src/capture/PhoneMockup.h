// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "skin/SkinRect.h"

// The phone with the capture in its display: the skin picture at its own size, with Alpha.
// Pixels the window's outline leaves out are see-through (their colour kept), the shot
// area holds the capture pixel for pixel, every other pixel is the skin's, opaque; a skin
// with Alpha keeps its own opacity outside the shot area. Null when memory runs out.
Picture ComposePhoneMockup(const Image& skin, const SkinRect& shot, const Image& capture);
