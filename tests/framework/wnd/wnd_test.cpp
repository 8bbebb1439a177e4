// CWnd: objects attach during creation, survive subclassing through
// GWLP_WNDPROC, leave GWLP_USERDATA alone, detach when the window dies, and
// dispatch through their WindowProc with working default processing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/seams.h"
#include "framework/wnd.h"
#include "tests/framework/window_test_support.h"

namespace {

const wchar_t kClass[] = L"TORKA_WndTest";
const UINT WM_TEST_PING = WM_APP + 1;

class RecordingWnd : public CWnd {
public:
    RecordingWnd() { CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr); }
    std::vector<UINT> seen;
    HWND hwndInOnCreate = nullptr;
    CWnd* foundInOnCreate = nullptr;
    int createResult = 0;
    bool destroyed = false, ncDestroyed = false;
    CWnd* childOnCreate = nullptr;

    BOOL CreateChild(HWND parent) {
        return Create(kClass, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), parent, 7);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        switch (msg) {
        case WM_TEST_PING:
            return wParam + 1;
        case WM_SETTEXT: {
            // A nested message must not disturb Default()'s message.
            SendMessage(WM_GETTEXTLENGTH);
            return Default();
        }
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    int OnCreate(CREATESTRUCTW* cs) override {
        hwndInOnCreate = m_hWnd;
        foundInOnCreate = CWnd::FromHandle(m_hWnd);
        if (createResult != 0) return createResult;
        if (childOnCreate) static_cast<RecordingWnd*>(childOnCreate)->CreateChild(m_hWnd);
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() override {
        destroyed = true;
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { ncDestroyed = true; }
};

// Wraps a window procedure the way window code does: the previous procedure
// kept in GWLP_USERDATA.
int g_wrapperCalls = 0;
LRESULT CALLBACK WrapperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TEST_PING) ++g_wrapperCalls;
    auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(Wnd, AttachesBeforeCreationMessagesAndDetachesWithTheWindow) {
    wtest::HostWindow& host = wtest::SharedHost();
    RecordingWnd child;
    ASSERT_TRUE(child.CreateChild(host));
    HWND hwnd = child.m_hWnd;
    EXPECT_EQ(child.seen.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(child.hwndInOnCreate, hwnd);
    EXPECT_EQ(child.foundInOnCreate, &child);
    EXPECT_EQ(CWnd::FromHandle(hwnd), &child);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    EXPECT_EQ(child.SendMessage(WM_TEST_PING, 41), 42);

    ASSERT_TRUE(child.DestroyWindow());
    EXPECT_TRUE(child.destroyed);
    EXPECT_TRUE(child.ncDestroyed);
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Wnd, TopLevelWindowIsAttachedFromItsVeryFirstMessage) {
    RecordingWnd top;
    ASSERT_TRUE(top.CreateEx(0, kClass, L"", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, nullptr));
    // WM_GETMINMAXINFO comes before WM_NCCREATE for a top-level window.
    ASSERT_FALSE(top.seen.empty());
    EXPECT_TRUE(top.seen.front() == WM_GETMINMAXINFO || top.seen.front() == WM_NCCREATE);
    EXPECT_EQ(top.foundInOnCreate, &top);
}

TEST(Wnd, RefusedCreationLeavesNoWindow) {
    wtest::HostWindow& host = wtest::SharedHost();
    RecordingWnd child;
    child.createResult = -1;
    EXPECT_FALSE(child.CreateChild(host));
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_TRUE(child.ncDestroyed);
    // The object can be created again.
    child.createResult = 0;
    EXPECT_TRUE(child.CreateChild(host));
}

TEST(Wnd, WindowCreatedInsideOnCreateGetsItsOwnObject) {
    wtest::HostWindow& host = wtest::SharedHost();
    RecordingWnd outer, inner;
    outer.childOnCreate = &inner;
    ASSERT_TRUE(outer.CreateChild(host));
    ASSERT_NE(inner.m_hWnd, nullptr);
    EXPECT_EQ(::GetParent(inner.m_hWnd), outer.m_hWnd);
    EXPECT_EQ(CWnd::FromHandle(inner.m_hWnd), &inner);
    EXPECT_EQ(CWnd::FromHandle(outer.m_hWnd), &outer);
}

TEST(Wnd, SubclassingThroughWndProcKeepsTheObjectAndUserData) {
    wtest::HostWindow& host = wtest::SharedHost();
    RecordingWnd child;
    ASSERT_TRUE(child.CreateChild(host));
    LONG_PTR previous = ::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WrapperProc));
    ::SetWindowLongPtrW(child, GWLP_USERDATA, previous);
    g_wrapperCalls = 0;
    EXPECT_EQ(child.SendMessage(WM_TEST_PING, 1), 2);
    EXPECT_EQ(g_wrapperCalls, 1);
    EXPECT_EQ(CWnd::FromHandle(child), &child);
    // Default processing still reaches the platform through the chain.
    child.SetWindowText(L"日本語");
    EXPECT_EQ(child.GetWindowText(), CString(L"日本語"));
    ASSERT_TRUE(child.DestroyWindow());
    EXPECT_TRUE(child.ncDestroyed);
}

TEST(Wnd, DefaultProcessesTheHandledMessageAfterNestedOnes) {
    wtest::HostWindow& host = wtest::SharedHost();
    RecordingWnd child;
    ASSERT_TRUE(child.CreateChild(host));
    ASSERT_TRUE(child.SetWindowText(L"かな"));
    EXPECT_EQ(child.GetWindowText(), CString(L"かな"));
}

TEST(Wnd, ForeignControlsAreSubclassedAndReleased) {
    wtest::HostWindow& host = wtest::SharedHost();
    RecordingWnd edit;
    ASSERT_TRUE(edit.CreateEx(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), host, nullptr));
    EXPECT_EQ(CWnd::FromHandle(edit), &edit);
    edit.SetWindowText(L"テキスト");
    EXPECT_EQ(edit.GetWindowText(), CString(L"テキスト"));
    EXPECT_EQ(edit.SendMessage(WM_TEST_PING, 5), 6);

