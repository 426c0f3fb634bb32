// SPDX-License-Identifier: MIT

#include "skin/SkinCatalogue.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool EndsWithInf(const std::string& name) {
    if (name.size() < 4)
        return false;
    const std::string ext = name.substr(name.size() - 4);
    return ext[0] == '.' && (ext[1] | 0x20) == 'i' && (ext[2] | 0x20) == 'n' &&
           (ext[3] | 0x20) == 'f';
}

// Adds the plain, non-hidden "*.inf" files of a folder to the first 30 names in sorted
// order, whatever order the folder lists them in; a name already there now comes from
// this folder.
void ListSkinFiles(std::map<std::string, std::string>& first, const std::string& folder) {
    if (folder.empty())
        return;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !EndsWithInf(name))
            continue;
        if (first.size() == MaxSkinFiles && !(name <= first.rbegin()->first))
            continue;
        first.insert_or_assign(std::move(name), folder);
        if (first.size() > MaxSkinFiles)
            first.erase(std::prev(first.end()));
    }
}

std::int16_t ListSkinFiles(SkinCatalogue& catalogue, const std::string& skinsFolder,
                           const std::string& userFolder) {
    std::map<std::string, std::string> first;
    ListSkinFiles(first, skinsFolder);
    ListSkinFiles(first, userFolder);
    std::int16_t count = 0;
    for (auto& [name, folder] : first) {
        ++count;
        catalogue.Names[count] = name;
        catalogue.Folders[count] = folder;
    }
    return count;
}

void SortNames(SkinCatalogue& catalogue, const std::string* currentName) {
    auto& names = catalogue.Names;
    for (int i = 1; i <= catalogue.Count; ++i) {
        for (int j = i; j <= catalogue.Count; ++j)
            if (names[i] > names[j]) {
                std::swap(names[i], names[j]);
                std::swap(catalogue.Folders[i], catalogue.Folders[j]);
            }
        if (currentName && names[i] == *currentName)
            catalogue.Current = static_cast<std::int16_t>(i);
    }
}

} // namespace

void BuildSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder,
                   const std::string& userFolder) {
    catalogue.Count = 0;
    catalogue.Names[0] = "Default";
    catalogue.Current = 0;
    catalogue.Count = ListSkinFiles(catalogue, skinsFolder, userFolder);
    SortNames(catalogue, nullptr);
}

void RefreshSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder,
                     const std::string& userFolder) {
    const std::int16_t oldCount = catalogue.Count;
    const std::string currentName = catalogue.Names[catalogue.Current];
    catalogue.Count = ListSkinFiles(catalogue, skinsFolder, userFolder);
    for (int k = catalogue.Count + 1; k <= oldCount; ++k) {
        catalogue.Names[k].clear();
        catalogue.Folders[k].clear();
    }
    SortNames(catalogue, &currentName);
}
