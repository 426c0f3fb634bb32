// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IWindowFactory.h"

class IScreen;
class WaylandMainWindow;

// The secondary windows on Wayland: tips are drawn inside the overlay, where they can be
// placed; dialogs belong to it.
class WaylandWindowFactory : public IWindowFactory {
  public:
    WaylandWindowFactory(const IScreen& screen, WaylandMainWindow& window)
        : screen_(screen), window_(window) {}

    std::unique_ptr<ITipWindow> CreateTipWindow() override;
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override;
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) override;
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) override;

  private:
    const IScreen& screen_;
    WaylandMainWindow& window_;
};
