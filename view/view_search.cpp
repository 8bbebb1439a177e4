#include "view/view_search.h"

#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/frame.h"
#include "framework/wide.h"
#include "view/pavin_view.h"
#include "view/search_resource.h"

namespace {

void SetStatus(CPavinView& view, const wchar_t* text) {
    if (CFrameWnd* frame = view.GetParentFrame()) frame->SetMessageText(text);
}

// After a find (or a single replace): not found, or where it wrapped.
void ReportFind(CPavinView& view, int result, int wrapped, int direction) {
    if (!view.IsWindow()) return;
    if (result != 0) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        SetStatus(view, L"見つかりません");
    } else if (wrapped) {
        SetStatus(view, direction == 1 ? L"ファイルの末尾まで検索しました" : L"ファイルの先頭まで検索しました");
    }
}

LRESULT Find(CPavinView& view, CEditCtrl& editor, int direction) {
    const CSearchCondition& c = view.SearchCondition();
    SetStatus(view, L"");
    int wrapped = 0;
    const int result = editor.FindString(AsWide(c.pattern.c_str()), direction, c.matchCase, c.widthSensitive,
                                         c.regex, &wrapped);
    ReportFind(view, result, wrapped, direction);
    return result;
}

void Replace(CPavinView& view, CEditCtrl& editor) {
    const CSearchCondition& c = view.SearchCondition();
    SetStatus(view, L"");
    int count = 0, wrapped = 0;
    const int result = editor.FindReplace(AsWide(c.pattern.c_str()), AsWide(c.replacement.c_str()), c.direction,
                                          c.matchCase, c.widthSensitive, c.regex, c.replaceAll, c.inSelection,
                                          &count, &wrapped);
    if (CPavinDoc* doc = view.GetDocument()) doc->UpdateTitle();
    if (c.replaceAll) {
        wchar_t text[64];
        ::wsprintfW(text, L"%d件置換しました", count);
        SetStatus(view, text);
    } else {
        ReportFind(view, result, wrapped, c.direction);
    }
}

void Filter(CPavinView& view, CEditCtrl& editor) {
    const CSearchCondition& c = view.SearchCondition();
    int count = 0;
    const int result = editor.FilterLines(AsWide(c.pattern.c_str()), c.matchCase, c.widthSensitive, c.regex,
                                          editor.Model().IsMultiLineSelection(), &count, c.direction);
    if (CPavinDoc* doc = view.GetDocument()) doc->UpdateTitle();
    if (result == 0) {
        wchar_t text[64];
        ::wsprintfW(text, L"%d行削除しました", count);
        SetStatus(view, text);
    }
}

// Only a selection within one line is taken as a search text: several
// lines are what the replace dialog's selection range is for.
bool SelectionWithinOneLine(const CEditCtrl* editor) {
    return editor && editor->Model().HasSelection() && !editor->Model().IsMultiLineSelection();
}

enum class Which { Search, Replace, Filter };

void OpenDialog(CPavinView& view, CViewSearchDialogs& dialogs, Which which) {
    CSearchDlgBase* all[] = {&dialogs.search, &dialogs.replace, &dialogs.filter};
    CSearchDlgBase* dialog = all[static_cast<int>(which)];
    for (CSearchDlgBase* other : all)
        if (other != dialog && ::IsWindowVisible(other->m_hWnd)) other->ShowWindow(SW_HIDE);
    CEditCtrl* editor = view.CurrentEditor();
    CSearchCondition& condition = view.SearchCondition();
    if (::IsWindowVisible(dialog->m_hWnd)) {
        if (which == Which::Search && SelectionWithinOneLine(editor))
            dialog->PutSearchText(editor->Model().SelectedText());
        else
            dialog->FocusSearchText();
        return;
    }
    if (SelectionWithinOneLine(editor)) condition.pattern = editor->Model().SelectedText();
    if (which == Which::Replace) condition.inSelection = editor && editor->Model().IsMultiLineSelection() ? 1 : 0;

    SearchDlgRequest request;
    request.initialise = true;
    request.owner = view.m_hWnd;
    request.findMessage = WM_SEARCH_FIND;
    request.condition = &condition;
    dialog->SetRequest(request);
    switch (which) {
    case Which::Search:
        dialogs.search.SetCloseWhenFound(view.Context().settings.searchDlgCloseAtFound != 0);
        break;
    case Which::Replace:
        dialogs.replace.SetReplaceMessage(WM_SEARCH_REPLACE);
        dialogs.replace.SetRangeFixed(false);
        break;
    case Which::Filter:
        dialogs.filter.SetRunMessage(WM_SEARCH_FILTER);
        break;
    }
    dialog->InitFromCondition();
    dialog->ShowWindow(SW_SHOWNORMAL);
    dialog->FocusSearchText();
}

}  // namespace

