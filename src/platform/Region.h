// SPDX-License-Identifier: MIT

#pragma once

#include <vector>

// One rectangle of a region in pixels; right and bottom edges excluded.
struct RegionRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const RegionRect&) const = default;
};

// Non-overlapping rectangles, in bands from top to bottom and left to right within a band.
using Region = std::vector<RegionRect>;
