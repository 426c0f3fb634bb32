// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <string>

#include <sys/stat.h>

// What ReadOrdinaryFile found under a name.
struct FileBytes {
    std::string Bytes;     // the file, or what was read of it before Error
    int Error = 0;         // errno of the open, the status or a read; 0 when it read whole
    bool TooLarge = false; // an ordinary file larger than the cap: nothing is read
    struct stat Status {}; // the open file's status, when Error is not from the open
};

// Reads the whole file at path (links followed) when it is an ordinary file of at most
// maxSize bytes. Anything else under the name is opened without blocking and never read,
// so a FIFO or a device reads as nothing, with no error.
FileBytes ReadOrdinaryFile(const std::string& path, std::size_t maxSize);
