"""The Wine harness for scenario tests: runs Windows programs in the shared
test prefix and gives back their exit code and silent-mode trace."""

from __future__ import annotations

import contextlib
import dataclasses
import os
import pathlib
import re
import subprocess
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("TESS_BUILD", ROOT / "build"))
WIN32_DIR = pathlib.Path(os.environ.get("TESS_WIN32_DIR", BUILD / "win32"))
HOST_DIR = pathlib.Path(os.environ.get("TESS_HOST_DIR", BUILD / "host"))
ARTIFACTS = pathlib.Path(os.environ.get("TESS_ARTIFACTS", BUILD / "test-artifacts"))
WINE_RUN = ROOT / "scripts" / "wine-run"

RUNTIME = WIN32_DIR / "src" / "setup" / "tessaline-setup.exe"
PROBE = WIN32_DIR / "tests" / "wine" / "wine_probe.exe"


def _wine_env() -> dict[str, str]:
    out = subprocess.run(
        ["bash", "-c", f'source "{ROOT}/scripts/wine-env" && env -0'],
        check=True, capture_output=True, env={**os.environ, "TESS_BUILD": str(BUILD)},
    ).stdout
    return dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)


ENV = _wine_env()
PREFIX = pathlib.Path(ENV["WINEPREFIX"])
DRIVE_C = PREFIX / "drive_c"


@contextlib.contextmanager
def session():
    """A Wine session (wineserver and display) for a script run outside
    ctest: one already running is used, otherwise one is started for the
    block and stopped after it."""
    try:
        os.kill(int((BUILD / "wine" / "session" / "xvfb.pid").read_text()), 0)
        running = True
    except (OSError, ValueError):
        running = False
    command = [str(ROOT / "scripts" / "wine-session")]
    env = {**os.environ, "TESS_BUILD": str(BUILD)}
    subprocess.run(command + ["start"], check=True, env=env)
    try:
        yield
    finally:
        if not running:
            subprocess.run(command + ["stop"], env=env)


@dataclasses.dataclass
class Run:
    returncode: int
    trace: str
    stdout: str
    stderr: str


def _trace_file() -> pathlib.Path:
    fd, name = tempfile.mkstemp(prefix="tess-trace-", suffix=".txt")
    os.close(fd)
    os.unlink(name)
    return pathlib.Path(name)


