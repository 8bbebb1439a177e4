// Reading a large file in the real editor: the main window shown from the
// start (at start-up too), the share read in its message pane while the
// windows repaint, the pane's text back at the end; keys wait and other
// programs' requests are refused until the text is whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "framework/bars.h"
#include "framework/wide.h"
#include "program/pavin_app.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "util/copydata.h"
#include "view/pavin_view.h"

namespace {

constexpr int kBigLines = 400000;  // about 20 MB: above the size that is shown

std::string BigText(char mark) {
    std::string text;
    text.reserve(kBigLines * 56);
    char line[64];
    for (int i = 0; i < kBigLines; ++i) {
        std::snprintf(line, sizeof line, "%c line %07d of a file that takes a while to read\r\n", mark, i);
        text += line;
    }
    return text;
}

// What the message pane was given, seen by a hook on the thread's sent
// messages, with whether its main window was visible then.
struct PaneText {
    std::wstring text;
    bool visible;
};
std::vector<PaneText>* thePane = nullptr;
std::function<void()> theDuringRead;  // run once, at the first progress text
HHOOK theHook = nullptr;

const std::wstring kProgress = L"読み込み中... ";
bool IsProgress(const std::wstring& text) { return text.rfind(kProgress, 0) == 0; }

LRESULT CALLBACK WatchPane(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && thePane && m->message == SB_SETTEXTW && LOBYTE(LOWORD(m->wParam)) == 0) {
        const std::wstring text = m->lParam ? reinterpret_cast<const wchar_t*>(m->lParam) : L"";
        thePane->push_back({text, ::IsWindowVisible(::GetAncestor(m->hwnd, GA_ROOT)) != FALSE});
        if (theDuringRead && IsProgress(text)) {
            const std::function<void()> during = std::move(theDuringRead);
            theDuringRead = nullptr;
            during();
        }
    }
    return ::CallNextHookEx(theHook, code, wParam, lParam);
}

class Watching {
public:
    explicit Watching(std::vector<PaneText>& texts) {
        thePane = &texts;
        theHook = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchPane, nullptr, ::GetCurrentThreadId());
    }
    ~Watching() {
        ::UnhookWindowsHookEx(theHook);
        thePane = nullptr;
        theDuringRead = nullptr;
    }
};

// The percentages shown, in order; -1 for a text that is none.
std::vector<int> Percentages(const std::vector<PaneText>& texts) {
    std::vector<int> out;
    for (const PaneText& t : texts)
        if (IsProgress(t.text)) out.push_back(_wtoi(t.text.c_str() + kProgress.size()));
    return out;
}

void ExpectRisingToAll(const std::vector<int>& shown) {
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown.back(), 100);
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]);
}

class LoadProgress : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startup = new std::vector<PaneText>;
        Watching watch(*startup);
        ASSERT_TRUE(editor.Start(L"wendrel_loadprogress_", [](const std::wstring& dir) {
            wtest::WriteBytes(dir + L"first.txt", BigText('a'));
            return wtest::QuotedPath(dir + L"first.txt");
        }));
    }
    static void TearDownTestSuite() { editor.End(); }

    static inline wtest::SuiteEditor editor;
    static inline std::vector<PaneText>* startup = nullptr;
};

TEST_F(LoadProgress, AtStartUpTheWindowShowsHowFarTheFirstFileIsRead) {
    const wtest::EditorWindows w = editor.Windows();
    ASSERT_NE(w.doc, nullptr);
    ASSERT_FALSE(startup->empty());
    ExpectRisingToAll(Percentages(*startup));
    for (const PaneText& t : *startup) {
        if (IsProgress(t.text)) {
            EXPECT_TRUE(t.visible) << "the window is hidden while it tells";
        }
    }
    // Back to what the pane said before, the idle text.
    const std::wstring idle = w.frame->GetIdleMessage().str();
    EXPECT_EQ(startup->back().text, idle);
    EXPECT_EQ(w.frame->GetStatusBar()->GetPaneText(0).str(), idle);
    EXPECT_EQ(w.doc->Current().data.GetLineCount(), kBigLines + 1);
    EXPECT_FALSE(w.doc->Current().IsModified());
}

TEST_F(LoadProgress, InARunningEditorKeysWaitAndRequestsAreRefusedUntilTheTextIsWhole) {
    const wtest::EditorWindows w = editor.Windows();
    ASSERT_NE(w.editor, nullptr);
    const std::wstring second = editor.dir + L"second.txt", small = editor.dir + L"small.txt";
    wtest::WriteBytes(second, BigText('b'));
    wtest::WriteBytes(small, "small\r\n");
    CPavinDoc* doc = w.doc;
    CEditData& first = doc->Current().data;
    const HWND firstEditor = w.editor->GetSafeHwnd();
    w.frame->SetMessageText(L"before the read");
    // A key typed just before the open.
    ::PostMessageW(firstEditor, WM_CHAR, L'x', 0);

    struct {
        bool keyWaiting = false;
        std::u16string firstLine;
        LRESULT openReply = -1, activateReply = -1;
        bool smallOpen = true;
    } during;
    theDuringRead = [&] {
        MSG m;
        during.keyWaiting = ::PeekMessageW(&m, firstEditor, WM_CHAR, WM_CHAR, PM_NOREMOVE) != FALSE;
        during.firstLine = first.GetLineText(0);
        // Requests of other programs, as they arrive while the windows paint.
        auto send = [&](DWORD code, const std::wstring& path) {
            CopyDataPath record;
            EXPECT_TRUE(MakePathRecord(ToU16(path), record));
            COPYDATASTRUCT cds{code, sizeof record, &record};
            return ::SendMessageW(w.view->GetSafeHwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        };
        during.openReply = send(CD_OPEN_FILE, small);
        during.activateReply = send(CD_ACTIVATE_FILE, editor.dir + L"first.txt");
        during.smallOpen = doc->Files().FindByPath(ToU16(small)) >= 0;
    };
    std::vector<PaneText> texts;
    {
        Watching watch(texts);
        ASSERT_NE(editor.app->OpenDocumentFile(second.c_str()), nullptr);
    }
    ExpectRisingToAll(Percentages(texts));
    EXPECT_EQ(texts.back().text, L"before the read");
    EXPECT_TRUE(during.keyWaiting);
    EXPECT_EQ(during.firstLine, u"a line 0000000 of a file that takes a while to read");
    EXPECT_EQ(during.openReply, 0);
    EXPECT_EQ(during.activateReply, 0);
    EXPECT_FALSE(during.smallOpen);
    EXPECT_EQ(doc->GetCurrentPath().substr(doc->GetCurrentPath().size() - 10), L"second.txt");
    EXPECT_EQ(doc->Current().data.GetLineCount(), kBigLines + 1);
    // The key is taken after the read, by the window it was typed into.
    EXPECT_TRUE(wtest::WaitUntil([&] { return first.GetLineText(0)[0] == u'x'; }));

    // A small file is read without a word.
    texts.clear();
    {
        Watching watch(texts);
        ASSERT_NE(editor.app->OpenDocumentFile(small.c_str()), nullptr);
    }
    EXPECT_TRUE(Percentages(texts).empty());
}

}  // namespace
