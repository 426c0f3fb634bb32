// SPDX-License-Identifier: MIT

#include "app/MakeSkin.h"

#include "io/AtomicFile.h"
#include "skin/SkinFromPicture.h"

#include <filesystem>

namespace {

CommandLineExit Failure(int status, const std::string& text) {
    return {status, "tarvik: " + text + "\n"};
}

std::string Described(const SkinRect& r, const char* name) {
    return r.Right < r.Left ? std::string() : std::string(", ") + name;
}

} // namespace

CommandLineExit MakeSkin(const std::string& picturePath, IPictureCodec& codec,
                         const std::string& skinsFolder) {
    const std::filesystem::path picture(picturePath);
    const Picture image = codec.LoadPicture(picturePath);
    if (!image)
        return Failure(2, "cannot read the picture " + picturePath +
                              ": missing, not a BMP, GIF, JPEG or PNG picture, damaged, or "
                              "larger than " +
                              std::to_string(MaxPictureSide) + " pixels a side, " +
                              std::to_string(MaxPicturePixels / (1024LL * 1024)) +
                              " megapixels or " +
                              std::to_string(MaxPictureFileSize / (1024LL * 1024)) + " MB");
    const std::optional<FoundSkin> skin = FindSkinInPicture(*image);
    if (!skin)
        return Failure(2, picturePath +
                              " has no see-through area enclosed by an opaque frame to be the "
                              "display (see-through: transparent pixels, or in a picture "
                              "without transparency the colour of its top-left pixel)");

    std::filesystem::path inf = picture;
    inf.replace_extension(".inf");
    const std::string name = picture.filename().string();
    const std::string text = SkinFileText(name, *skin);
    FileWriteOptions options;
    options.Mode = WriteMode::KeepExisting;
    const WriteResult written =
        WriteFileAtomically(inf.string(), text.data(), text.size(), options);
    switch (written.Outcome) {
    case WriteOutcome::NameTaken:
        return Failure(1, inf.string() + " exists already and is left as it is");
    case WriteOutcome::Failed:
        return Failure(1, "cannot write " + inf.string() + ": " + written.Reason);
    case WriteOutcome::Written:
        break;
    }
    const SkinRect& s = skin->Shot;
    const std::string spots = Described(skin->Close, "close") +
                              Described(skin->Save, "Quick Save") +
                              Described(skin->SaveAs, "Save As");
    return {0,
            "Wrote " + inf.string() + "\nDisplay: " + std::to_string(s.Right - s.Left) + " x " +
                std::to_string(s.Bottom - s.Top) + " pixels at (" + std::to_string(s.Left) + ", " +
                std::to_string(s.Top) + ")\nHot spots: " +
                (spots.empty() ? "none (use the menu, Ctrl+S and Ctrl+Shift+S)" : spots.substr(2)) +
                "\nTo use it, put " + inf.filename().string() + " and " + name + " into " +
                skinsFolder + "\n"};
}
