// SPDX-License-Identifier: MIT

#include "backends/qt/QtScreen.h"

#include "backends/qt/QtConvert.h"
#include "backends/qt/QtX11.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace {

// Qt reports dots per inch of its scaled pixels; a device pixel is that much smaller.
double TwipsPerPixel(double logicalDpi) {
    const double dpi = logicalDpi * QtScreen::DeviceRatio();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

// Qt rounds a scaled screen's size; the X server knows it exactly.
QRect DeviceGeometry(const QScreen& screen) {
    const QRect g = screen.geometry();
    if (const auto monitor = QtX11::MonitorAt(g.topLeft()))
        return *monitor;
    const double ratio = screen.devicePixelRatio();
    return QRect(g.topLeft(), QSize(static_cast<int>(std::lround(g.width() * ratio)),
                                    static_cast<int>(std::lround(g.height() * ratio))));
}

// Qt's grab of a part of one screen, brought to the part's size in device pixels.
QImage GrabPart(QScreen& screen, const QRect& part) {
    const QRect g = screen.geometry();
    const double ratio = screen.devicePixelRatio();
    const QPoint from = QtScreen::ToLogical(part.topLeft()) - g.topLeft();
    QImage grabbed =
        screen
            .grabWindow(0, from.x(), from.y(), static_cast<int>(std::ceil(part.width() / ratio)),
                        static_cast<int>(std::ceil(part.height() / ratio)))
            .toImage();
    grabbed.setDevicePixelRatio(1);
    if (grabbed.size() != part.size())
        grabbed = grabbed.copy(QRect(QPoint(0, 0), part.size()));
    return grabbed;
}

bool AllBlack(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if ((row[x] & 0xffffff) != 0)
                return false;
    }
    return true;
}

// No grab, or an all-black one while every screen is black all over: a root window nobody
// paints (XWayland), not a picture of the screen.
bool Unreadable(const Picture& grabbed) {
    if (!grabbed)
        return true;
    for (const std::uint32_t pixel : grabbed->Pixels)
        if ((pixel & 0xffffff) != 0)
            return false;
    for (QScreen* screen : QGuiApplication::screens())
        if (!AllBlack(screen->grabWindow(0).toImage()))
            return false;
    return true;
}

// Through Qt: each screen the rectangle crosses gives its part; parts on no screen stay
// black.
Picture GrabThroughQt(const QRect& wanted) {
    QImage result(wanted.size(), QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect part = wanted.intersected(DeviceGeometry(*screen));
        if (!part.isEmpty())
            painter.drawImage(part.topLeft() - wanted.topLeft(), GrabPart(*screen, part));
    }
    painter.end();
    return ToPicture(result);
}

} // namespace

double QtScreen::DeviceRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QPoint QtScreen::ToLogical(QPoint device) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (!DeviceGeometry(*screen).contains(device))
            continue;
        const QPoint origin = screen->geometry().topLeft();
        const QPointF scaled = QPointF(device - origin) / screen->devicePixelRatio();
        return origin + QPoint(static_cast<int>(std::floor(scaled.x())),
                               static_cast<int>(std::floor(scaled.y())));
    }
    const QPointF scaled = QPointF(device) / DeviceRatio();
    return QPoint(static_cast<int>(std::floor(scaled.x())),
                  static_cast<int>(std::floor(scaled.y())));
}

QPoint QtScreen::ToDevice(QPointF logical) {
    const QScreen* screen = QGuiApplication::screenAt(QPoint(
        static_cast<int>(std::floor(logical.x())), static_cast<int>(std::floor(logical.y()))));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return logical.toPoint();
    const QPoint origin = screen->geometry().topLeft();
    const QPointF scaled = (logical - QPointF(origin)) * screen->devicePixelRatio();
    return origin + QPoint(static_cast<int>(std::lround(scaled.x())),
                           static_cast<int>(std::lround(scaled.y())));
}

double QtScreen::TwipsPerPixelX() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return TwipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96);
}

double QtScreen::TwipsPerPixelY() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return TwipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96);
}

ScreenArea QtScreen::PrimaryScreen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect g = DeviceGeometry(*screen);
    const double tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    return {g.x() * tx, g.y() * ty, g.width() * tx, g.height() * ty};
}

ScreenArea QtScreen::WorkAreaOf(const ScreenArea& rect) const {
    const double tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    const QRect wanted(static_cast<int>(std::lround(rect.Left / tx)),
                       static_cast<int>(std::lround(rect.Top / ty)),
                       static_cast<int>(std::lround(rect.Width / tx)),
                       static_cast<int>(std::lround(rect.Height / ty)));
    const QScreen* best = QGuiApplication::primaryScreen();
    long long most = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect part = wanted.intersected(DeviceGeometry(*screen));
        const long long area = static_cast<long long>(part.width()) * part.height();
        if (!part.isEmpty() && area > most) {
            most = area;
            best = screen;
        }
    }
    if (!best)
        return {};
    // The available part in Qt's pixels, scaled about the screen's corner as the screen is.
    const QRect device = DeviceGeometry(*best), logical = best->geometry();
    const QRect available = best->availableGeometry();
    const double ratio = best->devicePixelRatio();
    const double left = std::round(device.x() + (available.x() - logical.x()) * ratio);
    const double top = std::round(device.y() + (available.y() - logical.y()) * ratio);
    // An edge that no panel takes is the screen's own, exactly.
    const double right = available.right() == logical.right()
                             ? device.x() + device.width()
                             : std::round(left + available.width() * ratio);
    const double bottom = available.bottom() == logical.bottom()
                              ? device.y() + device.height()
                              : std::round(top + available.height() * ratio);
    return {left * tx, top * ty, (right - left) * tx, (bottom - top) * ty};
}

Picture QtScreen::Grab(int left, int top, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    const QRect wanted(left, top, width, height);
    Picture grabbed = QtX11::GrabRoot(wanted);
    if (!grabbed)
        grabbed = GrabThroughQt(wanted);
    return Unreadable(grabbed) ? nullptr : grabbed;
}
