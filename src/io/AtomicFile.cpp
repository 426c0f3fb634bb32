// SPDX-License-Identifier: MIT

#include "io/AtomicFile.h"

#include "io/IWriteFaults.h"
#include "io/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
int OpenNew(const std::string& path, int) {
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int OpenExisting(const std::string& path) {
    return ::_open(path.c_str(), _O_WRONLY | _O_BINARY);
}
bool IsOrdinary(int fd) {
    struct _stat64 st {};
    return ::_fstat64(fd, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
}
int WriteSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
}
int Truncate(int fd, std::size_t size) {
    return ::_chsize_s(fd, static_cast<long long>(size)) == 0 ? 0 : -1;
}
int Reserve(int, std::size_t) {
    return 0;
}
int Sync(int fd) {
    return ::_commit(fd);
}
void SyncFolder(const fs::path&) {}
#else
int OpenNew(const std::string& path, int permissions) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  static_cast<mode_t>(permissions));
}
// Non-blocking, so that a FIFO under the name fails at once instead of waiting for a reader.
int OpenExisting(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}
bool IsOrdinary(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}
ssize_t WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
int Truncate(int fd, std::size_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size));
}
// Claims the blocks before the old content is touched, leaving size and content as they are;
// 0 where the file system cannot do that.
int Reserve(int fd, std::size_t size) {
    if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0)
        return 0;
    return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? errno : 0;
}
int Sync(int fd) {
    return ::fsync(fd);
}
void SyncFolder(const fs::path& folder) {
    const UniqueFd fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.Get());
}
#endif

// Writes everything, or gives the error number.
int WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const auto n = WriteSome(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// A new hidden file beside the target. Its name is short, so it fits wherever the target's
// name does. The descriptor, or -1 with errno set.
int CreateTemporary(const fs::path& folder, int permissions, std::string& temp) {
    static std::mt19937_64 random{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryPrefix;
        for (int i = 0; i < 6; ++i)
            name += letters[random() % (sizeof letters - 1)];
        temp = folder.empty() ? name : (folder / name).string();
        const int fd = OpenNew(temp, permissions);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Fills an open file with the bytes; the error number, or 0.
int Fill(int fd, const std::string& target, const void* data, std::size_t size,
         const FileWriteOptions& options) {
    if (options.Faults)
        if (const int fault = options.Faults->FaultFor(target))
            return fault;
    if (const int error = WriteAll(fd, data, size))
        return error;
    return options.Durable && Sync(fd) != 0 ? errno : 0;
}

// Rewrites an existing, writable ordinary file with the bytes; the error number, or 0.
int RewriteInPlace(const std::string& target, const void* data, std::size_t size,
                   const FileWriteOptions& options) {
    UniqueFd fd(OpenExisting(target));
    if (!fd)
        return errno;
    int error = IsOrdinary(fd.Get()) ? Reserve(fd.Get(), size) : EACCES;
    if (error == 0 && options.Faults)
        error = options.Faults->FaultFor(target);
    if (error == 0)
        error = WriteAll(fd.Get(), data, size);
    if (error == 0 && Truncate(fd.Get(), size) != 0)
        error = errno;
    if (error == 0 && options.Durable && Sync(fd.Get()) != 0)
        error = errno;
    if (fd.Close() != 0 && error == 0)
        error = errno;
    return error;
}

bool IsAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Our temporary names: .tarvik-XXXXXX, and .NAME.<16 hex digits>.part of earlier versions.
bool IsOurTemporaryName(std::string_view name) {
    const std::string_view prefix = TemporaryPrefix;
    if (name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix)
        return std::all_of(name.begin() + prefix.size(), name.end(), IsAlphanumeric);
    const std::string_view part = ".part";
    if (name.size() < 1 + 1 + 1 + 16 + part.size() || name[0] != '.' ||
        name.substr(name.size() - part.size()) != part)
        return false;
    const std::string_view hex = name.substr(name.size() - part.size() - 16, 16);
    return name[name.size() - part.size() - 17] == '.' &&
           std::all_of(hex.begin(), hex.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool OwnedByUs(const fs::path& path) {
#ifdef _WIN32
    (void)path;
    return true;
#else
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && st.st_uid == ::geteuid();
#endif
}

// Temporary files of writers killed mid-write pile up: once a run, the first write into a
// folder removes ours that are older than an hour (younger ones may be another writer's).
void RemoveStaleTemporaries(const fs::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert(folder.string()).second)
            return;
    }
    const auto before = fs::file_time_type::clock::now() - std::chrono::hours(1);
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code fileError;
        const fs::path& path = it->path();
        if (IsOurTemporaryName(path.filename().string()) &&
            fs::is_regular_file(fs::symlink_status(path, fileError)) &&
            fs::last_write_time(path, fileError) < before && !fileError && OwnedByUs(path))
            fs::remove(path, fileError);
    }
}

bool RefusedByFolder(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

std::string LinkTarget(const std::string& name) {
    fs::path path = name;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path.string();
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return path.string();
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return name;
}

WriteResult WriteFileAtomically(const std::string& target, const void* data, std::size_t size,
                                const FileWriteOptions& options) {
    const fs::path path(options.Mode == WriteMode::Replace ? LinkTarget(target) : target);
    std::error_code ec;
    if (options.Mode == WriteMode::KeepExisting && fs::exists(fs::symlink_status(path, ec)))
        return {WriteOutcome::NameTaken, std::strerror(EEXIST)};
    const auto fail = [](int number) { return WriteResult::Failed(std::strerror(number)); };

    std::string temp;
    UniqueFd fd(CreateTemporary(path.parent_path(), options.Permissions, temp));
    if (!fd) {
        const int refused = errno;
        // A folder the user may not write in, around a file the user may write.
        if (options.Mode == WriteMode::Replace && RefusedByFolder(refused)) {
            const int inPlace = RewriteInPlace(path.string(), data, size, options);
            return inPlace == 0 ? WriteResult{} : fail(inPlace == ENOENT ? refused : inPlace);
        }
        return fail(refused);
    }
    int written = Fill(fd.Get(), target, data, size, options);
    if (fd.Close() != 0 && written == 0)
        written = errno;
    if (written != 0) {
        fs::remove(temp, ec);
        return fail(written);
    }

    WriteResult result;
    bool renamed = false; // the temporary name is gone with it
    if (options.Mode == WriteMode::Replace) {
        fs::rename(temp, path, ec);
        renamed = !ec;
        // A sticky folder keeps others' files from being replaced, not from being rewritten.
        if (ec && RefusedByFolder(ec.value()) &&
            RewriteInPlace(path.string(), data, size, options) == 0)
            ec.clear();
        if (ec)
            result = WriteResult::Failed(ec.message());
    } else {
        // A hard link is made only where no file of that name exists, in one step.
        fs::create_hard_link(temp, path, ec);
        if (ec == std::errc::file_exists) {
            result = {WriteOutcome::NameTaken, ec.message()};
        } else if (ec) {
            // File systems without hard links: the best check there is.
            std::error_code existsError;
            if (fs::exists(fs::symlink_status(path, existsError))) {
                result = {WriteOutcome::NameTaken, std::strerror(EEXIST)};
            } else {
                fs::rename(temp, path, ec);
                renamed = !ec;
                if (ec)
                    result = WriteResult::Failed(ec.message());
            }
        }
    }
    if (!renamed)
        fs::remove(temp, ec);
    if (result && options.Durable)
        SyncFolder(path.parent_path());
    if (result)
        RemoveStaleTemporaries(path.parent_path());
    return result;
}
