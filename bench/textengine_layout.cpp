// Layout and line-sort benchmark: measuring and wrapping 10^6 lines at a
// column count and at a pixel width, and sorting 10^5 random and 10^5 equal
// lines. Measuring and wrapping are compared with a plain loop over
// std::u16string lines (a width array, greedy rows, no break rules); the sort
// (with its undo record) with std::stable_sort of std::u16string lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/layout.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

void print_line(const char* name, double ours, double peer, const char* peerName, const char* unit) {
    std::printf("bench: %s ours=%.1f%s %s=%.1f%s ratio=%.2f\n", name, ours, unit, peerName, peer, unit, ours / peer);
}

// Lines of 20 to 140 units of mixed Japanese and ASCII text with some TABs.
std::vector<std::u16string> make_lines(int count, unsigned seed) {
    static const char16_t alphabet[] = u"abcdefghij klmnopq\tあいうえお漢字かなカナ、。0123456789";
    const unsigned n = unsigned(sizeof(alphabet) / sizeof(alphabet[0]) - 1);
    std::vector<std::u16string> lines(static_cast<std::size_t>(count));
    for (auto& line : lines) {
        seed = seed * 1103515245u + 12345u;
        const int len = 20 + int((seed >> 16) % 121);
        line.reserve(std::size_t(len));
        for (int j = 0; j < len; ++j) {
            seed = seed * 1103515245u + 12345u;
            line += alphabet[(seed >> 16) % n];
        }
    }
    return lines;
}

std::u16string join(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += u'\n';
        text += lines[i];
    }
    return text;
}

// The peer: a width per unit from a flat table, tab stops, greedy rows.
struct PlainLayout {
    std::vector<int> widths;
    int tabStop;
    explicit PlainLayout(CTextMetrics& m) : widths(0x10000) {
        for (char32_t cp = 0; cp < 0x10000; ++cp) widths[cp] = m.MeasureChar(cp);
        tabStop = widths[u'x'] * 4;
    }
    int Width(const std::u16string& s) const {
        int x = 0;
        for (char16_t u : s) x = u == u'\t' ? (x / tabStop + 1) * tabStop : x + widths[u];
        return x;
    }
    int Rows(const std::u16string& s, int width, std::vector<int>& starts) const {
        starts.clear();
        int x = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char16_t u = s[i];
            const int next = u == u'\t' ? (x / tabStop + 1) * tabStop : x + widths[u];
            if (next > width && x > 0) {
                starts.push_back(int(i));
                x = u == u'\t' ? tabStop : widths[u];
            } else {
                x = next;
            }
        }
        return int(starts.size()) + 1;
    }
};

// Gives the line pools back, so that one case's freed blocks don't scatter
// the next case's lines.
void release_pools() {
    mpool_release(&LineTextPool);
    LineRecordPool.FreeAll();
}

void bench_layout(const char* measureName, const char* wrapName, CTextMetrics& font, int wrapWidth) {
    constexpr int kLines = 1000000;
    const std::vector<std::u16string> lines = make_lines(kLines, 42);
    CEditData d;
    d.InsertText(join(lines).c_str(), 1);
    d.SetFirstConfinementStr(u"、。");
    CCharWidthTable& table = d.GetDispData().widths;
    table.Init(&font);
    PlainLayout plain(font);

    long long sumOurs = 0, sumPeer = 0;
    auto t = Clock::now();
    for (int i = 0; i < kLines; ++i) sumOurs += CalcTextWidth(d.GetLineText(i), table, &font);
    const double measureOurs = ms_since(t);
    t = Clock::now();
    for (const auto& line : lines) sumPeer += plain.Width(line);
    const double measurePeer = ms_since(t);
    if (sumOurs != sumPeer) std::fprintf(stderr, "bench: widths differ (%lld, %lld)\n", sumOurs, sumPeer);
    print_line(measureName, measureOurs, measurePeer, "plain_loop", "ms");

    d.GetDispData().wrapWidth = wrapWidth;
    long long rowsOurs = 0, rowsPeer = 0;
    t = Clock::now();
    for (int i = 0; i < kLines; ++i) rowsOurs += d.CalcLineWrap(i, &font);
    const double wrapOurs = ms_since(t);
    std::vector<int> starts;
    t = Clock::now();
    for (const auto& line : lines) rowsPeer += plain.Rows(line, wrapWidth, starts);
    const double wrapPeer = ms_since(t);
    std::fprintf(stderr, "bench: %s rows ours=%lld plain=%lld\n", wrapName, rowsOurs, rowsPeer);
    print_line(wrapName, wrapOurs, wrapPeer, "plain_loop", "ms");
}

void bench_sort(const char* name, const std::vector<std::u16string>& lines) {
    CEditData d;
    d.InsertText(join(lines).c_str(), 1);
    d.ResetUndo();
    auto t = Clock::now();
    d.SortLinesAscending(0, d.GetLineCount() - 1);
    const double ours = ms_since(t);
    std::vector<std::u16string> peer = lines;
    t = Clock::now();
    std::stable_sort(peer.begin(), peer.end());
    const double theirs = ms_since(t);
    for (int i = 0; i < d.GetLineCount(); ++i) {
        if (peer[std::size_t(i)] != d.GetLineText(i)) {
            std::fprintf(stderr, "bench: %s: line %d differs\n", name, i);
            break;
        }
    }
    print_line(name, ours, theirs, "std_stable_sort", "ms");
}

}  // namespace

int main() {
    CFakeTextMetrics fixed(8, 16, true);
    bench_layout("measure_1e6_lines_fixed", "wrap_1e6_lines_at_80_columns", fixed, 80 * 8);
    release_pools();
    CFakeTextMetrics proportional(7, 13, false);
    bench_layout("measure_1e6_lines_proportional", "wrap_1e6_lines_at_500px", proportional, 500);
    release_pools();

    bench_sort("sort_1e5_random_lines", make_lines(100000, 7));
    release_pools();
    bench_sort("sort_1e5_equal_lines", std::vector<std::u16string>(100000, u"the same line of text"));
    return 0;
}
