#include "assist/core/code_assist_list.h"

#include <algorithm>
#include <string>

#include "util/strutil.h"

char32_t FoldAssistChar(char32_t cp) {
    if ((cp >= U'A' && cp <= U'Z') || (cp >= 0xFF21 && cp <= 0xFF3A)) return cp + 32;
    return cp;
}

char32_t FoldedFirstChar(std::u16string_view text) {
    if (text.empty()) return 0;
    char32_t cp = text[0];
    if (cp >= 0xD800 && cp <= 0xDBFF && text.size() > 1 && text[1] >= 0xDC00 && text[1] <= 0xDFFF)
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[1] - 0xDC00);
    return FoldAssistChar(cp);
}

namespace {

// Units of word that the candidate starts with, ignoring case.
int CommonUnits(const std::u16string& word, const char16_t* candidate) {
    return CommonPrefixNoCase(word.c_str(), candidate, int(word.size()));
}

void CopyRow(CCodeAssistData& from, int row, CCodeAssistData& to) {
    const int target = to.GetRowCount();
    if (to.AddRow() != 0) return;
    for (int col = 0; col < CCodeAssistData::COL_COUNT; ++col) to.SetCell(target, col, from.GetCellText(row, col));
}

}  // namespace

void CCodeAssistList::CopyAllRows() {
    m_copy.ClearRows();
    const int rows = m_source->GetRowCount();
    for (int row = 0; row < rows; ++row) CopyRow(*m_source, row, m_copy);
}

void CCodeAssistList::SetSourceData(CCodeAssistData* source) {
    m_source = source;
    // Keyword tables come in this order: the typed word is then found by halving.
    m_sourceSorted = source && !m_filterMode && source->RowsSortedNoCase();
    if (m_filterMode && source) {
        m_copy.InitColumns(false);
        CopyAllRows();
        for (int col = 0; col < CCodeAssistData::COL_COUNT; ++col) {
            const std::uint16_t word = source->GetWidthWord(col);
            const int width = word & ~CGridData::kVisibleBit;
            if (width > 0) m_copy.SetColWidth(col, width);
            m_copy.SetColVisible(col, (word & CGridData::kVisibleBit) != 0);
        }
        m_copy.m_keywordColor = source->m_keywordColor;
        m_copy.m_keyword2Color = source->m_keyword2Color;
        m_copy.m_plainColor = source->m_plainColor;
        m_copy.m_dimBackground = source->m_dimBackground;
        m_copy.m_dim = source->m_dim;
        m_copy.UseDispData(source->DispPointer());
        m_shown = &m_copy;
    } else {
        m_shown = source;
    }
    if (!m_shown) return;
    m_shown->m_wideCap = std::clamp(m_wideCap, 200, 1000);
    m_view->ShowTable(*m_shown);
    if (m_state != ASSIST_NO_ROW) {
        m_state = ASSIST_NO_ROW;
        m_view->SetRowHighlight(false);
        m_view->Repaint();
    }
}

bool CCodeAssistList::MatchPrefix(std::u16string_view wordView, int* best, bool testOnly) {
    *best = -1;
    if (!m_source) return false;
    const int rows = m_source->GetRowCount();
    if (wordView.empty()) {
        if (m_filterMode) {
            if (!testOnly) {
                CopyAllRows();
                m_view->Reposition();
            }
        } else {
            m_source->SetMatchWord(u"");
            m_view->Repaint();
        }
        return false;
    }
    if (m_sourceSorted && !m_filterMode) return MatchSortedPrefix(wordView, best);
    const std::u16string word(wordView);
    const char32_t first = FoldedFirstChar(word);
    const bool filtering = m_filterMode && !testOnly;
    if (filtering) m_copy.ClearRows();
    int longest = -1;
    for (int row = 0; row < rows; ++row) {
        const char16_t* text = m_source->GetCellText(row, CCodeAssistData::COL_TEXT);
        if (FoldedFirstChar(text) != first) {
            if (!m_filterMode) m_source->SetMark(row, true);
            continue;
        }
        const int h = CommonUnits(word, text);
        if (h > longest) {
            longest = h;
            *best = row;
        }
        const bool full = h == int(word.size());
        if (m_filterMode) {
            if (filtering && full) CopyRow(*m_source, row, m_copy);
        } else {
            m_source->SetMark(row, !full);
        }
    }
    if (filtering)
        m_view->Reposition();
    else
        m_view->Repaint();
    return longest == int(word.size());
}

