// Ranges of a buffer, their sizes and copies, and box selections.
#include <algorithm>
#include <string>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/utf16.h"

namespace {

// Characters in units [from, to) of a line: a pair counts once.
long long count_chars(const char16_t* text, int from, int to) {
    long long n = 0;
    for (int i = from; i < to; ++i)
        if (!(utf16_is_low_surrogate(text[i]) && i > from && utf16_is_high_surrogate(text[i - 1]))) ++n;
    return n;
}

}  // namespace

void CEditData::GetLineRange(int a, int b, EditPos& from, EditPos& to) const {
    const int last = m_lines.Count() - 1;
    if (a > b) std::swap(a, b);
    a = std::clamp(a, 0, last);
    b = std::clamp(b, 0, last);
    if (b < last) {
        from = {0, a};
        to = {0, b + 1};
        return;
    }
    // No line end follows the last line: take the one before the range.
    to = {GetLineLength(b), b};
    from = a > 0 ? EditPos{GetLineLength(a - 1), a - 1} : EditPos{0, 0};
}

long long CEditData::CountChars(EditPos from, EditPos to) const {
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from) std::swap(from, to);
    if (from.line == to.line) return count_chars(GetLineText(from.line), from.column, to.column);
    long long n = count_chars(GetLineText(from.line), from.column, GetLineLength(from.line));
    for (int i = from.line + 1; i < to.line; ++i) n += count_chars(GetLineText(i), 0, GetLineLength(i));
    n += count_chars(GetLineText(to.line), 0, to.column);
    return n + (long long)(to.line - from.line) * m_lineEndLength;
}

std::size_t CEditData::GetRangeSize(EditPos from, EditPos to) const {
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from) std::swap(from, to);
    std::size_t units;
    if (from.line == to.line) {
        units = std::size_t(to.column - from.column);
    } else {
        units = std::size_t(GetLineLength(from.line) - from.column) + std::size_t(to.column);
        for (int i = from.line + 1; i < to.line; ++i) units += std::size_t(GetLineLength(i));
        units += std::size_t(to.line - from.line) * std::size_t(m_lineEndLength);
    }
    return (units + 1) * sizeof(char16_t);
}

void CEditData::CopyRange(EditPos from, EditPos to, char16_t* buffer) const {
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from) std::swap(from, to);
    char16_t* out = buffer;
    for (int line = from.line; line <= to.line; ++line) {
        const char16_t* text = GetLineText(line);
        const int start = line == from.line ? from.column : 0;
        const int end = line == to.line ? to.column : GetLineLength(line);
        out = std::copy(text + start, text + end, out);
        if (line < to.line) out = std::copy(m_lineEndChars, m_lineEndChars + m_lineEndLength, out);
    }
    *out = 0;
}

std::u16string CEditData::GetTextRange(EditPos from, EditPos to) const {
    std::u16string s(GetRangeSize(from, to) / sizeof(char16_t) - 1, u'\0');
    CopyRange(from, to, s.data());  // writes the terminator into the string's own NUL slot
    return s;
}

std::u16string CEditData::GetText() const {
    const int last = m_lines.Count() - 1;
    return GetTextRange({0, 0}, {GetLineLength(last), last});
}

std::u16string CEditData::GetSelectedText() const {
    const EditPos a = m_disp.selStart, b = m_disp.selEnd;
    if (a.line < 0 || b.line < 0 || a == b) return {};
    return GetTextRange(a, b);
}

// Box selection ----------------------------------------------------------------

void CEditData::GetBoxColumns(int line, int& startCol, int& endCol) const {
    const int left = std::min(m_disp.boxX[0], m_disp.boxX[1]);
    const int right = std::max(m_disp.boxX[0], m_disp.boxX[1]);
    const char16_t* text = GetLineText(line);
    startCol = CalcCharIndexAtX(text, m_disp.widths, m_disp.metrics, left);
    endCol = CalcCharIndexAtX(text, m_disp.widths, m_disp.metrics, right);
}

std::size_t CEditData::GetBoxSelectionSize() const {
    std::size_t units = 1;
    if (m_disp.selStart.line >= 0) {
        for (int line = m_disp.selStart.line; line <= m_disp.selEnd.line; ++line) {
            int s, e;
            GetBoxColumns(line, s, e);
            units += std::size_t(e - s) + std::size_t(m_lineEndLength);
        }
    }
    return units * sizeof(char16_t);
}

