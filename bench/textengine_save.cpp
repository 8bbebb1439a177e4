// Saving 10^6 lines, and `wdev convert` from UTF-8 to Shift_JIS.
//
// save_<code>: a text buffer holding 10^6 generated lines of Japanese and
// ASCII saves itself (Shift_JIS, UTF-8, UTF-16LE, no signature, LF) through
// the editor's safe save, against glibc's iconv(3) encoding the same text,
// held as one UTF-16LE block, into a 64 KiB buffer written to a file. Both
// run in this process, both end with the file synced to disk. Figures are
// CPU time of this process (user + system) for the one save, so other load
// on the machine weighs less; wall time beside it. The outputs are compared
// byte for byte.
//
// convert_utf8_to_sjis: `wdev convert IN OUT --from 8 --to 1 --eol 2` against
// `iconv -f UTF-8 -t CP932 IN > OUT && sync OUT` (under sh, as the peer
// needs it to sync), whole programs, CPU time of the child and its children,
// on the same lines as UTF-8 and, where it has been built, the 100 MB corpus
// (bench/make_textengine_corpus.sh) as text that Shift_JIS holds whole.
//
// Medians of interleaved runs (which side goes first alternates) after one
// warm-up, with the minimum beside.
//
//   bench_textengine_save [--lines N] [--runs N] [--dir D] [--wdev PATH] [--corpus DIR]
#include <fcntl.h>
#include <iconv.h>
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
#include "textengine/edit_data.h"
#include "textengine/kanjicode.h"

namespace {

using bench::Median;
using bench::Min;
using bench::Slurp;
using bench::Spawn;
using bench::Times;

Times Now() {
    timespec c, w;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c);
    clock_gettime(CLOCK_MONOTONIC, &w);
    return {double(c.tv_sec) + double(c.tv_nsec) * 1e-9, double(w.tv_sec) + double(w.tv_nsec) * 1e-9};
}

Times Since(const Times& t0) {
    const Times t1 = Now();
    return {t1.cpu - t0.cpu, t1.wall - t0.wall};
}

