// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IScreen.h"
#include "platform/IWindowFactory.h"

#include <memory>
#include <string>

// The note beside the phone after a Quick Save: the file's name and its folder, in the
// tip's look, for a moment; one window for the run, made at the first save.
class SaveNotice {
  public:
    static constexpr int ShownMilliseconds = 2000;
    // Between the phone's edge and the note, in twips.
    static constexpr double Gap = 120;

    explicit SaveNotice(IWindowFactory& factory) : factory_(factory) {}

    // phone and screen in twips: the note goes right of the phone, or left of it where the
    // screen ends first, level with the phone's middle.
    void Show(const std::string& fileName, const std::string& folder, const ScreenArea& phone,
              const ScreenArea& screen);
    void Close();

    // The note's text: "Saved name" and "in folder".
    static std::string Text(const std::string& fileName, const std::string& folder);

  private:
    IWindowFactory& factory_;
    std::unique_ptr<ITipWindow> window_;
};
