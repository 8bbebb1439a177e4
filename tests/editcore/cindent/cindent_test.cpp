// The C indenter on small snippets: a line break, ":", "{" or "}" typed at
// the caret ('|' in the texts) through the text's typed-character entry.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "editctrl/core/cindent.h"
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "textengine/edit_data.h"
#include "textengine/syntax_rules.h"
#include "tests/textengine/edit_test_util.h"

namespace {

const CStrToken& Cpp() {
    static std::unique_ptr<CStrToken> t;
    if (!t) {
        const std::string dir = TEST_DATA_DIR;
        const std::string root = dir.substr(0, dir.rfind("/tests/")) + "/data";
        t = std::make_unique<CStrToken>();
        LoadBuiltinLanguage(u"<cpp>", std::u16string(root.begin(), root.end()), *t);
    }
    return *t;
}

using edit_test::Text;

// The text with '|' at the caret.
std::u16string Shown(const CEditData& d) {
    std::u16string s;
    const EditPos c = d.GetCaretPos();
    for (int i = 0; i < d.GetLineCount(); ++i) {
        if (i) s += u'\n';
        std::u16string line(d.GetLineText(i), std::size_t(d.GetLineLength(i)));
        if (i == c.line) line.insert(std::size_t(c.column), 1, u'|');
        s += line;
    }
    return s;
}

struct Buffer {
    CEditData data;

    explicit Buffer(std::u16string shown, int mode = 2) {
        CEditData::SetIndentHook(&CCIndent::OnTyped);
        data.SetUndoUnlimited();
        const std::size_t bar = shown.find(u'|');
        std::u16string before = shown.substr(0, bar);
        data.InsertText(shown.erase(bar, 1).c_str(), 1);
        int line = 0, column = 0;
        for (char16_t c : before) {
            if (c == u'\n') {
                ++line;
                column = 0;
            } else {
                ++column;
            }
        }
        data.SetCaretPos(line, column);
        data.SetSyntaxRules(&Cpp());
        data.SetIndentMode(mode);
        bool changed = false;
        data.UpdateLineStates(0, -1, 0, changed);
        data.GetUndo()->Reset();
    }
    ~Buffer() { CEditData::SetIndentHook(nullptr); }

