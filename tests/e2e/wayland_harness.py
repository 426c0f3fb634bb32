# SPDX-License-Identifier: MIT
"""A private, headless Wayland session: sway, XWayland, pipewire and the screenshot portal
on a bus of its own, all run as an unprivileged user (sway refuses root)."""
import json
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import threading
import time

import e2e_common
from e2e_common import (release, sanitizer_environment, start_process, stop, wait_for,
                        write_settings_file)

# Absolute: the session's processes start in its home folder.
BIN = os.path.abspath(e2e_common.BIN)
POINTER = os.path.abspath(os.environ.get("TARVIK_WL_POINTER", "../../build/bin/tarvik_wl_pointer"))
PATTERN = os.path.abspath(os.environ.get("TARVIK_WL_PATTERN", "../../build/bin/tarvik_wl_pattern"))
FRAMES = os.path.abspath(os.environ.get("TARVIK_WL_FRAMES", "../../build/bin/tarvik_wl_frames"))
USER = "nobody"
# xdg-desktop-portal-wlr 0.7 always writes its picture here.
PORTAL_PICTURE = "/tmp/out.png"
PORTAL = "/usr/libexec/xdg-desktop-portal"
FAKE_PORTAL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wayland", "fake_portal.py")
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>{address}</listen>
  <auth>EXTERNAL</auth>
  <servicedir>{services}</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def missing_parts():
    """What this machine lacks for the session; empty when it can run."""
    wanted = ["sway", "swaymsg", "grim", "wtype", "wl-paste", "dbus-daemon", "pipewire", "gdbus",
              "setpriv", PORTAL, "/usr/lib/python3/dist-packages/dbus",
              "/usr/lib/python3/dist-packages/gi", "/usr/libexec/xdg-desktop-portal-wlr",
              "/usr/libexec/xdg-desktop-portal-gtk"]
    return [w for w in wanted if not (shutil.which(w) or os.path.exists(w))]


