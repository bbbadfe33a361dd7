#!/usr/bin/env python3
"""Deterministic benchmark payloads: the same parameters always give the same
files, byte for byte, so installers built from them can be compared across
changes. Payloads go into the build folder and are never committed.

  make_payload.py mixed OUT    about 600 files, 120 MB, a third incompressible, 20 folders
  make_payload.py small OUT    10,000 files of 1 to 8 KB in 100 folders

The files go to OUT/files; OUT/payload.json records the parameters and what
was made, and a second call with the same parameters returns at once. Every
size is a parameter (--files, --total-mb, --folders, --min-kb, --max-kb,
--large, --incompressible, --seed): file sizes are log-uniform between the
minimum and the maximum, `large` of them between 4 and 16 times the maximum
(a product's few big program files), all scaled to the total when it is not
0."""

from __future__ import annotations

import argparse
import json
import math
import pathlib
import random
import shutil
import sys

PRESETS = {
    "mixed": dict(files=600, total_mb=120.0, folders=20, min_kb=1.0, max_kb=1024.0, large=6,
                  incompressible=1 / 3, seed=1),
    "small": dict(files=10_000, total_mb=0.0, folders=100, min_kb=1.0, max_kb=8.0, large=0,
                  incompressible=1 / 3, seed=2),
}
STAMP = "payload.json"
TEXT_POOL_BYTES = 4 << 20


def text_pool(rng: random.Random) -> bytes:
    """Text-like bytes (words of a Zipf-distributed vocabulary, lines, some
    numbers) that deflate compresses about as well as program sources and
    documents; files take slices of it at random places."""
    letters = "etaoinshrdlucmfwypvbgkjqxz"
    vocabulary = []
    for _ in range(4000):
        length = max(1, min(12, int(rng.gauss(5, 2.5))))
        vocabulary.append("".join(rng.choice(letters[:8] if rng.random() < 0.5 else letters) for _ in range(length)))
    weights = [1 / (rank + 1) for rank in range(len(vocabulary))]
    words = rng.choices(vocabulary, weights, k=TEXT_POOL_BYTES // 5)
    out = []
    for i, word in enumerate(words):
        out.append(word)
        if i % 97 == 3:
            out.append(str(rng.randrange(1 << 20)))
        out.append("\r\n" if rng.random() < 0.08 else " ")
    return "".join(out).encode()[:TEXT_POOL_BYTES]


def structured_block(rng: random.Random, size: int) -> bytes:
    """Binary that compresses moderately: records of small integers and
    repeated field patterns, as in program images and data files."""
    record = bytes(rng.randrange(256) if rng.random() < 0.3 else 0 for _ in range(64))
    out = bytearray()
    while len(out) < size:
        r = bytearray(record)
        for _ in range(6):
            r[rng.randrange(64)] = rng.randrange(256)
        out += r
    return bytes(out[:size])


def file_sizes(rng: random.Random, count: int, total: int, low: int, high: int, large: int) -> list[int]:
    def log_uniform(a: int, b: int) -> int:
        return int(math.exp(rng.uniform(math.log(a), math.log(b))))

    sizes = [log_uniform(4 * high, 16 * high) if i < large else log_uniform(low, high) for i in range(count)]
    rng.shuffle(sizes)
    if total > 0:
        scale = total / sum(sizes)
        sizes = [max(low, int(s * scale)) for s in sizes]
        biggest = sizes.index(max(sizes))
        sizes[biggest] += total - sum(sizes)
    return sizes


def generate(out: pathlib.Path, files: int, total_mb: float, folders: int, min_kb: float, max_kb: float,
             large: int, incompressible: float, seed: int) -> dict:
    rng = random.Random(seed)
    pool = text_pool(rng)
    sizes = file_sizes(rng, files, int(total_mb * (1 << 20)), int(min_kb * 1024), int(max_kb * 1024), large)
    # Which files are incompressible: whole files, about the wanted fraction
    # of the bytes, chosen in a fixed order.
    order = list(range(files))
    rng.shuffle(order)
    random_files, random_bytes, target = set(), 0, incompressible * sum(sizes)
    for i in order:
        if random_bytes >= target:
            break
        random_files.add(i)
        random_bytes += sizes[i]
    extensions = [".dll", ".dat", ".txt", ".xml", ".bin", ".res", ".json", ".pak"]
    for i, size in enumerate(sizes):
        folder = out / "files" / f"folder{i % folders:02d}"
        folder.mkdir(parents=True, exist_ok=True)
        if i in random_files:
            data = rng.randbytes(size)
        elif i % 3 == 0:
            data = structured_block(rng, size)
        else:
            parts, left = [], size
            while left > 0:
                at = rng.randrange(len(pool) - 1)
                take = min(left, len(pool) - at)
                parts.append(pool[at:at + take])
                left -= take
            data = b"".join(parts)
        (folder / f"file{i:05d}{extensions[i % len(extensions)]}").write_bytes(data)
    return dict(files=files, bytes=sum(sizes), largest=max(sizes), incompressible_bytes=random_bytes,
                folders=min(folders, files))


def ensure(kind: str, out: pathlib.Path, **overrides) -> dict:
    """Makes the payload unless it is there with the same parameters; what
    was made, as payload.json records it."""
    params = {**PRESETS[kind], **{k: v for k, v in overrides.items() if v is not None}}
    stamp = out / STAMP
    if stamp.exists():
        recorded = json.loads(stamp.read_text())
        if recorded.get("params") == params:
            return recorded
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    summary = dict(params=params, **generate(out, **params))
    stamp.write_text(json.dumps(summary, indent=1))
    return summary


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("kind", choices=sorted(PRESETS))
    parser.add_argument("out", type=pathlib.Path)
    for name, value in PRESETS["mixed"].items():
        parser.add_argument("--" + name.replace("_", "-"), type=type(value))
    args = parser.parse_args(argv)
    overrides = {name: getattr(args, name) for name in PRESETS["mixed"]}
    print(json.dumps(ensure(args.kind, args.out, **overrides), indent=1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
