// Moving the current cell, selecting, scrolling cells into view, resizing
// and fitting columns, and the grid's keys, mouse buttons, timers and tips.
#include <algorithm>
#include <climits>

#include "editctrl/edit_ctrl.h"
#include "grid/core/grid_navigation.h"
#include "grid/grid_ctrl.h"
#include "grid/tip_wnd.h"
#include "framework/wide.h"

bool CGridCtrl::ShiftHeld() const { return ::GetKeyState(VK_SHIFT) < 0; }

void CGridCtrl::SetCurrentCell(GridCell cell) {
    if (IsEditing()) EndEdit();
    const GridCell old = m_data->m_curCell;
    const GridCell to = cell.col < 0 || cell.row < 0 ? GridCell{std::max(cell.col, 0), std::max(cell.row, 0)} : cell;
    const GridCell at = ResolveMove(*m_data, old, to);
    const bool extending = ShiftHeld() || m_data->m_dragState != GRID_DRAG_IDLE;
    if (!extending)
        ClearSelection(true);
    else if (!m_data->m_sel.IsMultiCell())
        m_data->m_sel.anchor = old;
    if (at == old) return;
    ResetEditorIme();

    const bool byColumn = (m_style & GRID_RECORDS_AS_COLUMNS) != 0;
    if (m_style & (GRID_REDRAW_ROW_HEADERS | GRID_SHADE_CURRENT)) {
        RedrawRowHeader(byColumn ? old.col : old.row);
        RedrawRowHeader(byColumn ? at.col : at.row);
    }
    if (m_style & GRID_SHADE_CURRENT) {
        InvalidateColumnTitle(old.col);
        InvalidateColumnTitle(at.col);
    }
    if (m_style & GRID_ROW_CURSOR) {
        if (byColumn) {
            RedrawRange(old, at);
        } else {
            RedrawRow(old.row);
            RedrawRow(at.row);
        }
    }
    if (old.row >= 0) RedrawCell(old.row, old.col);
    m_data->m_curCell = at;
    if (m_hWnd && at.row >= 0 && at.col >= 0) {
        const GridLayout g = Layout();
        const bool rowOutside = at.row < g.firstRow || at.row >= g.firstRow + std::max(m_vertPage, 1);
        const bool colOutside = at.col < g.firstCol || ColumnX(*m_data, g, at.col + 1) > g.clientWidth;
        if (rowOutside || colOutside) EnsureCellVisible(at);
    }
    RedrawCell(at.row, at.col);
    if (extending) ExtendSelection(at.col, at.row);
    PlaceEditor();
    NotifyParent(WM_GRID_CURCELLCHANGED, WPARAM(at.col), LPARAM(at.row));
}

void CGridCtrl::MoveCurrentCell(int dcol, int drow) {
    const GridCell cur = m_data->m_curCell;
    SetCurrentCell({cur.col + dcol, cur.row + drow});
}

void CGridCtrl::GoLastCell() { SetCurrentCell(LastCell(*m_data, (m_style & GRID_ROW_CURSOR) != 0)); }

void CGridCtrl::SelectRow(int row) {
    if (m_hWnd) SetCurrentCell({0, row});
}

void CGridCtrl::ClearCurrentCell() {
    const GridCell old = m_data->m_curCell;
    m_data->m_curCell = {-1, -1};
    if (old.row < 0) return;
    if (m_style & GRID_ROW_CURSOR) RedrawRow(old.row);
    RedrawCell(old.row, old.col);
    if (m_style & (GRID_REDRAW_ROW_HEADERS | GRID_SHADE_CURRENT)) RedrawRowHeader(old.row);
    if (m_style & GRID_SHADE_CURRENT) InvalidateColumnTitle(old.col);
}

void CGridCtrl::ClearSelection(bool notify) {
    GridSelection& sel = m_data->m_sel;
    const bool had = !sel.IsNone();
    if (sel.IsMultiCell()) RedrawRange(sel.first, sel.second);
    ClearSelectionState(sel);
    if (notify && had) NotifyParent(WM_GRID_SELCHANGED);
}

void CGridCtrl::ExtendSelection(int col, int row) {
    if (!(m_style & GRID_SELECTIONS)) return;
    if (col < 0 || row < 0 || col >= m_data->GetColCount() || row >= m_data->GetRowCount()) return;
    const GridSelection before = m_data->m_sel;
    ExtendSelectionTo(*m_data, {col, row});
    const GridRowSpan changed = ChangedSelectionRows(before, m_data->m_sel);
    if (changed.first <= changed.last) RedrawRange({0, changed.first}, {0, changed.last});
    NotifyParent(WM_GRID_SELCHANGED);
}

