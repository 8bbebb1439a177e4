// The view's editing commands on a real editing window: what each command
// does to the text, the caret, the selection and the clipboard, the rules
// that enable and check their menu items, and the edit context menu.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "editctrl/core/command_rules.h"
#include "framework/cmdtarget.h"
#include "tests/assist/assist_fixture.h"
#include "tests/editctrl/edit_ctrl_fixture.h"
#include "tests/support/clipboard.h"
#include "view/edit_context_menu.h"
#include "view/view_commands.h"
#include "view/view_textops.h"
#include "tests/textengine/edit_test_util.h"

using etest::EditFixture;

inline void PrintTo(const EditPos& p, std::ostream* os) { *os << "(" << p.column << "," << p.line << ")"; }

namespace {

constexpr EditPos kNone{-1, -1};

using edit_test::Text;

void SetClipboard(const wchar_t* text) { ASSERT_TRUE(wtest::SetClipboardText(text)); }

// The clipboard's text with line ends as LF.
std::u16string Clipboard() {
    std::u16string s;
    for (wchar_t c : wtest::ClipboardText())
        if (c != L'\r') s += static_cast<char16_t>(c);
    return s;
}

// Puts the caret and lets the window follow (vertical moves start from the
// window's caret row).
void Place(EditFixture& f, int line, int column) {
    f.data.SetCaretPos(line, column);
    f.ctrl.UpdateCaret(0, true);
}

void Command(EditFixture& f, UINT id, CAppSettings& settings) {
    ASSERT_TRUE(RunEditorCommand(f.ctrl, id, nullptr, settings)) << id;
}
void Command(EditFixture& f, UINT id) {
    CAppSettings settings;
    Command(f, id, settings);
}

struct Selection {
    EditPos start, end;
};

Selection SelectionOf(EditFixture& f) {
    const CEditDispData& d = f.data.GetDispData();
    if (!f.ctrl.Model().HasSelection()) return {kNone, kNone};
    return {d.selStart, d.selEnd};
}

struct CommandCase {
    const char* name;
    UINT id;
    const char16_t* text;
    EditPos caret;
    EditPos anchor;  // kNone: no selection
    DWORD style;
    const wchar_t* clipboardBefore;  // null: left as it is
    const char16_t* textAfter;
    EditPos caretAfter;
    Selection selectionAfter;
    const char16_t* clipboardAfter;  // null: not checked
};

const CommandCase kCases[] = {
    {"select all", ID_SELECT_ALL, u"ab\ncd", {1, 1}, kNone, 0, nullptr, u"ab\ncd", {0, 0}, {{0, 0}, {2, 1}}, nullptr},
    {"copy keeps the selection", ID_EDIT_COPY, u"ab\ncd", {1, 1}, {1, 0}, 0, L"old", u"ab\ncd", {1, 1},
     {{1, 0}, {1, 1}}, u"b\nc"},
    {"copy clears with CLEAR_AFTER_COPY", ID_EDIT_COPY, u"ab\ncd", {1, 1}, {1, 0}, ECS_CLEAR_AFTER_COPY, L"old",
     u"ab\ncd", {1, 1}, {kNone, kNone}, u"b\nc"},
    {"copy without a selection copies the line", ID_EDIT_COPY, u"ab\ncd", {1, 1}, kNone, ECS_ROW_COPY_AT_NO_SEL,
     L"old", u"ab\ncd", {1, 1}, {kNone, kNone}, u"cd"},
    {"copy line", ID_EDIT_COPY_LINE, u"ab\ncd", {1, 0}, kNone, 0, L"old", u"ab\ncd", {1, 0}, {kNone, kNone},
     u"ab\n"},
    {"cut", ID_EDIT_CUT, u"abcd", {3, 0}, {1, 0}, 0, L"old", u"ad", {1, 0}, {kNone, kNone}, u"bc"},
    {"cut line", ID_EDIT_CUT_LINE, u"ab\ncd", {1, 0}, kNone, 0, L"old", u"cd", {1, 0}, {kNone, kNone}, u"ab\n"},
    {"paste replaces the selection", ID_EDIT_PASTE, u"abcd", {3, 0}, {1, 0}, 0, L"X\nY", u"aX\nYd", {1, 1},
     {kNone, kNone}, nullptr},
    {"paste below the line", ID_EDIT_PASTE_BELOW, u"ab\ncd", {1, 0}, kNone, 0, L"new", u"ab\nnew\ncd", {3, 1},
     {kNone, kNone}, nullptr},
    {"paste above the line", ID_EDIT_PASTE_ABOVE, u"ab\ncd", {1, 1}, kNone, 0, L"new", u"ab\nnew\ncd", {3, 1},
     {kNone, kNone}, nullptr},
    {"delete", ID_EDIT_DELETE, u"abc", {1, 0}, kNone, 0, nullptr, u"ac", {1, 0}, {kNone, kNone}, nullptr},
    {"backspace", ID_EDIT_BACKSPACE, u"abc", {1, 0}, kNone, 0, nullptr, u"bc", {0, 0}, {kNone, kNone}, nullptr},
    {"delete line", ID_EDIT_DELETE_LINE, u"ab\ncd\nef", {0, 1}, kNone, 0, nullptr, u"ab\nef", {0, 1},
     {kNone, kNone}, nullptr},
    {"delete to the line end", ID_EDIT_DELETE_TO_END, u"abc def\nx", {3, 0}, kNone, 0, nullptr, u"abc\nx", {3, 0},
     {kNone, kNone}, nullptr},
    {"delete to the line start", ID_EDIT_DELETE_TO_START, u"x\nabc def", {4, 1}, kNone, 0, nullptr, u"x\ndef",
     {0, 1}, {kNone, kNone}, nullptr},
    {"delete the word after", ID_EDIT_DELETE_WORD_AFTER, u"abc def", {0, 0}, kNone, 0, nullptr, u"def", {0, 0},
     {kNone, kNone}, nullptr},
    {"delete the word before", ID_EDIT_DELETE_WORD_BEFORE, u"abc def", {7, 0}, kNone, 0, nullptr, u"abc ", {4, 0},
     {kNone, kNone}, nullptr},
    {"insert a line break", ID_EDIT_INSERT_NEWLINE, u"ab", {1, 0}, kNone, 0, nullptr, u"a\nb", {0, 1},
     {kNone, kNone}, nullptr},
    {"select line", ID_EDIT_SELECT_LINE, u"ab\ncd\nef", {1, 1}, kNone, 0, nullptr, u"ab\ncd\nef", {0, 2},
     {{0, 1}, {0, 2}}, nullptr},
    {"select word", ID_EDIT_SELECT_WORD, u"abc def", {5, 0}, kNone, 0, nullptr, u"abc def", {7, 0},
     {{4, 0}, {7, 0}}, nullptr},
    {"select right starts at the caret", ID_SELECT_RIGHT, u"abcd", {1, 0}, kNone, 0, nullptr, u"abcd", {2, 0},
     {{1, 0}, {2, 0}}, nullptr},
    {"select right from an empty anchored selection starts anew", ID_SELECT_RIGHT, u"abcd", {2, 0}, {2, 0}, 0,
     nullptr, u"abcd", {3, 0}, {{2, 0}, {3, 0}}, nullptr},
    {"select left grows a selection", ID_SELECT_LEFT, u"abcd", {1, 0}, {3, 0}, 0, nullptr, u"abcd", {0, 0},
     {{0, 0}, {3, 0}}, nullptr},
    {"select word right", ID_SELECT_WORD_RIGHT, u"abc  def", {3, 0}, kNone, 0, nullptr, u"abc  def", {8, 0},
     {{3, 0}, {8, 0}}, nullptr},
    {"select word end left", ID_SELECT_WORD_END_LEFT, u"abc  def", {8, 0}, kNone, 0, nullptr, u"abc  def", {5, 0},
     {{5, 0}, {8, 0}}, nullptr},
    {"select next space", ID_SELECT_NEXT_SPACE, u"ab\x3000" u"cd", {0, 0}, kNone, 0, nullptr, u"ab\x3000" u"cd",
     {2, 0}, {{0, 0}, {2, 0}}, nullptr},
    {"word right drops the selection", ID_CURSOR_WORD_RIGHT, u"abc def", {1, 0}, {0, 0}, 0, nullptr, u"abc def",
     {3, 0}, {kNone, kNone}, nullptr},
    {"word end left", ID_CURSOR_WORD_END_LEFT, u"abc  def", {5, 0}, kNone, 0, nullptr, u"abc  def", {3, 0},
     {kNone, kNone}, nullptr},
    {"previous space", ID_CURSOR_PREV_SPACE, u"ab\tcd", {5, 0}, kNone, 0, nullptr, u"ab\tcd", {3, 0},
     {kNone, kNone}, nullptr},
    {"line start is column 0", ID_CURSOR_LINE_START, u"  ab", {3, 0}, kNone, 0, nullptr, u"  ab", {0, 0},
     {kNone, kNone}, nullptr},
    {"window left is the first non-blank", ID_CURSOR_WINDOW_LEFT, u"  ab", {3, 0}, kNone, 0, nullptr, u"  ab",
     {2, 0}, {kNone, kNone}, nullptr},
    {"select to the line end", ID_SELECT_LINE_END, u"abcd\nx", {1, 0}, kNone, 0, nullptr, u"abcd\nx", {4, 0},
     {{1, 0}, {4, 0}}, nullptr},
    {"select to the text end", ID_SELECT_TEXT_END, u"ab\ncd", {1, 0}, kNone, 0, nullptr, u"ab\ncd", {2, 1},
     {{1, 0}, {2, 1}}, nullptr},
};

class EditorCommandTable : public ::testing::TestWithParam<CommandCase> {};

TEST_P(EditorCommandTable, ChangesTextCaretSelectionAndClipboard) {
    const CommandCase& c = GetParam();
    EditFixture f(c.text, c.style);
    f.data.SetUndoUnlimited();
    Place(f, c.caret.line, c.caret.column);
    if (c.anchor.line >= 0) f.Select(c.anchor, c.caret);
    if (c.clipboardBefore) SetClipboard(c.clipboardBefore);
    Command(f, c.id);
    EXPECT_EQ(Text(f.data), c.textAfter);
    EXPECT_EQ(f.data.GetCaretPos(), c.caretAfter);
    const Selection sel = SelectionOf(f);
    EXPECT_EQ(sel.start, c.selectionAfter.start);
    EXPECT_EQ(sel.end, c.selectionAfter.end);
    if (c.clipboardAfter) {
        EXPECT_EQ(Clipboard(), c.clipboardAfter);
    }
    // Every change is one undo step back to the text it started from.
    if (Text(f.data) != c.text) {
        f.ctrl.Model().Undo();
        EXPECT_EQ(Text(f.data), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, EditorCommandTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandCase>& info) {
                             std::string n;
                             for (const char* p = info.param.name; *p; ++p)
                                 n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return n;
                         });

// Menu item state as the frame's update pass leaves it.
struct ItemState {
    bool enabled;
    bool checked;
};

ItemState UpdateThroughMenu(CEditCtrl& editor, UINT id) {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING | MF_GRAYED, id, L"item");
    CCmdUI ui = CCmdUI::ForMenuItem(menu, 0, id);
    CAppSettings settings;
    EXPECT_TRUE(RunEditorCommand(editor, id, &ui, settings)) << id;
    const UINT state = ::GetMenuState(menu, 0, MF_BYPOSITION);
    ::DestroyMenu(menu);
    return {!(state & MF_GRAYED), (state & MF_CHECKED) != 0};
}

TEST(EditorCommandUpdate, ClipboardAndUndoItemsFollowSelectionReadOnlyAndStyle) {
    struct Case {
        const char* state;
        bool selection, readOnly, edited, undone, clipboardText;
        DWORD style;
        bool copy, cut, paste, undo, redo;
    } cases[] = {
        {"fresh text", false, false, false, false, false, 0, false, false, false, false, false},
        {"row copy at no selection", false, false, false, false, false, ECS_ROW_COPY_AT_NO_SEL, true, false, false,
         false, false},
        {"selection and clipboard", true, false, false, false, true, 0, true, true, true, false, false},
        {"after an edit", false, false, true, false, false, 0, false, false, false, true, false},
        {"after an undo", false, false, true, true, false, 0, false, false, false, false, true},
        {"read-only keeps copy", true, true, true, false, true, 0, true, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        EditFixture f(u"abc\ndef", c.style);
        f.data.SetUndoUnlimited();
        if (c.edited) {
            f.data.SetCaretPos(0, 3);
            f.ctrl.InsertChar(U'x');
            if (c.undone) f.ctrl.Model().Undo();
        }
        if (c.selection) f.Select({0, 0}, {2, 0});
        f.ctrl.Model().SetReadOnly(c.readOnly);
        SetClipboard(c.clipboardText ? L"clip" : nullptr);
        EXPECT_EQ(UpdateThroughMenu(f.ctrl, ID_EDIT_COPY).enabled, c.copy);
        EXPECT_EQ(UpdateThroughMenu(f.ctrl, ID_EDIT_CUT).enabled, c.cut);
        EXPECT_EQ(UpdateThroughMenu(f.ctrl, ID_EDIT_PASTE).enabled, c.paste);
        EXPECT_EQ(UpdateThroughMenu(f.ctrl, ID_EDIT_PASTE_BOX).enabled, c.paste);
        EXPECT_EQ(UpdateThroughMenu(f.ctrl, ID_EDIT_UNDO).enabled, c.undo);
        EXPECT_EQ(UpdateThroughMenu(f.ctrl, ID_EDIT_REDO).enabled, c.redo);
        // Commands without a rule are enabled even when the item was grayed.
        EXPECT_TRUE(UpdateThroughMenu(f.ctrl, ID_CURSOR_LEFT).enabled);
    }
}

TEST(EditorCommandUpdate, ReadOnlyCutAndCutLineChangeNothing) {
    EditFixture f(u"ab\ncd");
    f.Select({0, 0}, {1, 0});
    f.ctrl.Model().SetReadOnly(true);
    SetClipboard(L"kept");
    Command(f, ID_EDIT_CUT);
    Command(f, ID_EDIT_CUT_LINE);
    Command(f, ID_EDIT_UNDO);
    EXPECT_EQ(Text(f.data), u"ab\ncd");
    EXPECT_EQ(Clipboard(), u"kept");
    Command(f, ID_EDIT_COPY);
    EXPECT_EQ(Clipboard(), u"a");
}

TEST(EditorCommandUpdate, OverwriteCommandFlipsTheModeAndItsStatusPane) {
    EditFixture f(u"abc");
    EXPECT_FALSE(UpdateThroughMenu(f.ctrl, ID_INDICATOR_OVR).enabled);
    Command(f, ID_EDIT_OVERWRITE);
    EXPECT_TRUE(f.ctrl.Model().IsOverwrite());
    EXPECT_TRUE(UpdateThroughMenu(f.ctrl, ID_INDICATOR_OVR).enabled);
    f.ctrl.InsertChar(U'X');
    EXPECT_EQ(Text(f.data), u"Xbc");
    Command(f, ID_EDIT_OVERWRITE);
    EXPECT_FALSE(UpdateThroughMenu(f.ctrl, ID_INDICATOR_OVR).enabled);
}

TEST(EditorWrapCommands, ChangeOnlyTheirFileCheckTheirItemAndRecordLineMode) {
    CAppSettings settings;
    EditFixture a(etest::NumberedLines(3)), b(etest::NumberedLines(3));
    b.ctrl.SetWrapMode(WrapMode::None);
    settings.lineLen = 0;  // not positive: 80 columns
    struct Case {
        UINT id;
        WrapMode mode;
        int lineMode;
    } cases[] = {{ID_VIEW_WRAP_COLUMN, WrapMode::FixedColumns, 2},
                 {ID_VIEW_WRAP_WINDOW, WrapMode::WindowWidth, 1},
                 {ID_VIEW_WRAP_NONE, WrapMode::None, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Command(a, c.id, settings);
        EXPECT_EQ(a.data.GetDispData().wrapMode, c.mode);
        EXPECT_EQ(settings.lineMode, c.lineMode);
        EXPECT_EQ(b.data.GetDispData().wrapMode, WrapMode::None);
        for (const Case& other : cases) EXPECT_EQ(UpdateThroughMenu(a.ctrl, other.id).checked, other.id == c.id);
        if (c.mode == WrapMode::FixedColumns) {
            EXPECT_EQ(a.data.GetDispData().wrapColumns, 80);
        }
        if (c.mode == WrapMode::None) {
            EXPECT_EQ(a.data.GetDispData().wrapWidth, INT_MAX);
        }
    }
}

// Vertical moves keep their column in the text's one caret column memory;
// every other move of the caret forgets it there.
TEST(EditorCaretColumn, OtherMovesForgetTheColumnThatVerticalMovesKeep) {
    EditFixture f(u"abcdefgh\nab\nabcdefgh\nab\nabcdefgh");
    Place(f, 0, 6);
    Command(f, ID_CURSOR_DOWN);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 1}));
    Command(f, ID_CURSOR_DOWN);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{6, 2}));  // the remembered column
    struct Case {
        UINT id;
        EditPos afterMove;
    } moves[] = {
        {ID_SELECT_LEFT, {5, 2}},
        {ID_CURSOR_WORD_END_LEFT, {0, 2}},
        {ID_BOXSEL_RIGHT, {7, 2}},
    };
    for (const Case& m : moves) {
        SCOPED_TRACE(m.id);
        f.ctrl.Model().ClearSelection(true);
        Place(f, 2, 6);
        Command(f, ID_CURSOR_DOWN);
        Command(f, ID_CURSOR_UP);
        ASSERT_EQ(f.data.GetCaretPos(), (EditPos{6, 2}));
        Command(f, m.id);
        EXPECT_EQ(f.data.GetCaretPos(), m.afterMove);
        f.ctrl.Model().ClearSelection(true);
        Command(f, ID_CURSOR_UP);
        Command(f, ID_CURSOR_UP);
        EXPECT_EQ(f.data.GetCaretPos(), (EditPos{m.afterMove.column, 0}));
    }
}

