#!/usr/bin/env python3
"""sulki's search engine (through `wdev grep`) against GNU grep and ripgrep on
a UTF-8 tree, and on the same text in Shift_JIS, where grep and rg cannot
match Japanese, against what a user could build instead: `nkf -w | grep` per
file, a copy converted by nkf and then grepped, and rg's own decoding
(`rg -E shift_jis`). Hit counts are checked first; a disagreement fails the
run. Then one line per case and peer, the best of several runs each:
  bench: <case> ours=<s>s <peer>=<s>s ratio=<ours/peer>
usage: grep_bench.py [--small] [--files N] [--runs N] [--wdev PATH] [--data DIR]
The trees are made by grep_tree.py when DATA_DIR has none (defaults:
build/native/tools/wdev/wdev; build/grep-bench, 20,000 files, about 200 MB
per tree; --small: 2,000 files in build/grep-bench-2000)."""
import argparse
import os
import re
import subprocess
import sys
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
]

args = None


def ours(opts, text, tree, code):
    return [args.wdev, "grep", "--subdirs", "--code", str(code)] + opts + [text, tree]


def grep(opts, text, tree):
    return ["grep", "-rn"] + opts + ["-e", text, tree]


def rg(opts, text, tree, threads, encoding=None):
    return (["rg", "-n", "-uuu", "-a", "--no-config"] + (["-j1"] if threads == 1 else [])
            + (["-E", encoding] if encoding else []) + opts + ["-e", text, tree])


def nkf_pipeline(opts, text, tree):
    script = 'for f; do nkf -w "$f" | grep -Hn --label="$f" %s -e "$PAT"; done' % " ".join(opts)
    return ["sh", "-c", 'PAT="$1"; shift; find "$@" -type f -exec sh -c \'PAT="$0"; %s\' "$PAT" {} +'
            % script.replace("'", "'\\''"), "sh", text, tree]


def best_times(cmds, runs):
    """Best wall time of each command; the runs take turns, so a burst of load
    elsewhere on the machine hits every command alike."""
    best = [None] * len(cmds)
    for _ in range(runs):
        for i, cmd in enumerate(cmds):
            start = time.perf_counter()
            subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=ENV)
            elapsed = time.perf_counter() - start
            best[i] = elapsed if best[i] is None else min(best[i], elapsed)
    return best


def count_lines(cmd, took=None):
    start = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    if took is not None:
        took.append(time.perf_counter() - start)
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


def line(case, ours_s, peer, peer_s):
    print("bench: %s ours=%.3fs %s=%.3fs ratio=%.3g" % (case, ours_s, peer, peer_s, ours_s / peer_s), flush=True)


def check(label, counts, extra=""):
    ok = len(set(counts.values())) == 1
    print("check: %s hits %s%s %s" % (label, " ".join("%s=%d" % kv for kv in counts.items()), extra,
                                      "ok" if ok else "MISMATCH"), flush=True)
    return ok


def utf8_tree(utf8):
    failed = False
    for name, o, g, r, text in CASES:
        failed |= not check("utf8-" + name, {
            "ours": our_hits(ours(o, text, utf8, UTF8_CODE)),
            "ours-detect": our_hits(ours(o, text, utf8, AUTO)),
            "grep": count_lines(grep(g, text, utf8)),
            "rg": count_lines(rg(r, text, utf8, 0)),
        })
    if failed:
        sys.exit("grep_bench: FAILED: hit counts differ on the UTF-8 tree")

    for name, o, g, r, text in CASES:
        t_ours, t_detect, t_grep, t_rg1, t_rg = best_times([
            ours(o, text, utf8, UTF8_CODE), ours(o, text, utf8, AUTO), grep(g, text, utf8),
            rg(r, text, utf8, 1), rg(r, text, utf8, 0)], args.runs)
        line("utf8-" + name, t_ours, "grep", t_grep)
        line("utf8-" + name, t_ours, "rg-j1", t_rg1)
        line("utf8-" + name, t_ours, "rg", t_rg)
        line("utf8-detect-" + name, t_detect, "grep", t_grep)


