#include "framework/sizing_bar.h"

#include <algorithm>
#include <string>

#include "framework/app.h"
#include "framework/frame.h"

namespace {

const wchar_t kSizingBarClass[] = L"TORKA_SizingBar";
// The frame between the window's edge and what it holds, when docked.
constexpr int kInset = 5;
constexpr int kCloseSize = 11;

std::vector<CSizingControlBar*>& LiveBars() {
    static std::vector<CSizingControlBar*> bars;
    return bars;
}

std::wstring StateSection(const wchar_t* profileName, int id) {
    return std::wstring(profileName) + L"-SCBar-" + std::to_wstring(id);
}

void Draw3dRect(HDC dc, const CRect& r, COLORREF topLeft, COLORREF bottomRight) {
    auto fill = [dc](int x, int y, int w, int h, COLORREF c) {
        ::SetBkColor(dc, c);
        RECT f{x, y, x + w, y + h};
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &f, nullptr, 0, nullptr);
    };
    const int w = r.Width(), h = r.Height();
    fill(r.left, r.top, w - 1, 1, topLeft);
    fill(r.left, r.top, 1, h - 1, topLeft);
    fill(r.right - 1, r.top, 1, h, bottomRight);
    fill(r.left, r.bottom - 1, w, 1, bottomRight);
}

}  // namespace

CSizingControlBar::CSizingControlBar() { sizes_.minimum = {32, 32}; }

CSizingControlBar::~CSizingControlBar() {
    auto& bars = LiveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    DestroyWindow();
}

const std::vector<CSizingControlBar*>& CSizingControlBar::AllBars() { return LiveBars(); }

BOOL CSizingControlBar::Create(const wchar_t* title, CWnd* parent, CSize size, BOOL hasGripper, UINT id, DWORD style) {
    sizes_.SetAll({size.cx, size.cy});
    gripperWidth_ = hasGripper ? 12 : 0;
    scbStyle_ = style & 0xFFFF;
    CWnd::RegisterWindowClass(kSizingBarClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                              reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD windowStyle = ((style & 0xFFFF0000u) & ~0x00400000u) | WS_CLIPCHILDREN;
    CreateEx(0, kSizingBarClass, title, windowStyle, CRect(0, 0, size.cx, size.cy), parent ? parent->m_hWnd : nullptr,
             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    if (auto* frame = dynamic_cast<CFrameWnd*>(parent)) m_pDockSite = frame;
    return m_hWnd != nullptr;
}

int CSizingControlBar::OnCreate(CREATESTRUCTW* cs) {
    if (CControlBar::OnCreate(cs) == -1) return -1;
    LiveBars().push_back(this);
    ReadDragFullWindows();
    return 0;
}

void CSizingControlBar::OnDestroy() {
    if (tracking_) OnTrackEnd();
    auto& bars = LiveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    CControlBar::OnDestroy();
}

void CSizingControlBar::ReadDragFullWindows() {
    BOOL full = TRUE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    dragFullWindows_ = full != FALSE;
}

void CSizingControlBar::LoadState(const wchar_t* profileName) {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const std::wstring section = StateSection(profileName, GetDlgCtrlID());
    sizes_.Load([&](std::u16string_view key, int current) {
        const std::wstring k(key.begin(), key.end());
        return static_cast<int>(app->CWinApp::GetProfileInt(section.c_str(), k.c_str(), current));
    });
}

void CSizingControlBar::SaveState(const wchar_t* profileName) {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const std::wstring section = StateSection(profileName, GetDlgCtrlID());
    sizes_.Save([&](std::u16string_view key, int value) {
        const std::wstring k(key.begin(), key.end());
        app->CWinApp::WriteProfileInt(section.c_str(), k.c_str(), value);
    });
}

std::vector<CSizingControlBar*> CSizingControlBar::RowSizingBars() const {
    std::vector<CSizingControlBar*> row;
    if (!m_pDockBar) return row;
    const int at = m_pDockBar->Find(this);
    if (at < 0) return row;
    size_t first, last;
    RowBounds(m_pDockBar->m_arrBars, static_cast<size_t>(at), &first, &last);
    for (size_t i = first; i < last; ++i)
        if (auto* bar = dynamic_cast<CSizingControlBar*>(m_pDockBar->m_arrBars[i]); bar && bar->IsVisible())
            row.push_back(bar);
    return row;
}

void CSizingControlBar::NegotiateRow(bool horizontal) {
    std::vector<CControlBar*>& list = m_pDockBar->m_arrBars;
    const int at = m_pDockBar->Find(this);
    size_t first, last;
    RowBounds(list, static_cast<size_t>(at), &first, &last);
    std::vector<RowBar> table;
    for (size_t i = first; i < last; ++i) {
        CControlBar* bar = list[i];
        RowBar row;
        row.visible = bar->IsVisible();
        if (auto* sizing = dynamic_cast<CSizingControlBar*>(bar)) {
            row.size = sizing->sizes_.Docked(horizontal);
            row.minimum = sizing->sizes_.minimum;
            row.keepSize = sizing->keepSize_;
        } else {
            const CSize s = bar->GetWindowRect().Size();
            row.sizing = false;
            row.size = {s.cx, s.cy};
        }
        table.push_back(row);
    }
    const CRect& area = m_pDockBar->m_rect;
    const int length = horizontal ? area.Width() + 2 : area.Height() - 2;
    if (!DistributeRowSpace(table, length, horizontal)) {
        if (last - first > 1) MoveToOwnRow(list, static_cast<size_t>(at));
        return;
    }
    for (size_t i = first; i < last; ++i)
        if (auto* sizing = dynamic_cast<CSizingControlBar*>(list[i])) {
            sizing->sizes_.Docked(horizontal) = table[i - first].size;
            sizing->keepSize_ = false;
        }
}

CSize CSizingControlBar::CalcFixedLayout(BOOL stretch, BOOL horizontal) {
    if (stretch) return horizontal ? CSize(0x7FFF, sizes_.horz.cy) : CSize(sizes_.vert.cx, 0x7FFF);
    if (m_pDockBar && rowNeedsNegotiation_) {
        const auto row = RowSizingBars();
        if (!row.empty() && row.front() == this) NegotiateRow(horizontal != FALSE);
    }
    rowNeedsNegotiation_ = false;
    const BarSize s = sizes_.DockedAtLeastMinimum(horizontal != FALSE);
    return CSize(s.cx, s.cy);
}

CSize CSizingControlBar::CalcDynamicLayout(int length, DWORD mode) {
    if (mode & (LM_HORZDOCK | LM_VERTDOCK)) {
        if (length == -1) rowNeedsNegotiation_ = true;
        return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZDOCK) != 0);
    }
    FloatAsk ask = (mode & LM_LENGTHY) ? FloatAsk::LengthY : FloatAsk::Length;
    if (mode & (LM_MRUWIDTH | LM_COMMIT)) ask = FloatAsk::Query;
    const BarSize s = sizes_.FloatingLayout(length, ask);
    return CSize(s.cx, s.cy);
}

