// SPDX-License-Identifier: MIT

#pragma once

#include "skin/SkinRect.h"

#include <string_view>

// Reads the longest leading decimal number of a text, blanks and tabs skipped; 0 when none.
double ReadNumber(std::string_view text);

// Reads "(x, y, w, h)" into target's Left, Top, Right, Bottom, in that order. False on an
// empty text, fewer than three commas, or a value outside 16 bits; fields written before
// the error stay written.
bool ParseRect(std::string_view text, SkinRect& target);
