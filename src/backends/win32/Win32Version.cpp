// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Version.h"

#include <vector>

#include <windows.h>

std::optional<VersionNumbers> ResourceVersion(const std::string& executable) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(executable.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(executable.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return VersionNumbers{static_cast<int>(HIWORD(info->dwFileVersionMS)),
                          static_cast<int>(LOWORD(info->dwFileVersionMS)),
                          static_cast<int>(HIWORD(info->dwFileVersionLS))};
}

VersionNumbers ProgramVersion() {
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0)
        return BuildVersion;
    return ResourceVersion(path).value_or(BuildVersion);
}
