// SPDX-License-Identifier: MIT

// A pointer for the Wayland test session: one virtual pointer that lives as long as this
// process, driven by lines on standard input:
//   move X Y W H   the pointer to (X, Y) of a W x H layout
//   down B / up B  press or release button B (1 left, 2 right, 3 middle)
// Each line is answered with "ok" once the compositor has taken it.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;
wl_seat* seat = nullptr;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{Global, GlobalRemove};

uint32_t ButtonCode(int button) {
    switch (button) {
    case 2:
        return 0x111; // BTN_RIGHT
    case 3:
        return 0x112; // BTN_MIDDLE
    default:
        return 0x110; // BTN_LEFT
    }
}

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wl_pointer: no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) {
        std::fprintf(stderr, "wl_pointer: the compositor has no virtual pointer\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;

    uint32_t time = 1;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        time += 10;
        if (verb == "move") {
            unsigned x = 0, y = 0, w = 1, h = 1;
            words >> x >> y >> w >> h;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, w, h);
        } else if (verb == "down" || verb == "up") {
            int button = 1;
            words >> button;
            zwlr_virtual_pointer_v1_button(pointer, time, ButtonCode(button),
                                           verb == "down" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                          : WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            continue;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        std::cout << "ok" << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
