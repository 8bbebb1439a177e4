#!/usr/bin/env python3
"""sulki's search engine (through `wdev grep`) against GNU grep and ripgrep,
whole programs against whole programs, on three shapes of the same Japanese
manual text: a tree of ~10 KB files, a tree of ~100 KB files, and a folder of
a few ~100 MB files; each as UTF-8 and as Shift_JIS. On Shift_JIS the peer is
ripgrep decoding it itself (`rg -E shift_jis`): grep cannot match Japanese
there. Hit counts are checked first; a disagreement fails the run. Then one
line per case and peer: the median of interleaved runs, the minimum beside,
then the median CPU time (user and system, all threads):
  bench: <case> ours=<s>s <peer>=<s>s ratio=<ours/peer> min-ours=<s>s min-<peer>=<s>s
         cpu-ours=<s>s cpu-<peer>=<s>s cpu-ratio=<ours/peer>
usage: grep_bench.py [--small] [--files N] [--runs N] [--wdev PATH] [--data DIR]
The data is made by grep_tree.py when DATA_DIR has none (defaults:
build/native/tools/wdev/wdev; build/grep-bench, 20,000 files and 3 big files
of 100 MB; --small: 2,000 files and 3 of 10 MB in build/grep-bench-2000)."""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
ENV = dict(os.environ, LC_ALL="C.UTF-8")
AUTO = 9  # our encoding number for "detect per file"
UTF8_CODE = 8
SJIS_CODE = 1

# case: (our options, grep options, rg options, text)
CASES = [
    ("ascii-literal", [], ["-F"], ["-F"], "printf"),
    ("kanji-literal", [], ["-F"], ["-F"], "設定"),
    ("icase-word", ["--icase"], ["-i", "-F"], ["-i", "-F"], "error"),
    ("regex-class", ["--regex"], ["-E"], [], "ファイル[をのが]"),
    ("regex-digits", ["--regex"], ["-E"], [], "[0-9]+[a-z]"),  # many hit lines, no needle
]

args = None


def ours(opts, text, tree, code):
    return [args.wdev, "grep", "--subdirs", "--code", str(code)] + opts + [text, tree]


def grep(opts, text, tree):
    return ["grep", "-rn"] + opts + ["-e", text, tree]


def rg(opts, text, tree, threads, encoding=None):
    return (["rg", "-n", "-uuu", "-a", "--no-config"] + (["-j1"] if threads == 1 else [])
            + (["-E", encoding] if encoding else []) + opts + ["-e", text, tree])


def times(cmds, runs):
    """(median, minimum, median CPU) wall time of each command, the CPU time
    being user and system time of all its threads; the runs take turns, so a
    burst of load elsewhere on the machine hits every command alike."""
    took = [[] for _ in cmds]
    cpu = [[] for _ in cmds]
    # Output goes to a real file: GNU grep stops at the first hit when it
    # sees its output is /dev/null.
    with tempfile.TemporaryFile() as out:
        for _ in range(runs):
            for i, cmd in enumerate(cmds):
                out.seek(0)
                out.truncate()
                start = time.perf_counter()
                proc = subprocess.Popen(cmd, stdout=out, stderr=subprocess.DEVNULL, env=ENV)
                usage = os.wait4(proc.pid, 0)[2]
                took[i].append(time.perf_counter() - start)
                cpu[i].append(usage.ru_utime + usage.ru_stime)
    return [(statistics.median(t), min(t), statistics.median(c)) for t, c in zip(took, cpu)]


def count_lines(cmd):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    if r.returncode > 1:
        sys.exit("grep_bench: %s failed: %s" % (" ".join(cmd[:3]), r.stderr.decode(errors="replace")))
    return r.stdout.count(b"\n")


def our_hits(cmd):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    out = r.stdout.decode("utf-8", errors="replace")
    m = re.search(r"(\d+)個，検索されました。", out)
    if r.returncode != 0 or not m:
        sys.exit("grep_bench: %s failed (%d): %s%s" % (" ".join(cmd), r.returncode, out[-300:],
                                                       r.stderr.decode(errors="replace")))
    return int(m.group(1))


def line(case, ours_t, peer, peer_t):
    print("bench: %s ours=%.3fs %s=%.3fs ratio=%.3g min-ours=%.3fs min-%s=%.3fs cpu-ours=%.3fs cpu-%s=%.3fs "
          "cpu-ratio=%.3g" % (case, ours_t[0], peer, peer_t[0], ours_t[0] / peer_t[0], ours_t[1], peer, peer_t[1],
                              ours_t[2], peer, peer_t[2], ours_t[2] / max(peer_t[2], 1e-9)), flush=True)


def check(label, counts):
    ok = len(set(counts.values())) == 1
    print("check: %s hits %s %s" % (label, " ".join("%s=%d" % kv for kv in counts.items()),
                                    "ok" if ok else "MISMATCH"), flush=True)
    return ok


def utf8_cases(shape, tree):
    failed = False
    for name, o, g, r, text in CASES:
        failed |= not check("%s-utf8-%s" % (shape, name), {
            "ours": our_hits(ours(o, text, tree, UTF8_CODE)),
            "ours-detect": our_hits(ours(o, text, tree, AUTO)),
            "grep": count_lines(grep(g, text, tree)),
            "rg": count_lines(rg(r, text, tree, 0)),
        })
    if failed:
        sys.exit("grep_bench: FAILED: hit counts differ on %s (UTF-8)" % tree)
    for name, o, g, r, text in CASES:
        t_ours, t_detect, t_grep, t_rg1, t_rg = times([
            ours(o, text, tree, UTF8_CODE), ours(o, text, tree, AUTO), grep(g, text, tree),
            rg(r, text, tree, 1), rg(r, text, tree, 0)], args.runs)
        case = "%s-utf8-%s" % (shape, name)
        line(case, t_ours, "grep", t_grep)
        line(case, t_ours, "rg-j1", t_rg1)
        line(case, t_ours, "rg", t_rg)
        line("%s-utf8-detect-%s" % (shape, name), t_detect, "rg-j1", t_rg1)