CViewSearchDialogs::CViewSearchDialogs(CIniProfile& profile)
    : histories(profile), search(histories), replace(histories), filter(histories) {}

bool CViewSearchDialogs::Create(HWND view) {
    return search.Create(IDD_SEARCH_DLG, view) && replace.Create(IDD_REPLACE_DLG, view) &&
           filter.Create(IDD_FILTER_DLG, view);
}

std::unique_ptr<CViewSearchDialogs> CreateSearchDialogs(HWND view, CIniProfile* profile) {
    if (!profile) return nullptr;
    auto dialogs = std::make_unique<CViewSearchDialogs>(*profile);
    if (!dialogs->Create(view)) return nullptr;
    return dialogs;
}

bool RunSearchCommand(CPavinView& view, UINT id, CCmdUI* ui) {
    CEditCtrl* editor = view.CurrentEditor();
    CViewSearchDialogs* dialogs = view.SearchDialogs();
    switch (id) {
    case ID_SEARCH_FIND:
    case ID_SEARCH_REPLACE:
    case ID_SEARCH_FILTER:
        if (ui) {
            ui->Enable(dialogs != nullptr);
        } else if (dialogs) {
            OpenDialog(view, *dialogs,
                       id == ID_SEARCH_FIND ? Which::Search : id == ID_SEARCH_REPLACE ? Which::Replace : Which::Filter);
        }
        return true;
    case ID_SEARCH_SELECTED_NEXT:
    case ID_SEARCH_SELECTED_PREV:
        if (!ui && editor && editor->Model().HasSelection()) {
            CSearchCondition& c = view.SearchCondition();
            c.pattern = editor->Model().SelectedText();
            c.direction = 1;
            c.matchCase = c.widthSensitive = c.regex = 0;
        }
        [[fallthrough]];
    case ID_SEARCH_NEXT:
    case ID_SEARCH_PREV:
        if (ui)
            ui->Enable(editor != nullptr);
        else if (editor)
            Find(view, *editor, id == ID_SEARCH_NEXT || id == ID_SEARCH_SELECTED_NEXT ? 1 : -1);
        return true;
    case ID_SEARCH_CLEAR_HIGHLIGHT:
        if (ui)
            ui->Enable(editor != nullptr);
        else if (editor)
            editor->ClearSearchHighlight();
        return true;
    }
    return false;
}

bool HandleSearchMessage(CPavinView& view, UINT msg, LRESULT& result) {
    if (msg != WM_SEARCH_FIND && msg != WM_SEARCH_REPLACE && msg != WM_SEARCH_FILTER) return false;
    CEditCtrl* editor = view.CurrentEditor();
    result = msg == WM_SEARCH_FIND ? 1 : 0;
    if (!editor) return true;
    switch (msg) {
    case WM_SEARCH_FIND:
        result = Find(view, *editor, view.SearchCondition().direction);
        break;
    case WM_SEARCH_REPLACE:
        Replace(view, *editor);
        break;
    case WM_SEARCH_FILTER:
        Filter(view, *editor);
        break;
    }
    return true;
}

void WriteMacroSearchCondition(CView* view, const std::wstring& pattern, bool matchCase) {
    auto* pavinView = dynamic_cast<CPavinView*>(view);
    if (!pavinView) return;
    CSearchCondition& c = pavinView->SearchCondition();
    c = CSearchCondition{};
    c.pattern = ToU16(pattern);
    c.matchCase = matchCase ? 1 : 0;
    c.widthSensitive = 1;
    c.regex = 1;
}
