// The editor's endpoint for other programs, its tag jump and its line jump,
// through the real application, frame, document and view: records are sent
// by WM_COPYDATA from another process (this program started again as a
// sender), malformed ones are refused without reading past their data, the
// tag jump is tried on a table of caret lines, the line-jump dialog is
// answered as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/base/instance_handoff.h"
#include "app/main_frame.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "program/pavin_app.h"
#include "app/resource.h"
#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/editor_program.h"
#include "tests/support/test_files.h"
#include "util/copydata.h"
#include "view/jump_resource.h"
#include "view/pavin_view.h"
#include "view/view_jump.h"

namespace {

// The sender: "--copydata-sender <view hwnd> <batch file>" sends each record
// of the batch ([code][cbData][has data] as 32-bit words, then cbData bytes
// when it has data) from a buffer of exactly cbData bytes, and exits with
// the number of records sent.
int RunAsSenderWhenAsked() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 4 || wcscmp(argv[1], L"--copydata-sender") != 0) return 0;
    const HWND view = reinterpret_cast<HWND>(static_cast<INT_PTR>(_wcstoui64(argv[2], nullptr, 16)));
    HANDLE f = ::CreateFileW(argv[3], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<char> batch(::GetFileSize(f, nullptr));
    DWORD n = 0;
    ::ReadFile(f, batch.data(), DWORD(batch.size()), &n, nullptr);
    ::CloseHandle(f);
    UINT sent = 0;
    for (std::size_t at = 0; at + 12 <= batch.size();) {
        std::uint32_t head[3];
        std::memcpy(head, batch.data() + at, sizeof head);
        at += sizeof head;
        std::vector<char> data(head[2] ? head[1] : 0);
        if (head[2]) {
            std::memcpy(data.data(), batch.data() + at, head[1]);
            at += head[1];
        }
        COPYDATASTRUCT cds{head[0], head[1], head[2] ? data.data() : nullptr};
        DWORD_PTR reply = 0;
        if (::SendMessageTimeoutW(view, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 20000, &reply))
            ++sent;
    }
    ::ExitProcess(sent);
}
const int senderRan = RunAsSenderWhenAsked();

// A program folder with the shipped data folder, and one editor for the
// whole program (an application object is made once).
struct Editor {
    std::wstring dir;
    CPavinApp app;
    CPavinView* view = nullptr;
    CPavinDoc* doc = nullptr;
};
Editor* theEditor = nullptr;

Editor& GetEditor() {
    if (theEditor) return *theEditor;
    theEditor = new Editor;
    theEditor->dir = wtest::MakeProgramFolder(L"wendrel_endpoint_");
    EXPECT_TRUE(wtest::StartEditor(theEditor->app, theEditor->dir, L"")) << theEditor->app.startupLog.back();
    theEditor->view = wtest::WindowsOf(theEditor->app).view;
    theEditor->doc = theEditor->view ? theEditor->view->GetDocument() : nullptr;
    return *theEditor;
}

class Endpoint : public ::testing::Test {
protected:
    void SetUp() override {
        Editor& e = GetEditor();
        ASSERT_NE(e.doc, nullptr);
        view = e.view;
        doc = e.doc;
        dir = e.dir;
    }
    std::wstring File(const std::wstring& name, const std::string& bytes) {
        const std::wstring p = dir + name;
        wtest::WriteBytes(p, bytes);
        return p;
    }
    void Open(const std::wstring& path) { ASSERT_NE(GetEditor().app.OpenDocumentFile(path.c_str()), nullptr); }
    int CaretLine() { return doc->Current().data.GetCaretPos().line; }

    CPavinView* view = nullptr;
    CPavinDoc* doc = nullptr;
    std::wstring dir;
};

// What the view did with one record.
struct Seen {
    LRESULT reply;
    std::wstring current;
    int caretLine;
    int caretRow;  // the row the window shows the caret on
    bool highlight;
    int files;
};
std::vector<Seen>* theSeen = nullptr;
WNDPROC theViewProc = nullptr;
CPavinDoc* theDoc = nullptr;

