#include "platform/ProgramFolder.h"

#include <filesystem>
#include <system_error>

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    std::string folder = exe.parent_path().string();
    return folder.empty() ? "/" : folder;
}
