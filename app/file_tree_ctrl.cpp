#include "app/file_tree_ctrl.h"

#include <objbase.h>
#include <process.h>

#include <algorithm>

#include "app/base/winutil.h"
#include "framework/wide.h"
#include "util/pathutil.h"

namespace {

// Posted by the reader thread when a large folder is read; then to itself
// while batches of items remain.
constexpr UINT WM_FOLDER_READ = WM_APP + 0x310;
constexpr UINT WM_FOLDER_BATCH = WM_APP + 0x311;

class WaitCursor {
public:
    WaitCursor() : old_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(old_); }

private:
    HCURSOR old_;
};

class RedrawOff {
public:
    explicit RedrawOff(HWND hwnd) : hwnd_(hwnd) { ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff() {
        ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }

private:
    HWND hwnd_;
};

}  // namespace

struct CFileTreeCtrl::Reading {
    HWND tree = nullptr;
    std::wstring folder, filter;
    bool withFiles = false;
    std::atomic<bool> cancel{false};
    std::mutex lock;
    bool done = false;
    FolderListing listing;
};

CFileTreeCtrl::CFileTreeCtrl() = default;

CFileTreeCtrl::~CFileTreeCtrl() {
    StopReader();
    DestroyWindow();
}

BOOL CFileTreeCtrl::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    // A pane made again (a new frame) starts over.
    StopReader();
    ready_.store(false);
    showFiles_ = false;
    return CreateEx(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, rect, parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CFileTreeCtrl::OnDestroy() {
    StopReader();
    CWnd::OnDestroy();
}

std::vector<DriveRoot> CFileTreeCtrl::GatherDrives() {
    std::vector<DriveRoot> drives;
    wchar_t buffer[512] = {};
    const DWORD n = ::GetLogicalDriveStringsW(511, buffer);
    if (n == 0 || n > 511) return drives;
    ShellIcons icons;
    for (const wchar_t* p = buffer; *p; p += wcslen(p) + 1) {
        DriveRoot root;
        root.path = p;
        if (icons.Lookup(root.path, true, &root.icon, &root.openIcon)) drives.push_back(root);
    }
    return drives;
}

bool CFileTreeCtrl::InsertDrives(const std::vector<DriveRoot>& drives) {
    HIMAGELIST images = SystemSmallImageList();
    if (!images) return false;
    TreeView_SetImageList(m_hWnd, images, TVSIL_NORMAL);
    showFiles_ = true;
    StopReader();
    TreeView_DeleteAllItems(m_hWnd);
    for (const DriveRoot& d : drives) {
        TVINSERTSTRUCTW ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        ins.item.pszText = const_cast<wchar_t*>(d.path.c_str());
        ins.item.iImage = d.icon;
        ins.item.iSelectedImage = d.openIcon;
        if (HTREEITEM item = TreeView_InsertItem(m_hWnd, &ins)) ResetToDummy(item);
    }
    return true;
}

bool CFileTreeCtrl::FillDrives() { return InsertDrives(GatherDrives()); }

HTREEITEM CFileTreeCtrl::InsertPathItem(HTREEITEM parent, const std::wstring& path) {
    const bool root = parent == TVI_ROOT || parent == nullptr;
    int icon, openIcon;
    if (!icons_.Lookup(path, true, &icon, &openIcon)) return nullptr;
    std::wstring text = path;
    if (!root) {
        std::u16string p = ToU16(path);
        RemoveTrailingBackslash(p);
        text = ToWide(p.substr(p.rfind(u'\\') + 1));
    }
    TVINSERTSTRUCTW ins{};
    ins.hParent = root ? TVI_ROOT : parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<wchar_t*>(text.c_str());
    ins.item.iImage = icon;
    ins.item.iSelectedImage = openIcon;
    return TreeView_InsertItem(m_hWnd, &ins);
}

void CFileTreeCtrl::ResetToDummy(HTREEITEM item) {
    while (HTREEITEM child = TreeView_GetChild(m_hWnd, item)) TreeView_DeleteItem(m_hWnd, child);
    TVINSERTSTRUCTW ins{};
    ins.hParent = item;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<wchar_t*>(L"");
    TreeView_InsertItem(m_hWnd, &ins);
}

std::wstring CFileTreeCtrl::GetItemText(HTREEITEM item) const {
    wchar_t text[MAX_PATH + 1] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    if (!TreeView_GetItem(m_hWnd, &tv)) return L"";
    return text;
}

std::wstring CFileTreeCtrl::GetItemPath(HTREEITEM item) const {
    std::vector<std::wstring> parts;
    for (HTREEITEM i = item; i; i = TreeView_GetParent(m_hWnd, i)) parts.push_back(GetItemText(i));
    std::u16string path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) path = AppendPathElement(path, ToU16(*it));
    return ToWide(path);
}

