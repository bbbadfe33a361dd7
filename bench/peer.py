"""The two descriptions of one payload: our product file and the peer's NSIS
script (makensis with zlib, solid, Unicode). Both install the payload's
files into a folder of the 32-bit program-files folder, write an uninstaller
and an uninstall key of their own name; the peer's uninstaller deletes the
files it installed one by one, as ours does."""

from __future__ import annotations

import pathlib

UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"


def payload_files(files: pathlib.Path) -> list[pathlib.Path]:
    """The payload's files relative to its folder, in a fixed order."""
    return sorted(p.relative_to(files) for p in files.rglob("*") if p.is_file())


def windows(relative: pathlib.Path) -> str:
    return str(relative).replace("/", "\\")


def product_toml(name: str, files: pathlib.Path) -> str:
    """Our description: every payload file below the installation folder,
    subfolders kept; everything else as it comes."""
    return f"""[product]
name = "{name}"
version = "1.0"
publisher = "Tessaline Bench"

[[files]]
source = '{files.as_posix()}/**/*'
destination = "%InstallDir%\\\\"
"""


def nsis_script(name: str, files: pathlib.Path, output: pathlib.Path) -> str:
    relative = payload_files(files)
    folders = sorted({p.parent for p in relative if p.parent != pathlib.Path(".")})
    key = UNINSTALL_KEY + name
    lines = [
        "Unicode true",
        "SetCompressor /SOLID zlib",
        f'Name "{name}"',
        f'OutFile "{output}"',
        f'InstallDir "$PROGRAMFILES\\{name}"',
        "RequestExecutionLevel admin",
        "Page instfiles",
        "UninstPage instfiles",
        'Section "Files"',
    ]
    current = None
    for path in relative:
        if path.parent != current:
            current = path.parent
            lines.append(f'  SetOutPath "$INSTDIR\\{windows(current)}"' if str(current) != "." else
                         '  SetOutPath "$INSTDIR"')
        lines.append(f'  File "{files / path}"')
    lines += [
        '  SetOutPath "$INSTDIR"',
        '  WriteUninstaller "$INSTDIR\\uninstall.exe"',
        f'  WriteRegStr HKLM "{key}" "DisplayName" "{name}"',
        f'  WriteRegStr HKLM "{key}" "DisplayVersion" "1.0"',
        f'  WriteRegStr HKLM "{key}" "Publisher" "Tessaline Bench"',
        f'  WriteRegStr HKLM "{key}" "InstallLocation" "$INSTDIR"',
        f'  WriteRegStr HKLM "{key}" "UninstallString" \'"$INSTDIR\\uninstall.exe"\'',
        "SectionEnd",
        'Section "Uninstall"',
    ]
    lines += [f'  Delete "$INSTDIR\\{windows(p)}"' for p in relative]
    lines += [f'  RMDir "$INSTDIR\\{windows(f)}"' for f in reversed(folders)]
    lines += [
        '  Delete "$INSTDIR\\uninstall.exe"',
        '  RMDir "$INSTDIR"',
        f'  DeleteRegKey HKLM "{key}"',
        "SectionEnd",
    ]
    return "\n".join(lines) + "\n"
