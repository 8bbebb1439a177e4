// Sorting and de-duplicating a 10^6-line selection, whole program against
// whole program: this program, started again as a child, reads a UTF-8
// file into a text buffer, runs what the editor's commands run on a select-
// all (the sort of the selected lines as one undo step; for de-duplication
// the sort and then the removal of adjacent equal lines within the
// selection) and saves the file; the peer is GNU sort (-s, or -u) with
// LC_ALL=C reading the same file and writing its output. Both are single
// processes on one thread (sort gets --parallel=1); each figure is the
// child's CPU time (user + system), so other load on the machine does not
// enter it. Same warm-up, interleaved runs, median beside the minimum. The
// outputs are compared byte for byte, and one undo step is checked to give
// back the text the command started from.
//
// This is the engine path of the commands, natively: the Windows program
// runs the same buffer operations and adds the window's relayout and repaint.
//
//   bench_viewcore_sortlines [--lines N] [--runs N] [--dir D]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/child_runs.h"
#include "bench/support/word_lines.h"
#include "textengine/bytestream.h"
#include "textengine/duplicate_lines.h"
#include "textengine/edit_data.h"
#include "textengine/kanjicode.h"

namespace {

using bench::Median;
using bench::Min;
using bench::Slurp;
using bench::Spawn;
using bench::Times;

std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Lines drawn from a vocabulary of ASCII and Japanese words (BMP only, so
// UTF-16 unit order, code point order and UTF-8 byte order agree): about
// half of them repeat an earlier line.
void MakeInput(const std::string& path, int lines) {
    static const char* const words[] = {"alpha", "beta", "日本語", "テキスト", "gamma", "検索", "delta", "置換",
                                        "ｶﾀｶﾅ", "ＡＢＣ", "\t", " ", "x", "漢字かな", "42", "編集"};
    // A small range of numbers makes repeats likely.
    std::ofstream(path, std::ios::binary) << bench::MakeWordLines(words, 2026, lines, 4, 1200);
}

// The child's side -------------------------------------------------------

bool Load(CEditData& d, const std::string& path) {
    CFileStream in;
    if (!in.Open(U16(path).c_str(), CFileStream::ReadOnly)) return false;
    KanjiCode code = KanjiCode::UTF8NoSig;
    LineEndType lineEnd = LineEndType::LF;
    if (!d.Load(in, code, lineEnd)) return false;
    d.SetLineEndType(LineEndType::LF);
    d.SetUndoUnlimited();
    return true;
}

// The selected whole lines of a select-all: the empty last line after the
// final line end is reached at column 0 and not counted.
int LastSelectedLine(const CEditData& d) {
    const int last = d.GetLineCount() - 1;
    return last > 0 && d.GetLineLength(last) == 0 ? last - 1 : last;
}

bool SortAll(CEditData& d) {
    CUndoGroupGuard group(d.GetUndo(), 0);
    d.RecordCaretForUndo();
    return d.SortLinesAscending(0, LastSelectedLine(d));
}

bool DeleteDuplicates(CEditData& d) {
    const int last = d.GetLineCount() - 1;
    const EditPos from{0, 0}, to{d.GetLineLength(last), last};
    int count = 0;
    return DeleteDuplicateLines(d, &from, &to, &count) == 0;
}

double CpuNow() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

int RunOurs(const std::string& op, const std::string& in, const std::string& out, bool verify) {
    const double t0 = CpuNow();
    CEditData d;
    if (!Load(d, in)) return 2;
    const double t1 = CpuNow();
    if (op == "uniq" && !SortAll(d)) return 3;
    const double t2 = CpuNow();
    const std::u16string before = verify ? d.GetText() : std::u16string();
    const double t3 = CpuNow();
    if (!(op == "uniq" ? DeleteDuplicates(d) : SortAll(d))) return 3;
    const double t4 = CpuNow();
    if (!d.Save(U16(out).c_str(), KanjiCode::UTF8NoSig, LineEndType::LF, nullptr)) return 4;
    const double t5 = CpuNow();
    if (verify) {
        std::printf("#   ours %s, CPU: load=%.0fms%s %s=%.0fms save=%.0fms\n", op.c_str(), (t1 - t0) * 1000,
                    op == "uniq" ? (" sort=" + std::to_string(int((t2 - t1) * 1000)) + "ms").c_str() : "",
                    op == "uniq" ? "de-duplicate" : "sort", (t4 - t3) * 1000, (t5 - t4) * 1000);
        // One undo step gives back the text the command started from.
        const bool one = d.Undo() && d.GetText() == before;
        std::printf("undo_one_step=%d\n", one ? 1 : 0);
        return one ? 0 : 5;
    }
    return 0;
}

// The parent's side ------------------------------------------------------

struct Case {
    const char* name;  // the bench line's case
    const char* op;    // ours
    const char* peerName;
    const char* peerFlag;
    std::vector<double> ours, peer, oursWall, peerWall;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--ours") == 0)
        return RunOurs(argv[2], argv[3], argv[4], argc >= 6 && std::strcmp(argv[5], "--verify") == 0);

    int lines = 1000000, runs = 5;
    std::string dir;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--lines")) lines = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--dir")) dir = argv[i + 1];
    }
    if (!dir.empty()) {
        mkdir(dir.c_str(), 0755);
    } else {
        char tmpl[] = "/tmp/bench_sortlines_XXXXXX";
        if (!mkdtemp(tmpl)) return 1;
        dir = tmpl;
    }
    setenv("LC_ALL", "C", 1);
    const std::string self = "/proc/self/exe";
    char exe[4096];
    const ssize_t n = readlink(self.c_str(), exe, sizeof exe - 1);
    if (n <= 0) return 1;
    exe[n] = 0;

    const std::string input = dir + "/input.txt";
    MakeInput(input, lines);
    std::printf("# %d lines, %zu bytes of UTF-8; %d runs after one warm-up each; CPU time of the whole process\n",
                lines, Slurp(input).size(), runs);

    Case cases[] = {{"sort-lines", "sort", "sort-s", "-s", {}, {}, {}, {}},
                    {"uniq-lines", "uniq", "sort-u", "-u", {}, {}, {}, {}}};
    auto ours = [&](Case& c, const std::string& out, bool verify) {
        std::vector<std::string> a = {exe, "--ours", c.op, input, out};
        if (verify) a.push_back("--verify");
        return Spawn(a, !verify);
    };
    auto peer = [&](Case& c, const std::string& out) {
        return Spawn({"sort", c.peerFlag, "--parallel=1", "-o", out, input});
    };
    bool exact = true;
    for (Case& c : cases) {
        // Warm-up, and the checks: the same bytes as sort's, one undo step.
        const std::string mine = dir + "/ours_" + c.op + ".txt", theirs = dir + "/peer_" + c.op + ".txt";
        std::fflush(stdout);
        ours(c, mine, true);
        peer(c, theirs);
        const bool same = Slurp(mine) == Slurp(theirs);
        std::printf("# %s: output %s sort %s's (LC_ALL=C)\n", c.name, same ? "equals" : "DIFFERS FROM", c.peerFlag);
        exact = exact && same;
    }
    for (int r = 0; r < runs; ++r) {
        for (Case& c : cases) {
            const std::string mine = dir + "/ours_" + c.op + ".txt", theirs = dir + "/peer_" + c.op + ".txt";
            // Alternate which side goes first.
            Times a, b;
            if (r % 2) {
                b = peer(c, theirs);
                a = ours(c, mine, false);
            } else {
                a = ours(c, mine, false);
                b = peer(c, theirs);
            }
            c.ours.push_back(a.cpu);
            c.peer.push_back(b.cpu);
            c.oursWall.push_back(a.wall);
            c.peerWall.push_back(b.wall);
        }
    }
    for (Case& c : cases) {
        const double o = Median(c.ours) * 1000, p = Median(c.peer) * 1000;
        std::printf("bench: %s ours=%.1fms %s=%.1fms ratio=%.3f\n", c.name, o, c.peerName, p, p > 0 ? o / p : 0.0);
        std::printf("#   %s min ours=%.1fms %s=%.1fms; wall median ours=%.1fms %s=%.1fms\n", c.name,
                    Min(c.ours) * 1000, c.peerName, Min(c.peer) * 1000, Median(c.oursWall) * 1000, c.peerName,
                    Median(c.peerWall) * 1000);
    }
    std::fflush(stdout);
    return exact ? 0 : 1;
}
