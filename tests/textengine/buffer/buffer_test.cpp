#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/textengine/edit_model.h"
#include "tests/textengine/edit_test_util.h"
#include "textengine/edit_data.h"

namespace {

using edit_test::Consistent;
using edit_test::Text;

struct Buffer : ::testing::Test {
    CEditData d;
    edit_test::CountingListener listener;
    Buffer() { d.SetListener(&listener); }
    void Load(const char16_t* text) {
        d.InsertBlock(text);
        d.SetCaretPos(0, 0);
        d.ResetUndo();
        listener.calls = 0;
    }
};

TEST_F(Buffer, NewAndClearedBufferHasOneEmptyLine) {
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(d.GetLineCount(), 1);
        EXPECT_EQ(d.GetLineLength(0), 0);
        EXPECT_EQ(std::u16string(d.GetLineText(5)), u"");
        EXPECT_EQ(d.GetLineLength(-3), 0);
        EXPECT_TRUE(d.IsEmpty());
        if (round == 0) {
            EXPECT_FALSE(d.IsModified());
        }
        EXPECT_EQ(d.GetMaxLength(), -1);
        EXPECT_EQ(d.GetLineEndType(), LineEndType::CRLF);
        d.InsertText(u"abc\r\ndef", 1);
        d.SetMaxLength(10);
        d.SetLineEndType(LineEndType::LF);
        EXPECT_FALSE(d.IsEmpty());
        d.Clear();
        EXPECT_EQ(d.GetCaretPos(), (EditPos{0, 0}));
        EXPECT_EQ(d.GetCharCount(), 0);
    }
}

TEST_F(Buffer, DummyLineStaysEmptyWhateverCallersDo) {
    CEditLine* dummy = d.GetLine(100);
    dummy->changeMark = 55;
    EXPECT_EQ(d.GetLine(-1)->changeMark, -1);
    EXPECT_EQ(d.GetLine(-1)->length, 1);
    EXPECT_FALSE(d.IsLineModified(100));
}

TEST_F(Buffer, ClampPosKeepsPairsWhole) {
    Load(u"ab\nc\n\U0001F600x\n\xD83D");
    struct Case { EditPos in, out; };
    const Case cases[] = {
        {{10, 99}, {1, 3}}, {{-5, -5}, {0, 0}}, {{10, 1}, {1, 1}},
        {{1, 2}, {0, 2}},   // between the halves of U+1F600
        {{2, 2}, {2, 2}}, {{3, 2}, {3, 2}},
        {{1, 3}, {1, 3}},   // a lone high surrogate at the end is a character of its own
    };
    for (const Case& c : cases) EXPECT_EQ(d.ClampPos(c.in), c.out) << c.in.column << "," << c.in.line;
}

