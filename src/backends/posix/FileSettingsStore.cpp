// SPDX-License-Identifier: MIT

#include "backends/posix/FileSettingsStore.h"

#include "io/AtomicFile.h"
#include "io/ReadFile.h"
#include "platform/ProgramFolder.h"
#include "text/Text.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The lock file beside the store: never reached through a link, and used only when it is
// an ordinary file of our own. None when there is none to use: the store is written without.
UniqueFd OpenLock(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    struct stat st {};
    if (fd && (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()))
        return {};
    return fd;
}

// Why the file at a path (its links followed) must not be replaced: anything but an
// ordinary file of our own. Empty for such a file, or none.
std::string Unusable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    if (S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "it is a device, not a file";
    if (S_ISFIFO(st.st_mode))
        return "it is a FIFO, not a file";
    if (S_ISSOCK(st.st_mode))
        return "it is a socket, not a file";
    if (!S_ISREG(st.st_mode))
        return "it is not an ordinary file";
    if (st.st_uid != ::geteuid())
        return "it belongs to another user";
    return {};
}

} // namespace

FileSettingsStore::FileSettingsStore(std::string path, IWriteFaults* faults,
                                     std::chrono::milliseconds lockWait)
    : path_(std::move(path)), faults_(faults), lockWait_(lockWait) {}

FileSettingsStore::~FileSettingsStore() = default; // an unfinished batch is dropped

std::string FileSettingsStore::DefaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else
        base = HomeFolder() + "/.config";
    return base + "/tarvik/settings.reg";
}

