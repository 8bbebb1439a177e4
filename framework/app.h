// The application object: one per program, built as a global. It runs the
// program: InitInstance, then the message loop with idle processing and
// message pre-translation, then ExitInstance. It keeps the document
// templates, the main window and the profile file.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/cmdtarget.h"
#include "framework/doc.h"
#include "framework/fwstring.h"

class CWnd;

// What the command line asks of the framework: a new document, or a file.
class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FileNothing } m_nShellCommand = FileNew;
    CString m_strFileName;
    // One argument; flags are those that start with '/' or '-'.
    virtual void ParseParam(const wchar_t* param, BOOL flag, BOOL last);
    virtual ~CCommandLineInfo() = default;
};

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    HINSTANCE m_hInstance = nullptr;
    // The raw command line (without the program) and the show command.
    const wchar_t* m_lpCmdLine = L"";
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;

    // False ends the program at once (ExitInstance still runs).
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return exitCode_; }
    // The message loop; returns ExitInstance's code.
    virtual int Run();
    // Before a message is dispatched: the windows from its target up to
    // the main window may translate it. True when handled.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called while the queue is empty; count counts calls since the last
    // message. True asks for another call.
    virtual BOOL OnIdle(LONG count);
    // One message of the loop: false when it was WM_QUIT.
    bool PumpMessage();

    // Document templates (owned).
    void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const { return templates_; }
    virtual CDocument* OpenDocumentFile(const wchar_t* path);
    // ID_FILE_NEW: a new document from the first template.
    virtual void OnFileNew();
    // Before the program ends: every document may stop it.
    virtual BOOL SaveAllModified();

    // Command line into info, each argument through ParseParam.
    void ParseCommandLine(CCommandLineInfo& info);
    // Acts on what the command line asked; false when that failed.
    BOOL ProcessShellCommand(CCommandLineInfo& info);

    // The profile functions over the private-profile file set here.
    void SetProfileFile(const wchar_t* path) { profileFile_ = path; }
    const CString& GetProfileFile() const { return profileFile_; }
    UINT GetProfileInt(const wchar_t* section, const wchar_t* key, int defaultValue);
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* key, int value);
    CString GetProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue = L"");
    BOOL WriteProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* value);

    // The recent-file list: its length, kept in the profile file under
    // "Recent File List" as File1..FileN.
    void LoadStdProfileSettings(UINT maxRecentFiles);
    void AddToRecentFileList(const wchar_t* path);
    const std::vector<CString>& GetRecentFiles() const { return recentFiles_; }
    UINT GetMaxRecentFiles() const { return maxRecentFiles_; }
    // A menu's recent-file items (ID_FILE_MRU_FILE1 onwards) become one
    // numbered item per listed file; with none listed, the menu's own
    // greyed item stays in their place.
    void UpdateRecentFileMenu(HMENU popup);

    // ID_FILE_NEW, ID_APP_EXIT.
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

    // The code Run returns when WM_QUIT carries none.
    void SetExitCode(int code) { exitCode_ = code; }

private:
    std::vector<std::unique_ptr<CDocTemplate>> templates_;
    CString profileFile_;
    std::vector<CString> recentFiles_;
    UINT maxRecentFiles_ = 0;
    CString recentPlaceholder_;  // the greyed item the menu resource holds
    int exitCode_ = 0;
};

// The program's application object.
CWinApp* AfxGetApp();

// The program's entry: runs the application object.
int WinAppMain(HINSTANCE instance, const wchar_t* cmdLine, int cmdShow);
