// Loading a keyword file of 50,000 sorted words: ours (encoding detection,
// UTF-16 decoding, records, sort and index) against a plain stdio reader
// that keeps the lines as std::string and sorts them.
#include "editctrl/syntax/strtoken.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

template <class F>
double BestMs(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

std::string MakeKeywordFile(int words) {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/wendrel_bench_keywords.txt";
    std::vector<std::string> list;
    unsigned seed = 12345;
    for (int i = 0; i < words; ++i) {
        std::string w;
        int len = 3 + int((seed = seed * 1103515245 + 12345) >> 16) % 10;
        for (int k = 0; k < len; ++k) w += char('a' + ((seed = seed * 1103515245 + 12345) >> 16) % 26);
        w += std::to_string(i);
        if (i % 7 == 0) w += ",2";
        list.push_back(w);
    }
    std::sort(list.begin(), list.end());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return {};
    for (const auto& w : list) std::fprintf(f, "%s\r\n", w.c_str());
    std::fclose(f);
    return path;
}

}  // namespace

int main() {
    const int words = 50000;
    const std::string path = MakeKeywordFile(words);
    if (path.empty()) {
        std::fprintf(stderr, "bench: cannot write the keyword file\n");
        return 1;
    }
    const std::u16string wpath(path.begin(), path.end());

    std::size_t loaded = 0;
    double ours = BestMs(5, [&] {
        CStrToken token;
        std::u16string message;
        token.SetKeywordNocase(false);
        if (token.initDefaultKeyword(wpath, message) == 0) loaded = token.Keywords().size();
    });
    std::size_t peerCount = 0;
    double peer = BestMs(5, [&] {
        std::vector<std::string> lines;
        FILE* f = std::fopen(path.c_str(), "rb");
        char buf[256];
        while (f && std::fgets(buf, sizeof buf, f)) lines.emplace_back(buf);
        if (f) std::fclose(f);
        std::sort(lines.begin(), lines.end());
        peerCount = lines.size();
    });
    std::remove(path.c_str());
    if (loaded != std::size_t(words) || peerCount != std::size_t(words)) {
        std::fprintf(stderr, "bench: loaded %zu and %zu of %d words\n", loaded, peerCount, words);
        return 1;
    }
    std::printf("bench: keyword_file_50000_sorted ours=%.2fms stdio_sort=%.2fms ratio=%.2f\n", ours, peer, ours / peer);
    return 0;
}
