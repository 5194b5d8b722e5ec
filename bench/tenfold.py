#!/usr/bin/env python3
"""Ten times the file: the editor's steps on 10,000,000 lines beside 1,000,000.

The 1M-line file is the one make-big.py writes; the 10M-line file is ten of
it one after another (about 450 MB, the same folds ten times). The tenfold
program opens a copy of each, opens every fold, goes to the last line,
saves and closes, timing each step. Each figure is the median of RUNS runs.
Targets: every step at most 11 times its 1M time, and peak memory at most
twice the 10M file's size.

usage: tenfold.py --bin DIR [--work DIR] [--runs N]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare  # noqa: E402

STEPS = ["open", "openall", "lastline", "save", "close"]


def one_run(program, source, work):
    copy = os.path.join(work, "copy-" + os.path.basename(source))
    shutil.copyfile(source, copy)
    start = time.perf_counter()
    done = subprocess.run([program, copy], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          stdin=subprocess.DEVNULL, text=True)
    wall = time.perf_counter() - start
    os.remove(copy)
    if done.returncode != 0:
        sys.exit("tenfold: %s failed: %s" % (program, done.stderr[-500:]))
    figures = {}
    for line in done.stdout.splitlines():
        name, value = line.split()
        figures[name] = float(value)
    figures["process"] = wall
    return figures


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--bin", required=True)
    ap.add_argument("--work", default=None)
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    program = os.path.join(os.path.abspath(args.bin), "tenfold")
    if not os.access(program, os.X_OK):
        sys.exit("tenfold: %s is missing; build first" % program)
    work = os.path.abspath(args.work or os.path.join(args.bin, "..", "tenfold"))
    os.makedirs(work, exist_ok=True)
    one = compare.write_big(os.path.join(work, "big.c"))
    ten = os.path.join(work, "big10m.c")
    if not os.path.isfile(ten) or os.path.getsize(ten) != 10 * os.path.getsize(one):
        print("tenfold: writing %s" % ten, flush=True)
        with open(ten + ".part", "wb") as out:
            for _ in range(10):
                with open(one, "rb") as src:
                    shutil.copyfileobj(src, out, 1 << 22)
        os.replace(ten + ".part", ten)

    med = {}
    for label, path in (("1M", one), ("10M", ten)):
        runs = [one_run(program, path, work) for _ in range(args.runs)]
        med[label] = {k: statistics.median(r[k] for r in runs) for k in runs[0]}
        print("tenfold: %s: %d lines, %.0f MB, %s" % (
            label, med[label]["lines"], med[label]["file_bytes"] / 1e6,
            " ".join("%s %.2f" % (k, med[label][k]) for k in STEPS + ["process"])), flush=True)

    print()
    print("| Step | 1M lines | 10M lines | Ratio | Target |")
    print("|---|---|---|---|---|")
    for k in STEPS + ["process"]:
        a, b = med["1M"][k], med["10M"][k]
        r = b / a if a else float("inf")
        target = "≤ 11× %s" % ("met" if r <= 11 else "NOT met") if k != "process" else ""
        print("| %s | %.2f s | %.2f s | %.1f | %s |" % (k, a, b, r, target))
    peak = {label: med[label]["peak_kib"] * 1024 for label in med}
    size = {label: med[label]["file_bytes"] for label in med}
    print("| peak memory | %.0f MiB | %.0f MiB | %.1f | |" % (
        peak["1M"] / 2**20, peak["10M"] / 2**20, peak["10M"] / peak["1M"]))
    r = peak["10M"] / size["10M"]
    print("| peak memory / file size | %.2f× | %.2f× | | ≤ 2× %s |" % (
        peak["1M"] / size["1M"], r, "met" if r <= 2 else "NOT met"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
