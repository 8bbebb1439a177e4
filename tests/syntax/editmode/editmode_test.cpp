#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/syntax_files.h"

#include "tests/syntax/narrow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<EditModeListLine> Numbered(std::initializer_list<const char16_t*> lines) {
    std::vector<EditModeListLine> out;
    int n = 0;
    for (const char16_t* s : lines) out.push_back({++n, s});
    return out;
}

TextLines Lines(std::initializer_list<const char16_t*> lines) {
    TextLines out;
    for (const char16_t* s : lines) out.Add(s);
    return out;
}

const std::u16string kDir = u"settings";

}  // namespace

TEST(EditModeList, BuiltinListAndFindEditMode) {
    CEditModeTable table;
    std::u16string message;
    ASSERT_TRUE(table.ParseEditModeList(kDir, BuiltinEditModeList(), u"", message));
    ASSERT_EQ(table.Count(), 6);
    const char16_t* names[] = {u"Text", u"Html", u"C++", u"Java", u"Perl", u"SQL"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(table.Entry(i).name, names[i]);
    const CEditModeEntry& cpp = table.Entry(2);
    EXPECT_EQ(cpp.shortName, u"C++");
    EXPECT_EQ(cpp.language, u"<cpp>");
    EXPECT_EQ(cpp.patterns, u"*.cpp;*.c;*.h");
    EXPECT_EQ(cpp.settingsDir, kDir);
    EXPECT_EQ(cpp.cStyleIndent, 0);
    struct Case {
        std::u16string name;
        int index;
    } cases[] = {{u"cpp", 2}, {u"CPP", 2}, {u"c++", 2}, {u"TXT", 0}, {u"text", 0}, {u"ｓｑｌ", -1}, {u"ＳＱＬ", -1},
                 {u"sql", 5},  {u"perl ", -1}, {u"", -1}, {u"txts", -1}};
    for (const auto& c : cases) EXPECT_EQ(table.FindEditMode(c.name), c.index) << Narrow(c.name);
    EXPECT_EQ(table.FirstCommandId(), 34101);
}

TEST(EditModeList, ParsedLines) {
    CEditModeTable table;
    std::u16string message;
    ASSERT_TRUE(table.ParseEditModeList(
        kDir, Numbered({u"Ruby,Rb,ruby_lang.txt,*.rb", u"\"Q,uote\",\"\"\"Q\"\"\",<text>,\"*.q;*.qq\""}), u"list",
        message));
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Entry(0).language, JoinPath(kDir, u"ruby_lang.txt"));
    EXPECT_EQ(table.Entry(1).name, u"Q,uote");
    EXPECT_EQ(table.Entry(1).shortName, u"\"Q\"");
    EXPECT_EQ(table.Entry(1).patterns, u"*.q;*.qq");
}

TEST(EditModeList, Failures) {
    struct Case {
        std::vector<EditModeListLine> lines;
        std::u16string message;
    } cases[] = {
        {{{1, u"Text,Txt,<text>,*.txt"}, {4, u"Text,Txt,<text>"}}, u"言語設定ファイルの書式が不正です(行：4)"},
        {{{7, u",Txt,<text>,*.txt"}}, u"言語設定ファイルの書式が不正です(行：7)"},
        {{{2, u"Text,Txt,,*.txt"}}, u"言語設定ファイルの書式が不正です(行：2)"},
        {{}, u"言語設定ファイルに設定がありません(list.txt)"},
    };
    for (const auto& c : cases) {
        CEditModeTable table;
        std::u16string message;
        EXPECT_FALSE(table.ParseEditModeList(kDir, c.lines, u"list.txt", message));
        EXPECT_EQ(Narrow(message), Narrow(c.message));
        EXPECT_EQ(table.Count(), 0);  // a failed load leaves no table
    }
}

