// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "platform/Region.h"

#include <QRect>
#include <QWidget>

#include <optional>

// The main window and the screen in device pixels, straight from the X server. Qt scales
// window geometry, masks and screen grabs by the desktop's scale factor and rounds each
// one; these calls do not, so one skin pixel stays one screen pixel at any scale. Each
// does nothing (or returns nothing) when the program does not run on X11.
namespace QtX11 {

bool Active();
// The window's place on the root window and its size.
std::optional<QRect> WindowGeometry(WId window);
void MoveWindow(WId window, QPoint topLeft);
void ResizeWindow(WId window, QSize size);
// Pixels outside the region are see-through and click-through; an empty region hides all.
void SetWindowShape(WId window, const Region& region);
// The device-pixel rectangle of the monitor whose top-left corner is at the given point.
std::optional<QRect> MonitorAt(QPoint topLeft);
// A rectangle of the root window; parts outside it are black. Null when the server's
// pixel layout is not 32-bit RGB.
Picture GrabRoot(const QRect& rect);

} // namespace QtX11
