// Searching in the editor as a user does it: the find, replace and filter
// dialogs driven by their controls (keys through the program's message
// loop, checks and buttons clicked) on the view's file, the search
// commands that go on with the same condition, the status-bar reports, the
// histories in the settings file, and bad patterns that change nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/macro_calls.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "program/pavin_app.h"
#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/bars.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "view/pavin_view.h"
#include "view/search_resource.h"
#include "view/view_search.h"

namespace {

struct Box {
    std::wstring text, caption;
};

// One editor for the whole program: starting it costs seconds under Wine.
class Search : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(editor_.Start(L"wendrel_search_", [](const std::wstring& dir) {
            wtest::WriteBytes(dir + L"text.txt", "alpha\r\n");
            return wtest::QuotedPath(dir + L"text.txt");
        }));
    }
    static void TearDownTestSuite() { editor_.End(); }

    void SetUp() override {
        const wtest::EditorWindows windows = editor_.Windows();
        frame = windows.frame;
        ASSERT_NE(frame, nullptr);
        view = windows.view;
        ASSERT_NE(view, nullptr);
        editor = windows.editor;
        ASSERT_NE(editor, nullptr);
        dialogs = view->SearchDialogs();
        ASSERT_NE(dialogs, nullptr);
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({r.text, r.caption});
            return IDOK;
        });
        for (CDialog* d : {static_cast<CDialog*>(&dialogs->search), static_cast<CDialog*>(&dialogs->replace),
                           static_cast<CDialog*>(&dialogs->filter)})
            d->ShowWindow(SW_HIDE);
        view->SearchCondition() = CSearchCondition{};
        editor_.app->Context().settings.searchDlgCloseAtFound = 0;
        Status(L"");
    }
    void TearDown() override { SetMessageBoxHandler(nullptr); }

    CIniProfile& Ini() { return *editor_.app->m_pIniProfile; }

    // The file's text, lines joined by '|', as one undo step from the last.
    void SetText(const char16_t* text) {
        editor->Model().SelectAll();
        editor->Model().ReplaceSelection(text, false);
        editor->Model().ClearSelection(true);
        editor->Model().MoveToTextStart(false);
        editor->GetEditData()->ResetUndo();
    }
    std::u16string Text() {
        CEditData& d = *editor->GetEditData();
        std::u16string t;
        for (int i = 0; i < d.GetLineCount(); ++i) {
            if (i) t += u'|';
            t += d.GetLineText(i);
        }
        return t;
    }
    std::u16string Selected() { return editor->Model().SelectedText(); }
    EditPos Caret() { return editor->GetEditData()->GetCaretPos(); }
    void Select(int c1, int l1, int c2, int l2) { editor->Model().SelectRange({c1, l1}, {c2, l2}, false); }

    void Command(UINT id) { view->OnCmdMsg(id, nullptr); }
    std::wstring StatusText() { return frame->GetStatusBar()->GetPaneText(0).GetString(); }
    void Status(const wchar_t* text) { frame->SetMessageText(text); }

    // Runs the program's own message loop until no posted message or input
    // is waiting (paints and timers come after those).
    void Pump() {
        MSG msg;
        for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i) {
            if (msg.message == WM_QUIT || msg.message == WM_PAINT || msg.message == WM_TIMER) break;
            editor_.app->PumpMessage();
        }
    }
    // Keys and characters go to the focused control through the loop, as
    // typed: the dialog's navigation must come from the loop.
    static HWND ComboEdit(CDialog& dialog, int id) { return ::GetWindow(dialog.GetDlgItem(id), GW_CHILD); }
    void Type(CDialog& dialog, int id, const std::wstring& text) {
        HWND edit = ComboEdit(dialog, id);
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t ch : text) ::PostMessageW(edit, WM_CHAR, ch, 1);
        if (text.empty()) ::PostMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
        Pump();
    }
    void Key(CDialog& dialog, int id, WPARAM vk) {
        HWND target = id ? ComboEdit(dialog, id) : ::GetFocus();
        ::PostMessageW(target, WM_KEYDOWN, vk, 1);
        ::PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
        Pump();
    }
    static void Click(CDialog& dialog, int id) { ::SendMessageW(dialog.GetDlgItem(id), BM_CLICK, 0, 0); }
    static void SetCheck(CDialog& dialog, int id, bool on) {
        if ((dialog.IsDlgButtonChecked(id) == BST_CHECKED) != on) Click(dialog, id);
    }
    static bool Checked(CDialog& dialog, int id) { return dialog.IsDlgButtonChecked(id) == BST_CHECKED; }
    static bool Enabled(CDialog& dialog, int id) { return ::IsWindowEnabled(dialog.GetDlgItem(id)) != FALSE; }
    static bool Visible(CDialog& dialog) { return ::IsWindowVisible(dialog.m_hWnd) != FALSE; }
    static std::wstring ComboText(CDialog& dialog, int id) { return dialog.GetDlgItemText(id).GetString(); }
    std::wstring IniValue(const char16_t* section, const char16_t* key) {
        const std::u16string* v = Ini().Find(section, key);
        return v ? ToWide(*v) : L"<none>";
    }

    static inline wtest::SuiteEditor editor_;
    CMainFrame* frame = nullptr;
    CPavinView* view = nullptr;
    CEditCtrl* editor = nullptr;
    CViewSearchDialogs* dialogs = nullptr;
    std::vector<Box> boxes;
};

