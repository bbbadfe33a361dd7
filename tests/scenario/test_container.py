"""The runtime refuses damaged installation data under Wine, with the code of
the check that failed, before it creates anything."""

import struct

import pytest

import builder
import pe
import wine

CORRUPT = ("fatal error\r\nThis installation program is corrupt.  This is usually caused by a faulty download, "
           "but it can also be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
           "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem persists, "
           "check your system for viruses.\r\n\r\nError code: ")
PRODUCT = """
[product]
name = "Corrupt Probe"
version = "2.0"
folder = "%ProgramsDir%\\\\Corrupt Probe"

[[files]]
source = "a.txt"

[[files]]
source = "b.bin"
"""
FILES = {"a.txt": "alpha\r\n" * 100, "b.bin": bytes(range(256)) * 600}
INSTALL_DIR = wine.DRIVE_C / "Program Files (x86)" / "Corrupt Probe"


@pytest.fixture(scope="module", params=["scrambled", "enciphered"])
def installer(request, tmp_path_factory):
    options = ("--key", "0011223344556677") if request.param == "enciphered" else ()
    return builder.build_product(tmp_path_factory.mktemp(request.param), PRODUCT, FILES, *options).read_bytes()


def head_offsets(data: bytes) -> dict[str, int]:
    """File positions of the head's fields."""
    start, _ = pe.find_section(data)
    version_end = data.index(b"\0", start + 4) + 1
    names = ["flags2", "settings_size", "settings_key", "stub", "total", "entries", "archive_size",
             "archive_checksum", "first_data_size"]
    fields = {name: version_end + 4 * i for i, name in enumerate(names)}
    fields.update(magic=start, version=start + 4)
    return fields


def damaged(data: bytes, where: str, change) -> bytes:
    out = bytearray(data)
    change(out, head_offsets(data)[where] if where in head_offsets(data) else where)
    return bytes(out)


def put_i32(value):
    return lambda b, at: struct.pack_into("<i", b, at, value)


def flip(mask=0x01):
    def change(b, at):
        b[at] ^= mask
    return change


CASES = [
    ("magic", flip(), 20),
    ("settings_size", put_i32(0), 22),
    ("settings_size", put_i32(0x3200000), 22),
    ("settings_key", flip(0x10), None),  # 25, or 47 when the unscrambled bytes are no zlib stream
    ("total", put_i32(-1), 45),
    ("entries", put_i32(-1), 27),
    ("archive_size", put_i32(-1), 29),
    ("first_data_size", put_i32(0x40000001), 28),
    ("archive_checksum", flip(), 55),
    ("archive_size", put_i32(12), 46),
]


def run_and_check_nothing_installed(data: bytes, tmp_path) -> wine.Run:
    path = tmp_path / "Damaged.exe"
    path.write_bytes(data)
    run = wine.run(path, "/silent")
    assert run.returncode == 1
    assert not INSTALL_DIR.exists()
    return run


@pytest.mark.parametrize("where, change, code", CASES, ids=[f"{c[0]}-{c[2]}" for c in CASES])
def test_damaged_head_fields_are_refused_with_their_code(installer, tmp_path, where, change, code):
    run = run_and_check_nothing_installed(damaged(installer, where, change), tmp_path)
    if code is None:
        assert run.trace in (CORRUPT + "25\r\n", CORRUPT + "47\r\n")
    else:
        assert run.trace == CORRUPT + f"{code}\r\n"


def test_a_flipped_byte_anywhere_in_the_archive_gives_55(installer, tmp_path):
    begin, end = builder.archive_range(installer)
    for at in (begin, begin + 9, (begin + end) // 2, end - 1):
        data = bytearray(installer)
        data[at] ^= 0x80
        run = run_and_check_nothing_installed(bytes(data), tmp_path)
        assert run.trace == CORRUPT + "55\r\n", at


def test_a_damaged_settings_block_gives_25_or_47(installer, tmp_path):
    fields = head_offsets(installer)
    settings_size = struct.unpack_from("<i", installer, fields["settings_size"])[0]
    entries = struct.unpack_from("<i", installer, fields["entries"])[0]
    flags2 = struct.unpack_from("<I", installer, fields["flags2"])[0]
    settings_at = fields["first_data_size"] + 4 * entries + (8 if flags2 & 0x1000 else 0)
    data = bytearray(installer)
    data[settings_at + settings_size // 2] ^= 0x04
    run = run_and_check_nothing_installed(bytes(data), tmp_path)
    assert run.trace in (CORRUPT + "25\r\n", CORRUPT + "47\r\n")


def test_another_format_version_gives_the_version_message(installer, tmp_path):
    data = bytearray(installer)
    at = head_offsets(installer)["version"]
    assert data[at:at + 7] == b"37.0.4\0"
    data[at:at + 7] = b"37.0.5\0"
    run = run_and_check_nothing_installed(bytes(data), tmp_path)
    assert run.trace == ("fatal error\r\nThe installer version (37.0.4) does not match the version of Tessaline "
                         "Setup (37.0.5).  Close all applications and reinstall Tessaline Setup.\r\n")


def test_the_authors_text_13_replaces_the_corrupt_message(tmp_path):
    text = PRODUCT + '\n[strings]\n13 = "Bad download (%d). 100% sure."\n'
    data = bytearray(builder.build_product(tmp_path, text, FILES).read_bytes())
    begin, end = builder.archive_range(bytes(data))
    data[begin + 20] ^= 1
    run = run_and_check_nothing_installed(bytes(data), tmp_path)
    assert run.trace == "fatal error\r\nBad download (55). 100% sure.\r\n"
