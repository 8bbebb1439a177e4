#include "grid/core/grid_data.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "grid/core/grid_filter.h"
#include "textengine/invariant.h"
#include "textengine/mpool.h"
#include "textengine/regex/regex.h"
#include "textengine/utf16.h"

namespace {

constexpr GridColor kDefaultColors[GRID_COLOR_COUNT] = {
    0xFFFFFF, 0xFFE6E6, 0xFAC8C8, 0xDCC8C8, 0x969696, 0xFFDCDC, 0xDCDCFF, 0xF0F0F0, 0x000000,
    0xF0F0F0, 0x969600, 0x646464, 0x000000, 0x787878, 0x32FFFF, 0x000000, kGridNoColor,
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }

// Code-unit order, a shorter prefix first.
int CompareUnits(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        if (*a != *b) return *a < *b ? -1 : 1;
        if (*a == 0) return 0;
    }
}

bool Contains(const char16_t* s, char16_t c) {
    for (; *s; ++s)
        if (*s == c) return true;
    return false;
}

std::string Narrow(const char16_t* s) {
    std::string out;
    for (; *s; ++s) out.push_back(*s < 0x80 ? char(*s) : '?');
    return out;
}

int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

}  // namespace

CGridDispData::CGridDispData() {
    std::memcpy(colors, kDefaultColors, sizeof colors);
    widths.SetTabSize(4);
}

void FormatRowNumber(char16_t* out, char16_t prefix, int number, int width) {
    char digits[16];
    int n = 0;
    long long v = number;
    const bool negative = v < 0;
    if (negative) v = -v;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (negative) digits[n++] = '-';
    if (prefix) *out++ = prefix;
    for (int pad = width - n; pad > 0; --pad) *out++ = u' ';
    while (n) *out++ = char16_t(digits[--n]);
    *out = 0;
}

CGridData::CGridData() { m_curCell = {0, 0}; }

CGridData::~CGridData() {
    mpool_system_free(m_widths);
    delete m_filter;
}

const char16_t* CGridData::GetRowHeaderText(int row) {
    FormatRowNumber(m_rowHeaderText, 0, row + 1, 6);
    return m_rowHeaderText;
}

bool CGridData::GrowWidthWords(int count) {
    if (count <= m_widthCount) return true;
    auto* grown = static_cast<std::uint16_t*>(mpool_system_alloc(sizeof(std::uint16_t) * std::size_t(count)));
    if (!grown) return false;
    if (m_widthCount) std::memcpy(grown, m_widths, sizeof(std::uint16_t) * std::size_t(m_widthCount));
    for (int i = m_widthCount; i < count; ++i) grown[i] = kNewWidthWord;
    mpool_system_free(m_widths);
    m_widths = grown;
    m_widthCount = count;
    return true;
}

void CGridData::SetColWidth(int col, int width) {
    if (col < 0 || col >= m_widthCount) return;
    std::uint16_t w = m_widths[col];
    if (width > 0)
        w = std::uint16_t(kVisibleBit | (width > kMaxColWidth ? kMaxColWidth : width));
    else
        w = std::uint16_t(w & ~kVisibleBit);
    if (w == kVisibleBit) w = kNewWidthWord;
    m_widths[col] = w;
}

void CGridData::SetColVisible(int col, bool visible) {
    if (col < 0 || col >= m_widthCount) return;
    std::uint16_t w = std::uint16_t(visible ? m_widths[col] | kVisibleBit : m_widths[col] & ~kVisibleBit);
    if (w == kVisibleBit) w = kNewWidthWord;
    m_widths[col] = w;
}

int CGridData::GetColWidth(int col) {
    if (col < 0 || col >= m_widthCount) return 100;
    const std::uint16_t w = m_widths[col];
    return (w & kVisibleBit) ? (w & kMaxColWidth) : 0;
}

