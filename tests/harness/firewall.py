"""The recording firewall for scenario tests: the project's stand-in for the
Windows Firewall's COM classes (tests/fixtures/firewall_double), registered
in the test prefix under the firewall's class ids while a test lasts, so
that the runtime's own COM activation reaches it. Wine's firewall keeps no
exceptions of its own.

The stand-in keeps its state in files beside its copy of the library: what
is in the firewall now (`state`) and every change asked of it (`journal`)."""

from __future__ import annotations

import contextlib
import pathlib
import shutil
import subprocess

import wine

DOUBLE = wine.WIN32_DIR / "tests" / "fixtures" / "firewall_double" / "firewall_double.dll"
CLASSES = (
    "{304CE942-6E39-40D8-943A-B913C40C9CD4}",  # the manager
    "{0CA545C6-37AD-4A6C-BF92-9F7610067EF5}",  # an open port
    "{EC9846B3-2762-4A6B-A214-6ACB603462D2}",  # an authorised application
)


def _server_key(class_id: str) -> str:
    return f"HKLM\\Software\\Classes\\CLSID\\{class_id}\\InprocServer32"


def _register(class_id: str, path: str) -> None:
    subprocess.run(["wine", "reg", "add", _server_key(class_id), "/ve", "/d", path, "/f", "/reg:32"],
                   check=True, capture_output=True, env=wine.ENV, timeout=60)


class RecordingFirewall:
    def __init__(self, folder: pathlib.Path):
        self.folder = folder

    def _lines(self, name: str) -> list[str]:
        path = self.folder / name
        return path.read_bytes().decode().splitlines() if path.exists() else []

    def state(self) -> list[str]:
        """Entries: "port <number> <protocol> <name>" and "program <path> <name>"
        (enabled ones only; the runtime never adds a disabled entry)."""
        entries = []
        for line in self._lines("firewall-state.txt"):
            fields = line.split("\t")
            if fields[0] == "port":
                entries.append(f"port {fields[1]} {fields[2]} {fields[4]}")
            else:
                entries.append(f"program {fields[1]} {fields[3]}")
        return entries

    def journal(self) -> list[str]:
        return self._lines("firewall-journal.txt")

    def refuse_programs(self) -> None:
        (self.folder / "refuse-programs").touch()


@contextlib.contextmanager
def recording_firewall(folder: pathlib.Path):
    """Registers a fresh copy of the stand-in, kept in `folder`, and puts the
    system's registration back afterwards."""
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(DOUBLE, folder / DOUBLE.name)
    originals = {class_id: wine.reg_query(_server_key(class_id))["(Default)"] for class_id in CLASSES}
    try:
        for class_id in CLASSES:
            _register(class_id, wine.windows_path(folder / DOUBLE.name))
        yield RecordingFirewall(folder)
    finally:
        for class_id, path in originals.items():
            _register(class_id, path)
