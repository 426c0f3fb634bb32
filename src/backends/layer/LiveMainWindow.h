// SPDX-License-Identifier: MIT

#pragma once

#include "backends/layer/LayerSurface.h"
#include "backends/layer/WaylandClient.h"
#include "platform/IMainWindow.h"
#include "platform/MainWindowEvents.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>

#include <memory>

// The main window on a Wayland desktop with the layer shell: the phone as a surface of its
// own above every window, see-through and click-through in its hole, placed exactly.
// Positions are desktop device pixels.
class LiveMainWindow : public IMainWindow, private ISurfaceInput {
  public:
    explicit LiveMainWindow(WaylandClient& client);
    ~LiveMainWindow() override;

    void SetListener(IMainWindowListener* listener) override { events_.SetListener(listener); }
    // Where the pointer was last seen over a surface of ours, on the desktop.
    QPoint PointerPosition() const { return pointer_; }
    // Input to the phone waits while a menu of ours is open.
    void SetBlocked(bool blocked) { blocked_ = blocked; }

    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top) override;
    void Resize(double width, double height) override;
    void SetPicture(const Picture& picture) override;
    void SetRegion(const Region& region) override;
    void SetPointer(PointerShape shape) override;
    // The phone is not offered to assistive technology on this connection.
    void SetButtons(const std::vector<AccessibleButton>&) override {}
    void Show() override;
    void Hide() override;
    void Close() override;
    void Later(std::function<void()> task) override;

  private:
    void PointerEnter(double x, double y) override;
    void PointerMotion(double x, double y) override;
    void PointerButton(std::uint32_t button, bool pressed) override;
    void PointerLeave() override;
    void PointerDelta(double dx, double dy) override;
    void KeyPress(std::uint32_t keysym, std::uint32_t keycode) override;

    // Input waits while a dialog or menu is open, as under a modal window.
    bool Blocked() const;
    std::int16_t ShiftState() const;
    // The pointer's place within the phone, in twips, from the place the program set.
    QPointF InTwips() const;
    void Redraw();
    // Back on an output after the phone's output went, or the surface was closed.
    void Rehome();

    WaylandClient& client_;
    LayerSurface phone_;
    MainWindowEvents events_;
    QPoint position_;
    QSize size_;
    Picture picture_;
    QImage face_;
    QRegion region_;
    QPoint pointer_;
    // While a button is held, the pointer as its own motion moved it since the press:
    // compositors measure a held pointer from where the phone was at the press (sway) or
    // from where it is now (others), and the motion holds for both.
    QPointF held_;
    bool heldMoved_ = false;
    std::int16_t buttons_ = 0;
    bool visible_ = false;
    bool hovering_ = false;
    bool blocked_ = false;
    bool closed_ = false;
    QElapsedTimer lastPress_;
    QPoint lastPressAt_;
    QObject tasks_; // what Later left for the event loop
    class DialogWatch;
    std::unique_ptr<DialogWatch> dialogs_;
};