int CGridData::AddListener(GridWindow window) {
    for (int i = 0; i < kListenerSlots; ++i) {
        if (!m_listeners[i]) {
            m_listeners[i] = window;
            return i;
        }
    }
    return kListenerSlots;
}

int CGridData::RemoveListener(GridWindow window) {
    for (int i = 0; i < kListenerSlots; ++i) {
        if (window && m_listeners[i] == window) {
            m_listeners[i] = nullptr;
            return i;
        }
    }
    return kListenerSlots;
}

int CGridData::MeasureText(const char16_t* text, int limit, CTextMetrics* metrics, const char16_t* end) const {
    const CCharWidthTable& table = m_disp->widths;
    int sum = 0;
    for (const char16_t* p = text; *p && p != end;) {
        if (*p == u'\r' || *p == u'\n') {
            sum += 2 * table.GetWidth(metrics, U'x');
            return sum > limit ? limit : sum;
        }
        if (*p == u'\t') {
            sum = table.NextTabStop(metrics, sum);
            ++p;
        } else {
            int units = 1;
            sum += table.AdvanceAt(metrics, p, units);
            p += units;
        }
        if (sum > limit) return limit;
    }
    return sum;
}

namespace {

// Waits while the cancel word says pause; true when it says stop.
bool Cancelled(const std::atomic<int>* cancel) {
    if (!cancel) return false;
    int v;
    while ((v = cancel->load()) == 2) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return v == 1;
}

}  // namespace

int CGridData::CalcColWidth(int col, int limit, CTextMetrics* metrics, const std::atomic<int>* cancel) {
    int widest = 0;
    const int rows = GetRowCount();
    for (int row = 0; row < rows; ++row) {
        if (Cancelled(cancel)) break;
        const int w = MeasureText(GetDispText(row, col), limit, metrics);
        if (w > widest) widest = w;
        if (widest >= limit) break;
    }
    return widest;
}

int CGridData::CalcColWidthTrimmed(int col, int limit, CTextMetrics* metrics, const std::atomic<int>* cancel) {
    int widest = 0;
    const int rows = GetRowCount();
    for (int row = 0; row < rows; ++row) {
        if (Cancelled(cancel)) break;
        const char16_t* text = GetDispText(row, col);
        const char16_t* end = text;
        while (*end && *end != u'\n') ++end;
        if (end > text && end[-1] == u'\r') --end;
        while (end > text && IsBlank(end[-1])) --end;
        const int w = MeasureText(text, limit, metrics, end);
        if (w > widest) widest = w;
        if (widest >= limit) break;
    }
    return widest;
}

int CGridData::FindCol(int start, int* out, int direction, int, int, bool includeStart, CompiledRegex* re) {
    const int cols = GetColCount();
    auto matches = [&](int col) { return re && regex_search_string(re, GetColName(col), 0, nullptr, nullptr) == 1; };
    auto found = [&](int col) {
        if (out) *out = col;
        return 1;
    };
    if (includeStart && start >= 0 && start < cols && matches(start)) return found(start);
    if (direction == 1) {
        for (int c = start + 1; c < cols; ++c)
            if (matches(c)) return found(c);
        for (int c = 0; c < start && c < cols; ++c)
            if (matches(c)) return found(c);
    } else {
        for (int c = start - 1; c >= 0; --c)
            if (c < cols && matches(c)) return found(c);
        for (int c = cols - 1; c > start; --c)
            if (matches(c)) return found(c);
    }
    return 0;
}

