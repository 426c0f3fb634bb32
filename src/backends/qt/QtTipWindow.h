#pragma once

#include "platform/ITipWindow.h"

#include <QLabel>
#include <QWidget>

class IScreen;

// A frameless tip window with no task-bar entry that never takes the keyboard focus.
class QtTipWindow : public QWidget, public ITipWindow {
    Q_OBJECT
  public:
    explicit QtTipWindow(const IScreen& screen);

    void MeasureText(const std::string& text, double& width, double& height) const override;
    void SetText(const std::string& text) override;
    void SetGeometry(double left, double top, double width, double height) override;
    void Show() override;
    void Hide() override;
    void Close() override;

  private:
    int Logical(double twips, double twipsPerPixel) const;

    const IScreen& screen_;
    QLabel* label_;
};
