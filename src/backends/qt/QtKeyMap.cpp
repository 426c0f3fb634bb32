#include "backends/qt/QtKeyMap.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

std::int16_t ButtonCode(Qt::MouseButtons buttons) {
    std::int16_t code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

std::int16_t ModifierCode(Qt::KeyboardModifiers modifiers) {
    std::int16_t code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

// X11 key codes of the digit row, 1 to 9 then 0, on the usual keyboards.
std::int16_t DigitFromScanCode(quint32 scanCode) {
    if (QGuiApplication::platformName() != "xcb" || scanCode < 10 || scanCode > 19)
        return 0;
    return static_cast<std::int16_t>(scanCode == 19 ? '0' : '1' + (scanCode - 10));
}

} // namespace

std::int16_t VirtualKeyCode(const QKeyEvent& event) {
    // The number pad's arrows and page keys (NumLock off) act as the others do.
    switch (event.key()) {
    case Qt::Key_F1:
        return 112;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        break;
    }
    if (event.modifiers() & Qt::KeypadModifier)
        return 0; // the number pad's digits do nothing
    if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9)
        return static_cast<std::int16_t>('0' + (event.key() - Qt::Key_0));
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
