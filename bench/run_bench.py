#!/usr/bin/env python3
"""The installer against its peer (NSIS 3, zlib, solid, Unicode) and against
the floor (bench/install_floor.cpp: nothing but inflate and write), on the
same payloads, in the same Wine prefix. Prints one table and writes it to
bench/results/latest.md.

  scripts/bench [--runs N] [--warmup N] [--build-runs N] [--only mixed|small] [--no-results]

What is measured:
  build time       wall time of `tessaline-build` (all cores) and of
                   `makensis`, alternating, median
  output size      bytes of the two installers, and without their stubs
  silent install   wall time of the whole Windows process (`Setup.exe
                   /silent`, `PeerSetup.exe /S`, the floor), the three
                   alternating, median of the runs; the ratio is the median
                   of the per-run ratios
  silent uninstall ours: wall time of the uninstaller's process; the peer's
                   uninstaller copies itself to the temporary folder and
                   returns at once, so its time runs until its process tree
                   has ended and its folder is gone. "until the folder is
                   gone" is given for both: ours removes the uninstaller and
                   the folder through a batch after its process has ended
  peak memory      peak private memory of the installing Windows process:
                   RssAnon of its /proc status (anonymous resident memory:
                   its heap and what Wine's loader copied of its image),
                   polled every 10 ms; VmHWM (peak resident, with the file
                   mappings) beside it
  stub sizes       our runtime against the peer's zlib x86-unicode stub

Every run uninstalls what it installed and removes what the peer leaves (its
temporary uninstaller copy and the pending rename of it); a snapshot of the
prefix before and after the whole run shows that nothing stayed."""

from __future__ import annotations

import argparse
import dataclasses
import datetime
import os
import pathlib
import platform
import shutil
import statistics
import struct
import subprocess
import sys
import threading
import time
import zlib

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "bench"))

import make_payload  # noqa: E402
import peer  # noqa: E402
import snapshot  # noqa: E402
import wine  # noqa: E402

BUILDER = wine.HOST_DIR / "builder" / "tessaline-build"
FLOOR = wine.WIN32_DIR / "bench" / "install_floor.exe"
PEER_STUB = pathlib.Path("/usr/share/nsis/Stubs/zlib-x86-unicode")
PEER_SOLID_STUB = pathlib.Path("/usr/share/nsis/Stubs/zlib_solid-x86-unicode")
RESULTS = ROOT / "bench" / "results" / "latest.md"
WORK = wine.BUILD / "bench"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
SESSION_MANAGER = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager"
PENDING = "PendingFileRenameOperations"
POLL_SECONDS = 0.01
CHUNK = 1 << 20  # the builder's plain bytes per archive chunk
MB = 1 << 20


@dataclasses.dataclass
class Sample:
    seconds: float
    returncode: int
    private_kb: int = 0
    resident_kb: int = 0
    cpu: float = 0.0  # user and system time of the Windows process
    server_cpu: float = 0.0  # of the prefix's wineserver meanwhile


@dataclasses.dataclass
class Uninstall:
    process: float  # the uninstaller's own process
    finished: float  # its process tree has ended and the folder is gone


@dataclasses.dataclass
class Payload:
    kind: str
    folder: pathlib.Path
    info: dict

    @property
    def files(self) -> pathlib.Path:
        return self.folder / "payload" / "files"

    def name(self, who: str) -> str:
        return f"{who}Bench{self.kind.capitalize()}"


# --- processes ----------------------------------------------------------------------------------------------


def _status(pid: int) -> dict[str, int]:
    out = {}
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                key, _, value = line.partition(":")
                if key in ("RssAnon", "VmHWM"):
                    out[key] = int(value.split()[0])
    except (OSError, ValueError):
        pass
    return out


def wineserver_cpu() -> float:
    """CPU seconds the prefix's wineserver has used: every file operation of
    a Windows program is a request to it."""
    total = 0.0
    for pid in prefix_processes("wineserver"):
        try:
            fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        except (OSError, ValueError, IndexError):
            pass
    return total


