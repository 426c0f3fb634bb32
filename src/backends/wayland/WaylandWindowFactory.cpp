// SPDX-License-Identifier: MIT

#include "backends/wayland/WaylandWindowFactory.h"

#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtOptionsDialog.h"
#include "backends/qt/QtTipWindow.h"
#include "backends/wayland/WaylandMainWindow.h"

std::unique_ptr<ITipWindow> WaylandWindowFactory::CreateTipWindow() {
    auto tip = std::make_unique<QtTipWindow>(screen_);
    tip->setParent(&window_.Owner(), Qt::Widget);
    return tip;
}

std::unique_ptr<ITipWindow> WaylandWindowFactory::CreateNoticeWindow() {
    auto notice = std::make_unique<QtTipWindow>(screen_, QtTipWindow::Role::Notice);
    notice->setParent(&window_.Owner(), Qt::Widget);
    return notice;
}

std::unique_ptr<IOptionsView> WaylandWindowFactory::CreateOptionsView(IOptionsListener& listener) {
    return std::make_unique<QtOptionsDialog>(listener, &window_.Owner());
}

std::unique_ptr<IAboutView> WaylandWindowFactory::CreateAboutView(IAboutListener& listener) {
    return std::make_unique<QtAboutBox>(listener, &window_.Owner());
}
