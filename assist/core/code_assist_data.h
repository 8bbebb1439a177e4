// CCodeAssistData: the candidate table of the completion list. Six columns:
// the candidate, its kind ("KEYWORD", "KEYWORD2", anything else plain), an
// extra text handed back with it, an unused column, the "DISABLE" mark of a
// candidate that does not match the typed word, and an optional wide column.
// The table owns the texts of the rows it was given.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "editctrl/syntax/strtoken.h"
#include "grid/core/ptr_grid_data.h"

class CCodeAssistData : public CPtrGridData, public KeywordListTarget {
public:
    enum Column : int { COL_TEXT = 0, COL_KIND, COL_EXTRA, COL_UNUSED, COL_MARK, COL_WIDE, COL_COUNT };
    static constexpr int kDefaultWideCap = 240;

    // Six columns, no rows; the hidden columns keep their widths. 0, or 1
    // when memory fails.
    int InitColumns(bool showWide);
    // The wide column is never wider than its cap.
    void SetColWidth(int col, int width) override;
    // Coloured by kind; a marked row is dimmed halfway to the background
    // when dimming is on.
    GridColor GetCellTextColor(int row, int col) override;

    // Appends a row with copies of the texts; false when memory fails.
    bool AddCandidate(std::u16string_view text, std::u16string_view kind, std::u16string_view extra = {});
    // The keywords of tokens starting with word (ignoring case); the row count.
    int FillFromKeywords(const CStrToken& tokens, std::u16string_view word);

    // KeywordListTarget
    using CPtrGridData::AddRow;
    void ResetList() override;
    void AddRow(std::u16string_view text, std::u16string_view label) override { AddCandidate(text, label); }

    GridColor m_keywordColor = 0;
    GridColor m_keyword2Color = 0;
    GridColor m_plainColor = 0;
    GridColor m_dimBackground = 0;
    int m_dim = 0;
    int m_wideCap = kDefaultWideCap;

private:
    std::deque<std::u16string> m_texts;  // stable addresses for the cells
};
