// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

// Pointer buttons: the button that changed, or the sum of the buttons held.
namespace Mouse {
inline constexpr std::int16_t Left = 1;
inline constexpr std::int16_t Right = 2;
inline constexpr std::int16_t Middle = 4;
} // namespace Mouse

// The Shift, Ctrl and Alt keys held, summed.
namespace Modifier {
inline constexpr std::int16_t Shift = 1;
inline constexpr std::int16_t Ctrl = 2;
inline constexpr std::int16_t Alt = 4;
} // namespace Modifier

// The key codes the main window acts on (the Windows virtual-key codes).
namespace Key {
inline constexpr std::int16_t PageUp = 33;
inline constexpr std::int16_t PageDown = 34;
inline constexpr std::int16_t Left = 37;
inline constexpr std::int16_t Up = 38;
inline constexpr std::int16_t Right = 39;
inline constexpr std::int16_t Down = 40;
inline constexpr std::int16_t Digit0 = 48;
inline constexpr std::int16_t Digit9 = 57;
inline constexpr std::int16_t C = 67;
inline constexpr std::int16_t S = 83;
inline constexpr std::int16_t Apps = 93; // the Menu key
inline constexpr std::int16_t F1 = 112;
inline constexpr std::int16_t F10 = 121;
} // namespace Key

// What the main window's view reports. Positions are in twips within the window.
class IMainWindowListener {
  public:
    virtual ~IMainWindowListener() = default;

    // The button that changed (press, release) or the buttons held (move), and the
    // Shift/Ctrl/Alt state.
    virtual void Form_MouseDown(std::int16_t button, std::int16_t shift, float X, float Y) = 0;
    virtual void Form_MouseMove(std::int16_t button, std::int16_t shift, float X, float Y) = 0;
    virtual void Form_MouseUp(std::int16_t button, std::int16_t shift, float X, float Y) = 0;
    // The second press of a double click, after its Form_MouseDown.
    virtual void Form_DblClick(float X, float Y) = 0;
    // The pointer left the window (off its edge or into the hole).
    virtual void Form_MouseLeave() = 0;
    virtual void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) = 0;
    // A button given to SetButtons, pressed through assistive technology.
    virtual void Button_Press(int id) = 0;
    // The window is closing, for whatever reason; reported once.
    virtual void Form_Unload() = 0;
};
