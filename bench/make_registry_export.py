#!/usr/bin/env python3
"""Writes a large registry export as regedit writes one, for the simulator's
load and export benchmarks: the same seed and size give the same file.

    bench/make_registry_export.py --size-mb 50 --seed 1 build/bench/reg-50.reg

The file is UTF-16LE with a byte-order mark, "Windows Registry Editor Version
5.00" and CR LF line ends (--encoding utf8 or regedit4 for the other forms
the simulator reads). Its structure is what real machines export: wide trees
of class ids with their usual subkeys, deep chains of nested keys, keys with
many values, long binary values wrapped over continuation lines, every value
kind, and key and value names in German, Greek and Cyrillic. Now and then a
key section names a key again in another case, deletes a key or a value, so
that comparisons without regard to case and deletions take part.
"""

import argparse
import random
import sys

# Names outside ASCII; each also appears in another case later in the file.
WORDS = [
    "Einstellungen", "Übersicht", "Größe", "Ärzte", "Öffnen", "Schlüssel", "Straße", "Menü",
    "Ρυθμίσεις", "Λογισμικό", "Σύστημα", "Ελληνικά",
    "Настройки", "Программы", "Система", "Ёлка", "Шрифты",
    "Software", "Microsoft", "Windows", "Explorer", "Shell", "Policies", "Control", "Services",
]
CLSID_SUBKEYS = ["InprocServer32", "ProgID", "VersionIndependentProgID", "TypeLib", "Implemented Categories",
                 "ToolboxBitmap32", "MiscStatus", "Control", "Verb", "DefaultIcon"]


def casevariant(rng, name):
    choice = rng.randrange(3)
    if choice == 0:
        return name.upper()
    if choice == 1:
        return name.lower()
    return "".join(c.upper() if rng.random() < 0.5 else c.lower() for c in name)


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def hex_lines(prefix, data):
    """`prefix` (up to and including the colon) and the bytes as regedit
    wraps them: a break after the comma that takes the line past 76
    characters, continuation lines indented by two spaces."""
    if not data:
        return prefix + "\r\n"
    text = data.hex(",")
    parts = []
    first = 1 if len(prefix) > 76 else (76 - len(prefix)) // 3 + 1
    pos = min(first, len(data))
    parts.append(prefix + text[: pos * 3 - 1])
    while pos < len(data):
        end = min(pos + 25, len(data))
        parts.append("  " + text[pos * 3 : end * 3 - 1])
        pos = end
    return ",\\\r\n".join(parts) + "\r\n"


