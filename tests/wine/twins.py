"""Twins: the simulated machine that `ocxmedic-sim import` makes of a Wine
machine from what a customer would send (a regedit export and the saved
status report), run with the same actions as the program under Wine and
compared with that run byte for byte.

A difference fails the test unless KNOWN_DIFFERENCES names it: a place
where Wine is known to behave unlike Windows, with the source for what
Windows does. Whatever else differs is a fault of the simulator, of the
import, or of Wine that nobody has explained yet.
"""

from __future__ import annotations

import json
import os
import re
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable

from wine_machine import MACHINES, TYPELIB, Session, check, run, run_captured, system_folder, windows_path

# What `import` reads: the keys a customer exports (see the README), the
# three below Control in one export, as each regedit run costs a process
# start under qemu.
EXPORTED_KEYS = (r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion",
                 r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control",
                 "HKEY_CLASSES_ROOT\\" + TYPELIB)
TYPELIB_KEY = "HKEY_CLASSES_ROOT\\" + TYPELIB

# The keys the stand-in control creates when registered and removes, with
# everything below them, when unregistered (tools/standin-control). Neither
# file a customer sends tells them; the test knows its own control.
STANDIN_REGISTERS = [f"{TYPELIB_KEY}\\2.1", f"{TYPELIB_KEY}\\2.1\\0", f"{TYPELIB_KEY}\\2.1\\0\\win32"]

# Machines whose twin also runs the full repair: the oldest 32-bit Windows,
# a 64-bit one, and the user whose temporary folder needs the best-fit
# conversion.
REPAIR_TWINS = {("win32", "winxp"), ("win64", "win7"), ("win64", "win10-pl")}


@dataclass(frozen=True)
class Difference:
    """One place where the Wine run and its twin differ."""

    aspect: str  # report, lines, keys (32-bit view), keys (64-bit view), files
    where: str
    wine: object
    twin: object

    def __str__(self) -> str:
        return f"{self.aspect}, {self.where}:\n    Wine {self.wine!r}\n    twin {self.twin!r}"


@dataclass(frozen=True)
class KnownDifference:
    """Where Wine is known to differ from Windows: what each does, and the
    source for Windows' behaviour."""

    wine: str
    windows: str
    source: str
    covers: Callable[[str, Difference], bool]  # (version, difference)


# Only what a twin can show belongs here; on the machines of these tests
# none has shown yet. Wine 8 differs from Windows in more places that a
# twin cannot show, as the twin then agrees with Wine: its
# HKEY_CLASSES_ROOT is HKLM\Software\Classes alone, while Windows merges
# HKCU\Software\Classes over it (Microsoft's "HKEY_CLASSES_ROOT Key"),
# and the export a twin is made of is then Wine's view too.
KNOWN_DIFFERENCES: tuple[KnownDifference, ...] = ()


def sim_available(s: Session) -> bool:
    return bool(getattr(s.env, "sim", None))


@dataclass
class WineState:
    """What the Wine run showed and left, in the terms the twin gives."""

    report: bytes = b""
    lines: list[str] | None = None
    keys: dict[str, list[str]] = field(default_factory=dict)  # by view
    files: list[tuple[str, int, str | None]] = field(default_factory=list)


def system_folders(arch: str) -> list[str]:
    """The folders a control file is looked for or backed up in."""
    return [r"C:\windows\system32"] + ([r"C:\windows\syswow64"] if arch == "win64" else [])


def file_commands(arch: str) -> list[str]:
    # The driver is a 32-bit program: on a 64-bit Windows its system32 is
    # syswow64, and the real one is reached as sysnative.
    return [f"files:{folder.replace('system32', 'sysnative') if arch == 'win64' else folder}\\MSCOMCTL.OCX*"
            for folder in system_folders(arch)]


def wine_files(arch: str, listings: list[dict]) -> list[tuple[str, int, str | None]]:
    """(folder\\name in lower-case folder spelling, size, version) of every
    control file the driver listed."""
    return sorted((f"{folder.lower()}\\{f['name']}", f["size"], f["version"])
                  for folder, listing in zip(system_folders(arch), listings) for f in listing["files"])


def read_export(path: Path) -> str:
    """A regedit file as text: UTF-16 with its byte-order mark for version 5,
    code page 1252 for REGEDIT4."""
    data = path.read_bytes()
    return data.decode("utf-16") if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data.decode("cp1252")


def regedit_export(s: Session, key: str, target: Path, bits: int = 64) -> str | None:
    """One key exported by the prefix's own regedit, of the architecture
    whose registry view is wanted; None when regedit wrote nothing, as for
    a key that is not there."""
    tool = "regedit" if bits == 64 or s.arch == "win32" else r"C:\windows\syswow64\regedit.exe"
    target.unlink(missing_ok=True)
    run_captured(["wine", tool, "/e", windows_path(target), key], s.wine, 120)
    return read_export(target) if target.exists() else None


