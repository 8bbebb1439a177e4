// Reading and writing text files in every encoding through CKanjiTextFile.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "textengine/cp932.h"
#include "textengine/cpu_features.h"
#include "textengine/edit_data.h"
#include "textengine/kanjicodec.h"
#include "textengine/kanjitextfile.h"

namespace {

const KanjiCode kAllCodes[] = {KanjiCode::SJIS, KanjiCode::EUC, KanjiCode::JIS, KanjiCode::Unicode, KanjiCode::UnicodeNoSig, KanjiCode::UTF16BE, KanjiCode::UTF16BENoSig, KanjiCode::UTF8, KanjiCode::UTF8NoSig};

// Real Japanese text with half-width katakana, an NEC special character and
// an IBM extension kanji, which every encoding can hold.
const std::u16string kJapanese =
    u"吾輩は猫である。名前はまだ無い。\r\n"
    u"どこで生れたかとんと見当がつかぬ。ｶﾀｶﾅ ﾃﾞｽ\r\n"
    u"①Ⅹ㈱ 髙橋 ～ ￢ ＄ \\ ~ tab\there\r\n"
    u"last line";

std::string Write(KanjiCode code, LineEndType lineEnd, const std::vector<std::u16string>& pieces) {
    CMemoryStream out;
    CKanjiTextFile file(&out, code, lineEnd);
    for (const auto& p : pieces) EXPECT_TRUE(file.WriteText(p.data(), p.size()));
    EXPECT_TRUE(file.FinishText());
    return out.Bytes();
}

std::u16string ReadAll(KanjiCode code, const std::string& bytes) {
    CMemoryStream in(bytes);
    CKanjiTextFile file(&in, code, LineEndType::CRLF);
    std::u16string text;
    size_t n;
    while (const char16_t* chunk = file.ReadChunk(&n)) text.append(chunk, n);
    return text;
}

std::vector<std::u16string> ReadLines(KanjiCode code, const std::string& bytes) {
    CMemoryStream in(bytes);
    CKanjiTextFile file(&in, code, LineEndType::CRLF);
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.ReadLine(line)) lines.push_back(line);
    return lines;
}

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

TEST(TextFile, JapaneseRoundTripsInEveryEncoding) {
    for (KanjiCode code : kAllCodes) {
        std::string bytes = Write(code, LineEndType::CRLF, {kJapanese});
        EXPECT_EQ(ReadAll(code, bytes), kJapanese) << "code " << KanjiCodeNumber(code);
    }
}

TEST(TextFile, SignaturesAreWrittenOnlyForTheirCodes) {
    EXPECT_EQ(Write(KanjiCode::Unicode, LineEndType::CRLF, {u"a"}), Bytes({0xFF, 0xFE, 'a', 0}));
    EXPECT_EQ(Write(KanjiCode::UnicodeNoSig, LineEndType::CRLF, {u"a"}), Bytes({'a', 0}));
    EXPECT_EQ(Write(KanjiCode::UTF16BE, LineEndType::CRLF, {u"a"}), Bytes({0xFE, 0xFF, 0, 'a'}));
    EXPECT_EQ(Write(KanjiCode::UTF16BENoSig, LineEndType::CRLF, {u"a"}), Bytes({0, 'a'}));
    EXPECT_EQ(Write(KanjiCode::UTF8, LineEndType::CRLF, {u"a"}), Bytes({0xEF, 0xBB, 0xBF, 'a'}));
    EXPECT_EQ(Write(KanjiCode::UTF8NoSig, LineEndType::CRLF, {u"a"}), "a");
    // A signature is skipped whenever present, whatever the code says.
    EXPECT_EQ(ReadAll(KanjiCode::UnicodeNoSig, Bytes({0xFF, 0xFE, 'a', 0})), u"a");
    EXPECT_EQ(ReadAll(KanjiCode::Unicode, Bytes({'a', 0})), u"a");
    EXPECT_EQ(ReadAll(KanjiCode::UTF16BENoSig, Bytes({0xFE, 0xFF, 0, 'a'})), u"a");
    EXPECT_EQ(ReadAll(KanjiCode::UTF8NoSig, Bytes({0xEF, 0xBB, 0xBF, 'a'})), u"a");
}

