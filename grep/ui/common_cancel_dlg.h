// A small modal dialog that runs while a worker thread does a long job: it
// resumes the worker (created suspended by the owner), shows one or two
// status lines and a progress bar the worker feeds by messages, offers a
// "Cancel" button that pauses the worker while the user confirms, and
// closes when the worker posts that it has finished.
//
// The worker reaches the dialog only through CCancelDlgLink: SendMessageW
// for questions and status, PostMessageW for the end. The owner runs the
// whole exchange with RunWorkerWithCancelDlg, which never waits forever.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/dialog.h"

// Messages to the dialog.
enum CancelDlgMessage : UINT {
    WM_CANCELDLG_FINISHED = WM_APP + 0x401,     // wParam result
    WM_CANCELDLG_SETSTATUS = WM_APP + 0x402,    // wParam line 1 or 2, lParam text
    WM_CANCELDLG_QUERYSTATE = WM_APP + 0x403,   // returns the state
    WM_CANCELDLG_SETRANGE = WM_APP + 0x404,     // wParam step, lParam range maximum
    WM_CANCELDLG_SETPOS = WM_APP + 0x405,       // wParam position
    WM_CANCELDLG_STEPIT = WM_APP + 0x406,
    WM_CANCELDLG_SETPROGRESSMSG = WM_APP + 0x490,  // wParam a message id that then sets the position
};

// What the worker holds of the dialog. The dialog fills in its window when
// it starts; the owner marks the link abandoned when the dialog is gone
// before the worker ended, so the worker then reads "cancelled" instead of
// asking a window that no longer answers.
struct CCancelDlgLink {
    std::atomic<HWND> dialog{nullptr};
    std::atomic<bool> abandoned{false};

    // The worker's side.
    void SetStatus(int line, const std::wstring& text);
    int QueryState();
    void Finished(int result);
};

class CCommonCancelDlg : public CDialog {
public:
    enum Flags : int { kCancelButton = 1, kProgressBar = 2, kSecondLine = 4 };
    enum State : int { kRunning = 0, kCancelled = 1, kPaused = 2 };
    enum ControlId : int { kIdLine1 = 110, kIdLine2 = 111, kIdProgress = 120 };

    // thread: created suspended; the dialog resumes it once its controls
    // exist. Size in dialog units.
    CCommonCancelDlg(int flags, HANDLE thread, CCancelDlgLink* link, const wchar_t* caption = L"実行中",
                     short widthDlu = 220, short heightDlu = 70);

    int GetResult() const { return result_; }
    int GetState() const { return state_; }
    bool ResumedWorker() const { return resumed_; }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool CreateControls();
    HWND MakeControl(const wchar_t* cls, DWORD style, const RECT& r, int id, const wchar_t* text);

    std::vector<WORD> template_;
    int flags_;
    HWND line1_ = nullptr, line2_ = nullptr, cancel_ = nullptr, progress_ = nullptr;
    CCancelDlgLink* link_;
    HANDLE thread_;
    int state_ = kRunning;
    int result_ = 0;
    UINT progressMessage_ = 0;
    bool resumed_ = false;
};

// Runs the dialog over the suspended worker and returns once the worker has
// ended, with the result it posted (or GREP-style 1, cancelled, when the
// dialog could not run it). When the dialog fails to start or ends before
// the worker, the worker is resumed and told to cancel; the wait pumps
// messages, so a worker still sending to this thread goes on.
int RunWorkerWithCancelDlg(CCommonCancelDlg& dialog, HANDLE thread, CCancelDlgLink& link, HWND owner);

// Waits for an object while dispatching this thread's messages; WM_QUIT is
// put back for the outer loop. False after timeoutMs (INFINITE: never).
bool WaitPumpingMessages(HANDLE object, DWORD timeoutMs = INFINITE);
