#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/textengine/edit_model.h"
#include "tests/textengine/edit_test_util.h"
#include "textengine/edit_data.h"
#include "textengine/syntax_rules.h"
#include "textengine/utf16.h"

namespace {

using edit_test::Text;

struct Undo : ::testing::Test {
    CEditData d;
    void Load(const char16_t* text) {
        d.InsertBlock(text);
        d.SetCaretPos(0, 0);
        d.ResetUndo();
    }
    void Type(const std::u16string& s) {
        for (char16_t c : s) d.TypeChar(c);
    }
    int UndoSteps() {
        int n = 0;
        while (d.Undo()) ++n;
        return n;
    }
};

TEST_F(Undo, TypingCoalescesRunsOfWordCharsOrOfOneChar) {
    struct Case { const char16_t* typed; int steps; };
    const Case cases[] = {
        {u"abc def", 3},      // abc, the blank, def
        {u"aaaa", 1},
        {u"    ", 1},         // one repeated break char
        {u"a b", 3},
        {u"日本語", 1},
        {u"ab、cd", 3},        // an ideographic comma breaks words
        {u"x\ry", 3},
    };
    for (const Case& c : cases) {
        d.Reset();
        d.SetUndoUnlimited();
        Type(c.typed);
        EXPECT_EQ(UndoSteps(), c.steps) << std::string(c.typed, c.typed + 0) << c.steps;
        EXPECT_TRUE(d.IsEmpty());
    }
}

TEST_F(Undo, LanguageBreakCharsDecideTheSteps) {
    struct DashAndBlankBreak : CSyntaxRules {
        bool IsBreakChar(char32_t cp) const override { return cp == u'-' || cp == u' '; }
        int GetTokenLength(std::u16string_view) const override { return 1; }
        bool IsClaimedTokenAt(std::u16string_view) const override { return false; }
        bool IsLineCommentAt(std::u16string_view) const override { return false; }
        bool IsOpenCommentAt(std::u16string_view) const override { return false; }
        bool IsCloseCommentAt(std::u16string_view) const override { return false; }
        int OpenCommentLength() const override { return 0; }
        int CloseCommentLength() const override { return 0; }
    } language;
    struct Case { const CSyntaxRules* rules; int steps; };
    // Defaults: TAB breaks, '-' does not. The language: the other way round.
    for (const Case& c : {Case{nullptr, 5}, Case{&language, 3}}) {
        d.Reset();
        d.SetUndoUnlimited();
        d.SetSyntaxRules(c.rules);
        Type(u"a-b\tc\td");
        EXPECT_EQ(UndoSteps(), c.steps);
    }
    d.SetSyntaxRules(nullptr);
}

TEST_F(Undo, SmartIndentRunsInsideTheTypingStep) {
    static std::u16string seen;
    seen.clear();
    CEditData::SetIndentHook([](CEditData& data, char32_t ch) {
        seen += char16_t(ch);
        data.TypeChar(u'\t');
        data.TypeChar(u'\t');
    });
    d.SetUndoUnlimited();
    d.SetIndentMode(2);
    Type(u"x{\ry");
    EXPECT_EQ(seen, u"{\r");
    EXPECT_EQ(Text(d), u"x{\t\t\n\t\ty");
    EXPECT_EQ(UndoSteps(), 4);  // x, {+indent, CR+indent, y
    CEditData::SetIndentHook(nullptr);
}

TEST_F(Undo, CaretMovesEndAStep) {
    d.SetUndoUnlimited();
    Type(u"ab");
    d.MoveCaretChars(-1);
    d.MoveCaretChars(1);
    Type(u"cd");
    d.MoveCaretLines(0);  // vertical moves keep the step open
    Type(u"e");
    EXPECT_EQ(Text(d), u"abcde");
    EXPECT_EQ(UndoSteps(), 2);
}

TEST_F(Undo, TypingAfterAVerticalMoveUndoesOnItsOwn) {
    Load(u"\n");
    d.SetUndoUnlimited();
    Type(u"ab");
    d.MoveCaretLines(1);
    Type(u"cd");
    EXPECT_EQ(Text(d), u"ab\ncd");
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"ab\n");
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"\n");
}

TEST_F(Undo, DeleteAfterTypingIsAStepOfItsOwn) {
    Load(u"xyz");
    d.SetUndoUnlimited();
    d.TypeChar(u'a');
    d.DeleteCharAtCaret();
    d.DeleteCharAtCaret();
    EXPECT_EQ(Text(d), u"az");
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"axyz");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{1, 0}));
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"xyz");
    EXPECT_TRUE(d.Redo());
    EXPECT_TRUE(d.Redo());
    EXPECT_EQ(Text(d), u"az");
}

