"""Complete installations under Wine with installers made by the builder:
what lands on the disk, in the registry and in the log, and how a second
installation over the first is classified."""

import os
import pathlib
import shutil
import subprocess
import time

import pytest

import builder
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"


def product(name: str, version: str, extra: str = "") -> str:
    return f"""
[product]
name = "{name}"
version = "{version}"
publisher = "Scenario Tests"

[[files]]
source = "app.txt"
attributes = ["read-only", "hidden"]

[[files]]
source = "data/*.dat"
destination = "%InstallDir%\\\\data\\\\"

[batches]
post_install = "echo post-install says hello from %ProductName% in %InstallDir%"
upgrade = "echo upgrade batch from %OldVersion% to %Version%"
reinstall = "echo reinstall batch"

{extra}
"""


FILES = {"app.txt": "the application\r\n", "data/one.dat": b"\x01" * 3000, "data/two.dat": b"\x02" * 5000}


@pytest.fixture
def clean():
    """Names used by a test; their folders and uninstall keys are removed
    before and after it."""
    names = []

    def remove():
        for name in names:
            wine.reg_delete(UNINSTALL + name)
            for folder in (PROGRAMS / name, wine.DRIVE_C / "Custom Place"):
                if folder.exists():
                    subprocess.run(["chmod", "-R", "u+w", str(folder)])
                    shutil.rmtree(folder, ignore_errors=True)

    class Names:
        def add(self, name):
            names.append(name)
            remove()
            return name

    yield Names()
    remove()


def build(tmp_path, name, version, extra="", files=FILES):
    return builder.build_product(tmp_path / f"{name}-{version}", product(name, version, extra), files)


def install_log(name):
    return (PROGRAMS / name / "Install.log").read_bytes().decode("utf-8-sig")


def test_silent_installation_places_everything(tmp_path, clean):
    name = clean.add("Scenario Basic")
    installer = build(tmp_path, name, "3.10.2")
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")

    folder = PROGRAMS / name
    installed = folder / "app.txt"
    assert installed.read_bytes() == b"the application\r\n"
    assert (folder / "data" / "two.dat").read_bytes() == b"\x02" * 5000
    source = tmp_path / f"{name}-3.10.2" / "app.txt"
    assert int(installed.stat().st_mtime) == int(source.stat().st_mtime)

    key = wine.reg_query(UNINSTALL + name)
    assert key["DisplayName"] == name
    assert key["DisplayVersion"] == "3.10.2"
    assert key["InstallLocation"] == f"C:\\Program Files (x86)\\{name}"
    assert key["UninstallString"] == f'"C:\\Program Files (x86)\\{name}\\uninstall.exe" /u:"{name}"'
    assert key["VersionMajor"] == "0x3" and key["VersionMinor"] == "0xa"
    assert key["Publisher"] == "Scenario Tests"
    assert key["EstimatedSize"] == "0x7"  # 8,017 bytes

    log = install_log(name)
    assert log.startswith(f"Installation log for: {name}\r\nInstall date: ")
    assert "\r\nInstall type: New\r\n" in log
    assert f"\r\nInstall location: C:\\Program Files (x86)\\{name}\r\n" in log
    assert "\r\nProduct version: 3.10.2\r\n" in log
    assert f"post-install says hello from {name} in C:\\Program Files (x86)\\{name}\r\n" in log
    assert log.endswith("Installation Complete\r\n")

    data = (folder / "Uninstall.DAT").read_bytes().decode()
    assert f"C:\\Program Files (x86)\\{name}\\app.txt\r\n" in data
    assert f"~C:\\Program Files (x86)\\{name}\\data\r\n" in data
    assert "[Strings]\r\n" in data
    assert (folder / "uninstall.exe").stat().st_size > 0


def test_attributes_are_set_within_the_mask(tmp_path, clean):
    name = clean.add("Scenario Attributes")
    installer = build(tmp_path, name, "1.0")
    assert wine.run(installer, "/silent").returncode == 1
    out = subprocess.run(["wine", "cmd", "/c", "attrib", f"C:\\Program Files (x86)\\{name}\\app.txt"],
                         capture_output=True, env=wine.ENV).stdout.decode(errors="replace")
    flags = out.split("C:")[0]
    assert "R" in flags and "H" in flags


