// CCodeAssistData: the candidate table of the completion list. Six columns:
// the candidate, its kind ("KEYWORD", "KEYWORD2", anything else plain), an
// extra text handed back with it, an unused column, the "DISABLE" mark of a
// candidate that does not match the typed word, and an optional wide column.
// The table owns the texts of the rows it was given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>
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
    // The mark column reads from the matched run while one is set.
    const char16_t* GetCellText(int row, int col) override;

    // Every row whose candidate starts with word (ignoring case) reads "" in
    // the mark column and every other row "DISABLE", without touching the
    // rows; the marks stored in the rows count again once a mark is set row
    // by row or the rows change.
    void SetMatchWord(std::u16string_view word);
    void SetMark(int row, bool disabled);
    // Whether the rows are in CompareNoCase order of their candidates.
    bool RowsSortedNoCase();

    // Appends a row with copies of the texts; false when memory fails.
    bool AddCandidate(std::u16string_view text, std::u16string_view kind, std::u16string_view extra = {});
    void ClearRows() override;
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
    // Where a cell's text is: at an offset into m_texts, or a fixed text.
    enum : std::uint32_t { kTextEmpty = 0xFFFFFFFF, kTextKeyword = 0xFFFFFFFE, kTextKeyword2 = 0xFFFFFFFD };
    std::uint32_t Keep(std::u16string_view text);
    const char16_t* TextAt(std::uint32_t at) const;
    void PointRow(int row);

    // The rows' own texts, each ended by a NUL, one after another; kept
    // between fillings so that filling again allocates nothing.
    std::u16string m_texts;
    std::vector<std::array<std::uint32_t, 3>> m_rowTexts;  // text, kind, extra of each row
    bool m_matchWordSet = false;
    std::u16string m_matchWord;
    bool Matches(int row);
};
