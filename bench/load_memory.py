#!/usr/bin/env python3
"""Peak memory of loading a file into a text buffer, per byte of the file.

`wdev convert` loads the file whole into a text buffer (its save then streams
the text out in small pieces, so the peak is the loaded buffer), natively and
as the 64-bit Windows build under Wine. Figures are the process's peak
resident memory above the same program's peak on an empty file, divided by
the file's size; beside it the text's own size in UTF-16 per byte of file.
Two files: the manual-page corpus in Shift_JIS (build it with
bench/make_textengine_corpus.sh) and, made from it, purely Japanese text
(every line cut to its characters from U+3000 up).

  bench/load_memory.py [CORPUS_DIR] [NATIVE_BUILD] [WIN64_BUILD]
"""
import os
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build/bench-corpus")
native = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "build/native")
# Wine takes only an absolute prefix.
win64 = os.path.abspath(sys.argv[3] if len(sys.argv) > 3 else os.path.join(root, "build/win64"))
RUNS = 3


def peak_kib(argv, env=None):
    """Peak resident memory of the started process (Wine runs the program
    in the process it starts). Measured by /usr/bin/time: a child forked from
    this script would start from this script's size."""
    r = subprocess.run(["/usr/bin/time", "-f", "peak=%M"] + argv, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, text=True, env=env)
    if r.returncode not in (0, 3):
        raise RuntimeError(f"{argv} exited {r.returncode}")
    return int(r.stderr.strip().rsplit("peak=", 1)[1])


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(win64, "wineprefix"))
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    env["WINEARCH"] = "win64"
    return env


def measure(label, run, path, empty, out):
    base = min(run(empty, out) for _ in range(RUNS))
    peak = min(run(path, out) for _ in range(RUNS))
    return (peak - base) * 1024 / os.path.getsize(path)


def main():
    sjis = os.path.join(corpus, "big", "sjis.txt")
    utf8 = os.path.join(corpus, "big", "utf8.txt")
    if not os.path.exists(sjis) or not os.path.exists(utf8):
        sys.exit(f"no corpus in {corpus}: run bench/make_textengine_corpus.sh first")
    tmp = tempfile.mkdtemp(prefix="wendrel-loadmem-")
    empty = os.path.join(tmp, "empty.txt")
    open(empty, "wb").close()
    japanese = os.path.join(tmp, "japanese.txt")
    with open(utf8, encoding="utf-8", errors="ignore") as f, open(japanese, "wb") as o:
        for line in f:
            kept = "".join(c for c in line if ord(c) >= 0x3000)
            if kept:
                o.write(kept.encode("cp932", errors="ignore") + b"\r\n")
    out = os.path.join(tmp, "out.txt")

    wdev = os.path.join(native, "tools/wdev/wdev")
    wdev_exe = os.path.join(win64, "tools/wdev/wdev.exe")
    runners = [("native", lambda p, o: peak_kib([wdev, "convert", p, o, "--from", "1", "--to", "8", "--eol", "1"]))]
    if os.path.exists(wdev_exe) and os.path.exists("/usr/lib/wine/wine64"):
        env = wine_env()
        subprocess.run([os.path.join(root, "tools", "wine-prefix"), win64], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        runners.append(("win64", lambda p, o: peak_kib(
            ["/usr/lib/wine/wine64", wdev_exe, "convert", p, o, "--from", "1", "--to", "8", "--eol", "1"], env)))
    else:
        print("note: no 64-bit Windows build or wine64: the Windows figure is left out")
    print("note: natively the line pools and text chunks may take huge pages; the Windows program takes plain pages")
    for name, path in (("manpages-sjis", sjis), ("japanese-sjis", japanese)):
        with open(path, "rb") as f:
            utf16 = len(f.read().decode("cp932", errors="replace").replace("\r\n", "").replace("\n", "")) * 2
        size = os.path.getsize(path)
        for where, run in runners:
            ours = measure(name, run, path, empty, out)
            ref = utf16 / size
            print(f"bench: load-memory-{name}-{where} ours={ours:.2f}B/B utf16={ref:.2f}B/B ratio={ours / ref:.3f}")
    subprocess.run(["rm", "-rf", tmp])


main()
