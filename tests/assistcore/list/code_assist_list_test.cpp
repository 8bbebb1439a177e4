// The completion list's candidates: filled from a language's keywords,
// narrowed and marked as the word grows, the chosen row moved by keys, the
// word an accepted candidate replaces, and where the list goes on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assist/core/code_assist_data.h"
#include "assist/core/code_assist_list.h"
#include "assist/core/code_assist_list_maker.h"
#include "assist/core/code_assist_word.h"
#include "editctrl/syntax/strtoken.h"
#include "editctrl/syntax/syntax_files.h"
#include "textengine/edit_data.h"
#include "util/strutil.h"

namespace {

void Fill(CCodeAssistData& t, std::initializer_list<const char16_t*> words) {
    t.InitColumns(false);
    for (const char16_t* w : words) ASSERT_TRUE(t.AddCandidate(w, u"KEYWORD"));
}

std::vector<std::u16string> Column(CCodeAssistData& t, int col) {
    std::vector<std::u16string> out;
    for (int row = 0; row < t.GetRowCount(); ++row) out.emplace_back(t.GetCellText(row, col));
    return out;
}

struct RecordingView : CodeAssistListView {
    bool highlight = false;
    int repositions = 0;
    void SetRowHighlight(bool on) override { highlight = on; }
    void Reposition() override { ++repositions; }
};

TEST(CodeAssistKeywords, CandidatesForTheWordBeforeTheCaret) {
    CStrToken tokens;
    TextLines lines;
    for (const char16_t* k : {u"SELECT", u"Self,2", u"set", u"from"}) lines.Add(k);
    std::u16string message;
    ASSERT_EQ(tokens.SetKeywordLines(lines, message), 0);

    struct Case {
        const char16_t* word;
        std::vector<std::u16string> texts;
    } cases[] = {
        {u"q", {}},                                 // no candidate
        {u"fr", {u"from"}},                         // one
        {u"sE", {u"SELECT", u"Self", u"set"}},      // many, as written, case ignored
        {u"selectedrows", {}},                      // longer than every keyword
        {u"", {}},
    };
    for (const Case& c : cases) {
        CCodeAssistData t;
        t.AddCandidate(u"stale", u"KEYWORD");
        EXPECT_EQ(t.FillFromKeywords(tokens, c.word), int(c.texts.size())) << std::u16string(c.word).size();
        EXPECT_EQ(Column(t, CCodeAssistData::COL_TEXT), c.texts);
    }
    CCodeAssistData t;
    t.FillFromKeywords(tokens, u"self");
    EXPECT_EQ(std::u16string(t.GetCellText(0, CCodeAssistData::COL_KIND)), u"KEYWORD2");
    // Only the candidate and its kind are shown.
    for (int col = 0; col < CCodeAssistData::COL_COUNT; ++col)
        EXPECT_EQ(t.GetColWidth(col) > 0, col <= CCodeAssistData::COL_KIND) << col;
}

TEST(CodeAssistList, TypedWordPicksTheFirstLongestMatchAndMarksTheRest) {
    struct Case {
        const char16_t* word;
        bool full;
        int best;
        std::vector<std::u16string> marks;
        int state;
    } cases[] = {
        {u"sel", true, 0, {u"", u"", u"DISABLE"}, ASSIST_ROW_CHOSEN},
        {u"SELF", true, 1, {u"DISABLE", u"", u"DISABLE"}, ASSIST_ROW_CHOSEN},
        {u"sex", false, 0, {u"DISABLE", u"DISABLE", u"DISABLE"}, ASSIST_NO_ROW},
        {u"x", false, -1, {u"DISABLE", u"DISABLE", u"DISABLE"}, ASSIST_NO_ROW},
        // Full-width capitals fold like ASCII ones.
        {u"\uFF33", true, 3, {u"DISABLE", u"DISABLE", u"DISABLE", u""}, ASSIST_ROW_CHOSEN},
        {u"", false, -1, {u"", u"", u"", u""}, ASSIST_NO_ROW},
    };
    for (const Case& c : cases) {
        CCodeAssistData t;
        Fill(t, {u"SELECT", u"SELF", u"set"});
        if (c.marks.size() == 4) t.AddCandidate(u"\uFF53\uFF45", u"KEYWORD");
        CCodeAssistList list;
        list.SetSourceData(&t);
        list.SetCurrentRow(2);
        int best = -2;
        EXPECT_EQ(list.MatchPrefix(c.word, &best, true), c.full) << c.best;
        EXPECT_EQ(best, c.best);
        list.FilterByPrefix(c.word);
        EXPECT_EQ(list.CurrentRow(), c.best);
        EXPECT_EQ(list.State(), c.state);
        EXPECT_EQ(Column(t, CCodeAssistData::COL_MARK), c.marks);
    }
}

TEST(CodeAssistList, FilterModeDropsTheRowsThatDoNotMatch) {
    CCodeAssistData t;
    Fill(t, {u"SELECT", u"SELF", u"set", u"from"});
    RecordingView view;
    CCodeAssistList list;
    list.SetView(&view);
    list.SetFilterMode(true);
    list.SetSourceData(&t);
    ASSERT_NE(list.Shown(), &t);
    EXPECT_EQ(list.RowCount(), 4);

    list.FilterByPrefix(u"self");
    EXPECT_EQ(Column(*list.Shown(), 0), (std::vector<std::u16string>{u"SELF"}));
    EXPECT_EQ(list.CurrentRow(), 0);
    EXPECT_TRUE(view.highlight);
    EXPECT_EQ(Column(t, CCodeAssistData::COL_MARK), (std::vector<std::u16string>(4, u"")));  // source untouched
    EXPECT_GT(view.repositions, 0);

    int best;
    list.MatchPrefix(u"s", &best, true);  // a test changes nothing
    EXPECT_EQ(list.RowCount(), 1);
    list.FilterByPrefix(u"");
    EXPECT_EQ(list.RowCount(), 4);
    EXPECT_EQ(list.CurrentRow(), -1);
    EXPECT_FALSE(view.highlight);
}

TEST(CodeAssistList, KeysMoveTheChosenRow) {
    struct Case {
        const char* what;
        int start;
        int direction;
        bool wrap;
        const char16_t* word;
        int expected;
    } cases[] = {
        {"down", 0, +1, false, u"", 1},
        {"down stops at the end", 4, +1, false, u"", 4},
        {"down wraps to the top", 4, +1, true, u"", 0},
        {"up stops at the top", 0, -1, false, u"", 0},
        {"up wraps to the end", 0, -1, true, u"", 4},
        {"up from no row wraps to the end", -1, -1, true, u"", 4},
        {"down from no row", -1, +1, false, u"", 0},
        {"next match skips others", 0, +1, false, u"set", 2},
        {"previous match", 4, -1, false, u"sel", 1},
        {"no further match stays", 2, +1, false, u"sel", 2},
    };
    for (const Case& c : cases) {
        CCodeAssistData t;
        Fill(t, {u"SELECT", u"SELF", u"set", u"from", u"fx"});
        RecordingView view;
        CCodeAssistList list;
        list.SetView(&view);
        list.SetSourceData(&t);
        list.SetCurrentRow(c.start);
        if (c.direction > 0)
            list.SelectNextMatch(c.wrap, c.word);
        else
            list.SelectPrevMatch(c.wrap, c.word);
        EXPECT_EQ(list.CurrentRow(), c.expected) << c.what;
        EXPECT_EQ(list.State(), ASSIST_ROW_CHOSEN) << c.what;
        EXPECT_TRUE(view.highlight) << c.what;
    }
}

TEST(CodeAssistData, ColoursByKindAndDimsMarkedRows) {
    CCodeAssistData t;
    t.InitColumns(false);
    t.AddCandidate(u"a", u"KEYWORD");
    t.AddCandidate(u"b", u"KEYWORD2");
    t.AddCandidate(u"c", u"VARCHAR2(10)");
    t.m_keywordColor = 0x0000FF;
    t.m_keyword2Color = 0x00FF00;
    t.m_plainColor = 0x808080;
    t.m_dimBackground = 0xFFFFFF;
    EXPECT_EQ(t.GetCellTextColor(0, 0), 0x0000FFu);
    EXPECT_EQ(t.GetCellTextColor(1, 0), 0x00FF00u);
    EXPECT_EQ(t.GetCellTextColor(2, 0), 0x808080u);
    t.SetCell(0, CCodeAssistData::COL_MARK, u"DISABLE");
    EXPECT_EQ(t.GetCellTextColor(0, 0), 0x0000FFu);  // dimming off
    t.m_dim = 1;
    EXPECT_EQ(t.GetCellTextColor(0, 0), 0x7F7FFFu);
    EXPECT_EQ(t.GetCellTextColor(1, 0), 0x00FF00u);

    t.SetColWidth(CCodeAssistData::COL_WIDE, 500);
    EXPECT_EQ(t.GetColWidth(CCodeAssistData::COL_WIDE), 240);
    t.SetColWidth(CCodeAssistData::COL_TEXT, 500);
    EXPECT_EQ(t.GetColWidth(CCodeAssistData::COL_TEXT), 500);
}

// Accepting "select" after "sel" replaces the whole word the list was opened
// on, plus what was typed since.
TEST(CodeAssistWord, ReplacesFromTheWordEdgeFoundWhenTheListOpened) {
    std::u16string line = u"x = sel";
    CCodeAssistWord w;
    w.Open(0, 4, 7, int(line.size()));
    EXPECT_EQ(w.Text(line), u"sel");
    line += u"e";  // typed: the line grows, the caret follows
    EXPECT_TRUE(w.FollowCaret(0, 8, int(line.size())));
    EXPECT_EQ(w.Text(line), u"sele");
    int start, end;
    w.ReplaceRange(int(line.size()), &start, &end);
    EXPECT_EQ(line.substr(0, start) + u"select" + line.substr(end), u"x = select");

    line.pop_back();  // Backspace inside the word keeps the list
    EXPECT_TRUE(w.FollowCaret(0, 7, int(line.size())));
    EXPECT_EQ(w.Text(line), u"sel");
    line.erase(5);  // cut shorter behind the word's back
    w.ReplaceRange(int(line.size()), &start, &end);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 5);

