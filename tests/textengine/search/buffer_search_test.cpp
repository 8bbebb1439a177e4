#include "textengine/buffer_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/platform_hooks.h"
#include "textengine/text_metrics.h"

namespace {

struct RegexDeleter {
    void operator()(CompiledRegex* re) const { regex_free(re); }
};
using Regex = std::unique_ptr<CompiledRegex, RegexDeleter>;
Regex Compile(const char16_t* pattern, int flags = 0) { return Regex(regex_compile(pattern, flags)); }

std::string U8(const std::u16string& s) { return EncodeText(KanjiCode::UTF8NoSig, s); }

// A buffer holding text (lines split at "\n"), caret at (0, 0), no undo.
class Buffer {
public:
    explicit Buffer(const char16_t* text) {
        data.InsertText(text, 1);
        data.SetCaretPos(0, 0);
        data.ResetUndo();
    }
    std::string Text() const {
        std::u16string all;
        for (int i = 0; i < data.GetLineCount(); ++i) {
            if (i) all += u'|';
            all += data.GetLineText(i);
        }
        return U8(all);
    }
    CEditData data;
};

TEST(SearchRegex, ForwardStaysOnItsLineAndBackwardEndsAtTheColumn) {
    Buffer b(u"abcabc\nabc");
    auto re = Compile(u"abc");
    int length = -1;
    EXPECT_EQ(SearchRegex(b.data, 0, 1, 1, &length, re.get()), 3);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(SearchRegex(b.data, 0, 4, 1, &length, re.get()), kSearchNotFound);  // line 1's match doesn't count
    EXPECT_EQ(SearchRegex(b.data, 0, 5, 0, &length, re.get()), 0);  // the match at 3 ends at 6
    EXPECT_EQ(SearchRegex(b.data, 0, 6, 0, &length, re.get()), 3);
    EXPECT_EQ(re->match_start.col, 3);
    EXPECT_EQ(re->match_end.col, 6);
    EXPECT_EQ(SearchRegex(b.data, 0, 2, 0, &length, re.get()), kSearchNotFound);
    EXPECT_EQ(SearchRegex(b.data, 0, 0, 1, &length, nullptr), kSearchNotFound);
}

TEST(SearchRegex, LineEndsReadAsOneNewline) {
    Buffer b(u"ab\r\ncd\n\nef");
    auto re = Compile(u"b\\ncd\\n\\ne");
    int length;
    EXPECT_EQ(SearchRegex(b.data, 0, 0, 1, &length, re.get()), 1);
    EXPECT_EQ(length, 7);
    EXPECT_EQ(re->match_end.line, 3);
    EXPECT_EQ(AdvancePos(b.data, EditPos{1, 0}, length), (EditPos{1, 3}));
    EXPECT_EQ(AdvancePos(b.data, EditPos{1, 0}, 100), (EditPos{2, 3}));
}

TEST(SearchRegexLines, FirstForwardsLastBackwards) {
    Buffer b(u"x\nab ab\nx\nab");
    auto re = Compile(u"ab");
    EditPos pos{-1, -1};
    EXPECT_EQ(SearchRegexLines(b.data, &pos, 1, 0, 4, re.get()), 2);
    EXPECT_EQ(pos, (EditPos{0, 1}));
    EXPECT_EQ(SearchRegexLines(b.data, &pos, -1, 2, 3, re.get()), 2);
    EXPECT_EQ(pos, (EditPos{3, 1}));
    EXPECT_EQ(SearchRegexLines(b.data, &pos, 1, 2, 1, re.get()), kSearchNotFound);
}

TEST(SearchWithWrap, WrapsSilentlyWithoutAQuestionAndAsksWithOne) {
    Buffer b(u"hit\nx\nx");
    auto re = Compile(u"hit");
    const EditPos start{0, 1};
    EditPos pos{-1, -1};
    int wrapped = -1;
    EXPECT_EQ(SearchWithWrap(b.data, &pos, 1, 0, &start, nullptr, re.get(), &wrapped), kSearchNotFound);
    EXPECT_EQ(wrapped, 0);
    EXPECT_EQ(SearchWithWrap(b.data, &pos, 1, 1, &start, nullptr, re.get(), &wrapped), 3);
    EXPECT_EQ(pos, (EditPos{0, 0}));
    EXPECT_EQ(wrapped, 1);

    std::vector<int> asked;
    bool answer = false;
    const WrapQuestion ask = [&](int direction) {
        asked.push_back(direction);
        return answer;
    };
    b.data.SetCaretPos(2, 1);
    EXPECT_EQ(SearchWithWrap(b.data, &pos, 1, 1, nullptr, ask, re.get(), &wrapped), kSearchDeclined);
    EXPECT_EQ(b.data.GetCaretPos(), (EditPos{1, 2}));
    answer = true;
    Buffer back(u"x\nx\nhit");
    const EditPos top{0, 0};
    EXPECT_EQ(SearchWithWrap(back.data, &pos, -1, 1, &top, ask, re.get(), &wrapped), 3);
    EXPECT_EQ(pos, (EditPos{0, 2}));
    EXPECT_EQ(asked, (std::vector<int>{1, -1}));
}

TEST(ReplaceAll, WholeTextWithTemplatesAndEmptyMatches) {
    struct Case {
        const char16_t *text, *pattern, *replacement;
        int expand;
        std::string result;
        int count;
    } cases[] = {
        {u"foo\nfoo", u"o", u"[$&]", 1, "f[o][o]|f[o][o]", 4},
        {u"foo", u"o", u"[$&]", 0, "f[$&][$&]", 2},
        {u"ab", u"x*", u"-", 0, "-a-b-", 3},
        {u"a b", u"(\\w)", u"\\1\\n", 1, "a| b|", 2},
        {u"ab\ncd", u"b\\nc", u"-", 0, "a-d", 1},
        {u"baa", u"(?<=b)a", u"b", 0, "bba", 1},  // matches of the unchanged text only
    };
    for (const auto& c : cases) {
        Buffer b(c.text);
        auto re = Compile(c.pattern);
        int count = -1;
        EXPECT_EQ(ReplaceAll(b.data, c.replacement, c.expand, nullptr, nullptr, &count, re.get(), 0), 0);
        EXPECT_EQ(b.Text(), c.result) << U8(c.pattern);
        EXPECT_EQ(count, c.count) << U8(c.pattern);
    }
}

TEST(ReplaceAll, OneUndoStepOrNoneAtAll) {
    Buffer b(u"a1\na2");
    auto re = Compile(u"a");
    int count;
    EXPECT_EQ(ReplaceAll(b.data, u"b", 0, nullptr, nullptr, &count, Compile(u"zz").get(), 0), 0);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(b.data.GetUndo()->CanUndo());
    EXPECT_EQ(ReplaceAll(b.data, u"b", 0, nullptr, nullptr, &count, re.get(), 0), 0);
    EXPECT_EQ(b.Text(), "b1|b2");
    b.data.Undo();
    EXPECT_EQ(b.Text(), "a1|a2");
}

TEST(ReplaceAll, LinesRebuiltInPlaceKeepTheirRecordsAndUndoBothWays) {
    Buffer b(u"xy a xy\nno\n\u65e5xy\nxy");
    b.data.SetUndoUnlimited();
    b.data.GetLine(2)->flags |= 0x10;  // a bookmark
    const CEditLine* third = b.data.GetLine(2);
    auto re = Compile(u"xy");
    int count = -1;
    EXPECT_EQ(ReplaceAll(b.data, u"\u30c6\u30b9\u30c8", 0, nullptr, nullptr, &count, re.get(), 0), 0);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(b.Text(), U8(u"\u30c6\u30b9\u30c8 a \u30c6\u30b9\u30c8|no|\u65e5\u30c6\u30b9\u30c8|\u30c6\u30b9\u30c8"));
    EXPECT_EQ(b.data.GetLine(2), third);
    EXPECT_TRUE(b.data.GetLineFlags(2, 0x10));
    EXPECT_TRUE(b.data.IsLineModified(0));
    EXPECT_FALSE(b.data.IsLineModified(1));
    EXPECT_EQ(b.data.GetCharCount(), 9 + 2 + 4 + 3);
    // Shorter texts, then undo and redo through both.
    EXPECT_EQ(ReplaceAll(b.data, u"", 0, nullptr, nullptr, &count, Compile(u"\u30c6\u30b9").get(), 0), 0);
    EXPECT_EQ(b.Text(), U8(u"\u30c8 a \u30c8|no|\u65e5\u30c8|\u30c8"));
    ASSERT_TRUE(b.data.Undo());
    ASSERT_TRUE(b.data.Undo());
    EXPECT_EQ(b.Text(), U8(u"xy a xy|no|\u65e5xy|xy"));
    EXPECT_EQ(b.data.GetCharCount(), 7 + 2 + 3 + 2);
    EXPECT_FALSE(b.data.IsModified());
    ASSERT_TRUE(b.data.Redo());
    EXPECT_EQ(b.Text(), U8(u"\u30c6\u30b9\u30c8 a \u30c6\u30b9\u30c8|no|\u65e5\u30c6\u30b9\u30c8|\u30c6\u30b9\u30c8"));
    EXPECT_EQ(b.data.GetLine(2), third);
    EXPECT_TRUE(b.data.GetLineFlags(2, 0x10));
}

TEST(ReplaceAll, StreamSelectionLimitsAndMovesItsEnd) {
    Buffer b(u"aaaa\naaaa");
    auto re = Compile(u"a");
    const EditPos s{1, 0}, e{2, 1};
    b.data.SetCaretPos(1, 2);  // at the selection end
    int count;
    EXPECT_EQ(ReplaceAll(b.data, u"xy", 0, &s, &e, &count, re.get(), 0), 0);
    EXPECT_EQ(b.Text(), "axyxyxy|xyxyaa");
    EXPECT_EQ(count, 5);
    EXPECT_EQ(b.data.GetCaretPos(), (EditPos{4, 1}));  // followed the end
}

TEST(ReplaceAll, BoxSelectionReplacesOnlyInsideTheBoxColumns) {
    // Box x values are pixels of the shown font: 8 px per narrow character.
    CFakeTextMetrics font;
    Buffer b(u"aaaa\naaaa\naaaa");
    b.data.GetDispData().widths.Init(&font);
    b.data.GetDispData().metrics = &font;
    b.data.GetDispData().boxX[0] = 8;
    b.data.GetDispData().boxX[1] = 24;
    auto re = Compile(u"a");
    const EditPos s{1, 0}, e{3, 1};
    int count;
    EXPECT_EQ(ReplaceAll(b.data, u"bb", 0, &s, &e, &count, re.get(), 1), 0);
    EXPECT_EQ(b.Text(), "abbbba|abbbba|aaaa");
    EXPECT_EQ(count, 4);
    // A match that reaches out of the box is left.
    Buffer c(u"abc\nabc");
    c.data.GetDispData().widths.Init(&font);
    c.data.GetDispData().metrics = &font;
    c.data.GetDispData().boxX[0] = 0;
    c.data.GetDispData().boxX[1] = 16;
    auto wide = Compile(u"bc");
    EXPECT_EQ(ReplaceAll(c.data, u"-", 0, &s, &e, &count, wide.get(), 1), 0);
    EXPECT_EQ(c.Text(), "abc|abc");
    EXPECT_EQ(count, 0);
}

TEST(FilterLines, DeletesOrKeepsMatchingLinesTheLastOneIncluded) {
    struct Case {
        const char16_t *text, *pattern;
        int deleteMatching;
        std::string result;
        int count;
    } cases[] = {
        {u"a1\nb\na2", u"a", 1, "b", 2},
        {u"a1\nb\na2", u"a", 0, "a1|a2", 1},
        {u"a1\na2", u"a", 1, "", 2},
        {u"a1\na2\nb", u"a", 0, "a1|a2", 1},
        {u"x\na1\nb2\ny", u"1\\nb", 1, "x|y", 2},
        {u"b\nb", u"a", 0, "", 2},
        {u"b\nb", u"a", 1, "b|b", 0},
    };
    for (const auto& c : cases) {
        Buffer b(c.text);
        auto re = Compile(c.pattern);
        int count = -1;
        EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{0, -1, &count, re.get(), c.deleteMatching}), 0);
        EXPECT_EQ(b.Text(), c.result) << U8(c.text) << " " << c.deleteMatching;
        EXPECT_EQ(count, c.count) << U8(c.text) << " " << c.deleteMatching;
    }
}

