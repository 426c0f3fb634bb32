#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Runs every benchmark on a private Xvfb display and prints one table: each figure beside its
reference from the same run, as the median of several runs with their min and max.

Usage: bench/bench.py BUILD_BIN_DIR [--runs N]
"""
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from Xlib import X, display as xdisplay
from Xlib.ext import xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_common  # noqa: E402
import wayland_harness  # noqa: E402
import wayland_live  # noqa: E402
import wayland_peer  # noqa: E402
from wayland_peer import rss_mib, wait_file  # noqa: E402
from e2e_common import stored_settings, wait_for, write_settings_file  # noqa: E402

BIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench/bin")
RUNS = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 5
SCREEN = (1280, 1024)
rows = []


def stats(values):
    return statistics.median(values), min(values), max(values)


def fmt(value, unit):
    if unit == "s":
        return f"{value * 1000:.2f} ms" if value < 1 else f"{value:.2f} s"
    if unit == "MiB":
        return f"{value:.1f} MiB"
    return f"{value:.3g} {unit}"


def add(figure, ours, reference, unit, target, better="lower"):
    """ours and reference are lists of samples; target is the allowed ratio ours/reference
    (better="lower") or the required ratio reference/ours (better="speedup")."""
    o, r = stats(ours), stats(reference)
    if better == "speedup":
        ratio = r[0] / o[0]
        met = ratio >= target
        target_text = f">= {target:g} x faster"
    else:
        ratio = o[0] / r[0]
        met = ratio <= target
        target_text = f"<= {target:g} x"
    span = lambda s: f"{fmt(s[0], unit)} [{fmt(s[1], unit)}-{fmt(s[2], unit)}]"
    rows.append((figure, span(o), span(r), f"{ratio:.2f}", target_text, "met" if met else "NOT met"))


class Desktop:
    def __init__(self, size=SCREEN):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{size[0]}x{size[1]}x24",
             "-nolisten", "tcp", "-dpi", "96"], pass_fds=[write_fd],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            self.name = ":" + f.readline().strip()
        self.work = tempfile.mkdtemp(prefix="tarvik-bench-")
        self.env = dict(os.environ, DISPLAY=self.name, XDG_CONFIG_HOME=self.work,
                        XDG_RUNTIME_DIR=self.work, HOME=self.work)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.x = xdisplay.Display(self.name)
        self.x.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)

    def close(self):
        self.x.close()
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    def store(self, path):
        write_settings_file(self.work, settings(path))

    def start_until_mapped(self, argv, size):
        """Starts a program; seconds until a window of this size is mapped, and the process."""
        while self.x.pending_events():
            self.x.next_event()
        start = time.perf_counter()
        process = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        while True:
            event = self.x.next_event()
            if event.type == X.MapNotify:
                try:
                    g = event.window.get_geometry()
                except Exception:
                    continue
                if (g.width, g.height) == size:
                    return time.perf_counter() - start, process

    def click(self, x, y):
        """A left click through the XTEST extension, sent at once."""
        root = self.x.screen().root
        xtest.fake_input(self.x, X.MotionNotify, x=x, y=y, root=root)
        xtest.fake_input(self.x, X.ButtonPress, 1)
        xtest.fake_input(self.x, X.ButtonRelease, 1)
        self.x.flush()

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)


def settings(path):
    return stored_settings(quality=90, path=path, prefix="shot", count=1)


def stop(process):
    e2e_common.stop(process, timeout=10)


def google_benchmarks(desktop):
    samples = {}
    for program in ("tarvik_bench_imaging", "tarvik_bench_window"):
        out = os.path.join(desktop.work, program + ".json")
        subprocess.run([os.path.join(BIN, program), f"--benchmark_repetitions={RUNS}",
                        f"--benchmark_out={out}", "--benchmark_out_format=json"], env=desktop.env,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out) as f:
            results = json.load(f)
        for b in results["benchmarks"]:
            if b.get("run_type") == "iteration":
                unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
                samples.setdefault(b["run_name"], []).append(b["real_time"] * unit)
    return samples


def x11_memory_1080(tarvik):
    """The X11 mode's resident memory after start on one 1920 x 1080 screen."""
    desktop = Desktop((1920, 1080))
    try:
        desktop.store(desktop.work)
        rss = []
        for _ in range(RUNS):
            _, p = desktop.start_until_mapped([tarvik], (193, 448))
            time.sleep(0.5)
            rss.append(rss_mib(p.pid))
            stop(p)
        return rss
    finally:
        desktop.close()


