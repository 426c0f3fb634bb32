// SPDX-License-Identifier: MIT

#include "app/MainFixture.h"
#include "imaging/JpegDecode.h"
#include "skin/WindowShape.h"

namespace {

constexpr float T = 15; // twips per pixel

class PointerTest : public MainFixture {
  protected:
    PointerTest() : main(Make()) {
        main.Form_Load();
        window.Move(1500, 750);
        window.calls.clear();
    }
    // Pointer events at a pixel of the window.
    void Down(int button, float px, float py) { main.Form_MouseDown(button, 0, px * T, py * T); }
    void Move(int buttons, float px, float py) { main.Form_MouseMove(buttons, 0, px * T, py * T); }
    void Up(int button, float px, float py) { main.Form_MouseUp(button, 0, px * T, py * T); }
    bool Closed() const {
        return std::find(window.calls.begin(), window.calls.end(), "Close") != window.calls.end();
    }

    frmMain main;
};

} // namespace

TEST_F(PointerTest, HotSpotsIncludeAllFourEdgesAndAbsentOnesAreNeverHit) {
    const SkinRect close = main.State().Layout.CloseRect; // (149, 22)-(165, 38)
    EXPECT_TRUE(main.HitTest(165 * 15, 38 * 15, close));
    EXPECT_TRUE(main.HitTest(149 * 15, 22 * 15, close));
    EXPECT_FALSE(main.HitTest(166 * 15, 38 * 15, close));
    EXPECT_FALSE(main.HitTest(165 * 15, 39 * 15, close));
    EXPECT_TRUE(main.HitTest(2482, 570, close));  // 165.47 pixels rounds to 165
    EXPECT_FALSE(main.HitTest(2483, 570, close)); // 165.53 rounds to 166
    EXPECT_FALSE(main.HitTest(-15, -15, AbsentRect));
    EXPECT_FALSE(main.HitTest(-30, -30, AbsentRect));
    screen.tppX = 2;
    EXPECT_TRUE(main.HitTest(329, 570, close));  // 164.5 rounds to the even 164
    EXPECT_FALSE(main.HitTest(333, 570, close)); // 166.5 rounds to the even 166
}

TEST_F(PointerTest, DragMovesTheWindowByThePointersMovementAndRunsNoCommand) {
    // Positions are within the window, which moves under the pointer: the pressed point
    // stays under it for every move.
    Down(Mouse::Left, 20, 330);
    for (int i = 1; i <= 20; ++i) {
        Move(Mouse::Left, 20 + 5 * i - (window.left - 1500) / T,
             330 + 3 * i - (window.top - 750) / T);
        if (i == 2)
            Move(Mouse::Left, 20, 330); // back at the pressed point: nothing to move
    }
    EXPECT_EQ(window.left, 1500 + 100 * 15);
    EXPECT_EQ(window.top, 750 + 60 * 15);
    EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "Move"), 20);
    Up(Mouse::Left, 25, 333);
    EXPECT_FALSE(main.State().Dragging);
    EXPECT_EQ(dialogs.requests.size(), 0u);
    EXPECT_FALSE(Closed());
    // Nothing keeps the window on the screen.
    Down(Mouse::Left, 20, 330);
    Move(Mouse::Left, -3000, -2000);
    EXPECT_LT(window.left, 0);
}

TEST_F(PointerTest, PressOnAHotSpotNeverDrags) {
    Down(Mouse::Left, 30, 255); // Quick Save
    Move(Mouse::Left, 90, 300);
    EXPECT_EQ(window.left, 1500);
    EXPECT_FALSE(main.State().Dragging);
}

TEST_F(PointerTest, TheReleasePointChoosesTheCommand) {
    Down(Mouse::Left, 30, 255); // pressed on Quick Save
    Up(Mouse::Left, 160, 30);   // released on close
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(screen.grabs.empty());

    Down(Mouse::Left, 20, 330);
    Up(Mouse::Left, 140, 260); // Save As
    EXPECT_EQ(dialogs.requests.size(), 1u);
    Up(Mouse::Left, 30, 255); // Quick Save
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "/captured/tarvik_output1.jpg"));
}

