// Buffer text commands: ranges and copies, box selections, line sort, word
// movement, indentation and width conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/textengine/edit_test_util.h"
#include "textengine/bytestream.h"
#include "textengine/edit_data.h"
#include "textengine/layout.h"

namespace {

using edit_test::Consistent;
using edit_test::Text;

struct Commands : ::testing::Test {
    CFakeTextMetrics font;
    CEditData d;

    Commands() {
        d.GetDispData().widths.Init(&font);
        d.GetDispData().metrics = &font;
    }
    void SetText(const std::u16string& text) {
        d.InsertText(text.c_str(), 1);
        d.ResetUndo();
        d.SetCaretPos(0, 0);
    }
    void SelectBox(int firstLine, int lastLine, int x0, int x1) {
        CEditDispData& disp = d.GetDispData();
        disp.selStart = {0, firstLine};
        disp.selEnd = {0, lastLine};
        disp.boxSelection = 1;
        disp.boxX[0] = x0;
        disp.boxX[1] = x1;
    }
    EditPos Caret() const { return d.GetCaretPos(); }
};

TEST_F(Commands, WordClasses) {
    struct Case {
        char32_t cp;
        int cls;
    } cases[] = {
        {0, 0},       {u'\t', 2},   {u' ', 2},    {u'\r', 1},    {u'a', 3},    {0xE9, 3},
        {0x3001, 1},  {0xFF0C, 1},  {u'あ', 12},  {u'ゟ', 12},  {u'カ', 13},  {u'ヿ', 13},
        {0x31F0, 13}, {0x30FC, 16}, {u'！', 10},  {u'［', 10},  {u'｀', 10},  {u'０', 11},
        {u'Ａ', 11},  {u'ｚ', 11},  {u'ｱ', 14},   {0xFF61, 14}, {u'漢', 15},  {0x1F600, 15},
    };
    for (const Case& c : cases) EXPECT_EQ(d.GetWordCharType(c.cp), c.cls) << std::hex << unsigned(c.cp);
}

TEST_F(Commands, LineRangesIncludeOneLineEnd) {
    EditPos from, to;
    SetText(u"abc");
    d.GetLineRange(0, 0, from, to);
    EXPECT_EQ(from, (EditPos{0, 0}));
    EXPECT_EQ(to, (EditPos{3, 0}));

    CEditData three;
    three.InsertText(u"ab\ncd\nef", 1);
    three.GetLineRange(0, 0, from, to);
    EXPECT_EQ(from, (EditPos{0, 0}));
    EXPECT_EQ(to, (EditPos{0, 1}));
    three.GetLineRange(2, 1, from, to);  // ends on the last line: takes the line end before
    EXPECT_EQ(from, (EditPos{2, 0}));
    EXPECT_EQ(to, (EditPos{2, 2}));
    three.DeleteText(from, to, 1);
    EXPECT_EQ(Text(three), u"ab");
}

TEST_F(Commands, CountsSizesAndCopies) {
    SetText(u"a\U0001F600\nbcd\n\nef");
    EXPECT_EQ(d.CountChars({0, 0}, {3, 0}), 2);  // a pair is one character
    EXPECT_EQ(d.CountChars({0, 0}, {2, 3}), 2 + 2 + 3 + 2 + 0 + 2 + 2);
    EXPECT_EQ(d.CountChars({2, 3}, {0, 0}), 13);  // either order
    EXPECT_EQ(d.CountChars({1, 1}, {99, 1}), 2);  // a column past the end counts to the end
    EXPECT_EQ(d.GetTextRange({1, 1}, {1, 3}), u"cd\r\n\r\ne");
    EXPECT_EQ(d.GetRangeSize({1, 1}, {1, 3}), (2 + 2 + 2 + 1 + 1) * sizeof(char16_t));
    EXPECT_EQ(d.GetText(), u"a\U0001F600\r\nbcd\r\n\r\nef");

    d.SetLineEndType(LineEndType::LF);
    EXPECT_EQ(d.CountChars({0, 0}, {2, 3}), 10);
    std::vector<char16_t> buf(d.GetRangeSize({0, 1}, {2, 3}) / sizeof(char16_t), u'#');
    d.CopyRange({0, 1}, {2, 3}, buf.data());
    EXPECT_EQ(std::u16string(buf.data()), u"bcd\n\nef");
    EXPECT_EQ(buf.back(), 0);  // the size is exact

    EXPECT_EQ(d.GetSelectedText(), u"");
    d.GetDispData().selStart = {1, 1};
    d.GetDispData().selEnd = {1, 1};
    EXPECT_EQ(d.GetSelectedText(), u"");
    d.GetDispData().selEnd = {3, 1};
    EXPECT_EQ(d.GetSelectedText(), u"cd");
}

TEST_F(Commands, BoxSelectionCopyAndDelete) {
    SetText(u"abcd\nefgh\nij\nあいう");
    SelectBox(0, 3, 24, 8);  // x in either order
    int s, e;
    d.GetBoxColumns(2, s, e);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 2);  // the line ends inside the box
    EXPECT_EQ(d.GetBoxSelectionString(), u"bc\nfg\nj\nい\n");
    EXPECT_EQ(d.GetBoxSelectionSize(), (2 + 2 + 1 + 1 + 4 * 2 + 1) * sizeof(char16_t));
    std::vector<char16_t> buf(d.GetBoxSelectionSize() / sizeof(char16_t));
    d.CopyBoxSelection(buf.data());
    EXPECT_EQ(std::u16string(buf.data()), u"bc\nfg\nj\nい\n");

