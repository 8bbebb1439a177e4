// Find, replace, filter, indent and the search highlight of the editing
// window on real windows: selection and caret after each command, undo,
// the boxes the user would see, and a read-only control left alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/seams.h"
#include "tests/editctrl/edit_ctrl_fixture.h"
#include "textengine/platform_hooks.h"

using etest::EditFixture;

inline void PrintTo(const EditPos& p, std::ostream* os) { *os << "(" << p.column << "," << p.line << ")"; }

namespace {

std::u16string Text(const CEditData& d) {
    std::u16string s;
    for (int i = 0; i < d.GetLineCount(); ++i) {
        if (i) s += u'\n';
        s.append(d.GetLineText(i), std::size_t(d.GetLineLength(i)));
    }
    return s;
}

std::string U8(const std::u16string& s) {
    const std::wstring w(s.begin(), s.end());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Answers every box with `answer` and keeps "caption|text".
struct Boxes {
    std::vector<std::wstring> seen;
    int answer = IDOK;
    MessageBoxHandler previous;
    Boxes() {
        previous = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            seen.push_back(r.caption + L"|" + r.text);
            return answer;
        });
    }
    ~Boxes() { SetMessageBoxHandler(previous); }
};

struct Sel {
    EditPos start, end;
    friend bool operator==(const Sel& a, const Sel& b) { return a.start == b.start && a.end == b.end; }
};
std::ostream& operator<<(std::ostream& os, const Sel& s) {
    return os << "(" << s.start.column << "," << s.start.line << ")-(" << s.end.column << "," << s.end.line << ")";
}

Sel Selection(EditFixture& f) { return Sel{f.data.GetDispData().selStart, f.data.GetDispData().selEnd}; }

}  // namespace

TEST(EditSearch, FindsForwardsAndBackwardsAndWrapsSilentlyWithoutTheAskingStyle) {
    EditFixture f(u"abc one\nabc two\nabc");
    Boxes boxes;
    int wrapped = -1;
    EXPECT_EQ(f.ctrl.FindString(L"abc", 1, TRUE, TRUE, FALSE, &wrapped), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 0}, {3, 0}}));
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{3, 0}));
    EXPECT_EQ(wrapped, 0);
    EXPECT_EQ(f.ctrl.FindString(L"abc", 1, TRUE, TRUE, FALSE, &wrapped), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 1}, {3, 1}}));
    EXPECT_EQ(f.ctrl.FindString(L"abc", 1, TRUE, TRUE, FALSE, &wrapped), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 2}, {3, 2}}));
    EXPECT_EQ(f.ctrl.FindString(L"abc", 1, TRUE, TRUE, FALSE, &wrapped), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 0}, {3, 0}}));
    EXPECT_EQ(wrapped, 1);
    EXPECT_EQ(f.ctrl.FindString(L"abc", -1, TRUE, TRUE, FALSE, &wrapped), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 2}, {3, 2}}));
    EXPECT_EQ(wrapped, 1);
    EXPECT_EQ(f.ctrl.FindString(L"ABC", -1, FALSE, TRUE, FALSE, &wrapped), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 1}, {3, 1}}));
    EXPECT_EQ(f.ctrl.FindString(L"ABC", -1, TRUE, TRUE, FALSE, &wrapped), 1);
    EXPECT_EQ(Selection(f), (Sel{{0, 1}, {3, 1}}));  // nothing found: unchanged
    EXPECT_EQ(f.ctrl.FindString(L"abc", 0, TRUE, TRUE, FALSE, &wrapped), 1);
    EXPECT_TRUE(boxes.seen.empty());
}

