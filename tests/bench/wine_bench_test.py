#!/usr/bin/env python3
"""The parts of bench/wine_bench.py that turn measurements into figures: the
wrong row or a clobbered document would go unnoticed in a long bench run."""

import json
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))
import wine_bench  # noqa: E402


def benchmark(name, real, run_type="iteration", aggregate=None, **extra):
    """One row of Google Benchmark's JSON; an aggregate is named after its
    run with the aggregate's name appended, as the library does."""
    row = {"name": name, "run_name": name, "run_type": run_type, "real_time": real, "cpu_time": real / 2,
           "time_unit": "us", **extra}
    if aggregate:
        row["aggregate_name"] = aggregate
        row["name"] = f"{name}_{aggregate}"
    return row


class NativeRowsTest(unittest.TestCase):
    def rows(self, benchmarks):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "native.json"
            path.write_text(json.dumps({"context": {}, "benchmarks": benchmarks}))
            return wine_bench.native_rows(path)

    def test_takes_the_median_of_repetitions_and_reports_failures(self):
        cases = [
            ("single runs keep every row",
             [benchmark("BM_A", 10.0, registry_opens=4.0), benchmark("BM_B", 20.0)],
             [("BM_A", 10.0, 4.0), ("BM_B", 20.0, None)]),
            ("repetitions keep only the median, under the run's name",
             [benchmark("BM_A", 9.0, "aggregate", "mean", registry_opens=4.0),
              benchmark("BM_A", 8.0, "aggregate", "median", registry_opens=4.0),
              benchmark("BM_A", 1.0, "aggregate", "stddev", registry_opens=0.0)],
             [("BM_A", 8.0, 4.0)]),
        ]
        for what, given, expected in cases:
            with self.subTest(what):
                got = [(r["name"], r["real_time"], r.get("registry_opens")) for r in self.rows(given)]
                self.assertEqual(got, expected)

    def test_a_benchmark_that_failed_shows_its_message(self):
        failed = benchmark("BM_A", 0.0, error_occurred=True, error_message="the survey found nothing")
        self.assertEqual(self.rows([failed]), [{"name": "BM_A", "error": "the survey found nothing"}])


class ReplaceFiguresTest(unittest.TestCase):
    def test_replaces_only_the_marked_section(self):
        with tempfile.TemporaryDirectory() as folder:
            document = Path(folder) / "BENCHMARKS.md"
            document.write_text("head\n<!-- figures:begin -->\nold\n<!-- figures:end -->\ntail\n")
            wine_bench.replace_figures(document, "new")
            self.assertEqual(document.read_text(), "head\n<!-- figures:begin -->\nnew\n<!-- figures:end -->\ntail\n")

    def test_refuses_a_document_without_markers(self):
        with tempfile.TemporaryDirectory() as folder:
            document = Path(folder) / "BENCHMARKS.md"
            document.write_text("no section here\n")
            with self.assertRaises(wine_bench.BenchError):
                wine_bench.replace_figures(document, "new")
            self.assertEqual(document.read_text(), "no section here\n")


class VerdictTest(unittest.TestCase):
    def test_ratios_and_size_against_their_goals(self):
        # A start-up ratio of 1.18 is within the goal for a payload of the
        # genuine control's size but not for the small stand-in; 250,000
        # bytes is just within the size goal, one more is not.
        cases = [
            (100_000, 350_000, "| 1.18 | ≤ 1.15 missed |", "250000 (250 KB) | ≤ 250,000 met"),
            (1_070_152, 1_320_153, "| 1.18 | ≤ 1.2 met |", "250001 (250 KB) | ≤ 250,000 missed"),
        ]
        # The program's window alone takes 1.3 s: the program's own work is
        # 1.77 / 1.3, the window's cost 1.3 / 1.5 of the minimal dialog.
        # The build carrying the genuine control's size takes 1.7 s, within
        # its goal.
        series = {"program_s": [1.0, 3.0, 1.77], "baseline_s": [2.0, 1.0, 1.5], "window_s": [1.3, 1.2, 1.4],
                  "genuine_size_s": [1.8, 1.7, 1.6], "genuine_size_payload_bytes": 1_070_152,
                  "genuine_size_peak_kib": [1], "program_peak_kib": [1],
                  "baseline_peak_kib": [1], "failed_starts": []}
        entry = wine_bench.ratio_entry(series)
        self.assertAlmostEqual(entry["ratio"], 1.77 / 1.5)
        for payload, exe, startup, size in cases:
            with self.subTest(payload=payload):
                results = {"date": "d", "machine": {"cpu": "c", "cores": 2, "memory_gib": 1, "os": "o",
                                                    "kernel": "k", "wine": "w", "load_average": [0]},
                           "wine": {"startup": entry, "repair": entry},
                           "size": {"exe_bytes": exe, "payload_bytes": payload, "without_payload_bytes": exe - payload,
                                    "stripped_exe_bytes": None, "stripped_without_payload_bytes": None}}
                text = wine_bench.markdown(results)
                self.assertIn(startup, text)
                self.assertIn("| 1.18 | ≤ 1.1 missed |", text)
                self.assertIn("| 1.770 s | 1.300 s (window only) | 1.36 |", text)
                self.assertIn("| 1.300 s | 1.500 s (minimal dialog) | 0.87 |", text)
                self.assertIn("1,070,152 bytes (the genuine control's size) | 1.700 s | 1.500 s (minimal dialog) | "
                              "1.13 | ≤ 1.2 met |", text)
                self.assertIn(size, text)

if __name__ == "__main__":
    unittest.main()
