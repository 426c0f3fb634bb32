#include "io/AtomicFile.h"

#include "io/WriteFaults.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// A hidden name beside the target that no picture name ends in.
std::string TemporaryName(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    name += suffix;
    name += ".part";
    return (target.parent_path() / name).string();
}

// Opens a file for writing that must not exist yet: the caller chose a fresh name.
std::FILE* CreateNew(const std::string& path) {
#ifdef _WIN32
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                           _S_IREAD | _S_IWRITE);
    std::FILE* file = fd >= 0 ? ::_fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file)
        ::_close(fd);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file)
        ::close(fd);
#endif
    return file;
}

} // namespace

bool WriteBytes(const std::string& path, const void* data, std::size_t size, std::string& error) {
    std::FILE* file = CreateNew(path);
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    // No fsync: the rename already keeps a killed or failed write from showing under the
    // final name, and a capture is cheap to take again after a power cut.
    bool ok = std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
    if (!ok)
        error = std::strerror(errno);
    if (const int fault = WriteFaultFor(path); ok && fault != 0) {
        ok = false;
        error = std::strerror(fault);
    }
    if (std::fclose(file) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

WriteOutcome WriteFileAtomically(
    const std::string& target, WriteMode mode,
    const std::function<bool(const std::string& temp, std::string& error)>& writeTemp,
    std::string& error) {
    const fs::path path(target);
    std::error_code ec;
    if (mode == WriteMode::KeepExisting && fs::exists(fs::symlink_status(path, ec))) {
        error = std::strerror(EEXIST);
        return WriteOutcome::NameTaken;
    }
    const std::string temp = TemporaryName(path);
    if (!writeTemp(temp, error)) {
        fs::remove(temp, ec);
        return WriteOutcome::Failed;
    }

    WriteOutcome outcome = WriteOutcome::Written;
    if (mode == WriteMode::Replace) {
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
    return outcome;
}