// Lines of 1 to 12 words drawn from ASCII, kana, kanji, full-width and
// half-width forms (all of them in code page 932), from a fixed seed.
std::string MakeLines(int lines) {
    static const char* const words[] = {"alpha",  "beta ",  "日本語",   "テキスト", "の",   "を",     "検索し",  "置換",
                                        "ｶﾀｶﾅ",   "ＡＢＣ", "\t",       " ",        "x=1;", "漢字かな", "42",      "編集する",
                                        "、",     "。",     "(int)",    "ファイル", "保存", "「引用」", "ー",      "―",
                                        "①",      "＜＞",   "return 0", "〜",       "です", "ます",   "http://", "ﾃﾞｰﾀ"};
    return bench::MakeWordLines(words, 36, lines, 12);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The peer's save: iconv(3) from the UTF-16LE block into a buffer that is
// written out whenever it fills.
bool IconvSave(const std::string& utf16le, const char* to, const std::string& path) {
    iconv_t cd = iconv_open(to, "UTF-16LE");
    if (cd == iconv_t(-1)) return false;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = fd >= 0;
    char* in = const_cast<char*>(utf16le.data());
    size_t inLeft = utf16le.size();
    static char buffer[65536];
    while (ok && inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
        if (r == size_t(-1) && errno != E2BIG) ok = false;
        const size_t n = sizeof buffer - outLeft;
        ok = ok && write(fd, buffer, n) == ssize_t(n);
    }
    ok = ok && fsync(fd) == 0;
    if (fd >= 0) ok = close(fd) == 0 && ok;
    iconv_close(cd);
    return ok;
}

struct Series {
    std::vector<double> cpu, wall;
    void Add(const Times& t) {
        cpu.push_back(t.cpu);
        wall.push_back(t.wall);
    }
};

void Report(const std::string& name, const Series& ours, const char* peer, const Series& theirs) {
    const double o = Median(ours.cpu) * 1000, p = Median(theirs.cpu) * 1000;
    std::printf("bench: %s ours=%.1fms %s=%.1fms ratio=%.3f\n", name.c_str(), o, peer, p, p > 0 ? o / p : 0.0);
    std::printf("#   %s CPU min ours=%.1fms %s=%.1fms; wall median ours=%.1fms %s=%.1fms (ratio %.3f)\n",
                name.c_str(), Min(ours.cpu) * 1000, peer, Min(theirs.cpu) * 1000, Median(ours.wall) * 1000, peer,
                Median(theirs.wall) * 1000, Median(ours.wall) / Median(theirs.wall));
    std::fflush(stdout);
}

// Interleaved runs of two timed actions after one warm-up of each.
template <class A, class B>
void Race(int runs, Series& ours, Series& theirs, A a, B b) {
    a();
    b();
    for (int r = 0; r < runs; ++r) {
        if (r % 2) {
            theirs.Add(b());
            ours.Add(a());
        } else {
            ours.Add(a());
            theirs.Add(b());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 1000000, runs = 7;
    std::string dir, wdev, corpus = "build/bench-corpus";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--lines")) lines = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--dir")) dir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--wdev")) wdev = argv[i + 1];
        else if (!std::strcmp(argv[i], "--corpus")) corpus = argv[i + 1];
    }
    if (!dir.empty()) {
        mkdir(dir.c_str(), 0755);
    } else {
        char tmpl[] = "/tmp/bench_save_XXXXXX";
        if (!mkdtemp(tmpl)) return 1;
        dir = tmpl;
    }
    if (wdev.empty()) {
        char exe[4096];
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0) return 1;
        std::string self(exe, std::size_t(n));
        wdev = self.substr(0, self.rfind('/')) + "/../tools/wdev/wdev";
    }

    const std::string utf8 = MakeLines(lines);
    const std::u16string text = Utf8ToUtf16(utf8);
    const std::string utf16le(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
    const std::string utf8Path = dir + "/lines-utf8.txt";
    WriteFile(utf8Path, utf8);

    CEditData data;
    {
        CMemoryStream in(utf16le);
        KanjiCode code = KanjiCode::UnicodeNoSig;
        LineEndType lineEnd = LineEndType::LF;
        if (!data.Load(in, code, lineEnd)) return 1;
    }
    std::printf("# %d lines, %zu units of UTF-16; %d interleaved runs after one warm-up\n", lines, text.size(), runs);

    struct Case {
        const char* name;
        KanjiCode code;
        const char* iconvName;
    };
    const Case cases[] = {{"save_sjis", KanjiCode::SJIS, "CP932"},
                          {"save_utf8", KanjiCode::UTF8NoSig, "UTF-8"},
                          {"save_utf16le", KanjiCode::UnicodeNoSig, "UTF-16LE"}};
    bool exact = true;
    for (const Case& c : cases) {
        const std::string mine = dir + "/ours.out", theirs = dir + "/peer.out";
        const std::u16string path = Utf8ToUtf16(mine);
        Series ours, peer;
        Race(
            runs, ours, peer,
            [&] {
                const Times t0 = Now();
                if (!data.Save(path.c_str(), c.code, LineEndType::LF, nullptr)) std::exit(2);
                return Since(t0);
            },
            [&] {
                const Times t0 = Now();
                if (!IconvSave(utf16le, c.iconvName, theirs)) std::exit(2);
                return Since(t0);
            });
        const bool same = Slurp(mine) == Slurp(theirs);
        std::printf("# %s: output %s iconv's\n", c.name, same ? "equals" : "DIFFERS FROM");
        exact = exact && same;
        Report(c.name, ours, "iconv", peer);
    }

    std::vector<std::pair<std::string, std::string>> inputs = {{"lines", utf8Path}};
    // The corpus's Shift_JIS file back in UTF-8: text that Shift_JIS holds
    // whole, so that neither side writes '?' or drops a character.
    const std::string bigSjis = corpus + "/big/sjis.txt", big = dir + "/corpus-utf8.txt";
    if (access(bigSjis.c_str(), R_OK) == 0) {
        Spawn({"sh", "-c", "iconv -f CP932 -t UTF-8 \"$1\" > \"$2\"", "sh", bigSjis, big});
        inputs.push_back({"corpus100MB", big});
    }
    for (const auto& [label, in] : inputs) {
        const std::string mine = dir + "/ours.sjis", theirs = dir + "/peer.sjis";
        Series ours, peer;
        Race(
            runs, ours, peer, [&] { return Spawn({wdev, "convert", in, mine, "--from", "8", "--to", "1", "--eol", "2"}); },
            [&] {
                return Spawn({"sh", "-c", "iconv -f UTF-8 -t CP932 \"$1\" > \"$2\" && sync \"$2\"", "sh", in, theirs});
            });
        const bool same = Slurp(mine) == Slurp(theirs);
        std::printf("# convert_utf8_to_sjis_%s: output %s iconv's\n", label.c_str(), same ? "equals" : "DIFFERS FROM");
        exact = exact && same;
        Report("convert_utf8_to_sjis_" + label, ours, "iconv", peer);
    }
    return exact ? 0 : 1;
}
