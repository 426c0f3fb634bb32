// SPDX-License-Identifier: MIT

#include "backends/qt/QtOptionsDialog.h"

#include "settings/OptionsLayout.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

namespace {

namespace L = OptionsLayout;

template <typename W, typename... Args>
W* Place(QWidget* parent, const ControlPlace& at, Args&&... args) {
    W* widget = new W(std::forward<Args>(args)..., parent);
    widget->setGeometry(at.Left, at.Top, at.Width, at.Height);
    return widget;
}

template <typename W> W* Captioned(QWidget* parent, const ControlPlace& at) {
    return Place<W>(parent, at, at.Caption);
}

QPushButton* Button(QWidget* parent, const ControlPlace& at, const char* name) {
    QPushButton* button = Captioned<QPushButton>(parent, at);
    button->setObjectName(name);
    // No default button: Enter presses nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

QtOptionsDialog::QtOptionsDialog(IOptionsListener& listener, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      listener_(listener) {
    setObjectName("TarvikOptions");
    setWindowTitle(L::Caption);
    if (owner)
        setWindowIcon(owner->windowIcon());
    setFixedSize(L::Width, L::Height);
    // The dialog's sizes are made for a small 8-point font.
    QFont small = font();
    small.setPointSizeF(L::FontPoints);
    setFont(small);

    btnApply = Button(this, L::btnApply, "btnApply");
    btnCancel = Button(this, L::btnCancel, "btnCancel");
    btnOk = Button(this, L::btnOk, "btnOk");

    Frame3 = Captioned<QGroupBox>(this, L::Frame3);
    Option2 = Captioned<QRadioButton>(Frame3, L::Option2);
    Option1 = Captioned<QRadioButton>(Frame3, L::Option1);
    Frame3->setVisible(false);

    Frame2 = Captioned<QGroupBox>(this, L::Frame2);
    Command1 = Button(Frame2, L::Command1, "Command1");
    btnDefault = Button(Frame2, L::btnDefault, "btnDefault");
    btnBrowse = Button(Frame2, L::btnBrowse, "btnBrowse");
    Text2 = Place<QLineEdit>(Frame2, L::Text2);
    Text1 = Place<QLineEdit>(Frame2, L::Text1);
    Text1->setReadOnly(true);
    Label5 = Captioned<QLabel>(Frame2, L::Label5);
    Label4 = Captioned<QLabel>(Frame2, L::Label4);

    Frame1 = Captioned<QGroupBox>(this, L::Frame1);
    Slider1 = Place<QSlider>(Frame1, L::Slider1, Qt::Horizontal);
    Slider1->setRange(L::SliderMin, L::SliderMax);
    Slider1->setSingleStep(L::SliderLineStep);
    Slider1->setPageStep(L::SliderPageStep);
    Label3 = Place<QLabel>(Frame1, L::Label3);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setTextFormat(Qt::PlainText);
    Label2 = Captioned<QLabel>(Frame1, L::Label2);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1 = Captioned<QLabel>(Frame1, L::Label1);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Where the system's font is wider than the layout's, a label grows to the right
    // rather than cut its text.
    for (QLabel* label : {Label1, Label2})
        if (label->sizeHint().width() > label->width())
            label->resize(label->sizeHint().width(), label->height());
    if (Label2->width() > L::Label2.Width)
        Label2->move(L::Label2.Left + L::Label2.Width - Label2->width(), Label2->y());
    // The Quick Save rows make room for their labels.
    const auto fitRow = [](QLabel* label, const ControlPlace& labelAt, QLineEdit* box,
                           const ControlPlace& boxAt, std::initializer_list<QPushButton*> buttons,
                           const ControlPlace& lastButton) {
        const L::RowFit fit = L::FitRow(labelAt, boxAt, lastButton, label->sizeHint().width());
        label->resize(fit.LabelWidth, label->height());
        box->setGeometry(fit.BoxLeft, box->y(), fit.BoxWidth, box->height());
        for (QPushButton* button : buttons)
            button->move(button->x() + fit.ButtonShift, button->y());
    };
    fitRow(Label4, L::Label4, Text1, L::Text1, {btnBrowse, btnDefault}, L::btnDefault);
    fitRow(Label5, L::Label5, Text2, L::Text2, {Command1}, L::Command1);

    IOptionsListener& l = listener_;
    connect(btnOk, &QPushButton::clicked, [&l] { l.btnOk_Click(); });
    connect(btnApply, &QPushButton::clicked, [&l] { l.btnApply_Click(); });
    connect(btnCancel, &QPushButton::clicked, [&l] { l.btnCancel_Click(); });
    connect(btnDefault, &QPushButton::clicked, [&l] { l.btnDefault_Click(); });
    connect(Command1, &QPushButton::clicked, [&l] { l.Command1_Click(); });
    connect(btnBrowse, &QPushButton::clicked, [&l] { l.btnBrowse_Click(); });
    connect(Slider1, &QSlider::valueChanged, [&l](int v) { l.Slider1_Change(v); });
    connect(Text2, &QLineEdit::textEdited,
            [&l](const QString& t) { l.Text2_Change(t.toStdString()); });
    connect(Option1, &QRadioButton::clicked, [&l] { l.Option1_Click(); });
    connect(Option2, &QRadioButton::clicked, [&l] { l.Option2_Click(); });
}

void QtOptionsDialog::Refresh(const OptionControls& c) {
    const QSignalBlocker blockSlider(Slider1), blockText(Text2);
    Slider1->setValue(c.Slider1);
    Label3->setText(QString::fromStdString(c.Label3));
    Text1->setText(QString::fromStdString(c.Text1));
    if (Text2->text().toStdString() != c.Text2)
        Text2->setText(QString::fromStdString(c.Text2));
    Option1->setChecked(c.Option1);
    Option2->setChecked(c.Option2);
    btnApply->setEnabled(c.ApplyEnabled);
}

void QtOptionsDialog::RunModal() {
    exec();
}

void QtOptionsDialog::Close() {
    closing_ = true;
    done(0);
}

std::string QtOptionsDialog::PickFolder(const std::string& start) {
    return QFileDialog::getExistingDirectory(this, QString(), QString::fromStdString(start))
        .toStdString();
}

void QtOptionsDialog::closeEvent(QCloseEvent* event) {
    // The close box is Cancel.
    if (!closing_)
        listener_.btnCancel_Click();
    event->accept();
}

void QtOptionsDialog::keyPressEvent(QKeyEvent* event) {
    // No button is the cancel button: Escape closes nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
