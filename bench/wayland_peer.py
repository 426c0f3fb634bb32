# SPDX-License-Identifier: MIT
"""The Wayland mode against its peer, Flameshot's `flameshot gui`, on the same headless sway
session, both measured the same way: the screen, watched frame by frame, until it differs
from before in 50,000 pixels or more; resident memory half a second after that."""
import os
import signal
import time

CHANGED = 50000


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


def measure(session, pattern, events, settings, frames, runs):
    """Samples for start-up, F5 and memory of ours and Flameshot's, runs of each in turn;
    events are sway's window events (bench.WindowEvents), frames the frame watcher."""
    ours, theirs, ours_rss, theirs_rss, refresh = [], [], [], [], []
    for _ in range(runs):
        for starter, times, rss in ((lambda: session.start_tarvik(settings, "--frozen"), ours,
                                     ours_rss),
                                    (lambda: start_flameshot(session), theirs, theirs_rss)):
            frames.base()
            start = time.perf_counter()
            p = starter()
            times.append(frames.first_changed(start, CHANGED) - start)
            time.sleep(0.5)
            rss.append(rss_mib(p.pid))
            session.stop(p)
            time.sleep(0.3)

    # F5: the screen changes under the phone; the key until the phone is back on it.
    frames.base()
    p = session.start_tarvik(settings, "--frozen")
    frames.first_changed(time.perf_counter(), CHANGED)
    time.sleep(0.5)
    for n in range(runs):
        pattern.send_signal(signal.SIGUSR1)
        deadline = time.perf_counter() + 5
        while f"painted {n + 1}\n" not in pattern.lines:
            if time.perf_counter() > deadline:
                raise RuntimeError("the pattern never repainted")
            time.sleep(0.01)
        frames.base()
        frames.command("mark")
        sent = time.perf_counter()
        # wtype waits for the program to take its key map, sends the key and ends a while
        # later: the key's moment is the program's first answer, the overlay closing.
        session.run(["wtype", "-s", "150", "-k", "F5"])
        time.sleep(max(0.0, sent + 2 - time.perf_counter()))
        start = next(t for t, e in list(events.events) if t >= sent and e["change"] == "close")
        if frames.frames[-1][1] < CHANGED:
            raise RuntimeError("F5 did not take in the changed screen")
        refresh.append(frames.settle(start) - start)
    session.stop(p)
    return ours, theirs, ours_rss, theirs_rss, refresh
