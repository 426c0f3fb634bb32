// SPDX-License-Identifier: MIT

#include "backends/posix/FileSettingsStore.h"

#include "io/AtomicFile.h"
#include "platform/ProgramFolder.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

std::string Quote(const std::string& text) {
    static const char* hex = "0123456789abcdef";
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted text at text[pos]; pos ends after the closing quote.
bool Unquote(const std::string& text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= text.size())
            return false;
        const char e = text[pos++];
        switch (e) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (pos + 2 > text.size())
                return false;
            const int hi = HexDigit(text[pos]), lo = HexDigit(text[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool ParseNumber(const std::string& text, std::int32_t& out) {
    if (text.empty() || text.size() > 11)
        return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    if (text[0] == '-')
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

constexpr std::string_view Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return text;
}

// Reads one value line, "name"="text" or "name"=dword:number, blanks allowed around "=".
bool ParseValue(std::string_view line, FileSettingsStore::Value& value) {
    const std::string text(line);
    std::size_t pos = 0;
    if (!Unquote(text, pos, value.Name))
        return false;
    const std::string_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest[0] != '=')
        return false;
    const std::string_view data = Trim(rest.substr(1));
    if (data.substr(0, 6) == "dword:") {
        value.IsNumber = true;
        return ParseNumber(std::string(Trim(data.substr(6))), value.Number);
    }
    const std::string quoted(data);
    pos = 0;
    return Unquote(quoted, pos, value.Text) && pos == quoted.size();
}

// The lock file beside the store: never reached through a link, and used only when it is
// an ordinary file of our own. -1 when there is none to use: the store is written without.
int OpenLock(const std::string& path) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())) {
        ::close(fd);
        return -1;
    }
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

FileSettingsStore::~FileSettingsStore() {
    if (lock_ >= 0)
        ::close(lock_); // an unfinished batch is dropped
}

std::string FileSettingsStore::DefaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else
        base = HomeFolder() + "/.config";
    return base + "/tarvik/settings.reg";
}

FileSettingsStore::Contents FileSettingsStore::Parse(const std::string& text,
                                                     std::size_t* skipped) {
    Contents contents;
    // Where each key and value already stands, by its name in lower case.
    std::unordered_map<std::string, std::size_t> keyIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
    Key* key = nullptr; // values below a damaged key line belong to no key
    std::size_t start = text.rfind(Bom, 0) == 0 ? Bom.size() : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            key = nullptr;
            if (line.back() != ']' || line.size() < 3) {
                if (skipped)
                    ++*skipped;
                continue;
            }
            std::string path(line.substr(1, line.size() - 2));
            const auto [at, added] = keyIndex.try_emplace(Lower(path), contents.size());
            if (added) {
                contents.push_back({std::move(path), {}});
                valueIndex.emplace_back();
            }
            key = &contents[at->second];
            continue;
        }
        Value value;
        if (!key || !ParseValue(line, value)) {
            if (skipped)
                ++*skipped;
            continue;
        }
        auto& index = valueIndex[static_cast<std::size_t>(key - contents.data())];
        // A later line for the same name replaces the earlier one.
        const auto [at, added] = index.try_emplace(Lower(value.Name), key->Values.size());
        if (added)
            key->Values.push_back(std::move(value));
        else
            key->Values[at->second] = std::move(value);
    }
    return contents;
}

std::string FileSettingsStore::Serialize(const Contents& contents) {
    std::string out = "# Tarvik settings, rewritten whenever the program closes.\n"
                      "# Numbers (dword:) are decimal.\n";
    for (const Key& key : contents) {
        out += "\n[" + key.Path + "]\n";
        for (const Value& v : key.Values) {
            out += Quote(v.Name) + "=";
            out += v.IsNumber ? "dword:" + std::to_string(v.Number) : Quote(v.Text);
            out += "\n";
        }
    }
    return out;
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
    while (lock_ >= 0 && ::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(lock_);
            lock_ = -1;
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
    if (lock_ >= 0) {
        ::flock(lock_, LOCK_UN);
        ::close(lock_);
        lock_ = -1;
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
    // Not blocking: a FIFO in the store's place reads as nothing.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        NoteDamage(errno == ENOENT || errno == ENOTDIR ? "" : std::strerror(errno));
        return {};
    }
    std::string text, problem;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
    } else if (S_ISREG(st.st_mode) && st.st_size > static_cast<off_t>(MaxFileSize)) {
        problem = "it is larger than 1 MiB";
    } else if (S_ISREG(st.st_mode)) {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                problem = std::strerror(errno);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
    }
    ::close(fd);
    if (problem.empty())
        identity = IdentityOf(st);
    if (!problem.empty()) {
        NoteDamage(problem);
        return {};
    }
    std::size_t skipped = 0;
    Contents contents = Parse(text, &skipped);
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
        if (SameName(key.Path, keyPath))
            for (const Value& v : key.Values)
                if (SameName(v.Name, valueName))
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
    written_.emplace(Lower(keyPath), Lower(value.Name));
    Contents copy;
    if (!batch_)
        copy = Current();
    Contents& contents = batch_ ? *batch_ : copy;
    Key* key = nullptr;
    for (Key& k : contents)
        if (SameName(k.Path, keyPath))
            key = &k;
    if (!key) {
        contents.push_back({keyPath, {}});
        key = &contents.back();
    }
    bool replaced = false;
    for (Value& v : key->Values)
        if (SameName(v.Name, value.Name)) {
            v = value;
            replaced = true;
        }
    // A value new to a batch goes after the one the batch wrote before it in that key (or
    // first), so the batch's order survives a lost line; single writes add at the end.
    auto at = key->Values.end();
    if (batch_) {
        at = key->Values.begin();
        if (batchPrevious_.first == Lower(keyPath))
            for (auto v = key->Values.begin(); v != key->Values.end(); ++v)
                if (SameName(v->Name, batchPrevious_.second))
                    at = v + 1;
        batchPrevious_ = {Lower(keyPath), Lower(value.Name)};
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
    std::string text = Serialize(contents);
    if (text.size() > MaxFileSize) {
        Contents ours;
        for (const Key& key : contents) {
            Key kept{key.Path, {}};
            for (const Value& v : key.Values)
                if (written_.count({Lower(key.Path), Lower(v.Name)}))
                    kept.Values.push_back(v);
            if (!kept.Values.empty())
                ours.push_back(std::move(kept));
        }
        text = Serialize(ours);
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
    std::string error;
    if (WriteFileAtomically(path_, text.data(), text.size(), options, error) !=
        WriteOutcome::Written)
        return fail(error);
    return true;
}
