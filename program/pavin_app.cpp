#include "program/pavin_app.h"

#include <imm.h>
#include <ole2.h>

#include "app/editor_fonts_win.h"
#include "app/macro_calls.h"
#include "app/macro_host_win.h"
#include "app/file_dialogs.h"
#include "app/key_macro.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/profile/setting_ranges.h"
#include "app/resource.h"
#include "app/settings_env_win.h"
#include "app/text_platform.h"
#include "app/base/winutil.h"
#include "framework/resource_text.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "view/pavin_view.h"
#include "view/view_search.h"

namespace {

void StartupError(const wchar_t* text) { ShowMessageBox(nullptr, text, L"Error", MB_OK | MB_ICONWARNING); }

// The document's view of the edit modes: the list and the current index.
class EditModesForDocument : public CDocEditModes {
public:
    EditModesForDocument(CPavinApp& app, CEditModeTable& table) : app_(app), table_(table) {}
    int Current() const override { return app_.Context().settings.editMode; }
    void Select(int index) override { app_.SetEditMode(index); }
    std::vector<std::u16string> Patterns() const override {
        std::vector<std::u16string> patterns;
        for (int i = 0; i < table_.Count(); ++i) patterns.push_back(table_.Entry(i).patterns);
        return patterns;
    }
    int ForNewFile() const override {
        const std::u16string& name = app_.Context().settings.defaultEditModeStr;
        if (name == u"NONE") return -1;
        return table_.FindEditMode(name);
    }
    int Find(std::u16string_view name) const override { return table_.FindEditMode(name); }

private:
    CPavinApp& app_;
    CEditModeTable& table_;
};

}  // namespace

CPavinApp::CPavinApp() { context_.profile = m_pIniProfile.get(); }

CPavinApp::~CPavinApp() {
    context_.editModes = nullptr;
    context_.editModeTable = nullptr;
}

BOOL CPavinApp::InitInstance() {
    if (programDir.empty()) programDir = GetModuleDir();
    ConnectTextEngineToWindows();
    Step("ole");
    if (FAILED(::OleInitialize(nullptr))) {
        StartupError(L"OLEの初期化に失敗しました。");
        return FALSE;
    }
    Step("macro");
    if (!InitMacro(programDir, context_)) return FALSE;
    context_.searchWriter = WriteMacroSearchCondition;
    Step("settings files");
    OpenSettingsFiles(programDir);
    started_ = true;

    Step("edit modes");
    std::u16string message;
    if (!editModes_.LoadEditModeList(ToU16(programDir + L"data\\"), message)) {
        StartupError(AsWide(message.c_str()));
        return FALSE;
    }
    documentModes_ = std::make_unique<EditModesForDocument>(*this, editModes_);
    context_.editModes = documentModes_.get();
    context_.editModeTable = &editModes_;

    Step("settings");
    ReadEditorSettings(*m_pIniProfile, SystemSettingsEnvironment(&editModes_), context_.settings);
    context_.openKanjiCode = FileOpenKanjiCodeOf(context_.settings);
    ReadStartupSettings(*m_pIniProfile, context_.settings);
    if (context_.settings.editMode < 0 || context_.settings.editMode >= editModes_.Count()) context_.settings.editMode = 0;
    SetEditMode(context_.settings.editMode);

    Step("fonts");
    ReadFontSettings(*m_pIniProfile, context_.settings);
    LoadStdProfileSettings(static_cast<UINT>(context_.settings.maxMru > 0 ? context_.settings.maxMru : 0));
    CreateEditorFont(context_);
    CreateTabFont(context_);

    Step("template");
    AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        IDR_MAINFRAME, [this] { return new CPavinDoc(context_); }, [this] { return new CMainFrame(context_); },
        [this] { return new CPavinView(context_); }));

    Step("command line");
    const std::wstring arguments = m_lpCmdLine ? m_lpCmdLine : L"";
    if (handOffToRunningEditor &&
        !CheckSingleInstance(context_.settings.disableDoubleBoot != 0, arguments, singleInstanceMutex_))
        return FALSE;
    if (GetProfileInt(L"WINDOW", L"ZOOMED", 0) != 0) m_nCmdShow = SW_SHOWMAXIMIZED;
    const std::wstring initialDir = AsWide(ResolveSettingsDir(context_.settings.initialDir, ToU16(programDir)).c_str());
    switch (ProcessCommandLine(arguments, *this, initialDir)) {
    case StartupFiles::Stop:
        return FALSE;
    case StartupFiles::NewFile:
        Step("new file");
        OnFileNew();
        break;
    case StartupFiles::Opened:
        break;
    }
    auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    if (!frame) return FALSE;

    Step("main window");
    ::DragAcceptFiles(frame->m_hWnd, TRUE);
    frame->UpdateWindow();
    frame->LoadKeyBindings(*m_pIniProfile);
    if (context_.settings.bootOnIme) {
        HIMC imc = ::ImmGetContext(frame->m_hWnd);
        ::ImmSetOpenStatus(imc, TRUE);
        ::ImmReleaseContext(frame->m_hWnd, imc);
    }
    return TRUE;
}

int CPavinApp::ExitInstance() {
    if (singleInstanceMutex_) {
        ::CloseHandle(singleInstanceMutex_);
        singleInstanceMutex_ = nullptr;
    }
    // The store refuses to write over a file it could not read at start-up.
    if (started_) SaveExitSettings(context_.settings, *m_pIniProfile);
    ExitMacro(context_);
    context_.keyMacros.Free();
    ::OleUninitialize();
    return CTorkaWinApp::ExitInstance();
}

CDocument* CPavinApp::OpenDocumentFile(const wchar_t* path) {
    CDocument* document = CTorkaWinApp::OpenDocumentFile(path);
    if (auto* doc = dynamic_cast<CPavinDoc*>(document)) {
        context_.macros.FireEvent("on-open-file");
        context_.macros.FireEvent("on-tab-changed");
        doc->UpdateTitle();
    }
    return document;
}

bool CPavinApp::OpenDocumentFile(const std::wstring& path) { return OpenDocumentFile(path.c_str()) != nullptr; }

bool CPavinApp::NewDocumentWithPath(const std::wstring& path) {
    // A named file that does not exist opens as an empty file of that name.
    return OpenDocumentFile(path.c_str()) != nullptr;
}

CString CPavinApp::LoadPromptString(UINT id) { return GetCommandPrompt(id); }

CString CPavinApp::GetCommandPrompt(UINT id) {
    if (id >= ID_EDIT_MODE_FIRST && id <= ID_EDIT_MODE_LAST) {
        const int index = static_cast<int>(id - ID_EDIT_MODE_FIRST);
        CString text;
        if (index < editModes_.Count())
            text.Format(L"%ls\n%ls", AsWide(editModes_.MakeEditModeMenuText(index).c_str()),
                        AsWide(editModes_.Entry(index).name.c_str()));
        else
            text.Format(L"編集モードを変更する(%d)\n編集モード(%d)", index, index);
        return text;
    }
    return LoadResourceString(id);
}
