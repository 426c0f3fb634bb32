// SPDX-License-Identifier: MIT

// The settings store's contract against the registry (under Wine, Wine's registry).
#include "backends/win32/RegistryStore.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

class RegistryStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        key_ = "Software\\TarvikTest\\" + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(GetTickCount());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

    bool KeyExists(const std::string& path) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    DWORD TypeOf(const std::string& name) const {
        DWORD type = REG_NONE;
        RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), name.c_str(), RRF_RT_ANY, &type, nullptr,
                     nullptr);
        return type;
    }

    RegistryStore store_;
    std::string key_;
    static constexpr std::uint32_t User = HKEY_CURRENT_USER_ROOT;
};

TEST_F(RegistryStoreTest, TextsAndNumbersRoundTripWithTheirOwnTypes) {
    store_.WriteRegString(User, key_, "AutoSavePath", ".\\captured");
    store_.WriteRegString(User, key_, "Empty", "");
    // ANSI texts: a byte above 127 comes back as it went (code page 1252).
    store_.WriteRegString(User, key_, "Accented", "caf\xe9");
    store_.WriteRegDword(User, key_, "JPEGQuality", 85);
    store_.WriteRegDword(User, key_, "Negative", -2);

    EXPECT_EQ(store_.ReadRegString(User, key_, "AutoSavePath"), ".\\captured");
    EXPECT_EQ(store_.ReadRegString(User, key_, "Empty"), "");
    EXPECT_EQ(store_.ReadRegString(User, key_, "Accented"), "caf\xe9");
    EXPECT_EQ(store_.ReadRegDword(User, key_, "JPEGQuality"), 85);
    EXPECT_EQ(store_.ReadRegDword(User, key_, "Negative"), -2);
    EXPECT_EQ(TypeOf("AutoSavePath"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TypeOf("JPEGQuality"), static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryStoreTest, TextsAndNumbersAreKeptApart) {
    store_.WriteRegString(User, key_, "Quality", "85");
    store_.WriteRegDword(User, key_, "Prefix", 7);
    EXPECT_EQ(store_.ReadRegDword(User, key_, "Quality"), 0);
    EXPECT_EQ(store_.ReadRegString(User, key_, "Prefix"), "");
    // A write of the other kind replaces the value and its type.
    store_.WriteRegDword(User, key_, "Quality", 40);
    EXPECT_EQ(TypeOf("Quality"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(store_.ReadRegDword(User, key_, "Quality"), 40);
}

TEST_F(RegistryStoreTest, ReadsOfMissingKeysAndValuesCreateNothing) {
    const std::string missing = key_ + "\\Deeper\\Still";
    EXPECT_EQ(store_.ReadRegString(User, missing, "Name"), "");
    EXPECT_EQ(store_.ReadRegDword(User, missing, "Name"), 0);
    EXPECT_FALSE(KeyExists(key_));

    store_.WriteRegDword(User, missing, "Made", 1);
    EXPECT_TRUE(KeyExists(missing)); // writes create the keys on the way
    EXPECT_EQ(store_.ReadRegString(User, missing, "Other"), "");
    EXPECT_EQ(TypeOf("Other"), static_cast<DWORD>(REG_NONE));
}

TEST_F(RegistryStoreTest, LongTextsAreReadWhole) {
    const std::string path(3000, 'p');
    store_.WriteRegString(User, key_, "Long", path);
    EXPECT_EQ(store_.ReadRegString(User, key_, "Long"), path);
}

} // namespace
