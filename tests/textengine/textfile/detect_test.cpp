// Encoding and line-end detection.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "textengine/cpu_features.h"
#include "textengine/kanjitextfile.h"

namespace {

KanjiCode Detect(const std::string& bytes, KanjiCode defaultCode = KanjiCode::SJIS) {
    return DetectKanjiCode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), defaultCode);
}

const std::u16string kProse =
    u"日本語の文章です。ひらがなとカタカナ、それに漢字が混じっています。\r\n"
    u"今日は天気が良いので、散歩に出かけました。";

struct DetectCase {
    const char* name;
    std::string bytes;
    KanjiCode defaultCode;
    KanjiCode code;
};

TEST(Detect, KanjiCode) {
    const DetectCase cases[] = {
        {"empty keeps the default", "", KanjiCode::Unicode, KanjiCode::Unicode},
        {"ASCII keeps the default", "plain text\r\n", KanjiCode::SJIS, KanjiCode::SJIS},
        {"ASCII with a UTF-16 default", "plain text\r\n", KanjiCode::Unicode, KanjiCode::SJIS},
        {"ASCII with EUC default", "plain text\r\n", KanjiCode::EUC, KanjiCode::EUC},
        {"UTF-16LE signature", "\xFF\xFE" "a", KanjiCode::SJIS, KanjiCode::Unicode},
        {"UTF-16BE signature", "\xFE\xFF", KanjiCode::SJIS, KanjiCode::UTF16BE},
        {"UTF-8 signature", "\xEF\xBB\xBF" "a", KanjiCode::SJIS, KanjiCode::UTF8},
        {"JIS escape", "abc\x1b$B4A\x1b(B", KanjiCode::SJIS, KanjiCode::JIS},
        {"JIS escape after an 8-bit byte", "\x82\xA0\x82\xA2\x1b$B4A\x1b(B....", KanjiCode::SJIS, KanjiCode::SJIS},
        {"JIS escape right before an 8-bit byte", "abcdefghij\x1b$\x82\xA0\x82\xA2\x82\xA4....", KanjiCode::SJIS, KanjiCode::JIS},
        {"JIS escape after a late 8-bit byte", "abcdefghijk\x82\xA0\x1b$B4A\x1b(B....", KanjiCode::SJIS, KanjiCode::SJIS},
        {"escape without $ then a JIS escape", "ab\x1b\x1b$B4A\x1b(B", KanjiCode::SJIS, KanjiCode::JIS},
        {"escape as the last byte", "abcdefghijklmnop\x1b", KanjiCode::SJIS, KanjiCode::SJIS},
        {"UTF-16LE without signature", std::string("a\0b\0", 4), KanjiCode::SJIS, KanjiCode::UnicodeNoSig},
        {"UTF-16BE without signature", std::string("\0a\0b", 4), KanjiCode::SJIS, KanjiCode::UTF16BENoSig},
        {"nothing scores: EUC-JP", "\x80\x80\x80\x80\x80\x80\x80", KanjiCode::SJIS, KanjiCode::EUC},
        {"a tie goes to Shift_JIS", "\xE0\xA1\xE0\xA1\xE0\xA1\xE0\xA1" "abcd", KanjiCode::SJIS, KanjiCode::SJIS},
        {"Shift_JIS prose", EncodeText(KanjiCode::SJIS, kProse), KanjiCode::SJIS, KanjiCode::SJIS},
        {"EUC-JP prose", EncodeText(KanjiCode::EUC, kProse), KanjiCode::SJIS, KanjiCode::EUC},
        {"UTF-8 prose", EncodeText(KanjiCode::UTF8NoSig, kProse), KanjiCode::SJIS, KanjiCode::UTF8NoSig},
        {"JIS prose", EncodeText(KanjiCode::JIS, kProse), KanjiCode::SJIS, KanjiCode::JIS},
        {"UTF-16LE prose", "\xFF\xFE" + EncodeText(KanjiCode::Unicode, kProse), KanjiCode::SJIS, KanjiCode::Unicode},
        {"UTF-8 hiragana", "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\x8A" "abcd", KanjiCode::SJIS, KanjiCode::UTF8NoSig},
        // "\xC3\x80\n" is valid UTF-8 and breaks Shift_JIS and EUC-JP at once;
        // UTF-8 then wins only with a three-byte character the scan reaches.
        {"UTF-8 alone, two-byte characters only", "\xC3\x80\nabcdefgh", KanjiCode::SJIS, KanjiCode::EUC},
        {"UTF-8 alone, a three-byte character after ASCII words",
         "\xC3\x80\nabcdefghijklmnop\xE3\x80\x81" "abcd", KanjiCode::SJIS, KanjiCode::UTF8NoSig},
        {"UTF-8 alone, the three-byte character in the last four bytes", "\xC3\x80\nabcdefghijklmnop\xE3\x80\x81",
         KanjiCode::SJIS, KanjiCode::UTF8NoSig},
        {"UTF-8 alone, a NUL before the three-byte character",
         std::string("\xC3\x80\nabcdefgh\0\xE3\x80\x81" "abcd", 19), KanjiCode::SJIS, KanjiCode::EUC},
        {"Shift_JIS prose over many blocks", EncodeText(KanjiCode::SJIS, kProse + kProse + kProse) + "abcdef", KanjiCode::SJIS, KanjiCode::SJIS},
        {"Shift_JIS prose with a stray byte near its end", EncodeText(KanjiCode::SJIS, kProse + kProse + kProse) + "\x80" "abcdef", KanjiCode::SJIS,
         KanjiCode::EUC},
        {"Shift_JIS prose with a cut character near its end",
         EncodeText(KanjiCode::SJIS, kProse + kProse + kProse) + "\x82\n" "abcdef", KanjiCode::SJIS, KanjiCode::EUC},
        {"UTF-8 prose over many blocks", EncodeText(KanjiCode::UTF8NoSig, kProse + kProse + kProse) + "abcdef", KanjiCode::SJIS, KanjiCode::UTF8NoSig},
        {"UTF-8 prose broken near its end", EncodeText(KanjiCode::UTF8NoSig, kProse + kProse + kProse) + "\xFF" "abcdef", KanjiCode::SJIS, KanjiCode::EUC},
        {"UTF-8 alone, broken after the three-byte character", "\xC3\x80\n\xE3\x80\x81" "abcdefgh\xFF" "abcd", KanjiCode::SJIS, KanjiCode::EUC},
    };
    for (bool avx2 : {true, false}) {  // the wide and the baseline block scans
        AllowCpuExtensions(avx2);
        for (const auto& c : cases) EXPECT_EQ(Detect(c.bytes, c.defaultCode), c.code) << c.name << " avx2 " << avx2;
    }
    AllowCpuExtensions(true);
}

