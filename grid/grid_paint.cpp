// Painting the grid: one off-screen picture per WM_PAINT holding the
// corner, the column titles, the row headers, the visible cells with their
// marks and search matches, the grid lines and the current cell's frame.
#include <algorithm>

#include "editctrl/edit_ctrl.h"
#include "editctrl/text_drawer.h"
#include "framework/wide.h"
#include "grid/core/grid_style.h"
#include "grid/grid_ctrl.h"
#include "textengine/regex/regex.h"

namespace {

constexpr int kTextLeft = 2;

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
    const COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

int Length(const wchar_t* s) {
    int n = 0;
    while (s[n]) ++n;
    return n;
}

}  // namespace

void CGridCtrl::OnPaint() {
    CPaintDC pdc(m_hWnd);
    const CRect client = CWnd::GetClientRect();
    if (client.Width() <= 0 || client.Height() <= 0) return;
    CMemoryDC mem(pdc, client.Width(), client.Height());
    if (!mem.IsCreated()) {
        PaintTo(pdc, pdc.m_ps.rcPaint);
        return;
    }
    PaintTo(mem, client);
    const RECT& r = pdc.m_ps.rcPaint;
    ::BitBlt(pdc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, r.left, r.top, SRCCOPY);
}

void CGridCtrl::PaintTo(HDC dc, const RECT& clip) {
    const GridLayout g = Layout();
    const GridColor* colors = m_data->Disp().colors;
    FillSolid(dc, CRect(0, 0, g.clientWidth, g.clientHeight), colors[GRID_CELL_BG]);
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, m_font ? static_cast<HGDIOBJ>(m_font) : ::GetStockObject(SYSTEM_FONT));

    const int cols = m_data->GetColCount(), rows = m_data->GetRowCount();
    const int firstCol = g.firstCol, lastCol = cols > 0 ? LastDrawnColumn(*m_data, g) : -1;
    const int firstRow = g.firstRow, lastRow = rows > 0 ? LastDrawnRow(*m_data, g) : -1;

    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = firstCol; col <= lastCol; ++col) {
            if (m_data->GetColWidth(col) <= 0) continue;
            const CRect cell = GetCellRect(row, col);
            RECT visible;
            if (::IntersectRect(&visible, &cell, &clip)) DrawCell(dc, clip, cell, row, col);
        }
    }
    DrawGridLines(dc, firstCol, lastCol, firstRow, lastRow);
    if (m_topStrip) DrawColumnTitles(dc, firstCol, lastCol);
    if (m_leftStrip) DrawRowHeaders(dc, firstRow, lastRow);
    if (m_topStrip && m_leftStrip) DrawCorner(dc);

    const GridCell cur = m_data->m_curCell;
    if (!(m_style & GRID_ROW_CURSOR) && cur.row >= firstRow && cur.row <= lastRow && cur.col >= firstCol &&
        cur.col <= lastCol && m_data->GetColWidth(cur.col) > 0) {
        CRect frame = GetCellRect(cur.row, cur.col);
        HBRUSH brush = ::CreateSolidBrush(colors[GRID_CURRENT_FRAME]);
        ::FrameRect(dc, &frame, brush);
        ::InflateRect(&frame, -1, -1);
        ::FrameRect(dc, &frame, brush);
        ::DeleteObject(brush);
    }
    if (m_resizeState == 2 && m_resizeLineX >= 0) {
        HPEN pen = ::CreatePen(PS_SOLID, 1, colors[GRID_RESIZE_LINE]);
        HGDIOBJ old = ::SelectObject(dc, pen);
        Line(dc, m_resizeLineX, 0, m_resizeLineX, g.clientHeight);
        ::SelectObject(dc, old);
        ::DeleteObject(pen);
    }
    ::SelectObject(dc, oldFont);
}

