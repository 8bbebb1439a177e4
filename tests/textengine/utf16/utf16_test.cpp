#include <gtest/gtest.h>

#include <string>

#include "textengine/bytestream.h"
#include "textengine/utf16.h"

namespace {

TEST(Utf16, PairRoundTrip) {
    char16_t buf[4] = {};
    char16_t* end = utf16_put_code_point(buf, 0x1F600);
    EXPECT_EQ(end - buf, 2);
    EXPECT_EQ(buf[0], 0xD83D);
    EXPECT_EQ(buf[1], 0xDE00);
    EXPECT_EQ(utf16_get_code_point(buf), 0x1F600u);
    EXPECT_EQ(utf16_put_code_point(buf, u'あ') - buf, 1);
    EXPECT_EQ(utf16_put_code_point(buf, 0x10FFFF) - buf, 2);
    EXPECT_EQ(utf16_get_code_point(buf), 0x10FFFFu);
}

TEST(Utf16, LoneSurrogatesStayOneUnit) {
    const char16_t highThenEnd[] = {0xD83D, 0};
    EXPECT_EQ(utf16_get_code_point(highThenEnd), 0xD83Du);
    EXPECT_EQ(utf16_units_at(highThenEnd), 1);
    const char16_t highThenLetter[] = {0xD83D, u'a', 0};
    EXPECT_EQ(utf16_get_code_point(highThenLetter), 0xD83Du);
    const char16_t lowAlone[] = {0xDE00, 0};
    EXPECT_EQ(utf16_get_code_point(lowAlone), 0xDE00u);
    const char16_t twoHighs[] = {0xD83D, 0xD83D, 0xDE00, 0};
    EXPECT_EQ(utf16_get_code_point(twoHighs), 0xD83Du);
    EXPECT_EQ(utf16_get_code_point(twoHighs + 1), 0x1F600u);
}

TEST(Utf16, BoundedDecodeNeverPairsAcrossTheEnd) {
    const char16_t text[] = {u'a', 0xD83D, 0xDE00, 0xD83D, 0xDE00};
    int units = 0;
    EXPECT_EQ(utf16_decode(text, 1, 5, &units), 0x1F600u);
    EXPECT_EQ(units, 2);
    EXPECT_EQ(utf16_decode(text, 3, 4, &units), 0xD83Du);  // its low half lies past the end
    EXPECT_EQ(units, 1);
    EXPECT_EQ(utf16_units_before(text, 3), 2);
    EXPECT_EQ(utf16_units_before(text, 2), 1);  // behind a lone high half
    EXPECT_EQ(utf16_units_before(text, 1), 1);
}

// The one UTF-8 converter: pairs are four bytes, NULs stay, and what has no
// form either way (a lone half, bytes that are not UTF-8) becomes '?'.
TEST(Utf8, ConversionRules) {
    struct Case { std::u16string text; std::string utf8; };
    const Case cases[] = {
        {u"aあ", "a\xE3\x81\x82"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.text), c.utf8);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.text);
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D)) + u"x"), "?x");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDE00))), "?");
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a?b");
    EXPECT_EQ(Utf8ToUtf16("\xE3\x81"), u"??");  // a cut-off character: each byte
    EXPECT_EQ(PathToUtf8(std::u16string(u"dir\0rest", 8).c_str()), "dir");
    EXPECT_EQ(PathToUtf8(nullptr), "");
}

TEST(Utf16, CompareSignsAndFolding) {
    struct Case { const char16_t* a; const char16_t* b; int sign; int sign_nocase; };
    const Case cases[] = {
        {u"a", u"ab", -1, -1},
        {u"ab", u"a", 1, 1},
        {u"abc", u"abc", 0, 0},
        {u"ABC", u"abc", -1, 0},
        {u"Ä", u"ä", -1, -1},          // only A-Z fold
        {u"[", u"a", -1, -1},          // '[' (0x5B) vs 'a' (0x61); upper case would fold past it
        {u"Z", u"[", -1, 1},
        {u"\U0001F600", u"\uFFFF", 1, 1},  // a pair compares by code point, not by unit
        {u"", u"", 0, 0},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(utf16_compare(c.a, c.b)), c.sign);
        EXPECT_EQ(sign(utf16_compare_ascii_nocase(c.a, c.b)), c.sign_nocase);
    }
    EXPECT_EQ(utf16_compare(u"\U0001F600", u"\U0001F601"), -1);
}

TEST(Utf16, CompareStopsAtTerminatorAfterLoneHighSurrogate) {
    const char16_t a[] = {u'x', 0xD83D, 0, u'y', 0};
    const char16_t b[] = {u'x', 0xD83D, 0, u'z', 0};
    EXPECT_EQ(utf16_compare(a, b), 0);
    EXPECT_EQ(utf16_compare_ascii_nocase(a, b), 0);
}

}  // namespace
