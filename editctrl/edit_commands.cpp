// The line commands that need the window (the row's end, the clipboard),
// visible lines, links and the host utilities of the editing window.
#include <algorithm>

#include "editctrl/core/caret_motion.h"
#include "editctrl/core/command_rules.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/edit_transfer.h"
#include "textengine/layout.h"
#include "textengine/text_metrics.h"

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
    // Shown at the end of that row, not at the start of the next.
    m_model.MoveTo({rows.End(offset), caret.line}, extend, true);
}

void CEditCtrl::CopyLine() {
    if (!m_data) return;
    const int line = m_data->GetCaretPos().line;
    CopyTextToClipboard({0, line}, motion::PastLine(*m_data, line), false);
}

void CEditCtrl::PasteLine(bool above) {
    if (!m_data || m_model.IsReadOnly()) return;
    std::u16string text;
    bool box = false;
    if (ReadClipboardText(m_hWnd, text, box)) m_model.PasteLines(text, above);
}

void CEditCtrl::ClearText() {
    if (!m_data || m_model.IsReadOnly()) return;
    m_model.ClearSelection(true);
    m_data->Clear();
    m_data->ResetUndo();
    Disp().AttrCache().Clear();
    m_emptyMatchAt = EditPos{-1, -1};
    Relayout(1);
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
