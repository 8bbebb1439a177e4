#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "editctrl/syntax/syntax_files.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TextLines Lines(std::initializer_list<const char16_t*> list) {
    TextLines out;
    for (const char16_t* s : list) out.Add(s);
    return out;
}

void LoadKeywords(CStrToken& t, std::initializer_list<const char16_t*> lines) {
    std::u16string message;
    ASSERT_EQ(t.SetKeywordLines(Lines(lines), message), 0) << std::string(message.begin(), message.end());
}

// A C-like language: the built-in C++ mode without its keywords.
void SetUpCode(CStrToken& t) { LoadBuiltinLanguage(u"<cpp>", u"no such folder", t); }

struct Row {
    std::u16string text, label;
};

struct ListRecorder : KeywordListTarget {
    std::vector<Row> rows;
    int resets = 0;
    void ResetList() override {
        ++resets;
        rows.clear();
    }
    void AddRow(std::u16string_view text, std::u16string_view label) override {
        rows.push_back({std::u16string(text), std::u16string(label)});
    }
};

int ClassAt(const CStrToken& t, std::u16string_view text, int* length = nullptr) {
    int len = 0;
    int c = t.GetKeywordClass(text, len, t.GetTokenLength(text));
    if (length) *length = len;
    return c;
}

}  // namespace

TEST(StrTokenTables, ResetLeavesOnlyBlanksAsBreakCharacters) {
    CStrToken t;
    SetUpCode(t);
    LoadKeywords(t, {u"int"});
    t.Reset();
    for (char32_t c = 0; c < 256; ++c) {
        bool blank = c == 0 || c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
        EXPECT_EQ(t.IsBreakChar(c), blank) << unsigned(c);
        EXPECT_FALSE(t.IsOperatorChar(c) || t.IsCommentStartChar(c) || t.GetBracketKind(c) || t.IsLanguageKeywordChar(c));
    }
    EXPECT_TRUE(t.KeywordNocase());
    EXPECT_FALSE(t.TagLanguageMode());
    EXPECT_EQ(t.EscapeChar(), 0);
    EXPECT_TRUE(t.Keywords().empty());
    EXPECT_TRUE(t.OpenComment().empty());
    EXPECT_EQ(t.RowCommentCount(), 0);
    // Ideographic space, comma and full stop and the full-width comma and
    // period break words in every language.
    for (char32_t c : {0x3000u, 0x3001u, 0x3002u, 0xFF0Cu, 0xFF0Eu}) EXPECT_TRUE(t.IsBreakChar(c)) << unsigned(c);
    for (char32_t c : {0x3003u, 0xFF0Du, 0x3042u, 0x1F600u}) EXPECT_FALSE(t.IsBreakChar(c)) << unsigned(c);
}

TEST(StrTokenTables, SettersMarkTheirTablesAndBreak) {
    CStrToken t;
    t.SetOperatorChars(u"+");
    t.SetQuoteChars(u"'");
    t.SetCommentChars(u"#");
    t.SetBracketChars(u")>]}!");
    t.SetLanguageKeywordChars(u"$");
    t.SetOpenComment(u"{-");
    t.SetEscapeChar(u'\\');
    EXPECT_TRUE(t.IsOperatorChar(u'+'));
    EXPECT_EQ(t.IsQuoteChar(u"'x"), u'\'');
    EXPECT_TRUE(t.IsCommentStartChar(u'\''));
    EXPECT_TRUE(t.IsCommentStartChar(u'#'));
    EXPECT_TRUE(t.IsCommentStartChar(u'-'));
    for (char16_t c : {u')', u'>', u']', u'}', u'!'}) EXPECT_EQ(t.GetBracketKind(c), 1) << char(c);
    for (char16_t c : {u'(', u'<', u'[', u'{'}) EXPECT_EQ(t.GetBracketKind(c), 2) << char(c);
    EXPECT_EQ(t.BracketChars(), u")>]}!");
    EXPECT_TRUE(t.IsLanguageKeywordChar(u'$'));
    EXPECT_FALSE(t.IsBreakChar(u'$'));  // prefixes don't break words
    for (char16_t c : {u'+', u'\'', u'#', u')', u'(', u'{', u'-', u'\\'}) EXPECT_TRUE(t.IsBreakChar(c)) << char(c);
    EXPECT_EQ(t.EscapeChar(), u'\\');
}

