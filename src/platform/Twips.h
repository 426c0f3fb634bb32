// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

// Conversions between twips and pixels; results round half to even.
double RoundHalfEven(double value);
std::int16_t ToInt16Saturated(double value);
int TwipsToPixels(double twips, double twipsPerPixel);
double PixelsToTwips(int pixels, double twipsPerPixel);