void CGridCtrl::SelectWholeRow(int row) {
    if (row < 0 || row >= m_data->GetRowCount()) return;
    ClearSelection(false);
    SetCurrentCell({std::max(m_data->m_curCell.col, 0), row});
    SelectWholeRows(*m_data, row);
    RedrawRow(row);
    NotifyParent(WM_GRID_SELCHANGED);
}

void CGridCtrl::SelectWholeColumn(int col) {
    if (col < 0 || col >= m_data->GetColCount()) return;
    ClearSelection(false);
    SetCurrentCell({col, std::max(m_data->m_curCell.row, 0)});
    SelectWholeColumns(*m_data, col);
    RedrawAll();
    NotifyParent(WM_GRID_SELCHANGED);
}

void CGridCtrl::SelectAll() {
    if (m_data->GetRowCount() <= 0 || m_data->GetColCount() <= 0) return;
    SelectEverything(*m_data);
    RedrawAll();
    NotifyParent(WM_GRID_SELCHANGED);
}

void CGridCtrl::EnsureCellVisible(GridCell cell) {
    if (!m_hWnd || cell.row < 0 || cell.col < 0) return;
    const GridLayout g = Layout();
    const int top = ScrollRowFor(g, cell.row, m_style);
    const int left = ScrollColumnFor(*m_data, g, cell.col);
    if (OnScrollBy(left - g.firstCol, top - g.firstRow, FALSE)) Invalidate(FALSE);
}

void CGridCtrl::AutoFitColumn(int col, bool includeTitle, bool noLimit) {
    if (col < 0 || col >= m_data->GetColCount() || m_data->GetColWidth(col) == 0) return;
    const GridLayout g = Layout();
    const int limit = noLimit ? INT_MAX : std::max(g.clientWidth - g.leftStrip, 0);
    const bool trimmed = (m_style & GRID_FIT_TRIMMED) && m_data->GetCellType(0, col) == GRID_CELL_PADDED;
    const int measured = trimmed ? m_data->CalcColWidthTrimmed(col, limit, &m_metrics, nullptr)
                                 : m_data->CalcColWidth(col, limit, &m_metrics, nullptr);
    int title = -1;
    if (includeTitle) {
        const std::wstring text = TitleText(col);
        title = m_data->MeasureText(AsU16(text.c_str()), INT_MAX, &m_metrics);
    }
    m_data->SetColWidth(col, FitColumnWidth(measured, title, kMinColWidth, noLimit, g));
}

void CGridCtrl::OnKeyDown(UINT key) {
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const GridKeyAction a = MapGridKey(*m_data, key, ctrl, shift, m_endMode, m_style, m_vertPage);
    m_endMode = a.endMode;
    switch (a.kind) {
    case GridKeyAction::Move:
        if (m_data->m_curCell.row < 0 && m_data->GetRowCount() > 0) {
            SetCurrentCell({0, 0});
            break;
        }
        SetCurrentCell(a.target);
        if (a.clearSelection) ClearSelection(true);
        break;
    case GridKeyAction::Scroll:
        OnScrollBy(a.scrollCols, a.scrollRows, FALSE);
        break;
    case GridKeyAction::ClearSelection:
        ClearSelection(true);
        break;
    case GridKeyAction::DeleteCells:
        DeleteCells();
        break;
    case GridKeyAction::BeginEdit:
        BeginEdit(false);
        break;
    default:
        break;
    }
}

void CGridCtrl::OnSysKeyDown(UINT key) {
    if (key == VK_END) GoColumnBottom();
    if (key == VK_HOME) GoColumnTop();
}

void CGridCtrl::StartDrag(int kind) {
    if (!(m_style & GRID_SELECTIONS)) return;
    m_data->m_sel.kind = kind;
    m_data->m_dragState = GRID_DRAG_PRESSED;
    if (!m_data->m_sel.IsMultiCell()) m_data->m_sel.anchor = m_data->m_curCell;
    ::SetCapture(m_hWnd);
    SetTimer(kGridTimerDrag, 100);
}

