// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "skin/SkinRect.h"

#include <optional>
#include <string>

// A skin's rectangles found in its picture.
struct FoundSkin {
    SkinRect Shot;
    SkinRect Close;
    SkinRect Save;
    SkinRect SaveAs;
};

// The hot spots' sizes as a skin file writes them (edges included, so one pixel more).
inline constexpr int FoundCloseSize = 16;
inline constexpr int FoundKeyWidth = 40;
inline constexpr int FoundKeyHeight = 16;

// Reads a skin from a picture by what the window would leave see-through (the key colour,
// or with Alpha an opacity below one half). The display is the largest rectangle of
// see-through pixels that the opaque frame encloses: see-through pixels joined to the
// picture's border are not enclosed. Close goes on the frame above the display, as near
// to it and as far right as there is room; Quick Save and Save As on the frame below it,
// left and right of its middle; a hot spot without room is absent. Nothing when no
// see-through pixel is enclosed, or memory runs out.
std::optional<FoundSkin> FindSkinInPicture(const Image& image);

// The skin file for a picture in the same folder, lines ending in CR LF.
std::string SkinFileText(const std::string& pictureName, const FoundSkin& skin);
