// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IWindowFactory.h"

class IScreen;
class QWidget;

// Makes the secondary windows, owned by the main window's view.
class QtWindowFactory : public IWindowFactory {
  public:
    QtWindowFactory(const IScreen& screen, QWidget& owner) : screen_(screen), owner_(owner) {}

    std::unique_ptr<ITipWindow> CreateTipWindow() override;
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override;
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) override;
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) override;

  private:
    const IScreen& screen_;
    QWidget& owner_;
};
