// Where the caret's moves land over ASCII, Japanese (hiragana, katakana
// with the prolonged sound mark, kanji), blanks, line ends and a surrogate
// pair; the two ways a word move to the right stops; the caret itself
// is never moved by asking.
#include <gtest/gtest.h>

#include "editctrl/core/caret_motion.h"
#include "textengine/edit_data.h"

namespace {

struct Motion : ::testing::Test {
    CEditData d;
    Motion() {
        // line 0: f o o _ _ b a r 日 本 語 a b c        (14 units)
        // line 1: _ _ ひ ら が な カ タ カ ナ ー _ x      (13 units)
        // line 2: x U+3000 TAB y
        // line 3: e n d and one character of two units  (5 units)
        d.InsertText(u"foo  bar日本語abc\r  ひらがなカタカナー x\rx\u3000\ty\rend\U0002000B", 1);
        d.SetCaretPos(1, 7);
        d.SetCaretX(40);
    }
    void TearDown() override {
        EXPECT_EQ(d.GetCaretPos(), (EditPos{7, 1}));
        EXPECT_EQ(d.GetCaretX(), 40);
    }
};

struct Case {
    EditPos from, to;
};

TEST_F(Motion, WordRightStopsAtTheNextWordsStartOrAtTheNextWordsEnd) {
    struct Row {
        EditPos from, nextStart, nextEnd;
    } rows[] = {
        {{0, 0}, {5, 0}, {3, 0}},     // over "foo" and the blanks / "foo" alone
        {{3, 0}, {5, 0}, {8, 0}},     // on the blanks: their end / over them and "bar"
        {{8, 0}, {11, 0}, {11, 0}},   // a kanji run ends at the ASCII after it
        {{14, 0}, {2, 1}, {0, 1}},    // the line end is a step; the next line's indent is skipped or not
        {{2, 1}, {6, 1}, {6, 1}},     // hiragana end at katakana
        {{6, 1}, {12, 1}, {11, 1}},   // the prolonged sound mark belongs to the katakana
        {{13, 1}, {0, 2}, {0, 2}},
        {{5, 3}, {5, 3}, {5, 3}},     // the text's end stays
    };
    for (const Row& r : rows) {
        EXPECT_EQ(motion::WordRight(d, r.from, motion::WordStop::NextWordStart), r.nextStart)
            << r.from.line << ":" << r.from.column;
        EXPECT_EQ(motion::WordRight(d, r.from, motion::WordStop::NextWordEnd), r.nextEnd)
            << r.from.line << ":" << r.from.column;
    }
}

TEST_F(Motion, WordLeftSkipsBlanksThenTheWord) {
    const Case cases[] = {
        {{5, 0}, {0, 0}},   {{8, 0}, {5, 0}},  {{11, 0}, {8, 0}}, {{14, 0}, {11, 0}},
        {{12, 1}, {6, 1}},  // over the blank, then katakana with the mark
        {{6, 1}, {2, 1}},   {{2, 1}, {14, 0}},  // over the indent and on over the line end
        {{0, 1}, {14, 0}},  // column 0 steps over the line end only
        {{0, 0}, {0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(motion::WordLeft(d, c.from), c.to) << c.from.line << ":" << c.from.column;
}

TEST_F(Motion, WordEndsBlanksCharactersAndLineEnds) {
    const Case wordEndRight[] = {{{0, 0}, {3, 0}}, {{3, 0}, {5, 0}}, {{14, 0}, {0, 1}}};
    for (const Case& c : wordEndRight) EXPECT_EQ(motion::WordEndStep(d, c.from, 1), c.to) << c.from.column;
    const Case wordEndLeft[] = {{{5, 0}, {3, 0}}, {{3, 0}, {0, 0}}, {{0, 1}, {14, 0}}};
    for (const Case& c : wordEndLeft) EXPECT_EQ(motion::WordEndStep(d, c.from, -1), c.to) << c.from.column;

    // Blanks are space, TAB and the ideographic space.
    const Case blankRight[] = {{{0, 0}, {3, 0}}, {{3, 0}, {5, 0}}, {{14, 0}, {0, 1}}, {{0, 2}, {1, 2}}, {{1, 2}, {3, 2}}};
    for (const Case& c : blankRight) EXPECT_EQ(motion::BlankStep(d, c.from, 1), c.to) << c.from.column;
    const Case blankLeft[] = {{{5, 0}, {3, 0}}, {{3, 2}, {1, 2}}, {{0, 1}, {14, 0}}};
    for (const Case& c : blankLeft) EXPECT_EQ(motion::BlankStep(d, c.from, -1), c.to) << c.from.column;

    // A character of two units is one step; the text's ends hold.
    const Case charRight[] = {{{3, 3}, {5, 3}}, {{14, 0}, {0, 1}}, {{5, 3}, {5, 3}}};
    for (const Case& c : charRight) EXPECT_EQ(motion::CharStep(d, c.from, 1), c.to) << c.from.column;
    const Case charLeft[] = {{{5, 3}, {3, 3}}, {{0, 1}, {14, 0}}, {{0, 0}, {0, 0}}};
    for (const Case& c : charLeft) EXPECT_EQ(motion::CharStep(d, c.from, -1), c.to) << c.from.column;
}

TEST_F(Motion, LineAndTextEnds) {
    struct Home {
        EditPos from;
        bool smart;
        EditPos to;
    } homes[] = {
        {{7, 1}, true, {2, 1}},   // to the first non-blank
        {{2, 1}, true, {0, 1}},   // and from there to column 0
        {{0, 1}, true, {2, 1}},
        {{0, 0}, true, {0, 0}},   // no indent: column 0 stays
        {{7, 1}, false, {0, 1}},
    };
    for (const Home& h : homes) EXPECT_EQ(motion::LineStart(d, h.from, h.smart), h.to) << h.from.column << h.smart;
    EXPECT_EQ(motion::LineEnd(d, {3, 1}), (EditPos{13, 1}));
    EXPECT_EQ(motion::TextStart(), (EditPos{0, 0}));
    EXPECT_EQ(motion::TextEnd(d), (EditPos{5, 3}));
}

TEST_F(Motion, WordEdgesAndTheWordAtAPosition) {
    EXPECT_EQ(motion::WordEdge(d, {0, 0}, 1), (EditPos{5, 0}));  // over the word and the blanks
    EXPECT_EQ(motion::WordEdge(d, {5, 0}, -1), (EditPos{0, 0}));
    const auto word = motion::WordAt(d, {6, 0});
    EXPECT_EQ(word.first, (EditPos{5, 0}));
    EXPECT_EQ(word.second, (EditPos{8, 0}));
    const auto kanji = motion::WordAt(d, {9, 0});
    EXPECT_EQ(kanji.first, (EditPos{8, 0}));
    EXPECT_EQ(kanji.second, (EditPos{11, 0}));
}

}  // namespace
