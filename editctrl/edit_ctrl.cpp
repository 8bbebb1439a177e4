#include "editctrl/edit_ctrl.h"

#include <imm.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "editctrl/core/cindent.h"
#include "editctrl/core/command_rules.h"
#include "framework/exception.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/undo_data.h"

const wchar_t CEditCtrl::kClassName[] = L"TORKA_EditCtrl";

namespace {

UINT g_boxFormat = 0;
HCURSOR g_linkCursor = nullptr;

// The pointer over a link: a hand with the index finger up ('#' black,
// '.' white, ' ' clear), hotspot at the fingertip.
HCURSOR MakeLinkCursor() {
    static const char* const kHand[16] = {
        "   ##           ", "  #..#          ", "  #..#          ", "  #..#          ",
        "  #..###        ", "  #..#..###     ", "  #..#..#..##   ", "###..#..#..#.#  ",
        "#.#........#.#  ", "#..#.........#  ", " #...........#  ", "  #..........#  ",
        "  #.........#   ", "   #........#   ", "    #......#    ", "    ########    ",
    };
    BYTE andMask[32 * 4], xorMask[32 * 4];
    std::memset(andMask, 0xFF, sizeof(andMask));
    std::memset(xorMask, 0, sizeof(xorMask));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const char c = kHand[y][x];
            if (c == ' ') continue;
            const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            andMask[y * 4 + x / 8] &= static_cast<BYTE>(~bit);
            if (c == '.') xorMask[y * 4 + x / 8] |= bit;
        }
    }
    return ::CreateCursor(::GetModuleHandleW(nullptr), 4, 0, 32, 32, andMask, xorMask);
}

int CALLBACK FaceProc(const LOGFONTW*, const TEXTMETRICW*, DWORD type, LPARAM lParam) {
    *reinterpret_cast<BOOL*>(lParam) = (type & TRUETYPE_FONTTYPE) != 0;
    return 0;
}

}  // namespace

UINT GetBoxClipboardFormat() { return g_boxFormat; }

UINT OriginalCaretBlinkTime();

HCURSOR GetLinkCursor() { return g_linkCursor; }

CEditCtrl::CEditCtrl() {
    if (!CWnd::RegisterWindowClass(kClassName,
                                   CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW,
                                   ::LoadCursorW(nullptr, IDC_IBEAM), reinterpret_cast<HBRUSH>(COLOR_MENU + 1)))
        throw CResourceException("the editing window class cannot be registered");
    if (!g_boxFormat) g_boxFormat = ::RegisterClipboardFormatW(L"TORKA_EditCtrl_CF_IS_BOX_UNICODE");
    if (!g_linkCursor) g_linkCursor = MakeLinkCursor();
    m_bracketBlinkTime = static_cast<int>(OriginalCaretBlinkTime());
    CEditData::SetIndentHook(&CCIndent::OnTyped);
}

CEditCtrl::~CEditCtrl() {
    // OnDestroy takes the window out of the text's view table: it must run
    // while this object is whole.
    DestroyWindow();
    if (m_data && m_data->GetListener() == &m_listener) m_data->SetListener(nullptr);
}

BOOL CEditCtrl::Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                       HWND parent, UINT id) {
    return CWnd::Create(kClassName, windowName, style, rect, parent, id);
}

int CEditCtrl::OnCreate(CREATESTRUCTW* cs) {
    if (CScrollWnd::OnCreate(cs) == -1) return -1;
    if (m_data) Disp().AddView(m_hWnd);
    LOGFONTW lf{};
    lf.lfHeight = -18;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfOutPrecision = 2;
    lf.lfClipPrecision = 1;
    lf.lfQuality = 0;
    lf.lfPitchAndFamily = 1;
    std::wcscpy(lf.lfFaceName, L"Terminal");
    CreateFont(lf);
    ApplyFont();
    // Without OLE on this thread the window simply takes no drops.
    m_dropTarget.Register(m_hWnd);
    return 0;
}