    ASSERT_TRUE(d.DeleteBoxSelection());
    EXPECT_EQ(Text(d), u"ad\neh\ni\nあう");
    EXPECT_TRUE(Consistent(d));
    d.Undo();  // one step
    EXPECT_EQ(Text(d), u"abcd\nefgh\nij\nあいう");

    SelectBox(0, 1, 0, 16);
    EXPECT_EQ(d.GetBoxSelectionString(), u"ab\nef\n");
    SelectBox(0, 1, 8, 8);
    EXPECT_EQ(d.GetBoxSelectionString(), u"");  // an empty box
    d.GetDispData().ResetSelection();
    EXPECT_EQ(d.GetBoxSelectionString(), u"");
    EXPECT_EQ(d.GetBoxSelectionSize(), sizeof(char16_t));
}

TEST_F(Commands, BoxPasteFillsTheBoxAndTheLinesBelow) {
    struct Case {
        const char16_t* text;
        int x0, x1;
        const char16_t* rows;
        const char16_t* result;
    } cases[] = {
        // Three rows into a two-line box of no width: the third on a new line, padded.
        {u"abcd\nefgh", 16, 16, u"X\nY\nZ", u"abXcd\nefYgh\n  Z"},
        // A box with width is replaced; CR LF rows and a last LF.
        {u"abcd\nefgh", 8, 24, u"X\r\nY\r\n", u"aXd\neYh"},
        // Short lines are padded up to the box.
        {u"abcd\ne\n\nx", 24, 32, u"1\n2\n3\n4", u"abc1\ne  2\n   3\nx  4"},
        // An empty row leaves its line alone.
        {u"ab\ncd", 8, 8, u"X\n\nZ", u"aXb\ncd\n Z"},
    };
    for (const Case& c : cases) {
        CEditData box;
        box.GetDispData().widths.Init(&font);
        box.GetDispData().metrics = &font;
        box.InsertText(c.text, 1);
        box.ResetUndo();
        CEditDispData& disp = box.GetDispData();
        disp.selStart = {0, 0};
        disp.selEnd = {0, 1};
        disp.boxSelection = 1;
        disp.boxX[0] = c.x0;
        disp.boxX[1] = c.x1;
        ASSERT_TRUE(box.InsertBoxText(c.rows)) << c.x0;
        EXPECT_EQ(Text(box), c.result);
        EXPECT_TRUE(Consistent(box));
        box.Undo();
        EXPECT_EQ(Text(box), c.text) << "one undo step";
    }
}

