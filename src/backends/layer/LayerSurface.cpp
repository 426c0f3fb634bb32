// SPDX-License-Identifier: MIT

#include "backends/layer/LayerSurface.h"

#include "backends/layer/ShmBuffer.h"
#include "backends/layer/WaylandClient.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cmath>

namespace {

std::uint32_t LayerOf(LayerSurface::Level level) {
    return level == LayerSurface::Level::Above ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY
                                               : ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM;
}

const zwlr_layer_surface_v1_listener layerListener = {
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t, std::uint32_t) {
        static_cast<LayerSurface*>(data)->Configure(serial);
    },
    [](void* data, zwlr_layer_surface_v1*) { static_cast<LayerSurface*>(data)->OnClosed(); },
};

} // namespace

LayerSurface::LayerSurface(WaylandClient& client, Keyboard keyboard, const char* purpose)
    : client_(client), keyboard_(keyboard), purpose_(purpose) {}

LayerSurface::~LayerSurface() {
    *alive_ = false;
    Destroy();
}

void LayerSurface::SetInput(ISurfaceInput* input) {
    input_ = input;
    if (surface_) {
        if (input)
            client_.SetInput(surface_, input);
        else
            client_.ClearInput(surface_);
    }
}

void LayerSurface::HoldOutput(bool hold) {
    holdOutput_ = hold;
    if (!hold && shown_ && OutputFor(topLeft_) != output_)
        Commit();
}

WaylandOutput* LayerSurface::OutputFor(QPoint topLeft) const {
    if (holdOutput_ && output_)
        return output_;
    const QPoint centre = topLeft + QPoint(picture_.width() / 2, picture_.height() / 2);
    return client_.OutputAt(centre);
}

void LayerSurface::Create(WaylandOutput& output) {
    output_ = &output;
    surface_ = wl_compositor_create_surface(client_.Compositor());
    wl_surface_set_buffer_scale(surface_, output.Scale);
    layer_ = zwlr_layer_shell_v1_get_layer_surface(client_.LayerShell(), surface_, output.Output,
                                                   LayerOf(level_), purpose_);
    zwlr_layer_surface_v1_add_listener(layer_, &layerListener, this);
    zwlr_layer_surface_v1_set_anchor(layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // Panels do not push it aside.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    SetKeyboard();
    if (input_)
        client_.SetInput(surface_, input_);
    configured_ = false;
    drawnShift_ = {-1, -1};
}

void LayerSurface::SetKeyboard() {
    if (keyboard_ == Keyboard::None)
        return;
    if (keyboard_ == Keyboard::Exclusive) {
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            layer_, level_ == Level::Above ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                           : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
        return;
    }
    // Before version 4 the keyboard is all or nothing; all would take it from every window.
    const bool wanted = level_ == Level::Above && client_.LayerShellVersion() >= 4;
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, wanted ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                       : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
}

void LayerSurface::Destroy() {
    if (!surface_)
        return;
    client_.ClearInput(surface_);
    if (layer_)
        zwlr_layer_surface_v1_destroy(layer_);
    wl_surface_destroy(surface_);
    layer_ = nullptr;
    surface_ = nullptr;
    output_ = nullptr;
    buffers_.clear();
    client_.Flush();
}

void LayerSurface::Show(const QImage& picture, QPoint topLeft, const QRegion& input) {
    picture_ = picture;
    inputRegion_ = input;
    topLeft_ = topLeft;
    drawnShift_ = {-1, -1};
    shown_ = true;
    Commit();
}

void LayerSurface::Move(QPoint topLeft) {
    if (topLeft == topLeft_)
        return;
    topLeft_ = topLeft;
    if (shown_)
        Commit();
}

void LayerSurface::SetLevel(Level level) {
    if (level == level_)
        return;
    level_ = level;
    // Before version 2 the layer is fixed once made.
    if (!layer_ || client_.LayerShellVersion() < 2)
        return;
    zwlr_layer_surface_v1_set_layer(layer_, LayerOf(level));
    // Below, the keyboard goes back to the window the compositor had given it.
    SetKeyboard();
    wl_surface_commit(surface_);
    client_.Flush();
}

void LayerSurface::Hide() {
    shown_ = false;
    Destroy();
}

void LayerSurface::Configure(std::uint32_t serial) {
    configureSerial_ = serial;
    ackPending_ = true;
    const bool first = !configured_;
    configured_ = true;
    if (first && shown_)
        Commit();
}

void LayerSurface::OnClosed() {
    // Whatever is made next goes to an output that is there.
    Destroy();
    const auto alive = alive_;
    client_.AfterServer([this, alive] {
        if (!*alive)
            return;
        if (Closed)
            Closed();
    });
}

QPoint LayerSurface::ToDesktop(double x, double y) const {
    const int scale = output_ ? output_->Scale : 1;
    return appliedOrigin_ +
           QPoint(static_cast<int>(std::floor(x * scale)), static_cast<int>(std::floor(y * scale)));
}

void LayerSurface::Commit() {
    if (picture_.isNull())
        return;
    WaylandOutput* output = OutputFor(topLeft_);
    if (!output)
        return;
    const bool made = output != output_;
    if (made) {
        Destroy();
        Create(*output);
    }
    const int scale = output->Scale;
    const QPoint inside = topLeft_ - output->Device().topLeft();
    const QPoint margin(FloorDiv(inside.x(), scale), FloorDiv(inside.y(), scale));
    const QPoint shift = inside - margin * scale;
    // A new surface has no earlier place for events to be relative to.
    if (made) {
        appliedOrigin_ = topLeft_ - shift;
        appliedShift_ = shift;
    }
    const QSize size(CeilDiv(picture_.width() + scale - 1, scale) * scale,
                     CeilDiv(picture_.height() + scale - 1, scale) * scale);
    zwlr_layer_surface_v1_set_size(layer_, static_cast<std::uint32_t>(size.width() / scale),
                                   static_cast<std::uint32_t>(size.height() / scale));
    zwlr_layer_surface_v1_set_margin(layer_, margin.y(), 0, 0, margin.x());
    if (!configured_) {
        // The first commit has no buffer; the compositor's configure brings the rest.
        wl_surface_commit(surface_);
        client_.Flush();
        return;
    }
    if (ackPending_) {
        zwlr_layer_surface_v1_ack_configure(layer_, configureSerial_);
        ackPending_ = false;
    }
    // The picture shifts inside its buffer by the odd device pixel, if any.
    if (shift != drawnShift_) {
        if (!DrawAndAttach(buffers_, client_.Shm(), client_.Compositor(), surface_, scale, size,
                           picture_, shift, inputRegion_))
            return;
        drawnShift_ = shift;
    }
    wl_surface_commit(surface_);
    // Events from here on are relative to the new place once the compositor has it.
    const QPoint origin = topLeft_ - shift;
    const auto alive = alive_;
    client_.AfterServer([this, alive, origin, shift] {
        if (!*alive)
            return;
        appliedOrigin_ = origin;
        appliedShift_ = shift;
    });
    client_.Flush();
}
