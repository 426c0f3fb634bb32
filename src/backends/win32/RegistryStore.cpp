// SPDX-License-Identifier: MIT

#include "backends/win32/RegistryStore.h"

#include <vector>

#include <windows.h>

namespace {

HKEY RootKey(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

} // namespace

std::string RegistryStore::ReadRegString(std::uint32_t root, const std::string& keyPath,
                                         const std::string& valueName) {
    HKEY key = nullptr;
    RegOpenKeyA(RootKey(root), keyPath.c_str(), &key);
    std::string result;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        std::vector<char> buffer(size);
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
            result.assign(buffer.data(), size);
            result = result.substr(0, result.find('\0'));
        }
    }
    if (key)
        RegCloseKey(key);
    return result;
}

void RegistryStore::WriteRegString(std::uint32_t root, const std::string& keyPath,
                                   const std::string& valueName, const std::string& data) {
    HKEY key = nullptr;
    RegCreateKeyA(RootKey(root), keyPath.c_str(), &key);
    RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
    if (key)
        RegCloseKey(key);
}

std::int32_t RegistryStore::ReadRegDword(std::uint32_t root, const std::string& keyPath,
                                         const std::string& valueName) {
    HKEY key = nullptr;
    RegOpenKeyA(RootKey(root), keyPath.c_str(), &key);
    DWORD type = 0, size = 4;
    BYTE data[4] = {};
    std::int32_t result = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data, &size) == ERROR_SUCCESS &&
        type == REG_DWORD)
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(data[0]) |
                                           (static_cast<std::uint32_t>(data[1]) << 8) |
                                           (static_cast<std::uint32_t>(data[2]) << 16) |
                                           (static_cast<std::uint32_t>(data[3]) << 24));
    if (key)
        RegCloseKey(key);
    return result;
}

void RegistryStore::WriteRegDword(std::uint32_t root, const std::string& keyPath,
                                  const std::string& valueName, std::int32_t data) {
    HKEY key = nullptr;
    RegCreateKeyA(RootKey(root), keyPath.c_str(), &key);
    const auto u = static_cast<std::uint32_t>(data);
    const BYTE bytes[4] = {static_cast<BYTE>(u), static_cast<BYTE>(u >> 8),
                           static_cast<BYTE>(u >> 16), static_cast<BYTE>(u >> 24)};
    RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD, bytes, 4);
    if (key)
        RegCloseKey(key);
}