TEST_F(Commands, BoxPasteWithoutABoxStartsAtTheCaret) {
    SetText(u"abc\nd");
    d.SetCaretPos(0, 1);
    ASSERT_TRUE(d.InsertBoxText(u"X\nY"));
    EXPECT_EQ(Text(d), u"aXbc\ndY");
}

TEST_F(Commands, InsertSpacesToPadsUpToADisplayColumn) {
    d.GetDispData().widths.SetTabSize(4);
    SetText(u"a\t\nあ\nabcdef");
    ASSERT_TRUE(d.InsertSpacesTo(0, 6));
    ASSERT_TRUE(d.InsertSpacesTo(1, 5));
    ASSERT_TRUE(d.InsertSpacesTo(2, 3));  // already beyond: unchanged
    EXPECT_EQ(Text(d), u"a\t  \nあ   \nabcdef");
    EXPECT_EQ(Caret(), (EditPos{6, 2}));
    EXPECT_FALSE(d.InsertSpacesTo(3, 3));
    EXPECT_FALSE(d.InsertSpacesTo(-1, 3));
}

TEST_F(Commands, SortIsByUnitValuesAndStable) {
    SetText(u"b\na\nB\na");
    const CEditLine* firstA = d.GetLine(1);
    const CEditLine* secondA = d.GetLine(3);
    ASSERT_TRUE(d.SortLinesAscending(0, 3));
    EXPECT_EQ(Text(d), u"B\na\na\nb");
    EXPECT_EQ(d.GetLine(1), firstA);  // equal lines keep their order
    EXPECT_EQ(d.GetLine(2), secondA);
    ASSERT_TRUE(d.SortLinesDescending(3, 0));
    EXPECT_EQ(Text(d), u"b\na\na\nB");
    EXPECT_EQ(d.GetLine(1), firstA);

    CEditData part;
    part.InsertText(u"z\nc\nb\na\n", 1);
    part.SortLinesAscending(1, 2);
    EXPECT_EQ(Text(part), u"z\nb\nc\na\n");
    part.SortLinesAscending(0, 99);  // clamped to the text
    EXPECT_EQ(Text(part), u"\na\nb\nc\nz");
    EXPECT_TRUE(Consistent(part));
}

TEST_F(Commands, SortIsOneUndoStep) {
    std::u16string text;
    for (int i = 0; i < 1000; ++i) text += std::u16string(1, char16_t(u'a' + (i * 7919) % 26)) + u"\n";
    text += u"end";
    SetText(text);
    ASSERT_TRUE(d.SortLinesDescending(0, 999));
    const std::u16string sorted = Text(d);
    ASSERT_NE(sorted, text);
    // The default store keeps one step: a sort recorded swap by swap could
    // not be undone whole.
    d.Undo();
    EXPECT_EQ(Text(d), text);
    EXPECT_FALSE(d.GetUndo()->CanUndo());
    EXPECT_FALSE(d.IsModified());
    d.Redo();
    EXPECT_EQ(Text(d), sorted);
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(Consistent(d));
}

TEST_F(Commands, SortMatchesAStableSortAndUndoesExactly) {
    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::u16string> lines(std::size_t(1 + rng() % 60));
        for (auto& l : lines) {
            const int len = int(rng() % 4);
            for (int i = 0; i < len; ++i) l += u"aAb\U0001F600\uFF41"[rng() % 6];
        }
        std::u16string text;
        for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? u"\n" : u"") + lines[i];
        CEditData s;
        s.InsertText(text.c_str(), 1);
        s.ResetUndo();
        const int a = int(rng() % lines.size()), b = int(rng() % lines.size());
        const bool down = rng() % 2;
        std::vector<const CEditLine*> before;
        for (int i = 0; i < s.GetLineCount(); ++i) before.push_back(s.GetLine(i));
        // The model: indices sorted stably by the texts.
        std::vector<int> idx;
        for (int i = std::min(a, b); i <= std::max(a, b); ++i) idx.push_back(i);
        std::stable_sort(idx.begin(), idx.end(), [&](int x, int y) {
            return down ? lines[std::size_t(y)] < lines[std::size_t(x)] : lines[std::size_t(x)] < lines[std::size_t(y)];
        });
        ASSERT_TRUE(down ? s.SortLinesDescending(a, b) : s.SortLinesAscending(a, b));
        for (std::size_t k = 0; k < idx.size(); ++k)
            ASSERT_EQ(s.GetLine(std::min(a, b) + int(k)), before[std::size_t(idx[k])]) << "round " << round;
        s.Undo();
        for (int i = 0; i < s.GetLineCount(); ++i) ASSERT_EQ(s.GetLine(i), before[std::size_t(i)]) << round;
        ASSERT_TRUE(Consistent(s));
    }
}

