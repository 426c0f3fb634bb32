// SPDX-License-Identifier: MIT

#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* account = ::getpwuid(::getuid());
        account && account->pw_dir && *account->pw_dir == '/')
        return account->pw_dir;
    return "/";
}

namespace {

// XDG_PICTURES_DIR from the environment or the user's user-dirs.dirs, else ~/Pictures.
std::string PicturesFolder() {
    if (const char* env = std::getenv("XDG_PICTURES_DIR"); env && *env == '/')
        return env;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string dirs =
        (config && *config == '/' ? std::string(config) : HomeFolder() + "/.config") +
        "/user-dirs.dirs";
    std::ifstream file(dirs);
    std::string line;
    constexpr std::string_view key = "XDG_PICTURES_DIR=\"";
    while (std::getline(file, line)) {
        if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = HomeFolder() + value.substr(5);
        if (!value.empty() && value.front() == '/' && fs::path(value) != fs::path(HomeFolder()))
            return value;
    }
    return HomeFolder() + "/Pictures";
}

// The installed layout, <prefix>/lib/tarvik, or a system location.
bool Installed(const std::string& folder) {
    constexpr std::string_view layout = "/lib/tarvik";
    if (folder.size() >= layout.size() &&
        folder.compare(folder.size() - layout.size(), layout.size(), layout) == 0)
        return true;
    for (const char* prefix : {"/usr/", "/opt/"})
        if (folder.rfind(prefix, 0) == 0)
            return true;
    return false;
}

bool Writable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

std::string DefaultCaptureFolder(const std::string& programFolder) {
    const std::string beside = programFolder + "/" + CaptureFolderName;
    std::error_code ec;
    const bool usable = fs::is_directory(beside, ec) ? Writable(beside) : Writable(programFolder);
    if (usable && !Installed(programFolder))
        return beside;
    return PicturesFolder() + "/" + CaptureFolderName;
}

std::string UserSkinsFolder(const std::string& programFolder) {
    if (Writable(programFolder) && !Installed(programFolder))
        return {};
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string base =
        data && *data == '/' ? std::string(data) : HomeFolder() + "/.local/share";
    return base + "/tarvik/skins/";
}

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec).string();
    std::string folder = exe.parent_path().string();
    return folder.empty() ? "/" : folder;
}
