// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IWindowFactory.h"

class IScreen;
class LayerSurface;
class WaylandClient;

// The secondary windows of the live mode: tips and notices as popups of the phone's
// surface; the options and about boxes as Qt's own windows, with no owner (the phone is not
// a Qt window).
class LiveWindowFactory : public IWindowFactory {
  public:
    LiveWindowFactory(WaylandClient& client, const IScreen& screen, LayerSurface& phone)
        : client_(client), screen_(screen), phone_(phone) {}

    std::unique_ptr<ITipWindow> CreateTipWindow() override;
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override;
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) override;
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) override;

  private:
    WaylandClient& client_;
    const IScreen& screen_;
    LayerSurface& phone_;
};
