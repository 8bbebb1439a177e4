#include "util/cmdline_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/pathutil.h"

namespace {

// Current folder C:\cur; one shortcut and one short name known.
class FakePaths : public CCmdLinePaths {
public:
    void MakeFullPath(std::u16string& path) const override { MakeFullPathIn(path, u"C:\\cur"); }
    bool ResolveShortcut(const std::u16string& link, std::u16string& target) const override {
        if (link != u"C:\\cur\\doc.LNK") return false;
        target = u"D:\\target\\doc.txt";
        return true;
    }
    bool GetLongPath(const std::u16string& path, std::u16string& out) const override {
        if (path != u"C:\\PROGRA~1\\a.txt") return false;
        out = u"C:\\Program Files\\a.txt";
        return true;
    }
};

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? char(c) : '?';
    return out;
}

// "path|r=..|m=.." per entry, then "global:" and the global options.
std::u16string Describe(const CCommandLineFiles& files) {
    std::u16string out;
    for (const auto& e : files.Entries()) {
        out += u"[" + e.path;
        for (const auto& [k, v] : e.options) out += u"|" + k + u"=" + v;
        out += u"]";
    }
    for (const auto& [k, v] : files.GlobalOptions()) out += u" " + k + u"=" + v;
    return out;
}

TEST(CommandLineParse, SplitsPathsAndOptions) {
    struct Case {
        std::u16string line, parsed;
    } cases[] = {
        {u"", u""},
        {u"   ", u""},
        {u"a.txt", u"[C:\\cur\\a.txt]"},
        // Quotes, a missing closing quote, blanks inside paths.
        {u"\"C:\\my docs\\a b.txt\"", u"[C:\\my docs\\a b.txt]"},
        {u"\"C:\\my docs\\a b.txt", u"[C:\\my docs\\a b.txt]"},
        {u"\"C:\\a.txt\"\"D:\\b.txt\"", u"[C:\\a.txt][D:\\b.txt]"},
        {u"\"\" x", u"[C:\\cur\\x]"},
        // An unquoted path holds blanks up to the next drive, UNC path, quote or option.
        {u"C:\\my docs\\a.txt D:\\b c.txt", u"[C:\\my docs\\a.txt][D:\\b c.txt]"},
        {u"C:\\a.txt\\\\srv\\s\\b.txt", u"[C:\\a.txt][\\\\srv\\s\\b.txt]"},
        {u"\\\\srv\\share\\a b.txt /r12", u"[\\\\srv\\share\\a b.txt|r=11]"},
        {u"C:\\my docs\\a.txt /r12", u"[C:\\my docs\\a.txt|r=11]"},
        {u"x /r5", u"[C:\\cur\\x|r=4]"},
        {u"C:\\a.txt\"D:\\b c.txt\"", u"[C:\\a.txt][D:\\b c.txt]"},
        {u"sub/dir/a.txt", u"[C:\\cur\\sub\\dir\\a.txt]"},
        {u"..\\up.txt", u"[C:\\up.txt]"},
        // Line numbers: 1-based on the line, 0-based stored; no digits is line 0.
        {u"a /r1 b /r 30", u"[C:\\cur\\a|r=0][C:\\cur\\b|r=29]"},
        {u"a /r0", u"[C:\\cur\\a|r=0]"},
        {u"a /r", u"[C:\\cur\\a|r=0]"},
        {u"/r5 a", u"[C:\\cur\\a]"},
        {u"a /r99999999999999999999", u"[C:\\cur\\a|r=2147483646]"},
        // Edit modes: per file after a file, global before any.
        {u"/m html a.txt /m \"C C++\" b.txt",
         u"[C:\\cur\\a.txt|m=C C++][C:\\cur\\b.txt] m=html"},
        {u"a.txt /m \"unclosed", u"[C:\\cur\\a.txt|m=unclosed]"},
        // Working folder: a path token, made absolute.
        {u"/d work \"a.txt\"", u"[C:\\cur\\a.txt] d=C:\\cur\\work"},
        {u"/d my work a.txt", u" d=C:\\cur\\my work a.txt"},
        {u"/d\"..\\other dir\" a.txt", u"[C:\\cur\\a.txt] d=C:\\other dir"},
        {u"/dD:/w", u" d=D:\\w"},
        {u"/d", u" d="},
        // Other letters are global; a slash without a letter is dropped.
        {u"/x value /y \"v w\"", u" x=value y=v w"},
        {u"/ a.txt /", u"[C:\\cur\\a.txt]"},
        // Shortcuts resolve (any case of ".lnk"); long names replace short ones.
        {u"doc.LNK", u"[D:\\target\\doc.txt]"},
        {u"other.lnk", u"[C:\\cur\\other.lnk]"},
        {u"C:\\PROGRA~1\\a.txt", u"[C:\\Program Files\\a.txt]"},
        {u"日本語\\ファイル.txt /m 𠮷", u"[C:\\cur\\日本語\\ファイル.txt|m=𠮷]"},
    };
    const FakePaths paths;
    for (const auto& c : cases) {
        CCommandLineFiles files;
        std::u16string error;
        ASSERT_TRUE(files.Parse(c.line, error, paths)) << Narrow(c.line);
        EXPECT_EQ(Describe(files), c.parsed) << Narrow(c.line);
        EXPECT_TRUE(error.empty());
    }
}

