#include "app/file_list_bar.h"

#include <objbase.h>
#include <process.h>

#include "app/base/winutil.h"
#include "framework/app.h"

namespace {

// Posted by the worker when the drive roots are gathered.
constexpr UINT WM_FILELIST_ROOTS = WM_APP + 0x312;

}  // namespace

CFileListBar::CFileListBar() {
    edgeWidth_ = 5;
    sizes_.minimum = {80, 60};
}

CFileListBar::~CFileListBar() {
    JoinWorker();
    DestroyWindow();
}

BOOL CFileListBar::Create(const wchar_t* title, CWnd* parent, CSize size, BOOL hasGripper, UINT id, DWORD style) {
    if (!CSizingControlBar::Create(title, parent, size, hasGripper, id, style)) return FALSE;
    ReadDragFullWindows();
    return TRUE;
}

int CFileListBar::OnCreate(CREATESTRUCTW* cs) {
    if (CSizingControlBar::OnCreate(cs) == -1) return -1;
    const CRect client = GetClientRect();
    if (!tree_.Create(WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, client, m_hWnd,
                      IDC_FILE_LIST_TREE))
        return -1;
    return 0;
}

void CFileListBar::OnDestroy() {
    // The worker never outlives the pane: it only posts, so waiting here
    // can't dead-lock, and nothing reaches a window that is gone.
    JoinWorker();
    CSizingControlBar::OnDestroy();
}

void CFileListBar::SetFileListFilter(const std::wstring& filter) {
    filter_ = filter;
    tree_.SetFilter(filter);
    if (!tree_.IsReady() || !tree_.m_hWnd) return;
    if (HTREEITEM selected = TreeView_GetSelection(tree_.m_hWnd)) tree_.SelectPath(tree_.GetItemPath(selected));
}

int CFileListBar::StartFileListThread(const std::wstring& filter) {
    SetFileListFilter(filter);
    if (tree_.IsReady() || worker_) return 0;
    cancel_.store(false);
    {
        std::lock_guard<std::mutex> hold(rootsLock_);
        rootsGathered_ = false;
        roots_.clear();
    }
    const uintptr_t handle = _beginthreadex(nullptr, 0, &CFileListBar::FileListThreadProc, this, 0, nullptr);
    if (!handle) return 1;
    worker_ = reinterpret_cast<HANDLE>(handle);
    return 0;
}

unsigned __stdcall CFileListBar::FileListThreadProc(void* arg) {
    auto* bar = static_cast<CFileListBar*>(arg);
    // The shell's icon lookups want COM on the thread that asks.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<DriveRoot> roots = CFileTreeCtrl::GatherDrives();
    if (SUCCEEDED(com)) ::CoUninitialize();
    {
        std::lock_guard<std::mutex> hold(bar->rootsLock_);
        bar->roots_ = std::move(roots);
        bar->rootsGathered_ = true;
    }
    if (!bar->cancel_.load()) ::PostMessageW(bar->m_hWnd, WM_FILELIST_ROOTS, 0, 0);
    return 0;
}

void CFileListBar::JoinWorker() {
    if (!worker_) return;
    cancel_.store(true);
    ::WaitForSingleObject(worker_, INFINITE);
    ::CloseHandle(worker_);
    worker_ = nullptr;
}

void CFileListBar::OnRootsGathered() {
    if (!worker_) return;
    ::WaitForSingleObject(worker_, INFINITE);  // it ends right after posting
    ::CloseHandle(worker_);
    worker_ = nullptr;
    std::vector<DriveRoot> roots;
    {
        std::lock_guard<std::mutex> hold(rootsLock_);
        if (!rootsGathered_) return;
        roots.swap(roots_);
    }
    if (tree_.IsReady() || !tree_.InsertDrives(roots)) return;
    tree_.ShowWindow(SW_SHOW);
    tree_.SetReady();
    Invalidate();
}

void CFileListBar::OnDoubleClick() {
    HTREEITEM selected = TreeView_GetSelection(tree_.m_hWnd);
    if (!selected) return;
    const std::wstring path = tree_.GetItemPath(selected);
    if (path.empty() || !IsFileExist(path.c_str())) return;
    if (CWinApp* app = AfxGetApp()) app->OpenDocumentFile(path.c_str());
}

LRESULT CFileListBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_FILELIST_ROOTS:
        OnRootsGathered();
        return 0;
    case WM_SIZE:
        if (tree_.m_hWnd) tree_.MoveWindow(0, 0, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_PAINT:
        if (!tree_.IsReady()) {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(m_hWnd, &ps);
            ::SetBkMode(dc, TRANSPARENT);
            HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
            ::TextOutW(dc, 2, 2, L"initializing ...", 16);
            ::SelectObject(dc, old);
            ::EndPaint(m_hWnd, &ps);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr->idFrom == IDC_FILE_LIST_TREE) {
            if (hdr->code == TVN_ITEMEXPANDEDW) tree_.OnItemExpanded(*reinterpret_cast<const NMTREEVIEWW*>(lParam));
            if (hdr->code == NM_DBLCLK) OnDoubleClick();
        }
        break;
    }
    }
    return CSizingControlBar::WindowProc(msg, wParam, lParam);
}