def run_measured(command: list[str], timeout: float = 900) -> Sample:
    """Runs a Windows program under Wine to its end. `wine` becomes the
    Windows process itself (the loaders exec each other), so the child's
    /proc status is the program's."""
    server_before = wineserver_cpu()
    start = time.perf_counter()
    proc = subprocess.Popen(command, env=wine.ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    peak = {"RssAnon": 0, "VmHWM": 0}
    done = threading.Event()

    def poll() -> None:
        while not done.is_set():
            for key, value in _status(proc.pid).items():
                peak[key] = max(peak[key], value)
            done.wait(POLL_SECONDS)

    poller = threading.Thread(target=poll, daemon=True)
    poller.start()
    killer = threading.Timer(timeout, proc.kill)
    killer.start()
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    killer.cancel()
    done.set()
    poller.join()
    proc.returncode = os.waitstatus_to_exitcode(status)
    return Sample(seconds, proc.returncode, peak["RssAnon"], peak["VmHWM"], usage.ru_utime + usage.ru_stime,
                  wineserver_cpu() - server_before)


def prefix_processes(*needles: str) -> list[int]:
    """Processes of our prefix whose command line holds one of the needles
    (other engineers' Wine runs use other prefixes)."""
    wanted = f"WINEPREFIX={wine.PREFIX}".encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            cmdline = open(f"/proc/{entry}/cmdline", "rb").read().lower()
            if not any(n.lower().encode() in cmdline for n in needles):
                continue
            if wanted in open(f"/proc/{entry}/environ", "rb").read().split(b"\0"):
                found.append(int(entry))
        except OSError:
            pass
    return found


def wait_until(condition, seconds: float = 120) -> bool:
    deadline = time.perf_counter() + seconds
    while not condition():
        if time.perf_counter() > deadline:
            return False
        time.sleep(0.02)
    return True


def wine_quiet(*args: str) -> subprocess.CompletedProcess:
    return subprocess.run(["wine", *args], env=wine.ENV, capture_output=True, timeout=120)


def pending_renames_line(state: snapshot.Snapshot) -> str | None:
    """The pending renames value as the registry export writes it."""
    for line in state.registry.get("HKEY_LOCAL_MACHINE\\" + SESSION_MANAGER[5:].upper(), ()):
        if line.upper().startswith(f'"{PENDING.upper()}"='):
            return line
    return None


def restore_pending_renames(line: str | None) -> None:
    """Puts the pending renames value back as it was before the run (the
    peer's uninstaller adds its temporary copy to it)."""
    current = (wine.reg_query(SESSION_MANAGER, view32=False) or {}).get(PENDING)
    if line is None:
        if current is not None:
            wine_quiet("reg", "delete", SESSION_MANAGER, "/v", PENDING, "/f")
        return
    reg = WORK / "pending-renames.reg"
    reg.write_text(f"Windows Registry Editor Version 5.00\r\n\r\n[{SESSION_MANAGER.replace('HKLM', 'HKEY_LOCAL_MACHINE')}]"
                   f"\r\n{line}\r\n", encoding="utf-16")
    wine_quiet("regedit", "/S", wine.windows_path(reg))


# --- payloads and installers --------------------------------------------------------------------------------


def prepare_payload(kind: str) -> Payload:
    folder = WORK / kind
    return Payload(kind, folder, make_payload.ensure(kind, folder / "payload"))


def write_floor_pack(payload: Payload) -> pathlib.Path:
    """The floor's input: every file as its own zlib stream (level 9)."""
    pack = payload.folder / "floor.pack"
    stamp = payload.folder / "payload" / make_payload.STAMP
    if pack.exists() and pack.stat().st_mtime > stamp.stat().st_mtime:
        return pack
    relative = peer.payload_files(payload.files)
    with open(str(pack) + ".part", "wb") as out:
        out.write(b"TFLR" + struct.pack("<I", len(relative)))
        for path in relative:
            data = (payload.files / path).read_bytes()
            stored = zlib.compress(data, 9)
            name = peer.windows(path).encode()
            out.write(struct.pack("<H", len(name)) + name + struct.pack("<II", len(data), len(stored)) + stored)
    os.replace(str(pack) + ".part", pack)
    return pack


def build_ours(payload: Payload) -> tuple[float, pathlib.Path]:
    description = payload.folder / "product.toml"
    description.write_text(peer.product_toml(payload.name("Tess"), payload.files))
    output = payload.folder / "Setup.exe"
    start = time.perf_counter()
    subprocess.run([str(BUILDER), str(description), "-o", str(output), "--stub", str(wine.RUNTIME), "--quiet"],
                   check=True)
    return time.perf_counter() - start, output


def build_peer(payload: Payload) -> tuple[float, pathlib.Path]:
    output = payload.folder / "PeerSetup.exe"
    script = payload.folder / "peer.nsi"
    script.write_text(peer.nsis_script(payload.name("Peer"), payload.files, output), encoding="utf-8")
    start = time.perf_counter()
    subprocess.run(["makensis", "-V1", str(script)], check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start, output


# --- one installation of each kind --------------------------------------------------------------------------


def count_files(folder: pathlib.Path) -> int:
    return sum(len(names) for _, _, names in os.walk(folder))


class Contender:
    """One way of putting the payload on the disk, and of taking it off."""

    def __init__(self, label: str, payload: Payload, folder_name: str):
        self.label = label
        self.payload = payload
        self.folder = PROGRAMS / folder_name
        self.windows_folder = "C:\\Program Files (x86)\\" + folder_name
        self.installs: list[Sample] = []
        self.uninstalls: list[Uninstall] = []

    def install_command(self) -> list[str]:
        raise NotImplementedError

    expected_code = 0
    extra_files = 0

    def install(self) -> Sample:
        if self.folder.exists():
            raise RuntimeError(f"{self.folder} exists before the installation")
        sample = run_measured(self.install_command())
        wanted = self.payload.info["files"] + self.extra_files
        if sample.returncode != self.expected_code or count_files(self.folder) < wanted:
            raise RuntimeError(f"{self.label}: exit code {sample.returncode}, "
                               f"{count_files(self.folder)} of {wanted} files in {self.folder}")
        return sample

    def uninstall(self) -> Uninstall | None:
        shutil.rmtree(self.folder)
        return None

    def cycle(self, keep: bool) -> None:
        # Written-back caches before each step, so no one pays for the
        # previous contender's dirty pages.
        os.sync()
        sample = self.install()
        os.sync()
        removed = self.uninstall()
        if keep:
            self.installs.append(sample)
            if removed:
                self.uninstalls.append(removed)


class Ours(Contender):
    expected_code = 1  # a completed installation
    extra_files = 3  # uninstall.exe, Uninstall.DAT, Install.log

    def __init__(self, payload: Payload, installer: pathlib.Path):
        self.name = payload.name("Tess")
        super().__init__("ours", payload, self.name)
        self.installer = installer

    def install_command(self) -> list[str]:
        return ["wine", str(self.installer), "/silent"]

    def uninstall(self) -> Uninstall:
        start = time.perf_counter()
        sample = run_measured(["wine", self.windows_folder + "\\uninstall.exe", f"/u:{self.name}", "/silent"])
        process = time.perf_counter() - start
        if sample.returncode != 0:
            raise RuntimeError(f"our uninstaller exited with {sample.returncode}")
        if not wait_until(lambda: not self.folder.exists() and not prefix_processes("delunins")):
            raise RuntimeError(f"{self.folder} is still there after the uninstallation")
        return Uninstall(process, time.perf_counter() - start)


class Peer(Contender):
    extra_files = 1  # uninstall.exe

    def __init__(self, payload: Payload, installer: pathlib.Path, pending_before: str | None):
        super().__init__("peer", payload, payload.name("Peer"))
        self.installer = installer
        self.pending_before = pending_before

    def install_command(self) -> list[str]:
        return ["wine", str(self.installer), "/S"]

    def uninstall(self) -> Uninstall:
        start = time.perf_counter()
        sample = run_measured(["wine", self.windows_folder + "\\uninstall.exe", "/S"])
        process = time.perf_counter() - start
        if sample.returncode != 0:
            raise RuntimeError(f"the peer's uninstaller exited with {sample.returncode}")
        if not wait_until(lambda: not self.folder.exists() and not prefix_processes("~nsu")):
            raise RuntimeError(f"{self.folder} is still there after the uninstallation")
        finished = time.perf_counter() - start
        remove_peer_leftovers(self.pending_before)
        return Uninstall(process, finished)


class Floor(Contender):
    def __init__(self, payload: Payload, pack: pathlib.Path):
        super().__init__("floor", payload, payload.name("Floor"))
        self.pack = pack

    def install_command(self) -> list[str]:
        return ["wine", str(FLOOR), wine.windows_path(self.pack), self.windows_folder]


def remove_peer_leftovers(pending_before: str | None) -> None:
    """The peer's uninstaller runs from a copy in the temporary folder and
    asks for that copy to be deleted at the next restart."""
    for leftover in wine.DRIVE_C.glob("users/*/Temp/~nsu*.tmp"):
        shutil.rmtree(leftover, ignore_errors=True)
    restore_pending_renames(pending_before)


def remove_any_installation(payload: Payload) -> list[str]:
    """What an interrupted earlier run left; returns what was removed."""
    removed = []
    for who in ("Tess", "Peer", "Floor"):
        name = payload.name(who)
        if (PROGRAMS / name).exists():
            shutil.rmtree(PROGRAMS / name)
            removed.append(str(PROGRAMS / name))
        key = "HKLM\\" + peer.UNINSTALL_KEY + name
        if wine.reg_query(key) is not None:
            wine.reg_delete(key)
            removed.append(key)
    return removed


# --- the table ----------------------------------------------------------------------------------------------


def median(values) -> float:
    return statistics.median(values) if values else float("nan")


def ratio(a: float, b: float) -> float:
    return a / b if b else float("nan")


def verdict(ok: bool) -> str:
    return "yes" if ok else "**no**"


@dataclasses.dataclass
class PayloadResult:
    payload: Payload
    build: dict[str, list[float]]
    size: dict[str, int]
    ours: Ours
    peer: Peer
    floor: Floor


def payload_table(r: PayloadResult) -> list[str]:
    info = r.payload.info
    files = info["files"]
    o, p, f = r.ours, r.peer, r.floor
    oi, pi_, fi = ([s.seconds for s in c.installs] for c in (o, p, f))
    pair_ratios = [a / b for a, b in zip(oi, pi_)]
    floor_ratios = [a / b for a, b in zip(oi, fi)]
    build_ours, build_peer = median(r.build["ours"]), median(r.build["peer"])
    size_ratio = ratio(r.size["ours"], r.size["peer"])
    data_ours = r.size["ours"] - wine.RUNTIME.stat().st_size
    data_peer = r.size["peer"] - PEER_SOLID_STUB.stat().st_size
    mem = {c.label: max(s.private_kb for s in c.installs) / 1024 for c in (o, p, f)}
    hwm = {c.label: max(s.resident_kb for s in c.installs) / 1024 for c in (o, p, f)}
    memory_bound = mem["floor"] + info["largest"] / MB + 4 * CHUNK / MB
    ou = [u.process for u in o.uninstalls]
    pu = [u.finished for u in p.uninstalls]
    lines = [
        f"### {r.payload.kind}: {files:,} files, {info['bytes'] / MB:.1f} MB in {info['folders']} folders, "
        f"{info['incompressible_bytes'] / MB:.1f} MB incompressible, largest file {info['largest'] / MB:.2f} MB",
        "",
        "| measure | ours | peer | ours / peer | floor | ours / floor | goal | met |",
        "|---|---:|---:|---:|---:|---:|---|---|",
        f"| build time, s | {build_ours:.2f} | {build_peer:.2f} | {ratio(build_ours, build_peer):.2f} | | | "
        f"≤ 0.50 of makensis | {verdict(ratio(build_ours, build_peer) <= 0.5)} |",
        f"| output size, bytes | {r.size['ours']:,} | {r.size['peer']:,} | {size_ratio:.4f} | | | ≤ 1.02 | "
        f"{verdict(size_ratio <= 1.02)} |",
        f"| output size without the stub, bytes | {data_ours:,} | {data_peer:,} | {ratio(data_ours, data_peer):.4f} "
        "| | | (report) | |",
    ]
    install_goal = (f"≤ 0.50 of the peer, ≤ 2 × floor | "
                    f"{verdict(median(pair_ratios) <= 0.5 and median(floor_ratios) <= 2)}")
    if r.payload.kind == "small":
        install_goal = f"per file no slower than the peer | {verdict(median(pair_ratios) <= 1)}"
    lines += [
        f"| silent install, s | {median(oi):.2f} | {median(pi_):.2f} | {median(pair_ratios):.2f} | "
        f"{median(fi):.2f} | {median(floor_ratios):.2f} | {install_goal} |",
        f"| silent install, fastest run, s | {min(oi):.2f} | {min(pi_):.2f} | {ratio(min(oi), min(pi_)):.2f} | "
        f"{min(fi):.2f} | {ratio(min(oi), min(fi)):.2f} | (report: the least disturbed run) | |",
        f"| silent install per file, ms | {1000 * median(oi) / files:.3f} | {1000 * median(pi_) / files:.3f} | | "
        f"{1000 * median(fi) / files:.3f} | | | |",
        f"| silent uninstall, s | {median(ou):.2f} | {median(pu):.2f} | {ratio(median(ou), median(pu)):.2f} | | | "
        f"(report) | |",
        f"| uninstall until the folder is gone, s | {median(u.finished for u in o.uninstalls):.2f} | "
        f"{median(pu):.2f} | | | | (report) | |",
        f"| peak private memory (RssAnon), MB | {mem['ours']:.1f} | {mem['peer']:.1f} | | {mem['floor']:.1f} | | "
        f"≤ floor + largest file + 4 chunks = {memory_bound:.1f} | {verdict(mem['ours'] <= memory_bound)} |",
        f"| peak resident (VmHWM), MB | {hwm['ours']:.1f} | {hwm['peer']:.1f} | | {hwm['floor']:.1f} | | | |",
        "",
        "CPU of one installation, median (s): " + "; ".join(
            f"{c.label} {median(s.cpu for s in c.installs):.2f} in its process + "
            f"{median(s.server_cpu for s in c.installs):.2f} in the wineserver" for c in (o, p, f)) + ".",
        "",
        "Runs (s): " + "; ".join(
            f"{c.label} install {' '.join(f'{s.seconds:.2f}' for s in c.installs)}" for c in (o, p, f))
        + f"; ours uninstall {' '.join(f'{u.process:.2f}' for u in o.uninstalls)}"
        + f"; peer uninstall {' '.join(f'{u.finished:.2f}' for u in p.uninstalls)}"
        + f"; builds ours {' '.join(f'{t:.1f}' for t in r.build['ours'])}"
        + f", makensis {' '.join(f'{t:.1f}' for t in r.build['peer'])}.",
        "",
    ]
    return lines


def stub_table() -> list[str]:
    ours = wine.RUNTIME.stat().st_size
    theirs = PEER_STUB.stat().st_size
    return [
        "### stubs",
        "",
        "| | ours (`tessaline-setup.exe`) | peer (zlib x86-unicode) | ours / peer |",
        "|---|---:|---:|---:|",
        f"| bytes | {ours:,} | {theirs:,} | {ours / theirs:.2f} |",
        "",
        f"(The peer's solid installers use its zlib_solid x86-unicode stub, {PEER_SOLID_STUB.stat().st_size:,} "
        "bytes.)",
        "",
    ]


def load_average() -> str:
    return " / ".join(f"{x:.2f}" for x in os.getloadavg())


def cpu_times() -> tuple[float, float]:
    """(all, stolen) CPU seconds of the machine so far: a virtual machine's
    host may take time from it, which makes single runs vary."""
    fields = [int(x) for x in open("/proc/stat").readline().split()[1:]]
    tick = os.sysconf("SC_CLK_TCK")
    return sum(fields[:8]) / tick, (fields[7] if len(fields) > 7 else 0) / tick


def makensis_version() -> str:
    return subprocess.run(["makensis", "-VERSION"], capture_output=True, text=True).stdout.strip()


def commit() -> str:
    out = subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%h %cs"], capture_output=True, text=True)
    return out.stdout.strip() or "unknown"


def wine_version() -> str:
    return subprocess.run(["wine", "--version"], capture_output=True, text=True, env=wine.ENV).stdout.strip()


# --- the run ------------------------------------------------------------------------------------------------


def bench_payload(payload: Payload, args, pending_before: str | None) -> PayloadResult:
    kind = payload.kind
    pack = write_floor_pack(payload)
    build = {"ours": [], "peer": []}
    size = {}
    for i in range(args.build_runs):
        order = (build_ours, build_peer) if i % 2 == 0 else (build_peer, build_ours)
        for builder in order:
            seconds, output = builder(payload)
            who = "ours" if builder is build_ours else "peer"
            build[who].append(seconds)
            size[who] = output.stat().st_size
            print(f"bench: {kind} build {who} {seconds:.1f} s", file=sys.stderr)
    ours = Ours(payload, payload.folder / "Setup.exe")
    theirs = Peer(payload, payload.folder / "PeerSetup.exe", pending_before)
    floor = Floor(payload, pack)
    contenders = [ours, theirs, floor]
    for i in range(args.warmup + args.runs):
        # Rotate the order so that no one always follows the same neighbour.
        shift = i % len(contenders)
        for c in contenders[shift:] + contenders[:shift]:
            c.cycle(keep=i >= args.warmup)
        if i >= args.warmup:
            print(f"bench: {kind} run {i - args.warmup + 1}: " + ", ".join(
                f"{c.label} {c.installs[-1].seconds:.2f} s" for c in contenders), file=sys.stderr)
    return PayloadResult(payload, build, size, ours, theirs, floor)


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=5, help="measured installations of each kind (default 5)")
    parser.add_argument("--warmup", type=int, default=1, help="installations before the measured ones (default 1)")
    parser.add_argument("--build-runs", type=int, default=3, help="builds of each installer (default 3)")
    parser.add_argument("--only", choices=sorted(make_payload.PRESETS), help="one payload only")
    parser.add_argument("--no-results", action="store_true", help=f"do not write {RESULTS.relative_to(ROOT)}")
    args = parser.parse_args(argv)
    for needed in (BUILDER, wine.RUNTIME, FLOOR):
        if not needed.exists():
            print(f"bench: {needed} is missing; build the host and win32 trees first", file=sys.stderr)
            return 2
    if not shutil.which("makensis"):
        print("bench: makensis is missing (Debian package nsis)", file=sys.stderr)
        return 2

    load_before = load_average()
    commit_before = commit()
    cpu_before = cpu_times()
    with wine.session():
        payloads = []
        for kind in ["mixed", "small"] if args.only is None else [args.only]:
            payloads.append(prepare_payload(kind))
            removed = remove_any_installation(payloads[-1])
            if removed:
                print(f"bench: removed what an earlier run left: {removed}", file=sys.stderr)
        before = snapshot.take()
        pending_before = pending_renames_line(before)
        results = [bench_payload(payload, args, pending_before) for payload in payloads]
        problems = snapshot.compare(before, snapshot.take())

    cpu_after = cpu_times()
    stolen = 100 * (cpu_after[1] - cpu_before[1]) / max(cpu_after[0] - cpu_before[0], 1e-9)
    lines = [
        "# Installer benchmark: ours, the peer (NSIS) and the floor",
        "",
        f"{datetime.date.today().isoformat()}, commit {commit_before}, {os.cpu_count()} cores ({platform.machine()}), load average "
        f"{load_before} before and {load_average()} after (1/5/15 min), {stolen:.1f}% of the CPU time stolen by "
        f"the host meanwhile, {wine_version()}, "
        f"makensis {makensis_version()} (zlib, solid, Unicode). Builds: median of {args.build_runs}, ours with "
        f"all cores. Installations: median of {args.runs} alternating runs after {args.warmup} warm-up, "
        "whole-process wall time under Wine (persistent wineserver, same prefix, caches written back before "
        "each run); ratios are medians of the "
        "per-run ratios. Uninstall: ours is its uninstaller's process; the peer's runs until its process tree "
        "has ended and its folder is gone (its uninstaller returns at once after copying itself); ours removes "
        "the uninstaller and its folder through a batch after its process has ended. Output size without the "
        "stub: ours less `tessaline-setup.exe`, the peer's less its zlib_solid x86-unicode stub. Memory: peak RssAnon of the installing process "
        "(its private, anonymous memory; Wine's loader copies an image whose sections are not page-aligned in "
        "the file into such memory), polled every 10 ms.",
        "",
    ]
    for r in results:
        lines += payload_table(r)
    lines += stub_table()
    lines.append("Prefix after the run: " + ("as before (snapshot compared)." if not problems else
                                             "**changed**: " + "; ".join(problems)))
    text = "\n".join(lines) + "\n"
    print(text)
    if not args.no_results and args.only is None:
        RESULTS.parent.mkdir(parents=True, exist_ok=True)
        RESULTS.write_text(text)
        print(f"bench: written to {RESULTS.relative_to(ROOT)}", file=sys.stderr)
    return 0 if not problems else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
