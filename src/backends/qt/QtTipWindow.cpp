#include "backends/qt/QtTipWindow.h"

#include "platform/IScreen.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QToolTip>

namespace {

QString Shown(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QRegularExpression("\r\n|\r"), "\n");
    return s;
}

} // namespace

QtTipWindow::QtTipWindow(const IScreen& screen)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      screen_(screen), label_(new QLabel(this)) {
    setObjectName("TarvikTip");
    setWindowTitle("Tarvik tip");
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
    // Left 45 twips, top 0, 8895 x 615 twips; the window, not the label, fits the text.
    label_->setGeometry(TwipsToPixels(45, screen.TwipsPerPixelX()), 0,
                        TwipsToPixels(8895, screen.TwipsPerPixelX()),
                        TwipsToPixels(615, screen.TwipsPerPixelY()));
}

void QtTipWindow::MeasureText(const std::string& text, double& width, double& height) const {
    const QSize size =
        QFontMetrics(label_->font())
            .boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, Shown(text))
            .size();
    width = PixelsToTwips(size.width(), screen_.TwipsPerPixelX());
    height = PixelsToTwips(size.height(), screen_.TwipsPerPixelY());
}

void QtTipWindow::SetText(const std::string& text) {
    label_->setText(Shown(text));
}

void QtTipWindow::SetGeometry(double left, double top, double width, double height) {
    const double tx = screen_.TwipsPerPixelX(), ty = screen_.TwipsPerPixelY();
    setGeometry(TwipsToPixels(left, tx), TwipsToPixels(top, ty), TwipsToPixels(width, tx),
                TwipsToPixels(height, ty));
}

void QtTipWindow::Show() {
    show();
}
void QtTipWindow::Hide() {
    hide();
}
void QtTipWindow::Close() {
    close();
}
