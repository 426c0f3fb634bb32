// SPDX-License-Identifier: MIT

#include "skin/SkinRect.h"

bool SkinRect::Holds(int px, int py) const {
    return Left <= px && px <= Right && Top <= py && py <= Bottom;
}
