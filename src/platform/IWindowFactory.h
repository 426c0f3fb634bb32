#pragma once

#include "platform/IAboutView.h"
#include "platform/IOptionsView.h"
#include "platform/ITipWindow.h"

#include <memory>

class frmAbout;

// Makes the program's secondary windows.
class IWindowFactory {
  public:
    virtual ~IWindowFactory() = default;
    virtual std::unique_ptr<ITipWindow> CreateTipWindow() = 0;
    virtual std::unique_ptr<IOptionsView> CreateOptionsView(frmOption& logic) = 0;
    virtual std::unique_ptr<IAboutView> CreateAboutView(frmAbout& logic) = 0;
};
