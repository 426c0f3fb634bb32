// SPDX-License-Identifier: MIT

#include "menus/cPopupMenu.h"

#include "text/Text.h"

std::int32_t cPopupMenu::Popup(const std::vector<MenuValue>& items, std::optional<ScreenPoint> at) {
    const ScreenPoint place = at ? *at : service_.CursorPos();
    menus_.clear();
    const MenuLevel* top = Build(items, 0);
    const std::int32_t chosen = service_.TrackPopupMenu(*top, place);
    menus_.clear();
    depth_ = 0;
    nextId_ = 0;
    return chosen;
}

const MenuLevel* cPopupMenu::Build(const std::vector<MenuValue>& list, std::size_t first) {
    menus_.push_back(std::make_unique<MenuLevel>());
    MenuLevel* menu = menus_.back().get();
    for (std::size_t i = first; i < list.size(); ++i) {
        const MenuValue& value = list[i];
        ++nextId_;
        using Kind = MenuLevel::Kind;
        if (value.Type == MenuValue::Kind::List) {
            ++depth_;
            nextId_ *= SubMenuFactor;
            const MenuLevel* sub = Build(value.Items, 1);
            const bool captioned =
                !value.Items.empty() && value.Items[0].Type == MenuValue::Kind::Text;
            menu->Entries.push_back({Kind::SubMenu, captioned ? value.Items[0].Text : "", 0, sub});
            --depth_;
            nextId_ /= SubMenuFactor;
        } else if (value.Type == MenuValue::Kind::Text) {
            const std::string& text = value.Text;
            if (!value.Literal && TrimBlanks(text) == "-")
                menu->Entries.push_back({Kind::Separator, "", 0, nullptr});
            else if (!value.Literal && !text.empty() && text.front() == '*')
                menu->Entries.push_back({Kind::CheckedItem, text.substr(1), nextId_, nullptr});
            else if (!text.empty())
                menu->Entries.push_back({Kind::Item, text, nextId_, nullptr});
        }
    }
    return menu;
}
