"""The program on a headless Wayland session, framing on the portal's screenshot."""
import os
import unittest

from PIL import Image

import wayland_harness as wh


@unittest.skipIf(os.getuid() != 0, "the session is run as an unprivileged user: needs root")
class WaylandSession(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = wh.missing_parts()
        if missing:
            raise unittest.SkipTest("not installed: " + ", ".join(missing))
        cls.session = wh.Session()
        cls.pattern = cls.session.spawn([wh.PATTERN], name="pattern")
        wh.wait_for(lambda: any(l.startswith("painted") for l in cls.pattern.lines),
                    what="the pattern window")

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def test_session_shows_the_pattern(self):
        shot = Image.open(self.session.grim()).convert("RGB")
        self.assertEqual(shot.size, self.session.size)
        self.assertEqual(shot.getpixel((10, 20)), ((10 * 7) & 255, (20 * 5 + 3) & 255, 10 ^ 20))


if __name__ == "__main__":
    unittest.main()