HTREEITEM CFileTreeCtrl::FindChild(HTREEITEM parent, const std::wstring& name) const {
    HTREEITEM child = parent ? TreeView_GetChild(m_hWnd, parent) : TreeView_GetRoot(m_hWnd);
    for (; child; child = TreeView_GetNextSibling(m_hWnd, child))
        if (SamePathElement(ToU16(GetItemText(child)), ToU16(name))) return child;
    return nullptr;
}

void CFileTreeCtrl::InsertEntries(HTREEITEM item, const std::vector<FolderEntry>& entries, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        const FolderEntry& e = entries[i];
        TVINSERTSTRUCTW ins{};
        ins.hParent = item;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        ins.item.pszText = const_cast<wchar_t*>(e.name.c_str());
        ins.item.iImage = e.icon;
        ins.item.iSelectedImage = e.openIcon;
        HTREEITEM added = TreeView_InsertItem(m_hWnd, &ins);
        if (added && e.folder) ResetToDummy(added);
    }
}

void CFileTreeCtrl::FillFolder(HTREEITEM item, const std::wstring& folder) {
    WaitCursor wait;
    if (pendingItem_ == item) StopReader();
    FolderListing listing = ReadFolder(folder, filter_, showFiles_, kLargeFolder, nullptr);
    if (!listing.complete) {
        ResetToDummy(item);  // shown while the reader works
        StartReader(item, folder);
        return;
    }
    icons_.Fill(folder, listing.entries, nullptr);
    RedrawOff off(m_hWnd);
    InsertEntries(item, listing.entries, 0, listing.entries.size());
}

void CFileTreeCtrl::StartReader(HTREEITEM item, const std::wstring& folder) {
    StopReader();
    reading_ = std::make_unique<Reading>();
    reading_->tree = m_hWnd;
    reading_->folder = folder;
    reading_->filter = filter_;
    reading_->withFiles = showFiles_;
    pendingItem_ = item;
    inserted_ = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &CFileTreeCtrl::ReaderProc, reading_.get(), 0, nullptr);
    if (!handle) {
        // No thread: read it here after all.
        pendingItem_ = nullptr;
        FolderListing listing = ReadFolder(folder, filter_, showFiles_, 0, nullptr);
        icons_.Fill(folder, listing.entries, nullptr);
        RedrawOff off(m_hWnd);
        InsertEntries(item, listing.entries, 0, listing.entries.size());
        reading_.reset();
        return;
    }
    reader_ = reinterpret_cast<HANDLE>(handle);
}

unsigned __stdcall CFileTreeCtrl::ReaderProc(void* arg) {
    auto* r = static_cast<Reading*>(arg);
    // The shell's icon lookups want COM on the thread that asks.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    FolderListing listing = ReadFolder(r->folder, r->filter, r->withFiles, 0, &r->cancel);
    ShellIcons icons;
    icons.Fill(r->folder, listing.entries, &r->cancel);
    if (SUCCEEDED(com)) ::CoUninitialize();
    {
        std::lock_guard<std::mutex> hold(r->lock);
        r->listing = std::move(listing);
        r->done = true;
    }
    if (!r->cancel.load()) ::PostMessageW(r->tree, WM_FOLDER_READ, 0, 0);
    return 0;
}

void CFileTreeCtrl::StopReader() {
    if (reader_) {
        reading_->cancel.store(true);
        ::WaitForSingleObject(reader_, INFINITE);
        ::CloseHandle(reader_);
        reader_ = nullptr;
    }
    reading_.reset();
    pendingItem_ = nullptr;
    pendingWalk_.clear();
}

