// A long search in the editing window ends when the user presses Esc, with
// real key input: the search looks for the key going down between lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/seams.h"
#include "tests/editctrl/edit_ctrl_fixture.h"

using etest::EditFixture;

namespace {

void SendEscape(bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = VK_ESCAPE;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &in, sizeof in);
}

}  // namespace

TEST(SearchEscape, PressingEscDuringALongSearchStopsItWhereItWas) {
    // Enough lines that no search reaches the last one before Esc is seen.
    std::u16string text;
    const std::u16string line(30, u'a');
    for (int i = 0; i < 400000; ++i) text += line + u'\n';
    text += u"target";
    EditFixture f(text, ECS_SEARCH_LOOP_MSG);
    std::vector<std::wstring> boxes;
    const MessageBoxHandler previous = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        boxes.push_back(r.text);
        return IDOK;
    });
    ::SetFocus(f.ctrl.m_hWnd);

    // Esc goes down and up again and again until the search is over, as a
    // user pressing it would.
    std::atomic<bool> searching{true};
    std::thread presser([&] {
        while (searching) {
            SendEscape(true);
            ::Sleep(2);
            SendEscape(false);
            ::Sleep(2);
        }
    });
    // The presses reach the key state before the search starts. The queued
    // key messages are left for the search's own loop, so this polls the
    // key state instead of running messages as WaitUntil would.
    bool seen = false;
    // Another program's window may hold the display's focus for a moment
    // after it ends: take it again while waiting.
    for (int i = 0; i < 10000 && !seen; ++i) {
        if (i % 500 == 0) {
            ::SetForegroundWindow(f.ctrl.m_hWnd);
            ::SetFocus(f.ctrl.m_hWnd);
        }
        seen = (::GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
        ::Sleep(1);
    }
    const int result = seen ? f.ctrl.FindString(L"target", 1, TRUE, TRUE, FALSE) : -1;
    searching = false;
    presser.join();
    wtest::Pump();
    SetMessageBoxHandler(previous);

    ASSERT_TRUE(seen) << "no Esc press arrived";
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(boxes.empty()) << "a stopped search says nothing";
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 0}));
    EXPECT_EQ(f.data.GetDispData().selStart, f.data.GetDispData().selEnd);
}
