#include "framework/app.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/cmdids.h"
#include "framework/frame.h"
#include "framework/wnd.h"

namespace {

CWinApp* g_app = nullptr;

const wchar_t kRecentSection[] = L"Recent File List";

}  // namespace

CWinApp* AfxGetApp() { return g_app; }

CWinApp::CWinApp() {
    if (!g_app) g_app = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
}

CWinApp::~CWinApp() {
    // Documents and their frames are gone before the templates.
    templates_.clear();
    if (g_app == this) g_app = nullptr;
}

void CCommandLineInfo::ParseParam(const wchar_t* param, BOOL flag, BOOL) {
    if (flag || !m_strFileName.IsEmpty()) return;
    m_strFileName = param;
    m_nShellCommand = FileOpen;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    int argc = 0;
    std::wstring line = L"x ";  // CommandLineToArgvW takes the first word as the program
    line += m_lpCmdLine ? m_lpCmdLine : L"";
    wchar_t** argv = ::CommandLineToArgvW(line.c_str(), &argc);
    if (!argv) return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* a = argv[i];
        const bool flag = a[0] == L'/' || a[0] == L'-';
        info.ParseParam(flag ? a + 1 : a, flag, i == argc - 1);
    }
    ::LocalFree(argv);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
        return TRUE;
    }
    return FALSE;
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
    templates_.push_back(std::move(docTemplate));
}

CDocument* CWinApp::OpenDocumentFile(const wchar_t* path) {
    if (templates_.empty()) return nullptr;
    CDocument* document = templates_.front()->OpenDocumentFile(path);
    if (document && path) AddToRecentFileList(path);
    return document;
}

void CWinApp::OnFileNew() {
    if (!templates_.empty()) templates_.front()->OpenDocumentFile(nullptr);
}

BOOL CWinApp::SaveAllModified() {
    for (auto& t : templates_)
        for (CDocument* d : t->GetDocuments())
            if (!d->SaveModified()) return FALSE;
    return TRUE;
}

bool CWinApp::OnCmdMsg(UINT id, CCmdUI* ui) {
    switch (id) {
    case ID_FILE_NEW:
        if (!ui) OnFileNew();
        return true;
    case ID_APP_EXIT:
        if (!ui && m_pMainWnd) m_pMainWnd->PostMessage(WM_CLOSE);
        return true;
    }
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST) {
        const size_t index = id - ID_FILE_MRU_FILE1;
        if (index >= recentFiles_.size()) return false;
        if (!ui) {
            CString path = recentFiles_[index];
            OpenDocumentFile(path);
        }
        return true;
    }
    return false;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    // From the message's window up to the top, then the main window when
    // the message is for another top-level window (a modeless dialog's
    // keys still reach the frame's accelerators after its navigation).
    for (HWND w = msg->hwnd; w; w = ::GetParent(w)) {
        if (CWnd* wnd = CWnd::FromHandle(w))
            if (wnd->PreTranslateMessage(msg)) return TRUE;
        if (m_pMainWnd && w == m_pMainWnd->m_hWnd) return FALSE;
    }
    return m_pMainWnd && m_pMainWnd->PreTranslateMessage(msg);
}

BOOL CWinApp::OnIdle(LONG count) {
    if (count == 0)
        if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->OnIdleUpdateCmdUI();
    return FALSE;
}

bool CWinApp::PumpMessage() {
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) {
        // A message the system could not deliver (a sent record too large to
        // copy, for one): the program goes on; only WM_QUIT ends the loop.
        wchar_t note[64];
        ::wsprintfW(note, L"wendrel: GetMessageW failed (%lu)\n", ::GetLastError());
        ::OutputDebugStringW(note);
        return true;
    }
    if (got == 0) {
        exitCode_ = static_cast<int>(msg.wParam);
        return false;
    }
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

int CWinApp::Run() {
    LONG idleCount = 0;
    MSG msg;
    for (;;) {
        while (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) break;
        }
        if (!PumpMessage()) break;
        // Idle work follows input and paints, not the steady flow of timers.
        if (msg.message != WM_TIMER) idleCount = 0;
    }
    return ExitInstance();
}

