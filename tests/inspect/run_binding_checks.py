#!/usr/bin/env python3
"""Runs ocx-binding-checks.exe, the Windows binding's own checks, under Wine
in a prefix and on a virtual screen of its own.

Exit codes: the checks' own (0 passed, 1 failed), 77 skipped when Wine or
the exe cannot be had here; with CI=true a missing Wine is a failure.
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
from pathlib import Path

SKIP = 77


def unavailable(reason: str) -> int:
    print(f"run_binding_checks: {reason}")
    return 1 if os.environ.get("CI") == "true" else SKIP


def start_screen() -> tuple[subprocess.Popen, str]:
    """An Xvfb on a display no one uses: it names the number it took."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    os.close(write_end)
    # Xvfb may write the number and its line end apart, and dies when it
    # cannot write the second: the pipe stays open until the whole line is in.
    line = b""
    while not line.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], 30)
        chunk = os.read(read_end, 32) if ready else b""
        if not chunk:
            break
        line += chunk
    os.close(read_end)
    number = line.decode().strip()
    if not line.endswith(b"\n") or not number:
        os.killpg(xvfb.pid, signal.SIGKILL)
        raise RuntimeError("Xvfb did not start")
    return xvfb, f":{number}"


def create_prefix(prefix: Path, env: dict[str, str]) -> None:
    """A busy machine (other prefixes being made at the same time) now and
    then makes the first wineboot give up; a second one from a clean start
    has always worked."""
    for attempt in range(2):
        done = subprocess.run(["wine", "wineboot", "-i"], env=env, timeout=600, check=False,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, errors="replace")
        if done.returncode == 0:
            subprocess.run(["wineserver", "-w"], env=env, timeout=300, check=False)
            return
        print(f"run_binding_checks: wineboot failed with {done.returncode}: {done.stderr.strip()[-400:]}")
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60, check=False)
        shutil.rmtree(prefix, ignore_errors=True)
    raise RuntimeError("wineboot could not create the prefix")


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    args = parser.parse_args()

    if not args.exe.exists():
        print(f"run_binding_checks: {args.exe} is missing: build the mingw-i686 preset first")
        return SKIP
    for tool in ("wine", "wineserver", "Xvfb"):
        if shutil.which(tool) is None:
            return unavailable(f"{tool} is not installed")
    loader = Path("/lib/ld-linux.so.2")
    if not loader.exists() or subprocess.run([str(loader), "--version"], stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL).returncode != 0:
        return unavailable("this machine runs no 32-bit programs")

    prefix = args.work / "prefix"
    args.work.mkdir(parents=True, exist_ok=True)
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "WINE", "DISPLAY"))}
    # No prefix asks to install Mono or Gecko: on a screen nobody sees that
    # question would stall or fail the prefix's creation.
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", LANG="C.UTF-8",
               WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d")
    xvfb, display = start_screen()
    env["DISPLAY"] = display
    try:
        if not (prefix / "system.reg").exists():
            create_prefix(prefix, env)
        checks = subprocess.run(["wine", str(args.exe)], env=env, timeout=300, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, errors="replace")
        print(checks.stdout, end="")
        return 0 if checks.returncode == 0 else 1
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60, check=False)
        os.killpg(xvfb.pid, signal.SIGTERM)
        xvfb.wait(10)


if __name__ == "__main__":
    sys.exit(main())
