// SPDX-License-Identifier: MIT

#include "backends/posix/FileSettingsStore.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr auto HKCU = HKEY_CURRENT_USER_ROOT;
const std::string Key = "Software\\Mobrin_Tarvik";

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

class FileSettingsStoreTest : public ::testing::Test {
  protected:
    std::string StorePath() const { return folder.Path() + "/config/tarvik/settings.reg"; }
    TempFolder folder;
    FileSettingsStore store{folder.Path() + "/config/tarvik/settings.reg"};
};

} // namespace

TEST_F(FileSettingsStoreTest, ValuesRoundTripAndKindsStayApart) {
    store.WriteRegDword(HKCU, Key, "SkinCount", 3);
    store.WriteRegDword(HKCU, Key, "Negative", -1);
    store.WriteRegDword(HKCU, Key, "Min", INT32_MIN);
    store.WriteRegString(HKCU, Key, "SkinFile", "Blue.inf");
    store.WriteRegString(HKCU, Key, "Auto-save Path", ".\\captured \"quoted\"\r\n\ttab");
    store.WriteRegString(HKCU, Key, "Empty", "");
    store.WriteRegString(HKCU, Key, "Unicode", "K\xc3\xa4ytt\xc3\xa4j\xc3\xa4 \xe6\x97\xa5");

    FileSettingsStore reader(StorePath());
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "SkinCount"), 3);
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "Negative"), -1);
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "Min"), INT32_MIN);
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "SkinFile"), "Blue.inf");
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "Auto-save Path"), ".\\captured \"quoted\"\r\n\ttab");
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "Empty"), "");
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "Unicode"),
              "K\xc3\xa4ytt\xc3\xa4j\xc3\xa4 \xe6\x97\xa5");

    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "SkinCount"), "");
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "SkinFile"), 0);
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "Missing"), "");
    EXPECT_EQ(reader.ReadRegDword(HKCU, "Software\\Other", "SkinCount"), 0);
    // Names compare without regard to case, as the registry's do; other roots hold nothing.
    EXPECT_EQ(reader.ReadRegString(HKCU, "software\\mobrin_tarvik", "skinfile"), "Blue.inf");
    EXPECT_EQ(reader.ReadRegDword(0x80000002u, Key, "SkinCount"), 0);
}

TEST_F(FileSettingsStoreTest, TextIsCutAtAZeroCharacterAndRewritingReplacesTheKind) {
    store.WriteRegString(HKCU, Key, "Z", std::string("before\0after", 12));
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "Z"), "before");
    store.WriteRegDword(HKCU, Key, "Z", 7);
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "Z"), "");
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "Z"), 7);
}

TEST_F(FileSettingsStoreTest, ReadsNeverCreateTheFileAndWritesCreateItsFolders) {
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 0);
    EXPECT_FALSE(fs::exists(folder.Path() + "/config"));
    store.WriteRegDword(HKCU, Key, "SkinCount", 1);
    EXPECT_TRUE(fs::is_regular_file(StorePath()));
}

TEST_F(FileSettingsStoreTest, WritesLeaveNoTemporaryFilesAndAReadableFile) {
    for (int i = 0; i < 20; ++i)
        store.WriteRegDword(HKCU, Key, "N" + std::to_string(i % 5), i);
    int files = 0;
    for ([[maybe_unused]] const auto& e :
         fs::directory_iterator(fs::path(StorePath()).parent_path()))
        ++files;
    EXPECT_EQ(files, 1);
    const std::string text = ReadAll(StorePath());
    EXPECT_NE(text.find("[Software\\Mobrin_Tarvik]\n"), std::string::npos);
    EXPECT_NE(text.find("\"N4\"=dword:19\n"), std::string::npos);
    EXPECT_EQ(fs::status(StorePath()).permissions() & fs::perms::others_read, fs::perms::none);
}

