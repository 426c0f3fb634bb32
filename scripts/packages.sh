# SPDX-License-Identifier: MIT
# Debian packages and the installer shared by the scripts. Sourced, not run: the lists are
# read by the scripts that source it.
# shellcheck shell=bash disable=SC2034

BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins qt6-wayland libgl-dev
    libegl-dev libgif-dev libturbojpeg0-dev libdeflate-dev libxcb1-dev libxcb-shape0-dev
    libxcb-randr0-dev libwayland-dev wayland-protocols libxkbcommon-dev fonts-dejavu-core"
TEST_PACKAGES="libgtest-dev libgmock-dev xvfb xdotool x11-utils xclip python3 python3-xlib
    python3-pil dpkg-dev lintian appstream dosfstools fusefat dbus-daemon python3-dbus python3-gi
    at-spi2-core python3-pyatspi"
# The headless Wayland session of the Wayland tests: sway with XWayland, pipewire (the wlr
# portal exits without it), the portal with its wlr and gtk backends (no Screenshot
# interface without the gtk one), grim, wtype and wl-paste, Qt's Wayland plugin, the
# Wayland client library and scanner for the test's virtual pointer, and Python's D-Bus
# bindings for the test's stand-in portal.
WAYLAND_TEST_PACKAGES="sway xwayland pipewire xdg-desktop-portal xdg-desktop-portal-wlr
    xdg-desktop-portal-gtk grim wtype wl-clipboard dbus qt6-wayland libwayland-dev
    libwayland-bin python3-dbus python3-gi"
# The headless GNOME session of the GNOME Wayland test: gnome-shell (mutter's remote desktop
# and screen cast, the shell's screenshots), pipewire for the screen cast, the portal with its
# GNOME backend, and the bus's activation environment tool.
GNOME_TEST_PACKAGES="gnome-shell pipewire xdg-desktop-portal xdg-desktop-portal-gnome dbus-bin
    python3-dbus python3-gi python3-pil"
# The KDE session of the Wayland tests: KWin, nested in an Xvfb display (Xvfb, xdotool and
# python3-xlib come with the X11 tests' packages).
KDE_TEST_PACKAGES="kwin-wayland"
# The Wayland mode's peer in the benchmarks, with the Wayland plugin of its Qt 5.
WAYLAND_PEER_PACKAGES="flameshot qtwayland5"

# Installs the packages that are missing, with apt-get (through sudo when not root).
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "Missing packages. Run as root: apt-get update && apt-get install -y ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "Installing: ${missing[*]}"
    apt_get_waiting "${sudo[@]}" apt-get update -q
    apt_get_waiting "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
        --no-install-recommends "${missing[@]}"
}

# Runs an apt-get command line, waiting up to 5 minutes for the package manager's locks
# while another one holds them (an automatic update, for example) and saying so meanwhile.
# apt-get waits for the dpkg lock itself; its update gives up at once, so it is retried.
apt_get_waiting() {
    local args=() arg
    for arg in "$@"; do
        args+=("$arg")
        [ "$arg" = apt-get ] && args+=(-o DPkg::Lock::Timeout=300)
    done
    local errors deadline=$((SECONDS + 300)) next_note=$SECONDS status
    errors=$(mktemp)
    while :; do
        status=0
        "${args[@]}" 2>"$errors" || status=$?
        if [ "$status" -eq 0 ] || [ "$SECONDS" -ge "$deadline" ] ||
            ! grep -qiE "could not get lock|unable to (acquire|lock)" "$errors"; then
            cat "$errors" >&2
            rm -f "$errors"
            return "$status"
        fi
        if [ "$SECONDS" -ge "$next_note" ]; then
            echo "Waiting for another package manager to finish ($((deadline - SECONDS)) s at most):" \
                "$(grep -iE -m1 "lock" "$errors")"
            next_note=$((SECONDS + 30))
        fi
        sleep 2
    done
}

# Runs Wine quietly in the prefix given, making no desktop menu entries and fetching no
# .NET or browser engine.
wine_environment() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
}

# Configures and builds into build/ (the "plain" preset of CMakePresets.json).
build_program() {
    cmake --preset plain "$@"
    cmake --build --preset plain
}

# The Windows build: MinGW-w64, NASM for the JPEG library's SIMD code, dpkg-source for its
# Debian source package, GoogleTest's sources; Wine and xdotool to run and drive it.
WINDOWS_PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 nasm dpkg-dev googletest"
WINE_TEST_PACKAGES="wine wine64 xvfb xdotool x11-utils xclip python3 python3-xlib python3-pil"

# scripts/lint: the formatter, the C++ checker and the shell checker.
LINT_PACKAGES="clang-format clang-tidy shellcheck"
