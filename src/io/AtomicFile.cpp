#include "io/AtomicFile.h"

#include "io/IWriteFaults.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
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
int WriteSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
}
int Sync(int fd) {
    return ::_commit(fd);
}
int Close(int fd) {
    return ::_close(fd);
}
void SyncFolder(const fs::path&) {}
#else
int OpenNew(const std::string& path, int permissions) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  static_cast<mode_t>(permissions));
}
ssize_t WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
int Sync(int fd) {
    return ::fsync(fd);
}
int Close(int fd) {
    return ::close(fd);
}
void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

} // namespace

WriteOutcome WriteFileAtomically(const std::string& target, const void* data, std::size_t size,
                                 const FileWriteOptions& options, std::string& error) {
    const fs::path path(target);
    std::error_code ec;
    if (options.Mode == WriteMode::KeepExisting && fs::exists(fs::symlink_status(path, ec))) {
        error = std::strerror(EEXIST);
        return WriteOutcome::NameTaken;
    }
    const auto fail = [&](int number) {
        error = std::strerror(number);
        return WriteOutcome::Failed;
    };

    std::string temp;
    const int fd = CreateTemporary(path.parent_path(), options.Permissions, temp);
    if (fd < 0) {
        return fail(errno);
    }
    int written = Fill(fd, target, data, size, options);
    if (Close(fd) != 0 && written == 0)
        written = errno;
    if (written != 0) {
        fs::remove(temp, ec);
        return fail(written);
    }

    WriteOutcome outcome = WriteOutcome::Written;
    if (options.Mode == WriteMode::Replace) {
        fs::rename(temp, path, ec);
        if (ec) {
            error = ec.message();
            outcome = WriteOutcome::Failed;
        }
    } else {
        // A hard link is made only where no file of that name exists, in one step.
        fs::create_hard_link(temp, path, ec);
        if (ec == std::errc::file_exists) {
            error = ec.message();
            outcome = WriteOutcome::NameTaken;
        } else if (ec) {
            // File systems without hard links: the best check there is.
            std::error_code existsError;
            if (fs::exists(fs::symlink_status(path, existsError))) {
                error = std::strerror(EEXIST);
                outcome = WriteOutcome::NameTaken;
            } else {
                fs::rename(temp, path, ec);
                if (ec) {
                    error = ec.message();
                    outcome = WriteOutcome::Failed;
                }
            }
        }
    }
    fs::remove(temp, ec);
    if (outcome == WriteOutcome::Written && options.Durable)
        SyncFolder(path.parent_path());
    return outcome;
}
