// SPDX-License-Identifier: MIT

#include "backends/qt/QtWindowFactory.h"

#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtOptionsDialog.h"
#include "backends/qt/QtTipWindow.h"

std::unique_ptr<ITipWindow> QtWindowFactory::CreateTipWindow() {
    return std::make_unique<QtTipWindow>(screen_);
}

std::unique_ptr<ITipWindow> QtWindowFactory::CreateNoticeWindow() {
    return std::make_unique<QtTipWindow>(screen_, QtTipWindow::Role::Notice);
}

std::unique_ptr<IOptionsView> QtWindowFactory::CreateOptionsView(IOptionsListener& listener) {
    return std::make_unique<QtOptionsDialog>(listener, &owner_);
}

std::unique_ptr<IAboutView> QtWindowFactory::CreateAboutView(IAboutListener& listener) {
    return std::make_unique<QtAboutBox>(listener, &owner_);
}
