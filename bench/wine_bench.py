#!/usr/bin/env python3
"""Benchmarks of the real Ocxmedic.exe under Wine, each against a baseline
measured in the same invocation, runs of the two alternating:

  start-up   process start until the main window is visible, its survey
             done, against WindowOnly.exe (tools/window-only), the
             program's own window from the same layout, binding and
             manifest, shown without its survey: what is left is the
             program's start-up work, not what a window of 22 controls
             costs under Wine; with --genuine-size-exe also a build whose
             payload has the genuine control's size, in the same series.
             MinimalDialog.exe (tools/minimal-dialog) runs in the series
             too, for scale only
  repair     the press of cmdGo until the closing message, against a batch
             file that runs the same four regsvr32 commands in turn
  memory     peak working set (VmHWM) of the program's process
  size       Ocxmedic.exe minus the control file it carries

The machine is the 64-bit Windows 7 prefix of the end-to-end tests (the
library tools/wine_machine builds it), copied once per measurement series.
scripts/bench runs this; it prints a summary and writes JSON and Markdown.
"""

from __future__ import annotations

import argparse
import contextlib
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# The machines of the tests under Wine, from the library under tools/,
# imported without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
import wine_machine  # noqa: E402

ARCH, VERSION = "win64", "win7"
SYSTEM_FOLDER = r"C:\windows\SysWOW64"
INSTALLED = SYSTEM_FOLDER + r"\MSCOMCTL.OCX"
# What the program starts in a full repair, in its order.
REPAIR_COMMANDS = [f'regsvr32 /s /u "{INSTALLED}"', f'regsvr32 /s "{INSTALLED}"',
                   f'regsvr32 /s /u "{INSTALLED}"', f'regsvr32 /s "{INSTALLED}"']
# xdotool matches without regard to case; the anchors keep the closing
# message apart from the main window, whose caption holds the same words.
MAIN_WINDOW_PREFIX = r"Update "
CLOSING_MESSAGE = "^Problemlösung zum Microsoft Update$"
MINIMAL_DIALOG = "^Ocxmedic Vergleichsdialog$"
WINDOW_ONLY = "^Ocxmedic Fenstervergleich$"
POLL_S = 0.005
# Copies of the prefix tried in a row before a series gives up.
MACHINE_ATTEMPTS = 8
TIMEOUT_S = 120

# What the program must reach: start-up within 1.15 times its own window
# with the small stand-in, within 1.10 times with a payload of the genuine
# control's size, medians of 20 alternating runs on a quiet machine; the
# repair within 1.1 times the batch file; the program without its payload
# at most 250,000 bytes. The window alone already costs more than the
# minimal dialog, and that cost is the layout's, so the start-up goal is
# set against the window and the dialog only gives the scale.
GOAL_STARTUP_RATIO_STANDIN = 1.15
GOAL_STARTUP_RATIO_GENUINE_SIZE = 1.10
GENUINE_PAYLOAD_BYTES = 1_070_152
GOAL_REPAIR_RATIO = 1.1
GOAL_SIZE_BYTES = 250_000
# Runs of each side that a start-up verdict stands on, and the one-minute
# load average a machine must stay under, at the start and at the end of the
# Wine runs, for its figures to count: on a busy machine the spread between
# two series is as wide as the goals' margins.
GOAL_STARTUP_RUNS = 20
DEFAULT_REPAIR_RUNS = 10
QUIET_LOAD_AVERAGE = 1.0


def startup_goal(payload_bytes: int | None) -> float:
    return (GOAL_STARTUP_RATIO_GENUINE_SIZE if (payload_bytes or 0) >= GENUINE_PAYLOAD_BYTES
            else GOAL_STARTUP_RATIO_STANDIN)


def program_version(win32_build: Path) -> str:
    """The version the caption ends in, as the build generated it."""
    header = (win32_build / "generated/resources/version.h").read_text(encoding="utf-8")
    return re.search(r'OCXMEDIC_VERSION_SHORT "([0-9.]+)"', header).group(1)


