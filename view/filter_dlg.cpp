#include "view/filter_dlg.h"

#include "app/profile/ini_profile.h"
#include "editctrl/wait_cursor.h"
#include "view/search_resource.h"

namespace {

constexpr const wchar_t* kActions[] = {L"検索結果に一致する行を抽出する", L"検索結果に一致する行を削除する"};

}  // namespace

CFilterDlg::CFilterDlg(SearchHistories& histories) : CSearchDlgBase(IDD_FILTER_DLG, histories) {}

BOOL CFilterDlg::OnInitDialog() {
    HWND list = Item(IDC_FILTER_ACTION);
    for (const wchar_t* text : kActions) ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ::SendMessageW(list, CB_SETCURSEL, kKeepMatching, 0);
    return CSearchDlgBase::OnInitDialog();
}

void CFilterDlg::InitOwnControls(bool) {
    int action = histories_.profile.GetInt(u"FILTER_DLG", u"ACTION", kKeepMatching);
    if (action != kDeleteMatching) action = kKeepMatching;
    ::SendMessageW(Item(IDC_FILTER_ACTION), CB_SETCURSEL, action, 0);
}

void CFilterDlg::ApplyButtonRules() {
    EnableItem(IDC_SEARCH_NEXT, !SearchBoxText().empty());
    EnableItem(IDC_FILTER_RUN, true);
}

bool CFilterDlg::OnOwnCommand(int id, int code) {
    switch (id) {
    case IDOK:  // Enter
    case IDC_SEARCH_NEXT:
        Find();
        return true;
    case IDC_FILTER_RUN:
        Run();
        return true;
    }
    return false;
}

void CFilterDlg::Find() {
    CWaitCursor wait;
    ReadControls();
    if (text_.empty() || !OwnerAlive() || !TakeCondition(1)) return;
    SendToOwner(request_.findMessage);
    if (!::IsWindow(m_hWnd)) return;
    SaveSearchHistory();
    ApplyButtonRules();
    FocusSearchText();
}

void CFilterDlg::Run() {
    CWaitCursor wait;
    ReadControls();
    if (text_.empty() || !OwnerAlive() || !request_.condition) return;
    const int action =
        static_cast<int>(::SendMessageW(Item(IDC_FILTER_ACTION), CB_GETCURSEL, 0, 0)) == kDeleteMatching
            ? kDeleteMatching
            : kKeepMatching;
    TakeCondition(action == kDeleteMatching ? 1 : 0);
    SendToOwner(runMessage_);
    if (!::IsWindow(m_hWnd)) return;
    SaveSearchHistory();
    ApplyButtonRules();
    histories_.profile.WriteInt(u"FILTER_DLG", u"ACTION", action);
    histories_.profile.Save();
    FocusSearchText();
}
