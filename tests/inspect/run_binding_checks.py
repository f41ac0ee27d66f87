#!/usr/bin/env python3
"""Runs ocx-binding-checks.exe, the Windows binding's own checks, under Wine
in a prefix and on a virtual screen of its own.

Exit codes: the checks' own (0 passed, 1 failed), 77 skipped when Wine or
the exe cannot be had here; with CI=true a missing Wine is a failure.
"""

import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

# The Wine tests' screen, environment and availability check, from the
# library under tools/, imported without leaving compiled files in the
# source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from wine_machine import SKIP, kill_wineserver, virtual_screen, wine_environment, wine_missing  # noqa: E402


def unavailable(reason: str) -> int:
    print(f"run_binding_checks: {reason}")
    return 1 if os.environ.get("CI") == "true" else SKIP


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
        kill_wineserver(env)
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
    if why := wine_missing():
        return unavailable(why)

    prefix = args.work / "prefix"
    args.work.mkdir(parents=True, exist_ok=True)
    with virtual_screen() as display:
        env = wine_environment(prefix, display)
        try:
            if not (prefix / "system.reg").exists():
                create_prefix(prefix, env)
            checks = subprocess.run(["wine", str(args.exe)], env=env, timeout=300, stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, text=True, errors="replace")
            print(checks.stdout, end="")
            return 0 if checks.returncode == 0 else 1
        finally:
            kill_wineserver(env)


if __name__ == "__main__":
    sys.exit(main())
