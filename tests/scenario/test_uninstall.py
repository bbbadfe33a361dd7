"""Uninstallation under Wine: an installed product is removed without a trace
(the prefix before the installation equals the prefix after the
uninstallation), a file in use is left for a second run, and the author's
uninstall-time deletions are applied."""

import time

import builder
import snapshot
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"

PRODUCT = """
[product]
name = "{name}"
version = "1.4"
publisher = "Scenario Tests"

[installation]
add_to_path = "bin"

[[files]]
source = "bin/*"
destination = "%InstallDir%\\\\bin\\\\"

[[files]]
source = "docs/guide.txt"
destination = "%InstallDir%\\\\docs\\\\deep\\\\"

[batches]
post_install = "echo installed"
pre_uninstall = "echo removing"

{extra}
"""
FILES = {"bin/tool.cmd": "@echo tool\r\n", "bin/tool.dat": b"\x07" * 20000, "docs/guide.txt": "guide\r\n"}


def install(tmp_path, name, extra=""):
    installer = builder.build_product(tmp_path / name, PRODUCT.format(name=name, extra=extra), FILES)
    run = wine.run(installer, "/silent")
    assert (run.returncode, run.trace) == (1, "")
    return PROGRAMS / name


def uninstall(folder, name):
    """The uninstaller as the list of installed programs starts it."""
    return wine.run(folder / "uninstall.exe", raw=f'/u:"{name}" /silent')


def test_install_then_uninstall_leaves_the_prefix_as_it_was(tmp_path, cleanup):
    name = "Scenario Clean"
    cleanup.append(name)
    before = snapshot.take()
    folder = install(tmp_path, name)
    assert (folder / "bin" / "tool.dat").exists()
    environment = wine.reg_query("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                                 view32=False)
    path = next(value for key, value in environment.items() if key.upper() == "PATH")
    assert path.endswith(f";C:\\Program Files (x86)\\{name}\\bin")

    run = uninstall(folder, name)
    assert (run.returncode, run.trace) == (0, "")
    assert wine.wait_until_gone(folder), "the uninstaller and its folder are removed by the self-removal batch"
    time.sleep(1)
    assert list(wine.DRIVE_C.glob("users/*/Temp/delunins.bat")) == []
    problems = snapshot.compare(before, snapshot.take())
    assert problems == [], "\n".join(problems)


def test_a_file_in_use_stays_and_a_second_run_finishes(tmp_path, cleanup):
    name = "Scenario Busy"
    cleanup.append(name)
    folder = install(tmp_path, name)
    busy = folder / "bin" / "tool.dat"
    ready = tmp_path / "held"
    holder = wine.Background(wine.PROBE, "hold", wine.windows_path(busy), "15", wine.windows_path(ready))
    try:
        for _ in range(100):
            if ready.exists():
                break
            time.sleep(0.1)
        run = uninstall(folder, name)
        assert run.returncode == 0
    finally:
        holder.wait(timeout=60)
    assert busy.exists()
    assert not (folder / "bin" / "tool.cmd").exists()
    data = (folder / "Uninstall.DAT").read_bytes().decode()
    assert f"C:\\Program Files (x86)\\{name}\\bin\\tool.dat\r\n" in data
    assert wine.reg_query(UNINSTALL + name) is not None
    assert (folder / "uninstall.exe").exists()

    run = uninstall(folder, name)
    assert (run.returncode, run.trace) == (0, "")
    assert wine.wait_until_gone(folder)
    assert wine.reg_query(UNINSTALL + name) is None


def test_an_unknown_product_is_reported(tmp_path):
    run = wine.run(wine.RUNTIME, raw='/u:"No Such Product" /silent')
    assert run.returncode == 0
    assert "No product named 'No Such Product' is installed." in run.trace


def test_uninstall_time_deletions_are_ignored_by_the_installation(tmp_path, cleanup):
    name = "Scenario Deletions"
    cleanup.append(name)
    rules = '[[delete]]\npattern = "*.log"\nphases = ["uninstall"]\n'
    folder = PROGRAMS / name
    folder.mkdir(parents=True)
    (folder / "made-by-user.log").write_text("kept by the installation")
    install(tmp_path, name, rules)
    assert (folder / "made-by-user.log").exists()
    assert "[ConditionalDelete]" in (folder / "Uninstall.DAT").read_bytes().decode()
    run = uninstall(folder, name)
    assert (run.returncode, run.trace) == (0, "")
    assert wine.wait_until_gone(folder)