void CEditData::CopyBoxSelection(char16_t* buffer) const {
    char16_t* out = buffer;
    if (m_disp.selStart.line >= 0) {
        for (int line = m_disp.selStart.line; line <= m_disp.selEnd.line; ++line) {
            int s, e;
            GetBoxColumns(line, s, e);
            out = std::copy(GetLineText(line) + s, GetLineText(line) + e, out);
            *out++ = u'\n';
        }
    }
    *out = 0;
}

std::u16string CEditData::GetBoxSelectionString() const {
    if (m_disp.selStart.line < 0) return {};
    std::u16string s;
    bool any = false;
    for (int line = m_disp.selStart.line; line <= m_disp.selEnd.line; ++line) {
        int s0, e0;
        GetBoxColumns(line, s0, e0);
        s.append(GetLineText(line) + s0, std::size_t(e0 - s0));
        s += u'\n';
        any |= e0 > s0;
    }
    return any ? s : std::u16string();
}

bool CEditData::DeleteBoxSelection() {
    if (m_disp.selStart.line < 0) return true;
    CUndoGroupGuard group(m_undo, 0);
    RecordCaretForUndo();
    bool ok = true;
    for (int line = m_disp.selEnd.line; line >= m_disp.selStart.line; --line) {
        int s, e;
        GetBoxColumns(line, s, e);
        if (s >= e) continue;
        const bool r = DeleteText({s, line}, {e, line}, 1);
        if (ok) ok = r;
    }
    return ok;
}

bool CEditData::InsertSpacesTo(int line, int displayColumn) {
    if (line < 0 || line >= m_lines.Count()) return false;
    const int len = GetLineLength(line);
    SetCaretPos(line, len);
    const int have = GetDisplayColumn(line, len, m_disp.metrics);
    if (have >= displayColumn) return true;
    const std::u16string blanks(std::size_t(displayColumn - have), u' ');
    return InsertText(blanks.c_str(), 1);
}

bool CEditData::InsertBoxText(const char16_t* text) {
    if (!text) return false;
    // Rows end at LF; a CR before it goes, and a last LF ends the last row.
    std::vector<std::u16string> rows;
    for (const char16_t* p = text; *p;) {
        const char16_t* end = p;
        while (*end && *end != u'\n') ++end;
        const char16_t* cut = end > p && *end == u'\n' && end[-1] == u'\r' ? end - 1 : end;
        rows.emplace_back(p, cut);
        p = *end ? end + 1 : end;
    }
    if (rows.empty()) return true;

    const bool box = m_disp.boxSelection && m_disp.selStart.line >= 0;
    int firstLine, lastLine, left, right;
    if (box) {
        firstLine = m_disp.selStart.line;
        lastLine = m_disp.selEnd.line;
        left = std::min(m_disp.boxX[0], m_disp.boxX[1]);
        right = std::max(m_disp.boxX[0], m_disp.boxX[1]);
    } else {
        const EditPos c = ClampPos(m_caret);
        firstLine = lastLine = c.line;
        left = right = CalcTextWidth(GetLineText(c.line), m_disp.widths, m_disp.metrics, c.column);
    }
    const int blank = m_disp.widths.Advance(m_disp.metrics, u' ');
    const int padColumn = blank > 0 ? (left + blank / 2) / blank : 0;

    CUndoGroupGuard group(m_undo, 0);
    RecordCaretForUndo();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const int line = firstLine + int(k);
        if (line >= m_lines.Count()) {
            const int last = m_lines.Count() - 1;
            SetCaretPos(last, GetLineLength(last));
            if (!InsertText(u"\n", 1)) return false;
        } else if (line <= lastLine && right > left) {
            int s, e;
            GetBoxColumns(line, s, e);
            if (s < e && !DeleteText({s, line}, {e, line}, 1)) return false;
        }
        if (rows[k].empty()) continue;
        if (!InsertSpacesTo(line, padColumn)) return false;
        SetCaretPos(line, CalcCharIndexAtX(GetLineText(line), m_disp.widths, m_disp.metrics, left));
        if (!InsertText(rows[k].c_str(), 1)) return false;
    }
    return true;
}
