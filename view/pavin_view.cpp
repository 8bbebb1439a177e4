#include "view/pavin_view.h"

#include <windowsx.h>

#include "app/editor_fonts_win.h"
#include "app/doc_copydata.h"
#include "app/macro_calls.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "editctrl/syntax/editmode.h"
#include "editctrl/edit_ctrl.h"
#include "framework/app.h"
#include "framework/seams.h"
#include "view/edit_context_menu.h"
#include "view/edit_settings.h"
#include "view/view_commands.h"
#include "view/view_textops.h"
#include "view/view_search.h"
#include "view/view_jump.h"
#include "view/select_color_dlg.h"
#include "view/view_tools.h"
#include "view/view_print.h"

namespace {

// Hidden until the document makes the file current.
constexpr DWORD kEditorStyleHidden = WS_CHILD | WS_VSCROLL;
constexpr DWORD kEditorStyleShown = WS_CHILD | WS_VISIBLE | WS_VSCROLL;
constexpr UINT kEditorId = 1;

}  // namespace

CPavinView::CPavinView(CAppContext& context) : context_(context) {}
CPavinView::~CPavinView() = default;

CSelectColorDlg* CPavinView::ColorPicker() {
    if (!m_colorPicker && m_hWnd) {
        if (context_.profile) m_colorPicker = std::make_unique<CSelectColorDlg>(*context_.profile);
    }
    return m_colorPicker.get();
}

CPavinDoc* CPavinView::GetDocument() const { return dynamic_cast<CPavinDoc*>(CView::GetDocument()); }

CEditCtrl* CPavinView::CurrentEditor() const {
    CPavinDoc* doc = GetDocument();
    if (!doc) return nullptr;
    CEditCtrl& editor = doc->Current().editor;
    return editor.IsWindow() ? &editor : nullptr;
}

int CPavinView::OnCreate(CREATESTRUCTW* cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    SetWindowText(kWindowName);
    if (!tabs_.Create()) return -1;
    // The first file (the document's hidden head) gets its window now.
    if (CPavinDoc* doc = GetDocument()) {
        CDocFile& first = doc->Current();
        first.editor.SetEditData(&first.data);
        if (!first.editor.Create(nullptr, L"", kEditorStyleHidden, GetClientRect(), m_hWnd, kEditorId)) return -1;
        first.editor.RecalcLineWidth(true);
    }
    ApplyFonts();
    m_searchDialogs = CreateSearchDialogs(m_hWnd, context_.profile);
    return 0;
}

void CPavinView::OnInitialUpdate() {
    // The document has its files by now; nothing to redraw beyond layout.
    RecalcLayout();
}

void CPavinView::RecalcLayout() {
    if (!m_hWnd) return;
    const CRect client = GetClientRect();
    const int top = tabs_.Layout(client);
    if (CEditCtrl* editor = CurrentEditor()) editor->MoveWindow(0, top, client.Width(), client.Height() - top);
    Invalidate(TRUE);
}

void CPavinView::ApplySettings(CEditCtrl& editor) {
    // The current edit mode decides C-style indent and the comment and tag bits.
    const CEditModeTable* modes = context_.editModeTable;
    const bool cStyleIndent = !modes || context_.settings.editMode < 0 || context_.settings.editMode >= modes->Count() ||
                              modes->Entry(context_.settings.editMode).cStyleIndent != 0;
    if (CEditData* data = editor.GetEditData()) ApplyEditSettings(context_.settings, *data, cStyleIndent);
    const CStrToken& language = context_.modeLanguage;
    const bool noComments =
        language.RowCommentCount() == 0 && language.OpenComment().empty() && language.CloseComment().empty();
    ApplySettingsToEditor(editor, context_.settings, noComments, language.TagLanguageMode());
    tabs_.ApplySettings();
}

void CPavinView::ApplySettingsToEditors() {
    CPavinDoc* doc = GetDocument();
    if (!doc) return;
    for (const auto& record : doc->Files().Records()) {
        CEditCtrl& editor = static_cast<CDocFile&>(*record).editor;
        if (editor.IsWindow()) ApplySettings(editor);
    }
}

void CPavinView::ApplyFonts() {
    if (context_.editorFont.GetSafeHandle()) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(context_.editorFont.GetSafeHandle()), FALSE);
        // Every open file shows the one editor font.
        if (CPavinDoc* doc = GetDocument())
            for (const auto& record : doc->Files().Records()) {
                CEditCtrl& editor = static_cast<CDocFile&>(*record).editor;
                if (editor.IsWindow()) editor.SetFont(context_.editorFont);
            }
    }
    tabs_.ApplyFont();
    RecalcLayout();
}

void CPavinView::CreateEditorOf(int id) {
    CPavinDoc* doc = GetDocument();
    if (!doc) return;
    auto* file = static_cast<CDocFile*>(doc->Files().FindById(id));
    if (!file) return;
    CEditCtrl& editor = file->editor;
    editor.SetEditData(&file->data);
    if (!editor.IsWindow() && !editor.Create(nullptr, L"", kEditorStyleShown, GetClientRect(), m_hWnd, kEditorId))
        return;
    if (context_.editorFont.GetSafeHandle()) editor.SetFont(context_.editorFont);
    editor.SetWrapMode(WrapModeFromNumber(context_.settings.lineMode), context_.settings.lineLen);
    ApplySettings(editor);
    RecalcLayout();
}

