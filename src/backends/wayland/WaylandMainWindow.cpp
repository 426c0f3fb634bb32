// SPDX-License-Identifier: MIT

#include "backends/wayland/WaylandMainWindow.h"

#include "backends/qt/QtConvert.h"
#include "backends/qt/QtKeyMap.h"
#include "backends/wayland/OverlayWindow.h"
#include "backends/wayland/PortalScreenshot.h"
#include "backends/wayland/ReadingNotice.h"
#include "backends/wayland/WaylandScreen.h"
#include "platform/IMainWindowListener.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace {

constexpr double Twips = 15.0; // per device pixel, as the screen counts them

// Time for the compositor to show a frame without the overlay before the screenshot.
constexpr int StepAsideMs = 250;
constexpr int PortalTimeoutMs = 10000;

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

WaylandMainWindow::WaylandMainWindow(WaylandScreen& screen) : screen_(screen) {
    for (QScreen* s : QGuiApplication::screens())
        overlays_.push_back(std::make_unique<OverlayWindow>(*this, s));
}

WaylandMainWindow::~WaylandMainWindow() = default;

QWidget& WaylandMainWindow::Owner() {
    return OverlayAt(position_);
}

OverlayWindow& WaylandMainWindow::OverlayAt(QPoint device) const {
    for (const auto& overlay : overlays_)
        if (overlay->DeviceRect().contains(device))
            return *overlay;
    return *overlays_.front();
}

QString WaylandMainWindow::TakeScreenshot() {
    QRect desktop, primary;
    for (const auto& overlay : overlays_)
        desktop |= overlay->DeviceRect();
    primary = overlays_.front()->DeviceRect();
    if (QScreen* p = QGuiApplication::primaryScreen())
        for (const auto& overlay : overlays_)
            if (overlay->screen() == p)
                primary = overlay->DeviceRect();

    refreshing_ = true;
    const bool wasShown = overlays_.front()->isVisible();
    QElapsedTimer aside;
    aside.start();
    if (wasShown)
        for (const auto& overlay : overlays_)
            overlay->hide();
    // The portal is asked while a window of ours has the keyboard.
    if (!notice_)
        notice_ = std::make_unique<ReadingNotice>();
    notice_->ShowClear();
    if (wasShown && aside.elapsed() < StepAsideMs)
        Wait(StepAsideMs - static_cast<int>(aside.elapsed()));
    const QSize minimum(desktop.right() + 1, desktop.bottom() + 1);
    PortalScreenshot::Result shot =
        PortalScreenshot::Take(minimum, PortalTimeoutMs, [this] { notice_->Say(); });
    if (notice_->Saying() && shot.Error.isEmpty()) {
        // The desktop asked the user meanwhile, and the picture shows the notice: the
        // answer is kept now, so ask again with the notice see-through.
        notice_->Clear();
        shot = PortalScreenshot::Take(minimum, PortalTimeoutMs);
    }
    if (shot.Error.isEmpty())
        screen_.SetDesktop(shot.Image, primary);
    if (wasShown)
        ShowOverlays();
    notice_->hide();
    refreshing_ = false;
    return shot.Error;
}

