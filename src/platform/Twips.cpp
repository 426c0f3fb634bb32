// SPDX-License-Identifier: MIT

#include "platform/Twips.h"

#include <cfenv>
#include <cmath>

double RoundHalfEven(double value) {
    // nearbyint follows the current rounding mode, which the program never changes from
    // round-to-nearest-even.
    return std::nearbyint(value);
}

std::int16_t ToInt16Saturated(double value) {
    const double r = RoundHalfEven(value);
    if (!(r >= -32768.0)) // also catches NaN
        return -32768;
    if (r > 32767.0)
        return 32767;
    return static_cast<std::int16_t>(r);
}

int TwipsToPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(RoundHalfEven(twips / twipsPerPixel));
}

double PixelsToTwips(int pixels, double twipsPerPixel) {
    return pixels * twipsPerPixel;
}