TEST_F(Search, EnterAndEscapeInTheFindDialogComeThroughTheMessageLoop) {
    SetText(u"一行目 検索語\r\n二行目 検索語 end");
    Command(ID_SEARCH_FIND);
    CSearchDlg& dlg = dialogs->search;
    ASSERT_TRUE(Visible(dlg));
    Type(dlg, IDC_SEARCH_TEXT, L"検索語");
    EXPECT_TRUE(Enabled(dlg, IDC_SEARCH_NEXT));
    Key(dlg, IDC_SEARCH_TEXT, VK_RETURN);
    EXPECT_EQ(Selected(), u"検索語");
    EXPECT_EQ(Caret().line, 0);
    EXPECT_EQ(Caret().column, 7);
    ::SetFocus(dlg.GetDlgItem(IDC_SEARCH_TEXT));
    Key(dlg, IDC_SEARCH_TEXT, VK_RETURN);
    EXPECT_EQ(Caret().line, 1);
    EXPECT_TRUE(Visible(dlg));
    // The status bar's caret position follows although the dialog has the focus.
    EXPECT_NE(::GetFocus(), editor->m_hWnd);
    EXPECT_EQ(editor_.app->Context().caretPosition.line, 2);
    EXPECT_EQ(editor_.app->Context().caretPosition.column, 14);
    EXPECT_EQ(IniValue(u"SEARCH_TEXT", u"0"), L"検索語");
    Key(dlg, IDC_SEARCH_TEXT, VK_ESCAPE);
    EXPECT_FALSE(Visible(dlg));
    EXPECT_TRUE(boxes.empty());
}

// Each opening of a dialog selects its search text, so what is typed
// replaces the last pattern instead of being appended to it.
TEST_F(Search, AReopenedDialogSelectsItsSearchTextForTyping) {
    SetText(u"abc xyz");
    struct Case {
        UINT command;
        CSearchDlgBase* dialog;
    } cases[] = {{ID_SEARCH_FIND, &dialogs->search}, {ID_SEARCH_REPLACE, &dialogs->replace}};
    for (const Case& c : cases) {
        for (const wchar_t* typed : {L"abc", L"xyz", L"q"}) {
            editor->Model().ClearSelection(true);
            Command(c.command);
            ASSERT_TRUE(Visible(*c.dialog));
            // Typed where the keyboard is, as a person types.
            for (const wchar_t* p = typed; *p; ++p) ::PostMessageW(::GetFocus(), WM_CHAR, *p, 1);
            Pump();
            EXPECT_EQ(ComboText(*c.dialog, IDC_SEARCH_TEXT), typed) << c.command;
            Key(*c.dialog, IDC_SEARCH_TEXT, VK_ESCAPE);
            EXPECT_FALSE(Visible(*c.dialog));
        }
    }
}

