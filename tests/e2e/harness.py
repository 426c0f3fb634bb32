# SPDX-License-Identifier: MIT
"""Runs the real program on a private Xvfb display and looks at it as a user would."""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile

from Xlib import X, display as xdisplay
from Xlib.xobject.drawable import Window
from Xlib.ext import shape

from e2e_common import (BIN, read_settings_file, release, start_process, stop, wait_for,
                        write_settings_file)

SHAPE_DUMP = os.environ.get("TARVIK_SHAPE_DUMP", "../../build/bin/tarvik_shape_dump")
BUILD_DIR = os.environ.get("TARVIK_BUILD_DIR", "../../build")
SCREEN = (1024, 768)
# Where Quick Save writes by default: beside the program.
CAPTURED = os.path.join(os.path.dirname(os.path.abspath(BIN)), "captured")
HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = sys.executable


class Desktop:
    """An Xvfb server on a free display, with a fresh settings folder."""

    def __init__(self, size=SCREEN):
        self.size = size
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{size[0]}x{size[1]}x24",
             "-nolisten", "tcp", "-dpi", "96"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        self.name = f":{number}"
        self.config = tempfile.mkdtemp(prefix="tarvik-e2e-")
        self.env = dict(os.environ, DISPLAY=self.name, XDG_CONFIG_HOME=self.config,
                        XDG_RUNTIME_DIR=self.config)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.x = xdisplay.Display(self.name)
        self.processes = []

    def stop_all(self):
        """Kills the programs started on this display."""
        for p in self.processes:
            stop(p, signal.SIGKILL)

    def close(self):
        self.stop_all()
        for p in self.processes:
            release(p)
        self.x.close()
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.config, ignore_errors=True)

    def start(self, *args):
        """Starts a program on this display; its output lines collect in p.lines."""
        p = start_process(list(args), env=self.env)
        self.processes.append(p)
        return p

    def start_tarvik(self):
        return self.start(BIN)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y, "click", button)

    def windows(self, name="Tarvik"):
        """Mapped top-level windows with this name (any name for None), as
        (window, x, y, width, height)."""
        found = []
        for w in self.x.screen().root.query_tree().children:
            try:
                if name is not None and w.get_wm_name() != name:
                    continue
                if w.get_attributes().map_state != X.IsViewable:
                    continue
                g = w.get_geometry()
                found.append((w, g.x, g.y, g.width, g.height))
            except Exception:  # the window went away while we looked
                continue
        return found

    def has_keyboard(self, window):
        """Whether the keyboard's focus is on this window or inside it."""
        focus = self.x.get_input_focus().focus
        root = self.x.screen().root
        while isinstance(focus, Window) and focus.id not in (root.id, window.id):
            try:
                focus = focus.query_tree().parent
            except Exception:  # the window went away while we looked
                return False
        return isinstance(focus, Window) and focus.id == window.id

    def wait_window(self, width, height, timeout=15.0):
        def find():
            for found in self.windows():
                if found[3:] == (width, height):
                    return found
            return None
        return wait_for(find, timeout, f"a {width}x{height} Tarvik window")

    def wait_message_box(self, timeout=15.0):
        def find():
            for found in self.windows():
                if found[3] < 600 and found[4] < 300 and found[3:] != (1, 1):
                    return found
            return None
        return wait_for(find, timeout, "a message box")

    def answer_message_box(self):
        w, x, y, width, height = self.wait_message_box()
        self.xdotool("mousemove", "--sync", x + width // 2, y + height // 2)
        self.xdotool("key", "Return")
        wait_for(lambda: not any(f[0].id == w.id for f in self.windows()), 10, "the box to close")

    def start_session_bus(self):
        """A private session bus for the programs started after it."""
        bus = self.start("dbus-daemon", "--session", "--nofork", "--nopidfile",
                         "--print-address=1")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = wait_for(lambda: bus.lines, 10, "the bus")[0].strip()

    def listen_accessibility(self):
        """A private session bus, so that message texts can be read through AT-SPI; before
        the program starts."""
        self.start_session_bus()
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    def message_text(self, timeout=30.0):
        """The text of the open message box, line breaks as "\\n"."""
        def read():
            run = subprocess.run([PYTHON, os.path.join(HERE, "atspi_labels.py")], env=self.env,
                                 capture_output=True, text=True, timeout=60)
            labels = [l for l in json.loads(run.stdout or "[]") if l]
            return run.returncode == 0 and labels and labels[0]
        self.wait_message_box()
        return wait_for(read, timeout, "the message's text")

    def wait_menu(self, timeout=5.0, what="the context menu"):
        """The menu open over the built-in skin's window, as (window, x, y, width, height)."""
        return wait_for(lambda: [w for w in self.windows(None)
                                 if w[4] > 100 and w[3:] != (193, 448)], timeout, what)[0]

    def open_options(self, x, y, timeout=5.0):
        """Opens the options dialog through the context menu of the built-in skin's window
        at (x, y), its fifth entry; the dialog's (window, x, y, width, height)."""
        self.click(x + 20, y + 330, button=3)
        self.wait_menu(timeout)
        for key in ["Down"] * 4 + ["Return"]:
            self.xdotool("key", key)
        return wait_for(lambda: self.windows("Tarvik Options"), timeout, "the options dialog")[0]

    def shape_pixels(self, window):
        reply = window.shape_get_rectangles(shape.SK.Bounding)
        return rects_to_pixels((r.x, r.y, r.width, r.height) for r in reply.rectangles)

    def settings_text(self):
        return read_settings_file(self.config)

    def write_settings(self, text):
        write_settings_file(self.config, text)


def pattern_pixel(x, y):
    """The test desktop: smooth ramps that survive JPEG coding."""
    return (x % 256, y % 256, (x // 4 + y // 4) % 256)


def set_pattern_background(desktop):
    """Paints the root window with the pattern, pixel for pixel."""
    screen = desktop.x.screen()
    root = screen.root
    width, height = desktop.size
    pixmap = root.create_pixmap(width, height, screen.root_depth)
    gc = pixmap.create_gc()
    rows_per_put = 32
    for top in range(0, height, rows_per_put):
        rows = min(rows_per_put, height - top)
        data = bytearray()
        for y in range(top, top + rows):
            for x in range(width):
                r, g, b = pattern_pixel(x, y)
                data += bytes((b, g, r, 0))
        pixmap.put_image(gc, 0, top, width, rows, X.ZPixmap, 24, 0, bytes(data))
    root.change_attributes(background_pixmap=pixmap)
    root.clear_area(0, 0, width, height)
    desktop.x.sync()


def rects_to_pixels(rects):
    pixels = set()
    for x, y, w, h in rects:
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                pixels.add((xx, yy))
    return pixels


def expected_shape(picture, shot):
    out = subprocess.run([SHAPE_DUMP, picture, shot], check=True, capture_output=True,
                         text=True).stdout
    return rects_to_pixels(tuple(map(int, line.split())) for line in out.splitlines())

