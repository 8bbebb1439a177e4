// The editing window takes input: real keyboard, character, IME and mouse
// messages (coordinates from the measured metrics) against a control on a
// text; caret and selection after each gesture, the text after typing,
// undo/redo, the clipboard through Wine's, drag and drop inside one control
// through the drop-target methods and through OLE itself, and the pane
// message that carries a pointer.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "editctrl/edit_transfer.h"
#include "framework/ole.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/editctrl/edit_ctrl_fixture.h"
#include "tests/support/wait_until.h"
#include "textengine/undo_data.h"

namespace {

// Drops need OLE on the thread before the windows are made.
const COleThread g_ole;

enum Mods { None = 0, Shift = 1, Ctrl = 2 };

void SetMods(int mods) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = (mods & Shift) ? 0x80 : 0;
    keys[VK_CONTROL] = (mods & Ctrl) ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

struct Input : etest::EditFixture {
    explicit Input(const std::u16string& text, DWORD style = 0, int width = 400, int height = 300)
        : EditFixture(text, style, width, height) {
        data.SetUndoUnlimited();
        ctrl.SetFocus();
    }
    ~Input() { SetMods(None); }

    void Key(UINT vk, int mods = None) {
        SetMods(mods);
        ctrl.SendMessage(WM_KEYDOWN, vk, 0);
        SetMods(None);
    }
    void Type(const std::u16string& s, UINT msg = WM_CHAR) {
        for (char16_t c : s) ctrl.SendMessage(msg, c, 0);
    }
    // The client point of the middle of the character cell left of (column, line)'s caret place.
    CPoint At(int column, int line) {
        const CEditCtrl::RowPos rp = ctrl.LinePosToRowPos(column, line);
        const CPoint p = ctrl.PointFromRowPos(rp.xColumn, rp.row);
        return CPoint(p.x + 1, p.y + ctrl.GetRowHeight() / 2);
    }
    void Mouse(UINT msg, CPoint p, UINT flags = 0) { ctrl.SendMessage(msg, flags, p.ToLParam()); }
    void Click(CPoint p, UINT flags = 0) {
        Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON | flags);
        Mouse(WM_LBUTTONUP, p, flags);
    }
    std::u16string Text() const { return data.GetText(); }
    EditPos Caret() const { return data.GetCaretPos(); }
    EditPos SelStart() const { return data.GetDispData().selStart; }
    EditPos SelEnd() const { return data.GetDispData().selEnd; }
    std::u16string Selected() const { return ctrl.Model().SelectedText(); }
};

// Runs the thread's messages, timers included, for ms milliseconds: for
// checking that something does not happen, which no condition can end early.
void RunFor(DWORD ms) { wtest::WaitUntil([] { return false; }, ms); }

std::u16string Lf(const std::u16string& s) {
    std::u16string out;
    for (char16_t c : s)
        if (c != u'\r') out += c;
    return out;
}

void PutClipboard(UINT format, const void* bytes, size_t n) {
    ASSERT_TRUE(::OpenClipboard(wtest::SharedHost()));
    ::EmptyClipboard();
    ::SetClipboardData(format, GlobalFromBytes(bytes, n));
    ::CloseClipboard();
}

std::u16string ClipboardText() {
    std::u16string text;
    bool box = false;
    ReadClipboardText(wtest::SharedHost(), text, box);
    return text;
}

// Records message boxes and program starts instead of showing or starting them.
struct Seams {
    std::vector<std::wstring> boxes, starts;
    Seams() {
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return IDOK;
        });
        SetProcessStartHandler([this](const ProcessStartRequest& r) {
            starts.push_back(r.file);
            return true;
        });
    }
    ~Seams() {
        SetMessageBoxHandler(nullptr);
        SetProcessStartHandler(nullptr);
    }
};

}  // namespace

