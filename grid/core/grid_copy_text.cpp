#include "grid/core/grid_copy_text.h"

#include "textengine/invariant.h"

namespace {

bool NeedsQuotes(const char16_t* s) {
    if (*s == u'"') return true;
    for (; *s; ++s)
        if (*s == u'\t' || *s == u'\r' || *s == u'\n') return true;
    return false;
}

}  // namespace

GridRange CopyRange(const CGridData& model) {
    if (model.m_sel.IsMultiCell())
        return {model.m_sel.Left(), model.m_sel.first.row, model.m_sel.Right(), model.m_sel.second.row};
    // Only a grid with a current cell copies.
    WENDREL_ASSERT(model.m_curCell.row >= 0 && model.m_curCell.col >= 0);
    return {model.m_curCell.col, model.m_curCell.row, model.m_curCell.col, model.m_curCell.row};
}

std::u16string BuildCopyText(CGridData& model, const GridRange& range, bool quote, bool recordsAsColumns) {
    std::u16string out;
    const bool finalBreak = recordsAsColumns ? range.left != range.right : range.top != range.bottom;
    for (int row = range.top; row <= range.bottom; ++row) {
        for (int col = range.left; col <= range.right; ++col) {
            if (col != range.left) out.push_back(u'\t');
            const char16_t* text = model.GetCopyText(row, col);
            if (quote && NeedsQuotes(text)) {
                out.push_back(u'"');
                for (const char16_t* p = text; *p; ++p) {
                    if (*p == u'"') out.push_back(u'"');
                    out.push_back(*p);
                }
                out.push_back(u'"');
            } else {
                out.append(text);
            }
        }
        if (row != range.bottom || finalBreak) out.append(u"\r\n");
    }
    return out;
}