TEST(EditSearch, AskingBeforeWrappingAndCancelLeavesEverything) {
    EditFixture f(u"hit\nx\nx", ECS_SEARCH_LOOP_MSG);
    Boxes boxes;
    f.Select({0, 1}, {1, 1});
    boxes.answer = IDCANCEL;
    EXPECT_EQ(f.ctrl.FindString(L"hit", 1, TRUE, TRUE, FALSE), 1);
    EXPECT_EQ(Selection(f), (Sel{{0, 1}, {1, 1}}));
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{1, 1}));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0], L"Message|ファイルの終わりまで検索しました。\nファイルの先頭から検索しますか？");
    boxes.answer = IDOK;
    EXPECT_EQ(f.ctrl.FindString(L"hit", 1, TRUE, TRUE, FALSE), 0);
    EXPECT_EQ(Selection(f), (Sel{{0, 0}, {3, 0}}));
    boxes.seen.clear();
    EXPECT_EQ(f.ctrl.FindString(L"none", 1, TRUE, TRUE, FALSE), 1);
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[1], L"検索|見つかりません");
}

TEST(EditSearch, AnEmptyMatchIsNeverFoundTwice) {
    EditFixture f(u"ab\nc");
    std::vector<EditPos> carets;
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(f.ctrl.FindString(L"x*", 1, TRUE, TRUE, TRUE), 0);
        carets.push_back(f.data.GetCaretPos());
    }
    const std::vector<EditPos> expected{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {0, 0}};
    EXPECT_EQ(carets, expected);
}

TEST(EditSearch, BadPatternsAndGivingUpAreReportedAndChangeNothing) {
    const std::u16string text = u"ab\n" + std::u16string(40, u'a') + u"\nab";
    EditFixture f(text);
    f.data.ResetUndo();
    Boxes boxes;
    f.Select({0, 0}, {1, 0});
    int count = -1;
    EXPECT_EQ(f.ctrl.ReplaceAll(L"(", L"x", TRUE, TRUE, TRUE, FALSE, &count), 1);
    EXPECT_EQ(f.ctrl.FilterLines(L"[", TRUE, TRUE, TRUE, FALSE, &count, TRUE), 1);
    EXPECT_EQ(f.ctrl.FindString(L"(a", 1, TRUE, TRUE, TRUE), 1);
    EXPECT_EQ(f.ctrl.ReplaceAll(L"b|(a|a)*\\1c", L"x", TRUE, TRUE, TRUE, FALSE, &count), 1);  // a back-reference: no shortcut tames it
    EXPECT_EQ(count, 0);
    EXPECT_EQ(f.ctrl.FilterLines(L"b|(a|a)*\\1c", TRUE, TRUE, TRUE, FALSE, &count, FALSE), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Text(f.data), text);
    EXPECT_EQ(Selection(f), (Sel{{0, 0}, {1, 0}}));
    EXPECT_FALSE(f.data.GetUndo()->CanUndo());
    const std::vector<std::wstring> expected{
        L"メッセージ|不正な正規表現です", L"メッセージ|不正な正規表現です", L"メッセージ|不正な正規表現です",
        L"メッセージ|正規表現の照合が複雑すぎるため、検索を中断しました",
        L"メッセージ|正規表現の照合が複雑すぎるため、検索を中断しました"};
    EXPECT_EQ(boxes.seen, expected);
}

TEST(EditSearch, ReplaceSelectsFirstThenReplacesAndMovesOn) {
    EditFixture f(u"a1 a2\na3");
    int count = -1, wrapped = -1;
    EXPECT_EQ(f.ctrl.FindReplace(L"a(\\d)", L"<$1>", 1, TRUE, TRUE, TRUE, FALSE, FALSE, &count, &wrapped), 0);
    EXPECT_EQ(Text(f.data), u"a1 a2\na3");
    EXPECT_EQ(Selection(f), (Sel{{0, 0}, {2, 0}}));
    EXPECT_EQ(f.ctrl.FindReplace(L"a(\\d)", L"<$1>", 1, TRUE, TRUE, TRUE, FALSE, FALSE, &count, &wrapped), 0);
    EXPECT_EQ(Text(f.data), u"<1> a2\na3");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Selection(f), (Sel{{4, 0}, {6, 0}}));
    // A literal replacement keeps "$1" as it stands.
    EXPECT_EQ(f.ctrl.FindReplace(L"a2", L"$1", 1, TRUE, TRUE, FALSE, FALSE, FALSE, &count, &wrapped), 1);
    EXPECT_EQ(Text(f.data), u"<1> $1\na3");
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"<1> a2\na3");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{6, 0}));  // where it stood before the replace
}

