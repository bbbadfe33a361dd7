"""Notification requests under Wine, against a loopback web server of the
test's own and the recording firewall: which requests arrive, in which
order and with which placeholders filled, that the exit waits for every
queued request, the fallback client when the system's internet library
fails, and the installer's own firewall exception."""

import shutil

import pytest

import builder
import firewall
import loopback
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
PLACEHOLDERS = "v=%version%&os=%OS%&major=%OSMajor%&minor=%OSMinor%&name=%OSName%"
OWN_EXCEPTION = "Tessaline Setup Installer"


def product(name, notify):
    lines = "\n".join(f'{key} = "{value}"' for key, value in notify.items())
    return f"""
[product]
name = "{name}"
version = "1.0 beta"
publisher = "Scenario Tests"

[[files]]
source = "app.txt"

[notify]
{lines}
"""


@pytest.fixture
def recorder(tmp_path):
    with firewall.recording_firewall(tmp_path / "firewall") as recording:
        yield recording


@pytest.fixture
def server():
    # Every answer is late, so that requests are still queued when the
    # installer reaches its exit.
    server = loopback.RecordingServer(delay=1.0)
    yield server
    server.close()


@pytest.fixture
def make(tmp_path):
    names = []

    def build(name, notify):
        names.append(name)
        return builder.build_product(tmp_path / name, product(name, notify), {"app.txt": "app\r\n"})

    yield build
    for name in names:
        wine.reg_delete(UNINSTALL + name)
        shutil.rmtree(PROGRAMS / name, ignore_errors=True)


def test_every_request_arrives_in_order_before_the_process_ends(recorder, server, make):
    name = "Scenario Notify"
    installer = make(name, {
        "start": server.url(f"/start?{PLACEHOLDERS}"),
        "copy_start": server.url("/copy"),
        "install": server.url("/install"),
        "upgrade": server.url("/upgrade"),
        "uninstall": server.url("/uninstall?v=%VERSION%"),
    })
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    # Wine's prefix is Windows 7 (6.1, number 36, short name "7").
    assert server.paths() == ["/start?v=1.0%20beta&os=36&major=6&minor=1&name=7", "/copy", "/install"]
    for request in server.requests:
        assert request.headers["user-agent"] == "Tessaline Setup"
        assert request.headers["accept"] == "*/*"
    own = wine.windows_path(installer)
    assert recorder.journal() == [f"add program {own} {OWN_EXCEPTION}", f"remove program {own}"]

    uninstaller = PROGRAMS / name / "uninstall.exe"
    run = wine.run(uninstaller, raw=f'/u:"{name}" /silent')
    assert (run.returncode, run.trace) == (0, "")
    assert server.paths()[3:] == ["/uninstall?v=1.0%20beta"]
    own = wine.windows_path(uninstaller)
    assert recorder.journal()[2:] == [f"add program {own} {OWN_EXCEPTION}", f"remove program {own}"]
    assert recorder.state() == []


def test_a_blank_address_sends_nothing_and_starts_no_worker(recorder, server, make):
    installer = make("Scenario Notify Blank", {"start": "  \t ", "copy_start": "", "install": " "})
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert server.paths() == []
    assert recorder.journal() == []  # the first request would have authorised the installer


def test_the_own_client_sends_when_the_internet_library_fails(recorder, server, make):
    installer = make("Scenario Notify Fallback", {"start": server.url("/start"), "install": server.url("/install")})
    run = wine.run(installer, "/silent", env={"TESS_DLL_OVERRIDES": "wininet="})
    assert (run.returncode, run.trace) == (1, "")
    assert server.paths() == ["/start", "/install"]
    assert [r.headers["user-agent"] for r in server.requests] == ["Tarvel-K", "Tarvel-K"]


def test_requests_go_out_when_the_firewall_refuses_the_installer(recorder, server, make):
    recorder.refuse_programs()
    installer = make("Scenario Notify Refused", {"start": server.url("/start"), "install": server.url("/install")})
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert server.paths() == ["/start", "/install"]
    # Nothing was added, so the exit removes nothing.
    assert recorder.journal() == [f"refused program {wine.windows_path(installer)}"]
