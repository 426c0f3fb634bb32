// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class QEventLoop;

// A screenshot of the whole desktop through the desktop's screenshot portal
// (org.freedesktop.portal.Screenshot), asked for without questions to the user, on a D-Bus
// connection registered under the program's desktop file name where the portal allows.
class PortalScreenshot : public QObject {
    Q_OBJECT
  public:
    struct Result {
        QImage Image;  // the desktop in device pixels, RGB32; null on failure
        QString Error; // what went wrong, for a message box; empty on success
    };

    // Waits for the portal's answer, at most timeoutMs, running the event loop meanwhile.
    // minimum is the size the picture must have at least: the screens in device pixels.
    // slow, if given, is called once when the answer takes longer than SlowMs: the desktop
    // is asking the user. answered, if given, is called on a good answer before its picture is
    // read; the picture is read on a thread, the event loop running meanwhile (without user
    // input).
    // Sets up what the first request needs from the portal (Tarvik's id, where it keeps
    // them), to be under way while the program does other work; Take waits for it.
    static void Begin(int timeoutMs = 10000);
    static Result Take(QSize minimum, int timeoutMs = 10000, const std::function<void()>& slow = {},
                       const std::function<void()>& answered = {});
    static constexpr int SlowMs = 1000;

  private slots:
    void Response(uint code, const QVariantMap& results);

  private:
    QEventLoop* loop_ = nullptr;
    bool answered_ = false;
    uint code_ = 2;
    QVariantMap results_;
};
