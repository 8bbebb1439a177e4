// Line commands, bookmarks, wrap, visible lines, links and host utilities
// of the editing window on real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "editctrl/core/command_rules.h"
#include "tests/editctrl/edit_ctrl_fixture.h"
#include "tests/support/clipboard.h"
#include "tests/textengine/edit_test_util.h"

using etest::EditFixture;

inline void PrintTo(const EditPos& p, std::ostream* os) { *os << "(" << p.column << "," << p.line << ")"; }

namespace {

using edit_test::Text;

bool Selected(EditFixture& f) { return f.data.GetDispData().selStart.line >= 0; }

}  // namespace

TEST(EditLines, ReverseAndSortTheSelectedLinesAsOneUndoStep) {
    EditFixture f(u"l0\nl1\nl2\nc\na\nb\nl6");
    f.data.SetUndoUnlimited();
    f.Select({0, 3}, {0, 6});
    f.ctrl.Model().ReorderSelectedLines(CEditModel::LineOrder::Reversed);
    EXPECT_EQ(Text(f.data), u"l0\nl1\nl2\nb\na\nc\nl6");
    EXPECT_FALSE(Selected(f));
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 6}));
    f.Select({1, 3}, {1, 5});
    f.ctrl.Model().ReorderSelectedLines(CEditModel::LineOrder::Ascending);
    EXPECT_EQ(Text(f.data), u"l0\nl1\nl2\na\nb\nc\nl6");
    f.Select({0, 4}, {2, 6});
    f.ctrl.Model().ReorderSelectedLines(CEditModel::LineOrder::Descending);
    EXPECT_EQ(Text(f.data), u"l0\nl1\nl2\na\nl6\nc\nb");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{1, 6}));  // the end of the last line
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"l0\nl1\nl2\na\nb\nc\nl6");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 6}));
    f.data.Undo();
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"l0\nl1\nl2\nc\na\nb\nl6");
    // Without a selection nothing happens.
    f.ctrl.Model().ReorderSelectedLines(CEditModel::LineOrder::Reversed);
    EXPECT_EQ(Text(f.data), u"l0\nl1\nl2\nc\na\nb\nl6");
}

TEST(EditLines, DeleteLineKeepsThePixelColumnAndUndoRestoresTheCaret) {
    EditFixture f(u"abcdef\nxy\nabcdefgh");
    f.data.SetUndoUnlimited();
    f.data.SetCaretPos(2, 5);
    f.ctrl.Model().DeleteLine();
    EXPECT_EQ(Text(f.data), u"abcdef\nxy");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 1}));  // "xy" is shorter
    f.data.SetCaretPos(0, 4);
    f.ctrl.Model().DeleteLine();
    EXPECT_EQ(Text(f.data), u"xy");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 0}));
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"abcdef\nxy");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{4, 0}));
    f.ctrl.Model().DeleteLine();
    f.ctrl.Model().DeleteLine();
    EXPECT_EQ(Text(f.data), u"");
    const int steps = f.data.GetUndo()->CanUndo();
    f.ctrl.Model().DeleteLine();  // one empty line: nothing, no undo step
    EXPECT_EQ(f.data.GetUndo()->CanUndo(), steps != 0);
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"xy");
}

TEST(EditLines, ClearTextEmptiesTextAndUndo) {
    EditFixture f(u"a\nb\nc");
    f.Select({0, 0}, {1, 1});
    f.ctrl.ClearText();
    EXPECT_EQ(Text(f.data), u"");
    EXPECT_EQ(f.data.GetLineCount(), 1);
    EXPECT_FALSE(Selected(f));
    EXPECT_FALSE(f.data.GetUndo()->CanUndo());
}

TEST(EditLines, SelectWholeLinesAnchorsAtTheEnd) {
    EditFixture f(u"ab\ncd\nef\ngh");
    f.Select({1, 1}, {0, 3});
    f.ctrl.Model().SelectWholeLines();
    const CEditDispData& d = f.data.GetDispData();
    EXPECT_EQ(d.selStart, (EditPos{0, 1}));
    EXPECT_EQ(d.selEnd, (EditPos{2, 2}));
    EXPECT_EQ(d.selAnchor, (EditPos{2, 2}));
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 1}));
    f.data.GetDispData().ResetSelection();
    f.data.SetCaretPos(3, 1);
    f.ctrl.Model().SelectWholeLines();
    EXPECT_EQ(d.selStart, (EditPos{0, 3}));
    EXPECT_EQ(d.selEnd, (EditPos{2, 3}));
}

