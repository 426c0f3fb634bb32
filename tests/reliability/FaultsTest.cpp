// SPDX-License-Identifier: MIT

#include "capture/SaveCommands.h"
#include "fakes/FakePlatform.h"
#include "imaging/JpegDecode.h"
#include "imaging/ijl.h"
#include "io/IWriteFaults.h"
#include "platform/ProgramFolder.h"
#ifndef _WIN32
#include "backends/posix/FileSettingsStore.h"
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Every write handed this fails as on a full disk while full is set.
struct FullDisk : IWriteFaults {
    int FaultFor(const std::string& path) override {
        if (!full)
            return 0;
        attempts.push_back(path);
        return ENOSPC;
    }
    bool full = true;
    std::vector<std::string> attempts;
};

class FaultsTest : public ::testing::Test {
  protected:
    FaultsTest() {
        settings.JpegQuality = 90;
        settings.AutoNamePrefix = "shot";
        settings.AutoSaveFolder = folder.Path() + "/captured";
        picture = std::make_shared<Image>(16, 16, Rgb(10, 200, 30));
    }
    SaveContext Context() {
        return SaveContext{picture, settings, counter, dialogs, codec, [] {}, "", &disk};
    }
    std::vector<std::string> Entries(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        return names;
    }
    TempFolder folder;
    AppSettings settings;
    std::int16_t counter = 1;
    FakeDialogs dialogs;
    FakeCodec codec;
    Picture picture;
    FullDisk disk;
};

} // namespace

TEST_F(FaultsTest, FullDiskDuringAJpegABmpOrAPngKeepsTheOldFileAndSaysWhy) {
    const std::string jpg = folder.Write("old.jpg", "the old picture");
    const std::string bmp = folder.Write("old.bmp", "the old bitmap");
    const std::string png = folder.Write("old.png", "the old png");
    dialogs.answers = {{true, bmp, 1}, {true, png, 2}};
    SaveContext c = Context();
    SavePictureFile(c, jpg);
    SaveAs(c);
    SaveAs(c);
    EXPECT_EQ(disk.attempts.size(), 3u);
    EXPECT_EQ(ReadFile(jpg), "the old picture");
    EXPECT_EQ(ReadFile(bmp), "the old bitmap");
    EXPECT_EQ(ReadFile(png), "the old png");
    EXPECT_EQ(Entries(folder.Path()).size(), 3u);
    EXPECT_EQ(
        dialogs.messages,
        (std::vector<std::string>{"Picture not saved to " + jpg +
                                      "\r\nijlWrite Error - File Error: No space left on device",
                                  "Picture not saved to " + bmp + "\r\nNo space left on device",
                                  "Picture not saved to " + png + "\r\nNo space left on device"}));
}

TEST_F(FaultsTest, FullDiskDuringQuickSaveTakesNoName) {
    SaveContext c = Context();
    SaveAutoNamed(c);
    EXPECT_TRUE(Entries(settings.AutoSaveFolder).empty());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    disk.full = false; // the disk has room again: the first name is still free
    SaveAutoNamed(c);
    EXPECT_TRUE(DecodeJpegFile(settings.AutoSaveFolder + "/shot1.jpg"));
}

TEST_F(FaultsTest, QuickSaveEncodesOnceHoweverManyNamesAreTakenAndReportsAnEncoderFailure) {
    for (int n = 1; n <= 50; ++n)
        fs::create_directories(settings.AutoSaveFolder + "/shot" + std::to_string(n) + ".jpg");
    // Counts the encodes, and fails each with status.
    struct Encoder : IWriteFaults {
        explicit Encoder(int failWith) : status(failWith) {}
        int FaultFor(const std::string&) override { return 0; }
        int EncoderFault() override {
            ++encodes;
            return status;
        }
        int status;
        int encodes = 0;
    };
    SaveContext c = Context();
    Encoder encoder(0);
    c.Faults = &encoder;
    SaveAutoNamed(c);
    EXPECT_EQ(encoder.encodes, 1);
    EXPECT_TRUE(DecodeJpegFile(settings.AutoSaveFolder + "/shot51.jpg"));
    EXPECT_TRUE(dialogs.messages.empty());
    Encoder failing(IJL_MEMORY_ERROR); // memory runs out in the encoder
    c.Faults = &failing;
    SaveAutoNamed(c);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
                                    "Picture not saved to " + settings.AutoSaveFolder +
                                    PathSeparator + "shot52.jpg\r\nijlWrite Error - Memory Error"});
    EXPECT_FALSE(fs::exists(settings.AutoSaveFolder + "/shot52.jpg"));
}

// The settings file of the other systems; Windows keeps the settings in the registry.
#ifndef _WIN32
TEST_F(FaultsTest, FullDiskDuringTheStoreKeepsTheStoreAsItWas) {
    const std::string path = folder.Path() + "/config/settings.reg";
    FileSettingsStore store(path, &disk);
    disk.full = false;
    store.WriteRegString(HKEY_CURRENT_USER_ROOT, "K", "SkinFile", "Aqua.inf");
    const std::string before = ReadFile(path);
    disk.full = true;
    store.BeginBatch();
    store.WriteRegString(HKEY_CURRENT_USER_ROOT, "K", "SkinFile", "Default");
    store.WriteRegDword(HKEY_CURRENT_USER_ROOT, "K", "SkinCount", 3);
    store.EndBatch();
    store.WriteRegDword(HKEY_CURRENT_USER_ROOT, "K", "Other", 1);
    EXPECT_EQ(disk.attempts.size(), 2u);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(store.ReadRegString(HKEY_CURRENT_USER_ROOT, "K", "SkinFile"), "Aqua.inf");
    for (const auto& e : fs::directory_iterator(folder.Path() + "/config"))
        EXPECT_TRUE(e.path().filename() == "settings.reg" ||
                    e.path().filename() == "settings.reg.lock")
            << e.path();
}

