// The hand-off between editor processes, against stand-in editors: each is
// a hidden top-level window with a view child, on a thread of its own, that
// answers the records through the real receiving side.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/base/cmdline_paths.h"
#include "app/copydata_receiver.h"
#include "app/base/instance_handoff.h"
#include "app/startup_files.h"
#include "app/base/winutil.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

class FakeEditor : public CCopyDataTarget {
public:
    struct Options {
        std::vector<std::wstring> open;
        bool acceptOpen = true;
        // A slow editor: its replies and its window come late by these fixed
        // times, which are what the hand-off must bear, not waits of the test.
        DWORD replyDelayMs = 0;
        DWORD appearAfterMs = 0;
    };
    explicit FakeEditor(Options o) : o_(std::move(o)) {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] { Run(); });
        if (o_.appearAfterMs == 0) WaitForSingleObject(ready_, 5000);
    }
    ~FakeEditor() override {
        WaitForSingleObject(ready_, 5000);
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        CloseHandle(ready_);
    }
    HWND View() const { return view_; }
    std::vector<std::wstring> Calls() {
        std::lock_guard<std::mutex> lock(m_);
        return calls_;
    }

    bool IsFileOpen(const std::wstring& p) override {
        Record(L"query|" + p);
        if (o_.replyDelayMs) Sleep(o_.replyDelayMs);
        return std::find(o_.open.begin(), o_.open.end(), p) != o_.open.end();
    }
    bool OpenFile(const std::wstring& p) override {
        Record(L"open|" + p);
        if (o_.acceptOpen) o_.open.push_back(p);
        return o_.acceptOpen;
    }
    bool ActivateFile(const std::wstring& p) override {
        Record(L"activate|" + p);
        return true;
    }
    bool OpenAtLine(const std::wstring& p, int line, const std::wstring& mode) override {
        Record(L"line|" + p + L"|" + std::to_wstring(line) + L"|" + mode);
        return true;
    }
    bool OpenAndSearch(const CopyDataOpenAndSearch& r) override {
        Record(L"search|" + std::wstring(AsWide(r.path)) + L"|" + AsWide(r.pattern));
        return true;
    }

private:
    static LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_COPYDATA) {
            auto* self = reinterpret_cast<FakeEditor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            bool handled = false;
            const LRESULT reply = DispatchCopyData(reinterpret_cast<COPYDATASTRUCT*>(lp), *self, handled);
            if (handled) return reply;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    static void Register() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TestEditorFrame";
        RegisterClassW(&wc);
        wc.lpfnWndProc = ViewProc;
        wc.lpszClassName = L"TestEditorView";
        RegisterClassW(&wc);
    }
    void Run() {
        threadId_ = GetCurrentThreadId();
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, for WM_QUIT
        Sleep(o_.appearAfterMs);
        Register();
        // Topmost, so it comes before other programs' windows in window order.
        frame_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"TestEditorFrame", L"fake editor", WS_POPUP, 0,
                                 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        view_ = CreateWindowExW(0, L"TestEditorView", AsWide(kEditorViewWindowName), WS_CHILD, 0, 0, 10, 10, frame_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(view_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetEvent(ready_);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(frame_);
    }
    void Record(const std::wstring& call) {
        std::lock_guard<std::mutex> lock(m_);
        calls_.push_back(call);
    }

    Options o_;
    HANDLE ready_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND frame_ = nullptr, view_ = nullptr;
    std::mutex m_;
    std::vector<std::wstring> calls_;
};

using Calls = std::vector<std::wstring>;

class Handoff : public ::testing::Test {
protected:
    void SetUp() override {
        GetHandoffTimeouts() = HandoffTimeouts{500, 500, 1500};
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back(r.caption + L"|" + r.text);
            return IDOK;
        });
        SetProcessStartHandler([this](const ProcessStartRequest& r) {
            started.push_back(r);
            return true;
        });
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        GetLongPathNameW(tmp, tmp, MAX_PATH);
        root = std::wstring(tmp) + L"handoff " + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(root.c_str(), nullptr);
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetProcessStartHandler(nullptr);
        GetHandoffTimeouts() = HandoffTimeouts{};
        SetCurrentDirectoryW(L"C:\\");
        for (const auto& f : made) DeleteFileW(f.c_str());
        RemoveDirectoryW((root + L"\\sub").c_str());
        RemoveDirectoryW(root.c_str());
    }
    std::wstring File(const std::wstring& name) {
        const std::wstring p = root + L"\\" + name;
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        made.push_back(p);
        return p;
    }
    std::vector<std::wstring> boxes;
    std::vector<ProcessStartRequest> started;
    std::vector<std::wstring> made;
    std::wstring root;
};

