# SPDX-License-Identifier: MIT
"""The Wayland mode against its peer, Flameshot's `flameshot gui`, on the same headless sway
session, both measured the same way: the screen, read with grim over and over, until it
differs from before in 50,000 pixels or more; resident memory half a second after that."""
import io
import os
import signal
import subprocess
import time

from PIL import Image, ImageChops

CHANGED = 50000


def screen(session):
    """The screen as grim reads it, and the moment that read started."""
    started = time.perf_counter()
    out = subprocess.run(["grim", "-t", "ppm", "-"], env=session.env, cwd=session.home,
                         preexec_fn=session._preexec, stdout=subprocess.PIPE, check=True).stdout
    return started, Image.open(io.BytesIO(out)).convert("RGB")


def differing(a, b):
    """How many pixels differ between two pictures of the same size."""
    mask = ImageChops.difference(a, b).convert("L").point(lambda v: 255 if v else 0)
    return mask.histogram()[255]


def until_changed(session, before, start, timeout=10):
    """Seconds from start until a read of the screen (its start) differs from before."""
    while time.perf_counter() - start < timeout:
        read, now = screen(session)
        if differing(now, before) >= CHANGED:
            return read - start
    raise RuntimeError("the screen never changed")


def wait_file(path, timeout=10):
    """The moment the file is there."""
    deadline = time.perf_counter() + timeout
    while not os.path.exists(path):
        if time.perf_counter() > deadline:
            raise RuntimeError(f"{path} never appeared")
        time.sleep(0.0005)
    return time.perf_counter()


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def start_flameshot(session):
    # Its Qt 5 takes XWayland otherwise, where the screen reads black.
    return session.spawn(["flameshot", "gui"], name="flameshot", QT_QPA_PLATFORM="wayland",
                         XDG_SESSION_TYPE="wayland")


def measure(session, pattern, events, settings, runs):
    """Samples for start-up, F5 and memory of ours and Flameshot's, runs of each in turn;
    events are sway's window events (bench.WindowEvents)."""
    ours, theirs, ours_rss, theirs_rss, refresh = [], [], [], [], []
    for _ in range(runs):
        for starter, times, rss in ((lambda: session.start_tarvik(settings, "--frozen"), ours,
                                     ours_rss),
                                    (lambda: start_flameshot(session), theirs, theirs_rss)):
            _, before = screen(session)
            start = time.perf_counter()
            p = starter()
            times.append(until_changed(session, before, start))
            time.sleep(0.5)
            rss.append(rss_mib(p.pid))
            session.stop(p)
            time.sleep(0.3)

    # F5: the screen changes under the phone; the key until the phone is back on it.
    p = session.start_tarvik(settings, "--frozen")
    _, before = screen(session)
    until_changed(session, before, time.perf_counter())
    time.sleep(0.5)
    for n in range(runs):
        pattern.send_signal(signal.SIGUSR1)
        deadline = time.perf_counter() + 5
        while f"painted {n + 1}\n" not in pattern.lines:
            if time.perf_counter() > deadline:
                raise RuntimeError("the pattern never repainted")
            time.sleep(0.01)
        _, frozen = screen(session)
        sent = time.perf_counter()
        # wtype waits for the program to take its key map, sends the key and ends a while
        # later: the key's moment is the program's first answer, the overlay closing.
        session.run(["wtype", "-s", "150", "-k", "F5"])
        reads = []
        while time.perf_counter() - sent < 2:
            reads.append(screen(session))
        start = next(t for t, e in list(events.events) if t >= sent and e["change"] == "close")
        final = reads[-1][1]
        if differing(final, frozen) < CHANGED:
            raise RuntimeError("F5 did not take in the changed screen")
        # The pointer's picture may come and go meanwhile: it is far less than the phone.
        refresh.append(next(t for t, image in reads if t >= start and
                            differing(image, final) < 1000) - start)
    session.stop(p)
    return ours, theirs, ours_rss, theirs_rss, refresh
