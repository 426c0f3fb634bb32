#include "platform/qt/QtScreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

double TwipsPerPixel(double dpi) { return dpi > 0 ? 1440.0 / dpi : 15.0; }

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
