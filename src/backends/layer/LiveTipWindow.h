// SPDX-License-Identifier: MIT

#pragma once

#include "backends/layer/PopupSurface.h"
#include "platform/ITipWindow.h"

#include <QLabel>
#include <QRect>
#include <QTimer>

class IScreen;
class LayerSurface;
class WaylandClient;

// The tip, or the save notice, as a popup of the phone: above it, click-through, never
// focused, in the look of the Qt tip window, at the scale of the phone's output.
class LiveTipWindow : public ITipWindow {
  public:
    LiveTipWindow(WaylandClient& client, const IScreen& screen, LayerSurface& phone);

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

    const IScreen& screen_;
    LayerSurface& phone_;
    PopupSurface surface_;
    QLabel label_; // never shown: it draws the text into the surface's picture
    QTimer hideTimer_;
    QRect place_; // desktop device pixels
    // What the surface shows, to redraw only when it changes.
    QString drawnText_;
    QSize drawnSize_;
    int drawnScale_ = 0;
    QImage drawn_;
    QPoint shownAt_;
};
