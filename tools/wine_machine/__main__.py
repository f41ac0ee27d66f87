"""python3 -m wine_machine show --arch A --version V --work DIR --win32-build DIR

Ocxmedic.exe on a prepared machine: on the user's display until it is
closed, or, without DISPLAY, on a screen of its own for a screenshot whose
path it prints. Exit code 1 when Wine or the build cannot be had.
"""

from __future__ import annotations

import argparse
import os
import sys
from pathlib import Path

from . import ARCHES, MACHINES, Env, Failure, Session, Unavailable, check_available, make_base, make_machine


def show(env: Env, arch: str, version: str) -> None:
    """For scripts/run: the program on a prepared machine, on the user's
    display until closed, or on a screen of its own for a screenshot. The
    base prefix is kept between runs while the old control it holds is."""
    base = env.work / f"base-{arch}" / "system.reg"
    if not base.exists() or base.stat().st_mtime < env.old_control.stat().st_mtime:
        print(f"preparing a {arch} prefix with the old control (about a minute)", flush=True)
        make_base(env, arch)
    make_machine(env, arch, version)
    display = os.environ.get("DISPLAY") or None
    with Session(env, arch, version, "show", display) as s:
        s.start()
        if display:
            print(f"Ocxmedic.exe runs on {display} ({arch}, {version}); close it to end", flush=True)
            s.app.wait()
            s.settle()
            return
        (dump,) = s.drive("dump")
        picture = env.work / f"ocxmedic-{arch}-{version}.png"
        s.screenshot(dump["window_rect"], picture)
        s.drive("close", "ended")
        print(picture)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("step", choices=["show"])
    parser.add_argument("--arch", choices=ARCHES, required=True)
    parser.add_argument("--version", choices=MACHINES, required=True)
    parser.add_argument("--work", required=True, help="folder for prefixes and the screenshot")
    parser.add_argument("--win32-build", required=True, help="build folder with Ocxmedic.exe and ui-driver.exe")
    args = parser.parse_args()
    env = Env(Path(args.work), Path(args.win32_build))
    try:
        check_available(env, need_screen=True)
        show(env, args.arch, args.version)
    except (Unavailable, Failure) as why:
        print(f"cannot show the program: {why}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