    HWND hwnd = edit.UnsubclassWindow();
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    EXPECT_EQ(::SendMessageW(hwnd, WM_TEST_PING, 5, 0), 0);  // the edit control's own answer
    EXPECT_TRUE(edit.SubclassWindow(hwnd));
    EXPECT_EQ(edit.SendMessage(WM_TEST_PING, 5), 6);
}

TEST(Wnd, DestroyingTheObjectDestroysItsWindow) {
    wtest::HostWindow& host = wtest::SharedHost();
    HWND hwnd;
    {
        RecordingWnd child;
        ASSERT_TRUE(child.CreateChild(host));
        hwnd = child.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Wnd, DialogsAndFramesAreRecognised) {
    class TestDialog : public CDialog {};
    class TestMdiFrame : public CMDIFrameWnd {};
    CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr);

    TestDialog dialog;
    ASSERT_TRUE(dialog.CreateEx(0, kClass, L"", WS_POPUP, CRect(0, 0, 10, 10), nullptr, nullptr));
    TestMdiFrame frame;
    ASSERT_TRUE(frame.CreateEx(0, kClass, L"", WS_OVERLAPPEDWINDOW, CRect(0, 0, 10, 10), nullptr, nullptr));
    HWND systemDialog = ::CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(systemDialog, nullptr);
    wtest::HostWindow& plain = wtest::SharedHost();

    EXPECT_TRUE(IsDialogWindow(dialog));
    EXPECT_TRUE(IsDialogWindow(systemDialog));
    EXPECT_FALSE(IsDialogWindow(frame));
    EXPECT_FALSE(IsDialogWindow(plain));
    EXPECT_NE(WndCast<CMDIFrameWnd>(frame), nullptr);
    EXPECT_NE(WndCast<CFrameWnd>(frame), nullptr);
    EXPECT_EQ(WndCast<CMDIFrameWnd>(dialog), nullptr);
    EXPECT_EQ(WndCast<CMDIFrameWnd>(systemDialog), nullptr);
    ::DestroyWindow(systemDialog);
}

TEST(Seams, MessageBoxesAreAnsweredAndRecorded) {
    std::vector<MessageBoxRequest> asked;
    auto previous = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        asked.push_back(r);
        return IDCANCEL;
    });
    EXPECT_EQ(ShowMessageBox(nullptr, L"メモリが確保できません", L"メッセージ", MB_ICONINFORMATION), IDCANCEL);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, L"メモリが確保できません");
    EXPECT_EQ(asked[0].caption, L"メッセージ");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    // Handlers nest: the outer one comes back.
    auto mine = SetMessageBoxHandler(previous);
    EXPECT_TRUE(static_cast<bool>(mine));
}

TEST(Seams, ProgramStartsAreRecorded) {
    std::vector<ProcessStartRequest> started;
    auto previous = SetProcessStartHandler([&](const ProcessStartRequest& r) {
        started.push_back(r);
        return r.kind == ProcessStartRequest::Shell;
    });
    EXPECT_TRUE(ShellExecuteOpen(nullptr, nullptr, L"http://example.jp/", nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_FALSE(StartProcess(L"C:\\x\\sulki.exe \"検索\" d\"C:\\work\"", L"C:\\x", true));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].kind, ProcessStartRequest::Shell);
    EXPECT_EQ(started[0].file, L"http://example.jp/");
    EXPECT_EQ(started[0].verb, L"");
    EXPECT_EQ(started[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(started[1].kind, ProcessStartRequest::Process);
    EXPECT_EQ(started[1].parameters, L"C:\\x\\sulki.exe \"検索\" d\"C:\\work\"");
    EXPECT_EQ(started[1].directory, L"C:\\x");
    EXPECT_TRUE(started[1].waitForIdle);
    SetProcessStartHandler(previous);
}
