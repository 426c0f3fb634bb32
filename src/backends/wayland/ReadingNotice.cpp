// SPDX-License-Identifier: MIT

#include "backends/wayland/ReadingNotice.h"

#include "backends/wayland/CompositorFrames.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>

namespace {

const QString Reading = "Tarvik is reading the screen...";
const QString Waiting = "Tarvik is waiting for the desktop's permission to read the screen...";

// How long the compositor gets to hand over the keyboard, or to draw a change.
constexpr int FocusWaitMs = 1000;
constexpr int FrameMs = 100;

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

ReadingNotice::ReadingNotice() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(Reading);
    setObjectName("TarvikReadingNotice");
    setWindowIcon(QIcon(":/tarvik/icon.png"));
    setAttribute(Qt::WA_TranslucentBackground);
    // A fixed size keeps tiling desktops from giving it a tile.
    setFixedSize(360, 64);
    CommitEachConfigure(*this);
}

void ReadingNotice::ShowClear() {
    saying_ = false;
    show();
    raise();
    activateWindow();
    QElapsedTimer waited;
    waited.start();
    while (!isActiveWindow() && waited.elapsed() < FocusWaitMs)
        RunFor(1);
}

void ReadingNotice::Say() {
    saying_ = true;
    setWindowTitle(Waiting);
    update();
}

void ReadingNotice::Clear() {
    if (!saying_)
        return;
    saying_ = false;
    setWindowTitle(Reading);
    repaint();
    RunFor(FrameMs);
}

void ReadingNotice::paintEvent(QPaintEvent*) {
    if (!saying_)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(12, 0, -12, 0), Qt::AlignCenter | Qt::TextWordWrap,
                     windowTitle());
}
