// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// The window system Tarvik starts on, found by connecting to it before Qt does: Qt aborts
// when its platform plugin cannot connect, whatever the environment claimed.
struct DisplaySession {
    // The desktop is a Wayland one, reached natively or through XWayland: the screen can
    // be read only through the desktop's screenshot portal.
    bool Wayland = false;
    // The value for QT_QPA_PLATFORM: the plugins that can connect, in the order asked for.
    std::string Platform;
    // Why no window can be opened, naming the display; empty when one can.
    std::string Error;
};

// Reads DISPLAY, WAYLAND_DISPLAY, XDG_SESSION_TYPE, QT_QPA_PLATFORM and Qt's -platform and
// -display options, and tries the displays they name.
DisplaySession ChooseDisplaySession(int argc, const char* const argv[]);