void CGridCtrl::DrawCorner(HDC dc) {
    const GridColor* colors = m_data->Disp().colors;
    bool focused = HasFocusHere() || (m_style & GRID_CORNER_FOCUSED);
    if (!focused && IsSplitterPane()) {
        HWND focus = ::GetFocus();
        for (int slot = 0; slot < CGridData::kListenerSlots && !focused; ++slot)
            focused = focus && m_data->GetListener(slot) == focus;
    }
    COLORREF color = colors[GRID_HEADER_BG];
    if (focused) color = colors[GRID_FOCUS_CORNER] == kGridNoColor ? colors[GRID_CELL_BG] : colors[GRID_FOCUS_CORNER];
    const CRect corner(0, 0, m_leftStrip, m_topStrip);
    FillSolid(dc, corner, color);
    HPEN pen = ::CreatePen(PS_SOLID, 1, colors[GRID_HEADER_LINE]);
    HGDIOBJ old = ::SelectObject(dc, pen);
    Line(dc, 0, m_topStrip - 1, m_leftStrip, m_topStrip - 1);
    Line(dc, m_leftStrip - 1, 0, m_leftStrip - 1, m_topStrip);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

std::wstring CGridCtrl::TitleText(int col) {
    std::wstring title = AsWide(m_data->GetColTitle(col));
    if ((m_style & GRID_MARK_NOT_NULL) && !m_data->IsColNullable(col)) title += L"(*)";
    return title;
}

void CGridCtrl::DrawColumnTitles(HDC dc, int firstCol, int lastCol) {
    const GridColor* colors = m_data->Disp().colors;
    const CRect client = CWnd::GetClientRect();
    FillSolid(dc, CRect(m_leftStrip, 0, client.right, m_topStrip), colors[GRID_HEADER_BG]);
    HPEN pen = ::CreatePen(PS_SOLID, 1, colors[GRID_HEADER_LINE]);
    HGDIOBJ old = ::SelectObject(dc, pen);
    std::vector<int> dx;
    for (int col = firstCol; col <= lastCol; ++col) {
        const int w = m_data->GetColWidth(col);
        if (w <= 0) continue;
        const CRect cell = GetCellRect(0, col);
        const CRect title(cell.left, 0, cell.right, m_topStrip);
        if ((m_style & GRID_SHADE_CURRENT) && col == m_data->m_curCell.col)
            FillSolid(dc, title, ScaleGridColor(colors[GRID_HEADER_BG], 0.8));
        const std::wstring text = TitleText(col);
        Advances(text.c_str(), int(text.size()), dx);
        ::SetTextColor(dc, m_data->GetColTitleColor(col));
        const CRect textClip(title.left, title.top, title.right - 1, title.bottom - 1);
        DrawTextRun(dc, textClip, title.left + kTextLeft, title.top + 1, text.c_str(), int(text.size()), dx);
        Line(dc, title.right - 1, 0, title.right - 1, m_topStrip);
    }
    Line(dc, m_leftStrip, m_topStrip - 1, client.right, m_topStrip - 1);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

void CGridCtrl::DrawRowHeaders(HDC dc, int firstRow, int lastRow) {
    const GridColor* colors = m_data->Disp().colors;
    const CRect client = CWnd::GetClientRect();
    FillSolid(dc, CRect(0, m_topStrip, m_leftStrip, client.bottom), colors[GRID_HEADER_BG]);
    HPEN pen = ::CreatePen(PS_SOLID, 1, colors[GRID_HEADER_LINE]);
    HGDIOBJ old = ::SelectObject(dc, pen);
    ::SetTextColor(dc, colors[GRID_TEXT]);
    std::vector<int> dx;
    const bool byColumn = (m_style & GRID_RECORDS_AS_COLUMNS) != 0;
    const int current = byColumn ? m_data->m_curCell.col : m_data->m_curCell.row;
    for (int row = firstRow; row <= lastRow; ++row) {
        const CRect cell = GetCellRect(row, 0);
        const CRect header(0, cell.top, m_leftStrip, cell.bottom);
        if ((m_style & GRID_SHADE_CURRENT) && row == current)
            FillSolid(dc, header, ScaleGridColor(colors[GRID_HEADER_BG], 0.8));
        const wchar_t* text = AsWide(m_data->GetRowHeaderText(row));
        int blanks = 0;
        while (text[blanks] == L' ') ++blanks;
        const int n = Length(text + blanks);
        Advances(text + blanks, n, dx);
        DrawTextRun(dc, header, kTextLeft + m_digitWidth * blanks, header.top + 1, text + blanks, n, dx);
        Line(dc, 0, header.bottom - 1, m_leftStrip, header.bottom - 1);
    }
    Line(dc, m_leftStrip - 1, m_topStrip, m_leftStrip - 1, client.bottom);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

void CGridCtrl::DrawGridLines(HDC dc, int firstCol, int lastCol, int firstRow, int lastRow) {
    if (lastCol < firstCol || lastRow < firstRow) return;
    const GridLayout g = Layout();
    const int right = std::min(g.clientWidth, ColumnX(*m_data, g, lastCol + 1));
    const int bottom = std::min(g.clientHeight, RowY(g, lastRow + 1));
    HPEN pen = ::CreatePen(PS_SOLID, 1, m_data->Disp().colors[GRID_LINE]);
    HGDIOBJ old = ::SelectObject(dc, pen);
    for (int row = firstRow; row <= lastRow; ++row) {
        const int y = RowY(g, row + 1) - 1;
        Line(dc, m_leftStrip, y, right, y);
    }
    for (int col = firstCol; col <= lastCol; ++col) {
        if (m_data->GetColWidth(col) <= 0) continue;
        const int x = ColumnX(*m_data, g, col + 1) - 1;
        Line(dc, x, m_topStrip, x, bottom);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

bool CGridCtrl::IsCellHighlighted(int row, int col) const {
    const GridCell cur = m_data->m_curCell;
    if (m_data->IsInSelection(row, col)) return true;
    if ((m_style & GRID_ROW_CURSOR) && row == cur.row) return true;
    return IsSplitterPane() && !m_activePane && row == cur.row && col == cur.col;
}

COLORREF CGridCtrl::CellBackground(int row, int col) {
    const GridColor* colors = m_data->Disp().colors;
    if (IsCellHighlighted(row, col)) return colors[GRID_SELECTED_BG];
    if (m_data->HasCellColors()) return m_data->GetCellBkColor(row, col);
    if (m_data->IsEditable()) {
        const int stateRow = (m_style & GRID_RECORDS_AS_COLUMNS) ? col : row;
        if (m_data->IsRowDeleted(stateRow)) return colors[GRID_DELETED_BG];
        const bool inserted = m_data->IsRowInserted(stateRow);
        if (!inserted && m_data->IsCellModified(row, col)) return colors[GRID_MODIFIED_BG];
        if (!m_data->IsCellEditable(row, col)) return colors[GRID_READONLY_BG];
        if (inserted) return colors[GRID_INSERTED_BG];
    }
    if ((m_style & GRID_NULL_COLOR) && m_data->IsNullCell(row, col)) return colors[GRID_NULL_BG];
    return colors[GRID_CELL_BG];
}

void CGridCtrl::Advances(const wchar_t* text, int n, std::vector<int>& dx) {
    dx.assign(std::size_t(n > 0 ? n : 0), 0);
    const CCharWidthTable& widths = m_data->Disp().widths;
    int x = 0;
    for (int i = 0; i < n;) {
        if (text[i] == L'\t') {
            const int next = widths.NextTabStop(&m_metrics, x);
            dx[std::size_t(i)] = next - x;
            x = next;
            ++i;
            continue;
        }
        int units = 1;
        const int a = widths.AdvanceAt(&m_metrics, AsU16(text + i), units);
        dx[std::size_t(i)] = a;
        x += a;
        i += units;
    }
}

void CGridCtrl::DrawTextRun(HDC dc, const RECT& clip, int x, int y, const wchar_t* text, int n,
                            const std::vector<int>& dx) {
    if (n <= 0) return;
    // TABs take their room but show nothing.
    std::wstring shown(text, std::size_t(n));
    for (wchar_t& c : shown)
        if (c == L'\t') c = L' ';
    ::ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, shown.c_str(), UINT(n), dx.data());
    // An underscore the rasteriser drops still shows, within the cell.
    DrawLostGlyphs(dc, x, y, shown.c_str(), n, dx.data(), clip);
}

void CGridCtrl::DrawCell(HDC dc, const RECT& clip, const RECT& cell, int row, int col) {
    const GridColor* colors = m_data->Disp().colors;
    const bool highlighted = IsCellHighlighted(row, col);
    const COLORREF background = CellBackground(row, col);
    FillSolid(dc, cell, background);

    COLORREF color = m_data->GetCellTextColor(row, col);
    const bool currentLine = (m_style & GRID_RECORDS_AS_COLUMNS) ? col == m_data->m_curCell.col
                                                                 : row == m_data->m_curCell.row;
    if (currentLine && colors[GRID_CURRENT_ROW_TEXT] != colors[GRID_TEXT]) color = colors[GRID_CURRENT_ROW_TEXT];
    if (highlighted && (m_style & GRID_INVERT_HIGHLIGHT)) color = 0xFFFFFF - (color & 0xFFFFFF);

    const wchar_t* text = AsWide(m_data->GetDispText(row, col));
    const int type = m_data->GetCellType(row, col);
    int n = 0;
    bool cut = false;
    if (type == GRID_CELL_NUMBER) {
        n = Length(text);
    } else {
        while (text[n] && text[n] != L'\r' && text[n] != L'\n') ++n;
        cut = text[n] != 0;
    }
    std::vector<int> dx;
    Advances(text, n, dx);
    int width = 0;
    for (int a : dx) width += a;
    const int textTop = cell.top + 1;
    const int x = type == GRID_CELL_NUMBER ? cell.right - 3 - width : cell.left + kTextLeft;
    RECT textClip = cell;
    textClip.right -= 1;
    textClip.bottom -= 1;
    ::IntersectRect(&textClip, &textClip, &clip);

    // Search matches on their own background.
    if (m_search.highlightOn && m_search.Get() && background != colors[GRID_MATCH_BG] && n > 0) {
        std::vector<int> left(std::size_t(n) + 1, 0);
        for (int i = 0; i < n; ++i) left[std::size_t(i) + 1] = left[std::size_t(i)] + dx[std::size_t(i)];
        int start = 0;
        int at = 0, len = 0;
        while (start <= n &&
               regex_search_string_n(m_search.Get(), AsU16(text), n, start, &at, &len) == 1) {
            if (len > 0) {
                RECT run{x + left[std::size_t(at)], cell.top, x + left[std::size_t(std::min(at + len, n))], cell.bottom - 1};
                ::IntersectRect(&run, &run, &textClip);
                FillSolid(dc, run, colors[GRID_MATCH_BG]);
            }
            start = at + (len > 0 ? len : 1);
        }
    }

    ::SetTextColor(dc, color);
    DrawTextRun(dc, textClip, x, textTop, text, n, dx);
    if (type != GRID_CELL_NUMBER) DrawMarks(dc, textClip, x, text, n, dx, cut);
}

void CGridCtrl::DrawMarks(HDC dc, const RECT& cell, int x, const wchar_t* text, int n, const std::vector<int>& dx,
                          bool lineEndCut) {
    const std::uint32_t marks = m_style & (GRID_MARK_SPACE | GRID_MARK_WIDE_SPACE | GRID_MARK_TAB | GRID_MARK_LINE_END);
    if (!marks) return;
    const int top = cell.top + 1;
    const int baseline = top + m_ascent;
    HPEN pen = ::CreatePen(PS_SOLID, 1, m_data->Disp().colors[GRID_MARK]);
    HGDIOBJ old = ::SelectObject(dc, pen);
    HRGN clipRgn = ::CreateRectRgnIndirect(&cell);
    ::SelectClipRgn(dc, clipRgn);
    int cx = x;
    for (int i = 0; i < n; ++i) {
        const int a = dx[std::size_t(i)];
        if (text[i] == L' ' && (marks & GRID_MARK_SPACE)) {
            // A small open box standing on the baseline.
            const POINT box[] = {{cx + 1, baseline - 3}, {cx + 1, baseline}, {cx + a - 2, baseline}, {cx + a - 2, baseline - 4}};
            ::Polyline(dc, box, 4);
        } else if (text[i] == 0x3000 && (marks & GRID_MARK_WIDE_SPACE)) {
            RECT box{cx + 2, top + 3, cx + a - 2, baseline + 1};
            HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
            ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
            ::SelectObject(dc, oldBrush);
        } else if (text[i] == L'\t' && (marks & GRID_MARK_TAB)) {
            const int y = top + m_ascent / 2 + 1;
            const int end = cx + std::max(4, std::min(a, m_digitWidth * 2) - 2);
            Line(dc, cx + 1, y, end, y);
            Line(dc, end - 3, y - 3, end, y);
            Line(dc, end - 3, y + 3, end, y);
        }
        cx += a;
    }
    if (lineEndCut && (marks & GRID_MARK_LINE_END)) {
        // A down arrow whose head is half a character wide.
        const int half = std::max(2, m_digitWidth / 2);
        const int mid = cx + 1 + half;
        Line(dc, mid, top + 3, mid, baseline);
        Line(dc, mid - half / 2 - 1, baseline - half / 2 - 1, mid, baseline);
        Line(dc, mid + half / 2 + 1, baseline - half / 2 - 1, mid, baseline);
    }
    ::SelectClipRgn(dc, nullptr);
    ::DeleteObject(clipRgn);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}
