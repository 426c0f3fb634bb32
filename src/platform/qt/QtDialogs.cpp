#include "platform/qt/QtDialogs.h"

#include <QMessageBox>
#include <QRegularExpression>

void QtDialogs::MessageBox(const std::string& text) {
    // Any pairing of CR and LF is one line break on screen.
    QString shown = QString::fromStdString(text);
    shown.replace(QRegularExpression("\r\n|\n\r|\r"), "\n");
    QMessageBox box(QMessageBox::NoIcon, "Tarvik", shown, QMessageBox::Ok);
    box.setObjectName("TarvikMessage");
    box.exec();
}
