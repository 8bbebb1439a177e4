// The replacements the line operations run, applied to a text the way the
// editing window's replace-all within a selection applies them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textengine/buffer_search.h"
#include "textengine/edit_data.h"
#include "textengine/regex/regex.h"
#include "view/core/line_replacements.h"

namespace {

std::u16string Text(const CEditData& d) { return d.GetText(); }

void Load(CEditData& d, const std::u16string& text) {
    d.SetLineEndType(LineEndType::LF);
    d.InsertText(text.c_str(), 1);
    d.ResetUndo();
    d.SetCaretPos(0, 0);
}

// Runs r over [from, to] as the window's replace-all in the selection does
// (case- and width-sensitive, template expanded); the replacement count.
int Apply(CEditData& d, const LineReplacement& r, EditPos from, EditPos to) {
    CompiledRegex* re = regex_compile(r.pattern.c_str(), 0);
    EXPECT_NE(re, nullptr) << std::string(r.pattern.begin(), r.pattern.end());
    if (!re) return -1;
    int count = 0;
    EXPECT_EQ(ReplaceAll(d, r.replacement.c_str(), 1, &from, &to, &count, re, 0), 0);
    regex_free(re);
    return count;
}

// The whole lines first..last, as the window widens a selection.
void ApplyToLines(CEditData& d, const LineReplacement& r, int first, int last) {
    Apply(d, r, {0, first}, {d.GetLineLength(last), last});
}

LineReplacement For(LineEdit e, std::u16string_view marker = {}) {
    std::optional<LineReplacement> r = LineReplacementFor(e, marker);
    EXPECT_TRUE(r.has_value());
    return r.value_or(LineReplacement{});
}

// Tabs, full-width characters and blanks, and an empty last line.
const std::u16string kSample = u"\t a\tb \u3000\n\u3000全角　x\u3000\n>  quoted\t\n>>x\n  \t\n";

TEST(LineReplacements, EachOperationOnTabsFullWidthAndAnEmptyLastLine) {
    struct Case {
        LineEdit edit;
        std::u16string marker;
        int first, last;  // whole lines selected
        std::u16string expected;
    } cases[] = {
        {LineEdit::TrimLeading, u"", 0, 4, u"a\tb \u3000\n全角　x\u3000\n>  quoted\t\n>>x\n\n"},
        {LineEdit::TrimTrailing, u"", 0, 4, u"\t a\tb\n\u3000全角　x\n>  quoted\n>>x\n\n"},
        {LineEdit::InsertQuote, u"", 0, 4,
         u"> \t a\tb \u3000\n> \u3000全角　x\u3000\n> >  quoted\t\n> >>x\n>   \t\n"},
        {LineEdit::InsertQuote, u"", 1, 2, u"\t a\tb \u3000\n> \u3000全角　x\u3000\n> >  quoted\t\n>>x\n  \t\n"},
        // One "> " or ">" and one blank: the second blank and ">" stay.
        {LineEdit::DeleteQuote, u"", 0, 4, u"\t a\tb \u3000\n\u3000全角　x\u3000\n quoted\t\n>x\n  \t\n"},
        {LineEdit::InsertComment, u"//", 0, 4,
         u"//\t a\tb \u3000\n//\u3000全角　x\u3000\n//>  quoted\t\n//>>x\n//  \t\n"},
        // The empty last line is not among whole lines 0-4, so it gets nothing.
        {LineEdit::DeleteComment, u">", 2, 3, u"\t a\tb \u3000\n\u3000全角　x\u3000\n  quoted\t\n>x\n  \t\n"},
        {LineEdit::DeleteNewlines, u"", 1, 3, u"\t a\tb \u3000\n\u3000全角　x\u3000>  quoted\t>>x\n  \t\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.edit));
        CEditData d;
        Load(d, kSample);
        ApplyToLines(d, For(c.edit, c.marker), c.first, c.last);
        EXPECT_EQ(Text(d), c.expected);
        // One step back restores the text exactly.
        ASSERT_TRUE(d.Undo());
        EXPECT_EQ(Text(d), kSample);
        EXPECT_FALSE(d.Undo());
    }
}

TEST(LineReplacements, CommentMarkersAreInsertedAndRemovedExactlyAsTheyStand) {
    // Markers a pattern or a template would otherwise read as syntax.
    const std::u16string markers[] = {u"//", u"#", u";", u"$", u"$1", u"$&", u"\\", u"\\n", u"\\\\", u"\\1",
                                      u".", u"*", u"(*", u"[", u"{-", u"|", u"^", u"?", u"+", u"REM ",
                                      u"'", u"--", u"%", u"＃", u"\\Q", u"(?#", u"\\E"};
    const std::u16string text = u"one\n\ttwo\n.x\n\n$1 three\n";
    for (const std::u16string& m : markers) {
        SCOPED_TRACE(std::string(m.begin(), m.end()));
        CEditData d;
        Load(d, text);
        ApplyToLines(d, For(LineEdit::InsertComment, m), 0, 4);
        EXPECT_EQ(Text(d), m + u"one\n" + m + u"\ttwo\n" + m + u".x\n" + m + u"\n" + m + u"$1 three\n");
        ApplyToLines(d, For(LineEdit::DeleteComment, m), 0, 4);
        EXPECT_EQ(Text(d), text);
        // Lines that do not start with the marker keep every character.
        const std::u16string plain = u"one\n\ttwo\n\nthree";
        CEditData p;
        Load(p, plain);
        ApplyToLines(p, For(LineEdit::DeleteComment, m), 0, 3);
        EXPECT_EQ(Text(p), plain);
    }
}

TEST(LineReplacements, DeleteCommentTakesOneMarkerFromTheLineStartOnly) {
    CEditData d;
    Load(d, u"// a // b\n//// c\n  // d\n/ e");
    ApplyToLines(d, For(LineEdit::DeleteComment, u"//"), 0, 3);
    EXPECT_EQ(Text(d), u" a // b\n// c\n  // d\n/ e");
}

TEST(LineReplacements, CommentOperationsNeedAMarker) {
    EXPECT_FALSE(LineReplacementFor(LineEdit::InsertComment, u"").has_value());
    EXPECT_FALSE(LineReplacementFor(LineEdit::DeleteComment).has_value());
}

TEST(LineReplacements, EscapedTextMatchesItselfAndNothingElse) {
    std::u16string all;
    for (char16_t c = 0x21; c < 0x7F; ++c) all += c;
    for (const std::u16string& t : {all, std::u16string(u"a.b"), std::u16string(u"\\E\\Q"), std::u16string(u"全\\角$")}) {
        SCOPED_TRACE(std::string(t.begin(), t.end()));
        CompiledRegex* re = regex_compile(EscapeRegexLiteral(t).c_str(), 0);
        ASSERT_NE(re, nullptr);
        const std::u16string hay = u"x" + t + u"y";
        int col = -1, len = -1;
        EXPECT_EQ(regex_search_string(re, hay.c_str(), 0, &col, &len), 1);
        EXPECT_EQ(col, 1);
        EXPECT_EQ(len, int(t.size()));
        EXPECT_EQ(regex_search_string(re, u"axb", 0, &col, &len), 0);
        regex_free(re);
    }
    EXPECT_EQ(EscapeReplacementTemplate(u"$1\\n$x"), u"\\$1\\\\n\\$x");
}

TEST(LineReplacements, DateAndTimeText) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 3;
    EXPECT_EQ(FormatInsertedDateTime(t), u"07:03 2026/01/05");
}

}  // namespace
