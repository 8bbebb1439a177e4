#include "app/profile/ini_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"

namespace {

std::string Utf16Le(const std::u16string& text) { return EncodeText(KanjiCode::UnicodeNoSig, text); }
std::string WithSignature(const std::u16string& text) { return "\xFF\xFE" + Utf16Le(text); }

IniMap Parse(const std::string& bytes) {
    IniMap map;
    ParseIniBytes(bytes, map);
    return map;
}

struct ParseCase {
    const char* name;
    std::u16string text;
    IniMap expected;
};

TEST(IniParse, LinesAreReadAsSectionsKeysAndValues) {
    const ParseCase cases[] = {
        {"leading spaces are skipped, a blank before '=' belongs to the key",
         u"[TEXT_EDITOR]\n  TABSTOP=8\nTABSTOP =9\n",
         {{{u"TEXT_EDITOR", u"TABSTOP"}, u"8"}, {{u"TEXT_EDITOR", u"TABSTOP "}, u"9"}}},
        {"a tab is not skipped", u"[S]\n\tK=1\n", {{{u"S", u"\tK"}, u"1"}}},
        {"further '=' belong to the value; nothing after '=' is the empty value",
         u"[S]\nA=x=y\nB=\n",
         {{{u"S", u"A"}, u"x=y"}, {{u"S", u"B"}, u""}}},
        {"a section without ']' takes the rest; text after ']' is ignored",
         u"[OPEN\nA=1\n[CLOSED] tail\nB=2\n",
         {{{u"OPEN", u"A"}, u"1"}, {{u"CLOSED", u"B"}, u"2"}}},
        {"comments, empty lines and lines without '=' change nothing",
         u"[S]\n# A=1\n\n   \nplain text\nB=2\n",
         {{{u"S", u"B"}, u"2"}}},
        {"the first of two equal keys wins", u"[S]\nA=first\nA=second\n", {{{u"S", u"A"}, u"first"}}},
        {"keys before any header belong to the empty section", u"TOP=1\n[S]\nA=2\n",
         {{{u"", u"TOP"}, u"1"}, {{u"S", u"A"}, u"2"}}},
        {"CR LF, lone CR and a missing final line end", u"[S]\r\nA=1\r\nB=2\rC=3",
         {{{u"S", u"A"}, u"1"}, {{u"S", u"B"}, u"2"}, {{u"S", u"C"}, u"3"}}},
        {"Japanese names and values", u"[検索]\n履歴0=日本語テキスト\n", {{{u"検索", u"履歴0"}, u"日本語テキスト"}}},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(Parse(WithSignature(c.text)), c.expected) << c.name;
    }
}

TEST(IniParse, EveryEncodingAnOldFileMayHaveReadsTheSame) {
    const std::u16string text = u"[FONT]\nFACENAME=ＭＳ ゴシック\nPOINT=120\n";
    const IniMap expected = {{{u"FONT", u"FACENAME"}, u"ＭＳ ゴシック"}, {{u"FONT", u"POINT"}, u"120"}};
    const std::pair<const char*, std::string> files[] = {
        {"UTF-16LE with signature", WithSignature(text)},
        {"Shift_JIS", EncodeText(KanjiCode::SJIS, text)},
        {"UTF-8 with signature", "\xEF\xBB\xBF" + EncodeText(KanjiCode::UTF8NoSig, text)},
    };
    for (const auto& [name, bytes] : files) EXPECT_EQ(Parse(bytes), expected) << name;
    // Without a signature the engine knows UTF-16 only by its zero bytes.
    EXPECT_EQ(Parse(Utf16Le(u"[FONT]\nPOINT=120\n")), (IniMap{{{u"FONT", u"POINT"}, u"120"}}));
}

TEST(IniParse, LongValuesAndNamesAndATruncatedFile) {
    const std::u16string longValue(100000, u'あ');
    const std::u16string longKey(3000, u'K');
    IniMap map = Parse(WithSignature(u"[S]\nV=" + longValue + u"\n" + longKey + u"=1\nW=2\n"));
    EXPECT_EQ(map[IniKey(u"S", u"V")], longValue) << "a long value is neither cut nor read as further lines";
    EXPECT_EQ(map.count(IniKey(u"S", longKey.substr(0, kIniNameLimit))), 1u) << "a long key is cut to the limit";
    EXPECT_EQ(map[IniKey(u"S", u"W")], u"2");

    // Cut inside the last line, on an odd byte: what came before stays.
    std::string bytes = WithSignature(u"[S]\nA=1\nB=long value");
    bytes.resize(bytes.size() - 5);
    map = Parse(bytes);
    EXPECT_EQ(map[IniKey(u"S", u"A")], u"1");
    ASSERT_EQ(map.count(IniKey(u"S", u"B")), 1u);
    EXPECT_EQ(map[IniKey(u"S", u"B")].substr(0, 7), u"long va");
}

TEST(IniFormat, WritesSignatureSectionsInCodeUnitOrderAndLfLineEnds) {
    IniMap map = {
        {{u"a", u"x"}, u"3"},
        {{u"FONT", u"POINT"}, u"140"},
        {{u"APPLICATION", u"b"}, u"2"},
        {{u"APPLICATION", u"B"}, u"1"},
        {{u"", u"TOP"}, u"0"},
    };
    EXPECT_EQ(FormatIniBytes(map),
              WithSignature(u"TOP=0\n\n[APPLICATION]\nB=1\nb=2\n\n[FONT]\nPOINT=140\n\n[a]\nx=3\n"));
    EXPECT_EQ(FormatIniBytes({}), "\xFF\xFE") << "an empty store is the signature alone";
    // The file round-trips, the empty section included.
    EXPECT_EQ(Parse(FormatIniBytes(map)), map);
}

TEST(IniFormat, OnlyEntriesThatReadBackAsThemselvesAreStorable) {
    struct Case {
        std::u16string section, key, value;
        bool storable;
    } cases[] = {
        {u"S", u"K", u"plain = value ] [ #", true},
        {u"", u"", u"", true},
        {u"S", u"K", u"line1\nINJECTED=1", false},
        {u"S", u"K", u"cr\rhere", false},
        {u"S", u"K", std::u16string(u"nul\0x", 5), false},
        {u"S", u"K=V", u"1", false},
        {u"S", u" K", u"1", false},
        {u"S", u"#K", u"1", false},
        {u"S", u"[K", u"1", false},
        {u"S]X", u"K", u"1", false},
        {u"S\n", u"K", u"1", false},
        {u"S", std::u16string(kIniNameLimit + 1, u'k'), u"1", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsStorableIniEntry(c.section, c.key, c.value), c.storable)
            << std::string(c.key.begin(), c.key.end());
        if (c.storable) {
            IniMap map = {{{c.section, c.key}, c.value}};
            EXPECT_EQ(Parse(FormatIniBytes(map)), map);
        }
    }
}

TEST(IniInt, ReadsLikeTheDecimalReaderOfOldFiles) {
    const std::pair<std::u16string, int> cases[] = {
        {u"42", 42},      {u"  -7", -7},          {u"+5", 5},           {u"12abc", 12},
        {u"abc", 0},      {u"", 0},               {u"-", 0},            {u"\t 3", 3},
        {u"16777215", 16777215},                  {u"4294967295", -1},  {u"2147483648", INT32_MIN},
        {u"99999999999", INT32_MAX},              {u"-99999999999", INT32_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseIniInt(text), value) << std::string(text.begin(), text.end());
    for (int v : {0, -1, 255, INT32_MIN, INT32_MAX}) EXPECT_EQ(ParseIniInt(FormatIniInt(v)), v);
}

TEST(LocalProfileConversion, AnyEncodingBecomesUtf16LeWithLfLineEnds) {
    const std::u16string lf = u"[Recent File List]\nFile1=C:\\文書\\a.txt\n";
    EXPECT_EQ(ConvertToUtf16LeLf(EncodeText(KanjiCode::SJIS, u"[Recent File List]\r\nFile1=C:\\文書\\a.txt\r\n")),
              WithSignature(lf));
    EXPECT_EQ(ConvertToUtf16LeLf(Utf16Le(u"[Recent File List]\rFile1=C:\\a.txt\r")),
              WithSignature(u"[Recent File List]\nFile1=C:\\a.txt\n"));
    EXPECT_EQ(ConvertToUtf16LeLf(""), "\xFF\xFE");
}

}  // namespace