void CEditCtrl::OnDestroy() {
    m_dropTarget.Revoke();
    EndMouseCapture();
    if (HasFocus() && m_changedBlinkTime) {
        ::SetCaretBlinkTime(OriginalCaretBlinkTime());
        m_changedBlinkTime = false;
    }
    CScrollWnd::OnDestroy();
    DropBackBuffer();
    if (m_data) {
        Disp().RemoveView(m_hWnd);
        // The DC holds our font selected: give it back before the font goes.
        Disp().ReleaseMeasuringDC(m_hWnd);
    }
    DeleteFonts();
}

void CEditCtrl::SetEditData(CEditData* data) {
    if (m_data && m_data != data) {
        if (IsWindow()) {
            Disp().RemoveView(m_hWnd);
            Disp().ReleaseMeasuringDC(m_hWnd);
        }
        if (m_data->GetListener() == &m_listener) m_data->SetListener(nullptr);
    }
    const bool fresh = m_data != data;
    if (fresh) m_measuredFrom = MeasuredFrom{};
    m_data = data;
    m_model.SetData(data);
    if (!data) return;
    data->SetListener(&m_listener);
    if (fresh && IsWindow()) {
        Disp().AddView(m_hWnd);
        ApplyFont();  // the text's width table follows this window's font; measures every line
        return;
    }
    RecalcLineWidth(true);
}

void CEditCtrl::SetStyle(DWORD style) {
    if (style == m_style) return;
    if (m_data) {
        // The bold pair is recomputed at the next caret move.
        Disp().boldBracket[0] = Disp().boldBracket[1] = {-1, -1};
        Disp().AttrCache().Clear();
    }
    m_style = style;
    if (style & ECS_SINGLE_LINE) m_scrollFlags |= kScrollHorzWithoutBar;
    if (IsWindow()) {
        if (style & ECS_IDLE_POINTER) {
            m_idleCountdown = 3;
            SetTimer(kTimerIdlePointer, 1000);
        } else {
            KillTimer(kTimerIdlePointer);
        }
    }
    DropBackBuffer();
    RecalcMargins();
}

void CEditCtrl::DeleteFonts() {
    m_font.DeleteObject();
    m_underlineFont.DeleteObject();
    m_boldFont.DeleteObject();
}

void CEditCtrl::CreateFont(const LOGFONTW& logfont) {
    if (m_data && IsWindow()) Disp().ReleaseMeasuringDC(m_hWnd);
    DeleteFonts();
    LOGFONTW lf = logfont;
    m_font.CreateFontIndirect(lf);
    lf.lfUnderline = 1;
    m_underlineFont.CreateFontIndirect(lf);
    lf.lfUnderline = 0;
    lf.lfWeight = 700;
    m_boldFont.CreateFontIndirect(lf);
}

void CEditCtrl::SetFont(HFONT font) {
    LOGFONTW lf{};
    if (!::GetObjectW(font, sizeof(lf), &lf)) return;
    CreateFont(lf);
    ApplyFont();
}

CMeasure CEditCtrl::Measure() {
    CEditDispGdi& disp = Disp();
    disp.MeasuringDC().Set(m_hWnd, m_font);
    return CMeasure{&disp.Widths(), &disp.Metrics()};
}

