#include "app/macro_host_win.h"

#include <memory>
#include <vector>

#include "app/accel_table.h"
#include "app/app_context.h"
#include "app/macro_calls.h"
#include "app/macro_platform_win.h"
#include "app/macrohost/macro_host.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "editctrl/edit_measure.h"
#include "framework/app.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

CMainFrame* MainFrame() {
    CWinApp* app = AfxGetApp();
    return app ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
}

HWND MainWindow() {
    CMainFrame* frame = MainFrame();
    return frame ? frame->GetSafeHwnd() : nullptr;
}

CPavinDoc* ActiveEditDoc() {
    CMainFrame* frame = MainFrame();
    return frame ? dynamic_cast<CPavinDoc*>(frame->GetActiveDocument()) : nullptr;
}

// --- the input box: a dialog from an in-memory template ---------------------------------------

constexpr int kInputEditId = 1000;

struct InputBoxState {
    const std::wstring* caption;
    std::wstring* text;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* state = reinterpret_cast<InputBoxState*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ::SetWindowTextW(dialog, state->caption->c_str());
        ::SetDlgItemTextW(dialog, kInputEditId, state->text->c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* state = reinterpret_cast<InputBoxState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
            HWND edit = ::GetDlgItem(dialog, kInputEditId);
            std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
            text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
            *state->text = text;
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// A dialog template: a caption-less box (the caption is set at init) with
// one edit line, OK and Cancel.
class DialogTemplate {
public:
    void Header(DWORD style, WORD items, short cx, short cy) {
        Align(4);
        Dword(style);
        Dword(0);
        Word(items);
        Word(0), Word(0), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
        Word(0);  // no menu
        Word(0);  // the dialog class
        Text(L"");
        Word(9);
        Text(L"MS UI Gothic");
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* text) {
        Align(4);
        Dword(style);
        Dword(0);
        Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(cx)),
            Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF), Word(classAtom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Align(size_t bytes) {
        while ((words_.size() * 2) % bytes) words_.push_back(0);
    }
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
    void Text(const wchar_t* s) {
        for (; *s; ++s) Word(static_cast<WORD>(*s));
        Word(0);
    }
    std::vector<WORD> words_;
};

bool RunInputBox(const MacroInputBoxHandler& handler, const std::wstring& caption, std::wstring& text) {
    if (handler) return handler(caption, text);
    DialogTemplate t;
    t.Header(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 3, 220, 52);
    t.Item(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 7, 206, 14, kInputEditId, 0x0081, L"");
    t.Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 109, 30, 50, 14, IDOK, 0x0080, L"OK");
    t.Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 163, 30, 50, 14, IDCANCEL, 0x0080, L"キャンセル");
    InputBoxState state{&caption, &text};
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), MainWindow(), InputBoxProc,
                                     reinterpret_cast<LPARAM>(&state)) == IDOK;
}

// --- the editing window as the procedures drive it ---------------------------------------------

class EditorOfWindow : public CMacroEditor {
public:
    CEditCtrl* editor = nullptr;

