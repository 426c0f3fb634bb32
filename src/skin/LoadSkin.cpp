// SPDX-License-Identifier: MIT

#include "skin/LoadSkin.h"

#include "skin/ParseRect.h"
#include "skin/ReadNextLine.h"
#include "text/Text.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace {

bool StartsWith(std::string_view line, std::string_view key) {
    return line.substr(0, key.size()) == key;
}

std::string_view ValueAfter(std::string_view line, std::string_view key) {
    return TrimBlanks(line.substr(key.size()));
}

// Reads the next data line, which must begin with key, and parses its rectangle.
bool ReadRect(std::istream& file, std::string_view key, SkinRect& target) {
    const std::string line = ReadNextLine(file);
    return StartsWith(line, key) && ParseRect(ValueAfter(line, key), target);
}

} // namespace

bool FitsWindow(const Image& image, double twipsPerPixelX, double twipsPerPixelY) {
    return image.Width > 0 && image.Height > 0 && image.Width * twipsPerPixelX <= 32767.0 &&
           image.Height * twipsPerPixelY <= 32767.0;
}

void LoadSkin(std::int16_t n, SkinContext& c) {
    c.Catalogue.Current = n;
    if (n == 0) {
        SetDefaultSkin(c.Layout, c.Catalogue, c.Picture2);
        return;
    }

    std::string message = "Error Opening " + c.SkinsFolder;
    const auto run = [&]() -> bool {
        if (n < 0 || n > MaxSkinFiles)
            return false;
        // A skin's picture lies beside its own file, whichever folder that is.
        const std::string& listed = c.Catalogue.Folders[n];
        const std::string folder = listed.empty() ? c.SkinsFolder : listed;
        const std::string path = folder + c.Catalogue.Names[n];
        message = "Error Opening " + path;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            return false;
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return false;

        message = "Error Parsing " + path;
        std::string line = ReadNextLine(file);
        if (!StartsWith(line, "image ="))
            return false;
        const std::string imagePath = folder + std::string(ValueAfter(line, "image ="));
        message = "Error Loading Image " + imagePath;
        c.Picture1 = c.Codec.LoadPicture(imagePath);
        if (!c.Picture1 || !FitsWindow(*c.Picture1, c.TwipsPerPixelX, c.TwipsPerPixelY))
            return false;

        message = "Error Parsing " + path;
        if (!ReadRect(file, "shot =", c.Layout.ShotRect) ||
            !ReadRect(file, "close =", c.Layout.CloseRect))
            return false;
        line = ReadNextLine(file);
        if (StartsWith(line, "about ="))
            line = ReadNextLine(file);
        if (!StartsWith(line, "save =") ||
            !ParseRect(ValueAfter(line, "save ="), c.Layout.SaveRect))
            return false;
        if (!ReadRect(file, "saveas =", c.Layout.SaveAsRect))
            return false;

        // A capture of the shot area is a picture, held to a picture's limits.
        const int width = c.Layout.ShotRect.Right - c.Layout.ShotRect.Left;
        const int height = c.Layout.ShotRect.Bottom - c.Layout.ShotRect.Top;
        if (width > MaxPictureSide || height > MaxPictureSide ||
            (width > 0 && height > 0 &&
             static_cast<long long>(width) * height > MaxPicturePixels)) {
            message = "Error Loading Image " + imagePath + "\r\nShot area of " +
                      std::to_string(width) + " x " + std::to_string(height) +
                      " pixels is too large";
            return false;
        }

        c.Layout.SkinImage = c.Picture1;
        c.Layout.ModeRect = AbsentRect;
        return true;
    };

    if (!run()) {
        SetDefaultSkin(c.Layout, c.Catalogue, c.Picture2);
        c.Dialogs.MessageBox(message + "\r\nSwitch to default skin");
    }
}
