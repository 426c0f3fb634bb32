// SPDX-License-Identifier: MIT

#pragma once

#include "app/frmMain.h"
#include "fakes/FakePlatform.h"
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

// The few places where tests set the main window's state up directly.
struct MainAccess {
    static MainState& State(frmMain& main) { return main.state_; }
};

class MainFixture : public ::testing::Test {
  protected:
    MainFixture() {
        builtin = std::make_shared<Image>(193, 448, Rgb(40, 40, 40));
        builtin->At(0, 0) = Rgb(255, 255, 255);
        folder.Write("skins/Aqua.inf",
                     "image = aqua.bmp\rshot = (10, 10, 50, 40)\r"
                     "close = (0,0,5,5)\rsave = (0,60,5,5)\rsaveas = (9,60,5,5)\r");
        codec.pictures[folder.Path() + "/skins/aqua.bmp"] = std::make_shared<Image>(100, 80);
    }

    frmMain Make() {
        return frmMain(MainWindowPorts{window, screen, codec, dialogs, shell, registry, menus,
                                       windows, clipboard},
                       builtin, folder.Path());
    }

    TempFolder folder;
    FakeMainWindow window;
    FakeScreen screen;
    FakeCodec codec;
    FakeDialogs dialogs;
    FakeShell shell;
    MemoryRegistry registry;
    FakeMenuService menus;
    FakeWindowFactory windows;
    FakeClipboard clipboard;
    std::shared_ptr<Image> builtin;
};
