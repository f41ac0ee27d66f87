#!/usr/bin/env python3
"""The way to a shipped Ocxmedic.exe: which payloads the build takes, and
what scripts/release leaves behind.

    release_test.py --source-dir DIR --win32-build DIR --work DIR [unittest args]

The stand-in controls of the test build (--win32-build) serve as payloads:
padded to the genuine file's size, the newer one passes every check the
build makes, and each bad payload differs from it in one point.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest
from pathlib import Path

ARGS = None
GENUINE_SIZE = 1_070_152
TOOLCHAIN = "cmake/toolchain-mingw-i686.cmake"


def pe_image():
    sys.path.insert(0, str(ARGS.source_dir / "tools"))
    import pe_image  # noqa: E402 (its folder is known only now)
    return pe_image


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kwargs)


def standin(name: str) -> bytes:
    path = ARGS.win32_build / name
    if not path.exists():
        raise unittest.SkipTest(f"no {path}: build the mingw-i686 preset first")
    return path.read_bytes()


def good_payload() -> bytes:
    """The newer stand-in padded to the genuine file's length: a DLL that
    Windows loads as it is, the padding being trailing data of the file."""
    data = standin("standin-mscomctl-6.1.98.34.ocx")
    return data + bytes(GENUINE_SIZE - len(data))


def relabelled_x64(data: bytes) -> bytes:
    """The same DLL with its headers saying AMD64 and PE32+; the build must
    look no further than the machine it was made for."""
    patched = bytearray(data)
    pe = struct.unpack_from("<I", patched, 0x3C)[0]
    struct.pack_into("<H", patched, pe + 4, 0x8664)
    struct.pack_into("<H", patched, pe + 24, 0x20B)
    return bytes(patched) + bytes(GENUINE_SIZE - len(patched))


def configure(build: Path, *definitions: str, preset: bool = True):
    command = ["cmake", "-S", str(ARGS.source_dir), "-B", str(build)]
    if preset:
        command[1:1] = ["--preset", "release"]
    else:
        command += [f"-DCMAKE_TOOLCHAIN_FILE={ARGS.source_dir / TOOLCHAIN}"]
    return run(command + [f"-D{d}" for d in definitions], cwd=ARGS.source_dir)


class PayloadChecks(unittest.TestCase):
    """What the configure step takes and refuses. After the first run in a
    build folder CMake knows the compilers, and each further one is quick."""

    def setUp(self):
        self.work = ARGS.work / "payloads"
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)

    def configure(self, *definitions: str, works: bool, preset: bool = True, build: str = "release") -> str:
        """The output, with CMake's wrapping of long messages undone."""
        result = configure(self.work / build, *definitions, preset=preset)
        self.assertEqual(result.returncode == 0, works, result.stdout)
        return re.sub(r"\s+", " ", result.stdout)

    def test_a_build_without_a_chosen_payload_stops_and_names_both_ways(self):
        message = self.configure(works=False, preset=False, build="plain")
        self.assertIn("OCXMEDIC_PAYLOAD", message)
        self.assertIn("OCXMEDIC_STANDIN_PAYLOAD", message)

    def test_the_release_preset_refuses_each_bad_payload_by_its_own_check(self):
        newer, older = standin("standin-mscomctl-6.1.98.34.ocx"), standin("standin-mscomctl-6.1.98.33.ocx")
        cases = {
            "older-version.ocx": (older + bytes(GENUINE_SIZE - len(older)), "is version 6.1.98.33, not 6.1.98.34"),
            "x64.ocx": (relabelled_x64(newer), "is not a 32-bit (i386) image: machine 0x8664"),
            "text.ocx": ("MSCOMCTL.OCX\r\nbitte hier die echte Datei ablegen\r\n".encode("cp1252"),
                         "is not a Windows DLL (no MZ header)"),
            "decorated-exports.ocx": (standin("standin-mscomctl-6.1.98.34-decorated-exports.ocx"),
                                      "does not export DllRegisterServer and DllUnregisterServer"),
            "short.ocx": (newer, f"is {len(newer):,} bytes long, not 1,070,152"),
        }
        for name, (data, reason) in cases.items():
            with self.subTest(payload=name):
                payload = self.work / name
                payload.write_bytes(data)
                message = self.configure(f"OCXMEDIC_PAYLOAD={payload}", works=False)
                self.assertIn(f"OCXMEDIC_PAYLOAD {payload} {reason}", message)

    def test_the_release_preset_needs_a_payload_even_where_the_stand_in_was_chosen_before(self):
        self.configure("OCXMEDIC_STANDIN_PAYLOAD=ON", works=True, preset=False)
        self.assertIn("OCXMEDIC_PAYLOAD", self.configure(works=False))

    def test_a_payload_shaped_like_the_genuine_file_is_taken(self):
        payload = self.work / "MSCOMCTL.OCX"
        payload.write_bytes(good_payload())
        self.assertIn(f"carries the control file {payload}", self.configure(f"OCXMEDIC_PAYLOAD={payload}", works=True))


def copy_sources(target: Path) -> Path:
    """The tracked and new files of the checkout at another path, as a clone
    would have them, plus the commit's date."""
    shutil.rmtree(target, ignore_errors=True)
    files = run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                cwd=ARGS.source_dir, check=True).stdout.split("\0")
    for name in filter(None, files):
        source = ARGS.source_dir / name
        if source.is_file():
            (target / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, target / name)
    return target


