// The editing window's core on a real window: margins, the row table under
// each wrap mode, scrolling, the notices its parent hears, the IME request
// and the measuring DC at destruction.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "tests/editctrl/edit_ctrl_fixture.h"

using etest::EditFixture;

namespace {

// Rows a line of n equal characters of advance a takes at the wrap width.
int ExpectedRows(int n, int a, int wrapWidth) {
    if (wrapWidth == INT_MAX || n == 0) return 1;
    const int perRow = std::max(1, wrapWidth / a);
    return (n + perRow - 1) / perRow;
}

}  // namespace

TEST(EditCtrl, RegistersItsClassAndCreatesFonts) {
    EditFixture f(u"abc");
    wchar_t name[64];
    ::GetClassNameW(f.ctrl, name, 64);
    EXPECT_STREQ(name, L"TORKA_EditCtrl");
    EXPECT_EQ(::GetClassLongPtrW(f.ctrl, GCL_STYLE), 0x300B);
    EXPECT_NE(f.ctrl.GetNormalFont(), nullptr);
    EXPECT_GT(f.ctrl.GetCharWidth(), 0);
    EXPECT_EQ(f.ctrl.GetRowHeight(), f.ctrl.GetTextHeight());
    EXPECT_NE(GetBoxClipboardFormat(), 0u);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(GetLinkCursor(), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 4u);
    EXPECT_EQ(info.yHotspot, 0u);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
}

TEST(EditCtrl, LineNumberMarginHoldsAtLeastTwoDigits) {
    const struct {
        int lines, digits;
    } cases[] = {{1, 2}, {9, 2}, {99, 2}, {100, 3}, {999, 3}, {1000, 4}};
    for (const auto& c : cases) {
        EditFixture f(etest::NumberedLines(c.lines), ECS_SHOW_ROW_NUM | ECS_SHOW_COL_NUM);
        f.ctrl.SetLeftBase(5);
        f.ctrl.RecalcMargins();
        EXPECT_EQ(f.ctrl.GetLineNumberDigits(), c.digits) << c.lines;
        EXPECT_EQ(f.ctrl.GetLeftMargin(), 5 + (c.digits + 2) * f.ctrl.GetDigitWidth()) << c.lines;
        EXPECT_EQ(f.ctrl.GetTopMargin(), f.ctrl.GetRowHeight() + 1 - 0 + 4);
    }
    EditFixture plain(u"x");
    EXPECT_EQ(plain.ctrl.GetLeftMargin(), 1);
    EXPECT_EQ(plain.ctrl.GetTopMargin(), 1);
}

// Every line's rows are consecutive, counted by its wrap, and map back to it.
TEST(EditCtrl, RowTableFollowsEachWrapMode) {
    for (int lines : {9, 99, 100, 1000}) {
        std::u16string text;
        for (int i = 0; i < lines; ++i) {
            text += std::u16string(static_cast<size_t>(i % 7 == 3 ? 95 : i % 13), u'a');
            if (i + 1 < lines) text += u'\n';
        }
        EditFixture f(text, 0, 500, 300);
        for (WrapMode mode : {WrapMode::None, WrapMode::WindowWidth, WrapMode::FixedColumns}) {
            f.ctrl.SetWrapMode(mode, 30);
            f.ctrl.Relayout(0);
            const CEditDispData& d = f.data.GetDispData();
            if (mode == WrapMode::None) {
                EXPECT_EQ(d.wrapWidth, INT_MAX);
            }
            if (mode == WrapMode::FixedColumns) {
                EXPECT_EQ(d.wrapWidth, 30 * f.ctrl.GetCharWidth());
            }
            const int a = f.ctrl.Measure().Advance('a');
            int row = 0;
            for (int i = 0; i < lines; ++i) {
                const int n = f.data.GetLineLength(i);
                const int rows = f.data.GetLineRowCount(i);
                ASSERT_EQ(rows, ExpectedRows(n, a, d.wrapWidth)) << lines << " mode " << WrapModeNumber(mode) << " line " << i;
                ASSERT_EQ(f.ctrl.GetFirstRowOfLine(i), row);
                for (int k = 0; k < rows; ++k) {
                    ASSERT_EQ(f.ctrl.GetLineOfRow(row + k), i);
                    ASSERT_EQ(f.ctrl.GetRowOffset(row + k), k);
                }
                row += rows;
            }
            EXPECT_EQ(d.displayRows, row);
            // The widest line is the first of the longest ones.
            EXPECT_EQ(f.ctrl.GetWidestWidth(), 95 * a);
            EXPECT_EQ(f.data.GetWidestLine(), f.data.GetLine(3));
        }
    }
}

