// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

// A small window of Tarvik that holds the keyboard while the screenshot portal is asked:
// desktops show their permission question only to the focused application. It draws
// nothing until the answer is slow (a question is up), so the screenshot does not show it;
// then it says that Tarvik waits for the desktop's permission.
class ReadingNotice : public QWidget {
  public:
    ReadingNotice();

    // Shows the window, see-through, and waits a moment for it to get the keyboard.
    void ShowClear();
    // Draws the notice that Tarvik waits for the desktop's permission, and takes it as the
    // title; the next screenshot would show it.
    void Say();
    // See-through again, once the compositor has drawn that.
    void Clear();
    bool Saying() const { return saying_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool saying_ = false;
};
