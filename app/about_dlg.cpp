#include "app/about_dlg.h"

#include "app/app_resource.h"
#include "app/base/winutil.h"
#include "framework/seams.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring version;
    GetFileVersionString(module, version);
    version_ = (L"wendrel Version " + version).c_str();
    SetDlgItemText(IDC_ABOUT_VERSION, version_);
    return CDialog::OnInitDialog();
}

bool CAboutDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_ABOUT_LINK && HIWORD(wParam) == STN_CLICKED) {
        const CString address = GetDlgItemText(IDC_ABOUT_LINK);
        ShellExecuteOpen(m_hWnd, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(IDC_ABOUT_LINK)) {
            const LRESULT brush = CDialog::WindowProc(msg, wParam, lParam);
            ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
            return brush;
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == GetDlgItem(IDC_ABOUT_LINK)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
