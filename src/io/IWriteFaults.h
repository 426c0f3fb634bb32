// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// Handed to a writer by a caller that wants a write to fail as a full disk would, or the
// picture encoder before it to fail as when memory runs out (tests).
class IWriteFaults {
  public:
    virtual ~IWriteFaults() = default;
    // Asked before the bytes of a file are written: the error number to fail with, or 0.
    virtual int FaultFor(const std::string& path) = 0;
    // Asked before each picture encode: the encoder's (negative) status to fail with, or 0.
    virtual int EncoderFault() { return 0; }
};
