// SPDX-License-Identifier: MIT

#pragma once

#include "platform/ITipWindow.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

class IScreen;

// A frameless tip window with no task-bar entry that never takes the keyboard focus.
// A save notice's title is its text, on one line.
class QtTipWindow : public QWidget, public ITipWindow {
    Q_OBJECT
  public:
    enum class Role { Tip, Notice };
    explicit QtTipWindow(const IScreen& screen, Role role = Role::Tip);

    void MeasureText(const std::string& text, double& width, double& height) const override;
    void SetText(const std::string& text) override;
    void SetGeometry(double left, double top, double width, double height) override;
    void Show() override;
    void Hide() override;
    void HideAfter(int milliseconds) override;
    void Close() override;

  private:
    int Logical(double twips, double twipsPerPixel) const;

    const IScreen& screen_;
    const Role role_;
    QLabel* label_;
    QTimer hideTimer_;
};
