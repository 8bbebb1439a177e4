#include "framework/controlbar.h"

#include <algorithm>
#include <cstdlib>

#include "framework/frame.h"

namespace {

const wchar_t kMiniFrameClass[] = L"TORKA_MiniDockFrame";
// A press that moves less than this is a click, not a drag.
constexpr int kDragThreshold = 4;

}  // namespace

void CDockBar::Insert(CControlBar* bar) {
    if (!m_arrBars.empty()) m_arrBars.push_back(nullptr);
    m_arrBars.push_back(bar);
}

int CDockBar::Find(const CControlBar* bar) const {
    for (size_t i = 0; i < m_arrBars.size(); ++i)
        if (m_arrBars[i] == bar) return static_cast<int>(i);
    return -1;
}

void CDockBar::Remove(CControlBar* bar) {
    const int at = Find(bar);
    if (at < 0) return;
    m_arrBars.erase(m_arrBars.begin() + at);
    // No empty rows: two breaks in a row, or one at either end, go.
    std::vector<CControlBar*> tidy;
    for (CControlBar* b : m_arrBars)
        if (b || (!tidy.empty() && tidy.back())) tidy.push_back(b);
    while (!tidy.empty() && !tidy.back()) tidy.pop_back();
    m_arrBars = tidy;
}

void CDockBar::Layout(CRect& free, HDWP& batch) {
    const bool horizontal = IsHorizontal();
    m_rect = free;
    if (horizontal)
        (id_ == AFX_IDW_DOCKBAR_TOP ? m_rect.bottom = m_rect.top : m_rect.top = m_rect.bottom);
    else
        (id_ == AFX_IDW_DOCKBAR_LEFT ? m_rect.right = m_rect.left : m_rect.left = m_rect.right);
    const CRect area = free;
    size_t first = 0;
    while (first < m_arrBars.size()) {
        size_t last = first;
        while (last < m_arrBars.size() && m_arrBars[last]) ++last;
        // Asking the row's bars for their sizes negotiates the row; a bar
        // that can't fit moves to a row of its own, and the row is asked again.
        std::vector<CSize> sizes;
        const size_t before = m_arrBars.size();
        for (size_t i = first; i < last; ++i) {
            CControlBar* bar = m_arrBars[i];
            sizes.push_back(bar->IsVisible() ? bar->CalcDynamicLayout(-1, horizontal ? LM_HORZDOCK | LM_HORZ : LM_VERTDOCK)
                                             : CSize());
            if (m_arrBars.size() != before) break;
        }
        if (m_arrBars.size() != before) continue;
        int thickness = 0;
        int pos = horizontal ? area.left - 2 : area.top;
        for (size_t i = first; i < last; ++i) {
            CControlBar* bar = m_arrBars[i];
            if (!bar->IsVisible()) continue;
            const CSize s = sizes[i - first];
            const int across = horizontal ? s.cy : s.cx;
            const int along = horizontal ? s.cx : s.cy;
            int x, y;
            if (horizontal) {
                x = pos;
                y = id_ == AFX_IDW_DOCKBAR_TOP ? free.top : free.bottom - across;
            } else {
                y = pos;
                x = id_ == AFX_IDW_DOCKBAR_LEFT ? free.left : free.right - across;
            }
            batch = ::DeferWindowPos(batch, bar->m_hWnd, nullptr, x, y, s.cx, s.cy,
                                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            pos += along - 2;
            thickness = std::max(thickness, across);
        }
        switch (id_) {
        case AFX_IDW_DOCKBAR_TOP: free.top += thickness; break;
        case AFX_IDW_DOCKBAR_BOTTOM: free.bottom -= thickness; break;
        case AFX_IDW_DOCKBAR_LEFT: free.left += thickness; break;
        default: free.right -= thickness; break;
        }
        first = last + 1;
    }
    if (free.right < free.left) free.right = free.left;
    if (free.bottom < free.top) free.bottom = free.top;
    switch (id_) {
    case AFX_IDW_DOCKBAR_TOP: m_rect.bottom = free.top; break;
    case AFX_IDW_DOCKBAR_BOTTOM: m_rect.top = free.bottom; break;
    case AFX_IDW_DOCKBAR_LEFT: m_rect.right = free.left; break;
    default: m_rect.left = free.right; break;
    }
}

// --- CControlBar ---------------------------------------------------------

bool CControlBar::IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE); }

CSize CControlBar::CalcFixedLayout(BOOL, BOOL) { return GetWindowRect().Size(); }

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

void CControlBar::ToggleDocking() {
    if (!m_pDockSite) return;
    if (m_pDockBar)
        m_pDockSite->FloatControlBar(this, floatPos_);
    else
        m_pDockSite->DockControlBar(this, lastDockId_);
}