TEST(EditSearch, ReplaceAllInTheTextOrTheSelectionAsOneUndoStep) {
    EditFixture f(u"aa\naa\naa\naa");
    f.data.SetUndoUnlimited();
    int count = -1;
    f.Select({1, 1}, {1, 2});
    ASSERT_EQ(f.ctrl.ReplaceAll(L"a", L"bcd", TRUE, TRUE, FALSE, TRUE, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Text(f.data), u"aa\nabcd\nbcda\naa");
    EXPECT_EQ(Selection(f), (Sel{{1, 1}, {3, 2}}));  // the end follows what changed
    ASSERT_EQ(f.ctrl.ReplaceAll(L"A", L"-\n", FALSE, TRUE, FALSE, FALSE, &count), 0);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(f.data.GetLineCount(), 10);
    EXPECT_EQ(Selection(f).start.line, -1);
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"aa\nabcd\nbcda\naa");
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"aa\naa\naa\naa");
}

TEST(EditSearch, FilterKeepsOrDeletesTheMatchingLines) {
    struct Case {
        BOOL deleteMatching;
        bool inSelection;
        const char16_t* after;
        int count;
    } cases[] = {
        {FALSE, false, u"a1\na2\na3", 2},
        {TRUE, false, u"b\nc", 3},
        {FALSE, true, u"a1\na2\nc\na3", 1},
        {TRUE, true, u"a1\nb\nc\na3", 1},
    };
    for (const Case& c : cases) {
        EditFixture f(u"a1\nb\na2\nc\na3");
        f.Select({0, 1}, {0, 3});  // lines 1 and 2 (line 3 reached at column 0)
        int count = -1;
        ASSERT_EQ(f.ctrl.FilterLines(L"a", TRUE, TRUE, FALSE, c.inSelection, &count, c.deleteMatching), 0);
        EXPECT_EQ(Text(f.data), c.after) << c.deleteMatching << c.inSelection;
        EXPECT_EQ(count, c.count);
        f.data.Undo();
        EXPECT_EQ(Text(f.data), u"a1\nb\na2\nc\na3");
    }
}

TEST(EditSearch, IndentAndUnindentWholeLines) {
    EditFixture f(u"x\n\ty\n      z\n \tw");
    f.data.SetUndoUnlimited();
    f.Select({0, 1}, {0, 3});
    f.ctrl.Indent(FALSE, FALSE, 4, L'\t');
    EXPECT_EQ(Text(f.data), u"x\n\t\ty\n\t      z\n \tw");
    EXPECT_EQ(Selection(f), (Sel{{0, 1}, {8, 2}}));
    f.Select({0, 0}, {2, 3});
    f.ctrl.Indent(TRUE, FALSE, 4, L'\t');
    f.ctrl.Indent(TRUE, FALSE, 4, L'\t');
    // One tab or up to four spaces per step, never a mix.
    EXPECT_EQ(Text(f.data), u"x\ny\n  z\nw");
    f.data.Undo();
    EXPECT_EQ(Text(f.data), u"x\n\ty\n      z\n\tw");
    // Spaces for a tab, then Shift+Tab on the caret line keeps the caret on its character.
    f.Select({0, 2}, {7, 2});
    f.ctrl.Indent(FALSE, TRUE, 4, L'\t');
    EXPECT_EQ(Text(f.data), u"x\n\ty\n          z\n\tw");
    f.ctrl.DispData().ResetSelection();
    f.data.SetCaretPos(2, 10);
    f.ctrl.Indent(TRUE, FALSE, 4, L'\t');
    EXPECT_EQ(Text(f.data), u"x\n\ty\n      z\n\tw");
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{6, 2}));
    EXPECT_EQ(Selection(f).start.line, -1);
    f.data.Undo();
    EXPECT_EQ(f.data.GetCaretPos(), (EditPos{10, 2}));
    // A part of one line: the character is typed in its place.
    f.Select({1, 1}, {2, 1});
    f.ctrl.Indent(FALSE, FALSE, 4, L'\t');
    EXPECT_EQ(U8(Text(f.data)), U8(u"x\n\t\t\n          z\n\tw"));
}

