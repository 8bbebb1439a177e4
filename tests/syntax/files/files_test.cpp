// The loaders over real files: list selection, keyword files in several
// encodings, language settings files, and the data folder the programs ship.
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/syntax_files.h"

#include "tests/syntax/narrow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::u16string U16(const char* s) {
    std::u16string out;
    for (; *s; ++s) out += char16_t(static_cast<unsigned char>(*s));
    return out;
}

std::u16string Data(const char* sub) { return JoinPath(U16(TEST_DATA_DIR), U16(sub)); }

// The repository's data folder, as the build copies it.
std::u16string ShippedData() { return Data("../../../../data"); }

int ClassAt(const CStrToken& t, std::u16string_view text) {
    int length = 0;
    return t.GetKeywordClass(text, length, t.GetTokenLength(text));
}

}  // namespace

TEST(EditModeListFiles, WhichListIsRead) {
    struct Case {
        const char* dir;
        std::vector<std::u16string> names;
    } cases[] = {
        {"nolists", {u"Text", u"Html", u"C++", u"Java", u"Perl", u"SQL"}},
        {"both", {u"Ruby", u"Text"}},
        {"defaultonly", {u"Other", u"More"}},
        {"listisfolder", {u"Other", u"More"}},  // a folder named languages.txt is passed over
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir);
        CEditModeTable table;
        std::u16string message;
        ASSERT_TRUE(table.LoadEditModeList(Data(c.dir), message)) << Narrow(message);
        std::vector<std::u16string> names;
        for (int i = 0; i < table.Count(); ++i) names.push_back(table.Entry(i).name);
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(table.SettingsDir(), Data(c.dir));
    }
    CEditModeTable table;
    std::u16string message;
    ASSERT_TRUE(table.LoadEditModeList(Data("both"), message));
    EXPECT_EQ(table.Entry(0).language, JoinPath(Data("both"), u"ruby.lang"));
    EXPECT_EQ(table.Entry(1).patterns, u"*.txt");  // trailing blanks cut
}

TEST(EditModeListFiles, BadListNamesTheFileLine) {
    CEditModeTable table;
    std::u16string message;
    EXPECT_FALSE(table.LoadEditModeList(Data("badlist"), message));
    EXPECT_EQ(Narrow(message), "言語設定ファイルの書式が不正です(行：4)");
    EXPECT_EQ(table.Count(), 0);
}

TEST(KeywordFiles, LinesClassesAndEncodings) {
    CStrToken t;
    std::u16string message;
    ASSERT_EQ(t.initDefaultKeyword(Data("lang/basic_keywords.txt"), message), 0);
    std::vector<std::u16string> texts;
    for (const auto& kw : t.Keywords()) texts.emplace_back(kw.text());
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"", u"from", u"select", u"where"}));
    EXPECT_EQ(ClassAt(t, u"SELECT"), 2);
    EXPECT_EQ(ClassAt(t, u"from"), 1);
    for (const char* name : {"lang/sjis_keywords.txt", "lang/utf16_keywords.txt"}) {
        SCOPED_TRACE(name);
        CStrToken k;
        ASSERT_EQ(k.initDefaultKeyword(Data(name), message), 0);
        EXPECT_EQ(ClassAt(k, u"選択 x"), 2);
        EXPECT_EQ(ClassAt(k, u"条件"), 1);
        EXPECT_EQ(ClassAt(k, u"select"), 1);
    }
    EXPECT_EQ(t.initDefaultKeyword(u"", message), 0);  // no name: nothing to load
}

TEST(KeywordFiles, MissingFileLeavesNoKeywords) {
    CStrToken t;
    std::u16string message;
    ASSERT_EQ(t.initDefaultKeyword(Data("lang/basic_keywords.txt"), message), 0);
    const std::u16string missing = Data("lang/none.txt");
    EXPECT_NE(t.initDefaultKeyword(missing, message), 0);
    EXPECT_EQ(message, u"CStrToken::initDefaultKeyword(): fopen error(" + missing + u")");
    EXPECT_TRUE(t.Keywords().empty());
    EXPECT_EQ(ClassAt(t, u"select"), 0);
}

TEST(LanguageFiles, LoadAndFailures) {
    const std::u16string dir = Data("lang");
    CEditModeEntry good{u"G", u"G", JoinPath(dir, u"good.lang"), u"*.g", dir, 0};
    CStrToken token;
    std::u16string message;
    ASSERT_TRUE(LoadLanguageSettings(good, token, message)) << Narrow(message);
    EXPECT_TRUE(token.KeywordNocase());
    EXPECT_EQ(ClassAt(token, u"Select"), 2);
    EXPECT_EQ(token.GetQuotedLength(u"'a' b", false), 3);

    struct Case {
        const char16_t* file;
        std::u16string message;
    } cases[] = {
        {u"nokeywords.lang", u"キーワード設定ファイルが開けません(ファイル名：" + JoinPath(dir, u"missing_keywords.txt") + u")"},
        {u"badkey.lang", u"言語設定ファイルの書式が不正です\n(ファイル名：" + JoinPath(dir, u"badkey.lang") + u", 行：3)"},
        {u"absent.lang", u"言語設定ファイルが開けません(" + JoinPath(dir, u"absent.lang") + u")"},
    };
    for (const auto& c : cases) {
        CEditModeEntry entry{u"L", u"L", JoinPath(dir, c.file), u"*.l", dir, 0};
        EXPECT_FALSE(LoadLanguageSettings(entry, token, message));
        EXPECT_EQ(Narrow(message), Narrow(c.message));
        EXPECT_TRUE(token.Keywords().empty());
    }
}

