// SPDX-License-Identifier: MIT

#include "backends/posix/FileSettingsStore.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
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

TEST_F(FileSettingsStoreTest, NothingButAnOrdinaryFileOfTheUsersOwnIsEverReplaced) {
    const std::string place = folder.Path() + "/place";
    const auto close = [&](FileSettingsStore& s) {
        s.BeginBatch();
        s.WriteRegDword(HKCU, Key, "SkinCount", 1);
        s.EndBatch();
        return s.SaveProblem();
    };
    const auto makeSocket = [](const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::close(fd);
    };
    using Make = std::function<void(const std::string&)>;
    const std::vector<std::pair<Make, std::string>> places = {
        {[](const std::string& p) { ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)); },
         "it is a device, not a file"},
        {[](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, "it is a FIFO, not a file"},
        {makeSocket, "it is a socket, not a file"},
        {[](const std::string& p) { fs::create_directory(p); }, "Is a directory"},
        {[](const std::string& p) {
             std::ofstream(p) << "kept";
             ::chown(p.c_str(), 65534, 65534);
         },
         "it belongs to another user"}};
    fs::create_directories(fs::path(StorePath()).parent_path());
    for (const bool linked : {false, true}) {
        for (const auto& [make, reason] : places) {
            const std::string target = linked ? place : StorePath();
            make(target);
            if (linked)
                fs::create_symlink(place, StorePath());
            const auto before = fs::symlink_status(target).type();
            FileSettingsStore s(StorePath());
            EXPECT_EQ(s.ReadRegDword(HKCU, Key, "SkinCount"), 0) << reason;
            EXPECT_EQ(close(s),
                      "The settings could not be stored in " + StorePath() + ": " + reason + ".");
            EXPECT_EQ(fs::symlink_status(target).type(), before) << reason;
            EXPECT_EQ(linked, fs::is_symlink(StorePath())) << reason;
            EXPECT_EQ(s.Problem(), "The settings file " + StorePath() + " cannot be used: " +
                                       reason + ".\n\rThe settings cannot be stored there.");
            if (reason.find("another") != std::string::npos) {
                EXPECT_EQ(ReadAll(target), "kept");
            }
            fs::remove_all(target);
            fs::remove(StorePath());
        }
    }

    // The user nobody, in a folder of its own, leaves alone a file that root put there.
    fs::create_directories(folder.Path() + "/nobody");
    const std::string rootsFile = folder.Write("nobody/settings.reg", "root's");
    ::chmod(rootsFile.c_str(), 0644);
    ::chown((folder.Path() + "/nobody").c_str(), 65534, 65534);
    ::chmod(folder.Path().c_str(), 0755);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        FileSettingsStore s(rootsFile);
        ::_exit(dropped && close(s).find("another user") != std::string::npos ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadAll(rootsFile), "root's");
    EXPECT_EQ(fs::status(rootsFile).permissions(), fs::perms(0644));
}

TEST_F(FileSettingsStoreTest, AfterALostLineTheRewrittenFileKeepsTheOrderTheValuesAreWrittenIn) {
    const std::vector<std::string> order = {"SkinCount",      "SkinFile",         "JPEG Quality",
                                            "Auto-save Path", "Auto-name Prefix", "View Mode"};
    // The first, a middle and the last value lost, and one the program does not write.
    folder.Write("config/tarvik/settings.reg",
                 "[Software\\Mobrin_Tarvik]\n\"SkinCount\"=x\n"
                 "\"SkinFile\"=\"Default\"\n\"JPEG Quality\"=dword:9\n"
                 "\"Own\"=\"mine\"\n\"Auto-save Path\"=\"\n"
                 "\"Auto-name Prefix\"=\"p\"\n\"View Mode\"=\n");
    store.BeginBatch();
    for (const std::string& name : order)
        store.WriteRegString(HKCU, Key, name, "v");
    store.EndBatch();
    const std::string text = ReadAll(StorePath());
    std::vector<std::size_t> positions;
    for (const std::string& name : order)
        positions.push_back(text.find("\"" + name + "\"="));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << text;
    EXPECT_NE(text.find("\"Own\"=\"mine\""), std::string::npos);
}
