// SPDX-License-Identifier: MIT

#include "backends/layer/WaylandClient.h"

#include "backends/layer/ShmBuffer.h"

#include "io/UniqueFd.h"

#include "relative-pointer-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <QImage>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>

#include <wayland-client.h>
#include <wayland-cursor.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

WaylandClient& Of(void* data) {
    return *static_cast<WaylandClient*>(data);
}

const wl_registry_listener registryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t version) { Of(data).Global(registry, name, interface, version); },
    [](void* data, wl_registry*, std::uint32_t name) { Of(data).GlobalRemove(name); },
};

const wl_seat_listener seatListener = {
    [](void* data, wl_seat*, std::uint32_t capabilities) {
        Of(data).SeatCapabilities(capabilities);
    },
    [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener pointerListener = {
    [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
       wl_fixed_t y) {
        Of(data).OnPointerEnter(serial, surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface) {
        Of(data).OnPointerLeave(surface);
    },
    [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Of(data).OnPointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void* data, wl_pointer*, std::uint32_t serial, std::uint32_t, std::uint32_t button,
       std::uint32_t state) { Of(data).OnPointerButton(serial, button, state); },
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

const wl_keyboard_listener keyboardListener = {
    [](void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
        Of(data).OnKeymap(format, fd, size);
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
        Of(data).OnKeyboardEnter(surface);
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
        Of(data).OnKeyboardLeave(surface);
    },
    [](void* data, wl_keyboard*, std::uint32_t serial, std::uint32_t, std::uint32_t key,
       std::uint32_t state) { Of(data).OnKey(serial, key, state); },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
       std::uint32_t locked,
       std::uint32_t group) { Of(data).OnModifiers(depressed, latched, locked, group); },
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

WaylandOutput& OutputOf(void* data) {
    return *static_cast<WaylandOutput*>(data);
}

// Without xdg-output the output's place and mode stand for its logical rectangle.
const wl_output_listener outputListener = {
    [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
       std::int32_t, const char*, const char*, std::int32_t) {
        WaylandOutput& output = OutputOf(data);
        if (!output.Xdg)
            output.Logical.moveTopLeft({x, y});
    },
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
       std::int32_t) {
        WaylandOutput& output = OutputOf(data);
        if ((flags & WL_OUTPUT_MODE_CURRENT) && !output.Xdg)
            output.Logical.setSize({width / output.Scale, height / output.Scale});
    },
    [](void* data, wl_output*) {
        WaylandOutput& output = OutputOf(data);
        output.Ready = true;
    },
    [](void* data, wl_output*, std::int32_t factor) { OutputOf(data).Scale = std::max(1, factor); },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener xdgOutputListener = {
    [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        OutputOf(data).Logical.moveTopLeft({x, y});
    },
    [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
        OutputOf(data).Logical.setSize({width, height});
    },
    [](void*, zxdg_output_v1*) {},
    [](void*, zxdg_output_v1*, const char*) {},
    [](void*, zxdg_output_v1*, const char*) {},
};

const zwp_relative_pointer_v1_listener relativeListener = {
    [](void* data, zwp_relative_pointer_v1*, std::uint32_t, std::uint32_t, wl_fixed_t dx,
       wl_fixed_t dy, wl_fixed_t,
       wl_fixed_t) { Of(data).OnPointerDelta(wl_fixed_to_double(dx), wl_fixed_to_double(dy)); },
};

const xdg_wm_base_listener wmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

} // namespace

// A sync's callback, with what runs when it is done; the client frees those left undone.
struct WaylandClient::Pending {
    WaylandClient* Client;
    wl_callback* Callback;
    std::function<void()> Done;
};

namespace {

const wl_callback_listener callbackListener = {
    [](void* data, wl_callback*, std::uint32_t) {
        auto* pending = static_cast<WaylandClient::Pending*>(data);
        pending->Client->Finish(pending);
    },
};

} // namespace

// The arrow from the cursor theme and the hand from the compiled-in picture, each on a
// surface of its own.
class WaylandClient::Cursors {
  public:
    Cursors(wl_compositor* compositor, wl_shm* shm) {
        theme_ = wl_cursor_theme_load(nullptr, 24, shm);
        if (theme_)
            if (wl_cursor* arrow = wl_cursor_theme_get_cursor(theme_, "left_ptr"))
                arrowImage_ = arrow->images[0];
        if (arrowImage_) {
            arrow_ = wl_compositor_create_surface(compositor);
            wl_surface_attach(arrow_, wl_cursor_image_get_buffer(arrowImage_), 0, 0);
            wl_surface_commit(arrow_);
        }
        const QImage hand =
            QImage(":/tarvik/hand.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (hand.isNull())
            return;
        hand_ = ShmBuffer::Make(shm, hand.size());
        if (!hand_)
            return;
        hand_->Image().fill(Qt::transparent);
        QPainter(&hand_->Image()).drawImage(0, 0, hand);
        handSurface_ = wl_compositor_create_surface(compositor);
        wl_surface_attach(handSurface_, hand_->Buffer(), 0, 0);
        wl_surface_commit(handSurface_);
    }
    ~Cursors() {
        if (handSurface_)
            wl_surface_destroy(handSurface_);
        if (arrow_)
            wl_surface_destroy(arrow_);
        if (theme_)
            wl_cursor_theme_destroy(theme_);
    }
    void Set(wl_pointer* pointer, std::uint32_t serial, Cursor cursor) const {
        if (cursor == Cursor::Hand && handSurface_)
            wl_pointer_set_cursor(pointer, serial, handSurface_, 7, 0); // the finger's tip
        else if (arrow_)
            wl_pointer_set_cursor(pointer, serial, arrow_,
                                  static_cast<std::int32_t>(arrowImage_->hotspot_x),
                                  static_cast<std::int32_t>(arrowImage_->hotspot_y));
    }

  private:
    wl_cursor_theme* theme_ = nullptr;
    wl_cursor_image* arrowImage_ = nullptr;
    wl_surface* arrow_ = nullptr;
    std::unique_ptr<ShmBuffer> hand_;
    wl_surface* handSurface_ = nullptr;
};

std::unique_ptr<WaylandClient> WaylandClient::Connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandClient> client(new WaylandClient(display));
    // The globals, then what each output and the seat tell of themselves.
    if (!client->Roundtrip() || !client->Roundtrip() || !client->layerShell_ ||
        !client->compositor_ || !client->shm_ || client->outputs_.empty())
        return nullptr;
    client->cursors_ = std::make_unique<Cursors>(client->compositor_, client->shm_);
    client->notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
    QObject::connect(client->notifier_.get(), &QSocketNotifier::activated,
                     [c = client.get()] { c->Dispatch(); });
    return client;
}

WaylandClient::WaylandClient(wl_display* display) : display_(display) {
    xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
}

WaylandClient::~WaylandClient() {
    notifier_.reset();
    for (const auto& pending : pending_)
        wl_callback_destroy(pending->Callback);
    pending_.clear();
    cursors_.reset();
    for (auto& output : outputs_) {
        if (output->Xdg)
            zxdg_output_v1_destroy(output->Xdg);
        wl_output_destroy(output->Output);
    }
    if (keyboard_)
        wl_keyboard_destroy(keyboard_);
    if (relativePointer_)
        zwp_relative_pointer_v1_destroy(relativePointer_);
    if (relativePointers_)
        zwp_relative_pointer_manager_v1_destroy(relativePointers_);
    if (pointer_)
        wl_pointer_destroy(pointer_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (xdgOutputs_)
        zxdg_output_manager_v1_destroy(xdgOutputs_);
    if (wmBase_)
        xdg_wm_base_destroy(wmBase_);
    if (screenCopy_)
        zwlr_screencopy_manager_v1_destroy(screenCopy_);
    if (layerShell_)
        zwlr_layer_shell_v1_destroy(layerShell_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    wl_registry_destroy(registry_);
    if (keyState_)
        xkb_state_unref(keyState_);
    if (keymap_)
        xkb_keymap_unref(keymap_);
    xkb_context_unref(xkb_);
    wl_display_disconnect(display_);
}

void WaylandClient::Global(wl_registry* registry, std::uint32_t name, const char* interface,
                           std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(registry, name, type, std::min(version, highest));
    };
    const std::string_view is(interface);
    if (is == wl_compositor_interface.name) {
        compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (is == wl_shm_interface.name) {
        shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (is == zwlr_layer_shell_v1_interface.name) {
        layerShellVersion_ = std::min<std::uint32_t>(version, 4);
        layerShell_ = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
    } else if (is == zwlr_screencopy_manager_v1_interface.name) {
        screenCopy_ = static_cast<zwlr_screencopy_manager_v1*>(
            bind(&zwlr_screencopy_manager_v1_interface, 3));
    } else if (is == zxdg_output_manager_v1_interface.name) {
        xdgOutputs_ =
            static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 3));
        for (auto& output : outputs_)
            WatchXdg(*output);
    } else if (is == zwp_relative_pointer_manager_v1_interface.name) {
        relativePointers_ = static_cast<zwp_relative_pointer_manager_v1*>(
            bind(&zwp_relative_pointer_manager_v1_interface, 1));
    } else if (is == xdg_wm_base_interface.name) {
        wmBase_ = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
        xdg_wm_base_add_listener(wmBase_, &wmBaseListener, this);
    } else if (is == wl_seat_interface.name && !seat_) {
        seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        wl_seat_add_listener(seat_, &seatListener, this);
    } else if (is == wl_output_interface.name) {
        auto output = std::make_unique<WaylandOutput>();
        output->Name = name;
        output->Output = static_cast<wl_output*>(bind(&wl_output_interface, 3));
        wl_output_add_listener(output->Output, &outputListener, output.get());
        WatchXdg(*output);
        outputs_.push_back(std::move(output));
        // Its details follow; the change is told once they are in.
        AfterServer([this] {
            if (OutputsChanged)
                OutputsChanged();
        });
    }
}

void WaylandClient::WatchXdg(WaylandOutput& output) {
    if (!xdgOutputs_ || output.Xdg)
        return;
    output.Xdg = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, output.Output);
    zxdg_output_v1_add_listener(output.Xdg, &xdgOutputListener, &output);
}

void WaylandClient::GlobalRemove(std::uint32_t name) {
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                   [name](const auto& output) { return output->Name == name; });
    if (gone == outputs_.end())
        return;
    std::unique_ptr<WaylandOutput> output = std::move(*gone);
    outputs_.erase(gone);
    if (OutputsChanged)
        OutputsChanged();
    if (output->Xdg)
        zxdg_output_v1_destroy(output->Xdg);
    wl_output_destroy(output->Output);
}

void WaylandClient::SeatCapabilities(std::uint32_t capabilities) {
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &pointerListener, this);
        // The seat comes after the globals were listed, the relative pointers among them.
        if (relativePointers_) {
            relativePointer_ =
                zwp_relative_pointer_manager_v1_get_relative_pointer(relativePointers_, pointer_);
            zwp_relative_pointer_v1_add_listener(relativePointer_, &relativeListener, this);
        }
    } else if (!pointer && pointer_) {
        if (relativePointer_)
            zwp_relative_pointer_v1_destroy(relativePointer_);
        relativePointer_ = nullptr;
        wl_pointer_destroy(pointer_);
        pointer_ = nullptr;
    }
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &keyboardListener, this);
    } else if (!keyboard && keyboard_) {
        wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
    }
}

