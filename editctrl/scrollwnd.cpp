#include "editctrl/scrollwnd.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/panehost.h"

namespace {

int ClampToInt(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }

DWORD BarStyle(int bar) { return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL; }

}  // namespace

CWnd* CScrollWnd::PaneView() const { return m_paneMode ? CWnd::FromHandle(GetParentHandle()) : nullptr; }

CPaneHost* CScrollWnd::PaneHost() const {
    CWnd* pane = PaneView();
    return pane ? dynamic_cast<CPaneHost*>(CWnd::FromHandle(pane->GetParentHandle())) : nullptr;
}

HWND CScrollWnd::GetScrollBarCtrl(int bar) const {
    if (CWnd* pane = PaneView(); pane && !(GetStyle() & BarStyle(bar))) return pane->GetScrollBarCtrl(bar);
    return CWnd::GetScrollBarCtrl(bar);
}

CRect CScrollWnd::GetScrollClientRect() const {
    if (CWnd* pane = PaneView()) return pane->GetClientRect();
    return GetClientRect();
}

int CScrollWnd::GetScrollPos(int bar) const {
    if (CWnd* pane = PaneView()) return pane->GetScrollPos(bar);
    return CWnd::GetScrollPos(bar);
}

int CScrollWnd::GetScrollLimit(int bar) const {
    if (CWnd* pane = PaneView()) return pane->GetScrollLimit(bar);
    return CWnd::GetScrollLimit(bar);
}

void CScrollWnd::SetScrollPos(int bar, int pos, BOOL redraw) {
    if (CWnd* pane = PaneView()) {
        if (GetStyle() & BarStyle(bar)) ::SetScrollPos(m_hWnd, bar, pos, redraw);
        pane->SetScrollPos(bar, pos, redraw);
        return;
    }
    CWnd::SetScrollPos(bar, pos, redraw);
}

void CScrollWnd::SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw) {
    if (CWnd* pane = PaneView()) {
        info->cbSize = sizeof(SCROLLINFO);
        if ((GetStyle() & BarStyle(bar)) && info->nMax > 0 && static_cast<int>(info->nPage) < info->nMax)
            ::SetScrollInfo(m_hWnd, bar, info, redraw);
        pane->SetScrollInfo(bar, info, redraw);
        return;
    }
    CWnd::SetScrollInfo(bar, info, redraw);
}

void CScrollWnd::ReadScrollInfo(int bar, SCROLLINFO* info) const {
    if (CWnd* pane = PaneView())
        pane->GetScrollInfo(bar, info, SIF_ALL);
    else
        CWnd::GetScrollInfo(bar, info, SIF_ALL);
}

LRESULT CScrollWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(wParam, CPoint::FromLParam(lParam));
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

int CScrollWnd::OnCreate(CREATESTRUCTW* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    if (!(cs->style & WS_VSCROLL)) m_scrollFlags |= kCreatedWithoutVScroll;
    if (!(cs->style & WS_HSCROLL)) m_scrollFlags |= kCreatedWithoutHScroll;
    for (HWND h = GetParentOfChild(m_hWnd); h; h = GetParentOfChild(h)) {
        if (IsDialogWindow(h)) break;
        if (WndCast<CMDIFrameWnd>(h)) m_insideMdiFrame = TRUE;
    }
    return 0;
}

void CScrollWnd::OnHScroll(UINT code, HWND barCtrl) {
    if (barCtrl != GetScrollBarCtrl(SB_HORZ)) return;
    SCROLLINFO info{};
    ReadScrollInfo(SB_HORZ, &info);
    OnScroll((code & 0xFF) | 0xFF00, code == SB_THUMBTRACK ? info.nTrackPos : info.nPos);
}

void CScrollWnd::OnVScroll(UINT code, HWND barCtrl) {
    if (barCtrl != GetScrollBarCtrl(SB_VERT)) return;
    SCROLLINFO info{};
    ReadScrollInfo(SB_VERT, &info);
    OnScroll(((code & 0xFF) << 8) | 0xFF, code == SB_THUMBTRACK ? info.nTrackPos : info.nPos);
}

