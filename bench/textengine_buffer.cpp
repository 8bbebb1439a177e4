// Text buffer benchmark: typing, line insert/delete near the caret at two
// buffer sizes, bulk insert, undo/redo of a large group and memory per line.
// The line store is compared with a plain std::vector<std::u16string>.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "textengine/edit_data.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

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
    CEditData d;
    d.SetUndoUnlimited();
    auto t = Clock::now();
    for (int i = 0; i < kChars; ++i) d.TypeChar(i % 80 == 79 ? u'\r' : words[std::size_t(i) % words.size()]);
    const double ours = seconds_since(t) * 1e9 / kChars;

    std::vector<std::u16string> peer(1);
    t = Clock::now();
    for (int i = 0; i < kChars; ++i) {
        if (i % 80 == 79) peer.emplace_back();
        else peer.back().push_back(words[std::size_t(i) % words.size()]);
    }
    const double theirs = seconds_since(t) * 1e9 / kChars;
    print_line("type_1e6_chars", ours, theirs, "vector_u16string", "ns/char");
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
    auto t = Clock::now();
    for (int i = 0; i < kOps; ++i) {
        d.TypeChar(u'\r');
        d.Backspace();
    }
    const double ours = seconds_since(t) * 1e9 / (2.0 * kOps);

    std::vector<std::u16string> peer = split_lines(text);
    const int peerOps = n > 100000 ? 2000 : kOps;
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
    const double small = line_ops(1000, &peerSmall);
    const double big = line_ops(1000000, &peerBig);
    print_line("line_insert_delete_1e3_lines", small, peerSmall, "vector_u16string", "ns/op");
    print_line("line_insert_delete_1e6_lines", big, peerBig, "vector_u16string", "ns/op");
    print_line("line_insert_delete_growth_1e6_vs_1e3", big, small, "ours_1e3_lines", "ns/op");
}

void bench_insert_block() {
    // 100 MB of UTF-16: 50 million units in lines of 60 characters.
    const std::u16string text = make_lines(50000000 / 62, 60);
    const double mb = double(text.size() * sizeof(char16_t)) / (1 << 20);
    double ours, theirs;
    {
        CEditData d;
        auto t = Clock::now();
        d.InsertBlock(text.c_str(), int(text.size()));
        ours = seconds_since(t) * 1000;
    }
    {
        auto t = Clock::now();
        std::vector<std::u16string> peer = split_lines(text);
        theirs = seconds_since(t) * 1000;
    }
    char name[64];
    std::snprintf(name, sizeof name, "insert_block_%.0fMB", mb);
    print_line(name, ours, theirs, "vector_u16string", "ms");
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

void bench_memory() {
    constexpr int kLines = 1000000;
    const std::u16string text = make_lines(kLines, 40);
    double oursBytes, theirsBytes, oursMs, theirsMs;
    {
        malloc_trim(0);
        const std::size_t before = heap_in_use();
        auto* d = new CEditData;
        auto t = Clock::now();
        d->InsertBlock(text.c_str());
        oursMs = seconds_since(t) * 1000;
        oursBytes = double(heap_in_use() - before) / kLines;
        delete d;
        mpool_release(&LineTextPool);  // give the pool back before measuring the peer
        LineRecordPool.FreeAll();
    }
    {
        malloc_trim(0);
        const std::size_t before = heap_in_use();
        auto t = Clock::now();
        auto* peer = new std::vector<std::u16string>(split_lines(text));
        theirsMs = seconds_since(t) * 1000;
        theirsBytes = double(heap_in_use() - before) / kLines;
        delete peer;
    }
    print_line("bytes_per_line_1e6x40", oursBytes, theirsBytes, "vector_u16string", "B");
    print_line("insert_1e6x40_lines", oursMs, theirsMs, "vector_u16string", "ms");
}

}  // namespace

int main() {
    bench_memory();  // first, on a fresh heap
    bench_typing();
    bench_line_ops();
    bench_insert_block();
    bench_undo_group();
    return 0;
}
