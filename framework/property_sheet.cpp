#include "framework/property_sheet.h"

#include "framework/seams.h"

namespace {

// The sheet whose system window is being made on this thread.
thread_local CPropertySheet* t_creatingSheet = nullptr;

UINT AnswerMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TORKA_AnswerModalDialog");
    return message;
}

}  // namespace

CPropertySheet::CPropertySheet(const wchar_t* caption, HWND parent, UINT firstPage) : caption_(caption ? caption : L"") {
    m_psh.dwSize = sizeof(m_psh);
    m_psh.hwndParent = parent;
    m_psh.nStartPage = firstPage;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    page->sheet_ = this;
    pages_.push_back(page);
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) return -1;
    HWND active = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i]->m_hWnd && pages_[i]->m_hWnd == active) return static_cast<int>(i);
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    const int index = GetActiveIndex();
    return index >= 0 ? pages_[static_cast<size_t>(index)] : nullptr;
}

BOOL CPropertySheet::SetActivePage(int index) {
    if (!m_hWnd) return FALSE;
    return static_cast<BOOL>(SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0));
}

void CPropertySheet::PressButton(int button) {
    if (m_hWnd) SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT msg, LPARAM) {
    if (msg == PSCB_INITIALIZED && t_creatingSheet) {
        CPropertySheet* sheet = t_creatingSheet;
        t_creatingSheet = nullptr;
        sheet->SubclassWindow(hwnd);
        if (HasModalDialogHandler()) sheet->PostMessage(AnswerMessage());
    }
    return 0;
}

INT_PTR CPropertySheet::DoModal() {
    if (m_hWnd || pages_.empty()) return -1;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&classes);
    std::vector<PROPSHEETPAGEW> records;
    for (CPropertyPage* page : pages_) records.push_back(page->MakePage());
    PROPSHEETHEADERW header = m_psh;
    header.dwSize = sizeof(header);
    header.dwFlags |= PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    header.dwFlags &= ~static_cast<DWORD>(PSH_MODELESS);
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(records.size());
    header.ppsp = records.data();
    header.pfnCallback = SheetCallback;
    applied_ = true;
    anyApplied_ = false;
    CPropertySheet* outer = t_creatingSheet;
    t_creatingSheet = this;
    const INT_PTR shown = ::PropertySheetW(&header);
    t_creatingSheet = outer;
    // The system destroys the window; the object lets go of it.
    if (m_hWnd) UnsubclassWindow();
    for (CPropertyPage* page : pages_)
        if (page->m_hWnd && !::IsWindow(page->m_hWnd)) page->m_hWnd = nullptr;
    if (shown < 0) return -1;
    return anyApplied_ && applied_ ? IDOK : IDCANCEL;
}

LRESULT CPropertySheet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == AnswerMessage()) {
        AnswerModalDialog({0, m_hWnd});
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
