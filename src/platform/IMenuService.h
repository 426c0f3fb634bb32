// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One native popup menu level.
struct MenuLevel {
    enum class Kind { Item, CheckedItem, Separator, SubMenu };
    struct Entry {
        Kind Type = Kind::Item;
        std::string Caption;
        std::int32_t Id = 0;            // items only
        const MenuLevel* Sub = nullptr; // sub-menus only
    };
    std::vector<Entry> Entries;
};

struct ScreenPoint {
    int X = 0;
    int Y = 0;
};

class IMenuService {
  public:
    virtual ~IMenuService() = default;
    // The pointer's position on the desktop, in screen (device) pixels, as the menu's place.
    virtual ScreenPoint CursorPos() const = 0;
    // Shows the menu with its top-left corner at the point and blocks until it closes:
    // the chosen item's id, or 0 when it was dismissed.
    virtual std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) = 0;
};
