// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IShell.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

// Opens files and addresses with the desktop's programs; notifies through the freedesktop
// notification service on the session bus.
class QtShell : public QObject, public IShell {
    Q_OBJECT
  public:
    void Open(const std::string& target) override;
    void Notify(const std::string& summary, const std::string& body,
                const std::string& folder) override;
    // A path, absolute or from the working folder, becomes a file URL of the path's bytes,
    // whatever their encoding; an address stays as it is.
    static QUrl UrlFor(const std::string& target);

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

  private:
    void Send(const QStringList& capabilities, const QString& summary, const QString& body,
              const std::string& folder);

    bool listening_ = false;
    QHash<uint, std::string> folders_; // the folder of each notification still shown
};
