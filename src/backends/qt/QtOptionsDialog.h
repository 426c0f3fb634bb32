// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IOptionsListener.h"
#include "platform/IOptionsView.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

// The options dialog's view: every control at its place; edits go to the listener.
class QtOptionsDialog : public QDialog, public IOptionsView {
    Q_OBJECT
  public:
    QtOptionsDialog(IOptionsListener& listener, QWidget* owner);

    void Refresh(const OptionControls& controls) override;
    void RunModal() override;
    void Close() override;
    std::string PickFolder(const std::string& start) override;

    QSlider* Slider1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QPushButton* btnOk;
    QPushButton* btnApply;
    QPushButton* btnCancel;
    QPushButton* btnDefault;
    QPushButton* btnBrowse;
    QPushButton* Command1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    IOptionsListener& listener_;
    bool closing_ = false;
};
