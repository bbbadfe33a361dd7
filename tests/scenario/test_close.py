"""The product's running programs under Wine: a program of ours
(tests/wine/running_program.exe, one window of a known class and title)
holds one of the product's files open while an installation replaces it or
an uninstallation removes it. A close request, a quit request and the end
of its process each let the file be replaced in place, not at the next
restart; a rule that asks waits for the program in an interactive run,
Retry going on once it has ended and Cancel stopping the run before
anything is copied; a silent run neither asks nor waits; the uninstaller
closes the program before it removes the files."""

import pathlib
import time

import pytest

import builder
import gui
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
PROGRAM = wine.WIN32_DIR / "tests" / "wine" / "running_program.exe"
WINDOW_CLASS = "TessRunningProgram"
WINDOW_TITLE = "Running Program - notes.txt"
# How the program ended (its exit codes).
CLOSED, QUIT, STOPPED, CLOSED_MINIMISED, TERMINATED = 10, 11, 12, 15, 0

PRODUCT = """
[product]
name = "{name}"
version = "{version}"

[wizard]
greeting = "never"
destination_page = false
start_menu_page = false

[existing]
question = false

[[files]]
source = "app.dat"

[[close]]
class = "{window_class}"
title = "*Running Program"
name = "Running Program"
mode = "{mode}"
{phases}
"""


@pytest.fixture(scope="module", autouse=True)
def windows_without_a_manager():
    # Without a window manager Wine destroys an unmanaged window at once.
    for exe in ("running_program.exe", "Setup.exe", "uninstall.exe"):
        gui.unmanaged(exe)


def installer(tmp_path: pathlib.Path, name: str, version: str, mode: str, phases: str = "",
              window_class: str = WINDOW_CLASS) -> pathlib.Path:
    text = PRODUCT.format(name=name, version=version, mode=mode, phases=phases, window_class=window_class)
    return builder.build_product(tmp_path / f"{name}-{version}-{mode}", text, {"app.dat": f"version {version}\r\n"})


def installed_file(name: str) -> pathlib.Path:
    return PROGRAMS / name / "app.dat"


class Running:
    """The program, running until it is closed, holding `held` open."""

    def __init__(self, tmp_path: pathlib.Path, held: pathlib.Path, minimised: bool = False,
                 window_class: str = WINDOW_CLASS):
        self.ready = tmp_path / f"ready-{time.monotonic_ns()}"
        self.stop_file = tmp_path / f"stop-{time.monotonic_ns()}"
        self.process = wine.Background(PROGRAM, window_class, WINDOW_TITLE, wine.windows_path(held),
                                       wine.windows_path(self.ready), wine.windows_path(self.stop_file),
                                       "minimised" if minimised else "normal", timeout=180)
        deadline = time.time() + 60
        while not self.ready.exists():
            assert self.process.proc.poll() is None, f"the program ended at once ({self.process.proc.returncode})"
            assert time.time() < deadline, "the program did not start"
            time.sleep(0.1)

    def running(self) -> bool:
        return self.process.proc.poll() is None

    def exit_code(self, timeout: float = 30) -> int:
        return self.process.proc.wait(timeout=timeout)

    def stop(self):
        self.stop_file.write_text("stop")

    def end(self):
        """After the test: the program goes, whatever happened."""
        if self.running():
            self.stop()
            try:
                self.exit_code()
            except Exception:
                self.process.proc.kill()


@pytest.fixture
def programs():
    started = []
    yield started
    for p in started:
        p.end()


def test_close_quit_and_terminate_let_the_file_be_replaced_in_place(tmp_path, cleanup, programs):
    name = "Scenario Close Modes"
    cleanup.append(name)
    assert wine.run(installer(tmp_path, name, "1.0", "close"), "/silent").returncode == 1
    target = installed_file(name)
    cases = [("close", True, CLOSED), ("quit", False, QUIT), ("terminate", False, TERMINATED)]
    for number, (mode, minimised, ended) in enumerate(cases, start=2):
        version = f"1.{number}"
        program = Running(tmp_path, target, minimised=minimised)
        programs.append(program)
        run = wine.run(installer(tmp_path, name, version, mode), "/silent")
        # No restart is needed: the file was free when its turn came.
        assert (run.returncode, run.trace) == (1, ""), mode
        assert program.exit_code() == ended, mode  # a minimised window was restored first
        assert target.read_bytes() == f"version {version}\r\n".encode(), mode
    log = (PROGRAMS / name / "Install.log").read_bytes().decode("utf-8", errors="replace")
    assert "replacement" not in log


def test_a_silent_run_neither_asks_nor_waits(tmp_path, cleanup, programs):
    name = "Scenario Close Silent"
    cleanup.append(name)
    unrelated = tmp_path / "notes.txt"
    unrelated.write_text("the program's own document")
    program = Running(tmp_path, unrelated)
    programs.append(program)
    started = time.time()
    run = wine.run(installer(tmp_path, name, "1.0", "ask"), "/silent", timeout=120)
    # Silent: no question reaches the trace, and the program is left running.
    assert (run.returncode, run.trace) == (1, "")
    assert program.running()
    assert installed_file(name).read_bytes() == b"version 1.0\r\n"
    assert time.time() - started < 60


def close_question(person_process, timeout: float = 60) -> gui.Window:
    return gui.wait_for(lambda w: "Running Program is running." in w.text(gui.MESSAGE_TEXT), "close question",
                        timeout=timeout, process=person_process)


