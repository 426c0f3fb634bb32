// SPDX-License-Identifier: MIT

#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct xdg_wm_base;
struct zwp_relative_pointer_manager_v1;
struct zwp_relative_pointer_v1;
class QSocketNotifier;

// One output of the compositor. Desktop device pixels: an output's device rectangle starts
// at its logical position and is its logical size times its scale, so that one device
// pixel of the output is one pixel of the desktop.
struct WaylandOutput {
    wl_output* Output = nullptr;
    zxdg_output_v1* Xdg = nullptr;
    std::uint32_t Name = 0; // the registry's
    QRect Logical;          // position and size in the compositor's logical space
    int Scale = 1;
    bool Ready = false; // position, size and scale are known
    QRect Device() const { return {Logical.topLeft(), Logical.size() * Scale}; }
};

// What a surface of ours is told of the seat. Positions are the surface's own, in logical
// pixels (the compositor's), as fractions.
class ISurfaceInput {
  public:
    virtual ~ISurfaceInput() = default;
    virtual void PointerEnter(double x, double y) = 0;
    virtual void PointerMotion(double x, double y) = 0;
    // button is the Linux code (BTN_LEFT, BTN_RIGHT, BTN_MIDDLE).
    virtual void PointerButton(std::uint32_t button, bool pressed) = 0;
    virtual void PointerLeave() = 0;
    // The pointer's own motion, in logical pixels, sent before the motion event it makes;
    // where the compositor offers it.
    virtual void PointerDelta(double /*dx*/, double /*dy*/) {}
    // keysym is the xkb key symbol, keycode the xkb key code (the evdev code plus 8).
    virtual void KeyPress(std::uint32_t /*keysym*/, std::uint32_t /*keycode*/) {}
    virtual void KeyboardEnter() {}
    virtual void KeyboardLeave() {}
};

// The modifier keys held, as the seat last told.
struct WaylandModifiers {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

// A connection of our own to the compositor, beside Qt's: the layer shell, screencopy, the
// outputs and the seat. Driven from Qt's event loop; events for our surfaces go to the
// input handler each surface registered.
class WaylandClient {
  public:
    // Connects to the display Qt uses; null when it cannot or the compositor offers no
    // layer shell.
    static std::unique_ptr<WaylandClient> Connect();
    ~WaylandClient();
    WaylandClient(const WaylandClient&) = delete;
    WaylandClient& operator=(const WaylandClient&) = delete;

    wl_display* Display() const { return display_; }
    wl_compositor* Compositor() const { return compositor_; }
    wl_shm* Shm() const { return shm_; }
    zwlr_layer_shell_v1* LayerShell() const { return layerShell_; }
    std::uint32_t LayerShellVersion() const { return layerShellVersion_; }
    // Null when the compositor offers no screencopy.
    zwlr_screencopy_manager_v1* ScreenCopy() const { return screenCopy_; }
    wl_pointer* Pointer() const { return pointer_; }
    wl_seat* Seat() const { return seat_; }
    // Null when the compositor offers no xdg-shell (no popups then).
    xdg_wm_base* WmBase() const { return wmBase_; }

    const std::vector<std::unique_ptr<WaylandOutput>>& Outputs() const { return outputs_; }
    // The output whose device rectangle holds the point, else the one nearest to it; null
    // when there is none.
    WaylandOutput* OutputAt(QPoint device) const;
    WaylandOutput* Find(wl_output* output) const;
    // Runs when an output comes or goes (after the list changed).
    std::function<void()> OutputsChanged;
    // Runs when the connection breaks: the compositor went away.
    std::function<void()> Lost;

