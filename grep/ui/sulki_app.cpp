#include "grep/ui/sulki_app.h"

#include <ole2.h>

#include "app/base/cmdline_paths.h"
#include "app/base/winutil.h"
#include "grep/ui/sulki_dlg.h"

namespace {

BOOL CALLBACK FindSulkiWindow(HWND hwnd, LPARAM param) {
    if (!::FindWindowExW(hwnd, nullptr, nullptr, kSulkiWindowName)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

}  // namespace

bool BringRunningSulkiForward() {
    HWND found = nullptr;
    ::EnumWindows(FindSulkiWindow, reinterpret_cast<LPARAM>(&found));
    if (!found) return false;
    // Asynchronous: a first sulki that hangs must not hold this one.
    if (::IsIconic(found)) ::ShowWindowAsync(found, SW_RESTORE);
    ::SetForegroundWindow(found);
    return true;
}

BOOL CSulkiApp::InitInstance() {
    mutex_ = ::CreateMutexW(nullptr, FALSE, kSulkiMutexName);
    if (mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex_);
        mutex_ = nullptr;
        BringRunningSulkiForward();
        return FALSE;
    }
    // The folder picker and the drop target need OLE on this thread.
    oleReady_ = SUCCEEDED(::OleInitialize(nullptr));
    const std::wstring profile = GetModuleDir() + L"sulki.ini";
    UpgradeIniFile(profile.c_str());

    CSulkiDlg dialog;
    dialog.SetCommandLine(m_lpCmdLine);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CSulkiApp::ExitInstance() {
    if (mutex_) ::CloseHandle(mutex_);
    mutex_ = nullptr;
    if (oleReady_) ::OleUninitialize();
    oleReady_ = false;
    return CTorkaWinApp::ExitInstance();
}
