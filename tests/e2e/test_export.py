# SPDX-License-Identifier: MIT
"""Pictures leaving the program other than by Quick Save: Save As to PNG, the clipboard and
the phone mock-up, exactly as the screen and the skin show them."""
import io
import os
import subprocess
import unittest

from PIL import Image

from e2e_common import AQUA, BUILTIN, fresh_folder, stored_settings, wait_file, wait_for
from harness import Desktop, expected_shape, pattern_pixel, set_pattern_background

# The Save As types, by their place in the dialog's list.
PNG, MOCKUP = 2, 3


def save_as(desktop, x, y, path, file_type=None):
    """Save As by a double click on the phone's body; the type chosen in the dialog's list
    when given, then the name typed."""
    # Not --sync: the pointer may be there already, and then no motion would come.
    desktop.xdotool("mousemove", x + 20, y + 330, "click", "--repeat", "2", "--delay", "80", "1")
    dialog = wait_for(lambda: desktop.windows("Save As"), 10, "the Save As dialog")[0][0]
    # Keys sent before a dialog just mapped has the keyboard (slow under the sanitizers) would
    # go elsewhere.
    wait_for(lambda: desktop.has_keyboard(dialog), 10, "the Save As dialog to have the keyboard")
    if file_type is not None:
        # From the name to the type list and back.
        desktop.xdotool("key", "Tab", "key", "Home", *["key", "Down"] * file_type,
                        "key", "shift+Tab")
    desktop.xdotool("key", "ctrl+a")
    desktop.xdotool("type", path)
    desktop.xdotool("key", "Return")
    wait_for(lambda: not desktop.windows("Save As"), 10, "the dialog to close")


def mockup_mismatches(mockup, skin_path, shot, left, top):
    """Pixels of a mock-up that are wrong: the shot area (x, y, w, h) must hold the desktop
    pattern from (left, top), the window's outline the skin's pixels, both opaque, and every
    other pixel be see-through."""
    outline = expected_shape(skin_path, "(%d, %d, %d, %d)" % shot)
    sx, sy, sw, sh = shot
    got = mockup.load()
    with Image.open(skin_path) as skin:
        skin = skin.convert("RGB").load()
    wrong = []
    for j in range(mockup.size[1]):
        for i in range(mockup.size[0]):
            if sx <= i < sx + sw and sy <= j < sy + sh:
                ok = got[i, j] == pattern_pixel(left + i, top + j) + (255,)
            elif (i, j) in outline:
                ok = got[i, j] == skin[i, j] + (255,)
            else:
                ok = got[i, j][3] == 0
            if not ok:
                wrong.append((i, j))
    return wrong


def pattern_mismatches(picture, left, top):
    """Pixels of an RGB picture that differ from the desktop pattern from (left, top)."""
    width, height = picture.size
    return [(i, j) for j in range(height) for i in range(width)
            if picture.getpixel((i, j)) != pattern_pixel(left + i, top + j)]


def clipboard(desktop, kind="image/png", unlike=b""):
    """The clipboard's picture as another program reads it (xclip), once it differs from
    unlike."""
    def read():
        out = subprocess.run(["xclip", "-selection", "clipboard", "-t", kind, "-o"],
                             env=desktop.env, capture_output=True, timeout=10)
        data = out.stdout if out.returncode == 0 else b""
        return data != unlike and data
    return wait_for(read, 10, f"a new {kind} on the clipboard")


class Export(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop()
        set_pattern_background(self.desktop)
        self.pictures = fresh_folder(self)
        self.addCleanup(self.desktop.close)

    def start(self, skin="Default", width=193, height=448):
        self.desktop.write_settings(stored_settings(skin=skin, path=self.pictures))
        self.tarvik = self.desktop.start_tarvik()
        _, x, y, _, _ = self.desktop.wait_window(width, height)
        return x, y

    def test_save_as_png_by_its_extension_or_its_type_holds_the_screen_exactly(self):
        d = self.desktop
        x, y = self.start()
        typed = os.path.join(self.pictures, "typed.png")
        save_as(d, x, y, typed)
        chosen = os.path.join(self.pictures, "chosen")  # the PNG type adds its extension
        save_as(d, x, y, chosen, PNG)
        for path in (typed, chosen + ".png"):
            with Image.open(wait_file(path)) as png:
                self.assertEqual((png.format, png.mode, png.size), ("PNG", "RGB", (128, 127)))
                self.assertEqual(pattern_mismatches(png, x + 33, y + 88)[:5], [])
        self.assertEqual(sorted(os.listdir(self.pictures)), ["chosen.png", "typed.png"])

    def test_ctrl_c_puts_a_fresh_capture_of_the_hole_on_the_clipboard(self):
        d = self.desktop
        x, y = self.start()
        d.xdotool("mousemove", "--sync", x + 20, y + 330)
        png = b""
        for moved in range(2):  # moved a pixel, the next copy shows what is under it then
            if moved:
                d.xdotool("key", "Right")
                wait_for(lambda: d.wait_window(193, 448)[1] == x + 1, 5, "the window to move")
            d.xdotool("key", "ctrl+c")
            png = clipboard(d, unlike=png)
            with Image.open(io.BytesIO(png)) as picture:
                self.assertEqual(picture.size, (128, 127))
                mismatches = pattern_mismatches(picture.convert("RGB"), x + moved + 33, y + 88)
                self.assertEqual(mismatches[:5], [])
        self.assertEqual(os.listdir(self.pictures), [])

    def test_phone_mockup_is_the_skin_with_the_capture_in_its_display_and_see_through_outside(
            self):
        d = self.desktop
        x, y = self.start()
        cases = [(BUILTIN, (193, 448), (33, 88, 128, 127)),
                 (BUILTIN, (193, 448), (33, 74, 128, 159)),  # the taller capture area
                 (AQUA, (228, 470), (26, 70, 176, 144))]
        png = b""
        for n, (skin, size, shot) in enumerate(cases):
            if n == 1:
                d.click(x + 97, y + 51)  # the name strip toggles the taller area
            if n == 2:
                d.xdotool("key", "1")  # Aqua.inf
                _, x, y, _, _ = d.wait_window(*size)
            path = os.path.join(self.pictures, f"mockup{n}.png")
            save_as(d, x, y, path, MOCKUP)
            d.xdotool("key", "ctrl+shift+c")  # the pointer is still on the phone
            png = clipboard(d, unlike=png)
            for picture in (wait_file(path), io.BytesIO(png)):
                with Image.open(picture) as mockup:
                    self.assertEqual((mockup.format, mockup.mode, mockup.size),
                                     ("PNG", "RGBA", size))
                    self.assertEqual(mockup_mismatches(mockup, skin, shot, x, y)[:5], [], n)


if __name__ == "__main__":
    unittest.main()
