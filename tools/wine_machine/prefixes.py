"""Prefixes that play broken machines: one base per architecture with the
old control installed and registered, one copy of it per Windows version."""

from __future__ import annotations

import contextlib
import os
import shutil
import subprocess
import tempfile
from dataclasses import dataclass
from pathlib import Path

from .processes import Unavailable, check, kill_wineserver, run, wait_wineserver, wine_environment, wine_missing

TYPELIB = r"TypeLib\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}"
OLD_VERSION = "6.1.98.33"
NEW_VERSION = "6.1.98.34"
ARCHES = ("win32", "win64")


@dataclass(frozen=True)
class Machine:
    """A Windows that a prefix plays, and what Wine then reports for it."""

    winecfg: str  # the version name that winecfg -v takes
    reported: tuple[int, int, int, str, int]  # major, minor, build, service pack, product type
    name_start: str  # how the product name of the Windows line begins
    build: int | None = None  # a build number set over the one Wine has for the version
    locale: str = "C.UTF-8"  # the Linux locale, from which Wine takes language and code page
    language: int = 0x0409  # the system's language, as Wine makes it of the locale
    temp: str | None = None  # the user's temporary folder, instead of Wine's
    ansi_temp: str | None = None  # that folder as the ANSI calls name it, where code page 1252 lacks a letter


# Product types: 1 workstation, 3 server. Wine has no 64-bit Windows XP
# under the name winxp; its winxp64 is XP Professional x64, version 5.2 with
# a workstation product type. Windows 8 and later have no name of their own
# in the program's table. Wine 8 knows no Windows 11, but takes the build
# number a Windows 10 prefix reports from the registry.
MACHINES = {
    "winxp": Machine("winxp", (5, 1, 2600, "Service Pack 3", 1), "Microsoft Windows XP "),
    "winxp64": Machine("winxp64", (5, 2, 3790, "Service Pack 2", 1), "Microsoft Windows XP "),
    "win2003": Machine("win2003", (5, 2, 3790, "Service Pack 2", 3), "Microsoft Windows Server 2003 "),
    "vista": Machine("vista", (6, 0, 6002, "Service Pack 2", 1), "Microsoft Windows Vista "),
    "win2008": Machine("win2008", (6, 0, 6002, "Service Pack 2", 3), "Microsoft Windows Server 2008 "),
    "win7": Machine("win7", (6, 1, 7601, "Service Pack 1", 1), "Microsoft Windows 7 "),
    "win2008r2": Machine("win2008r2", (6, 1, 7601, "Service Pack 1", 3), "Microsoft Windows Server 2008 R2 "),
    "win8": Machine("win8", (6, 2, 9200, "", 1), "Microsoft Windows"),
    "win81": Machine("win81", (6, 3, 9600, "", 1), "Microsoft Windows"),
    "win10": Machine("win10", (10, 0, 18362, "", 1), "Microsoft Windows"),
    "win11": Machine("win10", (10, 0, 22631, "", 1), "Microsoft Windows", build=22631),
    # A German Windows 10 whose user has umlauts and an ß in the path of the
    # temporary folder; the program's ANSI calls see it in code page 1252.
    "win10-de": Machine("win10", (10, 0, 18362, "", 1), "Microsoft Windows", locale="de_DE.UTF-8",
                        language=0x0407, temp=r"C:\users\Jürgen Groß\Temp"),
    # A Polish user on a Windows whose ANSI code page is 1252: GetTempPathA
    # names the folder with the best-fit letters of that code page (Ł and Ż
    # become L and Z, ł and ć become l and c, ó is in it), as Windows
    # converts by default (Microsoft's WideCharToMultiByte documentation,
    # WC_NO_BEST_FIT_CHARS, and its best-fit table for 1252). A folder under
    # that spelling exists too, as an older account's would, so that the
    # program's copy lands somewhere and the report shows where.
    "win10-pl": Machine("win10", (10, 0, 18362, "", 1), "Microsoft Windows", temp=r"C:\users\Łukasz Żółć\Temp",
                        ansi_temp=r"C:\users\Lukasz Zólc\Temp"),
}


def system_folder(arch: str) -> str:
    """The folder where a 32-bit program finds the installed control."""
    return "syswow64" if arch == "win64" else "system32"


class Env:
    """Where prefixes go and where the programs to run under Wine lie."""

    def __init__(self, work: Path, win32_build: Path):
        # Wine takes absolute prefix paths only.
        self.work = Path(work).resolve()
        self.win32_build = Path(win32_build).resolve()
        self.exe = self.win32_build / "Ocxmedic.exe"
        self.driver = self.win32_build / "ui-driver.exe"
        self.old_control = self.win32_build / f"standin-mscomctl-{OLD_VERSION}.ocx"


def check_available(env: Env, need_screen: bool) -> None:
    if why := wine_missing():
        raise Unavailable(why)
    if need_screen and not Path("/usr/bin/import").exists():
        raise Unavailable("ImageMagick's import is missing")
    for path in (env.exe, env.driver, env.old_control):
        if not path.exists():
            raise Unavailable(f"{path} is missing: build the mingw-i686 preset first")


# Wine copies all its DLLs into every prefix (1.3 GB for a 64-bit one), and
# nothing in these tests writes to them: a copy links them and copies the
# rest, the registry files and the control file that the repair replaces.
LINKED_FOLDERS = {"system32", "syswow64", "winsxs"}