TEST(EditorBoxSelection, BoxMovesAndTheBoxCommandMakeRectangularSelections) {
    EditFixture f(u"abcd\nabcd\nabcd");
    Place(f, 0, 1);
    Command(f, ID_BOXSEL_RIGHT);
    Command(f, ID_BOXSEL_DOWN);
    EXPECT_TRUE(f.data.GetDispData().boxSelection);
    EXPECT_EQ(SelectionOf(f).start, (EditPos{1, 0}));
    EXPECT_EQ(SelectionOf(f).end, (EditPos{2, 1}));
    f.ctrl.Model().ClearSelection(true);
    Place(f, 0, 0);
    Command(f, ID_EDIT_BOX_SELECT);
    Command(f, ID_SELECT_DOWN);
    Command(f, ID_SELECT_RIGHT);
    EXPECT_TRUE(f.data.GetDispData().boxSelection);
}

TEST(EditorBookmarks, ToggleWalkWrapAroundSelectAndClear) {
    EditFixture f(etest::NumberedLines(6));
    f.data.SetCaretPos(2, 0);
    Command(f, ID_BOOKMARK_TOGGLE);
    EXPECT_TRUE(f.data.GetLineFlags(2, kLineFlagBookmark));
    // The only bookmark is on the caret line: found again after wrapping.
    f.data.SetCaretPos(2, 3);
    Command(f, ID_BOOKMARK_NEXT);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 2}));
    f.data.SetCaretPos(2, 3);
    Command(f, ID_BOOKMARK_PREV);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 2}));
    f.data.SetCaretPos(4, 0);
    Command(f, ID_BOOKMARK_TOGGLE);
    f.data.SetCaretPos(0, 1);
    Command(f, ID_BOOKMARK_NEXT);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 2}));
    Command(f, ID_BOOKMARK_NEXT);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 4}));
    Command(f, ID_BOOKMARK_NEXT);  // round to the first
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 2}));
    Command(f, ID_BOOKMARK_PREV);  // round to the last
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 4}));
    Command(f, ID_BOOKMARK_SELECT_PREV);
    EXPECT_EQ(SelectionOf(f).start, (EditPos{0, 2}));
    EXPECT_EQ(SelectionOf(f).end, (EditPos{0, 4}));
    Command(f, ID_BOOKMARK_TOGGLE);  // the caret line 2 loses its mark
    EXPECT_FALSE(f.data.GetLineFlags(2, kLineFlagBookmark));
    Command(f, ID_BOOKMARK_CLEAR_ALL);
    for (int i = 0; i < f.data.GetLineCount(); ++i) EXPECT_FALSE(f.data.GetLineFlags(i, kLineFlagBookmark)) << i;
}

