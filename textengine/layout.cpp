// Measuring and wrapping the lines of a buffer.
#include <climits>
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
constexpr int kFirstWrapEntries = 4;

// Room for n row starts in the line's wrap array.
bool reserve_wrap_entries(CEditLine* rec, int n) {
    if (n <= rec->wrapCapacity) return true;
    long long cap = rec->wrapCapacity ? rec->wrapCapacity : kFirstWrapEntries;
    while (cap < n) cap *= 2;
    if (cap > INT_MAX / long(sizeof(int))) return false;
    auto* grown = static_cast<int*>(mpool_alloc(&LineTextPool, std::size_t(cap) * sizeof(int)));
    if (!grown) return false;
    for (int i = 0; i < rec->wrapCapacity; ++i) grown[i] = rec->wrapOffsets[i];
    mpool_free(rec->wrapOffsets);
    rec->wrapOffsets = grown;
    rec->wrapCapacity = int(cap);
    return true;
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
    const CCharWidthTable& table = m_disp.widths;
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

int CEditData::CalcLineWrap(int line, CTextMetrics* m) {
    if (line < 0 || line >= m_lines.Count()) return 1;
    CEditLine* rec = m_lines.At(line);
    const int width = m_disp.wrapWidth;
    int rows = 1;
    if (width != INT_MAX) {
        const int len = rec->Length();
        for (int start = 0;;) {
            int n = FitChars(rec->text + start, width, m);
            if (n <= 0) n = utf16_units_at(rec->text + start);  // every row holds a character
            start += n;
            if (start >= len) break;
            // Short of memory the rest of the line stays one row.
            if (!reserve_wrap_entries(rec, rows)) break;
            rec->wrapOffsets[rows - 1] = start;
            ++rows;
        }
    }
    rec->rowCount = rows;
    return rows;
}

bool CEditData::InsertBreaksAtWrap(EditPos from, EditPos& to) {
    if (to < from) std::swap(from, to);
    std::vector<EditPos> breaks;
    const int lastLine = to.line < m_lines.Count() ? to.line : m_lines.Count() - 1;
    for (int line = from.line < 0 ? 0 : from.line; line <= lastLine; ++line) {
        const CEditLine* rec = m_lines.At(line);
        for (int r = 0; r + 1 < rec->rowCount && r < rec->wrapCapacity; ++r) {
            const EditPos p{rec->wrapOffsets[r], line};
            if (p.column <= 0 || p.column > rec->Length()) continue;  // stale: the line changed since
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