void CGridCtrl::OnLButtonDown(UINT flags, CPoint p) {
    if (IsEditing() && !EndEdit()) return;
    if (::GetFocus() != m_hWnd) SetFocus();
    const GridHit hit = GridHitTest(*m_data, Layout(), p.x, p.y);
    const bool selections = (m_style & GRID_SELECTIONS) != 0;
    switch (hit.kind) {
    case GridHit::ColumnBorder:
        m_resizeState = 1;
        m_resizeCol = hit.col;
        m_pressPoint = p;
        ::SetCapture(m_hWnd);
        SetTimer(kGridTimerResize, 100);
        break;
    case GridHit::RowHeader:
        if (!selections) {
            SetCurrentCell({std::max(m_data->m_curCell.col, 0), hit.row});
            break;
        }
        SelectWholeRow(hit.row);
        StartDrag(GRID_SEL_ROWS);
        break;
    case GridHit::ColumnTitle:
        if (!selections) break;
        SelectWholeColumn(hit.col);
        StartDrag(GRID_SEL_COLUMNS);
        break;
    case GridHit::Corner:
        if (selections) SelectAll();
        break;
    case GridHit::Cell:
        if (!ShiftHeld()) m_data->m_sel.kind = GRID_SEL_CELLS;
        SetCurrentCell({hit.col, hit.row});
        StartDrag(m_data->m_sel.kind);
        break;
    default:
        break;
    }
}

void CGridCtrl::DrawResizeLine(int x) {
    const CRect client = CWnd::GetClientRect();
    if (m_resizeLineX >= 0) {
        CRect old(m_resizeLineX, 0, m_resizeLineX + 1, client.bottom);
        InvalidateRect(&old, FALSE);
    }
    m_resizeLineX = x;
    if (x >= 0) {
        CRect now(x, 0, x + 1, client.bottom);
        InvalidateRect(&now, FALSE);
    }
}

void CGridCtrl::EndResize(bool apply, CPoint p) {
    if (!m_resizeState) return;
    KillTimer(kGridTimerResize);
    m_resizeState = 0;
    DrawResizeLine(-1);
    const int col = m_resizeCol;
    m_resizeCol = -1;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (!apply || col < 0) return;
    const int width = std::max<int>(m_data->GetColWidth(col) + (p.x - m_pressPoint.x), kMinColWidth);
    m_data->SetColWidth(col, width);
    RelayoutAllPanes();
    EnsureCellVisible({col, std::max(Layout().firstRow, 0)});
}

