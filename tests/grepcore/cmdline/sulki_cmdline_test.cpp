// sulki's command line: the search text stays text, the folder becomes
// absolute, the encoding name is taken as written.
#include <gtest/gtest.h>

#include "grep/engine/grep_cmdline.h"

namespace {

struct Case {
    const char16_t* line;
    bool ok;
    const char16_t* text;
    const char16_t* folder;
    const char16_t* encoding;
};

TEST(SulkiCommandLine, TableOfLines) {
    const Case cases[] = {
        {u"abc /d C:\\src", true, u"abc", u"C:\\src", u""},
        {u"\"two words\" /d \"C:\\my docs\" /c UTF8", true, u"two words", u"C:\\my docs", u"UTF8"},
        // Not a path: no folder in front, slashes and dots kept.
        {u"a/b.c /d sub", true, u"a/b.c", u"C:\\cur\\sub", u""},
        {u"\"..\\x\" /d ..\\up", true, u"..\\x", u"C:\\up", u""},
        {u"検索 /c \"UTF8(no signature)\"", true, u"検索", u"", u"UTF8(no signature)"},
        {u"/d C:\\only", true, u"", u"C:\\only", u""},
        {u"", true, u"", u"", u""},
        {u"x /c XYZ", true, u"x", u"", u"XYZ"},
        // A malformed option makes the whole line void.
        {u"abc /d C:\\src /r zz", false, u"", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        SulkiCommandLine out;
        out.searchText = u"stale";
        EXPECT_EQ(ParseSulkiCommandLine(c.line, u"C:\\cur", out), c.ok);
        EXPECT_EQ(out.searchText, std::u16string(c.text));
        EXPECT_EQ(out.folder, std::u16string(c.folder));
        EXPECT_EQ(out.encodingName, std::u16string(c.encoding));
    }
}

}  // namespace
