// SPDX-License-Identifier: MIT

#include "backends/wayland/OverlayWindow.h"

#include "backends/wayland/CompositorFrames.h"
#include "backends/wayland/WaylandMainWindow.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr int HoldMs = 100;

} // namespace

OverlayWindow::OverlayWindow(WaylandMainWindow& owner, QScreen* screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), owner_(owner), screen_(screen) {
    setWindowTitle("Tarvik");
    setObjectName("TarvikOverlay");
    setWindowIcon(QIcon(":/tarvik/icon.png"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setScreen(screen);
    setGeometry(screen->geometry());
    CommitEachConfigure(*this);
    // The compositor waits for the frame of a configure only so long (sway 200 ms), then
    // shows the window as it is: held longer, the window steps aside, to come back drawn.
    holding_.setSingleShot(true);
    holding_.setInterval(HoldMs);
    connect(&holding_, &QTimer::timeout, this, &QWidget::hide);
}

QRect OverlayWindow::DeviceRect() const {
    const QRect g = screen_->geometry();
    const qreal ratio = screen_->devicePixelRatio();
    return QRect(qRound(g.x() * ratio), qRound(g.y() * ratio), qRound(g.width() * ratio),
                 qRound(g.height() * ratio));
}

QPoint OverlayWindow::ToDesktop(QPointF local) const {
    const qreal ratio = screen_->devicePixelRatio();
    return DeviceRect().topLeft() + QPoint(qFloor(local.x() * ratio), qFloor(local.y() * ratio));
}

QPointF OverlayWindow::FromDesktop(QPoint device) const {
    const qreal ratio = screen_->devicePixelRatio();
    const QPoint p = device - DeviceRect().topLeft();
    return QPointF(p.x() / ratio, p.y() / ratio);
}

void OverlayWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Draw in device pixels: one picture pixel to one pixel of the screen.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    const QRect device = DeviceRect();
    // Black only where the picture does not reach.
    if (!owner_.Desktop().rect().contains(device))
        painter.fillRect(QRect(QPoint(0, 0), device.size()), Qt::black);
    painter.drawImage(QPoint(0, 0), owner_.Desktop(), device);
    owner_.PaintPhone(painter, device.topLeft());
}

void OverlayWindow::ShowHeld() {
    held_ = true;
    if (!isVisible())
        setGeometry(QRect(screen_->geometry().topLeft(), QSize(1, 1)));
    showFullScreen();
    raise();
}

void OverlayWindow::Release() {
    held_ = false;
    holding_.stop();
    if (updatesEnabled())
        return;
    setUpdatesEnabled(true);
    if (isVisible())
        repaint();
}

void OverlayWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Before Qt draws the new size.
    if (!held_ || (width() <= 1 && height() <= 1) || !updatesEnabled())
        return;
    setUpdatesEnabled(false);
    holding_.start();
    // The buffer the first frame goes to is made now, every page of it touched: while the
    // picture is decoded, not after.
    QBackingStore& store = *backingStore();
    store.resize(size());
    store.beginPaint(QRegion(rect()));
    {
        QPainter painter(store.paintDevice());
        painter.fillRect(rect(), Qt::black);
    }
    store.endPaint();
}

void OverlayWindow::mousePressEvent(QMouseEvent* event) {
    owner_.MousePress(*event, ToDesktop(event->position()));
}

void OverlayWindow::mouseMoveEvent(QMouseEvent* event) {
    owner_.MouseMove(*event, ToDesktop(event->position()), *this);
}

void OverlayWindow::mouseReleaseEvent(QMouseEvent* event) {
    owner_.MouseRelease(*event, ToDesktop(event->position()));
}

void OverlayWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    owner_.MouseDoubleClick(*event, ToDesktop(event->position()));
}

void OverlayWindow::keyPressEvent(QKeyEvent* event) {
    owner_.KeyPress(*event);
}

void OverlayWindow::closeEvent(QCloseEvent* event) {
    owner_.Closing();
    event->accept();
}

void OverlayWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized))
        owner_.Restored();
}
