// The file-list tree: drives, folders, and the files matching a filter. Drive
// roots come from the pane's worker; a folder is read when it is expanded,
// on this thread when small, else on a reader thread that sorts it and looks
// up its icons while the window goes on, the items then going in in batches.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/folder_listing.h"
#include "framework/wnd.h"

// A drive root as the pane's worker found it.
struct DriveRoot {
    std::wstring path;  // "C:\"
    int icon = -1;
    int openIcon = -1;
};

class CFileTreeCtrl : public CWnd {
public:
    CFileTreeCtrl();
    ~CFileTreeCtrl() override;

    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    // Folders with more entries than this are read off the window's thread.
    static constexpr size_t kLargeFolder = 1000;
    // Items put in per message while a large folder goes in.
    static constexpr size_t kInsertBatch = 500;

    // The drive roots gathered on a worker (icons included) and the same put
    // into the tree on the window's thread.
    static std::vector<DriveRoot> GatherDrives();
    bool InsertDrives(const std::vector<DriveRoot>& drives);
    // Both at once, on this thread.
    bool FillDrives();

    HTREEITEM InsertPathItem(HTREEITEM parent, const std::wstring& path);
    // Reads folder into item's children (which go first).
    void FillFolder(HTREEITEM item, const std::wstring& folder);
    std::wstring GetItemPath(HTREEITEM item) const;
    // Expands the tree down to path (re-reading open folders on the way)
    // and selects it; false when an element is missing. When a large folder
    // on the way is still being read, the walk goes on once it is in.
    bool SelectPath(const std::wstring& path);
    // TVN_ITEMEXPANDED reflected by the pane.
    void OnItemExpanded(const NMTREEVIEWW& info);

    void SetFilter(const std::wstring& filter) { filter_ = filter; }
    const std::wstring& GetFilter() const { return filter_; }
    // Set once the drive roots are in.
    bool IsReady() const { return ready_.load(); }
    void SetReady() { ready_.store(true); }
    // A large folder is still being read or put in.
    bool IsFilling() const { return pendingItem_ != nullptr; }

    HTREEITEM FindChild(HTREEITEM parent, const std::wstring& name) const;
    std::wstring GetItemText(HTREEITEM item) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    struct Reading;
    void ResetToDummy(HTREEITEM item);
    void InsertEntries(HTREEITEM item, const std::vector<FolderEntry>& entries, size_t from, size_t to);
    void StartReader(HTREEITEM item, const std::wstring& folder);
    void StopReader();
    void OnReaderDone();
    void InsertNextBatch();
    bool WalkFrom(HTREEITEM level, const std::vector<std::wstring>& elements, size_t index);
    static unsigned __stdcall ReaderProc(void* arg);

    std::wstring filter_ = L"*.*";
    bool showFiles_ = false;
    std::atomic<bool> ready_{false};
    bool quiet_ = false;  // expansions made here need no re-reading
    ShellIcons icons_;

    // The large folder being read: one reader thread at a time.
    HANDLE reader_ = nullptr;
    std::unique_ptr<Reading> reading_;
    HTREEITEM pendingItem_ = nullptr;
    size_t inserted_ = 0;
    // What a walk still has to go down once the pending folder is in.
    std::vector<std::wstring> pendingWalk_;
    size_t pendingWalkIndex_ = 0;
};
