"""One run of the program on a private copy of a machine, worked by the UI
driver on a screen of its own."""

from __future__ import annotations

import contextlib
import json
import shutil
import subprocess
from pathlib import Path

from .prefixes import Env, clone_prefix, machine_dir, machine_environment, windows_path
from .processes import Failure, check, kill_wineserver, run, run_captured, virtual_screen, wait_wineserver


class Session:
    """The program started on a private copy of a machine, on a screen of its own."""

    def __init__(self, env: Env, arch: str, version: str, name: str, display: str | None = None):
        self.env, self.arch, self.version = env, arch, version
        self.display = display
        self.prefix = env.work / "runs" / f"{name}-{arch}-{version}"
        self.log = self.prefix.parent / f"{name}-{arch}-{version}.log"
        self._stack = contextlib.ExitStack()
        self.app: subprocess.Popen | None = None

    def __enter__(self) -> Session:
        machine = machine_dir(self.env, self.arch, self.version)
        check((machine / "system.reg").exists(), f"no machine {machine}: its fixture has not run")
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        clone_prefix(machine, self.prefix)
        try:
            if self.display is None:
                self.display = self._stack.enter_context(virtual_screen())
            self.wine = machine_environment(self.env, self.version, self.prefix, self.display)
            self._stack.callback(kill_wineserver, self.wine)
            return self
        except BaseException:
            self._stack.close()
            raise

    def __exit__(self, kind, value, trace) -> None:
        self._stack.close()
        if kind is None:
            shutil.rmtree(self.prefix, ignore_errors=True)

    def start(self, exe: Path | None = None, cwd: Path | None = None) -> None:
        log = open(self.log, "wb")
        self._stack.callback(log.close)
        self.app = subprocess.Popen(["wine", str(exe or self.env.exe)], env=self.wine, stdout=log,
                                    stderr=subprocess.STDOUT, start_new_session=True, cwd=cwd)

    def drive(self, *commands: str, window: bool = True, timeout_s: int = 90) -> list[dict]:
        """Runs the driver once; every command must succeed. With `window`
        it first finds the program's window, which the commands then share."""
        if window:
            return self.drive("wait", *commands, window=False, timeout_s=timeout_s)[1:]
        cmd = ["wine", str(self.env.driver), f"--timeout={timeout_s * 1000}", *commands]
        try:
            code, out, err = run_captured(cmd, self.wine, timeout_s * len(commands) + 60)
        except subprocess.TimeoutExpired:
            raise Failure(f"the driver hung on {commands}") from None
        results = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
        failed = [r for r in results if not r.get("ok")]
        if failed or code != 0 or len(results) != len(commands):
            raise Failure(f"driver {' '.join(commands)} (exit {code}):\n"
                          + "\n".join(json.dumps(r, ensure_ascii=False) for r in results) + "\n" + err[-2000:])
        return results

    def settle(self) -> None:
        """Until the program and every regsvr32 it started have ended."""
        wait_wineserver(self.wine)

    def unix(self, windows: str) -> Path:
        """The file behind a C: path; Windows names ignore case, Linux's do not."""
        check(windows.lower().startswith("c:\\"), f"not a path on C: {windows}")
        path = self.prefix / "drive_c"
        for part in windows[3:].split("\\"):
            same = [p for p in path.iterdir() if p.name.lower() == part.lower()] if path.is_dir() else []
            path = same[0] if same else path / part
        return path

    def import_registry(self, text: str) -> None:
        """Registry settings for this run only, before the program starts."""
        reg = self.prefix / "ocxmedic-run.reg"
        reg.write_text("REGEDIT4\r\n\r\n" + text, encoding="ascii")
        run(["wine", "regedit", "/S", windows_path(reg)], self.wine, 120, "regedit")
        # The desktop that regedit opened keeps its size and DPI; the
        # program's start opens a new one that reads the settings.
        self.settle()

    def screenshot(self, window_rect: list[int], target: Path) -> None:
        x, y, w, h = window_rect
        target.parent.mkdir(parents=True, exist_ok=True)
        run(["/usr/bin/import", "-display", self.display, "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
             "+repage", str(target)], self.wine, 60, "import")
        check(target.exists() and target.stat().st_size > 1000, f"no screenshot written to {target}")