TEST_F(FileSettingsStoreTest, EachLineIsReadOnItsOwnAndBadOnesAreSkipped) {
    folder.Write("config/tarvik/settings.reg",
                 "\xEF\xBB\xBF[Software\\Mobrin_Tarvik]\n"
                 "\"SkinCount\"=dword:3 \n"
                 "\"JPEG Quality\" =\tdword:50\t\n"
                 "\"Auto-save Path\"= \"/shots\"  \r\n"
                 "\"View Mode\"=dword:99999999999\n"
                 "\"SkinFile\"=\"open\n"
                 "\"Auto-name Prefix\"=\"x\\q\"\n" +
                     std::string("\x00\x01garbage\xff\n", 11) +
                     "[]\n\"Lost\"=dword:1\n"
                     "[software\\mobrin_tarvik]\n\"Later\"=\"kept\"\n");
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 3);
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "JPEG Quality"), 50);
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "Auto-save Path"), "/shots");
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "View Mode"), 0);
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "SkinFile"), "");
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "Auto-name Prefix"), "");
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "Lost"), 0);
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "Later"), "kept");

    // Written back clean, with what was read.
    store.WriteRegString(HKCU, Key, "SkinFile", "Default");
    const std::string text = ReadAll(StorePath());
    EXPECT_EQ(text.rfind("# Tarvik settings", 0), 0u);
    EXPECT_NE(text.find("decimal"), std::string::npos);
    FileSettingsStore reader(StorePath());
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "JPEG Quality"), 50);
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "Later"), "kept");
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "SkinFile"), "Default");

    // Nothing readable: no values, so the start-up takes the first-start path.
    folder.Write("config/tarvik/settings.reg", std::string("\x00\x01garbage\xff", 10));
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 0);
}

TEST_F(FileSettingsStoreTest, HandEditedFileWithCommentsAndCrLfIsRead) {
    folder.Write("config/tarvik/settings.reg",
                 "; edited by hand\r\n\r\n  [Software\\Mobrin_Tarvik]  \r\n"
                 "\"SkinCount\"=dword:2\r\n# note\r\n\"SkinFile\"=\"Aqua.inf\"\r\n");
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 2);
    EXPECT_EQ(store.ReadRegString(HKCU, Key, "SkinFile"), "Aqua.inf");
}

TEST_F(FileSettingsStoreTest, UnusableStorePlacesNeverCrash) {
    fs::create_directories(StorePath()); // a folder where the file should be
    store.WriteRegDword(HKCU, Key, "SkinCount", 1);
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 0);
    fs::remove(StorePath());

    // Larger than any store: read as empty.
    {
        std::ofstream big(StorePath(), std::ios::binary);
        big << "[Software\\Mobrin_Tarvik]\n\"SkinCount\"=dword:1\n";
        big << std::string(FileSettingsStore::MaxFileSize, '#');
    }
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 0);

    if (::geteuid() != 0) {
        store.WriteRegDword(HKCU, Key, "SkinCount", 1);
        ::chmod(StorePath().c_str(), 0);
        EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 0);
    }
}

TEST_F(FileSettingsStoreTest, TheLockFileIsNeverFollowedNorBorrowed) {
    const std::string elsewhere = folder.Path() + "/elsewhere";
    fs::create_directories(fs::path(StorePath()).parent_path());
    fs::create_symlink(elsewhere, StorePath() + ".lock");
    store.BeginBatch();
    store.WriteRegDword(HKCU, Key, "SkinCount", 1);
    store.EndBatch();
    EXPECT_FALSE(fs::exists(fs::symlink_status(elsewhere)));

    // Someone else's lock file is not ours to use; the store is written all the same.
    fs::remove(StorePath() + ".lock");
    folder.Write("config/tarvik/settings.reg.lock", "");
    ASSERT_EQ(::chown((StorePath() + ".lock").c_str(), 65534, 65534), ::geteuid() == 0 ? 0 : -1);
    store.BeginBatch();
    store.WriteRegDword(HKCU, Key, "SkinCount", 2);
    store.EndBatch();
    EXPECT_EQ(FileSettingsStore(StorePath()).ReadRegDword(HKCU, Key, "SkinCount"), 2);
}

