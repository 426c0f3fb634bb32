# SPDX-License-Identifier: MIT
import json
import os
import shutil
import subprocess
import sys
import time
import unittest

from PIL import Image

from e2e_common import fresh_folder, stored_settings, terminate, wait_file, wait_for
from harness import CAPTURED, SCREEN, Desktop, pattern_pixel, set_pattern_background


def assert_shows_pattern(test, path, left, top, width, height):
    """The picture holds the desktop pattern from (left, top), within JPEG's tolerance."""
    with Image.open(path) as picture:
        test.assertEqual(picture.size, (width, height))
        rgb = picture.convert("RGB")
        worst = 0
        for y in range(0, height, 3):
            for x in range(0, width, 3):
                got = rgb.getpixel((x, y))
                want = pattern_pixel(left + x, top + y)
                worst = max(worst, max(abs(a - b) for a, b in zip(got, want)))
        test.assertLessEqual(worst, 12, f"{path} differs from the screen by {worst}")



def close_with_escape(d, title):
    """Escape until the dialog is gone: a dialog just mapped (slow under the sanitizers) may
    not have the keyboard yet."""
    for _ in range(10):
        d.xdotool("key", "Escape")
        try:
            return wait_for(lambda: not d.windows(title), 1, "the dialog to close")
        except AssertionError:
            pass
    raise AssertionError("the dialog did not close")