class WindowEvents:
    """sway's window events, each with the moment it was read."""

    def __init__(self, session):
        self.p = subprocess.Popen(["swaymsg", "-r", "-m", "-t", "subscribe", '["window"]'],
                                  env=session.env, preexec_fn=session._preexec,
                                  stdout=subprocess.PIPE, text=True, bufsize=1)
        self.events = []
        self.subscribed = threading.Event()
        threading.Thread(target=self._read, daemon=True).start()
        self.subscribed.wait(10)

    def _read(self):
        for line in self.p.stdout:
            event = json.loads(line)
            if "change" in event:
                self.events.append((time.perf_counter(), event))
            else:
                self.subscribed.set()

    def shown(self, since, name, timeout=20):
        """When a window of this title was first reported after `since`."""
        deadline = time.perf_counter() + timeout
        while time.perf_counter() < deadline:
            for t, e in list(self.events):
                if t >= since and e["container"].get("name") == name:
                    return t
            time.sleep(0.001)
        raise RuntimeError(f"{name} never shown")

    def close(self):
        self.p.terminate()
        self.p.wait()


def wayland(tarvik, x11_rss):
    """Start-up, Quick Save and memory of the frozen Wayland mode on a headless sway session (as
    the tests run it), against grim reading the same screen."""
    bin_dir = os.path.dirname(tarvik)
    wayland_harness.POINTER = os.path.join(bin_dir, "tarvik_wl_pointer")
    wayland_harness.PATTERN = os.path.join(bin_dir, "tarvik_wl_pattern")
    wayland_harness.BIN = tarvik
    size = (1920, 1080)
    session = wayland_harness.Session(*size)
    events = frames = None
    try:
        pattern = session.spawn([wayland_harness.PATTERN], name="pattern")
        wait_for(lambda: any(l.startswith("painted") for l in pattern.lines))
        pointer = session.pointer()
        pointer.move(size[0] - 1, size[1] - 1)
        events = WindowEvents(session)
        frames = wayland_harness.Frames(session, os.path.join(bin_dir, "tarvik_wl_frames"))
        pictures = session.out

        starts, grims, rss = [], [], []
        for n in range(RUNS):
            start = time.perf_counter()
            p = session.start_tarvik(settings(pictures), "--frozen")
            starts.append(events.shown(start, "Tarvik") - start)
            time.sleep(0.5)
            rss.append(rss_mib(p.pid))
            stop(p)
            start = time.perf_counter()
            session.grim("screen.png")
            grims.append(time.perf_counter() - start)
        add("Wayland: start-up to the overlay shown (vs grim, whole screen to PNG)", starts,
            grims, "s", 1.5)
        add("Wayland: resident memory, 1920x1080 screen (vs the X11 mode's)", rss, x11_rss,
            "MiB", 1.5)

        # Quick Save: the click until the JPEG is there, against grim reading the rectangle.
        p = session.start_tarvik(settings(pictures), "--frozen")
        events.shown(time.perf_counter() - 1, "Tarvik")
        time.sleep(0.5)
        ours, theirs = wayland_live.quick_saves(session, pointer, pictures, RUNS)
        stop(p)
        add("Wayland: Quick Save 128x127, click to file (vs grim -g)", ours, theirs, "s", 0.5)

        for name in os.listdir(pictures):
            os.remove(os.path.join(pictures, name))
        (starts, floors), rss, (ours, theirs) = wayland_live.measure(
            session, pointer, settings(pictures),
            os.path.join(bin_dir, "tarvik_bench_minimal_qt"), pictures, frames, RUNS)
        add("Wayland live: start-up to the phone shown (vs a minimal Qt Wayland window)", starts,
            floors, "s", 1.3)
        add("Wayland live: resident memory, phone shown (vs the X11 mode's)", rss, x11_rss,
            "MiB", 1.2)
        add("Wayland live: Quick Save 128x127, click to file (vs grim -g)", ours, theirs, "s",
            0.3)
        for name in os.listdir(pictures):
            os.remove(os.path.join(pictures, name))

        if shutil.which("flameshot"):
            ours, theirs, ours_rss, theirs_rss, refresh = wayland_peer.measure(
                session, pattern, events, settings(pictures), frames, RUNS)
            add("Wayland: start to the phone on its backdrop (vs flameshot gui's overlay)", ours,
                theirs, "s", 0.8)
            add("Wayland: F5 to the phone on the fresh picture (vs flameshot gui's start)",
                refresh, theirs, "s", 0.8)
            add("Wayland: resident memory, phone shown (vs flameshot gui's, overlay shown)",
                ours_rss, theirs_rss, "MiB", 0.5)
        else:
            print("flameshot is not installed: no Wayland rows against it.")
    finally:
        for watcher in (events, frames):
            if watcher:
                watcher.close()
        session.close()