LRESULT CALLBACK WatchingViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT reply = ::CallWindowProcW(theViewProc, hwnd, msg, wp, lp);
    if (msg == WM_COPYDATA && theSeen) {
        CDocFile& f = theDoc->Current();
        theSeen->push_back({reply, theDoc->GetCurrentPath(), f.data.GetCaretPos().line, f.editor.GetCaretRow(),
                            f.editor.IsSearchHighlightOn(), theDoc->Files().Count()});
    }
    return reply;
}

struct Record {
    DWORD code;
    std::vector<char> bytes;
    DWORD cbData;  // the size sent; the bytes are that many
    bool nullData = false;
};

template <class T>
Record Make(DWORD code, const T& rec) {
    Record r{code, std::vector<char>(sizeof rec), sizeof rec};
    std::memcpy(r.bytes.data(), &rec, sizeof rec);
    return r;
}

Record Sized(Record r, std::size_t size) {
    r.bytes.resize(size, 'x');
    r.cbData = static_cast<DWORD>(size);
    return r;
}

CopyDataPath PathRecord(const std::wstring& path) {
    CopyDataPath r;
    EXPECT_TRUE(MakePathRecord(ToU16(path), r));
    return r;
}

CopyDataOpenAtLine AtLine(const std::wstring& path, int line, const char16_t* mode = u"") {
    CopyDataOpenAtLine r;
    EXPECT_TRUE(MakeOpenAtLineRecord(ToU16(path), line, mode, r));
    return r;
}

CopyDataOpenAndSearch Search(const std::wstring& path, const char16_t* pattern, int line) {
    CopyDataOpenAndSearch r;
    EXPECT_TRUE(MakeOpenAndSearchRecord(ToU16(path), pattern, false, false, false, line, r));
    return r;
}

// How the sending process went: the records it got a reply for, and
// whether the application's message loop (when it pumped) asked to end.
struct SendRun {
    DWORD sent = 0;
    bool loopEnded = false;
};

// Sends the records from a second process, the view watched meanwhile;
// this thread answers them while it waits, through the application's own
// message loop when app is given.
std::vector<Seen> SendFromAnotherProcess(HWND view, CPavinDoc* doc, const std::vector<Record>& records,
                                         const std::wstring& dir, CWinApp* app = nullptr, SendRun* run = nullptr) {
    std::string batch;
    for (const Record& r : records) {
        const std::uint32_t head[3] = {r.code, r.cbData, r.nullData ? 0u : 1u};
        batch.append(reinterpret_cast<const char*>(head), sizeof head);
        if (!r.nullData) batch.append(r.bytes.data(), r.cbData);
    }
    const std::wstring batchFile = dir + L"batch.bin";
    wtest::WriteBytes(batchFile, batch);
    std::vector<Seen> seen;
    theSeen = &seen;
    theDoc = doc;
    theViewProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchingViewProc)));

    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t hwndText[32];
    swprintf(hwndText, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<INT_PTR>(view)));
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --copydata-sender " + hwndText + L" \"" +
                               batchFile + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    DWORD sent = 0;
    bool loopEnded = false;
    // The loop's GetMessageW handles sent messages inside: a thread timer's
    // posted ticks bring it back out.
    const UINT_PTR tick = app ? ::SetTimer(nullptr, 0, 50, nullptr) : 0;
    if (::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const DWORD start = ::GetTickCount();
        for (;;) {
            const DWORD r = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 1000, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0) break;
            if (app) {
                if (!app->PumpMessage()) loopEnded = true;
            } else {
                MSG msg;
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            if (::GetTickCount() - start > 60000) {
                ::TerminateProcess(pi.hProcess, 1000);
                break;
            }
        }
        ::GetExitCodeProcess(pi.hProcess, &sent);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    if (tick) ::KillTimer(nullptr, tick);
    ::SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(theViewProc));
    theSeen = nullptr;
    if (run) {
        run->sent = sent;
        run->loopEnded = loopEnded;
    } else {
        EXPECT_EQ(sent, records.size());
    }
    return seen;
}

