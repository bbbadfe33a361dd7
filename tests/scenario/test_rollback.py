"""A run that ends part-way takes back what it changed: a new installation
stopped by a damaged entry size after some of its files were written leaves
the machine as it was; the same during an upgrade leaves the older version
exactly as it was, and that version still uninstalls. A completed upgrade
leaves none of the replaced files' moved-aside copies behind."""

import random
import shutil
import time

import pytest

import builder
import corruption
import snapshot
import wine

NAME = "Scenario Rollback"
UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + NAME
# Two levels the installation makes for itself.
FOLDER = wine.DRIVE_C / "Tessaline Rollback" / NAME
LOG_NAME = f"{NAME} Install.log"


def product(version: str) -> str:
    return f"""
[product]
name = "{NAME}"
version = "{version}"
folder = "C:\\\\Tessaline Rollback\\\\{NAME}"

[[files]]
source = "files/*"
destination = "%InstallDir%\\\\files\\\\"

[batches]
pre_install = "echo before the files"
"""


def files(version: str) -> dict[str, bytes]:
    rng = random.Random(version)
    out = {"files/a.txt": f"one of {version}\r\n".encode(), "files/b.dat": rng.randbytes(200_000),
           "files/c.txt": f"three of {version}\r\n".encode()}
    if version != "1.0":
        out["files/d.txt"] = b"new in the upgrade\r\n"
    return out


def damaged(installer) -> bytes:
    """The installer with the last entry's data size one smaller: found
    only when the file loop reaches that entry, after the others."""
    data = installer.read_bytes()
    sizes = corruption.layout(data)["sizes"][0]
    last = (len(sizes) // 4) - 1
    return corruption.Flip(sizes.start + 4 * last, 0x01, "sizes").apply(data)


def temp_logs():
    return list(wine.DRIVE_C.glob(f"users/*/Temp/{LOG_NAME}"))


def installed_files() -> dict[str, bytes]:
    return {p.relative_to(FOLDER).as_posix(): p.read_bytes() for p in FOLDER.rglob("*") if p.is_file()}


@pytest.fixture
def clean_machine():
    def remove():
        wine.reg_delete(UNINSTALL)
        for log in temp_logs():
            log.unlink()
        shutil.rmtree(FOLDER.parent, ignore_errors=True)
    remove()
    yield snapshot.take()
    remove()


def run_damaged(tmp_path, version: str) -> wine.Run:
    setup = builder.build_product(tmp_path / version, product(version), files(version))
    broken = tmp_path / "Damaged.exe"
    broken.write_bytes(damaged(setup))
    return wine.run(broken, "/silent")


def test_a_new_installation_that_fails_half_way_leaves_nothing(tmp_path, clean_machine):
    run = run_damaged(tmp_path, "2.0")
    assert run.returncode == 1
    assert corruption.refusal(run.trace) is not None, run.trace
    assert snapshot.compare(clean_machine, snapshot.take()) == []
    # Its log stays in the temporary folder, with what could not be undone.
    (log,) = temp_logs()
    text = log.read_bytes().decode("utf-8-sig")
    assert text.startswith(f"Installation log for: {NAME}\r\n")
    assert ("Running Pre-Installation Batch...\r\nbefore the files\r\n\r\nRolling back...\r\n"
            "The batches this installation ran cannot be undone.\r\n") in text
    assert text.endswith("Installation rolled back\r\n")


def test_a_failed_upgrade_leaves_the_older_version_as_it_was(tmp_path, clean_machine):
    older = builder.build_product(tmp_path / "1.0", product("1.0"), files("1.0"))
    assert wine.run(older, "/silent").returncode == 1
    before_files, before_key = installed_files(), wine.reg_query(UNINSTALL)

    run = run_damaged(tmp_path, "2.0")
    assert run.returncode == 1 and corruption.refusal(run.trace) is not None, run.trace
    assert installed_files() == before_files
    assert wine.reg_query(UNINSTALL) == before_key

    assert wine.run(FOLDER / "uninstall.exe", raw=f'/u:"{NAME}" /silent').returncode == 0
    assert wine.wait_until_gone(FOLDER.parent)
    assert snapshot.compare(clean_machine, snapshot.take()) == []


def test_a_completed_upgrade_keeps_no_copies_of_the_files_it_replaced(tmp_path, clean_machine):
    for version in ("1.0", "2.0"):
        setup = builder.build_product(tmp_path / version, product(version), files(version))
        assert wine.run(setup, "/silent").returncode == 1
    now = installed_files()
    assert {k: v for k, v in now.items() if k.startswith("files/")} == files("2.0")
    assert [name for name in now if "rollback" in name] == []


def test_a_replacement_scheduled_for_the_restart_is_taken_back(tmp_path, clean_machine):
    older = builder.build_product(tmp_path / "1.0", product("1.0"), files("1.0"))
    assert wine.run(older, "/silent").returncode == 1
    before_files = installed_files()
    held = FOLDER / "files" / "b.dat"
    ready = tmp_path / "held"
    holder = wine.Background(wine.PROBE, "hold", wine.windows_path(held), "30", wine.windows_path(ready))
    try:
        for _ in range(100):
            if ready.exists():
                break
            time.sleep(0.1)
        run = run_damaged(tmp_path, "2.0")
    finally:
        holder.proc.kill()
    assert run.returncode == 1 and corruption.refusal(run.trace) is not None, run.trace
    pending = wine.reg_query("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager", view32=False) or {}
    assert "b.dat" not in pending.get("PendingFileRenameOperations", "")
    assert installed_files() == before_files  # the replacement's temporary file is gone too
    (log,) = temp_logs()
    text = log.read_bytes().decode("utf-8-sig")
    where = f"C:\\Tessaline Rollback\\{NAME}\\files\\b.dat"
    assert "Install type: Reinstall\r\n" in text
    assert f'"{where}" was successfully registered for replacement.' in text
    assert f'Rolling back...\r\n\r\nFile "{where}" was removed from the list of pending moves.\r\n' in text
