#include <gtest/gtest.h>

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
