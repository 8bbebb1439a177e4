// The grid window: creation, the model, style, fonts, colours, layout, the
// scroll geometry, focus and the messages between panes of one model.
#include "grid/grid_ctrl.h"

#include <cwchar>

#include "editctrl/edit_ctrl.h"
#include "framework/exception.h"
#include "framework/wide.h"
#include "grid/core/grid_navigation.h"
#include "grid/tip_wnd.h"
#include "textengine/edit_data.h"

const wchar_t CGridCtrl::kClassName[] = L"TORKA_GridCtrl";

namespace {

// The tip window of a model's display data, made when a grid first needs it.
class CGridTipAttachment : public CGridDispAttachment {
public:
    CTipWnd tip;
};

}  // namespace

CGridCtrl::CGridCtrl() : m_data(&DefaultGridData()) {
    if (!CWnd::RegisterWindowClass(kClassName,
                                   CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW,
                                   nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        throw CResourceException("the grid window class cannot be registered");
}

CGridCtrl::~CGridCtrl() {
    // OnDestroy takes the window out of the model's listeners: it must run
    // while this object is whole.
    if (IsWindow()) DestroyWindow();
}

BOOL CGridCtrl::Create(const wchar_t*, const wchar_t* windowName, DWORD style, const RECT& rect, HWND parent,
                       UINT id) {
    return CWnd::Create(kClassName, windowName, style, rect, parent, id);
}

int CGridCtrl::OnCreate(CREATESTRUCTW* cs) {
    if (CScrollWnd::OnCreate(cs) == -1) return -1;
    m_data->AddListener(m_hWnd);
    CreateEditor();
    if (!m_font) {
        LOGFONTW lf{};
        lf.lfHeight = -18;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfPitchAndFamily = FIXED_PITCH;
        std::wcscpy(lf.lfFaceName, L"Terminal");
        m_font.CreateFontIndirect(lf);
    }
    MeasureFont();
    return 0;
}

void CGridCtrl::OnDestroy() {
    KillTimer(kGridTimerResize);
    KillTimer(kGridTimerDrag);
    KillTimer(kGridTimerTip);
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (CTipWnd* tip = m_data->Disp().attachment ? Tip() : nullptr) tip->Hide();
    m_data->RemoveListener(m_hWnd);
    if (m_editor && m_editor->IsWindow()) m_editor->DestroyWindow();
    m_measureDC.Release();
    CScrollWnd::OnDestroy();
}

CTipWnd* CGridCtrl::Tip() {
    auto& slot = m_data->Disp().attachment;
    if (!slot) {
        auto made = std::make_unique<CGridTipAttachment>();
        made->tip.Create(::GetModuleHandleW(nullptr));
        slot = std::move(made);
    }
    auto* attachment = dynamic_cast<CGridTipAttachment*>(slot.get());
    return attachment ? &attachment->tip : nullptr;
}

const CTipWnd* CGridCtrl::GetTip() const {
    auto* attachment = dynamic_cast<CGridTipAttachment*>(m_data->Disp().attachment.get());
    return attachment ? &attachment->tip : nullptr;
}

bool CGridCtrl::IsTipShown() const {
    const CTipWnd* tip = GetTip();
    return tip && tip->IsShown();
}

void CGridCtrl::SetGridData(CGridData* model) {
    if (m_hWnd) m_data->RemoveListener(m_hWnd);
    if (CTipWnd* tip = m_data->Disp().attachment ? Tip() : nullptr) tip->Hide();
    if (IsEditing()) m_editor->ShowWindow(SW_HIDE);
    m_data = model ? model : &DefaultGridData();
    if (!m_hWnd) return;
    m_data->AddListener(m_hWnd);
    m_data->m_curCell = {-1, -1};
    ClearSelectionState(m_data->m_sel);
    m_data->m_dragState = GRID_DRAG_IDLE;
    if (m_data->GetRowCount() > 0 && m_data->GetColCount() > 0) {
        m_data->m_curCell = {0, 0};
        m_data->m_sel.anchor = {0, 0};
        NotifyParent(WM_GRID_CURCELLCHANGED, 0, 0);
    }
    CreateEditor();
    MeasureFont();
}

void CGridCtrl::SetFont(HFONT font) {
    LOGFONTW lf{};
    if (!::GetObjectW(font, sizeof(lf), &lf)) return;
    CFont made;
    if (!made.CreateFontIndirect(lf)) return;
    m_font = std::move(made);
    if (m_hWnd) MeasureFont();
}

void CGridCtrl::MeasureFont() {
    if (!m_hWnd) return;
    m_measureDC.Set(m_hWnd, m_font);
    HDC dc = m_measureDC.Get();
    TEXTMETRICW tm{};
    if (dc) ::GetTextMetricsW(dc, &tm);
    CCharWidthTable& widths = m_data->Disp().widths;
    widths.Init(&m_metrics);
    m_digitWidth = widths.Advance(&m_metrics, U'0');
    m_lineHeight = tm.tmHeight + tm.tmExternalLeading;
    m_ascent = tm.tmAscent;
    m_rowHeight = tm.tmHeight + 3;
    if (m_rowHeight < 4) m_rowHeight = 4;
    m_headerCharWidth = tm.tmAveCharWidth + widths.CharSpacing();
    RecalcStrips();
    if (m_editor) m_editor->SetFont(m_font);
    if (CTipWnd* tip = Tip()) tip->font = m_font;
    Relayout();
}

void CGridCtrl::RecalcStrips() {
    m_topStrip = (m_style & GRID_COL_TITLES) ? m_headerLines * m_rowHeight : 0;
    if (!(m_style & GRID_ROW_HEADERS)) {
        m_leftStrip = 0;
    } else if (m_style & GRID_RECORDS_AS_COLUMNS) {
        int widest = 0;
        const int rows = m_data->GetRowCount();
        for (int row = 0; row < rows; ++row) {
            const int w = m_data->MeasureText(m_data->GetRowHeaderText(row), 0x7FFFFFFF, &m_metrics);
            if (w > widest) widest = w;
        }
        m_leftStrip = widest + 5;
    } else {
        m_leftStrip = m_data->GetRowHeaderChars() * m_digitWidth + 5;
    }
}

void CGridCtrl::SetGridStyle(std::uint32_t style) {
    m_style = style;
    if (m_editor) m_editor->SetStyle(EditorStyleFromGridStyle(style));
}

void CGridCtrl::SetColor(int index, COLORREF color) {
    if (index < 0 || index >= GRID_COLOR_COUNT) return;
    GridColor* colors = m_data->Disp().colors;
    colors[index] = color;
    if (index == GRID_CELL_BG) {
        const int blue = int(((color >> 16) & 0xFF) * 0.9);
        if (CTipWnd* tip = m_hWnd ? Tip() : nullptr)
            tip->background = (color & 0x00FFFF) | (COLORREF(blue > 255 ? 255 : blue) << 16);
    } else if (index == GRID_TEXT) {
        m_data->m_defaultTextColor = color;
        colors[GRID_CURRENT_ROW_TEXT] = color;
        if (CTipWnd* tip = m_hWnd ? Tip() : nullptr) tip->textColor = color;
    }
    if (m_hWnd) Invalidate(FALSE);
}

COLORREF CGridCtrl::GetColor(int index) const {
    return index >= 0 && index < GRID_COLOR_COUNT ? m_data->Disp().colors[index] : 0;
}

bool CGridCtrl::SetSearchHighlight(const std::wstring& pattern, bool matchCase, bool matchWidth, bool useRegex) {
    m_searchPattern = ToU16(pattern);
    m_searchMatchCase = matchCase;
    m_searchMatchWidth = matchWidth;
    m_searchRegex = useRegex;
    const bool ok = m_search.Compile(m_searchPattern, matchCase, matchWidth, useRegex) != nullptr;
    m_search.highlightOn = ok && !pattern.empty();
    if (m_hWnd) RedrawAll();
    return ok;
}

void CGridCtrl::ClearSearchHighlight() {
    m_search.highlightOn = false;
    if (m_hWnd) RedrawAll();
}

GridLayout CGridCtrl::Layout() const {
    GridLayout g;
    g.rowHeight = m_rowHeight;
    g.leftStrip = m_leftStrip;
    g.topStrip = m_topStrip;
    const CRect client = CWnd::GetClientRect();
    g.clientWidth = client.Width();
    g.clientHeight = client.Height();
    g.firstCol = CScrollWnd::GetScrollPos(SB_HORZ);
    g.firstRow = CScrollWnd::GetScrollPos(SB_VERT);
    return g;
}

CRect CGridCtrl::GetCellRect(int row, int col) const {
    const GridLayout g = Layout();
    const int x = ColumnX(*m_data, g, col);
    const int y = RowY(g, row);
    return CRect(x, y, x + m_data->GetColWidth(col), y + m_rowHeight);
}

int CGridCtrl::GetVisibleColumns() { return FullColumnsVisible(*m_data, Layout()); }

int CGridCtrl::GetContentWidth() { return m_leftStrip + ColumnSpan(*m_data, 0, m_data->GetColCount()); }

int CGridCtrl::GetContentHeight() { return m_data->GetRowCount() * m_rowHeight + m_topStrip; }

int CGridCtrl::GetMaxRow() {
    const int rows = m_data->GetRowCount();
    return rows > 0 ? rows - 1 : 0;
}

int CGridCtrl::GetRowPageSize() {
    const int page = FullRowsVisible(Layout());
    return page > 0 ? page : 1;
}

int CGridCtrl::GetMaxColumn() {
    const int cols = m_data->GetColCount();
    return cols > 0 ? cols - 1 : 0;
}

int CGridCtrl::GetColumnPageSize() {
    const int page = ColumnsFittingFromEnd(*m_data, Layout());
    return page > 0 ? page : 1;
}

void CGridCtrl::OnScrolled(int dx, int dy, BOOL thumbTracking) {
    if (CTipWnd* tip = Tip()) tip->Hide();
    SendToOtherPanes(WM_GRID_SYNC_INVALIDATE);
    const GridCell cur = m_data->m_curCell;
    if (cur.row >= 0) InvalidateCell(cur.row, cur.col);
    PlaceEditor();
}

void CGridCtrl::Relayout() {
    if (!m_hWnd) return;
    RelayoutHere();
}

void CGridCtrl::RelayoutAllPanes() {
    SendToOtherPanes(WM_GRID_SYNC_RELAYOUT);
    Relayout();
}

void CGridCtrl::RelayoutHere() {
    RecalcStrips();
    UpdateScrollBars();
    const int h = CWnd::GetClientRect().Height() - m_topStrip;
    m_vertPage = m_rowHeight > 0 && h > 0 ? h / m_rowHeight : 0;
    if (CTipWnd* tip = Tip()) tip->Hide();
    EndEdit();
    PlaceEditor();
    Invalidate(FALSE);
    UpdateWindow();
}

void CGridCtrl::SendToOtherPanes(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsSplitterPane()) return;
    for (int slot = 0; slot < CGridData::kListenerSlots; ++slot) {
        HWND pane = static_cast<HWND>(m_data->GetListener(slot));
        if (pane && pane != m_hWnd && ::IsWindow(pane)) ::SendMessageW(pane, msg, wParam, lParam);
    }
}

void CGridCtrl::NotifyParent(UINT msg, WPARAM wParam, LPARAM lParam, bool post) {
    HWND parent = m_hWnd ? GetParentHandle() : nullptr;
    if (!parent) return;
    if (post)
        ::PostMessageW(parent, msg, wParam, lParam);
    else
        ::SendMessageW(parent, msg, wParam, lParam);
}

bool CGridCtrl::HasFocusHere() const {
    HWND focus = ::GetFocus();
    return focus && (focus == m_hWnd || (m_editor && focus == m_editor->GetSafeHwnd()));
}

void CGridCtrl::InvalidateCell(int row, int col) {
    if (!m_hWnd || row < 0 || col < 0) return;
    // One pixel more on each side: the current cell's frame lies on the grid lines.
    CRect r = GetCellRect(row, col);
    r.left -= 1;
    r.top -= 1;
    r.right += 1;
    r.bottom += 1;
    InvalidateRect(&r, FALSE);
}

void CGridCtrl::InvalidateRow(int row) {
    if (!m_hWnd || row < 0) return;
    const GridLayout g = Layout();
    const int y = RowY(g, row);
    CRect r(0, y - 1, g.clientWidth, y + m_rowHeight + 1);
    InvalidateRect(&r, FALSE);
}

void CGridCtrl::InvalidateRows(int first, int last) {
    if (!m_hWnd) return;
    if (first > last) std::swap(first, last);
    const GridLayout g = Layout();
    CRect r(0, RowY(g, first) - 1, g.clientWidth, RowY(g, last) + m_rowHeight + 1);
    InvalidateRect(&r, FALSE);
}

void CGridCtrl::InvalidateRowHeader(int row) {
    if (!m_hWnd || row < 0 || !m_leftStrip) return;
    const int y = RowY(Layout(), row);
    CRect r(0, y - 1, m_leftStrip, y + m_rowHeight + 1);
    InvalidateRect(&r, FALSE);
}

void CGridCtrl::InvalidateColumnTitle(int col) {
    if (!m_hWnd || col < 0 || !m_topStrip) return;
    const CRect cell = GetCellRect(0, col);
    CRect r(cell.left - 1, 0, cell.right + 1, m_topStrip);
    InvalidateRect(&r, FALSE);
}

void CGridCtrl::RedrawCell(int row, int col) {
    InvalidateCell(row, col);
    SendToOtherPanes(WM_GRID_SYNC_REDRAWCELL, WPARAM(row), LPARAM(col));
}

void CGridCtrl::RedrawRow(int row) {
    InvalidateRow(row);
    SendToOtherPanes(WM_GRID_SYNC_REDRAWROW, WPARAM(row));
}

void CGridCtrl::RedrawRowHeader(int row) {
    InvalidateRowHeader(row);
    SendToOtherPanes(WM_GRID_SYNC_REDRAWROWHEADER, WPARAM(row));
}

void CGridCtrl::RedrawRange(GridCell a, GridCell b) {
    InvalidateRows(a.row, b.row);
    SendToOtherPanes(WM_GRID_SYNC_REDRAWRANGE, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
}

void CGridCtrl::RedrawHeaders() {
    if (m_hWnd) {
        const CRect client = CWnd::GetClientRect();
        CRect top(0, 0, client.right, m_topStrip);
        CRect left(0, 0, m_leftStrip, client.bottom);
        InvalidateRect(&top, FALSE);
        InvalidateRect(&left, FALSE);
    }
    SendToOtherPanes(WM_GRID_SYNC_REDRAWHEADERS);
}

void CGridCtrl::RedrawAll() {
    if (m_hWnd) Invalidate(FALSE);
    SendToOtherPanes(WM_GRID_SYNC_INVALIDATE);
}

void CGridCtrl::OnSetFocus(HWND lost) {
    RedrawHeaders();
    PlaceEditor();
    const GridCell cur = m_data->m_curCell;
    if (IsSplitterPane()) {
        EndEdit();
        InvalidateCell(cur.row, cur.col);
    }
    NotifyParent(WM_GRID_CURCELLCHANGED, WPARAM(cur.col), LPARAM(cur.row));
    if (m_focusLeftWhileEditing && IsEditing()) m_editor->SetFocus();
    m_focusLeftWhileEditing = false;
    m_activePane = true;
    SendToOtherPanes(WM_GRID_SYNC_DEACTIVATE);
    NotifyParent(WM_GRID_SETFOCUS, reinterpret_cast<WPARAM>(lost));
}

void CGridCtrl::OnKillFocus(HWND gained) {
    if (IsSplitterPane()) {
        const GridCell cur = m_data->m_curCell;
        InvalidateCell(cur.row, cur.col);
        SendToOtherPanes(WM_GRID_SYNC_REDRAWHEADERS);
    }
    if (m_hWnd && m_topStrip && m_leftStrip) {
        CRect corner(0, 0, m_leftStrip, m_topStrip);
        InvalidateRect(&corner, FALSE);
    }
    NotifyParent(WM_GRID_KILLFOCUS, reinterpret_cast<WPARAM>(gained));
}

LRESULT CGridCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT: {
        const CRect client = CWnd::GetClientRect();
        PaintTo(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_SIZE:
        Relayout();
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_KEYDOWN:
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_SYSKEYDOWN:
        OnSysKeyDown(UINT(wParam));
        return CScrollWnd::WindowProc(msg, wParam, lParam);
    case WM_CHAR:
        OnChar(UINT(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(UINT(wParam), CPoint::FromLParam(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(CPoint::FromLParam(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(CPoint::FromLParam(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRightButtonDown(CPoint::FromLParam(lParam));
        return CScrollWnd::WindowProc(msg, wParam, lParam);
    case WM_MOUSEMOVE:
        OnMouseMove(UINT(wParam), CPoint::FromLParam(lParam));
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == m_hWnd && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
        break;
    case WM_TIMER:
        OnTimer(UINT_PTR(wParam));
        return 0;
    case WM_CAPTURECHANGED:
        // Losing the mouse ends a resize or a drag as the button's release would.
        if (reinterpret_cast<HWND>(lParam) != m_hWnd) {
            if (m_resizeState) EndResize(m_resizeState == 2, CPoint(m_resizeLineX, 0));
            if (m_data->m_dragState != GRID_DRAG_IDLE) EndDrag();
        }
        return 0;
    case WM_EDIT_KILLFOCUS:
        OnEditKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_GRID_EDITKEYDOWN:
        OnEditKeyDown(UINT(wParam));
        return 0;
    case WM_GRID_SYNC_RELAYOUT:
        RelayoutHere();
        return 0;
    case WM_GRID_SYNC_INVALIDATE:
        Invalidate(FALSE);
        return 0;
    case WM_GRID_SYNC_REDRAWCELL:
        InvalidateCell(int(wParam), int(lParam));
        return 0;
    case WM_GRID_SYNC_REDRAWROW:
        InvalidateRow(int(wParam));
        return 0;
    case WM_GRID_SYNC_REDRAWROWHEADER:
        InvalidateRowHeader(int(wParam));
        return 0;
    case WM_GRID_SYNC_REDRAWRANGE:
        if (wParam && lParam)
            InvalidateRows(reinterpret_cast<const GridCell*>(wParam)->row, reinterpret_cast<const GridCell*>(lParam)->row);
        return 0;
    case WM_GRID_SYNC_REDRAWHEADERS:
        if (m_hWnd) {
            const CRect client = CWnd::GetClientRect();
            CRect top(0, 0, client.right, m_topStrip);
            CRect left(0, 0, m_leftStrip, client.bottom);
            InvalidateRect(&top, FALSE);
            InvalidateRect(&left, FALSE);
        }
        return 0;
    case WM_GRID_SYNC_CURCELL:
        return 0;
    case WM_GRID_SYNC_DEACTIVATE:
        m_activePane = false;
        InvalidateCell(m_data->m_curCell.row, m_data->m_curCell.col);
        if (m_topStrip && m_leftStrip) {
            CRect corner(0, 0, m_leftStrip, m_topStrip);
            InvalidateRect(&corner, FALSE);
        }
        return 0;
    }
    return CScrollWnd::WindowProc(msg, wParam, lParam);
}
