// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRegion>

#include <functional>
#include <memory>
#include <vector>

class ShmBuffer;
class WaylandClient;
class ISurfaceInput;
struct WaylandOutput;
struct wl_surface;
struct zwlr_layer_surface_v1;

// A surface of ours on the overlay layer, above every window, placed by its top-left corner
// in desktop device pixels and drawn one picture pixel to one device pixel, on the output
// that holds the picture's centre. Layer-shell margins are whole logical pixels: on a
// scale-2 output the picture is drawn one device pixel into its buffer where the place is
// odd, and the buffer has room for it.
class LayerSurface {
  public:
    enum class Keyboard { None, OnDemand };

    LayerSurface(WaylandClient& client, Keyboard keyboard, const char* purpose);
    ~LayerSurface();
    LayerSurface(const LayerSurface&) = delete;
    LayerSurface& operator=(const LayerSurface&) = delete;

    // The pointer and keyboard events of the surface go there; null: nowhere.
    void SetInput(ISurfaceInput* input);
    // Shows the picture (premultiplied ARGB32; alpha 0 is see-through) at the place, or
    // changes what is shown. The pointer is ours over input (picture pixels) only.
    void Show(const QImage& picture, QPoint topLeft, const QRegion& input);
    void Move(QPoint topLeft);
    void Hide();
    bool Shown() const { return shown_; }
    // Above every window, or below them (the desktop's windows then cover it).
    enum class Level { Above, Below };
    void SetLevel(Level level);

    // The place last set, and the place the compositor's events arriving now are relative
    // to: a move is applied only once the compositor has handled it.
    QPoint TopLeft() const { return topLeft_; }
    QPoint AppliedTopLeft() const { return appliedOrigin_ + appliedShift_; }
    // A point of the surface's own (logical) as a desktop device point, from the applied
    // place.
    QPoint ToDesktop(double x, double y) const;
    WaylandOutput* Output() const { return output_; }
    wl_surface* Surface() const { return surface_; }
    // Runs when the compositor has closed the surface (its output went, for one); the
    // next Show makes a new one.
    std::function<void()> Closed;

    // For the protocol's listeners.
    void Configure(std::uint32_t serial);
    void OnClosed();

  private:
    void Create(WaylandOutput& output);
    void Destroy();
    void Commit();
    void SetKeyboard();
    WaylandOutput* OutputFor(QPoint topLeft) const;

    WaylandClient& client_;
    Keyboard keyboard_;
    const char* purpose_;
    ISurfaceInput* input_ = nullptr;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    WaylandOutput* output_ = nullptr;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    QImage picture_;
    QRegion inputRegion_;
    QPoint topLeft_;
    QPoint appliedOrigin_; // the surface's own top-left corner, as applied
    QPoint appliedShift_;
    QPoint drawnShift_{-1, -1};
    bool shown_ = false;
    Level level_ = Level::Above;
    bool configured_ = false;
    std::uint32_t configureSerial_ = 0;
    bool ackPending_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
