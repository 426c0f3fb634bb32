// SPDX-License-Identifier: MIT

#include "backends/win32/Win32WindowFactory.h"

#include "backends/win32/Win32AboutBox.h"
#include "backends/win32/Win32OptionsDialog.h"
#include "backends/win32/Win32TipWindow.h"

std::unique_ptr<ITipWindow> Win32WindowFactory::CreateTipWindow() {
    return std::make_unique<Win32TipWindow>(screen_);
}

std::unique_ptr<ITipWindow> Win32WindowFactory::CreateNoticeWindow() {
    return std::make_unique<Win32TipWindow>(screen_, "Tarvik notice");
}

std::unique_ptr<IOptionsView> Win32WindowFactory::CreateOptionsView(IOptionsListener& listener) {
    return std::make_unique<Win32OptionsDialog>(listener, owner_);
}

std::unique_ptr<IAboutView> Win32WindowFactory::CreateAboutView(IAboutListener& listener) {
    return std::make_unique<Win32AboutBox>(listener, owner_);
}
