// Line syntax states, character classes and bracket matching of a buffer,
// with the built-in languages answering the lexical questions.
#include <gtest/gtest.h>

#include <string>

#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "textengine/edit_data.h"
#include "textengine/syntax_rules.h"

namespace {

struct Language : ::testing::Test {
    CStrToken token;
    CEditData d;

    void Load(const char16_t* tag, const char16_t* text) {
        LoadBuiltinLanguage(tag, u"no such folder", token);
        d.SetSyntaxRules(&token);
        d.InsertText(text, 1);
    }
    int Flags(int line) { return d.GetLineFlags(line, CEditLine::FlagInBlockComment | CEditLine::FlagInTag); }
    bool Update(int first, int last, int options = 0) {
        bool changed = true;
        d.UpdateLineStates(first, last, options, changed);
        return changed;
    }
};

constexpr int kComment = CEditLine::FlagInBlockComment;
constexpr int kTag = CEditLine::FlagInTag;

TEST_F(Language, LineStatesFollowBlockComments) {
    Load(u"<cpp>",
         u"int a; /* open\n"
         u"still */ s = \"/*\"; // /*\n"
         u"x /* one */ y\n"
         u"'/*' z");
    EXPECT_TRUE(Update(0, -1));
    EXPECT_EQ(Flags(0), 0);
    EXPECT_EQ(Flags(1), kComment);
    EXPECT_EQ(Flags(2), 0);  // quoted and line-comment openers don't count
    EXPECT_EQ(Flags(3), 0);
    EXPECT_FALSE(Update(0, -1));

    // An opener added on line 2's end reaches past the range asked for.
    d.SetCaretPos(2, 13);
    d.InsertText(u"/*", 1);
    EXPECT_TRUE(Update(2, 2));
    EXPECT_EQ(Flags(3), kComment);
    EXPECT_FALSE(Update(0, 0, LineStateSkip));
}

TEST_F(Language, MarkupTagsAreTrackedOnlyWhenAsked) {
    Load(u"<html>",
         u"<p class=\n"
         u"\"a>b\">text <!-- c\n"
         u"--> d");
    EXPECT_TRUE(Update(0, -1));
    EXPECT_EQ(Flags(1), 0);
    EXPECT_TRUE(Update(0, -1, LineStateTags));
    EXPECT_EQ(Flags(1), kTag);  // the quoted '>' doesn't leave the tag
    EXPECT_EQ(Flags(2), kComment);  // the comment opener is no tag
}

TEST_F(Language, CharClassesOfALine) {
    Load(u"<cpp>",
         u"int a; /* open\n"
         u"still */ s = \"/*\"; // c\n");
    Update(0, -1);
    struct Case {
        int line, column, cls;
    } cases[] = {
        {0, 0, CharClassCode},        {0, 7, CharClassBlockComment}, {0, 13, CharClassBlockComment},
        {0, 99, CharClassBlockComment}, {1, 0, CharClassBlockComment}, {1, 6, CharClassBlockComment},
        {1, 7, CharClassBlockComment}, {1, 9, CharClassCode},         {1, 13, CharClassClaimed},
        {1, 16, CharClassClaimed},    {1, 17, CharClassCode},         {1, 19, CharClassLineComment},
        {1, 22, CharClassLineComment}, {2, 0, CharClassCode},
    };
    CCharClassCache cache;
    for (const Case& c : cases) {
        EXPECT_EQ(d.GetCharClass(c.line, c.column, nullptr), c.cls) << c.line << ":" << c.column;
        EXPECT_EQ(d.GetCharClass(c.line, c.column, &cache), c.cls) << "cached " << c.line << ":" << c.column;
    }
    // Backwards through the cache gives the same.
    for (int col = 22; col >= 0; --col)
        EXPECT_EQ(d.GetCharClass(1, col, &cache), d.GetCharClass(1, col, nullptr)) << col;
}

TEST_F(Language, QuotesEndingOnAnEscapeOrHalfAPairStopAtTheLineEnd) {
    const std::u16string text = u"s = \"abc\\\n" u"t = '\xD83D\n" u"/* x";
    Load(u"<cpp>", text.c_str());
    Update(0, -1);
    EXPECT_EQ(Flags(1), 0);
    EXPECT_EQ(Flags(2), 0);
    EXPECT_EQ(d.GetCharClass(0, 8, nullptr), CharClassClaimed);
    EXPECT_EQ(d.GetCharClass(0, 9, nullptr), CharClassCode);  // nothing is read past the line
    EXPECT_EQ(d.GetCharClass(1, 5, nullptr), CharClassClaimed);
    EXPECT_EQ(d.GetCharClass(2, 0, nullptr), CharClassBlockComment);
}

TEST_F(Language, ClassCacheGrowsForLongLines) {
    const std::u16string line = std::u16string(1500, u'a') + u"/* x";
    Load(u"<cpp>", line.c_str());
    CCharClassCache cache;
    EXPECT_EQ(d.GetCharClass(0, 10, &cache), CharClassCode);
    EXPECT_EQ(d.GetCharClass(0, 1503, &cache), CharClassBlockComment);
    EXPECT_EQ(d.GetCharClass(0, 1499, &cache), CharClassCode);
    d.SetSyntaxRules(nullptr);
    EXPECT_EQ(d.GetCharClass(0, 1503, &cache), CharClassCode);
}

TEST_F(Language, MatchingBracketsSkipQuotesAndComments) {
    Load(u"<cpp>",
         u"f(a, \")\", g(b)) // )\n"
         u"/* ( */ (x\n"
         u"  )");
    Update(0, -1);
    EditPos pos{-1, -1};
    d.SetCaretPos(0, 1);  // on the '(' after f
    ASSERT_TRUE(d.FindMatchingBracket(u'(', u')', 1, {-1, -1}, 1, pos));
    EXPECT_EQ(pos, (EditPos{14, 0}));
    d.SetCaretPos(0, 14);  // on the last ')': look before it
    ASSERT_TRUE(d.FindMatchingBracket(u'(', u')', 1, {-1, -1}, 0, pos));
    EXPECT_EQ(pos, (EditPos{1, 0}));

    d.SetCaretPos(2, 2);  // across the line end, past the commented '('
    ASSERT_TRUE(d.FindMatchingBracket(u'(', u')', 1, {-1, -1}, 0, pos));
    EXPECT_EQ(pos, (EditPos{8, 1}));
    EXPECT_FALSE(d.FindMatchingBracket(u'(', u')', 1, {9, 1}, 0, pos));  // the limit comes first
    d.SetCaretPos(1, 8);
    ASSERT_TRUE(d.FindMatchingBracket(u'(', u')', 1, {-1, -1}, 1, pos));
    EXPECT_EQ(pos, (EditPos{2, 2}));
    EXPECT_FALSE(d.FindMatchingBracket(u'(', u')', 1, {0, 2}, 1, pos));
    d.SetCaretPos(2, 3);
    EXPECT_FALSE(d.FindMatchingBracket(u'(', u')', 1, {-1, -1}, 1, pos));  // at the end of the text
}

TEST_F(Language, BracketsOutsideTheBasicPlane) {
    Load(u"<cpp>", u"\U0001F600x\U0001F600 \U0001F601\U0001F601");
    EditPos pos{-1, -1};
    d.SetCaretPos(0, 0);
    ASSERT_TRUE(d.FindMatchingBracket(0x1F600, 0x1F601, 1, {-1, -1}, 1, pos));
    EXPECT_EQ(pos, (EditPos{8, 0}));
}

}  // namespace
