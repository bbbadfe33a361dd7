import pathlib
import shutil
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "harness"))

import wine  # noqa: E402


@pytest.fixture
def cleanup():
    """The names of the products a test installs: their uninstall keys and
    folders are removed after it, whatever it left."""
    names = []
    yield names
    for name in names:
        wine.reg_delete("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name)
        shutil.rmtree(wine.DRIVE_C / "Program Files (x86)" / name, ignore_errors=True)
