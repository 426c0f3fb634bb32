// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Shell.h"

#include <shellapi.h>

void Win32Shell::Open(const std::string& target) {
    // The result is not looked at: a page that cannot open shows nothing.
    HWND owner = GetActiveWindow();
    ShellExecuteA(owner ? owner : owner_, "open", target.c_str(), "", "", SW_SHOWNORMAL);
}
