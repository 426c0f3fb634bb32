// SPDX-License-Identifier: MIT

#include "skin/LoadSkin.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char* BlueInf = "#Blue phone skin\r\n"
                      "image = blue.bmp\r\n"
                      "\r\n"
                      "shot = (20, 40, 128, 160)\r\n"
                      "close = (170, 5, 12, 12)\r\n"
                      "about = (0, 0, 10, 10)\r\n"
                      "save = (20, 210, 40, 18)\r\n"
                      "saveas = (110, 210, 40, 18)\r\n";

class LoadSkinTest : public ::testing::Test {
  protected:
    LoadSkinTest() {
        bluePicture = std::make_shared<Image>(200, 240, Rgb(0, 0, 255));
        codec.pictures[Skins() + "blue.bmp"] = bluePicture;
        builtin = std::make_shared<Image>(193, 448);
    }

    std::string Skins() const { return folder.Path() + "/skins/"; }

    // Writes Blue.inf and loads it as skin 1.
    void Load(const std::string& content) {
        folder.Write("skins/Blue.inf", content);
        BuildSkinList(catalogue, Skins());
        SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, Skins()};
        LoadSkin(1, context);
    }

    void ExpectDefault() {
        EXPECT_EQ(catalogue.Current, 0);
        EXPECT_EQ(layout.SkinImage, builtin);
        EXPECT_EQ(layout.ShotRect, (SkinRect{33, 88, 161, 215}));
        EXPECT_EQ(layout.SaveAsRect, (SkinRect{130, 251, 170, 271}));
        EXPECT_EQ(layout.ModeRect, (SkinRect{47, 44, 147, 59}));
    }

    TempFolder folder;
    FakeCodec codec;
    FakeDialogs dialogs;
    SkinLayout layout;
    SkinCatalogue catalogue;
    Picture picture1, builtin, bluePicture;
};

} // namespace

TEST_F(LoadSkinTest, ValidFileGivesItsRectanglesAndPicture) {
    Load(BlueInf);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(catalogue.Current, 1);
    EXPECT_EQ(layout.SkinImage, bluePicture);
    EXPECT_EQ(layout.ShotRect, (SkinRect{20, 40, 148, 200}));
    EXPECT_EQ(layout.CloseRect, (SkinRect{170, 5, 182, 17}));
    EXPECT_EQ(layout.SaveRect, (SkinRect{20, 210, 60, 228}));
    EXPECT_EQ(layout.SaveAsRect, (SkinRect{110, 210, 150, 228}));
    EXPECT_EQ(layout.ModeRect, AbsentRect);
}

TEST_F(LoadSkinTest, AboutLineIsOptionalAndLinesAfterSaveAsAreIgnored) {
    std::string content = BlueInf;
    content.erase(content.find("about ="), std::string("about = (0, 0, 10, 10)\r\n").size());
    Load(content + "garbage\r\nimage = other.bmp\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(layout.SaveRect, (SkinRect{20, 210, 60, 228}));
}

TEST_F(LoadSkinTest, BuiltInSkinNeverTouchesAFile) {
    layout.ShotRect = {1, 2, 3, 4};
    SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, Skins()};
    LoadSkin(0, context);
    ExpectDefault();
    EXPECT_TRUE(codec.loaded.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

struct ChangedLine {
    const char* original;
    const char* replacement;
    bool loads;
};

class LoadSkinChangedLine : public LoadSkinTest,
                            public ::testing::WithParamInterface<ChangedLine> {};

TEST_P(LoadSkinChangedLine, LoadsOrFailsWithTheParsingMessage) {
    std::string content = BlueInf;
    const ChangedLine& c = GetParam();
    content.replace(content.find(c.original), std::string(c.original).size(), c.replacement);
    Load(content);
    if (c.loads) {
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
        EXPECT_EQ(catalogue.Current, 1);
    } else {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0],
                  "Error Parsing " + Skins() + "Blue.inf\r\nSwitch to default skin");
        ExpectDefault();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, LoadSkinChangedLine,
    ::testing::Values(
        ChangedLine{"image = blue.bmp", "image=blue.bmp", false},
        ChangedLine{"image = blue.bmp", "image  = blue.bmp", false},
        ChangedLine{"image = blue.bmp", "Image = blue.bmp", false},
        ChangedLine{"image = blue.bmp", "\timage = blue.bmp", false},
        ChangedLine{"image = blue.bmp", "image =   blue.bmp  ", true},
        ChangedLine{"close = (170, 5, 12, 12)\r\n", "", false},
        ChangedLine{"close = (170, 5, 12, 12)", "save = (20, 210, 40, 18)\r\nclose = (1,1,1,1)",
                    false},
        ChangedLine{"about = (0, 0, 10, 10)", "about = x\r\nabout = y", false},
        ChangedLine{"save = (20, 210, 40, 18)", "save = (20, 210, 40, 18)\r\nsave = (1,1,1,1)",
                    false},
        ChangedLine{"shot = (20, 40, 128, 160)", "shot = 20, 40, 128, 160", true},
        ChangedLine{"shot = (20, 40, 128, 160)", "shot = (20, 40, 128)", false},
        ChangedLine{"shot = (20, 40, 128, 160)", "shot = (20.5, 40, 128, 160)", true},
        ChangedLine{"shot = (20, 40, 128, 160)", "shot = (32000, 0, 1000, 10)", false},
        ChangedLine{"shot = (20, 40, 128, 160)", "shot =", false},
        ChangedLine{"saveas = (110, 210, 40, 18)", "saveas = (110, 210, 40, 18", true},
        ChangedLine{"saveas = (110, 210, 40, 18)\r\n", "", false}),
    [](const ::testing::TestParamInfo<ChangedLine>& line) {
        return "Line" + std::to_string(line.index) + (line.param.loads ? "Loads" : "Fails");
    });

TEST_F(LoadSkinTest, ShotRectValuesOfTheExamples) {
    std::string content = BlueInf;
    content.replace(content.find("(20, 40"), 3, "20");
    Load(content);
    EXPECT_EQ(layout.ShotRect.Left, 0);

    content = BlueInf;
    content.replace(content.find("(20, 40"), 3, "(20.5");
    Load(content);
    EXPECT_EQ(layout.ShotRect.Left, 20);
}

TEST_F(LoadSkinTest, MissingFileGivesTheOpeningMessage) {
    BuildSkinList(catalogue, Skins());
    catalogue.Names[1] = "Gone.inf";
    catalogue.Count = 1;
    SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, Skins()};
    LoadSkin(1, context);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Error Opening " + Skins() + "Gone.inf\r\nSwitch to default skin");
    ExpectDefault();
}

