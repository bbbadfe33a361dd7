"""Shortcuts under Wine: every placement of an entry, the uninstaller's and
the log's links, the desktop folder with its icon, the root shortcut of a
portable installation and the taskbar pin. Each link is read back with
lnkinfo (liblnk), a reader of the shell-link format of its own; the
uninstallation must leave the prefix as it was."""

import shutil
import struct
import subprocess

import pytest

import builder
import snapshot
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
# The prefix's all-users folders (the builder's default shortcut mode); the
# current user's desktop is a link to the Unix home, which no test touches.
DESKTOP = wine.DRIVE_C / "users" / "Public" / "Desktop"
START_MENU = wine.DRIVE_C / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
STARTUP = START_MENU / "StartUp"
ICON = wine.ROOT / "src" / "setup" / "resources" / "tessaline.ico"
WINE_APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\"

# Show commands as a link's header keeps them.
SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE = 1, 3, 7

FILES = {"app.cmd": "@echo app\r\n", "readme.txt": "readme\r\n"}


def product(name: str, extra: str = "", log: str = "") -> str:
    return f"""
[product]
name = "{name}"
version = "2.0"
publisher = "Scenario Tests"

[log]
detailed = true
{log}

[[files]]
source = "app.cmd"
destination = '%InstallDir%\\bin\\'

[[files]]
source = "readme.txt"

{extra}
"""


def read_link(path) -> dict[str, str]:
    """The link's fields as lnkinfo prints them ("Local path", "Working
    directory", ...), and its show command from the format's fixed header
    (this lnkinfo does not print it right)."""
    out = subprocess.run(["lnkinfo", str(path)], capture_output=True, text=True, check=True).stdout
    fields = {}
    for line in out.splitlines():
        if line.startswith("\t") and not line.startswith("\t\t") and ":" in line:
            key, value = line.split(":", 1)
            fields.setdefault(key.strip(), value.strip())
    data = path.read_bytes()
    assert struct.unpack_from("<I", data, 0)[0] == 0x4C, "a shell link's header"
    fields["show"] = struct.unpack_from("<I", data, 60)[0]
    return fields


def install(tmp_path, name, extra="", output="Setup.exe", log=""):
    installer = builder.build_product(tmp_path / name, product(name, extra, log),
                                      {**FILES, "folder.ico": ICON.read_bytes()}, output=output)
    return wine.run(installer, "/silent")


def installation_log(name) -> str:
    return (PROGRAMS / name / "Install.log").read_bytes().decode("utf-8-sig")


@pytest.fixture
def cleanup():
    names = []
    yield names
    for name in names:
        wine.reg_delete(UNINSTALL + name)
        shutil.rmtree(PROGRAMS / name, ignore_errors=True)
        for folder in (START_MENU / name, DESKTOP / name, STARTUP / "Tools"):
            shutil.rmtree(folder, ignore_errors=True)


EVERY_PLACEMENT = r"""
[uninstall]
start_menu_shortcut = true
desktop_shortcut = true
folder_shortcut = true

[desktop_folder]
product_name = true
icon = "folder.ico"

[[shortcuts]]
target = '%InstallDir%\bin\app.cmd'
name = 'Tools\App'
arguments = '--start "%InstallDir%"'
icon = '%InstallDir%\readme.txt'
working_folder = '%InstallDir%\bin\'
desktop = true
start_menu = true
startup = true
folder = '%InstallDir%\links'
show = "maximized"

[[shortcuts]]
target = "readme.txt"
name = "Readme"
working_folder = '%InstallDir%\missing'
start_menu = true
show = "minimized"
"""


