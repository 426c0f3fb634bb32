#pragma once

#include <functional>
#include <string>

enum class WriteMode { Replace, KeepExisting };
enum class WriteOutcome { Written, NameTaken, Failed };

// Writes a file in full under a temporary name in the target's folder, then gives it the
// target name: a failed or interrupted write never leaves a partial file under that name,
// and with KeepExisting an existing file (or one made meanwhile) is never replaced.
// writeTemp writes the whole content to the path it is given; on failure it returns false
// with the reason in error.
WriteOutcome WriteFileAtomically(
    const std::string& target, WriteMode mode,
    const std::function<bool(const std::string& temp, std::string& error)>& writeTemp,
    std::string& error);

// Writes bytes to a new file and flushes them to the disk; false with the reason in error.
bool WriteBytes(const std::string& path, const void* data, std::size_t size, std::string& error);