// Long UTF-8 texts with one fault placed anywhere across the wide scans'
// chunks and blocks, or none: the wide scans decide as the baseline does.
TEST(Detect, Utf8FaultsAnywhereDecideAsTheBaseline) {
    std::string prose;
    while (prose.size() < 1500) prose += EncodeText(KanjiCode::UTF8NoSig, kProse) + "abc \xC3\xA9 \xF0\x9F\x98\x80 ";
    const std::string faults[] = {"",         "\xFF", std::string(1, '\0'), "\x80",           "\xE3\x81",
                                  "\xC3",     "\xF8\x80", "\xF8\x80\x80\x80",     "\xF0\x9F\x98"};
    for (const std::string& fault : faults)
        for (std::size_t at = 0; at < 1400; at += fault.empty() ? 1400 : 7) {
            std::string bytes = prose;
            bytes.insert(at, fault);
            for (std::size_t size : {bytes.size(), std::size_t(300), std::size_t(520)}) {
                const std::string cut = bytes.substr(0, size);
                AllowCpuExtensions(false);
                const KanjiCode baseline = Detect(cut);
                AllowCpuExtensions(true);
                ASSERT_EQ(Detect(cut), baseline) << "fault " << testing::PrintToString(fault) << " at " << at
                                                 << " size " << size;
            }
        }
    // A two-byte character only, then a three-byte one deep in the text.
    const std::string two = "\xC3\x80\n" + std::string(900, 'a');
    for (std::size_t at : {3, 255, 256, 257, 300, 511, 512, 513, 800}) {
        std::string bytes = two;
        bytes.insert(at, "\xE3\x80\x81");
        AllowCpuExtensions(false);
        const KanjiCode baseline = Detect(bytes);
        AllowCpuExtensions(true);
        EXPECT_EQ(Detect(bytes), baseline) << at;
        EXPECT_EQ(baseline, KanjiCode::UTF8NoSig) << at;
    }
    AllowCpuExtensions(true);
}

