// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IAboutListener.h"
#include "platform/IAboutView.h"
#include "platform/IOptionsListener.h"
#include "platform/IOptionsView.h"
#include "platform/ITipWindow.h"

#include <memory>

// Makes the program's secondary windows; each view reports to its listener.
class IWindowFactory {
  public:
    virtual ~IWindowFactory() = default;
    virtual std::unique_ptr<ITipWindow> CreateTipWindow() = 0;
    // A window in the tip's look that tells what was saved.
    virtual std::unique_ptr<ITipWindow> CreateNoticeWindow() = 0;
    virtual std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) = 0;
    virtual std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) = 0;
};
