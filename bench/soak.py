#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Soak: 10,000 Quick Saves in one run of the real program on Xvfb; prints its resident
memory and open file descriptors as it goes. Usage: bench/soak.py BUILD_BIN_DIR [COUNT]"""
import os
import shutil
import sys
import time

sys.argv = [sys.argv[0]] + sys.argv[1:2] + (["--runs", "1"])  # bench's own arguments
import bench  # noqa: E402

COUNT = int(os.environ.get("TARVIK_SOAK", "10000"))


def fds(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def main():
    desktop = bench.Desktop()
    try:
        program = os.path.join(desktop.work, "program")
        shutil.copytree(bench.BIN, program, ignore=shutil.ignore_patterns("tarvik_bench_*", "captured"))
        pictures = os.path.join(desktop.work, "pictures")
        os.makedirs(pictures)
        desktop.store(pictures)
        _, p = desktop.start_until_mapped([os.path.join(program, "tarvik")], (193, 448))
        time.sleep(0.5)
        window = [w for w in desktop.x.screen().root.query_tree().children
                  if w.get_attributes().map_state and (w.get_geometry().width, w.get_geometry().height) == (193, 448)][0]
        g = window.get_geometry()
        print(f"{'saves':>6}  {'resident MiB':>12}  {'open fds':>8}  {'seconds':>8}")
        start = time.perf_counter()
        marks = {1, 10, 100, 1000, 2500, 5000, 7500, COUNT}
        archive = os.path.join(desktop.work, "archive")
        os.makedirs(archive)
        for n in range(1, COUNT + 1):
            # The names run to 9,999: every 1,000 saves the folder is emptied, as a user would.
            desktop.click(g.x + 46, g.y + 261)
            name = f"shot{(n - 1) % 1000 + 1}.jpg"
            bench.wait_file(os.path.join(pictures, name))
            if n % 1000 == 0:
                for f in os.listdir(pictures):
                    os.rename(os.path.join(pictures, f), os.path.join(archive, f"{n}-{f}"))
            if n in marks:
                print(f"{n:>6}  {bench.rss_mib(p.pid):>12.2f}  {fds(p.pid):>8}  {time.perf_counter() - start:>8.1f}")
        bench.stop(p)
        print(f"{len(os.listdir(archive)) + len(os.listdir(pictures))} files written; exit status {p.returncode}")
    finally:
        desktop.close()


if __name__ == "__main__":
    main()