// Runs work in a child process as the user nobody when the tests run as root (as whoever
// runs them otherwise); its exit status.
int AsUnprivilegedUser(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
             ::setresuid(65534, 65534, 65534) != 0))
            ::_exit(99);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(FaultsTest, AWritableFileInAFolderTheUserCannotWriteIsRewrittenInPlace) {
    const std::string old(5000, 'x'); // longer than the picture: the rest must go
    const std::string free = folder.Write("free/shot.jpg", old);
    const std::string open = folder.Write("locked/open.jpg", old);
    const std::string shut = folder.Write("locked/shut.jpg", old);
    ::chmod(folder.Path().c_str(), 0755);
    ::chmod((folder.Path() + "/free").c_str(), 0777);
    ::chmod((folder.Path() + "/locked").c_str(), 0755);
    ::chmod(free.c_str(), 0666);
    ::chmod(open.c_str(), 0666);
    ::chmod(shut.c_str(), 0644);
    if (::geteuid() != 0)
        ::chmod(shut.c_str(), 0444);
    const auto inode = [](const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_ino;
    };
    const auto freeBefore = inode(free), openBefore = inode(open);

    const int status = AsUnprivilegedUser([&] {
        SaveContext c = Context();
        c.Faults = nullptr;
        SavePictureFile(c, free);
        SavePictureFile(c, open);
        SavePictureFile(c, shut);
        for (const std::string& m : dialogs.messages)
            std::fprintf(stderr, "%s\n", m.c_str());
        return dialogs.messages ==
                       std::vector<std::string>{
                           "Picture not saved to " + shut +
                           "\r\nijlWrite Error - File Error: Permission denied"}
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
    // Where the folder allows it the file is replaced whole; elsewhere rewritten.
    EXPECT_NE(inode(free), freeBefore);
    EXPECT_EQ(inode(open), openBefore);
    ASSERT_TRUE(DecodeJpegFile(free));
    EXPECT_TRUE(ReadFile(open) == ReadFile(free));
    EXPECT_TRUE(ReadFile(shut) == old);
    EXPECT_EQ(Entries(folder.Path() + "/locked").size(), 2u);
}

TEST_F(FaultsTest, AnUnreadableStoreIsKeptAsideAndTheReasonGiven) {
    const std::string dir = folder.Path() + "/config";
    const std::string path = folder.Write("config/settings.reg", "[K]\n\"A\"=dword:1\n");
    ::chmod(folder.Path().c_str(), 0755);
    ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), ::geteuid() == 0 ? 0 : -1);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), ::geteuid() == 0 ? 0 : -1);
    ::chmod(path.c_str(), 0);
    const int status = AsUnprivilegedUser([&] {
        FileSettingsStore store(path);
        store.BeginBatch();
        store.WriteRegDword(HKEY_CURRENT_USER_ROOT, "K", "B", 2);
        store.EndBatch();
        std::fprintf(stderr, "%s\n", store.Problem().c_str());
        return store.Problem().find(": Permission denied.") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path + ".bak"), "[K]\n\"A\"=dword:1\n");
    EXPECT_EQ(FileSettingsStore(path).ReadRegDword(HKEY_CURRENT_USER_ROOT, "K", "B"), 2);
}

TEST(FileSettingsStoreBatch, WritesReachTheFileTogetherAtTheEnd) {
    TempFolder folder;
    const std::string path = folder.Path() + "/settings.reg";
    FileSettingsStore store(path);
    FileSettingsStore other(path);
    store.WriteRegDword(HKEY_CURRENT_USER_ROOT, "K", "A", 1);
    store.BeginBatch();
    store.WriteRegDword(HKEY_CURRENT_USER_ROOT, "K", "A", 2);
    store.WriteRegString(HKEY_CURRENT_USER_ROOT, "K", "B", "two");
    EXPECT_EQ(store.ReadRegDword(HKEY_CURRENT_USER_ROOT, "K", "A"), 2); // the batch reads its own
    EXPECT_EQ(other.ReadRegDword(HKEY_CURRENT_USER_ROOT, "K", "A"), 1);
    EXPECT_EQ(other.ReadRegString(HKEY_CURRENT_USER_ROOT, "K", "B"), "");
    store.EndBatch();
    EXPECT_EQ(other.ReadRegDword(HKEY_CURRENT_USER_ROOT, "K", "A"), 2);
    EXPECT_EQ(other.ReadRegString(HKEY_CURRENT_USER_ROOT, "K", "B"), "two");
}
#endif

TEST_F(FaultsTest, AutoSaveFolderMissingWithItsParentOrAFileInItsPlace) {
    SaveContext c = Context();
    settings.AutoSaveFolder = folder.Path() + "/gone/captured";
    SaveAutoNamed(c);
    settings.AutoSaveFolder = folder.Write("captured", "a file");
    SaveAutoNamed(c);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const std::string& m : dialogs.messages)
        EXPECT_EQ(m.rfind("Picture not saved: the folder ", 0), 0u) << m;
    EXPECT_EQ(ReadFile(settings.AutoSaveFolder), "a file");
}