TEST_F(Search, FindNextGoesOnWithTheDialogsConditionAndItsOptions) {
    SetText(u"Bat bit\r\nbut BIT b.t");
    Command(ID_SEARCH_FIND);
    CSearchDlg& dlg = dialogs->search;
    Type(dlg, IDC_SEARCH_TEXT, L"b.t");
    SetCheck(dlg, IDC_SEARCH_REGEX, true);
    SetCheck(dlg, IDC_SEARCH_MATCH_CASE, true);
    SetCheck(dlg, IDC_SEARCH_MATCH_WIDTH, false);
    Click(dlg, IDC_SEARCH_NEXT);
    EXPECT_EQ(Selected(), u"bit");
    const CSearchCondition& c = view->SearchCondition();
    EXPECT_EQ(c.pattern, u"b.t");
    EXPECT_EQ(c.regex, 1);
    EXPECT_EQ(c.matchCase, 1);
    dlg.ShowWindow(SW_HIDE);
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Selected(), u"but");
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Selected(), u"b.t");
    // Previous; the stored direction is not changed by it.
    Command(ID_SEARCH_PREV);
    EXPECT_EQ(Selected(), u"but");
    EXPECT_EQ(c.direction, 1);
    // The entry's option bits are kept with it.
    EXPECT_EQ(IniValue(u"SEARCH_TEXT", u"status_0"), L"3");
}

TEST_F(Search, SearchForTheSelectionSetsAPlainConditionThatFindNextContinues) {
    SetText(u"foo.* FOO.* x\r\nfoo.* end");
    view->SearchCondition().regex = 1;
    view->SearchCondition().matchCase = 1;
    Select(0, 0, 5, 0);
    Command(ID_SEARCH_SELECTED_NEXT);
    // The selected text as it stands, in any case.
    EXPECT_EQ(Caret().column, 11);
    EXPECT_EQ(Selected(), u"FOO.*");
    const CSearchCondition& c = view->SearchCondition();
    EXPECT_EQ(c.pattern, u"foo.*");
    EXPECT_EQ(c.regex, 0);
    EXPECT_EQ(c.matchCase, 0);
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Caret().line, 1);
    // Nothing selected: the previous condition, unchanged, backwards.
    editor->Model().ClearSelection(true);
    editor->Model().MoveToLineStart(false, false);
    Command(ID_SEARCH_SELECTED_PREV);
    EXPECT_EQ(Selected(), u"FOO.*");
    EXPECT_EQ(c.pattern, u"foo.*");
}

TEST_F(Search, FindNextGoesOnWithAMacrosSearch) {
    SetText(u"A1 a22 a333 A4");
    editor_.app->Context().macros.RunText(L"(editor-search-string \"a[0-9]+\")");
    EXPECT_EQ(Selected(), u"a22");
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Selected(), u"a333");
    // The case-insensitive procedure leaves its own condition.
    SetText(u"A1 a22 A333");
    editor_.app->Context().macros.RunText(L"(editor-search-string-ci \"a[0-9]+\")");
    EXPECT_EQ(Selected(), u"A1");
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Selected(), u"a22");
    EXPECT_EQ(view->SearchCondition().regex, 1);
    EXPECT_EQ(view->SearchCondition().matchCase, 0);
}

