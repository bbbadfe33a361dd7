"""The runtime's entry under Wine: command line, usage message, the fatal path
and the stub without installation data."""

import pytest

import wine

USAGE_HEAD = "\r\n\r\nUsage:\r\ntessaline-setup.exe [/a] [/b1:\"commands\"]"
NO_DATA = ("This program performs installations and uninstallations.\r\n"
           "There is no installation data present.\r\n"
           "No uninstallation parameters were specified.\r\n\r\n"
           "You should not delete this program or execute it directly.")


@pytest.mark.parametrize("args, reason", [
    (["/silent", "/x"], "Illegal command line atom:\r\nx"),
    (["-SILENT", "/x"], "Illegal command line atom:\r\nx"),
    (["/silent", "/u"], "Product name required"),
    (["/silent", "/Uninstall"], "Product name required"),
    (["/silent", "setup"], "Unexpected command line parameter:\r\nsetup"),
])
def test_bad_command_lines_end_with_the_usage_message(args, reason):
    run = wine.run(wine.RUNTIME, *args)
    assert run.returncode == 1
    assert run.trace.startswith("fatal error\r\n" + reason + USAGE_HEAD)
    assert "window_creation_disallowed" not in run.trace  # the silent box shows nothing at all


def test_twentieth_switch_is_ignored():
    run = wine.run(wine.RUNTIME, *(["/a"] * 18), "/silent", "/illegal")
    assert run.returncode == 1
    assert run.trace == "fatal error\r\n" + NO_DATA + "\r\n"


def test_bare_stub_has_no_installation_data():
    run = wine.run(wine.RUNTIME, "/silent")
    assert run.returncode == 1
    assert run.trace == "fatal error\r\n" + NO_DATA + "\r\n"


def test_uninstall_by_name_exits_with_zero():
    assert wine.run(wine.RUNTIME, raw='/silent /u:"Nothing Installed"').returncode == 0


def test_quoted_values_and_extra_batches_are_read():
    run = wine.run(wine.RUNTIME, raw='/d:"C:\\My Folder" /b1:"echo `hi`~~pause" /r:"notepad.exe" -SILENT')
    assert run.returncode == 1
    assert run.trace == "fatal error\r\n" + NO_DATA + "\r\n"


def test_fatal_inside_the_fatal_callback_ends_at_once():
    run = wine.run(wine.PROBE, "fatal-in-callback", timeout=60)
    assert run.returncode == 1
    assert run.trace == "fatal error\r\nfirst fatal\r\n"


def test_out_of_memory_ends_with_the_report():
    run = wine.run(wine.PROBE, "out-of-memory", "silent", timeout=60)
    assert run.returncode == 1
    assert "Out Of Memory.\r\nAdvice: Make sure the hard drive is not full.\r\n" in run.trace
    assert "Requested size = 3221225472 (0xC0000000)\r\n\r\nStack contents:\r\n" in run.trace


def test_real_exhaustion_ends_with_the_report_from_reserved_memory():
    # Every allocation fails: building the report may not allocate, and a
    # failure while handling one must not come back into the handler.
    run = wine.run(wine.PROBE, "exhaustion", "silent", timeout=120)
    assert run.returncode == 1
    assert "Out Of Memory.\r\nAdvice: Make sure the hard drive is not full.\r\n" in run.trace
    assert "Requested size = 65536 (0x00010000)\r\n\r\nStack contents:\r\n" in run.trace


def test_an_index_beyond_a_container_ends_as_an_internal_error():
    run = wine.run(wine.PROBE, "index-error", "silent", timeout=60)
    assert run.returncode == 1
    assert run.trace.startswith("fatal error\r\nInternal Fatal Error\r\nModule: stl_vector.h\r\nLine: ")


def test_a_standard_library_error_ends_as_an_internal_error():
    run = wine.run(wine.PROBE, "library-error", "silent", timeout=60)
    assert run.returncode == 1
    assert run.trace.startswith("fatal error\r\nInternal Fatal Error\r\nModule: vector::_M_range_check")
    assert run.trace.endswith("\r\nLine: 0\r\n")


def test_function_statics_are_initialised_once_under_a_race():
    assert wine.run(wine.PROBE, "static-race", timeout=60).returncode == 0


def test_usage_box_appears_without_silent():
    app = wine.Background(wine.RUNTIME, "/x")
    try:
        box = wine.wait_for_window("Error")
        shot = wine.screenshot(wine.ARTIFACTS / "usage-box.png")
        assert shot.stat().st_size > 0
        wine.press(box, "Return")
        run = app.wait()
    finally:
        if app.proc.poll() is None:
            app.proc.kill()
    assert run.returncode == 1
    assert run.trace.startswith("fatal error\r\nIllegal command line atom:\r\nx" + USAGE_HEAD)
