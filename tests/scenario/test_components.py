"""Component registration under Wine with the project's fixture components:
a real installer registers a COM server, a type library, a driver package,
an installer package and a control panel applet, survives a server whose
registration crashes, and its uninstaller takes every registration away
again, leaving the prefix as it was."""

import shutil
import subprocess

import builder
import snapshot
import wine

UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
SHARED_DLLS = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"
PROGRAMS = wine.DRIVE_C / "Program Files (x86)"
FIXTURES = wine.WIN32_DIR / "tests" / "fixtures" / "components"

SERVER_CLASS = "HKCR\\CLSID\\{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E71}"
TYPE_LIBRARY = "HKCR\\TypeLib\\{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E72}"
APPLET_CLASS = "{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E77}"
APPLET_KEY = "HKLM\\Software\\Classes\\CLSID\\" + APPLET_CLASS
APPLET_NAMESPACE = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace\\" + APPLET_CLASS
PACKAGE_KEY = UNINSTALL + "{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E74}"
PACKAGE_PAYLOAD = PROGRAMS / "Tessaline Fixture Package" / "payload.txt"

# A server whose registration faults takes regsvr32 down with it; without
# Wine's debugger no crash dialog waits for someone to close it.
NO_DEBUGGER = {"TESS_DLL_OVERRIDES": "winedbg.exe=d"}

PRODUCT = """
[product]
name = "{name}"
version = "1.0"
publisher = "Scenario Tests"

[[files]]
source = "com_faults.dll"
kind = "com-server"
destination = "%InstallDir%\\\\"

[[files]]
source = "com_registers.dll"
kind = "com-server"
destination = "%InstallDir%\\\\"

[[files]]
source = "type_library.tlb"
kind = "type-library"
destination = "%InstallDir%\\\\"

[[files]]
source = "driver.inf"
kind = "inf-driver"

[[files]]
source = "package.msi"
kind = "msi-package"
ui_level = 5

[[files]]
source = "applet.cpl"
kind = "control-panel"
applet_class = "{applet_class}"
arguments = "/page 2"
"""


def fixture_files(*names):
    return {name: (FIXTURES / name).read_bytes() for name in names}


def install_log(folder):
    return (folder / "Install.log").read_bytes().decode("utf-8-sig")


def test_each_kind_is_registered_and_the_uninstallation_leaves_the_prefix_as_it_was(tmp_path, cleanup):
    name = "Scenario Components"
    cleanup.append(name)
    folder = PROGRAMS / name
    at = f"C:\\Program Files (x86)\\{name}"
    # Windows always has the key of the shared-file counts; a fresh prefix
    # gets it from the first installation that counts a file.
    subprocess.run(["wine", "reg", "add", SHARED_DLLS, "/f", "/reg:32"], env=wine.ENV, capture_output=True,
                   check=True, timeout=60)
    before = snapshot.take()
    installer = builder.build_product(
        tmp_path / "product", PRODUCT.format(name=name, applet_class=APPLET_CLASS),
        fixture_files("com_faults.dll", "com_registers.dll", "type_library.tlb", "driver.inf", "package.msi",
                      "applet.cpl"))

    run = wine.run(installer, "/silent", env=NO_DEBUGGER)
    assert (run.returncode, run.trace) == (1, "")
    log = install_log(folder)
    # The package and the applet right after their files, then the batches;
    # the crashing server abandons only its own registration.
    assert (f'Installing MSI package "{at}\\package.msi"...OK\r\n'
            'Registering control panel applet "applet.cpl"...OK\r\n'
            f'Registering COM File "{at}\\com_faults.dll"...CRASHED!\r\n'
            f'Registering COM File "{at}\\com_registers.dll"...OK\r\n'
            f'Registering Type Library "{at}\\type_library.tlb"...OK\r\n'
            "\r\n"
            f'Installing driver "{at}\\driver.inf"...OK\r\nFinal driver location: C:\\windows\\inf\\') in log
    assert "*** FAILURE SUMMARY ***\r\nCrashed while registering COM file com_faults.dll\r\n" in log

    assert wine.reg_query(SERVER_CLASS + "\\InprocServer32") == {"(Default)": f"{at}\\com_registers.dll"}
    assert wine.reg_query(TYPE_LIBRARY + "\\1.0\\0\\win32") == {"(Default)": f"{at}\\type_library.tlb"}
    # Named after its file, in the 64-bit view only.
    assert wine.reg_query(APPLET_KEY, view32=False) == {"(Default)": "applet.cpl"}
    assert wine.reg_query(APPLET_KEY + "\\DefaultIcon", view32=False) == {"(Default)": f"{at}\\applet.cpl"}
    assert wine.reg_query(APPLET_KEY + "\\Shell\\Open\\Command", view32=False) == {
        "(Default)": f'"{at}\\applet.cpl" /page 2'}
    assert wine.reg_query(APPLET_NAMESPACE, view32=False) == {"(Default)": "applet.cpl"}
    assert wine.reg_query(APPLET_KEY) is None
    # The package installed its file and registered itself.
    assert PACKAGE_PAYLOAD.read_text() == "fixture payload\n"
    assert wine.reg_query(PACKAGE_KEY)["DisplayName"] == "Tessaline Fixture Package"

    data = (folder / "Uninstall.DAT").read_bytes().decode()
    driver = log.split("Final driver location: ")[1].split("\r\n")[0]
    assert wine.unix_path(driver).read_bytes() == (FIXTURES / "driver.inf").read_bytes()
    assert f"\r\n[INF]\r\n{driver}\r\n" in data
    # A silent run installs the package without its user interface, and the
    # uninstaller removes it the same way.
    assert f'\r\n[MSI]\r\n"{at}\\package.msi",2\r\n' in data

    run = wine.run(folder / "uninstall.exe", raw=f'/u:"{name}" /silent', env=NO_DEBUGGER)
    assert (run.returncode, run.trace) == (0, "")
    assert wine.wait_until_gone(folder)
    for key, view32 in [(SERVER_CLASS, True), (TYPE_LIBRARY, True), (APPLET_KEY, False), (APPLET_NAMESPACE, False),
                        (PACKAGE_KEY, True)]:
        assert wine.reg_query(key, view32=view32) is None, key
    assert not PACKAGE_PAYLOAD.exists()
    assert not wine.unix_path(driver).exists()
    problems = snapshot.compare(before, snapshot.take())
    assert problems == [], "\n".join(problems)