TEST_F(LoadSkinTest, SkinFileThatIsAFolderGivesTheOpeningMessage) {
    std::filesystem::create_directories(Skins() + "Dir.inf");
    catalogue.Names[1] = "Dir.inf";
    catalogue.Count = 1;
    SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, Skins()};
    LoadSkin(1, context);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Error Opening ", 0), 0u);
}

TEST_F(LoadSkinTest, EmptyCommentOnlyOrBinaryFilesGiveTheParsingMessage) {
    for (const std::string& content :
         {std::string(), std::string("# only\r\n#comments\r\n"),
          std::string("\x00\xff\xfe image = blue.bmp\r\n", 21), std::string(200000, '\n')}) {
        dialogs.messages.clear();
        Load(content);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].rfind("Error Parsing ", 0), 0u);
        ExpectDefault();
    }
}

TEST_F(LoadSkinTest, UnusablePictureGivesTheImageMessageAndNoHalfLoadedSkin) {
    std::string content = BlueInf;
    content.replace(content.find("blue.bmp"), 8, "missing.bmp");
    Load(content);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Error Loading Image " + Skins() + "missing.bmp\r\nSwitch to default skin");
    ExpectDefault();
}

TEST_F(LoadSkinTest, PictureTooLargeForTheWindowIsRefused) {
    codec.pictures[Skins() + "blue.bmp"] = std::make_shared<Image>(2185, 10);
    Load(BlueInf);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Error Loading Image ", 0), 0u);
    ExpectDefault();

    dialogs.messages.clear();
    codec.pictures[Skins() + "blue.bmp"] = std::make_shared<Image>(2184, 2184);
    Load(BlueInf);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LoadSkinTest, ShotAreaLargerThanAPictureCanBeIsRefused) {
    const auto withShot = [](const std::string& shot) {
        std::string content = BlueInf;
        content.replace(content.find("(20, 40, 128, 160)"), 18, shot);
        return content;
    };
    for (const char* shot : {"(0, 200, 20000, 20000)", "(0, 0, 16385, 1)", "(0, 0, 8193, 8192)"}) {
        dialogs.messages.clear();
        Load(withShot(shot));
        ASSERT_EQ(dialogs.messages.size(), 1u) << shot;
        EXPECT_EQ(dialogs.messages[0].rfind("Error Loading Image " + Skins() + "blue.bmp\r\n", 0),
                  0u)
            << dialogs.messages[0];
        ExpectDefault();
    }
    EXPECT_EQ(dialogs.messages[0], "Error Loading Image " + Skins() +
                                       "blue.bmp\r\nShot area of 8193 x 8192 pixels is too "
                                       "large\r\nSwitch to default skin");
    dialogs.messages.clear();
    Load(withShot("(0, 0, 16384, 4096)")); // the largest picture there can be
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(catalogue.Current, 1);
}

TEST_F(LoadSkinTest, FailureAfterThePictureKeepsTheBuiltInPictureAndRectangles) {
    std::string content = BlueInf;
    content.replace(content.find("saveas ="), 8, "saveAs =");
    Load(content);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectDefault();
}
