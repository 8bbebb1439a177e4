// Macros in the running editor: the start-up scripts of the program folder,
// the editor- procedures on a real view and document (buffer, caret and
// selection after each call), one undo for a whole run, the undo group
// ended on the file it began on when the run switched or closed files,
// events that do not re-enter themselves, timers that fire from the message
// loop, keys bound to procedures, and the reports through the box seam.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/macro_calls.h"
#include "app/macro_host_win.h"
#include "app/macrohost/macro_host.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "program/pavin_app.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "view/pavin_view.h"

namespace {

struct Box {
    std::string caption, text;
};

// The editor started once on two files from a program folder of its own,
// with the shipped data and scmlib folders and a user script; each test
// starts from the files' first text.
class MacroWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = wtest::MakeProgramFolder(L"wendrel_macro_");
        wtest::CopyFolder(wtest::SourcePath("scmlib"), dir_);
        wtest::WriteBytes(dir_ + L"scmlib\\wendrel.scm", "(define user-script-ran 'yes)\n");
        first_ = dir_ + L"first.txt";
        second_ = dir_ + L"second.txt";
        wtest::WriteBytes(first_, "hello world\r\nsecond line");
        wtest::WriteBytes(second_, "other");
        app_ = new CPavinApp;
        commandLine_ = L"\"" + second_ + L"\" \"" + first_ + L"\"";
        started_ = wtest::StartEditor(*app_, dir_, commandLine_.c_str());
    }

    static void TearDownTestSuite() {
        if (CMainFrame* frame = dynamic_cast<CMainFrame*>(app_->m_pMainWnd)) {
            // Nothing may ask about unsaved changes.
            if (auto* doc = dynamic_cast<CPavinDoc*>(frame->GetActiveDocument()))
                for (const auto& record : doc->Files().Records()) record->data.MarkSaved();
            frame->DestroyWindow();
        }
        app_->ExitInstance();
        delete app_;
    }

    void SetUp() override {
        ASSERT_TRUE(started_);
        const wtest::EditorWindows windows = wtest::WindowsOf(*app_);
        frame_ = windows.frame;
        ASSERT_NE(frame_, nullptr);
        doc_ = windows.doc;
        ASSERT_NE(doc_, nullptr);
        ASSERT_NE(MacroHostOf(app_->Context()), nullptr);
        if (doc_->Files().FindByPath(ToU16(LongPath(second_))) < 0) app_->OpenDocumentFile(second_.c_str());
        firstId_ = doc_->Files().FindByPath(ToU16(LongPath(first_)));
        secondId_ = doc_->Files().FindByPath(ToU16(LongPath(second_)));
        ASSERT_GT(firstId_, 0);
        ASSERT_GT(secondId_, 0);
        Reset(secondId_, u"other");
        Reset(firstId_, u"hello world\r\nsecond line");
        doc_->ActivateFileById(firstId_, true, false);
        previousBox_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back({wtest::Utf8(r.caption), wtest::Utf8(r.text)});
            if (onBox) onBox(boxes.back());
            return IDOK;
        });
    }

    void TearDown() override {
        app_->Context().inputBox = nullptr;
        SetMessageBoxHandler(previousBox_);
    }

    void Reset(int id, const char16_t* text) {
        CDocFile& file = *static_cast<CDocFile*>(doc_->Files().FindById(id));
        file.data.GetDispData().ResetSelection();
        file.data.Clear();
        file.data.InsertText(text, 1);
        file.data.SetCaretPos(0, 0);
        file.data.ResetUndo();
        file.data.SetUndoUnlimited();
        file.data.MarkSaved();
        if (file.editor.GetSafeHwnd()) file.editor.RefreshLayout(0);
    }

    static std::wstring LongPath(const std::wstring& path) {
        wchar_t buf[MAX_PATH];
        return ::GetLongPathNameW(path.c_str(), buf, MAX_PATH) ? buf : path;
    }

    CEditCtrl& Editor() { return doc_->Current().editor; }
    CEditData& Data() { return *Editor().GetEditData(); }
    CEditData& DataOf(int id) { return static_cast<CDocFile*>(doc_->Files().FindById(id))->data; }
    std::string Text() {
        CLineEndTypeGuard keep(&Data());
        Data().SetLineEndType(LineEndType::LF);
        return wtest::Utf8(ToWide(Data().GetText()));
    }
    void Run(const std::string& source) { app_->Context().macros.RunText(wtest::FromUtf8(source)); }
    // The status bar's message pane.
    std::string StatusText() {
        HWND bar = ::FindWindowExW(frame_->m_hWnd, nullptr, L"msctls_statusbar32", nullptr);
        wchar_t text[256] = {};
        if (bar) ::SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return wtest::Utf8(text);
    }
    // What a run printed (its "scheme output" box).
    std::string Output(const std::string& source) {
        boxes.clear();
        Run(source);
        for (const Box& b : boxes)
            if (b.caption == "scheme output") return b.text;
        return boxes.empty() ? "" : b_(boxes.back());
    }
    static std::string b_(const Box& b) { return "[" + b.caption + "] " + b.text; }

    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    template <class Done>
    bool PumpUntil(Done done) {
        return wtest::WaitUntil(done);
    }

    std::vector<Box> boxes;
    std::function<void(const Box&)> onBox;
    static inline CPavinApp* app_ = nullptr;
    static inline bool started_ = false;
    static inline std::wstring dir_, first_, second_, commandLine_;
    CMainFrame* frame_ = nullptr;
    CPavinDoc* doc_ = nullptr;
    int firstId_ = 0, secondId_ = 0;
    MessageBoxHandler previousBox_;
};