void CGridCtrl::EndDrag() {
    KillTimer(kGridTimerDrag);
    m_data->m_dragState = GRID_DRAG_IDLE;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CGridCtrl::OnLButtonUp(CPoint p) {
    if (m_resizeState) EndResize(true, p);
    if (m_data->m_dragState != GRID_DRAG_IDLE) EndDrag();
}

void CGridCtrl::DragTo(CPoint p) {
    const GridLayout g = Layout();
    GridCell cell = GridCellFromPoint(*m_data, g, p.x, p.y, true);
    if (cell.row < 0) return;
    // Outside the window one row or column a step.
    cell.row = std::clamp(cell.row, g.firstRow - 1, g.firstRow + std::max(m_vertPage, 1));
    if (p.x < g.leftStrip) cell.col = std::max(g.firstCol - 1, 0);
    const GridCell cur = m_data->m_curCell;
    if (m_data->m_sel.kind == GRID_SEL_ROWS) cell.col = cur.col;
    if (m_data->m_sel.kind == GRID_SEL_COLUMNS) cell.row = cur.row;
    SetCurrentCell(cell);
}

void CGridCtrl::OnMouseMove(UINT flags, CPoint p) {
    if (m_resizeState == 1) {
        m_resizeState = 2;
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
    }
    if (m_resizeState == 2) {
        DrawResizeLine(p.x);
        return;
    }
    if (m_data->m_dragState == GRID_DRAG_PRESSED) m_data->m_dragState = GRID_DRAG_RUNNING;
    if (m_data->m_dragState == GRID_DRAG_RUNNING) {
        DragTo(p);
        return;
    }
    if (m_style & GRID_TITLE_TIPS) {
        const GridHit hit = GridHitTest(*m_data, Layout(), p.x, p.y);
        if (hit.kind == GridHit::ColumnTitle && hit.col != m_hoverCol) {
            m_hoverCol = hit.col;
            m_hoverPoint = p;
            SetTimer(kGridTimerTip, 200);
        } else if (hit.kind != GridHit::ColumnTitle) {
            m_hoverCol = -1;
        }
    }
}

void CGridCtrl::OnTimer(UINT_PTR id) {
    POINT screen;
    ::GetCursorPos(&screen);
    CPoint p(screen);
    ScreenToClient(&p);
    const CRect client = CWnd::GetClientRect();
    if (id == kGridTimerResize) {
        if (m_resizeState == 2 && !client.PtInRect(p)) DrawResizeLine(std::clamp<int>(p.x, 0, client.right - 1));
    } else if (id == kGridTimerDrag) {
        const CRect cells(m_leftStrip, m_topStrip, client.right, client.bottom);
        if (!cells.PtInRect(p)) {
            if (m_data->m_dragState == GRID_DRAG_PRESSED) m_data->m_dragState = GRID_DRAG_RUNNING;
            if (m_data->m_dragState == GRID_DRAG_RUNNING) DragTo(p);
        }
    } else if (id == kGridTimerTip) {
        KillTimer(kGridTimerTip);
        if (p != m_hoverPoint || m_hoverCol < 0 || m_data->m_dragState != GRID_DRAG_IDLE) return;
        CTipWnd* tip = Tip();
        if (!tip) return;
        const CRect cell = GetCellRect(0, m_hoverCol);
        POINT corner{cell.left, 0};
        ClientToScreen(&corner);
        const RECT title{corner.x, corner.y, corner.x + cell.Width() - 1, corner.y + m_topStrip - 1};
        tip->text = TitleText(m_hoverCol);
        tip->font = m_font;
        tip->CalcTextSize();
        tip->offset = {-1, 0};
        tip->Show(m_hoverCol, title);
    }
}

bool CGridCtrl::OnSetCursor() {
    POINT screen;
    ::GetCursorPos(&screen);
    CPoint p(screen);
    ScreenToClient(&p);
    const bool sizing =
        m_resizeState == 2 || GridHitTest(*m_data, Layout(), p.x, p.y).kind == GridHit::ColumnBorder;
    ::SetCursor(::LoadCursorW(nullptr, sizing ? IDC_SIZEWE : IDC_ARROW));
    return true;
}

void CGridCtrl::OnLButtonDblClk(CPoint p) {
    const GridHit hit = GridHitTest(*m_data, Layout(), p.x, p.y);
    const GridSelection& sel = m_data->m_sel;
    switch (hit.kind) {
    case GridHit::ColumnBorder: {
        const bool withTitle = !(m_style & GRID_FIT_WITHOUT_TITLE);
        if (sel.kind == GRID_SEL_COLUMNS && sel.IsMultiCell() && hit.col >= sel.Left() && hit.col <= sel.Right()) {
            for (int col = sel.Left(); col <= sel.Right(); ++col) AutoFitColumn(col, withTitle, false);
        } else {
            AutoFitColumn(hit.col, withTitle, false);
        }
        RelayoutAllPanes();
        break;
    }
    case GridHit::Cell:
        if (BeginEdit(false)) {
            m_editor->Model().SelectAll();
            // The click that made the double-click places the caret in the editor.
            const bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
            INPUT input[2] = {};
            input[0].type = input[1].type = INPUT_MOUSE;
            input[0].mi.dwFlags = swapped ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
            input[1].mi.dwFlags = swapped ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
            ::SendInput(2, input, sizeof(INPUT));
        }
        break;
    case GridHit::ColumnTitle:
        if (!(m_style & GRID_RECORDS_AS_COLUMNS)) {
            const bool selected = sel.IsMultiCell();
            NotifyParent(WM_GRID_DBLCLK, WPARAM(selected ? sel.Left() : hit.col), LPARAM(selected ? sel.Right() : hit.col));
        }
        break;
    case GridHit::RowHeader:
        if (m_style & GRID_RECORDS_AS_COLUMNS) {
            const bool selected = sel.IsMultiCell();
            NotifyParent(WM_GRID_DBLCLK, WPARAM(selected ? sel.first.row : hit.row),
                         LPARAM(selected ? sel.second.row : hit.row));
        }
        break;
    default:
        break;
    }
}

void CGridCtrl::OnRightButtonDown(CPoint p) {
    const GridHit hit = GridHitTest(*m_data, Layout(), p.x, p.y);
    const GridSelection& sel = m_data->m_sel;
    switch (hit.kind) {
    case GridHit::RowHeader:
        if (!(sel.kind == GRID_SEL_ROWS && sel.IsMultiCell() && hit.row >= sel.first.row && hit.row <= sel.second.row))
            SelectWholeRow(hit.row);
        break;
    case GridHit::ColumnTitle:
        if (!m_data->IsInSelection(std::max(m_data->m_curCell.row, 0), hit.col) || sel.kind != GRID_SEL_COLUMNS)
            SelectWholeColumn(hit.col);
        break;
    case GridHit::Corner:
        SelectAll();
        break;
    case GridHit::Cell:
        if (!m_data->IsInSelection(hit.row, hit.col)) {
            m_data->m_sel.kind = GRID_SEL_CELLS;
            SetCurrentCell({hit.col, hit.row});
        }
        break;
    default:
        break;
    }
}