class BenchError(Exception):
    pass


class EarlyExit(BenchError):
    """The program ended before its window showed."""


def run_quiet(cmd: list[str], env: dict[str, str], timeout: float = 120) -> None:
    # Output goes to a file, not a pipe: wineserver and the services that
    # Wine starts keep inherited pipes open long after the command is done.
    with tempfile.TemporaryFile() as output:
        try:
            code = subprocess.run(cmd, env=env, stdout=output, stderr=subprocess.STDOUT, timeout=timeout,
                                  check=False).returncode
        except subprocess.TimeoutExpired:
            raise BenchError(f"{' '.join(cmd)} took longer than {timeout} s") from None
        if code != 0:
            output.seek(0)
            raise BenchError(f"{' '.join(cmd)} failed ({code}):\n{output.read().decode(errors='replace')}")


def find_window(pattern: str, env: dict[str, str]) -> str | None:
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    ids = found.stdout.split()
    return ids[0].decode() if ids else None


def wait_window(pattern: str, env: dict[str, str], process: subprocess.Popen, started: float) -> tuple[str, float]:
    """Polls until a visible window matches; the time since `started`."""
    while True:
        window = find_window(pattern, env)
        now = time.monotonic()
        if window is not None:
            return window, now - started
        if process.poll() is not None:
            raise EarlyExit(f"the process ended ({process.returncode}) before a window {pattern!r} showed")
        if now - started > TIMEOUT_S:
            raise BenchError(f"no window {pattern!r} within {TIMEOUT_S} s")
        time.sleep(POLL_S)


def peak_working_set_kib(pid: int) -> int:
    """VmHWM of the process: the exe runs as the wine process itself, so its
    peak resident set is the program's peak working set plus Wine's own
    share (ntdll, the loader, the mapped system DLLs)."""
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise BenchError(f"no VmHWM for process {pid}")


def running_in(prefix: Path, program: str) -> list[int]:
    """Linux processes of the prefix whose command line names `program`.
    Other prefixes may be busy on the same machine, hence the filter."""
    wanted = f"WINEPREFIX={prefix}".encode()
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        with contextlib.suppress(OSError):
            if program.encode() in (entry / "cmdline").read_bytes().lower() and \
                    wanted in (entry / "environ").read_bytes().split(b"\0"):
                found.append(int(entry.name))
    return found


def press(key: str, window: str, env: dict[str, str]) -> None:
    subprocess.run(["xdotool", "key", "--window", window, key], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)


def finish(process: subprocess.Popen, what: str) -> int:
    try:
        return process.wait(60)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise BenchError(f"{what} did not end") from None


