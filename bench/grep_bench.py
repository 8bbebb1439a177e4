#!/usr/bin/env python3
"""sulki's search engine (through `wdev grep`) against GNU grep and ripgrep on
a UTF-8 tree, and against `nkf -w | grep` per file on the same text in
Shift_JIS (which grep and rg cannot match Japanese in). Hit counts are
checked first; then one line per case and peer:
  bench: <case> ours=<s>s <peer>=<s>s ratio=<ours/peer>
usage: grep_bench.py [WDEV [DATA_DIR]]   (the trees are made by grep_tree.py
when DATA_DIR has none; defaults: build/native/tools/wdev/wdev, build/grep-bench)"""
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
WDEV = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/native/tools/wdev/wdev")
DATA = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build/grep-bench")
UTF8 = os.path.join(DATA, "utf8")
SJIS = os.path.join(DATA, "sjis")
ENV = dict(os.environ, LC_ALL="C.UTF-8")
RUNS = 3

# case: (our options, grep options, rg options, text)
CASES = [
    ("ascii-literal", [], ["-F"], ["-F"], "printf"),
    ("kanji-literal", [], ["-F"], ["-F"], "設定"),
    ("icase-word", ["--icase"], ["-i", "-F"], ["-i", "-F"], "error"),
    ("regex-class", ["--regex"], ["-E"], [], "ファイル[をのが]"),
]


def ours(opts, text, tree, code):
    return [WDEV, "grep", "--subdirs", "--code", str(code)] + opts + [text, tree]


def grep(opts, text, tree):
    return ["grep", "-rn"] + opts + ["-e", text, tree]


def rg(opts, text, tree, threads):
    return ["rg", "-n", "-uuu", "-a", "--no-config"] + (["-j1"] if threads == 1 else []) + opts + ["-e", text, tree]


def nkf_pipeline(opts, text, tree):
    script = 'for f; do nkf -w "$f" | grep -Hn --label="$f" %s -e "$PAT"; done' % " ".join(opts)
    return ["sh", "-c", 'PAT="$1"; shift; find "$@" -type f -exec sh -c \'PAT="$0"; %s\' "$PAT" {} +'
            % script.replace("'", "'\\''"), "sh", text, tree]


def best_time(cmd, runs=RUNS):
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=ENV)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def count_lines(cmd):
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=ENV).stdout
    return out.count(b"\n")


def our_hits(cmd):
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=ENV).stdout.decode("utf-8")
    m = re.search(r"(\d+)個，検索されました。", out)
    return int(m.group(1)) if m else -1


def line(case, ours_s, peer, peer_s):
    print("bench: %s ours=%.3fs %s=%.3fs ratio=%.3g" % (case, ours_s, peer, peer_s, ours_s / peer_s), flush=True)


def main():
    if not os.path.isdir(UTF8) or not os.path.isdir(SJIS):
        subprocess.run([sys.executable, os.path.join(HERE, "grep_tree.py"), DATA], check=True)
    for tree in (UTF8, SJIS):  # into the page cache, so every run reads from memory
        subprocess.run(["sh", "-c", 'find "$1" -type f -exec cat {} + > /dev/null', "sh", tree])

    failed = False
    for name, o, g, r, text in CASES:
        counts = {
            "ours": our_hits(ours(o, text, UTF8, 8)),
            "ours-detect": our_hits(ours(o, text, UTF8, 9)),
            "grep": count_lines(grep(g, text, UTF8)),
            "rg": count_lines(rg(r, text, UTF8, 0)),
        }
        ok = len(set(counts.values())) == 1
        failed |= not ok
        print("check: utf8-%s hits %s %s" % (name, " ".join("%s=%d" % kv for kv in counts.items()), "ok" if ok else "MISMATCH"),
              flush=True)
    if failed:
        sys.exit("grep_bench: hit counts differ")

    for name, o, g, r, text in CASES:
        t_ours = best_time(ours(o, text, UTF8, 8))
        t_detect = best_time(ours(o, text, UTF8, 9))
        t_grep = best_time(grep(g, text, UTF8))
        t_rg1 = best_time(rg(r, text, UTF8, 1))
        t_rg = best_time(rg(r, text, UTF8, 0))
        line("utf8-" + name, t_ours, "grep", t_grep)
        line("utf8-" + name, t_ours, "rg-j1", t_rg1)
        line("utf8-" + name, t_ours, "rg", t_rg)
        line("utf8-detect-" + name, t_detect, "grep", t_grep)

    print("note: grep and rg cannot match Japanese text in Shift_JIS files; the peers there are the "
          "pipelines a user could build: converting a copy of the tree with nkf and grepping it, and "
          "`nkf -w FILE | grep` for each file (on the 200 files of one folder, as it takes minutes)", flush=True)
    copy = os.path.join(DATA, "sjis-as-utf8")
    start = time.perf_counter()
    subprocess.run(["rm", "-rf", copy], check=True)
    subprocess.run(["cp", "-r", SJIS, copy], check=True)
    subprocess.run(["sh", "-c", 'find "$1" -type f -exec nkf -w --overwrite {} +', "sh", copy], check=True)
    t_convert = time.perf_counter() - start
    subset = os.path.join(SJIS, "d000")
    for name, o, g, r, text in CASES:
        hits = our_hits(ours(o, text, SJIS, 9))
        conv_hits = count_lines(grep(g, text, copy))
        sub_hits = our_hits(ours(o, text, subset, 9))
        pipe_hits = count_lines(nkf_pipeline(g, text, subset))
        ok = hits == conv_hits and sub_hits == pipe_hits
        failed |= not ok
        print("check: sjis-%s hits ours=%d nkf-copy+grep=%d; 200 files: ours=%d nkf|grep=%d %s"
              % (name, hits, conv_hits, sub_hits, pipe_hits, "ok" if ok else "MISMATCH"), flush=True)
        t_ours = best_time(ours(o, text, SJIS, 9))
        line("sjis-" + name, t_ours, "nkf-copy+grep", t_convert + best_time(grep(g, text, copy)))
        t_sub = best_time(ours(o, text, subset, 9))
        line("sjis-200files-" + name, t_sub, "nkf|grep", best_time(nkf_pipeline(g, text, subset), runs=1))
    subprocess.run(["rm", "-rf", copy])
    if failed:
        sys.exit("grep_bench: hit counts differ")


if __name__ == "__main__":
    main()
