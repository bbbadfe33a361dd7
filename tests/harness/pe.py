"""Just enough of the PE format for tests: where a section lies in the file."""

import struct


def find_section(data: bytes, name: str = ".setup") -> tuple[int, int]:
    """(file position, raw size) of the named section."""
    pe = struct.unpack_from("<I", data, 60)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    wanted = name.encode().ljust(8, b"\0")
    for i in range(count):
        entry = table + 40 * i
        if data[entry:entry + 8] == wanted:
            raw_size, position = struct.unpack_from("<II", data, entry + 16)
            return position, raw_size
    raise KeyError(name)
