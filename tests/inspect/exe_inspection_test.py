#!/usr/bin/env python3
"""Checks the cross-built Ocxmedic.exe and the stand-in controls without
running them: what Windows' loader, Explorer and regsvr32 will find in the
files.

    exe_inspection_test.py --win32-build DIR --file-version A.B.C.D --version-text TEXT [unittest args]

Exits 77 (a skip to CTest) where DIR holds no Ocxmedic.exe yet.
"""

import argparse
import struct
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
import pe_image  # noqa: E402 (found through the line above)

ARGS = None
SKIPPED = 77

SUBSYSTEM_GUI = 2
GERMAN = 0x0407
CODE_PAGE_1252 = 1252
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
# Microsoft's PE format documentation: IMAGE_DLLCHARACTERISTICS_* and
# IMAGE_FILE_RELOCS_STRIPPED.
DYNAMIC_BASE, NX_COMPATIBLE, TERMINAL_SERVER_AWARE = 0x0040, 0x0100, 0x8000
RELOCATIONS_STRIPPED = 0x0001
# Windows XP is subsystem version 5.1; its loader refuses a program that
# asks for a later one.
XP_SUBSYSTEM_VERSION = (5, 1)
# Only the test build asks Wine's ntdll for this export (app/standin_guard.h).
STANDIN_GUARD = b"wine_get_version"

# Every import the program may have, each checked to exist on Windows XP
# SP3, where one missing import stops the whole program from loading. Only
# DLLs that every Windows keeps as KnownDLLs or that the manifest binds
# (comctl32) are here: any other could be loaded from a copy planted beside
# the program. A function that a later Windows added is looked up at run
# time instead; a new import belongs here only once it is known to be on XP.
XP_SP3_IMPORTS = {
    "advapi32.dll": {"RegCloseKey", "RegOpenKeyExA", "RegQueryValueExA"},
    "comctl32.dll": {"InitCommonControlsEx"},
    "gdi32.dll": {"CreateFontW", "DeleteObject", "GetDeviceCaps", "SetBkColor", "SetTextColor"},
    "kernel32.dll": {
        "CloseHandle", "CopyFileA", "CreateFileA", "CreateProcessW", "CreateSemaphoreW", "DeleteCriticalSection",
        "DeleteFileA", "EnterCriticalSection", "ExitProcess", "FileTimeToLocalFileTime", "FindClose",
        "FindFirstFileA", "FindResourceA", "FlushFileBuffers", "FormatMessageW", "FreeLibrary", "GetCurrentProcess",
        "GetCurrentThreadId", "GetFileAttributesExA", "GetLastError", "GetLocalTime", "GetModuleFileNameW",
        "GetModuleHandleA", "GetModuleHandleW", "GetProcAddress", "GetStartupInfoA", "GetSystemDefaultLangID",
        "GetSystemDirectoryW", "GetTempPathA", "GetTickCount", "GetVersionExA", "GlobalAlloc", "GlobalFree",
        "GlobalLock", "GlobalUnlock", "InitializeCriticalSection", "IsDBCSLeadByteEx", "LeaveCriticalSection",
        "LoadLibraryA", "LoadLibraryExW", "LoadLibraryW", "LoadResource", "LocalFree", "LockResource", "MoveFileA",
        "MultiByteToWideChar", "ReadFile", "ReleaseSemaphore", "SetLastError", "SetUnhandledExceptionFilter",
        "SizeofResource", "Sleep", "TlsAlloc", "TlsFree", "TlsGetValue", "TlsSetValue", "VerLanguageNameA",
        "VirtualProtect", "VirtualQuery", "WaitForSingleObject", "WideCharToMultiByte", "WriteFile",
    },
    "msvcrt.dll": {
        "__getmainargs", "__initenv", "__mb_cur_max", "__p__acmdln", "__p__commode", "__p__fmode", "__set_app_type",
        "__setusermatherr", "_amsg_exit", "_cexit", "_close", "_errno", "_initterm", "_iob", "_onexit", "_read",
        "abort", "atoi", "calloc", "exit", "fprintf", "fputc", "free", "fwrite", "localeconv", "malloc", "memchr",
        "memcmp", "memcpy", "memmove", "memset", "realloc", "setlocale", "signal", "strchr", "strcmp", "strerror",
        "strlen", "strncmp", "toupper", "vfprintf", "wcslen",
    },
    "ole32.dll": {"CoTaskMemFree"},
    "shell32.dll": {"SHGetPathFromIDListA", "SHGetSpecialFolderLocation"},
    "user32.dll": {
        "AdjustWindowRectEx", "CloseClipboard", "CreateWindowExW", "DefWindowProcW", "DestroyWindow",
        "DispatchMessageW", "EmptyClipboard", "EnableWindow", "GetActiveWindow", "GetDC", "GetDlgCtrlID",
        "GetFocus", "GetMessageW", "GetNextDlgTabItem", "GetSysColor", "GetSysColorBrush", "GetSystemMetrics",
        "GetWindowLongW", "GetWindowTextLengthW", "GetWindowTextW", "IsChild", "IsDialogMessageW", "IsWindow",
        "IsWindowEnabled", "IsWindowVisible", "LoadCursorW", "LoadImageW", "MessageBoxW",
        "MsgWaitForMultipleObjects", "OpenClipboard", "PeekMessageW", "PostQuitMessage", "RegisterClassExW",
        "ReleaseDC", "SendMessageW", "SetClipboardData", "SetCursor", "SetFocus", "SetForegroundWindow",
        "SetWindowLongW", "SetWindowPos", "SetWindowTextW", "ShowWindow", "SystemParametersInfoW",
        "TranslateMessage", "UpdateWindow",
    },
}

