// SPDX-License-Identifier: MIT

#include "backends/wayland/PortalScreenshot.h"

#include "backends/wayland/ScreenshotPng.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <thread>

namespace {

const QString Service = "org.freedesktop.portal.Desktop";
const QString DesktopPath = "/org/freedesktop/portal/desktop";
const QString ScreenshotInterface = "org.freedesktop.portal.Screenshot";
const QString RequestInterface = "org.freedesktop.portal.Request";
const QString RegistryInterface = "org.freedesktop.host.portal.Registry";
const QString BusName = "tarvik-portal";

const QString NoService =
    "Tarvik cannot read the screen: on Wayland it needs the desktop's screenshot service "
    "(xdg-desktop-portal with a backend for this desktop, for example the Debian packages "
    "xdg-desktop-portal and xdg-desktop-portal-gnome, -kde or -wlr).";

QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1); // ":1.42" -> "1_42"
    sender.replace('.', '_');
    return DesktopPath + "/request/" + sender + "/" + token;
}

// Where the portal keeps a registry of host programs (xdg-desktop-portal 1.19 and later), it
// stores the desktop's answers under Tarvik's id rather than the empty id it gives every
// unsandboxed program. Once for each run of the portal, before its first request.
QString registeredWith; // the portal's unique name
std::unique_ptr<QDBusPendingCall> registering;

QDBusConnection Bus() {
    // A connection of its own: the portal ties a program's id to the connection of its first
    // call, and Qt may have asked portals on the shared one already.
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, BusName);
}

// The portal's picture file, checked against the size of the screens.
PortalScreenshot::Result ReadPicture(const QString& file, QSize minimum, PngRoom& room) {
    QFile picture(file);
    QImage image;
    if (picture.open(QIODevice::ReadOnly) && picture.size() > 0) {
        // Mapped, not read: no copy of the file into fresh memory.
        if (const uchar* mapped = picture.map(0, picture.size()))
            image = DecodeScreenshotPng(
                QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), picture.size()),
                &room);
        else
            image = DecodeScreenshotPng(picture.readAll(), &room);
    }
    QImageReader reader(file);
    if (image.isNull())
        image = reader.read();
    if (image.isNull())
        return {{},
                "The screenshot service's file is not a picture Tarvik can read: " + file + " (" +
                    reader.errorString() + ")"};
    if (image.width() < minimum.width() || image.height() < minimum.height())
        return {{},
                QString("The screenshot service's picture is %1 x %2 pixels, smaller than "
                        "the screen's %3 x %4, so it cannot stand for the screen.")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(minimum.width())
                    .arg(minimum.height())};
    return {image.convertToFormat(QImage::Format_RGB32), {}};
}

} // namespace

void PortalScreenshot::Begin(int timeoutMs) {
    if (registering)
        return;
    const QString appId = QGuiApplication::desktopFileName();
    QDBusConnection bus = Bus();
    if (appId.isEmpty() || !bus.isConnected())
        return;
    if (!registeredWith.isEmpty() &&
        bus.interface()->serviceOwner(Service).value() == registeredWith)
        return;
    // Asked straight away, without a look at the portal's interfaces first: one without the
    // registry answers with an error. The call starts a portal that is only activatable.
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, DesktopPath, RegistryInterface, "Register");
    call << appId << QVariantMap{};
    registering = std::make_unique<QDBusPendingCall>(bus.asyncCall(call, timeoutMs));
}

