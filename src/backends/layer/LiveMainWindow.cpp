// SPDX-License-Identifier: MIT

#include "backends/layer/LiveMainWindow.h"

#include "backends/qt/QtConvert.h"
#include "platform/IMainWindowListener.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QPainter>
#include <QStyleHints>
#include <QWidget>

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon-keysyms.h>

namespace {

constexpr double Twips = 15.0; // per device pixel, as the screen counts them

// xkb key codes of the digit row, 1 to 9 then 0, on the usual keyboards.
constexpr std::uint32_t Digit1Code = 10;
constexpr std::uint32_t Digit0Code = 19;

std::int16_t ButtonCode(std::uint32_t button) {
    switch (button) {
    case BTN_LEFT:
        return Mouse::Left;
    case BTN_RIGHT:
        return Mouse::Right;
    case BTN_MIDDLE:
        return Mouse::Middle;
    default:
        return 0;
    }
}

// The Key code the listener acts on, as the other main windows map theirs; 0 for others.
std::int16_t KeyCode(std::uint32_t sym, std::uint32_t code) {
    switch (sym) {
    case XKB_KEY_F1:
        return Key::F1;
    case XKB_KEY_F10:
        return Key::F10;
    case XKB_KEY_Prior:
    case XKB_KEY_KP_Prior:
        return Key::PageUp;
    case XKB_KEY_Next:
    case XKB_KEY_KP_Next:
        return Key::PageDown;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
        return Key::Left;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        return Key::Up;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
        return Key::Right;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        return Key::Down;
    case XKB_KEY_Menu:
        return Key::Apps;
    default:
        break;
    }
    if (sym >= XKB_KEY_a && sym <= XKB_KEY_z)
        return static_cast<std::int16_t>('A' + (sym - XKB_KEY_a));
    if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z)
        return static_cast<std::int16_t>('A' + (sym - XKB_KEY_A));
    // Digits count from the row above the letters, whatever Shift makes them type.
    if (code >= Digit1Code && code <= Digit0Code)
        return static_cast<std::int16_t>(
            code == Digit0Code ? Key::Digit0 : Key::Digit0 + 1 + (code - Digit1Code));
    return 0;
}

} // namespace

// Qt's windows here are the dialogs and message boxes. While one is shown the phone goes
// below the desktop's windows, where it would otherwise cover a dialog placed over it.
class LiveMainWindow::DialogWatch : public QObject {
  public:
    explicit DialogWatch(LayerSurface& phone) : phone_(phone) { qApp->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        const auto type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && object->isWidgetType() &&
            static_cast<QWidget*>(object)->isWindow())
            QMetaObject::invokeMethod(
                this, [this] { Update(); }, Qt::QueuedConnection);
        return false;
    }

  private:
    void Update() {
        bool shown = false;
        for (const QWidget* widget : QApplication::topLevelWidgets())
            shown = shown || widget->isVisible();
        phone_.SetLevel(shown ? LayerSurface::Level::Below : LayerSurface::Level::Above);
    }
    LayerSurface& phone_;
};

LiveMainWindow::LiveMainWindow(WaylandClient& client)
    : client_(client), phone_(client, LayerSurface::Keyboard::OnDemand, "tarvik"),
      dialogs_(std::make_unique<DialogWatch>(phone_)) {
    phone_.SetInput(this);
    phone_.Closed = [this] { Rehome(); };
    // An output that went may have taken the phone; one that came may give it a home.
    client_.OutputsChanged = [this] {
        const QPoint centre = position_ + QPoint(size_.width(), size_.height()) / 2;
        const WaylandOutput* output = client_.OutputAt(centre);
        if (visible_ && (!phone_.Shown() || !output || !output->Device().contains(centre)))
            Rehome();
    };
    client_.Lost = [this] { Close(); };
}

LiveMainWindow::~LiveMainWindow() {
    client_.OutputsChanged = nullptr;
    client_.Lost = nullptr;
}

double LiveMainWindow::Left() const {
    return PixelsToTwips(position_.x(), Twips);
}
double LiveMainWindow::Top() const {
    return PixelsToTwips(position_.y(), Twips);
}
double LiveMainWindow::Width() const {
    return PixelsToTwips(size_.width(), Twips);
}
double LiveMainWindow::Height() const {
    return PixelsToTwips(size_.height(), Twips);
}

void LiveMainWindow::Move(double left, double top) {
    position_ = QPoint(TwipsToPixels(left, Twips), TwipsToPixels(top, Twips));
    if (visible_)
        phone_.Move(position_);
}

void LiveMainWindow::Resize(double width, double height) {
    size_ = QSize(TwipsToPixels(width, Twips), TwipsToPixels(height, Twips));
}

void LiveMainWindow::SetPicture(const Picture& picture) {
    picture_ = picture;
    Redraw();
}

void LiveMainWindow::SetRegion(const Region& region) {
    region_ = ToQRegion(region);
    Redraw();
}

// The face: the skin's pixels inside the outline, see-through (alpha 0) outside it.
void LiveMainWindow::Redraw() {
    const QImage skin = WrapPicture(picture_);
    if (skin.isNull())
        return;
    face_ = QImage(skin.size(), QImage::Format_ARGB32_Premultiplied);
    face_.fill(Qt::transparent);
    QPainter painter(&face_);
    painter.setClipRegion(region_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, skin);
    painter.end();
    if (visible_)
        phone_.Show(face_, position_, region_);
}