// --- frame --------------------------------------------------------------

void CSizingControlBar::CalcNcRects(CRect& r, bool computeEdges) {
    // r: the window's rectangle in any coordinates; becomes the client's.
    const CRect window = r;
    closeRect_.SetRectEmpty();
    if (!m_pDockBar) return;
    if (computeEdges) {
        scbStyle_ &= ~SCBS_EDGEALL;
        const UINT id = m_pDockBar->GetId();
        const bool horizontal = m_pDockBar->IsHorizontal();
        scbStyle_ |= id == AFX_IDW_DOCKBAR_TOP      ? SCBS_EDGEBOTTOM
                     : id == AFX_IDW_DOCKBAR_BOTTOM ? SCBS_EDGETOP
                     : id == AFX_IDW_DOCKBAR_LEFT   ? SCBS_EDGERIGHT
                                                    : SCBS_EDGELEFT;
        const auto row = RowSizingBars();
        const auto me = std::find(row.begin(), row.end(), this);
        if (me != row.end() && me != row.begin()) scbStyle_ |= horizontal ? SCBS_EDGELEFT : SCBS_EDGETOP;
        if (me != row.end() && me + 1 != row.end()) scbStyle_ |= horizontal ? SCBS_EDGERIGHT : SCBS_EDGEBOTTOM;
    }
    r.InflateRect(-kInset, -kInset);
    if (scbStyle_ & SCBS_EDGELEFT) r.left += edgeWidth_;
    if (scbStyle_ & SCBS_EDGERIGHT) r.right -= edgeWidth_;
    if (scbStyle_ & SCBS_EDGETOP) r.top += edgeWidth_;
    if (scbStyle_ & SCBS_EDGEBOTTOM) r.bottom -= edgeWidth_;
    if (gripperWidth_ > 0) {
        CRect strip = r;
        if (IsHorizontalDock(m_pDockBar->GetId())) {
            strip.right = strip.left + gripperWidth_;
            r.left += gripperWidth_;
            closeRect_ = CRect(strip.left, strip.top, strip.left + kCloseSize, strip.top + kCloseSize);
        } else {
            strip.bottom = strip.top + gripperWidth_;
            r.top += gripperWidth_;
            closeRect_ = CRect(strip.right - kCloseSize, strip.top, strip.right, strip.top + kCloseSize);
        }
        closeRect_.OffsetRect(-window.left, -window.top);
        if (scbStyle_ & SCBS_NOCLOSE) closeRect_.SetRectEmpty();
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
}

CRect CSizingControlBar::EdgeRect(DWORD edge) const {
    // The whole strip from the window's border to the client, so the grip
    // is as wide as the frame there.
    const CRect w = GetWindowRect();
    const int width = w.Width(), height = w.Height();
    const int band = kInset + edgeWidth_;
    switch (edge) {
    case SCBS_EDGELEFT: return CRect(0, 0, band, height);
    case SCBS_EDGERIGHT: return CRect(width - band, 0, width, height);
    case SCBS_EDGETOP: return CRect(0, 0, width, band);
    default: return CRect(0, height - band, width, height);
    }
}

UINT CSizingControlBar::NcHitTest(POINT screen) const {
    const CRect w = GetWindowRect();
    const CPoint p(screen.x - w.left, screen.y - w.top);
    const std::pair<DWORD, UINT> edges[] = {
        {SCBS_EDGELEFT, HTLEFT}, {SCBS_EDGERIGHT, HTRIGHT}, {SCBS_EDGETOP, HTTOP}, {SCBS_EDGEBOTTOM, HTBOTTOM}};
    for (const auto& [edge, hit] : edges)
        if ((scbStyle_ & edge) && EdgeRect(edge).PtInRect(p)) return hit;
    if (!(scbStyle_ & SCBS_NOCLOSE) && closeRect_.PtInRect(p)) return HTCLOSE;
    return HTCLIENT;
}

void CSizingControlBar::NcPaint() {
    HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc) return;
    const CRect w = GetWindowRect();
    CRect whole(0, 0, w.Width(), w.Height());
    CRect client = whole;
    // The client rectangle in window coordinates.
    {
        CRect c = GetClientRect();
        POINT origin{0, 0};
        ClientToScreen(&origin);
        c.OffsetRect(origin.x - w.left, origin.y - w.top);
        client = c;
    }
    ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    ::FillRect(dc, &whole, ::GetSysColorBrush(COLOR_BTNFACE));
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const int inset = (scbStyle_ & SCBS_SHOWEDGES) ? 1 : 0;
    for (DWORD edge : {SCBS_EDGELEFT, SCBS_EDGERIGHT, SCBS_EDGETOP, SCBS_EDGEBOTTOM}) {
        if (!(scbStyle_ & edge)) continue;
        CRect e = EdgeRect(edge);
        if (edge == SCBS_EDGELEFT || edge == SCBS_EDGERIGHT) {
            e.top += kInset;
            e.bottom -= kInset;
            (edge == SCBS_EDGELEFT ? e.left : e.right) += edge == SCBS_EDGELEFT ? kInset : -kInset;
        } else {
            e.left += kInset;
            e.right -= kInset;
            (edge == SCBS_EDGETOP ? e.top : e.bottom) += edge == SCBS_EDGETOP ? kInset : -kInset;
        }
        e.InflateRect(-inset, -inset);
        Draw3dRect(dc, e, light, shadow);
    }
    if (m_pDockBar && gripperWidth_ > 0) NcPaintGripper(dc, client);
    ::ReleaseDC(m_hWnd, dc);
}

