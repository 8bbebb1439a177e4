#include "app/file_dialogs.h"

#include <algorithm>

#include "app/kanji_combos.h"
#include "editctrl/syntax/editmode.h"
#include "framework/app.h"
#include "framework/wnd.h"
#include "framework/wide.h"
#include "textengine/kanjicode.h"

namespace {

// '|'-separated pairs ("a|*.a|b|*.b||") become NUL-ended ones.
std::wstring PairsOf(const std::wstring& filter) {
    std::wstring pairs = filter;
    std::replace(pairs.begin(), pairs.end(), L'|', L'\0');
    while (pairs.size() >= 2 && pairs[pairs.size() - 1] == L'\0' && pairs[pairs.size() - 2] == L'\0') pairs.pop_back();
    if (!pairs.empty() && pairs.back() != L'\0') pairs.push_back(L'\0');
    return pairs;
}

std::wstring CurrentDirectory() {
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, dir);
    return n > 0 && n < MAX_PATH ? dir : L"";
}

// Moves a control of the child dialog to the left edge of a control of the
// system's dialog (its parent), keeping its vertical place and size.
void AlignLeftTo(HWND child, int id, int parentId) {
    HWND control = ::GetDlgItem(child, id);
    HWND anchor = ::GetDlgItem(::GetParent(child), parentId);
    if (!control || !anchor) return;
    RECT a, c;
    ::GetWindowRect(anchor, &a);
    ::GetWindowRect(control, &c);
    POINT left{a.left, c.top};
    ::ScreenToClient(child, &left);
    ::SetWindowPos(control, nullptr, left.x, left.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The file name box of the system's dialog gets the keyboard once the
// dialog has placed its own focus.
void FocusFileName(HWND dialog) {
    constexpr int kFileNameCombo = 1148, kFileNameEdit = 1152;
    HWND name = ::GetDlgItem(dialog, kFileNameCombo);
    if (!name || !::IsWindowVisible(name)) name = ::GetDlgItem(dialog, kFileNameEdit);
    if (name) ::PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(name), TRUE);
}

}  // namespace

CPlacesBarFileDlg::CPlacesBarFileDlg(bool open, const wchar_t* defaultExt, const wchar_t* fileName, DWORD flags,
                                     const std::wstring& filter, HWND owner)
    : open_(open), defaultExt_(defaultExt ? defaultExt : L""), flags_(flags), filter_(PairsOf(filter)), owner_(owner) {
    SetBufferSize(MAX_PATH);
    if (fileName) {
        const std::wstring name = fileName;
        std::copy_n(name.begin(), std::min(name.size(), buffer_.size() - 1), buffer_.begin());
    }
}

void CPlacesBarFileDlg::SetBufferSize(size_t units) {
    units = std::max<size_t>(units, MAX_PATH);
    const std::wstring current = buffer_.empty() ? L"" : buffer_.data();
    // Everything after the current text is cleared, so that a multiple
    // selection can be read back up to its double NUL.
    buffer_.assign(units, L'\0');
    std::copy_n(current.begin(), std::min(current.size(), units - 1), buffer_.begin());
}

std::wstring CPlacesBarFileDlg::GetPathName() const { return paths_.empty() ? buffer_.data() : paths_.front(); }

void CPlacesBarFileDlg::ParseSelection() {
    paths_.clear();
    const wchar_t* p = buffer_.data();
    const std::wstring first = p;
    p += first.size() + 1;
    if (!(flags_ & OFN_ALLOWMULTISELECT) || *p == L'\0') {
        paths_.push_back(first);
        return;
    }
    std::wstring folder = first;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    while (*p) {
        const std::wstring name = p;
        paths_.push_back(folder + name);
        p += name.size() + 1;
    }
}

INT_PTR CPlacesBarFileDlg::DoModal() {
    FileDialogRequest request{};
    request.owner = owner_;
    request.save = !open_;
    request.caption = title_;
    request.path = buffer_.data();
    request.flags = flags_;
    request.filter = filter_;
    request.filterIndex = filterIndex_;
    request.directory = initialDir_;
    request.defaultExt = defaultExt_;
    FillRequest(request);
    bool answered = false;
    if (AnswerFileDialogBySeam(request, answered)) {
        if (!answered) return IDCANCEL;
        paths_ = request.paths;
        if (paths_.empty()) paths_.push_back(request.path);
        TakeAnswer(request);
        return IDOK;
    }

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    HWND owner = owner_;
    if (!owner)
        if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd) owner = app->m_pMainWnd->GetSafeHwnd();
    ofn.hwndOwner = owner;
    ofn.hInstance = ::GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
    ofn.lpstrFile = buffer_.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer_.size());
    ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
    ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
    ofn.Flags = flags_ | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = &CPlacesBarFileDlg::HookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    if (templateId_) {
        ofn.Flags |= OFN_ENABLETEMPLATE;
        ofn.lpTemplateName = MAKEINTRESOURCEW(templateId_);
    }

    HWND focus = ::GetFocus();
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    const BOOL ok = open_ ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    if (!ok) return IDCANCEL;
    ParseSelection();
    return IDOK;
}

