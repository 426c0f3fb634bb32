# SPDX-License-Identifier: MIT
import os
import signal
import stat
import unittest

from e2e_common import settings_file, terminate, wait_for
from harness import CAPTURED, Desktop


class SettingsStore(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop()
        self.desktop.listen_accessibility()
        self.store = settings_file(self.desktop.config)
        os.makedirs(os.path.dirname(self.store))

    def tearDown(self):
        self.desktop.close()

    def assert_store_refused_at_start_and_close(self, why):
        """The start names the store and why it cannot be used; so does the one message of
        the close (at SIGTERM), which still ends with 0."""
        d = self.desktop
        tarvik = d.start_tarvik()
        self.assertEqual(d.message_text(),
                         "Error loading settings.\nSwich to default settings\n"
                         f"The settings file {self.store} cannot be used: {why}.\n"
                         "The settings cannot be stored there.")
        d.answer_message_box()
        d.wait_window(193, 448)
        tarvik.send_signal(signal.SIGTERM)
        self.assertEqual(d.message_text(),
                         f"The settings could not be stored in {self.store}: {why}.")
        d.answer_message_box()
        self.assertEqual(tarvik.wait(10), 0)

    def test_a_lost_path_or_prefix_takes_its_default_and_quick_save_stays_out_of_the_root(self):
        d = self.desktop
        # The path's line is damaged (no closing quote), the prefix's missing.
        d.write_settings('[Software\\Mobrin_Tarvik]\n"SkinCount"=dword:3\n"SkinFile"="Default"\n'
                         '"JPEG Quality"=dword:90\n"Auto-save Path"=".\\\\captured\n'
                         '"View Mode"=dword:1\n')
        root = set(os.listdir("/"))
        self.addCleanup(lambda: [os.remove("/" + n) for n in set(os.listdir("/")) - root
                                 if n.endswith(".jpg")])
        saved = lambda: set(os.listdir(CAPTURED)) if os.path.isdir(CAPTURED) else set()
        before = saved()
        tarvik = d.start_tarvik()
        self.assertEqual(d.message_text(),
                         f"The settings file {self.store} could not be read whole: 1 line could "
                         f"not be read.\nIt will be kept as {self.store}.bak.\n"
                         f'"Auto-save Path" was empty and is reset to the default folder '
                         f'{CAPTURED}.\n'
                         '"Auto-name Prefix" was empty and is reset to "tarvik_output".')
        d.answer_message_box()
        _, x, y, _, _ = d.wait_window(193, 448)
        d.click(x + 46, y + 261)  # Quick Save
        new = wait_for(lambda: saved() - before, 10, "a Quick Save in the default folder")
        for name in new:
            self.addCleanup(os.remove, os.path.join(CAPTURED, name))
        self.assertTrue(all(n.startswith("tarvik_output") for n in new), new)
        self.assertEqual(set(os.listdir("/")), root)
        self.assertEqual(terminate(tarvik), 0)
        text = d.settings_text()
        self.assertIn('"Auto-save Path"=".\\\\captured"\n', text)
        self.assertIn('"Auto-name Prefix"="tarvik_output"\n', text)

    def test_a_store_linked_to_a_device_is_never_replaced_and_the_user_is_told(self):
        d = self.desktop
        device = os.path.join(d.config, "null")
        os.mknod(device, stat.S_IFCHR | 0o666, os.makedev(1, 3))
        os.symlink(device, self.store)
        self.assert_store_refused_at_start_and_close("it is a device, not a file")
        self.assertTrue(stat.S_ISCHR(os.stat(device).st_mode))
        self.assertEqual(os.readlink(self.store), device)

    def test_a_folder_in_the_stores_place_is_named_at_start_and_at_the_close_once(self):
        os.mkdir(self.store)
        self.assert_store_refused_at_start_and_close("Is a directory")
        self.assertTrue(os.path.isdir(self.store))


if __name__ == "__main__":
    unittest.main()