TEST(EditInput, KeysMoveTheCaretAndShiftGrowsTheSelection) {
    Input f(u"  alpha beta\nxy\n  gamma delta epsilon");
    struct Step {
        UINT vk;
        int mods;
        EditPos caret, selStart, selEnd;  // selStart line -1: no selection
    } steps[] = {
        {VK_END, None, {12, 0}, {-1, -1}, {-1, -1}},
        {VK_HOME, None, {2, 0}, {-1, -1}, {-1, -1}},   // the first non-blank
        {VK_HOME, None, {0, 0}, {-1, -1}, {-1, -1}},   // then column 0
        {VK_RIGHT, Ctrl, {2, 0}, {-1, -1}, {-1, -1}},  // over the blanks
        {VK_RIGHT, Ctrl | Shift, {8, 0}, {2, 0}, {8, 0}},
        {VK_RIGHT, Shift, {9, 0}, {2, 0}, {9, 0}},
        {VK_LEFT, None, {2, 0}, {-1, -1}, {-1, -1}},  // to the selection's start
        {VK_DOWN, Shift, {2, 1}, {2, 0}, {2, 1}},
        {VK_UP, Shift, {2, 0}, {-1, -1}, {-1, -1}},  // back to the anchor: nothing selected
        {VK_END, Ctrl | Shift, {21, 2}, {2, 0}, {21, 2}},
        {VK_LEFT, Ctrl, {14, 2}, {-1, -1}, {-1, -1}},  // a selection ends at the caret: Ctrl+Left moves from there
        {VK_HOME, Ctrl, {0, 0}, {-1, -1}, {-1, -1}},
    };
    for (const Step& s : steps) {
        f.Key(s.vk, s.mods);
        EXPECT_EQ(f.Caret(), s.caret) << s.vk << "/" << s.mods;
        if (s.selStart.line < 0) {
            EXPECT_FALSE(f.ctrl.Model().HasSelection()) << s.vk << "/" << s.mods;
        } else {
            EXPECT_EQ(f.SelStart(), s.selStart) << s.vk << "/" << s.mods;
            EXPECT_EQ(f.SelEnd(), s.selEnd) << s.vk << "/" << s.mods;
        }
    }
}

TEST(EditInput, UpAndDownKeepThePixelColumnOverAShortLine) {
    Input f(u"abcdefghij\nab\nabcdefghij\nあいうえお");
    f.data.SetCaretPos(0, 8);
    f.ctrl.UpdateCaret(1);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.Caret(), (EditPos{2, 1}));
    f.Key(VK_DOWN);
    EXPECT_EQ(f.Caret(), (EditPos{8, 2}));
    f.Key(VK_DOWN);  // full-width: eight half cells are four characters
    EXPECT_EQ(f.Caret(), (EditPos{4, 3}));
    f.Key(VK_UP);
    f.Key(VK_UP);
    f.Key(VK_UP);
    EXPECT_EQ(f.Caret(), (EditPos{8, 0}));
}

TEST(EditInput, EndOnAWrappedRowStaysOnThatRow) {
    Input f(std::u16string(100, u'x'));
    f.ctrl.SetWrapMode(WrapMode::FixedColumns, 20);
    f.ctrl.Relayout(0);
    f.data.SetCaretPos(0, 0);
    f.ctrl.UpdateCaret(1);
    // Down from the first row at its far right: the end of row 2, drawn on row 2.
    f.data.SetCaretX(20 * f.ctrl.Measure().Advance('x'));
    f.Key(VK_DOWN);
    EXPECT_EQ(f.Caret(), (EditPos{40, 0}));
    EXPECT_EQ(f.ctrl.GetCaretRow(), 1);
}

