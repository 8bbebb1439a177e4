// The platform-free side of the editing window's input: rows and pixels of
// caret positions, scrolling the caret into view, the selection's anchor and
// repaint ranges, box columns with TABs and wide characters,
// the bold bracket pair and the bounded reading of foreign text blocks.
// The fake font is 8 px below U+0100 and 16 px above; a TAB stop is 32 px.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "editctrl/core/bracket_pair.h"
#include "editctrl/core/caret_geometry.h"
#include "editctrl/core/selection_model.h"
#include "editctrl/core/transfer_text.h"
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "textengine/edit_data.h"
#include "textengine/syntax_rules.h"

namespace {

struct Text : ::testing::Test {
    CFakeTextMetrics font;
    CEditData d;
    CEditDispData& disp = d.GetDispData();

    Text() {
        disp.widths.Init(&font);
        disp.metrics = &font;
    }
    void Set(const char16_t* text, int wrapWidth = INT_MAX) {
        d.InsertText(text, 1);
        d.SetCaretPos(0, 0);
        disp.wrapWidth = wrapWidth;
        for (int i = 0; i < d.GetLineCount(); ++i) d.CalcLineWrap(i, &font);
    }
    LineRows Line(int i) { return d.GetLineRows(i); }
};

TEST_F(Text, RowsOfAWrappedLineAndTheContinuationStart) {
    Set(u"abcdefghij", 32);  // four characters a row: rows start at 0, 4, 8
    const LineRows rec = Line(0);
    ASSERT_EQ(rec.count, 3);
    struct Case {
        int column;
        bool preferPrevious;
        int row;
    } cases[] = {{0, false, 0}, {3, false, 0}, {4, false, 1}, {4, true, 0}, {7, true, 1},
                 {8, true, 1},  {10, false, 2}, {10, true, 2}, {0, true, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(caretgeom::RowOfColumn(rec, c.column, c.preferPrevious), c.row) << c.column << c.preferPrevious;
    EXPECT_EQ(caretgeom::RowStart(rec, 1), 4);
    EXPECT_EQ(caretgeom::RowEnd(rec, 1), 8);
    EXPECT_EQ(caretgeom::RowEnd(rec, 2), 10);
    // End on the middle row stays on it: its end pixel is the row's full width.
    EXPECT_EQ(caretgeom::PixelInRow(rec, 0, 4, disp.widths, &font), 32);
}

TEST_F(Text, PixelsAndHitsWithTabsAndWideCharacters) {
    Set(u"a\tあb");  // a 0-8, TAB 8-32, あ 32-48, b 48-56
    const LineRows rec = Line(0);
    struct Case {
        int column, pixel;
    } columns[] = {{0, 0}, {1, 8}, {2, 32}, {3, 48}, {4, 56}};
    for (const Case& c : columns) EXPECT_EQ(caretgeom::PixelInRow(rec, 0, c.column, disp.widths, &font), c.pixel);
    struct Hit {
        int pixel, column;
    } hits[] = {{-5, 0}, {3, 0}, {4, 1}, {19, 1}, {20, 2}, {39, 2}, {40, 3}, {55, 4}, {500, 4}};
    for (const Hit& h : hits)
        EXPECT_EQ(caretgeom::ColumnAtPixel(rec, 0, h.pixel, disp.widths, &font), h.column) << h.pixel;
}

TEST_F(Text, AHitPastAWrappedRowStaysOnThatRow) {
    Set(u"abcdefghij", 32);
    const LineRows rec = Line(0);
    EXPECT_EQ(caretgeom::ColumnAtPixel(rec, 0, 500, disp.widths, &font), 4);
    EXPECT_EQ(caretgeom::ColumnAtPixel(rec, 1, 9, disp.widths, &font), 5);
    EXPECT_EQ(caretgeom::ColumnAtPixel(rec, 2, 500, disp.widths, &font), 10);
}

TEST(CaretGeometry, ScrollKeepsTheCaretAwayFromTheEdges) {
    using caretgeom::EnsureVisibleDelta;
    struct Case {
        int column, row, hpos, vpos, columns, rows;
        bool extraLastRow;
        int dx, dy;
    } cases[] = {
        {5, 5, 0, 0, 20, 10, false, 0, 0},    // inside
        {5, 8, 0, 0, 20, 10, false, 0, 0},    // two rows from the bottom edge is still fine
        {5, 9, 0, 0, 20, 10, false, 0, 1},    // two rows kept below the caret
        {5, 9, 0, 0, 20, 10, true, 0, 2},     // three with the extra last row
        {5, 9, 0, 0, 20, 2, true, 0, 9},      // only two rows: two
        {5, 3, 0, 0, 20, 1, false, 0, 3},     // one row: the caret row itself
        {5, 2, 0, 7, 20, 10, false, 0, -5},   // above
        {30, 0, 0, 0, 20, 10, false, 12, 0},  // right: two columns kept
        {3, 0, 10, 0, 20, 10, false, -7, 0},  // left
    };
    for (const Case& c : cases) {
        const caretgeom::ScrollDelta d =
            EnsureVisibleDelta(c.column, c.row, c.hpos, c.vpos, c.columns, c.rows, c.extraLastRow);
        EXPECT_EQ(d.dx, c.dx) << c.column << "," << c.row;
        EXPECT_EQ(d.dy, c.dy) << c.column << "," << c.row;
    }
}

TEST_F(Text, ADoubleClickedWordStaysSelectedWhileTheSelectionGrowsEitherWay) {
    Set(u"one two three");
    disp.selAnchor = {4, 0};
    disp.initialRange[0] = {4, 0};
    disp.initialRange[1] = {7, 0};
    EditPos caret = selmodel::ExtendTo(disp, {1, 0});  // backwards: the word's end anchors
    EXPECT_EQ(disp.selStart, (EditPos{1, 0}));
    EXPECT_EQ(disp.selEnd, (EditPos{7, 0}));
    EXPECT_EQ(caret, (EditPos{1, 0}));
    caret = selmodel::ExtendTo(disp, {11, 0});  // forwards: its start does
    EXPECT_EQ(disp.selStart, (EditPos{4, 0}));
    EXPECT_EQ(disp.selEnd, (EditPos{11, 0}));
    caret = selmodel::ExtendTo(disp, {5, 0});  // inside: exactly the word
    EXPECT_EQ(disp.selStart, (EditPos{4, 0}));
    EXPECT_EQ(disp.selEnd, (EditPos{7, 0}));
    EXPECT_EQ(caret, (EditPos{7, 0}));
    // Without an initial range the anchor stays.
    disp.initialRange[1] = {-1, -1};
    disp.selAnchor = {4, 0};
    selmodel::ExtendTo(disp, {2, 0});
    EXPECT_EQ(disp.selStart, (EditPos{2, 0}));
    EXPECT_EQ(disp.selEnd, (EditPos{4, 0}));
}

TEST(SelectionModel, RepaintCoversOnlyLinesThatChanged) {
    using Spans = std::vector<std::pair<int, int>>;
    // None before: the new range.
    EXPECT_EQ(selmodel::StreamRedrawLines({-1, -1}, {-1, -1}, {0, 3}, {2, 9}, 3), (Spans{{3, 9}}));
    // Grown by one line at the end of a long selection: the old and new end lines and the anchor.
    EXPECT_EQ(selmodel::StreamRedrawLines({0, 10}, {4, 50}, {0, 10}, {4, 51}, 10), (Spans{{10, 10}, {50, 51}}));
    // Shrunk from 40 to 20: the lines that left it.
    EXPECT_EQ(selmodel::StreamRedrawLines({0, 10}, {0, 40}, {0, 10}, {0, 20}, 10), (Spans{{10, 10}, {20, 40}}));
    // Flipped over the anchor: both sides.
    EXPECT_EQ(selmodel::StreamRedrawLines({0, 10}, {0, 12}, {0, 8}, {0, 10}, 10), (Spans{{8, 12}}));
}

TEST_F(Text, PositionsInsideStreamAndBoxSelections) {
    Set(u"abcdef\nabcdef\nabcdef");
    disp.selStart = {2, 0};
    disp.selEnd = {4, 2};
    struct Case {
        EditPos pos;
        bool inclusive, inside;
    } stream[] = {{{1, 0}, false, false}, {{2, 0}, false, true}, {{0, 1}, false, true},
                  {{3, 2}, false, true},  {{4, 2}, false, false}, {{4, 2}, true, true}, {{5, 2}, true, false}};
    for (const Case& c : stream)
        EXPECT_EQ(selmodel::Contains(d, c.pos, c.inclusive), c.inside) << c.pos.column << "," << c.pos.line;
    disp.boxSelection = 1;
    disp.boxX[0] = 16;  // columns 2..4 of every line
    disp.boxX[1] = 32;
    EXPECT_TRUE(selmodel::Contains(d, {2, 1}, false));
    EXPECT_TRUE(selmodel::Contains(d, {4, 1}, false));
    EXPECT_FALSE(selmodel::Contains(d, {5, 1}, false));
    EXPECT_FALSE(selmodel::Contains(d, {1, 0}, false));
}

TEST_F(Text, BoxColumnsFollowPixelsOverTabsAndWideCharacters) {
    // Pixels 16..48 of each line.
    Set(u"abcdefgh\n\tx\nあいうえ\nab");
    disp.selStart = {0, 0};
    disp.selEnd = {0, 3};
    disp.boxSelection = 1;
    disp.boxX[0] = 48;
    disp.boxX[1] = 16;  // the edges in either order
    struct Case {
        int line, from, to;
    } cases[] = {{0, 2, 6}, {1, 1, 2}, {2, 1, 3}, {3, 2, 2}};
    for (const Case& c : cases) {
        int from, to;
        d.GetBoxColumns(c.line, from, to);
        EXPECT_EQ(from, c.from) << c.line;
        EXPECT_EQ(to, c.to) << c.line;
    }
    EXPECT_EQ(d.GetBoxSelectionString(), u"cdef\nx\nいう\n\n");
}

TEST(SelectionModel, AMovedTextLandsWhereThePointerWasAfterTheRemoval) {
    // Stream [2,0]-[5,1] removed.
    struct Case {
        EditPos target, landed;
    } stream[] = {
        {{1, 0}, {1, 0}},  // before: unchanged
        {{7, 1}, {4, 0}},  // same line as the end: shifted by the selection's width
        {{5, 1}, {2, 0}},  // at the end
        {{3, 4}, {3, 3}},  // later lines move up
    };
    for (const Case& c : stream) EXPECT_EQ(selmodel::AfterStreamRemoval(c.target, {2, 0}, {5, 1}), c.landed);
    // Same line: "abcdef" moving [1,3) to column 5 lands at 3.
    EXPECT_EQ(selmodel::AfterStreamRemoval({5, 0}, {1, 0}, {3, 0}), (EditPos{3, 0}));
    // Box over lines 2..4, columns [3,6) on the target's line.
    EXPECT_EQ(selmodel::AfterBoxRemoval({8, 3}, 2, 4, 3, 6), (EditPos{5, 3}));
    EXPECT_EQ(selmodel::AfterBoxRemoval({2, 3}, 2, 4, 3, 6), (EditPos{2, 3}));
    EXPECT_EQ(selmodel::AfterBoxRemoval({8, 5}, 2, 4, 3, 6), (EditPos{8, 5}));
}

struct Brackets : ::testing::Test {
    CStrToken token;
    CEditData d;
    void Load(const char16_t* text) {
        LoadBuiltinLanguage(u"<cpp>", u"no such folder", token);
        d.SetSyntaxRules(&token);
        d.InsertText(text, 1);
        bool changed;
        d.UpdateLineStates(0, -1, 0, changed);
    }
    BracketPair At(int line, int column, EditPos first = {0, 0}, EditPos last = {-1, -1}) {
        return FindBracketPair(d, {column, line}, token, first, last);
    }
};

TEST_F(Brackets, TheNearestUnmatchedOpenerAndItsPartner) {
    Load(u"f(a[1], \")\" /* ] */ {b}) x");
    // Inside the call, after "a[1]": the parenthesis pair, skipping the quoted and commented closers.
    BracketPair p = At(0, 6);
    EXPECT_EQ(p.open, (EditPos{1, 0}));
    EXPECT_EQ(p.close, (EditPos{23, 0}));
    // Inside the index: the square pair wins, being nearer.
    p = At(0, 4);
    EXPECT_EQ(p.open, (EditPos{3, 0}));
    EXPECT_EQ(p.close, (EditPos{5, 0}));
    // Outside everything: nothing.
    p = At(0, 25);
    EXPECT_EQ(p.open.line, -1);
    EXPECT_EQ(p.close.line, -1);
}

TEST_F(Brackets, WithoutAnOpenerACloserAtOrAfterTheCaret) {
    Load(u"a) b]\nx}");
    BracketPair p = At(0, 1);  // at the closer
    EXPECT_EQ(p.open.line, -1);
    EXPECT_EQ(p.close, (EditPos{1, 0}));
    p = At(0, 2);  // the nearest unmatched one of any kind
    EXPECT_EQ(p.close, (EditPos{4, 0}));
    // Beyond the last visible position nothing is searched.
    p = At(0, 5, {0, 0}, {0, 1});
    EXPECT_EQ(p.close.line, -1);
}

TEST_F(Brackets, AnOpenerAboveTheFirstVisibleRowIsNotSeen) {
    Load(u"\n(\n\nx\n)");
    EXPECT_EQ(At(3, 0, {0, 2}).open.line, -1);
    EXPECT_EQ(At(3, 0, {0, 1}).open, (EditPos{0, 1}));
}

TEST_F(Brackets, ThePartnerOfTheBracketAtTheCaretOnlyInCode) {
    Load(u"f(a[1], \")\") { x(); }");
    struct Case {
        int column;
        char32_t ch;
        bool found;
        int partner;
    } cases[] = {
        {1, u'(', true, 11},   // the ")" in the string does not count
        {11, u')', true, 1},
        {13, u'{', true, 20},
        {3, u'[', true, 5},
        {9, u')', false, 0},   // inside the string
        {0, u'f', false, 0},   // no bracket
    };
    for (const Case& c : cases) {
        d.SetCaretPos(0, c.column);
        EditPos pos{-1, -1};
        EXPECT_EQ(FindMatchingBracketAtCaret(d, c.ch, pos), c.found) << c.column;
        if (c.found) {
            EXPECT_EQ(pos, (EditPos{c.partner, 0})) << c.column;
        }
    }
}

TEST(TransferText, ForeignBlocksAreReadWithinTheirSize) {
    const char16_t unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(transfer::TextOfBlock(unterminated, sizeof(unterminated)), u"abc");
    EXPECT_EQ(transfer::TextOfBlock(unterminated, 5), u"ab");  // an odd byte is dropped
    EXPECT_EQ(transfer::TextOfBlock(u"x\0y", 8), u"x");
    EXPECT_EQ(transfer::TextOfBlock(nullptr, 8), u"");
    const char narrow[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(transfer::NarrowLengthOfBlock(narrow, 4), 4u);
    EXPECT_EQ(transfer::NarrowLengthOfBlock("ab\0cd", 6), 2u);

    char marker[transfer::kBoxMarkerBytes];
    transfer::FillMarker(marker, true);
    EXPECT_TRUE(transfer::MarkerSaysBox(marker, sizeof(marker)));
    EXPECT_FALSE(transfer::MarkerSaysBox(marker, 6));  // "TRU" within the block's size
    const char16_t trueUnterminated[4] = {u'T', u'R', u'U', u'E'};
    EXPECT_TRUE(transfer::MarkerSaysBox(trueUnterminated, sizeof(trueUnterminated)));
    EXPECT_FALSE(transfer::MarkerSaysBox(u"TRUEX", 12));
    transfer::FillMarker(marker, false);
    EXPECT_FALSE(transfer::MarkerSaysBox(marker, sizeof(marker)));
}

TEST(TransferText, LinksOpenAsWebOrMailAddresses) {
    EXPECT_EQ(transfer::LinkAddress(u"www.example.jp/a"), u"http://www.example.jp/a");
    EXPECT_EQ(transfer::LinkAddress(u"https://example.jp"), u"https://example.jp");
    EXPECT_EQ(transfer::LinkAddress(u"ftp://example.jp"), u"ftp://example.jp");
    EXPECT_EQ(transfer::LinkAddress(u"user@example.jp"), u"mailto:user@example.jp");
}

}  // namespace
