// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/IDialogs.h"

// Message boxes and the Save dialog of the system, owned by the main window.
class Win32Dialogs : public IDialogs {
  public:
    explicit Win32Dialogs(HWND owner = nullptr) : owner_(owner) {}
    void MessageBox(const std::string& text) override;
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest& request) override;

  private:
    HWND Owner() const;
    HWND owner_;
};
