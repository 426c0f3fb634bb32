#include "backends/qt/QtShell.h"

#include <QDesktopServices>

QUrl QtShell::UrlFor(const std::string& target) {
    if (target.empty() || target[0] != '/')
        return QUrl(QString::fromStdString(target));
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(target).toPercentEncoding("/"));
}

void QtShell::Open(const std::string& target) {
    QDesktopServices::openUrl(UrlFor(target));
}
