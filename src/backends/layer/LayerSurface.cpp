// SPDX-License-Identifier: MIT

#include "backends/layer/LayerSurface.h"

#include "backends/layer/WaylandClient.h"
#include "io/UniqueFd.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QPainter>

#include <wayland-client.h>

#include <cmath>

#include <sys/mman.h>
#include <unistd.h>

// A picture in memory shared with the compositor; busy from its commit until released.
class ShmBuffer {
  public:
    static std::unique_ptr<ShmBuffer> Make(wl_shm* shm, QSize size) {
        const int stride = size.width() * 4;
        const std::size_t bytes = static_cast<std::size_t>(stride) * size.height();
        const UniqueFd fd(::memfd_create("tarvik-surface", MFD_CLOEXEC));
        if (!fd || ::ftruncate(fd.Get(), static_cast<off_t>(bytes)) != 0)
            return nullptr;
        void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
        if (data == MAP_FAILED)
            return nullptr;
        auto buffer = std::unique_ptr<ShmBuffer>(new ShmBuffer);
        buffer->data_ = data;
        buffer->bytes_ = bytes;
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd.Get(), static_cast<std::int32_t>(bytes));
        buffer->buffer_ = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                                    WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        static const wl_buffer_listener listener = {
            [](void* self, wl_buffer*) { static_cast<ShmBuffer*>(self)->busy_ = false; },
        };
        wl_buffer_add_listener(buffer->buffer_, &listener, buffer.get());
        buffer->image_ = QImage(static_cast<uchar*>(data), size.width(), size.height(), stride,
                                QImage::Format_ARGB32_Premultiplied);
        return buffer;
    }
    ~ShmBuffer() {
        wl_buffer_destroy(buffer_);
        ::munmap(data_, bytes_);
    }
    QImage& Image() { return image_; }
    wl_buffer* Buffer() const { return buffer_; }
    bool Busy() const { return busy_; }
    void SetBusy() { busy_ = true; }

  private:
    ShmBuffer() = default;
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
    wl_buffer* buffer_ = nullptr;
    QImage image_;
    bool busy_ = false;
};

namespace {

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int RoundUp(int a, int step) {
    return (a + step - 1) / step * step;
}

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

WaylandOutput* LayerSurface::OutputFor(QPoint topLeft) const {
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
    const QSize size(RoundUp(picture_.width() + scale - 1, scale),
                     RoundUp(picture_.height() + scale - 1, scale));
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
        ShmBuffer* free = nullptr;
        for (const auto& b : buffers_)
            if (!b->Busy() && b->Image().size() == size)
                free = b.get();
        if (!free) {
            std::erase_if(buffers_, [&](const auto& b) { return b->Image().size() != size; });
            auto buffer = ShmBuffer::Make(client_.Shm(), size);
            if (!buffer)
                return;
            free = buffer.get();
            buffers_.push_back(std::move(buffer));
        }
        free->Image().fill(Qt::transparent);
        QPainter painter(&free->Image());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(shift, picture_);
        painter.end();
        // The input region is in the surface's own logical pixels, taken generously.
        wl_region* region = wl_compositor_create_region(client_.Compositor());
        for (const QRect& r : inputRegion_) {
            const QRect d = r.translated(shift);
            const int left = FloorDiv(d.left(), scale);
            const int top = FloorDiv(d.top(), scale);
            const int right = FloorDiv(d.right() + scale, scale);
            const int bottom = FloorDiv(d.bottom() + scale, scale);
            wl_region_add(region, left, top, right - left, bottom - top);
        }
        wl_surface_set_input_region(surface_, region);
        wl_region_destroy(region);
        wl_surface_attach(surface_, free->Buffer(), 0, 0);
        wl_surface_damage_buffer(surface_, 0, 0, size.width(), size.height());
        free->SetBusy();
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
