// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IDialogs.h"
#include "platform/IPictureCodec.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinLayout.h"

#include <cstdint>
#include <string>

// What loading a skin reads and writes, held by the main window.
struct SkinContext {
    SkinLayout& Layout;
    SkinCatalogue& Catalogue;
    Picture& Picture1;       // staging holder of the picture being loaded
    const Picture& Picture2; // the built-in picture
    IPictureCodec& Codec;
    IDialogs& Dialogs;
    std::string SkinsFolder; // the program's, for skins listed without a folder; ends with
                             // the path separator
    double TwipsPerPixelX = 15;
    double TwipsPerPixelY = 15;
};

// Makes skin n of the catalogue current: the built-in skin for 0, otherwise the file
// Names[n]. A file that cannot be used in full gives the built-in skin and one message.
void LoadSkin(std::int16_t n, SkinContext& context);

// True when a picture of this size fits the window's 16-bit twips fields.
bool FitsWindow(const Image& image, double twipsPerPixelX, double twipsPerPixelY);
