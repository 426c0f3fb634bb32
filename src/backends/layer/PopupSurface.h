// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ISurfaceInput;
class LayerSurface;
class ShmBuffer;
class WaylandClient;
struct wl_surface;
struct xdg_popup;
struct xdg_surface;
struct zwlr_layer_surface_v1;

// A popup of ours beside a parent of ours (a layer surface, or another popup), always above
// it: the compositors differ in how they stack layer surfaces of one layer, but a popup is
// above its parent on all of them. Placed by its top-left corner in desktop device pixels,
// in whole logical pixels from the parent, and drawn one picture pixel to one device pixel.
class PopupSurface {
  public:
    // Seat: the popup grabs the pointer (a menu); a click on another program's surface ends
    // the grab, and the compositor then closes the popup.
    enum class Grab { None, Seat };

    PopupSurface(WaylandClient& client, Grab grab);
    ~PopupSurface();
    PopupSurface(const PopupSurface&) = delete;
    PopupSurface& operator=(const PopupSurface&) = delete;

    void SetInput(ISurfaceInput* input);
    // Shows the picture (premultiplied ARGB32) at the place, the pointer ours over input
    // (picture pixels) only; a new place or size makes the popup anew. False when the
    // parent is not shown.
    bool Show(const QImage& picture, QPoint topLeft, const QRegion& input, LayerSurface& parent);
    bool Show(const QImage& picture, QPoint topLeft, const QRegion& input, PopupSurface& parent);
    void Hide();
    bool Shown() const { return popup_ != nullptr; }

    // Where the compositor put it (it may slide a grabbing popup onto the output).
    QPoint TopLeft() const { return origin_; }
    QPoint ToDesktop(double x, double y) const;
    wl_surface* Surface() const { return surface_; }
    // Runs when the compositor has closed the popup.
    std::function<void()> Closed;

    // For the protocol's listeners.
    void Configure(std::uint32_t serial);
    void Placed(std::int32_t x, std::int32_t y);
    void Done();

  private:
    struct Parent {
        xdg_surface* Xdg = nullptr;
        zwlr_layer_surface_v1* Layer = nullptr;
        QPoint Origin;
        int Scale = 1;
    };
    bool Show(const QImage& picture, QPoint topLeft, const QRegion& input, const Parent& parent);
    void Create(const Parent& parent);
    void Draw();

    WaylandClient& client_;
    Grab grab_;
    ISurfaceInput* input_ = nullptr;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdg_ = nullptr;
    xdg_popup* popup_ = nullptr;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    QImage picture_;
    QRegion inputRegion_;
    QPoint topLeft_;
    QPoint parentOrigin_;
    QPoint origin_;
    int scale_ = 1;
    bool configured_ = false;
};
