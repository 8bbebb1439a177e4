#include "view/color_grid_wnd.h"

#include <windowsx.h>

#include "framework/gdi.h"

namespace {

// The cell's rectangle with its frame drawn, shrunk to its colour swatch.
constexpr int kSwatchInset = 3;

}  // namespace

bool CColorGridWnd::RegisterClass() {
    return CWnd::RegisterWindowClass(kClassName, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
}

bool CColorGridWnd::Create(const RECT& rect, HWND parent, UINT id) {
    if (!RegisterClass()) return false;
    return CWnd::Create(kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent, id) != FALSE;
}

int CColorGridWnd::OnCreate(CREATESTRUCTW* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    const CRect client = GetClientRect();
    m_cellWidth = (client.Width() - 5) / kColorGridColumns;
    m_cellHeight = (client.Height() - 5) / kColorGridRows;
    return 0;
}

RECT CColorGridWnd::CellRect(int column, int row) const {
    return {column * m_cellWidth + kColorGridInset, row * m_cellHeight + kColorGridInset,
            (column + 1) * m_cellWidth + kColorGridInset, (row + 1) * m_cellHeight + kColorGridInset};
}

void CColorGridWnd::InvalidateCell(int index) {
    const RECT r = CellRect(index % kColorGridColumns, index / kColorGridColumns);
    InvalidateRect(&r, FALSE);
}

void CColorGridWnd::NotifyParent(UINT msg) {
    if (HWND parent = GetParentHandle()) ::SendMessageW(parent, msg, m_model.SelectedColor(), 0);
}

void CColorGridWnd::SelectCell(int column, int row) {
    InvalidateCell(m_model.SelectedIndex());
    m_model.Select(column, row);
    InvalidateCell(m_model.SelectedIndex());
    NotifyParent(WM_COLORGRID_PICK);
}

void CColorGridWnd::SetSelectedColor(COLORREF color) {
    m_model.SetSelectedColor(color);
    InvalidateCell(m_model.SelectedIndex());
    NotifyParent(WM_COLORGRID_PICK);
}

void CColorGridWnd::Paint(HDC hdc) {
    CDC dc(hdc);
    const CRect client = GetClientRect();
    RECT edge{0, 0, kColorGridColumns * m_cellWidth + 5, kColorGridRows * m_cellHeight + 5};
    // The background is never erased: the slack beyond the edge is filled
    // here so nothing old shows there.
    const HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    dc.FillRect(RECT{edge.right, 0, client.right, client.bottom}, face);
    dc.FillRect(RECT{0, edge.bottom, edge.right, client.bottom}, face);
    ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);

    CPen textPen, shadowPen;
    textPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_WINDOWTEXT));
    shadowPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    const HGDIOBJ oldPen = dc.SelectObject(static_cast<HGDIOBJ>(::GetStockObject(NULL_PEN)));
    const HGDIOBJ oldBrush = dc.SelectObject(static_cast<HGDIOBJ>(::GetStockObject(NULL_BRUSH)));
    for (int row = 0; row < kColorGridRows; ++row) {
        for (int column = 0; column < kColorGridColumns; ++column) {
            RECT r = CellRect(column, row);
            r.left += 1;
            r.top += 1;
            dc.FillRect(r, face);
            if (row * kColorGridColumns + column == m_model.SelectedIndex()) {
                dc.SelectObject(textPen.GetSafeHandle());
                dc.SelectObject(static_cast<HGDIOBJ>(::GetSysColorBrush(COLOR_WINDOW)));
                ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
            }
            ::InflateRect(&r, -kSwatchInset, -kSwatchInset);
            CBrush swatch(m_model.Color(row * kColorGridColumns + column));
            dc.SelectObject(shadowPen.GetSafeHandle());
            dc.SelectObject(swatch.GetSafeHandle());
            ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
            dc.SelectObject(static_cast<HGDIOBJ>(::GetStockObject(NULL_BRUSH)));
        }
    }
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

void CColorGridWnd::OnKeyDown(WPARAM key) {
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    int dx = 0, dy = 0;
    switch (key) {
    case VK_LEFT: dx = -1; break;
    case VK_RIGHT: dx = 1; break;
    case VK_UP: dy = -1; break;
    case VK_DOWN: dy = 1; break;
    case 'Z':
    case 'Y':
        if (!control) return;
        {
            const int before = m_model.SelectedIndex();
            if (!(key == 'Z' ? m_model.Undo() : m_model.Redo())) return;
            InvalidateCell(before);
            InvalidateCell(m_model.SelectedIndex());
            NotifyParent(WM_COLORGRID_PICK);
        }
        return;
    default:
        return;
    }
    SelectCell(m_model.SelectedColumn() + dx, m_model.SelectedRow() + dy);
}

LRESULT CColorGridWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 0;
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        Paint(dc);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus();
        const ColorGridCell cell = ColorGridCellAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), m_cellWidth, m_cellHeight);
        SelectCell(cell.column, cell.row);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        NotifyParent(WM_COLORGRID_ACCEPT);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
