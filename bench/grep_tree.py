#!/usr/bin/env python3
"""Writes the grep benchmark's two trees from the Japanese manual pages
(manpages-ja): the same text as UTF-8 and as Shift_JIS, 20,000 files of
about 10 KB in 100 folders of 10 sub-folders, from a fixed seed.
usage: grep_tree.py OUT_DIR   (makes OUT_DIR/utf8 and OUT_DIR/sjis)"""
import gzip
import os
import random
import sys

FILES = 20000
MEAN_BYTES = 10000


def corpus():
    lines = []
    for root, _, names in os.walk("/usr/share/man/ja"):
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
    out = sys.argv[1]
    lines = corpus()
    if not lines:
        sys.exit("grep_tree: no manual pages under /usr/share/man/ja (apt-get install manpages-ja)")
    rng = random.Random(20261210)
    for i in range(FILES):
        rel = os.path.join("d%03d" % (i // 200), "s%d" % ((i // 20) % 10), "f%05d.txt" % i)
        target = rng.randint(MEAN_BYTES // 5, MEAN_BYTES * 9 // 5)
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


main()
