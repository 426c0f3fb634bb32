// SPDX-License-Identifier: MIT

#include "backends/wayland/WaylandScreen.h"

#include "backends/qt/QtConvert.h"

#include <QPainter>

namespace {

// One device pixel counts as a pixel of a 96-dpi screen.
constexpr double TwipsPerDevicePixel = 15.0;

} // namespace

void WaylandScreen::SetDesktop(const QImage& desktop, QRect primary) {
    desktop_ = desktop;
    primary_ = primary.isEmpty() ? desktop.rect() : primary;
}

double WaylandScreen::TwipsPerPixelX() const {
    return TwipsPerDevicePixel;
}

double WaylandScreen::TwipsPerPixelY() const {
    return TwipsPerDevicePixel;
}

ScreenArea WaylandScreen::PrimaryScreen() const {
    const double t = TwipsPerDevicePixel;
    return {primary_.x() * t, primary_.y() * t, primary_.width() * t, primary_.height() * t};
}

Picture WaylandScreen::Grab(int left, int top, int width, int height) {
    if (width <= 0 || height <= 0 || desktop_.isNull())
        return nullptr;
    const QRect wanted(left, top, width, height);
    if (desktop_.rect().contains(wanted))
        return ToPicture(desktop_.copy(wanted));
    // Parts off the desktop are black.
    QImage result(width, height, QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    const QRect part = wanted.intersected(desktop_.rect());
    if (!part.isEmpty())
        painter.drawImage(part.topLeft() - wanted.topLeft(), desktop_, part);
    painter.end();
    return ToPicture(result);
}
