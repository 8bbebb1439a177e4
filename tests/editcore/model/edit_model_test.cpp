// The editor model without a window: typing and its undo steps (a typed
// run against what breaks it: a move, a deletion, a line break), typing over stream and box selections, the
// box's columns over TABs and wide characters, overwrite, deletion, moves
// that collapse or grow the selection, and what the window is told.
#include "tests/editcore/model/model_fixture.h"

namespace {

TEST_F(Model, ATypedRunIsOneUndoStepAndAnyMoveOrDeletionBreaksIt) {
    struct Case {
        const char* name;
        void (*script)(Model&);
        std::u16string text, afterOneUndo;
    } cases[] = {
        {"one run", [](Model& m) { m.TypeAll(u"abc"); }, u"abc", u""},
        {"a line break ends the run", [](Model& m) { m.TypeAll(u"ab\rc"); }, u"ab\r\nc", u"ab\r\n"},
        {"moved between",
         [](Model& m) {
             m.TypeAll(u"ab");
             m.model.MoveCharOrCollapse(-1, false);
             m.TypeAll(u"c");
         },
         u"acb", u"ab"},
        {"moved away and back",
         [](Model& m) {
             m.TypeAll(u"ab");
             m.model.MoveToLineStart(false, false);
             m.model.MoveToLineEnd(false);
             m.TypeAll(u"c");
         },
         u"abc", u"ab"},
        {"a word edge taken",
         [](Model& m) {
             m.TypeAll(u"ab ");
             m.model.MoveWordLeft(false);
             m.model.MoveWordRight(false);
             m.TypeAll(u"cd");
         },
         u"ab cd", u"ab "},
        {"the word edge asked for",
         [](Model& m) {
             m.TypeAll(u"ab");
             m.model.WordEdge(-1);
             m.TypeAll(u"c");
         },
         u"abc", u"ab"},
        {"deleted between",
         [](Model& m) {
             m.TypeAll(u"abc");
             m.model.BackSpace();
             m.TypeAll(u"d");
         },
         u"abd", u"ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int last = d.GetLineCount() - 1;
        d.DeleteText({0, 0}, {d.GetLineLength(last), last}, 0);
        d.ResetUndo();
        c.script(*this);
        EXPECT_EQ(Text(), c.text);
        d.Undo();
        EXPECT_EQ(Text(), c.afterOneUndo);
    }
}

TEST_F(Model, TypingOverAStreamSelectionIsOneStepThatPutsTheSelectionBack) {
    Set(u"abcd\r日本語", {0, 0});
    model.SelectRange({1, 0}, {2, 1}, false);
    ASSERT_TRUE(model.HasSelection());
    ASSERT_TRUE(model.IsMultiLineSelection());
    const int changed = view.selectionChanged;
    TypeAll(u"x");
    EXPECT_EQ(Text(), u"ax語");
    EXPECT_EQ(Caret(), (EditPos{2, 0}));
    EXPECT_FALSE(model.HasSelection());
    EXPECT_GT(view.selectionChanged, changed);
    ASSERT_FALSE(view.dropped.empty());
    EXPECT_EQ(view.dropped.back(), (std::pair<int, int>{0, 1}));
    d.Undo();
    EXPECT_EQ(Text(), u"abcd\r\n日本語");
    EXPECT_EQ(Caret(), (EditPos{2, 1}));
}

TEST_F(Model, ABoxSelectionTakesItsColumnsByPixelsOverTabsAndWideCharacters) {
    // line 0: a 0-8, TAB 8-32, b 32-40 · line 1: あ 0-16, い 16-32, う 32-48 · line 2: eight ASCII 0-64
    Set(u"a\tb\rあいう\rabcdefgh");
    d.GetDispData().boxRequest = 1;
    model.SelectRange({1, 0}, {4, 2}, true);  // pixels 8..32
    ASSERT_TRUE(d.GetDispData().boxSelection);
    struct Row {
        int line, from, to;
    } rows[] = {{0, 1, 2}, {1, 1, 2}, {2, 1, 4}};
    for (const Row& r : rows) {
        int from = -1, to = -1;
        d.GetBoxColumns(r.line, from, to);
        EXPECT_EQ(from, r.from) << r.line;
        EXPECT_EQ(to, r.to) << r.line;
    }
    model.DeleteSelection();
    EXPECT_EQ(Text(), u"ab\r\nあう\r\naefgh");
    EXPECT_FALSE(model.HasSelection());
    d.Undo();
    EXPECT_EQ(Text(), u"a\tb\r\nあいう\r\nabcdefgh");
}

TEST_F(Model, TypingOverABoxSelectionDeletesTheBoxFirstInOneStep) {
    Set(u"abcd\rabcd");
    model.SelectRange({1, 0}, {3, 1}, true);
    TypeAll(u"x");
    EXPECT_EQ(Text().substr(0, 3), u"axd");
    EXPECT_EQ(Text().substr(3), u"\r\nad");
    d.Undo();
    EXPECT_EQ(Text(), u"abcd\r\nabcd");
}

TEST_F(Model, TextReplacesTheSelectionOrGoesInAtTheCaretAsOneStep) {
    // Pixels 8..24 are columns 1..3 of both lines.
    struct Case {
        const char* name;
        EditPos from, to;  // to.line -1: no selection, the caret at from
        bool box, asBox;
        const char16_t* text;
        std::u16string after;
    } cases[] = {
        {"at the caret", {1, 0}, {0, -1}, false, false, u"X\rY", u"aX\r\nYbcd\r\nefgh"},
        {"over a stream", {1, 0}, {2, 1}, false, false, u"X", u"aXgh"},
        {"as a box at the caret", {1, 0}, {0, -1}, false, true, u"X\nY", u"aXbcd\r\neYfgh"},
        {"into a box", {1, 0}, {3, 1}, true, false, u"X\nY", u"aXd\r\neYh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.ClearSelection(false);
        d.Clear();
        Set(u"abcd\refgh", c.from);
        if (c.to.line >= 0) model.SelectRange(c.from, c.to, c.box);
        const int edits = view.edits;
        model.ReplaceSelection(c.text, c.asBox);
        EXPECT_EQ(Text(), c.after);
        EXPECT_FALSE(model.HasSelection());
        EXPECT_EQ(view.edits, edits + 1);
        d.Undo();
        EXPECT_EQ(Text(), u"abcd\r\nefgh");
    }
}

TEST_F(Model, OverwriteReplacesTheCharacterAtTheCaretAndStepsOverALineEnd) {
    Set(u"abc\rdef", {0, 0});
    model.SetOverwrite(true);
    TypeAll(u"XY");
    EXPECT_EQ(Text(), u"XYc\r\ndef");
    model.MoveToLineEnd(false);
    TypeAll(u"\r");  // on to the next line, nothing typed
    EXPECT_EQ(Caret(), (EditPos{0, 1}));
    EXPECT_EQ(Text(), u"XYc\r\ndef");
    model.MoveToTextEnd(false);
    TypeAll(u"g");  // at the text's end it types
    EXPECT_EQ(Text(), u"XYc\r\ndefg");
}

TEST_F(Model, ASurrogatePairTypedAsTwoUnitsIsOneCharacter) {
    Set(u"", {0, 0});
    TypeAll(u"a\U0002000Bb");
    EXPECT_EQ(Text(), u"a\U0002000Bb");
    EXPECT_EQ(Caret(), (EditPos{4, 0}));
    char32_t lone = 0xDC00;  // a low half with no high half before it is dropped
    EXPECT_FALSE(model.CombineTyped(lone));
}

TEST_F(Model, DeletionAtTheCaretAndOfRanges) {
    Set(u"ab\rcd", {0, 1});
    model.BackSpace();  // joins the lines
    EXPECT_EQ(Text(), u"abcd");
    model.DeleteChar();
    EXPECT_EQ(Text(), u"abd");
    model.DeleteRangeAsGroup({0, 0}, {2, 0});
    EXPECT_EQ(Text(), u"d");
    model.DeleteRangeAsGroup({0, 0}, {0, 0});  // empty: nothing, no step
    d.Undo();
    EXPECT_EQ(Text(), u"abd");
    EXPECT_EQ(view.deletes, 1);
}

TEST_F(Model, AReadOnlyTextIgnoresEveryEdit) {
    Set(u"abc", {1, 0});
    model.SetReadOnly(true);
    TypeAll(u"x");
    model.BackSpace();
    model.DeleteChar();
    model.DeleteRangeAsGroup({0, 0}, {3, 0});
    EXPECT_EQ(Text(), u"abc");
    EXPECT_EQ(view.edits + view.deletes, 0);
}

TEST_F(Model, MovesCollapseOrGrowTheSelection) {
    Set(u"foo bar baz", {4, 0});
    model.MoveWordRight(true);
    EXPECT_EQ(SelStart(), (EditPos{4, 0}));
    EXPECT_EQ(SelEnd(), (EditPos{8, 0}));
    model.MoveToLineStart(true, false);  // past the anchor: the ends swap
    EXPECT_EQ(SelStart(), (EditPos{0, 0}));
    EXPECT_EQ(SelEnd(), (EditPos{4, 0}));
    model.MoveCharOrCollapse(1, false);  // the caret is an end: collapses to the other end
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(Caret(), (EditPos{4, 0}));
    model.SelectRange({0, 0}, {3, 0}, false);
    model.MoveCharOrCollapse(-1, false);
    EXPECT_EQ(Caret(), (EditPos{0, 0}));
    model.MoveToTextEnd(false);
    EXPECT_EQ(Caret(), (EditPos{11, 0}));
    model.SelectWordAt();  // at the text's end: the word before it
    EXPECT_EQ(SelStart(), (EditPos{8, 0}));
    EXPECT_EQ(SelEnd(), (EditPos{11, 0}));
    d.SetCaretPos(0, 5);
    model.SelectWordAt();
    EXPECT_EQ(SelStart(), (EditPos{4, 0}));
    EXPECT_EQ(SelEnd(), (EditPos{7, 0}));
}

TEST_F(Model, SelectingLinesAndAllKeepsTheRangeWhileItGrows) {
    Set(u"one\rtwo\rthree", {1, 1});
    model.SelectLineAt(1);
    EXPECT_EQ(SelStart(), (EditPos{0, 1}));
    EXPECT_EQ(SelEnd(), (EditPos{0, 2}));
    model.ExtendSelectionTo({1, 0});  // upwards: the line stays selected
    EXPECT_EQ(SelStart(), (EditPos{1, 0}));
    EXPECT_EQ(SelEnd(), (EditPos{0, 2}));
    model.SelectLineAt(9);  // clamped to the last line, to its end
    EXPECT_EQ(SelEnd(), (EditPos{5, 2}));
    model.SelectAll();
    EXPECT_EQ(SelStart(), (EditPos{0, 0}));
    EXPECT_EQ(SelEnd(), (EditPos{5, 2}));
    EXPECT_EQ(Caret(), (EditPos{0, 0}));
    model.ClearSelection(true);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_FALSE(model.IsLineInSelection(0));
}

}  // namespace
