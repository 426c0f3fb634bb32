// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

class QKeyEvent;
class QMouseEvent;

// The Key code the main window's listener acts on for a key event; 0 for keys it ignores.
// Digits count only from the row above the letters, whatever Shift makes them type.
std::int16_t VirtualKeyCode(const QKeyEvent& event);
// The Modifier codes held, summed.
std::int16_t ShiftState(const QKeyEvent& event);
std::int16_t ShiftState(const QMouseEvent& event);
// The Mouse code of the button that changed (press, release), or of the buttons held
// (move), summed.
std::int16_t ChangedButton(const QMouseEvent& event);
std::int16_t HeldButtons(const QMouseEvent& event);
