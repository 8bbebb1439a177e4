#include "util/strutil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TrimCase {
    std::u16string text;
    char16_t ch;
    std::u16string left;
    bool cut;
};

TEST(TrimTrailingNewline, CutsTheTrailingRunOfLineEndsAndTheExtraChar) {
    const TrimCase cases[] = {
        {u"ab\r\n\r\n", 0, u"ab", true},
        {u"ab", 0, u"ab", false},
        {u"ab \n ", u' ', u"ab", true},
        {u"a\rb", 0, u"a\rb", false},
        {u"\n\n", 0, u"", true},
        {u"", 0, u"", false},
    };
    for (const auto& c : cases) {
        std::u16string buf = c.text;
        char16_t* at = TrimTrailingNewline(buf.data(), c.ch);
        EXPECT_EQ(std::u16string(buf.c_str()), c.left);
        EXPECT_EQ(at != nullptr, c.cut);
        if (at) {
            EXPECT_EQ(at - buf.data(), std::ptrdiff_t(c.left.size()));
        }
    }
}

TEST(GetCsvField, QuotedFieldsUnescapeDoubledQuotesAndDropTextBeforeTheDelimiter) {
    std::u16string out;
    const char16_t* text = u"\"a\"\"b\",c";
    const char16_t* next = GetCsvField(text, out, u',');
    EXPECT_EQ(out, u"a\"b");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(*next, u'c');
    EXPECT_EQ(GetCsvField(next, out, u','), nullptr);
    EXPECT_EQ(out, u"c");

    EXPECT_EQ(*GetCsvField(u"\"x\"junk;y", out, u';'), u'y');
    EXPECT_EQ(out, u"x");
    // Unterminated quote: the rest is the field.
    EXPECT_EQ(GetCsvField(u"\"abc", out, u','), nullptr);
    EXPECT_EQ(out, u"abc");
}

TEST(GetCsvField, WalksFieldsUpToTheEnd) {
    std::u16string out;
    const char16_t* p = u"日本,,語";
    std::u16string fields[3];
    int n = 0;
    do {
        p = GetCsvField(p, out, u',');
        fields[n++] = out;
    } while (p && n < 3);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(fields[0], u"日本");
    EXPECT_EQ(fields[1], u"");
    EXPECT_EQ(fields[2], u"語");
    EXPECT_EQ(GetCsvField(nullptr, out, u','), nullptr);
    EXPECT_EQ(out, u"");
}

TEST(GetCsvField, AViewEndsWhereItEndsNotAtATerminator) {
    // The buffer goes on behind each view; nothing past the view is read.
    const std::u16string buffer = u"\"a\"\"b\",c\"\";x";
    std::u16string out;
    std::u16string_view rest = std::u16string_view(buffer).substr(0, 3);  // "a" — a quote follows in the buffer
    EXPECT_FALSE(GetCsvField(rest, out, u','));
    EXPECT_EQ(out, u"a");
    EXPECT_TRUE(rest.empty());

    rest = std::u16string_view(buffer).substr(0, 9);  // "a""b",c"
    ASSERT_TRUE(GetCsvField(rest, out, u','));
    EXPECT_EQ(out, u"a\"b");
    EXPECT_EQ(rest, u"c\"");
    EXPECT_FALSE(GetCsvField(rest, out, u','));
    EXPECT_EQ(out, u"c\"");

    rest = u"k:v:w";
    ASSERT_TRUE(GetCsvField(rest, out, u':'));
    EXPECT_EQ(out, u"k");
    EXPECT_EQ(rest, u"v:w");
}

TEST(GetTsvField, FieldsEndAtTabLfOrCrLf) {
    char16_t out[16];
    const char16_t* text = u"ab\tcd\r\nef";
    const char16_t* end = GetTsvField(text, out, 16);
    EXPECT_EQ(std::u16string(out), u"ab");
    EXPECT_EQ(end - text, 2);
    end = GetTsvField(end + 1, out, 16);
    EXPECT_EQ(std::u16string(out), u"cd");
    EXPECT_EQ(*end, u'\n');  // the LF of CR LF
    end = GetTsvField(end + 1, out, 16);
    EXPECT_EQ(std::u16string(out), u"ef");
    EXPECT_EQ(*end, 0);
}

TEST(GetTsvField, QuotedFieldHoldsTabsQuotesAndPairs) {
    char16_t out[16];
    const char16_t* text = u"\"a\t\"\"𠮷\"\tz";
    const char16_t* end = GetTsvField(text, out, 16);
    EXPECT_EQ(std::u16string(out), u"a\t\"𠮷");
    EXPECT_EQ(*end, u'\t');
}

TEST(GetTsvField, CapacityIsNeverOverrun) {
    char16_t out[8];
    for (auto& u : out) u = u'#';
    const char16_t* text = u"abcdef\tg";
    const char16_t* end = GetTsvField(text, out, 4);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(out[4], u'#');
    EXPECT_EQ(end - text, 6);
    EXPECT_EQ(GetTsvField(text, nullptr, 0) - text, 6);
}

TEST(FoldingCompares, FullWidthAndAsciiLettersFoldTogether) {
    EXPECT_EQ(CompareNoCase(u"ABC", u"abc"), 0);
    EXPECT_EQ(CompareNoCase(u"ＡＢＣ", u"ａｂｃ"), 0);
    EXPECT_LT(CompareNoCase(u"a", u"ab"), 0);
    EXPECT_GT(CompareNoCase(u"b", u"A"), 0);
    EXPECT_NE(CompareNoCase(u"Ä", u"ä"), 0);
    EXPECT_NE(CompareNoCase(u"A", u"ａ"), 0);  // widths stay apart
    EXPECT_GT(CompareNoCase(u"𠮷", u"\uFFFF"), 0);  // pairs compare as code points

    EXPECT_TRUE(EqualsNoCase(std::u16string_view(u"ＡBcd", 3), u"ａbC"));  // a view ends at its size
    EXPECT_FALSE(EqualsNoCase(u"ab", u"abc"));
    EXPECT_FALSE(EqualsNoCase(u"A", u"ａ"));

    EXPECT_EQ(CommonPrefixNoCase(u"Ａbc", u"ａBd", 10), 2);
    EXPECT_EQ(CommonPrefixNoCase(u"abc", u"ABC", 2), 2);
    EXPECT_EQ(CommonPrefixNoCase(u"a𠮷x", u"A𠮷y", 2), 1);  // never half a pair
    EXPECT_EQ(CommonPrefixNoCase(u"a𠮷x", u"A𠮷y", 10), 3);
}

TEST(CharHelpers, PairsAreOneCharacter) {
    const char16_t* text = u"a\\𠮷\\";
    EXPECT_EQ(CountChar(text, u'\\'), 2);
    EXPECT_EQ(CountChar(text, 0x20BB7), 1);
    EXPECT_EQ(CountChar(text, 0xDFB7), 0);  // a low surrogate inside a pair is no character
    EXPECT_EQ(FindChar(text, 0xDFB7), nullptr);
    EXPECT_EQ(FindChar(text, 0x20BB7), text + 2);
    EXPECT_EQ(FindChar(text, u'z'), nullptr);

    std::u16string s = u"AbZ[Ａ]";
    ToLowerAscii(s.data());
    EXPECT_EQ(s, u"abz[Ａ]");
}

}  // namespace