TEST(EditInput, TypingInsertsOverwritesAndReplacesTheSelection) {
    struct Case {
        const char16_t* text;
        EditPos caret;
        EditPos selTo;  // line -1: no selection
        bool overwrite;
        std::u16string typed;
        const char16_t* expected;
        EditPos caretAfter;
    } cases[] = {
        {u"abc", {1, 0}, {-1, -1}, false, u"XY", u"aXYbc", {3, 0}},
        {u"abc", {1, 0}, {-1, -1}, false, u"\r", u"a\nbc", {0, 1}},
        {u"abc\ndef", {1, 0}, {2, 1}, false, u"Z", u"aZf", {2, 0}},
        {u"abc", {0, 0}, {-1, -1}, true, u"XY", u"XYc", {2, 0}},
        {u"abc", {3, 0}, {-1, -1}, true, u"d", u"abcd", {4, 0}},            // at the text's end: appends
        {u"ab\ncd", {2, 0}, {-1, -1}, true, u"X", u"abXcd", {3, 0}},        // a line end is replaced
        {u"ab\ncd", {1, 0}, {-1, -1}, true, u"\r", u"ab\ncd", {0, 1}},      // Enter only moves on
        {u"ab\ncd", {1, 1}, {-1, -1}, true, u"\r", u"ab\ncd", {1, 1}},      // ... not past the last line
        {u"abcdef", {1, 0}, {4, 0}, false, u"\t", u"a\tef", {2, 0}},        // Tab replaces a one-line selection
        {u"ab\ncd\nef", {1, 0}, {1, 1}, false, u"\t", u"\tab\n\tcd\nef", {0, 0}},  // Tab over two lines indents both
        {u"x", {1, 0}, {-1, -1}, false, u"日本", u"x日本", {3, 0}},
        {u"x", {0, 0}, {-1, -1}, false, u"\xD83D\xDE00", u"\xD83D\xDE00x", {2, 0}},  // a pair as two units
    };
    for (const Case& c : cases) {
        Input f(c.text);
        f.ctrl.SetOverwrite(c.overwrite);
        if (c.selTo.line >= 0)
            f.ctrl.Model().SelectRange({c.caret.column, c.caret.line}, {c.selTo.column, c.selTo.line}, false);
        else
            f.data.SetCaretPos(c.caret.line, c.caret.column);
        f.Type(c.typed);
        EXPECT_EQ(Lf(f.Text()), c.expected) << std::string(c.typed.begin(), c.typed.end()).c_str();
        EXPECT_EQ(f.Caret(), c.caretAfter) << "after typing into " << std::string(c.text, c.text + 2).c_str();
        EXPECT_FALSE(f.ctrl.Model().HasSelection() && c.typed != u"\t");
    }
}

TEST(EditInput, ImeCharactersAndBoxTypingAndReadOnly) {
    Input f(u"abcd\nefgh\nijkl");
    f.Type(u"日本語", WM_IME_CHAR);
    EXPECT_EQ(Lf(f.Text()), u"日本語abcd\nefgh\nijkl");
    f.ctrl.SendMessage(WM_KEYDOWN, VK_BACK, 0);
    EXPECT_EQ(Lf(f.Text()), u"日本abcd\nefgh\nijkl");
    // A box over columns 1..3 of the last two lines, replaced by one character.
    Input g(u"abcd\nefgh\nijkl");
    g.data.GetDispData().boxRequest = 1;
    g.ctrl.Model().BeginSelection({1, 1});
    g.ctrl.Model().ExtendSelectionTo({3, 2});
    EXPECT_EQ(g.Selected(), u"fg\njk\n");
    g.Type(u"Z");
    EXPECT_EQ(Lf(g.Text()), u"abcd\neZh\nil");
    // Read-only: nothing changes.
    g.ctrl.Model().SetReadOnly(true);
    g.Type(u"Q");
    g.Key(VK_DELETE);
    g.Key(VK_BACK);
    EXPECT_EQ(Lf(g.Text()), u"abcd\neZh\nil");
}

