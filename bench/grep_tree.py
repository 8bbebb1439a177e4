#!/usr/bin/env python3
"""Writes the grep benchmark's two trees from the Japanese manual pages
(manpages-ja): the same text as UTF-8 and as Shift_JIS, 20,000 files of
about 10 KB (--mean-bytes) in folders of 200 files (10 sub-folders of 20),
from a fixed seed.
usage: grep_tree.py [--files N] [--mean-bytes B] OUT_DIR   (makes OUT_DIR/utf8
and OUT_DIR/sjis, then OUT_DIR/complete, so a run cut short is made again)"""
import argparse
import gzip
import os
import random
import shutil
import sys

MEAN_BYTES = 10000


def corpus():
    lines = []
    for root, dirs, names in os.walk("/usr/share/man/ja"):
        dirs.sort()  # the same lines in the same order on every machine
        for name in sorted(names):
            path = os.path.join(root, name)
            try:
                data = gzip.open(path).read() if name.endswith(".gz") else open(path, "rb").read()
                text = data.decode("utf-8")
            except (OSError, UnicodeDecodeError):
                continue
            for line in text.split("\n"):
                # Only what Shift_JIS can hold, so both trees carry the same text.
                try:
                    line.encode("cp932")
                except UnicodeEncodeError:
                    continue
                lines.append(line)
    return lines


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--files", type=int, default=20000)
    ap.add_argument("--mean-bytes", type=int, default=MEAN_BYTES)
    ap.add_argument("out")
    args = ap.parse_args()
    out = args.out
    lines = corpus()
    if not lines:
        sys.exit("grep_tree: no manual pages under /usr/share/man/ja (apt-get install manpages-ja;"
                 " a Docker image may exclude /usr/share/man in /etc/dpkg/dpkg.cfg.d)")
    for stale in ("complete", "utf8", "sjis"):
        path = os.path.join(out, stale)
        if os.path.isdir(path):
            shutil.rmtree(path)
        elif os.path.exists(path):
            os.remove(path)
    rng = random.Random(20261210)
    for i in range(args.files):
        rel = os.path.join("d%03d" % (i // 200), "s%d" % ((i // 20) % 10), "f%05d.txt" % i)
        target = rng.randint(args.mean_bytes // 5, args.mean_bytes * 9 // 5)
        start = rng.randrange(len(lines))
        chunk, size, k = [], 0, start
        while size < target:
            chunk.append(lines[k % len(lines)])
            size += len(chunk[-1]) * 2 + 1
            k += 1
        text = "\n".join(chunk) + "\n"
        for enc, sub in (("utf-8", "utf8"), ("cp932", "sjis")):
            path = os.path.join(out, sub, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(text.encode(enc))
    open(os.path.join(out, "complete"), "w").write("%d files\n" % args.files)


main()
