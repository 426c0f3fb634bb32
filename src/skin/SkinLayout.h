// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "skin/SkinRect.h"

// The current skin: its picture and rectangles.
struct SkinLayout {
    Picture SkinImage;
    SkinRect ShotRect;
    SkinRect CloseRect;
    SkinRect SaveRect;
    SkinRect SaveAsRect;
    SkinRect ModeRect;
};

// Rectangle texts of the built-in skin.
namespace BuiltinSkin {
inline constexpr const char* Shot = "(33, 88, 128, 127)";
inline constexpr const char* Close = "(149, 22, 16, 16)";
inline constexpr const char* Save = "(26, 251, 40, 20)";
inline constexpr const char* SaveAs = "(130,251, 40, 20)";
inline constexpr const char* Mode = "(47,44, 100, 15)";
inline constexpr int Width = 193;
inline constexpr int Height = 448;
} // namespace BuiltinSkin

struct SkinCatalogue;

// Puts back the built-in picture (kept in picture2), its rectangles, and Current = 0.
void SetDefaultSkin(SkinLayout& layout, SkinCatalogue& catalogue, const Picture& picture2);