def test_same_version_again_is_type_4_and_runs_the_reinstall_batch(tmp_path, clean):
    name = clean.add("Scenario Again")
    installer = build(tmp_path, name, "1.0")
    assert wine.run(installer, "/a").returncode == 1
    assert wine.run(installer, "/a").returncode == 1
    second = install_log(name).split("**********************************************")[1]
    assert "\r\nInstall type: Reinstall\r\n" in second
    assert "reinstall batch" in second
    assert "upgrade batch" not in second


def test_an_upgrade_runs_the_upgrade_batch(tmp_path, clean):
    name = clean.add("Scenario Upgrade")
    assert wine.run(build(tmp_path, name, "1.0"), "/a").returncode == 1
    assert wine.run(build(tmp_path, name, "1.1"), "/a").returncode == 1
    second = install_log(name).split("**********************************************")[1]
    assert "upgrade batch from 1.0 to 1.1" in second
    assert "\r\nOverwriting version: 1.0\r\n" in second
    assert wine.reg_query(UNINSTALL + name)["DisplayVersion"] == "1.1"


def test_no_downgrade_below_refuses_a_lower_version_and_changes_nothing(tmp_path, clean):
    name = clean.add("Scenario Downgrade")
    guard = '[existing]\nno_downgrade_below = "2.0"\n'
    assert wine.run(build(tmp_path, name, "2.0", guard), "/silent").returncode == 1
    log_before = install_log(name)
    files = {**FILES, "app.txt": "an older application\r\n"}
    run = wine.run(build(tmp_path, name, "1.5", guard, files), "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert install_log(name) == log_before
    assert (PROGRAMS / name / "app.txt").read_bytes() == b"the application\r\n"
    assert wine.reg_query(UNINSTALL + name)["DisplayVersion"] == "2.0"


def test_folder_override(tmp_path, clean):
    name = clean.add("Scenario Override")
    run = wine.run(build(tmp_path, name, "1.0"), raw='/d:"C:\\Custom Place\\Of Its Own" /silent')
    assert run.returncode == 1
    folder = wine.DRIVE_C / "Custom Place" / "Of Its Own"
    assert (folder / "app.txt").exists()
    assert not (PROGRAMS / name).exists()
    assert wine.reg_query(UNINSTALL + name)["InstallLocation"] == "C:\\Custom Place\\Of Its Own"
    # The level above the folder was made by the installation too: it goes
    # with it.
    assert wine.run(folder / "uninstall.exe", raw=f'/u:"{name}" /silent').returncode == 0
    assert wine.wait_until_gone(wine.DRIVE_C / "Custom Place")


def test_a_locked_file_is_replaced_at_the_next_restart(tmp_path, clean):
    name = clean.add("Scenario Locked")
    assert wine.run(build(tmp_path, name, "1.0"), "/silent").returncode == 1
    target = f"C:\\Program Files (x86)\\{name}\\data\\one.dat"
    ready = tmp_path / "held"
    holder = wine.Background(wine.PROBE, "hold", target, "20", wine.windows_path(ready))
    try:
        for _ in range(100):
            if ready.exists():
                break
            time.sleep(0.1)
        files = {**FILES, "data/one.dat": b"\x03" * 3000}
        run = wine.run(build(tmp_path, name, "1.1", files=files), "/silent")
        # A silent run that needs a restart restarts without a question (the
        # test harness only lets it ask).
        assert (run.returncode, run.trace) == (1, "restart requested\r\n")
    finally:
        holder.proc.kill()
    log = install_log(name).split("**********************************************")[1]
    assert f'"{target}" was successfully registered for replacement.\r\nTemporary file is "' in log
    assert "Reboot will be required." in log
    pending = wine.reg_query("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager", view32=False)
    temporaries = list((PROGRAMS / name / "data").glob("KVT*"))
    assert len(temporaries) == 1 and temporaries[0].read_bytes() == b"\x03" * 3000
    assert "PendingFileRenameOperations" in pending
    # Leave no pending operation behind in the shared prefix.
    subprocess.run(["wine", "reg", "delete", "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                    "/v", "PendingFileRenameOperations", "/f"], capture_output=True, env=wine.ENV)


def test_a_second_installer_is_refused_while_the_first_runs(tmp_path, clean):
    name = clean.add("Scenario Single")
    extra = '[installation]\nsingle_instance = true\n[batches.pre_install]\ncommands = "ping -n 6 127.0.0.1 >nul"\n'
    installer = build(tmp_path, name, "1.0", extra)
    first = wine.Background(installer, "/silent")
    time.sleep(3)
    second = wine.run(installer, "/silent")
    assert first.wait(timeout=120).returncode == 1
    assert second.returncode == 1
    assert second.trace == ("smw_run_w + window_creation_disallowed\r\nAnother installation is already running. "
                            "Please wait until it has finished, then try again.\r\n")


def test_texts_name_the_running_system(tmp_path, clean):
    name = clean.add("Scenario System Name")
    every_family = ", ".join(f'"{f}"' for f in ["9x", "nt4", "2000", "xp", "server-2003", "vista", "server-2008",
                                                  "7", "8", "8.1", "server-2012", "10", "11", "server-2016"])
    extra = f'[requirements]\nexcluded_windows = [{every_family}]\n[strings]\n61 = "<product> is not for <os>."\n'
    run = wine.run(build(tmp_path, name, "1.0", extra), "/silent")
    assert run.returncode == 1
    assert run.trace.startswith(f"smw_run_w + window_creation_disallowed\r\n{name} is not for Windows ")
    assert "<os>" not in run.trace
    assert not (PROGRAMS / name).exists()


def test_a_service_pack_minimum_is_met_by_that_service_pack(tmp_path, clean):
    # The prefix is Windows 7 with Service Pack 1.
    name = clean.add("Scenario Service Pack")
    met = '[requirements]\nminimum_windows = "6.1.7601"\nminimum_service_pack = "1"\n'
    run = wine.run(build(tmp_path, name, "1.0", met), "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert (PROGRAMS / name / "app.txt").exists()
    too_new = '[requirements]\nminimum_windows = "6.1.7601"\nminimum_service_pack = "2"\n'
    run = wine.run(build(tmp_path, name, "1.1", too_new), "/silent")
    assert "requires 6.1.7601 or later" in run.trace


def test_the_shared_folder_is_made_and_given_its_rights(tmp_path, clean):
    name = clean.add("Scenario Shared Folder")
    shared = wine.DRIVE_C / "Program Files (x86)" / "Common Files" / "Scenario Shared Maker"
    extra = ('[shared_folder]\nname = "Scenario Shared Maker"\n'
             '[installation]\ngrant_folder_rights = true\ngrant_shared_folder_rights = true\n')
    try:
        assert wine.run(build(tmp_path, name, "1.0", extra), "/silent").returncode == 1
        log = install_log(name)
        assert ('Granting rights to directory "C:\\Program Files (x86)\\Common Files\\Scenario Shared Maker"...OK\r\n'
                in log)
        # Nothing was installed there, so the completion took it away again.
        assert not shared.exists()

        # A file in the shared folder's place: the failure is logged.
        shared.write_text("in the way")
        assert wine.run(build(tmp_path, name, "1.1", extra), "/silent").returncode == 1
        log = install_log(name).split("**********************************************")[-1]
        assert ('Failed to create shared folder "C:\\Program Files (x86)\\Common Files\\Scenario Shared Maker": '
                in log)
    finally:
        if shared.is_file():
            shared.unlink()


def test_a_deletion_at_restart_is_kept_in_the_product_flags(tmp_path, clean):
    name = clean.add("Scenario Restart Flag")
    folder = PROGRAMS / name
    folder.mkdir(parents=True)
    (folder / "stale.txt").write_text("from an old version")
    rules = '[[delete]]\npattern = "%InstallDir%\\\\stale.txt"\nphases = ["install"]\nat_restart = "only"\n'
    try:
        run = wine.run(build(tmp_path, name, "1.0", rules), "/silent")
        assert (run.returncode, run.trace) == (1, "restart requested\r\n")
        flags = int(wine.reg_query(UNINSTALL + name)["ProductFlags"])
        assert flags & 0x4000
    finally:
        subprocess.run(["wine", "reg", "delete", "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                        "/v", "PendingFileRenameOperations", "/f"], capture_output=True, env=wine.ENV)
