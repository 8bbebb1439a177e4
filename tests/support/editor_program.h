// The editor started in a test program as the real one starts (its
// application object on a program folder of the test's own), and its
// windows found again: frame, view, document, current editing window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "program/pavin_app.h"
#include "editctrl/edit_ctrl.h"
#include "tests/support/test_files.h"
#include "view/pavin_view.h"

namespace wtest {

// The application's windows; null where one is missing.
struct EditorWindows {
    CMainFrame* frame = nullptr;
    CPavinView* view = nullptr;
    CPavinDoc* doc = nullptr;
    CEditCtrl* editor = nullptr;
};

inline EditorWindows WindowsOf(CWinApp& app) {
    EditorWindows w;
    w.frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    w.view = w.frame ? dynamic_cast<CPavinView*>(w.frame->GetActiveView()) : nullptr;
    w.doc = w.frame ? dynamic_cast<CPavinDoc*>(w.frame->GetActiveDocument()) : nullptr;
    w.editor = w.view ? w.view->CurrentEditor() : nullptr;
    return w;
}

// Starts the editor on the program folder with the command line (kept
// alive by the caller: the application keeps the pointer), never handing
// its files to an editor already running.
inline bool StartEditor(CPavinApp& app, const std::wstring& programDir, const wchar_t* commandLine) {
    app.programDir = programDir;
    app.handOffToRunningEditor = false;
    app.m_lpCmdLine = commandLine;
    return app.InitInstance();
}

// One editor for a whole test program, started once in SetUpTestSuite on a
// program folder of its own and ended in TearDownTestSuite (starting and
// closing the frame for every test would cost seconds under Wine).
class SuiteEditor {
public:
    // prepare fills the fresh program folder and returns the command line.
    // showCommand, when given, is the main window's first show state.
    bool Start(const std::wstring& folderName, const std::function<std::wstring(const std::wstring& dir)>& prepare,
               int showCommand = -1) {
        dir = MakeProgramFolder(folderName);
        commandLine_ = prepare(dir);
        app = new CPavinApp;
        if (showCommand >= 0) app->m_nCmdShow = showCommand;
        return StartEditor(*app, dir, commandLine_.c_str());
    }
    void End() {
        if (!app) return;
        if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
        app->ExitInstance();
    }
    EditorWindows Windows() const { return WindowsOf(*app); }

    CPavinApp* app = nullptr;  // left to the process's end, as the real one is
    std::wstring dir;          // the program folder, ending in a backslash

private:
    std::wstring commandLine_;  // the application keeps a pointer to it
};

// The command line that opens the one file.
inline std::wstring QuotedPath(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace wtest
