#pragma once

#include <cstdint>

class QKeyEvent;
class QMouseEvent;

// The key code the main window's logic acts on for a key event; 0 for keys it ignores.
// Digits count only from the row above the letters, whatever Shift makes them type.
std::int16_t VirtualKeyCode(const QKeyEvent& event);
// Shift 1, Ctrl 2, Alt 4, summed.
std::int16_t ShiftState(const QKeyEvent& event);
std::int16_t ShiftState(const QMouseEvent& event);
// The button that changed (press, release) or the buttons held (move): left 1, right 2,
// middle 4.
std::int16_t ChangedButton(const QMouseEvent& event);
std::int16_t HeldButtons(const QMouseEvent& event);
