#!/usr/bin/env python3
"""Opening big files in the real editor under Wine, beside iconv decoding them.

Two Shift_JIS files of 1,000,000 lines made from the manpages-ja pages: long
lines (two or three manual-page lines joined, about 100 MB) and short lines
(the manual-page lines as they are, about 32 MB). Times, in interleaved
runs, from starting wendrel.exe until its main window is shown with the
file's title (the file is read, the window laid out and painted before the
frame is shown and titled); for the short lines until a key typed into it
shows the modified mark in the title; the same start with no file (an empty
untitled one); and `iconv -f CP932 -t UTF-16LE` of the file into a file.
Prints the median and the minimum of each, the goal ratio (open - empty
start) / iconv in wall time and in CPU time (user + system of the Wine
process that runs the program, read when the title shows; the wineserver's
share is left out; iconv's from its rusage), and the peak resident set of
the Wine process that held the file (the Windows working set as Linux sees
it). With --gigabyte a third file of about 1 GB (the long lines ten times
over) is opened once beside iconv.

  bench/editor_open.py [--gigabyte] [BUILD]   (default build/win64; needs
        xdotool, Xvfb, manpages-ja; an Xvfb is started here, on display
        $BENCH_DISPLAY when set, else the first free one from 150)
"""
import gzip
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LINES = 1_000_000
RUNS = 3


def manual_lines():
    pages = []
    for dirpath, _, names in os.walk("/usr/share/man/ja"):
        for name in sorted(names):
            if name.endswith(".gz"):
                with gzip.open(os.path.join(dirpath, name), "rt", encoding="utf-8", errors="replace") as f:
                    pages.extend(line.rstrip("\n") for line in f if line.strip())
    if not pages:
        sys.exit("editor_open: needs manpages-ja (apt-get install manpages-ja)")
    return pages


def make_long_lines(pages, path):
    # Lines of about 100 bytes: manual page lines joined two or three at a time.
    with open(path, "wb") as out:
        i = 0
        for _ in range(LINES):
            line = ""
            while len(line.encode("cp932", errors="replace")) < 95:
                line += pages[i % len(pages)] + " "
                i += 1
            out.write(line.encode("cp932", errors="replace") + b"\r\n")


def make_short_lines(pages, path):
    with open(path, "wb") as out:
        for i in range(LINES):
            out.write(pages[i % len(pages)].encode("cp932", errors="replace") + b"\r\n")


def make_gigabyte(long_path, path):
    with open(long_path, "rb") as f:
        data = f.read()
    with open(path, "wb") as out:
        for _ in range(10):
            out.write(data)


def free_display():
    if os.environ.get("BENCH_DISPLAY"):
        return int(os.environ["BENCH_DISPLAY"])
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


