#include "grid/core/grid_edit_ops.h"

#include "textengine/mpool.h"
#include "util/strutil.h"

namespace {

int Length(const char16_t* s) {
    int n = 0;
    while (s[n]) ++n;
    return n;
}

// One field (see GetTsvField); whatever follows a quoted field up to the
// next delimiter is dropped. Returns the delimiter's position (TAB, CR, LF
// or the NUL).
const char16_t* ReadField(const char16_t* p, char16_t* out, std::size_t capacity) {
    const char16_t* end = GetTsvField(p, out, capacity);
    while (*end && *end != u'\t' && *end != u'\r' && *end != u'\n') ++end;
    return end;
}

// Fields of the text's first line.
int FirstLineFields(const char16_t* text) {
    int fields = 1;
    for (const char16_t* p = text;;) {
        p = ReadField(p, nullptr, 0);
        if (*p != u'\t') return fields;
        ++fields;
        ++p;
    }
}

bool HasLineFeed(const char16_t* text) {
    for (; *text; ++text)
        if (*text == u'\n' || *text == u'\r') return true;
    return false;
}

}  // namespace

int GridPasteText(CGridData& model, const char16_t* text) {
    if (!text || !*text) return 0;
    int left = model.m_curCell.col, top = model.m_curCell.row;
    int right = model.GetColCount() - 1, bottom = model.GetRowCount() - 1;
    bool repeat = false;
    GridSelection& sel = model.m_sel;
    if (sel.IsMultiCell()) {
        left = sel.Left();
        top = sel.first.row;
        int selRight = sel.Right();
        const int fields = FirstLineFields(text);
        if (selRight - left + 1 < fields) {
            selRight = left + fields - 1 > right ? right : left + fields - 1;
            (sel.first.col <= sel.second.col ? sel.second.col : sel.first.col) = selRight;
        }
        right = selRight;
        bottom = sel.second.row;
        repeat = bottom > top && !HasLineFeed(text);
    }
    if (left < 0 || top < 0 || left > right || top > bottom) return 0;

    auto* field = static_cast<char16_t*>(mpool_system_alloc(kPasteFieldBytes));
    if (!field) return 0;
    const std::size_t capacity = kPasteFieldBytes / sizeof(char16_t);
    model.BeginUpdate();
    int col = left, row = top;
    const char16_t* p = text;
    while (row <= bottom) {
        const char16_t* end = ReadField(p, field, capacity);
        if (col <= right && model.IsCellEditable(row, col)) model.SetCellText(row, col, field, -1);
        if (*end == u'\t') {
            p = end + 1;
            if (++col <= right) continue;
            // Fields beyond the last column are skipped up to the line end.
            end = ReadField(p, nullptr, 0);
            while (*end == u'\t') end = ReadField(end + 1, nullptr, 0);
        }
        if (*end == u'\r' || *end == u'\n') {
            p = end + (end[0] == u'\r' && end[1] == u'\n' ? 2 : 1);
            ++row;
            col = left;
            if (*p) continue;
            if (!repeat) break;
            p = text;
            continue;
        }
        // The end of the text: a repeated text goes on across, then down.
        if (!repeat) break;
        p = text;
        if (col < right) {
            ++col;
        } else {
            ++row;
            col = left;
        }
    }
    model.EndUpdate();
    mpool_system_free(field);
    return 0;
}

int GridFillRange(CGridData& model, GridCell cell1, GridCell cell2, const char16_t* text, int len) {
    if (!text) text = u"";
    if (len < 0) len = Length(text);
    const int c1 = cell1.col < cell2.col ? cell1.col : cell2.col;
    const int c2 = cell1.col < cell2.col ? cell2.col : cell1.col;
    bool same = true;
    for (int row = cell1.row; row <= cell2.row && same; ++row) {
        for (int col = c1; col <= c2 && same; ++col) {
            if (!model.IsCellEditable(row, col)) continue;
            const char16_t* cell = model.GetCellText(row, col);
            same = Length(cell) == len;
            for (int i = 0; i < len && same; ++i) same = cell[i] == text[i];
        }
    }
    if (same) return 0;
    model.BeginUpdate();
    for (int row = cell1.row; row <= cell2.row; ++row)
        for (int col = c1; col <= c2; ++col)
            if (model.IsCellEditable(row, col)) model.SetCellText(row, col, text, len);
    model.EndUpdate();
    return 0;
}
