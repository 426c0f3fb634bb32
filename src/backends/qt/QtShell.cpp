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

#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

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

// An address: a scheme (a letter, then letters, digits, "+", "-" or ".") and a colon,
// unless a file of that name is there.
bool IsAddress(const std::string& target) {
    const std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(uchar(target[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i)
        if (!std::isalnum(uchar(target[i])) &&
            std::string_view("+-.").find(target[i]) == std::string_view::npos)
            return false;
    std::error_code ec;
    return !std::filesystem::exists(target, ec);
}

} // namespace

QUrl QtShell::UrlFor(const std::string& target) {
    if (IsAddress(target))
        return QUrl(QString::fromStdString(target));
    // A relative path is taken from the working folder, as the files were written.
    std::error_code ec;
    const std::string path = std::filesystem::absolute(target, ec).string();
    return QUrl::fromEncoded("file://" +
                             QByteArray::fromStdString(ec ? target : path).toPercentEncoding("/"));
}

void QtShell::Open(const std::string& target) {
    // One argument for the desktop's opener: an address as it stands (Qt's own way hands it
    // over percent-encoded and splits it at blanks), a path as a file URL, so that no name
    // is read as an option.
    const QUrl url = UrlFor(target);
    const QString argument =
        IsAddress(target) ? QString::fromStdString(target) : QString::fromLatin1(url.toEncoded());
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {argument}))
        QDesktopServices::openUrl(url);
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