WaylandOutput* WaylandClient::OutputAt(QPoint device) const {
    WaylandOutput* nearest = nullptr;
    long best = LONG_MAX;
    for (const auto& output : outputs_) {
        const QRect r = output->Device();
        if (r.contains(device))
            return output.get();
        const long dx = std::max({r.left() - device.x(), 0, device.x() - r.right()});
        const long dy = std::max({r.top() - device.y(), 0, device.y() - r.bottom()});
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = output.get();
        }
    }
    return nearest;
}

WaylandOutput* WaylandClient::Find(wl_output* output) const {
    for (const auto& o : outputs_)
        if (o->Output == output)
            return o.get();
    return nullptr;
}

void WaylandClient::SetInput(wl_surface* surface, ISurfaceInput* input) {
    ClearInput(surface);
    inputs_.emplace_back(surface, input);
}

void WaylandClient::ClearInput(wl_surface* surface) {
    std::erase_if(inputs_, [surface](const auto& entry) { return entry.first == surface; });
    if (pointerSurface_ == surface)
        pointerSurface_ = nullptr;
    if (keyboardSurface_ == surface)
        keyboardSurface_ = nullptr;
}

ISurfaceInput* WaylandClient::InputOf(wl_surface* surface) const {
    for (const auto& [s, input] : inputs_)
        if (s == surface)
            return input;
    return nullptr;
}

