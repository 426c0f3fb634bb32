// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IMainWindow.h"

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class QtMainWindow;

// One hot spot of the main window as assistive technology sees it: a button with the hot
// spot's name, its tip as the description, and a press action.
class QtHotSpotAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    QtHotSpotAccessible(QtMainWindow* window, AccessibleButton button);

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QVector<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

  private:
    QPointer<QtMainWindow> window_;
    AccessibleButton button_;
};
