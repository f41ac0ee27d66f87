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

The image is read with pefile (Debian's python3-pefile) through
tools/pe_image.py, which the tests share.
"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tools"))
import pe_image  # noqa: E402 (found through the line above)

GENUINE_VERSION = (6, 1, 98, 34)
GENUINE_SIZE = 1_070_152
REQUIRED_EXPORTS = ("DllRegisterServer", "DllUnregisterServer")

# pefile names the header it missed only in the words of its error, such as
# "DOS Header magic not found." or "Invalid NT Headers signature.".
NOT_A_PE = (("DOS Header", "no MZ header"), ("ZM Executable", "no MZ header"),
            ("e_lfanew", "no PE signature"), ("NT Headers", "no PE signature"))


class NotAPayload(Exception):
    """The first check that a file fails."""


def read(data: bytes):
    try:
        return pe_image.load(data)
    except pe_image.PEFormatError as error:
        reason = str(error.value).rstrip(".")
        missing = next((header for words, header in NOT_A_PE if words in reason), None)
        if missing:
            raise NotAPayload(f"is not a Windows DLL ({missing})") from error
        raise NotAPayload(f"is a damaged PE image ({reason})") from error


def check(data: bytes) -> None:
    """Raises NotAPayload naming the first check the bytes fail."""
    pe = read(data)
    machine, magic = pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Magic
    if machine != pe_image.MACHINE_I386 or magic != pe_image.OPTIONAL_PE32:
        raise NotAPayload(f"is not a 32-bit (i386) image: machine 0x{machine:04x}, optional header 0x{magic:03x}")
    if not pe.FILE_HEADER.Characteristics & pe_image.FILE_IS_DLL:
        raise NotAPayload("is a program, not a DLL")
    version = pe_image.file_version(pe)
    if version is None:
        raise NotAPayload("has no version resource")
    if version != GENUINE_VERSION:
        raise NotAPayload("is version {}, not {}".format(".".join(map(str, version)),
                                                        ".".join(map(str, GENUINE_VERSION))))
    exported = pe_image.exported_names(pe)
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
