#include "util/tag_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace {

// A current folder C:\cur and a few files; folders are no files.
const std::set<std::u16string> kFiles = {
    u"C:\\cur\\main.c",      u"C:\\work\\a.c",          u"C:\\cur\\dir (old)\\a.c", u"C:\\cur\\my notes.txt",
    u"C:\\cur\\日本語.txt", u"C:\\cur\\x(1)\\b.txt",   u"\\\\srv\\share\\u.txt",
};

TagLineFiles Files() {
    TagLineFiles f;
    f.makeFull = [](std::u16string& p) {
        const bool absolute = (p.size() >= 2 && p[1] == u':') || (p.size() >= 2 && p[0] == u'\\' && p[1] == u'\\');
        if (!absolute && !p.empty()) p = u"C:\\cur\\" + p;
    };
    f.isFile = [](const std::u16string& p) { return kFiles.count(p) > 0; };
    return f;
}

TEST(TagLine, FindsTheFileAndItsLineOnATableOfLines) {
    struct Case {
        const char16_t* text;
        bool ok;
        const char16_t* path;
        int line;
    } cases[] = {
        {u"main.c(12): error C2065", true, u"C:\\cur\\main.c", 11},
        {u"main.c:12:3: warning", true, u"C:\\cur\\main.c", 11},
        {u"main.c:12:", true, u"C:\\cur\\main.c", 11},
        {u"main.c", true, u"C:\\cur\\main.c", 0},
        {u"  \tmain.c  (4)", true, u"C:\\cur\\main.c", 3},      // blanks around the name
        {u"main.c: no number", true, u"C:\\cur\\main.c", 0},
        {u"main.c(", true, u"C:\\cur\\main.c", 0},
        {u"main.c:0", false, u"", 0},                              // line 0 names no line
        {u"main.c(0): x", false, u"", 0},
        {u"C:\\work\\a.c(5): x", true, u"C:\\work\\a.c", 4},      // the drive colon is no separator
        {u"C:\\work\\a.c:7:", true, u"C:\\work\\a.c", 6},
        {u"dir (old)\\a.c(7): hit", true, u"C:\\cur\\dir (old)\\a.c", 6},  // "dir" first, then the next '('
        {u"C:\\cur\\x(1)\\b.txt(12): grep hit", true, u"C:\\cur\\x(1)\\b.txt", 11},
        {u"\\\\srv\\share\\u.txt(3): t", true, u"\\\\srv\\share\\u.txt", 2},
        {u"my notes.txt(2)", true, u"C:\\cur\\my notes.txt", 1},
        {u"日本語.txt(30): 検索", true, u"C:\\cur\\日本語.txt", 29},
        {u"日本語.txt:5", true, u"C:\\cur\\日本語.txt", 4},
        {u"missing.c(3): x", false, u"", 0},
        {u"dir (old)(2)", false, u"", 0},                          // a folder is no file
        {u"'C:\\x' を検索中...", false, u"", 0},                   // sulki's heading line
        {u"", false, u"", 0},
        {u"   ", false, u"", 0},
        // Beyond int: the largest line, not a wrapped one.
        {u"main.c(99999999999999999999): x", true, u"C:\\cur\\main.c", INT_MAX - 1},
        {u"main.c:2147483648", true, u"C:\\cur\\main.c", INT_MAX - 1},
        {u"main.c:2147483647", true, u"C:\\cur\\main.c", INT_MAX - 1},
        {u"main.c:2147483646", true, u"C:\\cur\\main.c", INT_MAX - 2},
    };
    for (const Case& c : cases) {
        std::u16string path = u"untouched";
        int line = -5;
        const bool ok = ParseTagLine(c.text, Files(), path, line);
        const std::u16string text = c.text;
        std::string label;
        for (char16_t u : text) label += u < 0x80 ? static_cast<char>(u) : '?';
        EXPECT_EQ(ok, c.ok) << label;
        if (ok && c.ok) {
            EXPECT_EQ(path, c.path) << label;
            EXPECT_EQ(line, c.line) << label;
        }
    }
}

TEST(TagLine, ACandidateTooLongForAPathFails) {
    TagLineFiles any;
    any.isFile = [](const std::u16string&) { return true; };
    std::u16string path;
    int line = 0;
    EXPECT_TRUE(ParseTagLine(std::u16string(259, u'a') + u"(2)", any, path, line));
    EXPECT_EQ(line, 1);
    EXPECT_FALSE(ParseTagLine(std::u16string(260, u'a') + u"(2)", any, path, line));
    // A NUL that the full path holds cuts it.
    TagLineFiles withNul;
    withNul.makeFull = [](std::u16string& p) { p += std::u16string(u"\0junk", 5); };
    withNul.isFile = [](const std::u16string& p) { return p == u"a.c"; };
    ASSERT_TRUE(ParseTagLine(u"a.c(3)", withNul, path, line));
    EXPECT_EQ(path, u"a.c");
}

}  // namespace
