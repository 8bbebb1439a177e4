// The linear de-duplication against the regex replacement it stands for:
// the same text, count and caret for every text and range, and one undo
// giving the text back.
#include "textengine/duplicate_lines.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "tests/textengine/edit_test_util.h"
#include "textengine/buffer_search.h"
#include "textengine/regex/regex.h"

namespace {

using edit_test::Text;

const char16_t kPattern[] = u"^(.*)$\\n(?:^\\1$(\\n?))+";
const char16_t kTemplate[] = u"\\1\\2";

struct Outcome {
    int result, count;
    std::u16string text;
    EditPos caret;
};

void Load(CEditData& d, const std::u16string& text, EditPos caret) {
    d.InsertText(text.c_str(), 1);
    d.ResetUndo();
    d.SetUndoUnlimited();
    caret = d.ClampPos(caret);
    d.SetCaretPos(caret.line, caret.column);
}

Outcome ByRegex(const std::u16string& text, const EditPos* from, const EditPos* to, EditPos caret) {
    CEditData d;
    Load(d, text, caret);
    std::unique_ptr<CompiledRegex, void (*)(CompiledRegex*)> re(regex_compile(kPattern, 0), regex_free);
    Outcome o{};
    o.result = ReplaceAll(d, kTemplate, 1, from, to, &o.count, re.get(), 0);
    o.text = Text(d);
    o.caret = d.GetCaretPos();
    return o;
}

Outcome Linear(const std::u16string& text, const EditPos* from, const EditPos* to, EditPos caret) {
    CEditData d;
    Load(d, text, caret);
    Outcome o{};
    o.result = DeleteDuplicateLines(d, from, to, &o.count);
    o.text = Text(d);
    o.caret = d.GetCaretPos();
    if (o.count > 0) {
        EXPECT_TRUE(d.Undo());
        EXPECT_EQ(Text(d), text);
    }
    EXPECT_TRUE(edit_test::Consistent(d));
    return o;
}

void ExpectSame(const std::u16string& text, const EditPos* from, const EditPos* to, EditPos caret) {
    SCOPED_TRACE(::testing::Message() << "text " << ::testing::PrintToString(std::string(text.begin(), text.end()))
                                      << (from ? " from " + std::to_string(from->line) + ":" + std::to_string(from->column) : "")
                                      << (to ? " to " + std::to_string(to->line) + ":" + std::to_string(to->column) : ""));
    const Outcome a = ByRegex(text, from, to, caret), b = Linear(text, from, to, caret);
    EXPECT_EQ(b.result, a.result);
    EXPECT_EQ(b.count, a.count);
    EXPECT_EQ(b.text, a.text);
    EXPECT_EQ(b.caret, a.caret);
}

TEST(DuplicateLines, RunsOfAdjacentEqualLinesBecomeTheirFirst) {
    struct Case {
        std::u16string text, expected;
    } cases[] = {
        {u"a\na\nb\nb\nb\nc", u"a\nb\nc"},
        {u"a\na\nb\nb\nb\nc\n", u"a\nb\nc\n"},
        {u"x\nb\nb", u"x\nb"},  // a run at the end without a line end
        {u"a\nb\na\nb", u"a\nb\na\nb"},  // only adjacent lines count
        {u"ab\nabc\nab", u"ab\nabc\nab"},  // a line is not its prefix
        {u"\n\n\nq\n\n", u"\nq\n"},  // empty lines are lines too
        {u"\t全角\n\t全角\n\t全角 ", u"\t全角\n\t全角 "},
        {u"$1\n$1\n\\1\n\\1", u"$1\n\\1"},  // the lines' text is never a template
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        CEditData d;
        Load(d, c.text, {0, 0});
        const int last = d.GetLineCount() - 1;
        const EditPos from{0, 0}, to{d.GetLineLength(last), last};
        int count = 0;
        EXPECT_EQ(DeleteDuplicateLines(d, &from, &to, &count), 0);
        EXPECT_EQ(Text(d), c.expected);
        if (c.expected != c.text) {
            ASSERT_TRUE(d.Undo());
            EXPECT_EQ(Text(d), c.text);
        }
    }
    CEditData d;  // duplicates outside the selection stay
    Load(d, u"a\na\nb\nb\nc\nc", {0, 0});
    const EditPos from{0, 1}, to{1, 4};
    EXPECT_EQ(DeleteDuplicateLines(d, &from, &to, nullptr), 0);
    EXPECT_EQ(Text(d), u"a\na\nb\nc\nc");
}

TEST(DuplicateLines, TableOfTextsAsTheReplacementGivesThem) {
    const std::u16string texts[] = {
        u"", u"a", u"a\na", u"a\na\n", u"a\na\nb\nb\nb\nc", u"\n", u"\n\n", u"\n\n\nq\n\n", u"x\nb\nb",
        u"a\nb\na\nb", u"ab\nabc\nab", u"ab\nab\nabc", u"\t全角\n\t全角\n\t全角 ", u"$1\n$1\n\\1\n\\1",
        u"𠀋\n𠀋\n𠀋", u"a\n\na\n\n", u"a\na\n\n\n", u" \n \n  ",
    };
    for (const std::u16string& t : texts) {
        ExpectSame(t, nullptr, nullptr, EditPos{0, 0});
        CEditData d;
        Load(d, t, {0, 0});
        const int last = d.GetLineCount() - 1;
        const EditPos from{0, 0}, to{d.GetLineLength(last), last};
        ExpectSame(t, &from, &to, to);  // a select-all with the caret at its end
    }
}

TEST(DuplicateLines, RangesCutRunsAsTheReplacementDoes) {
    const std::u16string text = u"a\na\nb\nb\nb\nc\nc";
    const EditPos ranges[][2] = {
        {{0, 1}, {1, 4}},  // starts inside a line: its run is not taken
        {{0, 0}, {0, 3}},  // a run reaching past the end stops the pass
        {{1, 0}, {0, 2}},  // starts inside the first run
        {{0, 2}, {1, 6}},  // ends at the text's end
        {{0, 0}, {0, 0}},
    };
    for (const auto& r : ranges) ExpectSame(text, &r[0], &r[1], r[1]);
}

TEST(DuplicateLines, RandomTextsAndRangesAgreeWithTheReplacement) {
    std::mt19937 random(20261211);
    const std::u16string pieces[] = {u"a", u"b", u"", u"全", u" "};
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        const int lines = int(random() % 9);
        for (int i = 0; i < lines; ++i) {
            if (i) text += u'\n';
            const int n = int(random() % 3);
            for (int k = 0; k < n; ++k) text += pieces[random() % 5];
        }
        CEditData d;
        Load(d, text, {0, 0});
        auto randomPos = [&] {
            const int line = int(random() % unsigned(d.GetLineCount()));
            return EditPos{int(random() % unsigned(d.GetLineLength(line) + 1)), line};
        };
        EditPos from = randomPos(), to = randomPos();
        if (to < from) std::swap(from, to);
        const EditPos caret = random() % 2 ? to : randomPos();
        if (random() % 4 == 0)
            ExpectSame(text, nullptr, nullptr, caret);
        else
            ExpectSame(text, &from, &to, caret);
        if (HasFailure()) break;
    }
}

}  // namespace