    CEditData& Data() override { return *editor->GetEditData(); }
    int DisplayColumn(int line, int column) override {
        return Data().GetDisplayColumn(line, column, editor->Measure().metrics);
    }
    int ColumnFromDisplayColumn(int line, int displayColumn) override {
        return editor->ColumnFromDisplayColumn(displayColumn, line);
    }
    void SetCaret(EditPos pos) override {
        CEditData& data = Data();
        CEditDispData& d = data.GetDispData();
        if (d.selStart.line != -1 && d.selStart != d.selEnd) {
            editor->MirrorInvalidateLines(d.selStart.line, d.selEnd.line);
            d.ResetSelection();
            ::SendMessageW(::GetParent(editor->GetSafeHwnd()), WM_EDIT_SELCHANGED, 0, 0);
        }
        data.SetCaretX(-1);
        data.SetCaretPos(pos.line, pos.column);
        if (CUndoData* undo = data.GetUndo()) undo->SetOpenKind(0);
        editor->UpdateCaret(1, true);
    }
    void SelectRange(EditPos from, EditPos to, bool box) override {
        editor->Model().SelectRange({from.column, from.line}, {to.column, to.line}, box);
    }
    void ReplaceSelection(const std::u16string& text) override {
        editor->Model().ReplaceSelection(text.c_str(), false);
    }
    void DeleteSelection() override { editor->Model().DeleteSelection(); }
    int Find(const std::u16string& pattern, bool matchCase) override {
        return editor->FindString(AsWide(pattern.c_str()), 1, matchCase, TRUE, TRUE);
    }
    int ReplaceAll(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                   bool inSelection) override {
        int count = 0;
        editor->ReplaceAll(AsWide(pattern.c_str()), AsWide(replacement.c_str()), matchCase, TRUE, TRUE, inSelection,
                           &count);
        return count;
    }
    std::u16string SelectedText() override { return editor->Model().SelectedText(); }
    void MoveChars(int count, bool extend) override {
        for (int i = 0; i < count; ++i) editor->Model().MoveCharOrCollapse(1, extend);
        for (int i = 0; i > count; --i) editor->Model().MoveCharOrCollapse(-1, extend);
    }
    void MoveRows(int count, bool extend) override { editor->MoveCaretRows(count, extend, false); }
};

// --- the program's windows behind the host ----------------------------------------------------

void CALLBACK MacroTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

class WindowsUi : public CMacroHostUi {
public:
    WindowsUi(std::wstring programDir, CAppContext& context) : programDir_(std::move(programDir)), context_(context) {}

    bool HasMainWindow() override { return MainWindow() != nullptr; }
    void SetStatusText(const std::u16string& text) override {
        if (CMainFrame* frame = MainFrame()) frame->SetMessageText(AsWide(text.c_str()));
    }
    void ShowBox(const std::u16string& text, const char16_t* caption, MacroBoxIcon icon) override {
        const UINT type = MB_OK | (icon == MacroBoxIcon::Information ? MB_ICONINFORMATION : MB_ICONWARNING);
        ShowMessageBox(MainWindow(), AsWide(text.c_str()), AsWide(caption), type);
    }
    void RestoreMainWindow() override {
        if (HWND main = MainWindow(); main && ::IsIconic(main)) ::ShowWindow(main, SW_RESTORE);
    }
    bool InputBox(const std::u16string& caption, std::u16string& text) override {
        std::wstring wide = ToWide(text);
        if (!RunInputBox(context_.inputBox, ToWide(caption), wide)) return false;
        text = ToU16(wide);
        return true;
    }
    std::u16string ToolDir() override { return ToU16(programDir_); }
    std::u16string CommandLine() override {
        CWinApp* app = AfxGetApp();
        return app && app->m_lpCmdLine ? ToU16(app->m_lpCmdLine) : u"";
    }
    bool ParseKey(const std::u16string& text, int& fVirt, int& vk) override {
        BYTE virt = 0;
        WORD key = 0;
        if (!StringToKey(ToWide(text), virt, key)) return false;
        fVirt = virt;
        vk = key;
        return true;
    }
    void SetTimer(int id, int milliseconds) override {
        ::SetTimer(MainWindow(), static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), MacroTimerProc);
    }
    void KillTimer(int id) override { ::KillTimer(MainWindow(), static_cast<UINT_PTR>(id)); }
    bool HasDocument() override { return ActiveEditDoc() != nullptr; }
    std::u16string DocumentPath() override {
        CPavinDoc* doc = ActiveEditDoc();
        return doc && !doc->Current().newFile ? ToU16(doc->GetPathName().str()) : u"";
    }
    bool SetSearchCondition(const std::u16string& pattern, bool matchCase) override {
        CMainFrame* frame = MainFrame();
        CView* view = frame && ActiveEditDoc() ? frame->GetActiveView() : nullptr;
        if (!view) return false;
        if (context_.searchWriter) context_.searchWriter(view, ToWide(pattern), matchCase);
        return true;
    }
    CMacroEditor* ActiveEditor() override {
        CEditCtrl* editor = CurrentEditor();
        if (!editor) return nullptr;
        editor_.editor = editor;
        return &editor_;
    }
    int BeginUndoGroup() override {
        CEditCtrl* editor = CurrentEditor();
        if (!editor) return -1;
        if (CUndoData* undo = editor->GetEditData()->GetUndo()) undo->BeginGroup(1);
        return ActiveEditDoc()->Current().id;
    }
    void EndUndoGroup(int fileId) override {
        CPavinDoc* doc = ActiveEditDoc();
        if (!doc) return;
        // The file the run began on, wherever the run left the user; a file
        // the run closed took its group with it.
        if (fileId >= 0)
            if (auto* file = static_cast<CDocFile*>(doc->Files().FindById(fileId)))
                if (CUndoData* undo = file->data.GetUndo()) undo->EndGroup();
        doc->UpdateTitle();
    }