PortalScreenshot::Result PortalScreenshot::Take(QSize minimum, int timeoutMs,
                                                const std::function<void()>& slow,
                                                const std::function<void()>& answered) {
    Begin(timeoutMs);
    QDBusConnection bus = Bus();
    if (!bus.isConnected()) {
        const QString error = bus.lastError().message();
        QDBusConnection::disconnectFromBus(BusName);
        return {{}, NoService + "\n\nThere is no D-Bus session bus: " + error};
    }
    const QString notRunning = NoService + "\n\nThe service " + Service + " is not running.";
    if (registering) {
        // Answered before the request: the portal files the request under the id.
        registering->waitForFinished();
        const QDBusMessage reply = registering->reply();
        registering.reset();
        if (reply.errorName() == "org.freedesktop.DBus.Error.ServiceUnknown")
            return {{}, notRunning};
        // A refusal (a sandboxed Tarvik has its id already) leaves the portal's own choice;
        // so does a portal without the registry.
        if (reply.type() == QDBusMessage::ReplyMessage ||
            reply.type() == QDBusMessage::ErrorMessage)
            registeredWith = reply.service();
    } else if (!bus.interface()->isServiceRegistered(Service).value() &&
               !bus.interface()->activatableServiceNames().value().contains(Service)) {
        return {{}, notRunning};
    }

    static int counter = 0;
    const QString token = QString("tarvik%1").arg(++counter);
    PortalScreenshot receiver;
    QEventLoop loop;
    receiver.loop_ = &loop;
    // Listen before asking, so that a quick answer is not missed.
    const QString expected = RequestPath(bus, token);
    bus.connect(Service, expected, RequestInterface, "Response", &receiver,
                SLOT(Response(uint, QVariantMap)));

    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, DesktopPath, ScreenshotInterface, "Screenshot");
    QVariantMap options{{"handle_token", token}, {"interactive", false}};
    call << QString() << options;
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        bus.disconnect(Service, expected, RequestInterface, "Response", &receiver,
                       SLOT(Response(uint, QVariantMap)));
        const QString name = reply.errorName();
        if (name == "org.freedesktop.DBus.Error.UnknownMethod" ||
            name == "org.freedesktop.DBus.Error.UnknownInterface" ||
            name == "org.freedesktop.DBus.Error.UnknownObject")
            return {{},
                    NoService + "\n\nThe desktop's portal has no screenshot interface "
                                "(on Debian, xdg-desktop-portal-gtk adds it for wlroots "
                                "desktops)."};
        if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
            name == "org.freedesktop.DBus.Error.NoReply" ||
            name == "org.freedesktop.DBus.Error.Timeout")
            return {{}, NoService + "\n\n" + reply.errorMessage()};
        return {{}, "The screenshot service failed: " + reply.errorMessage()};
    }
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != expected) {
        // Older portals choose the request's path themselves.
        bus.disconnect(Service, expected, RequestInterface, "Response", &receiver,
                       SLOT(Response(uint, QVariantMap)));
        bus.connect(Service, handle, RequestInterface, "Response", &receiver,
                    SLOT(Response(uint, QVariantMap)));
    }
    // The decode's memory is made ready while the portal works.
    PngRoom room = ReservePngRoom(minimum);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (slow)
        QTimer::singleShot(SlowMs, &loop, [&] {
            if (!receiver.answered_)
                slow();
        });
    if (!receiver.answered_)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    bus.disconnect(Service, handle.isEmpty() ? expected : handle, RequestInterface, "Response",
                   &receiver, SLOT(Response(uint, QVariantMap)));

    if (!receiver.answered_)
        return {{},
                QString("The screenshot service did not answer within %1 seconds, so Tarvik "
                        "has no picture of the screen.")
                    .arg(timeoutMs / 1000)};
    if (receiver.code_ == 1)
        return {{},
                "Taking the screenshot was cancelled, so Tarvik has no picture of the "
                "screen."};
    if (receiver.code_ != 0) {
        // The portal gives the same code for a refusal and for a backend that failed.
        const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
        return {{},
                "The desktop's screenshot service (xdg-desktop-portal" +
                    (desktop.isEmpty() ? QString() : ", on " + desktop) +
                    ") gave Tarvik no screenshot: either taking one was not allowed, or the "
                    "service could not take it. Where the desktop asks or lets you choose "
                    "which programs may take screenshots, allow Tarvik; otherwise the "
                    "desktop's part of the service (its portal backend) is missing or "
                    "failing. Then try again."};
    }
    const QString uri = receiver.results_.value("uri").toString();
    if (uri.isEmpty())
        return {{}, "The screenshot service answered without naming a picture file."};
    const QUrl url(uri);
    const QString file = url.isLocalFile() ? url.toLocalFile() : QString();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return {{}, "The screenshot service named a picture file that does not exist: " + uri};
    if (answered)
        answered();
    // Read on a thread: meanwhile the event loop answers the compositor about the windows
    // that are to show the picture.
    Result read;
    QEventLoop reading;
    std::thread reader([&] {
        read = ReadPicture(file, minimum, room);
        QMetaObject::invokeMethod(&reading, &QEventLoop::quit, Qt::QueuedConnection);
    });
    reading.exec(QEventLoop::ExcludeUserInputEvents);
    reader.join();
    return read;
}

void PortalScreenshot::Response(uint code, const QVariantMap& results) {
    answered_ = true;
    code_ = code;
    results_ = results;
    if (loop_)
        loop_->quit();
}
