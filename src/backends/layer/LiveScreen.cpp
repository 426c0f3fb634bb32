// SPDX-License-Identifier: MIT

#include "backends/layer/LiveScreen.h"

#include "backends/layer/ShmBuffer.h"
#include "backends/layer/WaylandClient.h"
#include "backends/qt/QtConvert.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <QPainter>

#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include <poll.h>

namespace {

// One device pixel counts as a pixel of a 96-dpi screen.
constexpr double TwipsPerDevicePixel = 15.0;
constexpr auto CopyTimeout = std::chrono::seconds(2);
constexpr auto ProbeTimeout = std::chrono::seconds(1);
constexpr int PortalTimeoutMs = 10000;

using Clock = std::chrono::steady_clock;

ScreenArea ToTwips(QRect r) {
    const double t = TwipsPerDevicePixel;
    return {r.x() * t, r.y() * t, r.width() * t, r.height() * t};
}

// Draws the source part of the picture into the target of the grab: pixel for pixel where
// their sizes agree, else scaled.
void Place(QPainter& painter, QRect target, const QImage& picture, QRectF source) {
    const QRect whole = source.toRect();
    if (QRectF(whole) == source && whole.size() == target.size()) {
        painter.drawImage(target.topLeft(), picture, whole);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(target), picture, source);
}

// A copy's pixels as RGB32, top row first.
QImage Read(const ShmBuffer& copy, std::uint32_t format, bool yInvert) {
    const QImage& shared = copy.Image();
    QImage image(shared.size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const bool bgr = format == WL_SHM_FORMAT_ABGR8888 || format == WL_SHM_FORMAT_XBGR8888;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* from = shared.constScanLine(yInvert ? image.height() - 1 - y : y);
        auto* to = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::uint32_t p;
            std::memcpy(&p, from + static_cast<std::size_t>(x) * 4, 4);
            if (bgr)
                p = (p & 0x00ff00u) | ((p & 0xffu) << 16) | ((p >> 16) & 0xffu);
            to[x] = 0xff000000u | (p & 0xffffffu);
        }
    }
    return image;
}

// A queue of our own on the client's connection: what waits on it handles only its own
// objects' events, and the phone's pointer events stay queued for the event loop.
class PrivateQueue {
  public:
    explicit PrivateQueue(WaylandClient& client)
        : client_(client), queue_(wl_display_create_queue(client.Display())) {}
    ~PrivateQueue() {
        wl_event_queue_destroy(queue_);
        // Events for the default queue may have been read meanwhile: the socket no longer
        // says so.
        client_.DispatchSoon();
    }
    PrivateQueue(const PrivateQueue&) = delete;
    PrivateQueue& operator=(const PrivateQueue&) = delete;

    // A proxy whose new objects' events come to this queue.
    template <typename T> T* Wrap(T* proxy) {
        auto* wrapper = static_cast<T*>(wl_proxy_create_wrapper(proxy));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue_);
        return wrapper;
    }
    template <typename T> static void Unwrap(T* wrapper) { wl_proxy_wrapper_destroy(wrapper); }

    // Handles this queue's events until done says so; false at the deadline or when the
    // connection broke.
    bool WaitUntil(const std::function<bool()>& done, Clock::time_point deadline) {
        wl_display* display = client_.Display();
        while (true) {
            if (wl_display_dispatch_queue_pending(display, queue_) < 0)
                return false;
            if (done())
                return true;
            if (wl_display_prepare_read_queue(display, queue_) != 0)
                continue; // more came meanwhile
            while (wl_display_flush(display) < 0 && errno == EAGAIN) {
                pollfd out{wl_display_get_fd(display), POLLOUT, 0};
                if (::poll(&out, 1, 50) < 0)
                    break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                wl_display_cancel_read(display);
                return false;
            }
            pollfd in{wl_display_get_fd(display), POLLIN, 0};
            const int ready = ::poll(&in, 1, static_cast<int>(left.count()));
            if (ready <= 0) {
                wl_display_cancel_read(display);
                if (ready < 0 && errno != EINTR)
                    return false;
                continue;
            }
            if (wl_display_read_events(display) < 0)
                return false;
        }
    }

    wl_event_queue* Queue() const { return queue_; }

  private:
    WaylandClient& client_;
    wl_event_queue* queue_;
};

