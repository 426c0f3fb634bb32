// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr int MaxSkinFiles = 30;

// Names[0] is "Default", the built-in skin; Names[1..Count] the skin files, sorted.
// Folders[n] is the folder skin n was found in, ending with the path separator.
struct SkinCatalogue {
    std::array<std::string, MaxSkinFiles + 1> Names;
    std::array<std::string, MaxSkinFiles + 1> Folders;
    std::int16_t Count = 0;
    std::int16_t Current = 0;
};

// Builds the catalogue afresh from the "*.inf" files of skinsFolder and, when given,
// userFolder, listed together; a user's file takes the place of the program's of the
// same name. Both folders end with the path separator.
void BuildSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder,
                   const std::string& userFolder = {});

// Scans again; Current follows the current skin's name where it is still listed.
void RefreshSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder,
                     const std::string& userFolder = {});
