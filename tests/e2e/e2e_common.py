# SPDX-License-Identifier: MIT
"""What the X11, Wayland and Wine harnesses and their tests share: waiting, programs whose
output is collected, their end, the stored settings and fresh folders."""
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time

BIN = os.environ.get("TARVIK_BIN", "../../build/bin/tarvik")
SOURCE_DIR = os.environ.get("TARVIK_SOURCE_DIR", "../..")
BUILTIN = os.path.join(SOURCE_DIR, "resources", "skin.gif")
AQUA = os.path.join(SOURCE_DIR, "skins", "aqua.bmp")
APP_ID = "org.tarvik.Tarvik"
# What a sanitizer build reads from the environment.
SANITIZER_KEYS = ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS")
DISPLAY_KEYS = ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE")


def wait_for(predicate, timeout=15.0, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def wait_file(path, timeout=10.0):
    """The path, once it is there."""
    return wait_for(lambda: os.path.exists(path) and path, timeout, os.path.basename(path))


def start_process(args, **popen):
    """Starts a program; its output and error lines collect in p.lines."""
    p = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         errors="replace", **popen)
    p.lines = []
    p.reader = threading.Thread(target=lambda: p.lines.extend(p.stdout), daemon=True)
    p.reader.start()
    return p


def stop(p, sig=signal.SIGTERM, group=False, timeout=5):
    """Ends p if it still runs: sig to it (to its process group with group), then SIGKILL
    after timeout seconds."""
    send = (lambda s: os.killpg(p.pid, s)) if group else p.send_signal
    if p.poll() is not None:
        return
    try:
        send(sig)
    except ProcessLookupError:
        pass
    try:
        p.wait(timeout)
    except subprocess.TimeoutExpired:
        send(signal.SIGKILL)
        p.wait()


def release(p):
    """After p has ended: its output read to the end and its pipes closed."""
    p.reader.join(5)
    for stream in (p.stdin, p.stdout):
        if stream:
            stream.close()


def terminate(process, timeout=10):
    """SIGTERM, as a session's end sends it; the exit code."""
    process.send_signal(signal.SIGTERM)
    return process.wait(timeout)


def sanitizer_environment():
    return {key: os.environ[key] for key in SANITIZER_KEYS if key in os.environ}


def without_display(env=None):
    """The environment with no display named."""
    return {k: v for k, v in (os.environ if env is None else env).items()
            if k not in DISPLAY_KEYS}


def fresh_folder(test, name="pictures"):
    """An empty folder of its own, removed after the test."""
    path = tempfile.mkdtemp(prefix=f"tarvik-{name}-")
    test.addCleanup(shutil.rmtree, path, True)
    return path


def stored_settings(skin="Default", quality=100, path=".\\captured", prefix="tarvik_output",
                    count=3, regedit=False):
    """The six settings as an earlier run leaves them: the settings file's text, or with
    regedit the same values as a REGEDIT4 file for Wine's registry."""
    dword = (lambda n: f"dword:{n:08x}") if regedit else (lambda n: f"dword:{n}")
    key = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" if regedit else "["
    escaped = path.replace("\\", "\\\\")
    return (f'{key}Software\\Mobrin_Tarvik]\n"SkinCount"={dword(count)}\n'
            f'"SkinFile"="{skin}"\n"JPEG Quality"={dword(quality)}\n'
            f'"Auto-save Path"="{escaped}"\n"Auto-name Prefix"="{prefix}"\n'
            f'"View Mode"={dword(1)}\n')


def settings_file(config_home):
    """Where the program keeps its settings under this XDG_CONFIG_HOME."""
    return os.path.join(config_home, "tarvik", "settings.reg")


def write_settings_file(config_home, text, owner=None):
    """Stores the settings text; the file and its folders owned by owner (uid, gid) when
    given."""
    path = settings_file(config_home)
    for folder in (config_home, os.path.dirname(path)):
        os.makedirs(folder, exist_ok=True)
        if owner:
            os.chown(folder, *owner)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    if owner:
        os.chown(path, *owner)


def read_settings_file(config_home):
    with open(settings_file(config_home), encoding="utf-8") as f:
        return f.read()
