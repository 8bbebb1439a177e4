// The commands the application object handles itself: opening with an
// encoding choice, edit modes, fonts, the line and column number toggles,
// the options sheet, a new editor window, the association tool, help
// documents, macro runs, favourites and the about box.
#include <algorithm>
#include <vector>

#include "app/about_dlg.h"
#include "app/editor_fonts_win.h"
#include "app/file_bookmark_dlg.h"
#include "app/file_dialogs.h"
#include "app/main_frame.h"
#include "app/key_macro.h"
#include "app/macro_calls.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/profile/setting_ranges.h"
#include "program/pavin_app.h"
#include "app/resource.h"
#include "app/base/winutil.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "view/core/option_values.h"
#include "view/option_sheet.h"

namespace {

std::wstring CurrentDirectory() {
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, dir);
    return n > 0 && n < MAX_PATH ? dir : L"";
}

std::wstring LongFormOf(const std::wstring& path) {
    std::wstring longer;
    return GetLongPath(path.c_str(), longer) ? longer : path;
}

std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

// A program started by its full path: quoted on the command line, so that
// a folder with blanks never starts another program, and named as the
// application.
bool StartProgram(const std::wstring& exe) {
    const std::wstring commandLine = L"\"" + exe + L"\"";
    return StartProcess(commandLine.c_str(), nullptr, false, exe.c_str());
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

CPavinDoc* TheDocument(CPavinApp& app) {
    for (const auto& docTemplate : app.GetDocTemplates())
        for (CDocument* document : docTemplate->GetDocuments())
            if (auto* doc = dynamic_cast<CPavinDoc*>(document)) return doc;
    return nullptr;
}

}  // namespace

HWND CPavinApp::MainWindow() const { return m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr; }

bool CPavinApp::SetEditMode(int index) {
    // A bad index keeps the mode the user has.
    if (index < 0 || index >= editModes_.Count()) return false;
    context_.settings.editMode = index;
    if (index == loadedMode_) return true;
    loadedMode_ = index;
    std::u16string message;
    if (!LoadLanguageSettings(editModes_.Entry(index), context_.modeLanguage, message))
        ShowMessageBox(MainWindow(), AsWide(message.c_str()), L"wendrel", MB_OK | MB_ICONEXCLAMATION);
    return true;
}

void CPavinApp::OnFileOpen() {
    CExtFileDialog dialog(true, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT,
                          EditModeFileFilter(&editModes_), MainWindow());
    dialog.SetTitle(L"開く");
    dialog.SetInitialDir(CurrentDirectory());
    dialog.SetBufferSize(kMultiSelectBufferUnits);
    dialog.m_kanjiCode = context_.openKanjiCode;
    if (dialog.DoModal() != IDOK) return;
    const KanjiCode saved = context_.openKanjiCode;
    context_.openKanjiCode = dialog.m_kanjiCode;
    for (const std::wstring& path : dialog.GetPathNames()) OpenFileWithCharset(path);
    context_.openKanjiCode = saved;
    // The window that had the focus before may have gone with the untitled
    // file the open replaced: the current file's window takes it.
    if (HWND frame = MainWindow(); frame && ::GetActiveWindow() == frame) ::SetFocus(frame);
}

bool CPavinApp::OpenFileWithCharset(const std::wstring& path) {
    if (CPavinDoc* doc = TheDocument(*this)) {
        const std::wstring current = doc->GetPathName().GetString();
        if (doc->Current().id > 0 && !current.empty() && LongFormOf(path) == LongFormOf(current))
            return doc->ReloadWithCharset(context_.openKanjiCode);
    }
    return OpenDocumentFile(path.c_str()) != nullptr;
}

