#!/usr/bin/env python3
"""Times ocxmedic-sim on large regedit exports given as `registry_file`.

    bench/registry_load_bench.py --sim build/native/app/sim/ocxmedic-sim \
        --work build/bench/registry [--sizes 10,50,200] [--runs 3] \
        [--baseline-sim OLD-ocxmedic-sim] [--json OUT.json] [--markdown OUT.md]

For each size (MB of the UTF-16LE file) it generates the export with
bench/make_registry_export.py (seed 1, kept in the work folder and reused),
then runs, alternating the programs when a baseline is given:

- load: `ocxmedic-sim osinfo --machine P`, which reads the profile and its
  registry file and answers the OS information object's questions;
- load and export: `ocxmedic-sim --machine P`, which also writes the whole
  registry back as machine.registry in its JSON output (to /dev/null).

Each figure is the median wall time of the runs (and the median CPU time,
which a busy machine disturbs less), the file's size over the wall time in
MB/s (10^6 bytes), and the highest peak resident set of the runs
(ru_maxrss of the child, from wait4) against the file's size. A baseline
program, run in the same invocation, gives the ratio of the medians; the
two programs' outputs are compared byte for byte on every size.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def export_for(work, size_mb):
    path = os.path.join(work, f"export-{size_mb}mb-seed1.reg")
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(HERE, "make_registry_export.py"), "--size-mb", str(size_mb),
                        "--seed", "1", path + ".part"], check=True)
        os.replace(path + ".part", path)
    profile = os.path.join(work, f"profile-{size_mb}mb.json")
    with open(profile, "w", encoding="utf-8") as out:
        # A fixed clock: the outputs of two programs must compare equal.
        json.dump({"registry_file": os.path.basename(path),
                   "clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120}}, out)
    return path, profile


def timed(command, output):
    """Wall time and CPU time (user and system) in seconds and peak resident
    set in bytes of one run."""
    with open(output, "wb") as out:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=out, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        err = child.stderr.read().decode(errors="replace")
        child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"{' '.join(command)} failed: {err.strip()}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def same_file(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            x, y = fa.read(1 << 20), fb.read(1 << 20)
            if x != y:
                return False
            if not x:
                return True


def measure(args):
    os.makedirs(args.work, exist_ok=True)
    programs = [("current", args.sim)] + ([("baseline", args.baseline_sim)] if args.baseline_sim else [])
    modes = [("load", ["osinfo", "--machine"]), ("load_and_export", ["--machine"])]
    results = []
    for size_mb in [float(s) if "." in s else int(s) for s in args.sizes.split(",")]:
        path, profile = export_for(args.work, size_mb)
        file_bytes = os.path.getsize(path)
        for mode, words in modes:
            runs = {name: [] for name, _ in programs}
            outputs = {}
            for run in range(args.runs):
                # Alternating, so that both programs meet the same load.
                order = programs if run % 2 == 0 else list(reversed(programs))
                for name, sim in order:
                    outputs[name] = os.path.join(args.work, f"out-{name}-{mode}-{size_mb}.json")
                    runs[name].append(timed([sim] + words + [profile], outputs[name]))
            row = {"size_mb": size_mb, "file_bytes": file_bytes, "mode": mode}
            for name, _ in programs:
                seconds = statistics.median(t for t, _, _ in runs[name])
                cpu = statistics.median(c for _, c, _ in runs[name])
                peak = max(p for _, _, p in runs[name])
                row[name] = {"runs": [t for t, _, _ in runs[name]], "seconds": seconds, "cpu_seconds": cpu,
                             "mb_per_s": file_bytes / 1e6 / seconds, "peak_bytes": peak,
                             "peak_over_file": peak / file_bytes}
            if args.baseline_sim:
                row["ratio"] = row["current"]["seconds"] / row["baseline"]["seconds"]
                row["same_output"] = same_file(outputs["current"], outputs["baseline"])
            results.append(row)
            print(summary_line(row), flush=True)
    return results


def summary_line(row):
    cur = row["current"]
    line = (f"{row['size_mb']} MB {row['mode']}: {cur['seconds']:.2f} s (CPU {cur['cpu_seconds']:.2f} s), "
            f"{cur['mb_per_s']:.0f} MB/s, "
            f"peak {cur['peak_bytes'] / 1e6:.0f} MB ({cur['peak_over_file']:.2f}x the file)")
    if "baseline" in row:
        base = row["baseline"]
        line += (f"; baseline {base['seconds']:.2f} s, peak {base['peak_bytes'] / 1e6:.0f} MB; "
                 f"ratio {row['ratio']:.3f}; outputs {'equal' if row['same_output'] else 'DIFFER'}")
    return line


def markdown(results):
    lines = ["| File | What | Wall time (median) | CPU time (median) | MB/s (wall) | Peak memory | Peak / file |",
             "|---|---|---|---|---|---|---|"]
    for row in results:
        for name in ("baseline", "current"):
            if name not in row:
                continue
            fig = row[name]
            label = "load" if row["mode"] == "load" else "load and JSON output"
            if name == "baseline":
                label += " (baseline)"
            lines.append(f"| {row['file_bytes'] / 1e6:.1f} MB | {label} | {fig['seconds']:.2f} s | "
                         f"{fig['cpu_seconds']:.2f} s | {fig['mb_per_s']:.1f} | {fig['peak_bytes'] / 1e6:.0f} MB | "
                         f"{fig['peak_over_file']:.2f} |")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--sizes", default="10,50,200")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--baseline-sim")
    parser.add_argument("--json")
    parser.add_argument("--markdown")
    args = parser.parse_args()
    results = measure(args)
    table = markdown(results)
    print(table)
    if args.json:
        with open(args.json, "w", encoding="utf-8") as out:
            json.dump({"machine": {"nproc": os.cpu_count(), "loadavg": os.getloadavg()}, "results": results}, out,
                      indent=2)
    if args.markdown:
        with open(args.markdown, "w", encoding="utf-8") as out:
            out.write(table)
    failed = [r for r in results if r.get("same_output") is False]
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
