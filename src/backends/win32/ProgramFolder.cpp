// SPDX-License-Identifier: MIT

#include "platform/ProgramFolder.h"

#include <windows.h>

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    const auto slash = folder.find_last_of("\\/");
    if (slash == std::string::npos)
        return folder;
    // Keep the backslash at the root of a drive ("E:\").
    return folder.substr(0, slash == 2 && folder[1] == ':' ? 3 : slash);
}

std::string DefaultCaptureFolder(const std::string& programFolder) {
    // Joined as it stands, the drive's root included ("E:\\captured").
    return programFolder + "\\" + CaptureFolderName;
}

std::string UserSkinsFolder(const std::string&) {
    return {}; // the program's folder is the user's to change
}
