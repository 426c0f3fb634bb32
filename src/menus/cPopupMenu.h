// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMenuService.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One value of a menu's item list: a text, a list (a sub-menu whose element 0 is its
// caption), or any other value, which takes a number but shows nothing.
struct MenuValue {
    enum class Kind { Text, List, Other };
    Kind Type = Kind::Other;
    std::string Text;
    std::vector<MenuValue> Items;
    bool Literal = false; // the text is the caption as it stands: no separator, no check mark

    MenuValue() = default;
    MenuValue(const char* text) : Type(Kind::Text), Text(text) {}
    MenuValue(std::string text) : Type(Kind::Text), Text(std::move(text)) {}
    MenuValue(std::vector<MenuValue> items) : Type(Kind::List), Items(std::move(items)) {}

    // A plain item whatever the text begins with; an empty text still shows nothing.
    static MenuValue Plain(std::string text) {
        MenuValue value(std::move(text));
        value.Literal = true;
        return value;
    }
};

// Builds a native popup menu from item values, shows it at the pointer (or at a given
// point) and returns the chosen item's number: top-level values are numbered 1, 2, ...;
// element j of a sub-menu numbered p is p * 100 + j. 0 when the menu is dismissed.
class cPopupMenu {
  public:
    static constexpr std::int32_t SubMenuFactor = 100;
    // The sub-menu number and the element of an item number.
    static constexpr std::int32_t SubMenuOf(std::int32_t id) { return id / SubMenuFactor; }
    static constexpr std::int32_t ElementOf(std::int32_t id) { return id % SubMenuFactor; }

    explicit cPopupMenu(IMenuService& service) : service_(service) {}

    std::int32_t Popup(const std::vector<MenuValue>& items,
                       std::optional<ScreenPoint> at = std::nullopt);

    std::int32_t NextId() const { return nextId_; }
    std::int32_t Depth() const { return depth_; }
    std::size_t MenuCount() const { return menus_.size(); }

  private:
    const MenuLevel* Build(const std::vector<MenuValue>& list, std::size_t first);

    IMenuService& service_;
    std::vector<std::unique_ptr<MenuLevel>> menus_;
    std::int32_t nextId_ = 0;
    std::int32_t depth_ = 0;
};
