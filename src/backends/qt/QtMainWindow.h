// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMainWindow.h"
#include "platform/MainWindowEvents.h"

#include <QImage>
#include <QWidget>

#include <optional>

class IScreen;

// The main window's view: a frameless window painted with the skin picture and cut to
// the skin's region. Events go to the listener, positions in twips.
class QtMainWindow : public QWidget, public IMainWindow {
    Q_OBJECT
  public:
    explicit QtMainWindow(const IScreen& screen);

    void SetListener(IMainWindowListener* listener) override { events_.SetListener(listener); }
    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Place(double& left, double& top) const override;
    void Move(double left, double top) override;
    void Resize(double width, double height) override;
    void SetPicture(const Picture& picture) override;
    void SetRegion(const Region& region) override;
    void SetPointer(PointerShape shape) override;
    void SetButtons(const std::vector<AccessibleButton>& buttons) override;
    const std::vector<AccessibleButton>& Buttons() const { return buttons_; }
    // Presses a hot spot for assistive technology, once the call that asked has returned.
    void PressButton(int id);
    void Show() override;
    void Hide() override;
    void Close() override;
    void Later(std::function<void()> task) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The window's place and size in device pixels.
    QRect DeviceGeometry() const;
    // Where the program last placed the window, in device pixels; the window's own place
    // when it has moved since with no button held.
    QPoint Placed() const;
    // The event's pointer in device pixels from the placed window's corner. Not the event's
    // own window-local position: the server may have made it before it applied a move.
    QPoint DevicePointer(const QMouseEvent& event) const;
    float TwipsX(const QMouseEvent& event) const;
    float TwipsY(const QMouseEvent& event) const;

    const IScreen& screen_;
    MainWindowEvents events_;
    Picture picture_;
    QImage face_;
    std::vector<AccessibleButton> buttons_;
    std::optional<QPoint> placed_;
};
