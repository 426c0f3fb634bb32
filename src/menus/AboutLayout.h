// SPDX-License-Identifier: MIT

#pragma once

#include "platform/DialogLayout.h"

// The about box as every view draws it: a borderless box whose labels show the texts
// frmAbout gives them.
namespace AboutLayout {

inline constexpr int Width = 382; // client area
inline constexpr int Height = 162;
inline constexpr RgbColour Background{192, 192, 255};
inline constexpr RgbColour LinkColour{0, 0, 255};
inline constexpr const char* FontFace = "MS Sans Serif";
inline constexpr double FontPoints = 8.25;

inline constexpr ControlPlace Picture1{"", 16, 112, 34, 34}; // the logo
inline constexpr ControlPlace picIcon{"", 16, 16, 34, 34};
inline constexpr ControlPlace Label4{"", 192, 136, 57, 17}; // "Latest skins"
inline constexpr ControlPlace Label3{"", 72, 88, 161, 17};  // the notice
inline constexpr ControlPlace Label2{"", 72, 136, 105, 17}; // the web site
inline constexpr ControlPlace Label1{"", 72, 112, 121, 17}; // the e-mail address
inline constexpr ControlPlace lblDescription{"", 72, 64, 305, 17};
inline constexpr ControlPlace lblTitle{"", 72, 16, 265, 17};
inline constexpr ControlPlace lblVersion{"", 72, 40, 265, 17};

// Where a wider font makes the web address longer, the skins link keeps this far to its
// right.
inline constexpr int LinkGap = 12;
// The margin right of the widest label, which a wider font keeps.
inline constexpr int RightMargin = Width - (lblDescription.Left + lblDescription.Width);

} // namespace AboutLayout
