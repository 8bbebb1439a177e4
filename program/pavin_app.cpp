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
    int Current() const override { return theSettings.editMode; }
    void Select(int index) override { app_.SetEditMode(index); }
    std::vector<std::u16string> Patterns() const override {
        std::vector<std::u16string> patterns;
        for (int i = 0; i < table_.Count(); ++i) patterns.push_back(table_.Entry(i).patterns);
        return patterns;
    }
    int ForNewFile() const override {
        if (theSettings.defaultEditModeStr == u"NONE") return -1;
        return table_.FindEditMode(theSettings.defaultEditModeStr);
    }
    int Find(std::u16string_view name) const override { return table_.FindEditMode(name); }

private:
    CPavinApp& app_;
    CEditModeTable& table_;
};

}  // namespace

CPavinApp::CPavinApp() = default;

CPavinApp::~CPavinApp() {
    SetDocEditModes(nullptr);
    SetFileDialogEditModes(nullptr);
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
    if (!InitMacro(programDir)) return FALSE;
    SetMacroSearchConditionWriter(WriteMacroSearchCondition);
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
    SetDocEditModes(documentModes_.get());
    SetFileDialogEditModes(&editModes_);

    Step("settings");
    LoadEditorSettings(*m_pIniProfile, SystemSettingsEnvironment(&editModes_));
    ReadStartupSettings(*m_pIniProfile, theSettings);
    if (theSettings.editMode < 0 || theSettings.editMode >= editModes_.Count()) theSettings.editMode = 0;
    SetEditMode(theSettings.editMode);

    Step("fonts");
    ReadFontSettings(*m_pIniProfile, theSettings);
    LoadStdProfileSettings(static_cast<UINT>(theSettings.maxMru > 0 ? theSettings.maxMru : 0));
    CreateEditorFont();
    CreateTabFont();

    Step("template");
    AddDocTemplate(CSingleDocTemplate::Make<CPavinDoc, CMainFrame, CPavinView>(IDR_MAINFRAME));

    Step("command line");
    const std::wstring arguments = m_lpCmdLine ? m_lpCmdLine : L"";
    if (handOffToRunningEditor &&
        !CheckSingleInstance(theSettings.disableDoubleBoot != 0, arguments, singleInstanceMutex_))
        return FALSE;
    if (GetProfileInt(L"WINDOW", L"ZOOMED", 0) != 0) m_nCmdShow = SW_SHOWMAXIMIZED;
    const std::wstring initialDir = AsWide(ResolveSettingsDir(theSettings.initialDir, ToU16(programDir)).c_str());
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
    if (theSettings.bootOnIme) {
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
    if (started_) SaveExitSettings(*m_pIniProfile);
    ExitMacro();
    KeyMacroFree();
    ::OleUninitialize();
    return CTorkaWinApp::ExitInstance();
}

CDocument* CPavinApp::OpenDocumentFile(const wchar_t* path) {
    CDocument* document = CTorkaWinApp::OpenDocumentFile(path);
    if (auto* doc = dynamic_cast<CPavinDoc*>(document)) {
        FireMacroEvent("on-open-file");
        FireMacroEvent("on-tab-changed");
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
