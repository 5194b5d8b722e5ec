#!/usr/bin/env python3
"""Whole-process timings of Plicato beside Vim on the same big fold file.

Each pair runs Plicato's command and the peer's command on one file, taking
turns, RUNS times each after one untimed run of each (the file is then in
the page cache for both). A figure is the median of the runs: wall-clock
seconds, user and system CPU seconds and the peak resident memory that
/usr/bin/time -v reports (the system part is mostly the kernel handing out
fresh pages, which varies much from run to run on a busy machine). The ratio is Plicato's figure over the peer's.

usage: compare.py --bin DIR [--file FILE] [--work DIR] [--runs N] [--only NAME,...]
       compare.py --write-file PATH

Without --file the file is written by the comparison's own generator,
make-big.py from the shared bench folder beside the repository (or the
script named by $PLICATO_MAKE_BIG).
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# vim with marker folding, every fold closed, as the peer starts each pair.
VIM = ["vim", "-u", "NONE", "-i", "NONE", "-N", "-es",
       "-c", "set foldmethod=marker", "-c", "normal! zM"]


def pairs(plicato, fold):
    """(name, work, plicato argv, vim argv, runs on a copy, target time, target memory)."""
    batch = [plicato, "--batch", "--layout", "standard"]
    return [
        ("convert", "read and write back",
         [fold, "convert", "FILE", "out.c"],
         VIM + ["-c", "w! out.c", "-c", "q!", "FILE"], False, 0.5, 1.0),
        ("openall", "batch, open all folds",
         batch + ["--keys", "F6", "--dump", "status", "FILE"],
         VIM + ["-c", "normal! zR", "-c", "q!", "FILE"], False, 0.5, 1.0),
        ("search", "batch, search to the last line",
         batch + ["--keys", "Alt-7", "--answer", "text=x = foo(999998,", "--dump", "status", "FILE"],
         VIM + ["-c", "call search('x = foo(999998,')", "-c", "normal! zv", "-c", "q!", "FILE"],
         False, 0.5, None),
        ("replace", "batch, replace-all, then save",
         batch + ["--keys", "Alt-9 Shift-F4",
                  "--answer", 'text=7, "some;replace=7, "same;mode=all', "--dump", "status", "FILE"],
         VIM + ["-c", '%s/7, "some/7, "same/g', "-c", "w!", "-c", "q!", "FILE"], True, 0.5, None),
    ]


def find_generator():
    env = os.environ.get("PLICATO_MAKE_BIG")
    if env:
        return env if os.path.isfile(env) else None
    # The shared folder stands beside the repository (or beside the folder
    # of work trees the repository is checked out in).
    for up in ("..", os.path.join("..", "..")):
        p = os.path.normpath(os.path.join(REPO, up, "shared", "bench", "make-big.py"))
        if os.path.isfile(p):
            return p
    return None


def write_big(path):
    """The 1M-line file at path, written by make-big.py unless it is there."""
    if not os.path.isfile(path):
        gen = find_generator()
        if not gen:
            sys.exit("bench: make-big.py not found beside the repository "
                     "(shared/bench/make-big.py); set PLICATO_MAKE_BIG or give --file")
        print("bench: writing %s with %s" % (path, gen), flush=True)
        os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
        subprocess.run([sys.executable, gen, path + ".part"], check=True)
        os.replace(path + ".part", path)
    return path


def timed(argv, cwd, env):
    """Wall, user and system seconds and peak KiB of one run; raises on failure."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        cmd = ["/usr/bin/time", "-v", "-o", report.name] + argv
        start = time.perf_counter()
        done = subprocess.run(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        text = report.read()
    if done.returncode != 0:
        raise RuntimeError("%s failed (exit %d): %s" % (argv[0], done.returncode,
                                                       done.stderr.decode(errors="replace")[-500:]))
    def field(name):
        m = re.search(r"^\s*" + re.escape(name) + r":\s*([0-9.]+)\s*$", text, re.M)
        if not m:
            raise RuntimeError("no '%s' in the report of /usr/bin/time" % name)
        return float(m.group(1))
    return (wall, field("User time (seconds)"), field("System time (seconds)"),
            field("Maximum resident set size (kbytes)"))


def count_in(path, needle):
    with open(path, "rb") as f:
        return f.read().count(needle)


def fmt_time(s):
    return "%.2f s" % s


def fmt_mem(kib):
    return "%.0f MiB" % (kib / 1024.0)


def ratio(a, b):
    return a / b if b else float("inf")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--bin", help="the build's bin folder")
    ap.add_argument("--file", help="the 1M-line file (default: written by make-big.py)")
    ap.add_argument("--work", help="folder for the file, copies and outputs")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--only", help="comma-separated pair names: convert,openall,search,replace")
    ap.add_argument("--write-file", metavar="PATH",
                    help="only write the 1M-line file at PATH (when it is not there) and stop")
    args = ap.parse_args()
    if args.write_file:
        write_big(os.path.abspath(args.write_file))
        return 0

    if not args.bin:
        ap.error("--bin is needed")
    plicato = os.path.join(os.path.abspath(args.bin), "plicato")
    fold = os.path.join(os.path.abspath(args.bin), "plicato-fold")
    for p in (plicato, fold):
        if not os.access(p, os.X_OK):
            sys.exit("bench-compare: %s is missing; build first" % p)
    if not os.access("/usr/bin/time", os.X_OK):
        sys.exit("bench-compare: /usr/bin/time is missing (Debian package 'time')")
    work = os.path.abspath(args.work or tempfile.mkdtemp(prefix="plicato-compare-"))
    os.makedirs(work, exist_ok=True)

    big = write_big(os.path.abspath(args.file) if args.file else os.path.join(work, "big.c"))
    with open(big, "rb") as f:
        lines = sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))
    print("bench-compare: %s, %d lines, %.1f MB; median of %d runs each"
          % (big, lines, os.path.getsize(big) / 1e6, args.runs), flush=True)

    have_vim = shutil.which("vim") is not None
    if not have_vim:
        print("bench-compare: NOTE: vim is not installed, so there are no peer figures and no "
              "ratios; scripts/install-deps --bench installs it (vim-nox).")

    # Settings of their own, so that no user's settings or reopen list count.
    config = os.path.join(work, "config")
    os.makedirs(config, exist_ok=True)
    env = dict(os.environ, PLICATO_CONFIG_DIR=config)
    env.pop("DISPLAY", None)

    only = set(args.only.split(",")) if args.only else None
    rows = []
    for name, title, pa, va, on_copy, t_time, t_mem in pairs(plicato, fold):
        if only and name not in only:
            continue
        sides = [("plicato", pa)] + ([("vim", va)] if have_vim else [])
        results = {side: [] for side, _ in sides}

        def run(side, argv):
            target = big
            if on_copy:
                target = os.path.join(work, "copy-%s.c" % side)
                shutil.copyfile(big, target)
            return timed([target if a == "FILE" else a for a in argv], work, env), target

        copies = {}
        for i in range(args.runs + 1):  # the first round is not counted
            for side, argv in sides:
                r, copies[side] = run(side, argv)
                if i > 0:
                    results[side].append(r)
        print("  %-8s" % name + "  ".join(
            "%s %s" % (side, " ".join("%.2f" % r[0] for r in results[side])) for side, _ in sides),
            flush=True)
        if on_copy:
            for side, path in copies.items():
                n = count_in(path, b'7, "same')
                if n != 76754 and lines == 1000072:
                    print("  WARNING: %s's copy holds %d replaced texts, not 76754" % (side, n))
        med = {side: tuple(statistics.median(r[k] for r in results[side]) for k in range(4))
               for side in results}
        rows.append((name, title, med, t_time, t_mem))

    print()
    print("| Work | Plicato | Vim | Ratio | Target |")
    print("|---|---|---|---|---|")
    for name, title, med, t_time, t_mem in rows:
        p = med["plicato"]
        v = med.get("vim")
        cells = [title + " (wall)", fmt_time(p[0])]
        if v:
            r = ratio(p[0], v[0])
            cells += [fmt_time(v[0]), "%.2f" % r, "≤ %.1f× %s" % (t_time, "met" if r <= t_time else "NOT met")]
        else:
            cells += ["-", "-", "≤ %.1f×" % t_time]
        print("| " + " | ".join(cells) + " |")
        for k, what in ((1, "user CPU"), (2, "system CPU")):
            cpu = ["%s (%s)" % (title, what), fmt_time(p[k])]
            cpu += [fmt_time(v[k]), "%.2f" % ratio(p[k], v[k]), ""] if v else ["-", "-", ""]
            print("| " + " | ".join(cpu) + " |")
        mem = [title + " (peak memory)", fmt_mem(p[3])]
        if v:
            r = ratio(p[3], v[3])
            target = ("≤ %.1f× %s" % (t_mem, "met" if r <= t_mem else "NOT met")) if t_mem else ""
            mem += [fmt_mem(v[3]), "%.2f" % r, target]
        else:
            mem += ["-", "-", ("≤ %.1f×" % t_mem) if t_mem else ""]
        print("| " + " | ".join(mem) + " |")
    if not have_vim:
        print("\nNOTE: vim is missing: Plicato's figures only.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
