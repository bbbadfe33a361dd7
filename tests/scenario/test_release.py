"""The release: the archives `make dist` makes, unpacked into empty folders,
build the example without being told where the runtime stub is; the example
installs, shows complete in the list of installed programs, and its
package-manager manifests carry the installer's hash."""

import hashlib
import os
import pathlib
import subprocess
import tarfile
import zipfile

import pytest

import wine

NAME = "Hello"
UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + NAME
FOLDER = "C:\\Program Files (x86)\\Hello"


@pytest.fixture(scope="module")
def archives(tmp_path_factory):
    out = tmp_path_factory.mktemp("dist")
    env = {**os.environ, "TESS_BUILD": str(wine.BUILD)}
    listed = subprocess.run([str(wine.ROOT / "scripts" / "dist"), str(out)], check=True, capture_output=True,
                            text=True, env=env, timeout=300).stdout.split()
    linux, windows = map(pathlib.Path, listed)
    return linux, windows


@pytest.fixture
def installed(cleanup):
    cleanup.append(NAME)
    yield
    wine.reg_delete("HKLM\\Software\\Tessaline Examples")


def unpacked_tar(archive: pathlib.Path, into: pathlib.Path) -> pathlib.Path:
    with tarfile.open(archive) as tar:
        tar.extractall(into)
    (top,) = into.iterdir()
    return top


def test_both_archives_hold_the_builder_beside_its_stub_and_are_reproducible(archives, tmp_path):
    linux, windows = archives
    version = linux.name.split("-")[1]
    assert linux.name == f"tessaline-{version}-linux-x86_64.tar.gz"
    assert windows.name == f"tessaline-{version}-windows.zip"
    with zipfile.ZipFile(windows) as z:
        names = set(z.namelist())
    top = f"tessaline-{version}-windows/"
    for name in ("tessaline-build.exe", "tessaline-setup.exe", "README.md", "docs/product.md",
                 "docs/exit-codes.md", "examples/hello/product.toml", "examples/hello/hello.ico"):
        assert top + name in names
    with tarfile.open(linux) as tar:
        members = {m.name: m for m in tar.getmembers()}
    top = f"tessaline-{version}-linux-x86_64/"
    assert members[top + "tessaline-build"].mode & 0o111
    assert top + "tessaline-setup.exe" in members and top + "examples/greetings/product.toml" in members
    # Made again, the same bytes.
    again = subprocess.run([str(wine.ROOT / "scripts" / "dist"), str(tmp_path)], check=True, capture_output=True,
                           text=True, env={**os.environ, "TESS_BUILD": str(wine.BUILD)}, timeout=300).stdout.split()
    assert [pathlib.Path(p).read_bytes() for p in again] == [linux.read_bytes(), windows.read_bytes()]


def test_an_unpacked_release_builds_and_deploys_the_example(archives, tmp_path, installed):
    release = unpacked_tar(archives[0], tmp_path / "linux")
    env = {k: v for k, v in os.environ.items() if k != "TESSALINE_STUB"}
    builder = release / "tessaline-build"
    shown = subprocess.run([str(builder), "--version"], capture_output=True, text=True, env=env, check=True)
    assert shown.stdout.startswith("tessaline-build " + release.name.split("-")[1])
    assert "--manifests DIR" in subprocess.run([str(builder), "--help"], capture_output=True, text=True,
                                               env=env).stdout

    installer = tmp_path / "HelloSetup.exe"
    manifests = tmp_path / "manifests"
    url = "https://downloads.example/HelloSetup.exe"
    built = subprocess.run([str(builder), "examples/hello/product.toml", "-o", str(installer), "--manifests",
                            str(manifests), "--installer-url", url], capture_output=True, text=True, env=env,
                           cwd=release, timeout=300)
    assert built.returncode == 0, built.stderr
    digest = hashlib.sha256(installer.read_bytes()).hexdigest().upper()
    text = (manifests / "TessalineExamples.Hello.installer.yaml").read_text()
    assert f"InstallerSha256: {digest}\n" in text and f'InstallerUrl: "{url}"\n' in text
    assert f"checksum       = '{digest}'" in (manifests / "chocolatey/tools/chocolateyInstall.ps1").read_text()

    # The Windows builder of the other archive, under Wine, makes the same
    # installer from the same folder without being told of the stub either.
    with zipfile.ZipFile(archives[1]) as z:
        z.extractall(tmp_path / "windows")
    (windows_release,) = (tmp_path / "windows").iterdir()
    from_windows = tmp_path / "FromWindows.exe"
    run = wine.run(windows_release / "tessaline-build.exe", wine.windows_path(release / "examples/hello/product.toml"),
                   "-o", wine.windows_path(from_windows))
    assert run.returncode == 0, run.stderr
    assert from_windows.read_bytes() == installer.read_bytes()

    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    key = wine.reg_query(UNINSTALL)
    assert key["DisplayIcon"] == FOLDER + "\\product.ico"
    assert key["Publisher"] == "Tessaline Examples" and key["InstallLocation"] == FOLDER
    assert key["QuietUninstallString"] == f'"{FOLDER}\\uninstall.exe" /a /u:"{NAME}"'
    assert int(key["EstimatedSize"], 0) == sum(
        p.stat().st_size for p in [release / "examples/hello" / n for n in
                                   ("hello.cmd", "hello.ico", "readme.txt", "config/hello.ini")]) // 1024
    # The system's own list of installed programs names it.
    listed = subprocess.run(["wine", "uninstaller", "--list"], capture_output=True, env=wine.ENV, timeout=120)
    assert f"|||{NAME}" in listed.stdout.decode(errors="replace")

    # Removed by the command the list holds for a quiet removal.
    program, arguments = key["QuietUninstallString"][1:].split('" ', 1)
    run = wine.run(wine.unix_path(program), raw=arguments)
    assert run.returncode == 0
    assert wine.wait_until_gone(wine.unix_path(FOLDER))
    assert wine.reg_query(UNINSTALL) is None
