// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IAboutListener.h"
#include "platform/IAboutView.h"

#include <QDialog>
#include <QLabel>

// A label that reports clicks.
class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The about box's view: borderless, its labels at their places; a click on a link opens
// it, a click anywhere else closes the box.
class QtAboutBox : public QDialog, public IAboutView {
    Q_OBJECT
  public:
    QtAboutBox(IAboutListener& listener, QWidget* owner);

    void Show(const AboutTexts& texts) override;
    void Close() override;

    ClickLabel* Label1;
    ClickLabel* Label2;
    ClickLabel* Label3;
    ClickLabel* Label4;
    ClickLabel* lblDescription;
    ClickLabel* lblTitle;
    ClickLabel* lblVersion;
    ClickLabel* Picture1;
    ClickLabel* picIcon;

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    IAboutListener& listener_;
};