BOOL CScrollWnd::OnScroll(UINT code, int position) {
    const int oldX = GetScrollPos(SB_HORZ);
    const int oldY = GetScrollPos(SB_VERT);
    BOOL tracking = FALSE;
    // One axis: line steps, pages (a page always moves at least one), thumb,
    // ends. SB_THUMBPOSITION changes nothing: tracking already moved the view.
    auto move = [&](UINT axisCode, int64_t pos, bool vertical) -> int64_t {
        switch (axisCode) {
        case SB_LINEUP:
            return pos - (vertical ? GetRowStep() : GetColumnStep());
        case SB_LINEDOWN:
            return pos + (vertical ? GetRowStep() : GetColumnStep());
        case SB_PAGEUP: {
            int64_t to = pos - (vertical ? GetVisibleRows() : GetVisibleColumns()) + 1;
            return to < pos ? to : pos - 1;
        }
        case SB_PAGEDOWN: {
            int64_t to = pos + (vertical ? GetVisibleRows() : GetVisibleColumns()) - 1;
            return to > pos ? to : pos + 1;
        }
        case SB_THUMBTRACK:
            tracking = TRUE;
            return position;
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return INT_MAX;
        case SB_ENDSCROLL:
            OnEndScroll();
            return pos;
        }
        return pos;
    };
    const int64_t newX = move(code & 0xFF, oldX, false);
    const int64_t newY = code >= 0x0900 ? oldY : move((code >> 8) & 0xFF, oldY, true);
    return OnScrollBy(ClampToInt(newX - oldX), ClampToInt(newY - oldY), tracking);
}

bool CScrollWnd::BarAllowsScrolling(int bar) const {
    if (m_scrollFlags & (bar == SB_VERT ? kScrollVertWithoutBar : kScrollHorzWithoutBar)) return true;
    if (HWND ctrl = GetScrollBarCtrl(bar)) {
        if (!::IsWindowEnabled(ctrl)) return false;
    } else if (!(GetStyle() & BarStyle(bar))) {
        return false;
    }
    return (bar == SB_VERT ? m_vertBarEnabled : m_horzBarEnabled) != FALSE;
}

BOOL CScrollWnd::OnScrollBy(int dx, int dy, BOOL thumbTracking) {
    if (!BarAllowsScrolling(SB_VERT)) dy = 0;
    if (!BarAllowsScrolling(SB_HORZ)) dx = 0;

    const int oldX = GetScrollPos(SB_HORZ);
    const int oldY = GetScrollPos(SB_VERT);
    // The limit wins over the minimum: an empty range rests at the minimum.
    const int newX = static_cast<int>(
        std::max<int64_t>(GetMinColumn(), std::min<int64_t>(int64_t{oldX} + dx, GetScrollLimit(SB_HORZ))));
    const int newY = static_cast<int>(
        std::max<int64_t>(GetMinRow(), std::min<int64_t>(int64_t{oldY} + dy, GetScrollLimit(SB_VERT))));
    if (newX == oldX && newY == oldY) return FALSE;

    const bool lock = (m_scrollFlags & kLockUpdateWhileScrolling) != 0;
    if (lock) LockWindowUpdate();

    const CRect client = GetScrollClientRect();
    const int left = GetLeftMargin(), top = GetTopMargin();
    const int right = client.Width() - GetRightMargin(), bottom = client.Height() - GetBottomMargin();
    const int pixelsX = ColumnsToPixels(oldX, newX);
    const int pixelsY = RowsToPixels(oldY, newY);
    const CRect body(left, top, right, bottom);
    ScrollWindow(pixelsX, pixelsY, &body, &body);

    if (newX != oldX) SetScrollPos(SB_HORZ, newX);
    if (newY != oldY) SetScrollPos(SB_VERT, newY);
    // The fixed strips follow the body on their one axis.
    if (newX != oldX && top > 0) {
        const CRect strip(left, 0, right, top);
        ScrollWindow(pixelsX, 0, &strip, &strip);
    }
    if (newY != oldY && left > 0) {
        const CRect strip(0, top, left, bottom);
        ScrollWindow(0, pixelsY, &strip, &strip);
    }

    OnScrolled(dx, dy, thumbTracking);
    if (lock) UnlockWindowUpdate();
    return TRUE;
}

void CScrollWnd::OnMouseWheel(short delta) {
    const int units = static_cast<int>(std::ceil(delta / m_wheelDeltaPerRow));
    OnScrollBy(0, -units * GetRowStep(), FALSE);
}