void LiveMainWindow::SetPointer(PointerShape shape) {
    client_.SetCursor(shape == PointerShape::Hand ? WaylandClient::Cursor::Hand
                                                  : WaylandClient::Cursor::Arrow);
}

void LiveMainWindow::Show() {
    visible_ = true;
    if (!face_.isNull())
        phone_.Show(face_, position_, region_);
}

void LiveMainWindow::Hide() {
    visible_ = false;
    hovering_ = false;
    LetGo();
    phone_.Hide();
}

void LiveMainWindow::Close() {
    if (closed_)
        return;
    closed_ = true;
    events_.Unload();
    Hide();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void LiveMainWindow::Later(std::function<void()> task) {
    QMetaObject::invokeMethod(&tasks_, std::move(task), Qt::QueuedConnection);
}

void LiveMainWindow::Rehome() {
    if (!visible_ || closed_)
        return;
    // Onto the output nearest to where the phone was, whole if it fits.
    const QPoint centre = position_ + QPoint(size_.width(), size_.height()) / 2;
    WaylandOutput* output = client_.OutputAt(centre);
    if (!output)
        return; // shown again when an output comes
    const QRect area = output->Device();
    position_.setX(std::clamp(position_.x(), area.left(),
                              std::max(area.left(), area.right() + 1 - size_.width())));
    position_.setY(std::clamp(position_.y(), area.top(),
                              std::max(area.top(), area.bottom() + 1 - size_.height())));
    phone_.Show(face_, position_, region_);
}

void LiveMainWindow::LetGo() {
    buttons_ = 0;
    phone_.HoldOutput(false);
}

bool LiveMainWindow::Blocked() const {
    return blocked_ || QApplication::activeModalWidget() || QApplication::activePopupWidget();
}

std::int16_t LiveMainWindow::ShiftState() const {
    const WaylandModifiers held = client_.Modifiers();
    return static_cast<std::int16_t>((held.Shift ? Modifier::Shift : 0) |
                                     (held.Ctrl ? Modifier::Ctrl : 0) |
                                     (held.Alt ? Modifier::Alt : 0));
}

QPointF LiveMainWindow::InTwips() const {
    const QPoint p = pointer_ - position_;
    return {p.x() * Twips, p.y() * Twips};
}

void LiveMainWindow::PointerEnter(double x, double y) {
    PointerMotion(x, y);
}

void LiveMainWindow::PointerDelta(double dx, double dy) {
    if (buttons_ == 0)
        return;
    const int scale = phone_.Output() ? phone_.Output()->Scale : 1;
    QRect desktop;
    for (const auto& output : client_.Outputs())
        desktop |= output->Device();
    // The pointer stops at the desktop's edge, as the compositor stops it.
    held_ += QPointF(dx * scale, dy * scale);
    held_.setX(std::clamp<double>(held_.x(), desktop.left(), desktop.right()));
    held_.setY(std::clamp<double>(held_.y(), desktop.top(), desktop.bottom()));
    heldMoved_ = true;
}

void LiveMainWindow::PointerMotion(double x, double y) {
    // The compositor measured from the place it had applied when it sent the event.
    pointer_ = buttons_ != 0 && heldMoved_ ? held_.toPoint() : phone_.ToDesktop(x, y);
    if (Blocked() || !visible_)
        return;
    hovering_ = true;
    const QPointF at = InTwips();
    events_.MouseMove(buttons_, ShiftState(), static_cast<float>(at.x()),
                      static_cast<float>(at.y()));
}

void LiveMainWindow::PointerLeave() {
    client_.SetCursor(WaylandClient::Cursor::Arrow);
    if (!hovering_)
        return;
    hovering_ = false;
    if (!Blocked())
        events_.MouseLeave();
}

void LiveMainWindow::PointerButton(std::uint32_t button, bool pressed) {
    const std::int16_t code = ButtonCode(button);
    if (code == 0 || !visible_)
        return;
    if (Blocked()) {
        LetGo();
        return;
    }
    const QPointF at = InTwips();
    const auto x = static_cast<float>(at.x());
    const auto y = static_cast<float>(at.y());
    if (!pressed) {
        if (!(buttons_ & code))
            return;
        buttons_ = static_cast<std::int16_t>(buttons_ & ~code);
        events_.MouseUp(code, ShiftState(), x, y);
        if (buttons_ == 0)
            phone_.HoldOutput(false);
        return;
    }
    if (buttons_ == 0) {
        held_ = pointer_;
        heldMoved_ = false;
        phone_.HoldOutput(true);
    }
    buttons_ = static_cast<std::int16_t>(buttons_ | code);
    const QStyleHints* hints = QGuiApplication::styleHints();
    const bool second = code == Mouse::Left && lastPress_.isValid() &&
                        lastPress_.elapsed() < hints->mouseDoubleClickInterval() &&
                        (pointer_ - lastPressAt_).manhattanLength() <= hints->startDragDistance();
    if (code == Mouse::Left) {
        if (second)
            lastPress_.invalidate();
        else
            lastPress_.start();
        lastPressAt_ = pointer_;
    }
    // The release after a double click comes as after any press; one that comes while the
    // double click's dialog is open finds the phone blocked.
    if (second)
        events_.DoubleClick(code, ShiftState(), x, y);
    else
        events_.MouseDown(code, ShiftState(), x, y);
}

void LiveMainWindow::KeyPress(std::uint32_t keysym, std::uint32_t keycode) {
    if (Blocked() || !visible_)
        return;
    events_.KeyDown(KeyCode(keysym, keycode), ShiftState());
}