TEST_F(Search, StatusReportsNotFoundAndWrapping) {
    SetText(u"one two\r\none");
    CSearchCondition& c = view->SearchCondition();
    c.pattern = u"one";
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Caret().line, 0);
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Caret().line, 1);
    EXPECT_EQ(StatusText(), L"");
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(Caret().line, 0);
    EXPECT_EQ(StatusText(), L"ファイルの末尾まで検索しました");
    Command(ID_SEARCH_PREV);
    EXPECT_EQ(Caret().line, 1);
    EXPECT_EQ(StatusText(), L"ファイルの先頭まで検索しました");
    c.pattern = u"three";
    Command(ID_SEARCH_NEXT);
    EXPECT_EQ(StatusText(), L"見つかりません");
    EXPECT_EQ(Selected(), u"one");
}

TEST_F(Search, OnlyASelectionWithinOneLineSeedsTheSearchText) {
    SetText(u"first line\r\nsecond line");
    struct Case {
        int c1, l1, c2, l2;
        const wchar_t* shown;  // the search box after opening
    } cases[] = {
        {0, 0, 5, 0, L"first"},
        {6, 0, 4, 1, L"older"},  // two lines: the history's newest stays
        {0, 0, 0, 1, L"older"},  // a whole line with its line end
    };
    for (const Case& k : cases) {
        view->SearchCondition() = CSearchCondition{};
        Ini().WriteString(u"SEARCH_TEXT", u"0", u"older");
        dialogs->histories.search.Load(Ini());
        Select(k.c1, k.l1, k.c2, k.l2);
        Command(ID_SEARCH_FIND);
        EXPECT_EQ(ComboText(dialogs->search, IDC_SEARCH_TEXT), k.shown) << k.c1 << "," << k.l1;
        // Already open: the same rule puts the selection into the box.
        Select(0, 1, 6, 1);
        Command(ID_SEARCH_FIND);
        EXPECT_EQ(ComboText(dialogs->search, IDC_SEARCH_TEXT), L"second");
        Select(k.c1, k.l1, k.c2, k.l2);
        Command(ID_SEARCH_FIND);
        EXPECT_EQ(ComboText(dialogs->search, IDC_SEARCH_TEXT), k.l1 == k.l2 ? k.shown : L"second");
        dialogs->search.ShowWindow(SW_HIDE);
    }
}

TEST_F(Search, TheFindDialogShowsASeededPatternWithTheNewestEntrysOptions) {
    SetText(u"word");
    Ini().WriteString(u"SEARCH_TEXT", u"0", u"newest");
    Ini().WriteInt(u"SEARCH_TEXT", u"status_0", kSearchBitMatchCase | kSearchBitWidth);
    dialogs->histories.search.Load(Ini());
    view->SearchCondition().regex = 1;
    Select(0, 0, 4, 0);
    Command(ID_SEARCH_FIND);
    CSearchDlg& dlg = dialogs->search;
    EXPECT_EQ(ComboText(dlg, IDC_SEARCH_TEXT), L"word");
    EXPECT_FALSE(Checked(dlg, IDC_SEARCH_REGEX));
    EXPECT_TRUE(Checked(dlg, IDC_SEARCH_MATCH_CASE));
    EXPECT_TRUE(Checked(dlg, IDC_SEARCH_MATCH_WIDTH));
    // Choosing a history entry takes its text and its options.
    SetCheck(dlg, IDC_SEARCH_MATCH_CASE, false);
    SetCheck(dlg, IDC_SEARCH_MATCH_WIDTH, false);
    SetCheck(dlg, IDC_SEARCH_REGEX, true);
    HWND combo = dlg.GetDlgItem(IDC_SEARCH_TEXT);
    const LRESULT index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(L"newest"));
    ASSERT_NE(index, CB_ERR);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_TEXT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(ComboText(dlg, IDC_SEARCH_TEXT), L"newest");
    EXPECT_FALSE(Checked(dlg, IDC_SEARCH_REGEX));
    EXPECT_TRUE(Checked(dlg, IDC_SEARCH_MATCH_CASE));
    EXPECT_TRUE(Checked(dlg, IDC_SEARCH_MATCH_WIDTH));
    // An empty box disables both searches.
    Type(dlg, IDC_SEARCH_TEXT, L"");
    EXPECT_FALSE(Enabled(dlg, IDC_SEARCH_NEXT));
    EXPECT_FALSE(Enabled(dlg, IDC_SEARCH_PREV));
}

