# SPDX-License-Identifier: MIT
import os
import shutil
import subprocess
import tempfile
import unittest

from e2e_common import APP_ID, wait_file
from harness import BUILD_DIR, Desktop

ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


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

    def test_package_holds_the_program_folder_its_shared_data_and_the_desktop_files(self):
        self.assertRegex(os.path.basename(self.deb), r"^tarvik_\d+\.\d+\.\d+-\d+_amd64\.deb$")
        field = lambda name: subprocess.run(["dpkg-deb", "-f", self.deb, name], check=True,
                                            capture_output=True, text=True).stdout.strip()
        for package in ("libqt6widgets6", "libturbojpeg0", "libgif7", "qt6-qpa-plugins"):
            self.assertIn(package, field("Depends"))
        usr = os.path.join(self.root, "usr")
        # The program folder holds the program; its skins and help page are links into the
        # architecture-independent data, so the program still finds them beside itself.
        links = {"bin/tarvik": "../lib/tarvik/tarvik",
                 "lib/tarvik/skins": "../../share/tarvik/skins",
                 "lib/tarvik/readme.htm": "../../share/tarvik/readme.htm"}
        for path, target in links.items():
            self.assertEqual(os.readlink(os.path.join(usr, path)), target)
        self.assertTrue(os.path.isfile(os.path.join(usr, "lib/tarvik/skins/Aqua.inf")))
        icons = [f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES]
        for path in icons + [f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                             "lib/tarvik/tarvik", "share/tarvik/readme.htm",
                             "share/man/man1/tarvik.1.gz", "share/doc/tarvik/copyright"]:
            self.assertTrue(os.path.isfile(os.path.join(usr, path)), path)
        with open(os.path.join(usr, f"share/applications/{APP_ID}.desktop")) as f:
            entry = f.read()
        for line in ("Name=Tarvik", "Exec=tarvik", f"Icon={APP_ID}", "Categories=Graphics;"):
            self.assertIn(line + "\n", entry)
        # The Debian changelog and the AppStream release name the version packaged.
        changelog = os.path.join(usr, "share/doc/tarvik/changelog.Debian.gz")
        version = subprocess.run(["dpkg-parsechangelog", "-l", changelog, "-S", "Version"],
                                 check=True, capture_output=True, text=True).stdout.strip()
        self.assertEqual(version, field("Version"))
        with open(os.path.join(usr, f"share/metainfo/{APP_ID}.metainfo.xml")) as f:
            self.assertIn(f'<release version="{version.split("-")[0]}"', f.read())

    def test_lintian_and_appstream_find_no_fault(self):
        lintian = subprocess.run(["lintian", "--fail-on", "error,warning", self.deb],
                                 capture_output=True, text=True)
        self.assertEqual(lintian.returncode, 0, lintian.stdout + lintian.stderr)
        # The metainfo with the desktop entry and icons it names.
        appstream = subprocess.run(["appstreamcli", "validate-tree", "--no-net", self.root],
                                   capture_output=True, text=True)
        self.assertEqual(appstream.returncode, 0, appstream.stdout + appstream.stderr)

    def test_installed_program_quick_saves_into_pictures_and_finds_its_skins(self):
        desktop = Desktop()
        self.addCleanup(desktop.close)
        home = os.path.join(desktop.config, "home")
        os.makedirs(home)
        desktop.env["HOME"] = home
        desktop.env.pop("XDG_DATA_HOME", None)
        # A skin of the user's own, with its picture beside it, in place of the program's.
        user_skins = os.path.join(home, ".local", "share", "tarvik", "skins")
        os.makedirs(user_skins)
        skins = os.path.join(self.root, "usr", "share", "tarvik", "skins")
        shutil.copy(os.path.join(skins, "retro.gif"), os.path.join(user_skins, "mine.gif"))
        with open(os.path.join(skins, "Retro.inf"), "rb") as f:
            retro = f.read()
        with open(os.path.join(user_skins, "Graphite.inf"), "wb") as f:
            f.write(retro.replace(b"retro.gif", b"mine.gif"))
        tarvik = desktop.start(os.path.join(self.root, "usr", "bin", "tarvik"))
        desktop.answer_message_box()  # the first start's settings message
        _, x, y, _, _ = desktop.wait_window(193, 448)
        desktop.click(x + 46, y + 261)
        saved = os.path.join(home, "Pictures", "captured", "tarvik_output1.jpg")
        wait_file(saved)
        self.assertFalse(os.path.exists(os.path.join(self.root, "usr", "lib", "tarvik", "captured")))
        # The skins, through the link beside the program: Page Down shows the first.
        desktop.xdotool("mousemove", "--sync", x + 20, y + 330)
        desktop.xdotool("key", "Next")
        desktop.wait_window(228, 470)
        desktop.xdotool("key", "Next")
        desktop.wait_window(156, 360)
        tarvik.terminate()
        self.assertEqual(tarvik.wait(10), 0)


if __name__ == "__main__":
    unittest.main()
