// SPDX-License-Identifier: MIT

#pragma once

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

// Owns one open file descriptor and closes it when it goes; -1 holds none.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

    // Closes it now: 0, or -1 with errno set when the close failed (where a write's last
    // error shows). 0 when none is held.
    int Close() noexcept {
        if (fd_ < 0)
            return 0;
        const int fd = fd_;
        fd_ = -1;
#ifdef _WIN32
        return ::_close(fd);
#else
        return ::close(fd);
#endif
    }

    int Release() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};
