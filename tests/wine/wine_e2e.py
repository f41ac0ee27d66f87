#!/usr/bin/env python3
"""End-to-end tests: the real Ocxmedic.exe in Wine prefixes prepared as broken
machines, worked through the UI driver (tools/ui-driver) like a user would.

One CTest test runs one step of this script:

  base --arch A              a fresh prefix with the old control installed
  machine --arch A --version V
                             a copy of it that reports Windows version V
  SCENARIO --arch A --version V
                             the program run on a copy of that machine
  contact-sheet --cells ARCH/VERSION...
                             the survey screenshots of those cells on one image

Exit codes: 0 passed, 1 failed, 77 skipped (Wine cannot be had here; with
CI=true that is a failure instead).
"""

from __future__ import annotations

import argparse
import datetime as dt
import json
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
from pathlib import Path
from types import SimpleNamespace

# The prefixes, processes and screens of the library under tools/, imported
# without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from wine_machine import (ARCHES, MACHINES, NEW_VERSION, OLD_VERSION, SKIP, TYPELIB, Env, Failure,  # noqa: E402
                          Session, Unavailable, check, check_available, kill_wineserver, make_base, make_machine,
                          run, system_folder)
import twins  # noqa: E402


class TestEnv(Env):
    """The machines' folders and build, and the simulator that names the
    product from the facts a prefix reports."""

    def __init__(self, work: Path, win32_build: Path, sim: str | None):
        super().__init__(work, win32_build)
        self.sim = sim


def check_equal(actual, expected, what: str) -> None:
    if actual != expected:
        raise Failure(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")


# --- the program's own texts ---------------------------------------------


def load_texts(source_dir: Path) -> dict[str, str]:
    """The constants of app/texts.h, so that the tests expect exactly what
    the program is meant to show."""
    source = (source_dir / "app" / "texts.h").read_text(encoding="utf-8")
    texts = {}
    for match in re.finditer(r"inline constexpr char (k\w+)\[\]\s*=\s*(.*?);", source, re.S):
        literals = re.findall(r'"((?:[^"\\]|\\.)*)"', match.group(2))
        texts[match.group(1)] = "".join(re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(
            m.group(1), m.group(1)), lit) for lit in literals)
    # The version the caption ends in is the project's.
    texts["version"] = re.search(r"project\(Ocxmedic VERSION ([0-9.]+)", (source_dir / "CMakeLists.txt").read_text())[1]
    return texts


# --- what the tests read from the driver's output ----------------------------


def elements(dump: dict) -> dict[str, dict]:
    return {e["name"]: e for e in dump["elements"] if e["name"]}


# The survey's rows by index, with the text of their titles.
SURVEY_ROWS = ((0, "kRowWindows"), (5, "kRowInstalled"), (6, "kRowAvailable"), (7, "kRowRegPath20"),
               (8, "kRowRegPath21"))


def status_report(values: dict[int, str], checks: list[int], lines: list[str], texts: dict[str, str]) -> bytes:
    """The report as cmdStatus copies it: survey rows, option boxes in the
    order of OPTIONS with their values, then the status lines."""
    text = "".join(f"{texts[title]}\t{values[i]}\r\n" for i, title in SURVEY_ROWS) + "\r\n"
    captions = (texts["kChkReplaceControl"], texts["kChkReRegisterControl"], texts["kChkKillRegPath"])
    text += "".join(f"{caption}:\t{texts['kSelected'] if value == 1 else texts['kNotSelected']}\r\n"
                    for caption, value in zip(captions, checks))
    text += "".join(f"\r\n{line}" for line in lines)
    return text.encode("cp1252")


OPTIONS = ("chkReplaceControl", "chkReRegisterControl", "chkKillRegPath")


def clipboard_text(clip: dict) -> bytes:
    """The standard text's bytes, once the Unicode text is found to say the same."""
    text = bytes.fromhex(clip["text_hex"])
    check_equal(clip["unicode"], text.decode("cp1252"), "the Unicode text against the standard text")
    return text


def check_message(box: dict, texts: dict[str, str], kind: str, icon: str) -> None:
    """A message box with the title and text of that kind and an OK button only."""
    check_equal((box["title"], box["text"], box["icon"], box["buttons"]),
                (texts[f"k{kind}Title"], texts[f"k{kind}Text"], icon, ["OK"]), f"the {kind} message")


def check_layout(dump: dict) -> None:
    """Every control where the design puts it, scaled from twips to the DPI
    the window is laid out at."""
    dpi = dump["layout_dpi"]

    def px(twips: int) -> int:
        return round(twips * dpi / 1440)

    design_client = [px(dump["design"]["client_width"]), px(dump["design"]["client_height"])]
    problems = []
    if any(abs(a - b) > 1 for a, b in zip(dump["client_size"], design_client)):
        problems.append(f"client area {dump['client_size']} instead of {design_client}")
    by_name = elements(dump)
    for name, element in by_name.items():
        design = element.get("design")
        if design is None:
            continue
        left, top = design["left"], design["top"]
        if design["container"]:
            frame = by_name[design["container"]]["design"]
            left, top = left + frame["left"], top + frame["top"]
        want = [px(left), px(top), px(left + design["width"]) - px(left), px(top + design["height"]) - px(top)]
        if any(abs(a - b) > 1 for a, b in zip(element["rect"], want)):
            problems.append(f"{name} at {element['rect']} instead of {want}")
    check(not problems, "layout differs from the design:\n  " + "\n  ".join(problems))