void WaylandClient::OnPointerEnter(std::uint32_t serial, wl_surface* surface, double x, double y) {
    enterSerial_ = serial;
    pointerSurface_ = surface;
    if (!InputOf(surface))
        return;
    cursor_ = Cursor::Arrow;
    if (cursors_)
        cursors_->Set(pointer_, serial, cursor_);
    if (ISurfaceInput* input = PointerInputOf(surface))
        input->PointerEnter(x, y);
}

void WaylandClient::OnPointerLeave(wl_surface* surface) {
    if (pointerSurface_ == surface)
        pointerSurface_ = nullptr;
    if (ISurfaceInput* input = PointerInputOf(surface))
        input->PointerLeave();
}

void WaylandClient::OnPointerMotion(double x, double y) {
    if (ISurfaceInput* input = PointerInputOf(pointerSurface_))
        input->PointerMotion(x, y);
}

void WaylandClient::OnPointerDelta(double dx, double dy) {
    if (ISurfaceInput* input = PointerInputOf(pointerSurface_))
        input->PointerDelta(dx, dy);
}

void WaylandClient::OnPointerButton(std::uint32_t serial, std::uint32_t button,
                                    std::uint32_t state) {
    buttonSerial_ = serial;
    const bool pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
    if (pressed)
        inputSerial_ = serial;
    if (ISurfaceInput* input = PointerInputOf(pointerSurface_))
        input->PointerButton(button, pressed);
    else if (pressed && grabOutside_ && InputOf(pointerSurface_))
        grabOutside_();
}

