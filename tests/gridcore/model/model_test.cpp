// The grid's model: the default model, column-width words, the pointer
// table growing from empty and surviving failed allocations, listeners,
// row headers, sorting, column search, measuring and the selection test.
// The fake font is 8 px below U+0100 and 16 px above.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>

#include "../grid_test_model.h"
#include "grid/core/grid_data.h"
#include "grid/core/ptr_grid_data.h"
#include "textengine/regex/regex.h"

namespace {

TEST(GridDefaultModel, ShowsHundredColumnsOfTestAndThousandRowsOfData) {
    CGridData& d = DefaultGridData();
    EXPECT_EQ(d.GetColCount(), 100);
    EXPECT_EQ(d.GetRowCount(), 1000);
    EXPECT_EQ(std::u16string(d.GetCellText(999, 99)), u"data");
    EXPECT_EQ(std::u16string(d.GetColTitle(5)), u"test");
    EXPECT_EQ(std::u16string(d.GetRowHeaderText(0)), u"     1");
    EXPECT_EQ(std::u16string(d.GetRowHeaderText(999)), u"  1000");
    EXPECT_EQ(&DefaultGridData(), &d);
    EXPECT_FALSE(d.IsEditable());
}

TEST(GridWidthWords, FollowVisibilityWidthAndLimits) {
    struct Case {
        const char* what;
        int col, set, width;
        std::uint16_t word;
    };
    const Case cases[] = {
        {"new word", 1, INT_MIN, 100, 0x8064},
        {"shown with 50", 1, 50, 50, 0x8032},
        {"hidden keeps the width", 1, 0, 0, 0x0032},
        {"negative hides too", 1, -3, 0, 0x0032},
        {"shown again", 1, 70, 70, 0x8046},
        {"largest width", 1, 0x7FFF, 0x7FFF, 0xFFFF},
        {"too wide is clamped, not spilt into the hidden bit", 1, 40000, 0x7FFF, 0xFFFF},
        {"past the words ignored", 3, 50, 100, 0},
        {"negative column", -1, 50, 100, 0},
    };
    CGridData d;
    ASSERT_TRUE(d.GrowWidthWords(3));
    for (const Case& c : cases) {
        if (c.set != INT_MIN) d.SetColWidth(c.col, c.set);
        EXPECT_EQ(d.GetColWidth(c.col), c.width) << c.what;
        EXPECT_EQ(d.GetWidthWord(c.col), c.word) << c.what;
    }
    // A word visible with width 0 reads back as 100.
    CGridData e;
    ASSERT_TRUE(e.GrowWidthWords(1));
    e.SetColWidth(0, 0);  // hidden, width 100 kept
    e.SetColVisible(0, true);
    EXPECT_EQ(e.GetColWidth(0), 100);
}

TEST(GridPtrTable, GrowsFromEmptyAndKeepsCellsAndWidths) {
    CPtrGridData t;
    ASSERT_EQ(t.Init(3, 0), 0);  // no room at all
    EXPECT_EQ(t.GetRowCapacity(), 0);
    const char16_t* texts[] = {u"a", u"b", u"c", u"d", u"e"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(t.AddRow(), 0) << i;
        t.SetCell(i, 1, texts[i]);
    }
    EXPECT_EQ(t.GetRowCount(), 5);
    EXPECT_EQ(t.GetRowCapacity(), 8);  // 1, 2, 4, 8
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::u16string(t.GetCellText(i, 1)), std::u16string(texts[i]));
        EXPECT_EQ(std::u16string(t.GetCellText(i, 0)), u"");
    }
    // Outside the table: the empty text, never a wild read.
    EXPECT_EQ(std::u16string(t.GetCellText(5, 0)), u"");
    EXPECT_EQ(std::u16string(t.GetCellText(0, 3)), u"");
    EXPECT_EQ(std::u16string(t.GetCellText(-1, -1)), u"");
    EXPECT_EQ(std::u16string(t.GetColName(2)), u"test");

    ASSERT_EQ(t.Init(8, 64), 0);
    t.SetColWidth(7, 33);
    ASSERT_EQ(t.Init(6, 64), 0);
    EXPECT_EQ(t.GetWidthWordCount(), 8);
    EXPECT_EQ(t.GetColWidth(7), 33);
    EXPECT_EQ(t.GetColCount(), 6);
    EXPECT_EQ(t.GetRowCount(), 0);

    for (int i = 0; i < 64; ++i) ASSERT_EQ(t.AddRow(), 0);
    t.SetCell(63, 5, u"last");
    EXPECT_EQ(t.GetRowCapacity(), 64);
    ASSERT_EQ(t.AddRow(), 0);
    EXPECT_EQ(t.GetRowCapacity(), 128);
    EXPECT_EQ(std::u16string(t.GetCellText(63, 5)), u"last");
    EXPECT_EQ(std::u16string(t.GetCellText(64, 5)), u"");
    t.ClearRows();
    EXPECT_EQ(t.GetRowCount(), 0);
}

