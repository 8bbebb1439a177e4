#include "grep/engine/grep_prefilter.h"

#include <gtest/gtest.h>

#include <string>

#include "grep/engine/grep_engine.h"
#include "grep_fakes.h"
#include "textengine/cpu_features.h"
#include "textengine/regex/regex.h"

namespace {

TEST(GrepPrefilter, RequiredTextOfSimplePatterns) {
    struct Case {
        std::u16string pattern, required;
    } cases[] = {
        {u"ファイル[をのが]", u"ファイル"},
        {u"abc", u"abc"},
        {u"ab?cd", u"cd"},
        {u"abc*d", u"ab"},
        {u"x+yz", u"yz"},
        {u"^foo.bar$", u"foo"},
        {u"[]x]yy", u"yy"},
        {u"a|b", u""},
        {u"(ab)", u""},
        {u"a\\d", u""},
        {u"a{2}", u""},
        {u"[[:alpha:]]x", u""},
        {u"𠮷?x", u"x"},
    };
    for (const auto& c : cases) EXPECT_EQ(GrepPrefilter::RequiredText(c.pattern), c.required);
}

// Only a pattern no match of which can reach beyond its line lets a big
// file be searched a block of lines at a time.
TEST(GrepPrefilter, LineLocalPatterns) {
    struct Case {
        std::u16string text;
        bool regex, local;
    } cases[] = {
        {u"[0-9]+[a-z]", true, true},  {u"^x{2,3}.$", true, true},   {u"a b", false, true},
        {u"a(b)", false, true},        {u"[^a]b", true, false},      {u"a\\sb", true, false},
        {u"(a|b)", true, false},       {u"a|b", true, false},        {u"[[:space:]]", true, false},
        {u"[\x01-z]", true, false},   {u"a\nb", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GrepPrefilter::LineLocalText(c.text, c.regex), c.local) << std::string(c.text.begin(), c.text.end());
}

TEST(GrepPrefilter, NeedleInTheFormOfTheFilesEncoding) {
    GrepPrefilter f;
    f.Build(u"日本", false, false, false, KanjiCode::Detect);
    ASSERT_TRUE(f.Active());
    EXPECT_EQ(f.FindFrom(KanjiCode::UTF8NoSig, "x\xE6\x97\xA5\xE6\x9C\xAC", 0), 1u);
    EXPECT_EQ(f.FindFrom(KanjiCode::SJIS, "x\x93\xfa\x96\x7b", 0), 1u);
    EXPECT_EQ(f.FindFrom(KanjiCode::EUC, "\xc6\xfc\xcb\xdc", 0), 0u);
    EXPECT_EQ(f.FindFrom(KanjiCode::SJIS, "\xE6\x97\xA5\xE6\x9C\xAC", 0), std::string::npos);
    EXPECT_FALSE(f.HasForm(KanjiCode::Unicode));  // UTF-16 is read in full
    EXPECT_FALSE(f.HasForm(KanjiCode::JIS));  // so is JIS

    f.Build(u"Error", false, true, false, KanjiCode::UTF8NoSig);
    EXPECT_EQ(f.FindFrom(KanjiCode::UTF8NoSig, "an ERROR here", 0), 3u);
    EXPECT_EQ(f.FindFrom(KanjiCode::UTF8NoSig, "an err0r here", 0), std::string::npos);
    f.Build(u"Ａ", false, true, false, KanjiCode::UTF8NoSig);  // full-width letters fold among themselves
    EXPECT_FALSE(f.Active());
    f.Build(u"abc", false, false, true, KanjiCode::UTF8NoSig);  // width folding: no needle
    EXPECT_FALSE(f.Active());
    // Characters with more than one byte form get no needle: the NEC and
    // IBM copies in Shift_JIS, and "?", which every unmapped byte reads as.
    f.Build(u"∵", false, false, false, KanjiCode::Detect);
    EXPECT_FALSE(f.Active());
    f.Build(u"ⅰ", false, false, false, KanjiCode::SJIS);
    EXPECT_FALSE(f.Active());
    f.Build(u"a?", false, false, false, KanjiCode::UTF8NoSig);
    EXPECT_FALSE(f.Active());
}

// Every place of the needle, with and without case, at every offset from the
// blocks the search takes at once and across their ends; bytes that differ
// from a letter only in bit 0x20 ("@`", "[{", 0xC1/0xE1) must not match it.
TEST(GrepPrefilter, FindsEachPlaceAtEveryOffset) {
    const struct {
        std::u16string text;
        std::string bytes;  // in Shift_JIS
    } needles[] = {{u"a", "a"},
                   {u"Zq", "Zq"},
                   {u"abc", "abc"},
                   {u"a@[", "a@["},
                   {u"@bcdefghijklmnoZ", "@bcdefghijklmnoZ"},
                   {u"abcdefghijklmnopq", "abcdefghijklmnopq"},
                   {u"xあy", "x\x82\xA0y"}};
    const std::string fill = "@`[{\xC1\xE1" "AaZz\x82\xA0xyq_";
    for (bool avx2 : {true, false})
    for (const auto& n : needles)
        for (bool ignoreCase : {false, true}) {
            AllowCpuExtensions(avx2);
            const std::string& needle = n.bytes;
            GrepPrefilter f;
            f.Build(n.text, false, ignoreCase, false, KanjiCode::SJIS);
            ASSERT_TRUE(f.Active());
            auto lower = [&](std::string s) {
                if (ignoreCase)
                    for (char& c : s) c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
                return s;
            };
            for (std::size_t size = needle.size(); size < 180; size += 7)
                for (std::size_t place = 0; place + needle.size() <= size; ++place) {
                    std::string hay(size, ' ');
                    for (std::size_t i = 0; i < size; ++i) hay[i] = fill[(i * 7 + size) % fill.size()];
                    std::string put = needle;
                    if (ignoreCase)
                        for (std::size_t i = 0; i < put.size(); i += 2)
                            if (put[i] >= 'a' && put[i] <= 'z') put[i] = char(put[i] - 32);
                    hay.replace(place, put.size(), put);
                    const std::string lowHay = lower(hay), lowNeedle = lower(needle);
                    for (std::size_t from : {std::size_t(0), place, place + 1}) {
                        const std::size_t want = from <= size ? lowHay.find(lowNeedle, from) : std::string::npos;
                        EXPECT_EQ(f.FindFrom(KanjiCode::SJIS, hay, from), want) << needle << " case " << ignoreCase << " size "
                                                                   << size << " at " << place << " from " << from
                                                                   << " avx2 " << avx2;
                    }
                }
        }
    AllowCpuExtensions(true);
}

// The worker with its shortcuts must write exactly what a plain file-by-file
// search writes.
class Equivalence : public ::testing::Test {
protected:
    Equivalence() {
        fs.AddFolder(u"C:\\d");
        Add(u"lf.txt", "abc 日本語\nxyz\nABC\n\nタブ\tabc");
        Add(u"crlf.txt", "one\r\nabc\r\n設定ファイルを\r\nabc");
        Add(u"cr.txt", "a\rabc\rx");
        Add(u"bom.txt", "\xEF\xBB\xBF" "abc\n\xE8\xA8\xAD\xE5\xAE\x9A\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAE\n");
        Add(u"sjis.txt", "\x83\x5c\x83\x74\x83\x67" "abc\r\n\x83\x61\x83\x62\r\n\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\r\n");
        Add(u"euc.txt", "\xc0\xdf\xc4\xea abc\n\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xf2\n");
        Add(u"nul.dat", std::string("abc\0abc\nab c\n", 13));
        Add(u"utf16.txt", std::string("\xFF\xFE" "a\0b\0c\0\n\0", 10));
        Add(u"many.txt", std::string(3000, 'x') + "\nabcabc abc\n" + std::string(5000, 'y') + "abc");
        // Lines of every length up to 40, hits among them: line numbers
        // counted over many blocks, lines ending on and across block edges.
        std::string lines;
        for (int i = 0; i < 900; ++i) lines += std::string(i % 41, 'x') + (i % 13 == 0 ? "aBc" : "") + (i % 7 ? "\n" : "\n\n");
        Add(u"lines.txt", lines);
        Add(u"lonecr.txt", lines + "abc\rabc\r\n" + lines);
        Add(u"blank.txt", std::string(9000, '\n') + "abc\n");
        // A pattern's opening text twice on a line, the match at the second;
        // and a match that starts at the needle's start only.
        Add(u"twice.txt", "ファイルXファイルを\nxファイルが\nabcccd abd\n");
        // The NEC copies of "∵" and "ⅰ", and bytes that map to nothing.
        Add(u"nec.txt", "\x82\xa0 \x87\x9a\r\n\x82\xa2 \xee\xef\r\n\x82\xa4 \x85\x40\r\n");
        Add(u"badutf8.txt", "\xe3\x81\x82 \xff\xfe\n"
                            // a cut "設" and a stray trail byte right before "設定"
                            "\xe8\xa8\xe8\xa8\xad\xe5\xae\x9a\n\xa8\xe8\xa8\xad\xe5\xae\x9a\n");
    }
    void Add(const std::u16string& name, const std::string& bytes) {
        fs.AddFile(u"C:\\d\\" + name, bytes);
        names.push_back(name);
    }
    FakeFileSystem fs;
    std::vector<std::u16string> names;
};

TEST_F(Equivalence, ShortcutsWriteWhatThePlainSearchWrites) {
    struct Case {
        std::u16string text;
        int regex, distinguishCase;
    } cases[] = {
        {u"abc", 0, 1},          {u"ABC", 0, 0},      {u"ab c", 0, 1},           {u"設定", 0, 1},
        {u"ファイル[をの]", 1, 1}, {u"^abc$", 1, 1},   {u"abc[^x]", 1, 1},        {u"c\\nx", 1, 1},
        {u"a", 0, 0},            {u"ｱ", 0, 1},        {u"b?c", 1, 1},            {u"ソ", 0, 1},
        {u"∵", 0, 1},           {u"ⅰ", 0, 1},        {u"?", 0, 1},              {u"あ ?", 0, 1},
        {u"abc*d", 1, 1},        {u"ABC*D", 1, 0},    {u"ファイル[をが]$", 1, 1}, {u"xフ", 1, 1},
        {u"c a", 0, 1},
    };
    for (KanjiCode code : {KanjiCode::Detect, KanjiCode::SJIS, KanjiCode::UTF8NoSig, KanjiCode::EUC}) {
        for (const auto& c : cases) {
            RecordingOutput whole, plain;
            GrepParams params;
            params.fileSystem = &fs;
            params.folder = u"C:\\d";
            params.searchText = c.text;
            params.regularExpression = c.regex;
            params.distinguishCase = c.distinguishCase;
            params.encoding = code;
            params.resultView = &whole;
            ASSERT_EQ(GrepThreadProc(params), GREP_DONE);

            params.resultView = &plain;
            const int flags = c.distinguishCase ? 0 : 1;
            CompiledRegex* re = c.regex ? regex_compile(c.text.c_str(), flags) : regex_compile_literal(c.text.c_str(), flags);
            ASSERT_NE(re, nullptr);
            for (const auto& name : names) GrepFile(u"C:\\d\\" + name, params, re);
            regex_free(re);
            EXPECT_EQ(whole.text_, plain.text_) << "code " << KanjiCodeNumber(code) << " case " << (&c - cases);
        }
    }
}

}  // namespace
