// CWnd: a C++ object bound to one window. Messages reach the object's
// WindowProc, an override of which switches on the message and calls named
// handlers, passing the rest on to its base.
//
// The object is found from the window handle through a window property, so
// GWLP_USERDATA stays free for window code, and a procedure that later
// subclasses the window through GWLP_WNDPROC and calls on to ours still
// reaches the object. Objects attach while the window is being created: the
// thread's "object being created" is taken up by the first message the new
// window receives (WM_NCCREATE, or WM_GETMINMAXINFO before it for top-level
// windows), so OnCreate already runs on the object.
//
// Lifetimes: a handler may end the object (a window whose PostNcDestroy
// deletes it, closed from its own handler); dispatch keeps what it needs on
// the stack and touches the object no more once it is gone. A destructor
// runs after the derived parts are gone, so a class whose OnDestroy does
// work destroys its window in its own destructor; the base destructor
// destroys a window still alive with the object already detached, so only
// the window's default processing runs, never a handler of half an object.
#pragma once

#include <windows.h>

#include "framework/cmdtarget.h"
#include "framework/fwstring.h"
#include "framework/geometry.h"

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a window of this process, or null.
    static CWnd* FromHandle(HWND hwnd);

    // Registers a window class whose windows are served by CWnd objects.
    // Registering a name twice succeeds.
    static bool RegisterWindowClass(const wchar_t* className, UINT classStyle, HCURSOR cursor,
                                    HBRUSH background, HICON icon = nullptr);

    virtual BOOL Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                        HWND parent, UINT id);
    // Windows of a foreign class are attached right after creation, so they
    // miss their creation messages.
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                  const RECT& rect, HWND parent, HMENU menuOrId, void* param = nullptr);
    // Routes an existing window's messages through this object.
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // A message of this window or a descendant before it is dispatched;
    // true when it was handled here (keys translated, dialog navigation).
    virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
    // The default processing of the message being handled / of any message.
    LRESULT Default();
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // A scroll-bar control that serves this window's bar, or null for the
    // window's own bar.
    virtual HWND GetScrollBarCtrl(int bar) const;

    // Window state.
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    HWND GetParentHandle() const { return ::GetParent(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CString GetWindowText() const;
    BOOL SetWindowText(const wchar_t* text) { return ::SetWindowTextW(m_hWnd, text); }
    bool HasFocus() const { return m_hWnd && ::GetFocus() == m_hWnd; }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }

    // Geometry.
    CRect GetClientRect() const;
    CRect GetWindowRect() const;
    void ClientToScreen(POINT* p) const { ::ClientToScreen(m_hWnd, p); }
    void ScreenToClient(POINT* p) const { ::ScreenToClient(m_hWnd, p); }
    void MapWindowPoints(HWND to, POINT* points, UINT count) const {
        ::MapWindowPoints(m_hWnd, to, points, count);
    }
    BOOL MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) {
        return ::MoveWindow(m_hWnd, x, y, w, h, repaint);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int w, int h, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, x, y, w, h, flags);
    }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }

    // Painting.
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL LockWindowUpdate() { return ::LockWindowUpdate(m_hWnd); }
    static void UnlockWindowUpdate() { ::LockWindowUpdate(nullptr); }
    void ScrollWindow(int dx, int dy, const RECT* rect = nullptr, const RECT* clip = nullptr) {
        ::ScrollWindow(m_hWnd, dx, dy, rect, clip);
    }

    // Scroll bars: the control GetScrollBarCtrl names, else the window's own.
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    // The highest position the thumb can reach: nMax - (nPage - 1).
    int GetScrollLimit(int bar) const;
    void ShowScrollBar(int bar, BOOL show = TRUE);
    BOOL EnableScrollBar(int bar, UINT arrows = ESB_ENABLE_BOTH);

    // Messages and timers.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

protected:
    // Handlers the base dispatches; overrides call the base for the default.
    virtual int OnCreate(CREATESTRUCTW* cs);
    virtual void OnDestroy();
    // After the window is gone and the object detached (a self-owning
    // window deletes itself here).
    virtual void PostNcDestroy() {}

    // The object whose window is being created on this thread (the next
    // unbound window's first message takes it); returns the one replaced.
    static CWnd* ExchangeCreating(CWnd* wnd);

private:
    static LRESULT CALLBACK StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static CWnd* Lookup(HWND hwnd);
    void Attach(HWND hwnd);
    void Detach();
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    friend class CDialog;
    WNDPROC superProc_ = ::DefWindowProcW;
};

// Tells whether a window object outlived calls that may end it (a window
// that deletes itself when its window goes). Watches live on the stack.
class CWndLifeWatch {
public:
    explicit CWndLifeWatch(CWnd* wnd);
    ~CWndLifeWatch();
    CWndLifeWatch(const CWndLifeWatch&) = delete;
    CWndLifeWatch& operator=(const CWndLifeWatch&) = delete;
    bool Alive() const { return wnd_ != nullptr; }

private:
    friend class CWnd;
    CWnd* wnd_;
    CWndLifeWatch* outer_;
};

// The attached object of a window if it is of class T (a dynamic_cast).
template <class T>
T* WndCast(HWND hwnd) {
    return dynamic_cast<T*>(CWnd::FromHandle(hwnd));
}

// The parent of a child window; null for a top-level window, whose
// GetParent would be its owner.
inline HWND GetParentOfChild(HWND hwnd) {
    return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd) : nullptr;
}
