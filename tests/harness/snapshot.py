"""The clean-machine check: a snapshot of the prefix's file tree and registry
taken before an installation, compared with one taken after the
uninstallation. Only what Windows itself keeps changing may differ, and
each such allowance is listed here with its reason."""

from __future__ import annotations

import dataclasses
import fnmatch
import os
import subprocess
import tempfile

import wine

# Paths below drive_c (lower case, "/" separated) that change on their own.
FILE_ALLOWANCES = {
    "windows/temp/*": "the system's temporary files come and go",
    "users/*/temp/*": "the user's temporary files (the run log lives here while a run lasts)",
    "windows/*.log": "the system's own logs",
    "windows/inf/*.pnf": "precompiled driver information the system refreshes",
    "windows/installer": "the package installer's cache, made at its first use and kept after removals",
    "windows/installer/*": "the package installer's cache, made at its first use and kept after removals",
}

# Registry keys (upper case) whose values change without any installation.
REGISTRY_ALLOWANCES = {
    "HKEY_CURRENT_USER\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\*":
        "the shell's own bookkeeping (recent documents, streams)",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\PERFLIB*":
        "performance counters",
    "HKEY_CURRENT_USER\\SOFTWARE\\WINE\\*": "Wine's own settings and caches",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\INSTALLER\\*":
        "the package installer's index, made at its first use and kept after removals",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WINE\\*": "Wine's own settings and caches",
    "HKEY_LOCAL_MACHINE\\HARDWARE\\*": "rebuilt from the hardware at every start",
    "HKEY_USERS\\*": "the loaded user hives repeat HKEY_CURRENT_USER",
    "HKEY_CURRENT_USER\\VOLATILE ENVIRONMENT": "recreated at every logon",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\*": "services record their state",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\CLASS\\*":
        "device drivers (the display's) record their dates whenever they start",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\VIDEO\\*": "the display's current mode",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\DEVICECLASSES\\*":
        "device interfaces are registered again when the display and input devices start",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\ENUM\\*": "the same devices, enumerated",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\*": "the display's settings per profile",
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\SERVICECURRENT": "counts service starts",
}


@dataclasses.dataclass
class Snapshot:
    files: dict[str, int]
    registry: dict[str, frozenset[str]]


def _allowed(name: str, patterns: dict[str, str]) -> bool:
    return any(fnmatch.fnmatchcase(name, p) or name == p.rstrip("\\*") for p in patterns)


def _files() -> dict[str, int]:
    out = {}
    for folder, dirs, names in os.walk(wine.DRIVE_C):
        for name in names + [d + "/" for d in dirs]:
            path = os.path.join(folder, name.rstrip("/"))
            rel = os.path.relpath(path, wine.DRIVE_C).replace(os.sep, "/").lower() + ("/" if name.endswith("/") else "")
            if _allowed(rel.rstrip("/"), FILE_ALLOWANCES):
                continue
            try:
                out[rel] = 0 if name.endswith("/") else os.lstat(path).st_size
            except OSError:
                pass
    return out


def _registry() -> dict[str, frozenset[str]]:
    fd, name = tempfile.mkstemp(suffix=".reg")
    os.close(fd)
    try:
        subprocess.run(["wine", "regedit", "/E", wine.windows_path(name)], env=wine.ENV, check=True,
                       capture_output=True, timeout=120)
        text = open(name, "rb").read().decode("utf-16", errors="replace")
    finally:
        os.unlink(name)
    keys: dict[str, set[str]] = {}
    current = None
    pending = ""
    for line in text.splitlines():
        if pending:
            line, pending = pending + line.strip(), ""
        if line.endswith("\\") and current is not None and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1].upper()
            keys[current] = set()
        elif current is not None and line and not line.startswith(";"):
            keys[current].add(line)
    return {k: frozenset(v) for k, v in keys.items() if not _allowed(k, REGISTRY_ALLOWANCES)}


def take() -> Snapshot:
    return Snapshot(_files(), _registry())


def compare(before: Snapshot, after: Snapshot) -> list[str]:
    """Every difference that is not allowed, as readable lines."""
    problems = []
    for path in sorted(set(before.files) | set(after.files)):
        if path not in after.files:
            problems.append(f"file removed: {path}")
        elif path not in before.files:
            problems.append(f"file left behind: {path}")
        elif before.files[path] != after.files[path] and not path.endswith("/"):
            problems.append(f"file changed: {path} ({before.files[path]} -> {after.files[path]} bytes)")
    for key in sorted(set(before.registry) | set(after.registry)):
        if key not in after.registry:
            problems.append(f"registry key removed: {key}")
        elif key not in before.registry:
            problems.append(f"registry key left behind: {key}")
        else:
            for line in sorted(after.registry[key] - before.registry[key]):
                problems.append(f"registry value changed in {key}: {line}")
            for line in sorted(before.registry[key] - after.registry[key]):
                problems.append(f"registry value removed in {key}: {line}")
    return problems