// A character, or a CR LF, that straddles the 4096-byte chunk boundary at
// every offset reads back whole.
TEST(TextFile, SequencesSplitByTheChunkBoundaryReadWhole) {
    const std::u16string tails[] = {u"漢ｱ\r\nx", u"\r\n\r\nb", u"😀z"};
    for (KanjiCode code : kAllCodes) {
        for (const auto& tail : tails) {
            if (tail[0] == 0xD83D && !(IsUnicodeCode(code) || IsUTF8Code(code))) continue;
            for (size_t pad = 4085; pad <= 4096; ++pad) {
                std::u16string text(pad, u'a');
                text += tail;
                std::string bytes = Write(code, LineEndType::CRLF, {text});
                ASSERT_EQ(ReadAll(code, bytes), text) << "code " << KanjiCodeNumber(code) << " pad " << pad;
            }
        }
    }
}

TEST(TextFile, CrAtTheEndOfAChunkAndLfAtTheStartOfTheNextAreOneLineEnd) {
    std::string bytes(4095, 'a');
    bytes += "\r\nb";
    auto lines = ReadLines(KanjiCode::SJIS, bytes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::u16string(4095, u'a') + u"\r\n");
    EXPECT_EQ(lines[1], u"b");
    // The chunk itself never ends in that CR.
    CMemoryStream in(bytes);
    CKanjiTextFile file(&in, KanjiCode::SJIS, LineEndType::CRLF);
    size_t n;
    const char16_t* chunk = file.ReadChunk(&n);
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(n, 4095u);
}

TEST(TextFile, ReadLineKeepsEachKindOfLineEnd) {
    auto lines = ReadLines(KanjiCode::UTF8NoSig, "a\nb\r\nc\rd\r\r\ne");
    std::vector<std::u16string> want = {u"a\n", u"b\r\n", u"c\r", u"d\r", u"\r\n", u"e"};
    EXPECT_EQ(lines, want);
    EXPECT_TRUE(ReadLines(KanjiCode::SJIS, "").empty());
    EXPECT_EQ(ReadLines(KanjiCode::SJIS, "x\n"), std::vector<std::u16string>{u"x\n"});
}

TEST(TextFile, ReadLineIntoABufferCutsLongLinesWithoutOverrun) {
    CMemoryStream in(std::string("abcdef\r\ngh\r\nj"));
    CKanjiTextFile file(&in, KanjiCode::SJIS, LineEndType::CRLF);
    char16_t buf[5] = {};
    std::vector<std::u16string> got;
    while (file.ReadLine(buf, 4)) got.push_back(buf);
    // "gh\r" would split the CR LF: the cut goes before the CR.
    std::vector<std::u16string> want = {u"abc", u"def", u"\r\n", u"gh", u"\r\n", u"j"};
    EXPECT_EQ(got, want);
    EXPECT_EQ(file.ReadLine(buf, 1), nullptr);
}

TEST(TextFile, ReadChunkAfterReadLineContinuesWhereTheLineEnded) {
    CMemoryStream in(std::string("one\ntwo\nthree"));
    CKanjiTextFile file(&in, KanjiCode::SJIS, LineEndType::CRLF);
    std::u16string line;
    ASSERT_TRUE(file.ReadLine(line));
    size_t n;
    const char16_t* rest = file.ReadChunk(&n);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(std::u16string(rest, n), u"two\nthree");
}

TEST(TextFile, NulDoesNotCutTheChunk) {
    EXPECT_EQ(ReadAll(KanjiCode::SJIS, std::string("a\0b\0c", 5)), std::u16string(u"a\0b\0c", 5));
    EXPECT_EQ(ReadAll(KanjiCode::UTF8NoSig, std::string("\0\xE3\x81\x82", 4)), std::u16string(u"\0あ", 2));
}

struct DecodeCase {
    KanjiCode code;
    std::string bytes;
    std::u16string text;
};

