// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

struct SaveDialogRequest {
    // Filter texts as "Description|pattern;pattern|Description|pattern".
    std::string Filter;
    std::string ProposedName;
    bool OverwritePrompt = true;
};

struct SaveDialogResult {
    bool Accepted = false;
    std::string FileName; // the full path chosen; the proposed name on Cancel
    int FilterIndex = 0;  // 0-based index of the filter in force when the dialog closed
};

class IDialogs {
  public:
    virtual ~IDialogs() = default;
    // Modal message box: OK button only, no icon, the program's title as caption.
    virtual void MessageBox(const std::string& text) = 0;
    // Modal Save dialog; it asks itself before an existing file is chosen.
    virtual SaveDialogResult ShowSaveDialog(const SaveDialogRequest& request) = 0;
};
