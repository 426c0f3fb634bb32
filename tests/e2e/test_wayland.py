# SPDX-License-Identifier: MIT
"""The program's frozen mode (--frozen) on a headless Wayland session, framing on the portal's
screenshot; the phone mock-up on the clipboard."""
import os
import signal
import subprocess
import time
import unittest

from PIL import Image, ImageChops

import wayland_harness as wh
from e2e_common import APP_ID, stored_settings, terminate, wait_file
SKIN = (193, 448)
OUTLINE = (6, 2, 187, 446)  # the box of the built-in skin's outline, within the phone
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
        try:
            cls.pattern = cls.session.spawn([wh.PATTERN], name="pattern")
            wh.wait_for(lambda: any(l.startswith("painted") for l in cls.pattern.lines),
                        what="the pattern window")
            cls.pointer = cls.session.pointer()
            cls.pointer.move(1023, 767)  # then the compositor hides it
        except BaseException:
            cls.session.close()  # tearDownClass does not run after a failed setUpClass
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        for name in os.listdir(self.session.out):
            os.remove(os.path.join(self.session.out, name))
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

    def steady_screen(self):
        """The screen once two reads in a row agree, as bytes."""
        last = [None]

        def read():
            with Image.open(self.session.grim("steady.png")) as shot:
                now = shot.convert("RGB").tobytes()
            steady = now if now == last[0] else None
            last[0] = now
            return steady
        return wh.wait_for(read, 5, "a steady screen")

    def wait_phone_at(self, x, y, what, timeout=5):
        """The phone's outline drawn for the window at (x, y), one skin pixel to one pixel."""
        left, top, right, bottom = OUTLINE
        want = (x + left, y + top, x + right, y + bottom)
        try:
            wh.wait_for(lambda: self.phone_box() == want, timeout, what)
        except AssertionError:
            self.fail(f"{what}: the phone is at {self.phone_box()}, not {want}")

    def start_phone(self):
        """Starts the program; the place of the phone, centred on the screen."""
        s = self.session
        tarvik = s.start_tarvik(stored_settings(path=s.out), "--frozen")
        self.addCleanup(s.stop, tarvik)
        x, y = (s.size[0] - SKIN[0]) // 2, (s.size[1] - SKIN[1]) // 2
        try:
            self.wait_phone_at(x, y, "the phone centred", 15)
        except AssertionError as e:
            raise AssertionError(f"{e}; the program said: {''.join(tarvik.lines[-9:])}")
        return tarvik, x, y

    def hole(self, x, y, height=HOLE[3], top=HOLE[1]):
        """The screen under the hole of the phone at (x, y)."""
        return self.desktop.crop((x + HOLE[0], y + top, x + HOLE[0] + HOLE[2], y + top + height))

    def save_as(self, x, y, name):
        """Save As through the right soft key and the Save dialog; the file written."""
        s, p = self.session, self.pointer
        p.click(x + 150, y + 261)
        dialog = wh.wait_for(lambda: s.window("Save As"), 10, "the Save dialog")["rect"]
        # sway gives a dialog over a full-screen window the keyboard only when clicked.
        p.click(dialog["x"] + 30, dialog["y"] + dialog["height"] - 55)  # the name's label
        wh.wait_for(lambda: s.focused() == ("Save As", APP_ID), 5, "the dialog's keyboard")
        path = os.path.join(s.out, name)
        s.keys("-M", "ctrl", "a", "-m", "ctrl", path, "-k", "Return")
        wh.wait_for(lambda: not s.window("Save As"), 10, "the dialog to close")
        wh.wait_for(lambda: s.focused() == ("Tarvik", APP_ID), 5, "the phone's keyboard")
        return self.saved(name)

    def answer_message(self, tarvik):
        """Return on the message box once it has the keyboard; the exit code."""
        wh.wait_for(lambda: self.session.focused() == ("Tarvik", APP_ID), 5, "the message box")
        for _ in range(5):
            # A key can come before the box has taken the keyboard's map: then again.
            self.session.keys("-k", "Return")
            try:
                return tarvik.wait(2)
            except subprocess.TimeoutExpired:
                pass
        return tarvik.wait(1)

    def saved(self, name):
        with Image.open(wait_file(os.path.join(self.session.out, name))) as picture:
            picture.load()
            return picture

    def test_frame_drag_nudge_save_and_refresh(self):
        s, p = self.session, self.pointer
        frames = wh.Frames(s)
        self.addCleanup(frames.close)
        frames.base()
        started = time.perf_counter()
        # Centred on the screen, one skin pixel to one screen pixel, the screen in the hole.
        tarvik, x0, y0 = self.start_phone()
        self.assertEqual(s.focused(), ("Tarvik", APP_ID))
        # Every frame shown on the way was the screen, or the phone on it: none black or
        # half drawn.
        shown = [changed for when, changed in frames.frames if when >= started]
        self.assertGreater(shown[-1], 0)
        self.assertEqual(set(shown) - {0, shown[-1]}, set(), shown)
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
        self.assertEqual(os.listdir(s.out), [])  # no command ran

        # Quick Save: what the screen showed under the hole.
        p.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        hx, hy = x + HOLE[0], y + HOLE[1]
        first = self.saved("tarvik_output1.jpg")
        self.assertEqual(first.size, HOLE[2:])
        self.assertLessEqual(
            worst_difference(first, self.desktop.crop((hx, hy, hx + HOLE[2], hy + HOLE[3]))), 12)

        # Ctrl+Shift+C: the phone mock-up on the clipboard, the capture in its display and
        # see-through outside, as another program reads it.
        s.keys("-M", "ctrl", "-M", "shift", "-k", "c", "-m", "shift", "-m", "ctrl")
        clip = os.path.join(s.out, "clipboard.png")
        wh.wait_for(lambda: s.run(["sh", "-c", f"wl-paste -t image/png > {clip}"], check=False)
                    .returncode == 0 and os.path.getsize(clip) > 0, 10, "the clipboard's PNG")
        mockup = Image.open(clip)
        self.assertEqual((mockup.mode, mockup.size), ("RGBA", SKIN))
        self.assertEqual((mockup.getpixel((0, 0))[3], mockup.getpixel((20, 330))[3]), (0, 255))
        in_skin = (HOLE[0], HOLE[1], HOLE[0] + HOLE[2], HOLE[1] + HOLE[3])
        on_screen = (hx, hy, hx + HOLE[2], hy + HOLE[3])
        self.assertEqual(worst_difference(mockup.crop(in_skin), self.desktop.crop(on_screen)), 0)

        # The screen changes under the overlay: F5 takes it in.
        self.pattern.send_signal(signal.SIGUSR1)
        wh.wait_for(lambda: "painted 1\n" in self.pattern.lines, 5, "the changed pattern")
        s.keys("-k", "F5")
        self.desktop = pattern_image(0, 0, *s.size, 1)
        self.wait_phone_at(x, y, "the phone back where it was after F5")
        p.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        second = self.saved("tarvik_output2.jpg")
        self.assertLessEqual(worst_difference(second, pattern_image(hx, hy, *HOLE[2:], 1)), 12)

        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def test_without_the_portal_a_message_and_no_file(self):
        s = self.session
        s.stop_portal()
        self.addCleanup(s.start_portal)
        tarvik = s.start_tarvik(stored_settings(path=s.out), "--frozen")
        self.addCleanup(s.stop, tarvik)
        wh.wait_for(lambda: any("screenshot service" in l for l in tarvik.lines), 15,
                    "the message")
        self.assertEqual(self.answer_message(tarvik), 1, "".join(tarvik.lines))
        self.assertEqual(os.listdir(s.out), [])

    def test_save_as_capture_mode_and_skin_switch(self):
        s, p = self.session, self.pointer
        tarvik, x, y = self.start_phone()
        bmp = self.save_as(x, y, "exact.bmp")
        self.assertEqual((bmp.format, bmp.size), ("BMP", HOLE[2:]))
        self.assertEqual(worst_difference(bmp, self.hole(x, y)), 0)
        jpg = self.save_as(x, y, "close.jpg")
        self.assertEqual((jpg.format, jpg.size), ("JPEG", HOLE[2:]))
        self.assertLessEqual(worst_difference(jpg, self.hole(x, y)), 12)
        png = self.save_as(x, y, "exact.png")
        self.assertEqual((png.format, png.mode, png.size), ("PNG", "RGB", HOLE[2:]))
        self.assertEqual(worst_difference(png, self.hole(x, y)), 0)

        # The name strip makes the area taller; Quick Save writes that.
        p.click(x + 97, y + 51)
        p.click(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        tall = self.saved("tarvik_output1.jpg")
        self.assertEqual(tall.size, (128, 159))
        self.assertLessEqual(worst_difference(tall, self.hole(x, y, 159, 74)), 12)
        # The note beside the phone about the file goes by itself.
        wh.wait_for(lambda: (lambda b: (b[2] - b[0], b[3] - b[1]))(self.phone_box()) ==
                    (OUTLINE[2] - OUTLINE[0], OUTLINE[3] - OUTLINE[1]), 10, "the save note to go")

        # Over Quick Save its tip shows; straight off the phone it goes.
        p.move(x - 30, y + 200)
        plain = self.steady_screen()
        p.move(x + 40, y + 258)
        p.move(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
        wh.wait_for(lambda: self.steady_screen() != plain, 5, "the tip")
        p.move(x - 30, y + 200)
        wh.wait_for(lambda: self.steady_screen() == plain, 5, "the tip to go")

        # Page Down: the first sample skin, its own outline; a digit: the built-in one again.
        s.keys("-k", "Next")
        wh.wait_for(lambda: self.phone_box()[2] - self.phone_box()[0] > SKIN[0], 5, "Aqua")
        box = self.phone_box()
        self.assertLessEqual((box[2] - box[0], box[3] - box[1]), (228, 470), box)
        s.keys("0")
        wh.wait_for(lambda: (lambda b: (b[2] - b[0], b[3] - b[1]))(self.phone_box()) ==
                    (OUTLINE[2] - OUTLINE[0], OUTLINE[3] - OUTLINE[1]), 5, "the built-in skin")
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def set_scale(self, scale):
        """The output's scale; the pattern window repainted for it."""
        painted = sum(l.startswith("painted") for l in self.pattern.lines)
        self.session.swaymsg("output", "HEADLESS-1", "scale", scale)
        self.session.scale = scale
        wh.wait_for(lambda: sum(l.startswith("painted") for l in self.pattern.lines) > painted,
                    5, "the pattern repainted")

    def test_scale_two_one_skin_pixel_to_one_device_pixel(self):
        s, p = self.session, self.pointer
        self.set_scale(2)
        self.addCleanup(self.set_scale, 1)
        self.desktop = Image.open(s.grim("desktop2.png")).convert("RGB")
        self.assertEqual(self.desktop.size, s.size)  # grim reads device pixels
        tarvik, x, y = self.start_phone()
        p.click((x + QUICK_SAVE[0]) // 2, (y + QUICK_SAVE[1]) // 2)
        shot = self.saved("tarvik_output1.jpg")
        self.assertEqual(shot.size, HOLE[2:])
        self.assertLessEqual(worst_difference(shot, self.hole(x, y)), 12)
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

    def test_portal_answers_slow_taken_again_bad_a_message_and_no_file(self):
        s = self.session
        self.addCleanup(s.start_portal)
        # A slow answer (the desktop asked the user) comes while the notice is drawn: the
        # screenshot is taken again without it, and the phone alone is on the backdrop.
        fake = s.start_fake_portal("grim 1.5", "grim")
        tarvik = s.start_tarvik(stored_settings(path=s.out), "--frozen")
        self.addCleanup(s.stop, tarvik)
        wh.wait_for(lambda: any(l.startswith("call 2") for l in fake.lines), 10, "a second call")
        x0, y0 = (1024 - SKIN[0]) // 2, (768 - SKIN[1]) // 2
        box = self.phone_box()
        self.assertTrue(x0 <= box[0] and box[2] <= x0 + SKIN[0], box)
        self.assertTrue(y0 <= box[1] and box[3] <= y0 + SKIN[1], box)
        # Each question came while a window of Tarvik had the keyboard.
        self.assertEqual([l for l in fake.lines if l.startswith("call")],
                         [f"call 1 focused={APP_ID}\n", f"call 2 focused={APP_ID}\n"])
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))

        for answer, says in (("nouri", "without naming a picture file"),
                             ("missing", "does not exist"), ("text", "not a picture"),
                             ("small", "smaller than the screen"), ("code 1", "cancelled"),
                             ("code 2", "service (xdg-desktop-portal, on sway) gave Tarvik no "
                                        "screenshot: either taking one was not allowed, or the "
                                        "service could not take it"),
                             ("silent", "did not answer within 10 seconds")):
            with self.subTest(answer=answer):
                fake = s.start_fake_portal(answer)
                tarvik = s.start_tarvik(stored_settings(path=s.out), "--frozen")
                self.addCleanup(s.stop, tarvik)
                wh.wait_for(lambda: any(says in l for l in tarvik.lines), 15, "the message")
                self.assertEqual(self.answer_message(tarvik), 1, "".join(tarvik.lines))
                self.assertEqual(fake.lines[1], f"call 1 focused={APP_ID}\n")
                self.assertEqual(os.listdir(s.out), [])

    def test_registered_before_the_first_request_the_notice_tells_of_the_question(self):
        s = self.session
        self.addCleanup(s.start_portal)
        fake = s.start_fake_portal("grim 1.5", "grim", registry=True)
        tarvik = s.start_tarvik(stored_settings(path=s.out), "--frozen")
        self.addCleanup(s.stop, tarvik)
        wh.wait_for(lambda: any(l.startswith("call 2") for l in fake.lines), 10, "a second call")
        # Tarvik's id, once, before the first request; while the desktop did not answer, the
        # notice said what Tarvik waits for.
        self.assertEqual(fake.lines[1:], [
            f"register {APP_ID}\n", f"call 1 focused={APP_ID} app={APP_ID}\n",
            "answer 1 title=Tarvik is waiting for the desktop's permission to read the screen"
            "...\n", f"call 2 focused={APP_ID} app={APP_ID}\n"])
        self.phone_box()
        self.assertEqual(terminate(tarvik), 0, "".join(tarvik.lines[-40:]))


if __name__ == "__main__":
    unittest.main()
