// SPDX-License-Identifier: MIT

#include "menus/cPopupMenu.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

TEST(cPopupMenu, NumbersByPositionAndSubMenusTimesHundred) {
    FakeMenuService service;
    service.choice = 402;
    cPopupMenu menu(service);
    const std::int32_t chosen = menu.Popup(
        {"&Quick Save", "&Save As", "-", MenuValue({"Skins", "Default", "*Blue.inf"}), "Settings"});
    EXPECT_EQ(chosen, 402);
    EXPECT_EQ(service.lines,
              (std::vector<std::string>{"1 &Quick Save", "2 &Save As", "-", "> Skins",
                                        "  401 Default", "  * 402 Blue.inf", "5 Settings"}));
    EXPECT_EQ(service.shownAt.X, 300);
    EXPECT_EQ(service.shownAt.Y, 200);
}

TEST(cPopupMenu, BlanksAndOtherValuesTakeNumbersButShowNothing) {
    FakeMenuService service;
    cPopupMenu menu(service);
    menu.Popup({"a", "", MenuValue(), "  -  ", " *not checked", "*", "b"});
    EXPECT_EQ(service.lines,
              (std::vector<std::string>{"1 a", "-", "5  *not checked", "* 6 ", "7 b"}));
}

TEST(cPopupMenu, DeeperLevelsRepeatTheRule) {
    FakeMenuService service;
    cPopupMenu menu(service);
    menu.Popup({"a", MenuValue({"One", "x", MenuValue({"Two", "y", "", "z"}), "w"}), "b"});
    EXPECT_EQ(service.lines,
              (std::vector<std::string>{"1 a", "> One", "  201 x", "  > Two", "    20201 y",
                                        "    20203 z", "  203 w", "3 b"}));
}

TEST(cPopupMenu, DismissedMenuGivesZeroAndNothingOutlivesTheCall) {
    FakeMenuService service;
    cPopupMenu menu(service);
    service.onShow = [&] { EXPECT_EQ(menu.MenuCount(), 3u); };
    EXPECT_EQ(menu.Popup({"a", MenuValue(std::vector<MenuValue>{"S", "x"}),
                          MenuValue(std::vector<MenuValue>{MenuValue(), "y"})}),
              0);
    EXPECT_EQ(service.lines.back(), "  301 y");
    EXPECT_EQ(menu.MenuCount(), 0u);
    EXPECT_EQ(menu.NextId(), 0);
    EXPECT_EQ(menu.Depth(), 0);
    service.onShow = nullptr;
    service.choice = 1;
    EXPECT_EQ(menu.Popup({"again"}), 1); // one object serves successive menus
}
