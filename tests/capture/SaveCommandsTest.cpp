// SPDX-License-Identifier: MIT

#include "capture/SaveCommands.h"

#include "fakes/FakePlatform.h"
#include "imaging/JpegDecode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class SaveCommandsTest : public ::testing::Test {
  protected:
    SaveCommandsTest() {
        settings.JpegQuality = 100;
        settings.AutoNamePrefix = "tarvik_output";
        settings.AutoSaveFolder = folder.Path() + "/captured";
    }

    SaveContext Context() {
        return SaveContext{picture1,
                           settings,
                           counter,
                           dialogs,
                           codec,
                           [this] {
                               ++captures;
                               picture1 = unreadable
                                              ? nullptr
                                              : std::make_shared<Image>(12, 10, Rgb(200, 100, 50));
                           },
                           ""};
    }

    std::vector<std::string> Files(const std::string& dir) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    SaveDialogResult Answer(const std::string& name, int filter = 0) {
        return SaveDialogResult{true, folder.Path() + "/" + name, filter};
    }

    TempFolder folder;
    AppSettings settings;
    std::int16_t counter = 1;
    FakeDialogs dialogs;
    FakeCodec codec;
    Picture picture1;
    int captures = 0;
    bool unreadable = false;
};

} // namespace

TEST_F(SaveCommandsTest, QuickSaveCreatesTheFolderAndWritesTheFirstName) {
    SaveContext c = Context();
    QuickSave(c);
    EXPECT_EQ(captures, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Files(settings.AutoSaveFolder), std::vector<std::string>{"tarvik_output1.jpg"});
    const Picture decoded = DecodeJpegFile(settings.AutoSaveFolder + "/tarvik_output1.jpg");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Width, 12);
    EXPECT_EQ(decoded->Height, 10);
}

TEST_F(SaveCommandsTest, AutomaticNamesFillGapsAndSkipWhatIsNotAnOrdinaryFile) {
    for (const char* name : {"tarvik_output1.jpg", "tarvik_output2.jpg", "tarvik_output4.jpg"})
        folder.Write(std::string("captured/") + name, "kept");
    fs::create_directory(settings.AutoSaveFolder + "/tarvik_output3.jpg");
    SaveContext c = Context();
    QuickSave(c);
    QuickSave(c);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(DecodeJpegFile(settings.AutoSaveFolder + "/tarvik_output5.jpg"));
    EXPECT_TRUE(DecodeJpegFile(settings.AutoSaveFolder + "/tarvik_output6.jpg"));
    EXPECT_EQ(ReadFile(settings.AutoSaveFolder + "/tarvik_output4.jpg"), "kept");
}

TEST_F(SaveCommandsTest, EmptyPrefixGivesBareNumbers) {
    settings.AutoNamePrefix = "";
    SaveContext c = Context();
    QuickSave(c);
    QuickSave(c);
    EXPECT_EQ(Files(settings.AutoSaveFolder), (std::vector<std::string>{"1.jpg", "2.jpg"}));
}

TEST_F(SaveCommandsTest, AllNumbersTakenWritesNothingAndSaysSo) {
    fs::create_directories(settings.AutoSaveFolder);
    for (int n = 1; n <= MaxAutoNumber; ++n)
        std::ofstream(settings.AutoSaveFolder + "/tarvik_output" + std::to_string(n) + ".jpg");
    SaveContext c = Context();
    QuickSave(c);
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Too many pictures in captured folder, picture not saved"});
    EXPECT_EQ(Files(settings.AutoSaveFolder).size(), static_cast<std::size_t>(MaxAutoNumber));
}

TEST_F(SaveCommandsTest, UnusableAutoSaveFolderIsReportedWithItsName) {
    settings.AutoSaveFolder = folder.Path() + "/no/such/parent";
    SaveContext c = Context();
    QuickSave(c);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Picture not saved: the folder " + settings.AutoSaveFolder +
                                            " cannot be created\r\n",
                                        0),
              0u);

    settings.AutoSaveFolder = folder.Write("a-file", "x");
    QuickSave(c);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].find(settings.AutoSaveFolder), std::string::npos);
}

TEST_F(SaveCommandsTest, TheDefaultFolderIsMadeWithItsParents) {
    settings.AutoSaveFolder = folder.Path() + "/home/Pictures/captured";
    SaveContext c = Context();
    c.DefaultFolder = settings.AutoSaveFolder;
    QuickSave(c);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(fs::is_regular_file(settings.AutoSaveFolder + "/tarvik_output1.jpg"));
}

