// Whole programs against whole programs on a ~100 MB text file in Shift_JIS,
// EUC-JP, UTF-8 and UTF-16LE: peak memory per MB of file; loading (this
// program started again to load the file into a text buffer, with detection,
// or only to decode it) against iconv and nkf converting it to UTF-16LE; saving
// as converting from the UTF-16LE file (load, then save, as `wdev convert`
// does) against iconv doing the same conversion, both syncing the written
// file to disk; and Shift_JIS to UTF-8 on many lines and on one long line, the
// `wdev convert` goal (saves and conversions: medians of runs taken in turns).
// Build the corpus first:
//   bench/make_textengine_corpus.sh [DIR]; bench_textengine_file [DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/kanjitextfile.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 3;
// Loads are short and a busy machine spreads them widely: more tries, for
// us and the peers alike.
constexpr int kLoadRuns = 5;
// Saves and conversions, each side in turn.
constexpr int kConvertRuns = 7;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Run {
    double seconds = 0;
    double peakMB = 0;
};

// Runs argv with stdout to a file (or /dev/null); wall time and peak memory
// of the child. A child's peak memory starts at its parent's size, so peaks
// are measured before this process holds any text.
Run RunCommand(const std::vector<std::string>& argv, const std::string& out = "/dev/null") {
    Run r;
    double t0 = Now();
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int null = open("/dev/null", O_WRONLY);
        dup2(fd, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    r.seconds = Now() - t0;
    r.peakMB = ru.ru_maxrss / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) r.seconds = -1;
    return r;
}

