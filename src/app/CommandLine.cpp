// SPDX-License-Identifier: MIT

#include "app/CommandLine.h"

#include "platform/ProgramVersion.h"

#include <array>
#include <string_view>

namespace {

constexpr std::string_view Usage =
    "Usage: tarvik [OPTION]...\n"
    "Capture a phone-display-sized piece of the screen through a see-through phone.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "      --make-skin PICTURE\n"
    "                 write a skin file for a phone picture whose display is see-through\n"
    "                 (transparent, or the colour of its top-left pixel) beside it, and exit\n"
    "      --frozen   on Wayland, frame on a still screenshot even where the phone can be live\n"
    "\n"
    "On X11 the phone is a live see-through window. On Wayland it is live where the\n"
    "compositor offers the layer shell (sway, Hyprland, river, labwc, Wayfire, KDE Plasma,\n"
    "COSMIC); elsewhere (GNOME) it frames a still screenshot of the desktop, taken again\n"
    "with F5. Qt's standard options (for example -platform, -display, -style) are passed\n"
    "on to Qt.\n"
    "Settings: $XDG_CONFIG_HOME/tarvik/settings.reg (by default ~/.config/tarvik).\n"
    "Press F1 in the program for its help page; see also tarvik(1).\n";

// Qt's standard options that take a value (as the next argument or after '=').
constexpr std::array<std::string_view, 13> QtValueOptions = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "name",          "style",
    "stylesheet"};
constexpr std::array<std::string_view, 5> QtFlagOptions = {"reverse", "widgetcount", "nograb",
                                                           "dograb", "sync"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::string_view n : names)
        if (n == name)
            return true;
    return false;
}

constexpr std::string_view FrozenOption = "--frozen";

CommandLineExit UsageError(const std::string& what) {
    return {2, "tarvik: " + what + "\nTry 'tarvik --help' for more information.\n"};
}

} // namespace

bool AsksFrozen(int argc, const char* const argv[]) {
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i)
        if (argv[i] == FrozenOption)
            return true;
    return false;
}

std::optional<CommandLineExit> ParseCommandLine(int argc, const char* const argv[],
                                                const MakeSkinCommand& makeSkin) {
    constexpr std::string_view MakeSkinOption = "--make-skin";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == MakeSkinOption || arg.starts_with(std::string(MakeSkinOption) + "=")) {
            std::string picture;
            if (arg == MakeSkinOption) {
                if (++i >= argc)
                    return UsageError("option '--make-skin' needs a picture");
                picture = argv[i];
            } else {
                picture = arg.substr(MakeSkinOption.size() + 1);
            }
            if (picture.empty())
                return UsageError("option '--make-skin' needs a picture");
            if (!makeSkin)
                return UsageError("option '--make-skin' is not available here");
            return makeSkin(picture);
        }
        // "--" ends the options; the program takes no other arguments.
        if (arg == "--") {
            if (i + 1 < argc)
                return UsageError("unexpected argument '" + std::string(argv[i + 1]) + "'");
            break;
        }
        if (arg == FrozenOption)
            continue;
        if (arg == "-h" || arg == "--help")
            return CommandLineExit{0, std::string(Usage)};
        if (arg == "-V" || arg == "--version") {
            const VersionNumbers v = BuildVersion;
            return CommandLineExit{0, "tarvik " + std::to_string(v.Major) + "." +
                                          std::to_string(v.Minor) + "." +
                                          std::to_string(v.Revision) + "\n"};
        }
        if (arg.size() < 2 || arg[0] != '-')
            return UsageError("unexpected argument '" + std::string(arg) + "'");
        // Qt reads its options with one dash or two.
        std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
        const auto equals = name.find('=');
        const bool hasValue = equals != std::string_view::npos;
        name = name.substr(0, equals);
        if (Contains(QtFlagOptions, name) && !hasValue)
            continue;
        if (!Contains(QtValueOptions, name))
            return UsageError("unknown option '" + std::string(arg) + "'");
        if (!hasValue && ++i >= argc)
            return UsageError("option '" + std::string(arg) + "' needs a value");
    }
    return std::nullopt;
}