TEST_F(PointerTest, QuickSaveSaysWhereTheFileWentBesideThePhoneAndOnTheDesktop) {
    const std::string captured = folder.Path() + PathSeparator + "captured";
    Move(0, 30, 255); // the tip names the real folder of the default path
    EXPECT_EQ(windows.tip->text,
              "Alternative: right click\r\nAuto-name and save to default folder:\r\n" + captured);

    // The file is in place before anything is told, and the telling waits for the event
    // loop, off the save's own path.
    Up(Mouse::Left, 30, 255);
    EXPECT_TRUE(std::filesystem::exists(captured + "/tarvik_output1.jpg"));
    EXPECT_EQ(windows.notice, nullptr);
    EXPECT_TRUE(shell.notified.empty());
    window.RunLater();
    ASSERT_NE(windows.notice, nullptr);
    const FakeTipWindow& notice = *windows.notice;
    const std::string text = "Saved tarvik_output1.jpg\r\nin " + captured;
    EXPECT_EQ(notice.text, text);
    EXPECT_TRUE(notice.visible);
    EXPECT_EQ(notice.hideAfter, 2000);
    const double width = 7.0 * static_cast<double>(captured.size() + 3) + 100;
    EXPECT_EQ(notice.width, width);
    EXPECT_EQ(notice.left, 1500 + 193 * T + 120); // right of the phone, level with its middle
    EXPECT_EQ(notice.top, 750 + (448 * T - 400) / 2);
    EXPECT_EQ(shell.notified,
              std::vector<std::string>{"Saved tarvik_output1.jpg|" + captured + "|" + captured});

    // Where the screen ends first, left of the phone; a failed save tells nothing new.
    window.Move((1024 - 193) * T, 750);
    Up(Mouse::Left, 30, 255);
    window.RunLater();
    EXPECT_EQ(notice.text, "Saved tarvik_output2.jpg\r\nin " + captured);
    EXPECT_EQ(notice.left, (1024 - 193) * T - 120 - width);
    MainAccess::State(main).Settings.AutoSaveFolder = captured + "/tarvik_output1.jpg";
    const std::size_t messages = dialogs.messages.size();
    Up(Mouse::Left, 30, 255);
    window.RunLater();
    EXPECT_EQ(dialogs.messages.size(), messages + 1);
    EXPECT_EQ(shell.notified.size(), 2u);
    EXPECT_EQ(notice.text, "Saved tarvik_output2.jpg\r\nin " + captured);
}

TEST_F(PointerTest, RightButtonStopsADragAndOpensTheMenuOtherButtonsDoNothing) {
    Down(Mouse::Left, 20, 330);
    Move(Mouse::Left | Mouse::Right, 60, 360);
    EXPECT_EQ(window.left, 1500);
    Up(Mouse::Right, 60, 360);
    EXPECT_EQ(menus.shown, 1);
    EXPECT_TRUE(main.State().Dragging);
    Up(Mouse::Left, 60, 360);
    EXPECT_FALSE(main.State().Dragging);

    Down(Mouse::Middle, 20, 330);
    Up(Mouse::Middle, 160, 30);
    EXPECT_FALSE(main.State().Dragging);
    EXPECT_FALSE(Closed());
    Up(Mouse::Right, 160, 30); // on a hot spot too
    EXPECT_EQ(menus.shown, 2);
}

TEST_F(PointerTest, HoverShowsTheHandAndTheTipsNextToThePointer) {
    Move(0, 160, 30);
    EXPECT_EQ(window.pointer, PointerShape::Hand);
    ASSERT_NE(windows.tip, nullptr);
    EXPECT_TRUE(windows.tip->visible);
    EXPECT_EQ(windows.tip->text, "Close");
    EXPECT_EQ(windows.tip->width, 5 * 7 + 100);
    EXPECT_EQ(windows.tip->height, 200);
    EXPECT_EQ(windows.tip->left, 1500 + 160 * 15 + 200);
    EXPECT_EQ(windows.tip->top, 750 + 30 * 15 + 200);

    MainAccess::State(main).Settings.AutoSavePath = "/a/rather/long/folder/for/all/my/pictures";
    Move(0, 30, 255);
    EXPECT_EQ(windows.tip->text,
              "Alternative: right click\r\nAuto-name and save to default folder:\r\n"
              "/a/rather/long/folder/for/all/my/pictures");
    EXPECT_EQ(windows.tip->width, 41 * 7 + 100);
    EXPECT_EQ(windows.tip->height, 600);
    Move(0, 140, 260);
    EXPECT_EQ(windows.tip->text, "Alternative: double click\r\nSave As ...");
    Move(0, 100, 50);
    EXPECT_EQ(windows.tip->text, "Toggle Capture Mode");

    Move(0, 20, 330);
    EXPECT_EQ(window.pointer, PointerShape::Default);
    EXPECT_FALSE(windows.tip->visible);
    Move(0, 160, 30);
    Down(Mouse::Left, 160, 30); // a press on a hot spot hides the tip
    EXPECT_FALSE(windows.tip->visible);
    EXPECT_EQ(windows.tipsMade, 1); // one tip window for the run

    main.Form_Unload();
    EXPECT_TRUE(windows.tip == nullptr || windows.tipsMade == 1);
}

