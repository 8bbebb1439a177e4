#include "grid/tip_wnd.h"

#include "framework/gdi.h"

namespace {

const wchar_t kClassName[] = L"Tip Control Window";
constexpr UINT_PTR kLeaveTimer = 0x8063;
constexpr UINT kLeaveCheckMs = 200;

}  // namespace

CTipWnd::~CTipWnd() {
    Hide();
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool CTipWnd::Create(HINSTANCE instance) {
    if (hwnd_) return true;
    WNDCLASSW wc{};
    if (!::GetClassInfoW(instance, kClassName, &wc)) {
        wc = WNDCLASSW{};
        wc.lpfnWndProc = WndProc;
        wc.cbWndExtra = sizeof(CTipWnd*);
        wc.hInstance = instance;
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kClassName;
        if (!::RegisterClassW(&wc)) return false;
    }
    hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 10, 10, ::GetDesktopWindow(),
                              nullptr, instance, nullptr);
    if (!hwnd_) return false;
    ::SetWindowLongPtrW(hwnd_, 0, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void CTipWnd::CalcTextSize() {
    CClientDC dc(hwnd_);
    if (font) dc.SelectObject(font);
    const DWORD extent = ::GetTabbedTextExtentW(dc, text.c_str(), int(text.size()), 0, nullptr);
    textSize.cx = LOWORD(extent) + 3;
    textSize.cy = HIWORD(extent) + 2;
}

bool CTipWnd::Show(LPARAM newValue, const RECT& rect) {
    Hide();
    hot_ = rect;
    if (hot_.bottom == hot_.top) hot_.bottom = hot_.top + textSize.cy + 2;
    POINT cursor;
    ::GetCursorPos(&cursor);
    if (!hwnd_ || !::PtInRect(&hot_, cursor) || hot_.right - hot_.left >= textSize.cx) return false;
    ::SetTimer(hwnd_, kLeaveTimer, kLeaveCheckMs, nullptr);
    ::SetWindowPos(hwnd_, HWND_TOPMOST, hot_.left + offset.x, hot_.top + offset.y, textSize.cx + 2,
                   hot_.bottom - hot_.top, SWP_NOACTIVATE);
    value = newValue;
    shown_ = true;
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return true;
}

void CTipWnd::Hide() {
    if (!shown_) return;
    shown_ = false;
    ::KillTimer(hwnd_, kLeaveTimer);
    ::ShowWindow(hwnd_, SW_HIDE);
}

void CTipWnd::Paint() {
    PAINTSTRUCT ps;
    ::BeginPaint(hwnd_, &ps);
    ::EndPaint(hwnd_, &ps);
    CClientDC dc(hwnd_);
    dc.SetBkMode(TRANSPARENT);
    if (font) dc.SelectObject(font);
    dc.FillSolidRect(RECT{0, 0, textSize.cx + 2, hot_.bottom - hot_.top}, background);
    dc.SetTextColor(textColor);
    ::TabbedTextOutW(dc, 3, 2, text.c_str(), int(text.size()), 0, nullptr, 3);
}

LRESULT CALLBACK CTipWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* tip = reinterpret_cast<CTipWnd*>(::GetWindowLongPtrW(hwnd, 0));
    if (tip) {
        if (msg == WM_PAINT) {
            tip->Paint();
            return 0;
        }
        if (msg == WM_TIMER && wParam == kLeaveTimer) {
            POINT cursor;
            ::GetCursorPos(&cursor);
            RECT inner = tip->hot_;
            inner.left += 3;
            inner.right -= 3;
            if (!::PtInRect(&inner, cursor) && tip->shown_) tip->Hide();
            return 0;
        }
        if (msg >= WM_LBUTTONDOWN && msg <= 0x20E) {
            tip->Hide();
            // The press belongs to the window under the tip.
            switch (msg) {
            case WM_LBUTTONDOWN: ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0); break;
            case WM_RBUTTONDOWN: ::mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0); break;
            case WM_MBUTTONDOWN: ::mouse_event(MOUSEEVENTF_MIDDLEDOWN, 0, 0, 0, 0); break;
            }
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}
