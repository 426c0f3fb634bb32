# SPDX-License-Identifier: MIT
"""Skins of today's devices: the sample phones and tablet on a 1920 x 1080 screen, device
frames with an alpha channel, and skins made from a picture with --make-skin."""
import os
import re
import shutil
import struct
import subprocess
import unittest
import zlib

from PIL import Image, ImageDraw

from e2e_common import (BIN, SOURCE_DIR, fresh_folder, stored_settings, wait_file,
                        without_display)
from harness import Desktop, pattern_pixel, set_pattern_background
from test_export import MOCKUP, save_as
from test_interaction import assert_shows_pattern

FULL_HD = (1920, 1080)
SAMPLES = [("4", "Slate360.inf"), ("5", "Slate390.inf"), ("6", "Tablet.inf")]


def read_inf(path):
    """The picture and rectangles (x, y, w, h) of a skin file."""
    with open(path, "rb") as f:
        lines = [line.strip() for line in f.read().decode("ascii").split("\r\n")]
    values = dict(line.split(" = ", 1) for line in lines if line and not line.startswith("#"))
    rects = {k: tuple(map(int, re.findall(r"-?\d+", v))) for k, v in values.items()
             if k != "image"}
    return values["image"], rects


def alpha_outline(picture, shot):
    """The window's outline as a user expects it: opacity of one half or more, less the
    display."""
    sx, sy, sw, sh = shot
    alpha = picture.getchannel("A").load()
    return {(x, y) for y in range(picture.size[1]) for x in range(picture.size[0])
            if alpha[x, y] >= 128 and not (sx <= x < sx + sw and sy <= y < sy + sh)}