#ifndef _WIN32 // Windows limits the whole path to 260 characters
TEST_F(SaveCommandsTest, NamesAsLongAsTheFileSystemTakesAreSaved) {
    // 255 bytes is the longest name that common file systems take.
    settings.AutoNamePrefix = std::string(245, 'a');
    const std::string jpg = std::string(251, 'j') + ".jpg";
    const std::string bmp = std::string(251, 'b') + ".bmp";
    dialogs.answers = {Answer(jpg), Answer(bmp)};
    SaveContext c = Context();
    QuickSave(c);
    SaveAs(c);
    SaveAs(c);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{});
    EXPECT_EQ(Files(folder.Path()), (std::vector<std::string>{bmp, "captured", jpg}));
    EXPECT_EQ(Files(settings.AutoSaveFolder),
              std::vector<std::string>{settings.AutoNamePrefix + "1.jpg"});
}
#endif

TEST_F(SaveCommandsTest, FailedJpegWriteIsReportedWithFileAndReason) {
    SaveContext c = Context();
    SavePictureFile(c, folder.Path() + "/x/y.jpg");
    EXPECT_TRUE(dialogs.messages.empty() == false);
    EXPECT_EQ(dialogs.messages.back(),
              "Picture not saved to " + folder.Path() + "/x/y.jpg\r\nNo picture loaded to save.");
    c.Capture();
    SavePictureFile(c, folder.Path() + "/x/y.jpg");
    EXPECT_EQ(dialogs.messages.back().rfind("Picture not saved to " + folder.Path() +
                                                "/x/y.jpg\r\nijlWrite Error - File Error: ",
                                            0),
              0u);
}

TEST_F(SaveCommandsTest, SaveAsProposesTheCounterAndTakesItBackOnCancel) {
    SaveContext c = Context();
    SaveAs(c); // cancelled
    dialogs.answers = {Answer("a.jpg")};
    SaveAs(c);
    SaveAs(c);
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[0].ProposedName, "tarvik_output1");
    EXPECT_EQ(dialogs.requests[1].ProposedName, "tarvik_output1");
    EXPECT_EQ(dialogs.requests[2].ProposedName, "tarvik_output2");
    EXPECT_TRUE(dialogs.requests[0].OverwritePrompt);
    EXPECT_EQ(captures, 3); // before every dialog
    EXPECT_EQ(counter, 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SaveCommandsTest, SaveAsWritesByTheExtensionWithoutRegardToCase) {
    dialogs.answers = {Answer("a.JPG"), Answer("b.jpeg"), Answer("c.Jpe"),
                       Answer("d.bmp"), Answer("e", 1),   Answer("f", 0),
                       Answer("g.PNG"), Answer("h", 2),   Answer("i.gif", 2)};
    SaveContext c = Context();
    for (int i = 0; i < 9; ++i)
        SaveAs(c);
    for (const char* jpeg : {"a.JPG", "b.jpeg", "c.Jpe", "f.jpg"})
        EXPECT_TRUE(DecodeJpegFile(folder.Path() + "/" + jpeg)) << jpeg;
    EXPECT_EQ(ReadFile(folder.Path() + "/d.bmp"), "BM12x10");
    EXPECT_EQ(ReadFile(folder.Path() + "/e.bmp"), "BM12x10");
    EXPECT_EQ(ReadFile(folder.Path() + "/g.PNG"), "PNG12x10");
    EXPECT_EQ(ReadFile(folder.Path() + "/h.png"), "PNG12x10");
    EXPECT_FALSE(fs::exists(folder.Path() + "/i.gif"));
    EXPECT_EQ(counter, 9); // raised eight times, the .gif taken back
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Picture not saved to " + folder.Path() +
                  "/i.gif\r\nUse a name ending in .jpg, .jpeg, .jpe, .bmp or .png");
    EXPECT_EQ(dialogs.requests[0].Filter,
              "JPEG Files (*.jpg)|*.jpg;*.jpeg;*.jpe|Bitmap Files (*.bmp)|*.bmp|PNG (*.png)|*.png|"
              "Phone mock-up, PNG (*.png)|*.png");
}

