# SPDX-License-Identifier: MIT
"""A notification service on the session bus that prints each Notify call as a JSON line
and, a moment later, answers it as a user would: it invokes the notification's action named
on the command line."""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, action):
        super().__init__(bus, PATH)
        self.action = action
        self.last_id = 0

    @dbus.service.method(NAME, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body", "body-markup"]

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last_id += 1
        print(json.dumps({"app": str(app), "summary": str(summary), "body": str(body),
                          "actions": [str(a) for a in actions]}), flush=True)
        sent = self.last_id

        def click():
            self.ActionInvoked(sent, self.action)
            return False
        GLib.timeout_add(300, click)
        return sent

    @dbus.service.method(NAME, in_signature="u")
    def CloseNotification(self, sent):
        self.NotificationClosed(sent, 3)

    @dbus.service.method(NAME, out_signature="ssss")
    def GetServerInformation(self):
        return ("fake", "tarvik tests", "1", "1.2")

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, sent, action):
        pass

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, sent, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus)
    service = Notifications(bus, sys.argv[1] if len(sys.argv) > 1 else "open-folder")
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
