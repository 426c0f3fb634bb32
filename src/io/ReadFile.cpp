// SPDX-License-Identifier: MIT

#include "io/ReadFile.h"

#include "io/UniqueFd.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <unistd.h>

FileBytes ReadOrdinaryFile(const std::string& path, std::size_t maxSize) {
    FileBytes file;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        file.Error = errno;
        return file;
    }
    if (::fstat(fd.Get(), &file.Status) != 0) {
        file.Error = errno;
        return file;
    }
    if (!S_ISREG(file.Status.st_mode))
        return file;
    if (static_cast<unsigned long long>(file.Status.st_size) > maxSize) {
        file.TooLarge = true;
        return file;
    }
    try {
        file.Bytes.resize(static_cast<std::size_t>(file.Status.st_size));
    } catch (const std::bad_alloc&) {
        file.Error = ENOMEM;
        return file;
    }
    std::size_t done = 0;
    while (done < file.Bytes.size()) {
        const ssize_t n = ::read(fd.Get(), file.Bytes.data() + done, file.Bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            file.Error = errno;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    file.Bytes.resize(done);
    return file;
}