// The shipped list names a language file for each built-in mode; each must
// describe the same language as the built-in one and find its keywords.
TEST(ShippedData, LanguageFilesMatchTheBuiltinLanguages) {
    CEditModeTable table;
    std::u16string message;
    ASSERT_TRUE(table.LoadEditModeList(ShippedData(), message)) << Narrow(message);
    CEditModeTable builtin;
    ASSERT_TRUE(builtin.ParseEditModeList(ShippedData(), BuiltinEditModeList(), u"", message));
    ASSERT_EQ(table.Count(), builtin.Count());
    const char16_t* probes[] = {u"<text>", u"#include", u"static", u"String", u"SELECT", u"varchar", u"foreach",
                                u"print", u"DIV", u"href", u"$x", u"@a"};
    for (int i = 0; i < table.Count(); ++i) {
        CEditModeEntry& shipped = table.Entry(i);
        CEditModeEntry& inner = builtin.Entry(i);
        SCOPED_TRACE(Narrow(shipped.name));
        EXPECT_EQ(shipped.name, inner.name);
        EXPECT_EQ(shipped.shortName, inner.shortName);
        EXPECT_EQ(shipped.patterns, inner.patterns);
        CStrToken a, b;
        ASSERT_TRUE(LoadLanguageSettings(shipped, a, message)) << Narrow(message);
        ASSERT_TRUE(LoadLanguageSettings(inner, b, message)) << Narrow(message);
        EXPECT_EQ(a.KeywordNocase(), b.KeywordNocase());
        EXPECT_EQ(a.TagLanguageMode(), b.TagLanguageMode());
        EXPECT_EQ(a.EscapeChar(), b.EscapeChar());
        EXPECT_EQ(a.OpenComment(), b.OpenComment());
        EXPECT_EQ(a.CloseComment(), b.CloseComment());
        EXPECT_EQ(a.BracketChars(), b.BracketChars());
        ASSERT_EQ(a.RowCommentCount(), b.RowCommentCount());
        for (int r = 0; r < a.RowCommentCount(); ++r) EXPECT_EQ(a.RowComment(r), b.RowComment(r));
        for (char16_t c = 0; c < 256; ++c) {
            const std::u16string one(1, c);
            EXPECT_EQ(a.IsBreakChar(c), b.IsBreakChar(c)) << unsigned(c);
            EXPECT_EQ(a.IsOperatorChar(c), b.IsOperatorChar(c)) << unsigned(c);
            EXPECT_EQ(a.IsQuoteChar(one), b.IsQuoteChar(one)) << unsigned(c);
            EXPECT_EQ(a.IsCommentStartChar(c), b.IsCommentStartChar(c)) << unsigned(c);
            EXPECT_EQ(a.GetBracketKind(c), b.GetBracketKind(c)) << unsigned(c);
            EXPECT_EQ(a.IsLanguageKeywordChar(c), b.IsLanguageKeywordChar(c)) << unsigned(c);
        }
        EXPECT_EQ(a.Keywords().size(), b.Keywords().size());
        for (const char16_t* probe : probes) EXPECT_EQ(ClassAt(a, probe), ClassAt(b, probe)) << Narrow(probe);
    }
}

TEST(ShippedData, KeywordsOfEachLanguage) {
    struct Case {
        const char16_t* tag;
        const char16_t* text;
        int keywordClass;
    } cases[] = {
        {u"<cpp>", u"#include <x>", 1}, {u"<cpp>", u"nullptr", 1}, {u"<cpp>", u"size_t", 2}, {u"<cpp>", u"Static", 0},
        {u"<java>", u"synchronized", 1}, {u"<java>", u"String", 2}, {u"<sql>", u"Select", 1}, {u"<sql>", u"VARCHAR2", 2},
        {u"<perl>", u"foreach", 1},      {u"<perl>", u"chomp", 2},  {u"<perl>", u"$line", 2}, {u"<html>", u"TABLE", 1},
        {u"<html>", u"href", 2},         {u"<text>", u"select", 0},
    };
    for (const auto& c : cases) {
        CStrToken t;
        LoadBuiltinLanguage(c.tag, ShippedData(), t);
        EXPECT_EQ(ClassAt(t, c.text), c.keywordClass) << Narrow(c.tag) << " " << Narrow(c.text);
    }
}
