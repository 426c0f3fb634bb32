# Debian packages and the installer shared by the scripts. Sourced, not run.

BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins qt6-wayland libgl-dev
    libegl-dev libgif-dev libturbojpeg0-dev libxcb1-dev libxcb-shape0-dev libxcb-randr0-dev
    fonts-dejavu-core"
TEST_PACKAGES="libgtest-dev libgmock-dev xvfb xdotool x11-utils python3 python3-xlib python3-pil
    dpkg-dev lintian appstream"
# The headless Wayland session of the Wayland tests: sway with XWayland, pipewire (the wlr
# portal exits without it), the portal with its wlr and gtk backends (no Screenshot
# interface without the gtk one), grim and wtype, Qt's Wayland plugin, and the Wayland
# client library and scanner for the test's virtual pointer.
WAYLAND_TEST_PACKAGES="sway xwayland pipewire xdg-desktop-portal xdg-desktop-portal-wlr
    xdg-desktop-portal-gtk grim wtype dbus qt6-wayland libwayland-dev libwayland-bin"

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
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

# Runs Wine quietly in the prefix given, making no desktop menu entries and fetching no
# .NET or browser engine.
wine_environment() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
}

# Configures and builds into build/.
build_program() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build
}

# The Windows build: MinGW-w64, NASM for the JPEG library's SIMD code, dpkg-source for its
# Debian source package, GoogleTest's sources; Wine and xdotool to run and drive it.
WINDOWS_PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 nasm dpkg-dev googletest"
WINE_TEST_PACKAGES="wine wine64 xvfb xdotool x11-utils python3 python3-xlib python3-pil"
