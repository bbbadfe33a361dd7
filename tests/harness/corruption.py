"""The corruption sweep: copies of a built installer, each with one byte of
the `.setup` section's data flipped, run silently under Wine. Every copy
must refuse with the corrupt-installer message (or, for a damaged format
version, the version message), exit with 1 and leave the prefix as it was.

The sample covers the section's data only: the head (its fixed fields and
its table of file data sizes), the settings block and the archive, up to the
head's total size; the alignment padding behind it is never read. The
head's `ProductFlags2` word is left out: no checksum covers it (its bits
switch behaviour, one of them says whether the data is enciphered), so a
flip there may give a working installer that behaves differently."""

from __future__ import annotations

import dataclasses
import pathlib
import random
import re
import shutil
import struct

import pe
import snapshot
import wine

CORRUPT = "This installation program is corrupt."
CORRUPT_CODE = re.compile(r"Error code: (\d+)")
VERSION = "The installer version (37.0.4) does not match the version of "
UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
REGIONS = ("head", "sizes", "settings", "archive")
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"

# The swept product: several entries (a data-size table of some length, an
# empty file), an archive of more than one chunk, a registry value and a
# batch, so that a copy that got past the checks would leave traces.
PRODUCT_NAME = "Corruption Sweep"
PRODUCT = f"""
[product]
name = "{PRODUCT_NAME}"
version = "3.1"
registry_key = "Tessaline Sweep"

[[files]]
source = "bin/*"
destination = "%InstallDir%\\\\bin\\\\"

[[files]]
source = "docs/*"
destination = "%InstallDir%\\\\docs\\\\"

[[registry]]
key = "HKLM\\\\Software\\\\Tessaline Sweep"
name = "Folder"
value = "%InstallDir%"

[batches]
post_install = "echo installed"
"""


def product_files() -> dict[str, bytes]:
    rng = random.Random(7)
    words = [bytes(rng.choice(b"etaoinshrdlu") for _ in range(rng.randrange(2, 9))) for _ in range(300)]
    text = b" ".join(rng.choice(words) for _ in range(260_000))[:1_400_000]
    return {"bin/app.dat": text, "bin/noise.bin": rng.randbytes(70_000), "bin/empty.cfg": b"",
            "docs/readme.txt": b"Read me.\r\n" * 40}


def remove_product() -> None:
    """What a copy that got too far left: its folders and registry keys."""
    shutil.rmtree(PROGRAMS / PRODUCT_NAME, ignore_errors=True)
    shutil.rmtree(PROGRAMS / "Common Files" / PRODUCT_NAME, ignore_errors=True)
    wine.reg_delete(UNINSTALL + PRODUCT_NAME)
    wine.reg_delete("HKLM\\Software\\Tessaline Sweep")


def layout(installer: bytes) -> dict[str, list[range]]:
    """File positions of the section's parts. "head" is the head's fixed
    fields and the cipher key, without `ProductFlags2`; "sizes" its table of
    file data sizes."""
    start, _ = pe.find_section(installer)
    version_end = installer.index(b"\0", start + 4) + 1
    flags2, settings_size, _key, _stub, total, entries, archive_size = struct.unpack_from(
        "<IiIIiii", installer, version_end)
    sizes = range(version_end + 32, version_end + 32 + 4 * entries)
    head_end = sizes.stop + (8 if flags2 & 0x1000 else 0)
    settings = range(head_end, head_end + settings_size)
    archive = range(settings.stop, start + total)
    assert len(archive) == archive_size, "the head's sizes do not add up"
    return {"head": [range(start, version_end), range(version_end + 4, sizes.start), range(sizes.stop, head_end)],
            "sizes": [sizes], "settings": [settings], "archive": [archive]}


@dataclasses.dataclass(frozen=True)
class Flip:
    position: int
    mask: int
    region: str

    def apply(self, installer: bytes) -> bytes:
        data = bytearray(installer)
        data[self.position] ^= self.mask
        return bytes(data)

    def __str__(self) -> str:
        return f"{self.region}@{self.position:#x}^{self.mask:#04x}"


def _nth(ranges: list[range], k: int) -> int:
    for r in ranges:
        if k < len(r):
            return r[k]
        k -= len(r)
    raise IndexError(k)


def sample(installer: bytes, copies: int, seed: int = 1, regions: tuple[str, ...] = REGIONS) -> list[Flip]:
    """`copies` flips at distinct positions, spread evenly over the regions
    (the head is a few dozen bytes, so a uniform sample would hardly ever
    touch it), each with a random non-zero mask."""
    rng = random.Random(seed)
    parts = layout(installer)
    used: dict[str, set[int]] = {region: set() for region in regions}
    flips = []
    for i in range(copies):
        region = regions[i % len(regions)]
        size = sum(len(r) for r in parts[region])
        if len(used[region]) == size:
            continue  # every byte of a small region is taken
        position = _nth(parts[region], rng.randrange(size))
        while position in used[region]:
            position = _nth(parts[region], rng.randrange(size))
        used[region].add(position)
        flips.append(Flip(position, rng.randrange(1, 256), region))
    return flips


def refusal(trace: str) -> str | None:
    """What the trace says: "corrupt N", "version", or None for anything else."""
    if not trace.startswith("fatal error\r\n"):
        return None
    if CORRUPT in trace:
        code = CORRUPT_CODE.search(trace)
        return f"corrupt {code.group(1) if code else '?'}"
    if VERSION in trace:
        return "version"
    return None


@dataclasses.dataclass
class Outcome:
    flip: Flip
    returncode: int
    refusal: str | None
    problems: list[str]

    @property
    def ok(self) -> bool:
        return not self.problems

    def __str__(self) -> str:
        return f"{self.flip}: exit {self.returncode}, {self.refusal or 'no refusal'}" + (
            "; " + "; ".join(self.problems) if self.problems else "")


def run_copy(installer: bytes, flip: Flip, folder: pathlib.Path, files_before: dict[str, int],
             timeout: int = 60) -> Outcome:
    """Runs one damaged copy of the swept product silently. Files are compared
    with the snapshot's file list after every copy (quick); the registry,
    whose export takes seconds, is left to a full snapshot that callers take
    before and after a sweep (the installer makes its folders before it
    writes to the registry, so a copy that got that far leaves files too).
    A copy that left something behind is cleaned up, so that the next starts
    afresh."""
    path = folder / "Damaged.exe"
    path.write_bytes(flip.apply(installer))
    run = wine.run(path, "/silent", timeout=timeout)
    found = refusal(run.trace)
    problems = []
    if run.returncode != 1:
        problems.append(f"exit code {run.returncode}")
    if found is None:
        problems.append(f"trace {run.trace[:300]!r}")
    problems += snapshot.compare(snapshot.Snapshot(files_before, {}), snapshot.Snapshot(snapshot._files(), {}))
    if problems:
        remove_product()
    return Outcome(flip, run.returncode, found, problems)
