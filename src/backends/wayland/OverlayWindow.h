// SPDX-License-Identifier: MIT

#pragma once

#include <QTimer>
#include <QWidget>

class QScreen;
class WaylandMainWindow;

// One screen's full-screen window: the frozen screenshot, with the phone drawn on it by
// the main window it reports to. Positions it hands over are in device pixels of the desktop.
class OverlayWindow : public QWidget {
  public:
    OverlayWindow(WaylandMainWindow& owner, QScreen* screen);

    // This screen's part of the desktop, in device pixels.
    QRect DeviceRect() const;
    QPoint ToDesktop(QPointF local) const;
    QPointF FromDesktop(QPoint device) const;

    // Shows the window full-screen with its drawing held back until Release, so that the
    // compositor sets it up while the picture is decoded. Where the compositor leaves the
    // first size to the window (sway), it answers as one pixel; full size, it draws nothing.
    void ShowHeld();
    // Draws at once what was held back. Held too long, the window has stepped aside (hidden),
    // to be shown again.
    void Release();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    WaylandMainWindow& owner_;
    QScreen* screen_;
    bool held_ = false;
    QTimer holding_;
};
