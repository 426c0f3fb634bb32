// SPDX-License-Identifier: MIT

#pragma once

#include "platform/WriteResult.h"

#include <cstddef>
#include <string>

class IWriteFaults;

enum class WriteMode { Replace, KeepExisting };

struct FileWriteOptions {
    WriteMode Mode = WriteMode::Replace;
    // Mode bits of a new file, before the umask.
    int Permissions = 0666;
    // Flush the file and its folder entry to the disk before reporting success.
    bool Durable = false;
    IWriteFaults* Faults = nullptr;
};

// Prefix of the temporary files the writer makes; nothing else begins with it.
inline constexpr const char* TemporaryPrefix = ".tarvik-";

// Writes bytes under a short hidden temporary name in the target's folder, then gives the
// file the target's name: a failed or interrupted write never leaves a partial file under
// that name, and with KeepExisting an existing file (or one made meanwhile) is never
// replaced. Replace writes through a link to the file it leads to, and where the folder
// refuses new files but the existing target is writable, rewrites the target in place.
WriteResult WriteFileAtomically(const std::string& target, const void* data, std::size_t size,
                                const FileWriteOptions& options);

// Where a name leads through links: a link that is replaced stays a link, and the file it
// leads to is written, in that file's folder. A loop of links leads to the name itself.
std::string LinkTarget(const std::string& name);
