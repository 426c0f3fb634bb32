// SPDX-License-Identifier: MIT

// The popup numbering on menus built from bytes: every item a menu shows has a distinct
// number, it is the number the builder returns for it, and nothing outlives the call.
#include "menus/cPopupMenu.h"

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

class Recorder : public IMenuService {
  public:
    ScreenPoint CursorPos() const override { return {}; }
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint) override {
        ids.clear();
        Collect(menu);
        return ids.empty() ? 0 : *ids.rbegin();
    }
    void Collect(const MenuLevel& level) {
        for (const auto& e : level.Entries) {
            if (e.Type == MenuLevel::Kind::SubMenu)
                Collect(*e.Sub);
            else if (e.Type != MenuLevel::Kind::Separator && !ids.insert(e.Id).second)
                std::abort(); // two items with one number
        }
    }
    std::set<std::int32_t> ids;
};

// Reads a list of values: each byte picks a kind; lists nest at most three deep and hold
// at most 99 values, as callers keep them.
std::vector<MenuValue> ReadList(const std::uint8_t*& p, const std::uint8_t* end, int depth,
                                bool sub) {
    std::vector<MenuValue> list;
    if (sub)
        list.emplace_back("caption");
    while (p < end && list.size() < 99) {
        const std::uint8_t op = *p++;
        switch (op % 8) {
        case 0:
            list.emplace_back(std::string("-"));
            break;
        case 1:
            list.emplace_back(std::string("*checked"));
            break;
        case 2:
            list.emplace_back(std::string());
            break;
        case 3:
            list.emplace_back(MenuValue());
            break;
        case 4:
            if (depth < 3)
                list.emplace_back(ReadList(p, end, depth + 1, true));
            break;
        case 5:
            return list;
        default:
            list.emplace_back(std::string(1 + op % 5, 'a'));
            break;
        }
    }
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* p = data;
    const std::vector<MenuValue> items = ReadList(p, data + size, 0, false);
    if (items.size() > 9)
        return 0; // four levels of 100 must fit 32 bits: keep the top level short
    Recorder service;
    cPopupMenu menu(service);
    const std::int32_t chosen = menu.Popup(items);
    if ((chosen != 0) != !service.ids.empty() || menu.MenuCount() != 0 || menu.NextId() != 0 ||
        menu.Depth() != 0)
        std::abort();
    return 0;
}
