// SPDX-License-Identifier: MIT

// One 193 x 448 frameless window and nothing else: the floor of start-up and memory.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle("Minimal");
    window.setFixedSize(193, 448);
    window.show();
    return app.exec();
}