TEST_F(MacroWindow, StartUpScriptsRanAndTheFileIsSeen) {
    EXPECT_EQ(Output("(display user-script-ran)"), "yes");
    // init.scm's library is there too.
    EXPECT_EQ(Output("(display (list 1 2))"), "(1 2)");
    EXPECT_EQ(Output("(display (editor-get-filename))"), wtest::Utf8(LongPath(first_)));
    EXPECT_EQ(Output("(display (app-get-tool-dir))"), wtest::Utf8(dir_));
}

TEST_F(MacroWindow, EditorProceduresOnTheView) {
    struct Case {
        const char* source;
        const char* output;  // what the run printed
        const char* text;    // the buffer after it, "\n" line ends
        EditPos caret;
    } cases[] = {
        {"(editor-set-row-col 1 3)", "", "hello world\nsecond line", {3, 1}},
        {"(display (list (editor-get-cur-row) (editor-get-cur-col)))", "(1 3)", "hello world\nsecond line", {3, 1}},
        {"(editor-set-row-col 0 99) (editor-paste-string \"!\")", "", "hello world!\nsecond line", {12, 0}},
        {"(editor-set-select-area 0 0 0 5) (display (editor-get-selected-string))", "hello",
         "hello world!\nsecond line", {5, 0}},
        {"(editor-delete-selected-string)", "", " world!\nsecond line", {0, 0}},
        {"(display (editor-replace-string \"o\" \"0\"))", "2", " w0rld!\nsec0nd line", {0, 0}},
        {"(display (editor-replace-string-ci \"W\" \"v\"))", "1", " v0rld!\nsec0nd line", {0, 0}},
        {"(editor-set-row-col 0 0) (display (editor-search-string \"l+\")) (display (editor-get-selected-area))",
         "0(0 4 0 5)", " v0rld!\nsec0nd line", {5, 0}},
        {"(editor-set-row-col 0 0) (editor-forward-char 3 #t) (display (editor-get-selected-string-chars))", "3",
         " v0rld!\nsec0nd line", {3, 0}},
        {"(editor-next-line) (display (editor-get-cur-row))", "1", " v0rld!\nsec0nd line", {3, 1}},
        {"(editor-set-row-col 0 3) (editor-backward-char 2) (display (editor-get-cur-col))", "1",
         " v0rld!\nsec0nd line", {1, 0}},
        // The output text has the line ends of the text the box shows.
        {"(display (editor-get-row-col-char 0 99))", "\r\n", " v0rld!\nsec0nd line", {1, 0}},
        {"(display (eof-object? (editor-get-row-col-char 5 99)))", "#t", " v0rld!\nsec0nd line", {1, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Output(c.source), c.output) << c.source;
        EXPECT_EQ(Text(), c.text) << c.source;
        EXPECT_EQ(Data().GetCaretPos(), c.caret) << c.source << " caret " << Data().GetCaretPos().column << ","
                                                 << Data().GetCaretPos().line;
    }
}

TEST_F(MacroWindow, DisplayColumnsFollowTheFont) {
    Run("(editor-set-row-col 0 0) (editor-paste-string \"\xE3\x81\x82\xE3\x81\x84\")");
    EXPECT_EQ(Output("(display (editor-get-caret-col 0 2))"), "4");
    EXPECT_EQ(Output("(display (editor-get-col-from-caret-col 0 4))"), "2");
}

TEST_F(MacroWindow, ARunIsOneUndoAndErrorsAreReported) {
    Run("(editor-set-row-col 0 0) (editor-paste-string \"a\") (editor-paste-string \"b\") (editor-set-row-col 1 0)"
        "(editor-paste-string \"c\")");
    EXPECT_EQ(Text(), "abhello world\ncsecond line");
    EXPECT_EQ(Data().GetUndo()->GetGroupDepth(), 0);
    Editor().Model().Undo();
    EXPECT_EQ(Text(), "hello world\nsecond line");

    boxes.clear();
    Run("(editor-paste-string \"x\") (car 1)");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "scheme error");
    EXPECT_NE(boxes[0].text.find("car"), std::string::npos);
}