TEST_F(Buffer, MovePosCountsLineEndsAsOneStepAndSkipsPairs) {
    Load(u"ab\n\U0001F600c\n");
    struct Case { EditPos from; int n; EditPos to; };
    const Case cases[] = {
        {{0, 0}, 2, {2, 0}}, {{0, 0}, 3, {0, 1}}, {{0, 0}, 4, {2, 1}},   // lands behind the pair
        {{0, 1}, 1, {2, 1}}, {{2, 1}, -1, {0, 1}}, {{0, 1}, -1, {2, 0}},
        {{0, 0}, -1, {0, 0}}, {{0, 2}, 5, {0, 2}}, {{0, 2}, -100, {0, 0}},
        {{0, 0}, 100, {0, 2}}, {{1, 0}, 0, {1, 0}}, {{3, 1}, -2, {0, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(d.MovePos(c.from, c.n), c.to) << c.from.column << "," << c.from.line << " by " << c.n;
}

TEST_F(Buffer, CharacterAccessReadsPairsAsOneCharacter) {
    Load(u"a\U0001F600\nb");
    d.SetCaretPos(0, 1);
    EXPECT_EQ(d.GetCaretChar(), 0x1F600u);
    EXPECT_EQ(d.GetCharBeforeCaret(), u'a');
    d.SetCaretPos(0, 3);
    EXPECT_EQ(d.GetCharBeforeCaret(), 0x1F600u);
    EXPECT_TRUE(d.IsCaretAtLineEnd());
    EXPECT_FALSE(d.IsCaretAtTextEnd());
    d.SetCaretPos(0, 0);
    EXPECT_EQ(d.GetCharBeforeCaret(), 0u);
    EXPECT_EQ(d.GetCharAt(0, 2), 0xDE00u);  // a lone low half reads as itself
    EXPECT_EQ(d.GetCharAt(0, -1), 0u);
    EXPECT_EQ(d.GetCharAt(7, 0), 0u);
    d.SetCaretPos(1, 1);
    EXPECT_TRUE(d.IsCaretAtTextEnd());
}

TEST_F(Buffer, InsertTextSplitsAtEveryKindOfLineBreak) {
    Load(u"XY");
    d.SetCaretPos(0, 1);
    ASSERT_TRUE(d.InsertText(u"a\r\nb\rc\nd", 1));
    EXPECT_EQ(Text(d), u"Xa\nb\nc\ndY");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{1, 3}));
    EXPECT_EQ(d.GetCharCount(), 6);
    EXPECT_EQ(listener.calls, 1);
    EXPECT_TRUE(Consistent(d));
    // Breaks at both ends.
    d.SetCaretPos(0, 0);
    ASSERT_TRUE(d.InsertText(u"\r\nq\n", 1));
    EXPECT_EQ(Text(d), u"\nq\nXa\nb\nc\ndY");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{0, 2}));
    EXPECT_TRUE(Consistent(d));
}

TEST_F(Buffer, InsertTextOfNothingOnlyNotifies) {
    EXPECT_TRUE(d.InsertText(u"", 1));
    EXPECT_TRUE(d.InsertText(nullptr, 1));
    EXPECT_EQ(listener.calls, 2);
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Buffer, MaximumLengthRefusesWithABeep) {
    edit_test::PlatformRecorder platform;
    Load(u"abc");
    d.SetMaxLength(5);
    d.SetCaretPos(0, 3);
    EXPECT_TRUE(d.TypeChar(u'd'));
    EXPECT_FALSE(d.TypeChar(u'\r'));  // 4 + 2 for CR LF would exceed 5
    EXPECT_EQ(Text(d), u"abcd");
    EXPECT_TRUE(d.TypeChar(u'e'));   // exactly 5
    EXPECT_FALSE(d.TypeChar(u'f'));
    EXPECT_EQ(Text(d), u"abcde");
    EXPECT_EQ(platform.beeps, (std::vector<unsigned>{kBeepExclamation, kBeepExclamation}));

    // With a one-unit line end a break costs one.
    d.Reset();
    d.SetLineEndType(LineEndType::LF);
    d.SetMaxLength(2);
    EXPECT_FALSE(d.InsertText(u"a\nb", 1));
    EXPECT_EQ(Text(d), u"a\n");
}

TEST_F(Buffer, TextCutAtTheMaximumStaysNotifiedAndWhole) {
    edit_test::PlatformRecorder platform;
    d.SetMaxLength(3);
    listener.calls = 0;
    EXPECT_FALSE(d.InsertText(u"ab\U0001F600", 1));  // the pair's low half does not fit
    EXPECT_EQ(Text(d), u"ab");                        // and its high half went too
    EXPECT_EQ(listener.calls, 1);                     // the layout sees what was inserted
    EXPECT_EQ(platform.beeps.size(), 1u);
    EXPECT_EQ(d.GetCaretX(), -1);
    EXPECT_TRUE(Consistent(d));
    d.SetUndoUnlimited();
    EXPECT_FALSE(d.InsertText(u"c\r\nd", 1));  // CR LF costs two: refused
    EXPECT_EQ(Text(d), u"abc");
}

TEST_F(Buffer, BackspaceJoinsLinesAndRemovesPairsWhole) {
    Load(u"ab\ncd\U0001F600");
    d.SetCaretPos(1, 0);
    EXPECT_TRUE(d.Backspace());
    EXPECT_EQ(Text(d), u"abcd\U0001F600");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{2, 0}));
    EXPECT_EQ(d.GetCharCount(), 6);
    d.SetCaretPos(0, 6);
    EXPECT_TRUE(d.Backspace());
    EXPECT_EQ(Text(d), u"abcd");
    d.SetCaretPos(0, 0);
    listener.calls = 0;
    EXPECT_TRUE(d.Backspace());
    EXPECT_EQ(Text(d), u"abcd");
    EXPECT_EQ(listener.calls, 0);
    EXPECT_TRUE(Consistent(d));
}