def device_frame():
    """A design kit's device frame: see-through around a body with soft edges and a faint
    shadow, a see-through display, and a larger see-through pocket that is joined to the
    border, so not enclosed."""
    im = Image.new("RGBA", (260, 760), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    d.rectangle((4, 4, 255, 755), fill=(0, 0, 0, 40))  # shadow
    d.rectangle((7, 7, 252, 752), fill=(40, 44, 52, 100))  # soft edge, outside
    d.rectangle((8, 8, 251, 751), fill=(40, 44, 52, 200))  # soft edge, inside
    d.rectangle((9, 9, 250, 750), fill=(40, 44, 52, 255))
    d.rectangle((120, 20, 140, 30), fill=(90, 96, 110, 255))  # speaker
    d.rectangle((30, 50, 229, 349), fill=(0, 0, 0, 0))  # the display, 200 x 300
    d.rectangle((20, 400, 239, 700), fill=(0, 0, 0, 0))  # the pocket, 220 x 301
    d.rectangle((0, 540, 20, 545), fill=(0, 0, 0, 0))  # ... open to the left edge
    return im


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


class MadeSkins(unittest.TestCase):
    def setUp(self):
        # A program folder of its own, whose skins folder is the user's.
        self.program = fresh_folder(self, "program")
        self.bin = os.path.join(self.program, "tarvik")
        shutil.copy(BIN, self.bin)
        self.skins = os.path.join(self.program, "skins")
        os.mkdir(self.skins)

    def make_skin(self, *pictures):
        return subprocess.run([self.bin, "--make-skin", *pictures], env=without_display(),
                              capture_output=True, text=True, timeout=30)

    def test_make_skin_writes_a_skin_for_an_alpha_frame_that_loads_captures_and_mocks_up(self):
        frame = device_frame()
        picture = os.path.join(self.skins, "frame.png")
        frame.save(picture)
        inf = os.path.join(self.skins, "frame.inf")

        made = self.make_skin(picture)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertIn(inf, made.stdout)
        self.assertIn("200 x 300", made.stdout)
        image, rects = read_inf(inf)
        self.assertEqual((image, rects["shot"]), ("frame.png", (30, 50, 200, 300)))
        with open(inf, "rb") as f:
            written = f.read()
        # The frame leaves room for the close button above and both keys below the display.
        for key in ("close", "save", "saveas"):
            x, y, w, h = rects[key]
            self.assertTrue(all(frame.getpixel((i, j))[3] == 255
                                for j in range(y, y + h + 1) for i in range(x, x + w + 1)), key)
            self.assertTrue(y + h < 50 if key == "close" else y > 349, key)

        again = self.make_skin(picture)
        self.assertNotEqual(again.returncode, 0)
        self.assertIn("exists", again.stderr)
        with open(inf, "rb") as f:
            self.assertEqual(f.read(), written)

        # No display the frame encloses, or no picture: status 2 and a message, no file.
        bad = os.path.join(self.program, "bad")
        os.mkdir(bad)
        opened = device_frame()
        ImageDraw.Draw(opened).rectangle((30, 0, 229, 349), fill=(0, 0, 0, 0))
        opened.save(os.path.join(bad, "open.png"))
        with open(picture, "rb") as f:
            whole = f.read()
        with open(os.path.join(bad, "damaged.png"), "wb") as f:
            f.write(whole[:len(whole) // 2])
        with open(os.path.join(bad, "huge.png"), "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(
                ">IIBBBBB", 100000, 100000, 8, 6, 0, 0, 0)) + png_chunk(b"IEND", b""))
        for name, says in (("open.png", "enclosed"), ("damaged.png", "cannot read"),
                           ("huge.png", "16384"), ("missing.png", "cannot read")):
            result = self.make_skin(os.path.join(bad, name))
            self.assertEqual(result.returncode, 2, name)
            self.assertIn(says, result.stderr, name)
        self.assertEqual(self.make_skin().returncode, 2)
        self.assertEqual(sorted(os.listdir(bad)), ["damaged.png", "huge.png", "open.png"])

        # The skin in use: its outline from the alpha channel, a Quick Save of exactly the
        # screen under its display, and a mock-up that keeps the frame's own alpha.
        d = Desktop()
        self.addCleanup(d.close)
        set_pattern_background(d)
        pictures = fresh_folder(self)
        d.write_settings(stored_settings(skin="frame.inf", path=pictures))
        d.start(self.bin)
        window, x, y, _, _ = d.wait_window(*frame.size)
        self.assertEqual(d.shape_pixels(window), alpha_outline(frame, rects["shot"]))
        sx, sy, sw, sh = rects["save"]
        d.click(x + sx + sw // 2, y + sy + sh // 2)
        saved = wait_file(os.path.join(pictures, "tarvik_output1.jpg"))
        assert_shows_pattern(self, saved, x + 30, y + 50, 200, 300)
        mockup = os.path.join(pictures, "mockup.png")
        save_as(d, x, y, mockup, MOCKUP)
        with Image.open(wait_file(mockup)) as got:
            self.assertEqual((got.mode, got.size), ("RGBA", frame.size))
            pixels, want = got.load(), frame.load()
            wrong = [(i, j) for j in range(frame.size[1]) for i in range(frame.size[0])
                     if pixels[i, j] != (pattern_pixel(x + i, y + j) + (255,)
                                         if 30 <= i < 230 and 50 <= j < 350 else want[i, j])]
            self.assertEqual(wrong[:5], [])


class SampleSkins(unittest.TestCase):
    def test_each_device_skin_fits_a_full_hd_screen_from_the_centred_phone_and_captures(self):
        d = Desktop(FULL_HD)
        self.addCleanup(d.close)
        set_pattern_background(d)
        pictures = fresh_folder(self)
        for n, (digit, name) in enumerate(SAMPLES, 1):
            image, rects = read_inf(os.path.join(SOURCE_DIR, "skins", name))
            with Image.open(os.path.join(SOURCE_DIR, "skins", image)) as picture:
                picture = picture.convert("RGBA")
            w, h = picture.size
            sx, sy, sw, sh = rects["shot"]
            self.assertTrue(320 <= sw <= 430 and sh >= 700 or sw >= 1000 and sh >= 700, name)
            # The picture is a device frame like any other: --make-skin finds the same display.
            copy = os.path.join(pictures, image)
            shutil.copy(os.path.join(SOURCE_DIR, "skins", image), copy)
            made = subprocess.run([BIN, "--make-skin", copy], capture_output=True, timeout=30)
            self.assertEqual(made.returncode, 0, made.stderr)
            self.assertEqual(read_inf(os.path.splitext(copy)[0] + ".inf")[1]["shot"],
                             rects["shot"], name)
            d.write_settings(stored_settings(path=os.path.join(pictures, "captured")))
            tarvik = d.start_tarvik()
            _, x, y, _, _ = d.wait_window(193, 448)
            d.xdotool("mousemove", "--sync", x + 20, y + 330, "key", digit)
            window, x, y, _, _ = d.wait_window(w, h)  # no message: the skin loaded
            self.assertTrue(0 <= x and x + w <= FULL_HD[0] and 0 <= y and y + h <= FULL_HD[1],
                            (name, x, y))
            self.assertEqual(d.shape_pixels(window), alpha_outline(picture, rects["shot"]), name)
            kx, ky, kw, kh = rects["save"]
            d.click(x + kx + kw // 2, y + ky + kh // 2)
            saved = wait_file(os.path.join(pictures, "captured", f"tarvik_output{n}.jpg"))
            assert_shows_pattern(self, saved, x + sx, y + sy, sw, sh)
            tarvik.kill()
            tarvik.wait()


if __name__ == "__main__":
    unittest.main()
