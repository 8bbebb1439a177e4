// The completion popup in a real editing window: opened by the command under
// the word, narrowed by typing, moved by keys, accepted by Enter, Tab and a
// double-click, closed by every closing event, and gone with its owner.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/assist/assist_fixture.h"

namespace {

using atest::AssistFixture;

TEST(CodeAssistPopup, OpensUnderTheWordNarrowsAndEnterReplacesTheWholeWord) {
    AssistFixture f(u"x = sel");
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    EXPECT_TRUE(f.PopupVisible());
    EXPECT_EQ(f.CurrentText(), u"SELECT");

    // Under the word: left at the word's first character less 5, top under its line.
    const CEditCtrl::RowPos rp = f.ctrl.LinePosToRowPos(4, 0);
    POINT word = f.ctrl.PointFromRowPos(rp.xColumn, rp.row);
    ::ClientToScreen(f.ctrl, &word);
    RECT popup;
    ::GetWindowRect(f.ctrl.AssistWnd().m_hWnd, &popup);
    EXPECT_EQ(popup.left, word.x - 5);
    EXPECT_EQ(popup.top, word.y + f.ctrl.GetRowHeight());
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(popup.bottom, work.bottom);

    f.Type(u"f");  // "self": SELF chosen
    EXPECT_EQ(f.ctrl.GetAssistWord(), u"self");
    EXPECT_EQ(f.CurrentText(), u"SELF");
    f.ctrl.ListLineUp(false);
    EXPECT_EQ(f.CurrentText(), u"SELECT");
    f.Type(u"\r");
    EXPECT_FALSE(f.ctrl.IsAssistShown());
    EXPECT_FALSE(f.PopupVisible());
    EXPECT_EQ(f.Line(), u"x = SELECT");
}

TEST(CodeAssistPopup, SingleCandidateIsInsertedAtOnceAndNothingOpensWithoutAWord) {
    struct Case {
        const char16_t* text;
        const char16_t* after;
    } cases[] = {
        {u"fr", u"from"},
        {u"a wh", u"a where"},
        {u"sel ", u"sel "},  // after a break character
        {u"", u""},          // column 0
        {u"qq", u"qq"},      // no candidate
    };
    for (const Case& c : cases) {
        AssistFixture f(c.text);
        f.ctrl.KeywordComplete(false);
        EXPECT_FALSE(f.ctrl.IsAssistShown());
        EXPECT_EQ(f.Line(), c.after);
    }
}

TEST(CodeAssistPopup, TabChoosesFirstWhenNoRowIsChosenThenInserts) {
    AssistFixture f(u"s");
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    f.Type(u"ez");
    f.ctrl.Model().BackSpace();  // inside the word: the list stays, the word shrinks
    EXPECT_TRUE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.ctrl.GetAssistWord(), u"se");
    f.Type(u"x");  // no candidate starts with "sex": no row chosen
    EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_NO_ROW);
    EXPECT_TRUE(f.ctrl.IsAssistShown());
    f.Type(u"\t");
    EXPECT_TRUE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_ROW_CHOSEN);
    EXPECT_EQ(f.Line(), u"sex");
    f.ctrl.ListLast();
    f.Type(u"\t");
    EXPECT_FALSE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.Line(), u"set");
}

TEST(CodeAssistPopup, ABreakCharacterInsertsTheChosenRowFollowedByIt) {
    AssistFixture g(u"se");
    g.ctrl.KeywordComplete(false);
    ASSERT_TRUE(g.ctrl.IsAssistShown());
    g.Type(u"(");
    EXPECT_FALSE(g.ctrl.IsAssistShown());
    EXPECT_EQ(g.Line(), u"SELECT(");
}

TEST(CodeAssistPopup, DoubleClickAcceptsTheRow) {
    AssistFixture f(u"se");
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    f.ctrl.ListLineDown(false);
    f.ctrl.ListLineDown(false);
    EXPECT_EQ(f.CurrentText(), u"set");
    HWND popup = f.ctrl.AssistWnd().m_hWnd;
    const int y = f.ctrl.AssistWnd().GetRowHeight() * 2 + f.ctrl.AssistWnd().GetRowHeight() / 2;
    ::SendMessageW(popup, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, y));
    wtest::Pump(300);
    EXPECT_FALSE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.Line(), u"set");
}

