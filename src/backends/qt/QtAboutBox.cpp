// SPDX-License-Identifier: MIT

#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtLook.h"

#include "menus/AboutLayout.h"

#include <algorithm>

#include <QCursor>
#include <QMouseEvent>
#include <QPixmap>

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
    event->accept();
}

namespace {

namespace L = AboutLayout;

QColor ToQColor(const RgbColour& c) {
    return QColor(c.Red, c.Green, c.Blue);
}

} // namespace

QtAboutBox::QtAboutBox(IAboutListener& listener, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), listener_(listener) {
    setObjectName("TarvikAbout");
    setFixedSize(L::Width, L::Height);
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(L::Background));
    setPalette(p);
    setAutoFillBackground(true);
    QFont font(L::FontFace);
    font.setPointSizeF(L::FontPoints);
    setFont(font);

    const auto place = [this](const ControlPlace& at, const char* name) {
        auto* label = new ClickLabel(this);
        label->setObjectName(name);
        label->setGeometry(at.Left, at.Top, at.Width, at.Height);
        label->setTextFormat(Qt::PlainText);
        connect(label, &ClickLabel::clicked, [this] { listener_.Form_Click(); });
        return label;
    };
    Picture1 = place(L::Picture1, "Picture1");
    Picture1->setPixmap(QPixmap(":/tarvik/logo.png"));
    picIcon = place(L::picIcon, "picIcon");
    picIcon->setPixmap(QPixmap(":/tarvik/icon.png"));
    Label4 = place(L::Label4, "Label4");
    Label3 = place(L::Label3, "Label3");
    Label2 = place(L::Label2, "Label2");
    Label1 = place(L::Label1, "Label1");
    lblDescription = place(L::lblDescription, "lblDescription");
    lblTitle = place(L::lblTitle, "lblTitle");
    lblVersion = place(L::lblVersion, "lblVersion");

    QFont bold = font;
    bold.setBold(true);
    lblTitle->setFont(bold);
    // The links: blue, underlined, with the main window's hand pointer; they stay open.
    const QCursor& hand = HandCursor();
    QFont underlined = font;
    underlined.setUnderline(true);
    for (ClickLabel* link : {Label1, Label2, Label4}) {
        disconnect(link, &ClickLabel::clicked, nullptr, nullptr);
        QPalette lp = link->palette();
        lp.setColor(QPalette::WindowText, ToQColor(L::LinkColour));
        link->setPalette(lp);
        link->setFont(underlined);
        link->setCursor(hand);
    }
    connect(Label1, &ClickLabel::clicked, [this] { listener_.Label1_Click(); });
    connect(Label2, &ClickLabel::clicked, [this] { listener_.Label2_Click(); });
    connect(Label4, &ClickLabel::clicked, [this] { listener_.Label4_Click(); });
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
    Label4->move(std::max(L::Label4.Left, Label2->geometry().right() + L::LinkGap), Label4->y());
    if (parentWidget()) // centred over the owner
        move(parentWidget()->geometry().center() - rect().center());
    exec();
}

void QtAboutBox::Close() {
    done(0);
}

void QtAboutBox::mousePressEvent(QMouseEvent* event) {
    listener_.Form_Click();
    event->accept();
}
