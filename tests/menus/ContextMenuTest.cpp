// SPDX-License-Identifier: MIT

#include "app/MainFixture.h"

namespace {

class ContextMenuTest : public MainFixture {
  protected:
    ContextMenuTest() {
        std::filesystem::remove(folder.Path() + "/skins/Aqua.inf");
        for (const char* name : {"A.inf", "B.inf", "C.inf"})
            folder.Write(std::string("skins/") + name,
                         "image = aqua.bmp\rshot = (1, 2, 3, 4)\rclose = (0,0,5,5)\r"
                         "save = (0,60,5,5)\rsaveas = (9,60,5,5)\r");
    }
};

const std::vector<std::string> TopLevel = {"1 &Quick Save", "2 &Save As", "-", "> Skins"};

} // namespace

TEST_F(ContextMenuTest, ListsTheCommandsAndTheSkinsWithTheCurrentOneChecked) {
    folder.Write("skins/R&D.inf", "x"); // its ampersand is shown, not an access key
    frmMain main = Make();
    main.Form_Load();
    main.ShowContextMenu();
    EXPECT_EQ(menus.lines, (std::vector<std::string>{
                               "1 &Quick Save", "2 &Save As", "-", "> Skins", "  * 401 Default",
                               "  402 A.inf", "  403 B.inf", "  404 C.inf", "  405 R&&D.inf",
                               "5 Settings", "-", "7 E&xit", "-", "9 &Help", "10 &About"}));
    // Dismissed: nothing happens and no mark stays behind.
    EXPECT_EQ(main.State().Catalogue.Names[0], "Default");
    EXPECT_TRUE(window.visible);
}

TEST_F(ContextMenuTest, ChoosingASkinReloadsItBehindAHiddenWindowAndFollowsRescans) {
    frmMain main = Make();
    main.Form_Load();
    menus.choice = 403;
    window.calls.clear();
    main.ShowContextMenu();
    EXPECT_EQ(main.State().Catalogue.Current, 2);
    EXPECT_EQ(main.State().Layout.ShotRect, (SkinRect{1, 2, 4, 6}));
    EXPECT_EQ(window.calls.front(), "Hide");
    EXPECT_EQ(window.calls.back(), "Show");

    // B.inf is checked; a new file sorts into place, a deleted one disappears.
    std::filesystem::remove(folder.Path() + "/skins/A.inf");
    folder.Write("skins/0.inf", "x");
    menus.choice = 0;
    main.ShowContextMenu();
    EXPECT_EQ(
        std::vector<std::string>(menus.lines.begin() + 4, menus.lines.begin() + 8),
        (std::vector<std::string>{"  401 Default", "  402 0.inf", "  * 403 B.inf", "  404 C.inf"}));
    EXPECT_EQ(main.State().Catalogue.Names[2], "B.inf");

    // The checked entry chosen again loads again, with the hide and show.
    menus.choice = 403;
    window.calls.clear();
    main.ShowContextMenu();
    EXPECT_EQ(window.calls.front(), "Hide");
    main.Form_Unload();
    EXPECT_EQ(registry.ReadRegString(0, SettingsKey, "SkinFile"), "B.inf");
}

TEST_F(ContextMenuTest, WithoutSkinFilesOnlyDefaultIsListedAndThirtyFilesEndAt431) {
    for (const char* name : {"A.inf", "B.inf", "C.inf"})
        std::filesystem::remove(folder.Path() + "/skins/" + name);
    frmMain main = Make();
    main.Form_Load();
    main.ShowContextMenu();
    EXPECT_EQ(menus.lines[4], "  * 401 Default");
    EXPECT_EQ(menus.lines[5], "5 Settings");

    for (int i = 10; i < 40; ++i)
        folder.Write("skins/s" + std::to_string(i) + ".inf", "x");
    main.ShowContextMenu();
    EXPECT_EQ(menus.lines[4 + 30], "  431 s39.inf");
}

TEST_F(ContextMenuTest, CommandsRunAfterTheMarkIsRemoved) {
    frmMain main = Make();
    main.Form_Load();
    menus.choice = 1;
    main.ShowContextMenu();
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "/captured/tarvik_output1.jpg"));
    menus.choice = 2;
    main.ShowContextMenu();
    EXPECT_EQ(dialogs.requests.size(), 1u);
    menus.choice = 9;
    main.ShowContextMenu();
    EXPECT_EQ(shell.opened.back(), folder.Path() + PathSeparator + "readme.htm");
    menus.choice = 10;
    windows.aboutScript = [&] { EXPECT_EQ(main.State().Catalogue.Names[0], "Default"); };
    main.ShowContextMenu();
    EXPECT_EQ(windows.aboutShown, 1);
    menus.choice = 7;
    main.ShowContextMenu();
    EXPECT_EQ(window.calls.back(), "Close");
}

TEST_F(ContextMenuTest, ASkinNamedWithALeadingStarIsPlainUntilItIsCurrent) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file names cannot hold a '*'";
#endif
    folder.Write("skins/*x.inf", "image = aqua.bmp\rshot = (1, 2, 3, 4)\rclose = (0,0,5,5)\r"
                                 "save = (0,60,5,5)\rsaveas = (9,60,5,5)\r");
    frmMain main = Make();
    main.Form_Load();
    main.ShowContextMenu();
    EXPECT_EQ(std::vector<std::string>(menus.lines.begin() + 4, menus.lines.begin() + 6),
              (std::vector<std::string>{"  * 401 Default", "  402 *x.inf"}));

    menus.choice = 402;
    main.ShowContextMenu();
    EXPECT_EQ(main.State().Catalogue.Current, 1);
    menus.choice = 0;
    main.ShowContextMenu();
    EXPECT_EQ(std::vector<std::string>(menus.lines.begin() + 4, menus.lines.begin() + 6),
              (std::vector<std::string>{"  401 Default", "  * 402 *x.inf"}));
}