void CScrollWnd::OnRButtonDown(WPARAM flags, CPoint point) {
    HWND parent = GetParentHandle();
    if (!parent) return;
    MapWindowPoints(parent, &point, 1);
    ::SendMessageW(parent, WM_RBUTTONDOWN, flags, point.ToLParam());
}

bool CScrollWnd::NeedBar(bool vertical, int extent) {
    const UINT always = vertical ? kAlwaysVertBar : kAlwaysHorzBar;
    const UINT createdWithout = vertical ? kCreatedWithoutVScroll : kCreatedWithoutHScroll;
    const UINT withoutBar = vertical ? kScrollVertWithoutBar : kScrollHorzWithoutBar;
    if (m_scrollFlags & always) return true;
    const bool contentExceeds =
        !(m_scrollFlags & withoutBar) && extent < (vertical ? GetContentHeight() : GetContentWidth());
    if (CPaneHost* host = PaneHost())
        return (vertical ? host->GetRowCount() : host->GetColumnCount()) > 1 || contentExceeds;
    if (m_scrollFlags & createdWithout) return contentExceeds;
    return true;
}

void CScrollWnd::UpdateScrollBars() {
    CPaneHost* host = PaneHost();
    const DWORD style = host ? host->GetScrollStyle() : GetStyle();
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
    // The client size without bars.
    CRect client = GetScrollClientRect();
    const int width = client.Width() + ((style & WS_VSCROLL) ? barWidth : 0);
    const int height = client.Height() + ((style & WS_HSCROLL) ? barHeight : 0);
    if (m_insideMdiFrame && (height <= barHeight || width <= barWidth)) return;

    bool vert = NeedBar(true, height);
    bool horz = NeedBar(false, width);
    // Each bar takes room from the other axis and may make its bar necessary.
    if (vert && !horz) horz = NeedBar(false, width - barWidth);
    if (horz && !vert) vert = NeedBar(true, height - barHeight);

    const DWORD newStyle =
        (style & ~(WS_VSCROLL | WS_HSCROLL)) | (vert ? WS_VSCROLL : 0) | (horz ? WS_HSCROLL : 0);
    if (newStyle != style) {
        m_barState[0].valid = m_barState[1].valid = false;
        if (host) {
            host->SetScrollStyle(newStyle & (WS_VSCROLL | WS_HSCROLL));
            if ((m_scrollFlags & kPaneAddsBarStyles) &&
                (GetStyle() & (WS_VSCROLL | WS_HSCROLL)) != (WS_VSCROLL | WS_HSCROLL))
                ModifyStyle(0, WS_VSCROLL | WS_HSCROLL, SWP_FRAMECHANGED);
            host->RecalcLayout();
        } else {
            if ((newStyle ^ style) & WS_VSCROLL) CWnd::ShowScrollBar(SB_VERT, vert);
            if ((newStyle ^ style) & WS_HSCROLL) CWnd::ShowScrollBar(SB_HORZ, horz);
        }
    }

    client = GetScrollClientRect();
    m_vertBarEnabled = GetContentHeight() >= client.Height();
    UpdateBar(SB_VERT, vert, m_vertBarEnabled, GetMinRow(), GetMaxRow(), GetRowPageSize());
    m_horzBarEnabled = GetContentWidth() >= client.Width();
    UpdateBar(SB_HORZ, horz, m_horzBarEnabled, GetMinColumn(), GetMaxColumn(), GetColumnPageSize());
}

void CScrollWnd::UpdateBar(int bar, bool wanted, bool enabled, int min, int max, int page) {
    BarState& last = m_barState[bar == SB_VERT ? 1 : 0];
    if (last.valid && last.min == min && last.max == max && last.page == page && last.wanted == wanted &&
        last.enabled == enabled)
        return;
    last = BarState{min, max, page, wanted, enabled, true};
    SCROLLINFO info{};
    info.fMask = SIF_RANGE | SIF_PAGE;
    // A wanted bar stays on screen, disabled, when its range does not scroll:
    // the platform would hide it otherwise.
    if (wanted) info.fMask |= SIF_DISABLENOSCROLL;
    info.nMin = min;
    info.nMax = max;
    info.nPage = static_cast<UINT>(page);
    SetScrollInfo(bar, &info, TRUE);
    // After the range, which re-enables a scrollable bar on its own.
    CWnd::EnableScrollBar(bar, enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
    if (!wanted) CWnd::ShowScrollBar(bar, FALSE);
}
