// SPDX-License-Identifier: MIT

#pragma once

#include "settings/modRegistry.h"

// The settings store as the Windows registry, through its ANSI calls.
class RegistryStore : public modRegistry {
  public:
    std::string ReadRegString(std::uint32_t root, const std::string& keyPath,
                              const std::string& valueName) override;
    void WriteRegString(std::uint32_t root, const std::string& keyPath,
                        const std::string& valueName, const std::string& data) override;
    std::int32_t ReadRegDword(std::uint32_t root, const std::string& keyPath,
                              const std::string& valueName) override;
    void WriteRegDword(std::uint32_t root, const std::string& keyPath, const std::string& valueName,
                       std::int32_t data) override;
};