void CPavinView::OnUpdate(CView*, LPARAM hint, CCmdTarget* hintObject) {
    tabs_.OnUpdate(hint, hintObject);
    CEditCtrl* editor = CurrentEditor();
    switch (hint) {
    case HINT_FILE_ADDED:
        CreateEditorOf(IdOfHintObject(hintObject));
        break;
    case HINT_FILE_CLOSED:
        Invalidate(TRUE);
        RecalcLayout();
        break;
    case HINT_TEXT_CHANGED:
        if (editor) editor->RefreshLayout(0);
        break;
    case HINT_FILE_SAVED:
        if (editor) editor->InvalidateAll(TRUE);
        break;
    case HINT_SETTINGS_CHANGED:
        ApplySettingsToEditors();
        break;
    case HINT_EDIT_MODE_CHANGED:
        if (editor) {
            ApplySettings(*editor);
            if (CPavinDoc* doc = GetDocument()) doc->Current().editMode = context_.settings.editMode;
        }
        break;
    case HINT_FRAME_MOVED:
        if (editor) editor->UpdateCaret();
        break;
    case HINT_FONT_CHANGED:
        ApplyFonts();
        break;
    case HINT_SELECT_TAB:
        // The document shows the file's window; it takes the view's place.
        if (editor) ApplySettings(*editor);
        RecalcLayout();
        if (editor) {
            editor->SetFocus();
            // The status bar's caret pane shows this file's caret, focused or not.
            editor->UpdateCaret(0, true);
        }
        break;
    }
}

bool CPavinView::OnCmdMsg(UINT id, CCmdUI* ui) {
    switch (id) {
    case ID_INDICATOR_CARET_POS:
        if (ui) {
            wchar_t text[64];
            ::wsprintfW(text, L" %d 行，%d 列", context_.caretPosition.line, context_.caretPosition.column);
            ui->SetText(CurrentEditor() ? text : L"");
        }
        return true;
    case ID_INDICATOR_FORMAT:
        if (ui) ui->SetText(context_.formatStatusText.c_str());
        return true;
    case ID_INDICATOR_BOX: {
        CEditCtrl* editor = CurrentEditor();
        if (ui) ui->Enable(editor && editor->DispData().boxSelection != 0);
        return true;
    }
    }
    if (tabs_.RunCommand(id, ui)) return true;
    if (RunTextOpCommand(*this, id, ui)) return true;
    if (RunSearchCommand(*this, id, ui)) return true;
    if (RunJumpCommand(*this, id, ui)) return true;
    if (RunToolCommand(*this, id, ui)) return true;
    if (RunPrintCommand(*this, id, ui)) return true;
    if (CEditCtrl* editor = CurrentEditor())
        if (RunEditorCommand(*editor, id, ui, context_.settings)) return true;
    return CView::OnCmdMsg(id, ui);
}

LRESULT CPavinView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result; tabs_.HandleMessage(msg, wParam, lParam, result)) return result;
    if (LRESULT result = 0; HandleSearchMessage(*this, msg, result)) return result;
    switch (msg) {
    case WM_SIZE:
        CView::WindowProc(msg, wParam, lParam);
        RecalcLayout();
        return 0;
    case WM_SETFOCUS:
        if (CEditCtrl* editor = CurrentEditor()) {
            editor->SetFocus();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        // The editing window covers the view; before the first file the
        // window background shows.
        if (CurrentEditor()) return 0;
        break;
    case WM_EDIT_CARETMOVED:
        context_.caretPosition.column = static_cast<int>(wParam) + 1;
        context_.caretPosition.line = static_cast<int>(lParam) + 1;
        context_.macros.FireEvent("on-cursor-moved");
        return 0;
    case WM_EDIT_MODIFIEDCHANGED:
        if (CPavinDoc* doc = GetDocument()) doc->UpdateTitle();
        return 0;
    case WM_EDIT_SELCHANGED:
        context_.macros.FireEvent("on-selection-changed");
        return 0;
    case WM_CONTEXTMENU:
        if (CEditCtrl* editor = CurrentEditor())
            if (ShowEditContextMenu(*editor, ::GetAncestor(m_hWnd, GA_ROOT), GET_X_LPARAM(lParam),
                                    GET_Y_LPARAM(lParam)))
                return 0;
        break;
    case WM_INSERT_COLOR_TEXT:
        InsertColorText(*this, reinterpret_cast<const wchar_t*>(wParam));
        return 0;
    case WM_EDIT_DBLCLK:
        if (context_.settings.enableTagJump) TagJump(*this);
        return 0;
    case WM_COPYDATA: {
        CPavinDoc* doc = GetDocument();
        if (!doc) break;
        CDocCopyDataTarget target(*doc, m_hWnd);
        // Find-next goes on with the grep program's search; direction and
        // the replace fields stay as they were.
        target.takeSearch = [this](const CopyDataOpenAndSearch& record) {
            m_searchCondition.pattern = record.pattern;
            m_searchCondition.matchCase = record.matchCase != 0;
            m_searchCondition.widthSensitive = record.widthSensitive != 0;
            m_searchCondition.regex = record.regex != 0;
        };
        bool handled = false;
        // The sender waits for the reply: what went wrong is told after it.
        doc->DeferReports(true);
        LRESULT result = DispatchCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam), target, handled);
        doc->DeferReports(false);
        for (std::wstring& report : doc->TakeDeferredReports()) {
            m_deferredReports.push_back(std::move(report));
            ::PostMessageW(m_hWnd, WM_VIEW_SHOW_REPORT, 0, 0);
        }
        if (handled) return result;
        break;
    }
    case WM_VIEW_SHOW_REPORT:
        if (!m_deferredReports.empty()) {
            const std::wstring text = std::move(m_deferredReports.front());
            m_deferredReports.erase(m_deferredReports.begin());
            ShowMessageBox(::GetAncestor(m_hWnd, GA_ROOT), text.c_str(), L"wendrel", MB_OK | MB_ICONEXCLAMATION);
        }
        return 0;
    }
    return CView::WindowProc(msg, wParam, lParam);
}