def check_texts_fit(dump: dict) -> None:
    """Every caption complete inside its control, measured in its font."""
    scale = dump["layout_dpi"] / 96
    # Room that the control itself takes from its text: the box of a check
    # box, the border of a button, the line of a frame on both sides.
    reserve = {"checkbox": 20 * scale, "button": 8 * scale, "frame": 16 * scale, "label": 0}
    problems = []
    for name, element in elements(dump).items():
        kind, extent = element["kind"], element.get("extent")
        if kind not in reserve or extent is None or not element["text"]:
            continue
        width, height = element["rect"][2], element["rect"][3]
        if extent[0] + reserve[kind] > width or (kind != "frame" and extent[1] > height):
            problems.append(f"{name} needs {extent} for {element['text']!r}, has {[width, height]}")
    check(not problems, "texts do not fit:\n  " + "\n  ".join(problems))


# --- scenarios ---------------------------------------------------------------


def start_and_survey(s: Session, texts: dict[str, str], exe: Path | None = None,
                     cwd: Path | None = None) -> SimpleNamespace:
    """Starts the program and checks what it found; returns the first dump,
    the paths of the installed control and of its temporary copy, and the
    survey's values."""
    s.start(exe, cwd)
    dump, facts = s.drive("dump", "osfacts")
    machine, os_facts = MACHINES[s.version], facts["os"]
    check_equal(tuple(os_facts[k] for k in ("major", "minor", "build", "csd", "product_type", "lang_id")),
                (*machine.reported, machine.language), f"version and language the prefix reports as {s.version}")
    if machine.temp:
        check_equal(facts["temp"], machine.temp + "\\", "the user's temporary folder")
    check_equal(dump["caption"], texts["kWindowCaption"] + " " + texts["version"], "caption")
    shown = elements(dump)
    major, minor, build, csd, _ = machine.reported
    tail = f" {64 if s.arch == 'win64' else 32} Bit (Version {major}.{minor}.{build}) {csd}"
    line = shown["lblSysInfoText(0)"]["text"]
    check(line.startswith(machine.name_start) and line.endswith(tail),
          f"Windows line {line!r} is not {machine.name_start!r}...{tail!r}")
    if s.env.sim:
        # The simulator, fed the facts this Wine reports, names the product
        # in full; without it, the line's own name is taken.
        profile = s.env.work / "runs" / f"osinfo-{s.arch}-{s.version}.json"
        profile.write_text(json.dumps({"os": {"wow64_query": "present", **os_facts}}), encoding="utf-8")
        out = run([s.env.sim, "osinfo", "--machine", str(profile)], dict(os.environ), 60, "ocxmedic-sim osinfo")
        check_equal(line[:-len(tail)], json.loads(out)["Name"], "product name against the simulator's")
    folder = "SysWOW64" if s.arch == "win64" else "system32"
    temp = machine.ansi_temp + "\\" if machine.ansi_temp else facts["temp"]
    found = SimpleNamespace(dump=dump, installed=rf"C:\windows\{folder}\MSCOMCTL.OCX", temp_copy=temp + "MSCOMCTL.OCX")
    found.values = {0: line, 5: found.installed + texts["kVersionInfix"] + "6.01.98.33",
                    6: found.temp_copy + texts["kVersionInfix"] + "6.01.98.34", 7: texts["kRegPathPresent20"],
                    8: texts["kRegPathPresent21"]}
    for index, title in SURVEY_ROWS:
        check_equal(shown[f"lblSysInfoLabel({index})"]["text"], texts[title], f"row title {index}")
        check_equal(shown[f"lblSysInfoText({index})"]["text"], found.values[index], f"survey row {index}")
    for option in OPTIONS:
        check_equal((shown[option]["check"], shown[option]["enabled"]), (1, True), f"{option} after the survey")
    check_equal(shown["lstStatus"]["lines"], [], "status list at start")
    check_equal(dump["focus"], "cmdGo", "focus at start")
    return found


def check_machine(s: Session, found: SimpleNamespace, **wanted) -> None:
    """Once the program and every regsvr32 it started have ended, the named
    parts of the machine: the control files in the system folder, the
    versions of the temporary copy, keys 2.0 and 2.1, and the file that key
    2.1 names (in lower case)."""
    s.settle()
    files, temp, key20, key21, path21 = s.drive(
        f"files:{found.installed}*", f"files:{found.temp_copy}",
        *(f"reg:HKCR\\{TYPELIB}\\{key}" for key in ("2.0", "2.1", "2.1\\0\\win32")), window=False)
    state = {"files": {f["name"]: f["version"] for f in files["files"]}, "temp": [f["version"] for f in temp["files"]],
             "key20": key20["exists"], "key21": key21["exists"], "path21": (path21.get("default") or "").lower()}
    check_equal({name: state[name] for name in wanted}, wanted, "the machine after the run")


