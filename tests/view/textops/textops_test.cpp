// The view's text operations on real editing windows: each one on a
// selection holding tabs, full-width characters and an empty last line,
// undone in one step; the comment marker taken exactly as it stands; the
// caret and selection rules of the line replacements; the update rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/resource.h"
#include "framework/cmdtarget.h"
#include "framework/seams.h"
#include "tests/editctrl/edit_ctrl_fixture.h"
#include "view/view_textops.h"
#include "tests/textengine/edit_test_util.h"

using etest::EditFixture;

inline void PrintTo(const EditPos& p, std::ostream* os) { *os << "(" << p.column << "," << p.line << ")"; }

namespace {

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char buf[12];
            std::snprintf(buf, sizeof buf, "<%04X>", unsigned(c));
            out += buf;
        }
    }
    return out;
}

using edit_test::Text;

void Select(EditFixture& f, EditPos start, EditPos end) {
    f.data.GetDispData().ResetSelection();
    f.Select(start, end);
}

bool Selected(EditFixture& f) { return f.ctrl.Model().HasSelection(); }

void RunCommand(EditFixture& f, UINT id) { ASSERT_TRUE(RunTextOpCommand(f.ctrl, id, nullptr)) << id; }

// What the update handler says.
bool Enabled(EditFixture& f, UINT id) {
    CCmdUI ui = CCmdUI::ForProbe(id);
    ui.Enable(false);
    EXPECT_TRUE(RunTextOpCommand(f.ctrl, id, &ui)) << id;
    return ui.enabled();
}

// A language with one row-comment marker.
CStrToken& LanguageWithComment(const std::u16string& marker) {
    static std::vector<std::unique_ptr<CStrToken>> made;
    made.push_back(std::make_unique<CStrToken>());
    made.back()->AddRowComment(marker);
    return *made.back();
}

// Answers every message box and keeps what it said.
struct BoxRecorder {
    std::vector<MessageBoxRequest> seen;
    MessageBoxHandler old;
    BoxRecorder() {
        old = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            seen.push_back(r);
            return IDOK;
        });
    }
    ~BoxRecorder() { SetMessageBoxHandler(old); }
};

// Tabs, full-width characters (kana, letters, the ideographic space),
// half-width kana with voiced marks, blanks at both ends, a duplicate pair
// and an empty last line.
const std::u16string kSample =
    u"b\t全角ＡＢガ c \u3000\n"
    u"  \tｶﾞｷﾞ xYz\n"
    u"a\n"
    u"a\n"
    u"> quote\t\n"
    u"      \t6\n";

