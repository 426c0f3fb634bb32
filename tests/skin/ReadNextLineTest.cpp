// SPDX-License-Identifier: MIT

#include "skin/ReadNextLine.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(ReadNextLine, SkipsBlankAndCommentLinesAndTrimsBlanksOnly) {
    std::istringstream file("\r\n   \r# comment\r\n  # indented comment\r\n  a = 1  \r\n\tb\r\n");
    EXPECT_EQ(ReadNextLine(file), "a = 1");
    EXPECT_EQ(ReadNextLine(file), "\tb");
    EXPECT_EQ(ReadNextLine(file), "");
    EXPECT_EQ(ReadNextLine(file), "");
}

TEST(ReadNextLine, LinesEndAtCrOrCrLfButNotAtALoneLf) {
    std::istringstream file("one\rtwo\r\nthree\nstill three\r\n\nfour");
    EXPECT_EQ(ReadNextLine(file), "one");
    EXPECT_EQ(ReadNextLine(file), "two");
    EXPECT_EQ(ReadNextLine(file), "three\nstill three");
    EXPECT_EQ(ReadNextLine(file), "\nfour");
    EXPECT_EQ(ReadNextLine(file), "");
}

TEST(ReadNextLine, LastLineWithoutEndAndOverlongLines) {
    std::istringstream last("only line");
    EXPECT_EQ(ReadNextLine(last), "only line");

    std::istringstream huge(std::string(MaxLineLength * 3, 'x') + "\rnext\r");
    EXPECT_EQ(ReadNextLine(huge).size(), MaxLineLength);
    EXPECT_EQ(ReadNextLine(huge), "next");
}
