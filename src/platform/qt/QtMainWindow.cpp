#include "platform/qt/QtMainWindow.h"

#include "app/frmMain.h"
#include "platform/IScreen.h"
#include "platform/Twips.h"
#include "platform/qt/QtConvert.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QRegion>

#include <vector>

QtMainWindow::QtMainWindow(const IScreen& screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), screen_(screen) {
    setWindowTitle("Tarvik");
    setObjectName("TarvikMain");
    setWindowIcon(QIcon(":/tarvik/icon.png"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
}

double QtMainWindow::Left() const { return PixelsToTwips(x(), screen_.TwipsPerPixelX()); }
double QtMainWindow::Top() const { return PixelsToTwips(y(), screen_.TwipsPerPixelY()); }
double QtMainWindow::Width() const { return PixelsToTwips(width(), screen_.TwipsPerPixelX()); }
double QtMainWindow::Height() const { return PixelsToTwips(height(), screen_.TwipsPerPixelY()); }

void QtMainWindow::Move(double left, double top) {
    move(TwipsToPixels(left, screen_.TwipsPerPixelX()), TwipsToPixels(top, screen_.TwipsPerPixelY()));
}

void QtMainWindow::Resize(double width, double height) {
    setFixedSize(TwipsToPixels(width, screen_.TwipsPerPixelX()),
                 TwipsToPixels(height, screen_.TwipsPerPixelY()));
}

void QtMainWindow::SetPicture(const Picture& picture) {
    picture_ = picture;
    face_ = WrapPicture(picture_);
    update();
}

void QtMainWindow::SetRegion(const Region& region) {
    std::vector<QRect> rects;
    rects.reserve(region.size());
    for (const RegionRect& r : region)
        rects.emplace_back(r.X, r.Y, r.Width, r.Height);
    QRegion mask;
    mask.setRects(rects.data(), static_cast<int>(rects.size()));
    if (mask.isEmpty())
        mask = QRegion(-1, -1, 1, 1); // an empty mask would mean "no mask": keep it empty
    setMask(mask);
}

void QtMainWindow::SetPointer(PointerShape shape) {
    if (shape == PointerShape::Hand) {
        static const QCursor hand(QPixmap(":/tarvik/hand.png"), 7, 0);
        setCursor(hand);
    } else {
        unsetCursor();
    }
}

void QtMainWindow::Show() {
    show();
    raise();
    activateWindow();
}

void QtMainWindow::Hide() { hide(); }

void QtMainWindow::Close() { close(); }

void QtMainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!face_.isNull())
        painter.drawImage(0, 0, face_);
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    if (logic_ && !unloaded_) {
        unloaded_ = true;
        logic_->Form_Unload();
    }
    event->accept();
}
