# SPDX-License-Identifier: MIT
import os
import re
import subprocess
import time
import unittest

from e2e_common import (AQUA, BIN, BUILTIN, SOURCE_DIR, stored_settings, terminate, wait_for,
                        without_display)
from harness import SCREEN, Desktop, expected_shape

VALUE_ORDER = ['"SkinCount"', '"SkinFile"', '"JPEG Quality"', '"Auto-save Path"',
               '"Auto-name Prefix"', '"View Mode"']


class StartUp(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop()

    def tearDown(self):
        self.desktop.close()

    def centred(self, width, height):
        return ((SCREEN[0] - width) // 2, (SCREEN[1] - height) // 2)

    def test_first_start_shapes_the_window_and_sigterm_writes_the_settings(self):
        d = self.desktop
        # A window beneath the phone, to see where clicks land.
        xev = d.start("xev", "-geometry", "400x500+300+130")
        wait_for(lambda: d.windows("Event Tester"), what="xev")
        tarvik = d.start_tarvik()

        d.answer_message_box()  # "Error loading settings."
        window, x, y, width, height = d.wait_window(193, 448)
        self.assertEqual((x, y), self.centred(193, 448))
        self.assertEqual(d.shape_pixels(window), expected_shape(BUILTIN, "(33, 88, 128, 127)"))

        # The hole is click-through: the press lands on the window beneath.
        presses = lambda: sum("ButtonPress" in line for line in list(xev.lines))
        d.click(x + 33 + 64, y + 88 + 60)
        wait_for(lambda: presses() == 1, 5, "the press to reach the window beneath")
        # A press on the phone's body stays with the phone.
        d.click(x + 20, y + 330)
        time.sleep(0.5)
        self.assertEqual(presses(), 1)

        self.assertEqual(terminate(tarvik), 0)
        text = d.settings_text()
        positions = [text.find(v + "=") for v in VALUE_ORDER]
        self.assertNotIn(-1, positions, text)
        self.assertEqual(positions, sorted(positions), text)
        self.assertIn('"SkinFile"="Default"', text)

        # The second start asks nothing and shows the same skin.
        second = d.start_tarvik()
        window, x, y, width, height = d.wait_window(193, 448)
        self.assertEqual((x, y), self.centred(193, 448))
        self.assertEqual(len(d.windows()), 1 + len([w for w in d.windows() if w[3:] == (1, 1)]))
        self.assertEqual(terminate(second), 0)

    def test_stored_skin_starts_with_that_skin_and_its_size(self):
        d = self.desktop
        d.write_settings(stored_settings(skin="Aqua.inf", quality=90, prefix="shot"))
        tarvik = d.start_tarvik()
        window, x, y, width, height = d.wait_window(228, 470)
        self.assertEqual((x, y), self.centred(228, 470))
        self.assertEqual(d.shape_pixels(window), expected_shape(AQUA, "(26, 70, 176, 144)"))
        self.assertEqual(terminate(tarvik), 0)
        self.assertIn('"SkinFile"="Aqua.inf"', d.settings_text())
        self.assertIn('"JPEG Quality"=dword:90', d.settings_text())

    def test_sigterm_while_the_first_message_is_open_still_writes_whole_settings(self):
        d = self.desktop
        tarvik = d.start_tarvik()
        d.wait_message_box()
        self.assertEqual(terminate(tarvik), 0)
        text = d.settings_text()
        for value in VALUE_ORDER:
            self.assertIn(value + "=", text)
        self.assertIn('"Auto-name Prefix"="tarvik_output"', text)

    def test_sigterm_while_the_context_menu_is_open_stores_the_plain_skin_name(self):
        d = self.desktop
        d.write_settings(stored_settings(skin="Retro.inf"))
        tarvik = d.start_tarvik()
        _, x, y, _, _ = d.wait_window(156, 360)
        d.click(x + 10, y + 250, button=3)
        wait_for(lambda: [w for w in d.windows(None) if w[3:] not in ((156, 360), (1, 1))],
                 5, "the context menu")
        self.assertEqual(terminate(tarvik), 0)
        self.assertIn('"SkinFile"="Retro.inf"', d.settings_text())

    def test_corrupt_store_gives_the_defaults_and_the_close_writes_a_clean_store(self):
        d = self.desktop
        d.write_settings("\x00\x01 this is not a settings file \xff")
        tarvik = d.start_tarvik()
        d.answer_message_box()
        d.wait_window(193, 448)
        self.assertEqual(terminate(tarvik), 0)
        # The six sample skins.
        self.assertIn('"SkinCount"=dword:6', d.settings_text())

    def test_a_stale_or_odd_display_environment_runs_on_x11_or_says_why_never_aborts(self):
        d = self.desktop
        d.write_settings(stored_settings())
        # Wayland named but not there, over a working X display: the phone on X11.
        plain = dict(d.env)
        for extra in ({"WAYLAND_DISPLAY": "wayland-gone"}, {"XDG_SESSION_TYPE": "wayland"}):
            with self.subTest(**extra):
                d.env = dict(plain, **extra)
                tarvik = d.start_tarvik()
                _, x, y, _, _ = d.wait_window(193, 448)
                self.assertEqual((x, y), self.centred(193, 448))
                self.assertEqual(terminate(tarvik), 0)
        d.env = plain

        # No display that answers: a message naming it, exit 1.
        gone = next(f":{n}" for n in range(90, 300) if not os.path.exists(f"/tmp/.X{n}-lock"))
        live = {"DISPLAY": d.name}
        for env, args, says in (({"DISPLAY": gone}, [], f'X display "{gone}"'),
                                (live, ["-display", gone], f'X display "{gone}"'),
                                ({"DISPLAY": gone, "WAYLAND_DISPLAY": "wayland-gone"}, [],
                                 '"wayland-gone"'),
                                ({"XDG_SESSION_TYPE": "wayland"}, [], '"wayland-0"'),
                                (dict(live, QT_QPA_PLATFORM="wayland"), [], '"wayland-0"'),
                                (dict(live, QT_QPA_PLATFORM="bogus"), [], '"bogus"'),
                                (live, ["-platform", "bogus"], '"bogus"')):
            with self.subTest(env=env, args=args):
                result = subprocess.run([BIN, *args], env=dict(without_display(plain), **env),
                                        timeout=20, capture_output=True, text=True)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(says, result.stderr)


def run(*args):
    """The program run with no display."""
    return subprocess.run([BIN, *args], env=without_display(), capture_output=True, text=True,
                          timeout=10)


class CommandLine(unittest.TestCase):
    def test_help_and_version_answer_without_a_display_and_bad_arguments_exit_2(self):
        with open(os.path.join(SOURCE_DIR, "CMakeLists.txt")) as f:
            version = re.search(r"project\(tarvik VERSION ([\d.]+)", f.read()).group(1)
        for args in (["--help"], ["-h"], ["-platform", "xcb", "--help"]):
            result = run(*args)
            self.assertEqual((result.returncode, result.stderr), (0, ""), args)
            self.assertTrue(result.stdout.startswith("Usage: tarvik [OPTION]...\n"), args)
            self.assertIn("--version", result.stdout)
        for args in (["--version"], ["-V"]):
            self.assertEqual(run(*args).stdout, f"tarvik {version}\n")
        for args, complaint in ((["--bogus"], "unknown option '--bogus'"),
                                (["-x"], "unknown option '-x'"),
                                (["picture.jpg"], "unexpected argument 'picture.jpg'"),
                                (["-display"], "option '-display' needs a value")):
            result = run(*args)
            self.assertEqual((result.returncode, result.stdout), (2, ""), args)
            self.assertIn(complaint, result.stderr)
        # Qt's own options pass: the program goes on to look for a display.
        result = run("-style", "fusion", "--reverse")
        self.assertEqual(result.returncode, 1)
        self.assertIn("no display", result.stderr)

    def test_a_double_dash_ends_the_options(self):
        for args in (["--"], ["-style", "fusion", "--"]):
            result = run(*args)
            self.assertEqual(result.returncode, 1, args)
            self.assertIn("no display", result.stderr)
        # What follows it is an argument, not an option.
        for args, complaint in ((["--", "-x"], "unexpected argument '-x'"),
                                (["--", "--help"], "unexpected argument '--help'")):
            result = run(*args)
            self.assertEqual((result.returncode, result.stdout), (2, ""), args)
            self.assertIn(complaint, result.stderr)


if __name__ == "__main__":
    unittest.main()