TEST(TextOps, EveryOperationOnTheWholeSampleIsUndoneInOneStep) {
    struct Case {
        UINT id;
        std::u16string expected;
    } cases[] = {
        {ID_EDIT_TRIM_LEADING, u"b\t全角ＡＢガ c \u3000\nｶﾞｷﾞ xYz\na\na\n> quote\t\n6\n"},
        {ID_EDIT_TRIM_TRAILING, u"b\t全角ＡＢガ c\n  \tｶﾞｷﾞ xYz\na\na\n> quote\n      \t6\n"},
        {ID_EDIT_INSERT_QUOTE,
         u"> b\t全角ＡＢガ c \u3000\n>   \tｶﾞｷﾞ xYz\n> a\n> a\n> > quote\t\n>       \t6\n"},
        {ID_EDIT_DELETE_QUOTE, u"b\t全角ＡＢガ c \u3000\n  \tｶﾞｷﾞ xYz\na\na\nquote\t\n      \t6\n"},
        {ID_EDIT_INSERT_COMMENT,
         u"//b\t全角ＡＢガ c \u3000\n//  \tｶﾞｷﾞ xYz\n//a\n//a\n//> quote\t\n//      \t6\n"},
        {ID_EDIT_DELETE_NEWLINES, u"b\t全角ＡＢガ c \u3000  \tｶﾞｷﾞ xYzaa> quote\t      \t6"},
        {ID_EDIT_DELETE_DUPLICATES, u"b\t全角ＡＢガ c \u3000\n  \tｶﾞｷﾞ xYz\na\n> quote\t\n      \t6\n"},
        {ID_EDIT_JOIN_LINES, u"b\t全角ＡＢガ c \u3000  \tｶﾞｷﾞ xYzaa> quote\t      \t6"},
        {ID_EDIT_INDENT_TAB, u"\tb\t全角ＡＢガ c \u3000\n\t  \tｶﾞｷﾞ xYz\n\ta\n\ta\n\t> quote\t\n\t      \t6\n"},
        {ID_EDIT_UNINDENT_TAB, u"b\t全角ＡＢガ c \u3000\n\tｶﾞｷﾞ xYz\na\na\n> quote\t\n  \t6\n"},
        {ID_EDIT_INDENT_SPACE, u" b\t全角ＡＢガ c \u3000\n   \tｶﾞｷﾞ xYz\n a\n a\n > quote\t\n       \t6\n"},
        {ID_EDIT_UNINDENT_SPACE, u"b\t全角ＡＢガ c \u3000\n \tｶﾞｷﾞ xYz\na\na\n> quote\t\n     \t6\n"},
        {ID_EDIT_REVERSE_LINES, u"      \t6\n> quote\t\na\na\n  \tｶﾞｷﾞ xYz\nb\t全角ＡＢガ c \u3000\n"},
        // A tab sorts before a blank.
        {ID_EDIT_SORT_ASC, u"  \tｶﾞｷﾞ xYz\n      \t6\n> quote\t\na\na\nb\t全角ＡＢガ c \u3000\n"},
        {ID_EDIT_SORT_DESC, u"b\t全角ＡＢガ c \u3000\na\na\n> quote\t\n      \t6\n  \tｶﾞｷﾞ xYz\n"},
        {ID_EDIT_TO_FULLWIDTH,
         u"ｂ\t全角ＡＢガ　ｃ　\u3000\n　　\tガギ　ｘＹｚ\nａ\nａ\n＞　ｑｕｏｔｅ\t\n　　　　　　\t６\n"},
        {ID_EDIT_TO_FULLWIDTH_ALNUM,
         u"ｂ\t全角ＡＢガ　ｃ　\u3000\n　　\tｶﾞｷﾞ　ｘＹｚ\nａ\nａ\n＞　ｑｕｏｔｅ\t\n　　　　　　\t６\n"},
        {ID_EDIT_TO_FULLWIDTH_KANA, u"b\t全角ＡＢガ c \u3000\n  \tガギ xYz\na\na\n> quote\t\n      \t6\n"},
        {ID_EDIT_TO_HALFWIDTH, u"b\t全角ABｶﾞ c  \n  \tｶﾞｷﾞ xYz\na\na\n> quote\t\n      \t6\n"},
        {ID_EDIT_TO_HALFWIDTH_ALNUM, u"b\t全角ABガ c  \n  \tｶﾞｷﾞ xYz\na\na\n> quote\t\n      \t6\n"},
        {ID_EDIT_TO_HALFWIDTH_KANA, u"b\t全角ＡＢｶﾞ c \u3000\n  \tｶﾞｷﾞ xYz\na\na\n> quote\t\n      \t6\n"},
        {ID_EDIT_SPACES_TO_TABS, u"b\t全角ＡＢガ c \u3000\n  \tｶﾞｷﾞ xYz\na\na\n> quote\t\n\t  \t6\n"},
        {ID_EDIT_TABS_TO_SPACES, u"b\t全角ＡＢガ c \u3000\n  \tｶﾞｷﾞ xYz\na\na\n> quote\t\n      \t6\n"},
        {ID_EDIT_INSERT_BR, u"<br>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EditFixture f(kSample);
        f.data.SetSyntaxRules(&etest::Cpp());
        f.data.ResetUndo();
        f.ctrl.Model().SelectAll();
        RunCommand(f, c.id);
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(c.expected));
        if (c.expected == kSample) continue;  // nothing to undo
        f.ctrl.Model().Undo();
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(kSample));
    }
}

