// Line commands, bookmarks, brackets, visible lines, links and the host
// utilities of the editing window.
#include <algorithm>

#include "editctrl/core/command_rules.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/wait_cursor.h"
#include "editctrl/edit_transfer.h"
#include "editctrl/syntax/strtoken.h"
#include "textengine/layout.h"
#include "textengine/text_metrics.h"

void CEditCtrl::SelectLine() {
    if (m_data) m_model.SelectLineAt(m_data->GetCaretPos().line);
}

void CEditCtrl::MoveToRowEnd(bool extend) {
    if (!m_data) return;
    const EditPos caret = m_data->GetCaretPos();
    const LineRows rows = m_data->GetLineRows(caret.line);
    if (DispData().wrapMode == WrapMode::None || rows.count < 2) {
        m_model.MoveToLineEnd(extend);
        return;
    }
    // The row the caret is shown on: at a row's end it belongs to that row.
    int offset = GetCaretRow() - GetFirstRowOfLine(caret.line);
    if (offset < 0 || offset >= rows.count) {
        offset = 0;
        while (offset + 1 < rows.count && rows.starts[offset] <= caret.column) ++offset;
    }
    const int end = rows.End(offset);
    m_model.BeginOrClearSelection(extend);
    m_data->SetCaretPos(caret.line, end);
    if (extend) ExtendSelectionTo(0, end, caret.line);
    // Shown at the end of that row, not at the start of the next.
    UpdateCaret(1, false, true);
}

void CEditCtrl::DeleteLine() {
    if (!m_data || IsReadOnly()) return;
    if (m_data->GetLineCount() == 1 && m_data->GetLineLength(0) == 0) return;
    const EditPos caret = m_data->GetCaretPos();
    const int x = GetColumnX(caret.line, caret.column);
    ClearSelection(true);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        EditPos from, to;
        m_data->GetLineRange(caret.line, caret.line, from, to);
        m_data->DeleteText(from, to, 1);
        // The line now at that place takes the caret under the same pixel x.
        const int line = std::min(caret.line, m_data->GetLineCount() - 1);
        const CMeasure m = Measure();
        const int column = CalcCharIndexAtX(m_data->GetLineText(line), *m.table, m.metrics, x);
        Disp().MeasuringDC().Release();
        m_data->SetCaretPos(line, column);
        m_data->RecordCaretForUndo();
    }
    AfterLinesChanged();
}

void CEditCtrl::CopyLine() {
    if (!m_data) return;
    const int line = m_data->GetCaretPos().line;
    const EditPos from{0, line};
    const EditPos to = line + 1 < m_data->GetLineCount() ? EditPos{0, line + 1}
                                                         : EditPos{m_data->GetLineLength(line), line};
    CopyTextToClipboard(from, to, false);
}

void CEditCtrl::PasteLine(bool above) {
    if (!m_data || IsReadOnly()) return;
    std::u16string text;
    bool box = false;
    // Nothing to paste: no empty line is left behind either.
    if (!ReadClipboardText(m_hWnd, text, box) || text.empty()) return;
    ClearSelection(true);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        const int line = m_data->GetCaretPos().line;
        if (above) {
            m_data->SetCaretPos(line, 0);
            m_data->InsertText(u"\n", 1);
            m_data->SetCaretPos(line, 0);
        } else {
            m_data->SetCaretPos(line, m_data->GetLineLength(line));
            m_data->InsertText(u"\n", 1);
        }
        m_data->InsertText(text.c_str(), 1);
        // Text that ended with a line end leaves one line end too many.
        if (m_data->GetCaretPos().column == 0) m_data->Backspace();
        m_data->RecordCaretForUndo();
    }
    AfterLinesChanged();
}

void CEditCtrl::ReverseLines() { ReorderSelectedLines(LineOrder::Reversed); }

void CEditCtrl::SortLines(BOOL descending) {
    ReorderSelectedLines(descending ? LineOrder::Descending : LineOrder::Ascending);
}

