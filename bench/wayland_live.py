# SPDX-License-Identifier: MIT
"""The live phone on the headless sway session: start-up until the phone is on the screen
against a minimal Qt window on the same session, both measured the same way (the screen watched
frame by frame until it differs in 20,000 pixels or more); memory against the X11 mode's; Quick Save, click
to file, against `grim -g` of the same rectangle."""
import os
import time

from wayland_peer import rss_mib, wait_file

from e2e_common import stop

CHANGED = 20000
SKIN = (193, 448)
HOLE = (33, 88, 128, 127)
QUICK_SAVE = (46, 261)


def measure(session, pointer, settings, minimal, pictures, frames, runs):
    """Samples: (start ours, start minimal), resident memory, (Quick Save, grim -g)."""
    starts, floors, rss = [], [], []
    for _ in range(runs):
        for starter, times in ((lambda: session.start_tarvik(settings), starts),
                               (lambda: session.spawn([minimal], name="minimal",
                                                      QT_QPA_PLATFORM="wayland",
                                                      QT_WAYLAND_DISABLE_WINDOWDECORATION="1"),
                                floors)):
            frames.base()
            start = time.perf_counter()
            p = starter()
            times.append(frames.first_changed(start, CHANGED) - start)
            if times is starts:
                time.sleep(0.5)
                rss.append(rss_mib(p.pid))
            stop(p)
            time.sleep(0.3)
    p = session.start_tarvik(settings)
    time.sleep(1.0)
    saves = quick_saves(session, pointer, pictures, runs)
    stop(p)
    return (starts, floors), rss, saves


def quick_saves(session, pointer, pictures, runs):
    """Samples of the centred phone's Quick Save, a click until the JPEG is there, and of
    `grim -g` reading its hole as a process."""
    w, h = session.size
    x, y = (w - SKIN[0]) // 2, (h - SKIN[1]) // 2
    pointer.move(x + QUICK_SAVE[0], y + QUICK_SAVE[1])
    ours, theirs = [], []
    for n in range(1, runs + 1):
        start = time.perf_counter()
        pointer.p.stdin.write("down 1\nup 1\n")
        pointer.p.stdin.flush()
        pointer.answers += 2
        ours.append(wait_file(os.path.join(pictures, f"shot{n}.jpg")) - start)
    for _ in range(runs):
        start = time.perf_counter()
        session.grim("hole.png", f"{x + HOLE[0]},{y + HOLE[1]} {HOLE[2]}x{HOLE[3]}")
        theirs.append(time.perf_counter() - start)
    return ours, theirs