TEST(EditorLastEdit, GoesToTheEndOfAnInsertionOrTheStartOfADeletion) {
    EditFixture f(u"one\ntwo\nthree");
    f.data.SetUndoUnlimited();
    f.data.SetCaretPos(1, 1);  // line 1, column 1: t|wo
    f.ctrl.Model().ReplaceSelection(u"A\nBC", false);
    f.data.SetCaretPos(0, 0);
    f.Select({0, 0}, {2, 0});
    Command(f, ID_CURSOR_LAST_EDIT);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 2}));
    EXPECT_FALSE(f.ctrl.Model().HasSelection());
    f.data.SetCaretPos(3, 3);
    Command(f, ID_EDIT_BACKSPACE);
    Command(f, ID_EDIT_BACKSPACE);
    f.data.SetCaretPos(0, 0);
    Command(f, ID_CURSOR_LAST_EDIT);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{1, 3}));
    // With nothing to go to the caret stays.
    EditFixture fresh(u"abc");
    fresh.data.ResetUndo();
    fresh.data.SetCaretPos(0, 2);
    Command(fresh, ID_CURSOR_LAST_EDIT);
    EXPECT_EQ(fresh.data.GetCaretPos(), (EditPos{2, 0}));
}

TEST(EditorUndoCommands, UndoAndRedoThroughTheCommands) {
    EditFixture f(u"abc");
    f.data.SetUndoUnlimited();
    f.data.SetCaretPos(0, 3);
    SetClipboard(L"XY");
    Command(f, ID_EDIT_PASTE);
    EXPECT_EQ(Text(f.data), u"abcXY");
    Command(f, ID_EDIT_UNDO);
    EXPECT_EQ(Text(f.data), u"abc");
    EXPECT_TRUE(UpdateThroughMenu(f.ctrl, ID_EDIT_REDO).enabled);
    Command(f, ID_EDIT_REDO);
    EXPECT_EQ(Text(f.data), u"abcXY");
    EXPECT_FALSE(UpdateThroughMenu(f.ctrl, ID_EDIT_REDO).enabled);
}