TEST_F(SaveCommandsTest, PhoneMockupIsTheSkinWithTheCaptureInItsShotAreaAndSeeThroughOutside) {
    // A 16 x 12 skin: key colour white, a grey body from column 2 on, a shot area that
    // sticks out past the right and bottom edges, and white pixels inside the body.
    auto skin = std::make_shared<Image>(16, 12, Rgb(90, 90, 90));
    for (int y = 0; y < 12; ++y)
        skin->At(0, y) = skin->At(1, y) = Rgb(255, 255, 255);
    skin->At(3, 2) = Rgb(255, 255, 255);
    SkinLayout layout;
    layout.SkinImage = skin;
    layout.ShotRect = {6, 4, 6 + 12, 4 + 10};
    dialogs.answers = {Answer("m.png", 3), Answer("n", 3), Answer("o.bmp", 3)};
    SaveContext c = Context();
    c.Layout = &layout;
    SaveAs(c);
    ASSERT_TRUE(codec.encoded);
    const Image& mockup = *codec.encoded;
    EXPECT_TRUE(mockup.Alpha);
    ASSERT_EQ(mockup.Width, 16);
    ASSERT_EQ(mockup.Height, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool shot = x >= 6 && y >= 4 && x - 6 < 12 && y - 4 < 10;
            const bool key = x < 2 || (x == 3 && y == 2);
            const std::uint32_t want = shot  ? Rgb(200, 100, 50)
                                       : key ? Rgb(255, 255, 255) & 0xffffffu
                                             : Rgb(90, 90, 90);
            EXPECT_EQ(mockup.At(x, y), want) << x << "," << y;
        }
    SaveAs(c);
    SaveAs(c); // the extension decides: a BMP of the capture alone
    EXPECT_EQ(ReadFile(folder.Path() + "/m.png"), "PNG16x12");
    EXPECT_EQ(ReadFile(folder.Path() + "/n.png"), "PNG16x12");
    EXPECT_EQ(ReadFile(folder.Path() + "/o.bmp"), "BM12x10");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SaveCommandsTest, FailedBitmapWriteKeepsTheOldFileAndSaysWhy) {
    const std::string path = folder.Write("old.bmp", "old");
    codec.failBmp = "No space left on device";
    dialogs.answers = {Answer("old.bmp")};
    SaveContext c = Context();
    SaveAs(c);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Picture not saved to " + folder.Path() +
                                                         "/old.bmp\r\nNo space left on device"});
    EXPECT_EQ(Files(folder.Path()), std::vector<std::string>{"old.bmp"});
}

TEST_F(SaveCommandsTest, CounterStopsAtTheLargest16BitValue) {
    counter = INT16_MAX;
    dialogs.answers = {Answer("a.jpg")};
    SaveContext c = Context();
    SaveAs(c);
    SaveAs(c);
    EXPECT_EQ(counter, INT16_MAX);
    EXPECT_EQ(dialogs.requests[1].ProposedName, "tarvik_output32767");
}

TEST_F(SaveCommandsTest, AnUnreadableScreenIsSaidAndWritesNoFile) {
    unreadable = true;
    dialogs.answers = {Answer("a.jpg")};
    SaveContext c = Context();
    QuickSave(c);
    SaveAs(c);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>(2, "Picture not saved: the screen could not be read.")));
    // Where the screen knows why, the message says it too.
    c.WhyNotRead = [] { return std::string("No screencopy."); };
    QuickSave(c);
    EXPECT_EQ(dialogs.messages.back(),
              "Picture not saved: the screen could not be read. No screencopy.");
    EXPECT_TRUE(dialogs.requests.empty()); // no Save dialog for nothing to save
    EXPECT_EQ(counter, 1);
    EXPECT_FALSE(fs::exists(settings.AutoSaveFolder));
    EXPECT_EQ(Files(folder.Path()), std::vector<std::string>{});
}

TEST_F(SaveCommandsTest, OurOwnStaleTemporaryFilesAreClearedAndNothingElse) {
    const std::string dir = settings.AutoSaveFolder + "/";
    const auto hoursOld = [](const std::string& path, int hours) {
        std::error_code ec; // Wine cannot date a folder
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hours), ec);
    };
    for (const std::string name : {".tarvik-Ab12Cd", ".shot3.jpg.0123456789abcdef.part"})
        hoursOld(folder.Write("captured/" + name, "left by a killed save"), 2);
    folder.Write("captured/.tarvik-Xy34Zw", "being written now");
    for (const std::string name : {".tarvik-Ab12Cde", "notes.part"})
        hoursOld(folder.Write("captured/" + name, "not ours"), 2);
    fs::create_directory(dir + ".tarvik-Dir123");
    hoursOld(dir + ".tarvik-Dir123", 2);
    std::vector<std::string> kept = {".tarvik-Ab12Cde", ".tarvik-Dir123", ".tarvik-Xy34Zw",
                                     "notes.part", "tarvik_output1.jpg"};
#ifndef _WIN32
    fs::create_symlink("notes.part", dir + ".tarvik-Link12");
    kept.insert(kept.begin() + 2, ".tarvik-Link12");
#endif
    SaveContext c = Context();
    QuickSave(c);
    EXPECT_EQ(Files(settings.AutoSaveFolder), kept);
}