TEST(CommandLineParse, LineOptionWithOtherThanDigitsFails) {
    const FakePaths paths;
    for (std::u16string line : {u"a /rx", u"a /r12x", u"a /r-1", u"a /r１２", u"a /r\"3\"", u"a /r /m cpp"}) {
        CCommandLineFiles files;
        std::u16string error;
        EXPECT_FALSE(files.Parse(line, error, paths)) << Narrow(line);
        EXPECT_EQ(error, u"起動オプションエラー：/rのあとは数字の指定が必要です");
    }
}

TEST(CommandLineParse, LongPathsStayWhole) {
    // Longer than a record can carry: kept as typed, for the caller to refuse.
    const std::u16string long_name = u"C:\\" + std::u16string(300, u'x') + u".txt";
    const std::u16string long_relative(280, u'y');
    const FakePaths paths;
    CCommandLineFiles files;
    std::u16string error;
    ASSERT_TRUE(files.Parse(u"\"" + long_name + u"\" " + long_relative + u" /r7", error, paths));
    ASSERT_EQ(files.Entries().size(), 2u);
    EXPECT_EQ(files.Entries()[0].path, long_name);
    EXPECT_EQ(files.Entries()[1].path, long_relative);
    EXPECT_EQ(files.Entries()[1].GetOption(u"r"), u"6");
    EXPECT_EQ(files.Entries()[0].GetOption(u"r"), u"");
}

TEST(CommandLineParse, GarbageNeverHangsOrCrashes) {
    const FakePaths paths;
    const std::u16string pieces[] = {u"/", u"\"", u" ", u":", u"\\\\", u"a", u"/r", u"/m", u"/d", u"1", u"\xD800", u"\xDC00"};
    // Every string of up to four pieces.
    std::vector<std::u16string> lines{u""};
    for (int depth = 0; depth < 4; ++depth) {
        std::vector<std::u16string> next;
        for (const auto& l : lines)
            for (const auto& p : pieces) next.push_back(l + p);
        for (const auto& l : next) {
            CCommandLineFiles files;
            std::u16string error;
            if (!files.Parse(l, error, paths)) {
                EXPECT_FALSE(error.empty());
            }
            for (const auto& e : files.Entries()) EXPECT_FALSE(e.path.empty());
        }
        lines = std::move(next);
    }
}

TEST(CommandLineParse, SetOptionAndDirOption) {
    CCommandLineFiles files;
    EXPECT_EQ(files.GetDirOption(), u"");
    files.SetOption(u"d", u"C:\\w");
    EXPECT_EQ(files.GetDirOption(), u"C:\\w");
}

}  // namespace
