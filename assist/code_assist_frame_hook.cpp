#include "assist/code_assist_frame_hook.h"

#include <commctrl.h>

bool CodeAssistFrameHook::Install(HWND frame) {
    if (m_frame) return m_frame == frame;
    if (!frame || !::IsWindow(frame)) return false;
    if (!::SetWindowSubclass(frame, &Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_frame = frame;
    return true;
}

void CodeAssistFrameHook::Remove() {
    if (!m_frame) return;
    if (::IsWindow(m_frame)) ::RemoveWindowSubclass(m_frame, &Proc, reinterpret_cast<UINT_PTR>(this));
    m_frame = nullptr;
}

LRESULT CALLBACK CodeAssistFrameHook::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR ref) {
    auto* self = reinterpret_cast<CodeAssistFrameHook*>(ref);
    switch (msg) {
    case WM_NCACTIVATE:
        // The list took the activation: the frame keeps its active look.
        if (!wParam) return TRUE;
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && reinterpret_cast<HWND>(lParam) != self->m_client.AssistPopup()) {
            self->m_client.CloseAssistWnd();
            // Its inactive look was held back for the list.
            ::PostMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
        }
        break;
    case WM_NCLBUTTONDOWN:
    case WM_MOVE:
        self->m_client.CloseAssistWnd();
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_LBUTTONDOWN) self->m_client.CloseAssistWnd();
        break;
    case WM_NCDESTROY:
        // The frame goes first: nothing of the hook stays behind on it.
        ::RemoveWindowSubclass(hwnd, &Proc, reinterpret_cast<UINT_PTR>(self));
        self->m_frame = nullptr;
        break;
    default:
        break;
    }
    // Closing may have removed the hook; the call on is the same either way.
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