TEST(EditLines, BookmarksTakeTheCaretOrTheSelectionIntoView) {
    EditFixture f(etest::NumberedLines(200), 0, 300, 200);
    f.data.GetLine(150)->flags |= kLineFlagBookmark;
    f.data.GetLine(20)->flags |= kLineFlagBookmark;
    f.data.SetCaretPos(30, 3);
    f.ctrl.Model().NextBookmark(1, false);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 150}));
    EXPECT_LE(f.ctrl.GetFirstVisibleLine(), 150);  // scrolled to it
    EXPECT_GE(f.ctrl.GetLastVisibleLine(), 150);
    f.ctrl.Model().NextBookmark(-1, true);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 20}));
    EXPECT_EQ(f.data.GetDispData().selStart, (EditPos{0, 20}));
    EXPECT_EQ(f.data.GetDispData().selEnd, (EditPos{0, 150}));
    EXPECT_LE(f.ctrl.GetFirstVisibleLine(), 20);
    EXPECT_EQ(f.ctrl.GetLineTop(f.ctrl.GetFirstVisibleLine()), f.ctrl.GetTopMargin());
}

TEST(EditLines, WrapModes) {
    EditFixture f(std::u16string(300, u'x'), 0, 400, 300);
    const int cw = f.ctrl.GetCharWidth();
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 0, true);
    EXPECT_EQ(f.ctrl.DispData().wrapColumns, 80);
    EXPECT_EQ(f.ctrl.GetEditData()->GetLineRowCount(0), (300 + 79) / 80);
    f.ctrl.SetWrapMode(WrapMode::WindowWidth, 0, true);
    EXPECT_EQ(f.ctrl.DispData().wrapWidth, f.ctrl.DispData().wrapColumns * cw);
    EXPECT_GT(f.ctrl.GetEditData()->GetLineRowCount(0), 1);
    f.ctrl.SetWrapMode(WrapMode::None, 0, true);
    EXPECT_EQ(f.ctrl.DispData().wrapWidth, INT_MAX);
    EXPECT_EQ(f.ctrl.GetEditData()->GetLineRowCount(0), 1);
    // A very narrow window still wraps at 20 columns.
    ::MoveWindow(f.ctrl, 0, 0, 40, 100, TRUE);
    f.ctrl.SetWrapMode(WrapMode::WindowWidth, 0, true);
    EXPECT_EQ(f.ctrl.DispData().wrapColumns, 20);
}

TEST(EditLines, LinksUnderTheCaret) {
    EditFixture f(u"see http://example.com/a now", ECS_CLICKABLE_URL);
    f.data.SetCaretPos(0, 10);
    EditPos s, e;
    ASSERT_TRUE(f.ctrl.GetLinkRangeAtCaret(s, e));
    EXPECT_EQ(s, (EditPos{4, 0}));
    EXPECT_EQ(e, (EditPos{24, 0}));
    EXPECT_EQ(f.ctrl.GetLinkAtCaret(), L"http://example.com/a");
    f.data.SetCaretPos(0, 1);
    EXPECT_EQ(f.ctrl.GetLinkAtCaret(), L"");
    f.ctrl.SetStyle(0);
    f.data.SetCaretPos(0, 10);
    EXPECT_FALSE(f.ctrl.GetLinkRangeAtCaret(s, e));
    EXPECT_TRUE(CEditCtrl::IsUrlScheme(L"www.x"));
    EXPECT_FALSE(CEditCtrl::IsUrlScheme(L"file://x"));
}

