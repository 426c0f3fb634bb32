// SPDX-License-Identifier: MIT

#include "backends/qt/QtShell.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QVariantMap>

namespace {

const QString Service = "org.freedesktop.Notifications";
const QString Path = "/org/freedesktop/Notifications";
const QString Interface = "org.freedesktop.Notifications";
const QString OpenFolderAction = "open-folder";

// A session bus that is running: an address given, or the usual socket. Without one the
// D-Bus library would try to start a bus of its own.
bool SessionBusRunning() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + "/bus").exists();
}

} // namespace

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

void QtShell::Notify(const std::string& summary, const std::string& body,
                     const std::string& folder) {
    if (!SessionBusRunning())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    if (!names || !names->isServiceRegistered(Service).value())
        return;
    if (!listening_) {
        listening_ = true;
        bus.connect(Service, Path, Interface, "ActionInvoked", this,
                    SLOT(OnActionInvoked(uint, QString)));
        bus.connect(Service, Path, Interface, "NotificationClosed", this,
                    SLOT(OnNotificationClosed(uint, uint)));
    }
    // What the service can show decides the body's form and the action; nothing waits.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(Service, Path, Interface, "GetCapabilities");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, s = QString::fromStdString(summary), b = QString::fromStdString(body),
             f = folder](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QStringList> reply = *call;
                if (!reply.isError())
                    Send(reply.value(), s, b, f);
            });
}

void QtShell::Send(const QStringList& capabilities, const QString& summary, const QString& body,
                   const std::string& folder) {
    QStringList actions;
    if (capabilities.contains("actions"))
        actions = {"default", "Open Folder", OpenFolderAction, "Open Folder"};
    const QString text = capabilities.contains("body-markup") ? body.toHtmlEscaped() : body;
    QVariantMap hints{{"desktop-entry", QString("org.tarvik.Tarvik")},
                      {"category", QString("transfer.complete")}};
    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Interface, "Notify");
    notify << QString("Tarvik") << uint(0) << QString("org.tarvik.Tarvik") << summary << text
           << actions << hints << int(-1);
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<uint> reply = *call;
                if (!reply.isError())
                    folders_.insert(reply.value(), folder);
            });
}

void QtShell::OnActionInvoked(uint id, const QString& action) {
    const auto it = folders_.constFind(id);
    if (it == folders_.constEnd() || (action != OpenFolderAction && action != "default"))
        return;
    Open(*it);
}

void QtShell::OnNotificationClosed(uint id, uint) {
    folders_.remove(id);
}
