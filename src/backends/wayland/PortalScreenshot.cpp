// SPDX-License-Identifier: MIT

#include "backends/wayland/PortalScreenshot.h"

#include "backends/wayland/ScreenshotPng.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTimer>
#include <QUrl>

namespace {

const QString Service = "org.freedesktop.portal.Desktop";
const QString DesktopPath = "/org/freedesktop/portal/desktop";
const QString ScreenshotInterface = "org.freedesktop.portal.Screenshot";
const QString RequestInterface = "org.freedesktop.portal.Request";

const QString NoService =
    "Tarvik cannot read the screen: on Wayland it needs the desktop's screenshot service "
    "(xdg-desktop-portal with a backend for this desktop, for example the Debian packages "
    "xdg-desktop-portal and xdg-desktop-portal-gnome, -kde or -wlr).";

QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1); // ":1.42" -> "1_42"
    sender.replace('.', '_');
    return DesktopPath + "/request/" + sender + "/" + token;
}

} // namespace

PortalScreenshot::Result PortalScreenshot::Take(QSize minimum, int timeoutMs,
                                                const std::function<void()>& slow,
                                                const std::function<void()>& answered) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {{}, NoService + "\n\nThere is no D-Bus session bus: " + bus.lastError().message()};
    if (!bus.interface()->isServiceRegistered(Service).value() &&
        !bus.interface()->activatableServiceNames().value().contains(Service))
        return {{}, NoService + "\n\nThe service " + Service + " is not running."};

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
    if (receiver.code_ != 0)
        return {{},
                "The desktop refused Tarvik a screenshot. To allow it, let Tarvik take "
                "screenshots in the desktop's privacy settings (for example Settings > "
                "Privacy > Screenshots), then start Tarvik again."};
    const QString uri = receiver.results_.value("uri").toString();
    if (uri.isEmpty())
        return {{}, "The screenshot service answered without naming a picture file."};
    const QUrl url(uri);
    const QString file = url.isLocalFile() ? url.toLocalFile() : QString();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return {{}, "The screenshot service named a picture file that does not exist: " + uri};
    if (answered)
        answered();
    QFile picture(file);
    QImage image =
        picture.open(QIODevice::ReadOnly) ? DecodeScreenshotPng(picture.readAll()) : QImage();
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

void PortalScreenshot::Response(uint code, const QVariantMap& results) {
    answered_ = true;
    code_ = code;
    results_ = results;
    if (loop_)
        loop_->quit();
}
