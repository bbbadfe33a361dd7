"""Interactive runs under Wine, driven as a person drives them: the
installer's windows are read from outside (tests/harness/gui.py), buttons
are clicked with the mouse and folders typed with the keyboard. A person
installs the example through every page in each of the four styles, cancels
on each page, meets the installation folder's refusals, hands an old version
over to its uninstaller, installs in the second language, and removes the
product through the system's list of installed programs.

The screenshots of the first scenario go to build/test-artifacts/interactive/."""

import pathlib
import re
import shutil
import subprocess
import time

import pytest

import builder
import gui
from person import Person, example_installer
import snapshot
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
START_MENU = wine.DRIVE_C / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
EXAMPLES = wine.ROOT / "examples"
STYLE_NAMES = ["plain", "side-picture", "header", "panel"]
GREETING = "Welcome to the installation of"


@pytest.fixture(scope="module", autouse=True)
def windows_without_a_manager():
    for exe in ("HelloSetup.exe", "GreetingsSetup.exe", "Setup.exe", "uninstall.exe"):
        gui.unmanaged(exe)


# The pages, told apart by what they hold.
def is_greeting(w):
    return w.control(1040) is not None or GREETING in w.text(gui.MESSAGE_TEXT)


def is_licence(w):
    return w.has(gui.DOCUMENT) and w.text(gui.FORWARD).strip() == "I Agree"


def is_readme(w):
    return w.has(gui.DOCUMENT) and w.text(gui.FORWARD).strip() != "I Agree"


def is_destination(w):
    return w.has(1036)


def is_start_menu(w):
    return w.has(gui.FOLDER) and w.control(1036) is None


def is_progress(w):
    return w.control(gui.PROGRESS_BAR) is not None


def is_summary(w):
    return w.control(gui.OPEN_FOLDER) is not None


def forward(window: gui.Window):
    gui.click(window, gui.IDOK if window.has(gui.IDOK) and not window.has(gui.FORWARD) else gui.FORWARD)


def back_out(window: gui.Window):
    gui.click(window, gui.IDCANCEL if window.has(gui.IDCANCEL) and not window.has(gui.BACK) else gui.BACK)


def quiet_uninstall(name: str, folder: pathlib.Path | None = None):
    values = wine.reg_query(UNINSTALL + name)
    if values is None:
        return
    command = values["QuietUninstallString"]
    program, _, rest = command[1:].partition('"')
    wine.run(program, *[a.replace('"', '') for a in rest.split()], timeout=120)
    if folder is not None:
        wine.wait_until_gone(folder)