def export_machine(s: Session, folder: Path) -> Path:
    """The customer's export: the keys each exported, joined under one header."""
    parts = []
    for number, key in enumerate(EXPORTED_KEYS, 1):
        text = regedit_export(s, key, folder / f"ocx{number}.reg")
        check(text is not None, f"regedit found no key {key}")
        parts.append(text.split("\n", 1)[1])
    export = folder / "EXPORT.reg"
    export.write_bytes("".join(["Windows Registry Editor Version 5.00\r\n", *parts]).encode("utf-16"))
    return export


def keys_below(text: str, key: str) -> list[str]:
    """The keys below `key` that a regedit export holds, named from it, in
    the export's order and spelling."""
    below = []
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]") and not line.startswith("[-"):
            name = line[1:-1]
            if name.lower().startswith(key.lower() + "\\"):
                below.append(name[len(key) + 1:])
    return below


def wine_keys(s: Session, folder: Path, native: str | None = None) -> dict[str, list[str]]:
    """The control's type-library keys in each registry view of the prefix;
    `native` is an export of them by the prefix's own regedit, made since
    the last change, which saves a process start."""
    views = {"keys (32-bit view)": 32, "keys (64-bit view)": 64} if s.arch == "win64" else {"keys": 32}
    keys = {}
    for view, bits in views.items():
        text = native if native is not None and (bits == 64 or s.arch == "win32") else \
            regedit_export(s, TYPELIB_KEY, folder / f"typelib-{bits}.reg", bits)
        keys[view] = keys_below(text or "", TYPELIB_KEY)
    return keys


def collect_before(s: Session, actions: tuple[str, ...] = ()) -> WineState:
    """The status report on the clipboard and the machine as the survey left
    it: the export, and the control files the profile's sizes come from.
    `actions` are driver commands to run after the report is taken."""
    results = s.drive("click:cmdStatus", "message", "clipboard", *file_commands(s.arch), *actions)
    state = WineState(report=bytes.fromhex(results[2]["text_hex"]))
    state.files = wine_files(s.arch, results[3:3 + len(system_folders(s.arch))])
    return state


class Twin:
    """The simulated twin of one Wine run: built from the run's export and
    report, completed with what the test knows of its own machine, run and
    compared."""

    def __init__(self, s: Session, before: WineState):
        self.s, self.before = s, before
        self.export: Path | None = None
        self.folder = s.env.work / "twins" / f"{s.prefix.name}"
        self.folder.mkdir(parents=True, exist_ok=True)

    def build(self, export: Path, clock: str | None = None) -> Path:
        report = self.folder / "REPORT.txt"
        report.write_bytes(self.before.report)
        profile = self.folder / "TWIN.json"
        code, out, err = run_captured([self.s.env.sim, "import", str(export), "--report", str(report), "--out",
                                       str(profile)], dict(os.environ), 120)
        check(code == 0 and out == "", f"ocxmedic-sim import failed with exit code {code}:\n{out}{err}")
        (self.folder / "import-notes.txt").write_text(err, encoding="utf-8")
        self.complete(profile, clock)
        return profile

    def complete(self, profile: Path, clock: str | None) -> None:
        """Facts that neither file tells and the import leaves to the default
        machine, set as the Wine machine has them."""
        twin = json.loads(profile.read_text(encoding="utf-8"))
        installed = [f for f in self.before.files
                     if f[0].lower() == f"c:\\windows\\{system_folder(self.s.arch)}\\mscomctl.ocx"]
        check(len(installed) == 1, f"one installed control before the run, found {self.before.files}")
        if twin["files"]:
            twin["files"][0]["size"] = installed[0][1]
            twin["files"][0]["registers"] = STANDIN_REGISTERS
        twin["payload"]["size"] = (self.s.env.win32_build / "standin-mscomctl-6.1.98.34.ocx").stat().st_size
        twin["payload"]["registers"] = STANDIN_REGISTERS
        machine = MACHINES[self.s.version]
        if machine.temp:
            # The report shows the folder as the ANSI call gave it; the user's
            # folder itself is named in UTF-16.
            twin["temp"] = machine.temp + "\\"
        if clock:
            twin["clock"] = {"now": clock}
        profile.write_text(json.dumps(twin, ensure_ascii=False, indent=1), encoding="utf-8")

    def run(self, profile: Path, *actions: str) -> dict:
        out = run([self.s.env.sim, "--machine", str(profile), *actions], dict(os.environ), 120, "ocxmedic-sim")
        (self.folder / "twin-run.json").write_text(out, encoding="utf-8")
        return json.loads(out)

    def state(self, result: dict, views: list[str]) -> WineState:
        """The twin's run in the terms of the Wine run, with its keys in
        each of the Wine run's registry views."""
        clip = result["clipboard"]
        state = WineState(report=clip.encode("cp1252") if clip is not None else b"",
                          lines=result["window"]["elements"]["lstStatus"]["lines"])
        keys = keys_below(result["machine"]["registry"], TYPELIB_KEY)
        # HKEY_CLASSES_ROOT lies outside SOFTWARE: both views see the same keys.
        state.keys = dict.fromkeys(views, keys)
        folders = [f.lower() for f in system_folders(self.s.arch)]
        for file in result["machine"]["files"]:
            folder, name = file["path"].rsplit("\\", 1)
            if folder.lower() in folders and name.upper().startswith("MSCOMCTL.OCX"):
                version = ".".join(map(str, file["version"])) if file["version"] else None
                state.files.append((f"{folder.lower()}\\{name}", file["size"], version))
        state.files.sort()
        return state


def differences(wine: WineState, twin: WineState) -> list[Difference]:
    found = []
    wine_lines, twin_lines = wine.report.split(b"\r\n"), twin.report.split(b"\r\n")
    for number in range(max(len(wine_lines), len(twin_lines))):
        pair = [lines[number] if number < len(lines) else None for lines in (wine_lines, twin_lines)]
        if pair[0] != pair[1]:
            found.append(Difference("report", f"line {number + 1}", *pair))
    if wine.lines is not None and wine.lines != twin.lines:
        found.append(Difference("lines", "status list after the run", wine.lines, twin.lines))
    for view, keys in wine.keys.items():
        if keys != twin.keys.get(view):
            found.append(Difference(view, f"keys below {TYPELIB_KEY}", keys, twin.keys.get(view)))
    if wine.files != twin.files:
        found.append(Difference("files", "control files in the system folders", wine.files, twin.files))
    return found


def judge(s: Session, wine: WineState, twin: WineState) -> None:
    """Fails on every difference that no known difference explains; those
    it explains are printed, so that the log shows what the list covered."""
    unexplained = []
    for difference in differences(wine, twin):
        known = [k for k in KNOWN_DIFFERENCES if k.covers(s.version, difference)]
        if known:
            print(f"known difference on {s.arch} {s.version}: {difference}\n  Wine: {known[0].wine}\n"
                  f"  Windows: {known[0].windows} ({known[0].source})")
        else:
            unexplained.append(str(difference))
    check(not unexplained, f"the twin ({s.env.work / 'twins' / s.prefix.name}) differs from the Wine run:\n  "
          + "\n  ".join(unexplained))


def survey(s: Session) -> None:
    """The survey's twin: the report and the machine as the program found
    it, the program closed in between."""
    before = collect_before(s, ("close", "ended"))
    # The survey found the status list empty, and the report leaves it so.
    before.lines = []
    s.settle()
    twin = Twin(s, before)
    export = export_machine(s, twin.folder)
    typelib = twin.folder / f"ocx{EXPORTED_KEYS.index(TYPELIB_KEY) + 1}.reg"
    before.keys = wine_keys(s, twin.folder, read_export(typelib))
    profile = twin.build(export)
    judge(s, before, twin.state(twin.run(profile, "click:cmdStatus", "close"), list(before.keys)))


def repair_wanted(s: Session) -> bool:
    return sim_available(s) and (s.arch, s.version) in REPAIR_TWINS


def before_repair(s: Session) -> Twin:
    """The report and the export before the run, while the program waits
    with its survey shown."""
    twin = Twin(s, collect_before(s))
    twin.export = export_machine(s, twin.folder)
    return twin


BACKUP_TIME = re.compile(r"_Backup_(\d{4}-\d\d-\d\d) (\d\d)\.(\d\d)\.(\d\d)")


def after_repair(s: Session, twin: Twin, lines: list[str]) -> None:
    """The twin of a full repair, on the clock of the Wine run's backup name,
    against the status lines, keys and files the Wine run left."""
    s.settle()
    listings = s.drive(*file_commands(s.arch), window=False)
    after = WineState(report=twin.before.report, lines=lines, files=wine_files(s.arch, listings),
                      keys=wine_keys(s, twin.folder))
    stamp = next((m for m in map(BACKUP_TIME.search, lines) if m), None)
    check(stamp is not None, f"no backup name in the status lines {lines}")
    profile = twin.build(twin.export, f"{stamp[1]} {stamp[2]}:{stamp[3]}:{stamp[4]}")
    judge(s, after, twin.state(twin.run(profile, "click:cmdStatus", "click:cmdGo"), list(after.keys)))


__all__ = ["KNOWN_DIFFERENCES", "Difference", "KnownDifference", "after_repair", "before_repair", "repair_wanted",
           "sim_available", "survey"]
