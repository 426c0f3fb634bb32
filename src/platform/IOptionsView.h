// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// What the options dialog shows; the view reports the user's edits to its listener.
struct OptionControls {
    int Slider1 = 0; // 0..100
    std::string Label3;
    std::string Text1; // the auto-save path, read-only
    std::string Text2;
    bool Option1 = false; // "Skin"
    bool Option2 = false; // "Resizable"
    bool ApplyEnabled = false;
};

class IOptionsView {
  public:
    virtual ~IOptionsView() = default;
    // Shows the controls as they now stand.
    virtual void Refresh(const OptionControls& controls) = 0;
    // Shows the dialog modally and returns when Close is called or it is closed.
    virtual void RunModal() = 0;
    virtual void Close() = 0;
    // Lets the user pick a folder; the empty text when cancelled.
    virtual std::string PickFolder(const std::string& start) = 0;
};
