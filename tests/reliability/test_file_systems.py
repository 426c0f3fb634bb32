# SPDX-License-Identifier: MIT
"""The settings store and Quick Save on a FAT file system, which has neither Unix
permissions nor hard links (mounted through FUSE, so no kernel driver is needed)."""
import os
import shutil
import subprocess
import tempfile
import unittest

from test_kill_and_race import LOOP, complete_jpeg


class FatFileSystem(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="tarvik-fat-")
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        image = os.path.join(self.work, "fat.img")
        self.mount = os.path.join(self.work, "mnt")
        os.mkdir(self.mount)
        mkfs = shutil.which("mkfs.vfat", path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin")
        subprocess.run([mkfs, "-C", image, "4096"], check=True, stdout=subprocess.DEVNULL)
        if not os.path.exists("/dev/fuse"):
            self.skipTest("this machine cannot mount through FUSE (no /dev/fuse)")
        subprocess.run(["fusefat", "-o", "rw+", image, self.mount], check=True,
                       stdout=subprocess.DEVNULL)
        self.addCleanup(subprocess.run, ["fusermount", "-u", self.mount])

    def test_store_and_quick_saves_are_written(self):
        store = os.path.join(self.mount, "settings.reg")
        subprocess.run([LOOP, "store", store, "7", "1"], check=True, stdout=subprocess.DEVNULL)
        out = subprocess.run([LOOP, "check-store", store], capture_output=True, text=True)
        self.assertEqual(out.stdout.strip(), "7")

        folder = os.path.join(self.mount, "captured")
        subprocess.run([LOOP, "quicksave", folder, "3"], check=True, stdout=subprocess.DEVNULL)
        self.assertEqual(sorted(os.listdir(folder)), ["shot1.jpg", "shot2.jpg", "shot3.jpg"])
        for name in os.listdir(folder):
            self.assertEqual(complete_jpeg(os.path.join(folder, name)), (64, 48))


if __name__ == "__main__":
    unittest.main()
