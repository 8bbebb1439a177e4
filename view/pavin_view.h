// The editor's one view: it shows the current file's editing window (each
// file's window lives in the file's record and is made here when the file
// is added), pushes the settings into it, relays its notifications (caret
// position, macro events), answers the other editors' questions by
// WM_COPYDATA, and fills the status panes of the caret, the encoding, box
// selection and overwrite. Its window text is how other programs find it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "framework/doc.h"
#include "view/view_tabs.h"
#include "view/core/search_condition.h"

class CPavinDoc;
class CEditCtrl;
class CViewSearchDialogs;
class CSelectColorDlg;

// Posted to the view to show a report kept while a WM_COPYDATA was answered.
constexpr UINT WM_VIEW_SHOW_REPORT = WM_USER + 120;

class CPavinView : public CView {
public:
    static constexpr const wchar_t* kWindowName = L"WENDREL_VIEW_WINDOWNAME";

    explicit CPavinView(CAppContext& context);
    ~CPavinView() override;

    CAppContext& Context() const { return context_; }

    CPavinDoc* GetDocument() const;
    // The current file's editing window; null before the first file.
    CEditCtrl* CurrentEditor() const;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CCmdTarget* hintObject) override;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

    // The tab strip on top, the current editor below it.
    void RecalcLayout();
    // The context's settings record into every open file's text and
    // editing window, after the settings changed.
    void ApplySettingsToEditors();
    CViewTabs& Tabs() { return tabs_; }

    // What the dialogs, the search commands and the macro procedures search
    // for; a find-next goes on with whichever set it last.
    CSearchCondition& SearchCondition() { return m_searchCondition; }
    // The find, replace and filter dialogs; null before the window exists.
    CViewSearchDialogs* SearchDialogs() const { return m_searchDialogs.get(); }
    // The colour picker, made hidden on first use; null without a window or
    // a settings store.
    CSelectColorDlg* ColorPicker();

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The file of that id gets its window, visible, with the settings.
    void CreateEditorOf(int id);
    void ApplySettings(CEditCtrl& editor);
    void ApplyFonts();

    CAppContext& context_;
    CViewTabs tabs_{*this};
    CSearchCondition m_searchCondition;
    std::unique_ptr<CViewSearchDialogs> m_searchDialogs;
    std::unique_ptr<CSelectColorDlg> m_colorPicker;
    std::vector<std::wstring> m_deferredReports;  // shown one per WM_VIEW_SHOW_REPORT
};