int CGridData::CompareRows(int a, int b, int col) {
    if (GetCellType(a, col) != GRID_CELL_NUMBER) return CompareUnits(GetCellText(a, col), GetCellText(b, col));
    const bool nullA = IsNullCell(a, col), nullB = IsNullCell(b, col);
    if (nullA != nullB) return nullA ? 1 : -1;
    if (nullA) return 0;
    const char16_t* ta = GetCellText(a, col);
    const char16_t* tb = GetCellText(b, col);
    if (CompareUnits(ta, tb) == 0) return 0;
    const std::string na = Narrow(ta), nb = Narrow(tb);
    if (Contains(ta, u'.') || Contains(tb, u'.')) return Sign(std::strtod(na.c_str(), nullptr) - std::strtod(nb.c_str(), nullptr));
    const long long ia = std::strtoll(na.c_str(), nullptr, 10), ib = std::strtoll(nb.c_str(), nullptr, 10);
    return ia < ib ? -1 : ia > ib ? 1 : 0;
}

int CGridData::SortRows(const int* cols, const int* dirs, int keys, const std::function<void(int, int)>& afterSwap) {
    const int rows = GetRowCount();
    int gap = rows;
    bool sorted = false;
    while (gap > 1 || !sorted) {
        gap = gap * 10 / 13;
        if (gap == 0) gap = 1;
        if (gap == 9 || gap == 10) gap = 11;
        sorted = true;
        for (int n = 0; n + gap < rows; ++n) {
            const int s = n + gap;
            for (int k = 0; k < keys; ++k) {
                const int r = CompareRows(n, s, cols[k]);
                if (r == 0) continue;
                if (dirs[k] * r > 0) {
                    SwapRows(n, s);
                    if (afterSwap) afterSwap(n, s);
                    sorted = false;
                }
                break;
            }
        }
    }
    return gap;
}

int CGridData::Sort(const int* cols, const int* dirs, int keys) { return SortRows(cols, dirs, keys, {}); }

bool CGridData::IsInSelection(int row, int col) const {
    if (!m_sel.IsMultiCell()) return false;
    // Corners in row-major order: the first on the smaller row.
    WENDREL_ASSERT(m_sel.first.row <= m_sel.second.row);
    return row >= m_sel.first.row && row <= m_sel.second.row && col >= m_sel.Left() && col <= m_sel.Right();
}

void CGridData::ClampCurrentCell(int col, int row) {
    const int cols = const_cast<CGridData*>(this)->GetColCount();
    const int rows = const_cast<CGridData*>(this)->GetRowCount();
    m_curCell.col = cols <= 0 ? -1 : col < 0 ? 0 : col >= cols ? cols - 1 : col;
    m_curCell.row = rows <= 0 ? -1 : row < 0 ? 0 : row >= rows ? rows - 1 : row;
}

int CGridData::FilterData(int col, const char16_t* pattern, bool matchCase, bool matchWidth, bool regex, int* count,
                          std::u16string* message, bool failWhenEmpty) {
    const bool created = m_filter == nullptr;
    if (created) {
        m_filter = new (std::nothrow) CGridData_Filter(this);
        if (!m_filter) {
            if (message) *message = u"malloc error (CGridData_Filter::FilterData)";
            return 1;
        }
    }
    std::u16string local;
    const int result =
        m_filter->RunFilter(col, pattern, matchCase, matchWidth, regex, count, message ? *message : local, failWhenEmpty);
    if (result != 0) {
        if (created) DropFilter();
        return result;
    }
    m_filterActive = true;
    const int cols = GetColCount();
    m_curCell = {cols <= 0 ? -1 : col < 0 ? 0 : col >= cols ? cols - 1 : col, GetRowCount() > 0 ? 0 : -1};
    return 0;
}

void CGridData::EndFilter() {
    if (m_filterActive && m_filter) {
        const int cols = GetColCount();
        const int col = m_filter->m_curCell.col;
        m_curCell = {cols <= 0 ? -1 : col < 0 ? 0 : col >= cols ? cols - 1 : col, GetRowCount() > 0 ? 0 : -1};
    }
    m_filterActive = false;
}

void CGridData::DropFilter() {
    delete m_filter;
    m_filter = nullptr;
    m_filterActive = false;
}

CGridData& DefaultGridData() {
    static CGridData model;
    return model;
}
