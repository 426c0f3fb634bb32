# SPDX-License-Identifier: MIT
"""Runs the Windows build under Wine on a private Xvfb display.

Wine differs from Windows in ways the tests allow for:
- With no window manager on the display, Wine hands the keyboard to a window of its own
  only when the program starts or the window is clicked: after the main window hides and
  shows again (a skin switch), X's focus alone does not bring the keys back, as Wine waits
  for the window manager's word. The tests click the window's body first, as a user would.
- Without Wine's own fonts, Wine draws dialog texts in a fallback font wider than
  Windows' dialog font; the dialogs' labels grow to the right to keep their texts whole.
- The registry is Wine's, kept in the prefix's .reg files by the Wine server; the tests
  read and write it with Wine's own reg and regedit.
"""
import os
import shutil
import subprocess
import tempfile

from e2e_common import stored_settings, wait_file
from harness import Desktop

WIN_BIN = os.environ.get("TARVIK_WIN_BIN", "../../build-win/bin")
SETTINGS_KEY = "HKCU\\Software\\Mobrin_Tarvik"


def windows_path(path):
    """The name Wine gives a Unix path: the root is drive Z."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineDesktop(Desktop):
    """An Xvfb display with a fresh Wine prefix and a copy of the program folder."""

    def __init__(self):
        super().__init__()
        self.prefix = tempfile.mkdtemp(prefix="tarvik-wine-")
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d")
        self.program = tempfile.mkdtemp(prefix="tarvik-program-")
        shutil.copy(os.path.join(WIN_BIN, "tarvik.exe"), self.program)
        shutil.copy(os.path.join(WIN_BIN, "readme.htm"), self.program)
        shutil.copytree(os.path.join(WIN_BIN, "skins"), os.path.join(self.program, "skins"))
        self.captured = os.path.join(self.program, "captured")
        subprocess.run(["wineboot", "-i"], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)

    def close(self):
        # The Wine server goes before the display it draws on.
        self.stop_all()
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        super().close()
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.rmtree(self.program, ignore_errors=True)

    def wine(self, *args, **kwargs):
        return subprocess.run(["wine", *args], env=self.env, capture_output=True, text=True,
                              errors="replace", timeout=60, **kwargs)

    def start_tarvik(self):
        return self.start("wine", os.path.join(self.program, "tarvik.exe"))

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window.id)

    def activate(self, x, y):
        """Clicks a point of a window that runs no command, which gives it the keyboard."""
        # Not --sync: the pointer may already be there, and then no motion would come.
        self.xdotool("mousemove", x, y, "click", 1)

    def registry(self):
        """The stored settings as {name: (type, text)}, from Wine's reg."""
        out = self.wine("reg", "query", SETTINGS_KEY).stdout
        values = {}
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) == 3:
                values[parts[0]] = (parts[1], parts[2])
        return values

    def forget(self):
        """Ends the programs still running and removes what earlier runs left: the stored
        settings and the pictures."""
        self.stop_all()
        self.wine("reg", "delete", SETTINGS_KEY, "/f")
        shutil.rmtree(self.captured, ignore_errors=True)

    def store_settings(self, skin="Default", quality=100, path=".\\captured"):
        """Writes the six settings, as an earlier run would have left them."""
        reg = os.path.join(self.prefix, "tarvik-settings.reg")
        with open(reg, "w", encoding="ascii", newline="\r\n") as f:
            f.write(stored_settings(skin, quality, path, regedit=True))
        self.wine("regedit", "/S", windows_path(reg), check=True)

    def wait_message_box(self, timeout=60.0):
        # A fresh prefix loads its libraries at the first start: give it time.
        return super().wait_message_box(timeout)

    def wait_file(self, path, timeout=30.0):
        # The program writes under a temporary name and renames: the name appears complete.
        return wait_file(path, timeout)