TEST_F(Endpoint, AnswersEveryRecordFromAnotherProcessAndRefusesMalformedOnes) {
    const std::wstring a = File(L"a.txt", "zero\none\ntwo\nthree\nfour needle\nfive\n");
    const std::wstring b = File(L"b.txt", "b0\nb1 needle\nb2\nb3\n");
    const std::wstring c = File(L"c.txt", "c\n");
    const std::wstring absent = dir + L"absent.txt";
    Open(a);
    Open(b);
    std::wstring upperA = a;
    ::CharUpperW(upperA.data());
    CopyDataPath unterminated;
    for (auto& u : unterminated.path) u = u'x';
    std::vector<char> longPath(600, 0);  // 300 units with their terminator beyond the field
    for (std::size_t i = 0; i + 2 < longPath.size(); i += 2) longPath[i] = 'y';
    CopyDataOpenAtLine badMode = AtLine(a, 1);
    for (auto& u : badMode.mode) u = u'm';
    CopyDataOpenAndSearch badPattern = Search(b, u"x", 1);
    for (auto& u : badPattern.pattern) u = u'p';
    const int files = doc->Files().Count();

    struct Case {
        const char* what;
        Record record;
        LRESULT reply;
        const std::wstring* current;  // the current file after it
        int caretLine;                // -1: not checked
        int files;
    } cases[] = {
        {"query: open", Make(CD_QUERY_FILE_OPEN, PathRecord(a)), 1, &b, -1, files},
        {"query: case differs", Make(CD_QUERY_FILE_OPEN, PathRecord(upperA)), 0, &b, -1, files},
        {"query: not open", Make(CD_QUERY_FILE_OPEN, PathRecord(c)), 0, &b, -1, files},
        {"query: short", Sized(Make(CD_QUERY_FILE_OPEN, PathRecord(a)), 519), 0, &b, -1, files},
        {"query: long", Sized(Make(CD_QUERY_FILE_OPEN, PathRecord(a)), 521), 0, &b, -1, files},
        {"query: no data", Record{CD_QUERY_FILE_OPEN, {}, 520, true}, 0, &b, -1, files},
        {"query: unterminated", Make(CD_QUERY_FILE_OPEN, unterminated), 0, &b, -1, files},
        {"query: path beyond the field", Record{CD_QUERY_FILE_OPEN, longPath, 600}, 0, &b, -1, files},
        {"activate", Make(CD_ACTIVATE_FILE, PathRecord(a)), 1, &a, -1, files},
        {"activate: not open", Make(CD_ACTIVATE_FILE, PathRecord(c)), 0, &a, -1, files},
        {"activate: unterminated", Make(CD_ACTIVATE_FILE, unterminated), 0, &a, -1, files},
        {"at line", Make(CD_OPEN_AT_LINE, AtLine(b, 2)), 1, &b, 2, files},
        {"at line: past the end", Make(CD_OPEN_AT_LINE, AtLine(b, 99)), 1, &b, 2, files},
        {"at line: negative", Make(CD_OPEN_AT_LINE, AtLine(b, -7)), 1, &b, 2, files},
        {"at line: largest", Make(CD_OPEN_AT_LINE, AtLine(b, INT_MAX)), 1, &b, 2, files},
        {"at line: other file", Make(CD_OPEN_AT_LINE, AtLine(a, 3)), 1, &a, 3, files},
        {"at line: not open", Make(CD_OPEN_AT_LINE, AtLine(c, 0)), 0, &a, 3, files},
        {"at line: unterminated mode", Make(CD_OPEN_AT_LINE, badMode), 0, &a, 3, files},
        {"at line: path record size", Sized(Make(CD_OPEN_AT_LINE, AtLine(b, 1)), 520), 0, &a, 3, files},
        {"search", Make(CD_OPEN_AND_SEARCH, Search(b, u"needle", 1)), 1, &b, 1, files},
        {"search: past the end", Make(CD_OPEN_AND_SEARCH, Search(a, u"needle", 500)), 1, &a, 3, files},
        {"search: negative", Make(CD_OPEN_AND_SEARCH, Search(a, u"needle", -3)), 1, &a, 3, files},
        {"search: line", Make(CD_OPEN_AND_SEARCH, Search(a, u"needle", 4)), 1, &a, 4, files},
        {"search: not open", Make(CD_OPEN_AND_SEARCH, Search(c, u"needle", 0)), 0, &a, 4, files},
        {"search: unterminated pattern", Make(CD_OPEN_AND_SEARCH, badPattern), 0, &a, 4, files},
        {"search: older editor's size", Sized(Make(CD_OPEN_AND_SEARCH, Search(b, u"n", 0)), 2064), 0, &a, 4,
         files},
        {"open", Make(CD_OPEN_FILE, PathRecord(c)), 1, &c, 0, files + 1},
        {"open: open already", Make(CD_OPEN_FILE, PathRecord(a)), 1, &a, 4, files + 1},
        {"open: wrong size", Sized(Make(CD_OPEN_FILE, PathRecord(absent)), 100), 0, &a, 4, files + 1},
        {"unknown code", Make(4711, PathRecord(b)), 0, &a, 4, files + 1},
    };
    std::vector<Record> records;
    for (const Case& k : cases) records.push_back(k.record);
    const std::vector<Seen> seen = SendFromAnotherProcess(view->m_hWnd, doc, records, dir);
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const Case& k = cases[i];
        EXPECT_EQ(seen[i].reply, k.reply) << k.what;
        EXPECT_EQ(seen[i].current, *k.current) << k.what;
        if (k.caretLine >= 0) {
            EXPECT_EQ(seen[i].caretLine, k.caretLine) << k.what;
            // Short lines, one row each: the window shows the caret there too.
            EXPECT_EQ(seen[i].caretRow, k.caretLine) << k.what;
        }
        EXPECT_EQ(seen[i].files, k.files) << k.what;
    }
    // The search marks its pattern's hits (an open-at-line does not).
    EXPECT_TRUE(seen[19].highlight);
    EXPECT_FALSE(seen[11].highlight);
}

