#include "util/pathutil.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