std::vector<UINT> ItemIds(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) ids.push_back(::GetMenuItemID(menu, i));
    return ids;
}

TEST(EditContextMenu, LinkItemsComeAtPositionsTenToTwelveOnlyOnALink) {
    EditFixture plain(u"no link here");
    CEditContextMenu without(plain.ctrl);
    ASSERT_TRUE(without.Popup());
    const std::vector<UINT> base = ItemIds(without.Popup());
    ASSERT_GE(base.size(), 10u);
    EXPECT_EQ(base[0], UINT(ID_EDIT_UNDO));
    EXPECT_EQ(std::count(base.begin(), base.end(), UINT(ID_LINK_COPY)), 0);

    EditFixture link(u"see http://example.com/a here", ECS_CLICKABLE_URL);
    link.data.SetCaretPos(0, 10);
    CEditContextMenu with(link.ctrl);
    const std::vector<UINT> ids = ItemIds(with.Popup());
    ASSERT_EQ(ids.size(), base.size() + 3);
    EXPECT_TRUE(::GetMenuState(with.Popup(), 10, MF_BYPOSITION) & MF_SEPARATOR);
    HMENU links = ::GetSubMenu(with.Popup(), 11);
    ASSERT_TRUE(links);
    EXPECT_EQ(::GetMenuItemID(links, 0), UINT(ID_LINK_OPEN_IE));
    EXPECT_EQ(ids[12], UINT(ID_LINK_COPY));
    wchar_t text[64] = {};
    ::GetMenuStringW(with.Popup(), 11, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"リンクを表示");
    ::GetMenuStringW(with.Popup(), 12, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"リンクをコピー");
    // The items before and after the link items are the plain menu's.
    EXPECT_TRUE(std::equal(base.begin(), base.begin() + 10, ids.begin()));
    EXPECT_TRUE(std::equal(base.begin() + 10, base.end(), ids.begin() + 13));
}