void FileSettingsStore::BeginBatch() {
    if (batch_)
        return;
    std::error_code ec;
    const fs::path target(path_);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    lock_ = OpenLock(path_ + ".lock");
    // Another instance closing holds the lock for a moment; one that holds it longer is
    // not waited for: the atomic rename keeps the file whole without it.
    const auto deadline = std::chrono::steady_clock::now() + lockWait_;
    while (lock_ && ::flock(lock_.Get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            lock_.Close();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    batch_ = Current();
    batchPrevious_ = {};
}

void FileSettingsStore::EndBatch() {
    if (!batch_)
        return;
    Save(*batch_);
    batch_.reset();
    if (lock_) {
        ::flock(lock_.Get(), LOCK_UN);
        lock_.Close();
    }
}

namespace {

std::array<std::int64_t, 6> IdentityOf(const struct stat& st) {
    return {static_cast<std::int64_t>(st.st_dev),
            static_cast<std::int64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec),
            static_cast<std::int64_t>(st.st_ctim.tv_nsec)};
}

constexpr std::array<std::int64_t, 6> Missing{-1, -1, -1, -1, -1, -1};

} // namespace

const FileSettingsStore::Contents& FileSettingsStore::Current() const {
    if (batch_)
        return *batch_;
    struct stat st {};
    const Identity now = ::stat(path_.c_str(), &st) == 0 ? IdentityOf(st) : Missing;
    if (!cache_ || now != cacheIdentity_)
        cache_ = Read(cacheIdentity_);
    return *cache_;
}

FileSettingsStore::Contents FileSettingsStore::Read(Identity& identity) const {
    identity = Missing;
    // Only an ordinary file is opened: a device or a FIFO is never touched.
    struct stat before {};
    if (::stat(path_.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) {
        NoteUnusable(Unusable(path_));
        identity = IdentityOf(before);
        return {};
    }
    // A FIFO put in the store's place meanwhile reads as nothing.
    const FileBytes file = ReadOrdinaryFile(path_, MaxFileSize);
    if (file.Error != 0 || file.TooLarge) {
        NoteDamage(file.TooLarge                                   ? "it is larger than 1 MiB"
                   : file.Error == ENOENT || file.Error == ENOTDIR ? ""
                                                                   : std::strerror(file.Error));
        return {};
    }
    const struct stat& st = file.Status;
    identity = IdentityOf(st);
    std::size_t skipped = 0;
    Contents contents = SettingsText::Parse(file.Bytes, &skipped);
    if (st.st_uid != ::geteuid()) {
        NoteUnusable(Unusable(path_));
        return contents;
    }
    NoteDamage(skipped == 0   ? ""
               : skipped == 1 ? "1 line could not be read"
                              : std::to_string(skipped) + " lines could not be read");
    return contents;
}

void FileSettingsStore::NoteDamage(const std::string& reason) const {
    backupDue_ = !reason.empty();
    if (backupDue_ && problem_.empty())
        problem_ = "The settings file " + path_ + " could not be read whole: " + reason +
                   ".\n\rIt will be kept as " + path_ + ".bak.";
}

void FileSettingsStore::NoteUnusable(const std::string& reason) const {
    backupDue_ = false; // not ours to move aside
    if (!reason.empty() && problem_.empty())
        problem_ = "The settings file " + path_ + " cannot be used: " + reason +
                   ".\n\rThe settings cannot be stored there.";
}

const FileSettingsStore::Value* FileSettingsStore::Find(const Contents& contents,
                                                        std::uint32_t root,
                                                        const std::string& keyPath,
                                                        const std::string& valueName) const {
    if (root != HKEY_CURRENT_USER_ROOT)
        return nullptr;
    for (const Key& key : contents)
        if (SameIgnoringAsciiCase(key.Path, keyPath))
            for (const Value& v : key.Values)
                if (SameIgnoringAsciiCase(v.Name, valueName))
                    return &v;
    return nullptr;
}

std::string FileSettingsStore::ReadRegString(std::uint32_t root, const std::string& keyPath,
                                             const std::string& valueName) {
    const Value* v = Find(Current(), root, keyPath, valueName);
    if (!v || v->IsNumber)
        return {};
    return v->Text.substr(0, v->Text.find('\0'));
}

std::int32_t FileSettingsStore::ReadRegDword(std::uint32_t root, const std::string& keyPath,
                                             const std::string& valueName) {
    const Value* v = Find(Current(), root, keyPath, valueName);
    return v && v->IsNumber ? v->Number : 0;
}

void FileSettingsStore::WriteRegString(std::uint32_t root, const std::string& keyPath,
                                       const std::string& valueName, const std::string& data) {
    Store(root, keyPath, Value{valueName, false, data, 0});
}

void FileSettingsStore::WriteRegDword(std::uint32_t root, const std::string& keyPath,
                                      const std::string& valueName, std::int32_t data) {
    Store(root, keyPath, Value{valueName, true, {}, data});
}

void FileSettingsStore::Store(std::uint32_t root, const std::string& keyPath, Value value) {
    if (root != HKEY_CURRENT_USER_ROOT || keyPath.empty() ||
        keyPath.find_first_of("\r\n") != std::string::npos)
        return;
    written_.emplace(LowerAscii(keyPath), LowerAscii(value.Name));
    Contents copy;
    if (!batch_)
        copy = Current();
    Contents& contents = batch_ ? *batch_ : copy;
    Key* key = nullptr;
    for (Key& k : contents)
        if (SameIgnoringAsciiCase(k.Path, keyPath))
            key = &k;
    if (!key) {
        contents.push_back({keyPath, {}});
        key = &contents.back();
    }
    bool replaced = false;
    for (Value& v : key->Values)
        if (SameIgnoringAsciiCase(v.Name, value.Name)) {
            v = value;
            replaced = true;
        }
    // A value new to a batch goes after the one the batch wrote before it in that key (or
    // first), so the batch's order survives a lost line; single writes add at the end.
    auto at = key->Values.end();
    if (batch_) {
        at = key->Values.begin();
        if (batchPrevious_.first == LowerAscii(keyPath))
            for (auto v = key->Values.begin(); v != key->Values.end(); ++v)
                if (SameIgnoringAsciiCase(v->Name, batchPrevious_.second))
                    at = v + 1;
        batchPrevious_ = {LowerAscii(keyPath), LowerAscii(value.Name)};
    }
    if (!replaced)
        key->Values.insert(at, std::move(value));
    if (!batch_)
        Save(contents);
}

bool FileSettingsStore::Save(const Contents& contents) const {
    const auto fail = [this](const std::string& reason) {
        saveProblem_ = "The settings could not be stored in " + path_ + ": " + reason + ".";
        return false;
    };
    saveProblem_.clear();
    if (const std::string reason = Unusable(path_); !reason.empty())
        return fail(reason);
    const fs::path target(path_);
    std::error_code ec;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    std::string text = SettingsText::Write(contents);
    if (text.size() > MaxFileSize) {
        Contents ours;
        for (const Key& key : contents) {
            Key kept{key.Path, {}};
            for (const Value& v : key.Values)
                if (written_.count({LowerAscii(key.Path), LowerAscii(v.Name)}))
                    kept.Values.push_back(v);
            if (!kept.Values.empty())
                ours.push_back(std::move(kept));
        }
        text = SettingsText::Write(ours);
        if (text.size() > MaxFileSize)
            return fail("they would be larger than 1 MiB");
        backupDue_ = true;
    }
    // A damaged store is never destroyed: it goes aside (one generation), or stays.
    if (backupDue_) {
        const std::string damaged = LinkTarget(path_);
        fs::rename(damaged, damaged + ".bak", ec);
        if (ec)
            return fail(ec.message());
        backupDue_ = false;
    }
    FileWriteOptions options;
    options.Permissions = 0600;
    options.Durable = true;
    options.Faults = faults_;
    const WriteResult written = WriteFileAtomically(path_, text.data(), text.size(), options);
    return written ? true : fail(written.Reason);
}
