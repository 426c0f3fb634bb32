// SPDX-License-Identifier: MIT

#pragma once

// A control's place in pixels, from the top-left corner of what holds it (the dialog's
// client area or a frame), and its caption.
struct ControlPlace {
    const char* Caption;
    int Left;
    int Top;
    int Width;
    int Height;
};

// The control's place in the dialog when a frame at its own place holds it.
constexpr ControlPlace Within(const ControlPlace& frame, const ControlPlace& control) {
    return {control.Caption, frame.Left + control.Left, frame.Top + control.Top, control.Width,
            control.Height};
}

struct RgbColour {
    int Red;
    int Green;
    int Blue;
};