// The frequent characters the guess weighs, and no other character, in each
// encoding, over every byte pair (and every three-byte UTF-8 form).
TEST(Detect, FrequentCharWeights) {
    const std::u16string frequent = u"。、，〜日人一見事本年時分大小上下高低";
    std::set<uint32_t> sjis, euc, utf8;
    for (char16_t c : frequent) {
        const std::u16string one(1, c);
        auto pack = [](const std::string& b) {
            uint32_t v = 0;
            for (char x : b) v = v << 8 | uint8_t(x);
            return v;
        };
        sjis.insert(pack(EncodeText(KanjiCode::SJIS, one)));
        euc.insert(pack(EncodeText(KanjiCode::EUC, one)));
        utf8.insert(pack(EncodeText(KanjiCode::UTF8NoSig, one)));
    }
    ASSERT_EQ(sjis.size(), frequent.size());
    ASSERT_EQ(euc.size(), frequent.size());
    ASSERT_EQ(utf8.size(), frequent.size());
    int wrong = 0;
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t v = a << 8 | b;
            wrong += FrequentCharWeightSjis(uint8_t(a), uint8_t(b)) != (sjis.count(v) ? 3 : 0);
            wrong += FrequentCharWeightEuc(uint8_t(a), uint8_t(b)) != (euc.count(v) ? 3 : 0);
            for (uint32_t c = 0; c < 256; ++c)
                wrong += FrequentCharWeightUtf8(uint8_t(a), uint8_t(b), uint8_t(c)) != (utf8.count(v << 8 | c) ? 3 : 0);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(Detect, CharCodeScoresStopAtNul) {
    // Hiragana in Shift_JIS, then a NUL; what follows would make Shift_JIS invalid.
    std::string s = "\x82\xA0\x82\xA2\x82\xA4";
    s += '\0';
    s += "\x80\x80\x80\x80\x80\x80";
    EXPECT_EQ(DetectCharCode(reinterpret_cast<const uint8_t*>(s.data()), s.size()), KanjiCode::SJIS);
}

// A text read whole is judged on all its bytes; one that fills the read
// limit may end inside a character, so its last four bytes are not judged.
TEST(Detect, LastBytesJudgedUnlessTheReadWasCut) {
    const std::string sjisKanji = "\x8E\x6E\r\n";  // 始 CR LF
    auto filled = [](const std::string& head, const std::string& tail) {
        return head + std::string(kDetectBytes - head.size() - tail.size(), 'a') + tail;
    };
    const DetectCase cases[] = {
        {"one kanji and a line end in Shift_JIS", sjisKanji, KanjiCode::SJIS, KanjiCode::SJIS},
        {"one kanji and a line end in EUC-JP", "\xBB\xCF\r\n", KanjiCode::SJIS, KanjiCode::EUC},
        {"one hiragana in UTF-8", "\xE3\x81\x82\n", KanjiCode::SJIS, KanjiCode::UTF8NoSig},
        {"one kanji alone in Shift_JIS", "\x8E\x6E", KanjiCode::SJIS, KanjiCode::SJIS},
        {"a whole text ending in a Shift_JIS lead byte", "\x82\xA0\x82", KanjiCode::SJIS, KanjiCode::EUC},
        {"a whole text ending inside a UTF-8 character", "\xE3\x81\x82\xE3\x81", KanjiCode::SJIS, KanjiCode::EUC},
        {"a cut text: a UTF-8 character in the last four bytes is not judged",
         filled("\xC3\x80\n", "\xE3\x80\x81"), KanjiCode::SJIS, KanjiCode::EUC},
        {"a cut text: a character cut at the limit is no fault", filled("\x82\xA0\x82\xA2", "\x82"), KanjiCode::SJIS, KanjiCode::SJIS},
        {"a cut text: the kanji in the last four bytes is not judged (nothing scores)", filled("", sjisKanji), KanjiCode::SJIS, KanjiCode::EUC},
    };
    for (const auto& c : cases) EXPECT_EQ(Detect(c.bytes, c.defaultCode), c.code) << c.name;
}

TEST(Detect, OnlyTheFirst64KiBAreLookedAt) {
    std::string s(kDetectBytes, 'a');
    s += EncodeText(KanjiCode::EUC, kProse);
    CMemoryStream in(s);
    CKanjiTextFile file(&in, KanjiCode::SJIS, LineEndType::CRLF);
    EXPECT_EQ(file.DetectKanjiCode(KanjiCode::SJIS), KanjiCode::SJIS);
    // The stream is rewound: reading starts at the first byte.
    std::u16string line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line.substr(0, 3), u"aaa");
}