def make_certificate(folder: Path, password: str) -> Path:
    key, cert, p12 = folder / "test.key", folder / "test.crt", folder / "test.p12"
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Ocxmedic Test/O=Vantrellis",
         "-addext", "extendedKeyUsage=codeSigning", "-keyout", str(key), "-out", str(cert)], check=True)
    run(["openssl", "pkcs12", "-export", "-inkey", str(key), "-in", str(cert), "-out", str(p12),
         "-passout", f"pass:{password}"], check=True)
    return p12


class Release(unittest.TestCase):
    """Two runs of scripts/release from copies of the sources at different
    paths: one signed, one not."""

    PASSWORD = "Geheim-8472-Wort"

    @classmethod
    def setUpClass(cls):
        cls.work = ARGS.work / "release"
        shutil.rmtree(cls.work, ignore_errors=True)
        cls.work.mkdir(parents=True)
        cls.payload = cls.work / "MSCOMCTL.OCX"
        cls.payload.write_bytes(good_payload())
        cls.certificate = make_certificate(cls.work, cls.PASSWORD)
        epoch = run(["git", "log", "-1", "--format=%ct"], cwd=ARGS.source_dir).stdout.strip() or "0"

        first = copy_sources(cls.work / "a" / "src")
        environment = dict(os.environ, OCXMEDIC_SIGN_PASSWORD=cls.PASSWORD, SOURCE_DATE_EPOCH=epoch)
        cls.signed = run([str(first / "scripts/release"), "--payload", str(cls.payload), "--sign",
                          str(cls.certificate), "--out", str(cls.work / "dist-signed")], cwd=first, env=environment)
        # The second build a day later as far as any tool can tell.
        second = copy_sources(cls.work / "elsewhere" / "ocxmedic-checkout")
        environment = dict(os.environ, SOURCE_DATE_EPOCH=str(int(epoch) + 86400))
        environment.pop("OCXMEDIC_SIGN_PASSWORD", None)
        cls.unsigned = run([str(second / "scripts/release"), "--payload", str(cls.payload), "--out",
                            str(cls.work / "dist-unsigned")], cwd=second, env=environment)
        cls.sources = [first, second]
        cls.builds = [source / "build/release" for source in cls.sources]

    def test_both_runs_succeed_and_say_whether_they_signed(self):
        self.assertEqual(self.signed.returncode, 0, self.signed.stdout)
        self.assertEqual(self.unsigned.returncode, 0, self.unsigned.stdout)
        self.assertIn("signed with test.p12", self.signed.stdout)
        self.assertIn("UNSIGNED", self.unsigned.stdout)
        self.assertNotIn(self.PASSWORD, self.signed.stdout)

    def test_the_signature_verifies_against_the_certificate(self):
        cert = self.work / "test.crt"
        exe = self.work / "dist-signed/Ocxmedic.exe"
        result = run(["osslsigncode", "verify", "-in", str(exe), "-CAfile", str(cert)])
        self.assertEqual(result.returncode, 0, result.stdout)
        # One changed byte, and the same check must fail.
        tampered = self.work / "tampered.exe"
        data = bytearray(exe.read_bytes())
        data[0x400] ^= 0xFF
        tampered.write_bytes(data)
        result = run(["osslsigncode", "verify", "-in", str(tampered), "-CAfile", str(cert)])
        self.assertNotEqual(result.returncode, 0, result.stdout)

    def test_the_checksums_hold_for_what_was_written(self):
        for dist in ("dist-signed", "dist-unsigned"):
            with self.subTest(dist=dist):
                folder = self.work / dist
                self.assertEqual(sorted(p.name for p in folder.iterdir()),
                                 ["LIESMICH.txt", "Ocxmedic.exe", "SHA256SUMS"])
                result = run(["sha256sum", "-c", "SHA256SUMS"], cwd=folder)
                self.assertEqual(result.returncode, 0, result.stdout)
                self.assertEqual(result.stdout.count(": OK"), 2, result.stdout)

    def test_two_builds_from_different_paths_and_days_are_identical(self):
        first, second = ((build / "Ocxmedic.exe").read_bytes() for build in self.builds)
        self.assertEqual(first, second, "the unsigned exes differ")
        self.assertEqual(first, (self.work / "dist-unsigned/Ocxmedic.exe").read_bytes())
        for source in self.sources:
            self.assertNotIn(str(source).encode(), first)
        pe = struct.unpack_from("<I", first, 0x3C)[0]
        self.assertEqual(struct.unpack_from("<I", first, pe + 8)[0], 0, "the link time is stamped into the header")

    def test_the_release_exe_carries_the_payload_and_no_test_build_check(self):
        exe = (self.builds[1] / "Ocxmedic.exe").read_bytes()
        reader = pe_image()
        carried = reader.resource(reader.load(exe), "CUSTOM", 101)
        self.assertEqual(carried, self.payload.read_bytes())
        # Only the test build asks whether it runs under Wine.
        self.assertNotIn(b"wine_get_version", exe)
        self.assertIn(b"wine_get_version", (ARGS.win32_build / "Ocxmedic.exe").read_bytes())

    def test_the_guide_is_code_page_1252_with_crlf_line_ends(self):
        data = (self.work / "dist-unsigned/LIESMICH.txt").read_bytes()
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "a line ends without CR")
        text = data.decode("cp1252")
        self.assertIn("Problemlösung", text, "UTF-8 or a byte-order mark where code page 1252 belongs")
        self.assertIn("MSCOMCTL.OCX_Backup_JJJJ-MM-TT HH.MM.SS", text)
        self.assertRegex(text, r"Ocxmedic \d+\.\d+\.\d+ ")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", type=Path, required=True)
    parser.add_argument("--win32-build", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.source_dir = ARGS.source_dir.resolve()
    ARGS.win32_build = ARGS.win32_build.resolve()
    ARGS.work = ARGS.work.resolve()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
