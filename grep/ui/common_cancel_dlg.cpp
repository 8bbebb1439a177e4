#include "grep/ui/common_cancel_dlg.h"

#include <commctrl.h>

#include "framework/seams.h"

namespace {

void PushDword(std::vector<WORD>& t, DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
}

void PushText(std::vector<WORD>& t, const wchar_t* s) {
    while (*s) t.push_back(*s++);
    t.push_back(0);
}

// A template without items: the controls are made in OnInitDialog, placed
// by the client size the template gives.
std::vector<WORD> BuildTemplate(const wchar_t* caption, short cx, short cy) {
    std::vector<WORD> t;
    PushDword(t, WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    PushDword(t, 0);
    t.push_back(0);  // no items
    for (short v : {short(0), short(0), cx, cy}) t.push_back(static_cast<WORD>(v));
    t.push_back(0);  // no menu
    t.push_back(0);  // the system dialog class
    PushText(t, caption);
    t.push_back(9);
    PushText(t, L"MS UI Gothic");
    return t;
}

}  // namespace

void CCancelDlgLink::SetStatus(int line, const std::wstring& text) {
    const HWND hwnd = dialog.load();
    if (hwnd && !abandoned.load())
        ::SendMessageW(hwnd, WM_CANCELDLG_SETSTATUS, line, reinterpret_cast<LPARAM>(text.c_str()));
}

int CCancelDlgLink::QueryState() {
    const HWND hwnd = dialog.load();
    if (!hwnd || abandoned.load()) return CCommonCancelDlg::kCancelled;
    return static_cast<int>(::SendMessageW(hwnd, WM_CANCELDLG_QUERYSTATE, 0, 0));
}

void CCancelDlgLink::Finished(int result) {
    const HWND hwnd = dialog.load();
    if (hwnd && !abandoned.load()) ::PostMessageW(hwnd, WM_CANCELDLG_FINISHED, result, 0);
}

CCommonCancelDlg::CCommonCancelDlg(int flags, HANDLE thread, CCancelDlgLink* link, const wchar_t* caption,
                                   short widthDlu, short heightDlu)
    : template_(BuildTemplate(caption, widthDlu, heightDlu)), flags_(flags), link_(link), thread_(thread) {
    SetTemplate(reinterpret_cast<const DLGTEMPLATE*>(template_.data()));
}

HWND CCommonCancelDlg::MakeControl(const wchar_t* cls, DWORD style, const RECT& r, int id, const wchar_t* text) {
    const HWND hwnd = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                        r.right - r.left, r.bottom - r.top, m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (hwnd) ::SendMessageW(hwnd, WM_SETFONT, SendMessage(WM_GETFONT), FALSE);
    return hwnd;
}

bool CCommonCancelDlg::CreateControls() {
    const CRect client = GetClientRect();
    const int r = client.right, b = client.bottom, c = client.right / 2;
    line1_ = MakeControl(L"STATIC", SS_LEFT | SS_NOPREFIX, CRect(10, 10, r - 10, 30), kIdLine1, L"msg");
    if (!line1_) return false;
    if (flags_ & kProgressBar) {
        progress_ = MakeControl(PROGRESS_CLASSW, PBS_SMOOTH, CRect(10, 40, r - 10, 50), kIdProgress, L"");
        if (!progress_) return false;
    }
    if (flags_ & kSecondLine) {
        line2_ = MakeControl(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, CRect(10, 40, r - 10, 60), kIdLine2,
                             L"");
        if (!line2_) return false;
    }
    if (flags_ & kCancelButton) {
        cancel_ = MakeControl(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, CRect(c - 40, b - 30, c + 40, b - 10), IDCANCEL,
                              L"キャンセル");
        if (!cancel_) return false;
    }
    return true;
}

BOOL CCommonCancelDlg::OnInitDialog() {
    if (!CreateControls()) {
        EndDialog(2);
        return TRUE;
    }
    link_->dialog.store(m_hWnd);
    state_ = kRunning;
    if (thread_ && ::ResumeThread(thread_) != static_cast<DWORD>(-1)) resumed_ = true;
    return TRUE;
}

void CCommonCancelDlg::OnCancel() {
    if (!(flags_ & kCancelButton)) return;
    state_ = kPaused;  // the worker waits at its next poll
    const int answer = ShowMessageBox(m_hWnd, L"キャンセルしますか", L"確認", MB_YESNO | MB_ICONQUESTION);
    state_ = answer == IDYES ? kCancelled : kRunning;
}

LRESULT CCommonCancelDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (progressMessage_ && msg == progressMessage_) {
        if (line1_) ::SetWindowTextW(line1_, L"データ取得中");
        if (progress_) ::SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
        return 0;
    }
    switch (msg) {
    case WM_CANCELDLG_FINISHED:
        result_ = static_cast<int>(wParam);
        EndDialog(IDOK);
        return 0;
    case WM_CANCELDLG_SETSTATUS: {
        const HWND line = wParam == 1 ? line1_ : wParam == 2 ? line2_ : nullptr;
        if (line) ::SetWindowTextW(line, reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    }
    case WM_CANCELDLG_QUERYSTATE:
        return state_;
    case WM_CANCELDLG_SETRANGE:
        if (progress_) {
            ::SendMessageW(progress_, PBM_SETRANGE32, 0, lParam);
            ::SendMessageW(progress_, PBM_SETPOS, 0, 0);
            ::SendMessageW(progress_, PBM_SETSTEP, wParam, 0);
        }
        return 0;
    case WM_CANCELDLG_SETPOS:
        if (progress_) ::SendMessageW(progress_, PBM_SETPOS, wParam, 0);
        return 0;
    case WM_CANCELDLG_STEPIT:
        if (progress_) ::SendMessageW(progress_, PBM_STEPIT, 0, 0);
        return 0;
    case WM_CANCELDLG_SETPROGRESSMSG:
        progressMessage_ = static_cast<UINT>(wParam);
        return 0;
    case WM_CLOSE:
        OnCancel();
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

bool WaitPumpingMessages(HANDLE object, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    bool quit = false;
    int quitCode = 0;
    bool ended = false;
    for (;;) {
        DWORD wait = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = ::GetTickCount() - start;
            wait = spent >= timeoutMs ? 0 : timeoutMs - spent;
        }
        const DWORD r = ::MsgWaitForMultipleObjects(1, &object, FALSE, wait, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (r != WAIT_OBJECT_0 + 1) break;  // timed out or failed
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                // Kept for the outer loop once the wait is over.
                quit = true;
                quitCode = static_cast<int>(m.wParam);
                continue;
            }
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (timeoutMs != INFINITE && wait == 0) {
            ended = ::WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
            break;
        }
    }
    if (quit) ::PostQuitMessage(quitCode);
    return ended;
}

int RunWorkerWithCancelDlg(CCommonCancelDlg& dialog, HANDLE thread, CCancelDlgLink& link, HWND owner) {
    const INT_PTR shown = dialog.DoModal(owner);
    const bool finished = shown == IDOK;
    if (!finished) {
        // The dialog never ran the worker or went before it ended: the
        // worker reads "cancelled" from now on.
        link.abandoned.store(true);
        if (!dialog.ResumedWorker()) ::ResumeThread(thread);
    }
    link.dialog.store(nullptr);
    WaitPumpingMessages(thread);
    return finished ? dialog.GetResult() : CCommonCancelDlg::kCancelled;
}