TEST(StrTokenTables, SettersIgnoreCodePointsFrom256Up) {
    // U+0128 and U+0A28 would alias '(' and '(' again in a table indexed by
    // the low byte; U+FF09 is the full-width ')'.
    CStrToken t;
    const std::u16string wide = u"\u0128\u0A28\uFF09\u3042\U0001F600";
    t.SetBreakChars(wide);
    t.SetOperatorChars(wide);
    t.SetQuoteChars(wide);
    t.SetCommentChars(wide);
    t.SetBracketChars(wide);
    t.SetLanguageKeywordChars(wide);
    t.SetOpenComment(wide);
    t.SetCloseComment(wide);
    t.SetEscapeChar(u'\u015C');
    for (char32_t c = 0; c < 256; ++c) {
        bool blank = c == 0 || c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
        EXPECT_EQ(t.IsBreakChar(c), blank) << unsigned(c);
        EXPECT_FALSE(t.IsOperatorChar(c) || t.IsCommentStartChar(c) || t.GetBracketKind(c) || t.IsLanguageKeywordChar(c))
            << unsigned(c);
    }
    for (char16_t u : wide) {
        EXPECT_EQ(t.IsQuoteChar(std::u16string(1, u)), 0);
        EXPECT_EQ(t.GetBracketKind(u), 0);
        EXPECT_FALSE(t.IsOperatorChar(u));
    }
    EXPECT_EQ(t.EscapeChar(), 0);
}