TEST(TextOps, CaseConversionFollowsTheRuntimesMappingAndIsOneStep) {
    for (bool upper : {false, true}) {
        EditFixture f(kSample);
        f.data.ResetUndo();
        f.ctrl.Model().SelectAll();
        RunCommand(f, upper ? ID_EDIT_UPPER_CASE : ID_EDIT_LOWER_CASE);
        std::u16string expected = kSample;
        for (char16_t& ch : expected)
            ch = char16_t(upper ? std::towupper(wchar_t(ch)) : std::towlower(wchar_t(ch)));
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(expected));
        // ASCII letters change whatever the runtime does beyond them.
        EXPECT_NE(Text(f.data).find(upper ? u"XYZ" : u"xyz"), std::u16string::npos);
        f.ctrl.Model().Undo();
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(kSample));
    }
}

TEST(TextOps, TabsAndSpacesFollowTheTabSize) {
    EditFixture f(u"\t\tx\n      y\n");
    f.data.ResetUndo();
    f.ctrl.Model().SelectAll();
    RunCommand(f, ID_EDIT_TABS_TO_SPACES);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"        x\n      y\n"));
    // The selection runs from the old start to the end of the last line.
    EXPECT_EQ(f.data.GetDispData().selStart, (EditPos{0, 0}));
    EXPECT_EQ(f.data.GetDispData().selEnd, (EditPos{7, 1}));
    RunCommand(f, ID_EDIT_SPACES_TO_TABS);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"\t\tx\n\t  y\n"));
    EXPECT_EQ(f.data.GetDispData().selEnd, (EditPos{4, 1}));
    f.ctrl.Model().Undo();
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"        x\n      y\n"));
    // Without a selection only the caret line, and no selection after.
    f.ctrl.Model().ClearSelection(true);
    f.data.SetCaretPos(1, 3);
    RunCommand(f, ID_EDIT_SPACES_TO_TABS);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"        x\n\t  y\n"));
    EXPECT_FALSE(Selected(f));
}

TEST(TextOps, CommentMarkersWithRegexAndTemplateCharactersCommentAndUncommentExactly) {
    const std::u16string markers[] = {u"$", u"$1", u"\\", u"\\n", u".", u"(*", u"[", u"$&\\", u"#"};
    const std::u16string text = u"ab\n\tcd\n.x\n";
    for (const std::u16string& m : markers) {
        SCOPED_TRACE(Narrow(m));
        EditFixture f(text);
        f.data.SetSyntaxRules(&LanguageWithComment(m));
        f.data.ResetUndo();
        EXPECT_TRUE(Enabled(f, ID_EDIT_INSERT_COMMENT));
        f.ctrl.Model().SelectAll();
        RunCommand(f, ID_EDIT_INSERT_COMMENT);
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(m + u"ab\n" + m + u"\tcd\n" + m + u".x\n"));
        // The selection stays on the processed lines for the next command.
        EXPECT_TRUE(Selected(f));
        RunCommand(f, ID_EDIT_DELETE_COMMENT);
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(text));
        RunCommand(f, ID_EDIT_DELETE_COMMENT);
        EXPECT_EQ(Narrow(Text(f.data)), Narrow(m == u"." ? u"ab\n\tcd\nx\n" : text));
    }
}

TEST(TextOps, CommentCommandsNeedARowComment) {
    EditFixture f(u"ab");
    EXPECT_FALSE(Enabled(f, ID_EDIT_INSERT_COMMENT));
    EXPECT_FALSE(Enabled(f, ID_EDIT_DELETE_COMMENT));
    RunCommand(f, ID_EDIT_INSERT_COMMENT);  // no language: nothing happens
    EXPECT_EQ(Narrow(Text(f.data)), "ab");
    f.data.SetSyntaxRules(&etest::Cpp());
    EXPECT_TRUE(Enabled(f, ID_EDIT_INSERT_COMMENT));
}

