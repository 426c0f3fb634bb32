// SPDX-License-Identifier: MIT

#include "backends/qt/QtMainWindow.h"

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
#include <QKeyEvent>
#include <QMouseEvent>
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

double QtMainWindow::Left() const {
    return PixelsToTwips(DeviceGeometry().x(), screen_.TwipsPerPixelX());
}
double QtMainWindow::Top() const {
    return PixelsToTwips(DeviceGeometry().y(), screen_.TwipsPerPixelY());
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
        static const QCursor hand(QPixmap(":/tarvik/hand.png"), 7, 0);
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
    QTimer::singleShot(0, this, [this, id] {
        if (listener_)
            listener_->Button_Press(id);
    });
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
    if (listener_ && !unloaded_) {
        unloaded_ = true;
        listener_->Form_Unload();
    }
    event->accept();
}

// The pointer's device pixel within the window, in twips.
float QtMainWindow::TwipsX(const QMouseEvent& event) const {
    const double device = std::nearbyint(event.position().x() * devicePixelRatioF());
    return static_cast<float>(device * screen_.TwipsPerPixelX());
}

float QtMainWindow::TwipsY(const QMouseEvent& event) const {
    const double device = std::nearbyint(event.position().y() * devicePixelRatioF());
    return static_cast<float>(device * screen_.TwipsPerPixelY());
}

void QtMainWindow::mousePressEvent(QMouseEvent* event) {
    if (listener_)
        listener_->Form_MouseDown(ChangedButton(*event), ShiftState(*event), TwipsX(*event),
                                  TwipsY(*event));
}

void QtMainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (listener_)
        listener_->Form_MouseMove(HeldButtons(*event), ShiftState(*event), TwipsX(*event),
                                  TwipsY(*event));
}

void QtMainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (listener_)
        listener_->Form_MouseUp(ChangedButton(*event), ShiftState(*event), TwipsX(*event),
                                TwipsY(*event));
}

void QtMainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!listener_)
        return;
    listener_->Form_MouseDown(ChangedButton(*event), ShiftState(*event), TwipsX(*event),
                              TwipsY(*event));
    if (event->button() == Qt::LeftButton)
        listener_->Form_DblClick(TwipsX(*event), TwipsY(*event));
}

void QtMainWindow::leaveEvent(QEvent*) {
    if (listener_)
        listener_->Form_MouseLeave();
}

void QtMainWindow::keyPressEvent(QKeyEvent* event) {
    const std::int16_t code = VirtualKeyCode(*event);
    if (listener_ && code != 0)
        listener_->Form_KeyDown(code, ShiftState(*event));
}
