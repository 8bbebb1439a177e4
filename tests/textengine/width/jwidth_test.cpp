// Half-width and full-width conversion of ASCII and katakana.
#include <gtest/gtest.h>

#include <string>

#include "textengine/jwidth.h"

namespace {

enum Direction { kFull, kHalf };

struct WidthCase {
    Direction dir;
    int ascii, kana;
    std::u16string in;
    std::u16string out;
    int result;
};

int convert(Direction dir, const std::u16string& in, int ascii, int kana, std::u16string* out) {
    std::u16string buf(jwidth_halfwidth_units(in.c_str()), u'#');
    int r = dir == kFull ? jwidth_to_fullwidth(in.c_str(), buf.data(), buf.size(), ascii, kana)
                         : jwidth_to_halfwidth(in.c_str(), buf.data(), buf.size(), ascii, kana);
    *out = buf.c_str();
    return r;
}

TEST(JapaneseWidth, ConvertsByTable) {
    const WidthCase cases[] = {
        {kFull, 1, 0, u"A~ ", u"Ａ￣　", 1},
        {kHalf, 1, 0, u"Ａ￣　", u"A~ ", 1},
        {kFull, 1, 0, u"\"\\'`", u"＂￥＇｀", 1},         // the quote is shifted, not curled
        {kHalf, 1, 0, u"”’‘＂￥", u"\"'`\"\\", 1},
        {kHalf, 1, 0, u"～", u"～", 0},                     // U+FF5E stays
        {kFull, 1, 0, u"\t\x7F", u"\t\x7F", 0},
        {kFull, 0, 1, u"ｶﾞｷﾟ", u"ガキ゜", 1},              // ｷ takes no semi-voiced mark
        {kFull, 0, 1, u"ﾊﾟﾋﾞｳﾞ", u"パビウ゛", 1},
        {kFull, 0, 1, u"ﾞﾟｰ｡｢｣､･ｦﾝ", u"゛゜ー。「」、・ヲン", 1},
        {kFull, 0, 1, u"ABC", u"ABC", 0},                  // ASCII left alone
        {kHalf, 0, 1, u"ボヴパー。", u"ﾎﾞヴﾊﾟｰ｡", 1},     // ヴ has no half-width form
        {kHalf, 0, 1, u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ",
         u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", 1},
        {kHalf, 0, 1, u"ひらがな漢字", u"ひらがな漢字", 0},
        {kHalf, 0, 1, u"Ａ", u"Ａ", 0},
        {kFull, 1, 1, u"aｱ", u"ａア", 1},
        {kFull, 0, 0, u"aｱ", u"aｱ", 0},                    // both flags off: nothing changes
        {kHalf, 0, 0, u"ａア", u"ａア", 0},
        {kFull, 1, 1, u"\U0001F600a", u"\U0001F600ａ", 1},  // pairs pass through
        {kHalf, 1, 1, u"\xD83D", u"\xD83D", 0},             // a lone surrogate is copied
        {kFull, 1, 1, u"", u"", 0},
    };
    for (const auto& c : cases) {
        std::u16string out;
        EXPECT_EQ(convert(c.dir, c.in, c.ascii, c.kana, &out), c.result) << int(&c - cases);
        EXPECT_EQ(out, c.out) << int(&c - cases);
    }
}

TEST(JapaneseWidth, EveryHalfWidthKanaRoundTrips) {
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
        std::u16string half(1, c), full, back;
        ASSERT_EQ(convert(kFull, half, 0, 1, &full), 1);
        ASSERT_EQ(full.size(), 1u);
        EXPECT_EQ(convert(kHalf, full, 0, 1, &back), 1);
        EXPECT_EQ(back, half) << std::hex << int(c);
    }
}

TEST(JapaneseWidth, DestinationSizeIsRespected) {
    char16_t buf[4] = {u'#', u'#', u'#', u'#'};
    // "ボボ" needs four units and the NUL.
    EXPECT_EQ(jwidth_to_halfwidth(u"ボボ", buf, 4, 0, 1), -1);
    EXPECT_EQ(std::u16string(buf), u"ﾎﾞﾎ");
    char16_t exact[5];
    EXPECT_EQ(jwidth_to_halfwidth(u"ボボ", exact, 5, 0, 1), 1);
    EXPECT_EQ(std::u16string(exact), u"ﾎﾞﾎﾞ");
    char16_t one[1] = {u'#'};
    EXPECT_EQ(jwidth_to_fullwidth(u"a", one, 1, 1, 0), -1);
    EXPECT_EQ(one[0], 0);
    EXPECT_EQ(jwidth_to_fullwidth(u"a", nullptr, 0, 1, 0), -1);
    char16_t two[2];
    EXPECT_EQ(jwidth_to_fullwidth(u"ｶﾞ", two, 2, 0, 1), 1);  // the pair becomes one unit
    EXPECT_EQ(two[0], u'ガ');
}

}  // namespace