TEST_F(Endpoint, ARecordTooLargeToDeliverNeitherEndsTheProgramNorChangesAnything) {
    const std::wstring a = File(L"large.txt", "keep\n");
    Open(a);
    doc->Current().data.InsertText(u"unsaved ", 0);
    const int files = doc->Files().Count();
    // Wine cannot copy a record of megabytes into the editor (its loop's
    // GetMessageW fails); a smaller one that arrives is refused unread.
    const std::vector<Record> records = {Sized(Make(CD_OPEN_FILE, PathRecord(a)), 3 << 20),
                                         Sized(Make(CD_OPEN_FILE, PathRecord(a)), 64 << 10)};
    SendRun run;
    const std::vector<Seen> seen = SendFromAnotherProcess(view->m_hWnd, doc, records, dir, &GetEditor().app, &run);
    EXPECT_FALSE(run.loopEnded);
    for (const Seen& k : seen) EXPECT_EQ(k.reply, 0);
    EXPECT_EQ(doc->Files().Count(), files);
    EXPECT_EQ(doc->GetCurrentPath(), a);
    EXPECT_TRUE(doc->Current().data.IsModified());
    // The endpoint still answers.
    CopyDataPath query = PathRecord(a);
    COPYDATASTRUCT cds{CD_QUERY_FILE_OPEN, sizeof query, &query};
    EXPECT_EQ(::SendMessageW(view->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 1);
}

// Another program asking to open what is no file (a folder, a device) gets
// its reply first; the editor tells its user why afterwards, so the sender
// never waits on a box nobody in its process can see.
TEST_F(Endpoint, AnOpenOfWhatIsNoFileIsAnsweredFirstAndToldAfter) {
    const int files = doc->Files().Count();
    const std::wstring folder = dir + L"a folder";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    struct Told {
        std::size_t repliesBefore;
        std::wstring text;
    };
    static std::vector<Told> told;
    told.clear();
    SetMessageBoxHandler([](const MessageBoxRequest& r) {
        told.push_back({theSeen ? theSeen->size() : SIZE_MAX, r.text});
        return IDOK;
    });
    const std::vector<Seen> seen = SendFromAnotherProcess(
        view->m_hWnd, doc, {Make(CD_OPEN_FILE, PathRecord(folder)), Make(CD_OPEN_FILE, PathRecord(L"NUL"))}, dir);
    wtest::Pump();
    SetMessageBoxHandler(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(doc->Files().Count(), files);
    ASSERT_EQ(told.size(), 2u);
    for (std::size_t i = 0; i < told.size(); ++i) {
        // Shown only once the record it tells of had its reply.
        EXPECT_GT(told[i].repliesBefore, i) << i;
        EXPECT_NE(told[i].text.find(i == 0 ? folder : L"NUL"), std::wstring::npos) << i;
    }
}

// While the close question about one file is open, another program asks to
// show or open other files; the answer then acts on the file asked about.
TEST_F(Endpoint, TheCloseQuestionActsOnTheFileItAskedAboutWhateverArrivesMeanwhile) {
    const std::wstring a = File(L"asked-other.txt", "other\n");
    const std::wstring b = File(L"asked.txt", "asked\n");
    const std::wstring c = File(L"asked-new.txt", "new\n");
    Open(a);
    Open(b);
    doc->Current().data.InsertText(u"typed ", 0);
    const int files = doc->Files().Count();
    struct Answer {
        int button;
        const char* what;
    } answers[] = {{IDCANCEL, "cancel"}, {IDNO, "discard"}};
    for (const Answer& answer : answers) {
        std::vector<Seen> meanwhile;
        std::wstring asked;
        const MessageBoxHandler old = SetMessageBoxHandler([&](const MessageBoxRequest& box) {
            if (box.text.find(L"変更を保存しますか") == std::wstring::npos) return IDOK;
            asked = box.text;
            meanwhile = SendFromAnotherProcess(view->m_hWnd, doc,
                                               {Make(CD_ACTIVATE_FILE, PathRecord(a)),
                                                Make(CD_OPEN_AT_LINE, AtLine(a, 0)),
                                                Make(CD_OPEN_AND_SEARCH, Search(a, u"other", 0)),
                                                Make(CD_OPEN_FILE, PathRecord(c))},
                                               dir);
            return answer.button;
        });
        const bool closed = doc->CloseCurrentFile(true);
        SetMessageBoxHandler(old);
        EXPECT_NE(asked.find(b), std::wstring::npos) << answer.what;
        ASSERT_EQ(meanwhile.size(), 4u) << answer.what;
        for (const Seen& k : meanwhile) {
            EXPECT_EQ(k.reply, 0) << answer.what;
            EXPECT_EQ(k.current, b) << answer.what;
        }
        EXPECT_LT(doc->Files().FindByPath(ToU16(c)), 0) << answer.what;
        if (answer.button == IDCANCEL) {
            EXPECT_FALSE(closed);
            EXPECT_EQ(doc->GetCurrentPath(), b);
            EXPECT_EQ(doc->Files().Count(), files);
        }
    }
    // Discarded was the file asked about; the other one is there, untouched.
    EXPECT_LT(doc->Files().FindByPath(ToU16(b)), 0);
    EXPECT_GE(doc->Files().FindByPath(ToU16(a)), 0);
    EXPECT_EQ(doc->Files().Count(), files - 1);
}

TEST_F(Endpoint, AModeNameSelectsThatEditModeAndAnUnknownOneTheFirst) {
    const std::wstring t = File(L"mode.txt", "x\n");
    Open(t);
    const int cpp = GetEditor().app.EditModes().FindEditMode(u"C++");
    ASSERT_GT(cpp, 0);
    const std::vector<Record> records = {Make(CD_OPEN_AT_LINE, AtLine(t, 0, u"C++"))};
    SendFromAnotherProcess(view->m_hWnd, doc, records, dir);
    EXPECT_EQ(GetEditor().app.Context().settings.editMode, cpp);
    EXPECT_EQ(doc->Current().editMode, cpp);
    SendFromAnotherProcess(view->m_hWnd, doc, {Make(CD_OPEN_AT_LINE, AtLine(t, 0, u"NoSuch"))}, dir);
    EXPECT_EQ(GetEditor().app.Context().settings.editMode, 0);
}

TEST_F(Endpoint, FindNextGoesOnWithTheSearchARecordBrought) {
    const std::wstring t = File(L"next.txt", "x\nNeedle 1\nx\nneedle 2\nNEEDLE 3\n");
    Open(t);
    CSearchCondition& condition = view->SearchCondition();
    condition.pattern = u"other";
    condition.replacement = u"kept";
    condition.direction = -1;
    condition.matchCase = 1;
    CopyDataOpenAndSearch record = Search(t, u"needle", 0);
    COPYDATASTRUCT cds{CD_OPEN_AND_SEARCH, sizeof record, &record};
    ASSERT_EQ(::SendMessageW(view->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 1);
    EXPECT_EQ(condition.pattern, u"needle");
    EXPECT_EQ(condition.matchCase, 0);
    EXPECT_EQ(condition.replacement, u"kept");
    EXPECT_EQ(condition.direction, -1);

    // Case-insensitive, from the record: every line with the word is a hit.
    for (int expected : {1, 3, 4}) {
        view->OnCmdMsg(ID_SEARCH_NEXT, nullptr);
        EXPECT_EQ(CaretLine(), expected);
    }
}

// A block of size bytes that ends where an unreadable page begins: reading
// one byte past it faults.
class GuardedBlock {
public:
    explicit GuardedBlock(std::size_t size) {
        SYSTEM_INFO si;
        ::GetSystemInfo(&si);
        page_ = si.dwPageSize;
        base_ = static_cast<char*>(::VirtualAlloc(nullptr, 2 * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        data_ = base_ + page_ - size;
        std::memset(data_, 'z', size);  // no terminator anywhere
    }
    ~GuardedBlock() { ::VirtualFree(base_, 0, MEM_RELEASE); }
    void* data() const { return data_; }

private:
    std::size_t page_ = 0;
    char* base_ = nullptr;
    char* data_ = nullptr;
};

TEST_F(Endpoint, MalformedRecordsAreRefusedWithoutReadingPastTheirData) {
    struct Case {
        DWORD code;
        DWORD size;
    } cases[] = {
        {CD_QUERY_FILE_OPEN, 520}, {CD_QUERY_FILE_OPEN, 2},    {CD_QUERY_FILE_OPEN, 519}, {CD_OPEN_FILE, 520},
        {CD_OPEN_FILE, 7},         {CD_ACTIVATE_FILE, 520},    {CD_ACTIVATE_FILE, 1},     {CD_OPEN_AT_LINE, 544},
        {CD_OPEN_AT_LINE, 520},    {CD_OPEN_AT_LINE, 543},     {CD_OPEN_AND_SEARCH, 2584}, {CD_OPEN_AND_SEARCH, 2064},
        {CD_OPEN_AND_SEARCH, 520}, {CD_OPEN_AND_SEARCH, 2583},
    };
    for (const Case& c : cases) {
        GuardedBlock block(c.size);
        COPYDATASTRUCT cds{c.code, c.size, block.data()};
        EXPECT_EQ(::SendMessageW(view->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 0)
            << c.code << " " << c.size;
    }
}

// Selects the line and runs the tag jump as the command does.
void JumpFrom(CPavinView* view, CPavinDoc* doc, const std::wstring& list, int line) {
    ASSERT_TRUE(doc->ActivateFileByPath(list));
    doc->Current().data.SetCaretPos(line, 0);
    view->OnCmdMsg(ID_EDIT_TAG_JUMP, nullptr);
}

TEST_F(Endpoint, TagJumpOpensTheFileAndLineTheCaretLineNames) {
    const std::string lines10 = "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n";
    const std::wstring main = File(L"main.c", lines10);
    const std::wstring notes = File(L"my notes.txt", lines10);
    const std::wstring japanese = File(L"日本語.txt", lines10);
    ::CreateDirectoryW((dir + L"dir (old)").c_str(), nullptr);
    const std::wstring old = File(L"dir (old)\\a.c", lines10);
    ::CreateDirectoryW((dir + L"x(1)").c_str(), nullptr);
    const std::wstring grepped = File(L"x(1)\\b.txt", lines10);
    const std::wstring other = File(L"other.txt", lines10);
    ::DeleteFileW((dir + L"missing.c").c_str());
    for (const auto& p : {main, notes, japanese, old, grepped}) Open(p);
    // The caret lines; relative names are taken against the list's folder.
    const std::string listText = wtest::Utf8(main) + "(3): error C2065\n"     // 0
                                 "main.c:4:2: warning\n"                   // 1
                                 "my notes.txt(2): x\n"                    // 2
                                 "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt:5\n"  // 3
                                 "dir (old)\\a.c(2)\n"                     // 4
                                 "missing.c(3): no such file\n"            // 5
                                 "main.c(4294967298): wraps to 2 unless clamped\n"  // 6
                                 + wtest::Utf8(grepped) + "(7):  grep hit\n"  // 7
                                 "main.c:0\n"                              // 8
                                 "other.txt(6)\n"                          // 9
                                 "main.c\n";                               // 10
    const std::wstring list = File(L"list.txt", "\xef\xbb\xbf" + listText);
    Open(list);
    struct Case {
        int caretLine;
        const std::wstring* file;  // null: no jump
        int line;
    } cases[] = {
        {0, &main, 2}, {1, &main, 3},  {2, &notes, 1},  {3, &japanese, 4}, {4, &old, 1},  {5, nullptr, 0},
        {6, &main, 0}, {7, &grepped, 6}, {8, nullptr, 0}, {9, &other, 5},  {10, &main, 0},
    };
    for (const Case& c : cases) {
        // Each target starts at its first line.
        for (const std::wstring* p : {&main, &notes, &japanese, &old, &grepped})
            if (doc->ActivateFileByPath(*p)) doc->Current().data.SetCaretPos(0, 0);
        // A word of the caret line is selected, as a double-click leaves it.
        ASSERT_TRUE(doc->ActivateFileByPath(list));
        CEditCtrl& listEditor = doc->Current().editor;
        listEditor.Model().SelectRange({0, c.caretLine}, {2, c.caretLine}, false);
        JumpFrom(view, doc, list, c.caretLine);
        const std::wstring expected = c.file ? *c.file : list;
        EXPECT_EQ(doc->GetCurrentPath(), expected) << c.caretLine;
        if (c.file) {
            EXPECT_EQ(CaretLine(), c.line) << c.caretLine;
            EXPECT_FALSE(listEditor.Model().HasSelection()) << c.caretLine;
        }
    }
}

// Answers the next modal dialog of this thread from its message loop.
std::function<void(HWND)> theAnswer;
BOOL CALLBACK FindLineJumpDialog(HWND hwnd, LPARAM found) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(hwnd, caption, 64);
    if (wcscmp(caption, L"指定行へ移動") != 0 || !::IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}
void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindLineJumpDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    ::KillTimer(nullptr, timer);
    theAnswer(dialog);
}

TEST_F(Endpoint, LineJumpDialogEnablesOkForALineAboveZeroAndMovesTheCaretThere) {
    const std::wstring t = File(L"jump.txt", "l1\n  l2\nl3\nl4\nl5\n");
    Open(t);
    struct Case {
        std::vector<const wchar_t*> typed;  // each typed in turn; the OK state after each
        std::vector<bool> okEnabled;
        bool pressOk;
        int caretLine;
    } cases[] = {
        {{L"3"}, {true}, true, 2},
        {{L"0", L"abc", L"-2", L"2"}, {false, false, false, true}, true, 1},
        {{L"999"}, {true}, true, 5},  // clamped to the last line (the empty one after the last line end)
        {{L"1"}, {true}, true, 0},
        {{L"4"}, {true}, false, 0},   // cancelled: the caret stays
    };
    for (const Case& c : cases) {
        doc->Current().data.SetCaretPos(doc->Current().data.GetCaretPos().line, 1);
        std::vector<bool> states;
        bool okAtStart = true;
        theAnswer = [&](HWND dialog) {
            okAtStart = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
            for (const wchar_t* text : c.typed) {
                ::SetDlgItemTextW(dialog, IDC_LINE_JUMP_NUMBER, text);
                states.push_back(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE);
            }
            ::SendMessageW(dialog, WM_COMMAND, c.pressOk ? IDOK : IDCANCEL, 0);
        };
        ::SetTimer(nullptr, 0, 20, AnswerDialog);
        view->OnCmdMsg(ID_SEARCH_JUMP_LINE, nullptr);
        EXPECT_FALSE(okAtStart);  // it starts at 0
        EXPECT_EQ(states, c.okEnabled);
        EXPECT_EQ(CaretLine(), c.caretLine);
        EXPECT_EQ(doc->Current().data.GetCaretPos().column, c.pressOk ? 0 : 1);
    }
}

}  // namespace