def started_program(title: str, timeout: float = 60) -> gui.Window:
    """The console window of a batch the installer started."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        for w in gui.windows():
            if w.caption == title and not w.is_dialog:
                return w
        time.sleep(0.3)
    raise TimeoutError(f"{title} was not started")


def end_program(window: gui.Window):
    gui.key(window, "Return")  # the batch's pause
    deadline = time.time() + 30
    while time.time() < deadline and any(w.raw["hwnd"] == window.raw["hwnd"] for w in gui.windows()):
        time.sleep(0.3)


def differences(a: dict, b: dict) -> dict:
    """The entries of two states that differ, readable in a failure."""
    out = {}
    for part in a:
        if isinstance(a[part], dict):
            out.update({f"{part}:{k}": (a[part].get(k), b[part].get(k))
                        for k in set(a[part]) | set(b[part]) if a[part].get(k) != b[part].get(k)})
        elif a[part] != b[part]:
            out[part] = [line for line in set(a[part]) ^ set(b[part])]
    return out


def installed_state(folder: pathlib.Path, name: str) -> dict:
    """What an installation leaves, in a form two runs can be compared by."""
    key = dict(wine.reg_query(UNINSTALL + name) or {})
    # The start-menu folder is the person's choice; a silent run forces some
    # behaviour bits (no questions, no windows) that the key keeps.
    for varying in ("InstallDate", "InstallSource", "ProductStartMenu", "ProductFlags"):
        key.pop(varying, None)
    files = {str(p.relative_to(folder)).lower(): p.read_bytes() for p in folder.rglob("*") if p.is_file()}
    log = files.pop("install.log", b"").decode("utf-8", errors="replace")
    files.pop("uninstall.dat", None)  # holds the start-menu folder
    # The log's lines without its times.
    log_lines = [re.sub(r"\d+:\d+:\d+|\d{4}-\d\d-\d\d|\d+/\d+/\d+", "", line) for line in log.splitlines()
                 if not line.startswith(("Start menu", "Shortcut"))]
    return {"key": key, "files": files, "log": log_lines}


@pytest.fixture(scope="module")
def hello(tmp_path_factory):
    """The example in each style, the progress window kept open long enough
    to be seen."""
    out = {}
    for style, name in enumerate(STYLE_NAMES):
        out[style] = example_installer(tmp_path_factory.mktemp(f"hello{style}"), "hello", "HelloSetup.exe",
                                       wizard=f'style = "{name}"\nminimum_display_time = 400')
    return out


@pytest.mark.parametrize("style", [2, 0, 1, 3], ids=lambda s: STYLE_NAMES[s])
def test_a_person_installs_the_example_through_every_page(hello, style, tmp_path):
    name = "Hello"
    folder = wine.DRIVE_C / f"Hello {STYLE_NAMES[style]}"
    group = f"Hello Examples {style}"
    shots = wine.ARTIFACTS / "interactive" / (STYLE_NAMES[style] if style != 2 else "")
    shutil.rmtree(shots, ignore_errors=True)
    person = Person(hello[style], shots=shots)
    try:
        forward(person.sees(is_greeting, "greeting"))
        licence = person.sees(is_licence, "licence")
        forward(licence)
        forward(person.sees(is_readme, "readme"))
        page = person.sees(is_destination, "destination")
        assert page.text(gui.FOLDER) == r"C:\Program Files (x86)\Hello"
        gui.replace_text(page, gui.FOLDER, f"C:\\{folder.name}")
        forward(page)
        page = person.sees(is_start_menu, "start menu")
        assert page.text(gui.FOLDER) == "Hello"
        gui.replace_text(page, gui.FOLDER, group)
        forward(page)
        progress = person.sees(is_progress, "progress")
        assert progress.text(gui.BODY) == "Please wait while Hello is being installed on your computer."
        summary = person.sees(is_summary, "summary", timeout=120)
        assert summary.has(gui.START_APPLICATION) and summary.text(gui.START_APPLICATION) == "Start Hello"
        assert not summary.control(gui.START_APPLICATION)["checked"]
        gui.click(summary, gui.START_APPLICATION)
        forward(summary)
        assert person.exit_code() == 1  # a completed installation
        end_program(started_program("Hello"))

        # Where the person chose.
        assert (folder / "hello.cmd").read_bytes() == (EXAMPLES / "hello" / "hello.cmd").read_bytes()
        assert (folder / "config" / "hello.ini").exists()
        key = wine.reg_query(UNINSTALL + name)
        assert key["InstallLocation"] == f"C:\\{folder.name}"
        assert key["ProductStartMenu"] == group
        assert [p.name.lower() for p in (START_MENU / group).iterdir()] == ["hello.lnk", "uninstall hello.lnk"]
        assert not (PROGRAMS / "Hello").exists()
        interactive = installed_state(folder, name)
        assert interactive["log"] and "*** FAILURE SUMMARY ***" not in interactive["log"]

        # No on the uninstaller's question changes nothing.
        if style == 2:
            remover = Person("uninstaller", "--remove", name)
            question = remover.message("completely remove Hello")
            gui.click(question, gui.IDNO)
            remover.exit_code()
            assert differences(installed_state(folder, name), interactive) == {}
    finally:
        person.stop()
        quiet_uninstall(name, folder)
    assert not folder.exists() and not (START_MENU / group).exists()

    # A silent run to the same folder does the same.
    if style == 2:
        assert wine.run(hello[style], raw=f'/silent /d:"C:\\{folder.name}"').returncode == 1
        try:
            assert differences(installed_state(folder, name), interactive) == {}
        finally:
            quiet_uninstall(name, folder)
        subprocess.run(["montage", "-geometry", "+6+6", "-tile", "4x", *map(str, sorted(shots.glob("*.png"))),
                        str(shots / "contact-sheet.png")], check=True)


def cancelled(person: Person, timeout: float = 60) -> int:
    """The cancellation message, confirmed; the installer's exit code."""
    gui.click(person.message("The installation of Hello has been canceled.", timeout), gui.IDOK)
    return person.exit_code()


@pytest.fixture(scope="module")
def clean_machine(hello):
    return snapshot.take()


# The pages before a cancel, and the button each is left with.
BEFORE = [(is_greeting, forward), (is_licence, forward), (is_readme, forward), (is_destination, forward),
          (is_start_menu, forward)]