TEST(EditCtrl, FixedColumnWrapFallsBackToEightyColumns) {
    EditFixture f(u"abc");
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 0);
    EXPECT_EQ(f.data.GetDispData().wrapColumns, 80);
    EXPECT_EQ(f.data.GetDispData().wrapWidth, 80 * f.ctrl.GetCharWidth());
    // A narrow window still wraps at twenty columns.
    EditFixture narrow(u"abc", 0, 60, 100);
    narrow.ctrl.SetWrapMode(WrapMode::WindowWidth);
    EXPECT_EQ(narrow.data.GetDispData().wrapColumns, 20);
}

// Typing a line at the top keeps the index exact without a full rebuild.
TEST(EditCtrl, InsertedAndJoinedLinesKeepRowsInStep) {
    EditFixture f(etest::NumberedLines(50), 0, 200, 300);
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 4);
    f.ctrl.Relayout(0);
    f.data.SetCaretPos(0, 0);
    f.data.InsertText(u"abcdefghij\nxy\n", 1);
    f.ctrl.RecalcLineWidth(false, 0, 3);
    int row = 0;
    for (int i = 0; i < f.data.GetLineCount(); ++i) {
        ASSERT_EQ(f.ctrl.GetFirstRowOfLine(i), row) << i;
        row += f.data.GetLineRowCount(i);
    }
    EXPECT_EQ(f.data.GetLineRowCount(0), 3);  // ten letters in rows of four
    EXPECT_EQ(f.data.GetDispData().displayRows, row);
    // Join them again.
    f.data.DeleteText({0, 0}, {0, 2}, 1);
    f.ctrl.RecalcLineWidth(false, 0, 1);
    row = 0;
    for (int i = 0; i < f.data.GetLineCount(); ++i) {
        ASSERT_EQ(f.ctrl.GetFirstRowOfLine(i), row) << i;
        row += f.data.GetLineRowCount(i);
    }
    EXPECT_EQ(f.data.GetDispData().displayRows, row);
}

TEST(EditCtrl, ScrollCodesAndWheelMoveTheRowPosition) {
    EditFixture f(etest::NumberedLines(200), 0, 300, 200);
    const int page = f.ctrl.GetVisibleRows() - 1;
    const int limit = f.ctrl.GetScrollLimit(SB_VERT);
    EXPECT_EQ(limit, 199 - page + 1);
    const struct {
        UINT code;
        int expected;
    } steps[] = {{SB_LINEDOWN, 1}, {SB_PAGEDOWN, 1 + page}, {SB_LINEUP, page}, {SB_PAGEUP, 0},
                 {SB_BOTTOM, limit}, {SB_TOP, 0}};
    for (const auto& s : steps) {
        f.ctrl.SendMessage(WM_VSCROLL, MAKEWPARAM(s.code, 0), 0);
        EXPECT_EQ(f.Pos(SB_VERT), s.expected) << s.code;
    }
    f.ctrl.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(f.Pos(SB_VERT), 3);
    f.ctrl.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
    EXPECT_TRUE(f.ctrl.GetStyle() & WS_VSCROLL);
    // One more row with the extra-row style.
    f.ctrl.SetStyle(ECS_EXTRA_LAST_ROW);
    f.ctrl.Relayout(0);
    EXPECT_EQ(f.ctrl.GetScrollLimit(SB_VERT), limit + 1);
}

TEST(EditCtrl, HorizontalBarFollowsTheWidestLine) {
    EditFixture f(u"short\n" + std::u16string(200, u'w'), 0, 300, 200);
    EXPECT_TRUE(f.ctrl.GetStyle() & WS_HSCROLL);
    const int a = f.ctrl.Measure().Advance('w');
    EXPECT_EQ(f.ctrl.GetMaxColumn(), 200 * a / f.ctrl.GetCharWidth() + 1);
    f.ctrl.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(f.Pos(SB_HORZ), 1);
    // Short text: nothing to scroll.
    EditFixture small(u"ab", 0, 300, 200);
    small.ctrl.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(small.Pos(SB_HORZ), 0);
}

