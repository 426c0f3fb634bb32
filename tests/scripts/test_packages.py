# SPDX-License-Identifier: MIT
"""The installer of scripts/packages.sh against an apt-get whose lock another package
manager holds for a while, as an automatic update does."""
import os
import subprocess
import tempfile
import unittest

SOURCE_DIR = os.environ.get("TARVIK_SOURCE_DIR", "../..")

# Fails as apt-get does while the lock is held, for its first two calls.
FAKE_APT_GET = """#!/bin/sh
echo "apt-get $*" >> "$CALLS"
n=$(grep -c . "$CALLS")
if [ "$n" -le 2 ]; then
    echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 42 (apt-get)" >&2
    exit 100
fi
"""


class InstallPackages(unittest.TestCase):
    def test_waits_for_a_held_lock_and_says_so(self):
        with tempfile.TemporaryDirectory() as bin_dir:
            for name, text in (("apt-get", FAKE_APT_GET), ("dpkg-query", "#!/bin/sh\nexit 1\n")):
                path = os.path.join(bin_dir, name)
                with open(path, "w") as f:
                    f.write(text)
                os.chmod(path, 0o755)
            calls = os.path.join(bin_dir, "calls")
            env = dict(os.environ, PATH=bin_dir + ":" + os.environ["PATH"], CALLS=calls)
            script = f". '{SOURCE_DIR}/scripts/packages.sh' && install_packages tarvik-test-package"
            run = subprocess.run(["bash", "-euo", "pipefail", "-c", script], env=env,
                                 capture_output=True, text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
            self.assertIn("Waiting", run.stdout)
            with open(calls) as f:
                lines = f.read().splitlines()
            self.assertEqual(len(lines), 4, lines)
            self.assertTrue(all("-o DPkg::Lock::Timeout=300" in line for line in lines), lines)
            self.assertIn("update", lines[2])
            self.assertIn("install", lines[3])
            self.assertIn("tarvik-test-package", lines[3])


if __name__ == "__main__":
    unittest.main()