TEST_F(PointerTest, TheTipGoesWhenAModalWindowOpensStaysGoneAfterItAndGoesWithThePointer) {
    Move(0, 30, 255); // over Quick Save: its tip
    ASSERT_TRUE(windows.tip->visible);
    // Right click there, then Save As from the menu. A move that reaches the window while
    // a modal window is open shows the tip again.
    std::vector<bool> tipWhileOpen;
    const auto look = [&] {
        tipWhileOpen.push_back(windows.tip->visible);
        Move(0, 30, 255);
    };
    menus.onShow = look;
    dialogs.onShow = look;
    menus.choice = 2;
    Up(Mouse::Right, 30, 255);
    EXPECT_EQ(tipWhileOpen, (std::vector<bool>{false, false}));
    EXPECT_FALSE(windows.tip->visible);

    // Out of the window, into the hole or off its edge, the tip goes too.
    Move(0, 30, 255);
    main.Form_MouseLeave();
    EXPECT_FALSE(windows.tip->visible);
}

TEST_F(PointerTest, CaptureModeToggleMakesTheHoleTallerAndBack) {
    Up(Mouse::Left, 100, 50);
    EXPECT_EQ(main.State().Layout.ShotRect, (SkinRect{33, 74, 161, 233}));
    EXPECT_TRUE(main.State().CaptureMode);
    EXPECT_EQ(window.region, ComputeWindowShape(*builtin, SkinRect{33, 74, 161, 233}));
    main.Capture();
    EXPECT_EQ(main.State().Picture1->Height, 159);
    Up(Mouse::Left, 100, 50);
    EXPECT_EQ(main.State().Layout.ShotRect, (SkinRect{33, 88, 161, 215}));
    EXPECT_FALSE(main.State().CaptureMode);
}