def sjis_tree(sjis, data):
    print("note: on the Shift_JIS tree grep and rg (as run above) cannot match Japanese text: they see "
          "its bytes, not its characters. The peers there are what a user could build instead: "
          "`nkf -w FILE | grep` for each file (on the 200 files of one folder, as the whole tree "
          "takes many minutes), a copy of the tree converted by nkf and then grepped (the "
          "conversion's time counted in every case), and rg decoding it itself (`rg -E shift_jis`). "
          "ours reads with detection (the default), ours-fixed with Shift_JIS chosen.", flush=True)
    copy = os.path.join(data, "sjis-as-utf8")
    start = time.perf_counter()
    subprocess.run(["rm", "-rf", copy], check=True)
    subprocess.run(["cp", "-r", sjis, copy], check=True)
    subprocess.run(["sh", "-c", 'find "$1" -type f -exec nkf -w --overwrite {} +', "sh", copy], check=True)
    t_convert = time.perf_counter() - start
    subset = os.path.join(sjis, "d000")
    failed = False
    for name, o, g, r, text in CASES:
        raw = "; grep/rg without conversion: grep=%d rg=%d" % (count_lines(grep(g, text, sjis)),
                                                               count_lines(rg(r, text, sjis, 0)))
        ok = check("sjis-" + name, {
            "ours": our_hits(ours(o, text, sjis, AUTO)),
            "ours-fixed": our_hits(ours(o, text, sjis, SJIS_CODE)),
            "nkf-copy+grep": count_lines(grep(g, text, copy)),
            "rg-sjis": count_lines(rg(r, text, sjis, 0, "shift_jis")),
        }, raw)
        pipe = []  # a single run: 200 nkf processes take seconds
        ok &= check("sjis-200files-" + name, {
            "ours": our_hits(ours(o, text, subset, AUTO)),
            "nkf|grep": count_lines(nkf_pipeline(g, text, subset), pipe),
        })
        failed |= not ok
        if not ok:
            continue
        t_ours, t_fixed, t_grep, t_rg1, t_rg, t_sub = best_times([
            ours(o, text, sjis, AUTO), ours(o, text, sjis, SJIS_CODE), grep(g, text, copy),
            rg(r, text, sjis, 1, "shift_jis"), rg(r, text, sjis, 0, "shift_jis"),
            ours(o, text, subset, AUTO)], args.runs)
        line("sjis-" + name, t_ours, "nkf-copy+grep", t_convert + t_grep)
        line("sjis-" + name, t_ours, "rg-sjis-j1", t_rg1)
        line("sjis-" + name, t_ours, "rg-sjis", t_rg)
        line("sjis-fixed-" + name, t_fixed, "rg-sjis-j1", t_rg1)
        line("sjis-200files-" + name, t_sub, "nkf|grep", pipe[0])
    subprocess.run(["rm", "-rf", copy])
    if failed:
        sys.exit("grep_bench: FAILED: hit counts differ on the Shift_JIS tree")


def main():
    global args
    ap = argparse.ArgumentParser(description="grep benchmark: sulki's engine against grep, rg and nkf pipelines")
    ap.add_argument("--small", action="store_true", help="2,000 files (about 20 MB per tree) for a quick run")
    ap.add_argument("--files", type=int, help="files per tree (default 20,000)")
    ap.add_argument("--runs", type=int, default=3, help="runs per command; the best counts (default 3)")
    ap.add_argument("--wdev", default=os.path.join(ROOT, "build/native/tools/wdev/wdev"))
    ap.add_argument("--data", help="where the trees are (made when missing)")
    args = ap.parse_args()
    files = args.files or (2000 if args.small else 20000)
    data = args.data or os.path.join(ROOT, "build", "grep-bench" if files == 20000 else "grep-bench-%d" % files)
    if not os.access(args.wdev, os.X_OK):
        sys.exit("grep_bench: no %s (cmake --build --preset native)" % args.wdev)
    for tool in ("grep", "rg", "nkf"):
        if subprocess.run(["sh", "-c", 'command -v "$1" >/dev/null', "sh", tool]).returncode:
            sys.exit("grep_bench: %s is missing (tools/install-deps)" % tool)
    if not os.path.exists(os.path.join(data, "complete")):
        print("grep_bench: writing %d files per tree into %s" % (files, data), flush=True)
        subprocess.run([sys.executable, os.path.join(HERE, "grep_tree.py"), "--files", str(files), data], check=True)
    utf8, sjis = os.path.join(data, "utf8"), os.path.join(data, "sjis")
    for tree in (utf8, sjis):  # into the page cache, so every run reads from memory
        subprocess.run(["sh", "-c", 'find "$1" -type f -exec cat {} + > /dev/null', "sh", tree])
    utf8_tree(utf8)
    sjis_tree(sjis, data)


if __name__ == "__main__":
    main()