TEST_F(Search, ReplaceOneThenAllAndTheStatusCount) {
    SetText(u"猫と猫\r\n犬と猫");
    Command(ID_SEARCH_REPLACE);
    CReplaceDlg& dlg = dialogs->replace;
    ASSERT_TRUE(Visible(dlg));
    EXPECT_TRUE(Checked(dlg, IDC_RANGE_WHOLE));
    Type(dlg, IDC_SEARCH_TEXT, L"猫");
    Type(dlg, IDC_REPLACE_TEXT, L"ねこ");
    // The first press selects the match, the second replaces it.
    Click(dlg, IDC_REPLACE_ONE);
    EXPECT_EQ(Text(), u"猫と猫|犬と猫");
    EXPECT_EQ(Selected(), u"猫");
    Click(dlg, IDC_REPLACE_ONE);
    EXPECT_EQ(Text(), u"ねこと猫|犬と猫");
    EXPECT_EQ(Selected(), u"猫");
    Click(dlg, IDC_REPLACE_ALL);
    EXPECT_EQ(Text(), u"ねことねこ|犬とねこ");
    EXPECT_EQ(StatusText(), L"2件置換しました");
    Click(dlg, IDC_REPLACE_ALL);
    EXPECT_EQ(StatusText(), L"0件置換しました");
    EXPECT_EQ(IniValue(u"REPLACE_TEXT", u"0"), L"ねこ");
    EXPECT_EQ(IniValue(u"SEARCH_TEXT", u"0"), L"猫");
    // The modified mark reached the title.
    EXPECT_NE(frame->GetWindowText().str().find(L" *"), std::wstring::npos);
}

TEST_F(Search, ReplaceAllWithinASelectionOfSeveralLinesWithARegexTemplate) {
    SetText(u"k=1\r\nk=2\r\nk=3\r\nk=4");
    Select(0, 1, 3, 2);
    Command(ID_SEARCH_REPLACE);
    CReplaceDlg& dlg = dialogs->replace;
    // Several lines: the selection is the range, and only "replace all" may run.
    EXPECT_TRUE(Checked(dlg, IDC_RANGE_SELECTION));
    Type(dlg, IDC_SEARCH_TEXT, L"k=(\\d)");
    Type(dlg, IDC_REPLACE_TEXT, L"v$1");
    SetCheck(dlg, IDC_SEARCH_REGEX, true);
    EXPECT_TRUE(Enabled(dlg, IDC_REPLACE_ALL));
    for (int id : {IDC_SEARCH_NEXT, IDC_SEARCH_PREV, IDC_REPLACE_ONE}) EXPECT_FALSE(Enabled(dlg, id)) << id;
    Click(dlg, IDC_REPLACE_ALL);
    EXPECT_EQ(Text(), u"k=1|v2|v3|k=4");
    EXPECT_EQ(StatusText(), L"2件置換しました");
    // One undo step takes it all back.
    editor->Model().Undo();
    EXPECT_EQ(Text(), u"k=1|k=2|k=3|k=4");
    // The whole text again enables the others.
    Click(dlg, IDC_RANGE_WHOLE);
    EXPECT_TRUE(Enabled(dlg, IDC_REPLACE_ONE));
    EXPECT_TRUE(Enabled(dlg, IDC_SEARCH_NEXT));
}