def test_an_asking_rule_waits_for_the_program_and_cancel_stops_the_run(tmp_path, cleanup, programs):
    name = "Scenario Close Ask"
    cleanup.append(name)
    assert wine.run(installer(tmp_path, name, "1.0", "ask"), "/silent").returncode == 1
    target = installed_file(name)
    program = Running(tmp_path, target)
    programs.append(program)
    second = installer(tmp_path, name, "2.0", "ask")

    # Cancel: the cancellation message, exit code 1, nothing copied.
    setup = wine.Background(second, timeout=180)
    try:
        question = close_question(setup)
        assert question.caption == f"{name} Setup"
        assert question.text(gui.MESSAGE_TEXT) == ("Running Program is running. Please close it, then click Retry "
                                                   "to continue, or click Cancel to exit Setup.")
        assert question.has(gui.IDRETRY) and question.has(gui.IDCANCEL) and not question.has(gui.IDOK)
        gui.shoot(question, wine.ARTIFACTS / "close" / "question.png")
        gui.click(question, gui.IDCANCEL)
        cancelled = gui.wait_for_message(f"The installation of {name} has been canceled.", process=setup)
        assert cancelled.caption == "Canceled"
        gui.click(cancelled, gui.IDOK)
        assert setup.proc.wait(timeout=60) == 1
    finally:
        if setup.proc.poll() is None:
            setup.proc.kill()
    assert program.running()
    assert target.read_bytes() == b"version 1.0\r\n"

    # Retry while the program runs asks again; once it has ended the run goes on.
    setup = wine.Background(second, timeout=180)
    try:
        question = close_question(setup)
        gui.click(question, gui.IDRETRY)
        again = gui.wait_for(lambda w: w.raw["hwnd"] != question.raw["hwnd"] and
                             "Running Program is running." in w.text(gui.MESSAGE_TEXT), "the question again",
                             process=setup)
        program.stop()
        assert program.exit_code() == STOPPED
        gui.click(again, gui.IDRETRY)
        # With nothing to offer, the summary is a message box.
        done = gui.wait_for_message(f"{name} has been successfully installed.", timeout=120, process=setup)
        gui.click(done, gui.IDOK)
        assert setup.proc.wait(timeout=60) == 1
    finally:
        if setup.proc.poll() is None:
            setup.proc.kill()
    assert target.read_bytes() == b"version 2.0\r\n"
    log = (PROGRAMS / name / "Install.log").read_bytes().decode("utf-8", errors="replace")
    assert "replacement" not in log


def test_the_uninstaller_closes_the_program_before_removing_its_files(tmp_path, cleanup, programs):
    name = "Scenario Close Uninstall"
    cleanup.append(name)
    # Only for uninstalling: the installation leaves the program alone.
    rules = 'phases = ["uninstall"]'
    assert wine.run(installer(tmp_path, name, "1.0", "close", rules), "/silent").returncode == 1
    folder = PROGRAMS / name
    data = (folder / "Uninstall.DAT").read_bytes().decode("utf-8", errors="replace")
    assert f"[AutoClose]\r\n{WINDOW_CLASS},*Running Program,Running Program,0\r\n" in data
    program = Running(tmp_path, installed_file(name))
    programs.append(program)
    run = wine.run(folder / "uninstall.exe", raw=f'/u:"{name}" /silent')
    assert (run.returncode, run.trace) == (0, "")
    assert program.exit_code() == CLOSED
    assert wine.wait_until_gone(folder), "every file was removed, the held one too"
    assert wine.reg_query(UNINSTALL + name) is None


def test_the_uninstaller_asks_after_its_confirmation_and_cancel_removes_nothing(tmp_path, cleanup, programs):
    name = "Scenario Close Uninstall Ask"
    cleanup.append(name)
    assert wine.run(installer(tmp_path, name, "1.0", "ask", 'phases = ["uninstall"]'), "/silent").returncode == 1
    folder = PROGRAMS / name
    program = Running(tmp_path, installed_file(name))
    programs.append(program)
    uninstaller = wine.Background(folder / "uninstall.exe", raw=f'/u:"{name}"', timeout=180)
    try:
        # An asking rule waits until the user has confirmed the removal.
        confirmation = gui.wait_for(lambda w: w.has(gui.IDYES) and w.caption == f"{name} Uninstall",
                                    "confirmation", process=uninstaller)
        assert "Running Program" not in confirmation.text(gui.MESSAGE_TEXT)
        gui.click(confirmation, gui.IDYES)
        question = close_question(uninstaller)
        assert question.caption == f"{name} Uninstall"
        assert question.text(gui.MESSAGE_TEXT) == ("Running Program is running. Please close it, then click Retry "
                                                   "to continue, or click Cancel to stop the uninstallation.")
        gui.click(question, gui.IDCANCEL)
        cancelled = gui.wait_for_message(f"The removal of {name} has been canceled.", process=uninstaller)
        assert cancelled.caption == "Canceled"
        gui.click(cancelled, gui.IDOK)
        assert uninstaller.proc.wait(timeout=60) == 1
    finally:
        if uninstaller.proc.poll() is None:
            uninstaller.proc.kill()
    assert program.running()
    assert installed_file(name).exists() and (folder / "Uninstall.DAT").exists()
    assert wine.reg_query(UNINSTALL + name) is not None
