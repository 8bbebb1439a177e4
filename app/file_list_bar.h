// The file-list pane: a sizing bar at the frame's left holding the file
// tree. Its drive roots are gathered by a worker when the pane is first
// shown (one worker at a time; the pane waits for it before it goes); a
// double click on a file opens it in the editor.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "app/file_tree_ctrl.h"
#include "framework/sizing_bar.h"

// The pane's bar id and its tree's control id.
constexpr UINT ID_FILE_LIST_BAR = 59426;
constexpr UINT IDC_FILE_LIST_TREE = 401;

class CFileListBar : public CSizingControlBar {
public:
    CFileListBar();
    ~CFileListBar() override;

    BOOL Create(const wchar_t* title, CWnd* parent, CSize size, BOOL hasGripper, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE) override;

    // The filter (";"-separated masks); once the tree is ready, the selected
    // item's path is selected again, re-reading the folders on the way.
    void SetFileListFilter(const std::wstring& filter);
    const std::wstring& GetFileListFilter() const { return filter_; }
    // The filter, then the worker that fills the drive roots (unless the
    // tree is ready or a worker runs already). Non-zero when no thread.
    int StartFileListThread(const std::wstring& filter);
    bool IsWorkerRunning() const { return worker_ != nullptr; }
    // Waits for a running worker (the pane going, or a test).
    void JoinWorker();

    CFileTreeCtrl& Tree() { return tree_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;

private:
    static unsigned __stdcall FileListThreadProc(void* arg);
    void OnRootsGathered();
    void OnDoubleClick();

    CFileTreeCtrl tree_;
    std::wstring filter_ = L"*.*";
    HANDLE worker_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::mutex rootsLock_;
    std::vector<DriveRoot> roots_;
    bool rootsGathered_ = false;
};
