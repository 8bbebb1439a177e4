#include "util/pathutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(PathElements, TrailingBackslashAndLastElement) {
    struct Case {
        std::u16string in, cut;
    } cases[] = {
        {u"C:\\a\\b", u"C:\\a"}, {u"C:\\a", u"C:"},       {u"C:\\a\\b\\", u"C:\\a"},
        {u"\\a", u"\\a"},        {u"name", u"name"},      {u"\\\\srv\\share", u"\\\\srv"},
        {u"C:\\表\\𠮷", u"C:\\表"}, {u"", u""},
    };
    for (const auto& c : cases) {
        std::u16string p = c.in;
        CutLastPathElement(p);
        EXPECT_EQ(p, c.cut);
    }
    std::u16string p = u"C:\\a\\\\";
    RemoveTrailingBackslash(p);
    EXPECT_EQ(p, u"C:\\a\\");  // one only
}

TEST(MakeFullPathIn, ResolvesAgainstTheCurrentFolder) {
    const std::u16string cur = u"C:\\a\\b\\c";
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {u"..\\..\\x.txt", u"C:\\a\\x.txt"},
        {u"x.txt", u"C:\\a\\b\\c\\x.txt"},
        {u".\\x.txt", u"C:\\a\\b\\c\\x.txt"},
        {u"\\x.txt", u"C:\\x.txt"},
        {u"\\\\srv\\s\\x", u"\\\\srv\\s\\x"},
        {u"D:\\x", u"D:\\x"},
        {u"d:x", u"d:x"},
        {u"", u""},
    };
    for (const auto& c : cases) {
        std::u16string p = c.in;
        MakeFullPathIn(p, cur);
        EXPECT_EQ(p, c.out);
    }
    std::u16string p = u"x";
    MakeFullPathIn(p, u"C:\\");
    EXPECT_EQ(p, u"C:\\x");
    p = u"\\x";
    MakeFullPathIn(p, u"\\\\srv\\share\\dir");
    EXPECT_EQ(p, u"\\\\srv\\share\\x");
    std::u16string longer(260, u'a');
    p = longer;
    MakeFullPathIn(p, cur);
    EXPECT_EQ(p, longer);
}

TEST(MatchFileExt, ComparesTheLowerCasedExtensionWithEachItem) {
    struct Case {
        std::u16string name, list;
        bool match;
    } cases[] = {
        {u"A.TXT", u".c;.txt", true},   {u"a.h", u".c;.cpp", false},  {u"Makefile", u".*", true},
        {u"a.c", u"*.C;*.h", true},     {u"a.cpp", u".c", false},      {u"a", u".c", false},
        {u"dir.x\\a", u".x", false},    {u"a.txt", u"txt;.log", false}, {u"b.LOG", u"txt;.log", true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchFileExt(c.name, c.list), c.match) << std::string(c.name.begin(), c.name.end());
}

TEST(CommandLines, ProgramsStartByTheirQuotedPathWithTheTargetAsOneArgument) {
    struct Case {
        std::u16string program, target;
        std::u16string application, line;
    } cases[] = {
        {u"C:\\Program Files\\Web\\x.exe", u"C:\\a b\\p.html", u"C:\\Program Files\\Web\\x.exe",
         u"\"C:\\Program Files\\Web\\x.exe\" \"C:\\a b\\p.html\""},
        // Quoted by the user, with arguments of its own.
        {u"\"C:\\b.exe\"", u"u", u"C:\\b.exe", u"\"C:\\b.exe\" \"u\""},
        {u"\"C:\\my b\\b.exe\" -new", u"u", u"C:\\my b\\b.exe", u"\"C:\\my b\\b.exe\" -new \"u\""},
        // A target can't end its quotes early or take the next argument.
        {u"C:\\b.exe", u"http://x/?q=\"a\" -evil", u"C:\\b.exe", u"\"C:\\b.exe\" \"http://x/?q=\\\"a\\\" -evil\""},
        {u"C:\\b.exe", u"http://x/\\", u"C:\\b.exe", u"\"C:\\b.exe\" \"http://x/\\\\\""},
        {u"C:\\b.exe", u"C:\\日本語\\ページ.html", u"C:\\b.exe", u"\"C:\\b.exe\" \"C:\\日本語\\ページ.html\""},
    };
    for (const Case& c : cases) {
        const ProgramCommand command = BuildProgramCommand(c.program, c.target);
        EXPECT_EQ(command.application, c.application);
        EXPECT_EQ(command.commandLine, c.line);
    }
    EXPECT_EQ(QuoteArgument(u"a\\\\b\\\"c"), u"\"a\\\\b\\\\\\\"c\"");
    EXPECT_EQ(BuildOpenUrlItem(u"http://x/"), u"\"http://x/\",,0xFFFFFFFF,0x03");
    EXPECT_EQ(BuildOpenUrlItem(u"C:\\p.html"), u"\"file://C:\\p.html\",,0xFFFFFFFF,0x03");
}

TEST(TreePaths, JoinSplitAndMatchLikeTheFileSystem) {
    // Joining never doubles the separator after a drive.
    EXPECT_EQ(AppendPathElement(u"C:\\", u"dir"), u"C:\\dir");
    EXPECT_EQ(AppendPathElement(u"C:\\dir", u"x.txt"), u"C:\\dir\\x.txt");
    EXPECT_EQ(AppendPathElement(u"", u"x"), u"x");

    struct Split {
        std::u16string path;
        std::vector<std::u16string> elements;
    } splits[] = {
        {u"C:\\a\\b\\", {u"C:\\", u"a", u"b"}},
        {u"c:", {u"c:\\"}},
        {u"D:\\表\\\\x.txt", {u"D:\\", u"表", u"x.txt"}},
        {u"\\\\srv\\share", {}},
        {u"dir\\x", {}},
    };
    for (const auto& c : splits) EXPECT_EQ(SplitDrivePath(c.path), c.elements);

    struct Match {
        std::u16string a, b;
        bool same;
    } matches[] = {
        {u"Docs", u"DOCS", true},         {u"c:\\", u"C:\\", true},   {u"ｆｏｏ", u"ＦＯＯ", true},
        {u"été", u"ÉTÉ", true},           {u"дом", u"ДОМ", true},       {u"Docs", u"Doc", false},
        {u"a_b", u"a-b", false},          {u"ａ", u"a", false},
    };
    for (const auto& c : matches) EXPECT_EQ(SamePathElement(c.a, c.b), c.same) << (c.same ? "same" : "differ");
}

TEST(TreePaths, FolderListingSortsWithoutRegardToCase) {
    // More than a few names, so an order that only looks sorted fails.
    std::vector<std::u16string> names = {u"b.txt", u"A.txt", u"_x", u"a.TXT", u"Zeta", u"alpha", u"10", u"9", u"B.txt"};
    SortFileNames(names);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"10", u"9", u"_x", u"A.txt", u"a.TXT", u"alpha", u"b.txt",
                                                  u"B.txt", u"Zeta"}));
    std::vector<std::u16string> many;
    for (int i = 9999; i >= 0; --i) many.push_back(u"f" + std::u16string(1, char16_t(u'a' + i % 26)));
    SortFileNames(many);
    EXPECT_TRUE(std::is_sorted(many.begin(), many.end()));
}

}  // namespace
