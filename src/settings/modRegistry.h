// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>

inline constexpr std::uint32_t HKEY_CURRENT_USER_ROOT = 0x80000001u;

// The per-user settings store: named text and number values under key paths. Reads of
// anything missing or of the other kind give the empty text or 0; writes create missing
// keys; no operation reports a failure.
class modRegistry {
  public:
    virtual ~modRegistry() = default;
    virtual std::string ReadRegString(std::uint32_t root, const std::string& keyPath,
                                      const std::string& valueName) = 0;
    virtual void WriteRegString(std::uint32_t root, const std::string& keyPath,
                                const std::string& valueName, const std::string& data) = 0;
    virtual std::int32_t ReadRegDword(std::uint32_t root, const std::string& keyPath,
                                      const std::string& valueName) = 0;
    virtual void WriteRegDword(std::uint32_t root, const std::string& keyPath,
                               const std::string& valueName, std::int32_t data) = 0;

    // Writes between these two reach the store together or not at all, where the store
    // can do that; a store that cannot writes each value as it comes.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}

    // What kept the store from being read whole, and what becomes of it, for the start-up
    // message; empty when it was read whole, is missing, or cannot tell.
    virtual std::string Problem() const { return {}; }

    // Why the last write (or batch) did not reach the store, for the close's message; empty
    // when it did, or the store cannot tell.
    virtual std::string SaveProblem() const { return {}; }
};