void CEditCtrl::ApplyFont() {
    if (!IsWindow() || !m_font) return;
    LOGFONTW lf{};
    m_font.GetLogFont(&lf);
    CClientDC dc(m_hWnd);
    m_trueType = FALSE;
    ::EnumFontFamiliesExW(dc, &lf, FaceProc, reinterpret_cast<LPARAM>(&m_trueType), 0);
    dc.SelectObject(m_font.GetSafeHandle());
    TEXTMETRICW tm{};
    dc.GetTextMetrics(&tm);
    int spacing = 0, zero = 0, threshold = INT_MAX;
    if (m_data) {
        CCharWidthTable& table = Disp().Widths();
        Disp().ReleaseMeasuringDC(m_hWnd);
        CGdiTextMetrics metrics(dc.GetSafeHdc());
        // Settings applied again bring the same font: its widths stay, and
        // so does the measured layout.
        LOGFONTW key = lf;
        const size_t face = wcsnlen(key.lfFaceName, LF_FACESIZE);
        std::fill(key.lfFaceName + face, key.lfFaceName + LF_FACESIZE, L'\0');
        table.InitForFont(&metrics, &key, sizeof key);
        spacing = table.CharSpacing();
        threshold = table.FullWidth();
        zero = table.GetWidth(&metrics, '0');
        if (table.HasPitchCorrection() && zero == table.FullWidth()) zero = 2 * table.GetWidth(&metrics, 'x');
    } else {
        zero = GetCharPixelWidth(dc, '0', nullptr);
    }
    const int space = zero >= threshold ? 2 * spacing : spacing;
    m_digitWidth = zero + space;
    m_textHeight = tm.tmHeight + tm.tmExternalLeading;
    m_rowHeight = m_textHeight + m_extraRowSpacing;
    m_charWidth = std::max(1, static_cast<int>(tm.tmAveCharWidth) + space);
    RecalcMargins();
    if (m_data) {
        CEditDispData& disp = DispData();
        if (disp.wrapMode == WrapMode::WindowWidth) {
            SetWrapWidthToWindow(GetScrollClientRect().Width());
        } else if (disp.wrapMode == WrapMode::FixedColumns) {
            SetWrapMode(WrapMode::FixedColumns, disp.wrapColumns);
        }
        RecalcLineWidth(true);
    }
    RecalcVisibleRows();
    UpdateScrollBars();
    if (HasFocus()) {
        CreateEditCaret(true);
        UpdateCaret(1);
    }
    if (HIMC imc = ::ImmGetContext(m_hWnd)) {
        ::ImmSetCompositionFontW(imc, &lf);
        ::ImmReleaseContext(m_hWnd, imc);
    }
    DropBackBuffer();
    Invalidate(TRUE);
    SendParent(WM_EDIT_LAYOUTCHANGED);
}

void CEditCtrl::SetWrapMode(WrapMode mode, int columns, bool relayout) {
    if (!m_data) return;
    CEditDispData& disp = DispData();
    disp.wrapMode = mode;
    if (mode == WrapMode::None) {
        disp.wrapColumns = INT_MAX;
        disp.wrapWidth = INT_MAX;
    } else if (mode == WrapMode::WindowWidth) {
        SetWrapWidthToWindow(GetScrollClientRect().Width());
    } else {
        const WrapGeometry wrap = WrapForColumns(columns, m_charWidth);
        disp.wrapColumns = wrap.columns;
        disp.wrapWidth = wrap.width;
    }
    if (relayout) Relayout(0);
    RecalcClientSize();
}

void CEditCtrl::SetWrapWidthToWindow(int clientWidth) {
    if (!m_data) return;
    const WrapGeometry wrap =
        WrapForWindow(clientWidth, m_leftMargin, m_rightMargin, m_charWidth, m_data->GetBreakAdjustment());
    DispData().wrapColumns = wrap.columns;
    DispData().wrapWidth = wrap.width;
}

void CEditCtrl::RecalcMargins() {
    const int lines = m_data ? m_data->GetLineCount() : 1;
    int digits = 1;
    for (long long p = 10; p <= lines; p *= 10) ++digits;  // ceil(log10(lines + 1))
    m_lineNumberDigits = std::max(digits, 2);
    m_leftMargin = m_leftBase + ((m_style & ECS_SHOW_ROW_NUM) ? (m_lineNumberDigits + 2) * m_digitWidth : 0);
    m_topMargin = (m_style & ECS_SHOW_COL_NUM) ? m_rowHeight + m_topBase - m_textOffset + 4 : m_topBase;
}

