// SPDX-License-Identifier: MIT

#include "backends/wayland/WaylandMainWindow.h"
#include "backends/qt/QtLook.h"

#include "backends/qt/QtConvert.h"
#include "backends/qt/QtKeyMap.h"
#include "backends/wayland/CompositorFrames.h"
#include "backends/wayland/OverlayWindow.h"
#include "backends/wayland/PortalScreenshot.h"
#include "backends/wayland/ReadingNotice.h"
#include "backends/wayland/WaylandScreen.h"
#include "platform/IMainWindowListener.h"
#include "platform/Twips.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

constexpr double Twips = 15.0; // per device pixel, as the screen counts them

// At most this long for the compositor to show a frame without the overlay before the
// screenshot.
constexpr int StepAsideMs = 250;
constexpr int PortalTimeoutMs = 10000;

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
    // The portal hears of Tarvik's id while the reading window comes up.
    PortalScreenshot::Begin(PortalTimeoutMs);
    const bool wasShown = overlays_.front()->isVisible();
    if (wasShown)
        for (const auto& overlay : overlays_)
            overlay->hide();
    // The portal is asked while a window of ours has the keyboard.
    if (!notice_)
        notice_ = std::make_unique<ReadingNotice>();
    notice_->ShowClear();
    // The notice came after the overlays went: once it is on the screen, they are off it.
    if (wasShown)
        WaitPresented(*notice_, StepAsideMs);
    const QSize minimum(desktop.right() + 1, desktop.bottom() + 1);
    // The overlays are shown as soon as the answer is there: the compositor sets them up
    // while the picture is decoded, and they are drawn only once it is in.
    const auto show = [this] {
        if (notice_->Saying())
            return;
        ShowOverlays(true);
        // Qt hands its requests to the compositor when its event loop is about to wait: sent
        // now, they are answered during the decode, not after it.
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            emit dispatcher->aboutToBlock();
    };
    PortalScreenshot::Result shot = PortalScreenshot::Take(
        minimum, PortalTimeoutMs, [this] { notice_->Say(); }, show);
    if (notice_->Saying() && shot.Error.isEmpty()) {
        // The desktop asked the user meanwhile, and the picture shows the notice: the
        // answer is kept now, so ask again with the notice see-through.
        notice_->Clear();
        shot = PortalScreenshot::Take(minimum, PortalTimeoutMs, {}, show);
    }
    if (shot.Error.isEmpty())
        screen_.SetDesktop(shot.Image, primary);
    if (wasShown && OverlaysHidden())
        ShowOverlays();
    else if (!wasShown && !shot.Error.isEmpty())
        for (const auto& overlay : overlays_)
            overlay->hide(); // held: no frame with a picture reached the compositor
    notice_->hide();
    refreshing_ = false;
    // At the start the phone is drawn with the first frame: the overlays wait for Show, or
    // for the event loop (a message before the phone is up).
    if (wasShown)
        ReleaseOverlays();
    else
        Later([this] { ReleaseOverlays(); });
    return shot.Error;
}

void WaylandMainWindow::Refresh() {
    const QString error = TakeScreenshot();
    if (error.isEmpty())
        return;
    ShowPlainMessage(error, &Owner());
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

void WaylandMainWindow::ShowOverlays(bool held) {
    for (const auto& overlay : overlays_) {
        if (held) {
            overlay->ShowHeld();
            continue;
        }
        overlay->Release();
        overlay->showFullScreen();
        overlay->raise();
    }
    OverlayWindow& main = OverlayAt(position_);
    main.activateWindow();
    main.setFocus();
}

void WaylandMainWindow::ReleaseOverlays() {
    for (const auto& overlay : overlays_)
        overlay->Release();
}

bool WaylandMainWindow::OverlaysHidden() const {
    return std::any_of(overlays_.begin(), overlays_.end(),
                       [](const auto& overlay) { return !overlay->isVisible(); });
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
        for (const auto& overlay : overlays_) {
            if (shape == PointerShape::Hand)
                overlay->setCursor(HandCursor());
            else
                overlay->unsetCursor();
        }
    }
}

void WaylandMainWindow::Show() {
    visible_ = true;
    if (OverlaysHidden() && !minimised_)
        ShowOverlays();
    Repaint();
    ReleaseOverlays();
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
    if (!(pressed_ || OnPhone(at)))
        return;
    pressed_ = true;
    const QPoint p = at - position_;
    events_.MouseDown(ChangedButton(event), ShiftState(event), static_cast<float>(p.x() * Twips),
                      static_cast<float>(p.y() * Twips));
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
    const QPoint p = at - position_;
    events_.MouseMove(HeldButtons(event), ShiftState(event), static_cast<float>(p.x() * Twips),
                      static_cast<float>(p.y() * Twips));
}

void WaylandMainWindow::PointerLeft() {
    if (!hovering_ || pressed_)
        return;
    hovering_ = false;
    events_.MouseLeave();
}

void WaylandMainWindow::MouseRelease(const QMouseEvent& event, QPoint at) {
    if (!pressed_)
        return;
    if (event.buttons() == Qt::NoButton)
        pressed_ = false;
    const QPoint p = at - position_;
    events_.MouseUp(ChangedButton(event), ShiftState(event), static_cast<float>(p.x() * Twips),
                    static_cast<float>(p.y() * Twips));
}

void WaylandMainWindow::MouseDoubleClick(const QMouseEvent& event, QPoint at) {
    if (!(pressed_ || OnPhone(at)))
        return;
    pressed_ = true;
    const QPoint p = at - position_;
    events_.DoubleClick(ChangedButton(event), ShiftState(event), static_cast<float>(p.x() * Twips),
                        static_cast<float>(p.y() * Twips));
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
    if (visible_)
        events_.KeyDown(code, ShiftState(event));
}

void WaylandMainWindow::Closing() {
    events_.Unload();
    for (const auto& overlay : overlays_)
        if (overlay->isVisible())
            overlay->hide();
}
