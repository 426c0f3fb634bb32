// SPDX-License-Identifier: MIT

// Writes the store or Quick Saves in a loop, to be killed or raced by the reliability tests.
//   tarvik_write_loop store PATH TAG COUNT      SaveSettings COUNT times, every value from TAG
//   tarvik_write_loop quicksave FOLDER COUNT    COUNT Quick Saves into FOLDER
//   tarvik_write_loop check-store PATH          prints the tag of a complete, consistent store
#include "backends/posix/FileSettingsStore.h"
#include "capture/SaveCommands.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

class PrintingDialogs : public IDialogs {
  public:
    void MessageBox(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest&) override { return {}; }
};

class NoCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string&) override { return nullptr; }
    WriteResult EncodeBmp(const Picture&, std::vector<unsigned char>&) override {
        return WriteResult::Failed("");
    }
    WriteResult EncodePng(const Picture&, std::vector<unsigned char>&) override {
        return WriteResult::Failed("");
    }
};

int Store(const std::string& path, int tag, long count) {
    FileSettingsStore store(path);
    AppSettings settings{static_cast<std::int16_t>(tag), "prefix" + std::to_string(tag),
                         "/path/" + std::to_string(tag), "", tag % 2 == 0};
    SkinCatalogue catalogue;
    catalogue.Names[0] = "skin" + std::to_string(tag) + ".inf";
    catalogue.Count = static_cast<std::int16_t>(tag % 30 + 1);
    PrintingDialogs dialogs;
    SettingsContext context{settings, catalogue, store, dialogs, [](std::int16_t) {}, ""};
    std::printf("started\n");
    std::fflush(stdout);
    for (long i = 0; i < count; ++i)
        SaveSettings(context);
    return 0;
}

int CheckStore(const std::string& path) {
    FileSettingsStore store(path);
    const auto root = HKEY_CURRENT_USER_ROOT;
    const int tag = store.ReadRegDword(root, SettingsKey, "JPEG Quality");
    const bool consistent =
        store.ReadRegString(root, SettingsKey, "SkinFile") ==
            "skin" + std::to_string(tag) + ".inf" &&
        store.ReadRegString(root, SettingsKey, "Auto-name Prefix") ==
            "prefix" + std::to_string(tag) &&
        store.ReadRegString(root, SettingsKey, "Auto-save Path") ==
            "/path/" + std::to_string(tag) &&
        store.ReadRegDword(root, SettingsKey, "SkinCount") == tag % 30 + 1 &&
        store.ReadRegDword(root, SettingsKey, "View Mode") == (tag % 2 == 0 ? 1 : 2);
    if (!consistent)
        return 1;
    std::printf("%d\n", tag);
    return 0;
}

int QuickSaves(const std::string& folder, long count) {
    AppSettings settings{90, "shot", folder, folder, true};
    std::int16_t counter = 1;
    PrintingDialogs dialogs;
    NoCodec codec;
    Picture picture;
    long n = 0;
    SaveContext context{picture,
                        settings,
                        counter,
                        dialogs,
                        codec,
                        [&] {
                            // A picture of its own for every save, as a capture would be.
                            auto image = std::make_shared<Image>(64, 48);
                            for (std::size_t i = 0; i < image->Pixels.size(); ++i)
                                image->Pixels[i] = Rgb(static_cast<int>(i * 7 + n) & 255,
                                                       static_cast<int>(::getpid()) & 255,
                                                       static_cast<int>(i) & 255);
                            picture = image;
                            ++n;
                        },
                        ""};
    std::printf("started\n");
    std::fflush(stdout);
    for (long i = 0; i < count; ++i)
        QuickSave(context);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "store" && argc == 5)
        return Store(argv[2], std::atoi(argv[3]), std::atol(argv[4]));
    if (mode == "check-store" && argc == 3)
        return CheckStore(argv[2]);
    if (mode == "quicksave" && argc == 4)
        return QuickSaves(argv[2], std::atol(argv[3]));
    std::fprintf(stderr, "usage: see the top of WriteLoop.cpp\n");
    return 2;
}
