// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Dialogs.h"

#include <commdlg.h>

#include <vector>

HWND Win32Dialogs::Owner() const {
    return owner_ && IsWindowVisible(owner_) ? owner_ : GetActiveWindow();
}

void Win32Dialogs::MessageBox(const std::string& text) {
    ::MessageBoxA(Owner(), WindowsLineBreaks(text).c_str(), "Tarvik", MB_OK);
}

SaveDialogResult Win32Dialogs::ShowSaveDialog(const SaveDialogRequest& request) {
    // "Text|pattern|Text|pattern" as the dialog's NUL-separated pairs, ended by two NULs.
    std::string filter = request.Filter;
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.append(2, '\0');

    std::vector<char> name(32768, '\0');
    request.ProposedName.copy(name.data(), name.size() - 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Owner();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = "Save As";
    // A name typed without an extension takes the chosen filter's.
    dialog.lpstrDefExt = "jpg";
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER |
                   (request.OverwritePrompt ? OFN_OVERWRITEPROMPT : 0);

    SaveDialogResult result;
    result.FileName = request.ProposedName;
    if (!GetSaveFileNameA(&dialog))
        return result;
    result.Accepted = true;
    result.FileName = name.data();
    result.FilterIndex = dialog.nFilterIndex > 0 ? static_cast<int>(dialog.nFilterIndex) - 1 : 0;
    return result;
}