TEST_F(MacroWindow, UndoGroupEndsOnTheFileTheRunBeganOnWhenItSwitchedOrClosed) {
    static CPavinDoc* doc;
    static int target;
    doc = doc_;
    target = secondId_;
    scheme_context* ctx = MacroHostOf(app_->Context())->Context();
    ASSERT_EQ(scheme_register_function(
                  ctx, u"test-activate-other",
                  [](scheme_context* c, scheme_cell**, int) {
                      doc->ActivateFileById(target, true, true);
                      return c->T;
                  },
                  0, 0, u""),
              0);
    ASSERT_EQ(scheme_register_function(
                  ctx, u"test-close-current",
                  [](scheme_context* c, scheme_cell**, int) {
                      doc->Current().data.MarkSaved();
                      doc->CloseCurrentFile(false);
                      return c->T;
                  },
                  0, 0, u""),
              0);
    Run("(editor-paste-string \"1\") (test-activate-other) (editor-paste-string \"2\")");
    EXPECT_EQ(doc_->Current().id, secondId_);
    EXPECT_EQ(DataOf(firstId_).GetUndo()->GetGroupDepth(), 0);
    EXPECT_EQ(DataOf(secondId_).GetUndo()->GetGroupDepth(), 0);
    EXPECT_EQ(Text(), "2other");

    // The run begins on the second file and closes it: the first file's
    // store is left as it was.
    Run("(editor-paste-string \"3\") (test-close-current)");
    EXPECT_EQ(doc_->Current().id, firstId_);
    EXPECT_EQ(DataOf(firstId_).GetUndo()->GetGroupDepth(), 0);
    Editor().Model().Undo();
    EXPECT_EQ(Text(), "hello world\nsecond line");
}