ISurfaceInput* WaylandClient::PointerInputOf(wl_surface* surface) const {
    if (grabInside_ && !grabInside_(surface))
        return nullptr;
    return InputOf(surface);
}

void WaylandClient::SetGrab(std::function<bool(wl_surface*)> inside, std::function<void()> outside,
                            ISurfaceInput* keys) {
    grabInside_ = std::move(inside);
    grabOutside_ = std::move(outside);
    grabKeys_ = keys;
}

void WaylandClient::ClearGrab() {
    grabInside_ = nullptr;
    grabOutside_ = nullptr;
    grabKeys_ = nullptr;
}

void WaylandClient::OnKeymap(std::uint32_t format, int fd, std::uint32_t size) {
    const UniqueFd owner(fd);
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || !xkb_)
        return;
    void* text = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED)
        return;
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(
        xkb_, static_cast<const char*>(text), strnlen(static_cast<const char*>(text), size),
        XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ::munmap(text, size);
    if (!keymap)
        return;
    if (keyState_)
        xkb_state_unref(keyState_);
    if (keymap_)
        xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    keyState_ = xkb_state_new(keymap_);
}

void WaylandClient::OnKeyboardEnter(wl_surface* surface) {
    keyboardSurface_ = surface;
    if (ISurfaceInput* input = InputOf(surface))
        input->KeyboardEnter();
}

