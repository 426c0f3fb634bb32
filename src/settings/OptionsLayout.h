// SPDX-License-Identifier: MIT

#pragma once

#include "platform/DialogLayout.h"

#include <algorithm>

// The options dialog as every view draws it. The slider, Label3 and the two text boxes
// show what the logic gives them and have no caption of their own.
namespace OptionsLayout {

inline constexpr const char* Caption = "Tarvik Options";
inline constexpr int Width = 489; // client area
inline constexpr int Height = 254;
inline constexpr double FontPoints = 8.25;

inline constexpr ControlPlace btnOk{"&OK", 112, 216, 73, 25};
inline constexpr ControlPlace btnApply{"&Apply", 216, 216, 73, 25};
inline constexpr ControlPlace btnCancel{"&Cancel", 320, 216, 73, 25};

inline constexpr ControlPlace Frame1{"JPEG Quality", 16, 16, 457, 81};
// In Frame1.
inline constexpr ControlPlace Slider1{"", 16, 16, 425, 25};
inline constexpr ControlPlace Label1{"Best Compression", 24, 48, 89, 17};
inline constexpr ControlPlace Label3{"", 184, 48, 73, 17};
// Right-aligned: a wider text grows to the left.
inline constexpr ControlPlace Label2{"Best Quality ", 320, 48, 113, 17};
inline constexpr int SliderMin = 0;
inline constexpr int SliderMax = 100;
inline constexpr int SliderLineStep = 1;
inline constexpr int SliderPageStep = 5;

inline constexpr ControlPlace Frame2{"Quick Save", 16, 104, 457, 97};
// In Frame2.
inline constexpr ControlPlace Label4{"Path", 16, 26, 33, 17};
inline constexpr ControlPlace Text1{"", 48, 24, 265, 21};
inline constexpr ControlPlace btnBrowse{"&Browse", 320, 23, 57, 22};
inline constexpr ControlPlace btnDefault{"&Default", 384, 23, 57, 22};
inline constexpr ControlPlace Label5{"Auto-name prefix", 16, 66, 89, 17};
inline constexpr ControlPlace Text2{"", 112, 64, 129, 21};
inline constexpr ControlPlace Command1{"&Default", 248, 63, 57, 22};

// A row of the Quick Save group whose label's text needs textWidth pixels. Where that
// leaves less than LabelGap before the text box, the box and the buttons after it move
// right, the buttons no further than RowRight, and the box gives up the rest of its width.
inline constexpr int LabelGap = 6;
inline constexpr int RowRight = btnDefault.Left + btnDefault.Width;
struct RowFit {
    int LabelWidth;
    int BoxLeft;
    int BoxWidth;
    int ButtonShift;
};
constexpr RowFit FitRow(const ControlPlace& label, const ControlPlace& box,
                        const ControlPlace& lastButton, int textWidth) {
    const int room = box.Left - LabelGap - label.Left;
    const int labelWidth = std::max(textWidth, std::min(label.Width, room));
    const int shift = std::max(0, textWidth - room);
    const int buttonShift = std::min(shift, RowRight - (lastButton.Left + lastButton.Width));
    return {labelWidth, box.Left + shift, box.Width - shift + buttonShift, buttonShift};
}

// Carried through the exchange, never shown.
inline constexpr ControlPlace Frame3{"View Mode", 16, 208, 457, 73};
// In Frame3.
inline constexpr ControlPlace Option1{"Skin", 24, 24, 185, 17};
inline constexpr ControlPlace Option2{"Resizable", 24, 48, 185, 17};

} // namespace OptionsLayout