bool Supported(std::uint32_t format) {
    return format == WL_SHM_FORMAT_ARGB8888 || format == WL_SHM_FORMAT_XRGB8888 ||
           format == WL_SHM_FORMAT_ABGR8888 || format == WL_SHM_FORMAT_XBGR8888;
}

// One screencopy frame of a part.
struct Frame {
    WaylandClient* Client = nullptr;
    zwlr_screencopy_frame_v1* Proxy = nullptr;
    bool Offered = false; // a buffer we can read was offered
    std::uint32_t Format = 0;
    int Width = 0, Height = 0, Stride = 0;
    std::unique_ptr<ShmBuffer> Shared;
    bool YInvert = false;
    bool Ready = false;
    bool Failed = false;
    bool WithDamage = false; // copied only once the region has changed

    bool Done() const { return Ready || Failed; }
    void Copy() {
        if (Shared || Failed)
            return;
        if (!Offered || Width <= 0 || Height <= 0 || Stride < Width * 4) {
            Failed = true;
            return;
        }
        Shared = ShmBuffer::Make(Client->Shm(), {Width, Height}, Format, Stride);
        if (!Shared) {
            Failed = true;
            return;
        }
        if (WithDamage)
            zwlr_screencopy_frame_v1_copy_with_damage(Proxy, Shared->Buffer());
        else
            zwlr_screencopy_frame_v1_copy(Proxy, Shared->Buffer());
    }
};

Frame& FrameOf(void* data) {
    return *static_cast<Frame*>(data);
}

const zwlr_screencopy_frame_v1_listener frameListener = {
    [](void* data, zwlr_screencopy_frame_v1* proxy, std::uint32_t format, std::uint32_t width,
       std::uint32_t height, std::uint32_t stride) {
        Frame& frame = FrameOf(data);
        if (frame.Offered || !Supported(format))
            return;
        frame.Offered = true;
        frame.Format = format;
        frame.Width = static_cast<int>(width);
        frame.Height = static_cast<int>(height);
        frame.Stride = static_cast<int>(stride);
        // Before version 3 no buffer_done follows.
        if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(proxy)) < 3)
            frame.Copy();
    },
    [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
        FrameOf(data).YInvert = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
    },
    [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
        FrameOf(data).Ready = true;
    },
    [](void* data, zwlr_screencopy_frame_v1*) { FrameOf(data).Failed = true; },
    [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t) {},
    [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void* data, zwlr_screencopy_frame_v1*) { FrameOf(data).Copy(); },
};

// Every part at once, then the wait for all of them.
bool CopyParts(WaylandClient& client, std::vector<OutputPart>& parts) {
    PrivateQueue queue(client);
    auto* manager = queue.Wrap(client.ScreenCopy());
    std::vector<std::unique_ptr<Frame>> frames;
    for (const OutputPart& part : parts) {
        auto frame = std::make_unique<Frame>();
        frame->Client = &client;
        frame->Proxy = zwlr_screencopy_manager_v1_capture_output_region(
            manager, 0, part.Output->Output, part.Logical.x(), part.Logical.y(),
            part.Logical.width(), part.Logical.height());
        zwlr_screencopy_frame_v1_add_listener(frame->Proxy, &frameListener, frame.get());
        frames.push_back(std::move(frame));
    }
    PrivateQueue::Unwrap(manager);
    const bool answered = queue.WaitUntil(
        [&] {
            return std::all_of(frames.begin(), frames.end(),
                               [](const auto& f) { return f->Done(); });
        },
        Clock::now() + CopyTimeout);
    bool good = answered;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        Frame& frame = *frames[i];
        if (good && frame.Ready && frame.Shared)
            parts[i].Picture = Read(*frame.Shared, frame.Format, frame.YInvert);
        good = good && !parts[i].Picture.isNull();
        zwlr_screencopy_frame_v1_destroy(frame.Proxy);
    }
    client.Flush();
    return good;
}

// The last capture's region, kept current: a copy that the compositor makes whenever the
// region changes, asked for again after each. While the phone stands still, the next capture
// of the same region needs no new frame of the output (up to a frame period of waiting).
class RegionWatch {
  public:
    explicit RegionWatch(WaylandClient& client) : client_(client), queue_(client) {
        client_.Dispatched = [this] { Pump(); };
    }
    ~RegionWatch() {
        client_.Dispatched = nullptr;
        Stop();
    }
    RegionWatch(const RegionWatch&) = delete;
    RegionWatch& operator=(const RegionWatch&) = delete;

