// SPDX-License-Identifier: MIT

#include "app/MainFixture.h"

namespace {

// Opens the options dialog on a loaded main window and runs the user's actions in it.
class OptionsTest : public MainFixture {
  protected:
    OptionsTest() : main(Make()) {
        main.Form_Load();
        dialogs.messages.clear();
    }
    void Open(std::function<void(frmOption&)> actions) {
        windows.optionsScript = [this, actions] { actions(*main.OptionDialog()); };
        main.ShowOptions();
    }
    frmMain main;
};

} // namespace

TEST_F(OptionsTest, OpensCleanWithTheSettingsAndOkWithoutChangesKeepsThem) {
    MainAccess::State(main).Settings.AutoSavePath = "/data/shots";
    MainAccess::State(main).Settings.AutoSaveFolder = "/data/shots";
    const AppSettings before = main.State().Settings;
    Open([&](frmOption& d) {
        EXPECT_FALSE(d.Changed);
        EXPECT_FALSE(windows.optionsView.shown.ApplyEnabled);
        EXPECT_EQ(d.Controls.Slider1, 100);
        EXPECT_EQ(d.Controls.Label3, "100%");
        EXPECT_EQ(d.Controls.Text1, "/data/shots");
        EXPECT_EQ(d.Controls.Text2, "tarvik_output");
        EXPECT_TRUE(d.Controls.Option1);
        d.btnOk_Click();
    });
    EXPECT_TRUE(windows.optionsView.closed);
    EXPECT_EQ(main.State().Settings.JpegQuality, before.JpegQuality);
    EXPECT_EQ(main.State().Settings.AutoSaveFolder, "/data/shots");
    EXPECT_EQ(main.OptionDialog(), nullptr);
}

TEST_F(OptionsTest, EmptyPrefixKeepsTheDialogOpenAndCancelDropsTheEdits) {
    Open([&](frmOption& d) {
        d.Text2_Change("");
        d.btnOk_Click();
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Prefix must not be empty"});
        EXPECT_FALSE(windows.optionsView.closed);
        EXPECT_TRUE(windows.optionsView.shown.ApplyEnabled);
        d.btnApply_Click();
        EXPECT_EQ(dialogs.messages.size(), 2u);
        d.btnCancel_Click();
    });
    EXPECT_TRUE(windows.optionsView.closed);
    EXPECT_EQ(main.State().Settings.AutoNamePrefix, "tarvik_output");
}

TEST_F(OptionsTest, ApplyTakesEffectAtOnceAndCancelDoesNotUndoIt) {
    Open([&](frmOption& d) {
        d.Slider1_Change(75);
        EXPECT_EQ(d.Controls.Label3, "75%");
        EXPECT_TRUE(windows.optionsView.shown.ApplyEnabled);
        d.btnApply_Click();
        EXPECT_EQ(main.State().Settings.JpegQuality, 75);
        EXPECT_FALSE(windows.optionsView.shown.ApplyEnabled);
        d.Slider1_Change(0);
        d.btnApply_Click();
        EXPECT_EQ(main.State().Settings.JpegQuality, 0);
        EXPECT_EQ(d.Controls.Label3, "0%");
        d.Slider1_Change(50);
        d.btnCancel_Click();
    });
    EXPECT_EQ(main.State().Settings.JpegQuality, 0);
}

TEST_F(OptionsTest, DefaultButtonsBrowseAndTheHiddenViewMode) {
    MainAccess::State(main).Settings.AutoSavePath = "/data/shots";
    MainAccess::State(main).Settings.ViewModeSkin = false;
    Open([&](frmOption& d) {
        EXPECT_TRUE(d.Controls.Option2);
        d.Command1_Click();
        EXPECT_EQ(d.Controls.Text2, "tarvik_output");
        EXPECT_TRUE(windows.optionsView.shown.ApplyEnabled);
        d.btnDefault_Click();
        d.btnApply_Click();
        windows.optionsView.picked = ""; // a cancelled pick keeps the path
        d.btnBrowse_Click();
        EXPECT_EQ(d.Controls.Text1, ".\\captured");
        EXPECT_TRUE(d.Changed);
        windows.optionsView.picked = "/mnt/pictures";
        d.btnBrowse_Click();
        d.btnOk_Click();
    });
    EXPECT_EQ(main.State().Settings.AutoSavePath, "/mnt/pictures");
    EXPECT_EQ(main.State().Settings.AutoSaveFolder, "/mnt/pictures");
    EXPECT_FALSE(main.State().Settings.ViewModeSkin);

    Open([&](frmOption& d) {
        d.btnDefault_Click();
        d.Option1_Click();
        d.btnOk_Click();
    });
    EXPECT_EQ(main.State().Settings.AutoSavePath, ".\\captured");
    EXPECT_EQ(main.State().Settings.AutoSaveFolder, folder.Path() + PathSeparator + "captured");
    EXPECT_TRUE(main.State().Settings.ViewModeSkin);
}

TEST_F(OptionsTest, OddStoredValuesOpenWithoutAMessage) {
    MainAccess::State(main).Settings.AutoNamePrefix = "";
    MainAccess::State(main).Settings.JpegQuality = 150;
    Open([&](frmOption& d) {
        EXPECT_EQ(d.Controls.Slider1, 100);
        EXPECT_EQ(d.Controls.Label3, "150%");
        d.btnOk_Click(); // unchanged: the empty prefix passes
    });
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(main.State().Settings.JpegQuality, 150);

    MainAccess::State(main).Settings.JpegQuality = -5;
    Open([&](frmOption& d) {
        EXPECT_EQ(d.Controls.Slider1, 0);
        EXPECT_EQ(d.Controls.Label3, "-5%");
        d.Command1_Click();
        d.btnOk_Click();
    });
    EXPECT_EQ(main.State().Settings.JpegQuality, 0); // applied: the slider's position
}

TEST_F(OptionsTest, ShutdownClosesAnOpenDialog) {
    Open([&](frmOption&) { main.Form_Unload(); });
    EXPECT_TRUE(windows.optionsView.closed);
}