TEST(EditContextMenu, ShortNameIsThePromptAfterItsLineFeed) {
    EXPECT_EQ(CommandShortName(ID_EDIT_COPY_LINE), L"現在行をコピー");
    EXPECT_EQ(CommandShortName(59999), L"");
}

}  // namespace

namespace {

// The commands while the completion list is shown: the list's row moves,
// its window scrolls, Delete and BackSpace at the word's start only close
// it, elsewhere they shorten the word and the list follows.
using atest::AssistFixture;

void Command(AssistFixture& f, UINT id) {
    CAppSettings settings;
    ASSERT_TRUE(RunEditorCommand(f.ctrl, id, nullptr, settings)) << id;
}

TEST(EditorCommandsOnTheList, CursorAndPageCommandsMoveTheListsRowAndLeaveTheText) {
    struct Case {
        UINT id;
        int rowBefore;
        int rowAfter;
    } cases[] = {
        {ID_CURSOR_DOWN, 0, 1},         {ID_SELECT_DOWN, 0, 1},          {ID_BOXSEL_DOWN, 0, 1},
        {ID_CURSOR_UP, 2, 1},           {ID_SELECT_UP, 2, 1},            {ID_BOXSEL_UP, 2, 1},
        {ID_CURSOR_LINE_END, 0, 2},     {ID_SELECT_LINE_END, 0, 2},      {ID_CURSOR_LINE_START, 2, 0},
        {ID_SELECT_LINE_START, 2, 0},   {ID_CURSOR_WINDOW_RIGHT, 0, 2},  {ID_SELECT_WINDOW_RIGHT, 0, 2},
        {ID_CURSOR_WINDOW_LEFT, 2, 0},  {ID_SELECT_WINDOW_LEFT, 2, 0},   {ID_CURSOR_TEXT_END, 0, 2},
        {ID_SELECT_TEXT_END, 0, 2},     {ID_CURSOR_TEXT_START, 2, 0},    {ID_SELECT_TEXT_START, 2, 0},
        {ID_CURSOR_PAGE_DOWN, 0, 2},    {ID_SELECT_PAGE_DOWN, 0, 2},     {ID_CURSOR_PAGE_UP, 2, 0},
        {ID_SELECT_PAGE_UP, 2, 0},
    };
    for (const Case& c : cases) {
        AssistFixture f(u"a\nx se");  // SELECT, SELF, set
        f.ctrl.KeywordComplete(false);
        ASSERT_TRUE(f.ctrl.IsAssistShown()) << c.id;
        f.ctrl.AssistWnd().List().SetCurrentRow(c.rowBefore);
        Command(f, c.id);
        EXPECT_TRUE(f.ctrl.IsAssistShown()) << c.id;
        EXPECT_EQ(f.CurrentRow(), c.rowAfter) << c.id;
        EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_ROW_CHOSEN) << c.id;
        EXPECT_EQ(f.data.GetCaretPos(), (EditPos{4, 1})) << c.id;
        EXPECT_FALSE(f.ctrl.Model().HasSelection()) << c.id;
        EXPECT_EQ(f.ctrl.DispData().boxRequest, 0) << c.id;
        EXPECT_EQ(f.Line(1), u"x se") << c.id;
    }
}

