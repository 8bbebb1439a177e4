// The progress and cancel dialog with real worker threads: status and
// progress fed by messages, Cancel pausing the worker while the user is
// asked, the end posted while the question is open, and an owner that
// never waits forever when the dialog goes first.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "framework/seams.h"
#include "grep/ui/common_cancel_dlg.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/wait_until.h"

namespace {

// A worker body run on a thread created suspended, as the owner does.
struct Worker {
    std::function<void(CCancelDlgLink&)> body;
    CCancelDlgLink* link = nullptr;
    HANDLE thread = nullptr;

    explicit Worker(std::function<void(CCancelDlgLink&)> b, CCancelDlgLink& l) : body(std::move(b)), link(&l) {
        thread = ::CreateThread(nullptr, 0, Run, this, CREATE_SUSPENDED, nullptr);
    }
    ~Worker() { ::CloseHandle(thread); }
    static DWORD WINAPI Run(void* p) {
        auto* w = static_cast<Worker*>(p);
        w->body(*w->link);
        return 0;
    }
};

std::wstring TextOf(HWND hwnd) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(hwnd, buf, 256);
    return buf;
}

// Waits (bounded) until the state is the wanted one.
bool WaitForState(CCancelDlgLink& link, int wanted) {
    return wtest::WaitUntil([&] { return link.QueryState() == wanted; });
}

class CancelDlg : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            boxes.push_back(r);
            return onBox ? onBox(r) : IDNO;
        });
    }
    void TearDown() override { SetMessageBoxHandler(nullptr); }

    std::vector<MessageBoxRequest> boxes;
    std::function<int(const MessageBoxRequest&)> onBox;
};

