// Result lines read back for the hand-off: what the search writes parses to
// its path and line, everything else is refused.
#include <gtest/gtest.h>

#include "grep/engine/grep_engine.h"
#include "grep/engine/grep_result_line.h"

namespace {

struct Case {
    const char16_t* text;
    bool hit;
    const char16_t* path = u"";
    int line = 0;
};

TEST(GrepResultLine, TableOfLines) {
    const std::u16string longPath = u"C:\\" + std::u16string(256, u'a') + u".txt";  // 263 units
    const std::u16string longest = u"C:\\" + std::u16string(254, u'a') + u".t";     // 259 units
    const Case cases[] = {
        {u"C:\\a(1)\\b.txt(12): x", true, u"C:\\a(1)\\b.txt", 11},
        {u"C:\\my docs\\read me.txt(3):  two  blanks ", true, u"C:\\my docs\\read me.txt", 2},
        {u"C:\\日本語\\メモ（全角）.txt(7): 検索: 文字", true, u"C:\\日本語\\メモ（全角）.txt", 6},
        {u"\\\\server\\share\\f(2).c(1): int a;", true, u"\\\\server\\share\\f(2).c", 0},
        {u".\\rel.txt(5): x", true, u".\\rel.txt", 4},
        {u"C:\\t.txt(2147483647): last", true, u"C:\\t.txt", 2147483646},
        {u"C:\\t.txt(1):", true, u"C:\\t.txt", 0},
        // Not hit lines.
        {u"C:\\t.txt(0): zero", false},
        {u"C:\\t.txt(2147483648): too large", false},
        {u"C:\\t.txt(99999999999999999999): far too large", false},
        {u"C:\\t.txt(-3): negative", false},
        {u"C:\\t.txt(1a): letters", false},
        {u"C:\\t.txt(): empty", false},
        {u"C:\\t.txt(3)x: after", false},
        {u"C:\\t.txt 12: no brackets", false},
        {u"'C:\\dir' を検索中...", false},
        {u"Error C:\\a(1): 読めません", false},
        {u"Error C:\\a(1)\\b.txt: 読めません", false},
        {u"3個，検索されました。", false},
        {u"", false},
        {u"(1): x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::u16string path = u"unchanged";
        int line = -7;
        const bool hit = ParseGrepResultLine(c.text, path, line);
        EXPECT_EQ(hit, c.hit);
        if (c.hit && hit) {
            EXPECT_TRUE(path == c.path);
            EXPECT_EQ(line, c.line);
        }
    }
    std::u16string path;
    int line;
    EXPECT_FALSE(ParseGrepResultLine(longPath + u"(1): x", path, line));
    EXPECT_TRUE(ParseGrepResultLine(longest + u"(1): x", path, line));
    EXPECT_EQ(path, longest);
}

// Whatever the search writes for a hit reads back as that path and line.
TEST(GrepResultLine, ReadsBackWhatTheSearchWrites) {
    const std::u16string paths[] = {u"C:\\a(1)\\(2)\\x.txt", u"D:\\空白 あり\\f.h", u"\\\\srv\\s\\x"};
    const int numbers[] = {1, 42, 2147483647};
    for (const std::u16string& p : paths)
        for (int n : numbers) {
            std::u16string out;
            const char16_t text[] = u"a: (9): b";
            AppendGrepHitLine(out, p, n, text, 9);
            out.pop_back();  // the line end
            std::u16string path;
            int line = 0;
            ASSERT_TRUE(ParseGrepResultLine(out, path, line));
            EXPECT_EQ(path, p);
            EXPECT_EQ(line, n - 1);
        }
}

}  // namespace
