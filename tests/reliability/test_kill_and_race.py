# SPDX-License-Identifier: MIT
"""Writes killed at any moment and writers racing each other: nothing half-written ever
carries a final name, and a store is always one writer's whole."""
import os
import random
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from PIL import Image

LOOP = os.environ.get("TARVIK_WRITE_LOOP", "../../build/bin/tarvik_write_loop")
ROUNDS = int(os.environ.get("TARVIK_KILL_ROUNDS", "120"))


def complete_jpeg(path):
    with Image.open(path) as picture:
        picture.load()  # decodes every byte: a cut file fails here
        return picture.size


class KillAndRace(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="tarvik-reliability-")
        self.random = random.Random(20261208)

    def tearDown(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def kill_at_random(self, argv):
        """Kills the writer at a random moment of its loop (after its start-up, which a
        sanitizer build makes slow)."""
        p = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        p.stdout.readline()
        time.sleep(self.random.uniform(0, 0.05))
        p.send_signal(signal.SIGKILL)
        p.wait()
        p.stdout.close()

    def check_store(self, path):
        out = subprocess.run([LOOP, "check-store", path], capture_output=True, text=True)
        self.assertEqual(out.returncode, 0, f"the store is not one writer's whole:\n{open(path).read()}")
        return int(out.stdout)

    def test_store_killed_at_any_moment_still_parses(self):
        path = os.path.join(self.work, "settings.reg")
        subprocess.run([LOOP, "store", path, "7", "1"], check=True, stdout=subprocess.DEVNULL)
        for round in range(ROUNDS):
            self.kill_at_random([LOOP, "store", path, str(round % 100 + 1), "1000000"])
            self.assertIn(self.check_store(path), set(range(1, 101)) | {7})

    def test_quick_save_killed_at_any_moment_leaves_only_whole_pictures(self):
        folder = os.path.join(self.work, "captured")
        for _ in range(ROUNDS):
            self.kill_at_random([LOOP, "quicksave", folder, "1000000"])
        finals = [n for n in os.listdir(folder) if not n.startswith(".")]
        self.assertGreater(len(finals), 0)
        for name in finals:
            self.assertRegex(name, r"^shot\d+\.jpg$")
            self.assertEqual(complete_jpeg(os.path.join(folder, name)), (64, 48))

    def test_two_instances_quick_saving_into_one_folder_never_share_a_name(self):
        folder = os.path.join(self.work, "captured")
        writers = [subprocess.Popen([LOOP, "quicksave", folder, "500"], stdout=subprocess.DEVNULL)
                   for _ in range(2)]
        for w in writers:
            self.assertEqual(w.wait(120), 0)
        names = sorted(os.listdir(folder))
        self.assertEqual(len(names), 1000)
        self.assertEqual(set(names), {f"shot{n}.jpg" for n in range(1, 1001)})
        for name in names:
            complete_jpeg(os.path.join(folder, name))

    def test_two_instances_closing_at_once_leave_one_of_the_two(self):
        path = os.path.join(self.work, "settings.reg")
        for round in range(60):
            a, b = 2 * round + 1, 2 * round + 2
            writers = [subprocess.Popen([LOOP, "store", path, str(tag), "1"], stdout=subprocess.DEVNULL)
                       for tag in (a, b)]
            for w in writers:
                self.assertEqual(w.wait(30), 0)
            self.assertIn(self.check_store(path), (a, b))


if __name__ == "__main__":
    unittest.main()
