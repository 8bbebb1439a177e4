// The macro host without windows: start-up scripts, the wrapping and report
// of every run (also runs nested in a box of another), key bindings, events
// and timers with their procedures kept from the collector, and the editor-
// procedures on a text buffer behind a stand-in editing window.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <string>
#include <vector>

#include "app/macrohost/macro_host.h"
#include "tests/scheme/support/test_host.h"
#include "textengine/edit_data.h"

namespace {

using scheme_test::u16;
using scheme_test::u8;

struct Box {
    std::string caption, text;
    MacroBoxIcon icon;
};

// A file's text behind an editing window; moves and searches are recorded.
class FakeEditor : public CMacroEditor {
public:
    CEditData data;
    std::vector<std::string> calls;

    CEditData& Data() override { return data; }
    int DisplayColumn(int line, int column) override { return column * 2; }
    int ColumnFromDisplayColumn(int line, int displayColumn) override { return displayColumn / 2; }
    void SetCaret(EditPos pos) override {
        data.GetDispData().ResetSelection();
        data.SetCaretPos(pos.line, pos.column);
    }
    void SelectRange(EditPos from, EditPos to, bool box) override {
        CEditDispData& d = data.GetDispData();
        d.selStart = to < from ? to : from;
        d.selEnd = to < from ? from : to;
        d.boxSelection = box;
        data.SetCaretPos(to.line, to.column);
    }
    void ReplaceSelection(const std::u16string& text) override {
        DeleteSelection();
        data.InsertText(text.c_str(), 1);
    }
    void DeleteSelection() override {
        CEditDispData& d = data.GetDispData();
        if (d.selStart.line < 0) return;
        data.DeleteText(d.selStart, d.selEnd, 1);
        data.SetCaretPos(d.selStart.line, d.selStart.column);
        d.ResetSelection();
    }
    int Find(const std::u16string& pattern, bool matchCase) override {
        calls.push_back("find " + u8(pattern) + (matchCase ? " case" : " nocase"));
        return 0;
    }
    int ReplaceAll(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                   bool inSelection) override {
        calls.push_back("replace " + u8(pattern) + ">" + u8(replacement) + (matchCase ? " case" : " nocase") +
                        (inSelection ? " sel" : " all"));
        return 3;
    }
    std::u16string SelectedText() override { return data.GetSelectedText(); }
    void MoveChars(int count, bool extend) override {
        calls.push_back("chars " + std::to_string(count) + (extend ? " extend" : ""));
    }
    void MoveRows(int count, bool extend) override {
        calls.push_back("rows " + std::to_string(count) + (extend ? " extend" : ""));
    }
};

class FakeUi : public CMacroHostUi {
public:
    bool mainWindow = true;
    bool document = true;
    FakeEditor* editor = nullptr;
    std::vector<Box> boxes;
    std::vector<std::string> statusTexts;
    std::vector<std::string> timerCalls;
    std::vector<std::string> undoCalls;
    std::string search;
    int currentFile = 1;
    std::function<void(const Box&)> onBox;

