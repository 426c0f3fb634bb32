// SPDX-License-Identifier: MIT
// Watches the first output of a wlroots compositor frame by frame (screencopy with damage, so a
// frame is copied only when the screen changed) and prints, for each, when it was shown and
// how many pixels differ from a base frame:
//   frame <shown, ms of CLOCK_MONOTONIC> <pixels differing from the base>
// Commands on stdin: "base" takes the latest frame as the base; "mark" starts keeping frames;
// "settle" prints each kept frame as "kept <shown> <pixels differing from the latest>", then
// "end", and forgets them. Each command is answered ("ok" or "end").
#include "backends/layer/ShmBuffer.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Frame = std::vector<std::uint32_t>;

struct Watch {
    wl_shm* shm = nullptr;
    wl_output* output = nullptr;
    zwlr_screencopy_manager_v1* manager = nullptr;
    std::uint32_t managerVersion = 0;
    zwlr_screencopy_frame_v1* frame = nullptr;
    std::unique_ptr<ShmBuffer> buffer;
    bool first = true;
    bool failed = false;
    Frame latest, base;
    bool keeping = false;
    std::vector<std::pair<double, Frame>> kept;
};

double NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long Differing(const Frame& a, const Frame& b) {
    if (a.size() != b.size())
        return static_cast<long>(a.size());
    long n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += ((a[i] ^ b[i]) & 0x00FFFFFFu) != 0;
    return n;
}

void Capture(Watch& w);

void OnBuffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width,
              std::uint32_t height, std::uint32_t stride) {
    auto& w = *static_cast<Watch*>(data);
    if (w.buffer)
        return;
    w.buffer = ShmBuffer::Make(w.shm, QSize(static_cast<int>(width), static_cast<int>(height)),
                               format, static_cast<int>(stride));
    w.failed = !w.buffer;
}

void Copy(Watch& w) {
    if (w.first)
        zwlr_screencopy_frame_v1_copy(w.frame, w.buffer->Buffer());
    else
        zwlr_screencopy_frame_v1_copy_with_damage(w.frame, w.buffer->Buffer());
    w.first = false;
}

void OnFlags(void*, zwlr_screencopy_frame_v1*, std::uint32_t) {}

void OnReady(void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t secHi, std::uint32_t secLo,
             std::uint32_t nsec) {
    auto& w = *static_cast<Watch*>(data);
    const double received = NowMs();
    double shown = ((static_cast<std::uint64_t>(secHi) << 32) | secLo) * 1e3 + nsec / 1e6;
    // The compositor's own moment, where it is on the same clock; else the moment it came.
    if (shown > received || received - shown > 100)
        shown = received;
    const QImage& pixels = w.buffer->Image();
    const auto width = static_cast<std::size_t>(pixels.width());
    w.latest.resize(width * static_cast<std::size_t>(pixels.height()));
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(w.latest.data() + static_cast<std::size_t>(y) * width, pixels.constScanLine(y),
                    width * 4);
    std::printf("frame %.3f %ld\n", shown, w.base.empty() ? 0L : Differing(w.latest, w.base));
    std::fflush(stdout);
    if (w.keeping)
        w.kept.emplace_back(shown, w.latest);
    zwlr_screencopy_frame_v1_destroy(frame);
    Capture(w);
}

void OnFailed(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<Watch*>(data)->failed = true;
}

void OnDamage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t,
              std::uint32_t) {}

void OnDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}

void OnBufferDone(void* data, zwlr_screencopy_frame_v1*) {
    Copy(*static_cast<Watch*>(data));
}

const zwlr_screencopy_frame_v1_listener FrameListener = {OnBuffer, OnFlags,  OnReady,     OnFailed,
                                                         OnDamage, OnDmabuf, OnBufferDone};

void Capture(Watch& w) {
    w.frame = zwlr_screencopy_manager_v1_capture_output(w.manager, 0, w.output);
    zwlr_screencopy_frame_v1_add_listener(w.frame, &FrameListener, &w);
    // Before version 3 the buffer event is the last one before the copy.
    if (w.managerVersion < 3 && w.buffer)
        Copy(w);
}

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto& w = *static_cast<Watch*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0)
        w.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0 && !w.output)
        w.output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
    else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
        w.managerVersion = version < 3 ? version : 3;
        w.manager = static_cast<zwlr_screencopy_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_screencopy_manager_v1_interface, w.managerVersion));
    }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener RegistryListener = {OnGlobal, OnGlobalRemove};

void Command(Watch& w, const std::string& line) {
    if (line == "base") {
        w.base = w.latest;
        std::puts("ok");
    } else if (line == "mark") {
        w.kept.clear();
        w.keeping = true;
        std::puts("ok");
    } else if (line == "settle") {
        for (const auto& [shown, frame] : w.kept)
            std::printf("kept %.3f %ld\n", shown, Differing(frame, w.latest));
        w.kept.clear();
        w.keeping = false;
        std::puts("end");
    }
    std::fflush(stdout);
}

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("frame-watch: no Wayland display\n", stderr);
        return 1;
    }
    Watch w;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &RegistryListener, &w);
    wl_display_roundtrip(display);
    if (!w.shm || !w.output || !w.manager) {
        std::fputs("frame-watch: the compositor offers no screencopy\n", stderr);
        return 1;
    }
    Capture(w);
    std::string pending;
    while (!w.failed) {
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(display);
            break;
        }
        if (fds[0].revents & POLLIN) {
            if (wl_display_read_events(display) != 0)
                break;
        } else {
            wl_display_cancel_read(display);
        }
        if (fds[0].revents & (POLLERR | POLLHUP))
            break;
        wl_display_dispatch_pending(display);
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char chunk[256];
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0)
                break;
            pending.append(chunk, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                Command(w, pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
    }
    if (w.failed)
        std::fputs("frame-watch: a copy failed\n", stderr);
    return w.failed ? 1 : 0;
}
