#!/usr/bin/env python3
"""Checks that a file can be what Ocxmedic carries as its resource CUSTOM 101:
Microsoft's MSCOMCTL.OCX 6.1.98.34, which the repair copies into the system
folder and hands to regsvr32.

    check_payload.py FILE

Prints nothing and exits 0 when the file passes; otherwise prints the first
check it fails, as a phrase that completes "the payload ...", and exits 1.
The checks are those a wrong file would fail on a customer's machine: a
64-bit or non-DLL file that regsvr32 cannot load, a file without the two
entry points, another version of the control, or a file of another size.

The PE reader is small on purpose and is shared with the tests, which use it
to find the payload again inside the built program.
"""

import struct
import sys
from pathlib import Path

GENUINE_VERSION = (6, 1, 98, 34)
GENUINE_SIZE = 1_070_152
REQUIRED_EXPORTS = ("DllRegisterServer", "DllUnregisterServer")

MACHINE_I386 = 0x14C
OPTIONAL_PE32 = 0x10B
FILE_IS_DLL = 0x2000
DIRECTORY_EXPORT = 0
DIRECTORY_RESOURCE = 2
RT_VERSION = 16
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class NotAPayload(Exception):
    """The first check that a file fails."""


class PeFile:
    """The headers, exports and resources of a PE32 image; every read is
    bounds-checked and a malformed image raises NotAPayload."""

    def __init__(self, data: bytes):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise NotAPayload("is not a Windows DLL (no MZ header)")
        pe = self.u32(0x3C)
        if self.bytes_at(pe, 4) != b"PE\0\0":
            raise NotAPayload("is not a Windows DLL (no PE signature)")
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = self.u16(optional)
        self.sections = []
        for index in range(sections):
            entry = optional + optional_size + 40 * index
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", self.bytes_at(entry + 8, 16))
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_offset, raw_size))
        self.directories = []
        if self.magic == OPTIONAL_PE32:
            count = self.u32(optional + 92)
            for index in range(min(count, 16)):
                self.directories.append(struct.unpack_from("<II", self.bytes_at(optional + 96 + 8 * index, 8)))

    def bytes_at(self, offset: int, length: int) -> bytes:
        if offset < 0 or offset + length > len(self.data):
            raise NotAPayload("is a damaged PE image (a header points past its end)")
        return self.data[offset:offset + length]

    def u16(self, offset: int) -> int:
        return struct.unpack("<H", self.bytes_at(offset, 2))[0]

    def u32(self, offset: int) -> int:
        return struct.unpack("<I", self.bytes_at(offset, 4))[0]

    def offset_of(self, rva: int) -> int:
        for virtual_address, size, raw_offset, raw_size in self.sections:
            if virtual_address <= rva < virtual_address + size and rva - virtual_address < raw_size:
                return raw_offset + rva - virtual_address
        raise NotAPayload("is a damaged PE image (an address lies in no section)")

    def c_string(self, offset: int) -> str:
        end = self.data.find(b"\0", offset)
        if offset >= len(self.data) or end < 0:
            raise NotAPayload("is a damaged PE image (an unterminated name)")
        return self.data[offset:end].decode("latin-1")

    def directory(self, index: int):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def exported_names(self) -> list:
        rva, size = self.directory(DIRECTORY_EXPORT)
        if rva == 0 or size == 0:
            return []
        table = self.offset_of(rva)
        count = self.u32(table + 24)
        names = self.offset_of(self.u32(table + 32))
        return [self.c_string(self.offset_of(self.u32(names + 4 * i))) for i in range(count)]

    def resource(self, type_key, name_key):
        """The data of the first resource of that type and name, in any
        language; a key is a number or a name such as "CUSTOM"."""
        rva, size = self.directory(DIRECTORY_RESOURCE)
        if rva == 0 or size == 0:
            return None
        base = self.offset_of(rva)
        by_type = self._entry(base, base, type_key)
        by_name = by_type is not None and self._entry(base, base + by_type, name_key)
        if not by_name:
            return None
        languages = base + by_name
        if self.u16(languages + 12) + self.u16(languages + 14) == 0:
            return None
        leaf = base + (self.u32(languages + 16 + 4) & 0x7FFFFFFF)
        data_rva, data_size = struct.unpack_from("<II", self.bytes_at(leaf, 8))
        return self.bytes_at(self.offset_of(data_rva), data_size)

    def _entry(self, base: int, table: int, key):
        """The offset (from `base`) of the subdirectory that `key` leads to."""
        count = self.u16(table + 12) + self.u16(table + 14)
        for index in range(count):
            name, target = struct.unpack_from("<II", self.bytes_at(table + 16 + 8 * index, 8))
            if name & 0x80000000:
                text = base + (name & 0x7FFFFFFF)
                length = self.u16(text)
                matches = self.bytes_at(text + 2, 2 * length).decode("utf-16-le") == key
            else:
                matches = name == key
            if matches and target & 0x80000000:
                return target & 0x7FFFFFFF
        return None


def file_version(pe: PeFile):
    """The four parts of the file version in the version resource, or None."""
    block = pe.resource(RT_VERSION, 1)
    if block is None:
        return None
    # VS_VERSIONINFO: three 16-bit fields, the key "VS_VERSION_INFO" and its
    # NUL in UTF-16, padding to 32 bits, then VS_FIXEDFILEINFO.
    fixed = (6 + 2 * len("VS_VERSION_INFO\0") + 3) & ~3
    if len(block) < fixed + 16:
        return None
    signature, _, high, low = struct.unpack_from("<IIII", block, fixed)
    if signature != FIXED_FILE_INFO_SIGNATURE:
        return None
    return (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)


def check(data: bytes) -> None:
    """Raises NotAPayload naming the first check the bytes fail."""
    pe = PeFile(data)
    if pe.machine != MACHINE_I386 or pe.magic != OPTIONAL_PE32:
        raise NotAPayload(f"is not a 32-bit (i386) image: machine 0x{pe.machine:04x}, "
                          f"optional header 0x{pe.magic:03x}")
    if not pe.characteristics & FILE_IS_DLL:
        raise NotAPayload("is a program, not a DLL")
    version = file_version(pe)
    if version is None:
        raise NotAPayload("has no version resource")
    if version != GENUINE_VERSION:
        raise NotAPayload("is version {}, not {}".format(".".join(map(str, version)),
                                                        ".".join(map(str, GENUINE_VERSION))))
    exported = pe.exported_names()
    missing = [name for name in REQUIRED_EXPORTS if name not in exported]
    if missing:
        raise NotAPayload("does not export " + " and ".join(missing))
    if len(data) != GENUINE_SIZE:
        raise NotAPayload(f"is {len(data):,} bytes long, not {GENUINE_SIZE:,}")


def main(argv) -> int:
    if len(argv) != 2:
        print("usage: check_payload.py FILE", file=sys.stderr)
        return 2
    try:
        check(Path(argv[1]).read_bytes())
    except OSError as error:
        print(f"cannot be read: {error.strerror}")
        return 1
    except NotAPayload as failure:
        print(failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
