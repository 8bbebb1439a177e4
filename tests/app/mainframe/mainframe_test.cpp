// The main frame: keys go to a macro procedure first, then to the bindings
// (a binding whose command nobody handles leaves the key to the focused
// window); menus show key texts; the placement comes back on a monitor and
// is written when the frame closes; dropped paths too long are skipped.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/macro_calls.h"
#include "app/main_frame.h"
#include "app/resource.h"
#include "framework/bars.h"
#include "tests/support/recording_app.h"

namespace {

wtest::RecordingApp theTestApp;

class TestFrame : public CMainFrame {
public:
    using CMainFrame::CMainFrame;
    std::vector<UINT> ran;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override {
        if (id == 32794 /* F3: find next */ || id == ID_SEARCH_FIND) {
            if (!ui) ran.push_back(id);
            return true;
        }
        return CMainFrame::OnCmdMsg(id, ui);
    }
};

class RecordingMacros : public CMacroCalls {
public:
    std::vector<DWORD> asked;
    // The key a procedure is bound to and runs. Modifiers are read from
    // the keyboard as it is, which other test programs may press on: only
    // the key is compared.
    WORD takes = 0;
    bool RunKeyProcedure(DWORD binding) override {
        asked.push_back(binding);
        return LOWORD(binding) == takes;
    }
    bool HasEventHandler(const char*) override { return true; }
    void FireEvent(const char* event) override { events.push_back(event); }
    std::vector<std::string> events;
};

// A hidden frame (closing a shown one costs seconds under Wine).
TestFrame* MakeFrame(CAppContext& context) {
    auto* frame = new TestFrame(context);
    EXPECT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
    return frame;
}

TEST(MainFrame, KeysGoToMacroProceduresThenToBindingsOfHandledCommands) {
    CAppContext context;
    TestFrame* frame = MakeFrame(context);
    frame->GetAccelTable().LoadDefault();
    frame->RebuildAccelerators();
    RecordingMacros macros;
    context.macros.Install(&macros);
    auto press = [&](WPARAM vk) {
        MSG msg{frame->m_hWnd, WM_KEYDOWN, vk, 1, 0, {}};
        return frame->PreTranslateMessage(&msg);
    };

    // No procedure runs for F3: its binding does.
    EXPECT_TRUE(press(VK_F3));
    EXPECT_EQ(frame->ran, std::vector<UINT>{32794});
    ASSERT_EQ(macros.asked.size(), 1u);
    EXPECT_EQ(LOWORD(macros.asked[0]), VK_F3);
    EXPECT_EQ(HIWORD(macros.asked[0]) & kAccelBase, kAccelBase);
    // A procedure bound to F3 that runs wins over the binding.
    macros.takes = VK_F3;
    frame->ran.clear();
    EXPECT_TRUE(press(VK_F3));
    EXPECT_TRUE(frame->ran.empty());
    // F5 is bound to a command nothing handles here: the key stays a key.
    EXPECT_FALSE(press(VK_F5));
    // Without a macro host the bindings alone decide.
    context.macros.Install(nullptr);
    macros.asked.clear();
    EXPECT_TRUE(press(VK_F3));
    EXPECT_TRUE(macros.asked.empty());
    frame->DestroyWindow();
}

// The toolbar's find button clicked with the mouse runs 検索; the status
// bar's encoding pane holds the longest encoding text within its borders.
TEST(MainFrame, ToolbarFindButtonAndTheEncodingPane) {
    CAppContext context;
    TestFrame* frame = MakeFrame(context);
    frame->ShowWindow(SW_SHOW);
    HWND toolbar = nullptr;
    for (HWND w = ::FindWindowExW(frame->m_hWnd, nullptr, TOOLBARCLASSNAMEW, nullptr); w && !toolbar;
         w = ::FindWindowExW(frame->m_hWnd, w, TOOLBARCLASSNAMEW, nullptr))
        if (::SendMessageW(w, TB_COMMANDTOINDEX, ID_FILE_OPEN, 0) >= 0) toolbar = w;
    ASSERT_NE(toolbar, nullptr);
    const LRESULT index = ::SendMessageW(toolbar, TB_COMMANDTOINDEX, ID_SEARCH_FIND, 0);
    ASSERT_GE(index, 0) << "the toolbar has no 検索 button";
    RECT r{};
    ::SendMessageW(toolbar, TB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(frame->ran, std::vector<UINT>{ID_SEARCH_FIND});

    CStatusBar* bar = frame->GetStatusBar();
    ASSERT_NE(bar, nullptr);
    const int pane = bar->CommandToIndex(ID_INDICATOR_FORMAT);
    RECT part{};
    ASSERT_TRUE(::SendMessageW(bar->m_hWnd, SB_GETRECT, WPARAM(pane), reinterpret_cast<LPARAM>(&part)));
    HDC dc = ::GetDC(bar->m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(bar->m_hWnd, WM_GETFONT, 0, 0)));
    const std::wstring longest = L"UNICODE(no sig.), CRLF(\\r\\n)";
    SIZE text{};
    ::GetTextExtentPoint32W(dc, longest.c_str(), static_cast<int>(longest.size()), &text);
    ::SelectObject(dc, old);
    ::ReleaseDC(bar->m_hWnd, dc);
    EXPECT_GE(part.right - part.left, text.cx + 2 * ::GetSystemMetrics(SM_CXEDGE) + 4);
    frame->DestroyWindow();
}

TEST(MainFrame, MenuItemsShowTheirKeys) {
    CAppContext context;
    TestFrame* frame = MakeFrame(context);
    frame->GetAccelTable().LoadDefault();
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, ID_FILE_SAVE, L"上書き保存(&S)");
    ::AppendMenuW(popup, MF_STRING, ID_EDIT_COPY, L"コピー(&C)\t古いキー");
    ::AppendMenuW(popup, MF_STRING, 40000, L"キーなし\tCtrl+Q");
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    frame->UpdateMenuKeyTexts(popup);
    auto text = [&](UINT id) {
        wchar_t buf[128] = {};
        ::GetMenuStringW(popup, id, buf, 128, MF_BYCOMMAND);
        return std::wstring(buf);
    };
    EXPECT_EQ(text(ID_FILE_SAVE), L"上書き保存(&S)\tCtrl+S");
    EXPECT_EQ(text(ID_EDIT_COPY), L"コピー(&C)\tCtrl+C, Ctrl+INSERT");
    EXPECT_EQ(text(40000), L"キーなし");
    ::DestroyMenu(popup);
    frame->DestroyWindow();
}