def cpu_seconds(pid):
    """User + system time of a running process."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return 0.0


def visible(env, title_part):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_part], env=env,
                          capture_output=True, text=True).stdout.split()


def time_editor(env, exe, args, title_part, typed_title=None, timeout=600):
    """Seconds and CPU seconds until a visible window titled with title_part
    (then, with typed_title, until a key typed into it gives that title), and
    the peak RSS."""
    # The windows of the run before must be gone, or they would be found.
    for _ in range(200):
        if not visible(env, "wendrel"):
            break
        time.sleep(0.05)
    start = time.monotonic()
    proc = subprocess.Popen([env["WINELOADER"], exe] + args, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = cpu = None
    try:
        while time.monotonic() - start < timeout:
            windows = visible(env, title_part)
            if windows and typed_title:
                subprocess.run(["xdotool", "windowfocus", "--sync", windows[0], "key", "a"], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                windows = None
                title_part, typed_title = typed_title, None
            if windows:
                shown = time.monotonic() - start
                cpu = cpu_seconds(proc.pid)
                break
            time.sleep(0.02)
        peak = peak_kib(proc.pid)
    finally:
        proc.kill()
        proc.wait()
    if shown is None:
        sys.exit("editor_open: the editor did not show the file in time")
    return shown, cpu, peak


def time_iconv(corpus, out_path):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    with open(out_path, "wb") as out:
        subprocess.run(["iconv", "-f", "CP932", "-t", "UTF-16LE", corpus], stdout=out, check=True)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    os.unlink(out_path)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def ms(x):
    return f"{x * 1000:.0f}ms"


def report(case, size, opens, empties, iconvs):
    med = statistics.median
    wall = [o[0] for o in opens]
    cpu = [o[1] for o in opens]
    empty_wall = [e[0] for e in empties]
    empty_cpu = [e[1] for e in empties]
    iconv_wall = [i[0] for i in iconvs]
    iconv_cpu = [i[1] for i in iconvs]
    peaks = [o[2] for o in opens]
    print(f"bench: {case} ours={ms(med(wall))} (min {ms(min(wall))}, cpu {ms(med(cpu))}) "
          f"empty-start={ms(med(empty_wall))} (min {ms(min(empty_wall))}, cpu {ms(med(empty_cpu))})")
    open_wall = med(wall) - med(empty_wall)
    open_cpu = med(cpu) - med(empty_cpu)
    print(f"bench: {case}-minus-start ours={ms(open_wall)} iconv={ms(med(iconv_wall))} "
          f"(min {ms(min(iconv_wall))}) ratio={open_wall / med(iconv_wall):.2f} (goal <= 1.0)")
    print(f"bench: {case}-minus-start-cpu ours={ms(open_cpu)} iconv={ms(med(iconv_cpu))} "
          f"ratio={open_cpu / max(med(iconv_cpu), 1e-3):.2f} (goal <= 1.0)")
    print(f"bench: {case}-peak-memory ours={max(peaks) / 1024:.0f}MiB file={size / 1048576:.0f}MiB "
          f"ratio={max(peaks) * 1024 / size:.2f} bytes per byte")


def main():
    args = [a for a in sys.argv[1:] if a != "--gigabyte"]
    gigabyte = len(args) != len(sys.argv) - 1
    build = os.path.abspath(args[0] if args else os.path.join(ROOT, "build", "win64"))
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
        pages = manual_lines()
        long_path = os.path.join(work, "big.txt")
        short_path = os.path.join(work, "short.txt")
        make_long_lines(pages, long_path)
        make_short_lines(pages, short_path)
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
        iconv_out = os.path.join(work, "iconv.out")

        def wine_path(path):
            return "Z:" + path.replace("/", "\\")

        results = {"long": ([], [], []), "short": ([], [], [])}
        for _ in range(RUNS):
            opens, empties, iconvs = results["long"]
            opens.append(time_editor(env, program_exe, [wine_path(long_path)], "big.txt"))
            empties.append(time_editor(env, program_exe, [], "無題 - wendrel"))
            iconvs.append(time_iconv(long_path, iconv_out))
            opens, empties, iconvs = results["short"]
            opens.append(time_editor(env, program_exe, [wine_path(short_path)], "short.txt",
                                     typed_title="short.txt *"))
            empties.append(time_editor(env, program_exe, [], "無題 - wendrel"))
            iconvs.append(time_iconv(short_path, iconv_out))
        report("editor-open-1M-lines-sjis", os.path.getsize(long_path), *results["long"])
        report("editor-open-1M-short-lines-typed-key", os.path.getsize(short_path), *results["short"])
        if gigabyte:
            giga = os.path.join(work, "giga.txt")
            make_gigabyte(long_path, giga)
            os.unlink(short_path)
            opened = time_editor(env, program_exe, [wine_path(giga)], "giga.txt", timeout=1200)
            empty = time_editor(env, program_exe, [], "無題 - wendrel")
            iconv = time_iconv(giga, iconv_out)
            report("editor-open-1GB-sjis", os.path.getsize(giga), [opened], [empty], [iconv])
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
