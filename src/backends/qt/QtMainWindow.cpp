// SPDX-License-Identifier: MIT

#include "backends/qt/QtMainWindow.h"
#include "backends/qt/QtLook.h"

#include "backends/qt/QtConvert.h"
#include "backends/qt/QtKeyMap.h"
#include "backends/qt/QtMainWindowAccessible.h"
#include "backends/qt/QtScreen.h"
#include "backends/qt/QtX11.h"
#include "platform/IMainWindowListener.h"
#include "platform/IScreen.h"
#include "platform/Twips.h"

#include <QAccessible>
#include <QBitmap>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QTransform>

#include <cmath>
#include <vector>

QtMainWindow::QtMainWindow(const IScreen& screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), screen_(screen) {
    static const bool accessible = [] {
        QAccessible::installFactory(QtMainWindowAccessible::Factory);
        return true;
    }();
    Q_UNUSED(accessible);
    setWindowTitle("Tarvik");
    setObjectName("TarvikMain");
    setWindowIcon(QIcon(":/tarvik/icon.png"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // moves with no button held show the tips
    if (QtX11::Active()) {
        // The place and size are set in device pixels on the X server; Qt must not size
        // the window to its own idea of it when it is first shown.
        setAttribute(Qt::WA_Resized);
        setAttribute(Qt::WA_Moved);
        winId();
    }
}

QRect QtMainWindow::DeviceGeometry() const {
    if (QtX11::Active())
        if (const auto native = QtX11::WindowGeometry(winId()))
            return *native;
    const double ratio = devicePixelRatioF();
    return QRect(static_cast<int>(std::lround(x() * ratio)),
                 static_cast<int>(std::lround(y() * ratio)),
                 static_cast<int>(std::lround(width() * ratio)),
                 static_cast<int>(std::lround(height() * ratio)));
}

QPoint QtMainWindow::Placed() const {
    return placed_ ? *placed_ : DeviceGeometry().topLeft();
}

double QtMainWindow::Left() const {
    return PixelsToTwips(Placed().x(), screen_.TwipsPerPixelX());
}
double QtMainWindow::Top() const {
    return PixelsToTwips(Placed().y(), screen_.TwipsPerPixelY());
}
double QtMainWindow::Width() const {
    return PixelsToTwips(DeviceGeometry().width(), screen_.TwipsPerPixelX());
}
double QtMainWindow::Height() const {
    return PixelsToTwips(DeviceGeometry().height(), screen_.TwipsPerPixelY());
}

void QtMainWindow::Place(double& left, double& top) const {
    const QRect device = DeviceGeometry();
    left = PixelsToTwips(device.x(), screen_.TwipsPerPixelX());
    top = PixelsToTwips(device.y(), screen_.TwipsPerPixelY());
}

void QtMainWindow::Move(double left, double top) {
    const QPoint device(TwipsToPixels(left, screen_.TwipsPerPixelX()),
                        TwipsToPixels(top, screen_.TwipsPerPixelY()));
    placed_ = device;
    if (QtX11::Active())
        QtX11::MoveWindow(winId(), device);
    else
        move(QtScreen::ToLogical(device));
}

void QtMainWindow::Resize(double width, double height) {
    const QSize device(TwipsToPixels(width, screen_.TwipsPerPixelX()),
                       TwipsToPixels(height, screen_.TwipsPerPixelY()));
    if (QtX11::Active()) {
        QtX11::ResizeWindow(winId(), device);
        return;
    }
    const double ratio = devicePixelRatioF();
    setFixedSize(static_cast<int>(std::ceil(device.width() / ratio)),
                 static_cast<int>(std::ceil(device.height() / ratio)));
}

void QtMainWindow::SetPicture(const Picture& picture) {
    picture_ = picture;
    face_ = WrapPicture(picture_);
    // A window is opaque wherever it is drawn: its pixels in their own colours, with no
    // blend into the background at the outline's soft edges.
    if (face_.hasAlphaChannel()) {
        face_ = face_.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < face_.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(face_.scanLine(y));
            for (int x = 0; x < face_.width(); ++x)
                row[x] |= 0xff000000u;
        }
    }
    update();
}

void QtMainWindow::SetRegion(const Region& region) {
    if (QtX11::Active()) {
        QtX11::SetWindowShape(winId(), region);
        return;
    }
    // Elsewhere Qt takes the mask in its own scaled pixels.
    const double ratio = devicePixelRatioF();
    QRegion mask = ToQRegion(region);
    if (ratio != 1)
        mask = QTransform::fromScale(1 / ratio, 1 / ratio).map(mask);
    if (mask.isEmpty())
        mask = QRegion(-1, -1, 1, 1); // an empty mask would mean "no mask": keep it empty
    setMask(mask);
}

void QtMainWindow::SetPointer(PointerShape shape) {
    if (shape == PointerShape::Hand) {
        const QCursor& hand = HandCursor();
        setCursor(hand);
    } else {
        unsetCursor();
    }
}

void QtMainWindow::SetButtons(const std::vector<AccessibleButton>& buttons) {
    buttons_ = buttons;
    if (QAccessible::isActive())
        if (auto* self =
                dynamic_cast<QtMainWindowAccessible*>(QAccessible::queryAccessibleInterface(this)))
            self->ButtonsChanged();
}

void QtMainWindow::PressButton(int id) {
    // A press may open a modal dialog: not inside the assistive technology's call.
    QTimer::singleShot(0, this, [this, id] { events_.ButtonPress(id); });
}

void QtMainWindow::Show() {
    show();
    raise();
    activateWindow();
}

void QtMainWindow::Hide() {
    hide();
}

void QtMainWindow::Close() {
    close();
}

void QtMainWindow::Later(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtMainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (face_.isNull())
        return;
    // One picture pixel to one device pixel, whatever Qt's scale.
    QImage face = face_;
    face.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(0, 0, face);
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    events_.Unload();
    event->accept();
}

QPoint QtMainWindow::DevicePointer(const QMouseEvent& event) const {
    return QtScreen::ToDevice(event.globalPosition()) - Placed();
}

float QtMainWindow::TwipsX(const QMouseEvent& event) const {
    return static_cast<float>(DevicePointer(event).x() * screen_.TwipsPerPixelX());
}

float QtMainWindow::TwipsY(const QMouseEvent& event) const {
    return static_cast<float>(DevicePointer(event).y() * screen_.TwipsPerPixelY());
}

void QtMainWindow::mousePressEvent(QMouseEvent* event) {
    events_.MouseDown(ChangedButton(*event), ShiftState(*event), TwipsX(*event), TwipsY(*event));
}

void QtMainWindow::mouseMoveEvent(QMouseEvent* event) {
    events_.MouseMove(HeldButtons(*event), ShiftState(*event), TwipsX(*event), TwipsY(*event));
}

void QtMainWindow::mouseReleaseEvent(QMouseEvent* event) {
    events_.MouseUp(ChangedButton(*event), ShiftState(*event), TwipsX(*event), TwipsY(*event));
}

void QtMainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    events_.DoubleClick(ChangedButton(*event), ShiftState(*event), TwipsX(*event), TwipsY(*event));
}

void QtMainWindow::moveEvent(QMoveEvent*) {
    // The server reports the program's own moves late, so only a move with no button held
    // can be someone else's (the window manager's): the window's own place counts then.
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        placed_.reset();
}

void QtMainWindow::leaveEvent(QEvent*) {
    events_.MouseLeave();
}

void QtMainWindow::keyPressEvent(QKeyEvent* event) {
    const std::int16_t code = VirtualKeyCode(*event);
    events_.KeyDown(code, ShiftState(*event));
}
