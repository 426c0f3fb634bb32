// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IDialogs.h"

#include <functional>
#include <utility>

class QWidget;

class QtDialogs : public IDialogs {
  public:
    // The window the dialogs belong to, asked at each dialog; none by default. A compositor
    // shows a dialog over a full-screen window only when it belongs to it.
    void SetOwner(std::function<QWidget*()> owner) { owner_ = std::move(owner); }

    void MessageBox(const std::string& text) override;
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest& request) override;

  private:
    QWidget* Owner() const { return owner_ ? owner_() : nullptr; }

    std::function<QWidget*()> owner_;
};
