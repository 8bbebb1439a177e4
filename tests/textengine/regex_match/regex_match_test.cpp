// End-to-end matching: pattern, flags, subject -> first match (or none, or
// an invalid pattern), through the string entry point.
#include <gtest/gtest.h>

#include "regex_test_util.h"

namespace {

constexpr int kNone = -1;     // compiles, no match
constexpr int kInvalid = -9;  // the pattern is invalid
constexpr int I = REGEX_COMPILE_ICASE;
constexpr int W = REGEX_COMPILE_IWIDTH;

struct Case {
    const char* pattern;
    int flags;
    const char* subject;
    int at;            // first match start in units, kNone or kInvalid
    const char* text;  // the matched text
};

const Case kCases[] = {
    // Literals, strings and the literal searcher.
    {"abc", 0, "xxabcxx", 2, "abc"},
    {"abc|abd", 0, "abxabd", 3, "abd"},
    {"ab", 0, "aab", 1, "ab"},
    {"日本語", 0, "これは日本語です", 3, "日本語"},
    {"abc", I, "xABC", 1, "ABC"},
    {"ａｂｃ", I, "xＡＢＣ", 1, "ＡＢＣ"},
    {"abc", W, "xａｂｃ", 1, "ａｂｃ"},
    {"ABC", I | W, "xａｂｃ", 1, "ａｂｃ"},
    {"(?i)\\x{ff21}", 0, "ａ", 0, "ａ"},
    {"(?i)\\x{ff21}", 0, "Ａ", 0, "Ａ"},
    {"(?w)A", 0, "Ａ", 0, "Ａ"},
    {"abc", 0, "ab", kNone, ""},
    {"(?=abc)abcd", 0, "abcabcd", 3, "abcd"},
    {"x(?i)abc(?-i)def", 0, "xABCdef xABCDEF", 0, "xABCdef"},
    {"abc(?i)def", 0, "abcDEF", 0, "abcDEF"},
    {"abc(?i)def", 0, "abcxyz abcdeF", 7, "abcdeF"},
    // Any, classes.
    {"a.c", 0, "a\nc abc", 4, "abc"},
    {"(?s)a.c", 0, "a\nc", 0, "a\nc"},
    {"[ぁ-ん]+", 0, "漢字ひらがなカナ", 2, "ひらがな"},
    {"[^x]", 0, "x\ny", 2, "y"},
    {"[a]", 0, "", kNone, ""},
    {"\\d+", 0, "ab123c", 2, "123"},
    {"[A-Z]", I, "q", 0, "q"},
    {"[A-Z]", W, "Ｑ", 0, "Ｑ"},
    {"\\w+", 0, "あfoo_1あ", 1, "foo_1"},
    {"\\s", 0, "a\nb c", 3, " "},
    // Anchors.
    {"^x", 0, "ax\nx", 3, "x"},
    {"a$", 0, "ab\na", 3, "a"},
    {"$", 0, "abc", 3, ""},
    {"x*", 0, "abc", 0, ""},
    {"\\Aa", 0, "aa", 0, "a"},
    {"\\Ab", 0, "ab", kNone, ""},
    {"a\\Z", 0, "xa\n", 1, "a"},
    {"a\\Z", 0, "xa", 1, "a"},
    {"\\n\\Z", 0, "x\n", kNone, ""},
    {"a\\z", 0, "a\n", kNone, ""},
    {"\\bfoo\\b", 0, "a foo.", 2, "foo"},
    {"\\bfoo\\b", 0, "afoo", kNone, ""},
    {"\\bあ", 0, " あ", kNone, ""},
    {"\\Boo", 0, "oo foo", 4, "oo"},
    // Groups, back-references.
    {"(a)\\1", 0, "xaa", 1, "aa"},
    {"(a)|b\\1", 0, "b", kNone, ""},
    {"(?i)(a)\\1", 0, "aA", 0, "aA"},
    {"(?<n>ab)\\k<n>", 0, "abab", 0, "abab"},
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\\11", 0, "abcdefghijka1", 0, "abcdefghijka1"},
    {"(a)\\g{-1}", 0, "aa", 0, "aa"},
    // Repeats.
    {"a{2,3}", 0, "aaaa", 0, "aaa"},
    {"a{2,3}?", 0, "aaaa", 0, "aa"},
    {"a*?b", 0, "aab", 0, "aab"},
    {"a+?", 0, "aaa", 0, "a"},
    {"(ab)+", 0, "xababa", 1, "abab"},
    {"(?:ab)*c", 0, "ababc", 0, "ababc"},
    {"foo.*bar", 0, "foo bar bar\nbar", 0, "foo bar bar"},
    {"foo.*?bar", 0, "foo bar bar", 0, "foo bar"},
    {"a.*", 0, "xab\ncd", 1, "ab"},
    {"[a-c]*d", 0, "abcabce", kNone, ""},
    {"a++a", 0, "aaaa", kNone, ""},
    {"a++b", 0, "aaab", 0, "aaab"},
    {"(?>a+)b", 0, "aab", 0, "aab"},
    {"(?>a|ab)c", 0, "abc", kNone, ""},
    {"(a?)*+b", 0, "aab", 0, "aab"},
    {"(a?)*b", 0, "aab", 0, "aab"},
    {"(a*)*b", 0, "aaab", 0, "aaab"},
    {"(a|)+b", 0, "b", 0, "b"},
    {"x?+", 0, "", 0, ""},
    {"a{2,3}+a", 0, "aaaa", 0, "aaaa"},
    {"a{2,3}+a", 0, "aaa", kNone, ""},
    {"[ab]?+b", 0, "b", kNone, ""},
    {"(?:ab)++c", 0, "ababc", 0, "ababc"},
    // Lookaround.
    {"foo(?=bar)", 0, "foobaz foobar", 7, "foo"},
    {"foo(?!bar)", 0, "foobar foobaz", 7, "foo"},
    {"(?<=\\d{3})x", 0, "123x", 3, "x"},
    {"(?<=\\d{3})x", 0, "12x", kNone, ""},
    {"(?<=\\d{3})x", 0, "x", kNone, ""},
    {"(?<!a)b", 0, "abcb", 3, "b"},
    {"(?<!a)b", 0, "b", 0, "b"},
    {"(?<=ab|cd)x", 0, "cdx", 2, "x"},
    // \K, conditionals, recursion.
    {"foo\\Kbar", 0, "foobar", 3, "bar"},
    {"(a)?(?(1)b|c)", 0, "ab", 0, "ab"},
    {"(a)?(?(1)b|c)", 0, "c", 0, "c"},
    {"(a)?(?(1)b|c)", 0, "xb", kNone, ""},
    {"(?(?=a)ab|cd)", 0, "cd", 0, "cd"},
    {"(?<q>x)?(?(<q>)y|z)", 0, "xy", 0, "xy"},
    {"\\((?:[^()]|(?R))*\\)", 0, "x(a(b)c)", 1, "(a(b)c)"},
    {"(a|b(?1))", 0, "bba", 0, "bba"},
    // Surrogate pairs.
    {"😀", 0, "a😀b", 1, "😀"},
    {".b", 0, "😀b", 0, "😀b"},
    {"[😀]", 0, "x😀", 1, "😀"},
    {"a😀b", 0, "a😀a😀b", 3, "a😀b"},
    {"😀😀", I, "x😀😀", 1, "😀😀"},
    // CR LF is one character seen at its LF.
    {"a.b", 0, "a\r\nb", kNone, ""},
    {"a\\nb", 0, "a\r\nb", 0, "a\r\nb"},
    {"(?s)a.b", 0, "a\r\nb", 0, "a\r\nb"},
    // Invalid patterns.
    {"(", 0, "", kInvalid, ""},
    {"a**", 0, "", kInvalid, ""},
    {"*a", 0, "", kInvalid, ""},
    {"{", 0, "", kInvalid, ""},
    {"(?<=a+)x", 0, "", kInvalid, ""},
    {"(?<=a|bc)x", 0, "", kInvalid, ""},
    {"[b-a]", 0, "", kInvalid, ""},
    {"\\x4F", 0, "", kInvalid, ""},
    {"(a)\\g{-2}", 0, "", kInvalid, ""},
};

class MatchTable : public ::testing::TestWithParam<Case> {};

TEST_P(MatchTable, FirstMatch) {
    const Case& c = GetParam();
    std::u16string pat = u16(c.pattern);
    RegexPtr re(regex_compile_n(pat.data(), int(pat.size()), c.flags));
    if (c.at == kInvalid) {
        EXPECT_FALSE(re) << c.pattern;
        return;
    }
    ASSERT_TRUE(re) << c.pattern;
    std::u16string subj = u16(c.subject);
    int col = -1, len = -1;
    int r = regex_search_string(re.get(), subj.c_str(), 0, &col, &len);
    if (c.at == kNone) {
        EXPECT_EQ(r, 0) << c.pattern << " on " << c.subject << " matched at " << col;
        return;
    }
    ASSERT_EQ(r, 1) << c.pattern << " on " << c.subject;
    EXPECT_EQ(col, c.at) << c.pattern << " on " << c.subject;
    EXPECT_EQ(u8(subj.substr(size_t(col), size_t(len))), c.text) << c.pattern << " on " << c.subject;
}

INSTANTIATE_TEST_SUITE_P(Regex, MatchTable, ::testing::ValuesIn(kCases));

}  // namespace
