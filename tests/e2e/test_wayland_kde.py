# SPDX-License-Identifier: MIT
"""The live phone on KDE's compositor: KWin nested in an Xvfb display, read back from the
display's root and driven with its pointer; captures through a stand-in screenshot portal."""
import os
import time
import unittest

from PIL import Image, ImageChops

import kwin_harness as kh
from e2e_common import stored_settings, terminate, wait_file, wait_for
from test_wayland import HOLE, OUTLINE, QUICK_SAVE, SKIN, pattern_image, worst_difference


@unittest.skipIf(os.getuid() != 0, "the session is run as an unprivileged user: needs root")
class KWin(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = kh.missing_parts()
        if missing:
            raise unittest.SkipTest("not installed: " + ", ".join(missing))
        cls.session = kh.Session()
        try:
            s = cls.session
            cls.pattern = s.spawn([kh.wh.PATTERN, "--full-screen"], name="pattern",
                                  QT_QPA_PLATFORM="wayland")
            wait_for(lambda: any(l.startswith("painted") for l in cls.pattern.lines),
                     what="the pattern window")
            cls.desktop = pattern_image(0, 0, *s.size, 0)
            wait_for(lambda: worst_difference(s.screen(), cls.desktop) == 0, 10,
                     "the pattern over all the screen")
            cls.portal = s.start_fake_portal(f"root {s.display}")
        except BaseException:
            cls.session.close()  # tearDownClass does not run after a failed setUpClass
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        for name in os.listdir(self.session.out):
            os.remove(os.path.join(self.session.out, name))

    def phone_box(self):
        """Where the phone is drawn, once two reads agree: the box of what differs from the
        pattern."""
        last = [None]

        def box():
            found = ImageChops.difference(self.session.screen(), self.desktop).getbbox()
            steady = found if found == last[0] else None
            last[0] = found
            return steady
        return wait_for(box, 10, "the phone on the screen")

    def wait_phone_at(self, x, y, what, timeout=5):
        left, top, right, bottom = OUTLINE
        want = (x + left, y + top, x + right, y + bottom)
        try:
            wait_for(lambda: self.phone_box() == want, timeout, what)
        except AssertionError:
            self.fail(f"{what}: the phone is at {self.phone_box()}, not {want}")

    def start_phone(self):
        s = self.session
        s.move(s.size[0] - 1, s.size[1] - 1)
        tarvik = s.start_tarvik(stored_settings(path=s.out))
        self.addCleanup(s.stop, tarvik)
        x, y = (s.size[0] - SKIN[0]) // 2, (s.size[1] - SKIN[1]) // 2
        try:
            self.wait_phone_at(x, y, "the phone centred", 15)
        except AssertionError as e:
            raise AssertionError(f"{e}; the program said: {''.join(tarvik.lines[-9:])}")
        return tarvik, x, y

    def test_frame_shown_click_through_and_dragged(self):
        s = self.session
        tarvik, x, y = self.start_phone()
        hx, hy = x + HOLE[0], y + HOLE[1]
        hole = (hx, hy, hx + HOLE[2], hy + HOLE[3])
        self.assertEqual(worst_difference(s.screen().crop(hole), self.desktop.crop(hole)), 0)

        # A click in the hole reaches the window beneath.
        s.click(hx + 40, hy + 30)
        wait_for(lambda: f"pressed {hx + 40} {hy + 30}\n" in self.pattern.lines, 5,
                 "the press in the pattern window")

        # A drag moves the phone by exactly the pointer's way. KWin's nested pointer has no
        # relative motion, and places a moved surface a moment after its commit: the steps
        # come as slowly as a hand's.
        s.move(x + 20, y + 330)
        s.xdotool("mousedown", 1)
        for step in range(1, 11):
            s.move(x + 20 + 10 * step, y + 330 + 5 * step)
            time.sleep(0.03)
        s.xdotool("mouseup", 1)
        self.wait_phone_at(x + 100, y + 50, "the phone to follow the drag")
        self.assertEqual(os.listdir(s.out), [])  # no command ran
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def test_quick_save_through_the_portal(self):
        s = self.session
        tarvik, x, y = self.start_phone()
        s.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        with Image.open(wait_file(os.path.join(s.out, "tarvik_output1.jpg"))) as picture:
            picture.load()
        self.assertEqual(picture.size, HOLE[2:])
        hx, hy = x + HOLE[0], y + HOLE[1]
        hole = self.desktop.crop((hx, hy, hx + HOLE[2], hy + HOLE[3]))
        self.assertLessEqual(worst_difference(picture, hole), 12)
        self.assertTrue(any(l.startswith("call 1") for l in self.portal.lines), self.portal.lines)
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))


if __name__ == "__main__":
    unittest.main()