    std::u16string Type(char32_t ch) {
        data.TypeChar(ch);
        return Shown(data);
    }
};

struct Snippet {
    const char* name;
    const char16_t* before;
    char32_t typed;
    const char16_t* after;
};

TEST(CIndent, PlacesLinesByBracesAndStatements) {
    const Snippet cases[] = {
        {"block opened", u"\tif (a) {|", u'\r', u"\tif (a) {\n\t\t|"},
        {"label or case line", u"\tcase 1:|", u'\r', u"\tcase 1:\n\t\t|"},
        {"statement continued", u"\tx = f(a,|", u'\r', u"\tx = f(a,\n\t\t|"},
        {"continued statement ended", u"\tx = f(a,\n\t\tb);|", u'\r', u"\tx = f(a,\n\t\tb);\n\t|"},
        {"one-line if body ended", u"\tif (a)\n\t\tx();|", u'\r', u"\tif (a)\n\t\tx();\n\t|"},
        {"after a closed block", u"\t\t}|", u'\r', u"\t\t}\n\t\t|"},
        {"blank line above skipped and cleared", u"\tif (a) {\n  |", u'\r', u"\tif (a) {\n\n\t\t|"},
        {"preprocessor line", u"\t#if A|", u'\r', u"\t#if A\n\t|"},
        {"inside a block comment", u"\t/* one|", u'\r', u"\t/* one\n\t|"},
        {"comment after the brace", u"\tif (a) { // why|", u'\r', u"\tif (a) { // why\n\t\t|"},
        {"line that starts with }", u"\tif (a) {\n\t\tx;|}", u'\r', u"\tif (a) {\n\t\tx;\n\t|}"},
        {"} typed first on its line", u"\tif (a) {\n\t\tx;\n\t\t|", u'}', u"\tif (a) {\n\t\tx;\n\t}|"},
        {"} closing a continued header", u"\tif (a &&\n\t    b) {\n\t\tx;\n\t\t\t|", u'}',
         u"\tif (a &&\n\t    b) {\n\t\tx;\n\t}|"},
        {"} after text stays", u"\tif (a) {\n\t\t\tx; |", u'}', u"\tif (a) {\n\t\t\tx; }|"},
        {"{ on its own line", u"void f() {\n\tif (a)\n|", u'{', u"void f() {\n\tif (a)\n\t{|"},
        {"{ at top level", u"void f()\n   |", u'{', u"void f()\n{|"},
        {"{ ending a header stays", u"void f() {\n\tif (a) |", u'{', u"void f() {\n\tif (a) {|"},
        {"conditional expression", u"\t\t\tx = a ? b |", u':', u"\t\t\tx = a ? b :|"},
        {"a:: placed by the statement above", u"\tint x;\n\t\t\ta:|", u':', u"\tint x;\n\ta::|"},
        {"colon inside an expression", u"void f() {\n\tfor (auto x |", u':', u"void f() {\n\tfor (auto x :|"},
        {"label lines up with its block", u"void f()\n{\n\tx;\n\t\tagain|\n}", u':',
         u"void f()\n{\n\tx;\nagain:|\n}"},
        {"} in a comment", u"\t// {\n\t\t\t// |", u'}', u"\t// {\n\t\t\t// }|"},
        {"{ in a string", u"\tx = \"|\";", u'{', u"\tx = \"{|\";"},
    };
    for (const Snippet& c : cases) {
        Buffer b(c.before);
        EXPECT_EQ(b.Type(c.typed), c.after) << c.name;
    }
}

TEST(CIndent, CopyModeCopiesTheIndentationOnlyAfterALineBreak) {
    Buffer copy(u"\t abc|", 1);
    EXPECT_EQ(copy.Type(u'\r'), u"\t abc\n\t |");
    Buffer brace(u"  if (a)\n|", 1);
    EXPECT_EQ(brace.Type(u'{'), u"  if (a)\n{|");
    Buffer off(u"\tabc|", 0);
    EXPECT_EQ(off.Type(u'\r'), u"\tabc\n|");
}

TEST(CIndent, ReactsOnlyToTheTriggerCharactersThemselves) {
    const CCIndent& indenter = CCIndent::Instance();
    for (char32_t c : {U'\r', U':', U'{', U'}'}) EXPECT_TRUE(indenter.IsTrigger(c));
    // Same low byte as a trigger: U+307B "ほ" ("{"), U+013A (":"), U+010D (CR), U+017D ("}").
    for (char32_t c : {U'\u307B', U'\u013A', U'\u010D', U'\u017D', U'\n', U';'}) EXPECT_FALSE(indenter.IsTrigger(c));
    Buffer b(u"void f() {\n\t\t\t|");
    const std::u16string before = Text(b.data);
    CCIndent::OnTyped(b.data, U'\u307B');
    EXPECT_EQ(Text(b.data), before);
}

TEST(CIndent, CopyingAndStrippingAgreeOnIndentation) {
    // A full-width space indents: it is copied, and stripped when replaced.
    Buffer copy(u"\u3000\u3000abc|", 1);
    EXPECT_EQ(copy.Type(u'\r'), u"\u3000\u3000abc\n\u3000\u3000|");
    Buffer replace(u"\tif (a) {\n\t\tx;\n\u3000 \t|", 2);
    EXPECT_EQ(replace.Type(u'}'), u"\tif (a) {\n\t\tx;\n\t}|");
    Buffer strip(u"x\n\u3000\t y|");
    CCIndent::Instance().SetText(&strip.data);
    CCIndent::Instance().StripIndent(1);
    EXPECT_EQ(Shown(strip.data), u"x\ny|");
}

TEST(CIndent, TabsAsSpacesAndOneUndoStep) {
    Buffer b(u"if (a) {\n\t  x = g(|");
    b.data.SetTabAsSpace(true);
    b.data.GetDispData().widths.SetTabSize(4);
    // The tab of the line above becomes spaces to the next stop, then one level more.
    EXPECT_EQ(b.Type(u'\r'), u"if (a) {\n\t  x = g(\n        |");
    b.data.Undo();
    EXPECT_EQ(Text(b.data), u"if (a) {\n\t  x = g(");
}

TEST(CIndent, QueriesSkipCommentsAndStrings) {
    Buffer b(u"x = 1; // y;\n/* a\n b */ c {\n\"s;\" + \n\t \n|");
    CCIndent& ci = CCIndent::Instance();
    ci.SetText(&b.data);
    EXPECT_EQ(ci.GetLastSignificantChar(0), U';');
    EXPECT_EQ(ci.GetLastSignificantChar(2), U'{');  // begins inside the comment
    EXPECT_EQ(ci.GetLastSignificantChar(1), 0u);
    EXPECT_EQ(ci.GetLastSignificantChar(3), U'+');
    EXPECT_EQ(ci.GetFirstSignificantChar(4), 0u);
    EXPECT_EQ(ci.GetLastSignificantChar(99), 0u);
    EXPECT_EQ(ci.FindPreviousCodeLine(5), 3);
    EXPECT_EQ(ci.FindPreviousCodeLine(2), 0);
    EXPECT_EQ(ci.FindStatementStart(4), 3);
}

}  // namespace
