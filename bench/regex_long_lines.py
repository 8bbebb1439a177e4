#!/usr/bin/env python3
"""Regex searches of one long line, whole programs against whole programs:
`wdev grep --regex` against GNU grep -E and ripgrep on one thread (rg -j1),
each on a folder holding one file of one line. Hit lines are counted first
and must agree (a program that gives up counts as disagreeing and is
reported, not timed). Then one line per case and peer, the median of
interleaved runs for wall and CPU (user + system) time:
  bench: <case> ours=<s>s <peer>=<s>s ratio=<ours/peer> cpu-ours=<s>s cpu-<peer>=<s>s cpu-ratio=<ours/peer>
usage: regex_long_lines.py [--runs N] [--wdev PATH] [--data DIR] [CASE...]"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
ENV = dict(os.environ, LC_ALL="C.UTF-8")

# case: (pattern, the line's repeated unit, its length in characters, its tail)
CASES = [
    ("a-or-a-20-b-1m", "(a|a){20}b", "a", 1000000, ""),
    ("a-or-a-20-b-at-end-1m", "(a|a){20}b", "a", 1000000, "b"),
    ("a-or-aa-star-b-100k", "(a|aa)*b", "a", 100000, ""),
    ("a-or-aa-star-b-1m", "(a|aa)*b", "a", 1000000, ""),
    ("a-or-aa-star-b-at-end-100k", "(a|aa)*b", "a", 100000, "b"),
    ("capture-dot-star-x-1m", "(.*)x", "abcdefghij", 1000000, ""),
    ("capture-dot-star-x-at-end-1m", "(.*)x", "abcdefghij", 1000000, "x"),
    ("word-then-equals-1m", r"(\w+)\s*=", "abcdefghij", 1000000, ""),
    ("comma-chain-1m", "[^,]*,[^,]*,[^,]*;", "abcdefghij", 1000000, ""),
]


def make_data(root, name, unit, length, tail):
    folder = os.path.join(root, name)
    path = os.path.join(folder, "line.txt")
    text = (unit * (length // len(unit) + 1))[:length] + tail + "\n"
    if not os.path.exists(path) or os.path.getsize(path) != len(text.encode()):
        os.makedirs(folder, exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
    return folder


def commands(args, pattern, folder):
    return [
        ("ours", [args.wdev, "grep", "--regex", "--subdirs", "--code", "8", pattern, folder]),
        ("grep-E", ["grep", "-rnE", "-e", pattern, folder]),
        ("rg-j1", ["rg", "-n", "-uuu", "-a", "--no-config", "-j1", "-e", pattern, folder]),
    ]


def hits(name, cmd):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    out = r.stdout.decode("utf-8", errors="replace")
    if name == "ours":
        # Hit lines name the file and line; errors and the summary do not.
        if "Error " in out:
            return None
        return sum(1 for l in out.splitlines() if l.startswith(cmd[-1]) and "(" in l and "): " in l)
    if r.returncode > 1:
        return None
    return out.count("\n")


def run_once(cmd, out):
    out.seek(0)
    out.truncate()
    wall0 = time.perf_counter()
    pid = os.posix_spawnp(cmd[0], cmd, ENV, file_actions=[(os.POSIX_SPAWN_DUP2, out.fileno(), 1),
                                                           (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)])
    _, _, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - wall0
    return wall, usage.ru_utime + usage.ru_stime


def main():
    global args
    p = argparse.ArgumentParser()
    p.add_argument("--runs", type=int, default=15)
    p.add_argument("--wdev", default=os.path.join(ROOT, "build/native/tools/wdev/wdev"))
    p.add_argument("--data", default=os.path.join(ROOT, "build/regex-long-lines"))
    p.add_argument("cases", nargs="*")
    args = p.parse_args()
    for name, pattern, unit, length, tail in CASES:
        if args.cases and name not in args.cases:
            continue
        folder = make_data(args.data, name, unit, length, tail)
        cmds = commands(args, pattern, folder)
        counts = {n: hits(n, c) for n, c in cmds}
        if counts["ours"] is None:
            print("# %s: ours gave up" % name)
        timed = [(n, c) for n, c in cmds if counts[n] is not None]
        for n, _ in timed:
            if n != "ours" and counts["ours"] is not None and counts[n] != counts["ours"]:
                sys.exit("regex_long_lines: %s: hit lines differ: ours %s, %s %s" % (name, counts["ours"], n,
                                                                                      counts[n]))
        walls = {n: [] for n, _ in timed}
        cpus = {n: [] for n, _ in timed}
        with tempfile.TemporaryFile() as out:
            for _ in range(args.runs):
                for n, c in timed:
                    w, u = run_once(c, out)
                    walls[n].append(w)
                    cpus[n].append(u)
        med = {n: (statistics.median(walls[n]), statistics.median(cpus[n])) for n in walls}
        if "ours" not in med:
            continue
        ow, oc = med["ours"]
        for n in med:
            if n == "ours":
                continue
            pw, pc = med[n]
            print("bench: %s ours=%.4fs %s=%.4fs ratio=%.2f cpu-ours=%.4fs cpu-%s=%.4fs cpu-ratio=%.2f hits=%d" %
                  (name, ow, n, pw, ow / pw if pw else 0, oc, n, pc, oc / pc if pc else 0, counts["ours"]))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