// Long lines that share prefixes of every length, many of them equal, and
// units at both ends of the range (U+0000 included, which must not pass for
// the end of a shorter line): the order and stability of a plain stable
// sort, in both directions, over groups large and small.
TEST_F(Commands, SortOfSharedPrefixesMatchesAStableSort) {
    std::mt19937 rng(36);
    const std::u16string stem = u"abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ";
    for (int round = 0; round < 12; ++round) {
        std::vector<std::u16string> lines(std::size_t(200 + rng() % 400));
        for (auto& l : lines) {
            l = stem.substr(0, std::size_t(rng() % 4 ? (rng() % 5) * 8 + rng() % 3 : rng() % stem.size()));
            for (int i = 0, n = int(rng() % 3); i < n; ++i) l += u"a\0\uFFFF"[rng() % 3];
        }
        std::u16string text;
        for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? u"\n" : u"") + lines[i];
        CEditData s;
        CMemoryStream in(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
        KanjiCode code = KanjiCode::UnicodeNoSig;
        LineEndType lineEnd = LineEndType::CRLF;
        ASSERT_TRUE(s.Load(in, code, lineEnd));
        ASSERT_EQ(s.GetLineCount(), int(lines.size()));
        const bool down = round % 2;
        std::vector<const CEditLine*> before;
        for (int i = 0; i < s.GetLineCount(); ++i) before.push_back(s.GetLine(i));
        std::vector<int> idx(lines.size());
        for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = int(i);
        std::stable_sort(idx.begin(), idx.end(), [&](int x, int y) {
            return down ? lines[std::size_t(y)] < lines[std::size_t(x)] : lines[std::size_t(x)] < lines[std::size_t(y)];
        });
        ASSERT_TRUE(down ? s.SortLinesDescending(0, s.GetLineCount() - 1) : s.SortLinesAscending(0, s.GetLineCount() - 1));
        for (std::size_t k = 0; k < idx.size(); ++k)
            ASSERT_EQ(s.GetLine(int(k)), before[std::size_t(idx[k])]) << "round " << round << " slot " << k;
        s.Undo();
        for (int i = 0; i < s.GetLineCount(); ++i) ASSERT_EQ(s.GetLine(i), before[std::size_t(i)]) << round;
    }
}

// Many copies of long lines that differ only far in, or are a prefix of one
// another: each group of copies is carried along unit by unit, in line order.
TEST_F(Commands, SortOfCopiesOfLongLinesMatchesAStableSort) {
    const std::u16string base(300, u'k');
    std::u16string later = base, last = base;
    later[250] = u'l';
    last[299] = u'j';
    const std::u16string kinds[] = {base, later, last, base.substr(0, 277), base + u"k"};
    std::mt19937 rng(5);
    std::vector<std::u16string> lines(2000);
    for (auto& l : lines) l = kinds[rng() % 5];
    std::u16string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? u"\n" : u"") + lines[i];
    for (bool down : {false, true}) {
        CEditData s;
        s.InsertText(text.c_str(), 1);
        std::vector<const CEditLine*> before;
        for (int i = 0; i < s.GetLineCount(); ++i) before.push_back(s.GetLine(i));
        std::vector<int> idx(lines.size());
        for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = int(i);
        std::stable_sort(idx.begin(), idx.end(), [&](int x, int y) {
            return down ? lines[std::size_t(y)] < lines[std::size_t(x)] : lines[std::size_t(x)] < lines[std::size_t(y)];
        });
        ASSERT_TRUE(down ? s.SortLinesDescending(0, s.GetLineCount() - 1) : s.SortLinesAscending(0, s.GetLineCount() - 1));
        for (std::size_t k = 0; k < idx.size(); ++k) ASSERT_EQ(s.GetLine(int(k)), before[std::size_t(idx[k])]) << k;
    }
}