TEST(TextFile, BadBytesBecomeOneQuestionMarkEach) {
    const DecodeCase cases[] = {
        // Shift_JIS: unmapped single bytes, an unmapped pair, a lead without trail.
        {KanjiCode::SJIS, Bytes({0x80, 0xA0, 0xFD, 'a'}), u"???a"},
        {KanjiCode::SJIS, Bytes({0x85, 0x40, 'a'}), u"?a"},
        {KanjiCode::SJIS, Bytes({0x81, 0x20, 'a'}), u"? a"},
        {KanjiCode::SJIS, Bytes({'a', 0x88}), u"a?"},
        {KanjiCode::SJIS, Bytes({0xF0, 0x40}), u"\uE000"},  // user-defined area
        // UTF-8: leads F8-FF, surrogates, beyond U+10FFFF, bad continuations, truncation.
        {KanjiCode::UTF8NoSig, Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), u"?????"},
        {KanjiCode::UTF8NoSig, Bytes({0xFF, 'a'}), u"?a"},
        {KanjiCode::UTF8NoSig, Bytes({0xED, 0xA0, 0x80, 'a'}), u"?a"},
        {KanjiCode::UTF8NoSig, Bytes({0xF4, 0x90, 0x80, 0x80, 'a'}), u"?a"},
        {KanjiCode::UTF8NoSig, Bytes({0xE3, 0x81, 'a'}), u"??a"},
        {KanjiCode::UTF8NoSig, Bytes({0xC3, 0x28}), u"?("},
        {KanjiCode::UTF8NoSig, Bytes({'a', 0xE3, 0x81}), u"a??"},
        {KanjiCode::UTF8NoSig, Bytes({0xF0, 0x9F, 0x98, 0x80}), u"😀"},
        {KanjiCode::UTF8NoSig, Bytes({0xF4, 0x8F, 0xBF, 0xBF}), u"\U0010FFFF"},
        // UTF-16 with an odd byte count keeps the last byte as '?'.
        {KanjiCode::UnicodeNoSig, Bytes({'a', 0, 'b'}), u"a?"},
        {KanjiCode::UTF16BENoSig, Bytes({0, 'a', 'b'}), u"a?"},
        // EUC-JP: JIS X 0212 and broken pairs.
        {KanjiCode::EUC, Bytes({0x8F, 0xB0, 0xA1, 'a'}), u"?a"},
        {KanjiCode::EUC, Bytes({0xB4, 0xC1, 0xB4, 'a'}), u"漢?a"},
        {KanjiCode::EUC, Bytes({0x8E, 0xB1, 0x8E, 'a'}), u"ｱ?a"},
        // JIS: controls pass through in every state; a lone kanji byte is '?'.
        {KanjiCode::JIS, "\x1b$B4A\r\n4A\t\x1b(Ja", u"漢\r\n漢\ta"},
        {KanjiCode::JIS, "\x1b$B4A4", u"漢?"},
        {KanjiCode::JIS, "\x0e\x31\x0f" "a\x1b(I\x32\x1b(Bb", u"ｱaｲb"},
        {KanjiCode::JIS, "\x1bKa", u"a"},  // an unknown escape drops the byte after it
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadAll(c.code, c.bytes), c.text) << "code " << KanjiCodeNumber(c.code) << " bytes " << testing::PrintToString(c.bytes);
}

// The UTF-8 codec takes ASCII and three-byte characters in blocks: every
// run length around a block, then a character of each length, a broken
// sequence or a lone surrogate, must come out as one by one.
TEST(TextFile, Utf8RunsAroundBlockEdges) {
    const struct {
        std::string bytes;
        std::u16string text;
    } tails[] = {{"", u""},
                 {"\xC3\xA9", u"é"},
                 {"\xE3\x81\x82\xE3\x81\x84", u"あい"},
                 {"\xF0\xA0\xAE\xB7", u"𠮷"},
                 {"\xE3\x81", u"??"},
                 {"\xED\xA0\x80", u"?"},
                 {"\xE3\x81\x82\x80", u"あ?"},
                 {"\xE0\xA0\x80\xEE\x80\x80\xEF\xBF\xBF", u"\u0800\uE000\uFFFF"},
                 {"\xDF\xBF", u"\u07FF"}};
    for (bool extensions : {true, false})
    for (int ascii = 0; ascii <= 40; ++ascii)
        for (int kana : {0, 1, 4, 5, 7, 8, 13, 16, 17})
            for (const auto& t : tails) {
                AllowCpuExtensions(extensions);
                std::string bytes(std::size_t(ascii), 'a');
                std::u16string text(std::size_t(ascii), u'a');
                for (int k = 0; k < kana; ++k) {
                    bytes += "\xE3\x82\xAB";
                    text += u'カ';
                }
                bytes += t.bytes + "z";
                text += t.text + u"z";
                EXPECT_EQ(DecodeText(KanjiCode::UTF8NoSig, bytes), text) << ascii << " " << kana << " " << t.bytes;
                if (t.text.find(u'?') == std::u16string::npos) {
                    EXPECT_EQ(EncodeText(KanjiCode::UTF8NoSig, text), bytes) << ascii;
                }
            }
    // A lone surrogate anywhere in a run is written as '?'.
    for (bool extensions : {true, false})
        for (std::size_t at = 0; at < 17; ++at) {
            AllowCpuExtensions(extensions);
            std::u16string text(17, u'カ');
            text[at] = char16_t(0xDC00);
            std::string bytes;
            for (std::size_t k = 0; k < 17; ++k) bytes += k == at ? "?" : "\xE3\x82\xAB";
            EXPECT_EQ(EncodeText(KanjiCode::UTF8NoSig, text), bytes) << at;
        }
    AllowCpuExtensions(true);
}

