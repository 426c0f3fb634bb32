// SPDX-License-Identifier: MIT

// The whole skin loader fed from bytes as a skin file, with a picture decoder that knows one
// picture: every input ends in a complete skin, the file's or the built-in one.
#include "skin/LoadSkin.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

class OnePicture : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string& path) override {
        return path.size() >= 8 && path.compare(path.size() - 8, 8, "blue.bmp") == 0 ? picture
                                                                                     : nullptr;
    }
    WriteResult EncodeBmp(const Picture&, std::vector<unsigned char>&) override {
        return WriteResult::Failed("");
    }
    WriteResult EncodePng(const Picture&, std::vector<unsigned char>&) override {
        return WriteResult::Failed("");
    }
    Picture picture = std::make_shared<Image>(200, 240);
};

class CountingDialogs : public IDialogs {
  public:
    void MessageBox(const std::string&) override { ++shown; }
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest&) override { return {}; }
    int shown = 0;
};

const std::string Folder = [] {
    const std::string folder = std::filesystem::temp_directory_path().string() + "/tarvik-fuzz-" +
                               std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(folder);
    return folder;
}();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream(Folder + "Fuzz.inf", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    SkinLayout layout;
    SkinCatalogue catalogue;
    catalogue.Names[0] = "Default";
    catalogue.Names[1] = "Fuzz.inf";
    catalogue.Count = 1;
    Picture picture1;
    static const Picture builtin = std::make_shared<Image>(193, 448); // made once: pictures are big
    static OnePicture codec;
    CountingDialogs dialogs;
    SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, Folder};
    LoadSkin(1, context);
    const bool loaded = catalogue.Current == 1;
    // Loaded: the file's picture and no message. Failed: the built-in skin and one message.
    if (loaded != (dialogs.shown == 0) || layout.SkinImage != (loaded ? codec.picture : builtin))
        std::abort();
    if (loaded && !(layout.ModeRect == AbsentRect))
        std::abort();
    // A skin that loads captures pictures within the picture limits.
    const long long w = layout.ShotRect.Right - layout.ShotRect.Left;
    const long long h = layout.ShotRect.Bottom - layout.ShotRect.Top;
    if (loaded &&
        (w > MaxPictureSide || h > MaxPictureSide || (w > 0 && h > 0 && w * h > MaxPicturePixels)))
        std::abort();
    return 0;
}