void CEditCtrl::ReorderSelectedLines(LineOrder order) {
    if (!m_data || IsReadOnly() || !HasSelection() || DispData().boxSelection) return;
    CWaitCursor wait;
    int first, last;
    SelectedLineSpan(DispData().selStart, DispData().selEnd, first, last);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        switch (order) {
        case LineOrder::Reversed:
            for (int a = first, b = last; a < b; ++a, --b) m_data->SwapLines(a, b, 1);
            break;
        case LineOrder::Ascending:
            m_data->SortLinesAscending(first, last);
            break;
        case LineOrder::Descending:
            m_data->SortLinesDescending(first, last);
            break;
        }
    }
    ClearSelection(true);
    const EditPos after = last + 1 < m_data->GetLineCount() ? EditPos{0, last + 1}
                                                             : EditPos{m_data->GetLineLength(last), last};
    m_data->SetCaretPos(after.line, after.column);
    AfterLinesChanged();
}

void CEditCtrl::ClearText() {
    if (!m_data || IsReadOnly()) return;
    ClearSelection(true);
    m_data->Clear();
    m_data->ResetUndo();
    Disp().AttrCache().Clear();
    m_model.ResetCompletion();
    m_emptyMatchAt = EditPos{-1, -1};
    Relayout(1);
}

bool CEditCtrl::GoToBookmark(int from, int to, int step, bool extend) {
    if (!m_data) return false;
    const int line = FindBookmarkLine(*m_data, from, to, step);
    if (line < 0) return false;
    m_model.BeginOrClearSelection(extend);
    m_data->SetCaretPos(line, 0);
    if (extend) ExtendSelectionTo(0, 0, line);
    UpdateCaret(1, true);
    return true;
}

bool CEditCtrl::FindMatchingBracket(char32_t ch, EditPos& pos) {
    const CStrToken* language = m_data ? LanguageOf(m_data->GetSyntaxRules()) : nullptr;
    if (!language || ch >= 256) return false;
    const int kind = language->GetBracketKind(ch);
    if (kind != 1 && kind != 2) return false;
    const EditPos caret = m_data->GetCaretPos();
    if (m_data->GetCharClass(caret.line, caret.column, nullptr) != CharClassCode) return false;
    if (kind == 2) {
        char32_t close = 0;
        switch (ch) {
        case u'(': close = u')'; break;
        case u'<': close = u'>'; break;
        case u'[': close = u']'; break;
        case u'{': close = u'}'; break;
        default: return false;
        }
        // The caret stands on the opener: its partner follows.
        return m_data->FindMatchingBracket(ch, close, 1, EditPos{-1, -1}, 1, pos);
    }
    char32_t open = 0;
    switch (ch) {
    case u')': open = u'('; break;
    case u'>': open = u'<'; break;
    case u']': open = u'['; break;
    case u'}': open = u'{'; break;
    default: return false;
    }
    // The caret stands on the closer: its opener lies before it.
    return m_data->FindMatchingBracket(open, ch, 1, EditPos{-1, -1}, -1, pos);
}

int CEditCtrl::GetFirstVisibleLine() { return GetLineOfRow(GetScrollPos(SB_VERT)); }

int CEditCtrl::GetLastVisibleLine() {
    const int row = GetScrollPos(SB_VERT) + m_visibleRows - 1;
    if (!m_data || row >= DispData().displayRows) return m_data ? m_data->GetLineCount() - 1 : 0;
    return GetLineOfRow(row);
}

int CEditCtrl::GetLineTop(int line) {
    if (!m_data || line < 0 || line >= m_data->GetLineCount()) return 0;
    return (GetFirstRowOfLine(line) - GetScrollPos(SB_VERT)) * m_rowHeight + m_topMargin;
}

bool CEditCtrl::GetLinkRangeAtCaret(EditPos& start, EditPos& end) {
    if (!m_data || !(m_style & ECS_CLICKABLE_URL)) return false;
    const EditPos caret = m_data->GetCaretPos();
    const LineAttrSlot* slot = GetLineAttributes(caret.line);
    if (!slot) return false;
    int from, to;
    if (!LinkRangeAt(slot->items, slot->count, caret.column, from, to)) return false;
    start = EditPos{from, caret.line};
    end = EditPos{to, caret.line};
    return true;
}

