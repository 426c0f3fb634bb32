import os
import subprocess
import tempfile
import unittest

from harness import BUILD_DIR, Desktop, wait_for


class DebianPackage(unittest.TestCase):
    """Builds the .deb, unpacks it into a throw-away root and runs the program from there."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="tarvik-package-")
        subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"),
                        "-B", cls.work.name], check=True, capture_output=True)
        debs = [f for f in os.listdir(cls.work.name) if f.endswith("_amd64.deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.work.name, debs[0])
        cls.root = os.path.join(cls.work.name, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_package_holds_the_program_folder_menu_entry_and_icons(self):
        self.assertRegex(os.path.basename(self.deb), r"^tarvik_\d+\.\d+\.\d+_amd64\.deb$")
        depends = subprocess.run(["dpkg-deb", "-f", self.deb, "Depends"], check=True,
                                 capture_output=True, text=True).stdout
        for package in ("libqt6widgets6", "libturbojpeg0", "libgif7", "qt6-qpa-plugins"):
            self.assertIn(package, depends)
        usr = os.path.join(self.root, "usr")
        self.assertEqual(os.readlink(os.path.join(usr, "bin", "tarvik")), "../lib/tarvik/tarvik")
        for path in ("lib/tarvik/tarvik", "lib/tarvik/readme.htm", "lib/tarvik/skins/Aqua.inf",
                     "share/icons/hicolor/32x32/apps/tarvik.png",
                     "share/icons/hicolor/128x128/apps/tarvik.png", "share/man/man1/tarvik.1.gz"):
            self.assertTrue(os.path.isfile(os.path.join(usr, path)), path)
        with open(os.path.join(usr, "share/applications/tarvik.desktop")) as f:
            entry = f.read()
        self.assertIn("Name=Tarvik\n", entry)
        self.assertIn("Exec=tarvik\n", entry)
        self.assertIn("Categories=Graphics;Utility;", entry)

    def test_installed_program_shows_its_window_and_quick_saves_into_pictures(self):
        desktop = Desktop()
        self.addCleanup(desktop.close)
        home = os.path.join(desktop.config, "home")
        os.makedirs(home)
        desktop.env["HOME"] = home
        tarvik = desktop.start(os.path.join(self.root, "usr", "bin", "tarvik"))
        desktop.answer_message_box()  # the first start's settings message
        _, x, y, _, _ = desktop.wait_window(193, 448)
        desktop.click(x + 46, y + 261)
        saved = os.path.join(home, "Pictures", "captured", "tarvik_output1.jpg")
        wait_for(lambda: os.path.exists(saved), 10, saved)
        self.assertFalse(os.path.exists(os.path.join(self.root, "usr", "lib", "tarvik", "captured")))
        tarvik.terminate()
        self.assertEqual(tarvik.wait(10), 0)


if __name__ == "__main__":
    unittest.main()