UINT_PTR CALLBACK CPlacesBarFileDlg::HookProc(HWND child, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        ::SetWindowLongPtrW(child, DWLP_USER, ofn->lCustData);
        reinterpret_cast<CPlacesBarFileDlg*>(ofn->lCustData)->OnInitDialog(child);
        // The keyboard belongs on the file name, not on our first control.
        return FALSE;
    }
    auto* dialog = reinterpret_cast<CPlacesBarFileDlg*>(::GetWindowLongPtrW(child, DWLP_USER));
    if (!dialog || msg != WM_NOTIFY) return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    switch (notify->hdr.code) {
    case CDN_INITDONE:
        dialog->OnInitDone(child);
        FocusFileName(::GetParent(child));
        return 0;
    case CDN_FILEOK: {
        const UINT keep = dialog->OnFileNameOK(child);
        ::SetWindowLongPtrW(child, DWLP_MSGRESULT, keep);
        return keep;
    }
    }
    return 0;
}

CExtFileDialog::CExtFileDialog(bool open, const wchar_t* fileName, DWORD flags, const std::wstring& filter,
                               HWND owner)
    : CPlacesBarFileDlg(open, nullptr, fileName, flags, filter, owner) {
    SetTemplate(open ? IDD_FILE_OPEN_EXT : IDD_FILE_SAVE_EXT);
}

INT_PTR CExtFileDialog::DoModal() {
    if (!IsOpenForm() && !IsKnownKanjiCode(m_kanjiCode)) {
        m_kanjiCode = KanjiCode::SJIS;
        m_lineEnd = LineEndType::CRLF;
    }
    return CPlacesBarFileDlg::DoModal();
}

void CExtFileDialog::OnInitDialog(HWND child) {
    if (HWND combo = ::GetDlgItem(child, IDC_FILE_KANJI_CODE)) FillKanjiCodeCombo(combo, m_kanjiCode, IsOpenForm());
    if (HWND combo = ::GetDlgItem(child, IDC_FILE_LINE_END)) FillLineEndCombo(combo, m_lineEnd);
}

void CExtFileDialog::OnInitDone(HWND child) {
    // The extra controls line up under the file-type label and box.
    RECT parent, area;
    ::GetClientRect(::GetParent(child), &parent);
    ::GetWindowRect(child, &area);
    ::SetWindowPos(child, nullptr, 0, 0, parent.right - parent.left, area.bottom - area.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    constexpr int kFileTypeLabel = 1089, kFileTypeBox = 1136;
    AlignLeftTo(child, IDC_FILE_KANJI_CODE_LABEL, kFileTypeLabel);
    AlignLeftTo(child, IDC_FILE_LINE_END_LABEL, kFileTypeLabel);
    AlignLeftTo(child, IDC_FILE_KANJI_CODE, kFileTypeBox);
    AlignLeftTo(child, IDC_FILE_LINE_END, kFileTypeBox);
}

UINT CExtFileDialog::OnFileNameOK(HWND child) {
    if (HWND combo = ::GetDlgItem(child, IDC_FILE_KANJI_CODE)) m_kanjiCode = SelectedKanjiCode(combo, m_kanjiCode);
    if (HWND combo = ::GetDlgItem(child, IDC_FILE_LINE_END)) m_lineEnd = SelectedLineEnd(combo, m_lineEnd);
    return 0;
}

void CExtFileDialog::FillRequest(FileDialogRequest& request) const {
    request.encoding = KanjiCodeNumber(m_kanjiCode);
    request.lineEnd = IsOpenForm() ? 0 : LineEndTypeNumber(m_lineEnd);
}

void CExtFileDialog::TakeAnswer(const FileDialogRequest& request) {
    m_kanjiCode = KanjiCodeFromNumber(request.encoding).value_or(m_kanjiCode);
    if (!IsOpenForm()) m_lineEnd = LineEndTypeFromNumber(request.lineEnd).value_or(m_lineEnd);
}

std::wstring EditModeFileFilter(const CEditModeTable* modes) {
    std::u16string filter = u"すべてのファイル (*.*)";
    filter += u'\0';
    filter += u"*.*";
    filter += u'\0';
    if (modes) modes->MakeEditModeFileFilter(filter);
    return ToWide(filter);
}

bool PromptFileName(HWND owner, std::wstring& path, const std::wstring& title, DWORD extraFlags, bool open,
                    KanjiCode* kanjiCode, LineEndType* lineEnd, int filterIndex, const CEditModeTable* modes) {
    CExtFileDialog dialog(open, path.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | extraFlags,
                          EditModeFileFilter(modes), owner);
    dialog.SetTitle(title);
    if (kanjiCode) dialog.m_kanjiCode = *kanjiCode;
    if (!open && lineEnd) dialog.m_lineEnd = *lineEnd;
    if (filterIndex > 0) dialog.SetFilterIndex(filterIndex);
    dialog.SetInitialDir(CurrentDirectory());
    const bool ok = dialog.DoModal() == IDOK;
    path = dialog.GetPathName();
    if (!ok) return false;
    if (kanjiCode) *kanjiCode = dialog.m_kanjiCode;
    if (lineEnd) *lineEnd = dialog.m_lineEnd;
    return true;
}

bool PromptFileNameInDir(const std::wstring& title, bool open, const wchar_t* defaultExt, std::wstring& path,
                         DWORD flags, const std::wstring& filter, HWND owner, std::wstring& folder) {
    const std::wstring before = CurrentDirectory();
    ::SetCurrentDirectoryW(folder.c_str());
    CPlacesBarFileDlg dialog(open, defaultExt, nullptr, flags, filter, owner);
    dialog.SetTitle(title);
    dialog.SetInitialDir(folder);
    if (dialog.DoModal() != IDOK) {
        ::SetCurrentDirectoryW(before.c_str());
        return false;
    }
    path = dialog.GetPathName();
    folder = CurrentDirectory();
    ::SetCurrentDirectoryW(before.c_str());
    return true;
}
