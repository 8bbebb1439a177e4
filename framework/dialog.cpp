#include "framework/dialog.h"

#include <cwchar>
#include <vector>

#include "framework/property_sheet.h"
#include "framework/seams.h"

namespace {

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

// Posted to a modal dialog at its start when a test answers dialogs.
UINT AnswerMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TORKA_AnswerModalDialog");
    return message;
}

}  // namespace

void CDialog::Bind(HWND hwnd, CDialog* dialog) {
    dialog->Attach(hwnd);
    dialog->superProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FromHandle(hwnd)) return FALSE;  // bound: CWnd's procedure has handled it
    CWnd* creating = ExchangeCreating(nullptr);
    auto* dialog = dynamic_cast<CDialog*>(creating);
    if (!dialog) {
        ExchangeCreating(creating);
        return FALSE;
    }
    return BindAndDispatch(hwnd, dialog, msg, wParam, lParam);
}

INT_PTR CDialog::BindAndDispatch(HWND hwnd, CDialog* dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    Bind(hwnd, dialog);
    // The message that bound the object is handled here, its default
    // processing included, so the system must not do it again.
    LRESULT result = dialog->Dispatch(msg, wParam, lParam);
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    }
    if (::IsWindow(hwnd)) ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL CDialog::Create(UINT templateId, HWND parent) {
    SetTemplate(templateId);
    return CreateIndirect(nullptr, parent);
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent) {
    if (m_hWnd) return FALSE;
    if (dialogTemplate) indirect_ = dialogTemplate;
    modal_ = false;
    // The object waits for its window's first message; creations may nest.
    CWnd* outer = ExchangeCreating(this);
    HWND hwnd = indirect_ ? ::CreateDialogIndirectParamW(Instance(), indirect_, parent, DialogProc, 0)
                          : ::CreateDialogParamW(Instance(), MAKEINTRESOURCEW(templateId_), parent, DialogProc, 0);
    ExchangeCreating(outer);
    if (!hwnd) {
        m_hWnd = nullptr;
        return FALSE;
    }
    return m_hWnd == hwnd;
}

INT_PTR CDialog::DoModal(HWND parent) {
    if (m_hWnd) return -1;
    modal_ = true;
    CWnd* outer = ExchangeCreating(this);
    INT_PTR result = indirect_ ? ::DialogBoxIndirectParamW(Instance(), indirect_, parent, DialogProc, 0)
                               : ::DialogBoxParamW(Instance(), MAKEINTRESOURCEW(templateId_), parent, DialogProc, 0);
    ExchangeCreating(outer);
    modal_ = false;
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    result_ = result;
    if (modal_)
        ::EndDialog(m_hWnd, result);
    else
        ShowWindow(SW_HIDE);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}

CString CDialog::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    int n = item ? ::GetWindowTextLengthW(item) : 0;
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
    n = item ? ::GetWindowTextW(item, buf.data(), n + 1) : 0;
    return CString(buf.data(), n);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return !dx.failed;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    }
    return false;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        const BOOL result = OnInitDialog();
        if (modal_ && HasModalDialogHandler()) PostMessage(AnswerMessage());
        return result;
    }
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        break;
    }
    if (msg == AnswerMessage() && modal_) {
        AnswerModalDialog({indirect_ ? 0u : templateId_, m_hWnd});
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

PROPSHEETPAGEW CPropertyPage::MakePage() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.hInstance = Instance();
    if (dialogTemplate_) {
        page.dwFlags = PSP_DLGINDIRECT;
        page.pResource = dialogTemplate_;
    } else {
        page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    }
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FromHandle(hwnd) || msg != WM_INITDIALOG) return FALSE;
    // The sheet passes a copy of the page record; its lParam names the page.
    auto* page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    return BindAndDispatch(hwnd, page, msg, wParam, lParam);
}

LRESULT CPropertyPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        switch (header->code) {
        case PSN_SETACTIVE:
            return OnSetActive() ? 0 : -1;
        case PSN_KILLACTIVE:
            return OnKillActive() ? FALSE : TRUE;
        case PSN_APPLY: {
            const BOOL applied = OnApply();
            if (sheet_) sheet_->PageApplied(applied != FALSE);
            return applied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        }
        case PSN_RESET:
            OnReset();
            return 0;
        }
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CDataExchange::Fail(int id) {
    failed = true;
    if (HWND item = m_pDlgWnd->GetDlgItem(id)) {
        ::SetFocus(item);
        ::SendMessageW(item, EM_SETSEL, 0, -1);
    }
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    if (dx->failed) return;
    if (dx->m_bSaveAndValidate)
        value = dx->m_pDlgWnd->GetDlgItemText(id);
    else
        dx->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (dx->failed) return;
    if (!dx->m_bSaveAndValidate) {
        wchar_t buf[16];
        std::swprintf(buf, 16, L"%d", value);
        dx->m_pDlgWnd->SetDlgItemText(id, buf);
        return;
    }
    CString text = dx->m_pDlgWnd->GetDlgItemText(id);
    const wchar_t* s = text;
    while (*s == L' ') ++s;
    wchar_t* end = nullptr;
    errno = 0;
    long long n = std::wcstoll(s, &end, 10);
    while (end && *end == L' ') ++end;
    if (end == s || *end || errno || n < INT_MIN || n > INT_MAX) {
        ShowMessageBox(dx->m_pDlgWnd->m_hWnd, L"整数を入力してください。", L"メッセージ", MB_ICONEXCLAMATION);
        dx->Fail(id);
        return;
    }
    value = static_cast<int>(n);
}

void DDV_MinMaxInt(CDataExchange* dx, int id, int value, int min, int max) {
    if (dx->failed || !dx->m_bSaveAndValidate || (value >= min && value <= max)) return;
    wchar_t text[96];
    std::swprintf(text, 96, L"%d から %d までの整数を入力してください。", min, max);
    ShowMessageBox(dx->m_pDlgWnd->m_hWnd, text, L"メッセージ", MB_ICONEXCLAMATION);
    dx->Fail(id);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->failed) return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(dx->m_pDlgWnd->IsDlgButtonChecked(id));
    else
        dx->m_pDlgWnd->CheckDlgButton(id, static_cast<UINT>(value));
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    if (dx->failed) return;
    HWND button = dx->m_pDlgWnd->GetDlgItem(id);
    if (!button) return;
    if (dx->m_bSaveAndValidate) value = -1;
    // The group runs from its first button up to the next WS_GROUP.
    for (int index = 0; button; ++index) {
        if (dx->m_bSaveAndValidate) {
            if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        button = ::GetWindow(button, GW_HWNDNEXT);
        if (button && (::GetWindowLongPtrW(button, GWL_STYLE) & WS_GROUP)) break;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    if (dx->failed) return;
    HWND combo = dx->m_pDlgWnd->GetDlgItem(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int id, CString& value) { DDX_Text(dx, id, value); }