TEST(EditSearch, HighlightMarksTheHitsUntilCleared) {
    EditFixture f(u"one two one\nnone");
    ASSERT_EQ(f.ctrl.FindString(L"one", 1, TRUE, TRUE, FALSE), 0);
    EXPECT_TRUE(f.ctrl.IsSearchHighlightOn());
    auto hits = [&](int line) {
        std::string s;
        const LineAttrSlot* slot = f.ctrl.GetLineAttributes(line);
        for (int i = 0; i < slot->count; ++i) s += (slot->items[i].flags & kAttrSearchHit) ? 'h' : '.';
        return s;
    };
    EXPECT_EQ(hits(0), "hhh.....hhh");
    EXPECT_EQ(hits(1), ".hhh");
    // The hit that is not selected shows the search colour behind it.
    const wtest::Pixels p = f.Print();
    wtest::WriteBmp(TEST_OUTPUT_DIR "/editctrl_search_highlight.bmp", p);
    const int cw = f.ctrl.GetCharWidth();
    EXPECT_EQ(p.At(f.ctrl.GetLeftMargin() + 9 * cw + cw / 2, f.ctrl.GetTopMargin() + 1), RGB(0xFF, 0xFF, 0x32));
    EXPECT_NE(p.At(f.ctrl.GetLeftMargin() + 5 * cw + cw / 2, f.ctrl.GetTopMargin() + 1), RGB(0xFF, 0xFF, 0x32));
    f.ctrl.ClearSearchHighlight();
    EXPECT_FALSE(f.ctrl.IsSearchHighlightOn());
    EXPECT_EQ(hits(0), "...........");
    f.ctrl.SetSearchHighlight(L"T", FALSE, TRUE, FALSE);
    EXPECT_EQ(hits(0), "....h......");
    // An empty pattern ends the highlight.
    EXPECT_EQ(f.ctrl.FindString(L"", 1, TRUE, TRUE, FALSE), 1);
    EXPECT_FALSE(f.ctrl.IsSearchHighlightOn());
}

TEST(EditSearch, ReadOnlyControlIgnoresEditingCommands) {
    EditFixture f(u"b\na\nc");
    f.data.ResetUndo();
    f.ctrl.Model().SetReadOnly(true);
    int count = -1;
    f.Select({0, 0}, {1, 2});
    EXPECT_EQ(f.ctrl.ReplaceAll(L"a", L"x", TRUE, TRUE, FALSE, FALSE, &count), 1);
    EXPECT_EQ(f.ctrl.FilterLines(L"a", TRUE, TRUE, FALSE, FALSE, &count, TRUE), 1);
    f.ctrl.Indent(FALSE, FALSE, 4, L'\t');
    f.ctrl.Model().ReorderSelectedLines(CEditModel::LineOrder::Ascending);
    f.ctrl.Model().ReorderSelectedLines(CEditModel::LineOrder::Reversed);
    f.ctrl.Model().DeleteLine();
    f.ctrl.ClearText();
    EXPECT_EQ(Text(f.data), u"b\na\nc");
    EXPECT_FALSE(f.data.GetUndo()->CanUndo());
    // Finding still works.
    EXPECT_EQ(f.ctrl.FindString(L"a", 1, TRUE, TRUE, FALSE), 0);
}

// A search adds its Esc check to the text engine's hooks for its run only:
// the program's own hooks (the beep, the shortage box) are there after it.
TEST(EditSearch, TheProgramsTextEngineHooksOutlastASearch) {
    static int shortages;
    shortages = 0;
    TextEnginePlatform hooks;
    hooks.memory_short = [](TextEngineShortage) { ++shortages; };
    const TextEnginePlatform old = te_set_platform(hooks);
    EditFixture f(u"one\ntwo");
    EXPECT_EQ(f.ctrl.FindString(L"two", 1, TRUE, TRUE, FALSE), 0);
    te_memory_short(TextEngineShortage::UndoHistory);
    te_set_platform(old);
    EXPECT_EQ(shortages, 1);
}