void CControlBar::StartDrag(POINT screen) {
    if (!m_pDockSite || dragging_) return;
    dragging_ = true;
    dragShown_ = false;
    dragStart_ = screen;
    const CRect r = GetWindowRect();
    dragGrab_ = CPoint(screen.x - r.left, screen.y - r.top);
    dragRect_ = r;
    ::SetCapture(m_hWnd);
}

void CControlBar::InvertDragRect() {
    HDC dc = ::GetDC(nullptr);
    ::DrawFocusRect(dc, &dragRect_);
    CRect inner = dragRect_;
    inner.InflateRect(-1, -1);
    ::DrawFocusRect(dc, &inner);
    ::ReleaseDC(nullptr, dc);
}

void CControlBar::DragTo(POINT screen) {
    if (dragShown_) InvertDragRect();
    const CSize size = dragRect_.Size();
    dragRect_ = CRect(CPoint(screen.x - dragGrab_.x, screen.y - dragGrab_.y), size);
    InvertDragRect();
    dragShown_ = true;
}

void CControlBar::EndDrag(bool drop, POINT screen) {
    if (!dragging_) return;
    dragging_ = false;
    if (dragShown_) InvertDragRect();
    dragShown_ = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (!drop || !m_pDockSite) return;
    const bool moved =
        std::abs(screen.x - dragStart_.x) >= kDragThreshold || std::abs(screen.y - dragStart_.y) >= kDragThreshold;
    if (!moved) return;
    const UINT edge = m_pDockSite->DockBarAt(screen, this);
    if (edge)
        m_pDockSite->DockControlBar(this, edge);
    else
        m_pDockSite->FloatControlBar(this, CPoint(screen.x - dragGrab_.x, screen.y - dragGrab_.y));
}

LRESULT CControlBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (dragging_) {
        POINT p = CPoint::FromLParam(lParam);
        switch (msg) {
        case WM_MOUSEMOVE:
            ClientToScreen(&p);
            DragTo(p);
            return 0;
        case WM_LBUTTONUP:
            ClientToScreen(&p);
            EndDrag(true, p);
            return 0;
        case WM_RBUTTONDOWN:
            EndDrag(false, p);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) EndDrag(false, p);
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hWnd) EndDrag(false, p);
            return 0;
        }
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CControlBar::OnDestroy() {
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
    CWnd::OnDestroy();
}

// --- CMiniDockFrameWnd ---------------------------------------------------

namespace {
constexpr DWORD kMiniStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kMiniExStyle = WS_EX_TOOLWINDOW;
}  // namespace

CSize CMiniDockFrameWnd::FrameSizeFor(CSize client) {
    RECT r{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&r, kMiniStyle, FALSE, kMiniExStyle);
    return CSize(r.right - r.left, r.bottom - r.top);
}

BOOL CMiniDockFrameWnd::Create(CFrameWnd* dockSite, CControlBar* bar, POINT screen) {
    dockSite_ = dockSite;
    bar_ = bar;
    CWnd::RegisterWindowClass(kMiniFrameClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                              reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const CSize client = bar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
    const CSize size = FrameSizeFor(client);
    return CreateEx(kMiniExStyle, kMiniFrameClass, bar->GetWindowText(), kMiniStyle,
                    CRect(screen.x, screen.y, screen.x + size.cx, screen.y + size.cy), dockSite->m_hWnd, nullptr);
}

LRESULT CMiniDockFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (bar_ && bar_->m_hWnd && wParam != SIZE_MINIMIZED) {
            const int cx = LOWORD(lParam), cy = HIWORD(lParam);
            bar_->CalcDynamicLayout(cx, LM_HORZ);
            bar_->CalcDynamicLayout(cy, LM_HORZ | LM_LENGTHY);
            bar_->MoveWindow(0, 0, cx, cy);
        }
        return 0;
    case WM_MOVE:
        if (bar_) {
            const CRect r = GetWindowRect();
            bar_->floatPos_ = r.TopLeft();
        }
        break;
    case WM_CLOSE:
        if (bar_ && dockSite_) dockSite_->ShowControlBar(bar_, false);
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && bar_) {
            bar_->ToggleDocking();  // ends this window
            return 0;
        }
        break;
    case WM_ENTERSIZEMOVE:
        moving_ = false;
        break;
    case WM_MOVING:
        moving_ = true;
        break;
    case WM_EXITSIZEMOVE:
        if (moving_ && bar_ && dockSite_) {
            POINT p;
            ::GetCursorPos(&p);
            if (const UINT edge = dockSite_->DockBarAt(p, bar_)) {
                dockSite_->DockControlBar(bar_, edge);  // ends this window
                return 0;
            }
        }
        break;
    case WM_DESTROY:
        // The frame going first: the bar stays with the frame, still
        // counted as floating, so its state is saved as such.
        if (bar_ && bar_->m_hWnd && ::GetParent(bar_->m_hWnd) == m_hWnd) {
            ::SetParent(bar_->m_hWnd, dockSite_->m_hWnd);
            bar_->floatFrame_ = nullptr;
        }
        bar_ = nullptr;
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
