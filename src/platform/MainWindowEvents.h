// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMainWindowListener.h"

#include <cstdint>

// What every main window's view does when it reports to its listener: no listener means
// nobody is told; a double click is its press and then, for the left button, the double
// click; a key without a code is not reported; the close is reported once.
class MainWindowEvents {
  public:
    void SetListener(IMainWindowListener* listener) { listener_ = listener; }

    void MouseDown(std::int16_t button, std::int16_t shift, float X, float Y) const {
        if (listener_)
            listener_->Form_MouseDown(button, shift, X, Y);
    }
    void MouseMove(std::int16_t buttons, std::int16_t shift, float X, float Y) const {
        if (listener_)
            listener_->Form_MouseMove(buttons, shift, X, Y);
    }
    void MouseUp(std::int16_t button, std::int16_t shift, float X, float Y) const {
        if (listener_)
            listener_->Form_MouseUp(button, shift, X, Y);
    }
    // beforeDoubleClick runs between the two reports (a double click may open a modal
    // window: the view lets go of the pointer first).
    template <typename Between = void (*)()>
    void DoubleClick(
        std::int16_t button, std::int16_t shift, float X, float Y,
        Between beforeDoubleClick = [] {}) const {
        if (!listener_)
            return;
        listener_->Form_MouseDown(button, shift, X, Y);
        if (button != Mouse::Left)
            return;
        beforeDoubleClick();
        listener_->Form_DblClick(X, Y);
    }
    void MouseLeave() const {
        if (listener_)
            listener_->Form_MouseLeave();
    }
    void KeyDown(std::int16_t keyCode, std::int16_t shift) const {
        if (listener_ && keyCode != 0)
            listener_->Form_KeyDown(keyCode, shift);
    }
    void ButtonPress(int id) const {
        if (listener_)
            listener_->Button_Press(id);
    }
    void Unload() {
        if (!listener_ || unloaded_)
            return;
        unloaded_ = true;
        listener_->Form_Unload();
    }

  private:
    IMainWindowListener* listener_ = nullptr;
    bool unloaded_ = false;
};
