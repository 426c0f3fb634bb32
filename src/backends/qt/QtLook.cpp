// SPDX-License-Identifier: MIT

#include "backends/qt/QtLook.h"

#include <QMessageBox>
#include <QPixmap>

const QCursor& HandCursor() {
    static const QCursor hand(QPixmap(":/tarvik/hand.png"), 7, 0);
    return hand;
}

void ShowPlainMessage(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, "Tarvik", text, QMessageBox::Ok, parent);
    box.setObjectName("TarvikMessage");
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
