"""Driving the installer's windows as a person does: the windows and their
controls are read with tests/wine/window_reader.exe, and the mouse and the
keyboard are xdotool's, at the positions read (Xvfb has no window manager:
a window gets the keyboard with `xdotool windowfocus`)."""

from __future__ import annotations

import dataclasses
import json
import os
import pathlib
import subprocess
import tempfile
import time

import wine

READER = wine.WIN32_DIR / "tests" / "wine" / "window_reader.exe"
SHOTS = wine.ARTIFACTS / "interactive"

# The wizard's control identifiers.
FORWARD, BACK, BODY, STEP, DOCUMENT, PROGRESS_BAR = 1001, 1003, 1009, 1011, 1005, 1007
BROWSE, FOLDER, LANGUAGES, PASSWORD = 1013, 1015, 1017, 1019
OPEN_FOLDER, START_APPLICATION, SHOW_LOG, OPEN_DOCUMENT = 1023, 1025, 1027, 1029
HEADER_TITLE, PAGE_SUBTITLE = 1034, 1035
# A message box's buttons.
IDOK, IDCANCEL, IDRETRY, IDYES, IDNO = 1, 2, 4, 6, 7
MESSAGE_TEXT = 0xFFFF  # the static text of a message box


@dataclasses.dataclass
class Window:
    raw: dict

    @property
    def caption(self) -> str:
        return self.raw["caption"]

    @property
    def is_dialog(self) -> bool:
        return self.raw["class"] == "#32770"

    def control(self, cid: int) -> dict | None:
        for c in self.raw["controls"]:
            if c["id"] == cid:
                return c
        return None

    def text(self, cid: int) -> str:
        c = self.control(cid)
        return c["text"] if c else ""

    def texts(self) -> str:
        """Every control's text, for messages and for matching."""
        return "\n".join(c["text"] for c in self.raw["controls"] if c["text"])

    def has(self, cid: int) -> bool:
        c = self.control(cid)
        return bool(c and c["visible"])


def windows() -> list[Window]:
    fd, name = tempfile.mkstemp(prefix="tess-windows-", suffix=".json")
    os.close(fd)
    try:
        # No pipes: a Wine process started by this call (the server) would
        # hold them open after the reader has ended.
        subprocess.run(["wine", str(READER), wine.windows_path(name)], env=wine.ENV, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=True)
        return [Window(w) for w in json.loads(pathlib.Path(name).read_text())]
    finally:
        os.unlink(name)


def dialogs() -> list[Window]:
    return [w for w in windows() if w.is_dialog]


def wait_for(predicate, what: str, timeout: float = 60.0, process=None) -> Window:
    """The first dialog the predicate accepts. When `process` (a
    wine.Background) ends first, the wait fails at once with its output."""
    deadline = time.time() + timeout
    last: list[Window] = []
    while time.time() < deadline:
        last = dialogs()
        for w in last:
            if predicate(w):
                time.sleep(0.3)  # its last paint reaches the display
                return w
        if process is not None and process.proc.poll() is not None:
            raise AssertionError(f"the installer ended ({process.proc.returncode}) before {what}")
        time.sleep(0.2)
    shown = "; ".join(f"{w.caption!r}: {w.texts()[:200]!r}" for w in last)
    raise TimeoutError(f"no {what}; on the screen: {shown or 'nothing'}")


def wait_for_caption(caption: str, **kw) -> Window:
    return wait_for(lambda w: w.caption == caption, f"window {caption!r}", **kw)


def wait_for_control_text(cid: int, text: str, **kw) -> Window:
    return wait_for(lambda w: w.text(cid) == text, f"window whose control {cid} says {text!r}", **kw)


def wait_for_message(contains: str, **kw) -> Window:
    """A message box whose text holds `contains`."""
    return wait_for(lambda w: contains in w.text(MESSAGE_TEXT), f"message {contains!r}", **kw)


def gone(window: Window, timeout: float = 30.0) -> None:
    deadline = time.time() + timeout
    while time.time() < deadline:
        if all(w.raw["hwnd"] != window.raw["hwnd"] for w in windows()):
            return
        time.sleep(0.2)
    raise TimeoutError(f"window {window.caption!r} stays")


def _xdotool(*args: str) -> None:
    subprocess.run(["xdotool", *args], env=wine.display_env(), check=True, capture_output=True, timeout=30)


def focus(window: Window) -> None:
    _xdotool("windowfocus", "--sync", str(window.raw["xid"]))


def click(window: Window, cid: int) -> None:
    """A left click in the middle of the control, as a person aims."""
    c = window.control(cid)
    assert c is not None and c["visible"] and c["enabled"], (window.caption, cid, c)
    x, y, w, h = c["screen"]
    _xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2))
    _xdotool("click", "1")


def key(window: Window, *keys: str) -> None:
    focus(window)
    for k in keys:
        _xdotool("key", k)


def replace_text(window: Window, cid: int, text: str) -> None:
    """Clicks into an edit field, selects what it holds and types over it."""
    click(window, cid)
    _xdotool("key", "End", "shift+Home")
    _xdotool("type", "--delay", "20", text)


def shoot(window: Window, path: pathlib.Path) -> pathlib.Path:
    """The window's part of the screen, the pointer out of the way."""
    _xdotool("mousemove", "0", "0")
    time.sleep(0.2)
    x, y, w, h = window.raw["screen"]
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", str(path)],
                   env=wine.display_env(), check=True, timeout=60)
    return path


def shoot_screen(path: pathlib.Path) -> pathlib.Path:
    _xdotool("mousemove", "0", "0")
    time.sleep(0.2)
    return wine.screenshot(path)


def unmanaged(exe_name: str) -> None:
    """The program's windows are not handed to a window manager (there is
    none): Wine then hides and destroys them at once instead of waiting for
    one."""
    key_name = rf"HKCU\Software\Wine\AppDefaults\{exe_name}\X11 Driver"
    subprocess.run(["wine", "reg", "add", key_name, "/v", "Managed", "/d", "N", "/f"], env=wine.ENV,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
