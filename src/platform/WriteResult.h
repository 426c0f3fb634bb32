// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <utility>

enum class WriteOutcome { Written, NameTaken, Failed };

// What encoding a file's bytes, or writing them, came to: Reason says why it failed (or, for a
// taken name, the system's words for it). An encoder that succeeds gives Written.
struct WriteResult {
    WriteOutcome Outcome = WriteOutcome::Written;
    std::string Reason;

    static WriteResult Failed(std::string reason) {
        return {WriteOutcome::Failed, std::move(reason)};
    }
    explicit operator bool() const { return Outcome == WriteOutcome::Written; }
};

// The reason given for a picture that holds nothing to encode.
inline constexpr const char* NoPictureToSave = "No picture loaded to save.";
