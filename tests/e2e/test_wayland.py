"""The program on a headless Wayland session, framing on the portal's screenshot."""
import os
import signal
import unittest

from PIL import Image, ImageChops

import wayland_harness as wh
from harness import stored_settings

SKIN = (193, 448)
HOLE = (33, 88, 128, 127)  # the built-in skin's shot area, within the phone
QUICK_SAVE = (46, 261)


def pattern_pixel(x, y, number=0):
    """What the pattern window shows at (x, y) after `number` steps."""
    return ((x * 7 + number * 60) & 255, (y * 5 + x // 3) & 255, ((x ^ y) + number * 90) & 255)


def pattern_image(left, top, width, height, number):
    image = Image.new("RGB", (width, height))
    image.putdata([pattern_pixel(left + i, top + j, number)
                   for j in range(height) for i in range(width)])
    return image


def worst_difference(picture, reference):
    a, b = picture.convert("RGB"), reference.convert("RGB")
    return max(high for _, high in ImageChops.difference(a, b).getextrema())


@unittest.skipIf(os.getuid() != 0, "the session is run as an unprivileged user: needs root")
class Wayland(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = wh.missing_parts()
        if missing:
            raise unittest.SkipTest("not installed: " + ", ".join(missing))
        cls.session = wh.Session()
        cls.pattern = cls.session.spawn([wh.PATTERN], name="pattern")
        wh.wait_for(lambda: any(l.startswith("painted") for l in cls.pattern.lines),
                    what="the pattern window")
        cls.pointer = cls.session.pointer()
        cls.pointer.move(1023, 767)  # then the compositor hides it

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        self.desktop = Image.open(self.session.grim("desktop.png")).convert("RGB")

    def phone_box(self, timeout=10):
        """Where the phone is drawn: the box of what differs from the plain desktop."""
        last = [None]

        def box():
            shot = Image.open(self.session.grim("now.png")).convert("RGB")
            found = ImageChops.difference(shot, self.desktop).getbbox()
            steady = found if found == last[0] else None
            last[0] = found
            return steady
        return wh.wait_for(box, timeout, "the phone on the screen")

    def wait_phone_at(self, x, y, what):
        """The phone's outline drawn for the window at (x, y)."""
        left, top, right, bottom = self.outline
        want = (x + left, y + top, x + right, y + bottom)
        try:
            wh.wait_for(lambda: self.phone_box() == want, 5, what)
        except AssertionError:
            self.fail(f"{what}: the phone is at {self.phone_box()}, not {want}")

    def saved(self, name):
        path = os.path.join(self.session.out, name)
        wh.wait_for(lambda: os.path.exists(path), 10, name)
        return Image.open(path)

    def test_frame_drag_nudge_save_and_refresh(self):
        s, p = self.session, self.pointer
        tarvik = s.start_tarvik(stored_settings(path=s.out))
        self.addCleanup(s.stop, tarvik)
        # Centred on the screen, one skin pixel to one screen pixel, the screen in the hole.
        x0, y0 = (1024 - SKIN[0]) // 2, (768 - SKIN[1]) // 2
        box = self.phone_box()
        self.outline = (box[0] - x0, box[1] - y0, box[2] - x0, box[3] - y0)
        self.assertTrue(0 <= self.outline[0] and self.outline[2] <= SKIN[0], box)
        self.assertTrue(0 <= self.outline[1] and self.outline[3] <= SKIN[1], box)
        shot = Image.open(s.grim("framed.png"))
        hx, hy = x0 + HOLE[0], y0 + HOLE[1]
        hole = (hx, hy, hx + HOLE[2], hy + HOLE[3])
        self.assertEqual(worst_difference(shot.crop(hole), self.desktop.crop(hole)), 0)

        # A drag moves it by exactly the pointer's way; arrow keys by one pixel.
        p.move(x0 + 20, y0 + 330)
        p.down()
        for step in range(1, 11):
            p.move(x0 + 20 + 10 * step, y0 + 330 + 5 * step)
        p.up()
        x, y = x0 + 100, y0 + 50
        self.wait_phone_at(x, y, "the phone to follow the drag")
        s.keys("-k", "Right", "-k", "Right", "-k", "Right", "-k", "Up")
        x, y = x + 3, y - 1
        self.wait_phone_at(x, y, "the phone to take the arrow keys")
        self.assertFalse([n for n in os.listdir(s.out) if n.endswith(".jpg")])  # no command ran

        # Quick Save: what the screen showed under the hole.
        p.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        hx, hy = x + HOLE[0], y + HOLE[1]
        first = self.saved("tarvik_output1.jpg")
        self.assertEqual(first.size, HOLE[2:])
        self.assertLessEqual(
            worst_difference(first, self.desktop.crop((hx, hy, hx + HOLE[2], hy + HOLE[3]))), 12)

        # The screen changes under the overlay: F5 takes it in.
        self.pattern.send_signal(signal.SIGUSR1)
        wh.wait_for(lambda: "painted 1\n" in self.pattern.lines, 5, "the changed pattern")
        s.keys("-k", "F5")
        self.desktop = pattern_image(0, 0, *s.size, 1)
        self.wait_phone_at(x, y, "the phone back where it was after F5")
        p.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        second = self.saved("tarvik_output2.jpg")
        self.assertLessEqual(worst_difference(second, pattern_image(hx, hy, *HOLE[2:], 1)), 12)

        tarvik.send_signal(signal.SIGTERM)
        self.assertEqual(tarvik.wait(10), 0, "".join(tarvik.lines[-40:]))

    def test_without_the_portal_a_message_and_no_file(self):
        s = self.session
        before = os.listdir(s.out)
        s.stop_portal()
        self.addCleanup(s.start_portal)
        tarvik = s.start_tarvik(stored_settings(path=s.out))
        self.addCleanup(s.stop, tarvik)
        wh.wait_for(lambda: any("screenshot service" in l for l in tarvik.lines), 15,
                    "the message")
        wh.wait_for(lambda: "Tarvik" in s.swaymsg("-t", "get_tree"), 5, "the message box")
        s.keys("-k", "Return")
        self.assertEqual(tarvik.wait(10), 1, "".join(tarvik.lines))
        self.assertEqual(os.listdir(s.out), before)


if __name__ == "__main__":
    unittest.main()