UINT CWinApp::GetProfileInt(const wchar_t* section, const wchar_t* key, int defaultValue) {
    return ::GetPrivateProfileIntW(section, key, defaultValue, profileFile_);
}

BOOL CWinApp::WriteProfileInt(const wchar_t* section, const wchar_t* key, int value) {
    wchar_t buf[16];
    ::wsprintfW(buf, L"%d", value);
    return ::WritePrivateProfileStringW(section, key, buf, profileFile_);
}

CString CWinApp::GetProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue) {
    std::vector<wchar_t> buf(256);
    for (;;) {
        DWORD n = ::GetPrivateProfileStringW(section, key, defaultValue, buf.data(), static_cast<DWORD>(buf.size()),
                                            profileFile_);
        if (n < buf.size() - 1) return CString(buf.data(), static_cast<int>(n));
        buf.resize(buf.size() * 2);
    }
}

BOOL CWinApp::WriteProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    return ::WritePrivateProfileStringW(section, key, value, profileFile_);
}

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles) {
    maxRecentFiles_ = std::min<UINT>(maxRecentFiles, ID_FILE_MRU_LAST - ID_FILE_MRU_FILE1 + 1);
    recentFiles_.clear();
    for (UINT i = 0; i < maxRecentFiles_; ++i) {
        wchar_t key[16];
        ::wsprintfW(key, L"File%u", i + 1);
        CString path = GetProfileString(kRecentSection, key);
        if (!path.IsEmpty()) recentFiles_.push_back(path);
    }
}

void CWinApp::AddToRecentFileList(const wchar_t* path) {
    if (maxRecentFiles_ == 0 || !path || !*path) return;
    CString entry = path;
    auto same = [&](const CString& p) { return ::lstrcmpiW(p, entry) == 0; };
    recentFiles_.erase(std::remove_if(recentFiles_.begin(), recentFiles_.end(), same), recentFiles_.end());
    recentFiles_.insert(recentFiles_.begin(), entry);
    if (recentFiles_.size() > maxRecentFiles_) recentFiles_.resize(maxRecentFiles_);
    if (profileFile_.IsEmpty()) return;
    for (UINT i = 0; i < maxRecentFiles_; ++i) {
        wchar_t key[16];
        ::wsprintfW(key, L"File%u", i + 1);
        WriteProfileString(kRecentSection, key, i < recentFiles_.size() ? recentFiles_[i].GetString() : nullptr);
    }
}

void CWinApp::UpdateRecentFileMenu(HMENU popup) {
    int at = -1;
    for (int i = ::GetMenuItemCount(popup) - 1; i >= 0; --i) {
        const UINT id = ::GetMenuItemID(popup, i);
        if (id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_LAST) continue;
        if (id == ID_FILE_MRU_FILE1 && (::GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED)) {
            wchar_t text[256] = {};
            ::GetMenuStringW(popup, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            recentPlaceholder_ = text;
        }
        ::DeleteMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
        at = i;
    }
    if (at < 0) return;
    if (recentFiles_.empty()) {
        ::InsertMenuW(popup, static_cast<UINT>(at), MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FILE1,
                      recentPlaceholder_);
        return;
    }
    for (size_t i = 0; i < recentFiles_.size(); ++i) {
        std::wstring label;
        if (i < 9) label = L"&" + std::to_wstring(i + 1) + L" ";
        else label = std::to_wstring(i + 1) + L" ";
        for (const wchar_t* p = recentFiles_[i].GetString(); *p; ++p) {
            if (*p == L'&') label += L'&';  // shown as itself, not as a mnemonic
            label += *p;
        }
        ::InsertMenuW(popup, static_cast<UINT>(at + static_cast<int>(i)), MF_BYPOSITION | MF_STRING,
                      ID_FILE_MRU_FILE1 + i, label.c_str());
    }
}

int WinAppMain(HINSTANCE instance, const wchar_t* cmdLine, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine ? cmdLine : L"";
    app->m_nCmdShow = cmdShow;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