TEST(StrTokenQuotes, QuotedLength) {
    CStrToken t;
    SetUpCode(t);
    struct Case {
        std::u16string text;
        bool stopAtLf;
        int expected;
    } cases[] = {
        {u"\"abc\" x", false, 5},
        {u"'a\\'b' x", false, 6},           // an escaped quote does not close
        {u"'a\\\\' x", false, 5},           // an escaped escape does not hide the quote
        {u"'abc", false, 4},                // unterminated: the end of the text
        {u"'abc\nd'", true, 4},             // stops at the line end when asked
        {u"'abc\nd'", false, 7},
        {u"'a\U0001F600b'", false, 6},      // a pair is stepped over whole
        {u"\"it's\"", false, 6},            // the other quote is plain text
        {u"'", false, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.GetQuotedLength(c.text, c.stopAtLf), c.expected) << std::string(c.text.begin(), c.text.end());
}

TEST(StrTokenQuotes, ScansNeverPassTheEndOfTheLine) {
    CStrToken t;
    SetUpCode(t);
    // Each line is a view into a longer buffer whose next unit would close
    // the string: a scan that steps over the end would find it.
    const std::u16string escapeAtEnd = u"'ab\\'tail'";
    EXPECT_EQ(t.GetQuotedLength(std::u16string_view(escapeAtEnd).substr(0, 4), false), 4);
    const std::u16string surrogateAtEnd = u"'ab\xD83D'tail'";
    EXPECT_EQ(t.GetQuotedLength(std::u16string_view(surrogateAtEnd).substr(0, 4), false), 4);
    int length = 0;
    EXPECT_EQ(t.IsClosingQuote(std::u16string_view(escapeAtEnd).substr(3, 1), u'\'', length), 0);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(t.GetTokenLength(std::u16string_view(escapeAtEnd).substr(0, 4)), 4);
    // The keyword tail comparison stops at the line end too.
    LoadKeywords(t, {u"end if"});
    const std::u16string endIf = u"end if";
    EXPECT_EQ(ClassAt(t, std::u16string_view(endIf).substr(0, 5)), 0);
    EXPECT_EQ(ClassAt(t, endIf), 1);
}

TEST(StrTokenQuotes, ClosingQuote) {
    CStrToken t;
    SetUpCode(t);
    int length = 0;
    EXPECT_EQ(t.IsClosingQuote(u"'x", u'\'', length), 1);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(t.IsClosingQuote(u"\\'", u'\'', length), 0);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(t.IsClosingQuote(u"\\n", u'\'', length), 0);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(t.IsClosingQuote(u"\"", u'\'', length), 0);
    EXPECT_EQ(length, 1);
}

TEST(StrTokenTokens, TokenLengthAndCommentMarkers) {
    CStrToken t;
    SetUpCode(t);
    struct Case {
        std::u16string text;
        int expected;
    } cases[] = {
        {u"abc+d", 3}, {u"+d", 1}, {u"'q q' x", 5}, {u"\U0001F600x y", 3}, {u"あい、う", 2}, {u"、う", 1}, {u"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.GetTokenLength(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
    EXPECT_TRUE(t.IsLineCommentAt(u"// x"));
    EXPECT_FALSE(t.IsLineCommentAt(u"/"));
    EXPECT_TRUE(t.IsOpenCommentAt(u"/* x"));
    EXPECT_FALSE(t.IsOpenCommentAt(u"/"));
    EXPECT_TRUE(t.IsCloseCommentAt(u"*/"));
    CStrToken none;
    EXPECT_FALSE(none.IsOpenCommentAt(u"/*"));
    EXPECT_FALSE(none.IsCloseCommentAt(u""));
}

TEST(StrTokenComments, AtMostFourRowCommentMarkers) {
    CStrToken t;
    for (const char16_t* m : {u"--", u"#", u"//", u";"}) EXPECT_TRUE(t.AddRowComment(m));
    EXPECT_FALSE(t.AddRowComment(u"%"));
    EXPECT_EQ(t.RowCommentCount(), 4);
    EXPECT_TRUE(t.IsLineCommentAt(u";x"));
    EXPECT_FALSE(t.IsLineCommentAt(u"%x"));
    t.FreeCommentStrings();
    EXPECT_EQ(t.RowCommentCount(), 0);
    EXPECT_FALSE(t.IsLineCommentAt(u"--"));
}

TEST(StrTokenKeywords, KeywordLinesGiveTextAndClass) {
    CStrToken t;
    t.SetKeywordNocase(false);
    LoadKeywords(t, {u"select,2\r\n", u"from,7\n", u"// note\n", u"  \n", u"\n", u"where \r\n", u"order, 2", u"by,-2"});
    std::vector<std::pair<std::u16string, int>> got;
    for (const auto& kw : t.Keywords()) got.emplace_back(kw.text(), kw.keywordClass);
    std::vector<std::pair<std::u16string, int>> expected = {
        {u"", 1}, {u"by", 1}, {u"from", 1}, {u"order", 2}, {u"select", 2}, {u"where", 1}};
    EXPECT_EQ(got, expected);
    for (const auto& kw : t.Keywords())
        EXPECT_EQ(std::u16string(kw.label()), kw.keywordClass == 2 ? u"KEYWORD2" : u"KEYWORD");
    EXPECT_EQ(t.LongestKeyword(), 6);
    int length = 0;
    EXPECT_EQ(ClassAt(t, u"select x", &length), 2);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(ClassAt(t, u"from"), 1);
    EXPECT_EQ(ClassAt(t, u" "), 0);  // the blank line's keyword never matches
    EXPECT_EQ(ClassAt(t, u"selectx"), 0);
    EXPECT_EQ(ClassAt(t, u"sel"), 0);
}

TEST(StrTokenKeywords, CaseInsensitiveLookup) {
    CStrToken t;
    LoadKeywords(t, {u"SELECT", u"from", u"x"});
    struct Case {
        std::u16string text;
        int expected;
    } cases[] = {{u"Select", 1}, {u"select", 1}, {u"SELECT", 1}, {u"FROM", 1}, {u"X", 1}, {u"x", 1}, {u"y", 0}, {u"Selects", 0}};
    for (const auto& c : cases) EXPECT_EQ(ClassAt(t, c.text), c.expected) << std::string(c.text.begin(), c.text.end());
    // Written form kept, compare form folded.
    ASSERT_EQ(t.Keywords().size(), 3u);
    EXPECT_EQ(t.Keywords()[1].text(), u"SELECT");
    EXPECT_EQ(t.Keywords()[1].compare(), u"select");
}

TEST(StrTokenKeywords, KeywordsHoldingBreakCharacters) {
    CStrToken t;
    SetUpCode(t);
    t.SetKeywordNocase(true);
    LoadKeywords(t, {u"end", u"end if", u"end if then", u"#include", u"->", u"-", u"a.b"});
    struct Case {
        std::u16string text;
        int length;  // 0: no keyword
    } cases[] = {
        // A keyword is a hit only where a break character (or the line end)
        // follows it in the text, so "->" needs one behind it.
        {u"end if x", 6}, {u"END IF", 6}, {u"end ifx", 3}, {u"end if then;", 11}, {u"end if thenx", 6},
        {u"end", 3},      {u"ends", 0},   {u"#include <x>", 8}, {u"-> x", 2}, {u"->x", 1}, {u"-x", 0}, {u"- x", 1}, {u"a.b c", 3}, {u"a.bc", 0},
    };
    for (const auto& c : cases) {
        int length = 0;
        int cls = ClassAt(t, c.text, &length);
        EXPECT_EQ(cls != 0 ? length : 0, c.length) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(StrTokenKeywords, LanguageKeywordPrefix) {
    CStrToken t;
    t.SetKeywordNocase(false);
    t.SetBreakChars(u" ,.:;(){}[]'\"=><-&|*+-/%");
    t.SetLanguageKeywordChars(u"$%@");
    LoadKeywords(t, {u"print"});
    int length = 0;
    EXPECT_EQ(ClassAt(t, u"$name = 1", &length), 2);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(ClassAt(t, u"@list;", &length), 2);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(ClassAt(t, u"$ x"), 0);
    EXPECT_EQ(ClassAt(t, u"$"), 0);
    EXPECT_EQ(ClassAt(t, u"$("), 0);
    EXPECT_EQ(ClassAt(t, u"print $x", &length), 1);
    EXPECT_EQ(length, 5);
}

TEST(StrTokenKeywords, MoreThan32767Words) {
    CStrToken t;
    t.SetKeywordNocase(false);
    TextLines lines;
    for (int i = 0; i < 40000; ++i) {
        std::string w("w");
        w += std::to_string(100000 + i);
        lines.Add(std::u16string(w.begin(), w.end()));
    }
    std::u16string message;
    ASSERT_EQ(t.SetKeywordLines(lines, message), 0);
    for (int i : {0, 32766, 32767, 32768, 39999}) {
        std::string w("w");
        w += std::to_string(100000 + i);
        EXPECT_EQ(ClassAt(t, std::u16string(w.begin(), w.end())), 1) << w;
    }
    EXPECT_EQ(ClassAt(t, u"w140000"), 0);
    char16_t out[16];
    EXPECT_EQ(t.NextKeywordByPrefix(u"w13999", 0, out, sizeof out, false), 1);
    EXPECT_EQ(std::u16string(out), u"w139991");
    EXPECT_EQ(t.NextKeywordByPrefix(u"w", -1, out, sizeof out, true), 39999);
    EXPECT_EQ(std::u16string(out), u"w139999");
}

TEST(StrTokenCompletion, CyclesThroughTheMatchingRun) {
    CStrToken t;
    LoadKeywords(t, {u"select", u"set", u"sum", u"SELECTIVE", u"from"});
    char16_t out[32];
    struct Step {
        std::u16string prefix;
        int cycle;
        bool backwards;
        int next;
        std::u16string word;
    } steps[] = {
        {u"sel", -1, false, 0, u"select"},  {u"sel", 0, false, 1, u"selective"}, {u"sel", 1, false, -1, u""},
        {u"SEL", -1, false, 0, u"SELECT"},  {u"Se", 2, false, -1, u""},          {u"Se", 1, false, 2, u"SET"},
        {u"se", -1, true, 2, u"set"},       {u"se", 2, true, 1, u"selective"},   {u"se", 0, true, -1, u""},
        {u"x", -1, false, -1, u""},         {u"selectives", -1, false, -1, u""},  // longer than any keyword
    };
    for (const auto& s : steps) {
        out[0] = 0;
        EXPECT_EQ(t.NextKeywordByPrefix(s.prefix, s.cycle, out, sizeof out, s.backwards), s.next)
            << std::string(s.prefix.begin(), s.prefix.end()) << " " << s.cycle;
        if (s.next >= 0) {
            EXPECT_EQ(std::u16string(out), s.word);
        }
    }
    // A keyword that does not fit the buffer is no answer.
    EXPECT_EQ(t.NextKeywordByPrefix(u"selecti", -1, out, 9 * sizeof(char16_t), false), -1);
    EXPECT_EQ(t.NextKeywordByPrefix(u"selecti", -1, out, 10 * sizeof(char16_t), false), 0);
    CStrToken empty;
    EXPECT_EQ(empty.NextKeywordByPrefix(u"s", -1, out, sizeof out, false), -1);
}

TEST(StrTokenCompletion, CaseSensitiveCompletionKeepsTheTable) {
    CStrToken t;
    t.SetKeywordNocase(false);
    LoadKeywords(t, {u"String", u"static", u"struct"});
    char16_t out[32];
    EXPECT_EQ(t.NextKeywordByPrefix(u"st", -1, out, sizeof out, false), 0);
    EXPECT_EQ(std::u16string(out), u"static");
    EXPECT_EQ(t.NextKeywordByPrefix(u"St", -1, out, sizeof out, false), 0);
    EXPECT_EQ(std::u16string(out), u"String");
    EXPECT_EQ(t.NextKeywordByPrefix(u"St", 0, out, sizeof out, false), -1);
}

TEST(StrTokenCompletion, KeywordList) {
    for (bool nocase : {true, false}) {
        CStrToken t;
        t.SetKeywordNocase(nocase);
        LoadKeywords(t, {u"Select,2", u"set", u"sum", u"from"});
        ListRecorder list;
        EXPECT_EQ(t.GetKeywordList(u"SE", list), 1) << nocase;
        EXPECT_EQ(list.resets, 1);
        ASSERT_EQ(list.rows.size(), 2u) << nocase;
        // Under nocase the table is in folded order; otherwise "Select" sorts first anyway.
        EXPECT_EQ(list.rows[0].text, u"Select");
        EXPECT_EQ(list.rows[0].label, u"KEYWORD2");
        EXPECT_EQ(list.rows[1].text, u"set");
        EXPECT_EQ(list.rows[1].label, u"KEYWORD");
        EXPECT_EQ(t.GetKeywordList(u"q", list), 0);
        EXPECT_TRUE(list.rows.empty());
        ListRecorder untouched;
        EXPECT_EQ(t.GetKeywordList(u"selected", untouched), 0);  // longer than any keyword
        EXPECT_EQ(untouched.resets, 0);
    }
}

TEST(StrTokenKeywords, FreeKeywordsForgetsTheIndex) {
    CStrToken t;
    LoadKeywords(t, {u"alpha", u"beta"});
    EXPECT_EQ(ClassAt(t, u"beta"), 1);
    t.FreeKeywords();
    EXPECT_EQ(ClassAt(t, u"beta"), 0);
    char16_t out[8];
    EXPECT_EQ(t.NextKeywordByPrefix(u"b", -1, out, sizeof out, false), -1);
    // Reloading replaces, never appends.
    LoadKeywords(t, {u"gamma"});
    LoadKeywords(t, {u"delta"});
    EXPECT_EQ(t.Keywords().size(), 1u);
    EXPECT_EQ(ClassAt(t, u"gamma"), 0);
}
