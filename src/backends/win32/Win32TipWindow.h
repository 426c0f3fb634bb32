// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/ITipWindow.h"

class IScreen;

// The tip: a bordered popup in the system's tip colours that never takes the focus. The
// save notice is another, titled "Tarvik notice".
class Win32TipWindow : public ITipWindow {
  public:
    explicit Win32TipWindow(const IScreen& screen, const char* title = "Tarvik tip");
    ~Win32TipWindow() override;
    Win32TipWindow(const Win32TipWindow&) = delete;
    Win32TipWindow& operator=(const Win32TipWindow&) = delete;

    void MeasureText(const std::string& text, double& width, double& height) const override;
    void SetText(const std::string& text) override;
    void SetGeometry(double left, double top, double width, double height) override;
    void Show() override;
    void Hide() override;
    void HideAfter(int milliseconds) override;
    void Close() override;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void Paint();

    const IScreen& screen_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    std::string text_;
};
