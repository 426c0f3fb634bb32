// SPDX-License-Identifier: MIT

#include "app/frmMain.h"

#include "app/MainFixture.h"
#include "skin/WindowShape.h"

#include <gtest/gtest.h>

#include <tuple>

TEST_F(MainFixture, FirstStartTakesTheDefaultsAndShowsTheShapedWindowCentred) {
    frmMain main = Make();
    main.Form_Load();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Error loading settings.\n\rSwich to default settings");
    EXPECT_EQ(main.State().Settings.JpegQuality, 100);
    EXPECT_EQ(main.State().Settings.AutoNamePrefix, "tarvik_output");
    EXPECT_EQ(main.State().Settings.AutoSavePath, ".\\captured");
    EXPECT_EQ(main.State().Settings.AutoSaveFolder, folder.Path() + PathSeparator + "captured");
    EXPECT_TRUE(main.State().Settings.ViewModeSkin);
    EXPECT_EQ(main.State().SaveAsCounter, 1);
    EXPECT_FALSE(main.State().CaptureMode);
    EXPECT_EQ(main.State().Catalogue.Count, 1);
    EXPECT_EQ(main.State().Picture2, builtin);

    EXPECT_EQ(window.width, 193 * 15);
    EXPECT_EQ(window.height, 448 * 15);
    EXPECT_EQ(window.left, (1024 - 193) / 2 * 15);
    EXPECT_EQ(window.top, (768 - 448) / 2 * 15);
    EXPECT_EQ(window.region, ComputeWindowShape(*builtin, SkinRect{33, 88, 161, 215}));
    EXPECT_EQ(window.picture, builtin);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.calls.back(), "Show");
}

TEST_F(MainFixture, StartsCentredOnThePrimaryScreenWhereverItLiesOnTheDesktop) {
    screen.primary = {1280, -200, 800, 600}; // right of a second monitor, and higher
    frmMain main = Make();
    main.Form_Load();
    EXPECT_EQ(window.left, (1280 + (800 - 193) / 2) * 15);
    EXPECT_EQ(window.top, (-200 + (600 - 448) / 2) * 15);
}

TEST_F(MainFixture, CloseWritesTheSixValuesInOrderAndTheNextStartUsesThem) {
    {
        frmMain main = Make();
        main.Form_Load();
        main.SwitchSkin(1);
        // The window reports to the logic while the logic lives, and to nobody after.
        EXPECT_EQ(window.listener, &main);
        window.listener->Form_Unload();
    }
    EXPECT_EQ(window.listener, nullptr);
    EXPECT_EQ(registry.writes,
              (std::vector<std::string>{"SkinCount", "SkinFile", "JPEG Quality", "Auto-save Path",
                                        "Auto-name Prefix", "View Mode"}));
    EXPECT_EQ(registry.ReadRegString(0, SettingsKey, "SkinFile"), "Aqua.inf");
    EXPECT_EQ(registry.ReadRegDword(0, SettingsKey, "View Mode"), 1);

    dialogs.messages.clear();
    frmMain second = Make();
    second.Form_Load();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(second.State().Catalogue.Current, 1);
    EXPECT_EQ(second.State().SaveAsCounter, 1);
    // Shown at the stored skin's size, centred.
    EXPECT_EQ(window.width, 100 * 15);
    EXPECT_EQ(window.left, (1024 - 100) / 2 * 15);
}

TEST_F(MainFixture, SwitchSkinHidesLoadsShapesAndShowsAndIgnoresNumbersOutOfRange) {
    frmMain main = Make();
    main.Form_Load();
    window.calls.clear();

    main.SwitchSkin(2);
    main.SwitchSkin(-1);
    EXPECT_TRUE(window.calls.empty());

    main.SwitchSkin(1);
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"Hide", "Resize", "SetPicture", "SetRegion", "Show"}));
    EXPECT_EQ(main.State().Layout.ShotRect, (SkinRect{10, 10, 60, 50}));
    EXPECT_EQ(window.width, 100 * 15);
}

TEST_F(MainFixture, SkinSwitchMovesJustEnoughToKeepThePhoneOnTheScreenItStandsOn) {
    // A 1920 x 1080 screen with a panel along its foot, and a second screen right of it.
    screen.primary = {0, 0, 1920, 1080};
    screen.workAreas = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
    for (const auto& [name, w, h] : {std::tuple{"Tall", 400, 900}, {"Wide", 1400, 1200}}) {
        folder.Write(std::string("skins/") + name + ".inf",
                     std::string("image = ") + name +
                         ".png\rshot = (20, 20, 300, 600)\r"
                         "close = (0,0,5,5)\rsave = (0,0,5,5)\rsaveas = (0,0,5,5)\r");
        codec.pictures[folder.Path() + "/skins/" + name + ".png"] = std::make_shared<Image>(w, h);
    }
    frmMain main = Make();
    main.Form_Load();
    const auto at = [&] { return std::pair{window.left / 15, window.top / 15}; };
    EXPECT_EQ(at(), (std::pair{863.0, 316.0})); // start-up centres

    main.Form_KeyDown(Key::Digit0 + 2, 0); // Tall.inf: up just enough, above the panel
    EXPECT_EQ(at(), (std::pair{863.0, 140.0}));
    EXPECT_TRUE(window.visible);
    main.Form_KeyDown(Key::Digit0 + 1, 0); // Aqua.inf, small: stays where it is
    EXPECT_EQ(at(), (std::pair{863.0, 140.0}));

    window.left = 3000 * 15; // on the second screen, near its right edge
    window.top = 500 * 15;
    menus.choice = 403; // the menu's third skin entry, Tall.inf
    main.ShowContextMenu();
    EXPECT_EQ(at(), (std::pair{3200.0 - 400, 1024.0 - 900}));
    main.SwitchSkin(3); // Wide.inf fits neither way: its corner at the screen's corner
    EXPECT_EQ(at(), (std::pair{1920.0, 0.0}));
}

