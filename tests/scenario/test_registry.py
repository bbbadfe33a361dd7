"""Registry entries and file associations under Wine: an installation writes
the author's keys and values and takes over an extension that another
program owns; the uninstallation gives that extension back to its owner,
removes the extension that had none, and leaves the registry as it was."""

import shutil
import subprocess
import time

import pytest

import builder
import snapshot
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
NAME = "Scenario Registry"
FOLDER = f"C:\\Program Files (x86)\\{NAME}"
SETTINGS = "HKLM\\Software\\Scenario Tests\\Scenario Registry\\Settings"
USER = "HKCU\\Software\\Scenario Tests\\Scenario Registry"
OWNED, FRESH, JOINED = ".tsowned", ".tsfresh", ".tsjoined"
OWNER, OURS = "Scenario.Owner", "Scenario.Pad"

PRODUCT = f"""
[product]
name = "{NAME}"
version = "1.0"
publisher = "Scenario Tests"
registry_key = "Scenario Tests\\\\{NAME}\\\\Own"

[[files]]
source = "pad.cmd"

[[registry]]
key = "{SETTINGS.replace(chr(92), chr(92) * 2)}"
name = "Folder"
value = "%InstallDir%"

[[registry]]
key = "{SETTINGS.replace(chr(92), chr(92) * 2)}"
name = "Count"
type = "dword"
value = 3

[[registry]]
key = "\\\\HKAU\\\\Software\\\\Scenario Tests\\\\{NAME}"
name = "Bytes"
type = "binary"
value = "01 02 ff"

[[registry]]
key = "{USER.replace(chr(92), chr(92) * 2)}\\\\Empty"

[[registry]]
key = "HKCR\\\\{OWNER}"
name = "Owner value"
value = "never written over"
action = "write-if-missing"

[[associations]]
extension = "{OWNED}"
file_type = "{OURS}"
description = "Scenario document"
command = "\\"%InstallDir%\\\\pad.cmd\\" \\"%1\\""
icon = "pad.cmd"

[[associations]]
extension = "{FRESH[1:]}"
file_type = "{OURS}"
command = "\\"%InstallDir%\\\\pad.cmd\\" \\"%1\\""
default_verb = true

[[associations]]
extension = "{JOINED}"
file_type = "{OURS}"
verb = "edit"
verb_caption = "Edit in Scenario Pad"
command = "\\"%InstallDir%\\\\pad.cmd\\" /edit \\"%1\\""
open_with_only = true
"""


def reg_add(key, *args):
    subprocess.run(["wine", "reg", "add", key, *args, "/f", "/reg:32"], env=wine.ENV, check=True,
                   capture_output=True, timeout=60)


def reg_lines(key):
    """reg.exe's lines of a key, as the 32-bit program sees it."""
    out = subprocess.run(["wine", "reg", "query", key, "/reg:32"], env=wine.ENV, capture_output=True, timeout=60)
    return [line.strip() for line in out.stdout.decode("utf-8", "replace").splitlines() if line.startswith("    ")]


def remove_everything():
    for key in (OWNED, JOINED, OWNER, FRESH, OURS):
        wine.reg_delete(f"HKCR\\{key}")
    for key in ("HKLM\\Software\\Scenario Tests", "HKCU\\Software\\Scenario Tests",
                "HKU\\.Default\\Software\\Scenario Tests", UNINSTALL + NAME):
        wine.reg_delete(key)
    shutil.rmtree(PROGRAMS / NAME, ignore_errors=True)


@pytest.fixture
def owners():
    """Another program's extensions and file type, as it registered them."""
    remove_everything()
    reg_add(f"HKCR\\{OWNED}", "/ve", "/d", OWNER)
    reg_add(f"HKCR\\{OWNED}", "/v", "Content Type", "/d", "text/x-owner")
    reg_add(f"HKCR\\{JOINED}", "/ve", "/d", OWNER)
    reg_add(f"HKCR\\{OWNER}", "/ve", "/d", "Owner document")
    reg_add(f"HKCR\\{OWNER}", "/v", "Owner value", "/d", "the owner's")
    reg_add(f"HKCR\\{OWNER}\\shell\\open\\command", "/ve", "/t", "REG_EXPAND_SZ", "/d",
            "%SystemRoot%\\owner.exe \"%1\"")
    yield
    remove_everything()


def wait_until_gone(path, seconds=30):
    deadline = time.time() + seconds
    while path.exists() and time.time() < deadline:
        time.sleep(0.5)
    return not path.exists()


def test_the_uninstallation_gives_every_previous_owner_back(tmp_path, owners):
    installer = builder.build_product(tmp_path / "product", PRODUCT, {"pad.cmd": "@echo pad %*\r\n"})
    owner_before = {key: reg_lines(f"HKCR\\{key}") for key in (OWNED, JOINED, OWNER, f"{OWNER}\\shell\\open\\command")}
    before = snapshot.take()

    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert wine.reg_query(SETTINGS) == {"Folder": FOLDER, "Count": "0x3"}
    assert wine.reg_query(USER) == {"Bytes": "0102FF"}
    assert wine.reg_query(USER + "\\Empty") == {}
    assert wine.reg_query("HKLM\\Software\\Scenario Tests\\Scenario Registry\\Own") == {}
    assert wine.reg_query(f"HKCR\\{OWNER}")["Owner value"] == "the owner's"
    # The owned extension is ours, its owner kept in the backup value.
    assert wine.reg_query(f"HKCR\\{OWNED}") == {"(Default)": OURS, "Content Type": "text/x-owner",
                                               f"{NAME} Backup": OWNER}
    assert wine.reg_query(f"HKCR\\{FRESH}") == {"(Default)": OURS}
    assert wine.reg_query(f"HKCR\\{JOINED}") == {"(Default)": OWNER}
    assert wine.reg_query(f"HKCR\\{JOINED}\\OpenWithProgids") == {OURS: ""}
    assert wine.reg_query(f"HKCR\\{OURS}\\shell") == {"(Default)": "open"}
    assert wine.reg_query(f"HKCR\\{OURS}\\shell\\open\\command") == {"(Default)": f'"{FOLDER}\\pad.cmd" "%1"'}
    assert wine.reg_query(f"HKCR\\{OURS}\\DefaultIcon") == {"(Default)": f"{FOLDER}\\pad.cmd"}
    log = (PROGRAMS / NAME / "Install.log").read_bytes().decode("utf-8")
    assert f'Associated {OWNED} with "{FOLDER}\\pad.cmd" "%1"\r\n' in log
    assert f'{JOINED} Open With "{FOLDER}\\pad.cmd" /edit "%1"\r\n' in log
    assert "Failed" not in log

    run = wine.run(PROGRAMS / NAME / "uninstall.exe", raw=f'/u:"{NAME}" /silent')
    assert (run.returncode, run.trace) == (0, "")
    assert wait_until_gone(PROGRAMS / NAME)
    time.sleep(1)
    problems = snapshot.compare(before, snapshot.take())
    assert problems == [], "\n".join(problems)
    # The owner's values byte for byte, the expandable command still one.
    assert {key: reg_lines(f"HKCR\\{key}") for key in owner_before} == owner_before
    assert any("REG_EXPAND_SZ" in line for line in owner_before[f"{OWNER}\\shell\\open\\command"])
    assert wine.reg_query(f"HKCR\\{FRESH}") is None
    assert wine.reg_query(f"HKCR\\{OURS}") is None
