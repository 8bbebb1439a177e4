// The application layer: the single-document template makes document, frame
// and view in order and leaves nothing behind when a load fails; commands
// and their update-UI travel view, document, frame, application; views hear
// hints; the loop pre-translates keys (accelerators, modeless dialogs) and
// runs idle work; the profile functions and the recent-file list.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/bars.h"
#include "framework/cmdids.h"
#include "framework/dialog.h"
#include "framework/doc.h"
#include "framework/frame.h"
#include "tests/framework/dialog_template.h"
#include "tests/framework/window_test_support.h"

namespace {

std::vector<std::string> g_log;

enum : UINT {
    ID_VIEW_CMD = 40001,   // handled by the view, enabled
    ID_DOC_CMD = 40002,    // handled by the document, disabled
    ID_FRAME_CMD = 40003,  // handled by the frame, checked
    ID_APP_CMD = 40004,    // handled by the application
    ID_NOBODY = 40005,     // handled by nobody
    ID_SHARED = 40006,     // the view and the document both know it: the view wins
    IDC_PANE = 40010,      // a status pane the document enables
};

class TestApp : public CWinApp {
public:
    int idleCalls = 0;
    bool quitWhenIdle = false;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override {
        if (id == ID_APP_CMD) {
            if (!ui) g_log.push_back("app cmd");
            return true;
        }
        return CWinApp::OnCmdMsg(id, ui);
    }
    BOOL OnIdle(LONG count) override {
        ++idleCalls;
        if (quitWhenIdle) {
            quitWhenIdle = false;
            ::PostQuitMessage(5);
        }
        return CWinApp::OnIdle(count);
    }
};
TestApp theTestApp;

class TestDoc : public CDocument {
public:
    bool openSucceeds = true;
    bool saveModifiedAnswer = true;
    bool paneOn = false;
    TestDoc() { g_log.push_back("doc made"); }
    ~TestDoc() override { g_log.push_back("doc gone"); }
    BOOL OnNewDocument() override {
        g_log.push_back("new document");
        return CDocument::OnNewDocument();
    }
    BOOL OnOpenDocument(const wchar_t* path) override {
        g_log.push_back("open document");
        return openSucceeds;
    }
    BOOL SaveModified() override { return saveModifiedAnswer; }
    // The document's own question at the frame's close (files that ask one
    // by one); the framework must ask it even for the main window.
    bool canCloseFrame = true;
    BOOL CanCloseFrame(CFrameWnd* frame) override { return canCloseFrame && CDocument::CanCloseFrame(frame); }
    bool OnCmdMsg(UINT id, CCmdUI* ui) override {
        switch (id) {
        case ID_DOC_CMD:
        case ID_SHARED:
            if (ui) ui->Enable(false);
            else g_log.push_back(id == ID_DOC_CMD ? "doc cmd" : "doc shared");
            return true;
        case IDC_PANE:
            if (ui && paneOn) ui->SetText(L"矩形");
            if (ui && !paneOn) ui->Enable(false);
            return true;
        }
        return CDocument::OnCmdMsg(id, ui);
    }
};

class TestView : public CView {
public:
    std::vector<LPARAM> hints;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override {
        switch (id) {
        case ID_VIEW_CMD:
        case ID_SHARED:
            if (ui) ui->Enable(true);
            else g_log.push_back(id == ID_VIEW_CMD ? "view cmd" : "view shared");
            return true;
        }
        return CView::OnCmdMsg(id, ui);
    }
    void OnInitialUpdate() override {
        g_log.push_back("initial update");
        CView::OnInitialUpdate();
    }
    void OnUpdate(CView* sender, LPARAM hint, CCmdTarget* object) override { hints.push_back(hint); }

protected:
    int OnCreate(CREATESTRUCTW* cs) override {
        g_log.push_back(GetDocument() ? "view created with its document" : "view created alone");
        return CView::OnCreate(cs);
    }
};

class TestFrame : public CFrameWnd {
public:
    CToolBar toolBar;
    CStatusBar statusBar;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override {
        if (id == ID_FRAME_CMD) {
            if (ui) ui->SetCheck(1);
            else g_log.push_back("frame cmd");
            return true;
        }
        return CFrameWnd::OnCmdMsg(id, ui);
    }

protected:
    int OnCreate(CREATESTRUCTW* cs) override {
        g_log.push_back("frame created");
        if (CFrameWnd::OnCreate(cs) == -1) return -1;
        const UINT ids[] = {ID_VIEW_CMD, ID_DOC_CMD, ID_FRAME_CMD, ID_NOBODY, 0};
        const int images[] = {STD_FILENEW, STD_FILEOPEN, STD_FILESAVE, STD_PRINT, -1};
        if (!toolBar.Create(m_hWnd) || !toolBar.SetStandardButtons(ids, images, 5)) return -1;
        AddToolBar(&toolBar);
        const UINT panes[] = {ID_SEPARATOR, IDC_PANE};
        if (!statusBar.Create(m_hWnd) || !statusBar.SetIndicators(panes, 2)) return -1;
        SetStatusBar(&statusBar);
        return 0;
    }
};

bool Contains(const std::vector<std::string>& log, const std::string& s) {
    for (const auto& l : log)
        if (l == s) return true;
    return false;
}

// The one template of this test program, and the frame it made.
CSingleDocTemplate& Template() {
    static CSingleDocTemplate* t = [] {
        auto made = CSingleDocTemplate::Make<TestDoc, TestFrame, TestView>(1);
        CSingleDocTemplate* raw = made.get();
        theTestApp.AddDocTemplate(std::move(made));
        return raw;
    }();
    return *t;
}

TestDoc* OpenNew() {
    g_log.clear();
    return static_cast<TestDoc*>(Template().OpenDocumentFile(nullptr, TRUE));
}

// The open document, made when there is none. Tests share it: under Wine
// without a window manager each shown frame that closes costs seconds.
TestDoc* Current() {
    std::vector<CDocument*> docs = Template().GetDocuments();
    if (!docs.empty()) return static_cast<TestDoc*>(docs.front());
    return OpenNew();
}

void DrainQuit() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// Closes whatever document the template holds.
void CloseAll() {
    for (CDocument* d : Template().GetDocuments()) {
        static_cast<TestDoc*>(d)->saveModifiedAnswer = true;
        if (theTestApp.m_pMainWnd) theTestApp.m_pMainWnd->SendMessage(WM_CLOSE);
    }
    DrainQuit();
}

TEST(DocView, TemplateMakesDocumentFrameAndViewInOrder) {
    CloseAll();
    TestDoc* doc = OpenNew();
    ASSERT_NE(doc, nullptr);
    const std::vector<std::string> expected = {"doc made", "frame created", "view created with its document",
                                               "new document", "initial update"};
    EXPECT_EQ(g_log, expected);
    auto* frame = dynamic_cast<TestFrame*>(theTestApp.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    EXPECT_EQ(frame->GetWindowText(), CString(L"無題"));
    doc->SetPathName(L"C:\\文書\\メモ.txt");
    EXPECT_EQ(doc->GetTitle(), CString(L"メモ.txt"));
    EXPECT_EQ(frame->GetWindowText(), CString(L"メモ.txt"));

    // Closing asks the document; No keeps everything.
    for (bool refusedByFrameQuestion : {true, false}) {
        doc->canCloseFrame = !refusedByFrameQuestion;
        doc->saveModifiedAnswer = refusedByFrameQuestion;
        frame->SendMessage(WM_CLOSE);
        EXPECT_EQ(theTestApp.m_pMainWnd, frame);
        EXPECT_EQ(Template().GetDocuments().size(), 1u);
    }
    doc->canCloseFrame = true;
    doc->saveModifiedAnswer = true;
    HWND hwnd = frame->m_hWnd;
    g_log.clear();
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(theTestApp.m_pMainWnd, nullptr);
    EXPECT_TRUE(Template().GetDocuments().empty());
    EXPECT_TRUE(Contains(g_log, "doc gone"));
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(DocView, FailedLoadLeavesNoFrameAndNoDocument) {
    CloseAll();
    struct Doc : TestDoc {
        Doc() { openSucceeds = false; }
    };
    CSingleDocTemplate failing(1, [] { return new Doc; }, [] { return new TestFrame; },
                               [] { return new TestView; });
    g_log.clear();
    EXPECT_EQ(failing.OpenDocumentFile(L"Z:\\nowhere.txt"), nullptr);
    EXPECT_TRUE(failing.GetDocuments().empty());
    EXPECT_TRUE(Contains(g_log, "open document"));
    EXPECT_TRUE(Contains(g_log, "doc gone"));
    EXPECT_EQ(theTestApp.m_pMainWnd, nullptr);
    DrainQuit();
}

TEST(DocView, CommandsTravelViewDocumentFrameApplication) {
    ASSERT_NE(Current(), nullptr);
    auto* frame = dynamic_cast<TestFrame*>(theTestApp.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    struct Case {
        UINT id;
        const char* ranBy;  // null: nobody
    } cases[] = {{ID_VIEW_CMD, "view cmd"}, {ID_DOC_CMD, "doc cmd"},   {ID_FRAME_CMD, "frame cmd"},
                 {ID_APP_CMD, "app cmd"},   {ID_SHARED, "view shared"}, {ID_NOBODY, nullptr}};
    for (const Case& c : cases) {
        g_log.clear();
        frame->SendMessage(WM_COMMAND, c.id, 0);
        if (c.ranBy)
            EXPECT_EQ(g_log, std::vector<std::string>{c.ranBy}) << c.id;
        else
            EXPECT_TRUE(g_log.empty());
    }

    // The same route decides each menu item's state.
    HMENU popup = ::CreatePopupMenu();
    for (UINT id : {ID_VIEW_CMD, ID_DOC_CMD, ID_FRAME_CMD, ID_NOBODY}) ::AppendMenuW(popup, MF_STRING, id, L"x");
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    auto state = [&](UINT id) { return ::GetMenuState(popup, id, MF_BYCOMMAND); };
    EXPECT_EQ(state(ID_VIEW_CMD) & (MF_GRAYED | MF_CHECKED), 0u);
    EXPECT_NE(state(ID_DOC_CMD) & MF_GRAYED, 0u);
    EXPECT_NE(state(ID_FRAME_CMD) & MF_CHECKED, 0u);
    EXPECT_NE(state(ID_NOBODY) & MF_GRAYED, 0u);
    ::DestroyMenu(popup);
}

TEST(DocView, IdleWorkUpdatesToolbarButtonsAndStatusPanes) {
    TestDoc* doc = Current();
    ASSERT_NE(doc, nullptr);
    auto* frame = dynamic_cast<TestFrame*>(theTestApp.m_pMainWnd);
    const CStatusBar& bar = frame->statusBar;
    auto enabled = [&](UINT id) { return frame->toolBar.SendMessage(TB_ISBUTTONENABLED, id) != 0; };
    for (bool on : {true, false}) {
        doc->paneOn = on;
        theTestApp.OnIdle(0);
        EXPECT_TRUE(enabled(ID_VIEW_CMD));
        EXPECT_FALSE(enabled(ID_DOC_CMD));
        EXPECT_FALSE(enabled(ID_NOBODY));
        EXPECT_NE(frame->toolBar.SendMessage(TB_ISBUTTONCHECKED, ID_FRAME_CMD), 0);
        EXPECT_EQ(bar.GetPaneText(1), CString(on ? L"矩形" : L""));
    }
    // Toolbar clicks reach the route.
    g_log.clear();
    frame->SendMessage(WM_COMMAND, ID_VIEW_CMD, reinterpret_cast<LPARAM>(frame->toolBar.m_hWnd));
    EXPECT_EQ(g_log, std::vector<std::string>{"view cmd"});
}

TEST(DocView, ViewsHearHintsButTheSenderDoesNot) {
    TestDoc* doc = Current();
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<TestView*>(doc->GetViews().at(0));
    view->hints.clear();
    doc->UpdateAllViews(nullptr, 110);
    doc->UpdateAllViews(view, 111);
    EXPECT_EQ(view->hints, std::vector<LPARAM>{110});
}

TEST(DocView, LoopTranslatesAcceleratorsAndModelessDialogKeysAndRunsIdleWork) {
    ASSERT_NE(Current(), nullptr);
    auto* frame = dynamic_cast<TestFrame*>(theTestApp.m_pMainWnd);
    ACCEL accel[] = {{FVIRTKEY | FNOINVERT, VK_F5, ID_VIEW_CMD}};
    frame->m_hAccelTable = ::CreateAcceleratorTableW(accel, 1);
    HWND viewWnd = frame->GetActiveView()->m_hWnd;

    // A modeless dialog takes Tab for its own navigation; other windows'
    // plain keys go on to be dispatched. (Focus itself is not checked: test
    // programs running side by side take it from each other.)
    wtest::DialogTemplate t(WS_POPUP | WS_VISIBLE, 100, 40, L"検索");
    t.Item(WS_TABSTOP | WS_BORDER, 5, 5, 40, 12, 101, wtest::DialogTemplate::kEdit)
        .Item(WS_TABSTOP | WS_BORDER, 50, 5, 40, 12, 102, wtest::DialogTemplate::kEdit);
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), frame->m_hWnd));
    MSG tab{dlg.GetDlgItem(101), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_TRUE(theTestApp.PreTranslateMessage(&tab));
    MSG plain{viewWnd, WM_KEYDOWN, 'A', 1, 0, {}};
    EXPECT_FALSE(theTestApp.PreTranslateMessage(&plain));

    g_log.clear();
    ::PostMessageW(viewWnd, WM_KEYDOWN, VK_F5, 1);
    // The loop ends from its idle work, once the key is handled.
    theTestApp.quitWhenIdle = true;
    EXPECT_EQ(theTestApp.Run(), 5);  // the code WM_QUIT carried
    EXPECT_FALSE(theTestApp.quitWhenIdle);
    EXPECT_EQ(g_log, std::vector<std::string>{"view cmd"});
    dlg.DestroyWindow();
    ::DestroyAcceleratorTable(frame->m_hAccelTable);
    frame->m_hAccelTable = nullptr;
}

TEST(Profile, ValuesAndRecentFilesGoToTheProfileFile) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"prf", 0, path);
    // A profile file that starts with a byte-order mark keeps any text.
    HANDLE f = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(f, "\xFF\xFE", 2, &written, nullptr);
    ::CloseHandle(f);
    TestApp& app = theTestApp;
    app.SetProfileFile(path);
    EXPECT_EQ(app.GetProfileInt(L"WINDOW", L"ZOOMED", 7), 7u);
    EXPECT_TRUE(app.WriteProfileInt(L"WINDOW", L"ZOOMED", 1));
    EXPECT_TRUE(app.WriteProfileString(L"APPLICATION", L"KB_MACRO_DIR", L"C:\\マクロ"));
    EXPECT_EQ(app.GetProfileInt(L"WINDOW", L"ZOOMED", 7), 1u);
    EXPECT_EQ(app.GetProfileString(L"APPLICATION", L"KB_MACRO_DIR"), CString(L"C:\\マクロ"));
    const std::wstring longValue(1000, L'長');
    app.WriteProfileString(L"A", L"LONG", longValue.c_str());
    EXPECT_EQ(app.GetProfileString(L"A", L"LONG").str(), longValue);

    app.LoadStdProfileSettings(3);
    for (const wchar_t* p : {L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt", L"c:\\A.TXT", L"C:\\d.txt"})
        app.AddToRecentFileList(p);
    const std::vector<CString> expected = {L"C:\\d.txt", L"c:\\A.TXT", L"C:\\c.txt"};
    EXPECT_EQ(app.GetRecentFiles(), expected);
    // A later run finds the same list.
    app.LoadStdProfileSettings(3);
    EXPECT_EQ(app.GetRecentFiles(), expected);
    app.LoadStdProfileSettings(0);
    EXPECT_TRUE(app.GetRecentFiles().empty());
    app.SetProfileFile(L"");
    ::DeleteFileW(path);
}

}  // namespace