TEST(EditModeList, FifteenModesAtMost) {
    std::vector<EditModeListLine> lines;
    for (int i = 1; i <= 16; ++i) {
        std::string s("M");
        s += std::to_string(i);
        s += ",M,<text>,*.m";
        lines.push_back({i, std::u16string(s.begin(), s.end())});
    }
    CEditModeTable table;
    std::u16string message;
    lines.pop_back();
    EXPECT_TRUE(table.ParseEditModeList(kDir, lines, u"", message));
    EXPECT_EQ(table.Count(), 15);
    lines.push_back({16, u"M16,M,<text>,*.x"});
    EXPECT_FALSE(table.ParseEditModeList(kDir, lines, u"", message));
    EXPECT_EQ(Narrow(message), "設定可能な編集モードの最大数を超えています");
    EXPECT_EQ(table.Count(), 0);
}

TEST(EditModeList, MenuTextAndFileFilter) {
    CEditModeTable table;
    std::u16string message;
    ASSERT_TRUE(table.ParseEditModeList(kDir, Numbered({u"Text,Txt,<text>,*.txt", u"C++,C++,<cpp>,*.cpp;*.h"}), u"",
                                        message));
    EXPECT_EQ(Narrow(table.MakeEditModeMenuText(1)), "編集モードをC++にする");
    EXPECT_EQ(Narrow(table.MakeEditModeMenuText(2)), "編集モードをTextにする");
    std::u16string filter = u"X";
    EXPECT_EQ(table.MakeEditModeFileFilter(filter), 3);
    const std::u16string expected = std::u16string(u"X") + u"すべてのファイル (*.*)" + u'\0' + u"*.*" + u'\0' +
                                    u"Textファイル(*.txt)" + u'\0' + u"*.txt" + u'\0' + u"C++ファイル(*.cpp;*.h)" +
                                    u'\0' + u"*.cpp;*.h" + u'\0';
    EXPECT_EQ(filter, expected);
}

TEST(LanguageSettings, KeysSetTheLanguage) {
    CEditModeEntry entry{u"Ruby", u"Rb", u"ruby.txt", u"*.rb", u"", 0};
    CStrToken token;
    std::u16string message;
    const auto lines = Lines({u"// a comment line\r\n", u"\r\n", u"KeywordNocase:FALSE\r\n", u"OpenComment:=begin\r\n",
                              u"CloseComment:=end  \r\n",
                              u"OpenComment:\r\n",  // ignored: keeps "=begin"
                              u"RowComment:#\n", u"BreakChars: ,.\n", u"OperatorChars:+*\n", u"BracketChars:)]\n",
                              u"QuoteChars:\"'`\n", u"EscapeChar:\\\n", u"LanguageKeywordChars:@$\n",
                              u"\"CStyle\"\"Indent\":TRUE\n",  // a quoted key: CSV rules, so not this key
                              u"CStyleIndent:TRUE\n", u"TagLanguageMode:TRUE\n"});
    TextLines good;
    for (std::size_t i = 0; i < lines.Count(); ++i)
        if (i != 13) good.Add(lines[i]);
    ASSERT_TRUE(ApplyLanguageSettings(entry, token, good, u"ruby.txt", message))
        << Narrow(message);
    EXPECT_FALSE(token.KeywordNocase());
    EXPECT_EQ(token.OpenComment(), u"=begin");
    EXPECT_EQ(token.CloseComment(), u"=end");
    ASSERT_EQ(token.RowCommentCount(), 1);
    EXPECT_EQ(token.RowComment(0), u"#");
    for (char16_t c : {u' ', u',', u'.', u'+', u'*', u')', u'(', u']', u'[', u'"', u'\'', u'`', u'\\', u'='})
        EXPECT_TRUE(token.IsBreakChar(c)) << char(c);
    EXPECT_TRUE(token.IsOperatorChar(u'+'));
    EXPECT_EQ(token.GetBracketKind(u'['), 2);
    EXPECT_EQ(token.IsQuoteChar(u"`"), u'`');
    EXPECT_EQ(token.EscapeChar(), u'\\');
    EXPECT_TRUE(token.IsLanguageKeywordChar(u'@'));
    EXPECT_TRUE(token.TagLanguageMode());
    EXPECT_EQ(entry.cStyleIndent, 1);
    EXPECT_TRUE(token.Keywords().empty());  // no KeywordFile key: no keywords, no error
    CStrToken again;
    EXPECT_FALSE(ApplyLanguageSettings(entry, again, lines, u"ruby.txt", message));
    EXPECT_EQ(Narrow(message), "言語設定ファイルの書式が不正です\n(ファイル名：ruby.txt, 行：14)");
}