TEST(GridPtrTable, AFailedGrowthKeepsTheRowsAndReportsIt) {
    CPtrGridData t;
    ASSERT_EQ(t.Init(2, 2), 0);
    for (int i = 0; i < 2; ++i) ASSERT_EQ(t.AddRow(), 0);
    t.SetCell(1, 1, u"kept");
    {
        FailingAllocations none(0);
        EXPECT_EQ(t.AddRow(), 1);
        EXPECT_EQ(t.Allocate(10, 2), 0);
        CPtrGridData other;
        EXPECT_EQ(other.Init(4, 4), 1);
        EXPECT_EQ(other.GetColCount(), 0);
        EXPECT_EQ(other.AddRow(), 1);
    }
    EXPECT_EQ(t.GetRowCount(), 2);
    EXPECT_EQ(t.GetRowCapacity(), 2);
    EXPECT_EQ(std::u16string(t.GetCellText(1, 1)), u"kept");
    ASSERT_EQ(t.AddRow(), 0);
    EXPECT_EQ(std::u16string(t.GetCellText(1, 1)), u"kept");
    // Each allocation of Init failing in turn leaves a usable empty table.
    for (int allowed = 0; allowed < 3; ++allowed) {
        CPtrGridData u;
        int r;
        {
            FailingAllocations some(allowed);
            r = u.Init(3, 4);
        }
        if (r == 0) {
            EXPECT_EQ(u.GetColCount(), 3);
        } else {
            EXPECT_EQ(u.GetColCount(), 0) << allowed;
            EXPECT_EQ(u.GetRowCount(), 0) << allowed;
        }
        EXPECT_EQ(u.AddRow() == 0 || r != 0, true);
    }
}

TEST(GridListeners, FourSlotsAtMost) {
    CGridData d;
    int windows[5];
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d.AddListener(&windows[i]), i);
    EXPECT_EQ(d.AddListener(&windows[4]), 4);
    EXPECT_EQ(d.RemoveListener(&windows[4]), 4);
    EXPECT_EQ(d.RemoveListener(&windows[1]), 1);
    EXPECT_EQ(d.GetListener(1), nullptr);
    EXPECT_EQ(d.AddListener(&windows[4]), 1);
}

TEST(GridSort, OrdersTextByUnitsAndNumbersByValue) {
    struct Case {
        const char* what;
        int type;
        int dir;
        std::vector<std::u16string> in;
        std::u16string out;
    };
    const Case cases[] = {
        {"text ascending", GRID_CELL_TEXT, 1, {u"a", u"B", u"9", u"10"}, u"10|9|B|a"},
        {"text descending", GRID_CELL_TEXT, -1, {u"a", u"B", u"ab", u""}, u"ab|a|B|"},
        {"numbers", GRID_CELL_NUMBER, 1, {u"10", u"2", u"-3", u"1.5", u"2"}, u"-3|1.5|2|2|10"},
        {"numbers, NULLs last", GRID_CELL_NUMBER, 1, {u"", u"10", u"", u"2"}, u"2|10||"},
        {"numbers descending", GRID_CELL_NUMBER, -1, {u"", u"10", u"2"}, u"|10|2"},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<std::u16string>> rows;
        for (const auto& s : c.in) rows.push_back({s});
        TestGridModel m(1, rows);
        m.types = {c.type};
        m.nullMeansEmpty = true;
        const int col = 0;
        m.Sort(&col, &c.dir, 1);
        EXPECT_EQ(m.Column(0), c.out) << c.what;
    }
    // A second key decides between equal first keys.
    TestGridModel m(2, {{u"b", u"2"}, {u"a", u"9"}, {u"b", u"1"}, {u"a", u"3"}});
    const int cols[] = {0, 1}, dirs[] = {1, -1};
    m.Sort(cols, dirs, 2);
    EXPECT_EQ(m.Column(1), u"9|3|2|1");
}