TEST_F(Buffer, JoinedLineTakesTheRemovedLinesFlags) {
    Load(u"ab\ncd");
    d.GetLine(0)->flags = 0;
    d.GetLine(1)->flags = CEditLine::FlagInBlockComment;
    d.SetCaretPos(1, 0);
    d.Backspace();
    EXPECT_EQ(d.GetLineFlags(0, CEditLine::FlagInBlockComment), CEditLine::FlagInBlockComment);
    EXPECT_EQ(d.GetLineFlags(0, CEditLine::FlagTextChanged), CEditLine::FlagTextChanged);
}

TEST_F(Buffer, DeleteCharAtCaretTakesPairsAndLineEndsAsOne) {
    Load(u"\U0001F600a\nb");
    d.DeleteCharAtCaret();
    EXPECT_EQ(Text(d), u"a\nb");
    d.SetCaretPos(0, 1);
    d.DeleteCharAtCaret();
    EXPECT_EQ(Text(d), u"ab");
    d.SetCaretPos(0, 2);
    EXPECT_TRUE(d.DeleteCharAtCaret());
    EXPECT_EQ(Text(d), u"ab");
    EXPECT_TRUE(Consistent(d));
}

TEST_F(Buffer, DeleteTextRemovesRangesInEitherOrder) {
    struct Case { EditPos from, to; const char16_t* expect; };
    const Case cases[] = {
        {{1, 0}, {3, 0}, u"ad\nfgh\nijk"},
        {{2, 0}, {1, 1}, u"abgh\nijk"},
        {{1, 2}, {1, 0}, u"ajk"},
        {{0, 0}, {3, 2}, u""},
        {{2, 1}, {2, 1}, u"abcd\nfgh\nijk"},
        {{9, 0}, {0, 1}, u"abcdfgh\nijk"},
    };
    for (const Case& c : cases) {
        d.Reset();
        Load(u"abcd\nfgh\nijk");
        const EditPos caret = c.to < c.from ? d.ClampPos(c.to) : d.ClampPos(c.from);
        EXPECT_TRUE(d.DeleteText(c.from, c.to, 1));
        EXPECT_EQ(Text(d), c.expect);
        EXPECT_EQ(d.GetCaretPos(), caret);
        EXPECT_EQ(listener.calls, 1);
        EXPECT_TRUE(Consistent(d));
    }
}

TEST_F(Buffer, ReplaceRangeIsOneUndoStep) {
    Load(u"hello world");
    d.SetUndoUnlimited();
    d.SetCaretPos(0, 11);
    EXPECT_TRUE(d.ReplaceRange({6, 0}, {11, 0}, u"there\nyou"));
    EXPECT_EQ(Text(d), u"hello there\nyou");
    EXPECT_TRUE(d.Undo());
    EXPECT_EQ(Text(d), u"hello world");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{11, 0}));  // the caret marker puts it back
    EXPECT_FALSE(d.Undo());
}

TEST_F(Buffer, NewLineMovesTheTailAndTheSyntaxState) {
    Load(u"abcd");
    d.GetLine(0)->flags = CEditLine::FlagInBlockComment;
    d.SetCaretPos(0, 2);
    d.TypeChar(u'\r');
    EXPECT_EQ(Text(d), u"ab\ncd");
    EXPECT_EQ(d.GetCaretPos(), (EditPos{0, 1}));
    EXPECT_EQ(d.GetLineFlags(1, CEditLine::FlagInBlockComment), CEditLine::FlagInBlockComment);
    EXPECT_EQ(d.GetLineFlags(0, CEditLine::FlagInBlockComment), 0);
}

