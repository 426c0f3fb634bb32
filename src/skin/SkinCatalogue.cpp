#include "skin/SkinCatalogue.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool EndsWithInf(const std::string& name) {
    if (name.size() < 4)
        return false;
    const std::string ext = name.substr(name.size() - 4);
    return ext[0] == '.' && (ext[1] | 0x20) == 'i' && (ext[2] | 0x20) == 'n' &&
           (ext[3] | 0x20) == 'f';
}

// Lists the first 30 plain, non-hidden "*.inf" files in sorted order into Names[1..],
// whatever order the folder lists them in.
std::int16_t ListSkinFiles(SkinCatalogue& catalogue, const std::string& skinsFolder) {
    std::vector<std::string> first; // a max-heap of the smallest names seen
    std::error_code ec;
    fs::directory_iterator it(fs::path(skinsFolder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !EndsWithInf(name))
            continue;
        if (first.size() == MaxSkinFiles && !(name < first.front()))
            continue;
        first.push_back(std::move(name));
        std::push_heap(first.begin(), first.end());
        if (first.size() > MaxSkinFiles) {
            std::pop_heap(first.begin(), first.end());
            first.pop_back();
        }
    }
    std::int16_t count = 0;
    for (std::string& name : first)
        catalogue.Names[++count] = std::move(name);
    return count;
}

void SortNames(SkinCatalogue& catalogue, const std::string* currentName) {
    auto& names = catalogue.Names;
    for (int i = 1; i <= catalogue.Count; ++i) {
        for (int j = i; j <= catalogue.Count; ++j)
            if (names[i] > names[j])
                std::swap(names[i], names[j]);
        if (currentName && names[i] == *currentName)
            catalogue.Current = static_cast<std::int16_t>(i);
    }
}

} // namespace

void BuildSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder) {
    catalogue.Count = 0;
    catalogue.Names[0] = "Default";
    catalogue.Current = 0;
    catalogue.Count = ListSkinFiles(catalogue, skinsFolder);
    SortNames(catalogue, nullptr);
}

void RefreshSkinList(SkinCatalogue& catalogue, const std::string& skinsFolder) {
    const std::int16_t oldCount = catalogue.Count;
    const std::string currentName = catalogue.Names[catalogue.Current];
    catalogue.Count = ListSkinFiles(catalogue, skinsFolder);
    for (int k = catalogue.Count + 1; k <= oldCount; ++k)
        catalogue.Names[k].clear();
    SortNames(catalogue, &currentName);
}
