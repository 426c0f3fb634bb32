# SPDX-License-Identifier: MIT
"""scripts/check-layers on the tree as it is, and on a copy with an include against the arrows."""
import os
import shutil
import subprocess
import tempfile
import unittest

SOURCE_DIR = os.environ.get("TARVIK_SOURCE_DIR", "../..")
CHECK = os.path.join(SOURCE_DIR, "scripts", "check-layers")


class Layers(unittest.TestCase):
    def check(self, root):
        return subprocess.run([CHECK, root], capture_output=True, text=True)

    def test_the_tree_follows_the_arrows_and_a_planted_include_fails(self):
        self.assertEqual(self.check(SOURCE_DIR).returncode, 0)
        with tempfile.TemporaryDirectory() as root:
            shutil.copytree(os.path.join(SOURCE_DIR, "src"), os.path.join(root, "src"))
            planted = os.path.join(root, "src", "skin", "SkinRect.cpp")
            with open(planted, "a") as f:
                f.write('#include "app/frmMain.h"\n')
            result = self.check(root)
            self.assertEqual(result.returncode, 1)
            self.assertIn("src/skin/SkinRect.cpp", result.stderr)
            self.assertIn("skin may not include app/frmMain.h", result.stderr)


if __name__ == "__main__":
    unittest.main()