// Text that mixes ASCII with Japanese in short runs, as most files do, goes
// through the block paths of both codecs: random mixes of characters of
// every form must come out as the characters one by one.
TEST(TextFile, MixedRunsMatchCharacterByCharacter) {
    const struct {
        std::u16string text;
        std::string utf8, sjis;  // sjis empty: not in this mix
    } tokens[] = {{u"a", "a", "a"},
                  {u"\t", "\t", "\t"},
                  {u"カ", "\xE3\x82\xAB", "\x83\x4A"},
                  {u"漢", "\xE6\xBC\xA2", "\x8A\xBF"},
                  {u"ｱ", "\xEF\xBD\xB1", "\xB1"},
                  {u"é", "\xC3\xA9", ""},
                  {u"𠮷", "\xF0\xA0\xAE\xB7", ""},
                  {u"\xDC00", "?", ""}};
    unsigned seed = 99;
    auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
    for (int round = 0; round < 3000; ++round) {
        const bool japaneseOnly = round % 2 == 0;  // what Shift_JIS holds
        std::u16string text;
        std::string utf8, sjis;
        for (unsigned k = 0, length = next() % 48; k < length; ++k) {
            // Runs of one kind, of random length, as in real text.
            const auto& t = tokens[next() % (japaneseOnly ? 5 : 8)];
            for (unsigned r = 0, run = 1 + next() % 9; r < run; ++r) {
                text += t.text;
                utf8 += t.utf8;
                sjis += t.sjis;
            }
        }
        for (bool extensions : {true, false}) {
            AllowCpuExtensions(extensions);
            ASSERT_EQ(EncodeText(KanjiCode::UTF8NoSig, text), utf8) << round << " " << extensions;
            if (japaneseOnly) {
                ASSERT_EQ(DecodeText(KanjiCode::UTF8NoSig, utf8), text) << round;
                ASSERT_EQ(DecodeText(KanjiCode::SJIS, sjis), text) << round;
                ASSERT_EQ(EncodeText(KanjiCode::SJIS, text), sjis) << round;
            }
        }
    }
    AllowCpuExtensions(true);
}

struct EncodeCase {
    KanjiCode code;
    std::u16string text;
    std::string bytes;
};

