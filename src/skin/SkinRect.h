// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

// Left, Top, Right, Bottom in pixels of the skin picture; Right = x + w, Bottom = y + h.
struct SkinRect {
    std::int16_t Left = 0;
    std::int16_t Top = 0;
    std::int16_t Right = 0;
    std::int16_t Bottom = 0;

    // As a hot spot: all four edges count.
    bool Holds(int px, int py) const;
    bool operator==(const SkinRect&) const = default;
};

// The absent hot spot "(-1,-1,-1,-1)".
inline constexpr SkinRect AbsentRect{-1, -1, -2, -2};
