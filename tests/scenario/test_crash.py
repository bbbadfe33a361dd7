"""The crash report under Wine: a program of ours with the report's filter
in place crashes on purpose; the report names the crash and its place, the
dialog shows it, copies it and sends it to a loopback web form."""

import re
import subprocess
import time

import loopback
import wine

PROBE = wine.WIN32_DIR / "tests" / "wine" / "crash_probe.exe"


def crash(mode, timeout=120, **env):
    return wine.run(PROBE, mode, "silent", timeout=timeout, env=env)


def test_a_write_to_a_bad_address_is_reported_with_its_place():
    run = crash("write")
    assert run.returncode == 1
    report = run.trace
    assert report.startswith("\r\n\r\nINSTALLER CRASHED!\r\nException: Illegal memory access.\r\n\r\n"
                             "Product: Tessaline Setup 37.0.4 Standard\r\nException code: C0000005\r\n")
    assert "\r\nModule: crash_probe.exe\r\nRead/write: write\r\nMemory address: 00001234\r\n" in report
    assert re.search(r"\r\n  EIP: [0-9A-F]{8}\r\n", report)
    assert "\r\nModules:\r\n" in report and " crash_probe.exe\r\n" in report
    stack = report.split("\r\nCall Stack:\r\n")[1]
    assert re.match(r"[0-9A-F]{8} [0-9A-F]{8} crash_probe.exe probe_write_fault(\+0x[0-9A-F]+)?\r\n", stack), stack
    assert report.endswith("dlg_run_w + window_creation_disallowed: EXCEPTIONDLG\r\n")


def test_a_divide_by_zero_and_a_stack_overflow_are_reported():
    divide = crash("divide")
    assert divide.returncode == 1
    assert "Exception: Integer divide by zero.\r\n" in divide.trace
    assert " crash_probe.exe probe_divide" in divide.trace
    overflow = crash("overflow")
    assert overflow.returncode == 1
    assert "Exception: Stack overflow.\r\n" in overflow.trace
    assert " crash_probe.exe probe_recurse" in overflow.trace


def test_breakpoints_and_cxx_exceptions_are_not_reported():
    # They go on to the system's own handling: Wine's debugger, kept from
    # starting here.
    for mode in ("breakpoint", "cxx"):
        run = crash(mode, TESS_DLL_OVERRIDES="winedbg.exe=d")
        assert "INSTALLER CRASHED!" not in run.trace, mode
        assert "EXCEPTIONDLG" not in run.trace, mode


def test_a_crash_inside_the_report_does_not_come_back(tmp_path):
    mark = tmp_path / "reached"
    run = crash("inside-report", TESS_CRASH_MARK=wine.windows_path(mark))
    assert run.returncode == 1
    assert mark.exists()


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          env=wine.display_env(), timeout=10).stdout.decode("utf-8", errors="replace")


def keys(window, *args):
    """Keys typed into the window as a person types them; Wine takes them
    only from the focused window, not sent to a window directly."""
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=wine.display_env(), capture_output=True)
    subprocess.run(["xdotool", *args], env=wine.display_env(), check=True)


def test_the_dialog_copies_the_report_and_sends_the_form():
    server = loopback.RecordingServer()
    try:
        env = {"TESS_CRASH_FORM": server.url("/report")}
        proc = subprocess.Popen([str(wine.WINE_RUN), "--timeout", "120", str(PROBE), "write"],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env={**wine.ENV, **env})
        window = wine.wait_for_window("Illegal Operation", timeout=60)
        time.sleep(1)
        wine.screenshot(wine.ARTIFACTS / "crash-dialog.png")
        keys(window, "type", "--delay", "30", "tester@example.org")
        keys(window, "key", "alt+c")
        time.sleep(1)
        copied = clipboard()
        assert copied.startswith("Exception: Illegal memory access.\r\n") or \
            copied.startswith("Exception: Illegal memory access.\n"), copied[:80]
        # Copying keeps the dialog open.
        assert wine.wait_for_window("Illegal Operation", timeout=5) == window
        keys(window, "key", "alt+i")
        proc.wait(timeout=60)
        assert proc.returncode == 1
    finally:
        server.close()
    posts = [r for r in server.requests if r.method == "POST"]
    assert len(posts) == 1
    post = posts[0]
    assert post.path == "/report"
    assert post.headers["content-type"] == "multipart/form-data; boundary=AaB03x"
    body = post.body.decode("latin-1")
    parts = body.split("--AaB03x")
    assert parts[0] == "" and parts[-1] == "--\r\n"
    fields = [p for p in parts[1:-1]]
    names = [re.match(r'\r\nContent-Disposition: form-data; name="(\w+)"\r\n\r\n', f).group(1) for f in fields]
    assert names == ["from", "body", "subject", "headers"]
    values = {n: f.split("\r\n\r\n", 1)[1][:-2] for n, f in zip(names, fields)}
    assert values["from"] == "crash-reports@tessaline.example"
    assert values["subject"] == "Exception - Installer 37.0.4: crash_probe.exe"
    assert values["headers"] == ("X-Quarnelle-Internal: 2\r\nX-Exception-Email: tester@example.org\r\n"
                                 "Reply-To: tester@example.org\r\n")
    assert values["body"].startswith("Exception: Illegal memory access.\r\n")
    assert values["body"].endswith("\r\nEmail: tester@example.org\r\n")
    assert int(post.headers["content-length"]) == len(post.body)


def test_without_a_sender_the_report_cannot_be_sent():
    proc = subprocess.Popen([str(wine.WINE_RUN), "--timeout", "120", str(PROBE), "write"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env={**wine.ENV, "TESS_CRASH_NO_SENDER": "1"})
    window = wine.wait_for_window("Illegal Operation", timeout=60)
    keys(window, "key", "Escape")
    proc.wait(timeout=60)
    assert proc.returncode == 1
