#include "assist/code_assist_wnd.h"

#include "editctrl/wait_cursor.h"
#include "grid/core/grid_style.h"

CCodeAssistWnd::CCodeAssistWnd() { m_list.SetView(this); }

CCodeAssistWnd::~CCodeAssistWnd() {
    if (IsWindow()) DestroyWindow();
}

BOOL CCodeAssistWnd::CreatePopup(HWND owner) {
    m_owner = owner;
    const RECT rect{0, 0, 100, 100};
    if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP | WS_BORDER, rect, owner, nullptr))
        return FALSE;
    // A list of words: no titles, no row headers, no selections.
    SetGridStyle(GRID_SCROLL_ROW_TO_MIDDLE);
    return TRUE;
}

void CCodeAssistWnd::ShowTable(CCodeAssistData& table) {
    if (GetGridData() != &table) SetGridData(&table);
    if (!IsWindow()) return;
    CWaitCursor wait;
    const bool titles = table.GetRowCount() == 0;
    for (int col = 0; col < table.GetColCount(); ++col)
        if (table.GetColWidth(col) > 0) AutoFitColumn(col, titles, true);
    Relayout();
}

void CCodeAssistWnd::SetRowHighlight(bool on) {
    const std::uint32_t style = GetGridStyle();
    SetGridStyle(on ? style | GRID_ROW_CURSOR : style & ~std::uint32_t(GRID_ROW_CURSOR));
}

void CCodeAssistWnd::Repaint() {
    if (IsWindow()) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCodeAssistWnd::CurrentRowChanged() {
    if (!IsWindow()) return;
    const int row = m_list.CurrentRow();
    if (row >= 0)
        SetCurrentCell({0, row});
    else
        ClearCurrentCell();
    Repaint();
}

void CCodeAssistWnd::Reposition() {
    if (!IsWindow() || !m_list.Shown()) return;
    CCodeAssistData& table = *m_list.Shown();
    int columns = 0;
    for (int col = 0; col < table.GetColCount(); ++col) columns += table.GetColWidth(col);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CodeAssistPlacement at = m_placement;
    at.workBottom = work.bottom;
    const CodeAssistListRect r =
        PlaceCodeAssistList(at, table.GetRowCount(), GetRowHeight(), columns, GetSystemMetrics(SM_CXVSCROLL));
    ::SetWindowPos(m_hWnd, nullptr, r.x, r.y, r.width, r.height, SWP_NOACTIVATE | SWP_NOZORDER);
    Relayout();
    Repaint();
}

LRESULT CCodeAssistWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFOCUS: {
        const LRESULT r = CGridCtrl::WindowProc(msg, wParam, lParam);
        m_focusTimer = ::SetTimer(m_hWnd, kFocusTimer, 100, nullptr);
        return r;
    }
    case WM_TIMER:
        if (wParam == kFocusTimer) {
            ::KillTimer(m_hWnd, kFocusTimer);
            m_focusTimer = 0;
            if (m_owner && ::IsWindow(m_owner)) ::SetFocus(m_owner);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN: {
        const LRESULT r = CGridCtrl::WindowProc(msg, wParam, lParam);
        const CGridData* data = GetGridData();
        if (data && data->m_curCell.row >= 0) m_list.SetChosen(true);
        return r;
    }
    case WM_LBUTTONDBLCLK: {
        const CGridData* data = GetGridData();
        if (!data || data->m_curCell.row < 0) break;
        if (m_owner) ::PostMessageW(m_owner, WM_CODEASSIST_ACCEPT, 0, 0);
        return 0;
    }
    case WM_ACTIVATEAPP: {
        const LRESULT r = CGridCtrl::WindowProc(msg, wParam, lParam);
        if (m_owner) ::PostMessageW(m_owner, WM_CODEASSIST_CLOSE, wParam, 0);
        return r;
    }
    default:
        break;
    }
    return CGridCtrl::WindowProc(msg, wParam, lParam);
}

void CCodeAssistWnd::OnDestroy() {
    if (m_focusTimer) ::KillTimer(m_hWnd, kFocusTimer);
    m_focusTimer = 0;
    CGridCtrl::OnDestroy();
}