    struct Case {
        const char* what;
        int line, col, length;
        bool stays;
    } moves[] = {
        {"at the word's start", 0, 4, 5, true},
        {"left of the word", 0, 3, 5, false},
        {"another line", 1, 4, 5, false},
        {"the line is gone", 0, 4, -1, false},
    };
    for (const Case& c : moves) {
        CCodeAssistWord m;
        m.Open(0, 4, 5, 5);
        EXPECT_EQ(m.FollowCaret(c.line, c.col, c.length), c.stays) << c.what;
    }
}

TEST(CodeAssistPlacement, TenRowsHaveNoScrollBarAndTheListFlipsAboveNearTheBottom) {
    struct Case {
        int rows, y, workBottom;
        CodeAssistListRect expected;
    } cases[] = {
        {3, 100, 1000, {50, 100, 10 + 120, 3 * 16 + 10}},
        {10, 100, 1000, {50, 100, 10 + 120, 10 * 16 + 10}},
        {12, 100, 1000, {50, 100, 10 + 120 + 17, 10 * 16 + 10}},
        {12, 900, 1000, {50, 900 - 20 - 170, 10 + 120 + 17, 170}},
    };
    for (const Case& c : cases) {
        CodeAssistPlacement at{50, c.y, 20, c.workBottom};
        const CodeAssistListRect r = PlaceCodeAssistList(at, c.rows, 16, 120, 17);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y) << c.rows;
        EXPECT_EQ(r.width, c.expected.width) << c.rows;
        EXPECT_EQ(r.height, c.expected.height) << c.rows;
    }
}

}  // namespace

