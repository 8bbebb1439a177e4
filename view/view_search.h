// The view's searching: the search commands (find next and previous, the
// same for the selected text, the highlight off, opening the three
// dialogs), the dialogs' requests to the view, and their reports in the
// status bar. Everything searches with the view's one search condition.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "view/core/search_history.h"
#include "view/filter_dlg.h"
#include "view/replace_dlg.h"
#include "view/search_dlg.h"

class CCmdUI;
class CIniProfile;
class CPavinView;
class CView;

// The dialogs' requests; the request itself lies in the search condition.
constexpr UINT WM_SEARCH_FIND = WM_USER + 100;
constexpr UINT WM_SEARCH_REPLACE = WM_USER + 101;
constexpr UINT WM_SEARCH_FILTER = WM_USER + 102;

// The find, replace and filter dialogs of one view, made hidden with it
// and kept for its life, with the histories they share.
class CViewSearchDialogs {
public:
    explicit CViewSearchDialogs(CIniProfile& profile);
    bool Create(HWND view);

    SearchHistories histories;
    CSearchDlg search;
    CReplaceDlg replace;
    CFilterDlg filter;
};

// The dialogs for a new view window, keeping their histories in profile;
// null without a settings store.
std::unique_ptr<CViewSearchDialogs> CreateSearchDialogs(HWND view, CIniProfile* profile);

// Runs (ui null) or updates (ui set) a search command; false when id is none.
bool RunSearchCommand(CPavinView& view, UINT id, CCmdUI* ui);
// Answers a dialog's request; false when msg is none.
bool HandleSearchMessage(CPavinView& view, UINT msg, LRESULT& result);
// The condition a macro search leaves, so that the user's find-next goes on
// with it: a case-sensitive or -insensitive regular expression, forward.
void WriteMacroSearchCondition(CView* view, const std::wstring& pattern, bool matchCase);
