"""Building test products from Python: a description and its files are
written into a folder and built with the host builder against the runtime
stub. Scenario tests use it to make the installers they run."""

from __future__ import annotations

import os
import pathlib
import struct
import subprocess

import pe
import wine

BUILDER = wine.HOST_DIR / "builder" / "tessaline-build"
WINDOWS_BUILDER = wine.WIN32_DIR / "builder" / "tessaline-build.exe"
EXAMPLE = wine.ROOT / "examples" / "hello" / "product.toml"


class BuildFailed(Exception):
    def __init__(self, result: subprocess.CompletedProcess):
        super().__init__(f"tessaline-build exited with {result.returncode}: {result.stderr.strip()}")
        self.result = result


def run_builder(*args: str | os.PathLike, stub: os.PathLike | None = wine.RUNTIME) -> subprocess.CompletedProcess:
    """Runs the host builder; the result's stdout and stderr are text."""
    command = [str(BUILDER), *map(str, args)]
    if stub is not None:
        command += ["--stub", str(stub)]
    return subprocess.run(command, capture_output=True, text=True, timeout=600)


def write_files(folder: pathlib.Path, files: dict[str, str | bytes]) -> None:
    """Texts are written as UTF-8; paths may hold subfolders."""
    for name, content in files.items():
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content.encode() if isinstance(content, str) else content)


def build_product(folder: pathlib.Path, toml_text: str, files: dict[str, str | bytes] | None = None,
                  *options: str, output: str = "Setup.exe") -> pathlib.Path:
    """Writes product.toml and its files into `folder`, builds the installer
    (with --verify) and returns its path; BuildFailed when the builder fails."""
    folder.mkdir(parents=True, exist_ok=True)
    write_files(folder, files or {})
    description = folder / "product.toml"
    description.write_text(toml_text, encoding="utf-8")
    installer = folder / output
    result = run_builder(description, "-o", installer, "--verify", "--quiet", *options)
    if result.returncode != 0:
        raise BuildFailed(result)
    return installer


def archive_range(installer: bytes) -> tuple[int, int]:
    """Where the archive lies in the installer's file: [begin, end)."""
    start, _ = pe.find_section(installer)
    at = start + 4
    at = installer.index(b"\0", at) + 1  # the format version
    _flags2, _settings_size, _key, _stub = struct.unpack_from("<IiII", installer, at)
    total, _entries, archive_size = struct.unpack_from("<iii", installer, at + 16)
    end = start + total
    return end - archive_size, end