TEST_F(PointerTest, DoubleClickOffTheHotSpotsIsSaveAs) {
    Down(Mouse::Left, 20, 330);
    main.Form_DblClick(20 * T, 330 * T);
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_FALSE(main.State().Dragging);
    main.Form_DblClick(160 * T, 30 * T); // on a hot spot: the releases decide
    EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(PointerTest, FarAwayPointerPositionsAreHeldIn16Bits) {
    Down(Mouse::Left, 20, 330);
    main.Form_MouseMove(Mouse::Left, 0, 1e9f, -1e9f);
    EXPECT_EQ(window.left, 1500 + 32767 - 300);
    Up(Mouse::Left, 1e9f, 1e9f);
    EXPECT_FALSE(main.State().Dragging);
}

TEST_F(PointerTest, ArrowsNudgeByOnePixelAndModifiersChangeNothing) {
    main.Form_KeyDown(Key::Right, 0);
    main.Form_KeyDown(Key::Right, 1);
    main.Form_KeyDown(Key::Down, 2);
    EXPECT_EQ(window.left, 1500 + 30);
    EXPECT_EQ(window.top, 750 + 15);
    main.Form_KeyDown(Key::Left, 4);
    main.Form_KeyDown(Key::Up, 0);
    EXPECT_EQ(window.left, 1515);
    EXPECT_EQ(window.top, 750);
    main.Form_KeyDown(Key::F1, 0);
    EXPECT_EQ(shell.opened, std::vector<std::string>{folder.Path() + PathSeparator + "readme.htm"});
}

TEST_F(PointerTest, CtrlCCopiesAFreshCaptureOfTheHoleCtrlShiftCThePhoneAroundIt) {
    main.Form_KeyDown(Key::C, 0);
    main.Form_KeyDown(Key::C, Modifier::Ctrl | Modifier::Alt);
    EXPECT_FALSE(clipboard.picture);
    main.Form_KeyDown(Key::C, Modifier::Ctrl);
    ASSERT_TRUE(clipboard.picture);
    EXPECT_EQ(screen.grabs, (std::vector<RegionRect>{{100 + 33, 50 + 88, 128, 127}}));
    EXPECT_EQ(clipboard.picture->Width, 128);
    EXPECT_EQ(clipboard.picture->At(127, 126),
              Rgb((100 + 33 + 127) & 255, (50 + 88 + 126) & 255, 0x40));
    EXPECT_TRUE(dialogs.messages.size() == 1); // only the first start's

    main.Form_KeyDown(Key::C, Modifier::Ctrl | Modifier::Shift);
    EXPECT_EQ(screen.grabs.size(), 2u);
    EXPECT_TRUE(clipboard.picture->Alpha);
    EXPECT_EQ(clipboard.picture->Width, 193);
    EXPECT_EQ(clipboard.picture->At(33 + 127, 88 + 126), Rgb(4, 8, 0x40)); // (260, 264) & 255

    clipboard.refuse = true;
    main.Form_KeyDown(Key::C, Modifier::Ctrl);
    EXPECT_EQ(dialogs.messages.back(), "Picture not copied: the clipboard did not take it.");
}

TEST_F(PointerTest, SkinKeysWithNoSkinFiles) {
    std::filesystem::remove(folder.Path() + "/skins/Aqua.inf");
    main.Form_KeyDown(Key::PageDown, 0); // count 1 before the rescan: (0 + 1) mod 2
    EXPECT_EQ(main.State().Catalogue.Count, 0);
    main.Form_KeyDown(Key::PageUp, 0);
    main.Form_KeyDown(Key::PageDown, 0);
    EXPECT_EQ(main.State().Catalogue.Current, 0);
    window.calls.clear();
    main.Form_KeyDown(Key::Digit0 + 1, 0);
    EXPECT_TRUE(window.calls.empty());
    main.Form_KeyDown(Key::Digit0, 0);
    EXPECT_EQ(window.calls.front(), "Hide");
}

TEST_F(PointerTest, SkinKeysWithThreeSkinFiles) {
    for (const char* name : {"Bb.inf", "Cc.inf"})
        folder.Write(std::string("skins/") + name, ReadFile(folder.Path() + "/skins/Aqua.inf"));
    main.SwitchSkin(0);
    main.Form_KeyDown(Key::PageUp, 0);
    EXPECT_EQ(main.State().Catalogue.Current, 3);
    main.Form_KeyDown(Key::PageDown, 0);
    EXPECT_EQ(main.State().Catalogue.Current, 0);
    main.Form_KeyDown(Key::PageDown, 0);
    EXPECT_EQ(main.State().Catalogue.Current, 1);
    main.Form_KeyDown(Key::Digit0 + 3, 1); // Shift held: still the digit
    EXPECT_EQ(main.State().Catalogue.Current, 3);
    main.Form_KeyDown(Key::Digit0 + 4, 0);
    EXPECT_EQ(main.State().Catalogue.Current, 3);
    for (int keypad = 96; keypad <= 105; ++keypad)
        main.Form_KeyDown(static_cast<std::int16_t>(keypad), 0);
    EXPECT_EQ(main.State().Catalogue.Current, 3);
    EXPECT_TRUE(dialogs.messages.size() == 1); // only the first start's
}

TEST_F(PointerTest, ShortcutsSaveAndOpenTheMenuAtThePhoneAndTheHotSpotsAreButtons) {
    // The hot spots as named buttons, their tips as descriptions; a press runs the command.
    ASSERT_EQ(window.buttons.size(), 4u);
    const AccessibleButton& close = window.buttons[0];
    EXPECT_EQ(close.Name + "|" + close.Description, "Close|Close");
    EXPECT_EQ((std::vector<int>{close.Left, close.Top, close.Width, close.Height}),
              (std::vector<int>{149, 22, 17, 17}));
    EXPECT_EQ(window.buttons[1].Name, "Quick Save");
    EXPECT_EQ(window.buttons[1].Description,
              "Alternative: right click\r\nAuto-name and save to default folder:\r\n" +
                  folder.Path() + PathSeparator + "captured");
    EXPECT_EQ(window.buttons[2].Name, "Save As");
    EXPECT_EQ(window.buttons[3].Name, "Toggle Capture Mode");
    window.listener->Button_Press(window.buttons[1].Id);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "/captured/tarvik_output1.jpg"));

    main.Form_KeyDown(Key::S, 0);
    main.Form_KeyDown(Key::S, Modifier::Ctrl | Modifier::Alt);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/captured/tarvik_output2.jpg"));
    main.Form_KeyDown(Key::S, Modifier::Ctrl);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "/captured/tarvik_output2.jpg"));
    EXPECT_TRUE(dialogs.requests.empty());
    main.Form_KeyDown(Key::S, Modifier::Ctrl | Modifier::Shift);
    EXPECT_EQ(dialogs.requests.size(), 1u);

    const SkinRect& shot = main.State().Layout.ShotRect;
    const int midX = 100 + (shot.Left + shot.Right) / 2, midY = 50 + (shot.Top + shot.Bottom) / 2;
    main.Form_KeyDown(Key::F10, 0);
    EXPECT_EQ(menus.shown, 0);
    for (const auto& [key, shift] : {std::pair{Key::Apps, 0}, {Key::F10, Modifier::Shift}}) {
        menus.shownAt = {};
        main.Form_KeyDown(key, static_cast<std::int16_t>(shift));
        EXPECT_EQ(menus.shownAt.X, midX);
        EXPECT_EQ(menus.shownAt.Y, midY);
    }
    EXPECT_EQ(menus.shown, 2);

    main.SwitchSkin(1); // a skin file has no capture-mode hot spot
    ASSERT_EQ(window.buttons.size(), 3u);
    EXPECT_EQ(window.buttons[2].Name, "Save As");
}
