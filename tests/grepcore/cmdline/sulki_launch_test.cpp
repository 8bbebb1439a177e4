// The editor's side of sulki's command line: what it builds from a
// selection and a folder is what sulki reads back, and a text that can't be
// carried as one quoted token is left out rather than spilling into the
// options.
#include <gtest/gtest.h>

#include <string>

#include "grep/engine/grep_cmdline.h"

namespace {

const std::u16string kProgram = u"C:\\Program Files\\wendrel\\sulki.exe";

// What sulki reads from the line, its program part taken off.
SulkiCommandLine ReadBack(const std::u16string& line) {
    const std::u16string start = u"\"" + kProgram + u"\" ";
    EXPECT_EQ(line.substr(0, start.size()), start);
    SulkiCommandLine out;
    EXPECT_TRUE(ParseSulkiCommandLine(line.substr(start.size()), u"C:\\cur", out)) << std::string(line.begin(), line.end());
    return out;
}

TEST(SulkiLaunch, SelectionAndFolderReadBackAsGiven) {
    struct Case {
        std::u16string text, folder;
        std::u16string readText;  // what sulki takes as its search text
    } cases[] = {
        {u"abc", u"C:\\src", u"abc"},
        {u"two words", u"C:\\my docs\\and more", u"two words"},
        {u"検索文字列", u"C:\\日本語 フォルダ", u"検索文字列"},
        {u"\U0001F600x", u"", u"\U0001F600x"},
        {u"/d C:\\x", u"C:\\real", u"/d C:\\x"},
        {u"a\\", u"C:\\", u"a\\"},
        // Text sulki can't receive as one token: it starts without one.
        {u"say \"hi\"", u"C:\\src", u""},
        {u"a\r\nb", u"C:\\src", u""},
        {u"a\nb", u"", u""},
        {u"", u"C:\\src", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
        const SulkiCommandLine read = ReadBack(BuildSulkiCommandLine(kProgram, c.text, c.folder));
        EXPECT_EQ(read.searchText, c.readText);
        EXPECT_EQ(read.folder, c.folder);
    }
}

TEST(SulkiLaunch, ExactLines) {
    const std::u16string p = u"\"" + kProgram + u"\"";
    EXPECT_EQ(BuildSulkiCommandLine(kProgram, u"abc", u"C:\\a b"), p + u" \"abc\" /d \"C:\\a b\"");
    // No folder option: the quoted text keeps its trailing blank.
    EXPECT_EQ(BuildSulkiCommandLine(kProgram, u"abc", u""), p + u" \"abc\" ");
    EXPECT_EQ(BuildSulkiCommandLine(kProgram, u"a\nb", u"C:\\x"), p + u" /d \"C:\\x\"");
    EXPECT_EQ(BuildSulkiCommandLine(kProgram, u"x\"", u""), p + u" ");
}

TEST(SulkiLaunch, TextLongerThanTheLineCarriesIsLeftOut) {
    const std::u16string p = u"\"" + kProgram + u"\"";
    const std::u16string folderOption = u"/d \"C:\\f\"";
    // The line with the text: program, blank, quoted text, blank, option.
    const std::size_t fixed = p.size() + 1 + 2 + 1 + folderOption.size();
    const std::u16string fits(100 - fixed, u'x');
    EXPECT_EQ(BuildSulkiCommandLine(kProgram, fits, u"C:\\f", 100).size(), 100u);
    EXPECT_EQ(BuildSulkiCommandLine(kProgram, fits + u"x", u"C:\\f", 100), p + u" " + folderOption);
    const std::u16string huge(kMaxCommandLineUnits, u'y');
    EXPECT_EQ(ReadBack(BuildSulkiCommandLine(kProgram, huge, u"C:\\f")).searchText, u"");
}

}  // namespace
