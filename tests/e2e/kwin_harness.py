# SPDX-License-Identifier: MIT
"""A private KDE Wayland session: kwin_wayland nested in an Xvfb display, on a bus of its own,
run as an unprivileged user. KWin's window fills the display: the display's root shows KWin's
output, and the pointer moved and clicked there with xdotool is the session's pointer."""
import os
import shutil
import subprocess

from PIL import Image
from Xlib import X, display as xdisplay

import wayland_harness as wh
from e2e_common import start_process, wait_for

KWIN = "/usr/bin/kwin_wayland"
SOCKET = "wayland-kde"


def missing_parts():
    """What this machine lacks for the session; empty when it can run."""
    wanted = [KWIN, "Xvfb", "xdotool", "dbus-daemon", "setpriv",
              "/usr/lib/python3/dist-packages/dbus", "/usr/lib/python3/dist-packages/gi",
              "/usr/lib/python3/dist-packages/Xlib"]
    return [w for w in wanted if not (shutil.which(w) or os.path.exists(w))]


class Session(wh.Session):
    """KWin on an output of width x height, with no portal until a test starts the fake one."""

    def __init__(self, width=1024, height=768):
        super().__init__(width, height)

    def _remove_portal_picture(self):
        pass  # no portal of sway's here

    def _start(self):
        self.env.update(XDG_CURRENT_DESKTOP="KDE", XDG_SESSION_TYPE="wayland")
        read_fd, write_fd = os.pipe()
        xvfb = start_process(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                              f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp"],
                             pass_fds=[write_fd], start_new_session=True)
        xvfb.name = "Xvfb"
        self.processes.append(xvfb)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            self.display = ":" + f.readline().strip()
        self.x = xdisplay.Display(self.display)
        self.start_bus()
        # Debian's binary carries a file capability that a sandbox may refuse to execute.
        kwin = os.path.join(self.root, "kwin_wayland")
        shutil.copy(KWIN, kwin)
        self.kwin = self.spawn([kwin, "--x11-display", self.display, "--no-lockscreen",
                                "--width", str(self.size[0]), "--height", str(self.size[1]),
                                "--socket", SOCKET], name="kwin", DISPLAY=self.display)
        wait_for(lambda: os.path.exists(os.path.join(self.runtime, SOCKET)) or
                 self.kwin.poll() is not None, 20, "KWin's socket")
        if self.kwin.poll() is not None:
            raise AssertionError("KWin ended: " + "".join(self.kwin.lines[-9:]))
        self.env["WAYLAND_DISPLAY"] = SOCKET
        # The display's root is KWin's output once its window is mapped over all of it.
        wait_for(lambda: self.kwin_window(), 20, "KWin's window")

    def kwin_window(self):
        root = self.x.screen().root
        for child in root.query_tree().children:
            attributes = child.get_attributes()
            geometry = child.get_geometry()
            if attributes.map_state == X.IsViewable and (geometry.width, geometry.height) == \
                    self.size:
                return child
        return None

    def close(self):
        if getattr(self, "x", None):
            self.x.close()
        super().close()

    def screen(self):
        """The screen as KWin shows it."""
        raw = self.x.screen().root.get_image(0, 0, *self.size, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", self.size, raw.data, "raw", "BGRX")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], check=True, timeout=10,
                       env={"PATH": "/usr/bin:/bin", "DISPLAY": self.display})

    def move(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y, "click", button)