def test_every_placement_reads_back_and_the_uninstaller_removes_them(tmp_path, cleanup):
    name = "Shortcut Places"
    cleanup.append(name)
    folder = PROGRAMS / name
    windows_folder = f"C:\\Program Files (x86)\\{name}"
    before = snapshot.take()
    run = install(tmp_path, name, EVERY_PLACEMENT, log="start_menu_shortcut = true")
    assert (run.returncode, run.trace) == (1, "")

    desktop_folder = DESKTOP / name
    links = [desktop_folder / "Tools" / "App.LNK", START_MENU / name / "Tools" / "App.LNK",
             STARTUP / "Tools" / "App.LNK", folder / "links" / "Tools" / "App.LNK"]
    for link in links:
        fields = read_link(link)
        assert fields["Local path"] == f"{windows_folder}\\bin\\app.cmd", link
        assert fields["Command line arguments"] == f'--start "{windows_folder}"', link
        assert fields["Working directory"] == f"{windows_folder}\\bin", link
        assert fields["Icon location"] == f"{windows_folder}\\readme.txt", link
        assert fields["show"] == SW_SHOWMAXIMIZED, link

    # A working folder that does not exist is the installation folder; no
    # icon is the target's.
    readme = read_link(START_MENU / name / "Readme.LNK")
    assert readme["Local path"] == f"{windows_folder}\\readme.txt"
    assert readme["Working directory"] == windows_folder
    assert readme["Icon location"] == f"{windows_folder}\\readme.txt"
    assert "Command line arguments" not in readme
    assert readme["show"] == SW_SHOWMINNOACTIVE

    # The uninstaller's three links and the log's.
    uninstaller = [START_MENU / name / f"Uninstall {name}.LNK", desktop_folder / f"Uninstall {name}.LNK",
                   folder / f"Uninstall {name}.LNK"]
    for link in uninstaller:
        fields = read_link(link)
        assert fields["Local path"] == f"{windows_folder}\\uninstall.exe", link
        assert fields["Command line arguments"] == f'/u:"{name}"', link
        assert fields["Working directory"] == windows_folder, link
        assert fields["show"] == SW_SHOWNORMAL, link
    log_link = read_link(START_MENU / name / f"{name} Installation Log.LNK")
    assert log_link["Local path"] == f"{windows_folder}\\Install.log"

    # The desktop folder shows the author's icon through its Desktop.ini.
    assert (folder / "Desktop Icon.ico").read_bytes() == ICON.read_bytes()
    ini = (desktop_folder / "Desktop.ini").read_bytes().decode()
    assert ini == f"[.ShellClassInfo]\r\nIconFile={windows_folder}\\Desktop Icon.ico\r\nIconIndex=0\r\n"

    log = installation_log(name)
    for line in (f"Desktop Folder Shortcut(Tools\\App) >>> C:\\users\\Public\\Desktop\\{name}\\Tools\\App.LNK",
                 f"Start Menu Shortcut(Tools\\App) >>> C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\"
                 f"{name}\\Tools\\App.LNK",
                 "Startup Shortcut(Tools\\App) >>> C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"
                 "\\Tools\\App.LNK",
                 f"Shortcut(Tools\\App) >>> {windows_folder}\\links\\Tools\\App.LNK"):
        assert f"\r\n{line}\r\n" in log, line
    assert "FAILURE SUMMARY" not in log

    run = wine.run(folder / "uninstall.exe", raw=f'/u:"{name}" /silent')
    assert (run.returncode, run.trace) == (0, "")
    assert wine.wait_until_gone(folder)
    # The links' own folders are gone; the startup folder and the desktop,
    # empty again, stay.
    assert STARTUP.is_dir() and DESKTOP.is_dir()
    problems = snapshot.compare(before, snapshot.take())
    assert problems == [], "\n".join(problems)


FAILING = r"""
[[shortcuts]]
target = '%InstallDir%\readme.txt'
name = "Loud"
folder = '%InstallDir%\readme.txt\inside'

[[shortcuts]]
target = '%InstallDir%\readme.txt'
name = "Quiet"
folder = '%InstallDir%\readme.txt\inside'
quiet = true
"""


def test_a_quiet_entry_that_fails_leaves_nothing_in_the_error_report(tmp_path, cleanup):
    name = "Shortcut Failures"
    cleanup.append(name)
    run = install(tmp_path, name, FAILING)
    assert run.returncode == 1
    log = installation_log(name)
    summary = log[log.index("*** FAILURE SUMMARY ***"):]
    # A file holds the name of the link's folder.
    assert f"Unable to write the file C:\\Program Files (x86)\\{name}\\readme.txt\\inside\\Loud.LNK\r\n" in summary
    assert "Quiet" not in summary
    assert "Quiet.LNK" not in (PROGRAMS / name / "Uninstall.DAT").read_bytes().decode()


@pytest.mark.parametrize("version, pinned", [("win10", False), ("win7", True)])
def test_the_taskbar_pin_is_tried_only_on_windows_7_to_8_1(tmp_path, cleanup, version, pinned):
    name = f"Shortcut Pin {version}"
    cleanup.append(name)
    installer = f"Pin-{version}.exe"
    # The version applies to this installer's file name only, so that tests
    # running beside this one keep theirs.
    key = WINE_APP_DEFAULTS + installer
    subprocess.run(["wine", "reg", "add", key, "/v", "Version", "/d", version, "/f"], env=wine.ENV,
                   capture_output=True, check=True, timeout=60)
    try:
        run = install(tmp_path, name, "[taskbar_pin]\ncommand = '\"%InstallDir%\\bin\\app.cmd\" --pinned'\n",
                      installer)
    finally:
        wine.reg_delete(WINE_APP_DEFAULTS + installer, view32=False)
    assert (run.returncode, run.trace) == (1, "")
    log = installation_log(name)
    # The log names the system, which shows that the switch took (Wine's
    # Windows 7 setting names itself after its server twin, also 6.1).
    assert ("Operating system: Windows 10" in log) == (version == "win10")
    attempt = f"Pin to taskbar(C:\\Program Files (x86)\\{name}\\bin\\app.cmd): "
    assert (attempt in log) == pinned
    # The temporary link for the shell goes again.
    assert not list(wine.DRIVE_C.glob(f"users/*/Temp/{name}.LNK"))
