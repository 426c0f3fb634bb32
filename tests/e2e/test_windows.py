# SPDX-License-Identifier: MIT
"""The Windows build under Wine, used as a user would: start, outline, Quick Save, drag,
skin keys, Save As to BMP and PNG, the clipboard, the phone mock-up, the options dialog, the
settings kept between runs, hostile skin pictures and shot areas; the distribution's zip and
installer."""
import glob
import io
import os
import struct
import unittest
import zipfile

from PIL import Image

from e2e_common import AQUA, BUILTIN, wait_for
from harness import SCREEN, expected_shape, pattern_pixel, set_pattern_background
from test_export import MOCKUP, clipboard, mockup_mismatches, pattern_mismatches
from test_interaction import assert_shows_pattern
from wine_harness import SETTINGS_KEY, WIN_BIN, WineDesktop, windows_path

HAVE_SHAPE_DUMP = os.path.exists(os.environ.get("TARVIK_SHAPE_DUMP", ""))
SETUP = os.environ.get("TARVIK_WIN_SETUP", "")
ZIP = os.environ.get("TARVIK_WIN_ZIP", "")
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvik"


class Windows(unittest.TestCase):
    # One display and one fresh Wine prefix for the run: a prefix takes seconds to make.
    @classmethod
    def setUpClass(cls):
        cls.desktop = WineDesktop()
        set_pattern_background(cls.desktop)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def setUp(self):
        self.desktop.forget()

    def start(self, width=193, height=448):
        self.tarvik = self.desktop.start_tarvik()
        return self.desktop.wait_window(width, height, timeout=60)

    def position(self, width=193, height=448):
        _, x, y, _, _ = self.desktop.wait_window(width, height)
        return x, y

    def close_by_hot_spot(self, x, y):
        self.desktop.click(x + 157, y + 30)
        self.assertEqual(self.tarvik.wait(30), 0)

    def test_first_start_outline_quick_save_and_settings_kept(self):
        d = self.desktop
        self.tarvik = d.start_tarvik()
        d.answer_message_box()  # nothing stored yet: "Error loading settings."
        window, x, y, w, h = d.wait_window(193, 448)
        self.assertEqual((x, y), ((SCREEN[0] - w) // 2, (SCREEN[1] - h) // 2))

        # The outline and its see-through hole, as the system region gives them to X.
        shape = d.shape_pixels(window)
        if HAVE_SHAPE_DUMP:
            self.assertEqual(shape, expected_shape(BUILTIN, "(33, 88, 128, 127)"))
        self.assertNotIn((0, 0), shape)  # the white outside the phone
        self.assertNotIn((33 + 64, 88 + 60), shape)  # the display
        self.assertIn((20, 330), shape)  # the body

        d.click(x + 46, y + 261)  # the left soft key: Quick Save
        first = d.wait_file(os.path.join(d.captured, "tarvik_output1.jpg"))
        assert_shows_pattern(self, first, x + 33, y + 88, 128, 127)

        # Settings are written at close and read at the next start: no message then.
        self.close_by_hot_spot(x, y)
        stored = d.registry()
        self.assertEqual(stored["SkinFile"], ("REG_SZ", "Default"))
        self.assertEqual(stored["JPEG Quality"], ("REG_DWORD", "0x64"))
        self.assertEqual(stored["Auto-save Path"], ("REG_SZ", ".\\captured"))
        self.start()
        self.assertEqual(len(d.windows()), 1)

    def test_drag_skin_keys_and_the_skin_stored_at_close(self):
        d = self.desktop
        d.store_settings()
        _, x, y, _, _ = self.start()
        d.xdotool("mousemove", "--sync", x + 20, y + 330, "mousedown", 1)
        for step in range(1, 11):
            d.xdotool("mousemove", "--sync", x + 20 + 10 * step, y + 330 + 5 * step)
        d.xdotool("mouseup", 1)
        wait_for(lambda: self.position() == (x + 100, y + 50), 10, "the window to follow")
        x, y = x + 100, y + 50

        d.activate(x + 20, y + 330)
        d.xdotool("key", "Right")
        wait_for(lambda: self.position() == (x + 1, y), 10, "one pixel to the right")
        x += 1
        d.xdotool("key", "Next")
        d.wait_window(228, 470)  # Aqua.inf, the first sample skin
        d.activate(x + 20, y + 330)
        d.xdotool("key", "0")
        d.wait_window(193, 448)
        d.activate(x + 20, y + 330)
        d.xdotool("key", "1")
        _, ax, ay, _, _ = d.wait_window(228, 470)

        # Aqua's close hot spot; its name is stored and its size comes back next time.
        d.click(ax + 196 + 7, ay + 16 + 7)
        self.assertEqual(self.tarvik.wait(30), 0)
        self.assertEqual(d.registry()["SkinFile"], ("REG_SZ", "Aqua.inf"))
        self.start(228, 470)

    def save_as(self, x, y, target, file_type=None, key=(150, 261)):
        """Save As by the skin's Save As key (the built-in skin's right soft key); the type
        chosen in the dialog's list when given, then the name typed."""
        d = self.desktop
        d.click(x + key[0], y + key[1])
        dialog = wait_for(lambda: d.windows("Save As"), 30, "the Save dialog")[0]
        d.focus(dialog[0])
        if file_type is not None:  # from the name to the type list and back
            d.xdotool("key", "Tab", "key", "Home", *["key", "Down"] * file_type,
                      "key", "shift+Tab")
        d.xdotool("key", "ctrl+a")
        d.xdotool("type", "--delay", "20", windows_path(target))
        d.xdotool("key", "Return")
        d.wait_file(target)
        wait_for(lambda: not d.windows("Save As"), 10, "the dialog to close")

    def test_save_as_bmp_and_png_hold_the_screen_pixel_for_pixel(self):
        d = self.desktop
        d.store_settings()
        _, x, y, _, _ = self.start()
        for name, kind in (("shot.bmp", "BMP"), ("shot.png", "PNG")):
            target = os.path.join(d.program, name)
            self.save_as(x, y, target)
            with Image.open(target) as picture:
                self.assertEqual((picture.format, picture.size), (kind, (128, 127)))
                rgb = picture.convert("RGB")
                wrong = [(px, py) for py in range(127) for px in range(128)
                         if rgb.getpixel((px, py)) != pattern_pixel(x + 33 + px, y + 88 + py)]
                self.assertEqual(wrong[:5], [], name)

    def test_hostile_pictures_and_a_huge_shot_area_give_the_image_message(self):
        d = self.desktop
        skins = os.path.join(d.program, "skins")
        with open(os.path.join(skins, "aqua.bmp"), "rb") as f:
            bmp = f.read()
        jpeg = io.BytesIO()
        Image.open(io.BytesIO(bmp)).convert("RGB").save(jpeg, "JPEG")
        # A 1 x 1 screen whose frame claims 16384 x 16384 (its data a clear and an end code).
        gif = (b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + bytes(6) + b"," +
               struct.pack("<HHHHB", 0, 0, 16384, 16384, 0) + b"\x02\x02\x4c\x01\x00;")
        # A flat grey progressive JPEG with its last scan repeated: each scan is decoded over
        # the whole picture, minutes for this one.
        grey = io.BytesIO()
        Image.new("L", (1024, 1024), 128).save(grey, "JPEG", progressive=True)
        last = grey.getvalue().rindex(b"\xff\xda")
        scans = grey.getvalue()[:-2] + grey.getvalue()[last:-2] * 100000 + b"\xff\xd9"
        for name, data, shot in (("frame.gif", gif, "(33, 88, 128, 127)"),
                                 ("third.bmp", bmp[:len(bmp) // 3], "(33, 88, 128, 127)"),
                                 ("half.jpg", jpeg.getvalue()[:len(jpeg.getvalue()) // 2],
                                  "(33, 88, 128, 127)"),
                                 ("scans.jpg", scans, "(33, 88, 128, 127)"),
                                 ("aqua.bmp", bmp, "(0, 200, 20000, 20000)")):
            with self.subTest(name=name, shot=shot):
                d.forget()
                with open(os.path.join(skins, name), "wb") as f:
                    f.write(data)
                with open(os.path.join(skins, "Hostile.inf"), "w", newline="\r\n") as f:
                    f.write(f"image = {name}\nshot = {shot}\nclose = (128, 14, 14, 14)\n"
                            "save = (22, 170, 36, 18)\nsaveas = (98, 170, 36, 18)\n")
                d.store_settings(skin="Hostile.inf")
                self.tarvik = d.start_tarvik()
                d.answer_message_box()  # "Error Loading Image ..."
                d.wait_window(193, 448)  # the built-in skin
                self.assertIsNone(self.tarvik.poll())

    def test_ctrl_c_puts_the_hole_on_the_clipboard_for_other_programs(self):
        d = self.desktop
        d.store_settings()
        _, x, y, _, _ = self.start()
        d.activate(x + 20, y + 330)
        d.xdotool("key", "ctrl+c")
        # Wine hands the Windows clipboard's bitmap to X programs as a BMP.
        with Image.open(io.BytesIO(clipboard(d, "image/bmp"))) as picture:
            self.assertEqual(picture.size, (128, 127))
            rgb = picture.convert("RGB")
            wrong = [(px, py) for py in range(127) for px in range(128)
                     if rgb.getpixel((px, py)) != pattern_pixel(x + 33 + px, y + 88 + py)]
            self.assertEqual(wrong[:5], [])

    def test_phone_mockup_by_save_as_and_ctrl_shift_c(self):
        d = self.desktop
        d.store_settings()
        _, x, y, _, _ = self.start()
        cases = [(BUILTIN, (193, 448), (33, 74, 128, 159), (150, 261)),  # the taller area
                 (AQUA, (228, 470), (26, 70, 176, 144), (182, 272))]
        png = b""
        for n, (skin, size, shot, key) in enumerate(cases):
            if n == 0:
                d.click(x + 97, y + 51)  # the name strip toggles the taller area
            else:
                d.xdotool("key", "1")  # Aqua.inf; the window still has the keyboard
                _, x, y, _, _ = d.wait_window(*size)
            target = os.path.join(d.program, f"mockup{n}.png")
            self.save_as(x, y, target, MOCKUP, key)
            d.activate(x + 20, y + 330)
            d.xdotool("key", "ctrl+shift+c")
            # Wine hands the Windows clipboard's PNG to X programs as one.
            png = clipboard(d, "image/png", unlike=png)
            for picture in (target, io.BytesIO(png)):
                with Image.open(picture) as mockup:
                    self.assertEqual((mockup.mode, mockup.size), ("RGBA", size))
                    if HAVE_SHAPE_DUMP:
                        wrong = mockup_mismatches(mockup, skin, shot, x, y)
                    else:  # the shot area and a see-through corner
                        hole = mockup.crop((shot[0], shot[1], shot[0] + shot[2], shot[1] + shot[3]))
                        wrong = pattern_mismatches(hole.convert("RGB"), x + shot[0], y + shot[1])
                        wrong += [(0, 0)] if mockup.getpixel((0, 0))[3] else []
                    self.assertEqual(wrong[:5], [], n)

    def test_quality_changed_in_the_options_dialog_is_used_and_stored(self):
        d = self.desktop
        d.store_settings()
        _, x, y, _, _ = self.start()
        dialog = d.open_options(x, y, timeout=10)
        _, dx, dy, dw, dh = dialog
        self.assertEqual((dw, dh), (489, 254))
        d.focus(dialog[0])
        d.xdotool("key", "Home")  # the slider has the focus: to 0, best compression
        d.click(dx + 112 + 36, dy + 216 + 12)  # OK
        wait_for(lambda: not d.windows("Tarvik Options"), 10, "the dialog to close")

        d.click(x + 46, y + 261)
        small = d.wait_file(os.path.join(d.captured, "tarvik_output1.jpg"))
        with Image.open(small) as picture:
            # Quality 0 gives the coarsest tables: every step at its 8-bit maximum.
            self.assertEqual(max(picture.quantization[0]), 255)
        self.close_by_hot_spot(x, y)
        self.assertEqual(d.registry()["JPEG Quality"], ("REG_DWORD", "0x0"))


class Distribution(unittest.TestCase):
    def test_zip_holds_the_program_folder(self):
        folder = ["tarvik.exe", "readme.htm"] + [
            "skins/" + name for name in os.listdir(os.path.join(WIN_BIN, "skins"))]
        with zipfile.ZipFile(ZIP) as z:
            names = [n for n in z.namelist() if not n.endswith("/")]
        self.assertEqual(sorted(names), sorted("Tarvik/" + name for name in folder))

    def test_silent_install_start_quick_save_and_silent_uninstall_keep_the_settings(self):
        with open(SETUP, "rb") as f:  # no administrator rights asked for
            self.assertIn(b'level="asInvoker"', f.read())
        d = WineDesktop()
        self.addCleanup(d.close)
        self.assertEqual(d.wine(windows_path(SETUP), "/S").returncode, 0)
        users = os.path.join(d.prefix, "drive_c", "users", "*", "AppData")
        program = glob.glob(os.path.join(users, "Local", "Programs", "Tarvik"))[0]
        shortcut = glob.glob(os.path.join(users, "Roaming", "Microsoft", "Windows", "Start Menu",
                                          "Programs", "Tarvik.lnk"))[0]
        for name in ("tarvik.exe", "readme.htm", "skins/Aqua.inf", "uninstall.exe"):
            self.assertTrue(os.path.isfile(os.path.join(program, name)), name)
        self.assertIn("InstallLocation", d.wine("reg", "query", UNINSTALL_KEY).stdout)

        # Started from the Start-menu entry; the pictures go beside the installed program.
        d.start("wine", "start", "/unix", shortcut)
        d.answer_message_box()  # the first start's settings message
        _, x, y, _, _ = d.wait_window(193, 448, timeout=60)
        d.click(x + 46, y + 261)
        picture = d.wait_file(os.path.join(program, "captured", "tarvik_output1.jpg"))
        d.click(x + 157, y + 30)  # close: the settings are written
        wait_for(lambda: not d.windows() and d.registry(), 30, "the program to close")

        # The uninstaller copies itself away and runs from there: wait for it to finish.
        d.wine(windows_path(os.path.join(program, "uninstall.exe")), "/S")
        wait_for(lambda: os.listdir(program) == ["captured"], 60, "the program files to go")
        self.assertTrue(os.path.isfile(picture))  # the user's pictures stay
        self.assertFalse(os.path.exists(shortcut))
        self.assertEqual(d.wine("reg", "query", UNINSTALL_KEY).returncode, 1)
        self.assertEqual(d.registry()["SkinFile"], ("REG_SZ", "Default"))


if __name__ == "__main__":
    unittest.main()