# A button-text colour that no theme uses for anything.
BUTTON_TEXT = (0, 128, 0)


def scenario_survey(s: Session, texts: dict[str, str], settings: bool = False) -> None:
    """The window after the survey; with `settings`, under a user's large
    fonts (120 DPI) and button-text colour: the layout scales, the texts
    still fit, and frame captions take that colour, also where the theme
    would draw group-box captions in a colour of its own."""
    dpi = 120 if settings else 96
    if settings:
        # The window outgrows 1024x768 at this size; the desktop grows too.
        s.import_registry(
            screen_settings(1280, 1024, dpi) +
            "[HKEY_CURRENT_USER\\Control Panel\\Colors]\r\n"
            f"\"ButtonText\"=\"{' '.join(map(str, BUTTON_TEXT))}\"\r\n\r\n")
    dump = start_and_survey(s, texts).dump
    check_equal((dump["dpi"], dump["layout_dpi"]), (dpi, dpi), "DPI of the screen and of the window's layout")
    style = dump["style"]
    check(style["sysmenu"] and not style["minimize_box"] and not style["maximize_box"] and not style["sizing"],
          f"window style {style}: a fixed window with a close box only")
    s.screenshot(dump["window_rect"], screenshot_path(s.env, s.arch, s.version, "settings" if settings else ""))
    check_layout(dump)
    check_texts_fit(dump)
    if settings:
        check_frame_colours(s, dump)
    if settings or not twins.sim_available(s):
        s.drive("close", "ended")
    else:
        twins.survey(s)


def check_frame_colours(s: Session, dump: dict) -> None:
    origin_x, origin_y = dump["client_origin"]
    frames = [e for e in dump["elements"] if e["kind"] == "frame"]
    check(len(frames) == 3, f"three frames expected, found {[e['name'] for e in frames]}")
    for frame in frames:
        x, y, width, _ = frame["rect"]
        text_width, text_height = frame["extent"]
        # The caption sits on the frame's top line, a little in from its left.
        strip = [origin_x + x, origin_y + y, min(width, text_width + 24), text_height + 2]
        picture = s.env.work / "screenshots" / f"caption-{frame['name']}-{s.arch}-{s.version}.ppm"
        run(["/usr/bin/import", "-display", s.display, "-window", "root", "-crop",
             f"{strip[2]}x{strip[3]}+{strip[0]}+{strip[1]}", "+repage", "-depth", "8", str(picture)], s.wine, 60,
            "import")
        pixels = picture.read_bytes()[-strip[2] * strip[3] * 3:]  # 8-bit binary PPM: the header, then the pixels
        in_colour = sum(1 for i in range(0, len(pixels), 3) if tuple(pixels[i:i + 3]) == BUTTON_TEXT)
        # A caption of a few letters has dozens of pixels fully in its colour.
        check(in_colour >= 20, f"caption {frame['text']!r} of {frame['name']} has {in_colour} pixels in the "
              f"button-text colour {BUTTON_TEXT} (see {picture})")


def screen_settings(width: int, height: int, dpi: int) -> str:
    """Registry settings of a screen: the DPI of the user's fonts and the
    size of the desktop the program shows on."""
    return ("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
            f"\"LogPixels\"=dword:{dpi:08x}\r\n\r\n"
            "[HKEY_CURRENT_CONFIG\\Software\\Fonts]\r\n"
            f"\"LogPixels\"=dword:{dpi:08x}\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"
            f"\"Default\"=\"{width}x{height}\"\r\n\r\n")


def scenario_small_screen(s: Session, texts: dict[str, str], width: int, height: int, dpi: int) -> None:
    """A screen too small for the window at its DPI: the window shrinks,
    fonts included, to the largest scale at which all of it lies in the work
    area, but not below the 96-DPI layout while that fits; every text still
    fits, and the bottom buttons work when clicked at their centre."""
    s.import_registry(screen_settings(width, height, dpi))
    dump = start_and_survey(s, texts).dump
    s.screenshot(dump["window_rect"], screenshot_path(s.env, s.arch, s.version, f"{width}x{height}-{dpi}dpi"))
    check_equal(dump["dpi"], dpi, "DPI of the screen")
    left, top, w, h = dump["window_rect"]
    work_left, work_top, work_width, work_height = dump["work_area"]
    check(work_left <= left and work_top <= top and left + w <= work_left + work_width
          and top + h <= work_top + work_height, f"window {dump['window_rect']} outside the work area {dump['work_area']}")

    frame = (w - dump["client_size"][0], h - dump["client_size"][1])

    def fits(scale: int) -> bool:
        size = (round(dump["design"]["client_width"] * scale / 1440), round(dump["design"]["client_height"] * scale / 1440))
        return all(size[i] + frame[i] <= dump["work_area"][2 + i] for i in (0, 1))

    layout_dpi = dump["layout_dpi"]
    check(layout_dpi <= dpi and (layout_dpi == dpi or not fits(layout_dpi + 1)),
          f"laid out at {layout_dpi} DPI, though a larger scale fits the work area {dump['work_area']}")
    check(layout_dpi >= 96 or not fits(96), f"laid out at {layout_dpi} DPI, below the 96-DPI window that fits")
    check_layout(dump)
    check_texts_fit(dump)
    _, box, _, ended = s.drive("click-at:cmdStatus", "message", "click-at:cmdExit", "ended")
    check_message(box, texts, "ReportCopied", "information")
    check_equal(ended["exit_code"], 0, "exit code after a click on cmdExit")