TEST_F(MacroWindow, CursorEventFiresOnceWithoutReentering) {
    Run("(define moved 0)"
        "(app-set-event-handler \"on-cursor-moved\" (lambda () (set! moved (+ moved 1)) (editor-forward-char)))");
    // The editor tells of caret moves while it has the focus.
    ::SetForegroundWindow(frame_->m_hWnd);
    Editor().SetFocus();
    ASSERT_EQ(::GetFocus(), Editor().m_hWnd);
    Editor().Model().MoveToLineEnd(false);
    Pump();
    EXPECT_EQ(Output("(display moved)"), "1");
    EXPECT_EQ(Data().GetCaretPos(), (EditPos{0, 1}));  // End, then the handler's one step on
    EXPECT_EQ(Output("(display (app-clear-event-handler \"on-cursor-moved\"))"), "#t");
}

TEST_F(MacroWindow, DocumentEventsReachTheirHandlers) {
    Run("(define seen '())"
        "(define (note what) (lambda () (set! seen (cons what seen))))"
        "(app-set-event-handler \"on-open-file\" (note 'open))"
        "(app-set-event-handler \"on-tab-changed\" (note 'tab))"
        "(app-set-event-handler \"on-file-saved\" (note 'saved))");
    Run("(app-set-event-handler \"on-close-file\" (lambda () (set! seen (cons (editor-get-row-string 0) seen))))");
    const std::wstring third = dir_ + L"third.txt";
    wtest::WriteBytes(third, "third text");
    ASSERT_NE(app_->OpenDocumentFile(third.c_str()), nullptr);
    ASSERT_TRUE(doc_->DoSave(third.c_str(), true));
    ASSERT_TRUE(doc_->CloseCurrentFile(false));
    // The file closing is still current while its handler runs.
    const std::string seen = Output("(display (reverse seen))");
    EXPECT_EQ(seen.rfind("(open tab saved third text", 0), 0u) << seen;
    for (const char* event : {"on-open-file", "on-tab-changed", "on-file-saved", "on-close-file"})
        Run(std::string("(app-clear-event-handler \"") + event + "\")");
}

TEST_F(MacroWindow, TimerFiresFromTheMessageLoopAndSkipsWhileItsRunIsOpen) {
    Run("(define ticks 0)"
        "(app-set-timer 7 10 (lambda ()"
        "  (set! ticks (+ ticks 1))"
        "  (editor-paste-string \"t\")"
        "  (if (= ticks 1) (app-msg-box \"first tick\") (app-clear-timer 7))))");
    Run("(gc)");
    // While the first tick's box is open the message loop runs on: the
    // timer's next ticks are skipped.
    int pumpedInBox = 0;
    onBox = [&](const Box& box) {
        if (box.text != "first tick") return;
        // Time for the 10 ms timer to come due while the box is open: the
        // ticks skipped are what is checked, so no condition ends this early.
        for (int i = 0; i < 5; ++i) {
            Pump();
            ::Sleep(15);
            ++pumpedInBox;
        }
    };
    ASSERT_TRUE(PumpUntil([&] { return Text().rfind("tt", 0) == 0; })) << Text();
    onBox = nullptr;
    EXPECT_EQ(pumpedInBox, 5);
    Pump();
    EXPECT_EQ(Output("(display ticks)"), "2");
    EXPECT_TRUE(MacroHostOf(app_->Context())->timers.empty());
}

