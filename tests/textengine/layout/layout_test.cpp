// Width table, measuring, hit-testing, row fitting and wrapping, and the
// growable int array, driven by the fake font (8 px below U+0100, else 16).
#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/textengine/edit_test_util.h"
#include "textengine/edit_data.h"
#include "textengine/int_buf.h"
#include "textengine/layout.h"
#include "textengine/edit_line_array.h"
#include "textengine/utf16.h"

namespace {

using edit_test::Text;

struct Layout : ::testing::Test {
    CFakeTextMetrics font;
    CEditData d;
    CCharWidthTable& table = d.GetDispData().widths;

    Layout() {
        table.Init(&font);
        d.GetDispData().metrics = &font;
    }
    void SetText(const char16_t* text) {
        d.InsertText(text, 1);
        d.ResetUndo();
    }
    int Width(const char16_t* text, int n = -1) { return CalcTextWidth(text, table, &font, n); }
    int IndexAt(const char16_t* text, int x) { return CalcCharIndexAtX(text, table, &font, x); }
    int Fit(const char16_t* text, int width) { return d.FitChars(text, width, &font); }
    std::vector<int> RowStarts(int line) {
        const LineRows rows = d.GetLineRows(line);
        return rows.starts ? std::vector<int>(rows.starts, rows.starts + rows.count - 1) : std::vector<int>();
    }
};

TEST_F(Layout, WidthTableMeasuresOnceAndKnowsSpecialCharacters) {
    EXPECT_EQ(table.GetWidth(&font, u'x'), 8);
    EXPECT_EQ(table.GetWidth(&font, u'\t'), 8);  // a TAB counts as 'x'
    EXPECT_EQ(table.GetWidth(&font, 0), 0);
    EXPECT_EQ(table.GetWidth(&font, 0xDC00), 0);  // second half of a pair
    EXPECT_EQ(table.FullWidth(), 16);
    EXPECT_FALSE(table.HasPitchCorrection());

    const int before = font.measured;
    EXPECT_EQ(table.GetWidth(&font, u'漢'), 16);
    EXPECT_EQ(table.GetWidth(&font, u'漢'), 16);
    EXPECT_EQ(font.measured, before + 1);
    EXPECT_EQ(table.GetWidth(nullptr, u'漢'), 16);  // cached widths need no font
    EXPECT_EQ(table.GetWidth(nullptr, u'字'), 0);   // others can't be measured

    // Above U+FFFF nothing is cached.
    table.GetWidth(&font, 0x1F600);
    table.GetWidth(&font, 0x1F600);
    EXPECT_EQ(font.measured, before + 3);
}

TEST_F(Layout, FixedPitchFontOnePixelShortIsWidened) {
    CFakeTextMetrics odd(8, 15, true);
    CCharWidthTable t;
    t.Init(&odd);
    EXPECT_TRUE(t.HasPitchCorrection());
    EXPECT_EQ(t.GetWidth(&odd, 0x3042), 16);
    EXPECT_EQ(t.GetWidth(&odd, u'漢'), 16);
    EXPECT_TRUE(t.IsWide(&odd, u'漢'));

    CFakeTextMetrics proportional(8, 15, false);
    t.Init(&proportional);
    EXPECT_FALSE(t.HasPitchCorrection());
    EXPECT_EQ(t.GetWidth(&proportional, u'漢'), 15);
}

TEST_F(Layout, TextWidthWithTabsSpacingAndPairs) {
    table.SetTabSize(4);
    struct Case {
        const char16_t* text;
        int n;
        int width;
    } cases[] = {
        {u"\tA", -1, 32 + 8},      // tab stop = 4 x width('x')
        {u"abcde\tx", -1, 64 + 8}, // to the next stop, from the text's start
        {u"aあ", -1, 24},
        {u"a\U0001F600b", -1, 32},  // a pair is one wide character
        {u"a\U0001F600b", 2, 8 + 16},  // a pair cut by n: its high half alone
        {u"abcdef", 3, 24},
        {u"", -1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Width(c.text, c.n), c.width) << c.n;

    table.SetCharSpacing(2);  // once per narrow character, twice per wide one
    EXPECT_EQ(Width(u"aあ"), 10 + 20);
    EXPECT_EQ(Width(u"\tA"), 40 + 10);
    EXPECT_EQ(Width(u"x", 0), 0);
}

// Widths of random texts (TABs, pairs whole and cut, characters measured
// and not yet, runs of ASCII) against the advance of each character in
// turn, with a fixed-pitch font and with one whose 'W' is wider.
TEST_F(Layout, TextWidthOfRandomTextsIsTheSumOfTheAdvances) {
    struct WideW : CFakeTextMetrics {
        int MeasureChar(char32_t cp) override { return cp == u'W' ? 13 : CFakeTextMetrics::MeasureChar(cp); }
    };
    const char16_t pool[] = {u'a', u'\t', u'W', 0x3042, 0x4E00, 0xFF76, 0xD842, 0xDFB7, 0x00E9, u' ',
                             u'x', u'y', u'z', u'0', u'.', u'~'};
    std::mt19937 rng(11);
    WideW wide;
    for (const auto& [m, spacing] : {std::pair<CTextMetrics*, int>{&font, 0}, {&font, 3}, {&wide, 0}, {&wide, 3}}) {
        table.Init(m);
        table.SetCharSpacing(spacing);
        for (int round = 0; round < 300; ++round) {
            std::u16string text;
            for (int k = static_cast<int>(rng() % 40); k > 0; --k) {
                // Mostly ASCII in every other text, so runs of eight and more occur.
                const std::size_t choices = round % 2 ? std::size(pool) : std::size(pool) + 30;
                const std::size_t c = rng() % choices;
                text += c < std::size(pool) ? pool[c] : char16_t(u'!' + c % 90);
            }
            // Now and then a character never measured before.
            if (rng() % 4 == 0) text.insert(text.begin() + rng() % (text.size() + 1), char16_t(0x5000 + round));
            const int n = static_cast<int>(rng() % (text.size() + 1));
            const int tabStop = table.TabStopWidth(m);
            int x = 0;
            for (int i = 0; i < n;) {
                if (text[i] == u'\t') {
                    x = (x / tabStop + 1) * tabStop;
                    ++i;
                } else if (i + 1 < n && utf16_is_pair(text.c_str() + i)) {
                    x += table.Advance(m, utf16_get_code_point(text.c_str() + i));
                    i += 2;
                } else {
                    x += table.Advance(m, text[i]);
                    ++i;
                }
            }
            ASSERT_EQ(CalcTextWidth(text.c_str(), table, m, n), x) << "spacing " << spacing << " round " << round;
            if (n == static_cast<int>(text.size())) {
                ASSERT_EQ(CalcTextWidth(text.c_str(), table, m), x);
            }
        }
    }
}

TEST_F(Layout, CharIndexAtXRoundsToTheNearestEdge) {
    table.SetTabSize(4);
    struct Case {
        const char16_t* text;
        int x;
        int index;
    } cases[] = {
        {u"abc", -5, 0}, {u"abc", 3, 0},  {u"abc", 4, 1},  {u"abc", 11, 1}, {u"abc", 12, 2},
        {u"abc", 24, 3}, {u"abc", 999, 3}, {u"あい", 7, 0},  {u"あい", 8, 1},  {u"あい", 24, 2},
        {u"\U0001F600a", 9, 2},  // never inside a pair
        {u"\tA", 15, 0}, {u"\tA", 16, 1}, {u"\tA", 36, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(IndexAt(c.text, c.x), c.index) << "x=" << c.x;
}

TEST_F(Layout, DisplayColumns) {
    table.SetTabSize(4);
    SetText(u"a\tあb\U0001F600c");
    const int expected[] = {0, 1, 4, 6, 7, 9, 9, 10};
    for (int col = 0; col <= 7; ++col) EXPECT_EQ(d.GetDisplayColumn(0, col, &font), expected[col]) << col;
    EXPECT_EQ(d.GetDisplayColumn(0, 100, &font), 10);
    EXPECT_EQ(d.GetDisplayColumn(5, 3, &font), 0);
}

TEST_F(Layout, FitCharsTakesWhatFitsAndTabsNeedTwoPixels) {
    table.SetTabSize(4);
    EXPECT_EQ(Fit(u"abcdef", 24), 3);
    EXPECT_EQ(Fit(u"abcdef", 23), 2);
    EXPECT_EQ(Fit(u"abc", 100), 3);
    EXPECT_EQ(Fit(u"ab\tc", 17), 2);
    EXPECT_EQ(Fit(u"ab\tc", 18), 3);  // taken with 2 pixels left, then reaches the stop at 32
    EXPECT_EQ(Fit(u"\U0001F600\U0001F600", 20), 2);
    EXPECT_EQ(Fit(u"あ", 10), 0);
}

TEST_F(Layout, FitCharsKeepsConfinementCharacters) {
    d.SetFirstConfinementStr(u"、。");
    d.SetLastConfinementStr(u"（「");
    struct Case {
        const char16_t* text;
        int width;
        int taken;
    } cases[] = {
        {u"あいう。えお", 48, 4},   // a row may not begin with 。: it comes along
        {u"あいう、。え", 48, 2},   // two of them: the row breaks one character earlier
        {u"あい（うえお", 48, 2},   // a row may not end with （
        {u"あい「", 48, 3},         // all of it fits: nothing to adjust
        {u"あ。いう", 16, 1},       // two units or fewer are never adjusted
    };
    for (const Case& c : cases) EXPECT_EQ(Fit(c.text, c.width), c.taken) << c.width;
}

TEST_F(Layout, WordWrapMovesShortWordsAndCutsLongOnes) {
    d.SetWordWrapAtWordEnds(true);
    const std::u16string ten = u"go " + std::u16string(10, u'w') + u" x";
    EXPECT_EQ(Fit(ten.c_str(), 8 * 8), 3);  // the word starts the next row
    const std::u16string fifty = u"go " + std::u16string(50, u'w');
    EXPECT_EQ(Fit(fifty.c_str(), 8 * 45), 45);  // 40 or more on the row: cut where it ends
    EXPECT_EQ(Fit(fifty.c_str(), 8 * 20), 3);   // 17 on the row: the word moves on
    EXPECT_EQ(Fit(std::u16string(10, u'w').c_str(), 8 * 4), 4);  // the row keeps its one word
    EXPECT_EQ(Fit(u"ab  cd", 8 * 3), 3);  // the break falls on a blank: nothing to move

    d.SetWordWrapAtWordEnds(false);
    EXPECT_EQ(Fit(ten.c_str(), 8 * 8), 8);
}

TEST_F(Layout, LineWrapStoresRowStarts) {
    SetText((u"abcdefgh\n\nabcdef\n" + std::u16string(30, u'z')).c_str());
    EXPECT_EQ(d.CalcLineWrap(0, &font), 1);  // no wrap width: one row
    d.GetDispData().wrapWidth = 24;
    EXPECT_EQ(d.CalcLineWrap(0, &font), 3);
    EXPECT_EQ(RowStarts(0), (std::vector<int>{3, 6}));
    EXPECT_EQ(d.CalcLineWrap(1, &font), 1);  // an empty line is one row
    EXPECT_EQ(d.CalcLineWrap(2, &font), 2);  // an exact fit adds no empty row
    EXPECT_EQ(d.CalcLineWrap(3, &font), 10);  // the array grows past its first four entries
    EXPECT_EQ(RowStarts(3), (std::vector<int>{3, 6, 9, 12, 15, 18, 21, 24, 27}));
    EXPECT_EQ(d.GetLineRowCount(3), 10);

    d.GetDispData().wrapWidth = 3;  // narrower than any character
    EXPECT_EQ(d.CalcLineWrap(0, &font), 8);
    EXPECT_EQ(RowStarts(0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    d.GetDispData().wrapWidth = INT_MAX;
    EXPECT_EQ(d.CalcLineWrap(0, &font), 1);
    EXPECT_EQ(d.CalcLineWrap(99, &font), 1);
}

TEST_F(Layout, RowStartsGoWithTheirLine) {
    SetText(u"x\nabcdefghij");
    d.GetDispData().wrapWidth = 32;
    ASSERT_EQ(d.CalcLineWrap(1, &font), 3);
    // Joining frees the wrapped line's record; the next new line may get the
    // same record back and must not inherit its rows.
    ASSERT_TRUE(d.DeleteText({1, 0}, {10, 1}, 1));
    d.SetCaretPos(0, 1);
    ASSERT_TRUE(d.InsertText(u"\nab", 1));
    ASSERT_EQ(d.GetLineText(1), std::u16string(u"ab"));
    EXPECT_EQ(d.GetLineRowCount(1), 1);
    EXPECT_EQ(RowStarts(1), std::vector<int>());
    // A line that fits again drops its starts.
    ASSERT_TRUE(d.InsertText(u"cdefghij", 1));
    ASSERT_EQ(d.CalcLineWrap(1, &font), 3);
    EXPECT_EQ(RowStarts(1), (std::vector<int>{4, 8}));
    d.GetDispData().wrapWidth = INT_MAX;
    EXPECT_EQ(d.CalcLineWrap(1, &font), 1);
    EXPECT_EQ(d.GetLineRows(1).starts, nullptr);
}

TEST_F(Layout, RowStartsFollowSortsSwapsAndTheirUndo) {
    SetText(u"zzzzzzzzzz\nb\naaaaaa");
    d.GetDispData().wrapWidth = 32;
    for (int i = 0; i < 3; ++i) d.CalcLineWrap(i, &font);
    auto rows = [&] {
        return std::vector<int>{d.GetLineRowCount(0), d.GetLineRowCount(1), d.GetLineRowCount(2)};
    };
    ASSERT_EQ(rows(), (std::vector<int>{3, 1, 2}));
    ASSERT_TRUE(d.SortLinesAscending(0, 2));  // aaaaaa, b, zzzzzzzzzz
    EXPECT_EQ(rows(), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(RowStarts(2), (std::vector<int>{4, 8}));
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(rows(), (std::vector<int>{3, 1, 2}));
    ASSERT_TRUE(d.Redo());
    EXPECT_EQ(rows(), (std::vector<int>{2, 1, 3}));
    ASSERT_TRUE(d.SwapLines(0, 1, 1));
    EXPECT_EQ(rows(), (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(rows(), (std::vector<int>{2, 1, 3}));
}

TEST_F(Layout, RowStartsShortOfMemoryKeepTheRestOfTheLineOnOneRow) {
    SetText(std::u16string(10000, u'z').c_str());
    d.GetDispData().wrapWidth = 24;  // 3334 rows: their starts outgrow the pool's blocks
    {
        edit_test::FailingAllocator fail;
        const int rows = d.CalcLineWrap(0, &font);
        EXPECT_LT(rows, 3334);
        const LineRows cut = d.GetLineRows(0);
        EXPECT_EQ(cut.count, rows);
        EXPECT_EQ(cut.End(rows - 1), 10000);  // the last row holds the rest
    }
    EXPECT_EQ(d.CalcLineWrap(0, &font), 3334);
    EXPECT_EQ(d.GetLineRows(0).Start(3333), 9999);
}

// Row starts stay with their lines through insertions and removals on
// either side of the gap, growth of the array, swaps and reorderings.
TEST(LineArray, RowStartsFollowTheirLines) {
    std::vector<CEditLine> records(400);
    CEditLineArray lines;
    std::vector<int> model;  // record index per line
    auto block = [](int tag) {
        auto* b = static_cast<int*>(mpool_alloc(&LineTextPool, 2 * sizeof(int)));
        b[0] = 2;
        b[1] = tag;
        return b;
    };
    auto check = [&] {
        ASSERT_EQ(lines.Count(), int(model.size()));
        for (int i = 0; i < lines.Count(); ++i) {
            ASSERT_EQ(lines.At(i), &records[std::size_t(model[std::size_t(i)])]) << i;
            const int* b = lines.WrapsAt(i);
            // Lines of even records wrap, and their block names the record.
            if (model[std::size_t(i)] % 2 == 0) {
                ASSERT_NE(b, nullptr) << i;
                ASSERT_EQ(b[1], model[std::size_t(i)]) << i;
            } else {
                ASSERT_EQ(b, nullptr) << i;
            }
        }
    };
    int next = 0;
    auto insert = [&](int at, int n) {
        std::vector<CEditLine*> recs;
        for (int k = 0; k < n; ++k) recs.push_back(&records[std::size_t(next + k)]);
        ASSERT_EQ(lines.Insert(at, recs.data(), n), 0);
        for (int k = 0; k < n; ++k) {
            model.insert(model.begin() + at + k, next + k);
            if ((next + k) % 2 == 0) {
                ASSERT_TRUE(lines.SetWraps(at + k, block(next + k)));
            }
        }
        next += n;
    };
    insert(0, 30);
    insert(10, 7);   // the gap moves back
    insert(35, 50);  // forward, and the arrays grow
    check();
    lines.Remove(3, 5);  // their blocks are freed
    model.erase(model.begin() + 3, model.begin() + 8);
    lines.Remove(60, 10);
    model.erase(model.begin() + 60, model.begin() + 70);
    insert(2, 3);
    check();
    // Appending after the last line: with the gap inside the text (it moves
    // to the end), at the end with room, and where the arrays must grow.
    auto append = [&](int n) {
        for (int k = 0; k < n; ++k) {
            ASSERT_EQ(lines.Append(&records[std::size_t(next)]), 0);
            model.push_back(next);
            if (next % 2 == 0) {
                ASSERT_TRUE(lines.SetWraps(lines.Count() - 1, block(next)));
            }
            ++next;
        }
    };
    append(1);
    append(120);
    check();
    lines.SwapLines(1, 40);
    std::swap(model[1], model[40]);
    std::vector<int> from(20);
    for (int i = 0; i < 20; ++i) from[std::size_t(i)] = (i * 7) % 20;
    ASSERT_EQ(lines.Reorder(5, 20, from.data()), 0);
    const std::vector<int> was(model.begin() + 5, model.begin() + 25);
    for (int i = 0; i < 20; ++i) model[std::size_t(5 + i)] = was[std::size_t(from[std::size_t(i)])];
    check();
    lines.DropWraps();
    for (int i = 0; i < lines.Count(); ++i) ASSERT_EQ(lines.WrapsAt(i), nullptr);
    lines.RemoveAll();
}

TEST_F(Layout, InsertBreaksAtWrapSplitsRowsInOneUndoStep) {
    SetText(u"abcdefgh\nijklmnop");
    d.GetDispData().wrapWidth = 24;
    d.CalcLineWrap(0, &font);
    d.CalcLineWrap(1, &font);

    EditPos to{7, 1};
    ASSERT_TRUE(d.InsertBreaksAtWrap({4, 0}, to));  // the row start at 3 lies before the range
    EXPECT_EQ(Text(d), u"abcdef\ngh\nijk\nlmn\nop");
    EXPECT_EQ(to, (EditPos{1, 4}));
    EXPECT_TRUE(edit_test::Consistent(d));

    d.Undo();
    EXPECT_EQ(Text(d), u"abcdefgh\nijklmnop");
    d.Redo();
    EXPECT_EQ(Text(d), u"abcdef\ngh\nijk\nlmn\nop");

    EditPos none{2, 0};
    EXPECT_TRUE(d.InsertBreaksAtWrap({0, 0}, none));  // no row start inside: nothing happens
    EXPECT_EQ(none, (EditPos{2, 0}));
}

TEST_F(Layout, RowsCoverTheLineWholeCharactersAndTheWidth) {
    // Random lines of narrow, wide, paired, TAB, blank and confinement
    // characters under every break rule: rows start after the previous one,
    // never inside a pair, and pass the width only with a single character
    // a character pulled back from the next row's start, or a last TAB
    // (taken with 2 pixels left, it reaches the next stop).
    const std::u16string pieces[] = {u"a", u"b", u"あ", u"\U0001F600", u"\t", u" ", u"。", u"（", u"word"};
    unsigned seed = 7;
    for (int round = 0; round < 300; ++round) {
        std::u16string line;
        const int n = 1 + int((seed = seed * 1103515245u + 12345u) >> 16) % 40;
        for (int i = 0; i < n; ++i) line += pieces[((seed = seed * 1103515245u + 12345u) >> 16) % 9];
        CEditData one;
        one.GetDispData().widths.Init(&font);
        one.SetFirstConfinementStr(u"。");
        one.SetLastConfinementStr(u"（");
        one.SetWordWrapAtWordEnds(round % 2 != 0);
        one.InsertText(line.c_str(), 1);
        const int width = 10 + round % 90;
        one.GetDispData().wrapWidth = width;
        const int rows = one.CalcLineWrap(0, &font);
        const LineRows cut = one.GetLineRows(0);
        ASSERT_EQ(cut.count, rows);
        std::vector<int> starts{0};
        for (int r = 0; r + 1 < rows; ++r) starts.push_back(cut.starts[r]);
        starts.push_back(cut.length);
        for (std::size_t r = 0; r + 1 < starts.size(); ++r) {
            const int from = starts[r], to = starts[r + 1];
            ASSERT_LT(from, to) << "round " << round;
            ASSERT_FALSE(utf16_is_low_surrogate(line[std::size_t(from)])) << "round " << round;
            const std::u16string row = line.substr(std::size_t(from), std::size_t(to - from));
            const int w = CalcTextWidth(row.c_str(), one.GetDispData().widths, &font);
            const int firstUnits = utf16_units_at(row.c_str());
            const bool allowed = row.back() == u'。' || row.back() == u'\t' || int(row.size()) == firstUnits;
            if (w > width && !allowed)
                ADD_FAILURE() << "round " << round << " row " << r << " is " << w << " px wide";
        }
    }
}

// A window skips measuring every line again while the buffer's layout
// generation stays: every change that can alter a width or a row must move
// it, and settings applied again unchanged must not.
TEST_F(Layout, LayoutGenerationMovesWithEveryChangeThatAltersTheLayout) {
    SetText(u"abc\ndef\nghi");
    struct Case {
        const char* what;
        void (*change)(CEditData& d, CCharWidthTable& table, CFakeTextMetrics& font);
    };
    const Case changes[] = {
        {"typing", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.TypeChar(u'x'); }},
        {"a line end", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.NewLine(); }},
        {"deleting", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.Backspace(); }},
        {"undo", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.Undo(); }},
        {"swapping lines", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.SwapLines(0, 2, 1); }},
        {"sorting", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.SortLinesAscending(0, 2); }},
        {"a line's new text", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) {
             CUndoGroupGuard group(d.GetUndo(), 0);
             d.BeginLineTexts(8);
             d.ExchangeLineText(1, u"wider text", 10);
         }},
        {"tab size", [](CEditData&, CCharWidthTable& t, CFakeTextMetrics&) { t.SetTabSize(t.TabSize() + 1); }},
        {"spacing", [](CEditData&, CCharWidthTable& t, CFakeTextMetrics&) { t.SetCharSpacing(t.CharSpacing() + 1); }},
        {"another font", [](CEditData&, CCharWidthTable& t, CFakeTextMetrics& f) { t.InitForFont(&f, "B", 1); }},
        {"word wrap", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.SetWordWrapAtWordEnds(true); }},
        {"confinement", [](CEditData& d, CCharWidthTable&, CFakeTextMetrics&) { d.SetLastConfinementStr(u"("); }},
    };
    for (const Case& c : changes) {
        const unsigned before = d.GetLayoutGeneration();
        c.change(d, table, font);
        EXPECT_NE(d.GetLayoutGeneration(), before) << c.what;
    }
    // The same settings again, and measuring, leave it.
    const unsigned before = d.GetLayoutGeneration();
    table.SetTabSize(table.TabSize());
    table.SetCharSpacing(table.CharSpacing());
    table.InitForFont(&font, "B", 1);
    d.SetWordWrapAtWordEnds(true);
    d.SetLastConfinementStr(u"(");
    d.SetFirstConfinementStr(u"");
    Width(d.GetLineText(1));
    d.CalcLineWrap(1, &font);
    EXPECT_EQ(d.GetLayoutGeneration(), before);
    // Another buffer's changes may move it (a line does not know its buffer)
    // but never move it back.
    CEditData other;
    other.InsertText(u"elsewhere", 1);
    EXPECT_NE(d.GetLayoutGeneration(), before);
}

TEST_F(Layout, SameFontKeepsItsMeasuredWidths) {
    CCharWidthTable t;
    CFakeTextMetrics f;
    EXPECT_TRUE(t.InitForFont(&f, "A", 1));
    t.GetWidth(&f, 0x4E00);
    const int measured = f.measured;
    EXPECT_FALSE(t.InitForFont(&f, "A", 1));
    t.GetWidth(&f, 0x4E00);
    EXPECT_EQ(f.measured, measured);  // cached still
    // A font with no key, or another, measures anew.
    t.Init(&f);
    EXPECT_TRUE(t.InitForFont(&f, "A", 1));
    CFakeTextMetrics wide(10, 20);
    EXPECT_TRUE(t.InitForFont(&wide, "B", 1));
    EXPECT_EQ(t.GetWidth(&wide, 0x4E00), 20);
}

TEST(IntBuf, GrowsByDoublingThenByFixedSteps) {
    CIntBuf buf;
    EXPECT_EQ(buf.Capacity(), 0);
    ASSERT_EQ(buf.Reserve(0), 1);
    EXPECT_EQ(buf.Capacity(), 1024);
    buf[1023] = 7;
    ASSERT_EQ(buf.Reserve(1024), 1);
    EXPECT_EQ(buf.Capacity(), 2048);
    EXPECT_EQ(buf[1023], 7);
    ASSERT_EQ(buf.Reserve(3000000), 1);
    EXPECT_EQ(buf.Capacity(), 3 * 1048576);
    EXPECT_EQ(buf.Reserve(5), 1);
    EXPECT_EQ(buf.Reserve(-1), 0);
    buf.Free();
    EXPECT_EQ(buf.Capacity(), 0);
    EXPECT_EQ(buf.Data(), nullptr);
}

// LINE_MODE's stored numbers: each mode keeps its own, and a number that is
// none wraps nowhere.
TEST(WrapModes, StoredNumbers) {
    for (WrapMode mode : {WrapMode::None, WrapMode::WindowWidth, WrapMode::FixedColumns})
        EXPECT_EQ(WrapModeFromNumber(WrapModeNumber(mode)), mode);
    EXPECT_EQ(WrapModeNumber(WrapMode::FixedColumns), 2);
    for (int none : {-1, 3, 100}) EXPECT_EQ(WrapModeFromNumber(none), WrapMode::None) << none;
}

}  // namespace