void CFileTreeCtrl::OnReaderDone() {
    if (!reader_ || !reading_) return;
    {
        std::lock_guard<std::mutex> hold(reading_->lock);
        if (!reading_->done) return;
    }
    ::WaitForSingleObject(reader_, INFINITE);
    ::CloseHandle(reader_);
    reader_ = nullptr;
    // The dummy child goes once the real ones arrive.
    while (HTREEITEM child = TreeView_GetChild(m_hWnd, pendingItem_)) TreeView_DeleteItem(m_hWnd, child);
    InsertNextBatch();
}

void CFileTreeCtrl::InsertNextBatch() {
    if (!reading_ || !pendingItem_) return;
    const auto& entries = reading_->listing.entries;
    const size_t to = std::min(entries.size(), inserted_ + kInsertBatch);
    {
        RedrawOff off(m_hWnd);
        InsertEntries(pendingItem_, entries, inserted_, to);
    }
    inserted_ = to;
    if (inserted_ < entries.size()) {
        PostMessage(WM_FOLDER_BATCH);
        return;
    }
    const HTREEITEM done = pendingItem_;
    const std::vector<std::wstring> walk = pendingWalk_;
    const size_t index = pendingWalkIndex_;
    reading_.reset();
    pendingItem_ = nullptr;
    pendingWalk_.clear();
    if (!walk.empty()) WalkFrom(done, walk, index);
}

void CFileTreeCtrl::OnItemExpanded(const NMTREEVIEWW& info) {
    if (quiet_) return;
    HTREEITEM item = info.itemNew.hItem;
    if (!item) return;
    if (pendingItem_ == item) StopReader();
    if (info.action & TVE_EXPAND) {
        while (HTREEITEM child = TreeView_GetChild(m_hWnd, item)) TreeView_DeleteItem(m_hWnd, child);
        FillFolder(item, GetItemPath(item));
    } else if (info.action & TVE_COLLAPSE) {
        ResetToDummy(item);
    }
}

bool CFileTreeCtrl::SelectPath(const std::wstring& path) {
    // At least the path's folder must exist.
    if (!IsDirectory(path.c_str())) {
        std::u16string folder = ToU16(path);
        CutLastPathElement(folder);
        if (!IsDirectory(ToWide(folder).c_str())) return false;
    }
    const std::vector<std::u16string> parts = SplitDrivePath(ToU16(path));
    if (parts.empty()) return false;
    std::vector<std::wstring> elements;
    for (const auto& p : parts) elements.push_back(ToWide(p));
    StopReader();
    return WalkFrom(nullptr, elements, 0);
}

bool CFileTreeCtrl::WalkFrom(HTREEITEM level, const std::vector<std::wstring>& elements, size_t index) {
    HTREEITEM found = level;
    for (size_t i = index; i < elements.size(); ++i) {
        HTREEITEM item = FindChild(found, elements[i]);
        if (!item) {
            if (found) TreeView_SelectItem(m_hWnd, found);
            return false;
        }
        found = item;
        if (!TreeView_GetChild(m_hWnd, item)) break;  // a file: selected, not opened
        // Open folders are read again, with the filter as it is now.
        quiet_ = true;
        if (TreeView_GetItemState(m_hWnd, item, TVIS_EXPANDED) & TVIS_EXPANDED)
            TreeView_Expand(m_hWnd, item, TVE_COLLAPSE);
        while (HTREEITEM child = TreeView_GetChild(m_hWnd, item)) TreeView_DeleteItem(m_hWnd, child);
        FillFolder(item, GetItemPath(item));
        TreeView_Expand(m_hWnd, item, TVE_EXPAND);
        quiet_ = false;
        if (pendingItem_ == item) {
            pendingWalk_ = elements;
            pendingWalkIndex_ = i + 1;
            TreeView_SelectItem(m_hWnd, item);
            return true;
        }
    }
    if (found) TreeView_SelectItem(m_hWnd, found);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE);
    return found != nullptr;
}

LRESULT CFileTreeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_FOLDER_READ:
        OnReaderDone();
        return 0;
    case WM_FOLDER_BATCH:
        InsertNextBatch();
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
