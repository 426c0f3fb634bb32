#include "backends/qt/QtAboutBox.h"

#include "menus/frmAbout.h"

#include <algorithm>

#include <QCursor>
#include <QMouseEvent>
#include <QPixmap>

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
    event->accept();
}

QtAboutBox::QtAboutBox(frmAbout& logic, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), logic_(logic) {
    setObjectName("TarvikAbout");
    setFixedSize(382, 162);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 255));
    setPalette(p);
    setAutoFillBackground(true);
    QFont font("MS Sans Serif");
    font.setPointSizeF(8.25);
    setFont(font);

    const auto place = [this](int x, int y, int w, int h, const char* name) {
        auto* label = new ClickLabel(this);
        label->setObjectName(name);
        label->setGeometry(x, y, w, h);
        label->setTextFormat(Qt::PlainText);
        connect(label, &ClickLabel::clicked, [this] { logic_.Form_Click(); });
        return label;
    };
    Picture1 = place(16, 112, 34, 34, "Picture1");
    Picture1->setPixmap(QPixmap(":/tarvik/logo.png"));
    picIcon = place(16, 16, 34, 34, "picIcon");
    picIcon->setPixmap(QPixmap(":/tarvik/icon.png"));
    Label4 = place(192, 136, 57, 17, "Label4");
    Label3 = place(72, 88, 161, 17, "Label3");
    Label2 = place(72, 136, 105, 17, "Label2");
    Label1 = place(72, 112, 121, 17, "Label1");
    lblDescription = place(72, 64, 305, 17, "lblDescription");
    lblTitle = place(72, 16, 265, 17, "lblTitle");
    lblVersion = place(72, 40, 265, 17, "lblVersion");

    QFont bold = font;
    bold.setBold(true);
    lblTitle->setFont(bold);
    // The links: blue, underlined, with the main window's hand pointer; they stay open.
    const QCursor hand(QPixmap(":/tarvik/hand.png"), 7, 0);
    QFont underlined = font;
    underlined.setUnderline(true);
    for (ClickLabel* link : {Label1, Label2, Label4}) {
        disconnect(link, &ClickLabel::clicked, nullptr, nullptr);
        QPalette lp = link->palette();
        lp.setColor(QPalette::WindowText, QColor(0, 0, 255));
        link->setPalette(lp);
        link->setFont(underlined);
        link->setCursor(hand);
    }
    connect(Label1, &ClickLabel::clicked, [this] { logic_.Label1_Click(); });
    connect(Label2, &ClickLabel::clicked, [this] { logic_.Label2_Click(); });
    connect(Label4, &ClickLabel::clicked, [this] { logic_.Label4_Click(); });
}

void QtAboutBox::Show(const AboutTexts& t) {
    setWindowTitle(QString::fromStdString(t.Caption));
    lblTitle->setText(QString::fromStdString(t.Title));
    lblVersion->setText(QString::fromStdString(t.Version));
    lblDescription->setText(QString::fromStdString(t.Description));
    Label3->setText(QString::fromStdString(t.Notice));
    Label1->setText(QString::fromStdString(t.Email));
    Label2->setText(QString::fromStdString(t.WebSite));
    Label4->setText(QString::fromStdString(t.SkinsLink));
    // Where the system's font is wider than the layout's, labels grow to the right and the
    // skins link keeps clear of the web address.
    for (ClickLabel* label : {Label1, Label2, Label3, Label4, lblDescription, lblTitle, lblVersion})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    Label4->move(std::max(192, Label2->geometry().right() + 12), Label4->y());
    if (parentWidget()) // centred over the owner
        move(parentWidget()->geometry().center() - rect().center());
    exec();
}

void QtAboutBox::Close() {
    done(0);
}

void QtAboutBox::mousePressEvent(QMouseEvent* event) {
    logic_.Form_Click();
    event->accept();
}
