// A stand-in editor for the hand-off tests: a top-level window (of the
// older editor's class, or with the current editor's view as its child) on
// a thread of its own that answers the records and keeps every one it got.
#pragma once

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/wide.h"
#include "util/copydata.h"

namespace gtest_sulki {

class FakeEditor {
public:
    struct Received {
        ULONG_PTR code;
        std::string bytes;
    };
    enum Kind { Current, Older };

    FakeEditor(Kind kind, std::vector<std::wstring> open, bool acceptOpen = true)
        : kind_(kind), open_(std::move(open)), acceptOpen_(acceptOpen) {
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] { Run(); });
        ::WaitForSingleObject(ready_, 5000);
    }
    ~FakeEditor() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        ::CloseHandle(ready_);
    }
    std::vector<Received> Got() {
        std::lock_guard<std::mutex> lock(m_);
        return got_;
    }
    std::vector<ULONG_PTR> Codes() {
        std::vector<ULONG_PTR> codes;
        for (const Received& r : Got()) codes.push_back(r.code);
        return codes;
    }
    HWND Frame() const { return frame_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg != WM_COPYDATA) return ::DefWindowProcW(hwnd, msg, wp, lp);
        auto* self = reinterpret_cast<FakeEditor*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        std::lock_guard<std::mutex> lock(self->m_);
        self->got_.push_back({cds->dwData, std::string(static_cast<const char*>(cds->lpData), cds->cbData)});
        std::u16string path;
        if (cds->dwData == CD_QUERY_FILE_OPEN && ReadPathRecord(cds->lpData, cds->cbData, path))
            return std::find(self->open_.begin(), self->open_.end(), ToWide(path)) != self->open_.end();
        if (cds->dwData == CD_OPEN_FILE && ReadPathRecord(cds->lpData, cds->cbData, path) && self->acceptOpen_) {
            self->open_.push_back(ToWide(path));
            return 1;
        }
        return cds->dwData == CD_OPEN_AND_SEARCH;
    }
    void Run() {
        threadId_ = ::GetCurrentThreadId();
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PAVIN_CLASS_NAME";
        ::RegisterClassW(&wc);
        wc.lpszClassName = L"SulkiTestEditor";
        ::RegisterClassW(&wc);
        // Topmost, so it comes before other programs' windows in window order.
        frame_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kind_ == Older ? L"PAVIN_CLASS_NAME" : L"SulkiTestEditor",
                                   L"fake editor", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (kind_ == Current) {
            view_ = ::CreateWindowExW(0, L"SulkiTestEditor", AsWide(kEditorViewWindowName), WS_CHILD, 0, 0, 10, 10,
                                      frame_, nullptr, wc.hInstance, nullptr);
            ::SetWindowLongPtrW(view_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
        ::SetEvent(ready_);
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        ::DestroyWindow(frame_);
    }

    Kind kind_;
    std::vector<std::wstring> open_;
    bool acceptOpen_;
    HANDLE ready_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND frame_ = nullptr, view_ = nullptr;
    std::mutex m_;
    std::vector<Received> got_;
};

}  // namespace gtest_sulki