TEST(EditInput, UndoAndRedoRestoreTextAndCaret) {
    Input f(u"one\ntwo", ECS_CTRL_KEYS_FROM_CHAR);
    f.data.SetCaretPos(0, 3);
    f.Type(u"more");
    f.ctrl.Model().SelectRange({0, 1}, {3, 1}, false);
    f.Type(u"2");
    EXPECT_EQ(Lf(f.Text()), u"onemore\n2");
    SetMods(Ctrl);
    f.ctrl.SendMessage(WM_CHAR, 26, 0);  // Ctrl+Z
    EXPECT_EQ(Lf(f.Text()), u"onemore\ntwo");
    f.ctrl.SendMessage(WM_CHAR, 26, 0);
    EXPECT_EQ(Lf(f.Text()), u"one\ntwo");
    EXPECT_EQ(f.Caret(), (EditPos{3, 0}));
    f.ctrl.SendMessage(WM_CHAR, 25, 0);  // Ctrl+Y
    EXPECT_EQ(Lf(f.Text()), u"onemore\ntwo");
    EXPECT_EQ(f.Caret(), (EditPos{7, 0}));
    f.ctrl.SendMessage(WM_CHAR, 1, 0);  // Ctrl+A
    SetMods(None);
    EXPECT_EQ(Lf(f.Selected()), u"onemore\ntwo");
    // Undo drops a selection.
    f.ctrl.Model().Undo();
    EXPECT_FALSE(f.ctrl.Model().HasSelection());
}

TEST(EditInput, EscCyclesThroughKeywordsAndBackToThePrefix) {
    Input f(u"");
    f.data.SetSyntaxRules(&etest::Cpp());
    f.ctrl.Relayout(0);
    f.Type(u"whi");
    f.Key(VK_ESCAPE);
    EXPECT_EQ(Lf(f.Text()), u"while");
    f.Key(VK_ESCAPE);  // no other keyword: the prefix again
    EXPECT_EQ(Lf(f.Text()), u"whi");
    f.Key(VK_ESCAPE);
    EXPECT_EQ(Lf(f.Text()), u"while");
    f.Type(u"(");  // typing ends the cycle
    f.Key(VK_ESCAPE);
    EXPECT_EQ(Lf(f.Text()), u"while(");
    // A word longer than the prefix buffer is left alone.
    Input g(std::u16string(250, u'w'));
    g.data.SetSyntaxRules(&etest::Cpp());
    g.data.SetCaretPos(0, 250);
    g.Key(VK_ESCAPE);
    EXPECT_EQ(g.Text().size(), 250u);
}

TEST(EditInput, MouseClicksWordsLinesAndDrags) {
    Input f(u"alpha beta gamma\nsecond line\nthird", ECS_SHOW_ROW_NUM);
    f.Click(f.At(7, 0));
    EXPECT_EQ(f.Caret(), (EditPos{7, 0}));
    f.Click(f.At(3, 1), MK_SHIFT);
    EXPECT_EQ(f.SelStart(), (EditPos{7, 0}));
    EXPECT_EQ(f.SelEnd(), (EditPos{3, 1}));
    // Double click: the word; a drag backwards keeps it and grows left.
    f.Click(f.At(8, 0));
    f.Mouse(WM_LBUTTONDBLCLK, f.At(8, 0), MK_LBUTTON);
    EXPECT_EQ(f.Selected(), u"beta");
    f.Mouse(WM_MOUSEMOVE, f.At(2, 0), MK_LBUTTON);  // arms
    f.Mouse(WM_MOUSEMOVE, f.At(2, 0), MK_LBUTTON);
    EXPECT_EQ(f.SelStart(), (EditPos{2, 0}));
    EXPECT_EQ(f.SelEnd(), (EditPos{10, 0}));
    f.Mouse(WM_LBUTTONUP, f.At(2, 0));
    // Triple click: the line with its line end; the last line up to its end.
    f.Click(f.At(3, 1));
    f.Mouse(WM_LBUTTONDBLCLK, f.At(3, 1), MK_LBUTTON);
    f.Click(f.At(3, 1));
    EXPECT_EQ(Lf(f.Selected()), u"second line\n");
    // A click in the line numbers selects that line.
    f.Click(CPoint(2, f.At(0, 2).y));
    EXPECT_EQ(f.Selected(), u"third");
    // The first move after a click never extends.
    f.Mouse(WM_LBUTTONDOWN, f.At(1, 0), MK_LBUTTON);
    f.Mouse(WM_MOUSEMOVE, f.At(4, 0), MK_LBUTTON);
    EXPECT_FALSE(f.ctrl.Model().HasSelection());
    f.Mouse(WM_MOUSEMOVE, f.At(4, 0), MK_LBUTTON);
    EXPECT_EQ(f.Selected(), u"lph");
    // A lost capture (a message box during the drag) ends it.
    EXPECT_EQ(::GetCapture(), f.ctrl.GetSafeHwnd());
    ::SetCapture(wtest::SharedHost());
    EXPECT_EQ(f.data.GetDispData().mouseSelection, MouseSelection::None);
    EXPECT_FALSE(::KillTimer(f.ctrl, kTimerDragScroll));  // the auto-scroll timer is gone
    f.Mouse(WM_MOUSEMOVE, f.At(10, 0), MK_LBUTTON);
    EXPECT_EQ(f.Selected(), u"lph");
    ::ReleaseCapture();
}

