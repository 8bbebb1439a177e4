#include "view/search_dlg.h"

#include "editctrl/wait_cursor.h"
#include "view/search_resource.h"

CSearchDlg::CSearchDlg(SearchHistories& histories) : CSearchDlgBase(IDD_SEARCH_DLG, histories) {}

void CSearchDlg::ApplyButtonRules() {
    const bool any = !SearchBoxText().empty();
    EnableItem(IDC_SEARCH_NEXT, any);
    EnableItem(IDC_SEARCH_PREV, any);
}

bool CSearchDlg::OnOwnCommand(int id, int code) {
    switch (id) {
    case IDOK:  // Enter
    case IDC_SEARCH_NEXT:
        Find(1);
        return true;
    case IDC_SEARCH_PREV:
        Find(-1);
        return true;
    }
    return false;
}

void CSearchDlg::Find(int direction) {
    CWaitCursor wait;
    ReadControls();
    if (text_.empty() || !OwnerAlive() || !TakeCondition(direction)) return;
    const LRESULT result = SendToOwner(request_.findMessage);
    if (!::IsWindow(m_hWnd)) return;
    SaveSearchHistory();
    ApplyButtonRules();
    FocusSearchText();
    if (closeWhenFound_ && result == 0) OnCancel();
}
