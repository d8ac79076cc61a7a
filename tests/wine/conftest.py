"""Fixtures for tests of the real program under wine: start it, read its windows back through the
inspector (Win32, from another process in the same prefix), and give it real input through X (xdotool).

scripts/test.sh provides DISPLAY (Xvfb at 1024x768), WINEPREFIX and VELMORA_WIN_DIR.
"""
import json
import os
import subprocess
import time

import pytest

WIN_DIR = os.environ.get("VELMORA_WIN_DIR", os.path.join(os.path.dirname(__file__), "../../build/windows"))
VELMORA_EXE = os.path.join(WIN_DIR, "app", "Velmora.exe")
INSPECTOR_EXE = os.path.join(WIN_DIR, "tests", "win", "inspector", "inspector.exe")
SELECTION = "窗口_选择方式"
SAME_TEXT = "窗口_相同替换"
PER_DOCUMENT = "窗口_分别替换"


def wait_until(condition, timeout=15.0, what="condition"):
    """Polls `condition` until it returns something true; fails the test after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)


class Inspector:
    def __init__(self):
        self.proc = subprocess.Popen(["wine", INSPECTOR_EXE], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)

    def command(self, line):
        self.proc.stdin.write((line + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        reply = self.proc.stdout.readline()
        if not reply:
            raise RuntimeError("inspector ended")
        return json.loads(reply.decode("utf-8"))

    def close(self):
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.close()
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


class App:
    """The running program."""

    def __init__(self, inspector):
        self.inspector = inspector
        self.proc = subprocess.Popen(["wine", VELMORA_EXE], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # -- reading state back
    def windows(self):
        return {w["name"]: w for w in self.inspector.command("windows")}

    def dump(self, window):
        return self.inspector.command(f"dump {window}")

    def control(self, window, name):
        d = self.dump(window)
        for c in d["controls"] if d else []:
            if c["name"] == name:
                return c
        raise KeyError(name)

    def focus(self, window):
        d = self.dump(window)
        return d["focus"] if d else None

    def wait_window(self, window, timeout=20.0):
        return wait_until(lambda: self.dump(window), timeout, f"window {window}")

    def wait_gone(self, window, timeout=10.0):
        wait_until(lambda: self.dump(window) is None, timeout, f"{window} to close")

    def wait_focus(self, window, name, timeout=10.0):
        wait_until(lambda: self.focus(window) == name, timeout, f"focus on {name} (now {self.focus(window)})")

    def set_text(self, window, control, text):
        escaped = text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
        return self.inspector.command(f"settext {window} {control} {escaped}")

    def select(self, window, control, index):
        return self.inspector.command(f"select {window} {control} {index}")

    # -- real input
    def key(self, *keys):
        for k in keys:
            subprocess.run(["xdotool", "key", "--clearmodifiers", k], check=True)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)

    def click_at(self, x, y):
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)

    def click(self, window, control):
        r = self.control(window, control)["rect"]
        self.click_at(r[0] + r[2] // 2, r[1] + r[3] // 2)

    def activate(self, window):
        """Clicks the window's title bar, so that it is active and has the X focus."""
        r = self.dump(window)["rect"]
        self.click_at(r[0] + r[2] // 2, r[1] + 10)

    def exit_code(self, timeout=15.0):
        return self.proc.wait(timeout=timeout)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=10)


def pixels(x, y, w, h):
    """The screen's pixels in that rectangle, as rows of (r, g, b)."""
    raw = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"],
                         check=True, capture_output=True).stdout
    return [[tuple(raw[(j * w + i) * 3:(j * w + i) * 3 + 3]) for i in range(w)] for j in range(h)]


def colours(x, y, w, h):
    return {p for row in pixels(x, y, w, h) for p in row}


@pytest.fixture(scope="session")
def inspector():
    i = Inspector()
    yield i
    i.close()


@pytest.fixture
def app(inspector):
    a = App(inspector)
    try:
        a.wait_window(SELECTION, timeout=60)  # wine's start-up is at times slow on a busy machine
        wait_until(lambda: a.focus(SELECTION), what="first focus")
        yield a
    finally:
        a.stop()
        wait_until(lambda: not a.windows(), what="the program's windows to go")