class Bench:
    def __init__(self, args: argparse.Namespace):
        self.args = args
        self.work = Path(args.work).resolve()
        self.win32_build = Path(args.win32_build).resolve()
        self.machines = wine_machine.Env(self.work, self.win32_build)
        self.exe = self.win32_build / "Ocxmedic.exe"
        self.main_window = MAIN_WINDOW_PREFIX + re.escape(program_version(self.win32_build)) + "$"
        self.minimal = self.win32_build / "MinimalDialog.exe"
        self.window_only = self.win32_build / "WindowOnly.exe"
        self.genuine_size = Path(args.genuine_size_exe).resolve() if args.genuine_size_exe else None
        self.template = self.work / "bench-template"
        self.batch = r"C:\ocxmedic-repair.bat"

    # --- prefixes ---------------------------------------------------------

    def wine_env(self, prefix: Path, display: str | None = None) -> dict[str, str]:
        return wine_machine.machine_environment(self.machines, VERSION, prefix, display)

    def prepare(self) -> None:
        for path in (self.exe, self.minimal, self.window_only, self.genuine_size or self.exe):
            if not path.exists():
                raise BenchError(f"{path} is missing: build the mingw-i686 preset first")
        machine = wine_machine.machine_dir(self.machines, ARCH, VERSION)
        if self.args.fresh or not (machine / "system.reg").exists():
            try:
                wine_machine.make_base(self.machines, ARCH)
                wine_machine.make_machine(self.machines, ARCH, VERSION)
            except (wine_machine.Failure, wine_machine.Unavailable) as why:
                raise BenchError(f"preparing the prefix failed: {why}") from None
        wine_machine.clone_prefix(machine, self.template)
        env = self.wine_env(self.template)
        try:
            # The end-to-end tests draw everything inside one virtual
            # desktop; here each window must be an X window of its own, so
            # that xdotool sees it appear under its caption.
            run_quiet(["wine", "reg", "delete", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/f"], env)
            wine_machine.wait_wineserver(env)
        finally:
            wine_machine.kill_wineserver(env)
        batch = self.template / "drive_c" / "ocxmedic-repair.bat"
        batch.write_bytes(("@echo off\r\n" + "".join(f"{c}\r\n" for c in REPAIR_COMMANDS)).encode("cp1252"))

    @contextlib.contextmanager
    def machine(self, name: str):
        """A private copy of the template with a warm wineserver on a screen
        of its own: what the series measures is the programs, not Wine
        starting its services."""
        prefix = self.work / "bench-runs" / name
        prefix.parent.mkdir(parents=True, exist_ok=True)
        for attempt in range(1, MACHINE_ATTEMPTS + 1):
            wine_machine.clone_prefix(self.template, prefix)
            with wine_machine.virtual_screen() as display:
                env = self.wine_env(prefix, display)
                try:
                    run_quiet(["wineserver", "-p"], env)
                    # The first window of a prefix starts Wine's desktop
                    # process, which now and then cannot reach the new X
                    # server and leaves the prefix without a display driver:
                    # every later window fails. One untimed dialog finds out.
                    # On this kind of machine about one copy in six is such
                    # a copy, and a bench asks for some forty copies, so a
                    # few tries each would still end a long run now and then.
                    try:
                        self.startup_run(self.minimal, MINIMAL_DIALOG, env)
                    except EarlyExit as why:
                        log(f"the copy {name} has no working display ({why}); taking a new one ({attempt} of {MACHINE_ATTEMPTS})")
                        continue
                    yield prefix, env
                    break
                finally:
                    wine_machine.kill_wineserver(env)
        else:
            raise BenchError(f"{MACHINE_ATTEMPTS} copies of the prefix in a row got no working display")
        shutil.rmtree(prefix, ignore_errors=True)

    # --- single runs ------------------------------------------------------

    def start_until_visible(self, exe: Path, pattern: str, env: dict[str, str]) -> tuple[subprocess.Popen, str, float]:
        # Wine's error messages only, for both programs alike: a start that
        # fails leaves its reason in the log (kept by `retried`).
        env = dict(env, WINEDEBUG="err+all,fixme-all")
        started = time.monotonic()
        with open(self.work / "bench-last-start.log", "wb") as output:
            process = subprocess.Popen(["wine", str(exe)], env=env, stdout=output, stderr=subprocess.STDOUT)
        window, elapsed = wait_window(pattern, env, process, started)
        return process, window, elapsed

    def startup_run(self, exe: Path, pattern: str, env: dict[str, str]) -> tuple[float, int]:
        process, window, elapsed = self.start_until_visible(exe, pattern, env)
        peak = peak_working_set_kib(process.pid)
        press("Escape", window, env)
        code = finish(process, exe.name)
        if code != 0:
            raise BenchError(f"{exe.name} ended with {code}")
        return elapsed, peak

    def repair_run(self, prefix: Path, env: dict[str, str]) -> tuple[float, int]:
        process, window, _ = self.start_until_visible(self.exe, self.main_window, env)
        # The focus starts on cmdGo. The space bar presses a focused button;
        # Return would not, since the main window is no dialog.
        started = time.monotonic()
        press("space", window, env)
        message, elapsed = wait_window(CLOSING_MESSAGE, env, process, started)
        peak = peak_working_set_kib(process.pid)
        if running_in(prefix, "regsvr32"):
            raise BenchError("a regsvr32 still ran at the closing message: the time would leave it out")
        press("Return", message, env)
        code = finish(process, "Ocxmedic.exe after the repair")
        if code != 0:
            raise BenchError(f"Ocxmedic.exe ended with {code} after the repair")
        folder = prefix / "drive_c" / "windows" / "syswow64"
        if not list(folder.glob("MSCOMCTL.OCX_Backup_*")):
            raise BenchError("the repair left no backup of the old control: it did not replace it")
        return elapsed, peak

    def batch_run(self, prefix: Path, env: dict[str, str]) -> float:
        started = time.monotonic()
        # The 32-bit cmd, as the 32-bit program's regsvr32 is the 32-bit one.
        process = subprocess.Popen(["wine", SYSTEM_FOLDER + r"\cmd.exe", "/c", self.batch], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        code = finish(process, "the batch file")
        elapsed = time.monotonic() - started
        if code != 0:
            raise BenchError(f"the batch file ended with {code}")
        if running_in(prefix, "regsvr32"):
            raise BenchError("cmd ended while a regsvr32 of the batch still ran: the time would leave it out")
        return elapsed

    # --- series -----------------------------------------------------------

    def retried(self, failures: list[str], what: str, run, attempts: int = 3):
        """A start that ends before its window shows is tried again, up to
        `attempts` times in all; each failure is kept for the report, with
        Wine's log of it, rather than hidden."""
        for attempt in range(1, attempts + 1):
            try:
                return run()
            except EarlyExit as why:
                kept = self.work / f"bench-failed-start-{len(failures) + 1}.log"
                with contextlib.suppress(OSError):
                    shutil.copy(self.work / "bench-last-start.log", kept)
                failures.append(f"{what}: {why} (Wine's log: {kept.name})")
                if attempt == attempts:
                    raise
                log(f"{what} failed, trying again: {why}")
        raise AssertionError("unreachable")

    def startup_series(self, runs: int) -> dict:
        starts = [("minimal", self.minimal, MINIMAL_DIALOG), ("window", self.window_only, WINDOW_ONLY),
                  ("program", self.exe, self.main_window)]
        if self.genuine_size:
            starts.append(("genuine size", self.genuine_size, self.main_window))
        elapsed = {which: [] for which, _, _ in starts}
        peaks = {which: [] for which, _, _ in starts}
        failures: list[str] = []
        with self.machine("startup") as (_, env):
            # One untimed start of each fills the file cache for all (the
            # minimal dialog had its start when the copy was made).
            for _, exe, pattern in starts[1:]:
                self.startup_run(exe, pattern, env)
            for i in range(runs):
                for which, exe, pattern in starts if i % 2 == 0 else reversed(starts):
                    seconds, peak = self.retried(failures, f"start-up {which} run {i + 1}",
                                                 lambda: self.startup_run(exe, pattern, env))
                    elapsed[which].append(seconds)
                    peaks[which].append(peak)
                    log(f"start-up {which} run {i + 1}: {seconds:.3f} s")
        series = {"program_s": elapsed["program"], "window_s": elapsed["window"], "minimal_s": elapsed["minimal"],
                  "program_peak_kib": peaks["program"], "window_peak_kib": peaks["window"],
                  "minimal_peak_kib": peaks["minimal"], "failed_starts": failures}
        if self.genuine_size:
            series |= {"genuine_size_s": elapsed["genuine size"], "genuine_size_peak_kib": peaks["genuine size"],
                       "genuine_size_payload_bytes": GENUINE_PAYLOAD_BYTES}
        return series

    def repair_series(self, runs: int) -> dict:
        program, baseline, peaks, failures = [], [], [], []

        def program_run() -> tuple[float, int]:
            with self.machine("repair-program") as (prefix, env):
                return self.repair_run(prefix, env)

        for i in range(runs):
            for which in ("batch", "program") if i % 2 == 0 else ("program", "batch"):
                if which == "program":
                    elapsed, peak = self.retried(failures, f"repair run {i + 1}", program_run)
                    program.append(elapsed)
                    peaks.append(peak)
                else:
                    with self.machine("repair-batch") as (prefix, env):
                        elapsed = self.batch_run(prefix, env)
                    baseline.append(elapsed)
                log(f"repair {which} run {i + 1}: {elapsed:.3f} s")
        return {"program_s": program, "baseline_s": baseline, "program_peak_kib": peaks, "failed_starts": failures}

    def size(self) -> dict:
        payload_name = (self.win32_build / "Ocxmedic.payload").read_text(encoding="utf-8").strip()
        payload = Path(payload_name).stat().st_size
        built = self.exe.stat().st_size
        stripped_path = self.work / "Ocxmedic.stripped.exe"
        strip = shutil.which("i686-w64-mingw32-strip")
        stripped = None
        if strip:
            subprocess.run([strip, "-o", str(stripped_path), str(self.exe)], check=True)
            stripped = stripped_path.stat().st_size
        return {"exe_bytes": built, "payload_bytes": payload, "without_payload_bytes": built - payload,
                "stripped_exe_bytes": stripped,
                "stripped_without_payload_bytes": None if stripped is None else stripped - payload}


def log(text: str) -> None:
    print(f"wine_bench: {text}", file=sys.stderr, flush=True)


def ratio_entry(series: dict) -> dict:
    program = statistics.median(series["program_s"])
    baseline = statistics.median(series["baseline_s"])
    return {**series, "program_median_s": program, "baseline_median_s": baseline, "ratio": program / baseline}


def startup_entry(series: dict) -> dict:
    """Medians of a start-up series. The ratios that carry a goal are over the
    program's own window; those over the minimal dialog are for scale."""
    program = statistics.median(series["program_s"])
    window = statistics.median(series["window_s"])
    minimal = statistics.median(series["minimal_s"])
    entry = {**series, "program_median_s": program, "window_median_s": window, "minimal_median_s": minimal,
             "ratio": program / window, "program_over_minimal": program / minimal,
             "window_over_minimal": window / minimal}
    if "genuine_size_s" in series:
        genuine = statistics.median(series["genuine_size_s"])
        entry |= {"genuine_size_median_s": genuine, "genuine_size_ratio": genuine / window}
    return entry


def startup_verdicts(startup: dict, carried: int | None) -> list[dict]:
    """The start-up figures that have a goal: the program as built, whose goal
    depends on what it carries, and the build of the genuine control's size."""
    runs = len(startup["program_s"])
    verdicts = [{"what": "program", "ratio": startup["ratio"], "goal": startup_goal(carried)}]
    if "genuine_size_ratio" in startup:
        verdicts.append({"what": "genuine size", "ratio": startup["genuine_size_ratio"],
                         "goal": startup_goal(startup["genuine_size_payload_bytes"])})
    for v in verdicts:
        v["met"] = v["ratio"] <= v["goal"]
        v["runs"] = runs
    return verdicts


# The benchmark keeps one program running at a time, which by the end of the
# runs adds about one to the one-minute load average by itself.
OWN_LOAD = 1.0


def quiet_machine(load_start: list[float], load_end: list[float]) -> bool:
    """Whether the one-minute load average was under the limit when the Wine
    runs began, and stayed under it, apart from the benchmark's own load, to
    their end."""
    return load_start[0] < QUIET_LOAD_AVERAGE and load_end[0] < QUIET_LOAD_AVERAGE + OWN_LOAD


def settled_load(limit_s: float = 240) -> list[float]:
    """The load average once the one-minute figure is under the quiet limit,
    or after `limit_s`: the native benchmarks just before keep a core busy
    for a minute and more, which would still be in the figure."""
    deadline = time.monotonic() + limit_s
    while os.getloadavg()[0] >= QUIET_LOAD_AVERAGE and time.monotonic() < deadline:
        time.sleep(5)
    return [round(x, 2) for x in os.getloadavg()]


def machine_description() -> dict:
    cpu = "unknown"
    with contextlib.suppress(OSError):
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    mem_kib = 0
    with contextlib.suppress(OSError):
        mem_kib = int(Path("/proc/meminfo").read_text().split()[1])
    os_name = "unknown"
    with contextlib.suppress(OSError):
        os_name = re.search(r'PRETTY_NAME="([^"]*)"', Path("/etc/os-release").read_text()).group(1)
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, check=False).stdout.decode().strip()
    return {"cpu": cpu, "cores": os.cpu_count(), "memory_gib": round(mem_kib / 1048576, 1), "os": os_name,
            "kernel": os.uname().release, "wine": wine, "load_average": [round(x, 2) for x in os.getloadavg()]}


def kb(n: int | None) -> str:
    return "n/a" if n is None else f"{n / 1000:.0f} KB"


def verdict(ok: bool) -> str:
    return "met" if ok else "missed"


def startup_goal_cell(v: dict) -> str:
    cell = f"≤ {v['goal']:.2f} {verdict(v['met'])}"
    if v["runs"] < GOAL_STARTUP_RUNS:
        cell += f" (median of {v['runs']}; the goal asks for {GOAL_STARTUP_RUNS})"
    return cell


def load_line(wine: dict) -> str:
    load = wine["load_average"]
    text = (f"Load average (1, 5, 15 min) at the start of the Wine runs {fmt_load(load['start'])}, "
            f"at the end {fmt_load(load['end'])}")
    if quiet_machine(load["start"], load["end"]):
        return text + "."
    return (text + f": not a quiet machine (the start-up goal asks for a one-minute load average under "
            f"{QUIET_LOAD_AVERAGE:g} at the start and, apart from its own, to the end), so these figures do not count against the goals.")


def fmt_load(load: list[float]) -> str:
    return ", ".join(f"{x:.2f}" for x in load)


def markdown(results: dict) -> str:
    m = results["machine"]
    lines = [f"Measured {results['date']} on {m['cpu']}, {m['cores']} cores, {m['memory_gib']} GiB, {m['os']} "
             f"(kernel {m['kernel']}), {m['wine']}; load average (1, 5, 15 min) when the bench began "
             f"{fmt_load(m['load_average'])}.", ""]
    if results.get("wine"):
        lines += [load_line(results["wine"]), ""]
    native = results.get("native")
    if native:
        lines += [f"### Simulated machine (Google Benchmark, native {results['native_build_type']} build, "
                  "median of 5 repetitions)", "",
                  "| Benchmark | Wall time per call | CPU time per call | clsOSInfo creations | registry opens |",
                  "|---|---|---|---|---|"]
        for b in native:
            if "error" in b:
                lines.append(f"| {b['name']} | failed: {b['error']} | | | |")
                continue
            lines.append(f"| {b['name']} | {b['real_time']:.1f} {b['time_unit']} | {b['cpu_time']:.1f} {b['time_unit']} | "
                         f"{b.get('osinfo_creations', '')} | {b.get('registry_opens', '')} |")
        lines.append("")
    wine = results.get("wine")
    if wine:
        s, r = wine["startup"], wine["repair"]

        peak = max(s["program_peak_kib"] + s.get("genuine_size_peak_kib", []) + r["program_peak_kib"])
        carried = results.get("size", {}).get("payload_bytes")
        goals = {v["what"]: startup_goal_cell(v) for v in startup_verdicts(s, carried)}
        lines += ["### Under Wine (64-bit Windows 7 prefix)", "",
                  f"The exe carries a control file of {carried} bytes, which the survey writes out at start-up. "
                  "The start-up goals are set against the program's own window (`WindowOnly.exe`: the same "
                  "layout, binding and manifest, no survey); the minimal dialog is there for scale.", "",
                  "| Figure | Ocxmedic.exe | Baseline | Ratio | Goal |", "|---|---|---|---|---|",
                  f"| Start-up until the surveyed window is visible, median of {len(s['program_s'])} alternating "
                  f"runs | {s['program_median_s']:.3f} s | {s['window_median_s']:.3f} s (window only) | "
                  f"{s['ratio']:.2f} | {goals['program']} |",
                  *genuine_size_row(s, goals.get("genuine size")),
                  f"| For scale: the program against the minimal dialog | {s['program_median_s']:.3f} s | "
                  f"{s['minimal_median_s']:.3f} s (minimal dialog) | {s['program_over_minimal']:.2f} | "
                  "for information |",
                  f"| For scale: the program's window alone against the minimal dialog | "
                  f"{s['window_median_s']:.3f} s | {s['minimal_median_s']:.3f} s (minimal dialog) | "
                  f"{s['window_over_minimal']:.2f} | for information |",
                  f"| Full repair, cmdGo until the closing message, median of {len(r['program_s'])} | "
                  f"{r['program_median_s']:.3f} s | {r['baseline_median_s']:.3f} s (batch of four regsvr32) | "
                  f"{r['ratio']:.2f} | ≤ {GOAL_REPAIR_RATIO} {verdict(r['ratio'] <= GOAL_REPAIR_RATIO)} |",
                  f"| Peak working set (VmHWM of the exe's wine process), highest of all runs | {peak} KiB | "
                  f"{max(s['minimal_peak_kib'])} KiB (minimal dialog) | | |",
                  ""]
        failed = s["failed_starts"] + r["failed_starts"]
        if failed:
            lines += [f"Starts that ended before their window showed and were tried again ({len(failed)}):", ""]
            lines += [f"- {f}" for f in failed]
            lines.append("")
    z = results.get("size")
    if z:
        lines += ["### Size of Ocxmedic.exe", "", "| Figure | Bytes | Goal |", "|---|---|---|",
                  f"| As built, minus the payload ({z['exe_bytes']} − {z['payload_bytes']}) | "
                  f"{z['without_payload_bytes']} ({kb(z['without_payload_bytes'])}) | ≤ {GOAL_SIZE_BYTES:,} "
                  f"{verdict(z['without_payload_bytes'] <= GOAL_SIZE_BYTES)} |"]
        if z["stripped_without_payload_bytes"] is not None:
            lines.append(f"| Stripped, minus the payload ({z['stripped_exe_bytes']} − {z['payload_bytes']}) | "
                         f"{z['stripped_without_payload_bytes']} ({kb(z['stripped_without_payload_bytes'])}) | "
                         f"≤ {GOAL_SIZE_BYTES:,} {verdict(z['stripped_without_payload_bytes'] <= GOAL_SIZE_BYTES)} |")
        lines.append("")
    return "\n".join(lines)


def genuine_size_row(s: dict, goal: str | None) -> list[str]:
    if "genuine_size_median_s" not in s:
        return []
    return [f"| Start-up as above, the exe carrying {s['genuine_size_payload_bytes']:,} bytes (the genuine control's "
            f"size) | {s['genuine_size_median_s']:.3f} s | {s['window_median_s']:.3f} s (window only) | "
            f"{s['genuine_size_ratio']:.2f} | {goal} |"]


def native_build_type(path: Path) -> str:
    return json.loads(path.read_text(encoding="utf-8")).get("context", {}).get("build_type") or "unknown"


def native_rows(path: Path) -> list[dict]:
    data = json.loads(path.read_text(encoding="utf-8"))
    # With repetitions only the median of each is taken; a single run has
    # plain iteration rows.
    repeated = any(b.get("run_type") == "aggregate" for b in data["benchmarks"])
    rows = []
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            rows.append({"name": b.get("run_name", b["name"]), "error": b.get("error_message", "failed")})
            continue
        if repeated and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"]) if repeated else b["name"]
        row = {"name": name, "real_time": b["real_time"], "cpu_time": b["cpu_time"], "time_unit": b["time_unit"]}
        for counter in ("osinfo_creations", "registry_opens"):
            if counter in b:
                row[counter] = round(b[counter], 2)
        rows.append(row)
    return rows


def replace_figures(document: Path, figures: str) -> None:
    begin, end = "<!-- figures:begin -->", "<!-- figures:end -->"
    text = document.read_text(encoding="utf-8")
    if begin not in text or end not in text:
        raise BenchError(f"{document} has no {begin} ... {end} section to fill")
    head, rest = text.split(begin, 1)
    _, tail = rest.split(end, 1)
    document.write_text(f"{head}{begin}\n{figures}\n{end}{tail}", encoding="utf-8")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--work", required=True, help="folder for the prefixes and the results")
    parser.add_argument("--win32-build", required=True,
                        help="build folder with Ocxmedic.exe, WindowOnly.exe and MinimalDialog.exe")
    parser.add_argument("--runs", type=int, help=f"runs of each program per comparison (default "
                                                  f"{GOAL_STARTUP_RUNS} for the start-up, as its goal asks, "
                                                  f"{DEFAULT_REPAIR_RUNS} for the repair)")
    parser.add_argument("--native", help="JSON output of ocxmedic-bench to include")
    parser.add_argument("--skip-wine", action="store_true", help="only the native figures and the size")
    parser.add_argument("--fresh", action="store_true", help="build the Windows 7 prefix anew")
    parser.add_argument("--update", help="Markdown file whose figures section is replaced")
    parser.add_argument("--genuine-size-exe", help="a build of Ocxmedic.exe whose payload has the genuine control's "
                                                   "size, timed in the same start-up series")
    args = parser.parse_args()
    if args.runs is not None and args.runs < 1:
        parser.error("--runs must be at least 1")
    startup_runs = args.runs or GOAL_STARTUP_RUNS
    repair_runs = args.runs or DEFAULT_REPAIR_RUNS

    results: dict = {"date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), "machine": machine_description()}
    if args.native:
        results["native"] = native_rows(Path(args.native))
        results["native_build_type"] = native_build_type(Path(args.native))
    try:
        bench = Bench(args)
        bench.work.mkdir(parents=True, exist_ok=True)
        if not bench.exe.exists():
            raise BenchError(f"{bench.exe} is missing: build the mingw-i686 preset first")
        results["size"] = bench.size()
        if not args.skip_wine:
            for tool in ("wine", "wineserver", "Xvfb", "xdotool"):
                if shutil.which(tool) is None:
                    raise BenchError(f"{tool} is not installed (scripts/install-deps installs Wine and Xvfb)")
            # Read before the prefix is prepared, so that the first figure is
            # the machine's and not Wine's start; the last one includes the
            # bench's own share, one program at a time.
            load_start = settled_load()
            bench.prepare()
            startup = startup_entry(bench.startup_series(startup_runs))
            repair = ratio_entry(bench.repair_series(repair_runs))
            load_end = [round(x, 2) for x in os.getloadavg()]
            results["wine"] = {"startup": startup, "repair": repair,
                               "load_average": {"start": load_start, "end": load_end}}
            if not quiet_machine(load_start, load_end):
                log(f"not a quiet machine: load average {fmt_load(load_start)} at the start of the Wine runs, "
                    f"{fmt_load(load_end)} at the end")
    except BenchError as why:
        print(f"wine_bench: {why}", file=sys.stderr)
        return 1

    work = Path(args.work)
    (work / "results.json").write_text(json.dumps(results, indent=2), encoding="utf-8")
    figures = markdown(results)
    (work / "figures.md").write_text(figures + "\n", encoding="utf-8")
    if args.update:
        replace_figures(Path(args.update), figures)
    print(figures)
    return 0


if __name__ == "__main__":
    sys.exit(main())
