#include "assist/core/code_assist_data.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "util/strutil.h"

namespace {

GridColor DimChannel(GridColor color, GridColor background, int shift) {
    const int c = int((color >> shift) & 0xFF);
    const int b = int((background >> shift) & 0xFF);
    const int v = std::clamp(int(b + (c - b) * 0.5), 0, 255);
    return GridColor(v) << shift;
}

}  // namespace

namespace {

const char16_t kDisable[] = u"DISABLE";

}  // namespace

int CCodeAssistData::InitColumns(bool showWide) {
    ClearRows();
    // Filled again and again as the list opens: the cell table is kept.
    if (GetColCount() != COL_COUNT && Init(COL_COUNT, 64) != 0) return 1;
    SetColVisible(COL_TEXT, true);
    SetColVisible(COL_KIND, true);
    SetColVisible(COL_EXTRA, false);
    SetColVisible(COL_UNUSED, false);
    SetColVisible(COL_MARK, false);
    SetColVisible(COL_WIDE, showWide);
    return 0;
}

void CCodeAssistData::ClearRows() {
    CPtrGridData::ClearRows();
    m_texts.clear();
    m_rowTexts.clear();
    m_matchWordSet = false;
}

void CCodeAssistData::SetColWidth(int col, int width) {
    if (col == COL_WIDE && width > m_wideCap) width = m_wideCap;
    CPtrGridData::SetColWidth(col, width);
}

bool CCodeAssistData::Matches(int row) {
    const int length = int(m_matchWord.size());
    return CommonPrefixNoCase(m_matchWord.c_str(), CPtrGridData::GetCellText(row, COL_TEXT), length) == length;
}

const char16_t* CCodeAssistData::GetCellText(int row, int col) {
    if (m_matchWordSet && col == COL_MARK && row >= 0 && row < GetRowCount()) return Matches(row) ? u"" : kDisable;
    return CPtrGridData::GetCellText(row, col);
}

void CCodeAssistData::SetMatchWord(std::u16string_view word) {
    m_matchWord.assign(word);
    m_matchWordSet = true;
}

void CCodeAssistData::SetMark(int row, bool disabled) {
    if (m_matchWordSet) {
        // The word's marks go into the rows before one of them changes.
        for (int r = 0; r < GetRowCount(); ++r) SetCell(r, COL_MARK, Matches(r) ? u"" : kDisable);
        m_matchWordSet = false;
    }
    SetCell(row, COL_MARK, disabled ? kDisable : u"");
}

bool CCodeAssistData::RowsSortedNoCase() {
    const int rows = GetRowCount();
    for (int row = 1; row < rows; ++row)
        if (CompareNoCase(CPtrGridData::GetCellText(row - 1, COL_TEXT), CPtrGridData::GetCellText(row, COL_TEXT)) > 0)
            return false;
    return true;
}

GridColor CCodeAssistData::GetCellTextColor(int row, int col) {
    const std::u16string_view kind = GetCellText(row, COL_KIND);
    GridColor color = kind == u"KEYWORD" ? m_keywordColor : kind == u"KEYWORD2" ? m_keyword2Color : m_plainColor;
    if (m_dim != 0 && std::u16string_view(GetCellText(row, COL_MARK)) == u"DISABLE")
        color = DimChannel(color, m_dimBackground, 0) | DimChannel(color, m_dimBackground, 8) |
                DimChannel(color, m_dimBackground, 16);
    return color;
}

std::uint32_t CCodeAssistData::Keep(std::u16string_view text) {
    if (text.empty()) return kTextEmpty;
    // Byte compares: the two kinds come with nearly every row.
    if (text.size() == 7 && std::memcmp(text.data(), u"KEYWORD", 7 * sizeof(char16_t)) == 0) return kTextKeyword;
    if (text.size() == 8 && std::memcmp(text.data(), u"KEYWORD2", 8 * sizeof(char16_t)) == 0) return kTextKeyword2;
    const std::uint32_t at = std::uint32_t(m_texts.size());
    m_texts.append(text);
    m_texts.push_back(u'\0');
    return at;
}

const char16_t* CCodeAssistData::TextAt(std::uint32_t at) const {
    switch (at) {
    case kTextEmpty:
        return u"";
    case kTextKeyword:
        return u"KEYWORD";
    case kTextKeyword2:
        return u"KEYWORD2";
    default:
        return m_texts.data() + at;
    }
}

void CCodeAssistData::PointRow(int row) {
    const std::array<std::uint32_t, 3>& at = m_rowTexts[std::size_t(row)];
    SetCell(row, COL_TEXT, TextAt(at[0]));
    SetCell(row, COL_KIND, TextAt(at[1]));
    SetCell(row, COL_EXTRA, TextAt(at[2]));
}

bool CCodeAssistData::AddCandidate(std::u16string_view text, std::u16string_view kind, std::u16string_view extra) {
    // The texts are kept before the row exists, so a failure leaves no half row.
    const std::size_t keptTexts = m_texts.size();
    const char16_t* before = m_texts.data();
    try {
        m_rowTexts.push_back({Keep(text), Keep(kind), Keep(extra)});
    } catch (const std::bad_alloc&) {
        m_texts.resize(keptTexts);
        if (m_rowTexts.size() > std::size_t(GetRowCount())) m_rowTexts.pop_back();
        return false;
    }
    const int row = GetRowCount();
    if (AddRow() != 0) {
        m_texts.resize(keptTexts);
        m_rowTexts.pop_back();
        return false;
    }
    if (m_texts.data() != before) {
        // The texts moved as they grew: every row points at them again.
        for (int r = 0; r <= row; ++r) PointRow(r);
    } else {
        PointRow(row);
    }
    return true;
}

int CCodeAssistData::FillFromKeywords(const CStrToken& tokens, std::u16string_view word) {
    InitColumns(false);
    if (word.empty()) return 0;
    tokens.GetKeywordList(word, *this);
    return GetRowCount();
}

void CCodeAssistData::ResetList() { ClearRows(); }
