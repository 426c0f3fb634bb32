// SPDX-License-Identifier: MIT

#include "backends/layer/LiveWindowFactory.h"

#include "backends/layer/LiveTipWindow.h"
#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtOptionsDialog.h"

std::unique_ptr<ITipWindow> LiveWindowFactory::CreateTipWindow() {
    return std::make_unique<LiveTipWindow>(client_, screen_, phone_);
}

// The notice is a tip in look and behaviour; only its text and place differ.
std::unique_ptr<ITipWindow> LiveWindowFactory::CreateNoticeWindow() {
    return std::make_unique<LiveTipWindow>(client_, screen_, phone_);
}

std::unique_ptr<IOptionsView> LiveWindowFactory::CreateOptionsView(IOptionsListener& listener) {
    return std::make_unique<QtOptionsDialog>(listener, nullptr);
}

std::unique_ptr<IAboutView> LiveWindowFactory::CreateAboutView(IAboutListener& listener) {
    return std::make_unique<QtAboutBox>(listener, nullptr);
}