// Settings applied again (the same font, a full relayout) measure nothing
// anew, yet every change made meanwhile, told or not, shows in the next one.
TEST(EditCtrl, RelayoutAfterNoChangeKeepsTheLayoutAndAnyChangeIsMeasured) {
    EditFixture f(u"short\n" + std::u16string(50, u'w') + u"\nmid", 0, 300, 200);
    const int a = f.ctrl.Measure().Advance('w');
    ASSERT_EQ(f.ctrl.GetWidestWidth(), 50 * a);
    CFont font = etest::MakeFont();
    f.ctrl.SetFont(font);
    f.ctrl.Relayout(0);
    EXPECT_EQ(f.ctrl.GetWidestWidth(), 50 * a);
    EXPECT_EQ(f.data.GetWidestLine(), f.data.GetLine(1));
    // A line's new text, the listener not told yet.
    {
        CUndoGroupGuard group(f.data.GetUndo(), 0);
        ASSERT_TRUE(f.data.BeginLineTexts(3));
        ASSERT_TRUE(f.data.ExchangeLineText(2, std::u16string(80, u'w').c_str(), 80));
    }
    f.ctrl.Relayout(0);
    EXPECT_EQ(f.ctrl.GetWidestWidth(), 80 * a);
    EXPECT_EQ(f.data.GetWidestLine(), f.data.GetLine(2));
    // Wider tab stops widen a line of tabs.
    f.data.SetCaretPos(0, 0);
    f.data.InsertText(u"\t", 1);
    f.ctrl.Relayout(0);
    const int tabLine = CalcTextWidth(f.data.GetLineText(0), f.data.GetDispData().widths, nullptr);
    f.data.GetDispData().widths.SetTabSize(f.data.GetDispData().widths.TabSize() * 40);
    f.ctrl.Relayout(0);
    EXPECT_GT(CalcTextWidth(f.data.GetLineText(0), f.data.GetDispData().widths, nullptr), tabLine);
    EXPECT_EQ(f.ctrl.GetWidestWidth(), CalcTextWidth(f.data.GetLineText(0), f.data.GetDispData().widths, nullptr));
    // Wrapping at fewer columns than the widest line cuts it into more rows.
    const int rows = f.data.GetDispData().displayRows;
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 20);
    f.ctrl.Relayout(0);
    EXPECT_GT(f.data.GetDispData().displayRows, rows);
}

// The parent of the focused control hears layout, caret and scroll notices in that order.
TEST(EditCtrl, ParentHearsLayoutCaretAndScrollNotices) {
    wtest::HostWindow& host = wtest::SharedHost();
    host.recordFrom = WM_EDIT_DBLCLK;
    EditFixture f(etest::NumberedLines(100), 0, 300, 200, host);
    f.ctrl.SetFocus();
    host.records.clear();
    f.ctrl.Relayout(0);
    std::vector<UINT> seen;
    for (const auto& r : host.records) seen.push_back(r.msg);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_EDIT_CARETMOVED, WM_EDIT_LAYOUTCHANGED}));
    host.records.clear();
    f.data.SetCaretPos(3, 2);
    f.ctrl.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    seen.clear();
    for (const auto& r : host.records) seen.push_back(r.msg);
    ASSERT_EQ(seen, (std::vector<UINT>{WM_EDIT_CARETMOVED, WM_EDIT_SCROLLED}));
    EXPECT_EQ(host.records[0].wParam, 2u);  // column
    EXPECT_EQ(host.records[0].lParam, 3);   // line
    host.records.clear();
    f.ctrl.SendMessage(WM_EDIT_RELAYOUT, 0, 0);
    EXPECT_FALSE(host.records.empty());
    EXPECT_EQ(host.records.back().msg, static_cast<UINT>(WM_EDIT_LAYOUTCHANGED));
    host.recordFrom = WM_RBUTTONDOWN;
}

TEST(EditCtrl, ReconversionAnswersOnlyForOneLineAndABigEnoughBuffer) {
    EditFixture f(u"漢字かな\n二行目");
    CEditDispData& d = f.data.GetDispData();
    d.selStart = {1, 0};
    d.selEnd = {3, 0};
    const LRESULT needed = f.ctrl.SendMessage(WM_IME_REQUEST, IMR_RECONVERTSTRING, 0);
    EXPECT_EQ(needed, static_cast<LRESULT>(sizeof(RECONVERTSTRING) + 3 * sizeof(wchar_t)));
    std::vector<char> buf(static_cast<size_t>(needed) + 16, 0x55);
    auto* rs = reinterpret_cast<RECONVERTSTRING*>(buf.data());
    // Too small: nothing written, 0 answered.
    rs->dwSize = static_cast<DWORD>(needed - 1);
    EXPECT_EQ(f.ctrl.SendMessage(WM_IME_REQUEST, IMR_RECONVERTSTRING, reinterpret_cast<LPARAM>(rs)), 0);
    EXPECT_EQ(rs->dwStrLen, 0x55555555u);
    rs->dwSize = static_cast<DWORD>(needed);
    EXPECT_EQ(f.ctrl.SendMessage(WM_IME_REQUEST, IMR_RECONVERTSTRING, reinterpret_cast<LPARAM>(rs)),
              reinterpret_cast<LRESULT>(rs));
    EXPECT_EQ(rs->dwStrLen, 2u);
    EXPECT_EQ(rs->dwStrOffset, sizeof(RECONVERTSTRING));
    EXPECT_EQ(rs->dwTargetStrLen, 2u);
    const auto* s = reinterpret_cast<const wchar_t*>(buf.data() + rs->dwStrOffset);
    EXPECT_EQ(std::wstring(s), L"字か");
    EXPECT_EQ(f.data.GetCaretPos().column, 1);
    // Two lines: no answer.
    d.selEnd = {1, 1};
    EXPECT_EQ(f.ctrl.SendMessage(WM_IME_REQUEST, IMR_RECONVERTSTRING, 0), 0);
}

