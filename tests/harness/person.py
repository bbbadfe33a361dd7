"""One person's interactive run of an installer or uninstaller (the program
started as by a double click, the windows it shows seen one after another,
photographed on request), and the examples built as they stand for it."""

import pathlib
import re
import shutil
import subprocess

import builder
import gui
import wine

EXAMPLES = wine.ROOT / "examples"


def example_installer(folder: pathlib.Path, example: str, output: str, extra: str = "",
                      wizard: str = "", without: tuple[str, ...] = ()) -> pathlib.Path:
    """An example product built as it stands, with keys added to its
    [wizard] table, tables added at its end and the lines `without` taken
    out."""
    shutil.copytree(EXAMPLES / example, folder, dirs_exist_ok=True)
    description = folder / "product.toml"
    text = description.read_text()
    for line in without:
        assert line + "\n" in text, line
        text = text.replace(line + "\n", "", 1)
    if wizard:
        text = text.replace("[wizard]\n", "[wizard]\n" + wizard + "\n", 1) if "[wizard]" in text \
            else text + "\n[wizard]\n" + wizard + "\n"
    description.write_text(text + "\n" + extra)
    installer = folder / output
    result = builder.run_builder(description, "-o", installer, "--quiet")
    assert result.returncode == 0, result.stderr
    return installer


class Person:
    """One interactive run: the installer started as by a double click, and
    the windows it shows one after another."""

    def __init__(self, program: pathlib.Path | str, *args: str, shots: pathlib.Path | None = None):
        self.program = str(program)
        self.process = wine.Background(program, *args, timeout=300)
        self.seen: set[int] = set()
        self.shots = shots
        self.shot = 0

    def sees(self, predicate, what: str, timeout: float = 60) -> gui.Window:
        window = gui.wait_for(lambda w: w.raw["hwnd"] not in self.seen and predicate(w), what,
                              timeout=timeout, process=self.process)
        self.seen.add(window.raw["hwnd"])
        if self.shots is not None:
            self.shot += 1
            gui.shoot(window, self.shots / f"{self.shot:02d}-{re.sub(r'[^a-z]+', '-', what.lower()).strip('-')}.png")
        return window

    def message(self, contains: str, timeout: float = 60) -> gui.Window:
        return self.sees(lambda w: contains in w.text(gui.MESSAGE_TEXT), f"message {contains}", timeout)

    def exit_code(self, timeout: float = 120) -> int:
        # Not through its output: a program it started may hold that open.
        return self.process.proc.wait(timeout=timeout)

    def stop(self):
        """After a failure: the program and whatever it started end."""
        if self.process.proc.poll() is None:
            self.process.proc.kill()
            subprocess.run(["pkill", "-f", pathlib.Path(self.program).name], capture_output=True)