TEST(EditorCommandsOnTheList, ScrollCommandsScrollTheListNotTheText) {
    static CStrToken* many = [] {
        auto* t = new CStrToken;
        LoadBuiltinLanguage(u"<cpp>", u"no such folder", *t);
        TextLines lines;
        std::vector<std::u16string> words;
        for (int i = 0; i < 30; ++i) words.push_back(u"kw" + std::u16string(1, char16_t(u'a' + i / 10)) +
                                                       std::u16string(1, char16_t(u'0' + i % 10)));
        for (const std::u16string& w : words) lines.Add(w.c_str());
        std::u16string message;
        t->SetKeywordLines(lines, message);
        return t;
    }();
    std::u16string text = u"kw";
    for (int i = 0; i < 60; ++i) text += u"\nline";
    AssistFixture f(text, *many);
    f.data.SetCaretPos(0, 2);
    f.ctrl.UpdateCaret(1);
    const int editorTop = f.ctrl.GetScrollPos(SB_VERT);
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    CCodeAssistWnd& list = f.ctrl.AssistWnd();
    EXPECT_EQ(list.GetScrollPos(SB_VERT), 0);
    Command(f, ID_SCROLL_LINE_DOWN);
    EXPECT_EQ(list.GetScrollPos(SB_VERT), 1);
    Command(f, ID_SCROLL_PAGE_DOWN);
    EXPECT_GT(list.GetScrollPos(SB_VERT), 1);
    Command(f, ID_SCROLL_PAGE_UP);
    Command(f, ID_SCROLL_LINE_UP);
    EXPECT_EQ(list.GetScrollPos(SB_VERT), 0);
    EXPECT_EQ(f.ctrl.GetScrollPos(SB_VERT), editorTop);
    EXPECT_TRUE(f.ctrl.IsAssistShown());
    f.ctrl.HideAssistWnd();
    Command(f, ID_SCROLL_LINE_DOWN);
    EXPECT_EQ(f.ctrl.GetScrollPos(SB_VERT), editorTop + 1);
}