TEST(CodeAssistPopup, EveryClosingEventHidesTheList) {
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 500, 0, 10, 10, wtest::SharedHost(),
                                   nullptr, nullptr, nullptr);
    struct Case {
        const char* what;
        void (*close)(AssistFixture&, HWND other);
    } cases[] = {
        {"Esc", [](AssistFixture& f, HWND) { f.ctrl.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Esc before its command", [](AssistFixture& f, HWND) {
             MSG m{f.ctrl, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
             EXPECT_TRUE(f.ctrl.PreTranslateMessage(&m));
         }},
        {"caret left of the word", [](AssistFixture& f, HWND) {
             for (int i = 0; i < 3; ++i) f.ctrl.Model().MoveCharOrCollapse(-1, false);
         }},
        {"click in the editor", [](AssistFixture& f, HWND) { f.ctrl.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0); }},
        {"focus to another window", [](AssistFixture&, HWND o) { ::SetFocus(o); }},
        {"another application", [](AssistFixture& f, HWND) {
             ::SendMessageW(f.ctrl.AssistWnd().m_hWnd, WM_ACTIVATEAPP, FALSE, 0);
             wtest::Pump(100);
         }},
    };
    for (const Case& c : cases) {
        AssistFixture f(u"x se");
        f.ctrl.KeywordComplete(false);
        ASSERT_TRUE(f.ctrl.IsAssistShown()) << c.what;
        f.ctrl.Model().MoveCharOrCollapse(-1, false);  // still inside the word: stays open
        EXPECT_TRUE(f.ctrl.IsAssistShown()) << c.what;
        c.close(f, other);
        EXPECT_FALSE(f.ctrl.IsAssistShown()) << c.what;
        EXPECT_FALSE(f.PopupVisible()) << c.what;
        EXPECT_EQ(f.Line(), u"x se") << c.what;
    }
    ::DestroyWindow(other);
}

TEST(CodeAssistPopup, ClosingTheEditorWithTheListOpenDestroysTheList) {
    HWND popup;
    {
        AssistFixture f(u"se");
        f.ctrl.KeywordComplete(false);
        ASSERT_TRUE(f.ctrl.IsAssistShown());
        popup = f.ctrl.AssistWnd().m_hWnd;
        f.ctrl.DestroyWindow();
        EXPECT_FALSE(::IsWindow(popup));
        wtest::Pump(150);  // the focus timer must not fire on a dead window
    }
    wtest::Pump(150);
    EXPECT_FALSE(::IsWindow(popup));
}

TEST(CodeAssistPopup, WithTheListSwitchedOffTheCommandCyclesInPlace) {
    AssistFixture f(u"se");
    f.ctrl.SetUseKeywordWindow(false);
    f.ctrl.KeywordComplete(false);
    EXPECT_FALSE(f.ctrl.IsAssistShown());
    EXPECT_NE(f.Line(), u"se");
}

}  // namespace

namespace {

// The main window while the list is shown: its frame, its other children,
// a move or losing the activation close the list; a hook of it never
// outlives the list or the editor.
TEST(CodeAssistPopup, TheMainWindowClosesTheListAndIsLeftAsItWas) {
    HWND frame = wtest::SharedHost();
    const LONG_PTR ownProc = ::GetWindowLongPtrW(frame, GWLP_WNDPROC);
    HWND elsewhere = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 500, 0, 10, 10, frame, nullptr,
                                       nullptr, nullptr);
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wParam;
        bool closes;
    } cases[] = {
        {"click on the frame", WM_NCLBUTTONDOWN, HTNOWHERE, true},
        {"click on another child", WM_PARENTNOTIFY, WM_LBUTTONDOWN, true},
        {"a child made", WM_PARENTNOTIFY, WM_CREATE, false},
        {"moved", WM_MOVE, 0, true},
        {"another window activated", WM_ACTIVATE, WA_INACTIVE, true},
        {"the list activated", WM_ACTIVATE, WA_INACTIVE, false},
        {"frame drawn inactive", WM_NCACTIVATE, FALSE, false},
    };
    for (const Case& c : cases) {
        AssistFixture f(u"x se");
        f.ctrl.KeywordComplete(false);
        ASSERT_TRUE(f.ctrl.IsAssistShown()) << c.what;
        EXPECT_EQ(f.ctrl.HookedFrame(), frame) << c.what;
        LPARAM lParam = 0;
        if (c.msg == WM_ACTIVATE) lParam = LPARAM(c.closes ? elsewhere : f.ctrl.AssistWnd().m_hWnd);
        if (c.msg == WM_PARENTNOTIFY) lParam = LPARAM(elsewhere);
        const LRESULT r = ::SendMessageW(frame, c.msg, c.wParam, lParam);
        if (c.msg == WM_NCACTIVATE) {
            EXPECT_EQ(r, TRUE) << "the frame keeps its active look";
        }
        EXPECT_EQ(f.ctrl.IsAssistShown(), !c.closes) << c.what;
        EXPECT_EQ(f.PopupVisible(), !c.closes) << c.what;
        if (c.closes) {
            EXPECT_EQ(::GetWindowLongPtrW(frame, GWLP_WNDPROC), ownProc) << c.what;
        }
        f.ctrl.HideAssistWnd();
        EXPECT_EQ(f.ctrl.HookedFrame(), nullptr) << c.what;
        EXPECT_EQ(::GetWindowLongPtrW(frame, GWLP_WNDPROC), ownProc) << c.what;
        wtest::Pump(50);
    }
    ::DestroyWindow(elsewhere);
    ::SendMessageW(frame, WM_NCACTIVATE, TRUE, 0);
}