    bool Watches(const OutputPart& part) const {
        return frame_ && output_ == part.Output->Output && region_ == part.Logical;
    }
    void Start(const OutputPart& part) {
        Stop();
        if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(client_.ScreenCopy())) < 2)
            return; // no copies on change
        output_ = part.Output->Output;
        region_ = part.Logical;
        latest_ = part.Picture;
        Arm();
    }
    // The region as the screen shows it now: every copy the compositor made before this
    // call is in. Null when the watch broke.
    QImage Current() {
        bool synced = false;
        wl_display* display = queue_.Wrap(client_.Display());
        wl_callback* sync = wl_display_sync(display);
        PrivateQueue::Unwrap(display);
        static const wl_callback_listener listener = {
            [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
        };
        wl_callback_add_listener(sync, &listener, &synced);
        const bool answered =
            queue_.WaitUntil([&] { return synced || Broken(); }, Clock::now() + CopyTimeout);
        wl_callback_destroy(sync);
        Pump();
        return answered && !Broken() ? latest_ : QImage();
    }

  private:
    bool Broken() const { return !frame_ || frame_->Failed; }
    void Arm() {
        frame_ = std::make_unique<Frame>();
        frame_->Client = &client_;
        frame_->WithDamage = true;
        auto* manager = queue_.Wrap(client_.ScreenCopy());
        frame_->Proxy = zwlr_screencopy_manager_v1_capture_output_region(
            manager, 0, output_, region_.x(), region_.y(), region_.width(), region_.height());
        PrivateQueue::Unwrap(manager);
        zwlr_screencopy_frame_v1_add_listener(frame_->Proxy, &frameListener, frame_.get());
        client_.Flush();
    }
    // Takes in the copies made meanwhile and asks for the next.
    void Pump() {
        if (!frame_)
            return;
        wl_display_dispatch_queue_pending(client_.Display(), queue_.Queue());
        if (frame_->Ready && frame_->Shared) {
            latest_ = Read(*frame_->Shared, frame_->Format, frame_->YInvert);
            zwlr_screencopy_frame_v1_destroy(frame_->Proxy);
            Arm();
        }
    }
    void Stop() {
        if (frame_)
            zwlr_screencopy_frame_v1_destroy(frame_->Proxy);
        frame_.reset();
        latest_ = QImage();
    }

    WaylandClient& client_;
    PrivateQueue queue_;
    std::unique_ptr<Frame> frame_;
    wl_output* output_ = nullptr;
    QRect region_;
    QImage latest_;
};

// Copies the parts; one part of the region watched since the last capture is taken from the
// watch.
bool CopyOrWatched(WaylandClient& client, RegionWatch& watch, std::vector<OutputPart>& parts) {
    if (parts.size() == 1 && watch.Watches(parts[0])) {
        parts[0].Picture = watch.Current();
        if (!parts[0].Picture.isNull())
            return true;
    }
    if (!CopyParts(client, parts))
        return false;
    if (parts.size() == 1)
        watch.Start(parts[0]);
    return true;
}