CEditCtrl::MeasuredFrom CEditCtrl::CurrentLayoutInputs() const {
    return MeasuredFrom{m_data, m_data ? m_data->GetLayoutGeneration() : 0, m_data ? m_data->GetDispData().wrapWidth : 0,
                        m_data ? m_data->GetLineCount() : -1};
}

int CEditCtrl::MeasureLine(int line, const CMeasure& m) {
    const CEditLine* rec = m_data->GetLine(line);
    const int width = m.TextWidth(rec->text, rec->Length());
    m_rowIndex.SetWidth(line, width);
    if (width > m_data->GetWidestLineWidth()) m_data->SetWidestLine(line, width);
    return m_data->CalcLineWrap(line, m.metrics);
}

void CEditCtrl::RecalcLineWidth(bool all, int fromLine, int count) {
    if (!m_data) return;
    const int lines = m_data->GetLineCount();
    if (fromLine >= lines) return;
    fromLine = std::max(fromLine, 0);
    const bool unchanged = all && IsWindow() && m_measuredFrom.data && m_measuredFrom == CurrentLayoutInputs() &&
                           m_rowIndex.LineCount() == lines;
    m_measuredFrom = MeasuredFrom{};
    try {
        // Line ends typed or removed: the index follows by the difference,
        // which the caller's re-measured range covers. Nothing to measure
        // when nothing the layout depends on changed since every line was.
        if (unchanged) {
        } else if (all || m_rowIndex.LineCount() == 0) {
            CRowIndex fresh;  // built aside: short of memory, the old one stays
            fresh.Reset(lines);
            m_rowIndex = std::move(fresh);
            all = true;
            fromLine = 0;
        } else if (const int delta = lines - m_rowIndex.LineCount(); delta > 0) {
            m_rowIndex.InsertLines(std::min(fromLine + 1, m_rowIndex.LineCount()), delta);
        } else if (delta < 0) {
            m_rowIndex.DeleteLines(std::min(fromLine + 1, lines), -delta);
        }
    } catch (const std::bad_alloc&) {
        ShowMessageBox(m_hWnd, L"メモリが確保できません", L"メッセージ", MB_ICONINFORMATION);
        return;
    }
    if (!unchanged) {
        const CMeasure m = Measure();
        const int end = all ? lines : std::min(lines, fromLine + std::max(count, 0));
        // Without a window nothing is measured: one row a line.
        const bool window = IsWindow();
        if (all) m_rowIndex.BeginWidths();
        for (int i = fromLine; i < end; ++i) {
            m_rowIndex.SetRowCount(i, window ? MeasureLine(i, m) : 1);
        }
        m_rowIndex.EndWidths();
        Disp().MeasuringDC().Release();
    }
    // The widest line: the first of the widest width.
    if (all || m_data->GetWidestLineWidth() != m_rowIndex.WidestWidth()) {
        const int widest = m_rowIndex.FindWidestLine();
        if (widest >= 0) m_data->SetWidestLine(widest, m_rowIndex.Width(widest));
    }
    DispData().displayRows = m_rowIndex.TotalRows();
    if (all && IsWindow()) m_measuredFrom = CurrentLayoutInputs();
}

int CEditCtrl::GetLineOfRow(int row) { return m_rowIndex.LineOfRow(row); }

int CEditCtrl::GetFirstRowOfLine(int line) { return m_rowIndex.FirstRow(line); }

int CEditCtrl::GetRowOffset(int row) { return row - m_rowIndex.FirstRow(m_rowIndex.LineOfRow(row)); }

int CEditCtrl::GetColumnX(int line, int column) {
    const CEditLine* rec = m_data->GetLine(line);
    return Measure().TextWidth(rec->text, std::min(column, rec->Length()));
}

void CEditCtrl::RecalcVisibleRows() {
    const CRect rc = GetScrollClientRect();
    m_visibleRows = std::max(1, (rc.Height() - m_bottomMargin - m_topMargin) / std::max(1, m_rowHeight) + 1);
}