void WaylandClient::OnKeyboardLeave(wl_surface* surface) {
    if (keyboardSurface_ == surface)
        keyboardSurface_ = nullptr;
    if (ISurfaceInput* input = InputOf(surface))
        input->KeyboardLeave();
}

void WaylandClient::OnKey(std::uint32_t serial, std::uint32_t key, std::uint32_t state) {
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !keyState_)
        return;
    inputSerial_ = serial;
    const xkb_keycode_t code = key + 8; // evdev to xkb
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(keyState_, code);
    ISurfaceInput* input = InputOf(keyboardSurface_);
    if (input && grabKeys_)
        input = grabKeys_;
    if (input)
        input->KeyPress(sym, code);
}

void WaylandClient::OnModifiers(std::uint32_t depressed, std::uint32_t latched,
                                std::uint32_t locked, std::uint32_t group) {
    if (!keyState_)
        return;
    xkb_state_update_mask(keyState_, depressed, latched, locked, 0, 0, group);
    const auto active = [this](const char* name) {
        return xkb_state_mod_name_is_active(keyState_, name, XKB_STATE_MODS_EFFECTIVE) > 0;
    };
    modifiers_ = {active(XKB_MOD_NAME_SHIFT), active(XKB_MOD_NAME_CTRL), active(XKB_MOD_NAME_ALT)};
}

void WaylandClient::SetCursor(Cursor cursor) {
    if (cursor == cursor_ || !pointer_ || !pointerSurface_ || !cursors_)
        return;
    cursor_ = cursor;
    cursors_->Set(pointer_, enterSerial_, cursor);
    Flush();
}

void WaylandClient::Flush() {
    if (lost_)
        return;
    // A full socket: wait for the compositor to read, briefly.
    while (wl_display_flush(display_) < 0 && errno == EAGAIN) {
        pollfd fd{wl_display_get_fd(display_), POLLOUT, 0};
        if (::poll(&fd, 1, 100) <= 0)
            break;
    }
}

bool WaylandClient::Roundtrip() {
    if (lost_)
        return false;
    if (wl_display_roundtrip(display_) < 0) {
        lost_ = true;
        if (Lost)
            Lost();
        return false;
    }
    return true;
}

void WaylandClient::AfterServer(std::function<void()> done) {
    auto pending =
        std::make_unique<Pending>(Pending{this, wl_display_sync(display_), std::move(done)});
    wl_callback_add_listener(pending->Callback, &callbackListener, pending.get());
    pending_.push_back(std::move(pending));
}

void WaylandClient::Finish(Pending* pending) {
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [pending](const auto& p) { return p.get() == pending; });
    if (it == pending_.end())
        return;
    std::unique_ptr<Pending> done = std::move(*it);
    pending_.erase(it);
    wl_callback_destroy(done->Callback);
    done->Done();
}

void WaylandClient::DispatchSoon() {
    if (notifier_)
        QTimer::singleShot(0, notifier_.get(), [this] {
            if (notifier_->isEnabled())
                Dispatch();
        });
}

void WaylandClient::HoldEvents(bool hold) {
    if (!notifier_ || lost_)
        return;
    notifier_->setEnabled(!hold);
    if (!hold)
        DispatchSoon();
}

void WaylandClient::Dispatch() {
    if (lost_)
        return;
    // Read what came, handle it, then send what the handlers queued.
    if (wl_display_prepare_read(display_) == 0) {
        if (wl_display_read_events(display_) < 0) {
            lost_ = true;
        }
    }
    if (!lost_ && wl_display_dispatch_pending(display_) < 0)
        lost_ = true;
    if (lost_) {
        notifier_->setEnabled(false);
        if (Lost)
            Lost();
        return;
    }
    if (Dispatched)
        Dispatched();
    Flush();
}