namespace {

TEST(CodeAssistListMaker, TheDefaultMakerGivesItsThreeFixedRowsOverAnyOldOnes) {
    CCodeAssistData t;
    Fill(t, {u"stale"});
    CEditData text;
    CCodeAssistListMaker maker;
    EXPECT_TRUE(maker.MakeList(t, text));
    EXPECT_EQ(Column(t, CCodeAssistData::COL_TEXT), (std::vector<std::u16string>{u"AAA", u"BBB", u"CCC"}));
    EXPECT_EQ(Column(t, CCodeAssistData::COL_KIND),
              (std::vector<std::u16string>{u"VARCHAR2(10)", u"VARCHAR2(2)", u"VARCHAR2(9)"}));
}

}  // namespace

namespace {

// A keyword table comes sorted, and the list then finds the typed word by
// halving instead of visiting every row: its answers must be those of the
// row-by-row rule (first row sharing the longest prefix, rows not starting
// with the word marked) for every word, including mixed and full-width case.
TEST(CodeAssistList, SortedCandidatesAnswerAsTheRowByRowRule) {
    std::vector<std::u16string> words = {u"Abc", u"abcd", u"ABD", u"b", u"Bcc", u"bcd", u"bx", u"c",
                                         u"\xFF41\xFF42", u"\xFF21\xFF43", u"\xFF41z", u"zz"};
    std::sort(words.begin(), words.end(),
              [](const std::u16string& a, const std::u16string& b) { return CompareNoCase(a.c_str(), b.c_str()) < 0; });
    CCodeAssistData t;
    t.InitColumns(false);
    for (const auto& w : words) ASSERT_TRUE(t.AddCandidate(w, u"KEYWORD"));
    ASSERT_TRUE(t.RowsSortedNoCase());
    CCodeAssistList list;
    list.SetSourceData(&t);
    const char16_t* queries[] = {u"a",  u"AB", u"abc", u"ABCDE", u"abq", u"b",   u"BC", u"bcz",
                                 u"bz", u"c",  u"d",   u"\xFF21", u"\xFF41\xFF22", u"\xFF41q", u"zzz", u"0"};
    for (const char16_t* q : queries) {
        const std::u16string word = q;
        int expectedBest = -1, longest = -1;
        std::vector<std::u16string> expectedMarks;
        for (int row = 0; row < int(words.size()); ++row) {
            const char16_t* text = words[std::size_t(row)].c_str();
            int h = -1;
            if (FoldedFirstChar(text) == FoldedFirstChar(word)) h = CommonPrefixNoCase(word.c_str(), text, int(word.size()));
            if (h > longest) {
                longest = h;
                expectedBest = row;
            }
            expectedMarks.push_back(h == int(word.size()) ? u"" : u"DISABLE");
        }
        int best = -2;
        const bool full = list.MatchPrefix(word, &best, false);
        EXPECT_EQ(full, longest == int(word.size())) << words.size() << " " << int(word[0]);
        EXPECT_EQ(best, expectedBest) << int(word[0]) << " length " << word.size();
        EXPECT_EQ(Column(t, CCodeAssistData::COL_MARK), expectedMarks) << int(word[0]) << " length " << word.size();
    }
    // Row by row again once a mark is set by hand: the others keep theirs.
    t.SetMark(0, false);
    EXPECT_EQ(std::u16string(t.GetCellText(0, CCodeAssistData::COL_MARK)), u"");
    EXPECT_EQ(std::u16string(t.GetCellText(1, CCodeAssistData::COL_MARK)), u"DISABLE");
}

}  // namespace
