// SPDX-License-Identifier: MIT

#include "backends/layer/LiveMenuService.h"

#include "backends/layer/LayerSurface.h"
#include "backends/layer/PopupSurface.h"
#include "backends/layer/WaylandClient.h"
#include "backends/qt/QtMenuService.h"

#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QPainter>
#include <QStyle>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cctype>

namespace {

bool Selectable(const QAction* action) {
    return action && !action->isSeparator() && action->isEnabled() && action->isVisible();
}

// The letter after a lone '&' of the caption, lower case; 0 when there is none.
char Mnemonic(const QString& caption) {
    for (qsizetype k = 0; k + 1 < caption.size(); ++k) {
        if (caption[k] != '&')
            continue;
        if (caption[k + 1] == '&') {
            ++k;
            continue;
        }
        return caption[k + 1].toLower().toLatin1();
    }
    return 0;
}

// The menu as Qt paints it, one picture pixel to a device pixel at the output's scale.
QImage Picture(QMenu& menu, int scale) {
    menu.ensurePolished();
    menu.resize(menu.sizeHint());
    QImage picture(menu.size() * scale, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    menu.render(&painter);
    painter.end();
    picture.setDevicePixelRatio(1);
    return picture;
}

class MenuTracker;

// What the seat tells one level's popup, as desktop points; and the keys of the grab.
class LevelInput : public ISurfaceInput {
  public:
    LevelInput(MenuTracker& tracker, const PopupSurface* surface)
        : tracker_(tracker), surface_(surface) {}
    void PointerEnter(double x, double y) override;
    void PointerMotion(double x, double y) override;
    void PointerButton(std::uint32_t button, bool pressed) override;
    void PointerLeave() override;
    void KeyPress(std::uint32_t keysym, std::uint32_t keycode) override;

  private:
    MenuTracker& tracker_;
    const PopupSurface* surface_;
    QPoint last_;
};

// One open menu: its levels from the top one down to the deepest open sub-menu.
class MenuTracker {
  public:
    MenuTracker(WaylandClient& client, LayerSurface& phone, const MenuLevel& menu)
        : client_(client), phone_(phone), keys_(*this, nullptr) {
        root_.setObjectName("TarvikMenu");
        QtMenuService::Fill(root_, menu);
    }

    std::int32_t Run(QPoint at) {
        // The menu is a popup of the phone, on its output.
        const WaylandOutput* output = phone_.Output();
        if (!output || !phone_.Layer() || !client_.WmBase())
            return 0;
        scale_ = output->Scale;
        screen_ = output->Device();
        client_.SetGrab(
            [this](wl_surface* surface) {
                for (const Level& level : levels_)
                    if (level.Surface->Surface() == surface)
                        return true;
                return false;
            },
            [this] { Finish(0); }, &keys_);
        // The keys come through the surface of ours that has them; else one takes them.
        if (!client_.HasKeyboard()) {
            keyboard_ = std::make_unique<LayerSurface>(client_, LayerSurface::Keyboard::Exclusive,
                                                       "tarvik-menu-keys");
            keyboard_->SetInput(&keys_);
            QImage dot(1, 1, QImage::Format_ARGB32_Premultiplied);
            dot.fill(Qt::transparent);
            keyboard_->Show(dot, screen_.topLeft(), QRegion());
        }
        const QImage picture = Picture(root_, scale_);
        QPoint place = at;
        // Flipped left or up where it would run off the output, and kept on it.
        if (place.x() + picture.width() > screen_.right() + 1)
            place.rx() -= picture.width();
        if (place.y() + picture.height() > screen_.bottom() + 1)
            place.ry() -= picture.height();
        Open(root_, picture, Clamp(place, picture.size()));
        loop_.exec();
        CloseBelow(-1);
        keyboard_.reset();
        client_.ClearGrab();
        client_.Flush();
        return result_;
    }

    // The pointer left a level: the deepest one loses its highlight, unless it opened a
    // sub-menu.
    void Left() {
        if (!levels_.empty())
            Select(static_cast<int>(levels_.size()) - 1, nullptr);
    }

    void Motion(QPoint p) {
        const int k = LevelAt(p);
        if (k < 0) {
            // Off the menus: the deepest level loses its highlight, unless it opened a
            // sub-menu.
            Select(static_cast<int>(levels_.size()) - 1, nullptr);
            return;
        }
        QAction* action = ItemAt(k, p);
        if (!action)
            return; // a separator or the frame keep what is highlighted
        if (action == levels_[k].Menu->activeAction()) {
            CloseBelow(action->menu() ? k + 1 : k);
            return;
        }
        CloseBelow(k);
        Select(k, action);
        if (action->menu())
            OpenSub(k, action);
    }

    void Button(std::uint32_t button, bool pressed, QPoint p) {
        static_cast<void>(button);
        const int k = LevelAt(p);
        if (pressed) {
            pressed_ = true;
            if (k < 0)
                Finish(0);
            return;
        }
        // The release of a press made before the menu opened chooses nothing.
        if (!pressed_ || k < 0)
            return;
        if (QAction* action = ItemAt(k, p))
            Activate(k, action, Entry::Pointer);
    }

    void Key(std::uint32_t keysym) {
        const int k = static_cast<int>(levels_.size()) - 1;
        QMenu& menu = *levels_[k].Menu;
        QAction* current = menu.activeAction();
        switch (keysym) {
        case XKB_KEY_Up:
        case XKB_KEY_KP_Up:
            Select(k, Step(menu, -1));
            break;
        case XKB_KEY_Down:
        case XKB_KEY_KP_Down:
            Select(k, Step(menu, 1));
            break;
        case XKB_KEY_Right:
        case XKB_KEY_KP_Right:
            if (Selectable(current) && current->menu())
                Activate(k, current, Entry::Keyboard);
            break;
        case XKB_KEY_Left:
        case XKB_KEY_KP_Left:
            if (k > 0)
                CloseBelow(k - 1);
            break;
        case XKB_KEY_Escape:
            if (k > 0)
                CloseBelow(k - 1);
            else
                Finish(0);
            break;
        case XKB_KEY_Return:
        case XKB_KEY_KP_Enter:
        case XKB_KEY_space:
            if (Selectable(current))
                Activate(k, current, Entry::Keyboard);
            break;
        default:
            if (keysym < 0x80)
                ByMnemonic(k, static_cast<char>(keysym));
            break;
        }
    }

    void Finish(std::int32_t id) {
        if (finished_)
            return;
        finished_ = true;
        result_ = id;
        loop_.quit();
    }

  private:
    struct Level {
        QMenu* Menu = nullptr;
        std::unique_ptr<PopupSurface> Surface;
        std::unique_ptr<LevelInput> Input;
        QPoint Asked; // the place asked for
        QSize Size;
        // Desktop device pixels, where the compositor put it.
        QRect Place() const { return {Surface->TopLeft(), Size}; }
    };

    void Draw(const Level& level, const QImage& picture) {
        const QRegion input(picture.rect());
        const auto k = &level - levels_.data();
        if (k == 0)
            level.Surface->Show(picture, level.Asked, input, phone_);
        else
            level.Surface->Show(picture, level.Asked, input, *levels_[k - 1].Surface);
    }

    QPoint Clamp(QPoint place, QSize size) const {
        place.setX(
            std::max(screen_.left(), std::min(place.x(), screen_.right() + 1 - size.width())));
        place.setY(
            std::max(screen_.top(), std::min(place.y(), screen_.bottom() + 1 - size.height())));
        return place;
    }

    void Open(QMenu& menu, const QImage& picture, QPoint place) {
        Level level;
        level.Menu = &menu;
        level.Asked = place;
        level.Size = picture.size();
        level.Surface = std::make_unique<PopupSurface>(client_, PopupSurface::Grab::Seat);
        level.Input = std::make_unique<LevelInput>(*this, level.Surface.get());
        level.Surface->SetInput(level.Input.get());
        level.Surface->Closed = [this] { Finish(0); };
        levels_.push_back(std::move(level));
        Draw(levels_.back(), picture);
    }

    // A sub-menu beside its item, its first item level with it; on the other side when it
    // would run off the output.
    void OpenSub(int k, QAction* action) {
        QMenu& sub = *action->menu();
        sub.setActiveAction(nullptr);
        const QImage picture = Picture(sub, scale_);
        const Level& parent = levels_[k];
        const QRect area = parent.Place();
        const QRect item = parent.Menu->actionGeometry(action);
        const int overlap = sub.style()->pixelMetric(QStyle::PM_SubMenuOverlap, nullptr, &sub);
        QPoint place =
            area.topLeft() + QPoint((item.right() + 1 + overlap) * scale_, item.top() * scale_);
        for (QAction* first : sub.actions())
            if (!first->isSeparator()) {
                place.ry() -= sub.actionGeometry(first).top() * scale_;
                break;
            }
        if (place.x() + picture.width() > screen_.right() + 1)
            place.setX(area.left() + (item.left() - overlap) * scale_ - picture.width());
        Open(sub, picture, Clamp(place, picture.size()));
    }

    // Keeps the levels down to k open.
    void CloseBelow(int k) {
        while (static_cast<int>(levels_.size()) > k + 1) {
            levels_.back().Menu->setActiveAction(nullptr);
            levels_.pop_back();
        }
    }

    void Select(int k, QAction* action) {
        if (k < 0)
            return;
        Level& level = levels_[k];
        if (!action && k + 1 < static_cast<int>(levels_.size()))
            return; // its open sub-menu keeps the item lit
        if (level.Menu->activeAction() == action)
            return;
        level.Menu->setActiveAction(action);
        Draw(level, Picture(*level.Menu, scale_));
    }

    // A sub-menu opened from the keyboard has its first item lit.
    enum class Entry { Pointer, Keyboard };
    void Activate(int k, QAction* action, Entry entry) {
        if (!action->menu()) {
            Finish(action->data().toInt());
            return;
        }
        const bool open =
            k + 1 < static_cast<int>(levels_.size()) && levels_[k + 1].Menu == action->menu();
        if (!open) {
            CloseBelow(k);
            Select(k, action);
            OpenSub(k, action);
        }
        if (entry == Entry::Keyboard)
            Select(k + 1, Step(*action->menu(), 1));
    }

    // The next selectable item after the highlighted one, round the end.
    static QAction* Step(QMenu& menu, int direction) {
        const QList<QAction*> actions = menu.actions();
        const auto n = actions.size();
        if (n == 0)
            return nullptr;
        qsizetype k = actions.indexOf(menu.activeAction());
        if (k < 0)
            k = direction > 0 ? -1 : n;
        for (qsizetype step = 0; step < n; ++step) {
            k = ((k + direction) % n + n) % n;
            if (Selectable(actions[k]))
                return actions[k];
        }
        return nullptr;
    }

    // A letter chooses the item it is the mnemonic of; several items with it take turns.
    void ByMnemonic(int k, char key) {
        if (!std::isalnum(static_cast<unsigned char>(key)))
            return;
        key = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
        QMenu& menu = *levels_[k].Menu;
        std::vector<QAction*> matches;
        for (QAction* action : menu.actions())
            if (Selectable(action) && Mnemonic(action->text()) == key)
                matches.push_back(action);
        if (matches.size() == 1) {
            Activate(k, matches.front(), Entry::Keyboard);
        } else if (!matches.empty()) {
            auto at = std::find(matches.begin(), matches.end(), menu.activeAction());
            Select(k, at == matches.end() || at + 1 == matches.end() ? matches.front() : *(at + 1));
        }
    }

    int LevelAt(QPoint p) const {
        for (int k = static_cast<int>(levels_.size()) - 1; k >= 0; --k)
            if (levels_[k].Place().contains(p))
                return k;
        return -1;
    }

    QAction* ItemAt(int k, QPoint p) const {
        const Level& level = levels_[k];
        const QPoint local = (p - level.Place().topLeft()) / scale_;
        QAction* action = level.Menu->actionAt(local);
        return Selectable(action) ? action : nullptr;
    }

    WaylandClient& client_;
    LayerSurface& phone_;
    LevelInput keys_;
    std::unique_ptr<LayerSurface> keyboard_;
    QMenu root_;
    std::vector<Level> levels_;
    QEventLoop loop_;
    QRect screen_;
    int scale_ = 1;
    bool pressed_ = false;
    bool finished_ = false;
    std::int32_t result_ = 0;
};

// The keys' own input has no surface and is never under the pointer.
void LevelInput::PointerEnter(double x, double y) {
    if (surface_)
        last_ = surface_->ToDesktop(x, y);
}

void LevelInput::PointerMotion(double x, double y) {
    if (!surface_)
        return;
    last_ = surface_->ToDesktop(x, y);
    tracker_.Motion(last_);
}

void LevelInput::PointerButton(std::uint32_t button, bool pressed) {
    if (surface_)
        tracker_.Button(button, pressed, last_);
}

void LevelInput::PointerLeave() {
    if (surface_)
        tracker_.Left();
}

void LevelInput::KeyPress(std::uint32_t keysym, std::uint32_t) {
    tracker_.Key(keysym);
}

} // namespace

ScreenPoint LiveMenuService::CursorPos() const {
    const QPoint p = cursor_ ? cursor_() : QPoint();
    return {p.x(), p.y()};
}

std::int32_t LiveMenuService::TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) {
    MenuTracker tracker(client_, phone_, menu);
    return tracker.Run(QPoint(at.X, at.Y));
}
