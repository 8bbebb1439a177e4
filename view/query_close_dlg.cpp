#include "view/query_close_dlg.h"

#include "app/resource.h"

CQueryCloseDlg::CQueryCloseDlg(std::wstring text) : CDialog(IDD_QUERY_CLOSE), text(std::move(text)) {}

int CQueryCloseDlg::Ask(HWND owner, const std::wstring& text) {
    CQueryCloseDlg dialog(text);
    return dialog.DoModal(owner) == IDOK ? dialog.answer : QUERY_CLOSE_CANCEL;
}

BOOL CQueryCloseDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_QUERY_CLOSE_TEXT, text.c_str());
    ::SendDlgItemMessageW(m_hWnd, IDC_QUERY_CLOSE_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_EXCLAMATION)), 0);
    return TRUE;
}

bool CQueryCloseDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDOK: answer = QUERY_CLOSE_SAVE; break;
    case IDNO: answer = QUERY_CLOSE_DISCARD; break;
    case IDC_QUERY_SAVE_ALL: answer = QUERY_CLOSE_SAVE_ALL; break;
    case IDC_QUERY_SAVE_NONE: answer = QUERY_CLOSE_DISCARD_ALL; break;
    default: return CDialog::OnCommand(wParam, lParam);
    }
    EndDialog(IDOK);
    return true;
}