TEST_F(Undo, BackspaceRunsUndoInOrderAcrossJoinsAndPairs) {
    Load(u"ab\nc\U0001F600d");
    d.SetUndoUnlimited();
    d.SetCaretPos(1, 3);
    for (int i = 0; i < 4; ++i) d.Backspace();
    EXPECT_EQ(Text(d), u"ad");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{1, 0}));
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"ab\nc\U0001F600d");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{3, 1}));
    EXPECT_FALSE(d.Undo());
    ASSERT_TRUE(d.Redo());
    EXPECT_EQ(Text(d), u"ad");
}

TEST_F(Undo, NewBufferKeepsOneStep) {
    Type(u"a");
    d.MoveCaretChars(-1);
    Type(u"b");
    EXPECT_EQ(Text(d), u"ba");
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"a");
    // The first change is gone from the ring, but it is still in the text:
    // the buffer must not claim to be unmodified.
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(d.Undo());
    EXPECT_EQ(Text(d), u"a");
    EXPECT_TRUE(d.IsModified());
    ASSERT_TRUE(d.Redo());
    EXPECT_EQ(Text(d), u"ba");
    EXPECT_FALSE(d.Redo());
}

TEST_F(Undo, SavedStateFallenOutOfTheRingIsStillRecognised) {
    Type(u"a");
    d.MarkSaved();
    d.MoveCaretChars(-1);
    Type(u"b");
    EXPECT_TRUE(d.IsModified());
    ASSERT_TRUE(d.Undo());
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Undo, NewChangeAfterUndoEndsRedo) {
    d.SetUndoUnlimited();
    Type(u"ab");
    d.MoveCaretChars(-1);
    Type(u"c");
    ASSERT_TRUE(d.Undo());
    EXPECT_TRUE(d.GetUndo()->CanRedo());
    Type(u"d");
    EXPECT_FALSE(d.GetUndo()->CanRedo());
    EXPECT_TRUE(d.GetUndo()->CanUndo());
    EXPECT_FALSE(d.Redo());
    EXPECT_EQ(Text(d), u"adb");
    EXPECT_EQ(UndoSteps(), 2);
    EXPECT_TRUE(d.IsEmpty());
}

TEST_F(Undo, ReturningToTheSavedStateClearsModifiedAndMarks) {
    Load(u"a\nb\nc");
    d.SetUndoUnlimited();
    d.SetCaretPos(1, 1);
    Type(u"x");
    d.MarkSaved();
    EXPECT_FALSE(d.IsLineModified(1));
    d.SetCaretPos(2, 1);
    Type(u"y");
    EXPECT_TRUE(d.IsLineModified(2));

    ASSERT_TRUE(d.Undo());  // back to the saved state
    EXPECT_FALSE(d.IsModified());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(d.IsLineModified(i)) << i;
    ASSERT_TRUE(d.Undo());  // before the save: away from it again
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(d.IsLineModified(1));
    EXPECT_FALSE(d.IsLineModified(2));
    ASSERT_TRUE(d.Redo());
    EXPECT_FALSE(d.IsModified());
    EXPECT_FALSE(d.IsLineModified(1));
    ASSERT_TRUE(d.Redo());
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(d.IsLineModified(2));
}

TEST_F(Undo, GroupsThatRecordNothingLeaveNoStep) {
    d.SetUndoUnlimited();
    Type(u"a");
    for (int lazy : {0, 1}) {
        CUndoGroupGuard group(d.GetUndo(), lazy);
        d.SetCaretPos(0, 0);
    }
    d.GetUndo()->BeginGroup(0);
    d.GetUndo()->BeginGroup(1);  // nested: a marker
    d.GetUndo()->EndGroup();
    d.GetUndo()->EndGroup();
    d.ReplaceRange({1, 0}, {1, 0}, u"");  // a caret marker, nothing removed or inserted
    d.DeleteText({0, 0}, {0, 0}, 1);
    EXPECT_TRUE(d.IsModified());
    EXPECT_EQ(UndoSteps(), 1);
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Undo, LazyGroupBecomesOneStep) {
    Load(u"start");
    d.SetUndoUnlimited();
    {
        CUndoGroupGuard group(d.GetUndo(), 1);
        d.SetCaretPos(0, 5);
        d.InsertText(u" one", 1);
        d.SetCaretPos(0, 0);
        d.TypeChar(u'>');
        d.DeleteText({1, 0}, {3, 0}, 1);
    }
    EXPECT_EQ(Text(d), u">art one");
    EXPECT_EQ(UndoSteps(), 1);
    EXPECT_EQ(Text(d), u"start");
    EXPECT_FALSE(d.IsModified());
    ASSERT_TRUE(d.Redo());
    EXPECT_EQ(Text(d), u">art one");
    d.MarkSaved();
    d.Undo();
    d.Redo();
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Undo, UndoInsideAnOpenLazyGroupUndoesThePreviousStep) {
    d.SetUndoUnlimited();
    Type(u"ab");
    CUndoGroupGuard group(d.GetUndo(), 1);
    ASSERT_TRUE(d.Undo());
    EXPECT_TRUE(d.IsEmpty());
    Type(u"c");
    group.Release();
    EXPECT_EQ(Text(d), u"c");
    ASSERT_TRUE(d.Undo());
    EXPECT_TRUE(d.IsEmpty());
}