int CEditCtrl::GetVisibleColumns() {
    const CRect rc = GetScrollClientRect();
    return (rc.Width() - m_rightMargin - m_leftMargin) / std::max(1, m_charWidth) + 1;
}

int CEditCtrl::GetMaxColumn() {
    const int wrapColumns = m_data ? DispData().wrapColumns : INT_MAX;
    return std::min(GetWidestWidth() / std::max(1, m_charWidth) + 1, wrapColumns);
}

int CEditCtrl::GetContentWidth() {
    const long long w = (static_cast<long long>(GetMaxColumn()) + 1) * m_charWidth + m_leftMargin;
    return w > INT_MAX ? INT_MAX : static_cast<int>(w);
}

int CEditCtrl::GetContentHeight() {
    const int rows = m_data ? DispData().displayRows + ((m_style & ECS_EXTRA_LAST_ROW) ? 1 : 0) : 1;
    const long long h = static_cast<long long>(m_rowHeight) * rows + m_topMargin;
    return h > INT_MAX ? INT_MAX : static_cast<int>(h);
}

int CEditCtrl::GetMaxRow() {
    const int rows = m_data ? DispData().displayRows : 1;
    return (m_style & ECS_EXTRA_LAST_ROW) ? rows : rows - 1;
}

void CEditCtrl::RecalcLayout(int caretFlag, bool remeasure) {
    if (!IsWindow() || !m_data) return;
    Disp().AttrCache().Clear();
    RecalcMargins();
    if (remeasure) {
        RecalcLineWidth(true);
        if (ScanLineStates(0, -1)) InvalidateAll(FALSE);
    }
    RecalcVisibleRows();
    UpdateScrollBars();
    UpdateCaret(caretFlag);
    DropBackBuffer();
    RecalcClientSize();
    Invalidate(TRUE);
    SendParent(WM_EDIT_LAYOUTCHANGED);
}

void CEditCtrl::Relayout(int caretFlag) {
    RecalcLayout(caretFlag, true);
    if (m_paneMode && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_RECALC, caretFlag, 0);
}

void CEditCtrl::RefreshLayout(int caretFlag) {
    if (!IsWindow() || !m_data) return;
    Disp().AttrCache().Clear();
    RecalcMargins();
    RecalcLineWidth(true);
    ScanLineStates(0, -1);
    RecalcVisibleRows();
    UpdateScrollBars();
    UpdateCaret(caretFlag);
    DropBackBuffer();
    Invalidate(TRUE);
    SendParent(WM_EDIT_LAYOUTCHANGED);
}

void CEditCtrl::UpdateLineStates(int from, int to) {
    if (ScanLineStates(from, to)) InvalidateAll(FALSE);
}

bool CEditCtrl::ScanLineStates(int from, int to) {
    if ((m_style & ECS_NO_COMMENT_SYNTAX) || !m_data) return false;
    bool changed = false;
    m_data->UpdateLineStates(from, to, static_cast<int>(m_style & (LineStateSkip | LineStateTags)), changed);
    // Lines whose start state changed are coloured anew, though their text is the same.
    if (changed) Disp().AttrCache().Clear();
    return changed;
}

void CEditCtrl::RecalcClientSize() {
    if (!IsWindow()) return;
    m_body = GetScrollClientRect();
    m_body.left = m_leftMargin;
    m_body.top = m_topMargin;
    if (m_data && DispData().wrapMode == WrapMode::FixedColumns) {
        const long long right = m_leftMargin + static_cast<long long>(DispData().wrapColumns) * m_charWidth;
        m_body.right = right > INT_MAX ? INT_MAX : static_cast<int>(right);
    }
}

void CEditCtrl::RedrawAll() {
    if (m_paneMode && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_INVALIDATE, 1, 0);
    InvalidateAll(TRUE);
}