TEST(LanguageSettings, Failures) {
    struct Case {
        TextLines lines;
        std::u16string message;
    } cases[] = {
        {Lines({u"KeywordNocase:TRUE", u"// x", u"Foo:bar", u"BreakChars: "}),
         u"言語設定ファイルの書式が不正です\n(ファイル名：lang.txt, 行：3)"},
        {Lines({u"", u"keywordnocase:TRUE"}), u"言語設定ファイルの書式が不正です\n(ファイル名：lang.txt, 行：2)"},
        {Lines({u"BreakChars"}), u"言語設定ファイルの書式が不正です\n(ファイル名：lang.txt, 行：1)"},
    };
    for (const auto& c : cases) {
        CEditModeEntry entry{u"L", u"L", u"lang.txt", u"*.l", u"", 0};
        CStrToken token;
        std::u16string message;
        EXPECT_FALSE(ApplyLanguageSettings(entry, token, c.lines, u"lang.txt", message));
        EXPECT_EQ(Narrow(message), Narrow(c.message));
        EXPECT_TRUE(token.Keywords().empty());
    }
}

TEST(LanguageSettings, FourRowCommentsAtMostAndLateValuesWin) {
    CEditModeEntry entry{u"L", u"L", u"lang.txt", u"*.l", u"", 0};
    CStrToken token;
    std::u16string message;
    ASSERT_TRUE(ApplyLanguageSettings(entry, token,
                                      Lines({u"RowComment:--", u"RowComment:--", u"RowComment:--", u"RowComment:--",
                                             u"RowComment:--", u"EscapeChar:\u00A5", u"EscapeChar:\uFFE5",
                                             u"CStyleIndent:TRUE", u"CStyleIndent:yes"}),
                                      u"lang.txt", message));
    EXPECT_EQ(token.RowCommentCount(), 4);
    EXPECT_EQ(token.EscapeChar(), 0xA5);  // a full-width yen cannot be the escape
    EXPECT_EQ(entry.cStyleIndent, 0);
}

