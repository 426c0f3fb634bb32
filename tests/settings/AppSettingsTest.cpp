// SPDX-License-Identifier: MIT

#include "settings/AppSettings.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

struct Scenario {
    Scenario() {
        catalogue.Names[0] = "Default";
        catalogue.Names[1] = "Blue.inf";
        catalogue.Names[2] = "Red.inf";
        catalogue.Count = 2;
        Dword("SkinCount", 2);
        Dword("JPEG Quality", 80);
        String("Auto-save Path", "/home/me/shots");
        String("Auto-name Prefix", "shot");
        Dword("View Mode", 1);
        String("SkinFile", "Red.inf");
    }

    void Dword(const char* name, std::int32_t v) {
        registry.WriteRegDword(0, SettingsKey, name, v);
    }
    void String(const char* name, const char* v) {
        registry.WriteRegString(0, SettingsKey, name, v);
    }

    void Load() {
        SettingsContext c{settings,
                          catalogue,
                          registry,
                          dialogs,
                          [this](std::int16_t n) { loaded.push_back(n); },
                          "/opt/tarvik/captured"};
        LoadSettings(c);
    }

    void ExpectDefaults() {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0], "Error loading settings.\n\rSwich to default settings");
        EXPECT_EQ(settings.JpegQuality, 100);
        EXPECT_EQ(settings.AutoNamePrefix, "tarvik_output");
        EXPECT_EQ(settings.AutoSavePath, ".\\captured");
        EXPECT_EQ(settings.AutoSaveFolder, "/opt/tarvik/captured");
        EXPECT_TRUE(settings.ViewModeSkin);
        EXPECT_EQ(loaded, std::vector<std::int16_t>{0});
    }

    AppSettings settings;
    SkinCatalogue catalogue;
    MemoryRegistry registry;
    FakeDialogs dialogs;
    std::vector<std::int16_t> loaded;
};

class LoadSettingsTest : public ::testing::Test, public Scenario {};

} // namespace

TEST_F(LoadSettingsTest, StoredValuesAreTakenAndTheStoredSkinLoaded) {
    Load();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(settings.JpegQuality, 80);
    EXPECT_EQ(settings.AutoSavePath, "/home/me/shots");
    EXPECT_EQ(settings.AutoSaveFolder, "/home/me/shots");
    EXPECT_EQ(settings.AutoNamePrefix, "shot");
    EXPECT_TRUE(settings.ViewModeSkin);
    EXPECT_EQ(loaded, std::vector<std::int16_t>{2});
}

TEST_F(LoadSettingsTest, EmptyStoreOrZeroSkinCountTakesTheDefaults) {
    registry.values.clear();
    Load();
    ExpectDefaults();

    Scenario fresh;
    fresh.Dword("SkinCount", 0);
    fresh.Load();
    fresh.ExpectDefaults();
}

TEST_F(LoadSettingsTest, WhatKeptTheStoreFromBeingReadIsSaidOnce) {
    registry.problem =
        "The settings file s could not be read whole: why.\n\rIt will be kept as s.bak.";
    Load();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{registry.problem});

    Scenario unreadable;
    unreadable.registry.values.clear();
    unreadable.registry.problem = registry.problem;
    unreadable.String("SkinFile", "Gone.inf");
    unreadable.Load();
    EXPECT_EQ(unreadable.dialogs.messages,
              std::vector<std::string>{"Error loading settings.\n\rSwich to default settings\n\r" +
                                       registry.problem});
}

TEST_F(LoadSettingsTest, QualityOutside16BitsTakesAllDefaultsButOddQualitiesLoad) {
    Dword("JPEG Quality", 32768);
    Load();
    ExpectDefaults();

    for (std::int32_t q : {150, -5, 0, -32768, 32767}) {
        Scenario t;
        t.Dword("JPEG Quality", q);
        t.Load();
        EXPECT_TRUE(t.dialogs.messages.empty());
        EXPECT_EQ(t.settings.JpegQuality, q);
    }
}

TEST_F(LoadSettingsTest, SkinNameIsMatchedExactlyOrReportedNotFound) {
    String("SkinFile", "red.inf");
    Load();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Skin setting file red.inf not found\n\rSwich to default skin");
    EXPECT_EQ(loaded, std::vector<std::int16_t>{0});
    EXPECT_EQ(settings.AutoNamePrefix, "shot"); // read settings stay

    Scenario missing;
    missing.registry.values.erase({SettingsKey, "SkinFile"});
    missing.Load();
    EXPECT_EQ(missing.dialogs.messages.at(0),
              "Skin setting file  not found\n\rSwich to default skin");

    Scenario builtin;
    builtin.String("SkinFile", "Default");
    builtin.Load();
    EXPECT_TRUE(builtin.dialogs.messages.empty());
    EXPECT_EQ(builtin.loaded, std::vector<std::int16_t>{0});
}

TEST_F(LoadSettingsTest, ViewModeIsSkinOnlyForOneAndMissingValuesGiveZeroOrTheDefaultText) {
    for (std::int32_t mode : {2, 0, 7}) {
        Scenario t;
        t.Dword("View Mode", mode);
        t.Load();
        EXPECT_FALSE(t.settings.ViewModeSkin) << mode;
    }
    registry.values.erase({SettingsKey, "Auto-name Prefix"});
    registry.values.erase({SettingsKey, "JPEG Quality"});
    registry.values.erase({SettingsKey, "View Mode"});
    String("Auto-save Path", ""); // numbers and texts are kept apart: a text read as number is 0
    Load();
    // An empty folder or prefix would send Quick Saves to the root: each is named as reset.
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"\"Auto-save Path\" was empty and is reset to the default "
                                       "folder /opt/tarvik/captured.\n\r\"Auto-name Prefix\" was "
                                       "empty and is reset to \"tarvik_output\"."});
    EXPECT_EQ(settings.AutoNamePrefix, "tarvik_output");
    EXPECT_EQ(settings.JpegQuality, 0);
    EXPECT_EQ(settings.AutoSavePath, ".\\captured");
    EXPECT_EQ(settings.AutoSaveFolder, "/opt/tarvik/captured");
    EXPECT_FALSE(settings.ViewModeSkin);
}

TEST(ResolveAutoSaveFolder, OnlyTheExactDefaultOrNothingIsResolvedAgainstTheProgramFolder) {
    EXPECT_EQ(ResolveAutoSaveFolder(".\\captured", "/opt/t/captured"), "/opt/t/captured");
    EXPECT_EQ(ResolveAutoSaveFolder(".\\Captured", "/opt/t"), ".\\Captured");
    EXPECT_EQ(ResolveAutoSaveFolder("", "/opt/t"), "/opt/t"); // never the root
    EXPECT_EQ(ResolveAutoSaveFolder("/data/shots", "/opt/t"), "/data/shots");
}

TEST(SaveSettings, WritesViewModeTwoForResizableAndTheCurrentName) {
    AppSettings s{-5, "p", "x", "x", false};
    SkinCatalogue c;
    c.Names[0] = "Default";
    MemoryRegistry r;
    FakeDialogs d;
    SettingsContext ctx{s, c, r, d, [](std::int16_t) {}, "/"};
    SaveSettings(ctx);
    EXPECT_EQ(r.ReadRegDword(0, SettingsKey, "View Mode"), 2);
    EXPECT_EQ(r.ReadRegDword(0, SettingsKey, "JPEG Quality"), -5);
    EXPECT_EQ(r.ReadRegDword(0, SettingsKey, "SkinCount"), 0);
    EXPECT_EQ(r.ReadRegString(0, SettingsKey, "SkinFile"), "Default");
}