TEST_F(Undo, IndentModeCopiesIndentationInTheSameStep) {
    Load(u"\t  code");
    d.SetUndoUnlimited();
    d.SetIndentMode(1);
    d.SetCaretPos(0, 7);
    d.TypeChar(u'\r');
    EXPECT_EQ(Text(d), u"\t  code\n\t  ");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{3, 1}));
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"\t  code");
}

TEST_F(Undo, LongRecordsAndUndoTextGrowth) {
    d.SetUndoUnlimited();
    const std::u16string big(20000, u'q');
    d.InsertText(big.c_str(), 1);
    for (int i = 0; i < 3000; ++i) d.TypeChar(u'w');
    ASSERT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), big);
    ASSERT_TRUE(d.Undo());
    EXPECT_TRUE(d.IsEmpty());
    ASSERT_TRUE(d.Redo());
    ASSERT_TRUE(d.Redo());
    EXPECT_EQ(d.GetCharCount(), 23000);
}

TEST_F(Undo, RingThatCannotGrowTellsTheUser) {
    edit_test::PlatformRecorder platform;
    d.SetUndoUnlimited();
    // Fill the first 64 ring entries.
    for (int i = 0; i < 62; ++i) {
        d.TypeChar(u'a');
        d.MoveCaretChars(-1);
    }
    EXPECT_TRUE(platform.shortages.empty());
    {
        edit_test::FailingAllocator fail;  // the 63rd step needs a bigger ring
        EXPECT_FALSE(d.TypeChar(u'c'));
    }
    EXPECT_EQ(platform.shortages, std::vector<TextEngineShortage>{TextEngineShortage::UndoHistory});
    EXPECT_EQ(Text(d), std::u16string(62, u'a'));
    EXPECT_TRUE(d.TypeChar(u'b'));
    EXPECT_EQ(UndoSteps(), 63);
    EXPECT_TRUE(d.IsEmpty());
}

TEST(UndoRandom, EveryStepUndoesToTheTextItLeft) {
    for (unsigned seed = 1; seed <= 100; ++seed) {
        CEditData d;
        if (seed % 4 != 0) d.SetUndoUnlimited();  // every fourth run keeps the two-entry ring
        d.InsertBlock(u"first line\nsecond\n\nlast");
        d.ResetUndo();
        std::u16string model = Text(d);
        std::map<int, std::u16string> bySerial{{0, model}};
        edit_test::RandomEditor editor(seed);
        for (int step = 0; step < 200; ++step) {
            editor.Step(d, model);
            bySerial[d.GetUndo()->GetCurrentSerial()] = Text(d);
        }
        const std::u16string final = Text(d);
        int undone = 0;
        while (d.Undo()) {
            ++undone;
            const int serial = d.GetUndo()->GetCurrentSerial();
            ASSERT_TRUE(bySerial.count(serial)) << "seed " << seed;
            ASSERT_EQ(Text(d), bySerial[serial]) << "seed " << seed << " undo " << undone;
            ASSERT_TRUE(edit_test::Consistent(d));
        }
        if (seed % 4 != 0) {
            EXPECT_EQ(Text(d), u"first line\nsecond\n\nlast");
            EXPECT_FALSE(d.IsModified());
        }
        while (d.Redo()) {
        }
        ASSERT_EQ(Text(d), final) << "seed " << seed;
        EXPECT_TRUE(d.IsModified() || final == u"first line\nsecond\n\nlast");
    }
}

