// The editor started in a test program as the real one starts (its
// application object on a program folder of the test's own), and its
// windows found again: frame, view, document, current editing window.
#pragma once

#include <windows.h>

#include <string>

#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "program/pavin_app.h"
#include "editctrl/edit_ctrl.h"
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

}  // namespace wtest
