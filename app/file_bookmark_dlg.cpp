#include "app/file_bookmark_dlg.h"

#include <commctrl.h>

#include "app/app_resource.h"
#include "app/file_dialogs.h"
#include "app/profile/ini_profile.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

constexpr char16_t kSection[] = u"BOOKMARK";

std::u16string Key(const char16_t* prefix, int n) { return prefix + ToU16(std::to_wstring(n)); }

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

int SelectedCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)); }

int NextSelected(HWND list, int after) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Select(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CFileBookMarkDlg::CFileBookMarkDlg(CIniProfile& profile) : CDialog(IDD_FILE_BOOKMARK), profile_(profile) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
}

BOOL CFileBookMarkDlg::OnInitDialog() {
    HWND list = List();
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    if (m_multiSelect)
        ::SetWindowLongPtrW(list, GWL_STYLE, ::GetWindowLongPtrW(list, GWL_STYLE) & ~static_cast<LONG_PTR>(LVS_SINGLESEL));
    const wchar_t* titles[] = {L"File Name", L"Folder"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<wchar_t*>(titles[i]);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    Load();
    UpdateButtons();
    return CDialog::OnInitDialog();
}

void CFileBookMarkDlg::Load() {
    const int count = profile_.GetInt(kSection, u"BOOKMARK_CNT", 0);
    for (int n = 1; n <= count; ++n) {
        // The count is only a bound: a damaged file may claim billions.
        if (!profile_.Find(kSection, Key(u"BOOKMARK_FILE_", n)) && !profile_.Find(kSection, Key(u"BOOKMARK_FOLDER_", n)))
            break;
        const std::u16string name = profile_.GetString(kSection, Key(u"BOOKMARK_FILE_", n), u"");
        const std::u16string folder = profile_.GetString(kSection, Key(u"BOOKMARK_FOLDER_", n), u"");
        if (!name.empty() && !folder.empty()) AddRow(ToWide(name), ToWide(folder));
    }
}

void CFileBookMarkDlg::Save() {
    if (!modified_) return;
    const auto rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        profile_.WriteString(kSection, Key(u"BOOKMARK_FILE_", n), ToU16(rows[i].first));
        profile_.WriteString(kSection, Key(u"BOOKMARK_FOLDER_", n), ToU16(rows[i].second));
    }
    profile_.WriteInt(kSection, u"BOOKMARK_CNT", static_cast<int>(rows.size()));
    profile_.Save();
    modified_ = false;
}

void CFileBookMarkDlg::AddRow(const std::wstring& name, const std::wstring& folder) {
    HWND list = List();
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(name.c_str());
    const int row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) SetCell(list, row, 1, folder);
}

std::wstring CFileBookMarkDlg::CellText(int row, int column) const {
    wchar_t text[MAX_PATH * 2] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(sizeof text / sizeof text[0]);
    ::SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::pair<std::wstring, std::wstring>> CFileBookMarkDlg::Rows() const {
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    const int count = static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) rows.emplace_back(CellText(i, 0), CellText(i, 1));
    return rows;
}

void CFileBookMarkDlg::UpdateButtons() {
    const int selected = SelectedCount(List());
    ::EnableWindow(GetDlgItem(IDOK), selected >= 1);
    for (int id : {IDC_BOOKMARK_DELETE, IDC_BOOKMARK_UP, IDC_BOOKMARK_DOWN}) ::EnableWindow(GetDlgItem(id), selected == 1);
}

void CFileBookMarkDlg::OnAdd() {
    CPlacesBarFileDlg dialog(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                             L"All Files (*.*)|*.*||", m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    const std::wstring path = dialog.GetPathName();
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return;
    const std::wstring name = path.substr(slash + 1), folder = path.substr(0, slash);
    for (const auto& row : Rows()) {
        // File names are compared as the file system does: without case.
        if (SameIgnoringCase(row.first, name) && SameIgnoringCase(row.second, folder)) {
            ShowMessageBox(m_hWnd, L"このファイルは既に登録されています", L"Message", MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    AddRow(name, folder);
    modified_ = true;
    UpdateButtons();
}

void CFileBookMarkDlg::OnDelete() {
    const int row = NextSelected(List(), -1);
    if (row < 0) return;
    ::SendMessageW(List(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    modified_ = true;
    UpdateButtons();
}

void CFileBookMarkDlg::OnMove(int step) {
    HWND list = List();
    const int row = NextSelected(list, -1);
    const int other = row + step;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (row < 0 || other < 0 || other >= count) return;
    for (int column = 0; column < 2; ++column) {
        const std::wstring a = CellText(row, column), b = CellText(other, column);
        SetCell(list, row, column, b);
        SetCell(list, other, column, a);
    }
    Select(list, other);
    modified_ = true;
}

void CFileBookMarkDlg::OnOK() {
    HWND list = List();
    if (SelectedCount(list) == 0) return;
    Save();
    m_paths.clear();
    for (int row = NextSelected(list, -1); row >= 0; row = NextSelected(list, row))
        m_paths.push_back(CellText(row, 1) + L"\\" + CellText(row, 0));
    EndDialog(IDOK);
}

void CFileBookMarkDlg::OnCancel() {
    Save();
    EndDialog(IDCANCEL);
}

bool CFileBookMarkDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDC_BOOKMARK_ADD: OnAdd(); return true;
    case IDC_BOOKMARK_DELETE: OnDelete(); return true;
    case IDC_BOOKMARK_UP: OnMove(-1); return true;
    case IDC_BOOKMARK_DOWN: OnMove(1); return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CFileBookMarkDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY && static_cast<int>(wParam) == IDC_BOOKMARK_LIST) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == LVN_ITEMCHANGED) UpdateButtons();
        if (header->code == NM_DBLCLK && SelectedCount(List()) == 1) OnOK();
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