TEST(UndoRandom, UndoAndRedoInterleavedWithEditsStayConsistent) {
    for (unsigned seed = 1; seed <= 100; ++seed) {
        CEditData d;
        if (seed % 3 != 0) d.SetUndoUnlimited();
        d.InsertBlock(u"alpha\nbeta");
        d.ResetUndo();
        std::u16string model = Text(d);
        std::map<int, std::u16string> bySerial{{0, model}};
        edit_test::RandomEditor editor(seed);
        for (int step = 0; step < 300; ++step) {
            const int pick = editor.Pick(10);
            if (pick < 2) {
                if (pick == 0 ? d.Undo() : d.Redo()) {
                    const int serial = d.GetUndo()->GetCurrentSerial();
                    ASSERT_EQ(Text(d), bySerial[serial]) << "seed " << seed << " step " << step;
                    ASSERT_EQ(d.IsModified(), serial != 0) << "seed " << seed << " step " << step;
                }
                model = Text(d);
            } else {
                editor.Step(d, model);
                ASSERT_EQ(Text(d), model) << "seed " << seed << " step " << step;
                bySerial[d.GetUndo()->GetCurrentSerial()] = model;
            }
            ASSERT_TRUE(edit_test::Consistent(d));
        }
    }
}

// Every edit keeps pairs whole, and undo brings back the exact text.
TEST(UndoRandom, SurrogatePairsAreNeverSplit) {
    auto whole = [](const CEditData& d) {
        for (int i = 0; i < d.GetLineCount(); ++i) {
            const char16_t* t = d.GetLineText(i);
            for (int j = 0; j < d.GetLineLength(i); ++j) {
                const bool high = utf16_is_high_surrogate(t[j]);
                const bool low = utf16_is_low_surrogate(t[j]);
                if (high && !utf16_is_low_surrogate(t[j + 1])) return false;
                if (low && (j == 0 || !utf16_is_high_surrogate(t[j - 1]))) return false;
            }
        }
        return true;
    };
    const char16_t* start = u"\U0001F600a\U00020BB7\n\U0001F601";
    for (unsigned seed = 1; seed <= 50; ++seed) {
        CEditData d;
        d.SetUndoUnlimited();
        d.InsertBlock(start);
        d.ResetUndo();
        edit_test::RandomEditor editor(seed);
        for (int step = 0; step < 200; ++step) {
            switch (editor.Pick(6)) {
            case 0: d.TypeChar(editor.Pick(2) ? 0x1F602 : u'x'); break;
            case 1: d.Backspace(); break;
            case 2: d.DeleteCharAtCaret(); break;
            case 3: {
                const EditPos p = editor.AnyPos(d);  // may point between two halves
                d.SetCaretPos(p.line, p.column);
                break;
            }
            case 4: d.DeleteText(editor.AnyPos(d), editor.AnyPos(d), 1); break;
            case 5: d.MoveCaretChars(editor.Pick(5) - 2); break;
            }
            ASSERT_TRUE(whole(d)) << "seed " << seed << " step " << step;
            ASSERT_TRUE(edit_test::Consistent(d));
        }
        while (d.Undo()) {
        }
        EXPECT_EQ(Text(d), u"\U0001F600a\U00020BB7\n\U0001F601") << "seed " << seed;
    }
}

}  // namespace

namespace {

// Hears each flip of the modified state once, in order.
struct ModifiedLog : CEditDataListener {
    std::vector<bool> heard;
    void OnEditDataChanged() override {}
    void OnModifiedChanged(bool modified) override { heard.push_back(modified); }
};

TEST_F(Undo, TheModifiedStateIsToldOnceAtEachFlip) {
    Load(u"abc");
    ModifiedLog log;
    d.SetListener(&log);
    Type(u"xy");  // the first edit flips it; the second keeps it
    EXPECT_EQ(log.heard, (std::vector<bool>{true}));
    d.Undo();  // back at the saved point
    EXPECT_EQ(log.heard, (std::vector<bool>{true, false}));
    d.Redo();
    d.MarkSaved();  // saving
    EXPECT_EQ(log.heard, (std::vector<bool>{true, false, true, false}));
    Type(u"z");
    EXPECT_EQ(log.heard.back(), true);
    d.ResetUndo();  // a reload
    EXPECT_EQ(log.heard.back(), false);
    const std::size_t before = log.heard.size();
    d.SetUndoUnlimited();  // keeps the state: nothing to tell
    d.SetCaretPos(0, 0);
    EXPECT_EQ(log.heard.size(), before);
    d.SetListener(nullptr);
}

}  // namespace