TEST(TextOps, UpdateRulesFollowTheSelection) {
    EditFixture f(u"abc\ndef\n");
    const UINT selection[] = {ID_EDIT_LOWER_CASE, ID_EDIT_UPPER_CASE, ID_EDIT_BREAK_AT_WRAP, ID_EDIT_TO_FULLWIDTH,
                              ID_EDIT_TO_HALFWIDTH_KANA};
    const UINT lines[] = {ID_EDIT_REVERSE_LINES, ID_EDIT_SORT_ASC, ID_EDIT_SORT_DESC, ID_EDIT_DELETE_NEWLINES,
                          ID_EDIT_DELETE_DUPLICATES};
    for (UINT id : selection) EXPECT_FALSE(Enabled(f, id)) << id;
    for (UINT id : lines) EXPECT_FALSE(Enabled(f, id)) << id;
    EXPECT_TRUE(Enabled(f, ID_EDIT_TRIM_LEADING));
    Select(f, {1, 0}, {3, 0});
    for (UINT id : selection) EXPECT_TRUE(Enabled(f, id)) << id;
    for (UINT id : lines) EXPECT_FALSE(Enabled(f, id)) << id;
    Select(f, {1, 0}, {0, 1});
    for (UINT id : lines) EXPECT_TRUE(Enabled(f, id)) << id;
    // An empty anchored selection is none.
    Select(f, {1, 0}, {1, 0});
    EXPECT_FALSE(Enabled(f, ID_EDIT_LOWER_CASE));
    // Not a command of these.
    CCmdUI ui = CCmdUI::ForProbe(ID_EDIT_COPY);
    EXPECT_FALSE(RunTextOpCommand(f.ctrl, ID_EDIT_COPY, &ui));
}

TEST(TextOps, WithoutASelectionTheCaretLineIsProcessedAndTheCaretKeptWhenNothingChanged) {
    EditFixture f(u"a  \nb \u3000\t\nc");
    f.data.ResetUndo();
    f.data.SetCaretPos(1, 1);
    RunCommand(f, ID_EDIT_TRIM_TRAILING);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"a  \nb\nc"));
    EXPECT_FALSE(Selected(f));
    EXPECT_EQ(f.data.GetCaretX(), -1);
    EXPECT_EQ(f.data.GetCaretPos().line, 1);
    // Nothing to trim: the caret goes back to its column.
    f.data.SetCaretPos(1, 1);
    RunCommand(f, ID_EDIT_TRIM_TRAILING);
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{1, 1}));
    EXPECT_FALSE(Selected(f));
    f.data.SetCaretPos(2, 1);
    RunCommand(f, ID_EDIT_INSERT_QUOTE);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"a  \nb\n> c"));
}

TEST(TextOps, JoinLinesWithoutASelectionJoinsTheCaretLineWithTheNext) {
    EditFixture f(u"ab\ncd\nef");
    f.data.ResetUndo();
    f.data.SetCaretPos(1, 1);  // line 1, column 1
    RunCommand(f, ID_EDIT_JOIN_LINES);
    EXPECT_EQ(Narrow(Text(f.data)), "ab\ncdef");
    f.ctrl.Model().Undo();
    EXPECT_EQ(Narrow(Text(f.data)), "ab\ncd\nef");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{1, 1}));
    // On the last line there is no line break to delete.
    f.data.SetCaretPos(2, 1);
    RunCommand(f, ID_EDIT_JOIN_LINES);
    EXPECT_EQ(Narrow(Text(f.data)), "ab\ncd\nef");
    // Read-only: nothing.
    f.ctrl.Model().SetReadOnly(true);
    f.data.SetCaretPos(0, 0);
    RunCommand(f, ID_EDIT_JOIN_LINES);
    EXPECT_EQ(Narrow(Text(f.data)), "ab\ncd\nef");
}

