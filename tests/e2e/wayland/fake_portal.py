#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""A screenshot portal that answers as its script file says, for the Wayland tests.

Usage: fake_portal.py SCRIPT FOLDER [--registry]

Each call takes the first line of SCRIPT (the last line stays for every later call):
  grim [SECONDS]  after SECONDS, the screen as grim reads it
  root DISPLAY    the root window of the X display DISPLAY (a nested compositor's output)
  small           a picture smaller than the screen
  nouri           success without a uri
  missing         a uri to a file that is not there
  text            a uri to a file that is not a picture
  silent          no answer at all
  code N          the response code N and no results
Each call prints "call N focused=APP_ID", APP_ID being the focused window's when it came;
an answer after a wait prints "answer N title=TITLE", the focused window's title then.
--registry offers the host application registry: each Register prints "register APP_ID",
and a call then ends in " app=APP_ID", the id registered on the caller's connection. As the
portal's own, a connection registers once, and before its first call.
"""
import json
import os
import subprocess
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

SCRIPT, FOLDER = sys.argv[1], sys.argv[2]
REGISTRY = "--registry" in sys.argv[3:]
PATH = "/org/freedesktop/portal/desktop"
apps = {}  # caller -> the app id it registered
callers = set()


def focused_app(*keys):
    keys = keys or ("app_id", "name")

    def walk(node):
        if node.get("focused"):
            return next((node[k] for k in keys if node.get(k)), None)
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            found = walk(child)
            if found:
                return found
        return None
    if not os.environ.get("SWAYSOCK"):
        return None  # another compositor
    tree = subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, text=True).stdout
    return walk(json.loads(tree)) if tree else None


def save_root(name, picture):
    from PIL import Image
    from Xlib import X, display

    x = display.Display(name)
    try:
        geometry = x.screen().root.get_geometry()
        size = (geometry.width, geometry.height)
        raw = x.screen().root.get_image(0, 0, *size, X.ZPixmap, 0xFFFFFFFF)
        Image.frombytes("RGB", size, raw.data, "raw", "BGRX").save(picture)
    finally:
        x.close()


def next_step():
    with open(SCRIPT) as f:
        lines = [line.strip() for line in f if line.strip()]
    if len(lines) > 1:
        with open(SCRIPT, "w") as f:
            f.write("\n".join(lines[1:]) + "\n")
    return lines[0].split()


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Portal(dbus.service.Object):
    calls = 0

    @dbus.service.method("org.freedesktop.portal.Screenshot", in_signature="sa{sv}",
                         out_signature="o", sender_keyword="sender")
    def Screenshot(self, parent_window, options, sender):
        Portal.calls += 1
        callers.add(sender)
        app = f" app={apps.get(sender, '')}" if REGISTRY else ""
        print(f"call {Portal.calls} focused={focused_app()}{app}", flush=True)
        token = str(options.get("handle_token", f"t{Portal.calls}"))
        handle = f"{PATH}/request/{sender[1:].replace('.', '_')}/{token}"
        step = next_step()
        delay = float(step[1]) if step[0] == "grim" and len(step) > 1 else 0
        GLib.timeout_add(int(delay * 1000) + 50, self.answer, handle, step, Portal.calls)
        return dbus.ObjectPath(handle)

    def answer(self, handle, step, number):
        if len(step) > 1 and step[0] == "grim":
            print(f"answer {number} title={focused_app('name')}", flush=True)
        kind, picture = step[0], os.path.join(FOLDER, f"shot{number}.png")
        code, results = 0, {}
        if kind == "grim":
            subprocess.run(["grim", picture], check=True)
        elif kind == "root":
            save_root(step[1], picture)
        elif kind == "small":
            subprocess.run(["grim", "-g", "0,0 100x80", picture], check=True)
        elif kind == "text":
            with open(picture, "w") as f:
                f.write("not a picture\n")
        elif kind == "missing":
            picture = os.path.join(FOLDER, "missing.png")
        elif kind == "silent":
            return False
        elif kind == "code":
            code = int(step[1])
        if kind in ("grim", "root", "small", "text", "missing"):
            results["uri"] = dbus.String("file://" + picture, variant_level=1)
        request = Request(self.connection, handle)
        request.Response(dbus.UInt32(code), dbus.Dictionary(results, signature="sv"))
        request.remove_from_connection()
        return False


class RegistryPortal(Portal):
    @dbus.service.method("org.freedesktop.host.portal.Registry", in_signature="sa{sv}",
                         out_signature="", sender_keyword="sender")
    def Register(self, app_id, options, sender):
        if sender in apps or sender in callers:
            raise dbus.exceptions.DBusException("registered too late or twice",
                                                name="org.freedesktop.portal.Error.Failed")
        apps[sender] = str(app_id)
        print(f"register {app_id}", flush=True)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    (RegistryPortal if REGISTRY else Portal)(bus, PATH)
    print("ready", flush=True)
    loop = GLib.MainLoop()
    loop.run()
    del name


if __name__ == "__main__":
    main()
