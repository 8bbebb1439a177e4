#!/usr/bin/env python3
"""Opening a big file in the real editor under Wine, beside iconv decoding it.

Makes a 1,000,000-line Shift_JIS file (about 100 MB) from the manpages-ja
pages, then times, in interleaved runs, from starting wendrel.exe until its
main window is shown with the file's title (the file is read, the window
laid out and painted before the frame is shown and titled), the same start
with no file (an empty untitled one), and `iconv -f CP932 -t UTF-16LE` of
the file into a file. Prints the median and the minimum of each, the goal
ratio (open - empty start) / iconv, and the peak resident set of the Wine
process that held the file (the Windows working set as Linux sees it).

  bench/editor_open.py [BUILD]   (default build/win64; needs xdotool, Xvfb,
                                  manpages-ja; DISPLAY is started here)
"""
import gzip
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LINES = 1_000_000
RUNS = 3


def make_corpus(path):
    pages = []
    for dirpath, _, names in os.walk("/usr/share/man/ja"):
        for name in sorted(names):
            if name.endswith(".gz"):
                with gzip.open(os.path.join(dirpath, name), "rt", encoding="utf-8", errors="replace") as f:
                    pages.extend(line.rstrip("\n") for line in f if line.strip())
    if not pages:
        sys.exit("editor_open: needs manpages-ja (apt-get install manpages-ja)")
    # Lines of about 100 bytes: manual page lines joined two or three at a time.
    with open(path, "wb") as out:
        i = 0
        for _ in range(LINES):
            line = ""
            while len(line.encode("cp932", errors="replace")) < 95:
                line += pages[i % len(pages)] + " "
                i += 1
            out.write(line.encode("cp932", errors="replace") + b"\r\n")


def free_display():
    for n in range(150, 200):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    sys.exit("editor_open: no free X display")


def peak_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def visible(env, title_part):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_part], env=env,
                          capture_output=True, text=True).stdout.split()


def time_editor(env, exe, args, title_part, timeout=300):
    """Seconds until a visible window titled with title_part, and the peak RSS."""
    # The windows of the run before must be gone, or they would be found.
    for _ in range(200):
        if not visible(env, "wendrel"):
            break
        time.sleep(0.05)
    start = time.monotonic()
    proc = subprocess.Popen([env["WINELOADER"], exe] + args, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = None
    try:
        while time.monotonic() - start < timeout:
            if visible(env, title_part):
                shown = time.monotonic() - start
                break
            time.sleep(0.02)
        peak = peak_kib(proc.pid)
    finally:
        proc.kill()
        proc.wait()
    if shown is None:
        sys.exit("editor_open: the editor did not show the file in time")
    return shown, peak


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "win64"))
    exe = os.path.join(build, "wendrel.exe")
    if not os.path.exists(exe):
        sys.exit(f"editor_open: {exe} is not built")
    work = tempfile.mkdtemp(prefix="wendrel-bench-")
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        program = os.path.join(work, "program")
        os.makedirs(program)
        shutil.copy(exe, program)
        for folder in ("data", "scmlib"):
            shutil.copytree(os.path.join(build, folder), os.path.join(program, folder))
        corpus = os.path.join(work, "big.txt")
        make_corpus(corpus)
        size = os.path.getsize(corpus)
        env = dict(os.environ, DISPLAY=f":{display}", WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        env["WINEPREFIX"] = os.path.join(build, "wineprefix")
        env["WINELOADER"] = "/usr/lib/wine/wine64" if os.path.basename(build).startswith("win64") else "/usr/lib/wine/wine"
        subprocess.run([os.path.join(ROOT, "tools", "wine-prefix"), build], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{display}"):
                break
            time.sleep(0.1)
        program_exe = os.path.join(program, "wendrel.exe")
        wine_path = "Z:" + corpus.replace("/", "\\")
        opens, empties, iconvs, peaks = [], [], [], []
        for _ in range(RUNS):
            t, peak = time_editor(env, program_exe, [wine_path], "big.txt")
            opens.append(t)
            peaks.append(peak)
            empties.append(time_editor(env, program_exe, [], "無題 - wendrel")[0])
            start = time.monotonic()
            with open(os.path.join(work, "iconv.out"), "wb") as out:
                subprocess.run(["iconv", "-f", "CP932", "-t", "UTF-16LE", corpus], stdout=out, check=True)
            iconvs.append(time.monotonic() - start)
        med = statistics.median
        open_cost = med(opens) - med(empties)
        print(f"bench: editor-open-1M-lines-sjis ours={med(opens) * 1000:.0f}ms (min {min(opens) * 1000:.0f}ms) "
              f"empty-start={med(empties) * 1000:.0f}ms (min {min(empties) * 1000:.0f}ms)")
        print(f"bench: editor-open-minus-start ours={open_cost * 1000:.0f}ms iconv={med(iconvs) * 1000:.0f}ms "
              f"(min {min(iconvs) * 1000:.0f}ms) ratio={open_cost / med(iconvs):.2f} (goal <= 1.5)")
        print(f"bench: editor-open-peak-memory ours={max(peaks) / 1024:.0f}MiB file={size / 1048576:.0f}MiB "
              f"ratio={max(peaks) * 1024 / size:.2f} bytes per byte (goal <= 2.5)")
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