TEST(TextOps, CaseAndWidthRefuseABoxSelectionWithAMessage) {
    for (UINT id : {ID_EDIT_LOWER_CASE, ID_EDIT_UPPER_CASE, ID_EDIT_TO_FULLWIDTH, ID_EDIT_TO_HALFWIDTH}) {
        EditFixture f(u"abc\nDEF\n");
        f.data.GetDispData().boxRequest = 1;
        f.ctrl.Model().SelectRange({0, 0}, {2, 1}, true);
        ASSERT_TRUE(f.data.GetDispData().boxSelection);
        BoxRecorder boxes;
        RunCommand(f, id);
        ASSERT_EQ(boxes.seen.size(), 1u) << id;
        EXPECT_EQ(boxes.seen[0].text, L"矩形選択には対応していません");
        EXPECT_EQ(boxes.seen[0].caption, L"メッセージ");
        EXPECT_EQ(Narrow(Text(f.data)), "abc\nDEF\n");
    }
}

TEST(TextOps, WidthConversionKeepsTheSelectionOverTheConvertedText) {
    EditFixture f(u"xｶﾞｶﾞy\nz");
    f.data.ResetUndo();
    Select(f, {1, 0}, {5, 0});
    RunCommand(f, ID_EDIT_TO_FULLWIDTH_KANA);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"xガガy\nz"));
    EXPECT_EQ(f.data.GetDispData().selStart, (EditPos{1, 0}));
    EXPECT_EQ(f.data.GetDispData().selEnd, (EditPos{3, 0}));
    RunCommand(f, ID_EDIT_TO_HALFWIDTH_KANA);
    EXPECT_EQ(Narrow(Text(f.data)), Narrow(u"xｶﾞｶﾞy\nz"));
    EXPECT_EQ(f.data.GetDispData().selEnd, (EditPos{5, 0}));
}

TEST(TextOps, DateTimeAndBreakReplaceTheSelection) {
    EditFixture f(u"abc");
    f.data.ResetUndo();
    Select(f, {1, 0}, {2, 0});
    RunCommand(f, ID_EDIT_DATE_TIME);
    const std::u16string text = Text(f.data);
    // "HH:MM YYYY/MM/DD" in place of "b".
    ASSERT_EQ(text.size(), 18u) << Narrow(text);
    EXPECT_EQ(text[0], u'a');
    EXPECT_EQ(text[3], u':');
    EXPECT_EQ(text[6], u' ');
    EXPECT_EQ(text[11], u'/');
    EXPECT_EQ(text[14], u'/');
    EXPECT_EQ(text[17], u'c');
    f.ctrl.Model().Undo();
    EXPECT_EQ(Narrow(Text(f.data)), "abc");
}

TEST(TextOps, BreakAtWrapTurnsRowStartsIntoLineEndsAsOneStep) {
    EditFixture f(u"0123456789012345678901234567890123456789");
    f.data.ResetUndo();
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 20, true);
    ASSERT_GT(f.data.GetLineRowCount(0), 1);
    f.ctrl.Model().SelectAll();
    RunCommand(f, ID_EDIT_BREAK_AT_WRAP);
    EXPECT_GT(f.data.GetLineCount(), 1);
    std::u16string joined;
    for (int i = 0; i < f.data.GetLineCount(); ++i) joined.append(f.data.GetLineText(i), f.data.GetLineLength(i));
    EXPECT_EQ(Narrow(joined), "0123456789012345678901234567890123456789");
    // The old range selected, the caret at its start.
    EXPECT_TRUE(Selected(f));
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{0, 0}));
    f.ctrl.Model().Undo();
    EXPECT_EQ(f.data.GetLineCount(), 1);
}

}  // namespace
