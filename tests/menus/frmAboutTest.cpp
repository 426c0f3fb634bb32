// SPDX-License-Identifier: MIT

#include "menus/frmAbout.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

TEST(frmAbout, LoadSetsTheTitleVersionAndCaptionAfresh) {
    FakeShell shell;
    frmAbout about(shell, VersionNumbers{1, 2, 3});
    about.Form_Load();
    EXPECT_EQ(about.Texts.Caption, "About Tarvik");
    EXPECT_EQ(about.Texts.Title, "Tarvik");
    EXPECT_EQ(about.Texts.Version, "Version 1.2.3");
    const AboutTexts first = about.Texts;
    about.Texts.Title = "changed";
    about.Form_Load();
    EXPECT_EQ(about.Texts.Title, first.Title);
    EXPECT_EQ(about.Texts.Version, first.Version);
}

TEST(frmAbout, LinksOpenTheirExactTextsAndKeepTheBoxOpen) {
    FakeShell shell;
    frmAbout about(shell, BuildVersion);
    about.Form_Load();
    about.Texts.WebSite = "http://example.net/~me";
    FakeAboutView view;
    view.script = [&] {
        about.Label1_Click();
        about.Label2_Click();
        about.Label4_Click();
        EXPECT_FALSE(view.closed);
        about.Form_Click();
    };
    about.Show(view);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(
        shell.opened,
        (std::vector<std::string>{
            "mailto:" + about.Texts.Email +
                "?Subject=About Tarvik&Body=Questions, suggestions or submission of DIY skins.",
            "http://example.net/~me", "http://example.net/~me/tarvik/skins.htm"}));
}
