# SPDX-License-Identifier: MIT
"""The live phone on a headless sway session (the layer shell): a see-through, click-through
frame over the working desktop, placed in device pixels, captured exactly."""
import os
import signal
import unittest

from PIL import Image, ImageChops

import wayland_harness as wh
from e2e_common import APP_ID, BUILTIN, stored_settings, terminate, wait_file
from test_wayland import HOLE, QUICK_SAVE, SKIN, pattern_image, worst_difference

BODY = (20, 330)  # a plain point of the skin, off its hot spots
SAVE_AS = (150, 261)
JPEG_TOLERANCE = 12
TIP_BACKGROUND = (255, 255, 220)  # the desktop style's tip colour
# Where the pointer waits between the steps, hidden by sway: the first output's last pixel,
# in device pixels at scale 1 and (clamped there) at scale 2.
PARK = (1023, 767)


def skin_and_outline():
    """The built-in skin and the mask of what the phone draws: every pixel whose colour
    differs from the corner's, less the hole."""
    with Image.open(BUILTIN) as gif:
        skin = gif.convert("RGB")
    corner = skin.getpixel((0, 0))
    mask = Image.new("L", skin.size)
    mask.putdata([0 if p == corner else 255 for p in skin.getdata()])
    mask.paste(0, (HOLE[0], HOLE[1], HOLE[0] + HOLE[2], HOLE[1] + HOLE[3]))
    return skin, mask