# Screens a laptop or a netbook has, at the DPI of their usual settings.
SMALL_SCREENS = ((1366, 768, 120), (1366, 768, 144), (1024, 600, 96))


def scenario_repair(s: Session, texts: dict[str, str]) -> None:
    found = start_and_survey(s, texts)
    twin = twins.before_repair(s) if twins.repair_wanted(s) else None
    _, box, during, _, ended = s.drive("click:cmdGo", "message-open", "dump", "message", "ended")
    check_message(box, texts, "Done", "information")
    lines = elements(during)["lstStatus"]["lines"]
    backup = backup_of_rename(lines[:3], texts)
    check(re.fullmatch(r"MSCOMCTL\.OCX_Backup_\d{4}-\d\d-\d\d \d\d\.\d\d\.\d\d", backup) is not None,
          f"backup name {backup!r}")
    check_equal(lines[3:], [texts["kStatusCopy"], texts["kStatusRegisterNew"], texts["kStatusUnregister"],
                            texts["kStatusRegister"]], "status lines of the full repair after the rename")
    check_equal(ended["exit_code"], 0, "exit code")
    check_machine(s, found, files={"MSCOMCTL.OCX": NEW_VERSION, backup: OLD_VERSION}, temp=[], key20=False,
                  key21=True, path21=found.installed.lower())
    if twin:
        twins.after_repair(s, twin, lines)


def scenario_no_option(s: Session, texts: dict[str, str]) -> None:
    """Nothing selected: a message, and nothing changes. The report then
    shows every option unselected, twice alike, and what was on the
    clipboard before is gone; Esc ends the program."""
    found = start_and_survey(s, texts)
    results = s.drive("clipboard-put:vorher", *(f"set:{o}=0" for o in OPTIONS), "click:cmdGo", "message", "dump",
                      "click:cmdStatus", "message", "clipboard", "click:cmdStatus", "message", "clipboard", "key:esc",
                      "ended")
    box, dump, report_box, first, second, ended = (results[i] for i in (5, 6, 8, 9, 12, 14))
    check_message(box, texts, "NoOption", "exclamation")
    shown = elements(dump)
    check_equal(shown["lstStatus"]["lines"], [], "status list")
    check(shown["cmdGo"]["enabled"], "cmdGo disabled after the message")
    check_message(report_box, texts, "ReportCopied", "information")
    expected = status_report(found.values, [0, 0, 0], [], texts)
    check_equal(clipboard_text(first), expected, "status report on the clipboard")
    check_equal(clipboard_text(second), expected, "status report after the second press")
    check("OcxmedicDriverProbe" not in first["formats"], f"the clipboard kept data from before: {first['formats']}")
    check_equal(ended["exit_code"], 0, "exit code after Esc")
    check_machine(s, found, files={"MSCOMCTL.OCX": OLD_VERSION}, temp=[NEW_VERSION], key20=True, key21=True,
                  path21=found.installed.lower())


def stopped_run(s: Session, texts: dict[str, str], code: int, why: str) -> tuple[list[str], str, dict]:
    """Clicks cmdGo on a run that is to stop with `code` and the system's
    description of it: the message first, the error lines once it is
    confirmed, then only cmdExit. Returns the lines before the error lines,
    the reason and the window after."""
    _, box, failed, _, after = s.drive("click:cmdGo", "message-open", "dump", "message", "dump")
    check_equal((box["title"], box["icon"], box["buttons"]), (texts["kFailureTitle"], "critical", ["OK"]),
                "failure message")
    check(box["text"].startswith(texts["kFailureText"] + "\r\n"), f"failure message text {box['text']!r}")
    reason = box["text"][len(texts["kFailureText"]) + 2:]
    check(re.fullmatch(rf"{code}: \S.*", reason) is not None, f"failure {reason!r}: {why}")
    lines = elements(after)["lstStatus"]["lines"]
    check_equal(lines[-2:], [texts["kFailureLinePrefix"] + reason, texts["kAbortLine"]], "error lines")
    check_equal(elements(failed)["lstStatus"]["lines"], lines[:-2], "status list while the message was open")
    check(not elements(after)["cmdGo"]["enabled"], "cmdGo still enabled after the failure")
    check_equal(after["focus"], "cmdExit", "focus after the failure")
    return lines[:-2], reason, after