TEST_F(FileSettingsStoreTest, ALockHeldElsewhereDelaysTheCloseButNeverStopsIt) {
    folder.Write("config/tarvik/settings.reg.lock", "");
    const int other = ::open((StorePath() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    FileSettingsStore closing(StorePath(), nullptr, std::chrono::milliseconds(50));
    closing.BeginBatch();
    closing.WriteRegDword(HKCU, Key, "SkinCount", 4);
    closing.EndBatch();
    ::close(other);
    EXPECT_EQ(FileSettingsStore(StorePath()).ReadRegDword(HKCU, Key, "SkinCount"), 4);
}

TEST_F(FileSettingsStoreTest, AStoreKeptAsALinkIsWrittenThroughIt) {
    const std::string kept = folder.Write("dotfiles/tarvik.reg", "");
    fs::create_directories(fs::path(StorePath()).parent_path());
    fs::create_symlink("../../dotfiles/tarvik.reg", StorePath());
    store.WriteRegString(HKCU, Key, "SkinFile", "Aqua.inf");
    store.WriteRegDword(HKCU, Key, "SkinCount", 2);
    EXPECT_TRUE(fs::is_symlink(StorePath()));
    EXPECT_EQ(FileSettingsStore(kept).ReadRegString(HKCU, Key, "SkinFile"), "Aqua.inf");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path() + "/dotfiles"), {}), 1);
}

TEST_F(FileSettingsStoreTest, ADamagedStoreIsKeptBesideTheNewOne) {
    const std::string damaged = "[Software\\Mobrin_Tarvik]\n\"SkinCount\"=dword:2\n\"Bad\"=x\n";
    folder.Write("config/tarvik/settings.reg", damaged);
    folder.Write("config/tarvik/settings.reg.bak", "an older generation");
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "SkinCount"), 2);
    EXPECT_EQ(store.Problem(), "The settings file " + StorePath() +
                                   " could not be read whole: 1 line could not be read.\n\r"
                                   "It will be kept as " +
                                   StorePath() + ".bak.");
    store.WriteRegDword(HKCU, Key, "View Mode", 1);
    store.WriteRegDword(HKCU, Key, "View Mode", 2);
    EXPECT_EQ(ReadAll(StorePath() + ".bak"), damaged);
    FileSettingsStore reader(StorePath());
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "SkinCount"), 2);
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "View Mode"), 2);
    EXPECT_EQ(reader.Problem(), "");
}

TEST_F(FileSettingsStoreTest, AStoreNearTheSizeLimitIsReadAtOnceAndNeverWrittenPastIt) {
    std::string big = "[Software\\Mobrin_Tarvik]\n\"SkinCount\"=dword:2\n";
    for (int i = 0; big.size() < FileSettingsStore::MaxFileSize - 32; ++i)
        big += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i) + "\n";
    folder.Write("config/tarvik/settings.reg", big);
    EXPECT_EQ(store.ReadRegDword(HKCU, Key, "v50000"), 50000);
    store.BeginBatch();
    store.WriteRegString(HKCU, Key, "Auto-name Prefix", std::string(100, 'p'));
    store.WriteRegDword(HKCU, Key, "SkinCount", 3);
    store.EndBatch();
    EXPECT_LE(fs::file_size(StorePath()), FileSettingsStore::MaxFileSize);
    EXPECT_TRUE(ReadAll(StorePath() + ".bak") == big);
    FileSettingsStore reader(StorePath());
    EXPECT_EQ(reader.ReadRegDword(HKCU, Key, "SkinCount"), 3);
    EXPECT_EQ(reader.ReadRegString(HKCU, Key, "Auto-name Prefix"), std::string(100, 'p'));
}
