#include "backends/qt/QtShell.h"

#include <QDesktopServices>
#include <QProcess>

QUrl QtShell::UrlFor(const std::string& target) {
    if (target.empty() || target[0] != '/')
        return QUrl(QString::fromStdString(target));
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(target).toPercentEncoding("/"));
}

void QtShell::Open(const std::string& target) {
    if (!target.empty() && target[0] == '/') {
        QDesktopServices::openUrl(UrlFor(target));
        return;
    }
    // An address reaches the desktop's opener as it stands, as one argument: Qt's own way
    // hands it over percent-encoded and splits it at blanks.
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(target)}))
        QDesktopServices::openUrl(UrlFor(target));
}