TEST(EditLines, PointOnTextAndHostUtilities) {
    EditFixture f(u"ab\tあc\n");
    const int cw = f.ctrl.GetCharWidth();
    const int y = f.ctrl.GetTopMargin() + f.ctrl.GetRowHeight() / 2;
    const int x0 = f.ctrl.GetLeftMargin();
    EXPECT_TRUE(f.ctrl.IsPointOnText(x0 + cw, y));
    EXPECT_FALSE(f.ctrl.IsPointOnText(x0 + 40 * cw, y));
    EXPECT_FALSE(f.ctrl.IsPointOnText(x0 + cw, y + f.ctrl.GetRowHeight()));  // the empty last line
    EXPECT_FALSE(f.ctrl.IsPointOnText(x0 + cw, y + 5 * f.ctrl.GetRowHeight()));  // below the text
    // Display columns: "ab" 2, TAB to 4, "あ" 2 more.
    EXPECT_EQ(f.ctrl.ColumnFromDisplayColumn(3, 0), 3);
    EXPECT_EQ(f.ctrl.ColumnFromDisplayColumn(5, 0), 4);
    EXPECT_EQ(f.ctrl.ColumnFromDisplayColumn(7, 0), 5);
    EXPECT_EQ(f.ctrl.ColumnFromDisplayColumn(0, 0), 0);
    EXPECT_EQ(f.ctrl.ColumnFromDisplayColumn(3, 9), 0);

    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, L"one");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, 2, L"two");
    const int item = ::GetSystemMetrics(SM_CYMENU);
    EXPECT_EQ(CEditCtrl::GetMenuHeight(menu), 2 * ::GetSystemMetrics(SM_CYEDGE) + 2 * (item - 2) + item - 6);
    ::DestroyMenu(menu);

    std::vector<int> sizes{99};
    HDC dc = ::GetDC(f.ctrl);
    // The installed face itself: how Wine maps the Japanese system names
    // depends on its locale.
    CEditCtrl::EnumFontSizes(dc, L"IPAGothic", sizes);
    ::ReleaseDC(f.ctrl, dc);
    const std::vector<int> scalable{8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    EXPECT_EQ(sizes, scalable);
}

namespace {

void SetClipboard(const wchar_t* text) { ASSERT_TRUE(wtest::SetClipboardText(text)); }

}  // namespace

TEST(EditLines, CopyAndPasteWholeLines) {
    EditFixture f(u"one\ntwo\nthree");
    f.data.SetLineEndType(LineEndType::LF);
    f.data.SetUndoUnlimited();
    f.data.SetCaretPos(1, 2);
    f.ctrl.CopyLine();
    EXPECT_EQ(wtest::ClipboardText(), L"two\n");
    f.data.SetCaretPos(2, 1);
    f.ctrl.CopyLine();
    EXPECT_EQ(wtest::ClipboardText(), L"three");

    SetClipboard(L"x\n");
    f.data.SetCaretPos(1, 2);
    f.ctrl.PasteLine(true);
    EXPECT_EQ(Text(f.data), u"one\nx\ntwo\nthree");
    SetClipboard(L"y\r\nz");
    f.data.SetCaretPos(2, 0);
    f.ctrl.PasteLine(false);
    EXPECT_EQ(Text(f.data), u"one\nx\ntwo\ny\nz\nthree");
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"one\nx\ntwo\nthree");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 2}));
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"one\ntwo\nthree");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{2, 1}));

    // Nothing on the clipboard: nothing changes, not even an empty line.
    f.data.ResetUndo();
    for (const wchar_t* empty : {static_cast<const wchar_t*>(nullptr), L""}) {
        SetClipboard(empty);
        f.ctrl.PasteLine(true);
        f.ctrl.PasteLine(false);
        EXPECT_EQ(Text(f.data), u"one\ntwo\nthree");
        EXPECT_FALSE(f.data.GetUndo()->CanUndo());
    }
}

TEST(EditLines, EndOfTheDisplayRowAndSelectLine) {
    EditFixture f(std::u16string(50, u'x') + u"\nshort");
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 20, true);
    ASSERT_EQ(f.data.GetLineRowCount(0), 3);
    f.data.SetCaretPos(0, 5);
    f.ctrl.UpdateCaret(0, true);
    f.ctrl.MoveToRowEnd(false);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{20, 0}));
    EXPECT_EQ(f.ctrl.GetCaretRow(), 0);  // shown at the end of the first row
    f.ctrl.MoveToRowEnd(false);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{20, 0}));  // stays
    f.data.SetCaretPos(0, 45);
    f.ctrl.UpdateCaret(0, true);
    f.ctrl.MoveToRowEnd(true);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{50, 0}));
    EXPECT_EQ(f.data.GetDispData().selStart, (EditPos{45, 0}));
    f.ctrl.SetWrapMode(WrapMode::None, 0, true);
    f.data.SetCaretPos(1, 1);
    f.ctrl.UpdateCaret(0, true);
    f.ctrl.MoveToRowEnd(false);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{5, 1}));
    EXPECT_EQ(f.data.GetDispData().selStart.line, -1);
    f.data.SetCaretPos(0, 3);
    f.ctrl.Model().SelectLineAt(f.data.GetCaretPos().line);
    EXPECT_EQ(f.data.GetDispData().selStart, (EditPos{0, 0}));
    EXPECT_EQ(f.data.GetDispData().selEnd, (EditPos{0, 1}));
}
