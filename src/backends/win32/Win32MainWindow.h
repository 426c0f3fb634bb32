// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/IMainWindow.h"
#include "platform/MainWindowEvents.h"

#include <deque>
#include <functional>

class IScreen;

// The main window's view: a borderless popup with a task-bar entry, painted with the skin
// picture and cut to the skin's region. Pointer and key messages go to the listener,
// positions in twips.
class Win32MainWindow : public IMainWindow {
  public:
    explicit Win32MainWindow(const IScreen& screen);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    HWND Handle() const { return window_; }

    void SetListener(IMainWindowListener* listener) override { events_.SetListener(listener); }
    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top) override;
    void Resize(double width, double height) override;
    void SetPicture(const Picture& picture) override;
    void SetRegion(const Region& region) override;
    void SetPointer(PointerShape shape) override;
    // Not offered to assistive technology on Windows yet.
    void SetButtons(const std::vector<AccessibleButton>&) override {}
    void Show() override;
    void Hide() override;
    void Close() override;
    void Later(std::function<void()> task) override;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void Paint();
    RECT Bounds() const;
    // The pointer of the message being handled, from the window's corner as last placed,
    // in twips. Not the message's own window-local position, which may be stale.
    float TwipsX() const;
    float TwipsY() const;

    const IScreen& screen_;
    HWND window_ = nullptr;
    MainWindowEvents events_;
    Picture picture_;
    PointerShape pointer_ = PointerShape::Default;
    std::deque<std::function<void()>> later_;
};