TEST(EditInput, CtrlDragSelectsABoxAndRightClickKeepsIt) {
    Input f(u"abcdef\nabcdef\nabcdef");
    f.Mouse(WM_LBUTTONDOWN, f.At(1, 0), MK_LBUTTON | MK_CONTROL);
    f.Mouse(WM_MOUSEMOVE, f.At(4, 2), MK_LBUTTON | MK_CONTROL);
    f.Mouse(WM_MOUSEMOVE, f.At(4, 2), MK_LBUTTON | MK_CONTROL);
    f.Mouse(WM_LBUTTONUP, f.At(4, 2));
    EXPECT_TRUE(f.data.GetDispData().boxSelection);
    EXPECT_EQ(f.Selected(), u"bcd\nbcd\nbcd\n");
    f.Mouse(WM_RBUTTONDOWN, f.At(2, 1), MK_RBUTTON);
    EXPECT_TRUE(f.ctrl.Model().HasSelection());
    f.Mouse(WM_RBUTTONDOWN, f.At(5, 2), MK_RBUTTON);
    EXPECT_FALSE(f.ctrl.Model().HasSelection());
    EXPECT_EQ(f.Caret(), (EditPos{5, 2}));
}

TEST(EditInput, ClicksFarOutsideTheTextAreIgnoredWithTheIdlePointer) {
    Input f(u"abc\ndef", ECS_IDLE_POINTER, 400, 300);
    f.ctrl.SetLeftBase(60);
    f.ctrl.Relayout(0);
    const int y = f.At(0, 1).y;
    f.Click(CPoint(f.ctrl.GetLeftMargin() - 30, y));
    EXPECT_EQ(f.Caret(), (EditPos{0, 1}));
    f.data.SetCaretPos(0, 0);
    f.Click(CPoint(f.ctrl.GetLeftMargin() - 50, y));
    EXPECT_EQ(f.Caret(), (EditPos{0, 0}));
}

TEST(EditInput, LinksOpenAsWebAddresses) {
    Seams seams;
    Input f(u"see www.example.jp now", ECS_CLICKABLE_URL);
    f.Click(f.At(9, 0));
    f.Mouse(WM_LBUTTONDBLCLK, f.At(9, 0), MK_LBUTTON);
    ASSERT_EQ(seams.starts.size(), 1u);
    EXPECT_EQ(seams.starts[0], L"http://www.example.jp");
    EXPECT_FALSE(f.ctrl.Model().HasSelection());
}