void CEditCtrl::InvalidateAll(BOOL erase) {
    if (!IsWindow()) return;
    Invalidate(erase);
    SendParent(WM_EDIT_LAYOUTCHANGED);
}

void CEditCtrl::SetColor(int index, COLORREF color) {
    if (m_data) Disp().SetColor(index, color);
    DropBackBuffer();
}

void CEditCtrl::SetHighlight(CHighlightMatcher* matcher) {
    m_highlight = matcher;
    if (m_data) Disp().AttrCache().Clear();
}

void CEditCtrl::UpdateModifiedColor() {
    if (!(m_style & ECS_MODIFIED_BACKGROUND) || !m_data) return;
    SetColor(BG_COLOR, m_data->IsModified() ? m_modifiedBackground : m_unmodifiedBackground);
}

void CEditCtrl::OnScrolled(int dx, int dy, BOOL thumbTracking) {
    // Sideways the whole window is painted again: pixels moved while a row
    // or the ruler still waited for its paint came out half erased.
    if (dx) Invalidate(FALSE);
    if (m_paneMode && dx && m_data) Disp().BroadcastMessage(m_hWnd, WM_EDIT_SYNC_INVALIDATE, 1, 0);
    if (!m_placingCaret) UpdateCaret(0);
    SendParent(WM_EDIT_SCROLLED);
}

void CEditCtrl::SendParent(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HWND parent = GetParentOfChild(m_hWnd)) ::SendMessageW(parent, msg, wParam, lParam);
}

void CEditCtrl::DropBackBuffer() { m_backBuffer.Destroy(); }

LRESULT CEditCtrl::OnImeRequest(WPARAM wParam, LPARAM lParam) {
    if (wParam != IMR_RECONVERTSTRING || !m_data) return 0;
    const CEditDispData& disp = DispData();
    if (disp.selStart.line < 0 || disp.selStart.line != disp.selEnd.line || disp.selStart.column >= disp.selEnd.column)
        return 0;
    const int line = disp.selStart.line;
    const int from = std::min(disp.selStart.column, m_data->GetLineLength(line));
    const int length = std::min(disp.selEnd.column, m_data->GetLineLength(line)) - from;
    if (length <= 0) return 0;
    const DWORD needed = static_cast<DWORD>(sizeof(RECONVERTSTRING) + (length + 1) * sizeof(wchar_t));
    if (!lParam) return needed;
    auto* rs = reinterpret_cast<RECONVERTSTRING*>(lParam);
    // The caller's buffer must hold it all.
    if (rs->dwSize < needed) return 0;
    m_data->SetCaretPos(line, from);
    UpdateCaret(0);
    rs->dwSize = needed;
    rs->dwVersion = 0;
    rs->dwStrLen = static_cast<DWORD>(length);
    rs->dwStrOffset = sizeof(RECONVERTSTRING);
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(rs) + sizeof(RECONVERTSTRING));
    std::memcpy(out, m_data->GetLineText(line) + from, static_cast<size_t>(length) * sizeof(wchar_t));
    out[length] = 0;
    rs->dwCompStrLen = rs->dwTargetStrLen = static_cast<DWORD>(length);
    rs->dwCompStrOffset = rs->dwTargetStrOffset = 0;
    return lParam;
}

void CEditCtrl::OnTimer(UINT_PTR id) {
    if (id == kTimerIdlePointer) {
        if (m_idleCountdown > 0 && --m_idleCountdown == 0) {
            if (m_style & ECS_IDLE_POINTER) ::SetCursor(nullptr);
            Invalidate(TRUE);
        }
    } else if (id == kTimerBracket) {
        KillTimer(kTimerBracket);
        if (!m_data) return;
        for (EditPos& p : Disp().flashBracket) {
            if (p.line >= 0) MirrorRedrawLine(p.line);
            p = {-1, -1};
        }
    } else if (id == kTimerTripleClick) {
        KillTimer(kTimerTripleClick);
        m_tripleClickArmed = false;
    } else if (id == kTimerDragScroll) {
        if (!m_data || ::GetCapture() != m_hWnd) {
            KillTimer(kTimerDragScroll);
            return;
        }
        CPoint p;
        ::GetCursorPos(&p);
        ScreenToClient(&p);
        CEditDispData& d = DispData();
        if (!PointInBody(p) && d.mouseSelection == MouseSelection::Pressed) d.mouseSelection = MouseSelection::Dragging;
        if (d.mouseSelection == MouseSelection::Dragging && !PointInBody(p)) MouseSelectTo(true, p.x, p.y);
    }
}