TEST_F(MacroWindow, RunawayMacroIsCancelledByAPressOfTheCancelKeyNotByOneHeldFromBefore) {
    Run("(app-set-cancel-key \"F24\")");
    const std::string spin = "(define (spin n) (if (> n 0) (spin (- n 1)))) (spin 2000000) (display \"finished\")";
    // Held (or reported held, as Wine does after Ctrl+Break) since before
    // the run: the run goes to its end.
    ::keybd_event(VK_F24, 0, 0, 0);
    EXPECT_EQ(Output(spin), "finished");
    ::keybd_event(VK_F24, 0, KEYEVENTF_KEYUP, 0);
    // Pressed while the run goes on: once a poll of the run has seen the key
    // up, another thread presses it.
    scheme_context* ctx = MacroHostOf(app_->Context())->Context();
    ctx->cancel_key_was_down = 1;
    std::atomic<bool> done{false};
    std::thread presser([&] {
        const volatile int32_t* wasDown = &ctx->cancel_key_was_down;
        while (!done && *wasDown != 0) ::Sleep(1);  // off the window thread: no messages to run
        if (!done) ::keybd_event(VK_F24, 0, 0, 0);
    });
    boxes.clear();
    Run("(define (spin n) (if (> n 0) (spin (- n 1)))) (spin 20000000) (display \"finished\")");
    done = true;
    presser.join();
    ::keybd_event(VK_F24, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(boxes.empty()) << b_(boxes.front());
    EXPECT_EQ(StatusText(), "キャンセルしました");
    Run("(app-set-cancel-key \"CANCEL\")");  // back to the default
}

TEST_F(MacroWindow, BoundKeyRunsItsProcedure) {
    Run("(app-set-key \"F9\" (lambda () (editor-paste-string \"key\")) \"types key\")");
    CMacroCalls* calls = app_->Context().macros.Calls();
    ASSERT_NE(calls, nullptr);
    EXPECT_TRUE(calls->RunKeyProcedure(3u << 16 | VK_F9));
    EXPECT_FALSE(calls->RunKeyProcedure(3u << 16 | VK_F8));
    EXPECT_EQ(Text(), "keyhello world\nsecond line");
    EXPECT_EQ(Output("(display (car (car (app-get-all-keys))))"), "F9");
    EXPECT_EQ(Output("(display (car (cdr (cdr (car (app-get-all-keys))))))"), "types key");
}

// Answers the real input box from a thread timer of its modal loop: reads
// the offered text, types another and presses OK (or Cancel).
struct InputBoxAnswer {
    std::wstring offered;
    const wchar_t* typed;
    int button;
    bool answered;
};
InputBoxAnswer g_answer;

void CALLBACK AnswerInputBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::FindWindowW(L"#32770", L"question");
    if (!box) return;
    ::KillTimer(nullptr, id);
    HWND edit = ::FindWindowExW(box, nullptr, L"Edit", nullptr);
    wchar_t text[64] = {};
    ::GetWindowTextW(edit, text, 64);
    g_answer.offered = text;
    ::SetWindowTextW(edit, g_answer.typed);
    g_answer.answered = true;
    ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(g_answer.button), 0);
}

TEST_F(MacroWindow, RealInputBoxGivesTheTypedTextOrFalse) {
    g_answer = {L"", L"typed", IDOK, false};
    ::SetTimer(nullptr, 0, 20, AnswerInputBox);
    EXPECT_EQ(Output("(display (app-input-box \"question\" \"offer\"))"), "typed");
    EXPECT_TRUE(g_answer.answered);
    EXPECT_EQ(g_answer.offered, L"offer");
    g_answer = {L"", L"ignored", IDCANCEL, false};
    ::SetTimer(nullptr, 0, 20, AnswerInputBox);
    EXPECT_EQ(Output("(display (app-input-box \"question\"))"), "#f");
    EXPECT_TRUE(g_answer.answered);
}

TEST_F(MacroWindow, InputBoxStatusBarAndMacroFile) {
    app_->Context().inputBox = [](const std::wstring& caption, std::wstring& text) {
        if (caption == L"no") return false;
        text += L"!";
        return true;
    };
    EXPECT_EQ(Output("(display (app-input-box \"name\" \"abc\"))"), "abc!");
    EXPECT_EQ(Output("(display (app-input-box \"no\"))"), "#f");

    boxes.clear();
    Run("(app-status-bar-msg \"done\" 1)");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StatusText(), "done 1");  // stays after the run
    Run("(+ 1 2)");
    EXPECT_EQ(StatusText(), "");

    wtest::WriteBytes(dir_ + L"edit.scm", "(editor-set-row-col 0 0) (editor-paste-string \"file:\")");
    app_->Context().macros.RunFile(dir_ + L"edit.scm");
    EXPECT_EQ(Text(), "file:hello world\nsecond line");
}

}  // namespace