def clone_prefix(source: Path, target: Path) -> None:
    shutil.rmtree(target, ignore_errors=True)

    def copy(src: str, dst: str) -> None:
        parts = Path(src).relative_to(source).parts
        if (len(parts) > 3 and parts[:2] == ("drive_c", "windows") and parts[2].lower() in LINKED_FOLDERS
                and parts[-1].upper() != "MSCOMCTL.OCX"):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.copytree(source, target, symlinks=True, copy_function=copy)


def windows_path(path: Path) -> str:
    return "Z:" + str(path).replace("/", "\\")


def make_base(env: Env, arch: str) -> None:
    prefix = env.work / f"base-{arch}"
    shutil.rmtree(prefix, ignore_errors=True)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    wine = wine_environment(prefix, arch=arch)
    try:
        run(["wine", "wineboot", "-i"], wine, 600, "wineboot")
        folder = system_folder(arch)
        shutil.copy2(env.old_control, prefix / "drive_c" / "windows" / folder / "MSCOMCTL.OCX")
        # Every process of the prefix shows in one virtual desktop, which
        # draws window frames and which the driver shares with the program.
        setup = prefix / "ocxmedic-setup.reg"
        setup.write_text("REGEDIT4\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n\"Desktop\"=\"Default\"\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n\"Default\"=\"1024x768\"\r\n\r\n"
                         f"[HKEY_CLASSES_ROOT\\{TYPELIB}\\2.0]\r\n"
                         "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n\r\n", encoding="ascii")
        run(["wine", "regedit", "/S", windows_path(setup)], wine, 120, "regedit")
        # The 32-bit regsvr32, as the program itself would start it; it adds
        # key 2.1 with the control's path.
        run(["wine", f"C:\\windows\\{folder}\\regsvr32.exe", "/s", f"C:\\windows\\{folder}\\MSCOMCTL.OCX"],
            wine, 120, "regsvr32 of the old control")
        wait_wineserver(wine)
    finally:
        kill_wineserver(wine)
    registry = (prefix / "system.reg").read_text(encoding="utf-8", errors="replace").lower()
    for key in ("2.0", "2.1\\0\\win32"):
        # The registry file doubles every backslash of a key name.
        wanted = f"[software\\classes\\{TYPELIB}\\{key}]".lower().replace("\\", "\\\\")
        check(wanted in registry, f"the base prefix lacks the key HKCR\\{TYPELIB}\\{key}")


def machine_dir(env: Env, arch: str, version: str) -> Path:
    return env.work / f"machine-{arch}-{version}"


def locale_folder(env: Env, locale: str) -> Path | None:
    """Where glibc finds a locale this machine lacks, generated once from
    the locales package's sources; None when the system has it."""
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True, check=False).stdout.split()
    wanted = locale.lower().replace("-", "")
    if any(name.lower().replace("-", "") == wanted for name in have):
        return None
    folder = env.work / "locales"
    if not (folder / locale / "LC_CTYPE").exists():
        if shutil.which("localedef") is None:
            raise Unavailable(f"the locale {locale} is missing and localedef is not installed (scripts/install-deps)")
        language, charset = locale.split(".")
        folder.mkdir(parents=True, exist_ok=True)
        # Built aside and moved, as two tests may build it at once.
        partial = Path(tempfile.mkdtemp(dir=folder))
        run(["localedef", "-i", language, "-f", charset, str(partial / locale)], dict(os.environ), 120, "localedef")
        with contextlib.suppress(OSError):
            (partial / locale).rename(folder / locale)
        shutil.rmtree(partial, ignore_errors=True)
    return folder


def machine_environment(env: Env, version: str, prefix: Path, display: str | None = None) -> dict[str, str]:
    locale = MACHINES[version].locale
    return wine_environment(prefix, display, locale=locale, locales=locale_folder(env, locale))


def make_machine(env: Env, arch: str, version: str) -> None:
    base = env.work / f"base-{arch}"
    check((base / "system.reg").exists(), f"no base prefix {base}: its fixture has not run")
    machine = MACHINES[version]
    prefix = machine_dir(env, arch, version)
    clone_prefix(base, prefix)
    wine = machine_environment(env, version, prefix)
    try:
        run(["wine", "winecfg", "-v", machine.winecfg], wine, 120, f"winecfg -v {machine.winecfg}")
        if machine.build:
            # Wine reports the build that the registry holds, shared by both views.
            for value in ("CurrentBuild", "CurrentBuildNumber"):
                run(["wine", "reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion", "/v", value,
                     "/d", str(machine.build), "/f"], wine, 120, f"setting {value}")
        if machine.temp:
            for value in ("TEMP", "TMP"):
                run(["wine", "reg", "add", r"HKCU\Environment", "/v", value, "/t", "REG_EXPAND_SZ",
                     "/d", machine.temp, "/f"], wine, 120, f"setting {value}")
            for folder in filter(None, (machine.temp, machine.ansi_temp)):
                (prefix / "drive_c" / Path(*folder[3:].split("\\"))).mkdir(parents=True, exist_ok=True)
        wait_wineserver(wine)
    finally:
        kill_wineserver(wine)