def backup_of_rename(head: list[str], texts: dict[str, str]) -> str:
    """The backup name of a run stopped at the rename."""
    prefix, suffix = texts["kStatusRenamePrefix"], texts["kStatusEllipsis"]
    check(len(head) == 3 and head[2].startswith(prefix) and head[2].endswith(suffix), f"status lines {head}")
    check_equal(head[:2], [texts["kStatusDeleteKey"], texts["kStatusUnregister"]], "first status lines")
    return head[2][len(prefix): -len(suffix)]


def scenario_failure(s: Session, texts: dict[str, str]) -> None:
    """A file already under the backup name makes the rename fail. The name
    holds the current second, so the next two minutes are all taken."""
    found = start_and_survey(s, texts)
    folder = s.unix(found.installed).parent
    now = dt.datetime.now().replace(microsecond=0)
    taken = {"MSCOMCTL.OCX_Backup_" + (now + dt.timedelta(seconds=second)).strftime("%Y-%m-%d %H.%M.%S")
             for second in range(-2, 120)}
    for name in taken:
        (folder / name).write_bytes(b"")

    head, _, after = stopped_run(s, texts, 183, "the rename onto an existing file fails with 183 and a description")
    backup = backup_of_rename(head, texts)
    check(backup in taken, f"the run chose the backup name {backup!r}, which the test did not occupy")

    _, report_box, clip = s.drive("click:cmdStatus", "message", "clipboard")
    check_message(report_box, texts, "ReportCopied", "information")
    shown = elements(after)
    report = status_report(found.values, [shown[o]["check"] for o in OPTIONS], shown["lstStatus"]["lines"], texts)
    check_equal(clipboard_text(clip), report, "status report after the failure")

    # A click on the disabled cmdGo does nothing; with the run over, a
    # log-off may go on and a close ends the program at once.
    again, session_end, _, ended = s.drive("click:cmdGo", "query-end-session", "close:message", "ended")
    check(not again["clicked"], "cmdGo took a click after the failure")
    check(session_end["may_end"], "log-off refused after the failed run")
    check_equal(ended["exit_code"], 0, "exit code after the close")
    # Key 2.0 is deleted and the old control unregistered before the rename;
    # the temporary copy is never moved.
    check_machine(s, found, files={"MSCOMCTL.OCX": OLD_VERSION, **dict.fromkeys(taken)}, temp=[NEW_VERSION],
                  key20=False, key21=False)


def scenario_changed_copy(s: Session, texts: dict[str, str]) -> None:
    """The temporary copy replaced by the old control after the window is
    shown: the run stops before the replacement touches anything, and the
    installed control stays as it was, registered, without a backup."""
    found = start_and_survey(s, texts)
    installed = s.unix(found.installed)
    before = installed.read_bytes()
    shutil.copyfile(s.env.old_control, s.unix(found.temp_copy))

    head, _, _ = stopped_run(s, texts, 13, "a temporary copy that is not the carried control is invalid data, 13")
    check_equal(head, [texts["kStatusDeleteKey"]], "status lines before the stop")
    s.drive("click:cmdExit", "ended")
    check_machine(s, found, files={"MSCOMCTL.OCX": OLD_VERSION}, temp=[OLD_VERSION], key20=False, key21=True,
                  path21=found.installed.lower())
    check(installed.read_bytes() == before, "the installed control changed")


# The account that plays a user without administrator rights. Root, as which
# CI runs, may write anywhere whatever the permissions say.
PLAIN_USER = "ocxmedic-user"


