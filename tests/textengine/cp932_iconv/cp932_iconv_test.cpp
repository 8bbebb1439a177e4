// Our code page 932 table against the host iconv's "CP932", both ways, for
// every single byte, every lead/trail pair and every BMP code point.
#include <gtest/gtest.h>
#include <iconv.h>

#include <iterator>
#include <string>
#include <utility>

#include "textengine/kanjicodec.h"

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    // False when iconv rejects the input.
    bool Convert(const std::string& in, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buf[16];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft) return false;
        out.assign(buf, dst);
        return true;
    }

private:
    iconv_t m_cd;
};

std::u16string FromUtf16le(const std::string& s) {
    std::u16string u;
    for (size_t i = 0; i + 1 < s.size(); i += 2)
        u += static_cast<char16_t>(static_cast<uint8_t>(s[i]) | static_cast<uint8_t>(s[i + 1]) << 8);
    return u;
}

bool IsLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(Cp932Iconv, DecodingMatches) {
    Iconv cv("UTF-16LE", "CP932");
    ASSERT_TRUE(cv.ok());
    int mapped = 0;
    std::string out;
    for (int b = 0; b < 256; ++b) {
        if (IsLead(b)) continue;
        std::string in(1, static_cast<char>(b));
        std::u16string want = cv.Convert(in, out) ? FromUtf16le(out) : u"?";
        ASSERT_EQ(DecodeText(KanjiCode::SJIS, in), want) << "byte " << b;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead)) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            std::string in{static_cast<char>(lead), static_cast<char>(trail)};
            bool ok = cv.Convert(in, out);
            std::u16string want = ok ? FromUtf16le(out) : u"?";  // one '?' per unmapped pair
            mapped += ok;
            ASSERT_EQ(DecodeText(KanjiCode::SJIS, in), want) << std::hex << "pair " << lead << " " << trail;
        }
    }
    EXPECT_GT(mapped, 7000);
}

TEST(Cp932Iconv, EncodingMatchesForEveryBmpCodePoint) {
    Iconv cv("CP932", "UTF-16LE");
    ASSERT_TRUE(cv.ok());
    std::string out;
    for (int cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        std::string in{static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8)};
        std::string want = cv.Convert(in, out) ? out : "?";
        ASSERT_EQ(EncodeText(KanjiCode::SJIS, std::u16string(1, static_cast<char16_t>(cp))), want) << std::hex << "U+" << cp;
    }
}

// Whole texts, as a save writes them: Japanese mixed with ASCII in runs of
// every length, with line ends, through each encoder's block and table paths.
TEST(Cp932Iconv, GeneratedTextsEncodeAsIconvDoes) {
    static const std::u16string tokens[] = {u"a", u"xyz ", u"\t", u"カナ", u"漢字", u"ｱｲ", u"①", u"髙", u"～",
                                            u"\r\n", u"\n", u"、", u"ＡＢ", u"0123456789abcdef"};
    unsigned seed = 2026;
    auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        for (unsigned k = 0, n = next() % 60; k < n; ++k)
            for (unsigned r = 0, run = 1 + next() % 20; r < run; ++r) text += tokens[next() % std::size(tokens)];
        const std::string utf16le(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        for (const auto& [code, name] : {std::pair{KanjiCode::SJIS, "CP932"}, std::pair{KanjiCode::UTF8NoSig, "UTF-8"},
                                   std::pair{KanjiCode::UnicodeNoSig, "UTF-16LE"}}) {
            iconv_t cd = iconv_open(name, "UTF-16LE");
            ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
            std::string want(utf16le.size() * 2 + 16, '\0');
            char* in = const_cast<char*>(utf16le.data());
            char* out = want.data();
            size_t inLeft = utf16le.size(), outLeft = want.size();
            ASSERT_NE(iconv(cd, &in, &inLeft, &out, &outLeft), static_cast<size_t>(-1)) << name;
            iconv_close(cd);
            want.resize(want.size() - outLeft);
            ASSERT_EQ(EncodeText(code, text), want) << name << " round " << round;
        }
    }
}

}  // namespace
