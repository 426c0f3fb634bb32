// SPDX-License-Identifier: MIT

// A known picture for the Wayland test session: a window (alone, it fills the screen) whose every
// pixel follows from its place and a number; SIGUSR1 steps the number and repaints. A mouse
// press is told as "pressed X Y", in the window's logical pixels. With --full-screen it asks
// for the whole screen, where the desktop would give it a smaller window.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnUser(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &byte, 1);
}

class Pattern : public QWidget {
  public:
    void Step() {
        ++number_;
        update();
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        std::printf("pressed %d %d\n", at.x(), at.y());
        std::fflush(stdout);
    }

    void paintEvent(QPaintEvent*) override {
        const qreal ratio = devicePixelRatioF();
        QImage image((size() * ratio), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = qRgb((x * 7 + number_ * 60) & 255, (y * 5 + x / 3) & 255,
                              ((x ^ y) + number_ * 90) & 255);
        }
        image.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(0, 0, image);
        std::printf("painted %d\n", number_);
        std::fflush(stdout);
    }

  private:
    int number_ = 0;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    std::signal(SIGUSR1, OnUser);
    Pattern pattern;
    pattern.setWindowTitle("pattern");
    QSocketNotifier notifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPipe[1], &byte, 1);
        pattern.Step();
    });
    if (app.arguments().contains("--full-screen"))
        pattern.showFullScreen();
    else
        pattern.show();
    return app.exec();
}