// The middle value; -1 when any run failed.
double Median(std::vector<double> runs) {
    if (std::find(runs.begin(), runs.end(), -1.0) != runs.end()) return -1;
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

Run Best(const std::vector<std::string>& argv, const std::string& out = "/dev/null", int runs = kRuns) {
    Run best = RunCommand(argv, out);
    for (int i = 1; i < runs; ++i) {
        Run r = RunCommand(argv, out);
        if (r.seconds >= 0 && r.seconds < best.seconds) best = r;
    }
    return best;
}

bool LoadFile(CEditData& data, const std::string& path, KanjiCode& code) {
    std::u16string p = Utf8ToUtf16(path);
    CFileStream in;
    if (!in.Open(p.c_str(), CFileStream::ReadOnly)) return false;
    LineEndType lineEnd = LineEndType::CRLF;
    code = KanjiCode::Detect;
    return data.Load(in, code, lineEnd);
}

// What the program does when started again by itself with a mode: the work
// alone, timed from outside like the peers. 0 on success.
int RunMode(const std::string& mode, char** argv) {
    if (mode == "--load") {
        CEditData data;
        KanjiCode code;
        return LoadFile(data, argv[0], code) ? 0 : 1;
    }
    if (mode == "--decode") {
        CKanjiTextFile file;
        const std::u16string p = Utf8ToUtf16(argv[0]);
        if (!file.Open(p.c_str(), "r")) return 1;
        size_t n;
        while (file.ReadChunk(&n)) {
        }
        return file.Failed() ? 1 : 0;
    }
    if (mode == "--convert") {  // IN OUT CODE: as wdev convert, a save syncing the file
        CEditData data;
        KanjiCode code;
        const std::optional<KanjiCode> to = KanjiCodeFromNumber(std::atoi(argv[2]));
        if (!to) return 2;
        if (!LoadFile(data, argv[0], code)) return 1;
        const std::u16string out = Utf8ToUtf16(argv[1]);
        return data.Save(out.c_str(), *to, LineEndType::LF, nullptr) ? 0 : 1;
    }
    return 2;
}

// Peak memory of a child that only loads the file.
double LoadPeakMB(const std::string& path) {
    pid_t pid = fork();
    if (pid == 0) {
        CEditData data;
        KanjiCode code;
        _exit(LoadFile(data, path, code) ? 0 : 1);
    }
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    return ru.ru_maxrss / 1024.0;
}

void Line(const std::string& name, double ours, const char* peer, double theirs, const char* unit, double scale) {
    if (theirs < 0) {
        std::printf("bench: %s ours=%.0f%s %s=unavailable ratio=0\n", name.c_str(), ours * scale, unit, peer);
        return;
    }
    std::printf("bench: %s ours=%.0f%s %s=%.0f%s ratio=%.3f\n", name.c_str(), ours * scale, unit, peer,
                theirs * scale, unit, ours / theirs);
}

void MemLine(const std::string& name, double ours, const char* peer, double theirs) {
    std::printf("bench: %s ours=%.2fMB/MB %s=%.2fMB/MB ratio=%.3f\n", name.c_str(), ours, peer, theirs,
                theirs > 0 ? ours / theirs : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] == '-' && argv[1][1] == '-') return RunMode(argv[1], argv + 2);
    const std::string self = fs::canonical("/proc/self/exe").string();
    std::printf("note: natively the line pools are backed by huge pages where the system offers them; the "
                "Windows program takes plain pages.\n");
    fs::path big = fs::path(argc > 1 ? argv[1] : "build/bench-corpus") / "big";
    if (!fs::is_directory(big)) {
        std::fprintf(stderr, "no corpus in %s: run bench/make_textengine_corpus.sh first\n", big.c_str());
        return 1;
    }
    struct Case {
        const char* name;
        const char* file;
        int code;
        const char* iconvName;
        const char* nkfIn;
        const char* nkfOut;
    };
    const Case cases[] = {
        {"sjis", "sjis.txt", 1, "CP932", "-S", "-s"},
        {"eucjp", "eucjp.txt", 2, "EUC-JP", "-E", "-e"},
        {"utf8", "utf8.txt", 8, "UTF-8", "-W", "-w80"},
        {"utf16le", "utf16le.txt", 5, "UTF-16", "-W16L", "-w16L"},
    };
    std::string utf16 = (big / "utf16le.txt").string();
    fs::path outDir = fs::temp_directory_path() / "wendrel-bench";
    fs::create_directories(outDir);

    // Peak memory while loading, per MB of file: first, while this process is small.
    for (const auto& c : cases) {
        std::string path = (big / c.file).string();
        double mb = fs::file_size(path) / 1048576.0;
        double ours = LoadPeakMB(path) / mb;
        Run iconv = RunCommand({"iconv", "-f", c.iconvName, "-t", "UTF-16LE", path});
        Run nkf = RunCommand({"nkf", "-x", c.nkfIn, "-w16L0", path});
        MemLine(std::string("memory_") + c.name, ours, "iconv", iconv.peakMB / mb);
        MemLine(std::string("memory_") + c.name, ours, "nkf", nkf.peakMB / mb);
    }

    // Loading: ours into a text buffer (and decoding alone), with
    // detection; the peers converting to UTF-16LE.
    for (const auto& c : cases) {
        std::string path = (big / c.file).string();
        Run ours = Best({self, "--load", path}, "/dev/null", kLoadRuns);
        Run decode = Best({self, "--decode", path}, "/dev/null", kLoadRuns);
        Run iconv = Best({"iconv", "-f", c.iconvName, "-t", "UTF-16LE", path}, "/dev/null", kLoadRuns);
        Run nkf = Best({"nkf", "-x", c.nkfIn, "-w16L0", path}, "/dev/null", kLoadRuns);
        Line(std::string("load_") + c.name, ours.seconds, "iconv", iconv.seconds, "ms", 1000);
        Line(std::string("load_") + c.name, ours.seconds, "nkf", nkf.seconds, "ms", 1000);
        Line(std::string("decode_") + c.name, decode.seconds, "iconv", iconv.seconds, "ms", 1000);
    }

    // Saving: the same conversion from the UTF-16LE file on both sides, and
    // both put the written file on disk before they end.
    // Medians of runs taken in turns, so that a busy moment weighs on both.
    auto convert = [&](const std::string& name, const std::string& in, int code, const char* from, const char* to) {
        const std::string out = (outDir / "ours.out").string(), peerOut = (outDir / "peer.out").string();
        std::vector<double> ours, iconv;
        for (int i = 0; i < kConvertRuns; ++i) {
            ours.push_back(RunCommand({self, "--convert", in, out, std::to_string(code)}).seconds);
            iconv.push_back(RunCommand({"sh", "-c", "iconv -c -f \"$1\" -t \"$2\" \"$3\" > \"$4\" && sync \"$4\"",
                                        "sh", from, to, in, peerOut})
                                .seconds);
        }
        Line(name, Median(ours), "iconv", Median(iconv), "ms", 1000);
        fs::remove(out);
        fs::remove(peerOut);
    };
    for (const auto& c : cases) convert(std::string("save_") + c.name, utf16, c.code, "UTF-16", c.iconvName);

    // Shift_JIS to UTF-8, the usual shape and one long line.
    const std::string sjis = (big / "sjis.txt").string();
    const std::string oneLine = (outDir / "one-line-sjis.txt").string();
    {
        std::FILE* in = std::fopen(sjis.c_str(), "rb");
        std::FILE* out = std::fopen(oneLine.c_str(), "wb");
        if (!in || !out) return 1;
        char block[65536];
        size_t n, total = 0;
        while (total < (size_t(10) << 20) && (n = std::fread(block, 1, sizeof block, in)) > 0) {
            std::replace(block, block + n, '\n', ' ');
            std::replace(block, block + n, '\r', ' ');
            std::fwrite(block, 1, n, out);
            total += n;
        }
        std::fclose(in);
        std::fclose(out);
    }
    convert("convert_sjis_to_utf8_lines", sjis, 8, "CP932", "UTF-8");
    convert("convert_sjis_to_utf8_one_10MB_line", oneLine, 8, "CP932", "UTF-8");
    fs::remove(oneLine);
    return 0;
}