struct LineEndCase {
    const char* name;
    KanjiCode code;
    std::string bytes;
    LineEndType lineEnd;
};

TEST(Detect, LineEnd) {
    const LineEndCase cases[] = {
        {"CR LF", KanjiCode::SJIS, "a\r\nb\n", LineEndType::CRLF},
        {"LF", KanjiCode::SJIS, "a\nb\r\n", LineEndType::LF},
        {"CR", KanjiCode::SJIS, "a\rb\r\n", LineEndType::CR},
        {"CR at the very end", KanjiCode::SJIS, "a\r", LineEndType::CR},
        {"CR ending a block, LF behind it", KanjiCode::SJIS, std::string(65535, 'a') + "\r\n", LineEndType::CRLF},
        {"CR ending a block alone", KanjiCode::SJIS, std::string(65535, 'a') + "\rb", LineEndType::CR},
        {"LF blocks after a CR LF", KanjiCode::SJIS, std::string(70000, 'a') + "\r\n" + std::string(70000, 'b') + "\n", LineEndType::CRLF},
        {"none in EUC-JP", KanjiCode::EUC, "\xB4\xC1", LineEndType::LF},
        {"none in JIS", KanjiCode::JIS, "abc", LineEndType::LF},
        {"none in UTF-8", KanjiCode::UTF8NoSig, "abc", LineEndType::CRLF},
        {"none in Shift_JIS", KanjiCode::SJIS, "abc", LineEndType::CRLF},
        {"UTF-16LE CR LF", KanjiCode::Unicode, std::string("\xFF\xFE" "a\0\r\0\n\0", 8), LineEndType::CRLF},
        {"UTF-16BE LF", KanjiCode::UTF16BENoSig, std::string("\0a\0\n", 4), LineEndType::LF},
        {"UTF-16LE unit 0D0A is no line end", KanjiCode::UnicodeNoSig, std::string("\x0A\x0D\n\0", 4), LineEndType::LF},
        {"UTF-16LE CR across a block", KanjiCode::UnicodeNoSig, std::string(65534, 'a') + std::string("\r\0\n\0", 4), LineEndType::CRLF},
    };
    for (const auto& c : cases) {
        CMemoryStream in(c.bytes);
        CKanjiTextFile file(&in, c.code, LineEndType::CRLF);
        EXPECT_EQ(file.DetectLineEnd(), c.lineEnd) << c.name;
        EXPECT_EQ(file.GetLineEndType(), c.lineEnd) << c.name;
        size_t n = 0;
        EXPECT_NE(file.ReadChunk(&n), nullptr) << c.name;  // rewound
    }
}

}  // namespace