TEST(EditInput, ClipboardRoundTripsStreamAndBoxText) {
    Input a(u"abcdef\nabcdef\nabcdef", ECS_CTRL_KEYS_FROM_CHAR);
    Input b(u"123456\n123456\n123456");
    // Stream: copy, then paste replaces a selection.
    a.ctrl.Model().SelectRange({2, 0}, {3, 1}, false);
    a.ctrl.Copy();
    EXPECT_EQ(Lf(ClipboardText()), u"cdef\nabc");
    b.ctrl.Model().SelectRange({1, 0}, {2, 0}, false);
    b.ctrl.Paste(false, false);
    EXPECT_EQ(Lf(b.Text()), u"1cdef\nabc3456\n123456\n123456");
    // A box copied here pastes as a box there.
    a.data.GetDispData().boxRequest = 1;
    a.ctrl.Model().BeginSelection({1, 0});
    a.ctrl.Model().ExtendSelectionTo({3, 1});
    a.ctrl.Copy();
    b.data.SetCaretPos(1, 2);
    b.ctrl.Paste(false, false);
    EXPECT_EQ(Lf(b.Text()), u"1cdef\nabbcc3456\n12bc3456\n123456");
    // Text from another program never pastes as a box, even with a stale marker format around.
    const char16_t plain[] = u"xy\nzw";
    PutClipboard(CF_UNICODETEXT, plain, sizeof(plain));
    b.data.SetCaretPos(0, 3);
    b.ctrl.Paste(false, false);
    EXPECT_EQ(Lf(b.Text()), u"1cdxy\nzwef\nabbcc3456\n12bc3456\n123456");
    // Only narrow text: converted by its code page; an unterminated block is read within its size.
    const char narrow[4] = {'q', 'r', 's', 0};
    PutClipboard(CF_TEXT, narrow, sizeof(narrow));
    EXPECT_TRUE(b.ctrl.CanPaste());
    b.data.SetCaretPos(4, 4);
    b.ctrl.Paste(false, false);
    EXPECT_EQ(Lf(b.Text()).substr(Lf(b.Text()).rfind(u'\n') + 1), u"1234qrs56");
    for (UINT format : {UINT(CF_TEXT), UINT(CF_OEMTEXT)}) {
        HGLOBAL block = GlobalFromBytes(narrow, 3);
        std::u16string text;
        EXPECT_TRUE(TextOfGlobal(block, format, text));
        EXPECT_EQ(text, u"qrs");
        ::GlobalFree(block);
    }
    const char16_t wide[2] = {u'u', u'v'};
    HGLOBAL block = GlobalFromBytes(wide, sizeof(wide));
    std::u16string text;
    EXPECT_TRUE(TextOfGlobal(block, CF_UNICODETEXT, text));
    EXPECT_EQ(text, u"uv");
    ::GlobalFree(block);
    // Cut with Ctrl+X: the text goes only after the clipboard has it.
    a.ctrl.Model().SelectRange({0, 2}, {3, 2}, false);
    SetMods(Ctrl);
    a.ctrl.SendMessage(WM_CHAR, 24, 0);
    SetMods(None);
    EXPECT_EQ(Lf(ClipboardText()), u"abc");
    EXPECT_EQ(Lf(a.Text()), u"abcdef\nabcdef\ndef");
}

TEST(EditInput, CutKeepsTheTextWhenTheClipboardCannotBeOpened) {
    Seams seams;
    Input f(u"keep me");
    f.ctrl.Model().SelectRange({0, 0}, {4, 0}, false);
    // Another window holds the clipboard open.
    ASSERT_TRUE(::OpenClipboard(wtest::SharedHost()));
    f.ctrl.Cut();
    ::CloseClipboard();
    EXPECT_EQ(Lf(f.Text()), u"keep me");
    ASSERT_EQ(seams.boxes.size(), 1u);
    EXPECT_EQ(seams.boxes[0], L"Cannot open the Clipboard");
}

