#!/usr/bin/env python3
"""Writes LIESMICH.txt for the person at the customer's machine from its
UTF-8 source: the program's version filled in, in code page 1252 with CRLF
line ends, as Notepad on Windows XP reads a text file.

    make_liesmich.py SOURCE VERSION OUTPUT
"""

import sys
from pathlib import Path


def main(source: str, version: str, output: str) -> int:
    text = Path(source).read_text(encoding="utf-8").replace("@VERSION@", version)
    # Strict: a character that code page 1252 lacks would turn into a '?'
    # on the customer's screen, so it stops the build instead.
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
    Path(output).write_bytes(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