    bool HasMainWindow() override { return mainWindow; }
    void SetStatusText(const std::u16string& text) override { statusTexts.push_back(u8(text)); }
    void ShowBox(const std::u16string& text, const char16_t* caption, MacroBoxIcon icon) override {
        boxes.push_back({u8(caption), u8(text), icon});
        if (onBox) onBox(boxes.back());
    }
    void RestoreMainWindow() override {}
    bool InputBox(const std::u16string& caption, std::u16string& text) override {
        if (caption == u"cancel") return false;
        text = caption + u":" + text;
        return true;
    }
    std::u16string ToolDir() override { return u"C:\\tools\\"; }
    std::u16string CommandLine() override { return u"a.txt /r3"; }
    bool ParseKey(const std::u16string& text, int& fVirt, int& vk) override {
        // Enough of the key texts for these tests: [Ctrl+]<letter>.
        std::u16string rest = text;
        fVirt = 3;
        if (rest.rfind(u"Ctrl+", 0) == 0) fVirt |= 8, rest = rest.substr(5);
        if (rest.size() != 1 || rest[0] < u'A' || rest[0] > u'Z') return false;
        vk = rest[0];
        return true;
    }
    void SetTimer(int id, int ms) override { timerCalls.push_back("set " + std::to_string(id) + " " + std::to_string(ms)); }
    void KillTimer(int id) override { timerCalls.push_back("kill " + std::to_string(id)); }
    bool HasDocument() override { return document; }
    std::u16string DocumentPath() override { return u"C:\\work\\memo.txt"; }
    bool SetSearchCondition(const std::u16string& pattern, bool matchCase) override {
        search = u8(pattern) + (matchCase ? " case" : " nocase");
        return true;
    }
    CMacroEditor* ActiveEditor() override { return editor; }
    int BeginUndoGroup() override {
        undoCalls.push_back("begin " + std::to_string(currentFile));
        return currentFile;
    }
    void EndUndoGroup(int fileId) override { undoCalls.push_back("end " + std::to_string(fileId)); }
};

struct Fixture {
    scheme_test::TestHost platform;
    FakeUi ui;
    FakeEditor editor;
    CMacroHost host{ui};

    explicit Fixture(bool init = true) {
        ui.editor = &editor;
        if (init) {
            EXPECT_TRUE(host.Init(platform.host));
            scheme_eval_string(ctx(), u"(define (list . x) x)");  // init.scm's, which is not here
        }
    }
    scheme_context* ctx() { return host.Context(); }
    // The value of source, in write form, outside any run wrapping.
    std::string Eval(const char* source) {
        scheme_cell* v = scheme_eval_string(ctx(), u16(source).c_str());
        return scheme_test::write_form(ctx(), v);
    }
    void Run(const char* source) { host.RunString(u16(source)); }
};

int ProtectedCount(scheme_context* ctx, scheme_cell* obj) {
    int n = 0;
    for (scheme_cell* p = ctx->protected_list; scheme_is(p, SCHEME_PAIR) && p != ctx->NIL; p = p->cdr)
        if (p->car == obj) ++n;
    return n;
}

// --- start-up ------------------------------------------------------------------------------

TEST(MacroHostStartup, LoadsBothScriptsAndShowsEachErrorOnce) {
    Fixture f(false);
    f.platform.files[u"C:\\tools\\scmlib\\init.scm"] = "(define from-init 1) (car 1)";
    f.platform.files[u"C:\\tools\\scmlib\\wendrel.scm"] = "(define from-user 2) (cdr 2)";
    ASSERT_TRUE(f.host.Init(f.platform.host)) << u8(f.ctx() ? f.ctx()->error_text : u"") << f.ui.boxes.size();
    ASSERT_EQ(f.ui.boxes.size(), 2u);
    EXPECT_EQ(f.ui.boxes[0].caption, "scheme error");
    EXPECT_EQ(f.ui.boxes[0].icon, MacroBoxIcon::Warning);
    EXPECT_NE(f.ui.boxes[0].text.find("car"), std::string::npos);
    // The user's script's box holds its own error, not init.scm's again.
    EXPECT_NE(f.ui.boxes[1].text.find("cdr"), std::string::npos);
    EXPECT_EQ(f.ui.boxes[1].text.find("car"), std::string::npos) << f.ui.boxes[1].text;
    EXPECT_EQ(f.Eval("(+ from-init from-user)"), "3");
    // The scmlib folder, its backslashes kept, is the one load path.
    EXPECT_EQ(f.Eval("*load-path*"), "(\"C:\\\\tools\\\\scmlib\")");
}

TEST(MacroHostStartup, MissingScriptsAreNoErrorAndAnUnreadableOneEndsStartUp) {
    {
        Fixture f(false);
        EXPECT_TRUE(f.host.Init(f.platform.host));
        EXPECT_TRUE(f.ui.boxes.empty());
        EXPECT_EQ(f.Eval("(editor-get-row-cnt)"), "1");  // the procedures are there
    }
    Fixture f(false);
    scheme_host platform = f.platform.host;
    platform.file_exists = [](void*, const char16_t*) { return true; };
    platform.file_open = [](void*, const char16_t*, const char*) -> void* { return nullptr; };
    EXPECT_FALSE(f.host.Init(platform));
    EXPECT_EQ(f.host.Context(), nullptr);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, "マクロの初期化に失敗しました。");
    EXPECT_EQ(f.ui.boxes[0].caption, "Error");
}

