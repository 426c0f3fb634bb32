#include "platform/ProgramVersion.h"

#ifdef _WIN32
#include <vector>

#include <windows.h>
#endif

VersionNumbers ProgramVersion() {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) > 0) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        std::vector<char> data(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (size > 0 && GetFileVersionInfoA(path, 0, size, data.data()) &&
            VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) &&
            info && length >= sizeof(VS_FIXEDFILEINFO))
            return {static_cast<int>(HIWORD(info->dwFileVersionMS)),
                    static_cast<int>(LOWORD(info->dwFileVersionMS)),
                    static_cast<int>(HIWORD(info->dwFileVersionLS))};
    }
#endif
    return {TARVIK_VERSION_MAJOR, TARVIK_VERSION_MINOR, TARVIK_VERSION_PATCH};
}