TEST_F(Commands, SortOfEqualLinesStaysQuick) {
    // A quicksort around the middle line goes quadratic and recursion-deep here.
    constexpr int kLines = 200000;
    std::u16string text;
    text.reserve(kLines * 6);
    for (int i = 0; i < kLines; ++i) text += u"same\n";
    SetText(text);
    const CEditLine* first = d.GetLine(0);
    ASSERT_TRUE(d.SortLinesAscending(0, kLines - 1));
    EXPECT_EQ(d.GetLine(0), first);
    EXPECT_FALSE(d.GetUndo()->CanUndo());  // nothing moved: no step
    EXPECT_FALSE(d.IsModified());

    ASSERT_TRUE(d.SortLinesAscending(0, kLines));  // the empty last line goes first
    EXPECT_EQ(d.GetLine(1), first);
    EXPECT_EQ(d.GetLineLength(0), 0);
    d.Undo();
    EXPECT_EQ(d.GetLine(0), first);
    EXPECT_EQ(d.GetLineLength(kLines), 0);
}

TEST_F(Commands, MoveWordFollowsCharacterClasses) {
    SetText(u"かなカナー漢字\nfoo  bar、x\nーかカ");
    struct Step {
        int n;
        EditPos after;
    } steps[] = {
        {1, {2, 0}}, {1, {5, 0}},  // ー joins the katakana run
        {1, {7, 0}}, {1, {0, 1}},  // over the line end
        {1, {3, 1}}, {1, {5, 1}}, {1, {8, 1}}, {1, {9, 1}}, {1, {10, 1}},
        {0, {9, 1}}, {0, {8, 1}}, {0, {5, 1}}, {0, {3, 1}}, {0, {0, 1}},
        {0, {7, 0}},  // from column 0 to the end of the line above
        {0, {5, 0}}, {0, {2, 0}}, {0, {0, 0}}, {0, {0, 0}},
    };
    for (const Step& s : steps) {
        d.MoveWord(s.n);
        EXPECT_EQ(Caret(), s.after) << s.n;
    }
    // A prolonged sound mark takes the class of what it joins.
    d.SetCaretPos(2, 0);
    d.MoveWord(1);
    EXPECT_EQ(Caret(), (EditPos{2, 2}));
    d.SetCaretPos(2, 3);
    d.MoveWord(1);
    EXPECT_EQ(Caret(), (EditPos{3, 2}));  // the text's end
    d.MoveWord(-1);
    EXPECT_EQ(Caret(), (EditPos{2, 2}));
    EXPECT_EQ(d.GetCaretX(), -1);
}

TEST_F(Commands, BlankAndEdgeMovement) {
    SetText(u"ab \t cd,ef  gh");
    d.SetCaretPos(0, 2);
    d.SkipBlanks(1);
    EXPECT_EQ(Caret(), (EditPos{5, 0}));
    d.SkipBlanks(0);
    EXPECT_EQ(Caret(), (EditPos{2, 0}));  // the first blank of the run

    d.SetCaretPos(0, 5);
    d.MoveToWordEdge(1);
    EXPECT_EQ(Caret(), (EditPos{10, 0}));  // ',' breaks no word without a language
    d.MoveToWordEdge(0);
    EXPECT_EQ(Caret(), (EditPos{5, 0}));
    d.SetCaretPos(0, 12);
    d.MoveToWordEdge(1);
    EXPECT_EQ(Caret(), (EditPos{14, 0}));  // the line end ends the search

    const char32_t blanks[3] = {u' ', u'\t', 0x3000};
    d.SetCaretPos(0, 0);
    d.MoveToBlank(1, blanks);
    EXPECT_EQ(Caret(), (EditPos{2, 0}));
    d.MoveToBlank(1, blanks);
    EXPECT_EQ(Caret(), (EditPos{5, 0}));
    d.MoveToBlank(1, blanks);
    EXPECT_EQ(Caret(), (EditPos{10, 0}));
    d.MoveToBlank(0, blanks);
    EXPECT_EQ(Caret(), (EditPos{5, 0}));
    d.MoveToBlank(0, blanks);
    EXPECT_EQ(Caret(), (EditPos{2, 0}));
}