@unittest.skipIf(os.getuid() != 0, "the session is run as an unprivileged user: needs root")
class LiveCase(unittest.TestCase):
    """One session for the class: a pattern window filling each output, one pointer."""
    OUTPUTS = 1

    @classmethod
    def setUpClass(cls):
        missing = wh.missing_parts()
        if missing:
            raise unittest.SkipTest("not installed: " + ", ".join(missing))
        cls.skin, cls.mask = skin_and_outline()
        cls.session = wh.Session(outputs=cls.OUTPUTS)
        try:
            cls.patterns = []
            for n in range(cls.OUTPUTS):
                cls.session.swaymsg("focus", "output", f"HEADLESS-{n + 1}")
                pattern = cls.session.spawn([wh.PATTERN], name="pattern")
                wh.wait_for(lambda: any(l.startswith("painted") for l in pattern.lines),
                            what="the pattern window")
                cls.patterns.append(pattern)
            cls.session.swaymsg("focus", "output", "HEADLESS-1")
            cls.pointer = cls.session.pointer()
            cls.pointer.move(*PARK)  # the phone starts on the output under it
        except BaseException:
            cls.session.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        for name in os.listdir(self.session.out):
            os.remove(os.path.join(self.session.out, name))
        self.desktop = self.screen("desktop.png")

    def without_parked_pointer(self, image):
        """sway at times shows the pointer waiting in the corner again when a surface maps:
        that corner is left out of every comparison."""
        x, y = PARK
        image.paste((0, 0, 0), (x - 16, y - 16, x + 1, y + 1))
        return image

    def screen(self, name="now.png"):
        with Image.open(self.session.grim(name)) as shot:
            return self.without_parked_pointer(shot.convert("RGB"))

    def framed(self, x, y):
        """The desktop with the phone's face at (x, y), one skin pixel to one device pixel."""
        screen = self.without_parked_pointer(self.desktop.copy())
        screen.paste(self.skin, (x, y), self.mask)
        return screen

    def wait_phone_at(self, x, y, what, timeout=5):
        """The screen is the desktop beneath with the phone at (x, y), and nothing else."""
        want = self.framed(x, y).tobytes()
        try:
            wh.wait_for(lambda: self.screen().tobytes() == want, timeout, what)
        except AssertionError:
            found = ImageChops.difference(self.screen(), self.framed(x, y)).getbbox()
            self.fail(f"{what}: the screen differs from the phone at {(x, y)} in {found}")

    def extra(self, x, y, what):
        """The box of what is on the screen besides the phone at (x, y), once there."""
        return wh.wait_for(
            lambda: ImageChops.difference(self.screen(), self.framed(x, y)).getbbox(), 5, what)

    def start_phone(self):
        """Starts the program; the place of the phone, centred on the first output."""
        s = self.session
        tarvik = s.start_tarvik(stored_settings(path=s.out))
        self.addCleanup(s.stop, tarvik)
        x, y = (s.size[0] - SKIN[0]) // 2, (s.size[1] - SKIN[1]) // 2
        try:
            self.wait_phone_at(x, y, "the phone centred", 15)
        except AssertionError as e:
            raise AssertionError(f"{e}; the program said: {''.join(tarvik.lines[-9:])}")
        return tarvik, x, y

    def hole(self, x, y):
        return self.desktop.crop((x + HOLE[0], y + HOLE[1], x + HOLE[0] + HOLE[2],
                                  y + HOLE[1] + HOLE[3]))

    def saved(self, name):
        with Image.open(wait_file(os.path.join(self.session.out, name))) as picture:
            picture.load()
            return picture

    def quick_save(self, x, y, number, scale=1):
        p = self.pointer
        p.click((x + QUICK_SAVE[0]) // scale, (y + QUICK_SAVE[1]) // scale)
        shot = self.saved(f"tarvik_output{number}.jpg")
        self.assertEqual((shot.format, shot.size), ("JPEG", HOLE[2:]))
        self.assertLessEqual(worst_difference(shot, self.hole(x, y)), JPEG_TOLERANCE)

    def save_as(self, x, y, name):
        """Save As through the right soft key and the Save dialog; the file written."""
        s, p = self.session, self.pointer
        p.click(x + SAVE_AS[0], y + SAVE_AS[1])
        dialog = wh.wait_for(lambda: s.window("Save As"), 10, "the Save dialog")["rect"]
        p.click(dialog["x"] + 30, dialog["y"] + dialog["height"] - 55)  # the name's label
        wh.wait_for(lambda: s.focused() == ("Save As", APP_ID), 5, "the dialog's keyboard")
        s.keys("-M", "ctrl", "a", "-m", "ctrl", os.path.join(s.out, name), "-k", "Return")
        wh.wait_for(lambda: not s.window("Save As"), 10, "the dialog to close")
        return self.saved(name)

    def step_pattern(self):
        """The pattern window's next picture, and the desktop it makes."""
        pattern = self.patterns[0]
        number = int(next(l for l in reversed(pattern.lines) if l.startswith("painted"))
                     .split()[1]) + 1
        pattern.send_signal(signal.SIGUSR1)
        wh.wait_for(lambda: f"painted {number}\n" in pattern.lines, 5, "the changed pattern")
        self.desktop = pattern_image(0, 0, *self.session.size, number)

    def seat(self, *setting):
        """A seat setting; sway then drops the virtual pointer, so a new one is made."""
        self.session.swaymsg("seat", "*", *setting)
        type(self).pointer = self.session.pointer()
        return self.pointer

    def drag(self, x, y, dx, dy, steps=10):
        """A drag of the phone at (x, y) by its body; the pointer then off the phone."""
        p = self.pointer
        p.move(x + BODY[0], y + BODY[1])
        p.down()
        for step in range(1, steps + 1):
            p.move(x + BODY[0] + dx * step // steps, y + BODY[1] + dy * step // steps)
        p.up()
        p.move(x + dx - 10, y + dy + 5)


class Live(LiveCase):
    def test_live_frame_click_through_the_hole(self):
        s, p, pattern = self.session, self.pointer, self.patterns[0]
        tarvik, x, y = self.start_phone()

        # The desktop changes beneath: the hole and the screen around show it, no F5.
        self.step_pattern()
        self.wait_phone_at(x, y, "the new pattern around and in the phone")

        # A click on the phone stays with it; one in the hole reaches the window beneath.
        p.click(x + BODY[0], y + BODY[1])
        p.click(x + HOLE[0] + 40, y + HOLE[1] + 50)
        wh.wait_for(lambda: any(l.startswith("pressed") for l in pattern.lines), 5,
                    "the press beneath")
        self.assertEqual([l for l in pattern.lines if l.startswith("pressed")],
                         [f"pressed {x + HOLE[0] + 40} {y + HOLE[1] + 50}\n"])
        self.wait_phone_at(x, y, "the phone above the clicked window")
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def test_drag_arrows_quick_save_and_save_as(self):
        s = self.session
        tarvik, x0, y0 = self.start_phone()
        self.drag(x0, y0, 100, 50)
        x, y = x0 + 100, y0 + 50
        self.wait_phone_at(x, y, "the phone to follow the drag")
        s.keys("-k", "Right", "-k", "Right", "-k", "Right", "-k", "Up")
        x, y = x + 3, y - 1
        self.wait_phone_at(x, y, "the phone to take the arrow keys")
        self.assertEqual(os.listdir(s.out), [])  # no command ran

        self.quick_save(x, y, 1)
        # What changes under the phone after a capture is in the next one.
        self.step_pattern()
        for name, kind in (("exact.bmp", "BMP"), ("exact.png", "PNG")):
            with self.subTest(name=name):
                picture = self.save_as(x, y, name)
                self.assertEqual((picture.format, picture.size), (kind, HOLE[2:]))
                self.assertEqual(worst_difference(picture, self.hole(x, y)), 0)
        self.pointer.move(x - 30, y + 200)
        self.wait_phone_at(x, y, "the phone where it was, the save note gone", 10)
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def test_tip_beside_the_pointer_menu_at_it_f5_and_ctrl_m_harmless(self):
        s, p = self.session, self.pointer
        tarvik, x, y = self.start_phone()

        # Over Quick Save its tip, just below and right of the pointer; off the phone it goes.
        # The pointer stays shown meanwhile (a hidden one leaves the phone), so the tip is
        # found by its colour.
        p = self.seat("hide_cursor", "0")
        at = (x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        p.move(x - 30, y + 200)
        p.move(*at)

        background = Image.new("RGB", s.size, TIP_BACKGROUND)
        tip = wh.wait_for(lambda: ImageChops.difference(self.screen(), background)
                          .convert("L").point(lambda v: 255 if v == 0 else 0).getbbox(), 5,
                          "the tip")
        self.assertTrue(at[0] < tip[0] <= at[0] + 20 and at[1] < tip[1] <= at[1] + 20,
                        f"the tip at {tip}, the pointer at {at}")
        p = self.seat("hide_cursor", "100")
        p.move(x - 30, y + 200)
        self.wait_phone_at(x, y, "the tip to go")

        # The context menu at the pointer; Escape closes it, and so does a click outside.
        at = (x + 20, y + 60)
        for close in ("Escape", "click"):
            with self.subTest(close=close):
                p.click(*at, button=2)
                menu = self.extra(x, y, "the menu")
                self.assertTrue(abs(menu[0] - at[0]) <= 3 and abs(menu[1] - at[1]) <= 3,
                                f"the menu at {menu}, the pointer at {at}")
                self.assertTrue(menu[2] - menu[0] > 60 and menu[3] - menu[1] > 100, menu)
                if close == "Escape":
                    s.keys("-k", "Escape")
                else:
                    p.click(x - 100, y + 100)
                self.wait_phone_at(x, y, "the menu to close")

        # F5 and Ctrl+M leave the phone as it is; the arrows still move it.
        p.click(x + BODY[0], y + BODY[1])
        s.keys("-k", "F5", "-M", "ctrl", "-k", "m", "-m", "ctrl")
        self.wait_phone_at(x, y, "the phone after F5 and Ctrl+M")
        s.keys("-k", "Down")
        self.wait_phone_at(x, y + 1, "the phone to take an arrow after them")
        self.assertEqual(os.listdir(s.out), [])
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def set_scale(self, scale):
        """The output's scale; the pattern window repainted for it."""
        pattern = self.patterns[0]
        painted = sum(l.startswith("painted") for l in pattern.lines)
        self.session.swaymsg("output", "HEADLESS-1", "scale", scale)
        self.session.scale = scale
        wh.wait_for(lambda: sum(l.startswith("painted") for l in pattern.lines) > painted,
                    5, "the pattern repainted")

    def test_scale_two_device_pixels(self):
        s = self.session
        self.set_scale(2)
        self.addCleanup(self.set_scale, 1)
        self.desktop = self.screen("desktop2.png")
        self.assertEqual(self.desktop.size, s.size)  # grim reads device pixels
        tarvik, x, y = self.start_phone()  # at an odd device column
        self.pointer.click((x + BODY[0]) // 2, (y + BODY[1]) // 2)
        s.keys("-k", "Right")
        self.wait_phone_at(x + 1, y, "one device pixel right")
        s.keys("-k", "Down")
        self.wait_phone_at(x + 1, y + 1, "one device pixel down")
        self.quick_save(x + 1, y + 1, 1, scale=2)
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))


class LiveTwoOutputs(LiveCase):
    OUTPUTS = 2

    def test_dragged_to_the_other_output_it_works_there(self):
        s = self.session
        tarvik, x, y = self.start_phone()
        self.drag(x, y, 700, 0, steps=14)
        x += 700
        self.assertGreater(x, s.size[0])  # wholly on the second output
        self.wait_phone_at(x, y, "the phone on the second output")
        self.pointer.click(x + BODY[0], y + BODY[1])
        s.keys("-k", "Left")
        x -= 1
        self.wait_phone_at(x, y, "the phone to take an arrow there")
        self.quick_save(x, y, 1)
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))


if __name__ == "__main__":
    unittest.main()