TEST(TextFile, WritingPicksTheFormOfEachEncoding) {
    const EncodeCase cases[] = {
        {KanjiCode::JIS, u"漢a", "\x1b$B4A\x1b(Ja"},
        {KanjiCode::JIS, u"漢", "\x1b$B4A\x1b(J"},           // returns to Roman at the end
        {KanjiCode::JIS, u"ｱ漢ｲ", "\x0e\x31\x0f\x1b$B4A\x1b(J\x0e\x32\x0f"},
        {KanjiCode::SJIS, u"😀", "?"},
        {KanjiCode::UTF8NoSig, u"😀", "\xF0\x9F\x98\x80"},
        {KanjiCode::SJIS, u"\xD800" u"a", "?a"},             // a lone surrogate
        {KanjiCode::UTF8NoSig, u"a\xDC00", "a?"},
        {KanjiCode::SJIS, u"髙①¥", "\xFB\xFC\x87\x40\x5C"},   // IBM extension, NEC row 13, one-way ¥
        // EUC-JP and JIS hold JIS X 0208 rows only: the IBM kanji goes out as its
        // NEC-selected copy, the user-defined area as '?'.
        {KanjiCode::EUC, u"髙\uE000ｱ", "\xFC\xE2?\x8E\xB1"},
        {KanjiCode::JIS, u"\uE000\u2170", "?\x1b$B|q\x1b(J"},
        {KanjiCode::EUC, u"\u0080", "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeText(c.code, c.text), c.bytes) << "code " << KanjiCodeNumber(c.code);
    // JIS output stays 7-bit whatever the text.
    std::u16string all;
    for (char16_t u = 1; u < 0xD800; ++u) all += u;
    for (unsigned char b : EncodeText(KanjiCode::JIS, all)) ASSERT_LT(b, 0x80);
}

TEST(TextFile, JisStateCarriesAcrossWrites) {
    EXPECT_EQ(Write(KanjiCode::JIS, LineEndType::LF, {u"漢", u"\n", u"字"}), "\x1b$B4A\x1b(J\n\x1b$B;z\x1b(J");
}

TEST(TextFile, WritingWithoutACodeWritesNothing) {
    CMemoryStream out;
    CKanjiTextFile file(&out, KanjiCode::Detect, LineEndType::CRLF);
    EXPECT_FALSE(file.WriteText(u"a"));
    EXPECT_TRUE(out.Bytes().empty());
}

TEST(TextFile, LineEndTypes) {
    // Stored numbers: one that is no line end falls back to CR LF.
    for (int type : {1, 2, 3, 7}) {
        CMemoryStream out;
        CKanjiTextFile file(&out, KanjiCode::SJIS, LineEndTypeFromNumber(type).value_or(LineEndType::CRLF));
        file.WriteLineEnd();
        EXPECT_EQ(out.Bytes(), type == 2 ? "\n" : type == 3 ? "\r" : "\r\n");
    }
}

TEST(TextFile, OpenByPathReadsAndDetects) {
    std::string dir = TEST_OUTPUT_DIR;
    std::u16string path = Utf8ToUtf16(dir + "/textfile_漢字.txt");
    {
        CKanjiTextFile out;
        ASSERT_TRUE(out.Open(path.c_str(), "w"));
        EXPECT_EQ(out.GetKanjiCode(), KanjiCode::Detect);
        out.SetKanjiCode(KanjiCode::EUC);
        out.SetLineEndType(LineEndType::LF);
        EXPECT_TRUE(out.WriteText(u"日本語のテキストです。"));
        EXPECT_TRUE(out.WriteLineEnd());
        EXPECT_TRUE(out.Close());
    }
    CKanjiTextFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "r"));
    EXPECT_EQ(in.GetKanjiCode(), KanjiCode::EUC);
    EXPECT_EQ(in.DetectLineEnd(), LineEndType::LF);
    std::u16string line;
    ASSERT_TRUE(in.ReadLine(line));
    EXPECT_EQ(line, u"日本語のテキストです。\n");
    EXPECT_FALSE(in.ReadLine(line));
    in.Close();

    CKanjiTextFile missing;
    EXPECT_FALSE(missing.Open(Utf8ToUtf16(dir + "/no/such/file.txt").c_str(), "r"));
    EXPECT_FALSE(missing.Open(Utf8ToUtf16(dir + "/no/such/file.txt").c_str(), "w"));
}

// Each character encoded on its own, with no block or table fast path: what
// the encoders must write for any text, however it is cut into writes.
struct Reference {
    std::string bytes;
    unsigned long long replaced = 0;
    long long firstReplaced = -1;
};

