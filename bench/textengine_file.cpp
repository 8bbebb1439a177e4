// Loading (with detection) and saving a ~100 MB text file in Shift_JIS,
// EUC-JP, UTF-8 and UTF-16LE, against iconv converting the same file to or
// from UTF-16LE and against nkf; then peak memory per MB of file. Build the
// corpus first (save times include syncing the file to disk):  bench/make_textengine_corpus.sh [DIR]; bench_textengine_file [DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

Run Best(const std::vector<std::string>& argv, const std::string& out = "/dev/null", int runs = kRuns) {
    Run best = RunCommand(argv, out);
    for (int i = 1; i < runs; ++i) {
        Run r = RunCommand(argv, out);
        if (r.seconds >= 0 && r.seconds < best.seconds) best = r;
    }
    return best;
}

bool LoadFile(CEditData& data, const std::string& path, int& code) {
    std::u16string p = Utf8ToUtf16(path);
    CFileStream in;
    if (!in.Open(p.c_str(), CFileStream::ReadOnly)) return false;
    int lineEnd = 0;
    code = KanjiCode::Auto;
    return data.Load(in, code, lineEnd);
}

// Each load runs in a fresh child, as a user's first load does: the buffer's
// memory is new to the process, not recycled from an earlier run.
double TimeLoad(const std::string& path) {
    double best = 1e9;
    for (int i = 0; i < kLoadRuns; ++i) {
        int fds[2];
        if (pipe(fds) != 0) return -1;
        pid_t pid = fork();
        if (pid == 0) {
            CEditData data;
            int code;
            double t0 = Now();
            double t = LoadFile(data, path, code) ? Now() - t0 : -1;
            ssize_t w = write(fds[1], &t, sizeof t);
            _exit(w == sizeof t ? 0 : 1);
        }
        close(fds[1]);
        double t = -1;
        if (read(fds[0], &t, sizeof t) != sizeof t) t = -1;
        close(fds[0]);
        waitpid(pid, nullptr, 0);
        if (t < 0) return -1;
        best = std::min(best, t);
    }
    return best;
}

// Conversion alone: the file read and decoded chunk by chunk, no buffer.
double TimeDecode(const std::string& path) {
    double best = 1e9;
    std::u16string p = Utf8ToUtf16(path);
    for (int i = 0; i < kRuns; ++i) {
        double t0 = Now();
        CKanjiTextFile file;
        if (!file.Open(p.c_str(), "r")) return -1;
        size_t n;
        while (file.ReadChunk(&n)) {
        }
        best = std::min(best, Now() - t0);
    }
    return best;
}

// Peak memory of a child that only loads the file.
double LoadPeakMB(const std::string& path) {
    pid_t pid = fork();
    if (pid == 0) {
        CEditData data;
        int code;
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

    // Loading: ours into a text buffer (and converting alone, with
    // detection), the peers converting to UTF-16LE.
    for (const auto& c : cases) {
        std::string path = (big / c.file).string();
        double ours = TimeLoad(path);
        double decode = TimeDecode(path);
        Run iconv = Best({"iconv", "-f", c.iconvName, "-t", "UTF-16LE", path}, "/dev/null", kLoadRuns);
        Run nkf = Best({"nkf", "-x", c.nkfIn, "-w16L0", path}, "/dev/null", kLoadRuns);
        Line(std::string("load_") + c.name, ours, "iconv", iconv.seconds, "ms", 1000);
        Line(std::string("load_") + c.name, ours, "nkf", nkf.seconds, "ms", 1000);
        Line(std::string("decode_") + c.name, decode, "iconv", iconv.seconds, "ms", 1000);
    }

    // Saving the same text: ours from the buffer, the peers from UTF-16LE.
    CEditData data;
    int code;
    if (!LoadFile(data, utf16, code)) return 1;
    for (const auto& c : cases) {
        std::u16string out = Utf8ToUtf16((outDir / c.file).string());
        double best = 1e9;
        for (int i = 0; i < kRuns; ++i) {
            double t0 = Now();
            if (!data.Save(out.c_str(), c.code, 2, nullptr)) return 1;
            best = std::min(best, Now() - t0);
        }
        // The peers write a file too (ours also syncs it to disk before the swap).
        std::string peerOut = (outDir / (std::string("peer-") + c.file)).string();
        Run iconv = Best({"iconv", "-c", "-f", "UTF-16", "-t", c.iconvName, utf16}, peerOut);
        Run nkf = Best({"nkf", "-x", "-W16L", c.nkfOut, utf16}, peerOut);
        fs::remove(peerOut);
        Line(std::string("save_") + c.name, best, "iconv", iconv.seconds, "ms", 1000);
        Line(std::string("save_") + c.name, best, "nkf", nkf.seconds, "ms", 1000);
        fs::remove(outDir / c.file);
    }
    return 0;
}
