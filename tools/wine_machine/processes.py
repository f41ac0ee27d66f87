"""Wine processes and the screen they show on: the environment every
process of a prefix gets, commands run to their end, and an Xvfb of our own."""

from __future__ import annotations

import contextlib
import os
import select
import shutil
import signal
import subprocess
import tempfile
from pathlib import Path

# The exit code that tells CTest a test was skipped.
SKIP = 77


class Failure(AssertionError):
    pass


class Unavailable(Exception):
    """Wine, a screen or a build product cannot be had on this machine."""


def check(condition: bool, message: str) -> None:
    if not condition:
        raise Failure(message)


def wine_environment(prefix: Path, display: str | None = None, arch: str | None = None,
                     locale: str = "C.UTF-8", locales: Path | None = None) -> dict[str, str]:
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LOCPATH", "WINE", "DISPLAY"))}
    # One locale for every process of a prefix, whatever the calling shell
    # uses; both give the ANSI code page 1252 of a German Windows. No prefix
    # asks to install Mono or Gecko, and none adds menu entries for the user.
    env.update(LANG=locale, WINEPREFIX=str(prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d")
    if locales:
        env["LOCPATH"] = str(locales)
    if display:
        env["DISPLAY"] = display
    if arch:
        env["WINEARCH"] = arch
    return env


def run_captured(cmd: list[str], env: dict[str, str], timeout: float) -> tuple[int, str, str]:
    """Output goes through files, not pipes: the first Wine process of a
    prefix starts the wineserver and the prefix's services, which inherit its
    handles and would keep a pipe open long after the command has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(cmd, env=env, stdout=out, stderr=err, timeout=timeout, check=False)
        out.seek(0)
        err.seek(0)
        return done.returncode, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


def run(cmd: list[str], env: dict[str, str], timeout: float = 300, what: str | None = None) -> str:
    try:
        code, out, err = run_captured(cmd, env, timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"{what or cmd[0]} took longer than {timeout} s") from None
    if code != 0:
        raise Failure(f"{what or ' '.join(cmd)} failed with exit code {code}:\n{out}{err}")
    return out


def wait_wineserver(env: dict[str, str], timeout: float = 120) -> None:
    """Until every process of the prefix has ended and the registry is on disk."""
    run(["wineserver", "-w"], env, timeout, "waiting for the prefix's processes")


def kill_wineserver(env: dict[str, str]) -> None:
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60, check=False)


def wine_missing() -> str | None:
    """Why this machine cannot run 32-bit Windows programs on a screen of
    their own, or None when it can."""
    for tool in ("wine", "wineserver", "Xvfb"):
        if shutil.which(tool) is None:
            return f"{tool} is not installed (scripts/install-wine installs it)"
    loader = Path("/lib/ld-linux.so.2")
    if not loader.exists() or subprocess.run([str(loader), "--version"], stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL).returncode != 0:
        return "this machine runs no 32-bit programs (scripts/install-wine sets that up)"
    return None


@contextlib.contextmanager
def virtual_screen():
    """An Xvfb of our own; -displayfd lets it pick a display no one uses. It
    is larger than any desktop the tests give Wine, so that each desktop
    shows whole."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1200x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    try:
        ready, _, _ = select.select([read_end], [], [], 30)
        number = os.read(read_end, 32).decode().strip() if ready else ""
        if not number:
            raise Failure("Xvfb did not start")
        yield f":{number}"
    finally:
        os.close(read_end)
        with contextlib.suppress(ProcessLookupError):
            os.killpg(xvfb.pid, signal.SIGTERM)
        try:
            xvfb.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(xvfb.pid, signal.SIGKILL)
            xvfb.wait()
