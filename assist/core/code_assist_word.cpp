#include "assist/core/code_assist_word.h"

#include <algorithm>

void CCodeAssistWord::Open(int line, int start, int caret, int lineLength) {
    m_open = true;
    m_line = line;
    m_start = std::min(start, caret);
    m_end = caret;
    m_lineLength = std::max(lineLength, 0);
}

bool CCodeAssistWord::FollowCaret(int caretLine, int caretCol, int lineLength) {
    if (!m_open) return false;
    const int length = std::max(lineLength, 0);
    if (length != m_lineLength) {
        m_end = std::max(m_start, m_end + length - m_lineLength);
        m_lineLength = length;
    }
    return lineLength >= 0 && caretLine == m_line && caretCol >= m_start && caretCol <= m_end;
}

std::u16string_view CCodeAssistWord::Text(std::u16string_view lineText) const {
    if (!m_open || m_start >= m_end || std::size_t(m_start) >= lineText.size()) return {};
    return lineText.substr(std::size_t(m_start), std::size_t(m_end - m_start));
}

void CCodeAssistWord::ReplaceRange(int lineLength, int* start, int* end) const {
    *start = std::min(m_start, lineLength);
    *end = std::clamp(m_end, *start, std::max(lineLength, *start));
}

CodeAssistListRect PlaceCodeAssistList(const CodeAssistPlacement& at, int rows, int rowHeight, int columnsWidth,
                                       int scrollBarWidth) {
    const int visible = std::min(rows, kCodeAssistVisibleRows);
    CodeAssistListRect r;
    r.x = at.x;
    r.height = visible * rowHeight + 10;
    r.width = 10 + columnsWidth + (rows > kCodeAssistVisibleRows ? scrollBarWidth : 0);
    r.y = at.y;
    if (at.workBottom < r.y + r.height) r.y = at.y - at.lineHeight - r.height;
    return r;
}