@pytest.mark.parametrize("page", range(len(BEFORE)), ids=["greeting", "licence", "readme", "destination",
                                                           "start-menu"])
def test_cancel_before_copying_ends_with_code_1_and_changes_nothing(hello, request, page):
    # The whole machine is compared after the last page, which comes after
    # the installation folder was made; before it nothing has been written.
    whole = page == len(BEFORE) - 1
    before = request.getfixturevalue("clean_machine") if whole else None
    person = Person(hello[2])
    try:
        for predicate, _ in BEFORE[:page]:
            forward(person.sees(predicate, predicate.__name__))
        back_out(person.sees(BEFORE[page][0], BEFORE[page][0].__name__))
        assert cancelled(person) == 1
    finally:
        person.stop()
    if whole:
        assert snapshot.compare(before, snapshot.take()) == []
    else:
        assert not (PROGRAMS / "Hello").exists() and wine.reg_query(UNINSTALL + "Hello") is None


def test_cancel_on_the_progress_window_asks_and_ends_with_code_1(hello):
    before = snapshot.take()
    person = Person(hello[2])
    try:
        for predicate, _ in BEFORE:
            forward(person.sees(predicate, predicate.__name__))
        back_out(person.sees(is_progress, "progress"))
        question = person.message("Are you sure you want to cancel the installation of Hello?")
        gui.click(question, gui.IDYES)
        assert cancelled(person) == 1
        # What the copying had done so far is taken back.
        person.stop()
        assert snapshot.compare(before, snapshot.take()) == []
    finally:
        person.stop()
        for made in (PROGRAMS / "Hello", START_MENU / "Hello", PROGRAMS / "Common Files" / "Tessaline Examples"):
            shutil.rmtree(made, ignore_errors=True)


def test_the_folder_page_refuses_what_cannot_hold_the_product(tmp_path):
    installer = example_installer(tmp_path, "hello", "HelloSetup.exe",
                                  wizard="refuse_network_folders = true\nconfirm_folder = true")
    made = wine.DRIVE_C / "Hello Folders"
    person = Person(installer)
    try:
        for predicate, _ in BEFORE[:3]:
            forward(person.sees(predicate, predicate.__name__))
        # (folder, confirmed before it is made, the refusal)
        refusals = [
            (r"C:\Program Files (x86)", False, "Hello cannot be installed directly into the folder\r\nC:\\Program Files (x86)"),
            (r"C:\windows\win.ini\Hello", True, "Unable to create the folder C:\\windows\\win.ini\\Hello\r\n"),
            (r"C:\Hello|Folders", False, "Unable to create the folder C:\\Hello|Folders\r\n"),
            (r"\\server\share\Hello", False, "Hello cannot be installed into a network folder."),
        ]
        for folder, confirmed, message in refusals:
            page = person.sees(is_destination, f"destination before {folder}")
            gui.replace_text(page, gui.FOLDER, folder)
            forward(page)
            if confirmed:
                gui.click(person.message("does not exist. Do you want to create it"), gui.IDYES)
            gui.click(person.message(message), gui.IDOK)
        # A folder that will be made is confirmed first; No comes back too.
        for answer in (gui.IDNO, gui.IDYES):
            page = person.sees(is_destination, "destination")
            gui.replace_text(page, gui.FOLDER, r"C:\Hello Folders\Deep")
            forward(page)
            gui.click(person.message("C:\\Hello Folders\\Deep\r\ndoes not exist. Do you want to create it"), answer)
        page = person.sees(is_start_menu, "start menu")
        assert (made / "Deep").is_dir()
        # The levels the page made go again with a cancel.
        back_out(page)
        assert cancelled(person) == 1
        assert not made.exists()
    finally:
        person.stop()
        shutil.rmtree(made, ignore_errors=True)


HANDOVER = """
[product]
name = "Handover"
version = "{version}"
publisher = "Scenario Tests"

[[files]]
source = "app.txt"

[existing]
must_uninstall = {must}

[wizard]
destination_page = false
start_menu_page = false
"""


