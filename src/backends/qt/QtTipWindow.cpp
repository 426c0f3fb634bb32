// SPDX-License-Identifier: MIT

#include "backends/qt/QtTipWindow.h"

#include "backends/qt/QtScreen.h"
#include "platform/IScreen.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QToolTip>

#include <cmath>

namespace {

QString Shown(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QRegularExpression("\r\n|\r"), "\n");
    return s;
}

} // namespace

QtTipWindow::QtTipWindow(const IScreen& screen, Role role)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      screen_(screen), role_(role), label_(new QLabel(this)) {
    setObjectName(role == Role::Tip ? "TarvikTip" : "TarvikNotice");
    setWindowTitle(role == Role::Tip ? "Tarvik tip" : "Tarvik notice");
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::WindowText, p.color(QPalette::ToolTipText));
    setPalette(p);
    setAutoFillBackground(true);
    label_->setPalette(p);
    label_->setAutoFillBackground(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setTextFormat(Qt::PlainText); // a stored path is shown as it is
    // Left 45 twips, top 0, 8895 x 615 twips; the window, not the label, fits the text.
    label_->setGeometry(QRect(
        QPoint(Logical(45, screen.TwipsPerPixelX()), 0),
        QSize(Logical(8895, screen.TwipsPerPixelX()), Logical(615, screen.TwipsPerPixelY()))));
}

// Twips count device pixels; the tip itself keeps the desktop's scale.
int QtTipWindow::Logical(double twips, double twipsPerPixel) const {
    return static_cast<int>(
        std::ceil(TwipsToPixels(twips, twipsPerPixel) / devicePixelRatioF() - 1e-9));
}

void QtTipWindow::MeasureText(const std::string& text, double& width, double& height) const {
    const QSize size =
        QFontMetrics(label_->font())
            .boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, Shown(text))
            .size();
    const double ratio = devicePixelRatioF();
    width = PixelsToTwips(static_cast<int>(std::lround(size.width() * ratio)),
                          screen_.TwipsPerPixelX());
    height = PixelsToTwips(static_cast<int>(std::lround(size.height() * ratio)),
                           screen_.TwipsPerPixelY());
}

void QtTipWindow::SetText(const std::string& text) {
    label_->setText(Shown(text));
    if (role_ == Role::Notice)
        setWindowTitle(label_->text().replace('\n', ' '));
}

void QtTipWindow::SetGeometry(double left, double top, double width, double height) {
    const double tx = screen_.TwipsPerPixelX(), ty = screen_.TwipsPerPixelY();
    setGeometry(QRect(QtScreen::ToLogical(QPoint(TwipsToPixels(left, tx), TwipsToPixels(top, ty))),
                      QSize(Logical(width, tx), Logical(height, ty))));
}

void QtTipWindow::Show() {
    hideTimer_.stop();
    show();
}
void QtTipWindow::Hide() {
    hideTimer_.stop();
    hide();
}
void QtTipWindow::HideAfter(int milliseconds) {
    hideTimer_.start(milliseconds);
}
void QtTipWindow::Close() {
    close();
}