// The output a new surface goes to: a see-through, click-through 1 x 1 layer surface with no
// output named, shown until the compositor says where it entered.
const WaylandOutput* ProbeStartOutput(WaylandClient& client) {
    PrivateQueue queue(client);
    auto* compositor = queue.Wrap(client.Compositor());
    auto* shell = queue.Wrap(client.LayerShell());
    wl_surface* surface = wl_compositor_create_surface(compositor);
    zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
        shell, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "tarvik-probe");
    PrivateQueue::Unwrap(shell);

    struct State {
        zwlr_layer_surface_v1* Layer = nullptr;
        std::uint32_t Serial = 0;
        bool Configured = false;
        bool Closed = false;
        wl_output* Entered = nullptr;
    } state;
    state.Layer = layer;
    static const wl_surface_listener surfaceListener = {
        [](void* data, wl_surface*, wl_output* output) {
            static_cast<State*>(data)->Entered = output;
        },
        [](void*, wl_surface*, wl_output*) {},
    };
    static const zwlr_layer_surface_v1_listener layerListener = {
        [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t, std::uint32_t) {
            auto& s = *static_cast<State*>(data);
            s.Serial = serial;
            s.Configured = true;
        },
        [](void* data, zwlr_layer_surface_v1*) { static_cast<State*>(data)->Closed = true; },
    };
    wl_surface_add_listener(surface, &surfaceListener, &state);
    zwlr_layer_surface_v1_add_listener(layer, &layerListener, &state);
    zwlr_layer_surface_v1_set_size(layer, 1, 1);
    zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
    wl_region* none = wl_compositor_create_region(compositor);
    wl_surface_set_input_region(surface, none);
    wl_region_destroy(none);
    PrivateQueue::Unwrap(compositor);
    wl_surface_commit(surface);

    const auto deadline = Clock::now() + ProbeTimeout;
    std::unique_ptr<ShmBuffer> pixel;
    if (queue.WaitUntil([&] { return state.Configured || state.Closed; }, deadline) &&
        !state.Closed) {
        zwlr_layer_surface_v1_ack_configure(layer, state.Serial);
        pixel = ShmBuffer::Make(client.Shm(), {1, 1});
        if (pixel) {
            pixel->Image().fill(Qt::transparent);
            wl_surface_attach(surface, pixel->Buffer(), 0, 0);
            wl_surface_damage_buffer(surface, 0, 0, 1, 1);
            wl_surface_commit(surface);
            queue.WaitUntil([&] { return state.Entered || state.Closed; }, deadline);
        }
    }
    zwlr_layer_surface_v1_destroy(layer);
    wl_surface_destroy(surface);
    pixel.reset();
    client.Flush();
    return state.Entered ? client.Find(state.Entered) : nullptr;
}

} // namespace

LiveScreen::LiveScreen(WaylandClient& client) : outputs_(client.Outputs()) {
    if (client.ScreenCopy()) {
        auto watch = std::make_shared<RegionWatch>(client);
        readers_.ScreenCopy = [&client, watch](std::vector<OutputPart>& parts) {
            return CopyOrWatched(client, *watch, parts);
        };
    }
    readers_.Portal = [&client](QSize minimum) {
        // The portal's wait runs the event loop: the phone's events wait till it is over.
        client.HoldEvents(true);
        PortalScreenshot::Result shot = PortalScreenshot::Take(minimum, PortalTimeoutMs);
        client.HoldEvents(false);
        return shot;
    };
    readers_.StartOutput = [&client] { return ProbeStartOutput(client); };
}

LiveScreen::LiveScreen(const std::vector<std::unique_ptr<WaylandOutput>>& outputs, Readers readers)
    : outputs_(outputs), readers_(std::move(readers)) {}

double LiveScreen::TwipsPerPixelX() const {
    return TwipsPerDevicePixel;
}

double LiveScreen::TwipsPerPixelY() const {
    return TwipsPerDevicePixel;
}

const WaylandOutput* LiveScreen::Primary() const {
    for (const auto& output : outputs_)
        if (output->Name == primaryName_ && primaryName_ != 0)
            return output.get();
    const WaylandOutput* chosen = readers_.StartOutput ? readers_.StartOutput() : nullptr;
    if (!chosen)
        for (const auto& output : outputs_)
            if (output->Logical.topLeft() == QPoint(0, 0))
                chosen = output.get();
    if (!chosen && !outputs_.empty())
        chosen = outputs_.front().get();
    primaryName_ = chosen ? chosen->Name : 0;
    return chosen;
}

ScreenArea LiveScreen::PrimaryScreen() const {
    const WaylandOutput* output = Primary();
    return output ? ToTwips(output->Device()) : ScreenArea{};
}

ScreenArea LiveScreen::WorkAreaOf(const ScreenArea& rect) const {
    const double t = TwipsPerDevicePixel;
    const QRect wanted(static_cast<int>(std::floor(rect.Left / t)),
                       static_cast<int>(std::floor(rect.Top / t)),
                       std::max(1, static_cast<int>(std::ceil(rect.Width / t))),
                       std::max(1, static_cast<int>(std::ceil(rect.Height / t))));
    const WaylandOutput* best = nullptr;
    long long most = 0;
    for (const auto& output : outputs_) {
        const QRect common = output->Device().intersected(wanted);
        const long long area = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
        if (area > most) {
            most = area;
            best = output.get();
        }
    }
    if (!best) {
        // Off every output: the nearest one.
        const QPoint centre = wanted.center();
        long long nearest = -1;
        for (const auto& output : outputs_) {
            const QRect r = output->Device();
            const long long dx = std::max({r.left() - centre.x(), 0, centre.x() - r.right()});
            const long long dy = std::max({r.top() - centre.y(), 0, centre.y() - r.bottom()});
            if (nearest < 0 || dx * dx + dy * dy < nearest) {
                nearest = dx * dx + dy * dy;
                best = output.get();
            }
        }
    }
    return best ? ToTwips(best->Device()) : PrimaryScreen();
}

