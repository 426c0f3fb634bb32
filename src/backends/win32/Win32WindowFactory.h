// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/IWindowFactory.h"

class IScreen;

// Makes the tip window, the options dialog and the about box, owned by the main window.
class Win32WindowFactory : public IWindowFactory {
  public:
    Win32WindowFactory(const IScreen& screen, HWND owner) : screen_(screen), owner_(owner) {}
    std::unique_ptr<ITipWindow> CreateTipWindow() override;
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override;
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) override;
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) override;

  private:
    const IScreen& screen_;
    HWND owner_;
};
