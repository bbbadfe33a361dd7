"""The exit codes of both sets, for each way a run can end: the classic set
(1 after every installation) and the deployment set (0, 3010, 1602, 1603)."""

import shutil

import pytest

import builder
import corruption
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
NAME = "Scenario Exit Codes"


def product(codes, extra=""):
    return f"""
[product]
name = "{NAME}"
version = "2.0"

[installation]
exit_codes = "{codes}"

[[files]]
source = "app.txt"
{extra}
"""


@pytest.fixture
def clean():
    def remove():
        wine.reg_delete(UNINSTALL + NAME)
        shutil.rmtree(PROGRAMS / NAME, ignore_errors=True)

    remove()
    yield
    remove()


def run(installer, env=None):
    return wine.run_for_exit_code(installer, "/silent", env=env)


def build(tmp_path, codes, extra=""):
    return builder.build_product(tmp_path / codes, product(codes, extra), {"app.txt": "app\r\n"})


CODES = {"classic": {"completed": 1, "restart": 1, "cancelled": 1, "refused": 1, "failed": 1},
         "deployment": {"completed": 0, "restart": 3010, "cancelled": 1602, "refused": 1603, "failed": 1603}}


@pytest.mark.parametrize("codes", ["classic", "deployment"])
def test_installation_exits(tmp_path, clean, codes):
    expected = CODES[codes]
    assert run(build(tmp_path, codes)).returncode == expected["completed"]

    restart = build(tmp_path / "restart", codes, '[restart]\nrequired = true\n')
    result = run(restart, env={"TESSALINE_NO_RESTART": "refuse"})
    assert (result.returncode, result.trace) == (expected["restart"], "restart requested\r\n")

    # A password cannot be typed in a silent run: the run is cancelled.
    locked = build(tmp_path / "password", codes, '[wizard]\npassword = "secret"\n')
    assert run(locked).returncode == expected["cancelled"]

    # The installed version refuses an older one.
    guarded = build(tmp_path / "guarded", codes, '[existing]\nno_downgrade_below = "2.0"\n')
    assert run(guarded).returncode == expected["completed"]
    older = builder.build_product(tmp_path / "older", product(codes).replace('version = "2.0"', 'version = "1.0"'),
                                  {"app.txt": "app\r\n"})
    assert run(older).returncode == expected["refused"]

    damaged = tmp_path / "damaged.exe"
    data = bytearray(build(tmp_path / "again", codes).read_bytes())
    flip = corruption.sample(bytes(data), 1, seed=3, regions=("settings",))[0]
    data[flip.position] ^= flip.mask
    damaged.write_bytes(bytes(data))
    assert run(damaged).returncode == expected["failed"]


@pytest.mark.parametrize("codes", ["classic", "deployment"])
def test_uninstall_exits(tmp_path, clean, codes):
    assert run(build(tmp_path, codes)).returncode == CODES[codes]["completed"]
    uninstaller = PROGRAMS / NAME / "uninstall.exe"
    assert wine.run_for_exit_code(uninstaller, f'/silent /u:"{NAME}"').returncode == 0
    # Without the product's key nothing tells which set it asked for.
    assert wine.run_for_exit_code(wine.RUNTIME, '/silent /u:"No Such Product"').returncode == 0