Reference EncodeOneByOne(KanjiCode code, const std::u16string& text) {
    Reference r;
    auto replace = [&r](std::size_t at) {
        r.bytes += '?';
        if (r.replaced++ == 0) r.firstReplaced = static_cast<long long>(at);
    };
    const bool wide = code == KanjiCode::UnicodeNoSig || code == KanjiCode::UTF16BENoSig, bigEndian = code == KanjiCode::UTF16BENoSig;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (wide) {
            r.bytes += static_cast<char>(bigEndian ? u >> 8 : u & 0xFF);
            r.bytes += static_cast<char>(bigEndian ? u & 0xFF : u >> 8);
            continue;
        }
        const bool pair = u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] < 0xE000;
        if (pair) {
            const char32_t cp = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            if (code == KanjiCode::UTF8NoSig) {
                r.bytes += static_cast<char>(0xF0 | cp >> 18);
                r.bytes += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
                r.bytes += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
                r.bytes += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                replace(i);
            }
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            replace(i);
        } else if (code == KanjiCode::UTF8NoSig) {
            if (u < 0x80) {
                r.bytes += static_cast<char>(u);
            } else if (u < 0x800) {
                r.bytes += static_cast<char>(0xC0 | u >> 6);
                r.bytes += static_cast<char>(0x80 | (u & 0x3F));
            } else {
                r.bytes += static_cast<char>(0xE0 | u >> 12);
                r.bytes += static_cast<char>(0x80 | (u >> 6 & 0x3F));
                r.bytes += static_cast<char>(0x80 | (u & 0x3F));
            }
        } else if (u == 0) {
            r.bytes += '\0';
        } else if (const uint16_t sjis = cp932::Encode(u); sjis == 0) {
            replace(i);
        } else {
            if (sjis > 0xFF) r.bytes += static_cast<char>(sjis >> 8);
            r.bytes += static_cast<char>(sjis & 0xFF);
        }
    }
    return r;
}

// Random text of every kind of unit, in short runs as real text has them:
// ASCII, kana and kanji, half-width katakana, NEC and IBM characters, U+0000,
// characters Shift_JIS has no form for, pairs, lone halves, line ends.
std::u16string RandomText(unsigned& seed, unsigned length) {
    static const std::u16string tokens[] = {u"a",      u"\t",  u"カ",    u"漢",     u"ｱ",     u"①",
                                            u"髙",     u"é",   u"\uFFFF", u"\uE000", u"😀",    u"\xD800",
                                            u"\xDC00", u"\r",  u"\n",    u"\r\n",   u"abcdefghij"};
    std::u16string text;
    auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
    while (text.size() < length) {
        const std::u16string& t = tokens[next() % (sizeof tokens / sizeof tokens[0])];
        for (unsigned r = 0, run = 1 + next() % 12; r < run; ++r) text += t;
        if (next() % 16 == 0) text += u'\0';
    }
    return text;
}

// The encoders' block and table paths, and a line end written after a line
// or alone, give what the characters give one by one, wherever the writes
// cut the text (a pair split between two writes included), with the same
// count and place of characters written as '?'.
TEST(TextFile, WritesMatchEncodingOneByOneWhereverTheTextIsCut) {
    unsigned seed = 36;
    for (int round = 0; round < 400; ++round) {
        const std::u16string text = RandomText(seed, seed % 300);
        for (KanjiCode code : {KanjiCode::SJIS, KanjiCode::UnicodeNoSig, KanjiCode::UTF8NoSig, KanjiCode::UTF16BENoSig})
            for (LineEndType lineEnd : kLineEndTypes)
                for (bool extensions : {true, false}) {
                    AllowCpuExtensions(extensions);
                    CMemoryStream out;
                    CKanjiTextFile file(&out, code, lineEnd);
                    const std::u16string end = lineEnd == LineEndType::CRLF ? u"\r\n" : lineEnd == LineEndType::LF ? u"\n" : u"\r";
                    std::u16string written;
                    unsigned cutSeed = seed + unsigned(KanjiCodeNumber(code) * 7 + LineEndTypeNumber(lineEnd));
                    for (std::size_t at = 0; at < text.size();) {
                        const std::size_t n = std::min<std::size_t>(text.size() - at, 1 + (cutSeed = cutSeed * 69069 + 1) % 40);
                        const unsigned how = cutSeed >> 28;
                        if (how < 5) {
                            ASSERT_TRUE(file.WriteLine(text.data() + at, n));
                            written += text.substr(at, n) + end;
                        } else if (how < 7) {
                            ASSERT_TRUE(file.WriteText(text.data() + at, n));
                            ASSERT_TRUE(file.WriteLineEnd());
                            written += text.substr(at, n) + end;
                        } else {
                            ASSERT_TRUE(file.WriteText(text.data() + at, n));
                            written += text.substr(at, n);
                        }
                        at += n;
                    }
                    ASSERT_TRUE(file.FinishText());
                    const Reference want = EncodeOneByOne(code, written);
                    ASSERT_EQ(out.Bytes(), want.bytes) << "round " << round << " code " << KanjiCodeNumber(code);
                    ASSERT_EQ(file.ReplacedChars(), want.replaced) << round;
                    ASSERT_EQ(file.FirstReplacedUnit(), want.firstReplaced) << round;
                }
    }
    AllowCpuExtensions(true);
}

