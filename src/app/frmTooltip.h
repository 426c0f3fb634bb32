// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IWindowFactory.h"

#include <memory>
#include <string>

// The tip shown next to the pointer over a hot spot: one window for the whole run, made
// the first time it is shown or hidden.
class frmTooltip {
  public:
    explicit frmTooltip(IWindowFactory& factory) : factory_(factory) {}

    // X and Y are the pointer's twips relative to the main window at mainLeft, mainTop.
    void ShowTip(const std::string& text, float X, float Y, double mainLeft, double mainTop);
    void Hide();
    void Close();

    bool Loaded() const { return window_ != nullptr; }

  private:
    ITipWindow& Window();

    IWindowFactory& factory_;
    std::unique_ptr<ITipWindow> window_;
};