void WaylandMainWindow::Refresh() {
    const QString error = TakeScreenshot();
    if (error.isEmpty())
        return;
    QMessageBox box(QMessageBox::NoIcon, "Tarvik", error, QMessageBox::Ok, &Owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void WaylandMainWindow::Minimise() {
    minimised_ = true;
    for (const auto& overlay : overlays_)
        overlay->showMinimized();
}

void WaylandMainWindow::Restored() {
    if (!minimised_ || refreshing_)
        return;
    minimised_ = false;
    QTimer::singleShot(0, [this] { Refresh(); });
}

void WaylandMainWindow::ShowOverlays() {
    for (const auto& overlay : overlays_) {
        overlay->showFullScreen();
        overlay->raise();
    }
    OverlayWindow& main = OverlayAt(position_);
    main.activateWindow();
    main.setFocus();
}

void WaylandMainWindow::Repaint() {
    for (const auto& overlay : overlays_)
        overlay->update();
}

double WaylandMainWindow::Left() const {
    return PixelsToTwips(position_.x(), Twips);
}
double WaylandMainWindow::Top() const {
    return PixelsToTwips(position_.y(), Twips);
}
double WaylandMainWindow::Width() const {
    return PixelsToTwips(size_.width(), Twips);
}
double WaylandMainWindow::Height() const {
    return PixelsToTwips(size_.height(), Twips);
}

void WaylandMainWindow::Move(double left, double top) {
    position_ = QPoint(TwipsToPixels(left, Twips), TwipsToPixels(top, Twips));
    Repaint();
}

void WaylandMainWindow::Resize(double width, double height) {
    size_ = QSize(TwipsToPixels(width, Twips), TwipsToPixels(height, Twips));
    Repaint();
}

void WaylandMainWindow::SetPicture(const Picture& picture) {
    picture_ = picture;
    face_ = WrapPicture(picture_);
    Repaint();
}

void WaylandMainWindow::SetRegion(const Region& region) {
    region_ = ToQRegion(region);
    Repaint();
}

void WaylandMainWindow::SetPointer(PointerShape shape) {
    shape_ = shape;
    const QPoint at =
        OverlayAt(position_).ToDesktop(OverlayAt(position_).mapFromGlobal(QCursor::pos()));
    if (OnPhone(at) || pressed_) {
        static const QCursor hand(QPixmap(":/tarvik/hand.png"), 7, 0);
        for (const auto& overlay : overlays_) {
            if (shape == PointerShape::Hand)
                overlay->setCursor(hand);
            else
                overlay->unsetCursor();
        }
    }
}

void WaylandMainWindow::Show() {
    visible_ = true;
    if (!overlays_.front()->isVisible() && !minimised_)
        ShowOverlays();
    Repaint();
}

// Hiding keeps the screenshot on the screen: only the phone goes.
void WaylandMainWindow::Hide() {
    visible_ = false;
    Repaint();
}

void WaylandMainWindow::Close() {
    for (const auto& overlay : overlays_)
        overlay->close();
}

void WaylandMainWindow::Later(std::function<void()> task) {
    QMetaObject::invokeMethod(&tasks_, std::move(task), Qt::QueuedConnection);
}

const QImage& WaylandMainWindow::Desktop() const {
    return screen_.Desktop();
}

void WaylandMainWindow::PaintPhone(QPainter& painter, QPoint origin) const {
    if (!visible_ || face_.isNull())
        return;
    const QPoint at = position_ - origin;
    painter.save();
    painter.setClipRegion(region_.translated(at));
    painter.drawImage(at, face_);
    painter.restore();
}

bool WaylandMainWindow::OnPhone(QPoint at) const {
    return visible_ && region_.contains(at - position_);
}

void WaylandMainWindow::MousePress(const QMouseEvent& event, QPoint at) {
    if (!listener_ || !(pressed_ || OnPhone(at)))
        return;
    pressed_ = true;
    const QPoint p = at - position_;
    listener_->Form_MouseDown(ChangedButton(event), ShiftState(event),
                              static_cast<float>(p.x() * Twips), static_cast<float>(p.y() * Twips));
}

void WaylandMainWindow::MouseMove(const QMouseEvent& event, QPoint at, QWidget& over) {
    if (!pressed_ && !OnPhone(at)) {
        over.unsetCursor();
        PointerLeft();
        return;
    }
    hovering_ = true;
    if (shape_ == PointerShape::Hand)
        SetPointer(shape_);
    if (!listener_)
        return;
    const QPoint p = at - position_;
    listener_->Form_MouseMove(HeldButtons(event), ShiftState(event),
                              static_cast<float>(p.x() * Twips), static_cast<float>(p.y() * Twips));
}

void WaylandMainWindow::PointerLeft() {
    if (!hovering_ || pressed_)
        return;
    hovering_ = false;
    if (listener_)
        listener_->Form_MouseLeave();
}

void WaylandMainWindow::MouseRelease(const QMouseEvent& event, QPoint at) {
    if (!pressed_)
        return;
    if (event.buttons() == Qt::NoButton)
        pressed_ = false;
    if (!listener_)
        return;
    const QPoint p = at - position_;
    listener_->Form_MouseUp(ChangedButton(event), ShiftState(event),
                            static_cast<float>(p.x() * Twips), static_cast<float>(p.y() * Twips));
}

void WaylandMainWindow::MouseDoubleClick(const QMouseEvent& event, QPoint at) {
    if (!listener_ || !(pressed_ || OnPhone(at)))
        return;
    pressed_ = true;
    const QPoint p = at - position_;
    const auto x = static_cast<float>(p.x() * Twips), y = static_cast<float>(p.y() * Twips);
    listener_->Form_MouseDown(ChangedButton(event), ShiftState(event), x, y);
    if (event.button() == Qt::LeftButton)
        listener_->Form_DblClick(x, y);
}

void WaylandMainWindow::KeyPress(const QKeyEvent& event) {
    if (event.key() == Qt::Key_F5) {
        Refresh();
        return;
    }
    if (event.key() == Qt::Key_M && (event.modifiers() & Qt::ControlModifier)) {
        Minimise();
        return;
    }
    const std::int16_t code = VirtualKeyCode(event);
    if (listener_ && code != 0 && visible_)
        listener_->Form_KeyDown(code, ShiftState(event));
}

void WaylandMainWindow::Closing() {
    if (listener_ && !unloaded_) {
        unloaded_ = true;
        listener_->Form_Unload();
    }
    for (const auto& overlay : overlays_)
        if (overlay->isVisible())
            overlay->hide();
}