void CPavinApp::OnChooseFont(bool tabFont) {
    FontDialogRequest request{MainWindow(), {}, 0};
    const CFont& font = tabFont ? context_.tabFont : context_.editorFont;
    font.GetLogFont(&request.font);
    // The dialog lists faces by the names they really have: a substituted
    // name ("ＭＳ ゴシック") would leave it on the first face of its list.
    std::wstring face = RealFaceName(font);
    if (!face.empty()) lstrcpynW(request.font.lfFaceName, face.c_str(), LF_FACESIZE);
    request.minPoint = kMinFontPoint;
    request.maxPoint = kMaxFontPoint;
    if (!ShowFontDialog(request)) return;
    request.pointSize = std::clamp(std::abs(request.pointSize), kMinFontPoint * 10, kMaxFontPoint * 10);
    if (tabFont) {
        context_.settings.tabFontFaceName = AsU16(request.font.lfFaceName);
        context_.settings.tabFontPoint = request.pointSize;
        CreateTabFont(context_);
    } else {
        context_.settings.fontFaceName = AsU16(request.font.lfFaceName);
        context_.settings.fontPoint = request.pointSize;
        context_.settings.fontWeight = request.font.lfWeight;
        context_.settings.fontItalic = request.font.lfItalic ? 1 : 0;
        CreateEditorFont(context_);
    }
    UpdateAllDocViews(HINT_FONT_CHANGED);
    SaveFontSettings(context_.settings, *m_pIniProfile);
}

void CPavinApp::OnFontSize(bool larger) {
    std::vector<int> sizes;
    HDC dc = ::GetDC(nullptr);
    CEditCtrl::EnumFontSizes(dc, AsWide(context_.settings.fontFaceName.c_str()), sizes);
    ::ReleaseDC(nullptr, dc);
    std::sort(sizes.begin(), sizes.end());
    const int current = std::abs(context_.settings.fontPoint) / 10;
    const auto at = std::find(sizes.begin(), sizes.end(), current);
    if (at == sizes.end()) return;
    if (larger ? at + 1 == sizes.end() : at == sizes.begin()) return;
    context_.settings.fontPoint = (larger ? at[1] : at[-1]) * 10;
    CreateEditorFont(context_);
    UpdateAllDocViews(HINT_FONT_CHANGED);
    SaveFontSettings(context_.settings, *m_pIniProfile);
}

void CPavinApp::ToggleSetting(int& value) {
    value = value ? 0 : 1;
    UpdateAllDocViews(HINT_SETTINGS_CHANGED);
    SaveEditorSettings(context_.settings, *m_pIniProfile);
}

void CPavinApp::OnOption() {
    COptionSheet sheet(MainWindow(), context_);
    if (sheet.DoModal() != IDOK) return;
    const OptionChanges changes = TakeOptionValues(sheet.m_values, context_.settings);
    if (changes.initialDir) ::SetCurrentDirectoryW(AsWide(ResolveSettingsDir(context_.settings.initialDir, ToU16(programDir)).c_str()));
    if (changes.tabLayout) UpdateAllDocViews(HINT_TAB_TITLES);
    // The pane lists the new filter's files at once, shown or not.
    auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    if (changes.fileListFilter && frame && frame->FileListBar().GetSafeHwnd())
        frame->FileListBar().SetFileListFilter(AsWide(context_.settings.fileListFilter.c_str()));
    context_.openKanjiCode = FileOpenKanjiCodeOf(context_.settings);
    UpdateAllDocViews(HINT_SETTINGS_CHANGED);
    // The title follows WINDOW_TITLE_IS_PATH_NAME.
    if (CPavinDoc* doc = TheDocument(*this)) doc->BuildTitle();
    SaveEditorSettings(context_.settings, *m_pIniProfile);
}

void CPavinApp::OnNewWindow() {
    // The new window opens one caption lower and to the right of this one.
    if (HWND frame = MainWindow()) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (::GetWindowPlacement(frame, &wp)) {
            const int caption = ::GetSystemMetrics(SM_CYCAPTION);
            WriteProfileInt(L"WINDOW", L"TOP", wp.rcNormalPosition.top + caption);
            WriteProfileInt(L"WINDOW", L"LEFT", wp.rcNormalPosition.left + caption);
            m_pIniProfile->Save();
        }
    }
    if (!StartProgram(ModulePath()))
        ShowMessageBox(MainWindow(), L"新しいウィンドウの作成に失敗しました", L"Error", MB_OK | MB_ICONWARNING);
}

void CPavinApp::OnAssociation() {
    // The association tool is a separate program that sits beside the editor.
    if (!StartProgram(programDir + L"quembal.exe"))
        ShowMessageBox(MainWindow(), L"起動に失敗しました", L"Error", MB_OK | MB_ICONWARNING);
}

