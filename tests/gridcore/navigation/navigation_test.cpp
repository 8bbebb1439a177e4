// Moving the current cell, growing selections, the keys' moves, hit tests,
// scrolling a cell into view and the width of a fitted column, all without
// a window.
#include <gtest/gtest.h>

#include <string>

#include "../grid_test_model.h"
#include "grid/core/grid_copy_text.h"
#include "grid/core/grid_geometry.h"
#include "grid/core/grid_navigation.h"
#include "grid/core/grid_style.h"

namespace {

TEST(GridMove, ClampsAndSkipsHiddenColumns) {
    TestGridModel m(5, 10);
    m.SetColWidth(2, 0);
    m.SetColWidth(4, 0);
    struct Case {
        const char* what;
        GridCell from, to, at;
    };
    const Case cases[] = {
        {"plain", {0, 0}, {1, 1}, {1, 1}},
        {"negatives become 0", {1, 1}, {-3, -1}, {0, 0}},
        {"clamped to the last row and column", {0, 0}, {3, 99}, {3, 9}},
        {"right onto a hidden column goes on right", {1, 0}, {2, 0}, {3, 0}},
        {"left onto a hidden column goes on left", {3, 0}, {2, 0}, {1, 0}},
        {"no visible column that way: stays", {3, 0}, {4, 0}, {3, 0}},
        {"past a hidden last column: the last visible one", {0, 0}, {9, 0}, {3, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolveMove(m, c.from, c.to), c.at) << c.what;
    TestGridModel empty(3, 0);
    EXPECT_EQ(ResolveMove(empty, {0, 0}, {1, 1}), (GridCell{1, -1}));
    EXPECT_EQ(LastCell(m, true), (GridCell{0, 9}));
    EXPECT_EQ(LastCell(m, false), (GridCell{4, 9}));
}

TEST(GridSelect, CornersInRowMajorOrderWidenedByKind) {
    TestGridModel m(4, 6);
    m.m_sel.anchor = {2, 3};
    ExtendSelectionTo(m, {0, 1});
    EXPECT_EQ(m.m_sel.first, (GridCell{0, 1}));
    EXPECT_EQ(m.m_sel.second, (GridCell{2, 3}));
    ExtendSelectionTo(m, {3, 3});  // same row, further right
    EXPECT_EQ(m.m_sel.first, (GridCell{2, 3}));
    EXPECT_EQ(m.m_sel.second, (GridCell{3, 3}));
    ExtendSelectionTo(m, {0, 5});  // columns run backwards
    EXPECT_EQ(m.m_sel.first, (GridCell{2, 3}));
    EXPECT_EQ(m.m_sel.second, (GridCell{0, 5}));
    EXPECT_TRUE(m.IsInSelection(4, 1));

    SelectWholeRows(m, 2);
    ExtendSelectionTo(m, {1, 4});
    EXPECT_EQ(m.m_sel.first, (GridCell{0, 2}));
    EXPECT_EQ(m.m_sel.second, (GridCell{3, 4}));
    SelectWholeColumns(m, 3);
    ExtendSelectionTo(m, {1, 2});
    EXPECT_EQ(m.m_sel.first, (GridCell{1, 0}));
    EXPECT_EQ(m.m_sel.second, (GridCell{3, 5}));
    SelectEverything(m);
    EXPECT_EQ(m.m_sel.second, (GridCell{3, 5}));
    ClearSelectionState(m.m_sel);
    EXPECT_FALSE(m.IsInSelection(0, 0));
    EXPECT_TRUE(m.m_sel.IsNone());
}

TEST(GridSelect, ChangedRows) {
    auto sel = [](GridCell a, GridCell b) {
        GridSelection s;
        s.first = a;
        s.second = b;
        return s;
    };
    GridSelection none;
    ClearSelectionState(none);
    struct Case {
        const char* what;
        GridSelection before, after;
        int first, last;
    };
    const Case cases[] = {
        {"none to none", none, none, 0, -1},
        {"fresh", none, sel({0, 2}, {1, 5}), 2, 5},
        {"cleared", sel({0, 2}, {1, 5}), none, 2, 5},
        {"grown down", sel({0, 2}, {1, 5}), sel({0, 2}, {1, 7}), 5, 7},
        {"shrunk from the top", sel({0, 2}, {1, 5}), sel({0, 4}, {1, 5}), 2, 4},
        {"wider", sel({0, 2}, {1, 5}), sel({0, 2}, {2, 5}), 2, 5},
    };
    for (const Case& c : cases) {
        const GridRowSpan s = ChangedSelectionRows(c.before, c.after);
        if (c.first > c.last) {
            EXPECT_GT(s.first, s.last) << c.what;
        } else {
            EXPECT_EQ(s.first, c.first) << c.what;
            EXPECT_EQ(s.last, c.last) << c.what;
        }
    }
}

TEST(GridKeys, MapToMovesScrollsAndModes) {
    TestGridModel m(5, 50);
    m.m_curCell = {2, 10};
    using A = GridKeyAction;
    struct Case {
        const char* what;
        unsigned key;
        bool ctrl, shift, endMode;
        std::uint32_t style;
        A::Kind kind;
        GridCell target;
        int scrollCols, scrollRows;
        bool endModeAfter;
    };
    const Case cases[] = {
        {"Tab", GRID_KEY_TAB, false, false, false, 0, A::Move, {3, 10}, 0, 0, false},
        {"Shift+Tab", GRID_KEY_TAB, false, true, false, 0, A::Move, {1, 10}, 0, 0, false},
        {"Enter", GRID_KEY_RETURN, false, false, false, 0, A::Move, {2, 11}, 0, 0, false},
        {"Shift+Enter", GRID_KEY_RETURN, false, true, false, 0, A::Move, {2, 9}, 0, 0, false},
        {"Down", GRID_KEY_DOWN, false, false, false, 0, A::Move, {2, 11}, 0, 0, false},
        {"Shift+Up extends (the window reads Shift)", GRID_KEY_UP, false, true, false, 0, A::Move, {2, 9}, 0, 0, false},
        {"Ctrl+Down scrolls", GRID_KEY_DOWN, true, false, false, 0, A::Scroll, {0, 0}, 0, 1, false},
        {"Ctrl+Left scrolls", GRID_KEY_LEFT, true, false, false, 0, A::Scroll, {0, 0}, -1, 0, false},
        {"PageDown", GRID_KEY_NEXT, false, false, false, 0, A::Move, {2, 17}, 0, 0, false},
        {"PageUp", GRID_KEY_PRIOR, false, false, false, 0, A::Move, {2, 3}, 0, 0, false},
        {"Ctrl+PageDown", GRID_KEY_NEXT, true, false, false, 0, A::Scroll, {0, 0}, 0, 7, false},
        {"Home", GRID_KEY_HOME, false, false, false, 0, A::Move, {0, 10}, 0, 0, false},
        {"Ctrl+Home", GRID_KEY_HOME, true, false, false, 0, A::Move, {0, 0}, 0, 0, false},
        {"End", GRID_KEY_END, false, false, false, 0, A::Move, {4, 10}, 0, 0, false},
        {"Ctrl+End", GRID_KEY_END, true, false, false, 0, A::Move, {4, 49}, 0, 0, false},
        {"Ctrl+End with a row cursor", GRID_KEY_END, true, false, false, GRID_ROW_CURSOR, A::Move, {0, 49}, 0, 0, false},
        {"End toggles End mode", GRID_KEY_END, false, false, false, GRID_END_MODE, A::ToggleEndMode, {0, 0}, 0, 0, true},
        {"End mode: Down to the bottom", GRID_KEY_DOWN, false, false, true, GRID_END_MODE, A::Move, {2, 49}, 0, 0, false},
        {"End mode: Left to the row start", GRID_KEY_LEFT, false, false, true, GRID_END_MODE, A::Move, {0, 10}, 0, 0, false},
        {"Shift keeps End mode", GRID_KEY_SHIFT, false, true, true, GRID_END_MODE, A::None, {0, 0}, 0, 0, true},
        {"Esc", GRID_KEY_ESCAPE, false, false, true, 0, A::ClearSelection, {0, 0}, 0, 0, false},
        {"Delete", GRID_KEY_DELETE, false, false, false, 0, A::DeleteCells, {0, 0}, 0, 0, false},
        {"F2 without the styles", GRID_KEY_F2, false, false, false, 0, A::None, {0, 0}, 0, 0, false},
        {"F2 with Ctrl keys", GRID_KEY_F2, false, false, false, GRID_CTRL_KEYS, A::BeginEdit, {0, 0}, 0, 0, false},
    };
    for (const Case& c : cases) {
        const A a = MapGridKey(m, c.key, c.ctrl, c.shift, c.endMode, c.style, 7);
        EXPECT_EQ(a.kind, c.kind) << c.what;
        if (c.kind == A::Move) {
            EXPECT_EQ(a.target, c.target) << c.what;
        }
        EXPECT_EQ(a.scrollCols, c.scrollCols) << c.what;
        EXPECT_EQ(a.scrollRows, c.scrollRows) << c.what;
        EXPECT_EQ(a.endMode, c.endModeAfter) << c.what;
    }
    EXPECT_TRUE(MapGridKey(m, GRID_KEY_TAB, false, false, false, 0, 7).clearSelection);
    EXPECT_FALSE(MapGridKey(m, GRID_KEY_DOWN, false, false, false, 0, 7).clearSelection);
}

// Columns 50, 0 (hidden), 60, 70, 80 pixels; rows 20 high; strips 40 wide
// and 20 high; the window 200 x 120.
struct Geometry : ::testing::Test {
    TestGridModel m{5, 30};
    GridLayout g;
    Geometry() {
        const int widths[] = {50, 0, 60, 70, 80};
        for (int c = 0; c < 5; ++c) m.SetColWidth(c, widths[c]);
        g.rowHeight = 20;
        g.leftStrip = 40;
        g.topStrip = 20;
        g.clientWidth = 200;
        g.clientHeight = 120;
    }
};

TEST_F(Geometry, SpansPagesAndScrollSigns) {
    EXPECT_EQ(ColumnSpan(m, 0, 3), 110);
    EXPECT_EQ(ColumnSpan(m, 3, 0), -110);
    // Scrolling right (first column 0 to 2) moves the picture left, as rows do.
    EXPECT_LT(ColumnsToPixels(m, 0, 2), 0);
    EXPECT_EQ(ColumnsToPixels(m, 2, 0), 50);
    EXPECT_EQ(ColumnX(m, g, 2), 90);
    EXPECT_EQ(RowY(g, 3), 80);
    EXPECT_EQ(FullRowsVisible(g), 5);
    EXPECT_EQ(FullColumnsVisible(m, g), 3);  // 50, 0, 60 fit in 160
    EXPECT_EQ(LastDrawnColumn(m, g), 3);
    EXPECT_EQ(LastDrawnRow(m, g), 5);
    EXPECT_EQ(ColumnsFittingFromEnd(m, g), 2);  // 80 + 70 fit in 160, with 60 they do not
    m.SetColWidth(0, 0);
    EXPECT_EQ(FirstShownColumn(m), 2);
}

TEST_F(Geometry, HitTests) {
    struct Case {
        const char* what;
        int x, y;
        GridHit::Kind kind;
        int col, row;
    };
    const Case cases[] = {
        {"corner", 10, 10, GridHit::Corner, -1, -1},
        {"title", 60, 10, GridHit::ColumnTitle, 0, -1},
        {"left of a border", 88, 10, GridHit::ColumnBorder, 0, -1},
        {"right of a border: the hidden column after it", 92, 10, GridHit::ColumnBorder, 1, -1},
        {"border of a visible column", 152, 5, GridHit::ColumnBorder, 2, -1},
        {"row header", 5, 45, GridHit::RowHeader, -1, 1},
        {"cell", 100, 45, GridHit::Cell, 2, 1},
        {"outside", 250, 45, GridHit::Nothing, -1, -1},
    };
    for (const Case& c : cases) {
        const GridHit h = GridHitTest(m, g, c.x, c.y);
        EXPECT_EQ(h.kind, c.kind) << c.what;
        EXPECT_EQ(h.col, c.col) << c.what;
        EXPECT_EQ(h.row, c.row) << c.what;
    }
    g.firstRow = 28;
    EXPECT_EQ(GridHitTest(m, g, 100, 70).kind, GridHit::Nothing);  // below the last row
    EXPECT_EQ(GridCellFromPoint(m, g, 100, 70, true), (GridCell{2, 29}));
    EXPECT_EQ(GridCellFromPoint(m, g, 100, 70, false), (GridCell{-1, -1}));
    EXPECT_EQ(GridCellFromPoint(m, g, -30, -30, true), (GridCell{0, 25}));
}

TEST_F(Geometry, ScrollingACellIntoView) {
    g.firstRow = 10;
    struct Case {
        const char* what;
        int row;
        std::uint32_t style;
        int top;
    };
    const Case cases[] = {
        {"visible", 12, 0, 10},
        {"below", 20, 0, 16},
        {"above", 4, 0, 4},
        {"to the top", 12, GRID_SCROLL_ROW_TO_TOP, 12},
        {"centred", 20, GRID_SCROLL_ROW_TO_MIDDLE, 19},
        {"centred near the start", 1, GRID_SCROLL_ROW_TO_MIDDLE, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ScrollRowFor(g, c.row, c.style), c.top) << c.what;
    EXPECT_EQ(ScrollColumnFor(m, g, 2), 0);
    EXPECT_EQ(ScrollColumnFor(m, g, 4), 3);
    g.firstCol = 3;
    EXPECT_EQ(ScrollColumnFor(m, g, 0), 0);
}

TEST_F(Geometry, FittedWidths) {
    EXPECT_EQ(FitColumnWidth(100, -1, 5, false, g), 104);
    EXPECT_EQ(FitColumnWidth(100, 120, 5, false, g), 124);
    EXPECT_EQ(FitColumnWidth(500, -1, 5, false, g), 150);  // cut to the window
    EXPECT_EQ(FitColumnWidth(500, -1, 5, true, g), 504);
    EXPECT_EQ(FitColumnWidth(0, -1, 5, false, g), 9);
    g.clientWidth = 45;  // a window narrower than the strip must not hide it
    EXPECT_EQ(FitColumnWidth(100, -1, 5, false, g), 5);
}

TEST(GridCopyText, JoinsFieldsAndQuotesWhenAsked) {
    TestGridModel m(2, {{u"a", u"b"}, {u"c", u"d"}, {u"x\ty", u"say \"hi\""}, {u"\"q\"", u""}});
    struct Case {
        const char* what;
        GridRange range;
        bool quote;
        std::u16string text;
    };
    const Case cases[] = {
        {"2 x 2", {0, 0, 1, 1}, false, u"a\tb\r\nc\td\r\n"},
        {"one row: no final line end", {0, 0, 1, 0}, false, u"a\tb"},
        {"one column of two rows", {1, 0, 1, 1}, false, u"b\r\nd\r\n"},
        {"tab quoted, inner quote kept", {0, 2, 1, 2}, true, u"\"x\ty\"\tsay \"hi\""},
        {"leading quote doubled", {0, 3, 1, 3}, true, u"\"\"\"q\"\"\"\t"},
        {"unquoted without the style", {0, 2, 0, 2}, false, u"x\ty"},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildCopyText(m, c.range, c.quote, false), c.text) << c.what;
    EXPECT_EQ(BuildCopyText(m, {1, 0, 1, 1}, false, true), u"b\r\nd");  // one record shown as a column

    m.m_curCell = {1, 2};
    const GridRange cur = CopyRange(m);
    EXPECT_EQ(cur.left, 1);
    EXPECT_EQ(cur.top, 2);
    m.m_sel.first = {1, 0};
    m.m_sel.second = {0, 1};
    const GridRange sel = CopyRange(m);
    EXPECT_EQ(sel.left, 0);
    EXPECT_EQ(sel.right, 1);
    EXPECT_EQ(sel.bottom, 1);
}

TEST(GridColors, ShadingKeepsTheLargestChannel) {
    struct Case {
        std::uint32_t in, out;
    };
    const Case cases[] = {
        {0xFFE6E6, 0xFFB8B8},  // blue largest
        {0x808080, 0x666666},  // grey scaled whole
        {0x0000FF, 0x0000FF},  // red largest, others 0
        {0x10FFFF, 0x10CCCC},  // red and green tie: blue keeps its value
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleGridColor(c.in, 0.8), c.out) << std::hex << c.in;
    EXPECT_EQ(EditorStyleFromGridStyle(0), 0x8u | 0x80u | 0x400000u);
    EXPECT_EQ(EditorStyleFromGridStyle(GRID_MARK_LINE_END | GRID_MARK_TAB | GRID_MARK_SPACE | GRID_MARK_WIDE_SPACE |
                                       GRID_INVERT_HIGHLIGHT | GRID_EDITOR_IME_CARET | GRID_CTRL_KEYS),
              0x8u | 0x80u | 0x1u | 0x2u | 0x100000u | 0x200u | 0x800000u | 0x10u);
}

}  // namespace
