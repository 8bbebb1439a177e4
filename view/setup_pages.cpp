// The two setup pages of the options sheet: folders, browsers, the formats
// of new and opened files; application and tab behaviour with the tab
// colours.
#include "app/file_dialogs.h"
#include "app/kanji_combos.h"
#include "app/profile/setting_ranges.h"
#include "editctrl/syntax/editmode.h"
#include "framework/app.h"
#include "framework/wide.h"
#include "textengine/kanjicode.h"
#include "view/option_sheet.h"
#include "view/options_resource.h"

namespace {

const wchar_t* const kFilterPresets[] = {
    L"*.txt;*.htm;*.html;*.c;*.cpp;*.h;*.java;*.pl;*.cgi;*.sql;*.ora;*.log",
    L"*.*",
    L"*.txt",
    L"*.htm;*.html",
    L"*.c;*.cpp;*.h",
    L"*.java",
    L"*.pl;*.cgi",
    L"*.sql;*.ora;*.log",
};

int AddComboItem(HWND combo, const wchar_t* text, LPARAM data) {
    const LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

}  // namespace

CSetupPage::CSetupPage(CAppSettings& values, const CEditModeTable* modes)
    : COptionPage(IDD_SETUP, OptionPage::Setup, values), modes_(modes) {}

BOOL CSetupPage::OnInitDialog() {
    FillKanjiCodeCombo(GetDlgItem(IDC_DEFAULT_KANJI_CODE), DefaultKanjiCodeOf(values_), false);
    FillLineEndCombo(GetDlgItem(IDC_DEFAULT_LINE_TYPE), DefaultLineEndOf(values_));
    FillKanjiCodeCombo(GetDlgItem(IDC_FILE_OPEN_KANJI_CODE), FileOpenKanjiCodeOf(values_), true);

    HWND modes = GetDlgItem(IDC_DEFAULT_EDIT_MODE);
    ::SendMessageW(modes, CB_SETEXTENDEDUI, TRUE, 0);
    AddComboItem(modes, L"前回起動時の設定", -1);
    int selected = 0;
    if (const CEditModeTable* table = modes_) {
        for (int i = 0; i < table->Count(); ++i) {
            const int index = AddComboItem(modes, AsWide(table->Entry(i).name.c_str()), i);
            if (table->Entry(i).name == values_.defaultEditModeStr) selected = index;
        }
    }
    ::SendMessageW(modes, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);

    // The current filter first, even when a preset equals it.
    HWND filter = GetDlgItem(IDC_FILE_LIST_FILTER);
    ::SendMessageW(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(values_.fileListFilter.c_str())));
    for (const wchar_t* preset : kFilterPresets) ::SendMessageW(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(preset));
    return COptionPage::OnInitDialog();
}

BOOL CSetupPage::OnApply() {
    values_.defaultKanjiCode =
        KanjiCodeNumber(SelectedKanjiCode(GetDlgItem(IDC_DEFAULT_KANJI_CODE), DefaultKanjiCodeOf(values_)));
    values_.defaultLineType =
        LineEndTypeNumber(SelectedLineEnd(GetDlgItem(IDC_DEFAULT_LINE_TYPE), DefaultLineEndOf(values_)));
    values_.fileOpenKanjiCode =
        KanjiCodeNumber(SelectedKanjiCode(GetDlgItem(IDC_FILE_OPEN_KANJI_CODE), FileOpenKanjiCodeOf(values_)));
    values_.defaultEditModeStr = u"NONE";
    HWND modes = GetDlgItem(IDC_DEFAULT_EDIT_MODE);
    const LRESULT index = ::SendMessageW(modes, CB_GETCURSEL, 0, 0);
    if (index > 0) {
        const LRESULT n = ::SendMessageW(modes, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        std::wstring name(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
        ::SendMessageW(modes, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name.data()));
        name.resize(wcslen(name.c_str()));
        values_.defaultEditModeStr = ToU16(name);
    }
    UpdateData(TRUE);
    return TRUE;
}

bool CSetupPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_BROWSE_INITIAL_DIR: BrowseFolder(); return true;
        case IDC_BROWSE_FIREFOX: BrowseProgram(IDC_BROWSER_FIREFOX); return true;
        case IDC_BROWSE_IE: BrowseProgram(IDC_BROWSER_IE); return true;
        case IDC_BROWSE_NS: BrowseProgram(IDC_BROWSER_NS); return true;
        }
    }
    return COptionPage::OnCommand(wParam, lParam);
}

void CSetupPage::BrowseFolder() {
    if (!UpdateData(TRUE)) return;
    FolderDialogRequest request{m_hWnd, L"起動時のディレクトリの選択", ToWide(values_.initialDir)};
    // The browser selects a folder by its name without the closing backslash.
    while (request.folder.size() > 3 && request.folder.back() == L'\\') request.folder.pop_back();
    if (!ShowFolderDialog(request)) return;
    values_.initialDir = ToU16(request.folder);
    UpdateData(FALSE);
}

void CSetupPage::BrowseProgram(int editId) {
    if (!UpdateData(TRUE)) return;
    const std::wstring current = GetDlgItemText(editId).GetString();
    CPlacesBarFileDlg dialog(true, nullptr, current.c_str(), OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                             L"実行ファイル (*.exe)|*.exe|すべてのファイル (*.*)|*.*||", m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    SetDlgItemText(editId, dialog.GetPathName().c_str());
    UpdateData(TRUE);
}

CSetupPage2::CSetupPage2(CAppSettings& values) : COptionPage(IDD_SETUP2, OptionPage::Setup2, values) {}

bool CSetupPage2::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_DEFAULT_COLORS && HIWORD(wParam) == BN_CLICKED) {
        RestoreDefaultTabColours(values_, ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_BTNFACE));
        // The swatches are child windows: they repaint with the page.
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    }
    return COptionPage::OnCommand(wParam, lParam);
}

COptionSheet::COptionSheet(HWND parent, const CAppContext& context)
    : CPropertySheet(L"オプション", parent),
      m_values(context.settings),
      m_editorPage(m_values, context.editorFont),
      m_editPage(m_values),
      m_setupPage(m_values, context.editModeTable),
      m_setupPage2(m_values) {}

INT_PTR COptionSheet::DoModal() {
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    if (GetPageCount() == 0) {
        AddPage(&m_editorPage);
        AddPage(&m_editPage);
        AddPage(&m_setupPage);
        AddPage(&m_setupPage2);
    }
    return CPropertySheet::DoModal();
}
