// The editor's application object: start-up in its fixed order (OLE, the
// settings files, the edit modes, the settings and fonts, the document
// template, the command line and the hand-off to a running editor, the main
// window with its key bindings) and, at exit, the state only exit saves.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/startup_files.h"
#include "app/base/torka_win_app.h"
#include "editctrl/syntax/editmode.h"

class CDocEditModes;

class CPavinApp : public CTorkaWinApp, private CStartupFileHost {
public:
    CPavinApp();
    ~CPavinApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    CDocument* OpenDocumentFile(const wchar_t* path) override;
    CString LoadPromptString(UINT id) override;
    // The prompt of a command: edit-mode commands name their mode.
    CString GetCommandPrompt(UINT id);

    // The program's state, handed to the document, the frame and the view.
    CAppContext& Context() { return context_; }
    CEditModeTable& EditModes() { return editModes_; }

    // The application's own commands (app_commands.cpp).
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;
    // The open dialog with its encoding box; each chosen file is opened in
    // the chosen encoding, which applies to this open only.
    void OnFileOpen();
    // Opens path in the context's open encoding; the current file is read
    // again instead.
    bool OpenFileWithCharset(const std::wstring& path);
    // Makes index the current edit mode and loads its language. An index
    // outside the list changes nothing (false).
    bool SetEditMode(int index);
    // Where the program's files are looked up (with a trailing backslash);
    // the running program's folder unless a test sets another.
    std::wstring programDir;
    // False while start-up runs without a visible session (tests): no
    // single-instance hand-off, no message loop expectations.
    bool handOffToRunningEditor = true;

    // The steps start-up took, in order, for tests.
    std::vector<std::string> startupLog;

private:
    bool OpenDocumentFile(const std::wstring& path) override;
    HWND MainWindow() const;
    void OnChooseFont(bool tabFont);
    void OnFontSize(bool larger);
    void ToggleSetting(int& value);
    void OnNewWindow();
    void OnAssociation();
    void OnRunMacroFile();
    void OnRunClipboardMacro();
    void OnAbout();
    void OnFavorites();
    void OnOption();
    bool NewDocumentWithPath(const std::wstring& path) override;
    void Step(const char* name) { startupLog.push_back(name); }

    CAppContext context_;
    CEditModeTable editModes_;
    std::unique_ptr<CDocEditModes> documentModes_;  // the document's view of editModes_
    HANDLE singleInstanceMutex_ = nullptr;
    bool started_ = false;  // the settings were taken up; exit may save them
    int loadedMode_ = -1;   // the edit mode whose language is loaded
    std::wstring macroDir_; // where the last macro file was chosen
};

// The program's application object.
extern CPavinApp theApp;