TEST(CodeAssistPopup, AFileClosedWithTheListOpenLeavesTheMainWindowUnhooked) {
    HWND frame = wtest::SharedHost();
    const LONG_PTR ownProc = ::GetWindowLongPtrW(frame, GWLP_WNDPROC);
    {
        AssistFixture f(u"se");
        f.ctrl.KeywordComplete(false);
        ASSERT_TRUE(f.ctrl.IsAssistShown());
        ASSERT_NE(::GetWindowLongPtrW(frame, GWLP_WNDPROC), ownProc);
        f.ctrl.DestroyWindow();
        EXPECT_EQ(::GetWindowLongPtrW(frame, GWLP_WNDPROC), ownProc);
    }
    // The control's memory is gone: the main window's next activation, click
    // or move must reach nothing of it.
    ::SendMessageW(frame, WM_NCACTIVATE, FALSE, 0);
    ::SendMessageW(frame, WM_ACTIVATE, WA_INACTIVE, 0);
    ::SendMessageW(frame, WM_NCLBUTTONDOWN, HTNOWHERE, 0);
    ::SendMessageW(frame, WM_ACTIVATE, WA_ACTIVE, 0);
    ::SendMessageW(frame, WM_NCACTIVATE, TRUE, 0);
    wtest::Pump(100);
    EXPECT_EQ(::GetWindowLongPtrW(frame, GWLP_WNDPROC), ownProc);
}

TEST(CodeAssistPopup, TheDefaultListMakerIsInUseUntilAnotherIsGiven) {
    AssistFixture f(u"");
    CCodeAssistListMaker* own = f.ctrl.ListMaker();
    ASSERT_NE(own, nullptr);
    CCodeAssistData t;
    EXPECT_TRUE(own->MakeList(t, f.data));
    EXPECT_EQ(t.GetRowCount(), 3);
    CCodeAssistListMaker other;
    f.ctrl.SetListMaker(&other);
    EXPECT_EQ(f.ctrl.ListMaker(), &other);
    f.ctrl.SetListMaker(nullptr);
    EXPECT_EQ(f.ctrl.ListMaker(), own);
}

}  // namespace

namespace {

// An SQL file with the shipped SQL keywords: written in lower case, matched
// ignoring case, the typed capitals narrowing the list.
TEST(CodeAssistPopup, CompletesInAnSqlFileWithTheShippedKeywords) {
    AssistFixture f(u"SELECT a FROM t WH", etest::Language(u"<sql>"));
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    CCodeAssistData& shown = *f.ctrl.AssistWnd().List().Shown();
    ASSERT_EQ(shown.GetRowCount(), 2);
    EXPECT_EQ(std::u16string(shown.GetCellText(0, CCodeAssistData::COL_TEXT)), u"when");
    EXPECT_EQ(std::u16string(shown.GetCellText(1, CCodeAssistData::COL_TEXT)), u"where");
    EXPECT_EQ(f.CurrentText(), u"when");

    f.Type(u"ER");
    EXPECT_EQ(f.ctrl.GetAssistWord(), u"WHER");
    EXPECT_EQ(f.CurrentText(), u"where");
    EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_ROW_CHOSEN);
    EXPECT_EQ(std::u16string(shown.GetCellText(0, CCodeAssistData::COL_MARK)), u"DISABLE");
    EXPECT_EQ(std::u16string(shown.GetCellText(1, CCodeAssistData::COL_MARK)), u"");
    wtest::Pump(100);
    ::UpdateWindow(f.ctrl.AssistWnd().m_hWnd);
    wtest::WriteBmp(TEST_OUTPUT_DIR "/assist_sql_list.bmp", wtest::CaptureClient(f.ctrl.AssistWnd().m_hWnd));

    f.Type(u"\r");
    EXPECT_FALSE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.Line(), u"SELECT a FROM t where");
}

}  // namespace