// The grep program's flags: two status lines, no bar; the worker's lines
// show, and its result comes back once it has ended.
TEST_F(CancelDlg, WorkerReportsAndEnds) {
    CCancelDlgLink link;
    std::wstring line1, line2;
    bool hasBar = true;
    RECT r1{}, r2{};
    Worker w(
        [&](CCancelDlgLink& l) {
            l.SetStatus(1, L"フォルダ: C:\\a");
            l.SetStatus(2, L"ファイル: C:\\a\\b.txt");
            const HWND dlg = l.dialog.load();
            line1 = TextOf(::GetDlgItem(dlg, 110));
            line2 = TextOf(::GetDlgItem(dlg, 111));
            hasBar = ::GetDlgItem(dlg, 120) != nullptr;
            ::GetWindowRect(::GetDlgItem(dlg, 110), &r1);
            ::GetWindowRect(::GetDlgItem(dlg, 111), &r2);
            l.Finished(7);
        },
        link);
    CCommonCancelDlg dlg(5, w.thread, &link);
    EXPECT_EQ(RunWorkerWithCancelDlg(dlg, w.thread, link, wtest::SharedHost()), 7);
    EXPECT_EQ(::WaitForSingleObject(w.thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(line1, L"フォルダ: C:\\a");
    EXPECT_EQ(line2, L"ファイル: C:\\a\\b.txt");
    EXPECT_FALSE(hasBar);
    EXPECT_EQ(r2.top - r1.top, 30);  // the second line right under the first
    EXPECT_TRUE(boxes.empty());
}

// With a bar: range, step, position and the custom progress message.
TEST_F(CancelDlg, ProgressBarFollowsItsMessages) {
    CCancelDlgLink link;
    std::vector<LRESULT> positions;
    std::wstring line1;
    Worker w(
        [&](CCancelDlgLink& l) {
            const HWND dlg = l.dialog.load();
            const HWND bar = ::GetDlgItem(dlg, 120);
            ::SendMessageW(dlg, WM_CANCELDLG_SETRANGE, 10, 200);
            ::SendMessageW(dlg, WM_CANCELDLG_STEPIT, 0, 0);
            positions.push_back(::SendMessageW(bar, PBM_GETPOS, 0, 0));
            ::SendMessageW(dlg, WM_CANCELDLG_SETPOS, 150, 0);
            positions.push_back(::SendMessageW(bar, PBM_GETPOS, 0, 0));
            ::SendMessageW(dlg, WM_CANCELDLG_SETPROGRESSMSG, WM_APP + 0x600, 0);
            ::SendMessageW(dlg, WM_APP + 0x600, 0, 42);
            positions.push_back(::SendMessageW(bar, PBM_GETPOS, 0, 0));
            line1 = TextOf(::GetDlgItem(dlg, 110));
            l.Finished(0);
        },
        link);
    CCommonCancelDlg dlg(3, w.thread, &link);
    EXPECT_EQ(RunWorkerWithCancelDlg(dlg, w.thread, link, wtest::SharedHost()), 0);
    EXPECT_EQ(positions, (std::vector<LRESULT>{10, 150, 42}));
    EXPECT_EQ(line1, L"データ取得中");
}

// Cancel pauses the worker while the user is asked; No lets it go on from
// there, Yes cancels it, and the dialog stays until the worker says so.
TEST_F(CancelDlg, CancelAskedThenResumedThenCancelled) {
    CCancelDlgLink link;
    std::vector<LRESULT> statesDuringBox;
    std::atomic<int> answers{0};
    onBox = [&](const MessageBoxRequest& r) {
        statesDuringBox.push_back(::SendMessageW(r.owner, WM_CANCELDLG_QUERYSTATE, 0, 0));
        return ++answers == 1 ? IDNO : IDYES;
    };
    bool resumed = false, cancelled = false;
    Worker w(
        [&](CCancelDlgLink& l) {
            ::PostMessageW(l.dialog.load(), WM_COMMAND, IDCANCEL, 0);  // the Cancel button
            wtest::WaitUntil([&] { return answers.load() >= 1; });
            resumed = l.QueryState() == CCommonCancelDlg::kRunning;  // after No
            ::PostMessageW(l.dialog.load(), WM_CLOSE, 0, 0);  // the close box asks the same
            cancelled = WaitForState(l, CCommonCancelDlg::kCancelled);
            l.Finished(1);
        },
        link);
    CCommonCancelDlg dlg(5, w.thread, &link);
    EXPECT_EQ(RunWorkerWithCancelDlg(dlg, w.thread, link, wtest::SharedHost()), 1);
    EXPECT_TRUE(resumed);
    EXPECT_TRUE(cancelled);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"キャンセルしますか");
    EXPECT_EQ(boxes[0].caption, L"確認");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(statesDuringBox, (std::vector<LRESULT>{CCommonCancelDlg::kPaused, CCommonCancelDlg::kPaused}));
}

// Without the cancel flag, Esc and Cancel do nothing.
TEST_F(CancelDlg, NoCancelWithoutTheFlag) {
    CCancelDlgLink link;
    int state = -1;
    Worker w(
        [&](CCancelDlgLink& l) {
            ::SendMessageW(l.dialog.load(), WM_COMMAND, IDCANCEL, 0);
            state = l.QueryState();
            l.Finished(0);
        },
        link);
    CCommonCancelDlg dlg(4, w.thread, &link);
    EXPECT_EQ(RunWorkerWithCancelDlg(dlg, w.thread, link, wtest::SharedHost()), 0);
    EXPECT_EQ(state, CCommonCancelDlg::kRunning);
    EXPECT_TRUE(boxes.empty());
}

// The worker ends while the question is open: the dialog closes once the
// user has answered, with the worker's result.
TEST_F(CancelDlg, WorkerEndsWhileTheQuestionIsOpen) {
    CCancelDlgLink link;
    HANDLE boxOpen = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE* workerThread = nullptr;
    onBox = [&](const MessageBoxRequest&) {
        ::SetEvent(boxOpen);
        // The box's own loop: the worker's end arrives meanwhile.
        for (int i = 0; i < 200 && ::WaitForSingleObject(*workerThread, 0) != WAIT_OBJECT_0; ++i) wtest::Pump(10);
        wtest::Pump(50);
        return IDNO;
    };
    Worker w(
        [&](CCancelDlgLink& l) {
            ::PostMessageW(l.dialog.load(), WM_COMMAND, IDCANCEL, 0);
            ::WaitForSingleObject(boxOpen, 5000);
            l.Finished(5);
        },
        link);
    workerThread = &w.thread;
    CCommonCancelDlg dlg(5, w.thread, &link);
    EXPECT_EQ(RunWorkerWithCancelDlg(dlg, w.thread, link, wtest::SharedHost()), 5);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(dlg.GetState(), CCommonCancelDlg::kRunning);
    ::CloseHandle(boxOpen);
}

// A dialog that ends before it resumed the worker (a control it could not
// make) still has the worker run and end: it reads "cancelled", and while
// the owner waits it may still send to the owner's windows.
class FailingCancelDlg : public CCommonCancelDlg {
public:
    using CCommonCancelDlg::CCommonCancelDlg;

protected:
    BOOL OnInitDialog() override {
        EndDialog(2);
        return TRUE;
    }
};

TEST_F(CancelDlg, DialogThatFailsStillEndsTheWorker) {
    CCancelDlgLink link;
    std::atomic<int> seen{-1};
    wtest::HostWindow& host = wtest::SharedHost();
    host.recordFrom = WM_USER + 77;
    host.records.clear();
    Worker w(
        [&](CCancelDlgLink& l) {
            seen = l.QueryState();
            ::SendMessageW(host, WM_USER + 77, 0, 0);  // answered by the waiting owner
            l.Finished(0);
        },
        link);
    FailingCancelDlg dlg(5, w.thread, &link);
    EXPECT_EQ(RunWorkerWithCancelDlg(dlg, w.thread, link, host), CCommonCancelDlg::kCancelled);
    EXPECT_EQ(::WaitForSingleObject(w.thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(seen.load(), CCommonCancelDlg::kCancelled);
    EXPECT_EQ(host.records.size(), 1u);
    host.recordFrom = WM_RBUTTONDOWN;
}

}  // namespace