TEST(FilterLines, RunsOfLinesGoAsOneRecordAndComeBackBothWays) {
    Buffer b(u"a1\nb\nc\na2\nd\na3");
    b.data.SetUndoUnlimited();
    b.data.GetLine(3)->flags |= 0x10;  // a bookmark on a kept line
    const CEditLine* kept = b.data.GetLine(3);
    auto re = Compile(u"a");
    int count = -1;
    EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{0, -1, &count, re.get(), 0}), 0);
    EXPECT_EQ(b.Text(), "a1|a2|a3");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(b.data.GetLine(1), kept);
    EXPECT_EQ(b.data.GetCharCount(), 6);
    ASSERT_TRUE(b.data.Undo());
    EXPECT_EQ(b.Text(), "a1|b|c|a2|d|a3");
    EXPECT_EQ(b.data.GetCharCount(), 9);
    EXPECT_TRUE(b.data.GetLineFlags(3, 0x10));
    EXPECT_FALSE(b.data.IsModified());
    ASSERT_TRUE(b.data.Redo());
    EXPECT_EQ(b.Text(), "a1|a2|a3");
    // The last line goes too; every line gone leaves one empty line.
    EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{1, -1, &count, re.get(), 1}), 0);
    EXPECT_EQ(b.Text(), "a1");
    EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{0, -1, &count, re.get(), 1}), 0);
    EXPECT_EQ(b.Text(), "");
    EXPECT_EQ(b.data.GetLineCount(), 1);
    ASSERT_TRUE(b.data.Undo());
    ASSERT_TRUE(b.data.Undo());
    EXPECT_EQ(b.Text(), "a1|a2|a3");
}

