"""Firewall exceptions under Wine, against the recording firewall: what an
installation adds, logs and records for the uninstaller, what a second
installation does, and that the uninstallation takes away exactly what was
recorded."""

import shutil

import pytest

import builder
import firewall
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
NAME = "Scenario Firewall"
FOLDER = f"C:\\Program Files (x86)\\{NAME}"

PRODUCT = f"""
[product]
name = "{NAME}"
version = "1.0"
publisher = "Scenario Tests"

[[files]]
source = "server.exe"

[[firewall]]
port = 8080
name = "Web"
protocols = ["tcp", "udp"]

[[firewall]]
port = 8081
name = "Kept"
keep = true

[[firewall]]
program = "server.exe"
name = "Server"

[[firewall]]
program = "%InstallDir%\\\\missing.exe"
"""


@pytest.fixture
def recorder(tmp_path):
    with firewall.recording_firewall(tmp_path / "firewall") as recording:
        yield recording


@pytest.fixture
def installer(tmp_path):
    yield builder.build_product(tmp_path / "product", PRODUCT, {"server.exe": b"MZ server"})
    wine.reg_delete(UNINSTALL + NAME)
    shutil.rmtree(PROGRAMS / NAME, ignore_errors=True)


def install_log():
    return (PROGRAMS / NAME / "Install.log").read_bytes().decode("utf-8-sig")


def test_exceptions_are_added_recorded_kept_and_removed(recorder, installer):
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    added = [
        "port 8080 6 Web",
        "port 8080 17 Web",
        "port 8081 6 Kept",
        f"program {FOLDER}\\server.exe Server",
    ]
    assert recorder.state() == added
    assert recorder.journal() == ["add " + entry for entry in added]

    log = install_log()
    assert ("Added firewall exception: TCP port 8080\r\nAdded firewall exception: UDP port 8080\r\n"
            "Added firewall exception: TCP port 8081\r\n"
            f"Added firewall exception: {FOLDER}\\server.exe\r\n"
            f'Failed to add firewall exception for "{FOLDER}\\missing.exe": file does not exist\r\n') in log
    data = (PROGRAMS / NAME / "Uninstall.DAT").read_bytes().decode()
    section = data.split("[Firewall]\r\n")[1].split("\r\n\r\n")[0]
    assert section == "8080;Web;3;\r\nserver.exe;Server;0;\r\n"

    # Again: everything is there and enabled, so nothing is added and every
    # line logs its success.
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert recorder.journal() == ["add " + entry for entry in added]
    second = install_log().split("**********************************************")[1]
    assert ("Added firewall exception: TCP port 8080\r\nAdded firewall exception: UDP port 8080\r\n"
            "Added firewall exception: TCP port 8081\r\n"
            f"Added firewall exception: {FOLDER}\\server.exe\r\n") in second

    run = wine.run(PROGRAMS / NAME / "uninstall.exe", raw=f'/u:"{NAME}" /silent')
    assert (run.returncode, run.trace) == (0, "")
    assert recorder.journal()[len(added):] == [
        "remove port 8080 6",
        "remove port 8080 17",
        f"remove program {FOLDER}\\server.exe",
    ]
    assert recorder.state() == ["port 8081 6 Kept"]


def test_nothing_is_left_after_an_uninstallation(recorder, tmp_path):
    name = "Scenario Firewall Clean"
    product = f"""
[product]
name = "{name}"
version = "1.0"

[[files]]
source = "bin/tool.exe"
destination = "%InstallDir%\\\\bin\\\\"

[[firewall]]
port = 5353
protocols = ["udp"]

[[firewall]]
program = "bin\\\\tool.exe"
"""
    installer = builder.build_product(tmp_path / "clean", product, {"bin/tool.exe": b"MZ tool"})
    try:
        assert wine.run(installer, "/silent").returncode == 1
        folder = f"C:\\Program Files (x86)\\{name}"
        assert recorder.state() == [f"port 5353 17 {name}", f"program {folder}\\bin\\tool.exe {name}"]
        run = wine.run(PROGRAMS / name / "uninstall.exe", raw=f'/u:"{name}" /silent')
        assert (run.returncode, run.trace) == (0, "")
        assert recorder.state() == []
    finally:
        wine.reg_delete(UNINSTALL + name)
        shutil.rmtree(PROGRAMS / name, ignore_errors=True)