class Generator:
    def __init__(self, seed, unicode_text):
        self.rng = random.Random(seed)
        self.unicode = unicode_text
        self.named = []  # full key paths written so far, for case variants and deletions

    def guid(self):
        r = self.rng.getrandbits(128)
        h = f"{r:032X}"
        return "{" + f"{h[0:8]}-{h[8:12]}-{h[12:16]}-{h[16:20]}-{h[20:32]}" + "}"

    def name(self):
        rng = self.rng
        word = rng.choice(WORDS)
        return word if rng.random() < 0.5 else f"{word} {rng.randrange(1000)}"

    def text_data(self, text):
        if self.unicode:
            return (text + "\0").encode("utf-16-le")
        return (text + "\0").encode("cp1252", "replace")

    def value(self, name):
        rng = self.rng
        left = "@" if name == "" else quoted(name)
        kind = rng.randrange(10)
        if kind < 4:
            text = rng.choice(["C:\\Windows\\system32\\", "%SystemRoot%\\", "Größe ", "Ελληνικά ", "Текст ", ""])
            return f"{left}={quoted(text + str(rng.randrange(10 ** 6)))}\r\n"
        if kind == 4:
            return f"{left}=dword:{rng.getrandbits(32):08x}\r\n"
        if kind == 5:
            # Mostly short, now and then a blob of a few kilobytes.
            size = rng.choices([0, 4, 16, 64, 300, 2000, 8000], weights=[5, 30, 30, 20, 10, 4, 1])[0]
            return hex_lines(f"{left}=hex:", rng.randbytes(size))
        if kind == 6:
            return hex_lines(f"{left}=hex(2):", self.text_data(f"%ProgramFiles%\\Ölbild {rng.randrange(999)}"))
        if kind == 7:
            items = [rng.choice(WORDS) for _ in range(rng.randrange(1, 6))]
            data = b"".join(self.text_data(item) for item in items) + self.text_data("")
            return hex_lines(f"{left}=hex(7):", data)
        if kind == 8:
            return hex_lines(f"{left}=hex(b):", rng.randbytes(8))
        return hex_lines(f"{left}=hex({rng.choice(['0', '1', '3', '4', '5', '8', 'a'])}):",
                         rng.randbytes(rng.randrange(0, 40)))

    def section(self, path, values):
        self.named.append(path)
        return "\r\n[" + path + "]\r\n" + "".join(values)

    def clsid_tree(self, root):
        """One class id as COM registers it, under `root`."""
        rng = self.rng
        base = root + "\\" + self.guid()
        out = [self.section(base, [f"@={quoted('Lumarest ' + self.name())}\r\n"])]
        for sub in sorted(rng.sample(CLSID_SUBKEYS, rng.randrange(2, 6)), key=str.upper):
            values = []
            if sub == "InprocServer32":
                server = "C:\\Windows\\SysWOW64\\" + rng.choice(WORDS) + ".ocx"
                values = ["@=" + quoted(server) + "\r\n", '"ThreadingModel"="Apartment"\r\n']
            elif sub in ("ProgID", "VersionIndependentProgID", "TypeLib", "DefaultIcon"):
                values = [f"@={quoted(self.name())}\r\n"]
            out.append(self.section(base + "\\" + sub, values))
        return "".join(out)

    def deep_chain(self, root):
        rng = self.rng
        path = root
        out = []
        for _ in range(rng.randrange(5, 25)):
            path += "\\" + self.name()
            out.append(self.section(path, [self.value(self.name()) for _ in range(rng.randrange(0, 3))]))
        return "".join(out)

    def many_values(self, root):
        rng = self.rng
        names = []
        for i in range(rng.randrange(10, 60)):
            names.append(f"{self.name()} {i}")
        values = [self.value("")] + [self.value(n) for n in names]
        return self.section(root + "\\" + self.name() + f" {rng.randrange(10 ** 6)}", values)

    def revisit(self):
        """A key written before, named in another case: its values join the
        key's, and one of them is set again or deleted."""
        rng = self.rng
        path = rng.choice(self.named)
        parts = path.split("\\")
        spelled = "\\".join([parts[0]] + [casevariant(rng, p) for p in parts[1:]])
        choice = rng.randrange(6)
        if choice == 0 and len(parts) > 2:
            return f"\r\n[-{spelled}]\r\n"
        name = self.name()
        lines = [self.value(name), f"{quoted(casevariant(rng, name))}=-\r\n" if choice == 1 else self.value(
            casevariant(rng, name))]
        return "\r\n[" + spelled + "]\r\n" + "".join(lines)

    def blocks(self):
        rng = self.rng
        roots = {
            "clsid": ["HKEY_CLASSES_ROOT\\CLSID", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID",
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Classes\\CLSID"],
            "deep": ["HKEY_CURRENT_USER\\Software", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Lumarest",
                     "HKEY_USERS\\S-1-5-21-1004\\Software"],
            "values": ["HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services",
                       "HKEY_CURRENT_CONFIG\\Software\\Fonts"],
        }
        for group in roots.values():
            for root in group:
                parts = root.split("\\")
                for i in range(2, len(parts) + 1):
                    yield self.section("\\".join(parts[:i]), [])
        while True:
            pick = rng.random()
            if pick < 0.75:
                yield self.clsid_tree(rng.choice(roots["clsid"]))
            elif pick < 0.85:
                yield self.deep_chain(rng.choice(roots["deep"]))
            elif pick < 0.93:
                yield self.many_values(rng.choice(roots["values"]))
            else:
                yield self.revisit()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("output")
    parser.add_argument("--size-mb", type=float, required=True, help="size of the file in MB (10^6 bytes)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--encoding", choices=["utf16", "utf8", "regedit4"], default="utf16")
    args = parser.parse_args()

    target = int(args.size_mb * 1_000_000)
    if args.encoding == "utf16":
        header, codec, bom = "Windows Registry Editor Version 5.00\r\n", "utf-16-le", b"\xff\xfe"
    elif args.encoding == "utf8":
        header, codec, bom = "Windows Registry Editor Version 5.00\r\n", "utf-8", b"\xef\xbb\xbf"
    else:
        header, codec, bom = "REGEDIT4\r\n", "cp1252", b""
    generator = Generator(args.seed, args.encoding != "regedit4")
    written = 0
    with open(args.output, "wb") as out:
        chunk = bom + header.encode(codec)
        for block in generator.blocks():
            out.write(chunk)
            written += len(chunk)
            if written >= target:
                break
            chunk = block.encode(codec, "replace")
        out.write("\r\n".encode(codec))
    return 0


if __name__ == "__main__":
    sys.exit(main())