TEST_F(Buffer, TabAsSpaceTypesBlanksToTheNextStop) {
    struct Case { int caretX; int expectBlanks; };
    // Blank 8 px, tab stop 32 px: the stop must lie at least one blank ahead.
    const Case cases[] = {{0, 4}, {8, 3}, {24, 1}, {30, 4}, {32, 4}, {20, 1}};
    for (const Case& c : cases) {
        d.Reset();
        d.SetTabAsSpace(true);
        EXPECT_TRUE(d.InsertTab(c.caretX, 8, 32));
        EXPECT_EQ(Text(d), std::u16string(std::size_t(c.expectBlanks), u' ')) << c.caretX;
        EXPECT_EQ(d.GetCaretX(), -1);
    }
    d.Reset();
    d.SetTabAsSpace(false);
    d.InsertTab(0, 8, 32);
    EXPECT_EQ(Text(d), u"\t");
}

TEST_F(Buffer, InputCharLeavesNotificationToTheCaller) {
    d.InputChar(u'a');
    d.InputChar(u'\n');  // ignored
    d.InputChar(u'\r');
    EXPECT_EQ(listener.calls, 0);
    EXPECT_EQ(Text(d), u"a\n");
    d.TypeChar(u'b');
    EXPECT_EQ(listener.calls, 1);
}

TEST_F(Buffer, CaretMovesCloseCoalescingAndTheXCache) {
    Load(u"abc\ndefgh\n\U0001F600");
    d.SetCaretPos(1, 5);
    d.SetCaretX(77);
    d.MoveCaretLines(-1);
    EXPECT_EQ(d.GetCaretPos(), (EditPos{3, 0}));
    EXPECT_EQ(d.GetCaretX(), 77);  // vertical moves keep it
    d.SetCaretPos(1, 1);
    d.MoveCaretLines(1);
    EXPECT_EQ(d.GetCaretPos(), (EditPos{0, 2}));  // not inside the pair
    d.MoveCaretLinesHome(-1);
    EXPECT_EQ(d.GetCaretPos(), (EditPos{0, 1}));
    EXPECT_EQ(d.GetCaretX(), -1);
    d.MoveCaretChars(-1);
    EXPECT_EQ(d.GetCaretPos(), (EditPos{3, 0}));
}

TEST_F(Buffer, ChangeMarksFollowEditsAndSaves) {
    Load(u"a\nb\nc");
    EXPECT_FALSE(d.IsLineModified(1));
    d.SetCaretPos(1, 1);
    d.TypeChar(u'x');
    EXPECT_TRUE(d.IsLineModified(1));
    EXPECT_FALSE(d.IsLineModified(0));
    EXPECT_TRUE(d.IsModified());
    d.MarkSaved();
    EXPECT_FALSE(d.IsLineModified(1));
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Buffer, SwapLinesExchangesRecords) {
    Load(u"one\ntwo\nthree");
    CEditLine* first = d.GetLine(0);
    EXPECT_TRUE(d.SwapLines(0, 2, 1));
    EXPECT_EQ(Text(d), u"three\ntwo\none");
    EXPECT_EQ(d.GetLine(2), first);
    EXPECT_FALSE(d.SwapLines(0, 3, 1));
    d.Undo();
    EXPECT_EQ(Text(d), u"one\ntwo\nthree");
}

TEST_F(Buffer, LineEndSettings) {
    // Stored numbers: one that is no line end falls back to CR LF.
    struct Case { int type; const char16_t* chars; int length; };
    const Case cases[] = {{1, u"\r\n", 2}, {2, u"\n", 1}, {3, u"\r", 1}, {0, u"\r\n", 2}, {9, u"\r\n", 2}};
    for (const Case& c : cases) {
        d.SetLineEndType(LineEndTypeFromNumber(c.type).value_or(LineEndType::CRLF));
        EXPECT_EQ(std::u16string(d.GetLineEndChars()), c.chars);
        EXPECT_EQ(d.GetLineEndLength(), c.length);
    }
    d.SetLineEndType(LineEndType::CR);
    {
        CLineEndTypeGuard guard(&d);
        d.SetLineEndType(LineEndType::LF);
    }
    EXPECT_EQ(d.GetLineEndType(), LineEndType::CR);
}