TEST(EditInput, DropMovesAndCopiesWithinOneControl) {
    struct Case {
        EditPos from, to, target;
        DWORD effect;
        const char16_t* expected;
    } cases[] = {
        {{1, 0}, {3, 0}, {5, 0}, DROPEFFECT_MOVE, u"adebcf\nuvwxyz"},   // later on the same line
        {{1, 0}, {3, 0}, {2, 1}, DROPEFFECT_MOVE, u"adef\nuvbcwxyz"},   // another line
        {{1, 0}, {3, 0}, {5, 0}, DROPEFFECT_COPY, u"abcdebcf\nuvwxyz"},
        {{4, 0}, {1, 1}, {0, 0}, DROPEFFECT_MOVE, u"ef\nuabcdvwxyz"},   // before: nothing shifts
    };
    for (const Case& c : cases) {
        Input f(u"abcdef\nuvwxyz", ECS_DRAG_DROP_EDIT);
        f.ctrl.Model().SelectRange({c.from.column, c.from.line}, {c.to.column, c.to.line}, false);
        const std::u16string text = f.Selected();
        COleDataSource source;
        source.CacheGlobalData(CF_UNICODETEXT, GlobalFromBytes(text.c_str(), (text.size() + 1) * 2));
        IDataObject* data = source.GetDataObject();
        f.ctrl.Disp().dragRunning = true;
        EXPECT_TRUE(f.ctrl.Drop(data, c.effect, f.At(c.target.column, c.target.line)));
        f.ctrl.Disp().dragRunning = false;
        data->Release();
        EXPECT_EQ(Lf(f.Text()), c.expected);
        EXPECT_EQ(f.Selected(), text);  // the dropped text is selected
    }
    // Onto itself without Ctrl: only the caret moves.
    Input f(u"abcdef", ECS_DRAG_DROP_EDIT);
    f.ctrl.Model().SelectRange({1, 0}, {4, 0}, false);
    COleDataSource source;
    source.CacheGlobalData(CF_UNICODETEXT, GlobalFromBytes(u"bcd", 8));
    IDataObject* data = source.GetDataObject();
    f.ctrl.Disp().dragRunning = true;
    EXPECT_FALSE(f.ctrl.Drop(data, DROPEFFECT_MOVE, f.At(2, 0)));
    f.ctrl.Disp().dragRunning = false;
    data->Release();
    EXPECT_EQ(Lf(f.Text()), u"abcdef");
    EXPECT_FALSE(f.ctrl.Model().HasSelection());
}

TEST(EditInput, ABoxDropsAsABox) {
    Input f(u"abcdef\nabcdef\nabcdef", ECS_DRAG_DROP_EDIT);
    COleDataSource source;
    source.CacheGlobalData(CF_UNICODETEXT, GlobalFromBytes(u"XY\nZW\n", 14));
    char16_t marker[10] = u"TRUE";
    source.CacheGlobalData(GetBoxClipboardFormat(), GlobalFromBytes(marker, sizeof(marker)));
    IDataObject* data = source.GetDataObject();
    EXPECT_TRUE(f.ctrl.Drop(data, DROPEFFECT_COPY, f.At(2, 1)));
    data->Release();
    EXPECT_EQ(Lf(f.Text()), u"abcdef\nabXYcdef\nabZWcdef");
    EXPECT_TRUE(f.data.GetDispData().boxSelection);
}

