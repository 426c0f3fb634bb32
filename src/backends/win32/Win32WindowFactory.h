#pragma once

#include "platform/IWindowFactory.h"
#include "backends/win32/Win32Common.h"

class IScreen;

// Makes the tip window, the options dialog and the about box, owned by the main window.
class Win32WindowFactory : public IWindowFactory {
  public:
    Win32WindowFactory(const IScreen& screen, HWND owner) : screen_(screen), owner_(owner) {}
    std::unique_ptr<ITipWindow> CreateTipWindow() override;
    std::unique_ptr<IOptionsView> CreateOptionsView(frmOption& logic) override;
    std::unique_ptr<IAboutView> CreateAboutView(frmAbout& logic) override;

  private:
    const IScreen& screen_;
    HWND owner_;
};
