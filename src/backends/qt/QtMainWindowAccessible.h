// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessibleWidget>
#include <vector>

class QtMainWindow;

// The main window for assistive technology: its children are the skin's hot spots.
class QtMainWindowAccessible : public QAccessibleWidget {
  public:
    explicit QtMainWindowAccessible(QtMainWindow* window);

    // Made for the main window by Qt's accessibility, for any other object nothing.
    static QAccessibleInterface* Factory(const QString& className, QObject* object);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    // The window's hot spots changed: the children are made anew when next asked for.
    void ButtonsChanged();

  private:
    QtMainWindow* Window() const;

    mutable std::vector<QAccessible::Id> children_; // made on demand, 0 until then
};
