// SPDX-License-Identifier: MIT

#include "backends/qt/DisplaySession.h"

#include <QDir>
#include <QLibraryInfo>

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The last value of one of Qt's options that take the next argument, as Qt reads them:
// "-display :1" or "--display :1".
std::string QtOption(int argc, const char* const argv[], std::string_view name) {
    std::string value;
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.substr(0, 2) == "--")
            arg.remove_prefix(1);
        if (arg.size() > 1 && arg[0] == '-' && arg.substr(1) == name)
            value = argv[++i];
    }
    return value;
}

struct Connection {
    bool Up = false;
    bool XWayland = false; // an X server that is a Wayland compositor's
    std::string Failure;   // why not, naming the display
};

Connection ConnectWayland() {
    // A socket handed over by the compositor serves one connection only: Qt's.
    if (!Env("WAYLAND_SOCKET").empty())
        return {true, false, {}};
    errno = 0;
    if (wl_display* display = wl_display_connect(nullptr)) {
        wl_display_disconnect(display);
        return {true, false, {}};
    }
    const int error = errno ? errno : ECONNREFUSED;
    const std::string named = Env("WAYLAND_DISPLAY");
    return {false, false,
            "cannot connect to the Wayland display \"" + (named.empty() ? "wayland-0" : named) +
                "\"" + (named.empty() ? " (WAYLAND_DISPLAY is not set)" : " (WAYLAND_DISPLAY)") +
                ": " + std::strerror(error)};
}

// name: the -display option, else empty for DISPLAY.
Connection ConnectX(const std::string& name) {
    Connection x;
    xcb_connection_t* connection = xcb_connect(name.empty() ? nullptr : name.c_str(), nullptr);
    const int error = xcb_connection_has_error(connection);
    if (error == 0) {
        x.Up = true;
        constexpr std::string_view extension = "XWAYLAND";
        const auto cookie = xcb_query_extension(connection, static_cast<uint16_t>(extension.size()),
                                                extension.data());
        if (xcb_query_extension_reply_t* reply =
                xcb_query_extension_reply(connection, cookie, nullptr)) {
            x.XWayland = reply->present != 0;
            std::free(reply);
        }
    } else {
        const std::string shown = name.empty() ? Env("DISPLAY") : name;
        x.Failure = "cannot connect to the X display \"" + shown + "\" (" +
                    (name.empty() ? "DISPLAY" : "-display") + ")" +
                    (error == XCB_CONN_CLOSED_PARSE_ERR ? ": that is not a display name"
                                                        : ": no X server answers there, or "
                                                          "it refuses Tarvik");
    }
    xcb_disconnect(connection);
    return x;
}

bool HasWaylandPlugin() {
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms");
    return !platforms.entryList({"libqwayland-*.so"}, QDir::Files).isEmpty();
}

} // namespace

DisplaySession ChooseDisplaySession(int argc, const char* const argv[]) {
    const std::string xName = QtOption(argc, argv, "display");
    const bool xNamed = !xName.empty() || !Env("DISPLAY").empty();
    const bool waylandNamed = !Env("WAYLAND_DISPLAY").empty() || !Env("WAYLAND_SOCKET").empty() ||
                              Env("XDG_SESSION_TYPE") == "wayland";
    // Each display is tried once, and only when the choice needs it.
    std::optional<Connection> x, wayland;
    auto X = [&]() -> const Connection& {
        if (!x)
            x = xNamed ? ConnectX(xName) : Connection{};
        return *x;
    };
    auto Wayland = [&]() -> const Connection& {
        if (!wayland)
            wayland = ConnectWayland();
        return *wayland;
    };
    // No program reads a Wayland desktop through X11: XWayland's root window is never painted.
    auto WaylandDesktop = [&] { return (waylandNamed && Wayland().Up) || X().XWayland; };

    std::string asked = QtOption(argc, argv, "platform");
    if (asked.empty())
        asked = Env("QT_QPA_PLATFORM");
    if (!asked.empty()) {
        // Qt tries the plugins of a list in turn and aborts when none starts: the first
        // that can is the one it takes. Plugins that need no display are Qt's to judge.
        std::string failures;
        for (std::size_t start = 0; start <= asked.size();) {
            std::size_t end = asked.find(';', start);
            if (end == std::string::npos)
                end = asked.size();
            const std::string entry = asked.substr(start, end - start);
            start = end + 1;
            const std::string plugin = entry.substr(0, entry.find(':'));
            const bool isX = plugin == "xcb", isWayland = plugin.rfind("wayland", 0) == 0;
            const Connection* needed = isX ? &X() : isWayland ? &Wayland() : nullptr;
            if (!needed || needed->Up)
                return {isWayland || WaylandDesktop(), {}, {}};
            failures += (failures.empty() ? "" : "; ") +
                        (needed->Failure.empty() ? "DISPLAY is not set" : needed->Failure);
        }
        return {false, {}, failures + " (the platform asked for is \"" + asked + "\")"};
    }

    if (waylandNamed && Wayland().Up) {
        if (HasWaylandPlugin())
            return {true, "wayland", {}};
        if (X().Up)
            return {true, "xcb", {}};
        return {true,
                {},
                "Qt's Wayland platform plugin is missing (on Debian, install the package "
                "qt6-wayland), and there is no X display to fall back on"};
    }
    if (X().Up)
        return {X().XWayland, "xcb", {}};
    if (!xNamed && !waylandNamed)
        return {false,
                {},
                "no display found: set DISPLAY to an X server (for example one "
                "started with Xvfb)"};
    std::string failure = waylandNamed ? Wayland().Failure : X().Failure;
    if (waylandNamed && xNamed)
        failure += "; and " + X().Failure;
    return {false, {}, failure};
}
