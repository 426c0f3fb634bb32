// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IDialogs.h"
#include "settings/modRegistry.h"
#include "skin/SkinCatalogue.h"

#include <cstdint>
#include <functional>
#include <string>

inline constexpr const char* SettingsKey = "Software\\Mobrin_Tarvik";

// The settings' defaults, taken when the store cannot be used and offered by the options
// dialog.
inline constexpr const char* DefaultAutoSavePath = ".\\captured";
inline constexpr const char* DefaultAutoNamePrefix = "tarvik_output";
inline constexpr std::int16_t DefaultJpegQuality = 100;
inline constexpr bool DefaultViewModeSkin = true;

struct AppSettings {
    std::int16_t JpegQuality = 0;
    std::string AutoNamePrefix;
    std::string AutoSavePath;
    std::string AutoSaveFolder;
    bool ViewModeSkin = false;
};

// ".\captured" exactly becomes the default capture folder; any other path is used as it
// stands.
std::string ResolveAutoSaveFolder(const std::string& autoSavePath,
                                  const std::string& captureFolder);

// What loading and saving the settings reach beyond the record itself.
struct SettingsContext {
    AppSettings& Settings;
    SkinCatalogue& Catalogue;
    modRegistry& Registry;
    IDialogs& Dialogs;
    std::function<void(std::int16_t)> LoadSkin;
    std::string CaptureFolder; // where ".\captured" leads
};

// Fills the record from the store and loads the stored skin, with defaults and a
// message when the store cannot be used.
void LoadSettings(SettingsContext& context);

// Writes the six values, in order, on every close.
void SaveSettings(SettingsContext& context);