TEST(FilterLines, OnlyWithinTheLineRangeAsOneUndoStep) {
    Buffer b(u"a\na\na\na");
    auto re = Compile(u"a");
    int count;
    EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{1, 2, &count, re.get(), 1}), 0);
    EXPECT_EQ(b.Text(), "a|a");
    EXPECT_EQ(count, 2);
    b.data.Undo();
    EXPECT_EQ(b.Text(), "a|a|a|a");
}

TEST(SearchFailures, ARegexThatGivesUpStopsReplaceAndFilterUnchanged) {
    const std::u16string text = u"ab\n" + std::u16string(40, u'a') + u"\nab";
    Buffer b(text.c_str());
    auto re = Compile(u"b|(a|a)*\\1c");  // a back-reference: no shortcut tames it
    int count = -1;
    EXPECT_EQ(ReplaceAll(b.data, u"x", 0, nullptr, nullptr, &count, re.get(), 0), kSearchFailed);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{0, -1, &count, re.get(), 1}), kSearchFailed);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(b.data.GetLineCount(), 3);
    EXPECT_EQ(U8(b.data.GetLineText(0)), "ab");
    EXPECT_FALSE(b.data.GetUndo()->CanUndo());
}

// Lines that each cost a pathological pattern much but stay within the
// engine's budget for one line: the walk as a whole gives up, while a
// plain pattern walks a larger text to its end.
TEST(SearchFailures, AWalkOverManyCostlyLinesGivesUpAndAPlainOneDoesNot) {
    std::u16string text;
    // Each line holds the "b" every match needs, so none is passed over untried.
    for (int i = 0; i < 3000; ++i) text += std::u16string(50, u'a') + u"cb\n";
    Buffer b(text.c_str());
    EditPos at{0, 0};
    EXPECT_EQ(SearchRegexLines(b.data, &at, 1, 0, 3000, Compile(u"(a+)+b").get()), kSearchFailed);
    int count = -1;
    EXPECT_EQ(ReplaceAll(b.data, u"x", 0, nullptr, nullptr, &count, Compile(u"(a+)+b|zz").get(), 0), kSearchFailed);
    std::u16string plain;
    for (int i = 0; i < 20000; ++i) plain += u"the quick brown fox jumps over the lazy dog 0123456789\n";
    plain += u"seq";
    Buffer p(plain.c_str());
    EXPECT_EQ(SearchRegexLines(p.data, &at, 1, 0, 20001, Compile(u"\\w+q").get()), 3);
    EXPECT_EQ(at.line, 20000);
}

