// SPDX-License-Identifier: MIT

#include "backends/layer/LiveTipWindow.h"

#include "backends/layer/LayerSurface.h"
#include "backends/layer/WaylandClient.h"
#include "platform/IScreen.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>

#include <cmath>

namespace {

QString Shown(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QRegularExpression("\r\n|\r"), "\n");
    return s;
}

// The label's place in the window, in twips: left 45, top 0, 8895 x 615.
constexpr double LabelLeft = 45;
constexpr double LabelWidth = 8895;
constexpr double LabelHeight = 615;

} // namespace

LiveTipWindow::LiveTipWindow(WaylandClient& client, const IScreen& screen, LayerSurface& phone)
    : screen_(screen), phone_(phone), surface_(client, PopupSurface::Grab::None) {
    surface_.Closed = [this] { Hide(); };
    hideTimer_.setSingleShot(true);
    QObject::connect(&hideTimer_, &QTimer::timeout, [this] { Hide(); });
    // The Qt tip window's palette and label.
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::WindowText, p.color(QPalette::ToolTipText));
    label_.setAttribute(Qt::WA_DontShowOnScreen);
    label_.setPalette(p);
    label_.setAutoFillBackground(true);
    label_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_.setTextFormat(Qt::PlainText);
}

int LiveTipWindow::Scale() const {
    return phone_.Output() ? phone_.Output()->Scale : 1;
}

void LiveTipWindow::MeasureText(const std::string& text, double& width, double& height) const {
    const QSize size =
        QFontMetrics(label_.font())
            .boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, Shown(text))
            .size();
    const int scale = Scale();
    width = PixelsToTwips(size.width() * scale, screen_.TwipsPerPixelX());
    height = PixelsToTwips(size.height() * scale, screen_.TwipsPerPixelY());
}

void LiveTipWindow::SetText(const std::string& text) {
    label_.setText(Shown(text));
}

void LiveTipWindow::SetGeometry(double left, double top, double width, double height) {
    const double tx = screen_.TwipsPerPixelX(), ty = screen_.TwipsPerPixelY();
    place_ = QRect(TwipsToPixels(left, tx), TwipsToPixels(top, ty), TwipsToPixels(width, tx),
                   TwipsToPixels(height, ty));
    if (surface_.Shown())
        Apply();
}

// The window's background with the label on it, one picture pixel to a device pixel; the
// label keeps its fixed size and is cut off by the window.
QImage LiveTipWindow::Draw(int scale) {
    QImage picture(place_.size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(scale);
    picture.fill(label_.palette().color(QPalette::Window));
    const double tx = screen_.TwipsPerPixelX(), ty = screen_.TwipsPerPixelY();
    label_.resize(static_cast<int>(std::ceil(TwipsToPixels(LabelWidth, tx) / double(scale))),
                  static_cast<int>(std::ceil(TwipsToPixels(LabelHeight, ty) / double(scale))));
    QPainter painter(&picture);
    painter.translate(TwipsToPixels(LabelLeft, tx) / double(scale), 0);
    label_.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    painter.end();
    picture.setDevicePixelRatio(1);
    return picture;
}

void LiveTipWindow::Show() {
    hideTimer_.stop();
    Apply();
}

void LiveTipWindow::Apply() {
    if (place_.isEmpty())
        return;
    const int scale = Scale();
    const bool same =
        label_.text() == drawnText_ && place_.size() == drawnSize_ && scale == drawnScale_;
    if (same && surface_.Shown() && place_.topLeft() == shownAt_)
        return;
    if (!same) {
        drawn_ = Draw(scale);
        drawnText_ = label_.text();
        drawnSize_ = place_.size();
        drawnScale_ = scale;
    }
    // Click-through: no input region.
    if (surface_.Show(drawn_, place_.topLeft(), QRegion(), phone_))
        shownAt_ = place_.topLeft();
}

void LiveTipWindow::Hide() {
    hideTimer_.stop();
    surface_.Hide();
}

void LiveTipWindow::HideAfter(int milliseconds) {
    hideTimer_.start(milliseconds);
}

void LiveTipWindow::Close() {
    Hide();
}
