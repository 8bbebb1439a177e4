// Measuring and wrapping the lines of a buffer.
#include <climits>
#include <cstring>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/utf16.h"

namespace {

bool contains_char(const char16_t* set, char32_t cp) {
    if (!set || cp == 0) return false;
    for (const char16_t* p = set; *p; p += utf16_units_at(p))
        if (utf16_get_code_point(p) == cp) return true;
    return false;
}

// Units of the character that ends right before text[i] (i > 0).
int units_before(const char16_t* text, int i) {
    return i >= 2 && utf16_is_low_surrogate(text[i - 1]) && utf16_is_high_surrogate(text[i - 2]) ? 2 : 1;
}

char32_t char_before(const char16_t* text, int i) { return utf16_get_code_point(text + i - units_before(text, i)); }

// A word that crosses the row end moves to the next row whole when it is
// shorter than this; a longer one is cut.
constexpr int kWordWrapLimit = 40;

// A line's row starts: block[0] is the row count, the starts follow.
constexpr int kFirstStarts = 3;  // a 16-byte block

int block_starts(const int* block) { return int(mpool_block_size(block) / sizeof(int)) - 1; }

// A block with room for n starts holding what block holds (block itself
// when it has the room); null when memory is short.
int* grow_starts(int* block, int n) {
    const int room = block ? block_starts(block) : 0;
    if (n <= room) return block;
    long long cap = room ? room : kFirstStarts;
    while (cap < n) cap *= 2;
    if (cap >= INT_MAX / long(sizeof(int))) return nullptr;
    auto* grown = static_cast<int*>(mpool_alloc(&LineTextPool, std::size_t(cap + 1) * sizeof(int)));
    if (!grown) return nullptr;
    if (block)
        std::memcpy(grown, block, std::size_t(room + 1) * sizeof(int));
    else
        grown[0] = 1;
    return grown;
}

}  // namespace

int CEditData::GetDisplayColumn(int line, int column, CTextMetrics* m) const {
    const CEditLine* rec = GetLine(line);
    const int end = column < rec->Length() ? column : rec->Length();
    const CCharWidthTable& table = m_disp.widths;
    const int tab = table.TabSize();
    int col = 0;
    for (int i = 0; i < end;) {
        const char16_t* p = rec->text + i;
        if (*p == u'\t') {
            col = (col / tab + 1) * tab;
            ++i;
            continue;
        }
        col += table.IsWide(m, utf16_get_code_point(p)) ? 2 : 1;
        i += utf16_units_at(p);
    }
    return col;
}

int CEditData::FitChars(const char16_t* text, int width, CTextMetrics* m) const {
    return FitChars(text, width, m_disp.widths, m);
}

int CEditData::FitChars(const char16_t* text, int width, const CCharWidthTable& table, CTextMetrics* m) const {
    const int tabStop = table.TabStopWidth(m);
    int x = 0;
    int i = 0;
    while (text[i]) {
        if (text[i] == u'\t') {
            if (x + 2 > width) break;  // a TAB is taken when 2 pixels are left
            x = (x / tabStop + 1) * tabStop;
            ++i;
            continue;
        }
        int units;
        const int advance = table.AdvanceAt(m, text + i, units);
        if (x + advance > width) break;
        x += advance;
        i += units;
    }
    if (!text[i]) return i;  // the whole rest fits: no break to adjust

    int taken = i;
    if (m_breakAdjust && taken > 2) {
        const char32_t next = utf16_get_code_point(text + taken);
        if (contains_char(m_firstConfinement, next)) {
            // A row may not begin with it: take it along, or when another
            // follows, start the next row one character earlier.
            const int after = taken + utf16_units_at(text + taken);
            if (contains_char(m_firstConfinement, utf16_get_code_point(text + after)))
                taken -= units_before(text, taken);
            else
                taken = after;
        } else if (contains_char(m_lastConfinement, char_before(text, taken))) {
            taken -= units_before(text, taken);
        }
    }
    if (m_wordWrap && text[taken] && GetWordCharType(utf16_get_code_point(text + taken)) == 3) {
        int start = taken;
        while (start > 0 && taken - start < kWordWrapLimit && GetWordCharType(char_before(text, start)) == 3)
            start -= units_before(text, start);
        if (start > 0 && taken - start < kWordWrapLimit) taken = start;
    }
    return taken;
}

LineRows CEditData::GetLineRows(int line) const {
    const CEditLine* rec = GetLine(line);
    LineRows rows{rec->text, rec->Length(), 1, nullptr};
    if (const int* block = line >= 0 && line < m_lines.Count() ? m_lines.WrapsAt(line) : nullptr) {
        if (block[0] > 1) {
            rows.count = block[0];
            rows.starts = block + 1;
        }
    }
    return rows;
}

int CEditData::CalcLineWrap(int line, CTextMetrics* m) {
    if (line < 0 || line >= m_lines.Count()) return 1;
    const int width = m_disp.wrapWidth;
    if (width == INT_MAX) {
        // Wrapping is off for every window of the text: all row starts go.
        if (m_lines.HasWraps()) m_lines.DropWraps();
        return 1;
    }
    const CEditLine* rec = m_lines.At(line);
    const int len = rec->Length();
    int* block = m_lines.WrapsAt(line);  // kept when the line fits one row, for the next cut
    int room = block ? block_starts(block) : 0;
    int rows = 1;
    for (int start = 0;;) {
        int n = FitChars(rec->text + start, width, m);
        if (n <= 0) n = utf16_units_at(rec->text + start);  // every row holds a character
        start += n;
        if (start >= len) break;
        if (rows > room) {
            // Short of memory the rest of the line stays one row.
            int* grown = grow_starts(block, rows);
            if (!grown || !m_lines.SetWraps(line, grown)) {
                if (grown != block) mpool_free(grown);
                break;
            }
            if (grown != block) mpool_free(block);
            block = grown;
            room = block_starts(block);
        }
        block[rows] = start;
        ++rows;
    }
    if (block) block[0] = rows;
    return rows;
}

bool CEditData::InsertBreaksAtWrap(EditPos from, EditPos& to) {
    if (to < from) std::swap(from, to);
    std::vector<EditPos> breaks;
    const int lastLine = to.line < m_lines.Count() ? to.line : m_lines.Count() - 1;
    for (int line = from.line < 0 ? 0 : from.line; line <= lastLine; ++line) {
        const LineRows rows = GetLineRows(line);
        for (int r = 0; r + 1 < rows.count; ++r) {
            const EditPos p{rows.starts[r], line};
            if (p.column <= 0 || p.column > rows.length) continue;  // stale: the line changed since
            if (!(p < from) && !(to < p)) breaks.push_back(p);
        }
    }
    if (breaks.empty()) return true;

    CUndoGroupGuard group(m_undo, 0);
    RecordCaretForUndo();
    bool ok = true;
    int inserted = 0;
    int shift = 0;  // the last split's offset on to's line
    // From the last to the first, so the positions before stay valid.
    for (auto it = breaks.rbegin(); it != breaks.rend(); ++it) {
        SetCaretPos(it->line, it->column);
        if (!InsertText(u"\n", 1)) {
            ok = false;
            break;
        }
        ++inserted;
        if (it->line == to.line && shift == 0) shift = it->column;
    }
    to.line += inserted;
    to.column -= shift;
    SetCaretPos(to.line, to.column);
    return ok;
}