TEST(GridFindCol, SearchesNamesBothWaysAndWraps) {
    CPtrGridData t;
    ASSERT_EQ(t.Init(4, 1), 0);
    const char16_t* names[] = {u"id", u"name", u"kana", u"note"};
    for (int c = 0; c < 4; ++c) t.SetColName(c, names[c]);
    CompiledRegex* re = regex_compile(u"^n", 0);
    ASSERT_NE(re, nullptr);
    int col = -1;
    EXPECT_EQ(t.FindCol(3, &col, 1, 0, 0, false, re), 1);
    EXPECT_EQ(col, 1);  // wrapped past the last column
    EXPECT_EQ(t.FindCol(3, &col, 1, 0, 0, true, re), 1);
    EXPECT_EQ(col, 3);
    EXPECT_EQ(t.FindCol(1, &col, -1, 0, 0, false, re), 1);
    EXPECT_EQ(col, 3);  // down past 0, then from the last
    CompiledRegex* only = regex_compile(u"^name$", 0);
    EXPECT_EQ(t.FindCol(1, &col, 1, 0, 0, false, only), 0);  // the start itself is skipped
    regex_free(re);
    regex_free(only);
}

TEST(GridMeasure, WidthsLineEndsLimitsAndCancel) {
    CFakeTextMetrics font;
    TestGridModel m(1, {{u"ab"}, {u"日本語"}, {u"x\r\ny"}, {u"pad   "}, {u"\tz"}});
    m.Disp().widths.Init(&font);
    struct Case {
        const char16_t* text;
        int limit;
        int width;
    };
    const Case cases[] = {
        {u"ab", 1000, 16},
        {u"日本語", 1000, 48},
        {u"x\r\ny", 1000, 8 + 16},  // the line end leaves room for its arrow
        {u"abcdef", 20, 20},
        {u"\tz", 1000, 32 + 8},     // tab stops of 4 'x'
        {u"\U0001F600", 1000, 16},  // a pair is one character
    };
    for (const Case& c : cases) EXPECT_EQ(m.MeasureText(c.text, c.limit, &font), c.width) << int(c.text[0]);
    EXPECT_EQ(m.CalcColWidth(0, 1000, &font, nullptr), 48);
    EXPECT_EQ(m.CalcColWidth(0, 30, &font, nullptr), 30);
    const std::atomic<int> stop{1};
    EXPECT_EQ(m.CalcColWidth(0, 1000, &font, &stop), 0);
    TestGridModel padded(1, {{u"pad     "}, {u"ab  \r\nlonger line"}});
    padded.Disp().widths.Init(&font);
    EXPECT_EQ(padded.CalcColWidthTrimmed(0, 1000, &font, nullptr), 24);
    EXPECT_EQ(padded.CalcColWidth(0, 1000, &font, nullptr), 64);
}

TEST(GridSelectionState, InSelectionAndClampedCurrentCell) {
    TestGridModel m(3, 4);
    EXPECT_FALSE(m.IsInSelection(0, 0));  // (0,0)-(0,0) counts as none
    m.m_sel.first = {2, 1};
    m.m_sel.second = {0, 2};  // row-major: columns may run backwards
    EXPECT_TRUE(m.IsInSelection(1, 0));
    EXPECT_TRUE(m.IsInSelection(2, 2));
    EXPECT_FALSE(m.IsInSelection(3, 1));
    m.m_sel.first.row = -1;
    EXPECT_FALSE(m.IsInSelection(1, 1));

    m.ClampCurrentCell(7, -2);
    EXPECT_EQ(m.m_curCell, (GridCell{2, 0}));
    TestGridModel empty(2, 0);
    empty.ClampCurrentCell(1, 1);
    EXPECT_EQ(empty.m_curCell, (GridCell{1, -1}));
}

}  // namespace