TEST_F(Search, FilterKeepsOrDeletesTheMatchingLinesAndRemembersTheCondition) {
    SetText(u"keep 1\r\ndrop\r\nkeep 2\r\ndrop too");
    Command(ID_SEARCH_FILTER);
    CFilterDlg& dlg = dialogs->filter;
    ASSERT_TRUE(Visible(dlg));
    Type(dlg, IDC_SEARCH_TEXT, L"drop");
    HWND action = dlg.GetDlgItem(IDC_FILTER_ACTION);
    ::SendMessageW(action, CB_SETCURSEL, 1, 0);
    Click(dlg, IDC_FILTER_RUN);
    EXPECT_EQ(Text(), u"keep 1|keep 2");
    EXPECT_EQ(StatusText(), L"2行削除しました");
    EXPECT_EQ(IniValue(u"FILTER_DLG", u"ACTION"), L"1");
    // Keep only: in the selected lines only.
    SetText(u"a x\r\nb\r\nc x\r\nd\r\ne");
    Select(0, 1, 0, 4);
    Type(dlg, IDC_SEARCH_TEXT, L"x");
    ::SendMessageW(action, CB_SETCURSEL, 0, 0);
    Click(dlg, IDC_FILTER_RUN);
    EXPECT_EQ(Text(), u"a x|c x|e");
    EXPECT_EQ(StatusText(), L"2行削除しました");
    EXPECT_EQ(IniValue(u"FILTER_DLG", u"ACTION"), L"0");
    // Enter finds.
    editor->Model().MoveToTextStart(false);
    Key(dlg, IDC_SEARCH_TEXT, VK_RETURN);
    EXPECT_EQ(Selected(), u"x");
    EXPECT_EQ(Caret().line, 0);
}

TEST_F(Search, AnInvalidPatternGivesTheErrorAndChangesNothing) {
    const char16_t* text = u"a(b|c";
    struct Case {
        const char* what;
        UINT command;
        int button;
    } cases[] = {
        {"find", ID_SEARCH_FIND, IDC_SEARCH_NEXT},
        {"replace all", ID_SEARCH_REPLACE, IDC_REPLACE_ALL},
        {"filter", ID_SEARCH_FILTER, IDC_FILTER_RUN},
    };
    for (const Case& k : cases) {
        SetText(u"a(b\r\nc");
        Select(1, 0, 2, 0);
        boxes.clear();
        Status(L"before");
        Command(k.command);
        CSearchDlgBase& dlg = k.command == ID_SEARCH_FIND      ? static_cast<CSearchDlgBase&>(dialogs->search)
                              : k.command == ID_SEARCH_REPLACE ? static_cast<CSearchDlgBase&>(dialogs->replace)
                                                               : static_cast<CSearchDlgBase&>(dialogs->filter);
        Type(dlg, IDC_SEARCH_TEXT, L"a(");
        SetCheck(dlg, IDC_SEARCH_REGEX, true);
        Click(dlg, k.button);
        ASSERT_EQ(boxes.size(), 1u) << k.what;
        EXPECT_EQ(boxes[0].text, L"不正な正規表現です") << k.what;
        EXPECT_EQ(boxes[0].caption, L"メッセージ") << k.what;
        EXPECT_EQ(Text(), text) << k.what;
        EXPECT_EQ(Selected(), u"(") << k.what;
        if (k.command == ID_SEARCH_FILTER) {
            EXPECT_EQ(StatusText(), L"before");
        }
        if (k.command == ID_SEARCH_REPLACE) {
            EXPECT_EQ(StatusText(), L"0件置換しました");
        }
        dlg.ShowWindow(SW_HIDE);
    }
}