TEST_F(Buffer, ConfinementStringsDriveBreakAdjustment) {
    EXPECT_FALSE(d.GetBreakAdjustment());
    d.SetLastConfinementStr(u"（「");
    EXPECT_EQ(std::u16string(d.GetLastConfinementStr()), u"（「");
    EXPECT_TRUE(d.GetBreakAdjustment());
    d.SetLastConfinementStr(u"");
    EXPECT_EQ(d.GetLastConfinementStr(), nullptr);
    EXPECT_FALSE(d.GetBreakAdjustment());
    d.SetWordWrapAtWordEnds(true);
    EXPECT_TRUE(d.GetBreakAdjustment());
    d.SetWordWrapAtWordEnds(false);
    d.SetFirstConfinementStr(u"、。");
    EXPECT_TRUE(d.GetBreakAdjustment());
}

TEST_F(Buffer, WidestLineNeverNamesAFreedRecord) {
    Load(u"a\nbbbbbbbb\nc");
    d.SetWidestLine(1, 80);
    EXPECT_EQ(d.GetWidestLineWidth(), 80);
    d.DeleteText({0, 1}, {0, 2}, 1);
    const CEditLine* widest = d.GetWidestLine();
    bool found = false;
    for (int i = 0; i < d.GetLineCount(); ++i) found |= d.GetLine(i) == widest;
    EXPECT_TRUE(found);
}

TEST_F(Buffer, OutOfMemoryLeavesTheTextAsItWas) {
    Load(u"keep\nthis");
    d.SetCaretPos(0, 2);
    const std::u16string big(5000, u'z');  // lines beyond the class sizes need the system
    const std::u16string text = big + u"\n" + big + u"\n" + big;
    {
        edit_test::FailingAllocator fail;
        EXPECT_FALSE(d.InsertText(text.c_str(), 1));
        EXPECT_FALSE(d.InsertText(big.c_str(), 1));
    }
    EXPECT_EQ(Text(d), u"keep\nthis");
    EXPECT_TRUE(Consistent(d));
    EXPECT_TRUE(d.InsertText(text.c_str(), 1));
    EXPECT_EQ(d.GetLineCount(), 4);
}

TEST_F(Buffer, ManyLinesInsertedAndDeletedAroundTheGap) {
    std::u16string block;
    for (int i = 0; i < 3000; ++i) block += u"line " + std::u16string(1, char16_t(u'A' + i % 26)) + u"\n";
    d.InsertBlock(block.c_str());
    EXPECT_EQ(d.GetLineCount(), 3001);
    // Walk the gap back and forth.
    for (int line : {2999, 10, 1500, 0, 3000, 700}) {
        d.SetCaretPos(line, 0);
        d.TypeChar(u'\r');
        EXPECT_EQ(d.GetLineLength(line), 0);
        d.Backspace();
    }
    EXPECT_EQ(Text(d), block);
    EXPECT_TRUE(Consistent(d));
}

TEST(BufferRandom, MatchesAPlainStringModel) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        CEditData d;
        d.SetUndoUnlimited();
        std::u16string model;
        edit_test::RandomEditor editor(seed);
        for (int step = 0; step < 300; ++step) {
            editor.Step(d, model);
            ASSERT_EQ(Text(d), model) << "seed " << seed << " step " << step;
            ASSERT_TRUE(Consistent(d)) << "seed " << seed << " step " << step;
        }
    }
}

// The grep program's worker fills text buffers of its own while the UI thread
// edits another: the shared pools must stay sound.
TEST(BufferThreads, BuffersOnTwoThreadsShareThePools) {
    auto work = [](unsigned seed, bool* ok) {
        for (int round = 0; round < 60; ++round) {
            CEditData d;
            d.SetUndoUnlimited();
            std::u16string model;
            edit_test::RandomEditor editor(seed + unsigned(round));
            for (int step = 0; step < 150; ++step) editor.Step(d, model);
            if (Text(d) != model || !edit_test::Consistent(d)) *ok = false;
            while (d.Undo()) {
            }
            if (!d.IsEmpty()) *ok = false;
        }
    };
    bool ok1 = true, ok2 = true;
    std::thread other(work, 1000u, &ok2);
    work(2000u, &ok1);
    other.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
}

}  // namespace
