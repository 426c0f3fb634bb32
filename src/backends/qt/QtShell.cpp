#include "backends/qt/QtShell.h"

#include <QDesktopServices>
#include <QUrl>

void QtShell::Open(const std::string& target) {
    const QString text = QString::fromStdString(target);
    const QUrl url = text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text);
    QDesktopServices::openUrl(url);
}