TEST_F(Search, DialogsWidenOnlyHorizontallyAndRememberTheirWidth) {
    struct Case {
        UINT command;
        CSearchDlgBase* dialog;
        const char16_t* section;
        int minimum;
    } cases[] = {
        {ID_SEARCH_FIND, &dialogs->search, u"SEARCH_DLG", 450},
        {ID_SEARCH_REPLACE, &dialogs->replace, u"REPLACE_DLG", 550},
    };
    for (const Case& k : cases) {
        Ini().Erase(k.section, u"DLG_WIDTH");
        Command(k.command);
        CSearchDlgBase& dlg = *k.dialog;
        CRect r = dlg.GetWindowRect();
        EXPECT_EQ(r.Width(), k.minimum);
        EXPECT_EQ(r.Height(), dlg.FixedHeight());
        // Narrower than the minimum or taller is refused.
        dlg.SetWindowPos(nullptr, 0, 0, k.minimum - 100, r.Height() + 50, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(dlg.GetWindowRect().Width(), k.minimum);
        EXPECT_EQ(dlg.GetWindowRect().Height(), dlg.FixedHeight());
        // Wider: the buttons keep their distance from the right edge and
        // the search box grows with them.
        HWND close = dlg.GetDlgItem(IDCANCEL), combo = dlg.GetDlgItem(IDC_SEARCH_TEXT);
        RECT before{}, comboBefore{};
        ::GetWindowRect(close, &before);
        ::GetWindowRect(combo, &comboBefore);
        const int rightBefore = dlg.GetWindowRect().right;
        dlg.SetWindowPos(nullptr, 0, 0, k.minimum + 120, r.Height(), SWP_NOMOVE | SWP_NOZORDER);
        RECT after{}, comboAfter{};
        ::GetWindowRect(close, &after);
        ::GetWindowRect(combo, &comboAfter);
        EXPECT_EQ(dlg.GetWindowRect().right - after.left, rightBefore - before.left);
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(comboAfter.right - comboBefore.right, 120);
        // Closing stores the width, and the next opening takes it up.
        Click(dlg, IDCANCEL);
        EXPECT_FALSE(Visible(dlg));
        EXPECT_EQ(IniValue(k.section, u"DLG_WIDTH"), std::to_wstring(k.minimum + 120));
        Command(k.command);
        EXPECT_EQ(dlg.GetWindowRect().Width(), k.minimum + 120);
        dlg.ShowWindow(SW_HIDE);
    }
}

TEST_F(Search, ASearchTextWithALineBreakIsListedButNotWrittenToTheSettings) {
    SetText(u"ab\r\ncd");
    Ini().WriteString(u"SEARCH_TEXT", u"0", u"kept");
    dialogs->histories.search.Load(Ini());
    Command(ID_SEARCH_FIND);
    CSearchDlg& dlg = dialogs->search;
    // A text of two lines, as the list holds it (the edit field can't).
    dlg.PutSearchText(u"b\r\nc");
    Click(dlg, IDC_SEARCH_NEXT);
    EXPECT_EQ(view->SearchCondition().pattern, u"b\r\nc");
    EXPECT_EQ(dialogs->histories.search.Entries().front().text, u"b\r\nc");
    EXPECT_EQ(CSearchDlgBase::ComboItemText(dlg.GetDlgItem(IDC_SEARCH_TEXT), 0), u"b\r\nc");
    EXPECT_EQ(CSearchDlgBase::ComboItemText(dlg.GetDlgItem(IDC_SEARCH_TEXT), 1), u"kept");
    EXPECT_EQ(IniValue(u"SEARCH_TEXT", u"0"), L"kept");
}

TEST_F(Search, CloseWhenFoundHidesTheFindDialogOnlyAfterAHit) {
    SetText(u"here");
    editor_.app->Context().settings.searchDlgCloseAtFound = 1;
    Command(ID_SEARCH_FIND);
    CSearchDlg& dlg = dialogs->search;
    Type(dlg, IDC_SEARCH_TEXT, L"nowhere");
    Click(dlg, IDC_SEARCH_NEXT);
    EXPECT_TRUE(Visible(dlg));
    Type(dlg, IDC_SEARCH_TEXT, L"here");
    Click(dlg, IDC_SEARCH_NEXT);
    EXPECT_FALSE(Visible(dlg));
    EXPECT_EQ(Selected(), u"here");
}

}  // namespace