// Both ways a control can end: its window destroyed while the object lives,
// or the object destroyed while its window lives.
TEST(EditCtrl, EndingTheControlEitherWayUnregistersItsWindowAndFreesItsGdiState) {
    for (bool objectFirst : {false, true}) {
        SCOPED_TRACE(objectFirst ? "object destroyed with its window" : "window destroyed first");
        CEditData data;
        data.InsertText(u"abc", 1);
        auto ctrl = std::make_unique<CEditCtrl>();
        ASSERT_TRUE(ctrl->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), wtest::SharedHost(), 7));
        ctrl->SetEditData(&data);
        CEditDispGdi& gdi = CEditDispGdi::Of(data);
        HWND hwnd = ctrl->m_hWnd;
        ASSERT_EQ(gdi.GetView(0), hwnd);
        ASSERT_NE(gdi.GetMeasuringDC(hwnd, ctrl->GetNormalFont()), nullptr);
        HFONT font = ctrl->GetNormalFont();

        if (objectFirst)
            ctrl.reset();
        else
            ctrl->DestroyWindow();
        EXPECT_FALSE(::IsWindow(hwnd));
        for (int slot = 0; slot < CEditDispGdi::kMaxViews; ++slot) EXPECT_EQ(gdi.GetView(slot), nullptr);
        EXPECT_FALSE(gdi.MeasuringDC().IsHeld());
        // The font was deleted after the DC let go of it.
        LOGFONTW lf;
        EXPECT_EQ(::GetObjectW(font, sizeof(lf), &lf), 0);
        // The text can take a new window in the freed slot.
        CEditCtrl next;
        ASSERT_TRUE(next.Create(WS_CHILD, CRect(0, 0, 50, 50), wtest::SharedHost(), 8));
        next.SetEditData(&data);
        EXPECT_EQ(gdi.GetView(0), next.m_hWnd);
    }
}

TEST(EditCtrl, ModifiedBackgroundFollowsTheSavedState) {
    EditFixture f(u"abc", ECS_MODIFIED_BACKGROUND);
    f.ctrl.SetModifiedColors(RGB(250, 250, 250), RGB(255, 240, 240));
    f.data.MarkSaved();
    f.data.NotifyChanged();
    EXPECT_EQ(CEditDispGdi::Of(f.data).GetColor(BG_COLOR), RGB(250, 250, 250));
    f.data.SetCaretPos(0, 3);
    f.data.TypeChar(u'd');
    EXPECT_EQ(CEditDispGdi::Of(f.data).GetColor(BG_COLOR), RGB(255, 240, 240));
}

TEST(EditCtrl, ChangingCommentStateInvalidatesTheLinesBelow) {
    EditFixture f(u"int a;\nint b;\nint c;");
    f.data.SetSyntaxRules(&etest::Cpp());
    f.ctrl.Relayout(0);
    for (int i = 0; i < 3; ++i) ASSERT_NE(f.ctrl.GetLineAttributes(i), nullptr);
    EXPECT_EQ(f.ctrl.GetLineAttributes(2)->items[0].color, kDefaultEditColors[KEYWORD_COLOR]);
    f.data.SetCaretPos(0, 0);
    f.data.InsertText(u"/*", 1);
    f.ctrl.RecalcLineWidth(false, 0, 1);
    f.ctrl.UpdateLineStates(0, 0);
    // Line 2 did not change its text, yet its colours follow the comment.
    EXPECT_EQ(f.ctrl.GetLineAttributes(2)->items[0].color, kDefaultEditColors[COMMENT_COLOR]);
    EXPECT_EQ(f.ctrl.GetLineAttributes(1)->items[0].color, kDefaultEditColors[COMMENT_COLOR]);
}

TEST(EditCtrl, InsertTextMessageTypesAtTheCaret) {
    EditFixture f(u"ab");
    f.data.SetCaretPos(0, 1);
    f.ctrl.SendMessage(WM_EDIT_INSERT_TEXT, reinterpret_cast<WPARAM>(L"X\nY"), 0);
    EXPECT_EQ(f.data.GetLineCount(), 2);
    EXPECT_EQ(std::u16string(f.data.GetLineText(0)), u"aX");
    EXPECT_EQ(f.data.GetDispData().displayRows, 2);
}
