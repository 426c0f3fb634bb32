// SPDX-License-Identifier: MIT

#include "backends/qt/QtKeyMap.h"

#include "platform/IMainWindowListener.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

std::int16_t ButtonCode(Qt::MouseButtons buttons) {
    std::int16_t code = 0;
    if (buttons & Qt::LeftButton)
        code |= Mouse::Left;
    if (buttons & Qt::RightButton)
        code |= Mouse::Right;
    if (buttons & Qt::MiddleButton)
        code |= Mouse::Middle;
    return code;
}

std::int16_t ModifierCode(Qt::KeyboardModifiers modifiers) {
    std::int16_t code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= Modifier::Shift;
    if (modifiers & Qt::ControlModifier)
        code |= Modifier::Ctrl;
    if (modifiers & Qt::AltModifier)
        code |= Modifier::Alt;
    return code;
}

// X11 key codes of the digit row, 1 to 9 then 0, on the usual keyboards.
constexpr quint32 X11Digit1 = 10;
constexpr quint32 X11Digit0 = 19;

std::int16_t DigitFromScanCode(quint32 scanCode) {
    if (QGuiApplication::platformName() != "xcb" || scanCode < X11Digit1 || scanCode > X11Digit0)
        return 0;
    return static_cast<std::int16_t>(
        scanCode == X11Digit0 ? Key::Digit0 : Key::Digit0 + 1 + (scanCode - X11Digit1));
}

} // namespace

std::int16_t VirtualKeyCode(const QKeyEvent& event) {
    // The number pad's arrows and page keys (NumLock off) act as the others do.
    switch (event.key()) {
    case Qt::Key_F1:
        return Key::F1;
    case Qt::Key_PageUp:
        return Key::PageUp;
    case Qt::Key_PageDown:
        return Key::PageDown;
    case Qt::Key_Left:
        return Key::Left;
    case Qt::Key_Up:
        return Key::Up;
    case Qt::Key_Right:
        return Key::Right;
    case Qt::Key_Down:
        return Key::Down;
    case Qt::Key_S:
        return Key::S;
    case Qt::Key_Menu:
        return Key::Apps;
    case Qt::Key_F10:
        return Key::F10;
    default:
        break;
    }
    if (event.modifiers() & Qt::KeypadModifier)
        return 0; // the number pad's digits do nothing
    if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9)
        return static_cast<std::int16_t>(Key::Digit0 + (event.key() - Qt::Key_0));
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) // a letter's code is its capital
        return static_cast<std::int16_t>('A' + (event.key() - Qt::Key_A));
    return DigitFromScanCode(event.nativeScanCode());
}

std::int16_t ShiftState(const QKeyEvent& event) {
    return ModifierCode(event.modifiers());
}
std::int16_t ShiftState(const QMouseEvent& event) {
    return ModifierCode(event.modifiers());
}
std::int16_t ChangedButton(const QMouseEvent& event) {
    return ButtonCode(event.button());
}
std::int16_t HeldButtons(const QMouseEvent& event) {
    return ButtonCode(event.buttons());
}