TEST(BuiltinLanguages, Tables) {
    struct Case {
        std::u16string tag;
        bool nocase;
        std::u16string open, close, row;
        std::u16string quotes;
        std::u16string brackets;
        int escape;
        std::u16string prefixes;
        bool tag_mode;
        std::u16string breaks, operators;
    } cases[] = {
        {u"<text>", true, u"", u"", u"", u"", u"]>)}", 0, u"", false, u" ,.:;(){}[]'\"=><-|&*+-/%!^", u""},
        {u"<cpp>", false, u"/*", u"*/", u"//", u"\"'", u")}]", u'\\', u"", false, u" ,.:;(){}[]'\"=><-|&*+-/%!^",
         u"=!&|^~*/+-%<>;:.,(){}[]"},
        {u"<java>", false, u"/*", u"*/", u"//", u"\"'", u")}", u'\\', u"", false, u" ,.:;(){}[]'\"=><-|&*+-/%!^",
         u"=!&|^~*/+-%<>;:.,(){}[]"},
        {u"<sql>", true, u"/*", u"*/", u"--", u"'", u")", 0, u"", false, u" ,;'\".%()=><", u"=!*/+-%;.,(){}:"},
        {u"<perl>", false, u"", u"", u"#", u"\"'", u")}", u'\\', u"$%@", false, u" ,.:;(){}[]'\"=><-&|*+-/%",
         u"=!&|^~*/+-%<>;:.,(){}[]"},
        {u"<html>", true, u"<!--", u"-->", u"", u"\"", u">)}", 0, u"", true, u" ,.:;(){}[]\"=></", u"=/<>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.tag));
        CStrToken t;
        LoadBuiltinLanguage(c.tag, u"no such folder", t);
        EXPECT_EQ(t.KeywordNocase(), c.nocase);
        EXPECT_EQ(t.OpenComment(), c.open);
        EXPECT_EQ(t.CloseComment(), c.close);
        EXPECT_EQ(t.RowCommentCount(), c.row.empty() ? 0 : 1);
        if (!c.row.empty()) {
            EXPECT_EQ(t.RowComment(0), c.row);
        }
        EXPECT_EQ(t.BracketChars(), c.brackets);
        EXPECT_EQ(t.EscapeChar(), c.escape);
        EXPECT_EQ(t.TagLanguageMode(), c.tag_mode);
        std::u16string all = c.breaks + c.operators + c.quotes + c.brackets + c.open + c.close;
        for (char16_t ch = 1; ch < 128; ++ch) {
            const std::u16string one(1, ch);
            EXPECT_EQ(t.IsQuoteChar(one) != 0, c.quotes.find(ch) != std::u16string::npos) << char(ch);
            EXPECT_EQ(t.IsOperatorChar(ch), c.operators.find(ch) != std::u16string::npos) << char(ch);
            EXPECT_EQ(t.IsLanguageKeywordChar(ch), c.prefixes.find(ch) != std::u16string::npos) << char(ch);
            bool blank = ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u' ' || ch == c.escape;
            bool opener = (ch == u'(' && c.brackets.find(u')') != std::u16string::npos) ||
                          (ch == u'<' && c.brackets.find(u'>') != std::u16string::npos) ||
                          (ch == u'[' && c.brackets.find(u']') != std::u16string::npos) ||
                          (ch == u'{' && c.brackets.find(u'}') != std::u16string::npos);
            EXPECT_EQ(t.IsBreakChar(ch), blank || opener || all.find(ch) != std::u16string::npos) << char(ch);
        }
        EXPECT_TRUE(t.Keywords().empty());  // no keyword file there, and no error either
    }
    CStrToken other;
    LoadBuiltinLanguage(u"<pascal>", u"", other);
    EXPECT_TRUE(other.OpenComment().empty());
    EXPECT_FALSE(other.IsBreakChar(u'('));
}

TEST(BuiltinLanguages, LoadLanguageSettingsResetsFirst) {
    CEditModeEntry perl{u"Perl", u"Perl", u"<perl>", u"*.pl", u"", 0};
    CEditModeEntry sql{u"SQL", u"SQL", u"<sql>", u"*.sql", u"", 0};
    CStrToken token;
    std::u16string message;
    ASSERT_TRUE(LoadLanguageSettings(perl, token, message));
    ASSERT_TRUE(LoadLanguageSettings(sql, token, message));
    EXPECT_EQ(token.RowCommentCount(), 1);
    EXPECT_EQ(token.RowComment(0), u"--");
    EXPECT_FALSE(token.IsLanguageKeywordChar(u'$'));
    EXPECT_EQ(token.EscapeChar(), 0);
    EXPECT_FALSE(token.IsBreakChar(u'['));
}

TEST(Paths, JoinedWithExactlyOneSeparator) {
    const std::u16string s(1, kPathSeparator);
    struct Case {
        std::u16string dir, name, joined;
    } cases[] = {
        {u"C:\\w\\data\\", u"cpp.txt", u"C:\\w\\data\\cpp.txt"},
        {u"C:\\w\\data\\", u"\\cpp.txt", u"C:\\w\\data\\cpp.txt"},
        {u"C:\\w\\data", u"cpp.txt", u"C:\\w\\data" + s + u"cpp.txt"},
        {u"/w/data/", u"/cpp.txt", u"/w/data/cpp.txt"},
        {u"/w/data//", u"//x", u"//x"},               // a UNC name stands alone
        {u"/w/data", u"D:\\kw\\cpp.txt", u"D:\\kw\\cpp.txt"},
        {u"", u"cpp.txt", u"cpp.txt"},
        {u"data", u"sub\\cpp.txt", u"data" + s + u"sub\\cpp.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(JoinPath(c.dir, c.name), c.joined) << Narrow(c.dir) << " + " << Narrow(c.name);
}
