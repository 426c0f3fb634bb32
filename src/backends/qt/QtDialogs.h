#pragma once

#include "platform/IDialogs.h"

class QWidget;

class QtDialogs : public IDialogs {
  public:
    void MessageBox(const std::string& text) override;
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest& request) override;
};
