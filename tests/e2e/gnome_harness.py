# SPDX-License-Identifier: MIT
"""A private, headless GNOME session: gnome-shell on a virtual monitor, pipewire and the
GNOME screenshot portal on buses of their own, run as an unprivileged user; input through
mutter's remote desktop and read-back through the shell's screenshots (see gnome/remote.py)."""
import os
import shutil
import time

from PIL import Image, ImageChops, ImageFilter

import wayland_harness
from e2e_common import wait_for

REMOTE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gnome", "remote.py")
PORTAL_GNOME = "/usr/libexec/xdg-desktop-portal-gnome"
BUTTON_LEFT = 0x110  # evdev's BTN_LEFT
KEYSYMS = {"Escape": 0xff1b, "Return": 0xff0d, "Left": 0xff51, "Up": 0xff52, "Right": 0xff53,
           "Down": 0xff54, "F5": 0xffc2}
# The shell's own settings: no animations (a screen is steady as soon as it is drawn).
SETTINGS = "[org/gnome/desktop/interface]\nenable-animations=false\n"


def missing_parts():
    """What this machine lacks for the session; empty when it can run."""
    wanted = ["gnome-shell", "dbus-daemon", "dbus-update-activation-environment", "pipewire",
              "gdbus", "setpriv", wayland_harness.PORTAL, PORTAL_GNOME,
              "/usr/lib/python3/dist-packages/dbus", "/usr/lib/python3/dist-packages/gi"]
    return [w for w in wanted if not (shutil.which(w) or os.path.exists(w))]


class Session(wayland_harness.Session):
    """gnome-shell on a virtual monitor of width x height, its overview closed."""
    DESKTOP = "GNOME"

    def _start(self):
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = f"unix:path={self.runtime}/system_bus"
        self.env["XDG_SESSION_TYPE"] = "wayland"
        # The shell reads its settings from a key file; it tells once that the screen cannot
        # be locked without GDM, unless it has told already.
        self.env["GSETTINGS_BACKEND"] = "keyfile"
        for path, text in ((".config/glib-2.0/settings/keyfile", SETTINGS),
                           (".local/share/gnome-shell/lock-warning-shown", "")):
            self.write_home_file(path, text)
        self.start_bus()
        self.start_bus("system")
        self.start_pipewire()
        self.shell = self.spawn(["gnome-shell", "--wayland", "--headless", "--no-x11",
                                 "--virtual-monitor", "%dx%d" % self.size], name="gnome-shell")
        wait_for(lambda: self.has_name("org.gnome.Shell.Screenshot") or self.shell.poll(), 30,
                 "gnome-shell")
        if self.shell.poll() is not None:
            raise AssertionError("gnome-shell ended: " + "".join(self.shell.lines[-9:]))
        self.env["WAYLAND_DISPLAY"] = "wayland-0"
        self.remote = self.spawn(["/usr/bin/python3", REMOTE], name="remote")
        wait_for(lambda: "ready\n" in self.remote.lines or self.remote.poll() is not None,
                 what="the remote desktop")
        if self.remote.poll() is not None:
            raise AssertionError("the remote desktop ended: " + "".join(self.remote.lines))
        self.answers = 0
        self.keys("Escape")  # the overview the shell starts with
        # What the bus starts on demand sees the display.
        self.run(["dbus-update-activation-environment", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP",
                  "XDG_SESSION_TYPE", "XDG_RUNTIME_DIR"])
        self.start_portal()

    def _remove_portal_picture(self):
        pass  # the wlr portal's, which may be a sway session's running beside this one

    def write_home_file(self, path, text):
        full = os.path.join(self.home, path)
        folder = self.home
        for part in os.path.dirname(path).split("/"):
            folder = os.path.join(folder, part)
            os.makedirs(folder, exist_ok=True)
            os.chown(folder, self.uid, self.gid)
        with open(full, "w") as f:
            f.write(text)
        os.chown(full, self.uid, self.gid)

    def has_name(self, name):
        r = self.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                      "--object-path", "/org/freedesktop/DBus", "--method",
                      "org.freedesktop.DBus.NameHasOwner", name], check=False, capture=True)
        return "true" in r.stdout

    def start_portal(self):
        self.stop_portal()
        self.portal_processes = [self.spawn([PORTAL_GNOME], name="xdpgnome"),
                                 self.spawn([wayland_harness.PORTAL, "-r"], name="xdp")]
        wait_for(lambda: "org.freedesktop.portal.Screenshot" in self.portal_interfaces(),
                 timeout=20, what="the Screenshot portal")

    # What a test does on the session.

    def _send(self, line):
        self.remote.stdin.write(line + "\n")
        self.remote.stdin.flush()
        self.answers += 1
        wait_for(lambda: sum(l.startswith(("ok", "error")) for l in self.remote.lines) >=
                 self.answers, what="the remote desktop")
        answer = [l for l in self.remote.lines if l.startswith(("ok", "error"))][-1]
        if answer != "ok\n":
            raise AssertionError(f"{line}: {answer}")

    def screenshot(self, name="shot.png"):
        """The screen as the shell shows it, without the pointer."""
        path = os.path.join(self.shots, name)
        self._send(f"shot {path}")
        with Image.open(path) as shot:
            return shot.convert("RGB")

    def keys(self, *names):
        """Each key pressed and released in turn."""
        for name in names:
            for down in (1, 0):
                self._send(f"key {KEYSYMS[name]} {down}")
            time.sleep(0.05)

    def move(self, x, y):
        self._send(f"move {x} {y}")
        time.sleep(0.05)

    def down(self):
        self._send(f"button {BUTTON_LEFT} 1")

    def up(self):
        self._send(f"button {BUTTON_LEFT} 0")
        time.sleep(0.05)

    def click(self, x, y):
        self.move(x, y)
        self.down()
        self.up()

    def answer_screenshot_question(self, timeout=8):
        """The portal's one question, "Allow Applications to Take Screenshots?", answered by
        a click on Allow: the one block of the theme's button grey (Deny, which has the
        focus, is tinted)."""
        def allow():
            shot = self.screenshot("question.png")
            r, g, b = (band.point(lambda v: 255 if v == 82 else 0) for band in shot.split())
            mask = ImageChops.darker(ImageChops.darker(r, g), b)
            box = mask.filter(ImageFilter.MinFilter(5)).getbbox()
            return box if box and box[2] - box[0] > 100 and box[3] - box[1] > 20 else None
        left, top, right, bottom = wait_for(allow, timeout, "the portal's question")
        self.click((left + right) // 2, (top + bottom) // 2)
