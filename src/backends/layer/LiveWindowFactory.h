// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IWindowFactory.h"

#include <QPoint>

#include <functional>

class IScreen;
class WaylandClient;

// The secondary windows of the live mode: tips and notices as layer surfaces of ours,
// placed beside the phone; the options and about boxes as Qt's own windows, with no owner
// (the phone is not a Qt window).
class LiveWindowFactory : public IWindowFactory {
  public:
    // cursor: the pointer's last desktop device position.
    LiveWindowFactory(WaylandClient& client, const IScreen& screen, std::function<QPoint()> cursor)
        : client_(client), screen_(screen), cursor_(std::move(cursor)) {}

    std::unique_ptr<ITipWindow> CreateTipWindow() override;
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override;
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) override;
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) override;

  private:
    WaylandClient& client_;
    const IScreen& screen_;
    std::function<QPoint()> cursor_;
};