def sjis_cases(shape, tree):
    failed = False
    for name, o, g, r, text in CASES:
        failed |= not check("%s-sjis-%s" % (shape, name), {
            "ours": our_hits(ours(o, text, tree, AUTO)),
            "ours-fixed": our_hits(ours(o, text, tree, SJIS_CODE)),
            "rg-sjis": count_lines(rg(r, text, tree, 0, "shift_jis")),
        })
    if failed:
        sys.exit("grep_bench: FAILED: hit counts differ on %s (Shift_JIS)" % tree)
    for name, o, g, r, text in CASES:
        t_ours, t_fixed, t_rg1, t_rg = times([
            ours(o, text, tree, AUTO), ours(o, text, tree, SJIS_CODE),
            rg(r, text, tree, 1, "shift_jis"), rg(r, text, tree, 0, "shift_jis")], args.runs)
        case = "%s-sjis-%s" % (shape, name)
        line(case, t_ours, "rg-sjis-j1", t_rg1)
        line(case, t_ours, "rg-sjis", t_rg)
        line("%s-sjis-fixed-%s" % (shape, name), t_fixed, "rg-sjis-j1", t_rg1)


def make_tree(out, files, mean_bytes):
    if not os.path.exists(os.path.join(out, "complete")):
        print("grep_bench: writing %d files of ~%d bytes per tree into %s" % (files, mean_bytes, out), flush=True)
        subprocess.run([sys.executable, os.path.join(HERE, "grep_tree.py"), "--files", str(files),
                        "--mean-bytes", str(mean_bytes), out], check=True)


def make_big(out, source, count, size):
    """count files of about size bytes each, the source tree's files joined
    in order, for UTF-8 and Shift_JIS alike (the same text in both)."""
    if os.path.exists(os.path.join(out, "complete")):
        return
    print("grep_bench: joining %d files of ~%d MB into %s" % (count, size >> 20, out), flush=True)
    names = []
    for root, dirs, files in os.walk(os.path.join(source, "utf8")):
        dirs.sort()
        names += [os.path.relpath(os.path.join(root, f), os.path.join(source, "utf8")) for f in sorted(files)]
    for enc in ("utf8", "sjis"):
        os.makedirs(os.path.join(out, enc), exist_ok=True)
        k = 0
        for i in range(count):
            with open(os.path.join(out, enc, "big%d.txt" % i), "wb") as big:
                while big.tell() < size:
                    with open(os.path.join(source, enc, names[k % len(names)]), "rb") as f:
                        big.write(f.read())
                    k += 1
    open(os.path.join(out, "complete"), "w").write("%d files\n" % count)


def main():
    global args
    ap = argparse.ArgumentParser(description="grep benchmark: sulki's engine against grep and rg")
    ap.add_argument("--small", action="store_true", help="2,000 files and 10 MB big files, for a quick run")
    ap.add_argument("--files", type=int, help="files of the 10 KB tree (default 20,000)")
    ap.add_argument("--runs", type=int, default=5, help="interleaved runs per command (default 5)")
    ap.add_argument("--wdev", default=os.path.join(ROOT, "build/native/tools/wdev/wdev"))
    ap.add_argument("--data", help="where the data is (made when missing)")
    args = ap.parse_args()
    files = args.files or (2000 if args.small else 20000)
    big_bytes = (10 if args.small else 100) << 20
    data = args.data or os.path.join(ROOT, "build", "grep-bench" if files == 20000 else "grep-bench-%d" % files)
    if not os.access(args.wdev, os.X_OK):
        sys.exit("grep_bench: no %s (cmake --build --preset native)" % args.wdev)
    for tool in ("grep", "rg"):
        if subprocess.run(["sh", "-c", 'command -v "$1" >/dev/null', "sh", tool]).returncode:
            sys.exit("grep_bench: %s is missing (tools/install-deps)" % tool)
    shapes = [("10k", os.path.join(data, "tree-10k")), ("100k", os.path.join(data, "tree-100k")),
              ("big", os.path.join(data, "big"))]
    make_tree(shapes[0][1], files, 10000)
    make_tree(shapes[1][1], max(files // 10, 1), 100000)
    make_big(shapes[2][1], shapes[0][1], 3, big_bytes)
    print("note: natively ours opens each file through its folder (openat) on the worker's thread and by its "
          "path on helper threads (taken from the 25th file of a search on), reads a file of over 256 KB in "
          "blocks of 128 KB cut at line ends when no match can reach beyond its line, and otherwise reads a file "
          "whole into huge pages where the system offers them; the Windows program opens by full path and "
          "reads every file whole into plain pages.", flush=True)
    for shape, tree in shapes:
        for enc in ("utf8", "sjis"):  # into the page cache, so every run reads from memory
            subprocess.run(["sh", "-c", 'find "$1" -type f -exec cat {} + > /dev/null', "sh",
                            os.path.join(tree, enc)])
        utf8_cases(shape, os.path.join(tree, "utf8"))
        sjis_cases(shape, os.path.join(tree, "sjis"))


if __name__ == "__main__":
    main()