Picture LiveScreen::Grab(int left, int top, int width, int height) {
    lastError_.clear();
    if (width <= 0 || height <= 0)
        return nullptr;
    const QRect wanted(left, top, width, height);
    std::vector<OutputPart> parts;
    for (const auto& output : outputs_) {
        const QRect device = output->Device();
        const QRect part = wanted.intersected(device);
        if (!output->Ready || part.isEmpty())
            continue;
        // The logical pixels that cover the part, rounded outwards.
        const int scale = output->Scale;
        const QPoint from = part.topLeft() - device.topLeft();
        const QPoint to = part.bottomRight() - device.topLeft() + QPoint(1, 1);
        const QPoint first(FloorDiv(from.x(), scale), FloorDiv(from.y(), scale));
        const QPoint end(FloorDiv(to.x() + scale - 1, scale), FloorDiv(to.y() + scale - 1, scale));
        parts.push_back({output.get(), part, QRect(first, end - QPoint(1, 1)), {}});
    }
    QImage result(width, height, QImage::Format_RGB32);
    if (result.isNull()) {
        lastError_ = "There is not enough memory for the picture.";
        return nullptr;
    }
    result.fill(Qt::black);
    const bool copied = parts.empty() || (readers_.ScreenCopy && readers_.ScreenCopy(parts));
    if (!copied && !FromPortal(parts, static_cast<bool>(readers_.ScreenCopy)))
        return nullptr;
    QPainter painter(&result);
    for (const OutputPart& part : parts) {
        const int scale = part.Output->Scale;
        // The copy's pixels per logical pixel: the output's scale where the compositor
        // copies at it.
        const double sx = static_cast<double>(part.Picture.width()) / part.Logical.width();
        const double sy = static_cast<double>(part.Picture.height()) / part.Logical.height();
        const QPointF inside =
            QPointF(part.Device.topLeft() - part.Output->Device().topLeft()) / scale -
            QPointF(part.Logical.topLeft());
        const QRectF source(inside.x() * sx, inside.y() * sy, part.Device.width() * sx / scale,
                            part.Device.height() * sy / scale);
        Place(painter, part.Device.translated(-wanted.topLeft()), part.Picture, source);
    }
    painter.end();
    Picture picture = ToPicture(result);
    if (!picture)
        lastError_ = "There is not enough memory for the picture.";
    return picture;
}

bool LiveScreen::FromPortal(std::vector<OutputPart>& parts, bool screenCopyFailed) {
    const std::string why = screenCopyFailed
                                ? "The compositor did not copy the screen (screencopy failed or "
                                  "did not answer within 2 seconds)"
                                : "This desktop offers no screencopy (the wlroots protocol for "
                                  "reading the screen)";
    if (!readers_.Portal) {
        lastError_ = why + ", and there is no screenshot portal to ask instead.";
        return false;
    }
    // The portal's picture covers the outputs' bounding box in the logical layout.
    QRect box;
    for (const auto& output : outputs_)
        if (output->Ready)
            box |= output->Logical;
    const PortalScreenshot::Result shot = readers_.Portal(box.size());
    if (shot.Image.isNull()) {
        lastError_ = why + ", and the screenshot portal gave no picture either:\n\n" +
                     shot.Error.toStdString();
        return false;
    }
    const double sx = static_cast<double>(shot.Image.width()) / box.width();
    const double sy = static_cast<double>(shot.Image.height()) / box.height();
    for (OutputPart& part : parts) {
        // The part's logical rectangle in the portal's picture; the grab then cuts the
        // device pixels from it.
        const QRect logical =
            part.Logical.translated(part.Output->Logical.topLeft() - box.topLeft());
        const QRectF source(logical.x() * sx, logical.y() * sy, logical.width() * sx,
                            logical.height() * sy);
        part.Picture = shot.Image.copy(source.toAlignedRect());
    }
    return true;
}
