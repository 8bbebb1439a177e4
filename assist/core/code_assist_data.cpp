#include "assist/core/code_assist_data.h"

#include <algorithm>
#include <new>

namespace {

GridColor DimChannel(GridColor color, GridColor background, int shift) {
    const int c = int((color >> shift) & 0xFF);
    const int b = int((background >> shift) & 0xFF);
    const int v = std::clamp(int(b + (c - b) * 0.5), 0, 255);
    return GridColor(v) << shift;
}

}  // namespace

int CCodeAssistData::InitColumns(bool showWide) {
    m_texts.clear();
    if (Init(COL_COUNT, 64) != 0) return 1;
    SetColVisible(COL_EXTRA, false);
    SetColVisible(COL_UNUSED, false);
    SetColVisible(COL_MARK, false);
    SetColVisible(COL_WIDE, showWide);
    return 0;
}

void CCodeAssistData::SetColWidth(int col, int width) {
    if (col == COL_WIDE && width > m_wideCap) width = m_wideCap;
    CPtrGridData::SetColWidth(col, width);
}

GridColor CCodeAssistData::GetCellTextColor(int row, int col) {
    const std::u16string_view kind = GetCellText(row, COL_KIND);
    GridColor color = kind == u"KEYWORD" ? m_keywordColor : kind == u"KEYWORD2" ? m_keyword2Color : m_plainColor;
    if (m_dim != 0 && std::u16string_view(GetCellText(row, COL_MARK)) == u"DISABLE")
        color = DimChannel(color, m_dimBackground, 0) | DimChannel(color, m_dimBackground, 8) |
                DimChannel(color, m_dimBackground, 16);
    return color;
}

bool CCodeAssistData::AddCandidate(std::u16string_view text, std::u16string_view kind, std::u16string_view extra) {
    // The texts are copied before the row exists, so a failure leaves no half row.
    const std::size_t kept = m_texts.size();
    try {
        m_texts.emplace_back(text);
        m_texts.emplace_back(kind);
        m_texts.emplace_back(extra);
    } catch (const std::bad_alloc&) {
        m_texts.resize(kept);
        return false;
    }
    const int row = GetRowCount();
    if (AddRow() != 0) {
        m_texts.resize(kept);
        return false;
    }
    SetCell(row, COL_TEXT, m_texts[kept].c_str());
    SetCell(row, COL_KIND, m_texts[kept + 1].c_str());
    SetCell(row, COL_EXTRA, m_texts[kept + 2].c_str());
    return true;
}

int CCodeAssistData::FillFromKeywords(const CStrToken& tokens, std::u16string_view word) {
    InitColumns(false);
    if (word.empty()) return 0;
    tokens.GetKeywordList(word, *this);
    return GetRowCount();
}

void CCodeAssistData::ResetList() {
    ClearRows();
    m_texts.clear();
}
