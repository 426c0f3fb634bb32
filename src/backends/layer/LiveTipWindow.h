// SPDX-License-Identifier: MIT

#pragma once

#include "backends/layer/LayerSurface.h"
#include "platform/ITipWindow.h"

#include <QLabel>
#include <QRect>
#include <QTimer>

#include <functional>

class IScreen;
class WaylandClient;

// The tip, or the save notice, as a layer surface of ours: click-through, never focused,
// in the look of the Qt tip window. Drawn at the scale of the output it stands on.
class LiveTipWindow : public ITipWindow {
  public:
    enum class Role { Tip, Notice };
    // cursor: the pointer's desktop device position, which tells the output a tip not yet
    // placed is measured for.
    LiveTipWindow(WaylandClient& client, const IScreen& screen, Role role,
                  std::function<QPoint()> cursor);

    void MeasureText(const std::string& text, double& width, double& height) const override;
    void SetText(const std::string& text) override;
    void SetGeometry(double left, double top, double width, double height) override;
    void Show() override;
    void Hide() override;
    void HideAfter(int milliseconds) override;
    void Close() override;

  private:
    int Scale() const;
    QImage Draw(int scale);
    // Shows the text at the place, drawn anew only when it changed.
    void Apply();

    WaylandClient& client_;
    const IScreen& screen_;
    std::function<QPoint()> cursor_;
    LayerSurface surface_;
    QLabel label_; // never shown: it draws the text into the surface's picture
    QTimer hideTimer_;
    QRect place_; // desktop device pixels
    // What the surface shows, to redraw only when it changes.
    QString drawnText_;
    QSize drawnSize_;
    int drawnScale_ = 0;
};
