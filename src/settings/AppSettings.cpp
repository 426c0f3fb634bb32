// SPDX-License-Identifier: MIT

#include "settings/AppSettings.h"

#include <functional>

std::string ResolveAutoSaveFolder(const std::string& autoSavePath,
                                  const std::string& captureFolder) {
    // An empty path would join the file names to the bare separator: the root.
    return autoSavePath == DefaultAutoSavePath || autoSavePath.empty() ? captureFolder
                                                                       : autoSavePath;
}

namespace {

using ShowMessage = std::function<void(const std::string&)>;

void LoadDefaults(SettingsContext& c, const ShowMessage& show) {
    show("Error loading settings.\n\rSwich to default settings");
    AppSettings& s = c.Settings;
    s.AutoNamePrefix = DefaultAutoNamePrefix;
    s.AutoSavePath = DefaultAutoSavePath;
    s.AutoSaveFolder = ResolveAutoSaveFolder(s.AutoSavePath, c.CaptureFolder);
    s.JpegQuality = DefaultJpegQuality;
    s.ViewModeSkin = DefaultViewModeSkin;
    c.LoadSkin(0);
}

// A text read empty (missing, or its line unreadable) takes its default; what was reset is
// added to notes.
std::string ReadTextOrDefault(SettingsContext& c, const char* name, const char* fallback,
                              const std::string& shown, std::string& notes) {
    std::string text = c.Registry.ReadRegString(HKEY_CURRENT_USER_ROOT, SettingsKey, name);
    if (!text.empty())
        return text;
    notes += std::string(notes.empty() ? "" : "\n\r") + "\"" + name +
             "\" was empty and is reset to " + shown + ".";
    return fallback;
}

void LoadValues(SettingsContext& c, const ShowMessage& show, std::string& notes) {
    modRegistry& reg = c.Registry;
    const auto root = HKEY_CURRENT_USER_ROOT;
    AppSettings& s = c.Settings;

    if (reg.ReadRegDword(root, SettingsKey, "SkinCount") == 0)
        return LoadDefaults(c, show);
    const std::int32_t quality = reg.ReadRegDword(root, SettingsKey, "JPEG Quality");
    if (quality < -32768 || quality > 32767)
        return LoadDefaults(c, show);
    s.JpegQuality = static_cast<std::int16_t>(quality);
    s.AutoSavePath = ReadTextOrDefault(c, "Auto-save Path", DefaultAutoSavePath,
                                       "the default folder " + c.CaptureFolder, notes);
    s.AutoSaveFolder = ResolveAutoSaveFolder(s.AutoSavePath, c.CaptureFolder);
    s.AutoNamePrefix = ReadTextOrDefault(c, "Auto-name Prefix", DefaultAutoNamePrefix,
                                         std::string("\"") + DefaultAutoNamePrefix + "\"", notes);
    s.ViewModeSkin = reg.ReadRegDword(root, SettingsKey, "View Mode") == 1;

    const std::string skin = reg.ReadRegString(root, SettingsKey, "SkinFile");
    if (skin == "Default")
        return c.LoadSkin(0);
    for (std::int16_t n = 1; n <= c.Catalogue.Count; ++n)
        if (c.Catalogue.Names[n] == skin)
            return c.LoadSkin(n);
    show("Skin setting file " + skin + " not found\n\rSwich to default skin");
    c.LoadSkin(0);
}

} // namespace

void LoadSettings(SettingsContext& c) {
    // The first message also says what kept the store from being read whole and which
    // values were reset; when there is no other message, that is said on its own.
    bool told = false;
    std::string notes;
    const auto explanation = [&] {
        const std::string problem = c.Registry.Problem();
        return problem.empty() || notes.empty() ? problem + notes : problem + "\n\r" + notes;
    };
    const ShowMessage show = [&](const std::string& text) {
        const std::string extra = told ? "" : explanation();
        told = true;
        c.Dialogs.MessageBox(extra.empty() ? text : text + "\n\r" + extra);
    };
    LoadValues(c, show, notes);
    if (!told && !explanation().empty())
        c.Dialogs.MessageBox(explanation());
}

void SaveSettings(SettingsContext& c) {
    modRegistry& reg = c.Registry;
    const auto root = HKEY_CURRENT_USER_ROOT;
    const AppSettings& s = c.Settings;
    // All six at once: two instances closing together leave the one or the other.
    reg.BeginBatch();
    reg.WriteRegDword(root, SettingsKey, "SkinCount", c.Catalogue.Count);
    reg.WriteRegString(root, SettingsKey, "SkinFile", c.Catalogue.Names[c.Catalogue.Current]);
    reg.WriteRegDword(root, SettingsKey, "JPEG Quality", s.JpegQuality);
    reg.WriteRegString(root, SettingsKey, "Auto-save Path", s.AutoSavePath);
    reg.WriteRegString(root, SettingsKey, "Auto-name Prefix", s.AutoNamePrefix);
    reg.WriteRegDword(root, SettingsKey, "View Mode", s.ViewModeSkin ? 1 : 2);
    reg.EndBatch();
    // One message for the six values, with the reason.
    if (const std::string problem = reg.SaveProblem(); !problem.empty())
        c.Dialogs.MessageBox(problem);
}