// The same answer as the row-by-row scan, for rows in CompareNoCase order:
// the rows sharing the longest prefix with the word begin where that prefix
// would go, and it is shared by a neighbour of where the word would go; the
// marks follow the word without visiting the rows.
bool CCodeAssistList::MatchSortedPrefix(std::u16string_view wordView, int* best) {
    CCodeAssistData& table = *m_source;
    const int rows = table.GetRowCount();
    const std::u16string word(wordView);
    const int length = int(word.size());
    auto text = [&table](int row) { return table.GetCellText(row, CCodeAssistData::COL_TEXT); };
    auto firstNotBelow = [&](const std::u16string& key) {
        int lo = 0, hi = rows;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (CompareNoCase(text(mid), key.c_str()) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    const int at = firstNotBelow(word);
    int longest = 0;
    for (int row : {at - 1, at})
        if (row >= 0 && row < rows) longest = std::max(longest, CommonUnits(word, text(row)));
    table.SetMatchWord(word);
    m_view->Repaint();
    // No row shares even the first character: nothing is best.
    if (longest == 0) return false;
    *best = longest == length ? at : firstNotBelow(word.substr(0, std::size_t(longest)));
    return longest == length;
}

void CCodeAssistList::SetChosen(bool chosen) {
    const int state = chosen ? ASSIST_ROW_CHOSEN : ASSIST_NO_ROW;
    if (m_state == state) return;
    m_state = state;
    m_view->SetRowHighlight(chosen);
    m_view->Repaint();
}

void CCodeAssistList::FilterByPrefix(std::u16string_view word) {
    int best = -1;
    const bool full = MatchPrefix(word, &best, false);
    SetChosen(full);
    if (best < 0) {
        ClearCurrentRow();
        SetChosen(false);
        return;
    }
    SetCurrentRow(m_filterMode ? 0 : best);
}

int CCodeAssistList::CurrentRow() const {
    if (!m_shown) return -1;
    const int row = m_shown->m_curCell.row;
    return row >= 0 && row < m_shown->GetRowCount() ? row : -1;
}

void CCodeAssistList::SetCurrentRow(int row) {
    if (!m_shown) return;
    if (row < 0 || row >= m_shown->GetRowCount()) {
        ClearCurrentRow();
        return;
    }
    m_shown->m_curCell = {0, row};
    m_view->CurrentRowChanged();
}

void CCodeAssistList::ClearCurrentRow() {
    if (!m_shown) return;
    m_shown->m_curCell = {-1, -1};
    m_view->CurrentRowChanged();
}

void CCodeAssistList::SelectMatch(int direction, bool wrap, std::u16string_view wordView) {
    SetChosen(true);
    const int rows = RowCount();
    if (rows == 0) return;
    const int current = CurrentRow();
    if (!wordView.empty()) {
        const std::u16string word(wordView);
        const char32_t first = FoldedFirstChar(word);
        for (int row = (current < 0 && direction < 0 ? rows : current) + direction; row >= 0 && row < rows;
             row += direction) {
            const char16_t* text = m_shown->GetCellText(row, CCodeAssistData::COL_TEXT);
            if (FoldedFirstChar(text) == first && CommonUnits(word, text) == int(word.size())) {
                SetCurrentRow(row);
                return;
            }
        }
        return;
    }
    int target;
    if (direction > 0)
        target = current < 0 ? 0 : (wrap && current == rows - 1 ? 0 : std::min(current + 1, rows - 1));
    else if (current < 0)
        target = wrap ? rows - 1 : 0;
    else
        target = wrap && current == 0 ? rows - 1 : std::max(current - 1, 0);
    SetCurrentRow(target);
}

void CCodeAssistList::SelectNextMatch(bool wrap, std::u16string_view word) { SelectMatch(+1, wrap, word); }

void CCodeAssistList::SelectPrevMatch(bool wrap, std::u16string_view word) { SelectMatch(-1, wrap, word); }
