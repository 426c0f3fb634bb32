// SPDX-License-Identifier: MIT

#include "platform/ProgramFolder.h"

#include "backends/posix/FileSettingsStore.h"
#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include <pwd.h>
#include <unistd.h>

namespace {

// Sets environment variables for one test and puts the old values back.
class Environment {
  public:
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    void Unset(const char* name) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        ::unsetenv(name);
    }
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace

TEST(DefaultCaptureFolder, BesideAProgramInAWritableFolderOfItsOwn) {
    TempFolder t;
    EXPECT_EQ(DefaultCaptureFolder(t.Path()), t.Path() + "/captured");
}

TEST(DefaultCaptureFolder, InThePicturesFolderForAnInstalledOrUnwritableProgram) {
    TempFolder home;
    Environment env;
    env.Set("HOME", home.Path());
    env.Unset("XDG_PICTURES_DIR");
    env.Unset("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultCaptureFolder("/usr/lib/tarvik"), home.Path() + "/Pictures/captured");
    EXPECT_EQ(DefaultCaptureFolder(home.Path() + "/missing"), home.Path() + "/Pictures/captured");
    home.Write(".local/lib/tarvik/tarvik", "");
    EXPECT_EQ(DefaultCaptureFolder(home.Path() + "/.local/lib/tarvik"),
              home.Path() + "/Pictures/captured");

    home.Write(".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                         "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(DefaultCaptureFolder("/opt/tarvik"), home.Path() + "/Bilder/captured");

    env.Set("XDG_PICTURES_DIR", "/srv/pictures");
    EXPECT_EQ(DefaultCaptureFolder("/usr/lib/tarvik"), "/srv/pictures/captured");
}

TEST(UserSkinsFolder, OnlyForAnInstalledOrUnwritableProgramUnderTheUsersDataFolder) {
    TempFolder home;
    Environment env;
    env.Set("HOME", home.Path());
    env.Unset("XDG_DATA_HOME");
    EXPECT_EQ(UserSkinsFolder(home.Path()), "");
    EXPECT_EQ(UserSkinsFolder("/usr/lib/tarvik"), home.Path() + "/.local/share/tarvik/skins/");
    EXPECT_EQ(UserSkinsFolder(home.Path() + "/missing"),
              home.Path() + "/.local/share/tarvik/skins/");
    env.Set("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(UserSkinsFolder(home.Path() + "/.local/lib/tarvik"), "/srv/data/tarvik/skins/");
}

TEST(HomeFolder, WithoutHomeTheAccountsHomeHoldsTheSettingsPicturesAndSkins) {
    Environment env;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_PICTURES_DIR", "XDG_DATA_HOME"})
        env.Unset(name);
    const std::string home = ::getpwuid(::getuid())->pw_dir;
    EXPECT_EQ(FileSettingsStore::DefaultPath(), home + "/.config/tarvik/settings.reg");
    EXPECT_EQ(DefaultCaptureFolder("/usr/lib/tarvik"), home + "/Pictures/captured");
    EXPECT_EQ(UserSkinsFolder("/usr/lib/tarvik"), home + "/.local/share/tarvik/skins/");
}
