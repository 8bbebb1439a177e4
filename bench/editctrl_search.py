#!/usr/bin/env python3
"""Replace-all of a two-character literal that matches 10^6 times in a
10^6-line file, and the line filter (keep the lines that match, half of
them) on the same file, through the editing window under Wine (bench_editctrl_search.exe: the
command with its relayout and one repaint), beside sed doing the same on the
UTF-8 copy of the file. Runs are interleaved; the median is reported:
  bench: <case> ours=<ms>ms sed=<ms>ms ratio=<ours/sed>
and, per case, the extra memory at the peak of the command against the
file's UTF-16 size and whether one undo restored the text exactly.
usage: editctrl_search.py [--runs N] [--lines N] [--build DIR]"""
import argparse
import os
import random
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def make_file(path, lines):
    rnd = random.Random(16)
    words = ["alpha", "beta", "日本語", "テキスト", "gamma", "検索", "delta", "置換"]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        for i in range(lines):
            a, b = rnd.choice(words), rnd.choice(words)
            # one "xy" per line, at a varying place
            f.write(f"{a} {i} xy {b}\n" if i % 2 else f"xy {a} {b} {i}\n")


def run_ours(exe, build, path, op, pattern, replacement):
    env = dict(os.environ, WINEDEBUG="-all")
    cmd = [os.path.join(ROOT, "tools", "wine-exec"), exe, "Z:" + path, op, pattern]
    if replacement is not None:
        cmd.append(replacement)
    out = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=600).stdout
    m = re.search(r"ours_ms=([\d.]+) count=(\d+) utf16_bytes=(\d+) extra_peak_bytes=(\d+) undo_restores=(\d)", out)
    if not m:
        sys.exit("bench_editctrl_search gave no result:\n" + out)
    return float(m[1]), int(m[2]), int(m[3]), int(m[4]), int(m[5])


def run_sed(path, script):
    t = time.perf_counter()
    with open(os.devnull, "wb") as sink:
        subprocess.run(["sed", script, path], stdout=sink, check=True)
    return (time.perf_counter() - t) * 1000


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--lines", type=int, default=1000000)
    ap.add_argument("--build", default=os.path.join(ROOT, "build", "win64"))
    args = ap.parse_args()
    exe = os.path.join(args.build, "bench", "bench_editctrl_search.exe")
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "lines.txt")
        make_file(path, args.lines)
        cases = [
            ("replace_all_2char_1e6", "replace", "xy", "zz", "s/xy/zz/g"),
            # every other line has " xy ": half the lines go
            ("filter_keep_matching_1e6", "filter", " xy ", None, "/ xy /!d"),
        ]
        for name, op, pattern, replacement, script in cases:
            ours, peers, extra, restored = [], [], [], []
            count = utf16 = 0
            for _ in range(args.runs):
                ms, count, utf16, peak, ok = run_ours(exe, args.build, path, op, pattern, replacement)
                ours.append(ms)
                extra.append(peak)
                restored.append(ok)
                peers.append(run_sed(path, script))
            o, p = statistics.median(ours), statistics.median(peers)
            print(f"bench: {name} ours={o:.0f}ms sed={p:.0f}ms ratio={o / p:.2f}")
            print(f"bench: {name}_memory extra_peak={max(extra) / utf16:.2f}x_utf16 "
                  f"(utf16={utf16 / 1e6:.1f}MB count={count} undo_restores={min(restored)})")
            sys.stdout.flush()


if __name__ == "__main__":
    main()