def plain_user() -> tuple[int, int]:
    """Its ids; the account is made where it is missing. Two tests may race
    to make it, and whoever loses finds it there."""
    subprocess.run(["useradd", "-r", "-M", "-s", "/usr/sbin/nologin", PLAIN_USER], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    try:
        entry = pwd.getpwnam(PLAIN_USER)
    except KeyError:
        raise Failure(f"useradd could not create {PLAIN_USER}") from None
    return entry.pw_uid, entry.pw_gid


def run_as_plain_user(s: Session) -> None:
    """Hands the run's prefix to the plain user, except the system folder of
    32-bit programs, which stays the administrator's; from then on every
    wine and wineserver of the session runs as that user. Files linked from
    the cached machine keep their owner, so the cache stays untouched."""
    if os.geteuid() != 0:
        raise Unavailable("only root can run a program as another user")
    uid, gid = plain_user()
    # The prefix names the folder of root's wineserver, which the user may
    # not enter; without the name Wine makes a folder of the user's own.
    (s.prefix / "wineserver").unlink(missing_ok=True)
    for top, dirs, files in os.walk(s.prefix):
        os.chown(top, uid, gid)
        for name in files:
            path = os.path.join(top, name)
            if not os.path.islink(path) and os.stat(path).st_nlink == 1:
                os.chown(path, uid, gid)
    system = s.prefix / "drive_c" / "windows" / system_folder(s.arch)
    for path, mode in ((system, 0o755), (system / "MSCOMCTL.OCX", 0o644)):
        os.chown(path, 0, 0)
        path.chmod(mode)
    home = s.prefix.parent / f"{s.prefix.name}-home"
    shutil.rmtree(home, ignore_errors=True)
    home.mkdir()
    os.chown(home, uid, gid)
    s._stack.callback(shutil.rmtree, home, True)
    # Every tool of the session calls wine and wineserver by name: wrappers
    # first on the path switch user for all of them alike.
    wrappers = home / "bin"
    wrappers.mkdir()
    for tool in ("wine", "wineserver"):
        wrapper = wrappers / tool
        wrapper.write_text(f"#!/bin/sh\nexec setpriv --reuid={uid} --regid={gid} --init-groups {shutil.which(tool)} "
                           "\"$@\"\n")
        wrapper.chmod(0o755)
    s.wine.update(HOME=str(home), XDG_CACHE_HOME=str(home / ".cache"), XDG_CONFIG_HOME=str(home / ".config"),
                  XDG_DATA_HOME=str(home / ".local" / "share"), XDG_RUNTIME_DIR=str(home),
                  PATH=f"{wrappers}:{s.wine.get('PATH', '/usr/bin:/bin')}")
    # Ends the user's processes while the wrappers are still there.
    s._stack.callback(kill_wineserver, s.wine)
    # The first Wine process of a user records a new server folder in the
    # prefix; the program and the driver start together and would race to
    # write that record. One server started alone writes it for both.
    run(["wineserver"], s.wine, 60, "the plain user's wineserver")
    # The program and the driver must be readable by that user wherever the
    # build lies: both run from the prefix.
    tools = s.prefix / "drive_c" / "ocxmedic-tools"
    tools.mkdir()
    for source in (s.env.exe, s.env.driver):
        shutil.copy2(source, tools / source.name)
    for path in (tools, *tools.iterdir()):
        os.chown(path, uid, gid)
    s.env.exe, s.env.driver = tools / s.env.exe.name, tools / s.env.driver.name


def scenario_no_admin(s: Session, texts: dict[str, str]) -> None:
    """A user who may not write to the system folder: the rename of the old
    control is refused, the run ends in the failure path, and nothing is lost."""
    run_as_plain_user(s)
    found = start_and_survey(s, texts)
    head, reason, _ = stopped_run(s, texts, 5, "a refused rename is access denied, 5, with a description")
    backup_of_rename(head, texts)
    s.drive("click:cmdExit", "ended")
    (system,) = s.drive("systemtext:5", window=False)
    check_equal(reason, "5: " + system["text"].rstrip("\r\n"), "failure reason: the system's own text for 5")
    if MACHINES[s.version].language != 0x0409:
        check(system["text"] != system["english"], f"the system has no translation of {system['english']!r}")
    check_machine(s, found, files={"MSCOMCTL.OCX": OLD_VERSION})


def built(s: Session, name: str) -> Path:
    path = s.env.win32_build / name
    if not path.exists():
        raise Unavailable(f"{path} is missing: build the mingw-i686 preset first")
    return path


PLANTED_REGSVR32 = "planted-regsvr32-started.txt"
PLANTED_VERSION_DLL = "planted-version-dll-called.txt"


def planted_dll_callers(drive_c: Path) -> list[str]:
    """The files of the modules that called the planted version.dll."""
    marker = drive_c / PLANTED_VERSION_DLL
    lines = marker.read_text(encoding="latin-1").splitlines() if marker.exists() else []
    return [line.split("\t")[0] for line in lines]


def scenario_planted(s: Session, texts: dict[str, str]) -> None:
    """A regsvr32.exe and a version.dll beside the program and in its current
    folder are never used; the repair registers with the system's regsvr32,
    reads versions with the system's version.dll and ends as usual."""
    drive_c = s.prefix / "drive_c"
    app, work = drive_c / "ocxmedic-app", drive_c / "ocxmedic-work"
    for folder in (app, work):
        folder.mkdir()
        for name in ("regsvr32.exe", "version.dll"):
            shutil.copy2(built(s, f"plant-probes/{name}"), folder / name)
    shutil.copy2(s.env.exe, app / "Ocxmedic.exe")
    # Wine's own load order takes its built-in version.dll wherever a copy
    # lies; Windows' takes the copy beside the program first.
    s.wine["WINEDLLOVERRIDES"] += ";version=n,b"

    # The planted regsvr32.exe imports version.dll by name: run directly, it
    # leaves both markers, or their absence below would prove nothing.
    run(["wine", r"C:\ocxmedic-app\regsvr32.exe"], s.wine, 120, "the planted regsvr32.exe")
    s.settle()
    check((drive_c / PLANTED_REGSVR32).exists(), f"the probe left no {PLANTED_REGSVR32} when run directly")
    callers = planted_dll_callers(drive_c)
    check(r"C:\ocxmedic-app\regsvr32.exe" in callers, f"the planted version.dll was not called when the planted "
          f"regsvr32.exe ran; its callers: {callers}")
    for marker in (PLANTED_REGSVR32, PLANTED_VERSION_DLL):
        (drive_c / marker).unlink()

    # A program that took the planted version.dll would show no versions.
    found = start_and_survey(s, texts, exe=app / "Ocxmedic.exe", cwd=work)
    _, box, _, ended = s.drive("click:cmdGo", "message-open", "message", "ended")
    check_message(box, texts, "Done", "information")
    check_equal(ended["exit_code"], 0, "exit code")
    # The system's regsvr32 did register the new control.
    check_machine(s, found, key21=True, path21=found.installed.lower())
    check(not (drive_c / PLANTED_REGSVR32).exists(), "the program started the planted regsvr32.exe")
    # Wine's user32 imports version.dll by name and so, in this load order,
    # calls the planted copy itself; the program's own calls must not.
    program = [c for c in planted_dll_callers(drive_c) if c.lower().endswith("\\ocxmedic.exe")]
    check_equal(program, [], "calls of the program into the planted version.dll")


SLOW_REGSVR32_LOG = "slow-regsvr32.txt"
FILETIME_UNIX_EPOCH = 116444736000000000  # 1970-01-01 in 100 ns steps since 1601


def plant_slow_regsvr32(s: Session) -> None:
    """A regsvr32 that takes seconds, in place of the system's."""
    system = s.unix(f"C:\\windows\\{system_folder(s.arch)}\\regsvr32.exe")
    # The machine's file is linked into this run's prefix: replaced, never
    # written through.
    system.unlink()
    shutil.copy2(built(s, "plant-probes/slow/regsvr32.exe"), system)
    # Wine prefers its built-in programs for files in the system folder.
    s.wine["WINEDLLOVERRIDES"] += ";regsvr32.exe=n"


def slow_regsvr32_runs(s: Session) -> list[tuple[int, int, int, str]]:
    """Each run of the slow regsvr32, in order: its start, end and repaint,
    and its command line. The four of the full repair must each start only
    after the one before has ended."""
    log = s.prefix / "drive_c" / SLOW_REGSVR32_LOG
    check(log.exists(), "the slow regsvr32 never ran: the program did not start the system folder's regsvr32")
    runs = [(int(start), int(end), int(repaint), command) for start, end, repaint, command in
            (line.split("\t", 3) for line in log.read_text(encoding="latin-1").splitlines())]
    check_equal(len(runs), 4, f"regsvr32 runs of the full repair: {[r[3] for r in runs]}")
    for before, after in zip(runs, runs[1:]):
        check(after[0] >= before[1], f"{after[3]!r} started {(before[1] - after[0]) / 1e4:.0f} ms before "
              f"{before[3]!r} had ended")
    return runs


def scenario_slow_regsvr32(s: Session, texts: dict[str, str]) -> None:
    """Each step of the repair starts only after the regsvr32 before it has
    ended, the run ends only after the last, and the window repaints while
    one runs."""
    plant_slow_regsvr32(s)
    start_and_survey(s, texts)
    _, box = s.drive("click:cmdGo", "message-open")
    box_seen = dt.datetime.now(dt.timezone.utc).timestamp()
    check_message(box, texts, "Done", "information")
    s.drive("message", "ended")
    s.settle()

    runs = slow_regsvr32_runs(s)
    last_end = (runs[-1][1] - FILETIME_UNIX_EPOCH) / 1e7
    check(last_end <= box_seen, "the closing message was shown before the last regsvr32 had ended")
    not_painted = [r[3] for r in runs if r[2] < 0]
    check(not not_painted, f"the window did not repaint while these ran: {not_painted}")


def scenario_close_during_repair(s: Session, texts: dict[str, str]) -> None:
    """While the first regsvr32 runs, the window is closed as the close box
    and the task bar do, and as taskkill does, and a log-off asks: the log-off
    is refused, the closes are dropped, and the repair runs to its end. Idle
    before, the window lets the log-off go on."""
    plant_slow_regsvr32(s)
    found = start_and_survey(s, texts)
    idle, _, _, _, _, busy, box, during, _, ended = s.drive(
        "query-end-session", "click:cmdGo", "lines:2", "close", "close:message", "query-end-session",
        "message-open", "dump", "message", "ended")
    check_equal((idle["answered"], idle["may_end"]), (True, True), "log-off asked before the repair")
    check_equal((busy["answered"], busy["may_end"]), (True, False), "log-off asked during the repair")
    check_message(box, texts, "Done", "information")
    lines = elements(during)["lstStatus"]["lines"]
    backup = backup_of_rename(lines[:3], texts)
    check_equal(lines[3:], [texts["kStatusCopy"], texts["kStatusRegisterNew"], texts["kStatusUnregister"],
                            texts["kStatusRegister"]], "status lines of the full repair after the rename")
    check_equal(ended["exit_code"], 0, "exit code")
    check_machine(s, found, files={"MSCOMCTL.OCX": NEW_VERSION, backup: OLD_VERSION}, temp=[], key20=False,
                  key21=True, path21=found.installed.lower())
    unregister, register = f'/s /u "{found.installed}"', f'/s "{found.installed}"'
    commands = [r[3] for r in slow_regsvr32_runs(s)]
    check(all(c.endswith(want) for c, want in zip(commands, (unregister, register, unregister, register))),
          f"regsvr32 commands in order: {commands}")


def scenario_binding_checks(s: Session, texts: dict[str, str]) -> None:
    """The Windows binding's own checks, which print each failure with its
    line and exit with their count."""
    print(run(["wine", str(built(s, "ocx-binding-checks.exe"))], s.wine, 300, "ocx-binding-checks.exe"), end="")


def screenshot_path(env: Env, arch: str, version: str, what: str = "") -> Path:
    """The survey's screenshot of a cell, or with `what` another of its screens."""
    return env.work / "screenshots" / f"{arch}-{version}{'.' + what if what else ''}.png"


def contact_sheet(env: Env, cells: list[str]) -> Path:
    """Every cell's survey window on one image, labelled with its cell, for
    a person to look over; a survey that failed before its screenshot is
    missing, and failed on its own."""
    tiles = []
    for arch, version in (cell.split("/") for cell in cells):
        survey = screenshot_path(env, arch, version)
        # The survey first, then the same machine's other screens and settings.
        for picture in [survey, *sorted(survey.parent.glob(f"{survey.stem}.*.png"))]:
            if picture.exists():
                tiles += ["-label", f"{arch} {version}{picture.stem[len(survey.stem):].replace('.', ' ')}", str(picture)]
    sheet = env.work / "contact-sheet.png"
    sheet.unlink(missing_ok=True)
    check(bool(tiles), "no survey got as far as its screenshot")
    run(["montage", "-font", "DejaVu-Sans", "-pointsize", "16", "-background", "#d8d8d8", *tiles,
         "-tile", "5x", "-geometry", "+12+12", str(sheet)], dict(os.environ), 300, "montage")
    return sheet


SCENARIOS = {
    "survey": scenario_survey,
    "survey-settings": lambda s, texts: scenario_survey(s, texts, settings=True),
    "repair": scenario_repair,
    "no-option": scenario_no_option,
    "failure": scenario_failure,
    "no-admin": scenario_no_admin,
    "planted": scenario_planted,
    "changed-copy": scenario_changed_copy,
    "slow-regsvr32": scenario_slow_regsvr32,
    "close-during-repair": scenario_close_during_repair,
    **{f"screen-{w}x{h}-{dpi}": (lambda s, texts, w=w, h=h, dpi=dpi: scenario_small_screen(s, texts, w, h, dpi))
       for w, h, dpi in SMALL_SCREENS},
    "binding-checks": scenario_binding_checks,
}


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("step", choices=["base", "machine", "contact-sheet", *SCENARIOS])
    parser.add_argument("--arch", choices=ARCHES)
    parser.add_argument("--cells", nargs="*", default=[], help="ARCH/VERSION of every cell, for contact-sheet")
    parser.add_argument("--version", choices=MACHINES)
    parser.add_argument("--work", required=True, help="folder for prefixes, runs and screenshots")
    parser.add_argument("--win32-build", required=True, help="build folder with Ocxmedic.exe and ui-driver.exe")
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--sim", help="ocxmedic-sim, to name the product from the reported facts")
    args = parser.parse_args()
    env = TestEnv(Path(args.work), Path(args.win32_build), args.sim)
    if args.arch is None and args.step != "contact-sheet":
        parser.error(f"{args.step} needs --arch")

    # CTest ends a test that runs too long with SIGTERM: leave nothing behind.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        check_available(env, need_screen=args.step in ("survey", "survey-settings", "contact-sheet")
                        or args.step.startswith("screen-"))
        if args.step == "contact-sheet":
            if shutil.which("montage") is None:
                raise Unavailable("ImageMagick's montage is missing")
            print(contact_sheet(env, args.cells))
            return 0
        if args.step == "base":
            make_base(env, args.arch)
        elif args.step == "machine":
            make_machine(env, args.arch, args.version)
        else:
            texts = load_texts(Path(args.source_dir))
            with Session(env, args.arch, args.version, args.step) as session:
                SCENARIOS[args.step](session, texts)
    except Unavailable as why:
        if os.environ.get("CI") == "true":
            print(f"Wine is needed with CI=true: {why}")
            return 1
        print(f"skipped: {why}")
        return SKIP
    except Failure as why:
        print(f"FAILED: {why}")
        return 1
    print(f"passed: {args.step} {args.arch} {args.version or ''}".rstrip())
    return 0


if __name__ == "__main__":
    sys.exit(main())
