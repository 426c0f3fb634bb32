#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Input and read-back on a GNOME session, for its tests: one remote-desktop session of
mutter with a screen cast of the monitor (absolute motion is given in a stream's pixels), and
the shell's screenshots, which it answers only to a few names: this client owns one of them.

Reads commands on its input, one a line, and answers each with "ok" (or "error TEXT"):
  move X Y            the pointer to (X, Y) in the monitor's pixels
  button B DOWN       the evdev button B (272 the left one) pressed (1) or released (0)
  key KEYSYM DOWN     the key of the X keysym KEYSYM (a number) pressed or released
  shot PATH           the screen without the pointer, as a PNG
Prints "ready" once the session has started.
"""
import sys

import dbus

MUTTER = "org.gnome.Mutter"


def main():
    bus = dbus.SessionBus()
    bus.request_name("org.gnome.Screenshot")
    shell = dbus.Interface(bus.get_object("org.gnome.Shell.Screenshot",
                                          "/org/gnome/Shell/Screenshot"),
                           "org.gnome.Shell.Screenshot")
    desktop = dbus.Interface(bus.get_object(f"{MUTTER}.RemoteDesktop",
                                            f"/{MUTTER.replace('.', '/')}/RemoteDesktop"),
                             f"{MUTTER}.RemoteDesktop")
    path = desktop.CreateSession()
    remote = bus.get_object(f"{MUTTER}.RemoteDesktop", path)
    session_id = remote.Get(f"{MUTTER}.RemoteDesktop.Session", "SessionId",
                            dbus_interface="org.freedesktop.DBus.Properties")
    cast = dbus.Interface(bus.get_object(f"{MUTTER}.ScreenCast",
                                         f"/{MUTTER.replace('.', '/')}/ScreenCast"),
                          f"{MUTTER}.ScreenCast")
    cast_session = dbus.Interface(
        bus.get_object(f"{MUTTER}.ScreenCast",
                       cast.CreateSession({"remote-desktop-session-id": session_id})),
        f"{MUTTER}.ScreenCast.Session")
    stream = cast_session.RecordMonitor("", {})  # the primary monitor
    remote = dbus.Interface(remote, f"{MUTTER}.RemoteDesktop.Session")
    remote.Start()
    print("ready", flush=True)

    for line in sys.stdin:
        word, *args = line.split()
        try:
            if word == "move":
                remote.NotifyPointerMotionAbsolute(stream, float(args[0]), float(args[1]))
            elif word == "button":
                remote.NotifyPointerButton(int(args[0]), args[1] == "1")
            elif word == "key":
                remote.NotifyKeyboardKeysym(int(args[0]), args[1] == "1")
            elif word == "shot":
                done, _ = shell.Screenshot(False, False, args[0])
                if not done:
                    raise RuntimeError("the shell took no screenshot")
            else:
                raise RuntimeError(f"unknown command {word}")
            print("ok", flush=True)
        except (dbus.DBusException, RuntimeError, IndexError, ValueError) as e:
            print(f"error {e}".replace("\n", " "), flush=True)


if __name__ == "__main__":
    main()
