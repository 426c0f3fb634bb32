# SPDX-License-Identifier: MIT
import os
import time
import unittest

from PIL import Image
from Xlib import X, Xatom

from e2e_common import BUILTIN, fresh_folder, stored_settings, wait_file, wait_for
from harness import SCREEN, Desktop, expected_shape, pattern_pixel, set_pattern_background

# The ways a desktop asks Qt to scale, each with the factor it gives.
SCALES = [
    ("QT_SCREEN_SCALE_FACTORS=1.5", {"QT_SCREEN_SCALE_FACTORS": "1.5"}, None, 1.5),
    ("QT_SCALE_FACTOR=2", {"QT_SCALE_FACTOR": "2"}, None, 2),
    ("Xft.dpi 144", {"QT_ENABLE_HIGHDPI_SCALING": "1"}, 144, 1.5),
]


class Scaling(unittest.TestCase):
    def run_scaled(self, env, dpi, factor):
        d = Desktop()
        self.addCleanup(d.close)
        pictures = fresh_folder(self)
        set_pattern_background(d)
        if dpi:
            root = d.x.screen().root
            root.change_property(d.x.intern_atom("RESOURCE_MANAGER"), Xatom.STRING, 8,
                                 f"Xft.dpi:\t{dpi}\n".encode())
            d.x.sync()
        d.env.update(env)
        d.write_settings(stored_settings(path=pictures))
        d.start_tarvik()

        # One skin pixel is one screen pixel: size, place, outline and face.
        window, x, y, _, _ = d.wait_window(193, 448)
        self.assertEqual((x, y), ((SCREEN[0] - 193) // 2, (SCREEN[1] - 448) // 2))
        shape = d.shape_pixels(window)
        self.assertEqual(shape, expected_shape(BUILTIN, "(33, 88, 128, 127)"))
        shown = d.x.screen().root.get_image(x, y, 193, 448, X.ZPixmap, 0xffffffff)
        shown = Image.frombytes("RGB", (193, 448), shown.data, "raw", "BGRX")
        with Image.open(BUILTIN) as skin:
            skin = skin.convert("RGB")
            wrong = [p for p in shape if shown.getpixel(p) != skin.getpixel(p)]
        self.assertEqual(wrong[:5], [])

        # An arrow key moves the window one screen pixel.
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        d.xdotool("key", "Right", "key", "Down")
        x, y = wait_for(lambda: [w[1:3] for w in d.windows() if w[1:3] == (x + 1, y + 1)], 5,
                        "one pixel right and down")[0]

        # Save As writes exactly the screen pixels under the hole.
        d.xdotool("click", "--repeat", "2", "--delay", "80", "1")
        dialog = wait_for(lambda: d.windows("Save As"), 10, "the Save As dialog")[0][0]
        # Typing starts once the dialog holds the keyboard: under load it may not yet.
        d.xdotool("windowfocus", "--sync", str(dialog.id))
        time.sleep(0.3)
        path = os.path.join(pictures, "hole.bmp")
        d.xdotool("type", path)
        d.xdotool("key", "Return")
        wait_file(path, 20)
        with Image.open(path) as picture:
            self.assertEqual(picture.size, (128, 127))
            picture = picture.convert("RGB")
            wrong = [(i, j) for j in range(127) for i in range(128)
                     if picture.getpixel((i, j)) != pattern_pixel(x + 33 + i, y + 88 + j)]
        self.assertEqual(wrong[:5], [])

        # The Menu key opens the menu at the middle of the display, in screen pixels.
        d.xdotool("key", "Menu")
        menu = d.wait_menu(what="the menu")
        self.assertLessEqual(max(abs(menu[1] - (x + 97)), abs(menu[2] - (y + 151))), 1)
        d.xdotool("key", "Escape")
        wait_for(lambda: len(d.windows(None)) == 1, 5, "the menu to close")

        # Dialogs keep the desktop's scale.
        _, _, _, dw, dh = d.open_options(x, y)
        self.assertLessEqual(abs(dw - 489 * factor), 1)
        self.assertLessEqual(abs(dh - 254 * factor), 1)

    def test_window_hole_arrow_keys_and_captures_stay_exact_in_screen_pixels(self):
        for name, env, dpi, factor in SCALES:
            with self.subTest(name):
                self.run_scaled(env, dpi, factor)


if __name__ == "__main__":
    unittest.main()
