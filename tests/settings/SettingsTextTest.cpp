// SPDX-License-Identifier: MIT

#include "settings/SettingsText.h"

#include <gtest/gtest.h>

using SettingsText::Contents;

namespace {

// Key path, then name=value pairs as the text shows them, for comparing whole contents.
std::vector<std::string> Lines(const Contents& contents) {
    std::vector<std::string> lines;
    for (const auto& key : contents) {
        lines.push_back(key.Path);
        for (const auto& v : key.Values) {
            std::string& line = lines.emplace_back(v.Name);
            line += v.IsNumber ? "=#" : "=";
            line += v.IsNumber ? std::to_string(v.Number) : v.Text;
        }
    }
    return lines;
}

} // namespace

TEST(SettingsText, AHandEditedTextReadsLineByLineAndWritesBackAsTheSameValues) {
    std::size_t skipped = 0;
    const Contents read = SettingsText::Parse(
        "\xEF\xBB\xBF; by hand\r\n  [Software\\Mobrin_Tarvik]  \r\n"
        "\"SkinCount\" =\tdword:-3 \r\n# note\n\"SkinFile\"=\"Aqua.inf\"\n"
        "\"Open\"=\"no end\n\"Big\"=dword:99999999999\n"
        "[]\n\"Lost\"=dword:1\n"
        "[software\\mobrin_tarvik]\n\"skinfile\"=\"Blue.inf\"\n\"Later\"=\"a\\\"b\\\\c\\x01\"\n",
        &skipped);
    EXPECT_EQ(skipped, 4u);
    const std::vector<std::string> expected{"Software\\Mobrin_Tarvik", "SkinCount=#-3",
                                            "skinfile=Blue.inf", "Later=a\"b\\c\x01"};
    EXPECT_EQ(Lines(read), expected);

    Contents odd = read;
    odd.push_back({"Other",
                   {{"Tabs\tand\nlines", false, std::string("\r\0\x7f", 3), 0},
                    {"Min", true, "", INT32_MIN},
                    {"Empty", false, "", 0}}});
    const std::string text = SettingsText::Write(odd);
    EXPECT_EQ(text.rfind("# Tarvik settings", 0), 0u);
    EXPECT_NE(text.find("\n[Software\\Mobrin_Tarvik]\n\"SkinCount\"=dword:-3\n"),
              std::string::npos);
    skipped = 0;
    EXPECT_EQ(Lines(SettingsText::Parse(text, &skipped)), Lines(odd));
    EXPECT_EQ(skipped, 0u);
}
