#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr int MaxSkinFiles = 30;

// Names[0] is "Default", the built-in skin; Names[1..Count] the skin files, sorted.
struct SkinCatalogue {
    std::array<std::string, MaxSkinFiles + 1> Names;
    std::int16_t Count = 0;
    std::int16_t Current = 0;
};

// Builds the catalogue afresh from the "*.inf" files of skinsFolder.
void BuildSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder);

// Scans again; Current follows the current skin's name where it is still listed.
void RefreshSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder);