// A saved buffer is its lines joined by the chosen line end, each encoded as
// one by one, with or without a line end after the last line.
TEST(TextFile, SavedBuffersMatchEncodingOneByOne) {
    unsigned seed = 7;
    for (int round = 0; round < 60; ++round) {
        std::u16string text = RandomText(seed, seed % 2000);
        std::replace(text.begin(), text.end(), u'\0', u' ');  // inserted as a terminated string
        if (round % 2) text += u"\n";
        CEditData data;
        data.InsertText(text.c_str(), 1);
        for (KanjiCode code : {KanjiCode::SJIS, KanjiCode::UnicodeNoSig, KanjiCode::UTF8NoSig, KanjiCode::UTF16BENoSig})
            for (LineEndType lineEnd : kLineEndTypes) {
                const std::u16string end = lineEnd == LineEndType::CRLF ? u"\r\n" : lineEnd == LineEndType::LF ? u"\n" : u"\r";
                std::u16string joined;
                for (int i = 0; i < data.GetLineCount(); ++i)
                    joined += (i ? end : u"") + std::u16string(data.GetLineText(i), std::size_t(data.GetLineLength(i)));
                CMemoryStream out;
                TextLossReport loss;
                ASSERT_TRUE(data.Save(out, code, lineEnd, &loss));
                const Reference want = EncodeOneByOne(code, joined);
                ASSERT_EQ(out.Bytes(), want.bytes) << "round " << round << " code " << KanjiCodeNumber(code);
                ASSERT_EQ(loss.replacedChars, want.replaced);
            }
    }
}

TEST(TextFile, NamesAndCodes) {
    EXPECT_STREQ(KanjiCodeName(KanjiCode::UnicodeNoSig), "UNICODE(no signature)");
    EXPECT_STREQ(KanjiCodeName(KanjiCode::Detect), "自動判別");
    EXPECT_STREQ(LineEndTypeName(LineEndType::CRLF), "CR+LF(\\r\\n)");
    for (KanjiCode code : {KanjiCode::Unicode, KanjiCode::UnicodeNoSig, KanjiCode::UTF16BE, KanjiCode::UTF16BENoSig})
        EXPECT_TRUE(IsUnicodeCode(code));
    for (KanjiCode code : {KanjiCode::SJIS, KanjiCode::EUC, KanjiCode::JIS, KanjiCode::UTF8, KanjiCode::UTF8NoSig,
                           KanjiCode::Detect})
        EXPECT_FALSE(IsUnicodeCode(code));
}

// Stored numbers become codes and line ends only through the checked
// conversions: each keeps its number, and a number that is none gives none.
TEST(TextFile, StoredNumbersOfCodes) {
    for (KanjiCode code : kKanjiCodeOrder) EXPECT_EQ(KanjiCodeFromNumber(KanjiCodeNumber(code)), code);
    EXPECT_EQ(KanjiCodeNumber(KanjiCode::Detect), 9);
    EXPECT_EQ(KanjiCodeNumber(KanjiCode::UTF16BENoSig), 11);
    for (int none : {0, 4, 12, -1, 1000}) EXPECT_FALSE(KanjiCodeFromNumber(none).has_value()) << none;
    EXPECT_FALSE(IsKnownKanjiCode(KanjiCode::Detect));
    for (LineEndType type : kLineEndTypes) EXPECT_EQ(LineEndTypeFromNumber(LineEndTypeNumber(type)), type);
    EXPECT_EQ(LineEndTypeNumber(LineEndType::CR), 3);
    for (int none : {0, 4, -1}) EXPECT_FALSE(LineEndTypeFromNumber(none).has_value()) << none;
}

}  // namespace