def test_without_the_installer_library_a_package_fails_with_code_120(tmp_path, cleanup):
    name = "Scenario Components No MSI"
    cleanup.append(name)
    product = f"""
[product]
name = "{name}"
version = "1.0"

[[files]]
source = "package.msi"
kind = "msi-package"
"""
    installer = builder.build_product(tmp_path / "product", product, fixture_files("package.msi"))
    run = wine.run(installer, "/silent", env={"TESS_DLL_OVERRIDES": "msi="})
    assert run.returncode == 1
    log = install_log(PROGRAMS / name)
    failure = f'Installing MSI package "C:\\Program Files (x86)\\{name}\\package.msi"...FAILED code 120: '
    assert failure in log
    # Logged once, and once more in the failure summary.
    assert log.split("*** FAILURE SUMMARY ***")[1].count(failure) == 1
    assert "[MSI]" not in (PROGRAMS / name / "Uninstall.DAT").read_bytes().decode()
    assert not PACKAGE_PAYLOAD.exists()


def test_a_64_bit_product_registers_its_components_and_removes_them(tmp_path):
    # The run keeps file-system redirection off for a 64-bit product's files:
    # regsvr32 is the 64-bit one, the product's folder the 64-bit program
    # files, and the package and the driver are installed and removed all
    # the same.
    name = "Scenario Components 64"
    folder = wine.DRIVE_C / "Program Files" / name
    at = f"C:\\Program Files\\{name}"
    product = f"""
[product]
name = "{name}"
version = "1.0"

[requirements]
bitness = "64-bit"

[[files]]
source = "com_refuses.dll"
kind = "com-server"
destination = "%InstallDir%\\\\"

[[files]]
source = "driver.inf"
kind = "inf-driver"

[[files]]
source = "package.msi"
kind = "msi-package"
"""
    installer = builder.build_product(tmp_path / "product", product,
                                      fixture_files("com_refuses.dll", "driver.inf", "package.msi"))
    try:
        run = wine.run(installer, "/silent")
        assert (run.returncode, run.trace) == (1, "")
        log = install_log(folder)
        assert (f'Installing MSI package "{at}\\package.msi"...OK\r\n'
                f'Registering COM File "{at}\\com_refuses.dll"...OK\r\n'
                "\r\n"
                f'Installing driver "{at}\\driver.inf"...OK\r\nFinal driver location: ') in log
        assert PACKAGE_PAYLOAD.exists()

        run = wine.run(folder / "uninstall.exe", raw=f'/u:"{name}" /silent')
        assert (run.returncode, run.trace) == (0, "")
        assert wine.wait_until_gone(folder)
        assert not PACKAGE_PAYLOAD.exists()
        assert wine.reg_query(PACKAGE_KEY) is None
    finally:
        for view32 in (True, False):
            wine.reg_delete(UNINSTALL + name, view32=view32)
        shutil.rmtree(folder, ignore_errors=True)