// Asked between lines, a stop ends the search as declined; replace and
// filter then change nothing.
TEST(SearchFailures, AStopAskedForDuringAWalkEndsItAndChangesNothing) {
    std::u16string text;
    for (int i = 0; i < 1000; ++i) text += u"line\n";
    text += u"target";
    Buffer b(text.c_str());
    static int polls;
    polls = 0;
    TextEnginePlatform hooks;
    hooks.search_should_stop = [] { return ++polls >= 3; };
    const TextEnginePlatform old = te_set_platform(hooks);
    EditPos at{0, 0};
    EXPECT_EQ(SearchRegexLines(b.data, &at, 1, 0, 1001, Compile(u"target").get()), kSearchDeclined);
    int count = -1;
    polls = 0;
    EXPECT_EQ(ReplaceAll(b.data, u"x", 0, nullptr, nullptr, &count, Compile(u"target").get(), 0), kSearchDeclined);
    EXPECT_EQ(count, 0);
    polls = 0;
    EXPECT_EQ(FilterLines(b.data, FilterLinesArgs{0, -1, &count, Compile(u"target").get(), 0}), kSearchDeclined);
    te_set_platform(old);
    EXPECT_EQ(b.data.GetLineCount(), 1001);
    EXPECT_EQ(U8(b.data.GetLineText(1000)), "target");
    EXPECT_FALSE(b.data.GetUndo()->CanUndo());
}

TEST(SelectionAnchors, ReadTheBuffersSelection) {
    Buffer b(u"abcd\nabcd\nabcd");
    auto& d = b.data.GetDispData();
    d.selStart = EditPos{1, 0};
    d.selEnd = EditPos{2, 2};
    EditPos pos;
    auto first = Compile(u"\\=A.");
    EXPECT_EQ(SearchRegexLines(b.data, &pos, 1, 0, 3, first.get()), 1);
    EXPECT_EQ(pos, (EditPos{1, 0}));
    auto lineStarts = Compile(u"\\=^.");
    int count;
    EXPECT_EQ(ReplaceAll(b.data, u"-", 0, nullptr, nullptr, &count, lineStarts.get(), 0), 0);
    EXPECT_EQ(b.Text(), "a-cd|-bcd|-bcd");
    d.selStart = d.selEnd = EditPos{-1, -1};
    EXPECT_EQ(SearchRegexLines(b.data, &pos, 1, 0, 3, first.get()), kSearchNotFound);
}

TEST(RegexHolder, FreesAndClears) {
    RegexHolder h{regex_compile(u"a", 0)};
    regex_holder_free(&h);
    EXPECT_EQ(h.regex, nullptr);
    regex_holder_free(&h);
}

}  // namespace
