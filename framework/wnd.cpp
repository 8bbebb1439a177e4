#include "framework/wnd.h"

#include <vector>

namespace {

const wchar_t kObjectProp[] = L"TORKA_CWnd";

// The object whose window is being created on this thread, until its first
// message takes it up.
thread_local CWnd* t_creating = nullptr;

// Keeps t_creating for the span of one CreateWindowEx, restoring the outer
// value when creation nests.
class CreatingScope {
public:
    explicit CreatingScope(CWnd* wnd) : outer_(t_creating) { t_creating = wnd; }
    ~CreatingScope() { t_creating = outer_; }
    bool TakenUp(CWnd* wnd) const { return t_creating != wnd; }

private:
    CWnd* outer_;
};

// One message being handled, kept on the stack of the dispatch that handles
// it: the object may be deleted by its own handler, and then its frames
// forget it rather than the object forgetting its frames.
struct DispatchFrame {
    CWnd* wnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    DispatchFrame* outer;
};
thread_local DispatchFrame* t_dispatching = nullptr;
thread_local CWndLifeWatch* t_watches = nullptr;

class DispatchScope {
public:
    DispatchScope(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam)
        : frame_{wnd, msg, wParam, lParam, t_dispatching}, watch_(wnd) {
        t_dispatching = &frame_;
    }
    ~DispatchScope() { t_dispatching = frame_.outer; }
    // False once the object was deleted during the handler.
    bool Alive() const { return watch_.Alive(); }

private:
    DispatchFrame frame_;
    CWndLifeWatch watch_;
};

}  // namespace

CWndLifeWatch::CWndLifeWatch(CWnd* wnd) : wnd_(wnd), outer_(t_watches) { t_watches = this; }

CWndLifeWatch::~CWndLifeWatch() { t_watches = outer_; }

CWnd::~CWnd() {
    for (DispatchFrame* f = t_dispatching; f; f = f->outer)
        if (f->wnd == this) f->wnd = nullptr;
    for (CWndLifeWatch* w = t_watches; w; w = w->outer_)
        if (w->wnd_ == this) w->wnd_ = nullptr;
    if (!m_hWnd) return;
    // Derived handlers are gone by now: the window dies with its default
    // processing only (a foreign control's own procedure given back).
    HWND hwnd = m_hWnd;
    if (superProc_ != ::DefWindowProcW)
        UnsubclassWindow();
    else
        Detach();
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

CWnd* CWnd::Lookup(HWND hwnd) { return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProp)); }

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    // A property of another process's window would hold a foreign address.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId()) return nullptr;
    return Lookup(hwnd);
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

void CWnd::Detach() {
    ::RemovePropW(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

bool CWnd::RegisterWindowClass(const wchar_t* className, UINT classStyle, HCURSOR cursor, HBRUSH background,
                               HICON icon) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSW existing{};
    if (::GetClassInfoW(inst, className, &existing)) return true;
    WNDCLASSW wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = inst;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

BOOL CWnd::Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect, HWND parent,
                  UINT id) {
    return CreateEx(0, className, windowName, style, rect, parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    const RECT& rect, HWND parent, HMENU menuOrId, void* param) {
    if (m_hWnd) return FALSE;
    HWND hwnd;
    bool takenUp;
    CWndLifeWatch watch(this);
    {
        CreatingScope scope(this);
        hwnd = ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                 ::GetModuleHandleW(nullptr), param);
        takenUp = scope.TakenUp(this);
    }
    // A refused window that owns its object has deleted it on the way out.
    if (!watch.Alive()) return FALSE;
    if (!hwnd) {
        // OnCreate refused, or the class does not exist; the object may have
        // been attached and detached again on the way.
        m_hWnd = nullptr;
        return FALSE;
    }
    if (!takenUp) return SubclassWindow(hwnd);
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !hwnd || Lookup(hwnd)) return FALSE;
    Attach(hwnd);
    superProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
    superProc_ = ::DefWindowProcW;
    Detach();
    return hwnd;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CWnd* CWnd::ExchangeCreating(CWnd* wnd) {
    CWnd* previous = t_creating;
    t_creating = wnd;
    return previous;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = Lookup(hwnd);
    if (!wnd) {
        wnd = t_creating;
        if (!wnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        t_creating = nullptr;
        wnd->Attach(hwnd);
    }
    return wnd->Dispatch(msg, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    DispatchScope scope(this, msg, wParam, lParam);
    LRESULT result = WindowProc(msg, wParam, lParam);
    if (!scope.Alive()) return result;
    if (msg == WM_NCDESTROY) {
        if (superProc_ != ::DefWindowProcW) {
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
            superProc_ = ::DefWindowProcW;
        }
        Detach();
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::Default() {
    for (DispatchFrame* f = t_dispatching; f; f = f->outer)
        if (f->wnd == this) return DefWindowProc(f->msg, f->wParam, f->lParam);
    return 0;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(superProc_, m_hWnd, msg, wParam, lParam);
}

int CWnd::OnCreate(CREATESTRUCTW*) { return static_cast<int>(Default()); }

void CWnd::OnDestroy() { Default(); }

HWND CWnd::GetScrollBarCtrl(int) const { return nullptr; }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

CString CWnd::GetWindowText() const {
    int n = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
    n = ::GetWindowTextW(m_hWnd, buf.data(), n + 1);
    return CString(buf.data(), n);
}

CRect CWnd::GetClientRect() const {
    CRect r;
    ::GetClientRect(m_hWnd, &r);
    return r;
}

CRect CWnd::GetWindowRect() const {
    CRect r;
    ::GetWindowRect(m_hWnd, &r);
    return r;
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    if (HWND ctrl = GetScrollBarCtrl(bar)) return ::GetScrollInfo(ctrl, SB_CTL, info);
    return ::GetScrollInfo(m_hWnd, bar, info);
}

BOOL CWnd::SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw) {
    info->cbSize = sizeof(SCROLLINFO);
    if (HWND ctrl = GetScrollBarCtrl(bar)) {
        ::SetScrollInfo(ctrl, SB_CTL, info, redraw);
        return TRUE;
    }
    ::SetScrollInfo(m_hWnd, bar, info, redraw);
    return TRUE;
}

int CWnd::GetScrollPos(int bar) const {
    if (HWND ctrl = GetScrollBarCtrl(bar)) return ::GetScrollPos(ctrl, SB_CTL);
    return ::GetScrollPos(m_hWnd, bar);
}

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) {
    if (HWND ctrl = GetScrollBarCtrl(bar)) return ::SetScrollPos(ctrl, SB_CTL, pos, redraw);
    return ::SetScrollPos(m_hWnd, bar, pos, redraw);
}

int CWnd::GetScrollLimit(int bar) const {
    SCROLLINFO info{};
    if (!GetScrollInfo(bar, &info, SIF_RANGE | SIF_PAGE)) return 0;
    int page = static_cast<int>(info.nPage);
    return info.nMax - (page > 1 ? page - 1 : 0);
}

void CWnd::ShowScrollBar(int bar, BOOL show) {
    if (HWND ctrl = GetScrollBarCtrl(bar))
        ::ShowWindow(ctrl, show ? SW_SHOW : SW_HIDE);
    else
        ::ShowScrollBar(m_hWnd, bar, show);
}

BOOL CWnd::EnableScrollBar(int bar, UINT arrows) {
    if (HWND ctrl = GetScrollBarCtrl(bar)) return ::EnableScrollBar(ctrl, SB_CTL, arrows);
    return ::EnableScrollBar(m_hWnd, bar, arrows);
}
