// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMainWindow.h"
#include "platform/MainWindowEvents.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>
#include <QString>

#include <memory>
#include <vector>

class OverlayWindow;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QWidget;
class ReadingNotice;
class WaylandScreen;

// The main window on Wayland, where a program can neither read the screen nor place its
// window: full-screen windows show a frozen screenshot, and the phone is drawn on them
// where the window would be. Positions are device pixels of the screenshot.
class WaylandMainWindow : public IMainWindow {
  public:
    explicit WaylandMainWindow(WaylandScreen& screen);
    ~WaylandMainWindow() override;

    void SetListener(IMainWindowListener* listener) override { events_.SetListener(listener); }
    // The window that owns dialogs.
    QWidget& Owner();

    // Takes a fresh screenshot, the overlay out of the way meanwhile; the error text, or
    // empty on success (the old screenshot stays then).
    QString TakeScreenshot();
    // F5: a fresh screenshot, with a message when there is none.
    void Refresh();
    // Ctrl+M: steps aside; coming back takes a fresh screenshot first.
    void Minimise();

    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top) override;
    void Resize(double width, double height) override;
    void SetPicture(const Picture& picture) override;
    void SetRegion(const Region& region) override;
    void SetPointer(PointerShape shape) override;
    // The phone on the overlay is not offered to assistive technology yet.
    void SetButtons(const std::vector<AccessibleButton>&) override {}
    void Show() override;
    void Hide() override;
    void Close() override;
    void Later(std::function<void()> task) override;

    // From the overlay windows.
    const QImage& Desktop() const;
    void PaintPhone(QPainter& painter, QPoint origin) const;
    void MousePress(const QMouseEvent& event, QPoint at);
    void MouseMove(const QMouseEvent& event, QPoint at, QWidget& over);
    void MouseRelease(const QMouseEvent& event, QPoint at);
    void MouseDoubleClick(const QMouseEvent& event, QPoint at);
    void KeyPress(const QKeyEvent& event);
    void Closing();
    void Restored();
    // The overlay window that shows a desktop point, or the first.
    OverlayWindow& OverlayAt(QPoint device) const;

  private:
    bool OnPhone(QPoint at) const;
    // The pointer moved off the phone (into its hole or beside it). The overlay's own
    // leave events are not used: the compositor sends them when a tip appears.
    void PointerLeft();
    // Held: drawn once the picture is in (see OverlayWindow::ShowHeld).
    void ShowOverlays(bool held = false);
    void ReleaseOverlays();
    // Not shown yet, or stepped aside while held.
    bool OverlaysHidden() const;
    void Repaint();

    WaylandScreen& screen_;
    MainWindowEvents events_;
    std::vector<std::unique_ptr<OverlayWindow>> overlays_;
    std::unique_ptr<ReadingNotice> notice_;
    QPoint position_;
    QSize size_;
    Picture picture_;
    QImage face_;
    QRegion region_;
    PointerShape shape_ = PointerShape::Default;
    bool visible_ = false;
    bool pressed_ = false;
    bool hovering_ = false; // the pointer is over the phone // a press on the phone holds the
                            // pointer until its release
    bool minimised_ = false;
    bool refreshing_ = false;
    QObject tasks_; // what Later left for the event loop
};
