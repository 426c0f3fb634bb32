#include "backends/qt/QtScreen.h"

#include "backends/qt/QtConvert.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace {

double TwipsPerPixel(double dpi) {
    return dpi > 0 ? 1440.0 / dpi : 15.0;
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

// An empty grab, or an all-black one from a screen that is black all over: a root window
// nobody paints (XWayland), not a picture of the screen.
bool Unreadable(const QImage& grabbed, QScreen& screen) {
    if (grabbed.isNull())
        return true;
    if (!AllBlack(grabbed))
        return false;
    return AllBlack(screen.grabWindow(0).toImage());
}

} // namespace

double QtScreen::TwipsPerPixelX() const {
    return TwipsPerPixel(QGuiApplication::primaryScreen()->logicalDotsPerInchX());
}

double QtScreen::TwipsPerPixelY() const {
    return TwipsPerPixel(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
}

double QtScreen::WidthTwips() const {
    return QGuiApplication::primaryScreen()->geometry().width() * TwipsPerPixelX();
}

double QtScreen::HeightTwips() const {
    return QGuiApplication::primaryScreen()->geometry().height() * TwipsPerPixelY();
}

Picture QtScreen::Grab(int left, int top, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    const QRect wanted(left, top, width, height);
    const auto grabPart = [](QScreen* screen, const QRect& part) {
        const QRect geometry = screen->geometry();
        QImage grabbed = screen
                             ->grabWindow(0, part.x() - geometry.x(), part.y() - geometry.y(),
                                          part.width(), part.height())
                             .toImage();
        // On a scaled screen the grab holds device pixels: bring it to the hole's size,
        // which is what the user saw through it.
        if (grabbed.size() != part.size())
            grabbed = grabbed.scaled(part.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return grabbed;
    };
    // The usual case, the whole rectangle on one screen: one grab, one copy.
    if (QScreen* screen = QGuiApplication::screenAt(wanted.topLeft());
        screen && screen->geometry().contains(wanted)) {
        const QImage grabbed = grabPart(screen, wanted);
        return Unreadable(grabbed, *screen) ? nullptr : ToPicture(grabbed);
    }

    // Parts on no screen stay black; each screen the rectangle crosses gives its part.
    QImage result(width, height, QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect part = wanted.intersected(screen->geometry());
        if (!part.isEmpty())
            painter.drawImage(part.topLeft() - wanted.topLeft(), grabPart(screen, part));
    }
    painter.end();
    return ToPicture(result);
}