    void SetInput(wl_surface* surface, ISurfaceInput* input);
    void ClearInput(wl_surface* surface);
    // The serial of the pointer's last enter (for the cursor) and of the last button.
    std::uint32_t EnterSerial() const { return enterSerial_; }
    std::uint32_t ButtonSerial() const { return buttonSerial_; }
    // The serial of the last button or key press, the one a popup's grab asks for.
    std::uint32_t InputSerial() const { return inputSerial_; }
    // While a popup of ours holds the seat, the pointer's events over our other surfaces are
    // held back and a press there runs outside, as a press on another program's window
    // ends the grab; the keys pressed on any surface of ours go to keys.
    void SetGrab(std::function<bool(wl_surface*)> inside, std::function<void()> outside,
                 ISurfaceInput* keys);
    // Whether the keyboard is on a surface of ours.
    bool HasKeyboard() const { return InputOf(keyboardSurface_) != nullptr; }
    void ClearGrab();
    WaylandModifiers Modifiers() const { return modifiers_; }
    // The surface the pointer is over, if ours.
    wl_surface* PointerSurface() const { return pointerSurface_; }
    // The pointer's shape over our surfaces: the theme's arrow, or the hand of the hot spots.
    enum class Cursor { Arrow, Hand };
    void SetCursor(Cursor cursor);

    // Sends what is queued.
    void Flush();
    // Sends, and handles what the compositor answered to everything sent before; false
    // when the connection broke.
    bool Roundtrip();
    // Runs done once the compositor has handled every request sent before this call, with
    // the events it sent meanwhile handled first.
    void AfterServer(std::function<void()> done);
    // Handles, from the event loop, what a wait on a queue of one's own read for the
    // default queue: the socket no longer tells of it.
    void DispatchSoon();
    // While held, the event loop leaves the compositor's events queued (a nested loop that
    // must not run the phone's handlers); on release they are handled soon.
    void HoldEvents(bool hold);
    // Runs after each round of events handled from the event loop (for a queue of its own
    // that wants the same).
    std::function<void()> Dispatched;

    // For the protocol's listeners.
    struct Pending;
    void Finish(Pending* pending);
    void Global(wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t version);
    void GlobalRemove(std::uint32_t name);
    void SeatCapabilities(std::uint32_t capabilities);
    void OnPointerEnter(std::uint32_t serial, wl_surface* surface, double x, double y);
    void OnPointerLeave(wl_surface* surface);
    void OnPointerMotion(double x, double y);
    void OnPointerDelta(double dx, double dy);
    void OnPointerButton(std::uint32_t serial, std::uint32_t button, std::uint32_t state);
    void OnKeymap(std::uint32_t format, int fd, std::uint32_t size);
    void OnKeyboardEnter(wl_surface* surface);
    void OnKeyboardLeave(wl_surface* surface);
    void OnKey(std::uint32_t serial, std::uint32_t key, std::uint32_t state);
    void OnModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                     std::uint32_t group);

  private:
    explicit WaylandClient(wl_display* display);
    void Dispatch();
    ISurfaceInput* InputOf(wl_surface* surface) const;
    // The input of a surface the pointer's events go to now.
    ISurfaceInput* PointerInputOf(wl_surface* surface) const;
    void WatchXdg(WaylandOutput& output);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    std::uint32_t layerShellVersion_ = 0;
    zwlr_screencopy_manager_v1* screenCopy_ = nullptr;
    zxdg_output_manager_v1* xdgOutputs_ = nullptr;
    zwp_relative_pointer_manager_v1* relativePointers_ = nullptr;
    zwp_relative_pointer_v1* relativePointer_ = nullptr;
    std::vector<std::unique_ptr<WaylandOutput>> outputs_;
    std::vector<std::pair<wl_surface*, ISurfaceInput*>> inputs_;
    wl_surface* pointerSurface_ = nullptr;
    wl_surface* keyboardSurface_ = nullptr;
    std::uint32_t enterSerial_ = 0;
    std::uint32_t buttonSerial_ = 0;
    std::uint32_t inputSerial_ = 0;
    std::function<bool(wl_surface*)> grabInside_;
    std::function<void()> grabOutside_;
    ISurfaceInput* grabKeys_ = nullptr;
    xdg_wm_base* wmBase_ = nullptr;
    WaylandModifiers modifiers_;
    xkb_context* xkb_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyState_ = nullptr;
    class Cursors;
    std::unique_ptr<Cursors> cursors_;
    Cursor cursor_ = Cursor::Arrow;
    std::vector<std::unique_ptr<Pending>> pending_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool lost_ = false;
};
