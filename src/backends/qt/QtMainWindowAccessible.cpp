// SPDX-License-Identifier: MIT

#include "backends/qt/QtMainWindowAccessible.h"

#include "backends/qt/QtHotSpotAccessible.h"
#include "backends/qt/QtMainWindow.h"

QtMainWindowAccessible::QtMainWindowAccessible(QtMainWindow* window)
    : QAccessibleWidget(window, QAccessible::Window) {}

QAccessibleInterface* QtMainWindowAccessible::Factory(const QString& className, QObject* object) {
    if (className == QLatin1String(QtMainWindow::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QtMainWindowAccessible(static_cast<QtMainWindow*>(object));
    return nullptr;
}

QtMainWindow* QtMainWindowAccessible::Window() const {
    return static_cast<QtMainWindow*>(widget());
}

int QtMainWindowAccessible::childCount() const {
    return static_cast<int>(Window()->Buttons().size());
}

QAccessibleInterface* QtMainWindowAccessible::child(int index) const {
    const auto& buttons = Window()->Buttons();
    if (index < 0 || index >= static_cast<int>(buttons.size()))
        return nullptr;
    children_.resize(buttons.size(), 0);
    QAccessible::Id& id = children_[static_cast<std::size_t>(index)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(
            new QtHotSpotAccessible(Window(), buttons[static_cast<std::size_t>(index)]));
    return QAccessible::accessibleInterface(id);
}

int QtMainWindowAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (children_[i] != 0 && QAccessible::accessibleInterface(children_[i]) == child)
            return static_cast<int>(i);
    return -1;
}

QAccessibleInterface* QtMainWindowAccessible::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i)
        if (QAccessibleInterface* button = child(i); button && button->rect().contains(x, y))
            return button;
    return nullptr;
}

void QtMainWindowAccessible::ButtonsChanged() {
    for (const QAccessible::Id id : children_)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
    children_.clear();
    QAccessibleEvent event(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}
