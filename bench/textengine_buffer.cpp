// Text buffer benchmark: typing, line insert/delete near the caret at two
// buffer sizes, bulk insert, undo/redo of a large group and memory per line.
// Beside each figure stands a plain std::vector<std::u16string> doing the
// same edits ("ref-vector"): an absolute reference, not a peer, since it
// keeps no undo, no caret and no line marks. Both sides get the same warm-up
// and the same number of runs, in turns.
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "textengine/edit_data.h"

namespace {

// CPU time of this thread: the figures should not depend on what else the
// machine runs.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    }
};

double seconds_since(double t) { return Clock::now() - t; }

std::size_t heap_in_use() {
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}

// Lines of `width` units of mixed Japanese and ASCII text.
std::u16string make_lines(int lines, int width) {
    static const char16_t alphabet[] = u"abcdefghij あいうえお漢字かなカナ 0123456789";
    const int n = int(sizeof(alphabet) / sizeof(alphabet[0])) - 1;
    std::u16string text;
    text.reserve(std::size_t(lines) * std::size_t(width + 2));
    unsigned seed = 12345;
    for (int i = 0; i < lines; ++i) {
        for (int j = 0; j < width; ++j) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet[(seed >> 16) % unsigned(n)];
        }
        text += u"\r\n";
    }
    return text;
}

std::vector<std::u16string> split_lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.emplace_back(text, start, i - start);
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    lines.emplace_back(text, start, text.size() - start);
    return lines;
}

void print_line(const char* name, double ours, double peer, const char* peerName, const char* unit) {
    std::printf("bench: %s ours=%.1f%s %s=%.1f%s ratio=%.2f\n", name, ours, unit, peerName, peer, unit, ours / peer);
}

void bench_typing() {
    constexpr int kChars = 1000000;
    const std::u16string words = u"the quick brown fox 日本語の文章を入力する ";
    // The second of two runs each, in turns: the first also pays for fresh pages.
    double ours = 0, theirs = 0;
    for (int run = 0; run < 2; ++run) {
        {
            CEditData d;
            d.SetUndoUnlimited();
            auto t = Clock::now();
            for (int i = 0; i < kChars; ++i) d.TypeChar(i % 80 == 79 ? u'\r' : words[std::size_t(i) % words.size()]);
            ours = seconds_since(t) * 1e9 / kChars;
        }
        std::vector<std::u16string> peer(1);
        auto t = Clock::now();
        for (int i = 0; i < kChars; ++i) {
            if (i % 80 == 79) peer.emplace_back();
            else peer.back().push_back(words[std::size_t(i) % words.size()]);
        }
        theirs = seconds_since(t) * 1e9 / kChars;
    }
    print_line("type_1e6_chars", ours, theirs, "ref-vector", "ns/char");
}

// Inserts and deletes one line at the middle of a buffer of n lines.
double line_ops(int n, double* peerNs) {
    CEditData d;
    d.SetUndoUnlimited();
    const std::u16string text = make_lines(n - 1, 40);
    d.InsertBlock(text.c_str());
    d.ResetUndo();
    d.SetCaretPos(n / 2, 0);
    constexpr int kOps = 200000;
    for (int i = 0; i < kOps; ++i) {  // warm-up: the undo records' memory is then recycled
        d.TypeChar(u'\r');
        d.Backspace();
    }
    d.ResetUndo();
    auto t = Clock::now();
    for (int i = 0; i < kOps; ++i) {
        d.TypeChar(u'\r');
        d.Backspace();
    }
    const double ours = seconds_since(t) * 1e9 / (2.0 * kOps);

    std::vector<std::u16string> peer = split_lines(text);
    // Moving a million strings per edit: fewer edits, after the same warm-up.
    const int peerOps = n > 100000 ? 2000 : kOps;
    for (int i = 0; i < peerOps; ++i) {
        peer.insert(peer.begin() + n / 2, std::u16string());
        peer.erase(peer.begin() + n / 2);
    }
    t = Clock::now();
    for (int i = 0; i < peerOps; ++i) {
        peer.insert(peer.begin() + n / 2, std::u16string());
        peer.erase(peer.begin() + n / 2);
    }
    *peerNs = seconds_since(t) * 1e9 / (2.0 * peerOps);
    return ours;
}