TEST(EditorCommandsOnTheList, DeleteAndBackSpaceAtTheWordsStartOnlyCloseTheList) {
    for (UINT id : {ID_EDIT_DELETE, ID_EDIT_BACKSPACE}) {
        AssistFixture f(u"x se");
        f.ctrl.KeywordComplete(false);
        ASSERT_TRUE(f.ctrl.IsAssistShown());
        f.ctrl.Model().MoveCharOrCollapse(-1, false);
        f.ctrl.Model().MoveCharOrCollapse(-1, false);  // at the word's start: still open
        ASSERT_TRUE(f.ctrl.IsAssistShown());
        Command(f, id);
        EXPECT_FALSE(f.ctrl.IsAssistShown()) << id;
        EXPECT_FALSE(f.PopupVisible()) << id;
        EXPECT_EQ(f.Line(), u"x se") << id;
        EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 0})) << id;
    }
}

TEST(EditorCommandsOnTheList, DeleteAndBackSpaceInsideTheWordRefilterTheList) {
    AssistFixture f(u"x se");
    f.ctrl.KeywordComplete(false);
    ASSERT_TRUE(f.ctrl.IsAssistShown());
    f.Type(u"x");  // nothing starts with "sex": no row chosen
    ASSERT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_NO_ROW);
    Command(f, ID_EDIT_BACKSPACE);
    EXPECT_TRUE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.ctrl.GetAssistWord(), u"se");
    EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_ROW_CHOSEN);
    EXPECT_EQ(f.CurrentText(), u"SELECT");

    f.ctrl.Model().MoveCharOrCollapse(-1, false);  // s|e
    Command(f, ID_EDIT_DELETE);
    EXPECT_TRUE(f.ctrl.IsAssistShown());
    EXPECT_EQ(f.Line(), u"x s");
    EXPECT_EQ(f.ctrl.GetAssistWord(), u"s");
    EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_ROW_CHOSEN);
}

TEST(EditorCommandsOnTheList, TabIndentServesTheListFirst) {
    for (UINT id : {ID_EDIT_INDENT_TAB, ID_EDIT_UNINDENT_TAB}) {
        AssistFixture f(u"x se");
        f.ctrl.KeywordComplete(false);
        f.Type(u"x");  // no row chosen
        ASSERT_TRUE(RunTextOpCommand(f.ctrl, id, nullptr));
        EXPECT_TRUE(f.ctrl.IsAssistShown()) << id;
        EXPECT_EQ(f.ctrl.AssistWnd().List().State(), ASSIST_ROW_CHOSEN) << id;
        EXPECT_EQ(f.Line(), u"x sex") << id;
        ASSERT_TRUE(RunTextOpCommand(f.ctrl, id, nullptr));
        EXPECT_FALSE(f.ctrl.IsAssistShown()) << id;
        EXPECT_EQ(f.Line(), u"x SELECT") << id;
        ASSERT_TRUE(RunTextOpCommand(f.ctrl, id, nullptr));  // the list gone: the indent itself
        EXPECT_EQ(f.Line(), id == ID_EDIT_INDENT_TAB ? u"x SELECT\t" : u"x SELECT") << id;
    }
}

}  // namespace