TEST(MainFrame, SavedPlacementLandsOnTheWorkArea) {
    const RECT work{0, 0, 1280, 1000};
    struct Case {
        RECT saved, expected;
    } cases[] = {
        {{100, 50, 900, 650}, {100, 50, 900, 650}},          // inside: kept
        {{-3000, 50, -2200, 650}, {0, 50, 800, 650}},        // left of it
        {{1200, 50, 2000, 650}, {0, 50, 800, 650}},          // past its right edge
        {{100, 900, 900, 1500}, {100, 0, 900, 600}},         // past its bottom
        {{0, 0, 3000, 2000}, {0, 0, 1280, 1000}},            // bigger than it
    };
    for (const Case& c : cases) {
        RECT r = CMainFrame::FitToWorkArea(c.saved, work);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(MainFrame, PlacementIsReadAtCreationAndWrittenAtClose) {
    CIniProfile& ini = *theTestApp.m_pIniProfile;
    ini.WriteInt(u"WINDOW", u"LEFT", 40);
    ini.WriteInt(u"WINDOW", u"TOP", 30);
    ini.WriteInt(u"WINDOW", u"WIDTH", 500);
    ini.WriteInt(u"WINDOW", u"HEIGHT", 400);
    CAppContext context;
    TestFrame* frame = MakeFrame(context);
    CRect r = frame->GetWindowRect();
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.Width(), 500);
    // A second editor would open one caption lower and to the right.
    const int caption = ::GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(ini.GetInt(u"WINDOW", u"LEFT", 0), 40 + caption);
    frame->MoveWindow(60, 70, 300, 200);
    frame->DestroyWindow();
    EXPECT_EQ(ini.GetInt(u"WINDOW", u"LEFT", 0), 60);
    EXPECT_EQ(ini.GetInt(u"WINDOW", u"TOP", 0), 70);
    EXPECT_EQ(ini.GetInt(u"WINDOW", u"WIDTH", 0), 300);
    EXPECT_EQ(ini.GetInt(u"WINDOW", u"HEIGHT", 0), 200);
    EXPECT_EQ(ini.GetInt(u"WINDOW", u"ZOOMED", -1), 0);
}

// A drop of these paths, as the shell hands it over.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& p : paths) {
        std::copy(p.begin(), p.end(), out);
        out += p.size() + 1;
    }
    ::GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

TEST(MainFrame, DroppedFilesOpenInOrderAndOverlongPathsAreSkipped) {
    CAppContext context;
    TestFrame* frame = MakeFrame(context);
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'長') + L".txt";
    theTestApp.opened.clear();
    frame->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\a.txt", tooLong, L"C:\\日本.txt"})));
    EXPECT_EQ(theTestApp.opened, (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\日本.txt"}));
    frame->DestroyWindow();
}

TEST(MacroEvents, AnEventCausedByItsOwnHandlerDoesNotReenter) {
    CMacroLink link;
    struct Reentering : RecordingMacros {
        CMacroLink* link = nullptr;
        void FireEvent(const char* event) override {
            RecordingMacros::FireEvent(event);
            link->FireEvent(event);                   // the handler moves the caret again
            link->FireEvent("on-selection-changed");  // another event still fires
        }
    } macros;
    macros.link = &link;
    link.Install(&macros);
    link.FireEvent("on-cursor-moved");
    EXPECT_EQ(macros.events, (std::vector<std::string>{"on-cursor-moved", "on-selection-changed"}));
}

}  // namespace