void bench_line_ops() {
    double peerSmall = 0, peerBig = 0;
    // Best of three runs each: the first run in a process also pays for the
    // allocator taking fresh pages from the system.
    double big = 1e300, small = 1e300;
    for (int run = 0; run < 3; ++run) {
        big = std::min(big, line_ops(1000000, &peerBig));
        small = std::min(small, line_ops(1000, &peerSmall));
    }
    print_line("line_insert_delete_1e3_lines", small, peerSmall, "ref-vector", "ns/op");
    print_line("line_insert_delete_1e6_lines", big, peerBig, "ref-vector", "ns/op");
    print_line("line_insert_delete_growth_1e6_vs_1e3", big, small, "ours_1e3_lines", "ns/op");
}

void bench_insert_block() {
    // 100 MB of UTF-16: 50 million units in lines of 60 characters.
    const std::u16string text = make_lines(50000000 / 62, 60);
    const double mb = double(text.size() * sizeof(char16_t)) / 1e6;
    double ours = 1e300, theirs = 1e300;
    for (int run = 0; run < 2; ++run) {  // the best of two in turns
        {
            CEditData d;
            auto t = Clock::now();
            d.InsertBlock(text.c_str(), int(text.size()));
            ours = std::min(ours, seconds_since(t) * 1000);
        }
        auto t = Clock::now();
        std::vector<std::u16string> peer = split_lines(text);
        theirs = std::min(theirs, seconds_since(t) * 1000);
    }
    char name[64];
    std::snprintf(name, sizeof name, "insert_block_%.0fMB", mb);
    print_line(name, ours, theirs, "ref-vector", "ms");
}

void bench_undo_group() {
    constexpr int kRecords = 100000;
    CEditData d;
    d.SetUndoUnlimited();
    const std::u16string text = make_lines(kRecords, 20);
    d.InsertBlock(text.c_str());
    d.ResetUndo();
    {
        CUndoGroupGuard group(d.GetUndo(), 0);
        for (int i = 0; i < kRecords; ++i) {
            d.SetCaretPos(i, 5);  // ends coalescing: one record each
            d.TypeChar(u'x');
        }
    }
    auto t = Clock::now();
    d.Undo();
    const double undo = seconds_since(t) * 1e9 / kRecords;
    t = Clock::now();
    d.Redo();
    const double redo = seconds_since(t) * 1e9 / kRecords;
    std::printf("bench: undo_group_1e5_records ours=%.1fns/record\n", undo);
    std::printf("bench: redo_group_1e5_records ours=%.1fns/record\n", redo);
}

// Memory is measured on a cold heap; insert time on the second, warm run, so
// that neither side pays for first-touch page faults.
void bench_memory() {
    constexpr int kLines = 1000000;
    const std::u16string text = make_lines(kLines, 40);
    double oursBytes = 0, theirsBytes = 0, oursMs = 0, theirsMs = 0;
    for (int run = 0; run < 2; ++run) {
        malloc_trim(0);
        const std::size_t before = heap_in_use();
        auto* d = new CEditData;
        auto t = Clock::now();
        d->InsertBlock(text.c_str());
        oursMs = seconds_since(t) * 1000;
        if (run == 0) oursBytes = double(heap_in_use() - before) / kLines;
        delete d;
    }
    mpool_release(&LineTextPool);  // give the pools back before measuring the peer
    LineRecordPool.FreeAll();
    for (int run = 0; run < 2; ++run) {
        malloc_trim(0);
        const std::size_t before = heap_in_use();
        auto t = Clock::now();
        auto* peer = new std::vector<std::u16string>(split_lines(text));
        theirsMs = seconds_since(t) * 1000;
        if (run == 0) theirsBytes = double(heap_in_use() - before) / kLines;
        delete peer;
    }
    print_line("bytes_per_line_1e6x40", oursBytes, theirsBytes, "ref-vector", "B");
    print_line("insert_1e6x40_lines", oursMs, theirsMs, "ref-vector", "ms");
}

}  // namespace

int main() {
    std::printf("note: natively the line pools are backed by huge pages where the system offers them; the "
                "Windows program takes plain pages.\n");
    bench_memory();  // first, on a fresh heap
    bench_typing();
    bench_line_ops();
    bench_insert_block();
    bench_undo_group();
    return 0;
}