def windows_path(path: os.PathLike | str) -> str:
    """The prefix's name for a Unix path (through drive Z:)."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def run(exe: os.PathLike | str, *args: str, timeout: int = 300, env: dict | None = None,
        raw: str | None = None) -> Run:
    """Runs a program to its end; its trace is the text its silent mode
    suppressed and every fatal text, with CR LF line ends kept.

    With `raw`, the program gets exactly that text after its own path as its
    command line (Wine would otherwise quote each argument on its own)."""
    if raw is not None:
        env = {**(env or {}), "TESS_COMMAND_LINE": f'"{windows_path(exe)}" {raw}'}
        exe, args = PROBE, ("launch",)
    trace = _trace_file()
    try:
        proc = subprocess.run(
            [str(WINE_RUN), "--trace", str(trace), "--timeout", str(timeout), str(exe), *args],
            capture_output=True, env={**ENV, **(env or {})}, timeout=timeout + 30,
        )
        text = trace.read_bytes().decode("utf-8") if trace.exists() else ""
        return Run(proc.returncode, text, proc.stdout.decode(errors="replace"),
                   proc.stderr.decode(errors="replace"))
    finally:
        trace.unlink(missing_ok=True)


def run_for_exit_code(exe: os.PathLike | str, raw: str, timeout: int = 300, env: dict | None = None) -> Run:
    """Like run(..., raw=...), but the exit code is the program's whole code:
    a Unix parent sees only its low byte (3010 would arrive as 194)."""
    fd, name = tempfile.mkstemp(prefix="tess-exit-", suffix=".txt")
    os.close(fd)
    try:
        result = run(exe, raw=raw, timeout=timeout, env={**(env or {}), "TESS_EXIT_CODE_FILE": windows_path(name)})
        text = pathlib.Path(name).read_text()
        return dataclasses.replace(result, returncode=int(text) if text else result.returncode)
    finally:
        os.unlink(name)


class Background:
    """A program started without waiting, for tests that drive its windows."""

    def __init__(self, exe: os.PathLike | str, *args: str, timeout: int = 120, raw: str | None = None):
        env = ENV
        if raw is not None:  # as run(..., raw=...): exactly this command line
            env = {**ENV, "TESS_COMMAND_LINE": f'"{windows_path(exe)}" {raw}'}
            exe, args = PROBE, ("launch",)
        self.trace = _trace_file()
        self.proc = subprocess.Popen(
            [str(WINE_RUN), "--trace", str(self.trace), "--timeout", str(timeout), str(exe), *args],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
        )

    def wait(self, timeout: int = 60) -> Run:
        out, err = self.proc.communicate(timeout=timeout)
        text = self.trace.read_bytes().decode("utf-8") if self.trace.exists() else ""
        self.trace.unlink(missing_ok=True)
        return Run(self.proc.returncode, text, out.decode(errors="replace"), err.decode(errors="replace"))



def display_env() -> dict[str, str]:
    return {**os.environ, "DISPLAY": ENV.get("DISPLAY", "")}


def wait_for_window(name: str, timeout: float = 30.0) -> str:
    """Waits until a visible window with this title exists; returns its id."""
    import time

    deadline = time.time() + timeout
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                               capture_output=True, env=display_env())
        ids = found.stdout.decode().split()
        if ids:
            return ids[0]
        time.sleep(0.3)
    raise TimeoutError(f"no window named {name!r}")


def screenshot(path: pathlib.Path) -> pathlib.Path:
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", "root", str(path)], check=True, env=display_env())
    return path


def press(window: str, key: str) -> None:
    subprocess.run(["xdotool", "windowactivate", "--sync", window], env=display_env(), capture_output=True)
    subprocess.run(["xdotool", "key", "--window", window, key], env=display_env(), check=True)


def reg_query(key: str, view32: bool = True) -> dict[str, str] | None:
    """The values of a registry key as reg.exe prints them (name -> data), or
    None when the key does not exist. view32: the 32-bit program's view."""
    args = ["wine", "reg", "query", key] + (["/reg:32"] if view32 else ["/reg:64"])
    out = subprocess.run(args, capture_output=True, env=ENV, timeout=60)
    if out.returncode != 0:
        return None
    values = {}
    for line in out.stdout.decode("utf-8", errors="replace").splitlines():
        # Four blanks on either side of the type: names may hold blanks.
        match = re.match(r"    (.*?)    (REG_\w+)(?:    (.*))?$", line.rstrip())
        if match:
            values[match[1]] = match[3] or ""
    return values


def reg_delete(key: str, view32: bool = True) -> None:
    subprocess.run(["wine", "reg", "delete", key, "/f"] + (["/reg:32"] if view32 else ["/reg:64"]),
                   capture_output=True, env=ENV, timeout=60)


def wait_until_gone(path: pathlib.Path, seconds: float = 30) -> bool:
    """Waits for a path to disappear, as the uninstaller and its folder do:
    the self-removal batch deletes them after the uninstaller has ended."""
    import time

    deadline = time.time() + seconds
    while path.exists() and time.time() < deadline:
        time.sleep(0.5)
    return not path.exists()


def unix_path(windows_path: str) -> pathlib.Path:
    r"""A C:\ path of the prefix as a Unix path."""
    assert windows_path[1:3] == ":\\", windows_path
    drive = windows_path[0].lower()
    rest = windows_path[3:].replace("\\", "/")
    return (DRIVE_C if drive == "c" else PREFIX / "dosdevices" / f"{drive}:") / rest