class Interaction(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop()
        set_pattern_background(self.desktop)
        self.pictures = fresh_folder(self)

    def tearDown(self):
        self.desktop.close()

    def start(self, **settings):
        self.desktop.write_settings(stored_settings(**settings))
        self.tarvik = self.desktop.start_tarvik()
        return self.desktop.wait_window(193, 448)

    def position(self):
        _, x, y, _, _ = self.desktop.wait_window(193, 448)
        return x, y

    def test_quick_save_and_the_taller_capture_area_write_what_the_hole_shows(self):
        shutil.rmtree(CAPTURED, ignore_errors=True)
        self.addCleanup(shutil.rmtree, CAPTURED, True)
        d = self.desktop
        _, x, y, _, _ = self.start()
        d.click(x + 46, y + 261)  # the left soft key
        first = wait_file(os.path.join(CAPTURED, "tarvik_output1.jpg"))
        assert_shows_pattern(self, first, x + 33, y + 88, 128, 127)

        d.click(x + 97, y + 51)  # the name strip toggles the taller area
        d.click(x + 46, y + 261)
        second = wait_file(os.path.join(CAPTURED, "tarvik_output2.jpg"))
        assert_shows_pattern(self, second, x + 33, y + 74, 128, 159)
        self.assertEqual(sorted(os.listdir(CAPTURED)), ["tarvik_output1.jpg", "tarvik_output2.jpg"])
        self.assertEqual(terminate(self.tarvik), 0)

    def test_quick_save_tells_the_file_and_folder_beside_the_phone_and_on_the_desktop(self):
        shutil.rmtree(CAPTURED, ignore_errors=True)
        self.addCleanup(shutil.rmtree, CAPTURED, True)
        d = self.desktop
        # A private session bus, at first with no notification service on it, and a
        # stand-in for the desktop's opener.
        d.start_session_bus()
        opened = os.path.join(self.pictures, "opened")
        opener = os.path.join(self.pictures, "xdg-open")
        with open(opener, "w") as f:
            f.write(f'#!/bin/sh\necho "$@" >> {opened}\n')
        os.chmod(opener, 0o755)
        d.env["PATH"] = self.pictures + os.pathsep + d.env["PATH"]
        _, x, y, _, _ = self.start()

        def notices():
            found = []
            for w in d.windows(None):
                try:
                    name = w[0].get_wm_name() or ""
                except Exception:  # the window went away while we looked
                    continue
                if name.startswith("Saved "):
                    found.append((name, *w))
            return found

        for n in (1, 2):
            if n == 2:
                service = d.start(sys.executable, "fake_notifications.py")
                wait_for(lambda: "ready\n" in service.lines, 10, "the notification service")
            d.click(x + 44 + n, y + 261)  # the pointer moves each time: --sync waits for it
            name = f"tarvik_output{n}.jpg"
            wait_file(os.path.join(CAPTURED, name))
            # Right of the phone, level with it, without the keyboard; gone after a moment.
            title, notice, nx, ny, width, height = wait_for(notices, 5, "the save notice")[0]
            self.assertEqual(title, f"Saved {name} in {CAPTURED}")
            self.assertGreater(nx, x + 193)
            self.assertTrue(y < ny < y + 448 - height)
            self.assertNotEqual(d.x.get_input_focus().focus.id, notice.id)
            wait_for(lambda: not notices(), 10, "the save notice to go")
        self.assertEqual(self.tarvik.lines, [])  # no bus service was no error

        sent = json.loads(wait_for(lambda: service.lines[1:], 10, "a notification")[0])
        self.assertEqual((sent["summary"], sent["body"]), ("Saved tarvik_output2.jpg", CAPTURED))
        self.assertIn("open-folder", sent["actions"])
        # The service invokes the action: the folder opens.
        wait_for(lambda: os.path.exists(opened), 10, "the folder to open")
        with open(opened) as f:
            self.assertIn(CAPTURED, f.read())
        self.assertEqual(len(service.lines), 2)  # one notification, for the second save

    def test_drag_and_arrow_keys_move_the_window_by_exact_pixels(self):
        d = self.desktop
        _, x, y, _, _ = self.start(path=self.pictures)
        d.xdotool("mousemove", "--sync", x + 20, y + 330, "mousedown", 1)
        for step in range(1, 21):
            d.xdotool("mousemove", "--sync", x + 20 + 5 * step, y + 330 + 3 * step)
            time.sleep(0.05)
        d.xdotool("mouseup", 1)
        wait_for(lambda: self.position() == (x + 100, y + 60), 5, "the window to follow")
        self.assertEqual(os.listdir(self.pictures), [])  # no command ran

        x, y = x + 100, y + 60
        for _ in range(3):
            d.xdotool("key", "Right")
        wait_for(lambda: self.position() == (x + 3, y), 5, "three pixels to the right")
        d.xdotool("key", "Up")
        wait_for(lambda: self.position() == (x + 3, y - 1), 5, "one pixel up")
        # The number pad's arrows with NumLock off do the same.
        d.xdotool("key", "KP_Left", "key", "KP_Left", "key", "KP_Down", "key", "KP_Up",
                  "key", "KP_Up", "key", "KP_Right")
        wait_for(lambda: self.position() == (x + 2, y - 2), 5, "the number pad's moves")

    def test_a_quick_drag_moves_the_window_exactly_as_far_as_the_pointer(self):
        d = self.desktop
        _, x, y, _, _ = self.start(path=self.pictures)

        def settled():
            """The window's place once it has stayed put for a moment."""
            last, since = self.position(), time.monotonic()
            while time.monotonic() - since < 0.15:
                time.sleep(0.03)
                now = self.position()
                if now != last:
                    last, since = now, time.monotonic()
            return last

        # Each drag is one xdotool call, so its moves reach the program faster than the
        # window follows them.
        for n in range(12):
            sign = 1 if n % 2 == 0 else -1
            steps = 2 + n % 3
            dx, dy = sign * 120, sign * 60
            px, py = x + 20, y + 330
            moves = []
            for step in range(1, steps + 1):
                moves += ["mousemove", px + dx * step // steps, py + dy * step // steps]
            # No --sync: after a right drag the pointer is already there, and --sync would
            # wait for a move that never comes.
            d.xdotool("mousemove", px, py, "mousedown", 1, *moves, "mouseup", 1)
            x, y = x + dx, y + dy
            self.assertEqual(settled(), (x, y), f"drag {n + 1} in {steps} moves")
        self.assertEqual(os.listdir(self.pictures), [])  # no command ran

    def test_the_tip_shows_beside_the_pointer_and_goes_with_it_and_before_any_modal_window(self):
        d = self.desktop
        _, x, y, _, _ = self.start(path=self.pictures)
        d.xdotool("mousemove", "--sync", x + 40, y + 258)
        d.xdotool("mousemove", "--sync", x + 46, y + 261)
        # The tip follows each move, so wait for the one the last move shows.
        want = (x + 46 + 13, y + 261 + 13)

        def tip_beside_pointer():
            tips = d.windows("Tarvik tip")
            if tips and all(abs(got - w) <= 1 for got, w in zip(tips[0][1:3], want)):
                return tips[0]
            return None

        try:
            _, _, _, tw, th = wait_for(tip_beside_pointer, 5, "the tip beside the pointer")
        except AssertionError:
            self.fail(f"tips at {[t[1:3] for t in d.windows('Tarvik tip')]}, wanted {want}")
        self.assertGreater(tw, 100)
        self.assertGreater(th, 20)
        # The tip leaves the keyboard with the main window.
        d.xdotool("key", "Right")
        wait_for(lambda: self.position() == (x + 1, y), 5, "the window to take the key")
        x += 1
        # Away from the hot spots the tip goes.
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        wait_for(lambda: not d.windows("Tarvik tip"), 5, "the tip to hide")
        # Straight from a hot spot into the hole the pointer leaves the window: the tip goes.
        d.xdotool("mousemove", "--sync", x + 45, y + 261)
        wait_for(lambda: d.windows("Tarvik tip"), 5, "the tip")
        d.xdotool("mousemove", "--sync", x + 90, y + 150)
        wait_for(lambda: not d.windows("Tarvik tip"), 5, "the tip to go with the pointer")

        # A right click on a hot spot: no tip beside the menu, nor while Save As chosen from
        # it is open, nor after it closes. (Coming back in, the second move shows the tip.)
        d.xdotool("mousemove", "--sync", x + 45, y + 261, "mousemove", "--sync", x + 46, y + 261)
        wait_for(lambda: d.windows("Tarvik tip"), 5, "the tip")
        d.xdotool("click", 3)
        d.wait_menu()
        self.assertEqual(d.windows("Tarvik tip"), [])
        d.xdotool("key", "Down", "key", "Down", "key", "Return")
        wait_for(lambda: d.windows("Save As"), 10, "the Save As dialog")
        self.assertEqual(d.windows("Tarvik tip"), [])
        close_with_escape(d, "Save As")
        time.sleep(0.3)
        self.assertEqual(d.windows("Tarvik tip"), [])

    def test_shortcuts_and_the_hot_spots_as_buttons_for_assistive_technology(self):
        d = self.desktop
        d.listen_accessibility()
        _, x, y, _, _ = self.start(path=self.pictures)
        saved = lambda n: os.path.exists(os.path.join(self.pictures, f"tarvik_output{n}.jpg"))
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        d.xdotool("key", "ctrl+s")
        wait_for(lambda: saved(1), 10, "Ctrl+S to Quick Save")
        d.xdotool("key", "ctrl+shift+s")
        wait_for(lambda: d.windows("Save As"), 10, "Ctrl+Shift+S to open Save As")
        close_with_escape(d, "Save As")
        # The Menu key and Shift+F10 open the menu at the middle of the phone's display.
        for key in ("Menu", "shift+F10"):
            d.xdotool("key", key)
            menu = d.wait_menu(what=f"{key} to open the menu")
            self.assertEqual(menu[1:3], (x + 97, y + 151))
            d.xdotool("key", "Escape")
            wait_for(lambda: len(d.windows(None)) == 1, 5, "the menu to close")

        # Through AT-SPI: the four hot spots as buttons with their tips; pressing Quick Save
        # through it saves.
        def buttons():
            run = subprocess.run([sys.executable, "atspi_buttons.py", "Quick Save"], env=d.env,
                                 capture_output=True, text=True, timeout=60)
            return run.returncode == 0 and [json.loads(line) for line in run.stdout.splitlines()]
        found = {b["name"]: b for b in wait_for(buttons, 30, "Tarvik on the accessibility bus")}
        self.assertEqual(sorted(found), ["Close", "Quick Save", "Save As", "Toggle Capture Mode"])
        self.assertEqual(found["Quick Save"]["description"],
                         "Alternative: right click\nAuto-name and save to default folder:\n"
                         + self.pictures)
        self.assertEqual(found["Close"]["extents"], [x + 149, y + 22, 17, 17])
        self.assertTrue(all(b["actions"] == ["Press"] for b in found.values()))
        wait_for(lambda: saved(2), 10, "Quick Save pressed through AT-SPI")

    def test_page_keys_and_digits_switch_skins_and_the_number_pads_digits_do_not(self):
        d = self.desktop
        _, x, y, _, _ = self.start(path=self.pictures)
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        d.xdotool("key", "Next")
        d.wait_window(228, 470)  # Aqua.inf, the first sample skin
        d.xdotool("mousemove", "--sync", SCREEN[0] // 2, SCREEN[1] // 2)
        d.xdotool("key", "0")
        _, x, y, _, _ = d.wait_window(193, 448)
        # The number pad's page keys with NumLock off step through the skins too.
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        d.xdotool("key", "KP_Prior")  # back from the built-in skin to the last sample skin
        # Tablet.inf, larger than this screen: its corner at the screen's corner.
        self.assertEqual(d.wait_window(1110, 814)[1:3], (0, 0))
        x, y = 0, 0
        d.xdotool("mousemove", "--sync", x + 10, y + 200)
        d.xdotool("key", "KP_Next")
        _, x, y, _, _ = d.wait_window(193, 448)
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        d.xdotool("key", "KP_1", "key", "KP_2")
        time.sleep(0.5)
        self.assertEqual([w[3:] for w in d.windows() if w[3:] != (1, 1)], [(193, 448)])

    def test_settings_changed_in_the_dialog_are_stored_at_close(self):
        d = self.desktop
        _, x, y, _, _ = self.start(path=self.pictures)
        _, dx, dy, dw, dh = d.open_options(x, y)
        self.assertEqual((dw, dh), (489, 254))
        d.click(dx + 60, dy + 45)  # the slider's groove, left of the handle: one page down
        d.click(dx + 112 + 36, dy + 216 + 12)  # OK
        wait_for(lambda: not d.windows("Tarvik Options"), 5, "the dialog to close")
        d.click(x + 157, y + 30)  # the close hot spot
        self.assertEqual(self.tarvik.wait(10), 0)
        self.assertIn('"JPEG Quality"=dword:95', d.settings_text())


if __name__ == "__main__":
    unittest.main()
