// SPDX-License-Identifier: MIT

#include "skin/ParseRect.h"
#include "skin/SkinLayout.h"

#include <gtest/gtest.h>

namespace {

SkinRect Parsed(const char* text) {
    SkinRect r{};
    EXPECT_TRUE(ParseRect(text, r)) << text;
    return r;
}

} // namespace

TEST(ParseRect, BuiltInTextsGiveTheirStoredValuesWhateverTheSpacing) {
    EXPECT_EQ(Parsed(BuiltinSkin::Shot), (SkinRect{33, 88, 161, 215}));
    EXPECT_EQ(Parsed(BuiltinSkin::Close), (SkinRect{149, 22, 165, 38}));
    EXPECT_EQ(Parsed(BuiltinSkin::Save), (SkinRect{26, 251, 66, 271}));
    EXPECT_EQ(Parsed(BuiltinSkin::SaveAs), (SkinRect{130, 251, 170, 271}));
    EXPECT_EQ(Parsed(BuiltinSkin::Mode), (SkinRect{47, 44, 147, 59}));
    EXPECT_EQ(Parsed("(-1,-1,-1,-1)"), AbsentRect);
}

TEST(ParseRect, FirstCharacterIsDroppedWhateverItIs) {
    EXPECT_EQ(Parsed("20, 40, 128, 160").Left, 0);
    EXPECT_EQ(Parsed("[20, 40, 128, 160]").Left, 20);
}

TEST(ParseRect, NumbersSkipBlanksAndTabsAndRoundHalfToEven) {
    EXPECT_EQ(Parsed("(3 3,\t4\t4, 1, 1)").Left, 33);
    EXPECT_EQ(Parsed("(3 3,\t4\t4, 1, 1)").Top, 44);
    EXPECT_EQ(Parsed("(20.5, 40, 128, 160)").Left, 20);
    EXPECT_EQ(Parsed("(21.5, 40, 128, 160)").Left, 22);
    EXPECT_EQ(Parsed("(10, 10, 0.5, 1.5)"), (SkinRect{10, 10, 10, 12}));
    EXPECT_EQ(Parsed("(1e2, -2.5e1, 0, 0)"), (SkinRect{100, -25, 100, -25}));
}

TEST(ParseRect, MissingNumbersReadAsZeroAndExtrasAreIgnored) {
    EXPECT_EQ(Parsed("(,,,)"), (SkinRect{0, 0, 0, 0}));
    EXPECT_EQ(Parsed("(x, 5y, 7, 8) trailing, 9, 10"), (SkinRect{0, 5, 7, 13}));
    EXPECT_EQ(Parsed("(1, 2, 3, 4, 5, 6)"), (SkinRect{1, 2, 4, 6}));
    EXPECT_EQ(Parsed("(1e, 2e+, 3., .5)"), (SkinRect{1, 2, 4, 2}));
}

TEST(ParseRect, ErrorsOnEmptyTextOrFewerThanThreeCommas) {
    SkinRect r{};
    EXPECT_FALSE(ParseRect("", r));
    EXPECT_FALSE(ParseRect("(20, 40, 128)", r));
    EXPECT_FALSE(ParseRect("(", r));
}

TEST(ParseRect, OverflowIsAnErrorAndKeepsEarlierFields) {
    SkinRect r{9, 9, 9, 9};
    EXPECT_FALSE(ParseRect("(32000, 0, 1000, 10)", r));
    EXPECT_EQ(r.Left, 32000);
    EXPECT_EQ(r.Top, 0);
    EXPECT_EQ(r.Right, 9);

    EXPECT_TRUE(ParseRect("(-32768, 32767, 0, 0)", r));
    EXPECT_FALSE(ParseRect("(-32769, 0, 0, 0)", r));
    EXPECT_FALSE(ParseRect("(1e400, 0, 0, 0)", r));
    EXPECT_TRUE(ParseRect("(32767.4, 0, 0, 0)", r));
    EXPECT_FALSE(ParseRect("(32767.5, 0, 0, 0)", r)); // rounds to 32768
}