std::wstring CEditCtrl::GetLinkAtCaret() {
    EditPos start, end;
    if (!GetLinkRangeAtCaret(start, end)) return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(m_data->GetLineText(start.line)) + start.column,
                        std::size_t(end.column - start.column));
}

bool CEditCtrl::IsUrlScheme(const wchar_t* text) {
    return text && ::IsUrlScheme(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
}

bool CEditCtrl::IsPointOnText(int x, int y) {
    if (!m_data) return false;
    const CRect rc = GetScrollClientRect();
    if (y < m_topMargin || y > rc.bottom - m_bottomMargin || x < m_leftMargin || x > rc.right - m_rightMargin)
        return false;
    const int row = GetScrollPos(SB_VERT) + (y - m_topMargin) / std::max(1, m_rowHeight);
    if (row >= DispData().displayRows) return false;
    const int line = GetLineOfRow(row);
    const int offset = GetRowOffset(row);
    const LineRows rows = m_data->GetLineRows(line);
    const int rowStart = rows.Start(offset);
    const int width = Measure().TextWidth(rows.text + rowStart, rows.End(offset) - rowStart);
    Disp().MeasuringDC().Release();
    return GetScrollPos(SB_HORZ) * m_charWidth + x - m_leftMargin <= width;
}

namespace {

struct WideTest {
    const CCharWidthTable* table;
    CTextMetrics* metrics;
};

bool IsWideChar(char32_t cp, void* user) {
    const auto* t = static_cast<const WideTest*>(user);
    return t->table->GetWidth(t->metrics, cp) >= t->table->FullWidth();
}

}  // namespace

int CEditCtrl::ColumnFromDisplayColumn(int displayColumn, int line) {
    if (!m_data || line < 0 || line >= m_data->GetLineCount()) return 0;
    const CMeasure m = Measure();
    WideTest test{m.table, m.metrics};
    const int column = ::ColumnFromDisplayColumn(
        std::u16string_view(m_data->GetLineText(line), std::size_t(m_data->GetLineLength(line))), displayColumn,
        m.table->TabSize(), &IsWideChar, &test);
    Disp().MeasuringDC().Release();
    return column;
}

int CEditCtrl::GetMenuHeight(HMENU menu) {
    int height = 2 * ::GetSystemMetrics(SM_CYEDGE);
    const int itemHeight = ::GetSystemMetrics(SM_CYMENU);
    const int count = menu ? ::GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        height += (info.fType & MFT_SEPARATOR) ? itemHeight - 6 : itemHeight - 2;
    }
    return height;
}

namespace {

struct FontSizeWalk {
    std::vector<int>* sizes;
    int logPixelsY;
};

int CALLBACK FontSizeProc(const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD type, LPARAM lParam) {
    auto* walk = reinterpret_cast<FontSizeWalk*>(lParam);
    std::vector<int>& sizes = *walk->sizes;
    if ((type & TRUETYPE_FONTTYPE) || !(type & RASTER_FONTTYPE)) {
        if (sizes.empty())
            for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) sizes.push_back(s);
        return 1;
    }
    const int points = ::MulDiv(tm->tmHeight - tm->tmInternalLeading, 72, std::max(1, walk->logPixelsY));
    if (std::find(sizes.begin(), sizes.end(), points) == sizes.end()) sizes.push_back(points);
    return 1;
}

}  // namespace

void CEditCtrl::EnumFontSizes(HDC dc, const wchar_t* face, std::vector<int>& sizes) {
    sizes.clear();
    LOGFONTW lf{};
    lf.lfCharSet = SHIFTJIS_CHARSET;
    if (face) ::lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    FontSizeWalk walk{&sizes, ::GetDeviceCaps(dc, LOGPIXELSY)};
    ::EnumFontFamiliesExW(dc, &lf, FontSizeProc, reinterpret_cast<LPARAM>(&walk),
                          0);
    std::sort(sizes.begin(), sizes.end());
}
