#include "view/replace_dlg.h"

#include "app/profile/ini_profile.h"
#include "editctrl/wait_cursor.h"
#include "framework/wide.h"
#include "view/search_resource.h"

CReplaceDlg::CReplaceDlg(SearchHistories& histories) : CSearchDlgBase(IDD_REPLACE_DLG, histories) {}

void CReplaceDlg::InitOwnControls(bool textWasEmpty) {
    CSearchHistory& history = histories_.replace;
    if (!history.IsLoaded()) history.Load(histories_.profile);
    replacement_ = request_.condition->replacement;
    if (replacement_.empty() && !history.Entries().empty()) replacement_ = history.Entries().front().text;
    LoadCombo(Item(IDC_REPLACE_TEXT), history);
    WriteComboText(Item(IDC_REPLACE_TEXT), replacement_);
    range_ = request_.condition->inSelection ? kSelection : kWhole;
    CheckRadioButton(m_hWnd, IDC_RANGE_SELECTION, IDC_RANGE_WHOLE,
                     range_ == kSelection ? IDC_RANGE_SELECTION : IDC_RANGE_WHOLE);
    EnableItem(IDC_RANGE_SELECTION, !rangeFixed_);
}

int CReplaceDlg::RangeNow() const {
    return IsDlgButtonChecked(IDC_RANGE_SELECTION) == BST_CHECKED ? kSelection : kWhole;
}

void CReplaceDlg::ApplyButtonRules() {
    const bool any = !SearchBoxText().empty();
    const bool whole = RangeNow() == kWhole;
    EnableItem(IDC_REPLACE_ALL, any);
    EnableItem(IDC_SEARCH_NEXT, any && whole);
    EnableItem(IDC_SEARCH_PREV, any && whole);
    EnableItem(IDC_REPLACE_ONE, any && whole);
}

bool CReplaceDlg::OnOwnCommand(int id, int code) {
    switch (id) {
    case IDC_SEARCH_NEXT:
        Find(1);
        return true;
    case IDC_SEARCH_PREV:
        Find(-1);
        return true;
    case IDOK:  // Enter replaces only while that button may
        if (::IsWindowEnabled(Item(IDC_REPLACE_ONE))) Replace(false);
        return true;
    case IDC_REPLACE_ONE:
        Replace(false);
        return true;
    case IDC_REPLACE_ALL:
        Replace(true);
        return true;
    case IDC_RANGE_SELECTION:
    case IDC_RANGE_WHOLE:
        if (code == BN_CLICKED) ApplyButtonRules();
        return true;
    }
    return false;
}

bool CReplaceDlg::TakeReplaceCondition(int direction, bool replaceAll) {
    replacement_ = ReadComboText(Item(IDC_REPLACE_TEXT));
    range_ = RangeNow();
    CSearchCondition* condition = TakeCondition(direction);
    if (!condition) return false;
    condition->replacement = replacement_;
    condition->inSelection = range_ == kSelection;
    condition->replaceAll = replaceAll;
    return true;
}

void CReplaceDlg::Find(int direction) {
    CWaitCursor wait;
    if (!TakeReplaceCondition(direction, false)) return;
    SendToOwner(request_.findMessage);
    if (::IsWindow(m_hWnd)) AfterAction();
}

void CReplaceDlg::Replace(bool all) {
    CWaitCursor wait;
    if (!TakeReplaceCondition(1, all)) return;
    SendToOwner(replaceMessage_);
    if (!::IsWindow(m_hWnd)) return;
    AfterAction();
    if (!all) FocusSearchText();
}

void CReplaceDlg::AfterAction() {
    SaveSearchHistory();
    histories_.replace.Add(histories_.profile, replacement_, 0);
    LoadCombo(Item(IDC_REPLACE_TEXT), histories_.replace);
    WriteComboText(Item(IDC_REPLACE_TEXT), replacement_);
    ApplyButtonRules();
}