void CPavinApp::OnRunMacroFile() {
    if (macroDir_.empty()) macroDir_ = CurrentDirectory();
    std::wstring path;
    if (!PromptFileNameInDir(L"マクロの実行", true, L"scm", path, OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                             L"Scheme Macro Files (*.scm)|*.scm|All Files (*.*)|*.*||", MainWindow(), macroDir_))
        return;
    context_.macros.RunFile(path);
}

void CPavinApp::OnRunClipboardMacro() {
    if (!context_.macros.Calls()) return;
    const std::wstring text = ClipboardText(MainWindow());
    if (!text.empty()) context_.macros.RunText(text);
}

void CPavinApp::OnFavorites() {
    CFileBookMarkDlg dialog(*m_pIniProfile);
    dialog.m_multiSelect = true;
    if (dialog.DoModal(MainWindow()) != IDOK) return;
    for (const std::wstring& path : dialog.m_paths) OpenDocumentFile(path.c_str());
}

void CPavinApp::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal(MainWindow());
}

bool CPavinApp::OnCmdMsg(UINT id, CCmdUI* ui) {
    if (KeyMacroCommand(context_.keyMacros, id, ui, MainWindow(), programDir, context_.settings.kbMacroDir)) return true;
    if (id >= ID_EDIT_MODE_FIRST && id <= ID_EDIT_MODE_LAST) {
        // The last id stays unused: the list holds at most 15 modes.
        const int index = static_cast<int>(id - ID_EDIT_MODE_FIRST);
        if (ui) {
            ui->Enable(index < editModes_.Count());
            ui->SetCheck(index == context_.settings.editMode ? 1 : 0);
        } else if (SetEditMode(index)) {
            UpdateAllDocViews(HINT_EDIT_MODE_CHANGED);
        }
        return true;
    }
    switch (id) {
    case ID_VIEW_ROW_NUM:
    case ID_VIEW_COL_NUM: {
        int& value = id == ID_VIEW_ROW_NUM ? context_.settings.showRowNum : context_.settings.showColNum;
        if (ui)
            ui->SetCheck(value ? 1 : 0);
        else
            ToggleSetting(value);
        return true;
    }
    case ID_MACRO_RUN_FILE:
    case ID_MACRO_RUN_CLIPBOARD:
        if (ui)
            ui->Enable(context_.macros.Calls() != nullptr);
        else if (id == ID_MACRO_RUN_FILE)
            OnRunMacroFile();
        else
            OnRunClipboardMacro();
        return true;
    }
    using Action = void (*)(CPavinApp&);
    struct Command {
        UINT id;
        Action run;
    };
    static const Command kCommands[] = {
        {ID_FILE_OPEN, [](CPavinApp& a) { a.OnFileOpen(); }},
        {ID_VIEW_FONT, [](CPavinApp& a) { a.OnChooseFont(false); }},
        {ID_VIEW_TAB_FONT, [](CPavinApp& a) { a.OnChooseFont(true); }},
        {ID_VIEW_FONT_LARGER, [](CPavinApp& a) { a.OnFontSize(true); }},
        {ID_VIEW_FONT_SMALLER, [](CPavinApp& a) { a.OnFontSize(false); }},
        {ID_FILE_NEW_WINDOW, [](CPavinApp& a) { a.OnNewWindow(); }},
        {ID_TOOL_ASSOCIATE, [](CPavinApp& a) { a.OnAssociation(); }},
        {ID_HELP_REGEX, [](CPavinApp&) { OpenHelpDocument(L"regexp.txt"); }},
        {ID_HELP_SCHEME, [](CPavinApp&) { OpenHelpDocument(L"macro_ref.txt"); }},
        {ID_HELP_MACRO, [](CPavinApp&) { OpenHelpDocument(L"macro_wendrel.txt"); }},
        {ID_FILE_FAVORITES, [](CPavinApp& a) { a.OnFavorites(); }},
        {ID_TOOL_OPTION, [](CPavinApp& a) { a.OnOption(); }},
        {ID_APP_ABOUT, [](CPavinApp& a) { a.OnAbout(); }},
    };
    for (const Command& c : kCommands) {
        if (c.id != id) continue;
        if (!ui) c.run(*this);
        return true;
    }
    return CTorkaWinApp::OnCmdMsg(id, ui);
}
