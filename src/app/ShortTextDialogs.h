// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IDialogs.h"

// The dialogs with every message shortened as ShortenForDisplay does: a stored name or
// path of any length gives a message box of sane size.
class ShortTextDialogs : public IDialogs {
  public:
    explicit ShortTextDialogs(IDialogs& dialogs) : dialogs_(dialogs) {}

    void MessageBox(const std::string& text) override;
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest& request) override {
        return dialogs_.ShowSaveDialog(request);
    }

  private:
    IDialogs& dialogs_;
};