def main():
    desktop = Desktop()
    try:
        program = os.path.join(desktop.work, "program")
        shutil.copytree(BIN, program, ignore=shutil.ignore_patterns("tarvik_bench_*", "captured"))
        tarvik = os.path.join(program, "tarvik")
        minimal = os.path.join(BIN, "tarvik_bench_minimal_qt")
        pictures = os.path.join(desktop.work, "pictures")
        os.makedirs(pictures)
        desktop.store(pictures)

        # Start-up and resident memory.
        starts, floors, rss, rss_floor = [], [], [], []
        for _ in range(RUNS):
            seconds, p = desktop.start_until_mapped([tarvik], (193, 448))
            starts.append(seconds)
            time.sleep(0.5)
            rss.append(rss_mib(p.pid))
            stop(p)
            seconds, p = desktop.start_until_mapped([minimal], (193, 448))
            floors.append(seconds)
            time.sleep(0.5)
            rss_floor.append(rss_mib(p.pid))
            stop(p)
        add("start-up to the window mapped and shaped", starts, floors, "s", 1.3)
        add("resident memory after start", rss, rss_floor, "MiB", 1.5)

        # In-process benchmarks. Captures read a picture on the screen: an all-black one
        # counts as unread and is not saved.
        subprocess.Popen(["convert", "-size", f"{SCREEN[0]}x{SCREEN[1]}", "plasma:fractal",
                          os.path.join(desktop.work, "desk.png")]).wait()
        subprocess.Popen(["display", "-window", "root", os.path.join(desktop.work, "desk.png")],
                         env=desktop.env).wait()
        g = google_benchmarks(desktop)
        add("window shape, built-in skin (vs naive region)", g["ShapeBuiltin"],
            g["ShapeBuiltinNaive/iterations:3"], "s", 50, "speedup")
        add("window shape, 2000x2000 dither (vs one read pass)", g["ShapeDither"],
            g["ReadEveryPixel"], "s", 4)
        naive_rows = g["ShapeDitherNaivePerRow/4/iterations:1"]
        rows.append(("  naive region of the dither, lower bound", fmt(500 * statistics.median(naive_rows), "s"),
                     "(first 4 rows x 500)", "", "", ""))
        add("skin switch to a 400x800 skin (vs decoding it)", g["SkinSwitch"], g["DecodeSkinPicture"], "s", 2)
        for size in ("128/127", "1024/768"):
            add(f"Quick Save of a {size.replace('/', 'x')} hole (vs grab+compress+write)",
                g[f"QuickSave/{size}"], g[f"GrabCompressWrite/{size}"], "s", 1.2)
        add("SaveJPG 128x127 (vs bare TurboJPEG + write)", g["SaveJpg/128/127"], g["BareTurboJpeg/128/127"], "s", 1.1)
        add("SaveJPG 1920x1080 (vs bare TurboJPEG + write)", g["SaveJpg/1920/1080"], g["BareTurboJpeg/1920/1080"], "s", 1.1)
        add("CreateFromPicture 1920x1080 (vs memcpy)", g["CreateFromPicture"], g["MemcpySameBytes"], "s", 10)
        add("Resample 640x480 to 1280x960 (vs Qt smooth)", g["Resample/1280/960"], g["QtSmoothScale/1280/960"], "s", 1)
        add("Resample 640x480 to 320x240 (vs Qt smooth)", g["Resample/320/240"], g["QtSmoothScale/320/240"], "s", 1)
        add("phone mock-up, built-in skin (vs plain PNG of it)", g["SavePhoneMockup"],
            g["SavePlainPngSkinSized"], "s", 2)
        add("screenshot decode 1920x1080 photograph, Paeth rows (vs Qt's PNG reader)",
            g["DecodeScreenshot/0"], g["QtDecodeScreenshot/0"], "s", 0.5)
        add("screenshot decode 1920x1080 photograph, libpng's filters (vs Qt's PNG reader)",
            g["DecodeScreenshot/1"], g["QtDecodeScreenshot/1"], "s", 0.5)
        add("SaveAutoNamed, 9,998 names taken (vs one stat each)", g["SaveAutoNamedCrowded"],
            g["ExistenceTestPerName"], "s", 1.2)

        # Whole captures, process start to file closed, against the tools a user would pick.
        big = os.path.join(program, "skins")
        subprocess.run(["convert", "-size", "1100x860", "xc:white", "-fill", "#334",
                        "-draw", "rectangle 4,4 1095,855", os.path.join(big, "big.png")], check=True)
        with open(os.path.join(big, "Big.inf"), "wb") as f:
            f.write(b"image = big.png\r\nshot = (38, 40, 1024, 768)\r\nclose = (1070, 10, 20, 20)\r\n"
                    b"save = (40, 820, 60, 30)\r\nsaveas = (200, 820, 60, 30)\r\n")
        for skin, size, click, shot in (("Default", (193, 448), (46, 261), (33, 88, 128, 127)),
                                        ("Big.inf", (1100, 860), (70, 835), (38, 40, 1024, 768))):
            desktop.store(pictures)
            with open(os.path.join(desktop.work, "tarvik", "settings.reg")) as f:
                text = f.read().replace('"Default"', f'"{skin}"')
            with open(os.path.join(desktop.work, "tarvik", "settings.reg"), "w") as f:
                f.write(text)
            _, p = desktop.start_until_mapped([tarvik], size)
            time.sleep(0.5)
            geometry = [w for w in desktop.x.screen().root.query_tree().children
                        if w.get_attributes().map_state == X.IsViewable
                        and (w.get_geometry().width, w.get_geometry().height) == size][0].get_geometry()
            left, top = geometry.x + shot[0], geometry.y + shot[1]
            w, h = shot[2], shot[3]
            ours = []
            for n in range(1, RUNS + 1):
                start = time.perf_counter()
                desktop.click(geometry.x + click[0], geometry.y + click[1])
                ours.append(wait_file(os.path.join(pictures, f"shot{n}.jpg")) - start)
            if skin == "Default":
                # Memory after 1,000 Quick Saves against after the first.
                before = rss_mib(p.pid)
                for n in range(RUNS + 1, 1001):
                    desktop.click(geometry.x + click[0], geometry.y + click[1])
                    wait_file(os.path.join(pictures, f"shot{n}.jpg"))
                wait_file(os.path.join(pictures, "shot1000.jpg"), 120)
                time.sleep(0.3)
                rows.append(("resident memory growth over 1,000 Quick Saves",
                             f"{rss_mib(p.pid) - before:+.2f} MiB", f"{before:.1f} MiB at the first", "",
                             "<= 1 MiB", "met" if rss_mib(p.pid) - before <= 1 else "NOT met"))
            stop(p)
            for name in os.listdir(pictures):
                os.remove(os.path.join(pictures, name))
            out = os.path.join(desktop.work, "tool.jpg")
            tools = {
                "import": ["import", "-window", "root", "-crop", f"{w}x{h}+{left}+{top}", out],
                "scrot": ["scrot", "-o", "-a", f"{left},{top},{w},{h}", out],
                "maim": ["maim", "-g", f"{w}x{h}+{left}+{top}", out],
            }
            for tool, argv in tools.items():
                times = []
                for _ in range(RUNS):
                    start = time.perf_counter()
                    subprocess.run(argv, env=desktop.env, check=True, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
                    times.append(time.perf_counter() - start)
                add(f"capture {w}x{h}, our click-to-file vs {tool}", ours, times, "s", 1)
    finally:
        desktop.close()

    if os.getuid() == 0:
        wayland(os.path.join(BIN, "tarvik"), x11_memory_1080(os.path.join(BIN, "tarvik")))
    else:
        print("The Wayland figures need root: the session runs as an unprivileged user.")

    widths = [max(len(str(r[i])) for r in rows + [("figure", "ours", "reference", "ratio", "target", "")])
              for i in range(6)]
    header = ("figure", "ours: median [min-max]", "reference: median [min-max]", "ratio", "target", "")
    widths = [max(w, len(h)) for w, h in zip(widths, header)]
    line = lambda r: "  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip()
    print(line(header))
    print("  ".join("-" * w for w in widths))
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main()