TEST_F(Handoff, FindsTheEditorThatHasTheFile) {
    const std::wstring a = root + L"\\a.txt", b = root + L"\\表 b.txt";
    FakeEditor ea({{a}}), eb({{b}});
    EXPECT_EQ(FindEditorWindowWithFile(a), ea.View());
    EXPECT_EQ(FindEditorWindowWithFile(b), eb.View());
    EXPECT_EQ(FindEditorWindowWithFile(root + L"\\none.txt"), nullptr);
    EXPECT_EQ(FindEditorView(GetParent(ea.View())), ea.View());

    // Too long for a record: refused before any editor is asked.
    const Calls before = ea.Calls();
    EXPECT_EQ(FindEditorWindowWithFile(L"C:\\" + std::wstring(300, L'x')), nullptr);
    EXPECT_EQ(ea.Calls(), before);
}

TEST_F(Handoff, AnEditorThatDoesNotAnswerInTimeCountsAsNo) {
    const std::wstring a = root + L"\\slow.txt";
    GetHandoffTimeouts().queryMs = 100;
    FakeEditor slow({{a}, true, 600});
    EXPECT_EQ(FindEditorWindowWithFile(a), nullptr);
}

TEST_F(Handoff, OfferGoesToTheFirstEditorElseANewEditorStarts) {
    const std::wstring a = root + L"\\a b.txt";
    {
        FakeEditor accepting({});
        FakeEditor refusing({{}, false});  // made later: first in window order
        OpenFileInRunningEditor(a);
        EXPECT_EQ(refusing.Calls(), Calls{L"open|" + a});
        EXPECT_TRUE(accepting.Calls().empty());
    }
    ASSERT_EQ(started.size(), 1u);
    const std::wstring program = GetModuleDir() + L"wendrel.exe";
    EXPECT_EQ(started[0].kind, ProcessStartRequest::Process);
    EXPECT_EQ(started[0].application, program);
    EXPECT_EQ(started[0].parameters, L"\"" + program + L"\" \"" + a + L"\"");
    EXPECT_TRUE(started[0].waitForIdle);

    FakeEditor accepting({});
    OpenFileInRunningEditor(a);
    EXPECT_EQ(accepting.Calls(), Calls{L"open|" + a});
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(Handoff, FileOptionsGoToTheEditorThatHasTheFile) {
    const std::wstring a = root + L"\\a.txt";
    FakeEditor e({{a}});
    CCmdLineEntry entry{ToU16(a), {{u"r", u"11"}, {u"m", u"cpp"}}};
    SendFileOptions(entry);
    SendFileOptions(CCmdLineEntry{ToU16(a), {}});
    SendOpenAtLine(a, 3, L"0123456789");  // a mode name too long is left out
    EXPECT_EQ(e.Calls(), (Calls{L"query|" + a, L"line|" + a + L"|11|cpp", L"query|" + a, L"line|" + a + L"|-1|",
                                L"query|" + a, L"line|" + a + L"|3|"}));
}

TEST_F(Handoff, RecordsOfTheWrongSizeAreRefused) {
    FakeEditor e({{L"C:\\a.txt"}});
    CopyDataOpenAtLine big;
    MakeOpenAtLineRecord(u"C:\\a.txt", 5, u"m", big);
    struct Case {
        DWORD code, size;
        LRESULT reply;
    } cases[] = {
        {CD_QUERY_FILE_OPEN, 520, 1}, {CD_QUERY_FILE_OPEN, 519, 0}, {CD_QUERY_FILE_OPEN, 544, 0},
        {CD_QUERY_FILE_OPEN, 0, 0},   {CD_ACTIVATE_FILE, 10, 0},    {CD_OPEN_FILE, 521, 0},
        {CD_OPEN_AT_LINE, 520, 0},    {CD_OPEN_AT_LINE, 544, 1},    {CD_OPEN_AND_SEARCH, 544, 0},
        {4711, 520, 0},
    };
    for (const auto& c : cases) {
        COPYDATASTRUCT cds{c.code, c.size, c.size ? &big : nullptr};
        EXPECT_EQ(SendMessageW(e.View(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), c.reply)
            << c.code << " " << c.size;
    }
    EXPECT_EQ(e.Calls(), (Calls{L"query|C:\\a.txt", L"line|C:\\a.txt|5|m"}));
}

TEST_F(Handoff, SingleInstanceHandsFilesToTheRunningEditor) {
    HANDLE mutex = reinterpret_cast<HANDLE>(1);
    EXPECT_TRUE(CheckSingleInstance(false, L"x", mutex));
    EXPECT_EQ(mutex, nullptr);
    // The first editor keeps the mutex.
    HANDLE held = nullptr;
    ASSERT_TRUE(CheckSingleInstance(true, L"", held));
    ASSERT_NE(held, nullptr);

    const std::wstring a = File(L"a.txt"), b = File(L"b.txt");
    {
        FakeEditor e({{a}});
        EXPECT_FALSE(CheckSingleInstance(true, L"\"" + a + L"\" /r5", mutex));
        EXPECT_EQ(mutex, nullptr);
        EXPECT_EQ(e.Calls(), (Calls{L"query|" + a, L"query|" + a, L"line|" + a + L"|4|"}));
        // No file: the running editor is brought forward.
        EXPECT_FALSE(CheckSingleInstance(true, L"", mutex));
    }
    {
        // The running editor's view appears only after a while: wait for it
        // rather than start another editor.
        FakeEditor late({{}, true, 0, 300});
        EXPECT_FALSE(CheckSingleInstance(true, L"\"" + b + L"\"", mutex));
        const Calls calls = late.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[0], L"open|" + b);
    }
    {
        // An editor that takes nothing: the file opens here.
        FakeEditor refusing({{}, false});
        EXPECT_TRUE(CheckSingleInstance(true, L"\"" + b + L"\"", mutex));
        EXPECT_EQ(refusing.Calls(), (Calls{L"query|" + b, L"open|" + b}));
    }
    EXPECT_FALSE(CheckSingleInstance(true, L"x /ry", mutex));
    EXPECT_EQ(boxes, Calls{L"Error|起動オプションエラー：/rのあとは数字の指定が必要です"});
    EXPECT_TRUE(started.empty());
    CloseHandle(held);
}

class RecordingHost : public CStartupFileHost {
public:
    bool OpenDocumentFile(const std::wstring& path) override {
        calls.push_back(L"open|" + path);
        return openSucceeds;
    }
    bool NewDocumentWithPath(const std::wstring& path) override {
        calls.push_back(L"new|" + path);
        return true;
    }
    Calls calls;
    bool openSucceeds = true;
};

std::wstring CurrentDir() {
    wchar_t dir[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, dir);
    return dir;
}

TEST_F(Handoff, CommandLineFilesOpenHereUnlessAnotherEditorHasThem) {
    const std::wstring a = File(L"a.txt"), b = File(L"b.txt");
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    FakeEditor other({{b}});
    RecordingHost host;
    SetCurrentDirectoryW(root.c_str());
    EXPECT_EQ(ProcessCommandLine(L"a.txt \"" + b + L"\" new.txt /r3 /d sub", host, L"C:\\"), StartupFiles::Opened);
    EXPECT_EQ(host.calls, (Calls{L"open|" + a, L"new|" + root + L"\\new.txt"}));
    EXPECT_EQ(CurrentDir(), root + L"\\sub");
    // b stays where it is; the options of a file opened here go to this
    // process's own view (none here).
    EXPECT_EQ(other.Calls(), (Calls{L"query|" + a, L"query|" + a, L"query|" + b, L"query|" + root + L"\\new.txt",
                                    L"query|" + root + L"\\new.txt"}));

    // All files elsewhere: the last is activated there and start-up stops.
    host.calls.clear();
    EXPECT_EQ(ProcessCommandLine(L"\"" + b + L"\"", host, L"C:\\"), StartupFiles::Stop);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(other.Calls().back(), L"activate|" + b);
    // A line asked for goes there with it.
    EXPECT_EQ(ProcessCommandLine(L"\"" + b + L"\" /r2", host, L"C:\\"), StartupFiles::Stop);
    const Calls last = other.Calls();
    ASSERT_GE(last.size(), 2u);
    EXPECT_EQ(last[last.size() - 2], L"line|" + b + L"|1|");
    EXPECT_EQ(last.back(), L"activate|" + b);

    // No file: a new untitled file, in the initial folder.
    EXPECT_EQ(ProcessCommandLine(L"", host, root), StartupFiles::NewFile);
    EXPECT_EQ(CurrentDir(), root);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Handoff, CommandLineRefusals) {
    RecordingHost host;
    struct Case {
        std::wstring line, box;
    } cases[] = {
        {L"\"" + root + L"\\missing dir\\x.txt\"", L"Error|無効なパスが指定されました"},
        {L"\"" + root + L"\\" + std::wstring(240, L'n') + L"\"", L"Error|ファイル名が長すぎます"},
        {L"a /r1x", L"Error|起動オプションエラー：/rのあとは数字の指定が必要です"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        EXPECT_EQ(ProcessCommandLine(c.line, host, L""), StartupFiles::Stop);
        EXPECT_EQ(boxes, Calls{c.box});
    }
    EXPECT_TRUE(host.calls.empty());
    host.openSucceeds = false;
    EXPECT_EQ(ProcessCommandLine(L"\"" + File(L"x.txt") + L"\"", host, L""), StartupFiles::Stop);
}

TEST_F(Handoff, ShortcutsAndShortNamesResolveToTheFile) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::wstring target = File(L"Long Target Name.txt");
    const std::wstring link = root + L"\\to target.LNK";
    {
        IShellLinkW* sl = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                               reinterpret_cast<void**>(&sl))));
        sl->SetPath(target.c_str());
        IPersistFile* pf = nullptr;
        ASSERT_TRUE(SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))));
        ASSERT_TRUE(SUCCEEDED(pf->Save(link.c_str(), TRUE)));
        pf->Release();
        sl->Release();
        made.push_back(link);
    }
    const std::wstring broken = File(L"broken.lnk");  // not a shortcut inside
    wchar_t shorter[MAX_PATH] = {};
    GetShortPathNameW(target.c_str(), shorter, MAX_PATH);

    CCommandLineFiles files;
    std::wstring error;
    ASSERT_TRUE(ParseEditorCommandLine(L"\"" + link + L"\" \"" + broken + L"\" \"" + shorter + L"\"", files, error));
    ASSERT_EQ(files.Entries().size(), 3u);
    EXPECT_EQ(ToWide(files.Entries()[0].path), target);
    EXPECT_EQ(ToWide(files.Entries()[1].path), broken);
    EXPECT_EQ(ToWide(files.Entries()[2].path), target);
    CoUninitialize();
}

TEST(CommandLineArgumentsOf, DropsTheProgramName) {
    struct Case {
        const wchar_t *line, *args;
    } cases[] = {
        {L"\"C:\\Program Files\\w\\wendrel.exe\" a.txt /r2", L"a.txt /r2"},
        {L"wendrel.exe   \"a b.txt\"", L"\"a b.txt\""},
        {L"wendrel.exe", L""},
        {L"\"C:\\unclosed", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandLineArguments(c.line), c.args);
    EXPECT_EQ(CommandLineArguments(nullptr), L"");
}

}  // namespace
