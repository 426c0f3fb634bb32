# SPDX-License-Identifier: MIT
"""The program on a headless GNOME session, which offers no layer shell: it frames on the
portal's screenshot by itself."""
import os
import signal
import unittest

from PIL import Image, ImageChops

import gnome_harness as gh
from e2e_common import read_settings_file, settings_file, stored_settings, wait_file, wait_for
from test_wayland import HOLE, OUTLINE, QUICK_SAVE, SKIN, pattern_image, worst_difference

CLOSE = (157, 30)


@unittest.skipIf(os.getuid() != 0, "the session is run as an unprivileged user: needs root")
class WaylandGnome(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = gh.missing_parts()
        if missing:
            raise unittest.SkipTest("not installed: " + ", ".join(missing))
        cls.session = gh.Session()
        try:
            cls.pattern = cls.session.spawn([gh.wayland_harness.PATTERN, "--full-screen"],
                                            name="pattern")
            wait_for(lambda: any(l.startswith("painted") for l in cls.pattern.lines),
                     what="the pattern window")
            cls.desktop = wait_for(cls.steady_screen, 10, "the pattern on the whole screen")
        except BaseException:
            cls.session.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    @classmethod
    def steady_screen(cls):
        """The screen when it is what the last read showed, else None."""
        now, cls.last = cls.session.screenshot(), getattr(cls, "last", None)
        steady = cls.last is not None and now.tobytes() == cls.last.tobytes()
        cls.last = now
        return now if steady else None

    def wait_phone_at(self, x, y, what, timeout=10):
        """The phone's outline drawn for the window at (x, y) on the frozen screen, and the
        rest of the screen as it was."""
        left, top, right, bottom = OUTLINE
        want = (x + left, y + top, x + right, y + bottom)
        box = [None]

        def placed():
            shot = self.steady_screen()
            box[0] = shot and ImageChops.difference(shot, self.desktop).getbbox()
            return box[0] == want
        try:
            wait_for(placed, timeout, what)
        except AssertionError:
            self.fail(f"{what}: the phone is at {box[0]}, not {want}")

    def saved(self, name, x, y, desktop):
        """The picture saved, against the desktop under the hole of the phone at (x, y)."""
        with Image.open(wait_file(os.path.join(self.session.out, name))) as picture:
            self.assertEqual((picture.format, picture.size), ("JPEG", HOLE[2:]))
            hx, hy = x + HOLE[0], y + HOLE[1]
            hole = desktop.crop((hx, hy, hx + HOLE[2], hy + HOLE[3]))
            self.assertLessEqual(worst_difference(picture, hole), 12)

    def test_frozen_phone_centred_dragged_nudged_saved_refreshed_and_closed(self):
        s = self.session
        tarvik = s.start_tarvik(stored_settings(path=s.out, prefix="gnome"))
        self.addCleanup(s.stop, tarvik)
        # The portal asks once; then the phone, centred, on the screen as it was.
        s.answer_screenshot_question()
        x, y = (s.size[0] - SKIN[0]) // 2, (s.size[1] - SKIN[1]) // 2
        self.wait_phone_at(x, y, "the phone centred", 15)
        hole = (x + HOLE[0], y + HOLE[1], x + HOLE[0] + HOLE[2], y + HOLE[1] + HOLE[3])
        self.assertEqual(worst_difference(self.last.crop(hole), self.desktop.crop(hole)), 0)

        # A drag moves it by exactly the pointer's way; arrow keys by one pixel.
        s.move(x + 20, y + 330)
        s.down()
        for step in range(1, 11):
            s.move(x + 20 + 10 * step, y + 330 + 5 * step)
        s.up()
        x, y = x + 100, y + 50
        self.wait_phone_at(x, y, "the phone to follow the drag")
        s.keys("Right", "Right", "Right", "Up")
        x, y = x + 3, y - 1
        self.wait_phone_at(x, y, "the phone to take the arrow keys")
        self.assertEqual(os.listdir(s.out), [])

        s.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        self.saved("gnome1.jpg", x, y, self.desktop)

        # The screen changes under the frozen one: F5 takes it in.
        self.pattern.send_signal(signal.SIGUSR1)
        wait_for(lambda: "painted 1\n" in self.pattern.lines, 5, "the changed pattern")
        s.keys("F5")
        self.desktop = pattern_image(0, 0, *s.size, 1)
        self.wait_phone_at(x, y, "the phone back where it was after F5")
        s.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        self.saved("gnome2.jpg", x, y, self.desktop)

        # The close hot spot ends the program, which stores its settings.
        os.remove(settings_file(s.env["XDG_CONFIG_HOME"]))
        s.click(x + CLOSE[0], y + CLOSE[1])
        self.assertEqual(tarvik.wait(10), 0, "".join(tarvik.lines[-40:]))
        stored = read_settings_file(s.env["XDG_CONFIG_HOME"])
        for value in ('"JPEG Quality"=dword:100', '"Auto-name Prefix"="gnome"',
                      f'"Auto-save Path"="{s.out}"'):
            self.assertIn(value, stored)


if __name__ == "__main__":
    unittest.main()
