"""The builder: the example product built on Linux and on Windows (under
Wine), installed by the runtime, refused when damaged, signed; errors that
leave nothing behind; the progress bar."""

import os
import pathlib
import pty
import shutil
import subprocess

import pytest

import builder
import wine

CORRUPT = ("fatal error\r\nThis installation program is corrupt.  This is usually caused by a faulty download, "
           "but it can also be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
           "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem persists, "
           "check your system for viruses.\r\n\r\nError code: ")
KEY = "0123456789abcdef"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
INSTALLED = ("Hello", "Signed")  # the products these tests install


def _reg_delete(key: str) -> None:
    subprocess.run(["wine", "reg", "delete", key, "/f", "/reg:32"], capture_output=True, env=wine.ENV, timeout=60)


@pytest.fixture(scope="module", autouse=True)
def leave_no_installation():
    """The example and the signed product install for real; their folders and
    registry keys are removed before and after these tests."""
    def remove():
        for name in INSTALLED:
            _reg_delete("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name)
            if (PROGRAMS / name).exists():
                subprocess.run(["chmod", "-R", "u+w", str(PROGRAMS / name)])
                shutil.rmtree(PROGRAMS / name, ignore_errors=True)
        _reg_delete("HKLM\\Software\\Tessaline Examples")

    remove()
    yield
    remove()


@pytest.fixture(scope="module")
def example(tmp_path_factory) -> pathlib.Path:
    installer = tmp_path_factory.mktemp("example") / "HelloSetup.exe"
    result = builder.run_builder(builder.EXAMPLE, "-o", installer, "--verify", "--key", KEY)
    assert result.returncode == 0, result.stderr
    assert result.stdout.endswith(", verified\n")
    return installer


def test_example_installs_silently(example):
    # A silent installation reports nothing and ends with 1.
    run = wine.run(example, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    assert (PROGRAMS / "Hello" / "config" / "hello.ini").read_bytes() == \
        (builder.EXAMPLE.parent / "config" / "hello.ini").read_bytes()
    log = (PROGRAMS / "Hello" / "Install.log").read_bytes().decode("utf-8-sig")
    assert "Running Post-Installation Batch...\r\nHello from the batch\r\n" in log


def test_damaged_archive_is_refused(example, tmp_path):
    data = bytearray(example.read_bytes())
    begin, end = builder.archive_range(bytes(data))
    data[(begin + end) // 2] ^= 0x40
    damaged = tmp_path / "Damaged.exe"
    damaged.write_bytes(data)
    run = wine.run(damaged, "/silent")
    assert (run.returncode, run.trace) == (1, CORRUPT + "55\r\n")


def test_windows_builder_makes_the_same_installer_under_wine(example, tmp_path):
    installer = tmp_path / "FromWindows.exe"
    run = wine.run(builder.WINDOWS_BUILDER, wine.windows_path(builder.EXAMPLE), "-o", wine.windows_path(installer),
                   "--stub", wine.windows_path(wine.RUNTIME), "--key", KEY, "--verify")
    assert run.returncode == 0, run.stderr
    assert "4 files" in run.stdout and "verified" in run.stdout
    assert installer.read_bytes() == example.read_bytes()


@pytest.mark.skipif(shutil.which("osslsigncode") is None, reason="osslsigncode is not installed")
@pytest.mark.parametrize("archive_from_file", [False, True])
def test_signed_installer_verifies_and_still_opens(tmp_path, archive_from_file):
    installer = builder.build_product(tmp_path, f"""
[product]
name = "Signed"
version = "1.0"
[installation]
archive_from_file = {str(archive_from_file).lower()}
[[files]]
source = "*.txt"
""", {"one.txt": "one\r\n" * 1000, "two.txt": os.urandom(3000)})
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Tessaline Test Signer", "-keyout", tmp_path / "key.pem",
                    "-out", tmp_path / "cert.pem"], check=True, capture_output=True)
    signed = tmp_path / "Signed.exe"
    subprocess.run(["osslsigncode", "sign", "-certs", tmp_path / "cert.pem", "-key", tmp_path / "key.pem",
                    "-n", "Signed", "-in", installer, "-out", signed], check=True, capture_output=True)
    verified = subprocess.run(["osslsigncode", "verify", "-CAfile", tmp_path / "cert.pem", signed],
                              capture_output=True, text=True)
    assert verified.returncode == 0, verified.stdout + verified.stderr
    assert "Signature verification: ok" in verified.stdout
    run = wine.run(signed, "/silent")
    assert (run.returncode, run.trace) == (1, "")


def test_errors_name_the_place_and_leave_nothing_behind(tmp_path):
    earlier = tmp_path / "Setup.exe"
    earlier.write_bytes(b"an earlier build")
    (tmp_path / "product.toml").write_text('[product]\nname = "Broken"\n[[files]]\nsource = "gone.txt"\n')
    result = builder.run_builder(tmp_path / "product.toml", "-o", earlier)
    assert result.returncode == 1
    assert result.stderr == (f"tessaline-build: {tmp_path}/product.toml:4:10: [[files]] source: no such file: "
                             f"{tmp_path}/gone.txt\n")
    assert earlier.read_bytes() == b"an earlier build"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["Setup.exe", "product.toml"]

    usage = builder.run_builder(tmp_path / "product.toml")
    assert usage.returncode == 2
    assert usage.stderr.startswith("tessaline-build: no output given (-o SETUP.exe)\nusage: tessaline-build")


def test_progress_bar_only_on_a_terminal(tmp_path):
    builder.write_files(tmp_path, {"big.bin": os.urandom(6 << 20)})
    (tmp_path / "product.toml").write_text('[product]\nname = "Big"\n[[files]]\nsource = "big.bin"\n')
    command = [str(builder.BUILDER), str(tmp_path / "product.toml"), "-o", str(tmp_path / "Big.exe"),
               "--stub", str(wine.RUNTIME), "--level", "1"]

    def stderr_on_terminal(*extra):
        main, secondary = pty.openpty()
        proc = subprocess.Popen(command + list(extra), stdout=subprocess.DEVNULL, stderr=secondary)
        os.close(secondary)
        out = b""
        while True:
            try:
                chunk = os.read(main, 4096)
            except OSError:
                break
            if not chunk:
                break
            out += chunk
        assert proc.wait() == 0
        os.close(main)
        return out.decode()

    drawn = stderr_on_terminal()
    assert "\r[" in drawn and "] 100%" in drawn and drawn.endswith("\n")
    assert stderr_on_terminal("--quiet") == ""
    piped = subprocess.run(command, capture_output=True, text=True)
    assert (piped.returncode, piped.stderr) == (0, "")


def test_the_authors_pictures_build_the_same_everywhere_warn_and_refuse(tmp_path):
    shutil.copytree(wine.ROOT / "examples" / "greetings", tmp_path / "greetings")
    description = tmp_path / "greetings" / "product.toml"
    first, second, windows = tmp_path / "A.exe", tmp_path / "B.exe", tmp_path / "W.exe"
    for output in (first, second):
        result = builder.run_builder(description, "-o", output, "--verify")
        assert result.returncode == 0 and result.stderr == "", result.stderr
    assert first.read_bytes() == second.read_bytes()
    run = wine.run(builder.WINDOWS_BUILDER, wine.windows_path(description), "-o", wine.windows_path(windows),
                   "--stub", wine.windows_path(wine.RUNTIME), "--verify")
    assert run.returncode == 0, run.stderr
    assert windows.read_bytes() == first.read_bytes()

    # A side picture of the header's proportions is stretched, with a warning.
    text = description.read_text()
    description.write_text(text.replace('side_picture = "side.png"', 'side_picture = "header.png"'))
    result = builder.run_builder(description, "-o", first)
    assert result.returncode == 0
    line = text.splitlines().index('side_picture = "side.png"') + 1
    assert result.stderr == (f"tessaline-build: warning: {description}:{line}:16: [wizard] side_picture: "
                             f"{description.parent}/header.png is 600 x 64 pixels, but the wizard's picture is "
                             "212 x 424; the proportions differ by more than 10 %, so it is stretched\n")
    assert builder.run_builder(description, "-o", first, "--quiet").stderr == ""

    # Not a picture: the build stops, naming the file, and nothing is written.
    (description.parent / "notes.png").write_text("a text")
    description.write_text(text.replace('header_picture = "header.png"', 'header_picture = "notes.png"'))
    first.write_bytes(b"an earlier build")
    result = builder.run_builder(description, "-o", first)
    assert result.returncode == 1
    assert result.stderr.endswith(f"[wizard] header_picture: {description.parent}/notes.png: not a BMP or PNG image\n")
    assert first.read_bytes() == b"an earlier build"
    assert not (tmp_path / "A.exe.part").exists()