LRESULT CEditCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        PaintTo(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 0;  // the paint covers everything
    case WM_SIZE:
        if (LOWORD(lParam) && m_data) {
            if (DispData().wrapMode == WrapMode::WindowWidth) {
                SetWrapWidthToWindow(LOWORD(lParam));
                RecalcLineWidth(true);
            }
            RecalcVisibleRows();
            UpdateScrollBars();
            UpdateCaret(0, true);
            RecalcClientSize();
            DropBackBuffer();
        }
        break;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        break;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        break;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), CPoint::FromLParam(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp();
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(CPoint::FromLParam(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), CPoint::FromLParam(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wParam), CPoint::FromLParam(lParam));
        break;  // the scroll window hands it on to the parent
    case WM_CAPTURECHANGED:
        // Lost to someone else (a message box during a drag): the drag ends.
        if (reinterpret_cast<HWND>(lParam) != m_hWnd) {
            KillTimer(kTimerDragScroll);
            if (m_data) DispData().mouseSelection = MouseSelection::None;
        }
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && (m_style & (ECS_CLICKABLE_URL | ECS_IDLE_POINTER))) {
            CPoint p;
            ::GetCursorPos(&p);
            ScreenToClient(&p);
            UpdatePointer(p);
            if ((m_style & ECS_IDLE_POINTER) && m_idleCountdown == 0) return TRUE;
            if (PointInBody(p)) return TRUE;
        }
        break;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        if (m_data && m_data->GetUndo()) m_data->GetUndo()->CloseCoalescing();
        break;
    case WM_IME_NOTIFY:
        if (wParam == IMN_SETOPENSTATUS && (m_style & ECS_IME_CARET) && HasFocus()) {
            CreateEditCaret(true);
            UpdateCaret(0);
        }
        break;
    case WM_IME_CHAR:
        InsertChar(static_cast<char32_t>(wParam));
        return 0;
    case WM_IME_REQUEST:
        if (wParam == IMR_RECONVERTSTRING) return OnImeRequest(wParam, lParam);
        break;
    case WM_EDIT_INSERT_TEXT:
        if (wParam) m_model.ReplaceSelection(AsU16(reinterpret_cast<const wchar_t*>(wParam)), false);
        return 0;
    case WM_EDIT_SYNC_INVALIDATE:
        Invalidate(wParam ? TRUE : FALSE);
        SendParent(WM_EDIT_LAYOUTCHANGED);
        return 0;
    case WM_EDIT_SYNC_LINECHANGED:
        OnSyncLineChanged(wParam);
        return 0;
    case WM_EDIT_SYNC_REDRAWLINE:
        RedrawLine(static_cast<int>(wParam));
        return 0;
    case WM_EDIT_SYNC_REDRAWLINES:
        InvalidateLines(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_EDIT_SYNC_REDRAWMARGIN:
        RedrawMargin(static_cast<int>(wParam));
        return 0;
    case WM_EDIT_SYNC_RULERMARK:
        RulerMark(static_cast<int>(wParam));
        return 0;
    case WM_EDIT_SYNC_RECALC:
        RecalcLayout(static_cast<int>(wParam), false);
        return 0;
    case WM_EDIT_RELAYOUT:
        Relayout(static_cast<int>(wParam));
        return 0;
    default:
        break;
    }
    return CScrollWnd::WindowProc(msg, wParam, lParam);
}
