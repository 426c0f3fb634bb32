// SPDX-License-Identifier: MIT

#include "backends/qt/QtHotSpotAccessible.h"

#include "backends/qt/QtMainWindow.h"

#include <QRegularExpression>

QtHotSpotAccessible::QtHotSpotAccessible(QtMainWindow* window, AccessibleButton button)
    : window_(window), button_(std::move(button)) {}

bool QtHotSpotAccessible::isValid() const {
    return window_ != nullptr;
}

QObject* QtHotSpotAccessible::object() const {
    return nullptr; // drawn on the skin, not a widget of its own
}

QWindow* QtHotSpotAccessible::window() const {
    return window_ ? window_->windowHandle() : nullptr;
}

QVector<QPair<QAccessibleInterface*, QAccessible::Relation>>
QtHotSpotAccessible::relations(QAccessible::Relation) const {
    return {};
}

QAccessibleInterface* QtHotSpotAccessible::focusChild() const {
    return nullptr;
}

QAccessibleInterface* QtHotSpotAccessible::childAt(int, int) const {
    return nullptr;
}

QAccessibleInterface* QtHotSpotAccessible::parent() const {
    return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
}

QAccessibleInterface* QtHotSpotAccessible::child(int) const {
    return nullptr;
}

int QtHotSpotAccessible::childCount() const {
    return 0;
}

int QtHotSpotAccessible::indexOfChild(const QAccessibleInterface*) const {
    return -1;
}

QString QtHotSpotAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name)
        return QString::fromStdString(button_.Name);
    if (t == QAccessible::Description)
        return QString::fromStdString(button_.Description)
            .replace(QRegularExpression("\r\n|\r"), "\n");
    return {};
}

void QtHotSpotAccessible::setText(QAccessible::Text, const QString&) {}

QRect QtHotSpotAccessible::rect() const {
    if (!window_)
        return {};
    // Skin pixels are device pixels; Qt's rectangles are in its own scaled ones.
    const double ratio = window_->devicePixelRatioF();
    const QPoint origin = window_->mapToGlobal(QPoint(0, 0));
    return QRect(origin + QPoint(qRound(button_.Left / ratio), qRound(button_.Top / ratio)),
                 QSize(qRound(button_.Width / ratio), qRound(button_.Height / ratio)));
}

QAccessible::Role QtHotSpotAccessible::role() const {
    return QAccessible::Button;
}

QAccessible::State QtHotSpotAccessible::state() const {
    QAccessible::State state;
    if (!window_ || !window_->isVisible())
        state.invisible = true;
    return state;
}

void* QtHotSpotAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

QStringList QtHotSpotAccessible::actionNames() const {
    return {pressAction()};
}

void QtHotSpotAccessible::doAction(const QString& actionName) {
    if (window_ && actionName == pressAction())
        window_->PressButton(button_.Id);
}

QStringList QtHotSpotAccessible::keyBindingsForAction(const QString&) const {
    return {};
}
