// SPDX-License-Identifier: MIT

#pragma once

#include "io/UniqueFd.h"
#include "settings/SettingsText.h"
#include "settings/modRegistry.h"

#include <array>
#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

class IWriteFaults;

// The settings store as one readable text file (settings/SettingsText.h), held under a
// lock while a batch writes it, read again only when it changed. Every write replaces the
// file atomically; a missing or unreadable file reads as empty.
class FileSettingsStore : public modRegistry {
  public:
    using Value = SettingsText::Value;
    using Key = SettingsText::Key;
    using Contents = SettingsText::Contents;

    // Longest wait for another instance's lock on the store.
    static constexpr std::chrono::milliseconds LockWait{2000};

    // faults is handed to the file writer; null writes for real.
    explicit FileSettingsStore(std::string path, IWriteFaults* faults = nullptr,
                               std::chrono::milliseconds lockWait = LockWait);
    ~FileSettingsStore() override;
    FileSettingsStore(const FileSettingsStore&) = delete;
    FileSettingsStore& operator=(const FileSettingsStore&) = delete;

    // $XDG_CONFIG_HOME (else ~/.config, the home from the password database without $HOME)
    // + "/tarvik/settings.reg".
    static std::string DefaultPath();

    std::string ReadRegString(std::uint32_t root, const std::string& keyPath,
                              const std::string& valueName) override;
    void WriteRegString(std::uint32_t root, const std::string& keyPath,
                        const std::string& valueName, const std::string& data) override;
    std::int32_t ReadRegDword(std::uint32_t root, const std::string& keyPath,
                              const std::string& valueName) override;
    void WriteRegDword(std::uint32_t root, const std::string& keyPath, const std::string& valueName,
                       std::int32_t data) override;

    // Holds the writes in memory, under a lock on the store, until EndBatch saves them.
    void BeginBatch() override;
    void EndBatch() override;

    // Set once a read found the file unreadable or damaged: the reason, and that the file
    // is kept as settings.reg.bak when the store is next written. Or that it cannot be
    // stored at all: it (or what its link leads to) is not an ordinary file of the user's.
    std::string Problem() const override { return problem_; }
    // Why the last save failed: nothing but an ordinary file of the user's own is replaced.
    std::string SaveProblem() const override { return saveProblem_; }

    const std::string& Path() const { return path_; }

    // Largest store file read; anything bigger reads as empty. A store that would grow past
    // it keeps only the values written through it (the file before goes to .bak).
    static constexpr std::size_t MaxFileSize = 1024 * 1024;

  private:
    // The file's identity: device, inode, size and change times; all -1 when it is missing.
    using Identity = std::array<std::int64_t, 6>;
    // The contents in force: the batch's, or the file's, read again only when it changed.
    const Contents& Current() const;
    Contents Read(Identity& identity) const;
    const Value* Find(const Contents& contents, std::uint32_t root, const std::string& keyPath,
                      const std::string& valueName) const;
    void Store(std::uint32_t root, const std::string& keyPath, Value value);
    bool Save(const Contents& contents) const;
    void NoteDamage(const std::string& reason) const;
    void NoteUnusable(const std::string& reason) const;

    std::string path_;
    IWriteFaults* faults_ = nullptr;
    std::chrono::milliseconds lockWait_;
    std::optional<Contents> batch_;
    mutable std::optional<Contents> cache_;
    mutable Identity cacheIdentity_{};
    // The values this store wrote, by lower-case key and name: what an oversized file is cut to.
    std::set<std::pair<std::string, std::string>> written_;
    mutable std::string problem_;
    mutable std::string saveProblem_;
    // The batch's last write, lower-case key and name: where a new value goes.
    std::pair<std::string, std::string> batchPrevious_;
    mutable bool backupDue_ = false; // the file on disk is damaged: keep it before replacing
    UniqueFd lock_;
};
