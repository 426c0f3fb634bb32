// SPDX-License-Identifier: MIT

#include "backends/layer/PopupSurface.h"

#include "backends/layer/LayerSurface.h"
#include "backends/layer/ShmBuffer.h"
#include "backends/layer/WaylandClient.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <cmath>

namespace {

PopupSurface& Of(void* data) {
    return *static_cast<PopupSurface*>(data);
}

const xdg_surface_listener xdgListener = {
    [](void* data, xdg_surface*, std::uint32_t serial) { Of(data).Configure(serial); },
};

const xdg_popup_listener popupListener = {
    [](void* data, xdg_popup*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t) {
        Of(data).Placed(x, y);
    },
    [](void* data, xdg_popup*) { Of(data).Done(); },
    [](void*, xdg_popup*, std::uint32_t) {},
};

} // namespace

PopupSurface::PopupSurface(WaylandClient& client, Grab grab) : client_(client), grab_(grab) {}

PopupSurface::~PopupSurface() {
    Hide();
}

void PopupSurface::SetInput(ISurfaceInput* input) {
    input_ = input;
    if (surface_ && input)
        client_.SetInput(surface_, input);
}

bool PopupSurface::Show(const QImage& picture, QPoint topLeft, const QRegion& input,
                        LayerSurface& parent) {
    if (!parent.Layer() || !parent.Output())
        return false;
    return Show(picture, topLeft, input,
                Parent{nullptr, parent.Layer(), parent.ToDesktop(0, 0), parent.Output()->Scale});
}

bool PopupSurface::Show(const QImage& picture, QPoint topLeft, const QRegion& input,
                        PopupSurface& parent) {
    if (!parent.xdg_)
        return false;
    return Show(picture, topLeft, input,
                Parent{parent.xdg_, nullptr, parent.origin_, parent.scale_});
}

bool PopupSurface::Show(const QImage& picture, QPoint topLeft, const QRegion& input,
                        const Parent& parent) {
    if (!client_.WmBase())
        return false;
    const bool anew = !popup_ || topLeft != topLeft_ || picture.size() != picture_.size() ||
                      parent.Origin != parentOrigin_ || parent.Scale != scale_;
    picture_ = picture;
    inputRegion_ = input;
    if (anew) {
        Hide();
        topLeft_ = topLeft;
        Create(parent);
    } else if (configured_) {
        Draw();
    }
    return true;
}

void PopupSurface::Create(const Parent& parent) {
    scale_ = parent.Scale;
    parentOrigin_ = parent.Origin;
    const QPoint offset(FloorDiv(topLeft_.x() - parent.Origin.x(), scale_),
                        FloorDiv(topLeft_.y() - parent.Origin.y(), scale_));
    origin_ = parent.Origin + offset * scale_;
    surface_ = wl_compositor_create_surface(client_.Compositor());
    wl_surface_set_buffer_scale(surface_, scale_);
    xdg_ = xdg_wm_base_get_xdg_surface(client_.WmBase(), surface_);
    xdg_surface_add_listener(xdg_, &xdgListener, this);
    xdg_positioner* positioner = xdg_wm_base_create_positioner(client_.WmBase());
    xdg_positioner_set_size(positioner, CeilDiv(picture_.width(), scale_),
                            CeilDiv(picture_.height(), scale_));
    xdg_positioner_set_anchor_rect(positioner, 0, 0, 1, 1);
    xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
    xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
    xdg_positioner_set_offset(positioner, offset.x(), offset.y());
    // The caller keeps a menu on its output; the compositor only slides what still is off.
    xdg_positioner_set_constraint_adjustment(
        positioner, grab_ == Grab::Seat ? XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                              XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y
                                        : XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_NONE);
    popup_ = xdg_surface_get_popup(xdg_, parent.Xdg, positioner);
    xdg_positioner_destroy(positioner);
    xdg_popup_add_listener(popup_, &popupListener, this);
    if (parent.Layer)
        zwlr_layer_surface_v1_get_popup(parent.Layer, popup_);
    if (grab_ == Grab::Seat && client_.Seat())
        xdg_popup_grab(popup_, client_.Seat(), client_.InputSerial());
    if (input_)
        client_.SetInput(surface_, input_);
    configured_ = false;
    wl_surface_commit(surface_);
    client_.Flush();
}

void PopupSurface::Hide() {
    if (!surface_)
        return;
    client_.ClearInput(surface_);
    xdg_popup_destroy(popup_);
    xdg_surface_destroy(xdg_);
    wl_surface_destroy(surface_);
    popup_ = nullptr;
    xdg_ = nullptr;
    surface_ = nullptr;
    buffers_.clear();
    configured_ = false;
    client_.Flush();
}

void PopupSurface::Placed(std::int32_t x, std::int32_t y) {
    origin_ = parentOrigin_ + QPoint(x, y) * scale_;
}

void PopupSurface::Configure(std::uint32_t serial) {
    xdg_surface_ack_configure(xdg_, serial);
    configured_ = true;
    Draw();
}

void PopupSurface::Done() {
    if (Closed)
        Closed();
}

QPoint PopupSurface::ToDesktop(double x, double y) const {
    return origin_ + QPoint(static_cast<int>(std::floor(x * scale_)),
                            static_cast<int>(std::floor(y * scale_)));
}

void PopupSurface::Draw() {
    const QSize size(CeilDiv(picture_.width(), scale_) * scale_,
                     CeilDiv(picture_.height(), scale_) * scale_);
    if (!DrawAndAttach(buffers_, client_.Shm(), client_.Compositor(), surface_, scale_, size,
                       picture_, QPoint(), inputRegion_))
        return;
    wl_surface_commit(surface_);
    client_.Flush();
}