class Session:
    """sway on virtual outputs of width x height at the given scale, side by side from the
    left (HEADLESS-1, HEADLESS-2, ...)."""
    DESKTOP = "sway"

    def __init__(self, width=1024, height=768, scale=1, outputs=1):
        self.size = (width, height)
        self.scale = scale
        self.outputs = outputs
        entry = pwd.getpwnam(USER)
        self.uid, self.gid = entry.pw_uid, entry.pw_gid
        self.root = tempfile.mkdtemp(prefix="tarvik-wl-")
        os.chmod(self.root, 0o755)
        self.runtime = os.path.join(self.root, "run")
        self.home = os.path.join(self.root, "home")
        self.out = os.path.join(self.root, "out")  # the program's pictures
        self.shots = os.path.join(self.root, "shots")  # grim's
        for d in (self.runtime, self.home, self.out, self.shots):
            os.mkdir(d, 0o700)
            os.chown(d, self.uid, self.gid)
        self.processes = []
        self.portal_processes = []
        self.env = {
            "PATH": "/usr/bin:/bin",
            "HOME": self.home,
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CURRENT_DESKTOP": self.DESKTOP,
            "DBUS_SESSION_BUS_ADDRESS": f"unix:path={self.runtime}/bus",
            "LANG": "C.UTF-8",
        }
        self.env.update(sanitizer_environment())
        self._remove_portal_picture()
        try:
            self._start()
        except BaseException:
            self.close()
            raise

    def _remove_portal_picture(self):
        try:
            os.remove(PORTAL_PICTURE)
        except FileNotFoundError:
            pass

    def _start(self):
        config = os.path.join(self.root, "sway.conf")
        env_file = os.path.join(self.runtime, "session.env")
        with open(config, "w") as f:
            for n in range(self.outputs):
                f.write(f"output HEADLESS-{n + 1} resolution {self.size[0]}x{self.size[1]}"
                        f" position {n * self.size[0] // self.scale} 0 scale {self.scale}\n")
            f.write("xwayland enable\n"
                    "default_border none\n"
                    "focus_follows_mouse no\n"
                    # the pointer out of the screenshots, a moment after it stops
                    "seat * hide_cursor 100\n"
                    f"exec sh -c 'env > {env_file}.part && mv {env_file}.part {env_file}'\n")
        os.chmod(config, 0o644)
        self.start_bus()
        self.sway = self.spawn(["sway", "-c", config], name="sway", WLR_BACKENDS="headless",
                               WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman",
                               WLR_HEADLESS_OUTPUTS=str(self.outputs))
        wait_for(lambda: os.path.exists(env_file), what="sway's session")
        with open(env_file) as f:
            started = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        for key in ("WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK"):
            if key in started:
                self.env[key] = started[key]
        # xdg-desktop-portal-wlr exits without pipewire; without the gtk backend the portal
        # offers no Screenshot interface.
        self.start_pipewire()
        self.start_portal()

    def start_bus(self, kind="session", services=()):
        """A private bus at the address the environment names for its kind. It starts only
        the permission store and the given services on demand: the portal runs while the
        test wants it and stays stopped when it stops it."""
        folder = os.path.join(self.root, f"{kind}-services")
        os.mkdir(folder)
        store = "/usr/share/dbus-1/services/org.freedesktop.impl.portal.PermissionStore.service"
        for service in ((store,) if kind == "session" else ()) + tuple(services):
            if os.path.exists(service):
                shutil.copy(service, folder)
        address = self.env["DBUS_SESSION_BUS_ADDRESS" if kind == "session"
                           else "DBUS_SYSTEM_BUS_ADDRESS"]
        config = os.path.join(self.root, f"{kind}-bus.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG.format(kind=kind, address=address, services=folder))
        os.chmod(config, 0o644)
        os.chmod(folder, 0o755)
        self.spawn(["dbus-daemon", f"--config-file={config}", "--nofork", "--nopidfile"],
                   name=f"{kind} bus")
        path = address.split("=", 1)[1]
        wait_for(lambda: os.path.exists(path), what=f"the {kind} bus")

    def start_pipewire(self):
        self.spawn(["pipewire"], name="pipewire")
        wait_for(lambda: os.path.exists(os.path.join(self.runtime, "pipewire-0")),
                 what="pipewire")

    def start_portal(self):
        self.stop_portal()  # the fake one, when a test had it
        self.portal_processes = [
            self.spawn(["/usr/libexec/xdg-desktop-portal-wlr"], name="xdpw"),
            self.spawn(["/usr/libexec/xdg-desktop-portal-gtk"], name="xdpg"),
        ]
        self.portal_processes.append(self.spawn([PORTAL, "-r"], name="xdp"))
        wait_for(lambda: "org.freedesktop.portal.Screenshot" in self.portal_interfaces(),
                 timeout=20, what="the Screenshot portal")
        dead = [f"{p.name} ({p.returncode}): " + "".join(p.lines[-3:]) for p in self.portal_processes
                if p.poll() is not None]
        if dead:
            raise AssertionError("a portal process ended: " + "; ".join(dead))

    def stop_portal(self):
        for p in self.portal_processes:
            self.stop(p)
        self.portal_processes = []

    def start_fake_portal(self, *script, registry=False):
        """A portal of ours in place of the real one (stopped first), answering each call as
        the next line of the script says (see fake_portal.py), with the host application
        registry when asked; its output tells the calls."""
        self.stop_portal()
        folder = os.path.join(self.root, "fake")
        os.makedirs(folder, exist_ok=True)
        os.chown(folder, self.uid, self.gid)
        path = os.path.join(folder, "script")
        with open(path, "w") as f:
            f.write("\n".join(script) + "\n")
        os.chown(path, self.uid, self.gid)
        fake = self.spawn(["/usr/bin/python3", FAKE_PORTAL, path, folder] +
                          (["--registry"] if registry else []), name="fake portal")
        wait_for(lambda: "ready\n" in fake.lines or fake.poll() is not None, what="the fake portal")
        if fake.poll() is not None:
            raise AssertionError("the fake portal ended: " + "".join(fake.lines))
        self.portal_processes = [fake]
        return fake

    def portal_interfaces(self):
        r = self.run(["gdbus", "introspect", "--session", "--dest",
                      "org.freedesktop.portal.Desktop", "--object-path",
                      "/org/freedesktop/portal/desktop"], check=False, capture=True)
        return r.stdout if r.returncode == 0 else ""

    def _preexec(self):
        os.setsid()
        os.setgroups([])
        os.setgid(self.gid)
        os.setuid(self.uid)

    def spawn(self, args, name=None, **extra):
        """Starts a process of the session; its output lines collect in p.lines."""
        p = start_process(args, env=dict(self.env, **extra), cwd=self.home,
                          preexec_fn=self._preexec, stdin=subprocess.PIPE, bufsize=1)
        p.name = name or os.path.basename(args[0])
        self.processes.append(p)
        return p

    def run(self, args, check=True, capture=False, timeout=30, **extra):
        env = dict(self.env, **extra)
        return subprocess.run(args, env=env, cwd=self.home, preexec_fn=self._preexec,
                              check=check, timeout=timeout, text=True,
                              stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                              stderr=subprocess.PIPE if capture else subprocess.DEVNULL)

    def stop(self, p, sig=signal.SIGTERM):
        stop(p, sig, group=True)
        p.reader.join(5)

    def close(self):
        for p in reversed(self.processes):
            self.stop(p)
            release(p)
        self._remove_portal_picture()
        shutil.rmtree(self.root, ignore_errors=True)

    # What a test does on the session.

    def grim(self, name="grim.png", geometry=None):
        """The screen as the compositor shows it, in device pixels."""
        path = os.path.join(self.shots, name)
        args = ["grim"] + (["-g", geometry] if geometry else []) + [path]
        self.run(args)
        return path

    def start_tarvik(self, settings, *args):
        """Starts the program with the environment a real session gives, settings stored."""
        write_settings_file(self.env["XDG_CONFIG_HOME"], settings, (self.uid, self.gid))
        return self.spawn([BIN, *args], name="tarvik")

    def swaymsg(self, *args):
        return self.run(["swaymsg", *map(str, args)], capture=True).stdout

    def windows(self):
        """The session's windows as sway describes them (name, app_id, rect, focused)."""
        found = []

        def walk(node):
            if node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(json.loads(self.swaymsg("-t", "get_tree")))
        return found

    def window(self, name):
        return next((w for w in self.windows() if w["name"] == name), None)

    def focused(self):
        """The title and app id of the window that has the keyboard, or None."""
        return next(((w["name"], w["app_id"]) for w in self.windows() if w["focused"]), None)

    def keys(self, *args):
        """wtype: text, or -M/-m/-P/-p/-k key arguments. Each wtype is a new keyboard: a key
        sent before the program has taken its key map is lost, so it waits a moment first."""
        self.run(["wtype", "-s", "150", *map(str, args)])

    def pointer(self):
        return Pointer(self)


class Pointer:
    """One virtual pointer for the session's life, moved in layout coordinates."""

    def __init__(self, session):
        self.session = session
        self.p = session.spawn([POINTER], name="pointer")
        wait_for(lambda: "ready\n" in self.p.lines, what="the virtual pointer")
        self.answers = 0

    def _send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()
        self.answers += 1
        wait_for(lambda: self.p.lines.count("ok\n") >= self.answers, what="the pointer")
        time.sleep(0.05)

    def move(self, x, y):
        """To (x, y) of the layout, all outputs side by side, in logical pixels."""
        s = self.session
        w, h = s.outputs * s.size[0] // s.scale, s.size[1] // s.scale
        self._send(f"move {x} {y} {w} {h}")

    def down(self, button=1):
        self._send(f"down {button}")

    def up(self, button=1):
        self._send(f"up {button}")

    def click(self, x, y, button=1):
        self.move(x, y)
        self.down(button)
        self.up(button)


class Frames:
    """The screen's frames as the frame watcher (tarvik_wl_frames) reports them: the
    moment each was shown, and how many pixels differ from the base frame."""

    def __init__(self, session, program=FRAMES):
        self.p = subprocess.Popen([program], env=session.env, cwd=session.home,
                                  preexec_fn=session._preexec, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, text=True, bufsize=1)
        self.frames, self.kept, self.answers = [], [], []
        self.changed = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()
        self._wait(lambda: self.frames)

    def _read(self):
        for line in self.p.stdout:
            word, *rest = line.split()
            with self.changed:
                if word in ("frame", "kept"):
                    getattr(self, "frames" if word == "frame" else "kept").append(
                        (float(rest[0]) / 1000, int(rest[1])))
                else:
                    self.answers.append(word)
                self.changed.notify_all()

    def _wait(self, condition, timeout=10):
        with self.changed:
            if not self.changed.wait_for(condition, timeout):
                raise RuntimeError("the frame watcher did not answer")

    def command(self, word):
        n = len(self.answers)
        self.p.stdin.write(word + "\n")
        self._wait(lambda: len(self.answers) > n)

    def base(self, quiet=0.25, timeout=5):
        """Once the screen has been still for a while, as it is then is the base of the
        frames to come."""
        deadline = time.perf_counter() + timeout
        while time.perf_counter() - self.frames[-1][0] < quiet < deadline - time.perf_counter():
            time.sleep(0.01)
        self.command("base")

    def first_changed(self, since, changed, timeout=10):
        """When the first frame shown after since differed from the base in changed pixels."""
        found = []

        def condition():
            found[:] = [t for t, d in self.frames if t >= since and d >= changed][:1]
            return found
        self._wait(condition, timeout)
        return found[0]

    def settle(self, since):
        """From a mark on: when the first frame shown after since was (nearly) the last."""
        self.kept.clear()
        self.command("settle")
        return next(t for t, d in self.kept if t >= since and d < 1000)

    def close(self):
        self.p.terminate()
        self.p.wait()