def test_an_old_version_is_handed_to_its_uninstaller_which_starts_the_new_one_again(tmp_path):
    files = {"app.txt": "the application\r\n"}
    old = builder.build_product(tmp_path / "old", HANDOVER.format(version="1.0", must="false"), files)
    new = builder.build_product(tmp_path / "new", HANDOVER.format(version="2.0", must="true"), files)
    folder = PROGRAMS / "Handover"
    assert wine.run(old, "/silent").returncode == 1
    person = Person(new)
    try:
        forward(person.sees(is_greeting, "greeting"))
        page = person.sees(lambda w: "must be uninstalled" in w.text(gui.BODY), "must-uninstall page")
        assert page.text(gui.FORWARD).strip() == "Uninstall"
        forward(page)
        assert person.exit_code() == 1  # this run installs nothing
        # The old uninstaller removes version 1.0 without a question and
        # starts this installer again, which now finds nothing to replace.
        again = gui.wait_for(is_greeting, "the installer started again", timeout=120)
        forward(again)
        gui.click(gui.wait_for_message("Handover has been successfully installed.", timeout=120), gui.IDOK)
        deadline = time.time() + 30
        while time.time() < deadline and (wine.reg_query(UNINSTALL + "Handover") or {}).get("DisplayVersion") != "2.0":
            time.sleep(0.5)
        assert wine.reg_query(UNINSTALL + "Handover")["DisplayVersion"] == "2.0"
    finally:
        person.stop()
        quiet_uninstall("Handover", folder)
        wine.reg_delete(UNINSTALL + "Handover")
        shutil.rmtree(folder, ignore_errors=True)


def test_the_second_language_is_the_installations_and_the_uninstallers(tmp_path):
    installer = example_installer(tmp_path, "greetings", "GreetingsSetup.exe")
    # Cancel on the language page ends the run at once.
    person = Person(installer)
    try:
        back_out(person.sees(lambda w: w.has(gui.LANGUAGES), "language page"))
        assert person.exit_code() == 1
    finally:
        person.stop()

    before = snapshot.take()
    folder = PROGRAMS / "Greetings"
    shots = wine.ARTIFACTS / "interactive" / "two-languages"
    shutil.rmtree(shots, ignore_errors=True)
    person = Person(installer, shots=shots)
    try:
        page = person.sees(lambda w: w.has(gui.LANGUAGES), "language page")
        assert page.control(gui.LANGUAGES)["items"] == ["\tEnglish", "\tDeutsch"]
        gui.click(page, gui.LANGUAGES)
        gui.key(page, "Down")
        page = gui.wait_for_caption("Sprache wählen")  # the page re-texts itself at once
        assert page.text(gui.FORWARD).strip() == "Weiter"
        forward(page)
        forward(person.sees(lambda w: "Willkommen bei der Installation von Greetings." in w.text(gui.BODY), "greeting"))
        page = person.sees(lambda w: w.has(gui.PASSWORD), "password page")
        for typed in ("Tessaline", "tessaline"):  # the letter case counts; the page stays
            gui.replace_text(page, gui.PASSWORD, typed)
            forward(page)
            if typed != "tessaline":
                gui.click(person.message("Das Kennwort ist falsch."), gui.IDOK)
        forward(person.sees(is_readme, "readme"))
        forward(person.sees(is_destination, "destination"))
        forward(person.sees(is_start_menu, "start menu"))
        summary = person.sees(lambda w: is_summary(w) and w.caption == "Installation abgeschlossen", "summary",
                              timeout=120)
        assert summary.text(gui.START_APPLICATION) == "Greetings starten" and \
            summary.control(gui.START_APPLICATION)["checked"]
        forward(summary)
        assert person.exit_code() == 1
        end_program(started_program("Greetings"))
    finally:
        person.stop()

    log = (folder / "Install.log").read_text(encoding="utf-8-sig")
    assert log.rstrip().endswith("Installation abgeschlossen")
    data = (folder / "Uninstall.DAT").read_bytes()
    assert "Möchten Sie Greetings und alle seine Komponenten".encode("utf-16-le") in data or \
        "Möchten Sie Greetings und alle seine Komponenten".encode() in data

    # Removed through the system's list of installed programs, in German.
    listed = subprocess.run(["wine", "uninstaller", "--list"], env=wine.ENV, capture_output=True, timeout=60)
    assert b"Greetings|||Greetings\r\n" in listed.stdout
    remover = Person("uninstaller", "--remove", "Greetings", shots=shots)
    try:
        gui.click(remover.message("Möchten Sie Greetings und alle seine Komponenten vollständig"), gui.IDYES)
        gui.click(remover.message("Greetings wurde erfolgreich von Ihrem Computer entfernt.", timeout=120), gui.IDOK)
        remover.exit_code()
    finally:
        remover.stop()
    assert wine.wait_until_gone(folder)
    assert snapshot.compare(before, snapshot.take()) == []
