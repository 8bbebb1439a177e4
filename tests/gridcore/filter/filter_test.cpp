// The filter over a model (text and regex conditions, its failures, sorting
// through it, memory failures) and the paste and fill routines on an
// editable model.
#include <gtest/gtest.h>

#include <string>

#include "../grid_test_model.h"
#include "grid/core/grid_edit_ops.h"
#include "grid/core/grid_filter.h"

namespace {

TestGridModel Fruits() {
    return TestGridModel(2, {{u"apple", u"1"}, {u"Banana", u"2"}, {u"cherry", u"3"}, {u"ＢＡＮＡＮＡ", u"4"},
                             {u"apricot", u"5"}});
}

// The source rows the filter shows, joined by ','.
std::string Rows(CGridData& source) {
    std::string out;
    CGridData_Filter* f = source.GetFilter();
    if (!f) return "none";
    for (int r = 0; r < f->GetRowCount(); ++r) out += (r ? "," : "") + std::to_string(f->MapRow(r));
    return out;
}

TEST(GridFilter, KeepsTheMatchingRowsByTextOrRegex) {
    struct Case {
        const char* what;
        const char16_t* pattern;
        bool matchCase, matchWidth, regex;
        std::string rows;
    };
    const Case cases[] = {
        {"plain, case folded", u"an", false, true, false, "1"},
        {"plain, width and case folded", u"banana", false, false, false, "1,3"},
        {"case kept", u"banana", true, false, false, ""},
        {"regex", u"^ap", false, true, true, "0,4"},
        {"regex alternatives", u"y$|^B", true, true, true, "1,2"},
        {"regex special chars taken as text when plain", u"^ap", false, true, false, ""},
    };
    for (const Case& c : cases) {
        TestGridModel m = Fruits();
        int count = -1;
        std::u16string message;
        EXPECT_EQ(m.FilterData(0, c.pattern, c.matchCase, c.matchWidth, c.regex, &count, &message, false), 0)
            << c.what;
        EXPECT_EQ(Rows(m), c.rows) << c.what;
        EXPECT_EQ(count, m.GetFilter()->GetRowCount()) << c.what;
        EXPECT_TRUE(m.IsFilterActive());
    }
}

TEST(GridFilter, ShowsTheSourceThroughItsRows) {
    TestGridModel m = Fruits();
    int count;
    std::u16string message;
    ASSERT_EQ(m.FilterData(0, u"^a", false, true, true, &count, &message, true), 0);
    CGridData_Filter& f = *m.GetFilter();
    EXPECT_EQ(count, 2);
    EXPECT_EQ(std::u16string(f.GetCellText(1, 1)), u"5");
    EXPECT_EQ(std::u16string(f.GetRowHeaderText(0)), u"      1");
    EXPECT_EQ(f.GetColCount(), 2);
    EXPECT_EQ(&f.Disp(), &m.Disp());
    f.SetColWidth(1, 40);
    EXPECT_EQ(m.GetColWidth(1), 40);
    // A write goes to the source row; a row outside the list is refused,
    // never written over source row 0.
    EXPECT_EQ(f.SetCellText(1, 1, u"five", -1), 0);
    EXPECT_EQ(m.Cell(4, 1), u"five");
    EXPECT_NE(f.SetCellText(2, 1, u"lost", -1), 0);
    EXPECT_FALSE(f.IsCellEditable(-1, 0));
    EXPECT_EQ(m.Cell(0, 1), u"1");
    std::u16string other;
    EXPECT_EQ(f.FilterData(0, u"a", false, false, false, &count, &other, false), 1);
    EXPECT_EQ(other, u"DO NOT USE CGridData_Filter::FilterData");

    m.m_curCell = {1, 3};
    m.EndFilter();
    EXPECT_FALSE(m.IsFilterActive());
    EXPECT_EQ(m.m_curCell, (GridCell{0, 0}));
    m.DropFilter();
    EXPECT_EQ(m.GetFilter(), nullptr);
}

TEST(GridFilter, FailuresSayWhyAndKeepWhatWasThere) {
    TestGridModel m = Fruits();
    int count = 9;
    std::u16string message;
    ASSERT_EQ(m.FilterData(0, u"an", false, true, false, &count, &message, true), 0);
    struct Case {
        std::u16string pattern;
        bool regex;
        bool failWhenEmpty;
        std::u16string message;
    };
    const Case cases[] = {
        {u"(", true, true, u"不正な正規表現です"},
        {std::u16string(1024, u'a'), false, true, u"検索条件の文字列が長すぎます"},
        {u"zzz", false, true, u"フィルタの条件に一致するレコードがありません"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m.FilterData(0, c.pattern.c_str(), false, true, c.regex, &count, &message, c.failWhenEmpty), 1);
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(Rows(m), "1");  // the earlier rows stay
    }
    EXPECT_EQ(m.FilterData(0, std::u16string(1023, u'a').c_str(), false, true, false, &count, &message, false), 0);
    EXPECT_EQ(Rows(m), "");
    EXPECT_EQ(m.FilterData(0, u"zzz", false, true, false, &count, &message, false), 0);
    EXPECT_EQ(m.GetFilter()->GetRowCount(), 0);

    TestGridModel empty(2, 0);
    EXPECT_EQ(empty.FilterData(0, u"a", false, true, false, &count, &message, true), 1);
    EXPECT_EQ(message, u"データがありません");
    EXPECT_EQ(empty.GetFilter(), nullptr);  // made by this call, dropped again
}

TEST(GridFilter, RunsOutOfMemoryCleanly) {
    // Every allocation failing in turn: either the run succeeds or it says
    // so and the filter shows a whole earlier list or none at all.
    for (int allowed = 0; allowed < 40; ++allowed) {
        TestGridModel m = Fruits();
        int count;
        std::u16string message;
        ASSERT_EQ(m.FilterData(0, u"a", false, true, false, &count, &message, false), 0);
        int r;
        {
            FailingAllocations some(allowed);
            r = m.FilterData(0, u"^(ap|ch)", false, true, true, &count, &message, false);
        }
        if (r == 0) {
            EXPECT_EQ(Rows(m), "0,2,4");
            break;
        }
        EXPECT_FALSE(message.empty());
        const std::string rows = Rows(m);
        EXPECT_TRUE(rows == "0,1,4" || rows == "") << allowed << " " << rows;
        for (int row = 0; row < m.GetFilter()->GetRowCount(); ++row) m.GetFilter()->GetCellText(row, 0);
    }
}

TEST(GridFilter, SortThroughItKeepsShowingTheSameRows) {
    // The model keeps no row marks: the filter must follow its rows itself.
    TestGridModel m(1, {{u"pear"}, {u"apple"}, {u"plum"}, {u"fig"}, {u"peach"}, {u"kiwi"}});
    int count;
    std::u16string message;
    ASSERT_EQ(m.FilterData(0, u"^p", false, true, true, &count, &message, true), 0);
    CGridData_Filter& f = *m.GetFilter();
    const int col = 0, dir = 1;
    f.Sort(&col, &dir, 1);
    EXPECT_EQ(m.Column(0), u"apple|fig|kiwi|peach|pear|plum");
    ASSERT_EQ(f.GetRowCount(), 3);
    EXPECT_EQ(std::u16string(f.GetCellText(0, 0)), u"peach");
    EXPECT_EQ(std::u16string(f.GetCellText(1, 0)), u"pear");
    EXPECT_EQ(std::u16string(f.GetCellText(2, 0)), u"plum");
}

struct PasteCase {
    const char* what;
    std::u16string text;
    GridCell cur;
    GridCell selFirst, selSecond;  // selFirst.row -1: none
    std::vector<std::u16string> columns;  // each column joined by '|'
};

TEST(GridPaste, FillsCellsFromTabSeparatedText) {
    const PasteCase cases[] = {
        {"two lines from the current cell", u"a\tb\r\nc\td", {1, 1}, {0, -1}, {0, -1},
         {u"|||", u"|a|c|", u"|b|d|"}},
        {"repeated over a selection", u"x", {0, 0}, {0, 1}, {1, 3}, {u"|x|x|x", u"|x|x|x", u"|||"}},
        {"first line widens a narrow selection", u"p\tq", {0, 0}, {0, 0}, {0, 1},
         {u"p|p||", u"q|q||", u"|||"}},
        {"fields past the last column skipped", u"a\tb\tc\td\ne", {1, 2}, {0, -1}, {0, -1},
         {u"|||", u"||a|e", u"||b|"}},
        {"stops at the last row", u"1\n2\n3\n4\n5", {2, 2}, {0, -1}, {0, -1}, {u"|||", u"|||", u"||1|2"}},
        {"quoted field with a line end", u"\"x\r\ny\"\tz\r\n", {0, 0}, {0, -1}, {0, -1},
         {u"x\r\ny|||", u"z|||", u"|||"}},
        {"read-only column untouched", u"a\tb\tc", {0, 0}, {0, -1}, {0, -1}, {u"a|||", u"|||", u"c|||"}},
        {"refused text left out", u"ok\tno?", {0, 3}, {0, -1}, {0, -1}, {u"|||ok", u"|||", u"|||"}},
    };
    for (const PasteCase& c : cases) {
        TestGridModel m(3, 4);
        if (std::string(c.what) == "read-only column untouched") m.readOnlyCol = 1;
        m.m_curCell = c.cur;
        m.m_sel.first = c.selFirst;
        m.m_sel.second = c.selSecond;
        EXPECT_EQ(m.PasteText(c.text.c_str()), 0);
        for (int col = 0; col < 3; ++col) EXPECT_EQ(m.Column(col), c.columns[std::size_t(col)]) << c.what << " col " << col;
        EXPECT_EQ(m.begins, 1) << c.what;
        EXPECT_EQ(m.ends, 1) << c.what;
    }
    TestGridModel m(3, 4);
    EXPECT_EQ(m.PasteText(u""), 0);
    EXPECT_EQ(m.begins, 0);
    // The widened selection is stored.
    m.m_sel.first = {0, 0};
    m.m_sel.second = {0, 1};
    m.PasteText(u"a\tb\tc\td");
    EXPECT_EQ(m.m_sel.second.col, 2);
}

TEST(GridPaste, ALongFieldIsCutAtTheBuffer) {
    TestGridModel m(2, 1);
    const std::size_t units = kPasteFieldBytes / sizeof(char16_t);
    std::u16string text(units + 100, u'w');
    text += u"\tnext";
    m.PasteText(text.c_str());
    EXPECT_EQ(m.Cell(0, 0).size(), units - 1);
    EXPECT_EQ(m.Cell(0, 1), u"next");
    {
        FailingAllocations none(0);
        TestGridModel n(1, 1);
        EXPECT_EQ(n.PasteText(u"x"), 0);
        EXPECT_EQ(n.Cell(0, 0), u"");
        EXPECT_EQ(n.begins, n.ends);
    }
}

TEST(GridFill, SetsEditableCellsOnceAndOnlyWhenNeeded) {
    TestGridModel m(3, 3);
    m.readOnlyCol = 1;
    EXPECT_EQ(GridFillRange(m, {2, 0}, {0, 1}, u"zz", -1), 0);
    EXPECT_EQ(m.Column(0), u"zz|zz|");
    EXPECT_EQ(m.Column(1), u"||");
    EXPECT_EQ(m.Column(2), u"zz|zz|");
    EXPECT_EQ(m.begins, 1);
    EXPECT_EQ(GridFillRange(m, {0, 0}, {2, 1}, u"zzz", 2), 0);  // the same text already
    EXPECT_EQ(m.begins, 1);
    EXPECT_EQ(GridFillRange(m, {0, 2}, {0, 1}, u"q", -1), 0);  // rows running up: nothing
    EXPECT_EQ(m.Column(0), u"zz|zz|");
    EXPECT_EQ(GridFillRange(m, {0, 0}, {0, 2}, u"", 0), 0);
    EXPECT_EQ(m.Column(0), u"||");
}

}  // namespace