TEST(EditInput, TheRealOlePathMovesTextWithinTheControl) {
    Input f(u"abcdef\nuvwxyz", ECS_DRAG_DROP_EDIT);
    f.ctrl.Model().SelectRange({1, 0}, {3, 0}, false);
    // The button is up: OLE drops at once where the pointer is, over our
    // window (other test programs share the display).
    HWND host = wtest::SharedHost();
    ::SetWindowPos(host, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CPoint target = f.At(2, 1);
    f.ctrl.ClientToScreen(&target);
    ::SetCursorPos(target.x, target.y);
    const bool dropped = f.ctrl.StartDrag();
    ::SetWindowPos(host, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!dropped) GTEST_SKIP() << "this Wine runs no drag loop without a pressed button";
    EXPECT_EQ(Lf(f.Text()), u"adef\nuvbcwxyz");
}

TEST(EditInput, PaneMessagesWithPointersAreTakenOnlyFromOurOwnBlock) {
    Input f(u"abc\ndef");
    int bogus[4] = {1, 0, 1, 0};
    // A pointer that is not the text's own block is never read.
    f.ctrl.SendMessage(WM_EDIT_SYNC_LINECHANGED, reinterpret_cast<WPARAM>(bogus), 0);
    f.ctrl.SendMessage(WM_EDIT_SYNC_LINECHANGED, 0x12345678, 0);
    int* own = f.ctrl.Disp().lineChange;
    own[0] = f.data.GetLineCount();
    own[1] = 0;
    own[2] = 1;
    own[3] = 0;
    f.ctrl.SendMessage(WM_EDIT_SYNC_LINECHANGED, reinterpret_cast<WPARAM>(own), 0);
    EXPECT_EQ(Lf(f.Text()), u"abc\ndef");
}

TEST(EditInput, TheCaretBlinkTimeIsPutBackOnlyByTheControlThatChangedIt) {
    const UINT original = ::GetCaretBlinkTime();
    {
        Input plain(u"x");
        Input still(u"y", ECS_NO_CARET_BLINK);
        EXPECT_EQ(::GetCaretBlinkTime(), 86400000u);
        plain.ctrl.SetFocus();  // the changed one loses the focus
        EXPECT_EQ(::GetCaretBlinkTime(), original);
        still.ctrl.SetFocus();
        EXPECT_EQ(::GetCaretBlinkTime(), 86400000u);
    }
    EXPECT_EQ(::GetCaretBlinkTime(), original);
}

TEST(EditInput, BracketsAroundTheCaretAreBoldAndATypedCloserFlashesItsPartner) {
    Input f(u"f(a[1]) x", ECS_SHOW_BRACKETS_BOLD | ECS_BRACKET_FLASH);
    f.data.SetSyntaxRules(&etest::Cpp());
    f.ctrl.SetBracketBlinkTime(500);
    f.ctrl.Relayout(0);
    f.data.SetCaretPos(0, 3);
    f.ctrl.UpdateCaret(1);
    EXPECT_EQ(f.ctrl.Disp().boldBracket[0], (EditPos{1, 0}));
    EXPECT_EQ(f.ctrl.Disp().boldBracket[1], (EditPos{6, 0}));
    f.Key(VK_RIGHT);
    f.Key(VK_RIGHT);  // inside the index
    EXPECT_EQ(f.ctrl.Disp().boldBracket[0], (EditPos{3, 0}));
    f.Key(VK_END);
    EXPECT_EQ(f.ctrl.Disp().boldBracket[0].line, -1);
    f.Type(u"(b)");
    EXPECT_EQ(f.ctrl.Disp().flashBracket[0], (EditPos{9, 0}));
    EXPECT_EQ(f.ctrl.Disp().flashBracket[1], (EditPos{11, 0}));
}

TEST(EditInput, DraggingBelowTheBodyScrollsAndSelectsOnUntilTheButtonIsUp) {
    Input f(etest::NumberedLines(200), ECS_MOUSE_SELECT_COPY, 400, 200);
    f.Mouse(WM_LBUTTONDOWN, f.At(2, 1), MK_LBUTTON);
    // The pointer rests below the window: the timer scrolls towards it.
    CPoint below(50, f.ctrl.GetClientRect().bottom + 40);
    f.ctrl.ClientToScreen(&below);
    ::SetCursorPos(below.x, below.y);
    wtest::WaitUntil([&] {
        return ::GetCapture() != f.ctrl.GetSafeHwnd() || (f.Pos(SB_VERT) > 0 && f.SelEnd().line > 8);
    });
    // Test programs run side by side on one display: one that comes to the
    // front takes the capture, which ends the drag as it should.
    if (::GetCapture() != f.ctrl.GetSafeHwnd()) {
        f.Mouse(WM_LBUTTONUP, f.At(0, 1));
        GTEST_SKIP() << "another program took the mouse capture during the drag";
    }
    EXPECT_GT(f.Pos(SB_VERT), 0);
    EXPECT_GT(f.SelEnd().line, 8);
    EXPECT_EQ(f.SelStart(), (EditPos{2, 1}));
    f.Mouse(WM_LBUTTONUP, f.At(0, 1));
    // With mouse-select-copy the selection went to the clipboard.
    EXPECT_EQ(Lf(ClipboardText()), Lf(f.Selected()));
    const int pos = f.Pos(SB_VERT);
    RunFor(300);  // a few of the scroll timer's ticks, had it stayed
    EXPECT_EQ(f.Pos(SB_VERT), pos);  // no more scrolling once the button is up
}