TEST_F(MainFixture, LoadingAnySkinReturnsToTheNormalCaptureArea) {
    frmMain main = Make();
    main.Form_Load();
    MainAccess::State(main).CaptureMode = true;
    main.SwitchSkin(0);
    EXPECT_FALSE(main.State().CaptureMode);
    EXPECT_EQ(main.State().Layout.ShotRect, (SkinRect{33, 88, 161, 215}));
}

TEST_F(MainFixture, BuiltInPictureSurvivesAFailedSkinAndSkinSwitches) {
    folder.Write("skins/Bad.inf", "image = nothing.bmp\r");
    frmMain main = Make();
    main.Form_Load();
    main.SwitchSkin(2); // Bad.inf sorts after Aqua.inf
    EXPECT_EQ(dialogs.messages.back(), "Error Loading Image " + main.SkinsFolder() +
                                           "nothing.bmp\r\nSwitch to default skin");
    EXPECT_EQ(main.State().Catalogue.Current, 0);
    EXPECT_EQ(main.State().Layout.SkinImage, builtin);
    main.SwitchSkin(1);
    EXPECT_EQ(main.State().Picture2, builtin);
    EXPECT_TRUE(window.visible);
}

TEST_F(MainFixture, CaptureTakesTheScreenUnderTheShotAreaAtTheWindowsPlace) {
    frmMain main = Make();
    main.Form_Load();
    window.Move(1500, 750); // pixel (100, 50) at 15 twips per pixel
    main.Capture();
    ASSERT_EQ(screen.grabs.size(), 1u);
    EXPECT_EQ(screen.grabs[0], (RegionRect{133, 138, 128, 127}));
    ASSERT_TRUE(main.State().Picture1);
    EXPECT_EQ(main.State().Picture1->At(0, 0), Rgb(133, 138, 0x40));

    MainAccess::State(main).Layout.ShotRect = {33, 74, 161, 233}; // the taller capture area
    const Picture first = main.State().Picture1;
    main.Capture();
    EXPECT_EQ(screen.grabs[1], (RegionRect{133, 124, 128, 159}));
    EXPECT_NE(main.State().Picture1, first);

    MainAccess::State(main).Layout.ShotRect = {10, 10, 10, 40}; // no width: nothing to grab
    main.Capture();
    EXPECT_EQ(main.State().Picture1, nullptr);
    EXPECT_EQ(screen.grabs.size(), 2u);
}

TEST_F(MainFixture, QuickSaveWritesTheCaptureIntoTheAutoSaveFolder) {
    frmMain main = Make();
    main.Form_Load();
    main.QuickSave();
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.Path() + "/captured/tarvik_output1.jpg"));
    EXPECT_EQ(dialogs.messages.size(), 1u); // only the first start's settings message
}

TEST_F(MainFixture, LongStoredTextsAreShortenedInMessagesAndTipsAndStoredWhole) {
    const std::string skin = "first" + std::string(1'000'000, 'k') + "last.inf";
    std::string path = "/start" + std::string(1'000'000, 'p');
    for (int i = 0; i < 100; ++i)
        path += "\r\nline";
    registry.WriteRegDword(0, SettingsKey, "SkinCount", 3);
    registry.WriteRegString(0, SettingsKey, "SkinFile", skin);
    registry.WriteRegDword(0, SettingsKey, "JPEG Quality", 90);
    registry.WriteRegString(0, SettingsKey, "Auto-save Path", path);
    registry.WriteRegString(0, SettingsKey, "Auto-name Prefix", "shot");
    registry.WriteRegDword(0, SettingsKey, "View Mode", 1);
    frmMain main = Make();
    main.Form_Load();
    main.Form_MouseMove(0, 0, 30 * 15, 255 * 15); // over Quick Save: the tip names the path
    ASSERT_EQ(dialogs.messages.size(), 1u);
    ASSERT_NE(windows.tip, nullptr);
    for (const std::string& shown : {dialogs.messages[0], windows.tip->text}) {
        std::size_t lines = 0;
        for (std::size_t start = 0, end; start <= shown.size(); start = end + 1, ++lines) {
            end = std::min(shown.find('\n', start), shown.size());
            EXPECT_LE(end - start, 121u); // a CR besides
        }
        EXPECT_LE(lines, 24u);
    }
    EXPECT_EQ(dialogs.messages[0].rfind("Skin setting file firstkkk", 0), 0u);
    EXPECT_NE(dialogs.messages[0].find("kk...kk"), std::string::npos);
    EXPECT_NE(dialogs.messages[0].find("kklast.inf not found\n\rSwich to default skin"),
              std::string::npos);
    EXPECT_NE(windows.tip->text.find("\r\n/startppp"), std::string::npos);
    EXPECT_NE(windows.tip->text.find("\r\nline"), std::string::npos);
    main.Form_Unload();
    EXPECT_EQ(registry.ReadRegString(0, SettingsKey, "Auto-save Path"), path);
}