MANIFEST_NEEDLES = {
    "elevation": 'level="requireAdministrator"',
    "DPI awareness": ">true</dpiAware>",
    "common controls 6": 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
    "Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "Windows 7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "Windows 8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "Windows 8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "Windows 10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


class ExeInspection(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.path = ARGS.win32_build / "Ocxmedic.exe"
        cls.bytes = cls.path.read_bytes()
        cls.pe = pe_image.load(cls.bytes)

    def test_is_a_32_bit_program_for_xp_asking_for_dep_aslr_and_terminal_server_awareness(self):
        # DEP and ASLR (which needs the relocations kept) Windows applies only
        # on request; without terminal-server awareness a Remote Desktop
        # session host gives the program a per-user Windows folder instead of
        # the real one.
        header, optional = self.pe.FILE_HEADER, self.pe.OPTIONAL_HEADER
        self.assertEqual(header.Machine, pe_image.MACHINE_I386)
        self.assertEqual(optional.Magic, pe_image.OPTIONAL_PE32)
        self.assertEqual(optional.Subsystem, SUBSYSTEM_GUI)
        self.assertLessEqual((optional.MajorSubsystemVersion, optional.MinorSubsystemVersion), XP_SUBSYSTEM_VERSION)
        self.assertEqual(header.Characteristics & (pe_image.FILE_IS_DLL | RELOCATIONS_STRIPPED), 0,
                         "a DLL, or no relocations")
        wanted = NX_COMPATIBLE | DYNAMIC_BASE | TERMINAL_SERVER_AWARE
        self.assertEqual(optional.DllCharacteristics & wanted, wanted,
                         "DEP 0x100, ASLR 0x40, terminal-server aware 0x8000")

    def test_imports_only_what_windows_xp_sp3_has_from_safe_dlls(self):
        imports = pe_image.imports(self.pe)
        self.assertTrue(imports)
        for dll, functions in imports.items():
            with self.subTest(dll=dll):
                self.assertIn(dll, XP_SP3_IMPORTS, "imported")
                self.assertEqual(functions - XP_SP3_IMPORTS[dll], set(), "not on XP SP3")

    def test_version_record_is_the_project_version_in_german(self):
        self.assertIsNotNone(pe_image.resource(self.pe, pe_image.RT_VERSION, 1, GERMAN), "no German version record")
        version = pe_image.file_version(self.pe)
        self.assertEqual(".".join(map(str, version or ())), ARGS.file_version)
        block = pe_image.version_strings(self.pe).get(f"{GERMAN:04X}{CODE_PAGE_1252:04X}")
        self.assertIsNotNone(block, "no German block in code page 1252")
        # The umlaut must survive the resource compiler's code page.
        expected = {"FileVersion": ARGS.version_text, "FileDescription": "Problemlösung zum Microsoft Update"}
        self.assertEqual({key: block.get(key) for key in expected}, expected)
        self.assertEqual(pe_image.version_translations(self.pe), [(GERMAN, CODE_PAGE_1252)])

    def test_manifest_asks_for_administrator_and_declares_dpi_and_supported_windows(self):
        manifest = pe_image.resource(self.pe, RT_MANIFEST, 1)
        self.assertIsNotNone(manifest, "no manifest resource 24/1")
        text = manifest.decode("utf-8")
        for what, needle in MANIFEST_NEEDLES.items():
            with self.subTest(what=what):
                self.assertIn(needle, text)

    def test_icon_has_16_and_32_pixel_images_in_16_and_256_colours(self):
        group = pe_image.resource(self.pe, RT_GROUP_ICON, 1)
        self.assertIsNotNone(group, "no icon group 1")
        count = struct.unpack_from("<H", group, 4)[0]
        self.assertGreaterEqual(len(group), 6 + 14 * count)
        found = set()
        for index in range(count):
            # GRPICONDIRENTRY: width, height, colours, reserved, planes,
            # bits per pixel, size, identifier.
            width, _, _, _, _, bits, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * index)
            size = width or 256
            with self.subTest(icon=icon_id):
                # The image itself must say the same as the group's entry.
                bitmap = pe_image.resource(self.pe, RT_ICON, icon_id)
                self.assertIsNotNone(bitmap)
                bitmap_width, bitmap_height, _, bitmap_bits = struct.unpack_from("<iiHH", bitmap, 4)
                self.assertEqual((bitmap_width, bitmap_height, bitmap_bits), (size, 2 * size, bits),
                                 "size, colour and mask rows, bits per pixel")
            found.add((size, bits))
        self.assertLessEqual({(16, 4), (32, 4), (16, 8), (32, 8)}, found, "16 and 32 pixels, each at 4 and 8 bits")

    def carried_payload(self) -> bytes:
        """The file the build names in Ocxmedic.payload as the one it carries."""
        record = ARGS.win32_build / "Ocxmedic.payload"
        self.assertTrue(record.exists(), f"the build names its payload in {record}")
        return Path(record.read_text(encoding="utf-8")).read_bytes()

    def test_carries_the_payload_byte_for_byte_as_custom_101_in_german(self):
        payload = self.carried_payload()
        self.assertTrue(payload)
        carried = pe_image.resource(self.pe, "CUSTOM", 101, GERMAN)
        self.assertIsNotNone(carried, "no resource CUSTOM 101 in language 1031")
        self.assertEqual(len(carried), len(payload))
        self.assertEqual(carried, payload)

    def test_only_a_build_that_carries_the_stand_in_asks_whether_it_runs_under_wine(self):
        standin = (ARGS.win32_build / "standin-mscomctl-6.1.98.34.ocx").read_bytes()
        if self.carried_payload() == standin:
            self.assertIn(STANDIN_GUARD, self.bytes, "a test build without its guard")
        else:
            self.assertNotIn(STANDIN_GUARD, self.bytes, "a build to ship with the test build's guard")


class StandInControl(unittest.TestCase):
    """Both stand-ins must be what regsvr32 and the survey need: 32-bit DLLs
    with their version and the two entry points under their plain names."""

    def test_is_a_self_registering_dll_of_its_version(self):
        for version in ("6.1.98.34", "6.1.98.33"):
            with self.subTest(version=version):
                dll = pe_image.load((ARGS.win32_build / f"standin-mscomctl-{version}.ocx").read_bytes())
                self.assertEqual(dll.FILE_HEADER.Machine, pe_image.MACHINE_I386)
                self.assertEqual(dll.OPTIONAL_HEADER.Magic, pe_image.OPTIONAL_PE32)
                self.assertTrue(dll.FILE_HEADER.Characteristics & pe_image.FILE_IS_DLL)
                self.assertLessEqual({"DllRegisterServer", "DllUnregisterServer"},
                                     set(pe_image.exported_names(dll)))
                self.assertEqual(".".join(map(str, pe_image.file_version(dll) or ())), version)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32-build", type=Path, required=True)
    parser.add_argument("--file-version", required=True)
    parser.add_argument("--version-text", required=True)
    ARGS, rest = parser.parse_known_args()
    if not (ARGS.win32_build / "Ocxmedic.exe").exists():
        print(f"no Ocxmedic.exe in {ARGS.win32_build} (build the mingw-i686 preset first)")
        sys.exit(SKIPPED)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
