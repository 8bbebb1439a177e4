// The editor model's line commands, undo and redo, the selection's text,
// width conversion and keyword completion, without a window: each editing
// command is one undo step that puts the caret back, and what does nothing
// leaves no step.
#include "editctrl/syntax/editmode.h"
#include "editctrl/syntax/strtoken.h"
#include "editctrl/syntax/syntax_files.h"
#include "tests/editcore/model/model_fixture.h"
#include "tests/textengine/edit_test_util.h"
#include "textengine/undo_data.h"

inline void PrintTo(const EditPos& p, std::ostream* os) { *os << "(" << p.column << "," << p.line << ")"; }

namespace {

using Order = CEditModel::LineOrder;

struct Lines : Model {
    std::u16string Text() const { return edit_test::Text(d); }
    // Another text in place of the last case's, with no selection and no undo step.
    void Reset(const std::u16string& text, EditPos caret = {0, 0}) {
        model.SetReadOnly(false);
        model.ClearSelection(false);
        d.Clear();
        Set(text.c_str(), caret);
    }
    // A stream selection from a to b, the caret at b.
    void Select(EditPos a, EditPos b, bool box = false) { model.SelectRange(a, b, box); }
    bool CanUndo() { return d.GetUndo()->CanUndo(); }
};

TEST_F(Lines, EachLineCommandIsOneUndoStepThatPutsTheCaretBack) {
    struct Case {
        const char* name;
        std::u16string text;
        EditPos caret, selTo;  // selTo.line -1: no selection
        void (*command)(CEditModel&);
        std::u16string after;
        EditPos caretAfter;
    } cases[] = {
        // x = 32 px: after "abcd", and after "あい" on the line that moves up.
        {"a deleted line leaves the caret under its pixel x", u"abcdef\nあいう\nxy", {4, 0}, {0, -1},
         [](CEditModel& m) { m.DeleteLine(); }, u"あいう\nxy", {2, 0}},
        {"the last line deleted: the caret goes up", u"ab\ncdef", {3, 1}, {0, -1},
         [](CEditModel& m) { m.DeleteLine(); }, u"ab", {2, 0}},
        {"lines pasted above, their line end not doubled", u"one\ntwo", {2, 1}, {0, -1},
         [](CEditModel& m) { m.PasteLines(u"x\n", true); }, u"one\nx\ntwo", {1, 1}},
        {"lines pasted below", u"one\ntwo", {0, 0}, {0, -1},
         [](CEditModel& m) { m.PasteLines(u"y\nz", false); }, u"one\ny\nz\ntwo", {1, 2}},
        {"a selection ending at a line's start leaves that line out", u"a\nc\nb\nd", {0, 0}, {0, 3},
         [](CEditModel& m) { m.ReorderSelectedLines(Order::Reversed); }, u"b\nc\na\nd", {0, 3}},
        {"sorted up to the text's end: the caret at its end", u"c\na\nb", {1, 0}, {1, 2},
         [](CEditModel& m) { m.ReorderSelectedLines(Order::Ascending); }, u"a\nb\nc", {1, 2}},
        {"sorted descending from a line's middle", u"x\nb\nc\na\ny", {1, 1}, {1, 3},
         [](CEditModel& m) { m.ReorderSelectedLines(Order::Descending); }, u"x\nc\nb\na\ny", {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset(c.text, c.caret);
        if (c.selTo.line >= 0) Select(c.caret, c.selTo);
        const EditPos caretBefore = Caret();
        const int relayouts = view.relayouts;
        c.command(model);
        EXPECT_EQ(Text(), c.after);
        EXPECT_EQ(Caret(), c.caretAfter);
        EXPECT_FALSE(model.HasSelection());
        EXPECT_EQ(view.relayouts, relayouts + 1);
        d.Undo();
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(Caret(), caretBefore);
        EXPECT_FALSE(CanUndo());  // one step
    }
}

TEST_F(Lines, CommandsWithNothingToDoLeaveNoStep) {
    struct Case {
        const char* name;
        std::u16string text;
        EditPos selFrom, selTo;  // selTo.line -1: no selection
        bool box, readOnly;
        void (*command)(CEditModel&);
    } cases[] = {
        {"the one empty line deleted", u"", {0, 0}, {0, -1}, false, false, [](CEditModel& m) { m.DeleteLine(); }},
        {"nothing pasted", u"a\nb", {0, 0}, {0, -1}, false, false, [](CEditModel& m) { m.PasteLines(u"", true); }},
        {"lines sorted without a selection", u"b\na", {0, 0}, {0, -1}, false, false,
         [](CEditModel& m) { m.ReorderSelectedLines(Order::Ascending); }},
        {"lines sorted in a box", u"b\na", {0, 0}, {1, 1}, true, false,
         [](CEditModel& m) { m.ReorderSelectedLines(Order::Ascending); }},
        {"a box converted to full width", u"ab\ncd", {0, 0}, {1, 1}, true, false,
         [](CEditModel& m) { m.ConvertSelectionWidth(true, true, true); }},
        {"nothing there to convert", u"ＡＢ", {0, 0}, {2, 0}, false, false,
         [](CEditModel& m) { m.ConvertSelectionWidth(true, true, true); }},
        {"a read-only line deleted", u"a\nb", {0, 0}, {0, -1}, false, true, [](CEditModel& m) { m.DeleteLine(); }},
        {"read-only lines pasted", u"a\nb", {0, 0}, {0, -1}, false, true,
         [](CEditModel& m) { m.PasteLines(u"x", false); }},
        {"read-only lines reversed", u"b\na", {0, 0}, {1, 1}, false, true,
         [](CEditModel& m) { m.ReorderSelectedLines(Order::Reversed); }},
        {"read-only width converted", u"ab", {0, 0}, {2, 0}, false, true,
         [](CEditModel& m) { m.ConvertSelectionWidth(true, true, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset(c.text, c.selFrom);
        if (c.selTo.line >= 0) Select(c.selFrom, c.selTo, c.box);
        model.SetReadOnly(c.readOnly);
        const int relayouts = view.relayouts;
        c.command(model);
        EXPECT_EQ(Text(), c.text);
        EXPECT_FALSE(CanUndo());
        EXPECT_EQ(view.relayouts, relayouts);
    }
}

TEST_F(Lines, WholeLinesOfTheSelectionOrOfTheCaretLine) {
    struct Case {
        EditPos selFrom, selTo;  // selTo.line -1: only the caret, at selFrom
        bool box;
        EditPos start, end;
    } cases[] = {
        {{1, 1}, {0, 3}, false, {0, 1}, {2, 2}},   // ends at a line's start: that line is not taken
        {{1, 3}, {1, 1}, false, {0, 1}, {2, 3}},   // a backward selection
        {{1, 3}, {0, -1}, false, {0, 3}, {2, 3}},  // the caret line
        {{1, 0}, {1, 2}, true, {0, 2}, {2, 2}},    // a box: the caret's line
    };
    for (const Case& c : cases) {
        Reset(u"ab\ncd\nef\ngh", c.selFrom);
        if (c.selTo.line >= 0) Select(c.selFrom, c.selTo, c.box);
        const int changed = view.selectionChanged;
        model.SelectWholeLines();
        EXPECT_EQ(SelStart(), c.start) << c.selFrom.line << "-" << c.selTo.line;
        EXPECT_EQ(SelEnd(), c.end);
        EXPECT_EQ(d.GetDispData().selAnchor, c.end);
        EXPECT_FALSE(d.GetDispData().boxSelection);
        EXPECT_EQ(Caret(), c.start);
        EXPECT_GT(view.selectionChanged, changed);
    }
}

TEST_F(Lines, BookmarksAreFoundOnwardsThenRoundFromTheOtherEnd) {
    struct Case {
        std::vector<int> marked;
        int caretLine, step;
        int landsOn;  // -1: the caret stays
    } cases[] = {
        {{1, 4}, 0, 1, 1},  {{1, 4}, 1, 1, 4},  {{1, 4}, 4, 1, 1}, {{1, 4}, 5, 1, 1},
        {{1, 4}, 2, -1, 1}, {{1, 4}, 1, -1, 4}, {{1, 4}, 0, -1, 4},
        {{3}, 3, 1, 3},     {{3}, 3, -1, 3},  // round to the caret line itself
        {{}, 2, 1, -1},
    };
    for (const Case& c : cases) {
        Reset(u"l0\nl1\nl2\nl3\nl4\nl5", {1, c.caretLine});
        for (int line : c.marked) d.GetLine(line)->flags |= CEditLine::FlagBookmark;
        model.NextBookmark(c.step, false);
        const EditPos expected = c.landsOn < 0 ? EditPos{1, c.caretLine} : EditPos{0, c.landsOn};
        EXPECT_EQ(Caret(), expected) << c.caretLine << " step " << c.step;
    }
    // Selecting to a bookmark grows the selection from the caret.
    Reset(u"l0\nl1\nl2\nl3\nl4\nl5", {1, 2});
    d.GetLine(4)->flags |= CEditLine::FlagBookmark;
    model.NextBookmark(1, true);
    EXPECT_EQ(SelStart(), (EditPos{1, 2}));
    EXPECT_EQ(SelEnd(), (EditPos{0, 4}));
}

TEST_F(Lines, UndoAndRedoReplayTheTextAndDropTheSelection) {
    Set(u"ab");
    d.SetUndoUnlimited();
    model.MoveToLineEnd(false);
    TypeAll(u"cd");
    model.SelectAll();
    model.Undo();
    EXPECT_EQ(Text(), u"ab");
    EXPECT_EQ(Caret(), (EditPos{2, 0}));
    EXPECT_FALSE(model.HasSelection());
    model.SelectAll();
    model.Redo();
    EXPECT_EQ(Text(), u"abcd");
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(view.relayouts, 2);
    model.SetReadOnly(true);
    model.Undo();
    EXPECT_EQ(Text(), u"abcd");
}

TEST_F(Lines, TheSelectedTextOfAStreamAndOfABox) {
    // Pixels 8..24 are columns 1..3 on both lines.
    Set(u"abcd\nefgh");
    EXPECT_EQ(model.SelectedText(), u"");
    Select({1, 0}, {3, 1});
    EXPECT_EQ(model.SelectedText(), u"bcd\r\nefg");
    Select({1, 0}, {3, 1}, true);
    EXPECT_EQ(model.SelectedText(), u"bc\nfg\n");
}

TEST_F(Lines, AConvertedSelectionKeepsWhatFollowsItAndEndsAtItsEnd) {
    struct Case {
        bool toFull;
        std::u16string text;
        EditPos selFrom, selTo;
        std::u16string after;
        EditPos selEnd;
    } cases[] = {
        {true, u"xｶﾞｷﾞy\nz", {1, 0}, {5, 0}, u"xガギy\nz", {3, 0}},  // shorter: a voiced mark joins its kana
        {false, u"xガギy\nz", {1, 0}, {3, 0}, u"xｶﾞｷﾞy\nz", {5, 0}},  // longer
        {true, u"x(ab\ncd)y", {1, 0}, {3, 1}, u"x（ａｂ\nｃｄ）y", {3, 1}},
    };
    for (const Case& c : cases) {
        Reset(c.text);
        Select(c.selFrom, c.selTo);
        model.ConvertSelectionWidth(true, true, c.toFull);
        EXPECT_EQ(Text(), c.after);
        EXPECT_EQ(SelStart(), c.selFrom);
        EXPECT_EQ(SelEnd(), c.selEnd);
        EXPECT_EQ(d.GetDispData().selAnchor, c.selEnd);
    }
}

TEST_F(Lines, DuplicateLinesInTheSelectionOrTheWholeText) {
    struct Case {
        const char* name;
        EditPos selFrom, selTo;  // selTo.line -1: no selection
        bool box;
        std::u16string after;
        int runs;
        EditPos selEnd;  // line -1: no selection after
    } cases[] = {
        {"the whole text", {0, 0}, {0, -1}, false, u"a\nb\nc\nb", 3, {-1, -1}},
        {"in the selection, a run on its last line left, its end kept", {0, 1}, {1, 5}, false,
         u"a\na\nb\nc\nc\nb", 1, {1, 4}},
        {"a box: nothing", {0, 0}, {1, 5}, true, u"a\na\nb\nb\nc\nc\nb", 0, {1, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset(u"a\na\nb\nb\nc\nc\nb", c.selFrom);
        if (c.selTo.line >= 0) Select(c.selFrom, c.selTo, c.box);
        int runs = -1;
        EXPECT_EQ(model.DeleteDuplicateLines(runs), 0);
        EXPECT_EQ(Text(), c.after);
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(SelEnd(), c.selEnd);
    }
}

struct Completion : Lines {
    CStrToken language;
    Completion() {
        LoadBuiltinLanguage(u"<cpp>", u"no such folder", language);
        TextLines keywords;
        for (const char16_t* k : {u"select", u"set", u"sum", u"from"}) keywords.Add(k);
        std::u16string message;
        language.SetKeywordLines(keywords, message);
        d.SetSyntaxRules(&language);
        d.SetUndoUnlimited();
    }
};

TEST_F(Completion, TheWordBeforeTheCaretCyclesThroughItsKeywords) {
    struct Case {
        const char* name;
        std::u16string typed;
        std::vector<bool> backwards;  // one completion each
        std::u16string after;
    } cases[] = {
        {"the first", u"x se", {false}, u"x select"},
        {"the next", u"x se", {false, false}, u"x set"},
        {"past the last: the typed prefix", u"x se", {false, false, false}, u"x se"},
        {"backwards from the last", u"x se", {true}, u"x set"},
        {"no keyword begins so", u"x zz", {false}, u"x zz"},
        {"after a break character nothing", u"se ", {false}, u"se "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset(u"");
        model.ResetCompletion();
        TypeAll(c.typed);
        for (bool back : c.backwards) model.CompleteKeyword(back);
        EXPECT_EQ(Text(), c.after);
        EXPECT_EQ(Caret(), (EditPos{static_cast<int>(c.after.size()), 0}));
    }
}

TEST_F(Completion, AnyOtherEditEndsTheCycleAndUndoTakesTheKeywordBack) {
    TypeAll(u"se");
    model.CompleteKeyword(false);
    ASSERT_EQ(Text(), u"select");
    model.Undo();
    EXPECT_EQ(Text(), u"se");
    model.CompleteKeyword(false);  // a cycle of its own: the first keyword again
    ASSERT_EQ(Text(), u"select");
    TypeAll(u"x");
    model.CompleteKeyword(false);  // "selectx" begins no keyword
    EXPECT_EQ(Text(), u"selectx");
    model.BackSpace();
    model.Undo();  // the backspace
    model.Undo();  // the typed x
    EXPECT_EQ(Text(), u"select");
    model.Undo();  // the keyword
    EXPECT_EQ(Text(), u"se");
    model.SetReadOnly(true);
    model.CompleteKeyword(false);
    EXPECT_EQ(Text(), u"se");
}

}  // namespace