private:
    CEditCtrl* CurrentEditor() {
        CMainFrame* frame = MainFrame();
        CPavinDoc* doc = ActiveEditDoc();
        if (!doc || !frame->GetActiveView()) return nullptr;
        CEditCtrl& editor = doc->Current().editor;
        return editor.GetSafeHwnd() && editor.GetEditData() ? &editor : nullptr;
    }

    std::wstring programDir_;
    CAppContext& context_;
    EditorOfWindow editor_;
};

// What the frame, the view and the commands call.
class HostCalls : public CMacroCalls {
public:
    explicit HostCalls(CMacroHost& host) : host_(host) {}
    bool RunKeyProcedure(DWORD binding) override { return host_.RunKey(binding); }
    bool HasEventHandler(const char* event) override { return host_.HasEventHandler(event); }
    void FireEvent(const char* event) override { host_.FireEvent(event); }
    void RunFile(const std::wstring& path) override { host_.RunFile(ToU16(path)); }
    void RunText(const std::wstring& text) override { host_.RunString(ToU16(text)); }

private:
    CMacroHost& host_;
};

class AppMacro : public CAppMacro {
public:
    CMacroHost& Host() override { return *host; }
    std::unique_ptr<WindowsUi> ui;
    std::unique_ptr<CMacroHost> host;
    std::unique_ptr<HostCalls> calls;
};

// The timer procedure of macro timers (SetTimer on the main frame): the
// frame's context holds the host.
void CALLBACK MacroTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    CMainFrame* frame = MainFrame();
    if (CMacroHost* host = frame ? MacroHostOf(frame->Context()) : nullptr) host->OnTimer(static_cast<int>(id & 0xFFFF));
}

}  // namespace

bool InitMacro(const std::wstring& programDir, CAppContext& context) {
    ExitMacro(context);
    auto macro = std::make_unique<AppMacro>();
    macro->ui = std::make_unique<WindowsUi>(programDir, context);
    macro->host = std::make_unique<CMacroHost>(*macro->ui);
    if (!macro->host->Init(MacroPlatformWin())) return false;
    macro->calls = std::make_unique<HostCalls>(*macro->host);
    context.macros.Install(macro->calls.get());
    context.macroHost = std::move(macro);
    return true;
}

void ExitMacro(CAppContext& context) {
    auto* macro = static_cast<AppMacro*>(context.macroHost.get());
    if (!macro) return;
    if (context.macros.Calls() == macro->calls.get()) context.macros.Install(nullptr);
    if (HWND main = MainWindow())
        for (const auto& timer : macro->host->timers) ::KillTimer(main, timer.first);
    context.macroHost.reset();
}

CMacroHost* MacroHostOf(const CAppContext& context) {
    return context.macroHost ? &context.macroHost->Host() : nullptr;
}