void CSizingControlBar::NcPaintGripper(HDC dc, const CRect& client) {
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const bool horizontal = m_pDockBar && m_pDockBar->IsHorizontal();
    const bool hasClose = !(scbStyle_ & SCBS_NOCLOSE) && !closeRect_.IsRectEmpty();
    // Two raised lines 3 pixels apart along the gripper strip.
    for (int i = 0; i < 2; ++i) {
        CRect line;
        if (horizontal) {
            const int x = client.left - gripperWidth_ + 2 + i * 3;
            line = CRect(x, client.top + (hasClose ? kCloseSize + 2 : 0), x + 3, client.bottom);
        } else {
            const int y = client.top - gripperWidth_ + 2 + i * 3;
            line = CRect(client.left, y, client.right - (hasClose ? kCloseSize + 2 : 0), y + 3);
        }
        if (!line.IsRectEmpty()) Draw3dRect(dc, line, light, shadow);
    }
    if (!hasClose) return;
    // The close button's cross, drawn with lines so no symbol font is needed.
    CRect b = closeRect_;
    if (closePushed_)
        ::DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
    else if (closeHot_)
        ::DrawEdge(dc, &b, BDR_RAISEDINNER, BF_RECT);
    const int shift = closePushed_ ? 1 : 0;
    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = ::SelectObject(dc, pen);
    const int l = b.left + 3 + shift, t = b.top + 3 + shift, r = b.right - 3 + shift, btm = b.bottom - 3 + shift;
    for (int d = 0; d < 2; ++d) {
        ::MoveToEx(dc, l + d, t, nullptr);
        ::LineTo(dc, r + d, btm);
        ::MoveToEx(dc, r - 1 + d, t, nullptr);
        ::LineTo(dc, l - 1 + d, btm);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

// --- tracking -----------------------------------------------------------

void CSizingControlBar::OnTrackBegin(UINT hit) {
    CFrameWnd* frame = m_pDockSite;
    if (!frame || !m_pDockBar) return;
    tracking_ = true;
    trackHit_ = hit;
    ::SetCapture(m_hWnd);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    const bool horizontal = m_pDockBar->IsHorizontal();
    const bool axisX = hit == HTLEFT || hit == HTRIGHT;
    BarSize& mine = sizes_.Docked(horizontal);
    trackStartSize_ = axisX ? mine.cx : mine.cy;
    const bool acrossRow = axisX != horizontal;  // e.g. the right edge of a left-docked bar
    const auto row = RowSizingBars();
    trackNeighbour_ = nullptr;
    if (acrossRow) {
        trackMin_ = 0;
        for (CSizingControlBar* bar : row) trackMin_ = std::max(trackMin_, axisX ? bar->sizes_.minimum.cx : bar->sizes_.minimum.cy);
        const CRect inner = frame->GetInnerArea();
        trackMax_ = trackStartSize_ + (axisX ? inner.Width() : inner.Height()) - 4;
    } else {
        trackMin_ = axisX ? sizes_.minimum.cx : sizes_.minimum.cy;
        const auto me = std::find(row.begin(), row.end(), this);
        const bool leading = hit == HTLEFT || hit == HTTOP;
        if (me != row.end()) {
            if (leading && me != row.begin()) trackNeighbour_ = *(me - 1);
            if (!leading && me + 1 != row.end()) trackNeighbour_ = *(me + 1);
        }
        if (trackNeighbour_) {
            const BarSize& n = trackNeighbour_->sizes_.Docked(horizontal);
            neighbourStartSize_ = axisX ? n.cx : n.cy;
            trackMax_ = trackStartSize_ + neighbourStartSize_ -
                        (axisX ? trackNeighbour_->sizes_.minimum.cx : trackNeighbour_->sizes_.minimum.cy);
        } else {
            trackMax_ = trackStartSize_;
        }
    }
    trackMax_ = std::max(trackMax_, trackMin_);
    if (!dragFullWindows_) OnTrackInvertTracker();
}

void CSizingControlBar::OnTrackUpdateSize(POINT screen) {
    const bool horizontal = m_pDockBar && m_pDockBar->IsHorizontal();
    const bool axisX = trackHit_ == HTLEFT || trackHit_ == HTRIGHT;
    const int delta = axisX ? screen.x - trackStart_.x : screen.y - trackStart_.y;
    const bool leading = trackHit_ == HTLEFT || trackHit_ == HTTOP;
    const int wanted = std::clamp(trackStartSize_ + (leading ? -delta : delta), trackMin_, trackMax_);
    BarSize& mine = sizes_.Docked(horizontal);
    int& current = axisX ? mine.cx : mine.cy;
    if (wanted == current) return;
    if (!dragFullWindows_) OnTrackInvertTracker();
    current = wanted;
    if (trackNeighbour_) {
        BarSize& n = trackNeighbour_->sizes_.Docked(horizontal);
        (axisX ? n.cx : n.cy) = neighbourStartSize_ - (wanted - trackStartSize_);
    }
    const bool acrossRow = axisX != horizontal;
    if (acrossRow)
        for (CSizingControlBar* bar : RowSizingBars()) {
            BarSize& s = bar->sizes_.Docked(horizontal);
            (axisX ? s.cx : s.cy) = wanted;
        }
    if (dragFullWindows_) {
        if (m_pDockSite) m_pDockSite->RecalcLayout();
    } else {
        OnTrackInvertTracker();
    }
}

CRect CSizingControlBar::TrackerRect() const {
    // The dragged edge where the drag has taken it, in frame client coordinates.
    CRect r = GetWindowRect();
    if (m_pDockSite) {
        POINT tl = r.TopLeft(), br = r.BottomRight();
        m_pDockSite->ScreenToClient(&tl);
        m_pDockSite->ScreenToClient(&br);
        r = CRect(tl.x, tl.y, br.x, br.y);
    }
    const bool horizontal = m_pDockBar && m_pDockBar->IsHorizontal();
    const BarSize& mine = const_cast<SizingBarSizes&>(sizes_).Docked(horizontal);
    switch (trackHit_) {
    case HTLEFT: r.left = r.right - mine.cx; r.right = r.left + 4; break;
    case HTRIGHT: r.right = r.left + mine.cx; r.left = r.right - 4; break;
    case HTTOP: r.top = r.bottom - mine.cy; r.bottom = r.top + 4; break;
    default: r.bottom = r.top + mine.cy; r.top = r.bottom - 4; break;
    }
    return r;
}

void CSizingControlBar::OnTrackInvertTracker() {
    if (!m_pDockSite) return;
    const CRect r = TrackerRect();
    HDC dc = ::GetDCEx(m_pDockSite->m_hWnd, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!dc) dc = ::GetDC(m_pDockSite->m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(GRAY_BRUSH));
    ::PatBlt(dc, r.left, r.top, r.Width(), r.Height(), PATINVERT);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_pDockSite->m_hWnd, dc);
}

void CSizingControlBar::OnTrackEnd() {
    if (!tracking_) return;
    if (!dragFullWindows_) OnTrackInvertTracker();
    tracking_ = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (m_pDockSite) m_pDockSite->RecalcLayout();
}

void CSizingControlBar::OnUpdateCmdUI(CFrameWnd*) {
    if ((scbStyle_ & SCBS_NOCLOSE) || !m_pDockBar || tracking_) return;
    POINT p;
    ::GetCursorPos(&p);
    const bool hot = NcHitTest(p) == HTCLOSE;
    const bool pushed = hot && (::GetKeyState(VK_LBUTTON) & 0x8000) != 0;
    if (hot == closeHot_ && pushed == closePushed_) return;
    closeHot_ = hot;
    closePushed_ = pushed;
    NcPaint();
}

LRESULT CSizingControlBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        auto* r = reinterpret_cast<RECT*>(lParam);  // rgrc[0] leads NCCALCSIZE_PARAMS too
        CRect rect(*r);
        CalcNcRects(rect, true);
        *r = rect;
        return 0;
    }
    case WM_NCPAINT:
        NcPaint();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_NCHITTEST:
        if (!m_pDockBar) break;
        return NcHitTest(CPoint::FromLParam(lParam));
    case WM_NCLBUTTONDOWN:
        if (m_pDockBar && !tracking_ && wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT) {
            trackStart_ = CPoint::FromLParam(lParam);  // the drag counts from the press
            OnTrackBegin(static_cast<UINT>(wParam));
            return 0;
        }
        if (wParam == HTCLOSE) {
            // Never to the default handling, which would close the window.
            closeHot_ = closePushed_ = true;
            NcPaint();
            return 0;
        }
        break;
    case WM_NCLBUTTONUP:
        if (wParam == HTCLOSE) {
            closePushed_ = false;
            NcPaint();
            if (m_pDockSite) m_pDockSite->ShowControlBar(this, false);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (tracking_) {
            POINT p = CPoint::FromLParam(lParam);
            ClientToScreen(&p);
            OnTrackUpdateSize(p);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
        if (tracking_) {
            OnTrackEnd();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (tracking_ && reinterpret_cast<HWND>(lParam) != m_hWnd) {
            OnTrackEnd();
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        if (m_pDockBar && !tracking_ && !IsDragging() && !(scbStyle_ & SCBS_NODRAG)) {
            POINT p = CPoint::FromLParam(lParam);
            ClientToScreen(&p);
            StartDrag(p);
            return 0;
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (m_pDockBar) {
            ToggleDocking();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        pos->flags |= SWP_FRAMECHANGED;
        dockBarId_ = GetDockBarId();
        if (m_pDockBar && (pos->flags & SWP_SHOWWINDOW)) keepSize_ = true;
        break;
    }
    case WM_SETTINGCHANGE:
        ReadDragFullWindows();
        break;
    }
    return CControlBar::WindowProc(msg, wParam, lParam);
}
