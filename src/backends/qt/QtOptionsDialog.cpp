#include "backends/qt/QtOptionsDialog.h"

#include "settings/frmOption.h"

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

template <typename W, typename... Args>
W* Place(QWidget* parent, int x, int y, int w, int h, Args&&... args) {
    W* widget = new W(std::forward<Args>(args)..., parent);
    widget->setGeometry(x, y, w, h);
    return widget;
}

QPushButton* Button(QWidget* parent, int x, int y, int w, int h, const char* caption,
                    const char* name) {
    QPushButton* button = Place<QPushButton>(parent, x, y, w, h, caption);
    button->setObjectName(name);
    // No default button: Enter presses nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

QtOptionsDialog::QtOptionsDialog(frmOption& logic, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      logic_(logic) {
    setObjectName("TarvikOptions");
    setWindowTitle("Tarvik Options");
    if (owner)
        setWindowIcon(owner->windowIcon());
    setFixedSize(489, 254);
    // The dialog's sizes are made for a small 8-point font.
    QFont small = font();
    small.setPointSizeF(8.25);
    setFont(small);

    btnApply = Button(this, 216, 216, 73, 25, "&Apply", "btnApply");
    btnCancel = Button(this, 320, 216, 73, 25, "&Cancel", "btnCancel");
    btnOk = Button(this, 112, 216, 73, 25, "&OK", "btnOk");

    Frame3 = Place<QGroupBox>(this, 16, 208, 457, 73, "View Mode");
    Option2 = Place<QRadioButton>(Frame3, 24, 48, 185, 17, "Resizable");
    Option1 = Place<QRadioButton>(Frame3, 24, 24, 185, 17, "Skin");
    Option1->setChecked(true);
    Frame3->setVisible(false); // carried through the exchange, never shown

    Frame2 = Place<QGroupBox>(this, 16, 104, 457, 97, "Quick Save");
    Command1 = Button(Frame2, 248, 63, 57, 22, "&Default", "Command1");
    btnDefault = Button(Frame2, 384, 23, 57, 22, "&Default", "btnDefault");
    btnBrowse = Button(Frame2, 320, 23, 57, 22, "&Browse", "btnBrowse");
    Text2 = Place<QLineEdit>(Frame2, 112, 64, 129, 21, "tarvik_output");
    Text1 = Place<QLineEdit>(Frame2, 48, 24, 265, 21, ".\\captured");
    Text1->setReadOnly(true);
    Label5 = Place<QLabel>(Frame2, 16, 66, 89, 17, "Auto-name prefix");
    Label4 = Place<QLabel>(Frame2, 16, 26, 33, 17, "Path");

    Frame1 = Place<QGroupBox>(this, 16, 16, 457, 81, "JPEG Quality");
    Slider1 = Place<QSlider>(Frame1, 16, 16, 425, 25, Qt::Horizontal);
    Slider1->setRange(0, 100);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(5);
    Slider1->setValue(100);
    Label3 = Place<QLabel>(Frame1, 184, 48, 73, 17, "100%");
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setTextFormat(Qt::PlainText);
    Label2 = Place<QLabel>(Frame1, 320, 48, 113, 17, "Best Quality ");
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1 = Place<QLabel>(Frame1, 24, 48, 89, 17, "Best Compression");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Where the system's font is wider than the layout's, a label grows to the right
    // rather than cut its text.
    for (QLabel* label : {Label1, Label2, Label4, Label5})
        if (label->sizeHint().width() > label->width())
            label->resize(label->sizeHint().width(), label->height());
    if (Label2->width() > 113)
        Label2->move(320 + 113 - Label2->width(), Label2->y());

    connect(btnOk, &QPushButton::clicked, [this] { logic_.btnOk_Click(); });
    connect(btnApply, &QPushButton::clicked, [this] { logic_.btnApply_Click(); });
    connect(btnCancel, &QPushButton::clicked, [this] { logic_.btnCancel_Click(); });
    connect(btnDefault, &QPushButton::clicked, [this] { logic_.btnDefault_Click(); });
    connect(Command1, &QPushButton::clicked, [this] { logic_.Command1_Click(); });
    connect(btnBrowse, &QPushButton::clicked, [this] { logic_.btnBrowse_Click(); });
    connect(Slider1, &QSlider::valueChanged, [this](int v) { logic_.Slider1_Change(v); });
    connect(Text2, &QLineEdit::textEdited,
            [this](const QString& t) { logic_.Text2_Change(t.toStdString()); });
    connect(Option1, &QRadioButton::clicked, [this] { logic_.Option1_Click(); });
    connect(Option2, &QRadioButton::clicked, [this] { logic_.Option2_Click(); });
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
        logic_.btnCancel_Click();
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