TEST_F(Commands, BlankMovementCrossesLineEnds) {
    SetText(u"ab\ncd");
    const char32_t blanks[3] = {u' ', u'\t', 0x3000};
    d.SetCaretPos(0, 2);
    d.MoveToBlank(1, blanks);
    EXPECT_EQ(Caret(), (EditPos{0, 1}));
    d.MoveToBlank(0, blanks);
    EXPECT_EQ(Caret(), (EditPos{2, 0}));
}

TEST_F(Commands, IndentationConversion) {
    d.GetDispData().widths.SetTabSize(4);
    SetText(u"\t\tx\n      x\n  x\n\t \ty\nplain");
    d.SetCaretPos(1, 7);
    ASSERT_TRUE(d.SpacesToTabs(0, 4));
    EXPECT_EQ(Text(d), u"\t\tx\n\t  x\n  x\n\t \ty\nplain");
    EXPECT_EQ(Caret(), (EditPos{4, 1}));  // the caret stays on its character
    ASSERT_TRUE(d.TabsToSpaces(4, 0));
    EXPECT_EQ(Text(d), u"        x\n      x\n  x\n     \ty\nplain");
    d.Undo();
    EXPECT_EQ(Text(d), u"\t\tx\n\t  x\n  x\n\t \ty\nplain");

    // Nothing to convert: no undo step at all.
    CEditData plain;
    plain.InsertText(u"x\n y", 1);
    plain.ResetUndo();
    ASSERT_TRUE(plain.SpacesToTabs(0, 1));
    ASSERT_TRUE(plain.TabsToSpaces(0, 1));
    EXPECT_FALSE(plain.GetUndo()->CanUndo());

    // A run that would pass 1023 characters keeps its indentation.
    const std::u16string deep = std::u16string(300, u'\t') + u"x";
    CEditData wide;
    wide.GetDispData().widths.SetTabSize(4);
    wide.InsertText(deep.c_str(), 1);
    ASSERT_TRUE(wide.TabsToSpaces(0, 0));
    EXPECT_EQ(Text(wide), deep);
}

TEST_F(Commands, WidthConversionOfARange) {
    SetText(u"abc ｶﾞｷﾞ\nxyz ガギ end");
    d.SetCaretPos(1, 2);
    ASSERT_TRUE(d.ConvertWidth({1, 0}, {6, 1}, 1, 1, 0));  // to half width
    EXPECT_EQ(Text(d), u"abc ｶﾞｷﾞ\nxyz ｶﾞｷﾞ end");
    EXPECT_EQ(Caret(), (EditPos{8, 1}));  // the range's end, moved by the longer text
    d.Undo();
    EXPECT_EQ(Text(d), u"abc ｶﾞｷﾞ\nxyz ガギ end");

    d.SetCaretPos(0, 1);
    ASSERT_TRUE(d.ConvertWidth({1, 0}, {3, 1}, 1, 0, 1));  // ASCII only, to full width
    EXPECT_EQ(Text(d), u"aｂｃ　ｶﾞｷﾞ\nｘｙｚ ガギ end");
    EXPECT_EQ(Caret(), (EditPos{1, 0}));  // it stood on the range's start

    d.ResetUndo();
    ASSERT_TRUE(d.ConvertWidth({0, 1}, {3, 1}, 1, 1, 1));  // nothing left to convert
    EXPECT_FALSE(d.GetUndo()->CanUndo());
}

}  // namespace