// --- runs and their report -------------------------------------------------------------------

TEST(MacroHostRun, ReportsOutputErrorsAndBoxTexts) {
    struct Case {
        const char* source;
        std::vector<std::pair<std::string, std::string>> boxes;  // caption, text
    } cases[] = {
        {"(+ 1 2)", {}},
        {"(display \"hi\") (newline) (display 2)", {{"scheme output", "hi\r\n2"}}},
        {"(display \"lost\") (car 1)", {{"scheme error", "Error: car: pair required: 1 \n"}}},
        {"(app-msg-box \"a\" 1)", {{"scheme", "a 1"}}},
        {"(app-msg-box \"(just one)\")", {{"scheme", "(just one)"}}},
        {"(app-set-event-handler \"on-nothing\" (lambda () 1))",
         {{"scheme error", "Error: on-nothing is invalid event name \n"}}},
        {"(app-set-key \"Shift+Q\" (lambda () 1))", {{"scheme error", "Error: Shift+Q is invalid key \n"}}},
        {"(app-set-cancel-key \"Q+\")", {{"scheme error", "Error: Q+ is invalid key \n"}}},
        // The procedure table's counts and letters give the argument errors.
        {"(editor-paste-string 5)", {{"scheme error", "Error: editor-paste-string: string required: 5 \n"}}},
        {"(editor-set-row-col \"a\" 1)",
         {{"scheme error", "Error: editor-set-row-col: number required: \"a\" \n"}}},
        {"(app-set-timer 1 10)",
         {{"scheme error", "Error: wrong number of arguments: app-set-timer requires 3, but got 2 \n"}}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Run(c.source);
        std::vector<std::pair<std::string, std::string>> got;
        for (const Box& b : f.ui.boxes) got.emplace_back(b.caption, b.text);
        EXPECT_EQ(got, c.boxes) << c.source;
        EXPECT_EQ(f.ui.statusTexts, (std::vector<std::string>{"マクロ実行中...", ""})) << c.source;
    }
}

TEST(MacroHostRun, StatusBarMessageStaysAndCancelIsOnlyReportedThere) {
    Fixture f;
    f.Run("(app-status-bar-msg \"done:\" 3)");
    EXPECT_EQ(f.ui.statusTexts, (std::vector<std::string>{"マクロ実行中...", "done: 3"}));
    f.ui.statusTexts.clear();
    f.Run("(display 1)");  // the next run clears the status again
    EXPECT_EQ(f.ui.statusTexts.back(), "");

    f.ui.statusTexts.clear();
    f.ui.boxes.clear();
    // The cancel key pressed while the run goes on.
    int polls = 0;
    f.platform.on_key_poll = [&] {
        if (++polls == 2) f.platform.keys_down = {3};
    };
    f.Run("(define (spin) (display 1) (spin)) (spin)");
    f.platform.on_key_poll = nullptr;
    EXPECT_EQ(f.ui.statusTexts, (std::vector<std::string>{"マクロ実行中...", "キャンセルしました"}));
    EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(MacroHostRun, UndoGroupEndsOnTheFileItBeganOnWhateverIsCurrentThen) {
    Fixture f;
    ASSERT_EQ(scheme_register_function(
                  f.ctx(), u"test-switch-file",
                  [](scheme_context* ctx, scheme_cell**, int) {
                      static_cast<FakeUi&>(MacroHostOf(ctx).Ui()).currentFile = 7;
                      return ctx->T;
                  },
                  0, 0, u""),
              0);
    f.ui.currentFile = 2;
    f.Run("(test-switch-file)");
    EXPECT_EQ(f.ui.undoCalls, (std::vector<std::string>{"begin 2", "end 2"}));
}

TEST(MacroHostRun, NestedRunKeepsTheOuterRunsErrorAndOutput) {
    Fixture f;
    // A run started while the outer one's box is open (a timer, an event).
    bool nested = false;
    f.ui.onBox = [&](const Box& box) {
        if (box.caption != "scheme" || nested) return;
        nested = true;
        f.Run("(display \"inner\") (car 1)");
    };
    f.Run("(display \"outer-\") (app-msg-box \"wait\") (display \"end\") (cdr 5)");
    ASSERT_EQ(f.ui.boxes.size(), 3u);
    EXPECT_EQ(f.ui.boxes[1].caption, "scheme error");
    EXPECT_NE(f.ui.boxes[1].text.find("car"), std::string::npos);
    // The outer report: its own error alone, not the inner one's.
    EXPECT_EQ(f.ui.boxes[2].caption, "scheme error");
    EXPECT_EQ(f.ui.boxes[2].text, "Error: cdr: pair required: 5 \n");

    // Without an outer error the outer output comes through whole.
    f.ui.boxes.clear();
    nested = false;
    f.Run("(display \"outer-\") (app-msg-box \"wait\") (display \"end\")");
    ASSERT_EQ(f.ui.boxes.size(), 3u);
    EXPECT_EQ(f.ui.boxes[2].caption, "scheme output");
    EXPECT_EQ(f.ui.boxes[2].text, "outer-end");
    EXPECT_EQ(f.ui.undoCalls.size(), 8u);
}

// --- keys, events, timers ----------------------------------------------------------------------

TEST(MacroHostBindings, KeyBoundTwiceKeepsTheSecondProcedure) {
    Fixture f;
    f.Run("(define hits '())"
          "(app-set-key \"Ctrl+K\" (lambda () (set! hits (cons 'first hits))))"
          "(app-set-key \"Ctrl+K\" (lambda () (set! hits (cons 'second hits))) \"second binding\")");
    ASSERT_EQ(f.host.keys.size(), 1u);
    EXPECT_EQ(f.Eval("(length (app-get-all-keys))"), "1");
    EXPECT_EQ(f.Eval("(car (car (app-get-all-keys)))"), "\"Ctrl+K\"");
    EXPECT_EQ(f.Eval("(car (cdr (cdr (car (app-get-all-keys)))))"), "\"second binding\"");
    EXPECT_TRUE(f.host.RunKey((3u | 8u) << 16 | 'K'));
    EXPECT_FALSE(f.host.RunKey(3u << 16 | 'K'));
    EXPECT_EQ(f.Eval("hits"), "(second)");
    // The replaced procedure is no longer kept for the binding.
    EXPECT_EQ(f.Eval("(app-get-all-keys)").find("first"), std::string::npos);
}

TEST(MacroHostBindings, CancelKeyTakesTheModifiersAndKey) {
    Fixture f;
    EXPECT_EQ(f.Eval("(app-set-cancel-key \"Ctrl+Q\")"), "#t");
    EXPECT_EQ(f.ctx()->cancel_vk, 'Q');
    EXPECT_EQ(f.ctx()->cancel_modifiers & 0x1C, 8);
}

TEST(MacroHostBindings, EventHandlersSetGetClearAndFire) {
    Fixture f;
    EXPECT_EQ(f.Eval("(app-get-event-handler \"on-file-saved\")"), "()");
    EXPECT_EQ(f.Eval("(app-clear-event-handler \"on-file-saved\")"), "#f");
    f.Run("(define saved 0) (app-set-event-handler \"on-file-saved\" (lambda () (set! saved (+ saved 1))))");
    EXPECT_TRUE(f.host.HasEventHandler("on-file-saved"));
    EXPECT_FALSE(f.host.HasEventHandler("on-open-file"));
    f.ui.undoCalls.clear();
    f.host.FireEvent("on-file-saved");
    f.host.FireEvent("on-open-file");  // no handler: no run
    EXPECT_EQ(f.Eval("saved"), "1");
    EXPECT_EQ(f.ui.undoCalls.size(), 2u);  // the event was a whole run
    EXPECT_EQ(f.Eval("(app-clear-event-handler \"on-file-saved\")"), "#t");
    EXPECT_FALSE(f.host.HasEventHandler("on-file-saved"));
    EXPECT_EQ(f.host.FindEvent(u"on-tab-changed"), 3);
    EXPECT_EQ(f.host.FindEvent(u"on-tab-changed "), -1);
}

TEST(MacroHostBindings, InstalledProceduresStayProtectedUntilRemoved) {
    Fixture f;
    f.Run("(define ticks 0) (define (tick) (set! ticks (+ ticks 1)))"
          "(app-set-timer 5 100 tick)"
          "(app-set-event-handler \"on-cursor-moved\" tick)"
          "(app-set-timer 6 50 (lambda () (set! ticks (+ ticks 10))))");
    EXPECT_EQ(f.ui.timerCalls, (std::vector<std::string>{"set 5 100", "set 6 50"}));
    scheme_cell* tick = f.host.timers.at(5);
    scheme_cell* anonymous = f.host.timers.at(6);
    EXPECT_EQ(ProtectedCount(f.ctx(), tick), 2);
    EXPECT_EQ(ProtectedCount(f.ctx(), anonymous), 1);
    // Collections between runs leave the anonymous procedure working.
    f.Eval("(gc) (make-vector 20000 0) (gc)");
    f.host.OnTimer(6);
    EXPECT_EQ(f.Eval("ticks"), "10");

    // Clearing the timer takes its own protection only: the event handler's stays.
    EXPECT_EQ(f.Eval("(app-clear-timer 5)"), "#t");
    EXPECT_EQ(f.Eval("(app-clear-timer 5)"), "#f");
    EXPECT_EQ(f.ui.timerCalls.back(), "kill 5");
    EXPECT_EQ(ProtectedCount(f.ctx(), tick), 1);
    f.host.OnTimer(5);  // cleared: nothing runs
    f.host.FireEvent("on-cursor-moved");
    EXPECT_EQ(f.Eval("ticks"), "11");
    EXPECT_EQ(f.Eval("(app-clear-event-handler \"on-cursor-moved\")"), "#t");
    EXPECT_EQ(ProtectedCount(f.ctx(), tick), 0);
}

TEST(MacroHostBindings, TimerTicksAreSkippedWhileAnyRunIsActive) {
    Fixture f;
    f.Run("(define runs '())"
          "(app-set-timer 1 10 (lambda () (set! runs (cons 'one runs)) (app-msg-box \"one\")))"
          "(app-set-timer 2 10 (lambda () (set! runs (cons 'two runs))))");
    // Both timers tick while timer 1's box is open.
    int boxesOfOne = 0;
    f.ui.onBox = [&](const Box& box) {
        if (box.text != "one" || ++boxesOfOne > 1) return;
        f.host.OnTimer(1);
        f.host.OnTimer(2);
    };
    f.host.OnTimer(1);
    EXPECT_EQ(f.Eval("runs"), "(one)");
    f.ui.onBox = nullptr;
    f.host.OnTimer(2);  // no run active: the timer runs
    EXPECT_EQ(f.Eval("runs"), "(two one)");
}

TEST(MacroHostRun, RunsNestedThroughBoxesStopAtTheBoundWithAStatusText) {
    Fixture f;
    // Each box starts another run that opens a box (events during boxes).
    int runs = 0;
    f.ui.onBox = [&](const Box& box) {
        if (box.caption == "scheme" && ++runs < 100) f.Run("(app-msg-box \"again\")");
    };
    f.Run("(app-msg-box \"first\")");
    EXPECT_EQ(runs, CMacroHost::kMaxMacroRunDepth);
    EXPECT_NE(std::find(f.ui.statusTexts.begin(), f.ui.statusTexts.end(),
                        "マクロの実行の入れ子が深すぎるため、実行しませんでした"),
              f.ui.statusTexts.end());
    // Once the runs have ended, a run goes as before.
    f.ui.onBox = nullptr;
    f.Run("(app-msg-box \"after\")");
    EXPECT_EQ(f.ui.boxes.back().text, "after");
}

TEST(MacroHostBindings, TimerNeedsTheMainWindow) {
    Fixture f;
    f.ui.mainWindow = false;
    EXPECT_EQ(f.Eval("(app-set-timer 1 10 (lambda () 1))"), "#f");
    EXPECT_EQ(f.Eval("(app-msg-box 1)"), "#f");
    EXPECT_EQ(f.Eval("(app-status-bar-msg 1)"), "#f");
    EXPECT_TRUE(f.ui.timerCalls.empty());
}

// --- the app- values -----------------------------------------------------------------------------

TEST(MacroHostProcedures, ProgramValuesAndInputBox) {
    Fixture f;
    EXPECT_EQ(f.Eval("(app-get-tool-dir)"), "\"C:\\\\tools\\\\\"");
    EXPECT_EQ(f.Eval("(app-get-command-line-option)"), "\"a.txt /r3\"");
    EXPECT_EQ(f.Eval("(app-input-box \"name\" \"x\")"), "\"name:x\"");
    EXPECT_EQ(f.Eval("(app-input-box)"), "\":\"");
    EXPECT_EQ(f.Eval("(app-input-box \"cancel\")"), "#f");
    EXPECT_EQ(f.Eval("(editor-get-filename)"), "\"C:\\\\work\\\\memo.txt\"");
    f.ui.document = false;
    EXPECT_EQ(f.Eval("(editor-get-filename)"), "#f");
}

// --- the editor- procedures on a text ----------------------------------------------------------

// Three lines, CRLF, the second with a character beyond the BMP.
void FillText(CEditData& data) {
    data.InsertText(u"ab\r\n\U0002000Bc\r\nlast", 1);
    data.SetCaretPos(0, 0);
}

TEST(MacroHostEditorProcedures, ReadTheText) {
    Fixture f;
    FillText(f.editor.data);
    const std::pair<const char*, const char*> cases[] = {
        {"(editor-get-row-cnt)", "3"},
        {"(editor-get-row-string 1)", "\"\xF0\xA0\x80\x8B" "c\""},
        {"(editor-get-row-string -1)", "\"\""},
        {"(editor-get-row-string 3)", "\"\""},
        {"(editor-get-all-string)", "\"ab\\n\xF0\xA0\x80\x8B" "c\\nlast\""},
        {"(char->integer (editor-get-row-col-char 1 0))", "131083"},
        {"(editor-get-row-col-char 0 1)", "#\\b"},
        {"(editor-get-row-col-char 0 2)", "#\\newline"},
        {"(editor-get-row-col-char 0 99)", "#\\newline"},
        {"(eof-object? (editor-get-row-col-char 2 4))", "#t"},
        // Rows past the end clamp to the last line's end: that is the end of the text.
        {"(eof-object? (editor-get-row-col-char 9 4))", "#t"},
        {"(eof-object? (editor-get-row-col-char 9 99))", "#t"},
        {"(editor-get-caret-col 1 3)", "6"},
        {"(editor-get-col-from-caret-col 1 6)", "3"},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(f.Eval(source), expected) << source;
    EXPECT_EQ(f.editor.data.GetLineEndType(), LineEndType::CRLF);  // put back after reading with "\n"
}

TEST(MacroHostEditorProcedures, CaretAndSelection) {
    Fixture f;
    FillText(f.editor.data);
    EXPECT_EQ(f.Eval("(editor-get-selected-area)"), "#f");
    EXPECT_EQ(f.Eval("(editor-get-selected-string-bytes)"), "0");
    EXPECT_EQ(f.Eval("(editor-set-row-col 1 9)"), "#t");
    EXPECT_EQ(f.Eval("(list (editor-get-cur-row) (editor-get-cur-col))"), "(1 3)");  // clamped to the line end
    EXPECT_EQ(f.Eval("(editor-set-select-area 0 1 1 2)"), "#t");
    EXPECT_EQ(f.Eval("(editor-get-selected-area)"), "(0 1 1 2)");
    EXPECT_EQ(f.Eval("(editor-get-selected-string)"), "\"b\\n\xF0\xA0\x80\x8B\"");
    // "b", "\n" and a surrogate pair: 4 units, 3 characters.
    EXPECT_EQ(f.Eval("(editor-get-selected-string-bytes)"), "8");
    EXPECT_EQ(f.Eval("(editor-get-selected-string-chars)"), "3");
    EXPECT_EQ(f.Eval("(editor-box-select?)"), "#f");
    EXPECT_EQ(f.Eval("(editor-set-box-select)"), "#f");  // only without a selection
    EXPECT_EQ(f.Eval("(editor-paste-string \"X\")"), "#t");
    EXPECT_EQ(f.Eval("(editor-get-all-string)"), "\"aXc\\nlast\"");
    EXPECT_EQ(f.Eval("(editor-set-box-select)"), "#t");
    EXPECT_EQ(f.editor.data.GetDispData().boxRequest, 1);
    EXPECT_EQ(f.Eval("(editor-set-select-area 0 0 0 1)"), "#t");
    EXPECT_EQ(f.Eval("(editor-box-select?)"), "#t");
    EXPECT_EQ(f.Eval("(editor-delete-selected-string)"), "#t");
    EXPECT_EQ(f.Eval("(editor-get-row-string 0)"), "\"Xc\"");
    EXPECT_EQ(f.Eval("(editor-delete-selected-string)"), "#t");  // nothing selected: still #t
}

TEST(MacroHostEditorProcedures, MovesSearchesAndReplaces) {
    Fixture f;
    const std::pair<const char*, const char*> cases[] = {
        {"(editor-forward-char)", "chars 1"},
        {"(editor-forward-char 3 #f)", "chars 3"},
        {"(editor-forward-char 2 'yes)", "chars 2 extend"},
        {"(editor-backward-char 2 #t)", "chars -2 extend"},
        {"(editor-backward-char -1)", "chars 1"},
        {"(editor-next-line)", "rows 1"},
        {"(editor-previous-line 4 1)", "rows -4 extend"},
        {"(editor-search-string-ci \"a.c\")", "find a.c nocase"},
        {"(editor-replace-string \"a\" \"b\")", "replace a>b case all"},
        {"(editor-replace-string-ci \"a\" \"b\")", "replace a>b nocase all"},
        {"(editor-replace-selected-string \"a\" \"b\")", "replace a>b case sel"},
        {"(editor-replace-selected-string-ci \"a\" \"b\")", "replace a>b nocase sel"},
    };
    for (const auto& [source, call] : cases) {
        f.editor.calls.clear();
        f.Eval(source);
        EXPECT_EQ(f.editor.calls, std::vector<std::string>{call}) << source;
    }
    f.editor.calls.clear();
    EXPECT_EQ(f.Eval("(editor-forward-char 0 #t)"), "#t");
    EXPECT_TRUE(f.editor.calls.empty());
    EXPECT_EQ(f.Eval("(editor-replace-string \"a\" \"b\")"), "3");
    EXPECT_EQ(f.Eval("(editor-search-string \"x\")"), "0");
    EXPECT_EQ(f.ui.search, "x case");
}

TEST(MacroHostEditorProcedures, NoEditingWindowGivesFalseButSearchStillSetsTheCondition) {
    Fixture f;
    f.ui.editor = nullptr;
    for (const char* source :
         {"(editor-get-row-cnt)", "(editor-get-cur-row)", "(editor-get-all-string)", "(editor-get-row-string 0)",
          "(editor-set-row-col 0 0)", "(editor-paste-string \"x\")", "(editor-forward-char)",
          "(editor-get-selected-area)", "(editor-box-select?)", "(editor-replace-string \"a\" \"b\")"})
        EXPECT_EQ(f.Eval(source), "#f") << source;
    EXPECT_EQ(f.Eval("(editor-search-string-ci \"q\")"), "#f");
    EXPECT_EQ(f.ui.search, "q nocase");
}

TEST(MacroHostHelpers, BoxTextAndBackslashes) {
    EXPECT_EQ(MacroBoxText(u"(a 1)"), u"a 1");
    EXPECT_EQ(MacroBoxText(u"(a"), u"a");
    EXPECT_EQ(MacroBoxText(u"()"), u"");
    EXPECT_EQ(MacroDoubleBackslashes(u"C:\\a\\b"), u"C:\\\\a\\\\b");
}

}  // namespace
