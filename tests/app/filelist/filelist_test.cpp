// The file-list pane in the main frame: docked at the left, resized by a
// drag of its edge, floated and docked again, closed by its button, its
// sizes kept in the local profile file; its tree filled from a test folder
// shown as drive T: (folders first, then the filter's files), expanded,
// re-read when the filter changes, a large folder read off the window's
// thread; a double-click opens the file; one worker at a time.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/file_list_bar.h"
#include "app/main_frame.h"
#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "framework/wide.h"
#include "../../framework/window_test_support.h"
#include "tests/support/recording_app.h"
#include "tests/support/wait_until.h"

namespace {

wtest::RecordingApp theTestApp;

std::wstring OutputPath(const wchar_t* name) {
    std::wstring dir;
    for (const char* p = TEST_OUTPUT_DIR; *p; ++p) dir += static_cast<wchar_t>(*p == '/' ? '\\' : *p);
    return dir + L"\\" + name;
}

// The test drive T: shows this folder (the test set-up links it).
std::wstring DriveFolder() { return OutputPath(L"filelist-drive"); }

void WriteFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot write a test file";
    ::CloseHandle(h);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
    return wtest::WaitUntil(done, timeoutMs);
}

CMainFrame* MakeFrame(CAppContext& context, DWORD style = WS_OVERLAPPEDWINDOW) {
    auto* frame = new CMainFrame(context);
    EXPECT_TRUE(frame->LoadFrame(IDR_MAINFRAME, style));
    frame->MoveWindow(0, 0, 800, 600);
    return frame;
}

bool Checked(CMainFrame* frame) {
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, ID_VIEW_FILE_LIST, L"ファイルリスト");
    CCmdUI ui = CCmdUI::ForMenuItem(popup, 0, ID_VIEW_FILE_LIST);
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, &ui);
    const bool on = (::GetMenuState(popup, ID_VIEW_FILE_LIST, MF_BYCOMMAND) & MF_CHECKED) != 0;
    ::DestroyMenu(popup);
    return on;
}

// The pane's window rectangle in the frame's client coordinates.
CRect PaneRect(CMainFrame* frame) {
    CRect r = frame->FileListBar().GetWindowRect();
    POINT tl = r.TopLeft(), br = r.BottomRight();
    frame->ScreenToClient(&tl);
    frame->ScreenToClient(&br);
    return CRect(tl.x, tl.y, br.x, br.y);
}

// A drag of the pane's edge at a screen point by dx, dy, as the mouse sends it.
void DragEdge(CMainFrame* frame, POINT at, int dx, int dy) {
    CFileListBar& pane = frame->FileListBar();
    const UINT hit = static_cast<UINT>(pane.SendMessage(WM_NCHITTEST, 0, CPoint(at).ToLParam()));
    pane.SendMessage(WM_NCLBUTTONDOWN, hit, CPoint(at).ToLParam());
    POINT to{at.x + dx, at.y + dy};
    pane.ScreenToClient(&to);
    pane.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, CPoint(to).ToLParam());
    pane.SendMessage(WM_LBUTTONUP, 0, CPoint(to).ToLParam());
}

// A drag of the pane by its gripper to a screen point.
void DragPaneTo(CMainFrame* frame, POINT screen) {
    CFileListBar& pane = frame->FileListBar();
    const CRect w = pane.GetWindowRect();
    POINT grip{w.left + 20, w.top + 10};  // in the gripper strip
    pane.ScreenToClient(&grip);
    pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, CPoint(grip).ToLParam());
    POINT to = screen;
    pane.ScreenToClient(&to);
    pane.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, CPoint(to).ToLParam());
    pane.SendMessage(WM_LBUTTONUP, 0, CPoint(to).ToLParam());
}

POINT ClientToScreenOf(CMainFrame* frame, int x, int y) {
    POINT p{x, y};
    frame->ClientToScreen(&p);
    return p;
}

class FileListTest : public ::testing::Test {
protected:
    // Each test starts without saved bar state: the pane hidden.
    void SetUp() override {
        theTestApp.SetProfileFile(OutputPath(L"filelist_local.ini").c_str());
        ::DeleteFileW(OutputPath(L"filelist_local.ini").c_str());
    }
    CAppContext context;
};

TEST_F(FileListTest, PaneDocksResizesFloatsClosesAndComesBackAfterARestart) {
    CMainFrame* frame = MakeFrame(context);
    CFileListBar& pane = frame->FileListBar();
    ASSERT_TRUE(pane.m_hWnd);
    EXPECT_FALSE(pane.IsVisible());
    EXPECT_FALSE(Checked(frame));

    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    EXPECT_TRUE(pane.IsVisible());
    EXPECT_TRUE(Checked(frame));
    ASSERT_TRUE(WaitFor([&] { return pane.Tree().IsReady(); }));
    EXPECT_EQ(pane.GetDockBarId(), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    CRect r = PaneRect(frame);
    const CRect inner = frame->GetInnerArea();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.Width(), 200);
    EXPECT_EQ(r.top, frame->GetActiveView() ? r.top : r.top);
    EXPECT_EQ(inner.left, r.right);  // the view starts where the pane ends
    EXPECT_EQ(r.Height(), inner.Height());

    // Drags of the right edge: to a width, down to the minimum, up to what
    // the frame leaves.
    struct Drag {
        int dx;
        int width;
    } drags[] = {{60, 260}, {-1000, 80}, {5000, 0}, {-10000, 80}, {180, 260}};
    for (const auto& d : drags) {
        const CRect w = pane.GetWindowRect();
        const CRect before = frame->GetInnerArea();
        DragEdge(frame, POINT{w.right - 3, (w.top + w.bottom) / 2}, d.dx, 0);
        const int expected = d.width ? d.width : w.Width() + before.Width() - 4;
        EXPECT_EQ(PaneRect(frame).Width(), expected) << "drag by " << d.dx;
        EXPECT_EQ(frame->GetInnerArea().left, PaneRect(frame).right);
    }
    EXPECT_FALSE(pane.IsTracking());

    // Dragged by its gripper to the right edge, then into the open: floating.
    DragPaneTo(frame, ClientToScreenOf(frame, frame->GetInnerArea().right - 5, inner.top + 100));
    EXPECT_EQ(pane.GetDockBarId(), static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT));
    EXPECT_EQ(PaneRect(frame).right, frame->GetClientRect().right);
    EXPECT_EQ(PaneRect(frame).Width(), 260);
    DragPaneTo(frame, ClientToScreenOf(frame, 400, 300));
    EXPECT_TRUE(pane.IsFloating());
    ASSERT_TRUE(pane.GetFloatingFrame());
    EXPECT_TRUE(pane.GetFloatingFrame()->GetStyle() & WS_VISIBLE);
    EXPECT_EQ(frame->GetInnerArea().Width(), frame->GetClientRect().Width());
    // The floating frame sized: the floating size follows; docked sizes stay.
    pane.GetFloatingFrame()->SetWindowPos(nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(pane.GetClientRect().Width(), pane.Sizes().floating.cx);
    // A double click on its caption docks it where it was.
    pane.GetFloatingFrame()->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_EQ(pane.GetDockBarId(), static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT));
    EXPECT_EQ(PaneRect(frame).Width(), 260);
    DragPaneTo(frame, ClientToScreenOf(frame, 3, frame->GetInnerArea().top + 50));
    EXPECT_EQ(pane.GetDockBarId(), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(PaneRect(frame).left, 0);
    // A double click on the gripper floats it; another docks it back.
    pane.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, static_cast<WORD>(-6)));
    EXPECT_TRUE(pane.IsFloating());
    pane.GetFloatingFrame()->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_EQ(pane.GetDockBarId(), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    // The dock bar never gathers empty rows.
    CDockBar* left = frame->GetDockBar(AFX_IDW_DOCKBAR_LEFT);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->m_arrBars, std::vector<CControlBar*>{&pane});

    // The close button hides it and unchecks the menu item.
    const CRect close = pane.GetCloseButtonRect();
    ASSERT_FALSE(close.IsRectEmpty());
    const CRect w = pane.GetWindowRect();
    const POINT mid{w.left + (close.left + close.right) / 2, w.top + (close.top + close.bottom) / 2};
    EXPECT_EQ(pane.SendMessage(WM_NCHITTEST, 0, CPoint(mid).ToLParam()), HTCLOSE);
    pane.SendMessage(WM_NCLBUTTONDOWN, HTCLOSE, CPoint(mid).ToLParam());
    EXPECT_TRUE(pane.IsClosePushed());
    EXPECT_TRUE(pane.IsWindow());  // never closed as a window
    pane.SendMessage(WM_NCLBUTTONUP, HTCLOSE, CPoint(mid).ToLParam());
    EXPECT_FALSE(pane.IsVisible());
    EXPECT_FALSE(Checked(frame));
    EXPECT_EQ(frame->GetInnerArea().left, 0);

    // Shown again and closed with the frame: its sizes and place are kept.
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    frame->DestroyWindow();
    const std::wstring ini = OutputPath(L"filelist_local.ini");
    EXPECT_EQ(::GetPrivateProfileIntW(L"BarState-SCBar-59426", L"sizeVertCX", 0, ini.c_str()), 260u);
    EXPECT_EQ(::GetPrivateProfileIntW(L"BarState-Bar59426", L"Visible", 0, ini.c_str()), 1u);
    EXPECT_EQ(::GetPrivateProfileIntW(L"BarState-Bar59426", L"DockBarID", 0, ini.c_str()),
              static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));

    // A width below the minimum in the file loads as the minimum.
    CMainFrame* again = MakeFrame(context);
    CFileListBar& paneAgain = again->FileListBar();
    EXPECT_TRUE(paneAgain.IsVisible());
    EXPECT_EQ(PaneRect(again).Width(), 260);
    EXPECT_TRUE(WaitFor([&] { return paneAgain.Tree().IsReady(); }));
    again->DestroyWindow();
    ::WritePrivateProfileStringW(L"BarState-SCBar-59426", L"sizeVertCX", L"10", ini.c_str());
    CMainFrame* third = MakeFrame(context);
    EXPECT_EQ(PaneRect(third).Width(), 80);
    third->DestroyWindow();
}

std::vector<std::wstring> Children(CFileTreeCtrl& tree, HTREEITEM item) {
    std::vector<std::wstring> out;
    for (HTREEITEM c = TreeView_GetChild(tree.m_hWnd, item); c; c = TreeView_GetNextSibling(tree.m_hWnd, c))
        out.push_back(tree.GetItemText(c));
    return out;
}

// An expansion as a click on the item's button makes it.
void Expand(CFileListBar& pane, HTREEITEM item, UINT action = TVE_EXPAND) {
    TreeView_Expand(pane.Tree().m_hWnd, item, action);
    NMTREEVIEWW info{};
    info.hdr.hwndFrom = pane.Tree().m_hWnd;
    info.hdr.idFrom = IDC_FILE_LIST_TREE;
    info.hdr.code = TVN_ITEMEXPANDEDW;
    info.action = action;
    info.itemNew.hItem = item;
    pane.SendMessage(WM_NOTIFY, IDC_FILE_LIST_TREE, reinterpret_cast<LPARAM>(&info));
}

void DoubleClick(CFileListBar& pane) {
    NMHDR hdr{pane.Tree().m_hWnd, IDC_FILE_LIST_TREE, static_cast<UINT>(NM_DBLCLK)};
    pane.SendMessage(WM_NOTIFY, IDC_FILE_LIST_TREE, reinterpret_cast<LPARAM>(&hdr));
}

TEST_F(FileListTest, TreeShowsFoldersThenTheFiltersFilesAndOpensThem) {
    const std::wstring root = DriveFolder() + L"\\tree";
    ::CreateDirectoryW(DriveFolder().c_str(), nullptr);
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (const wchar_t* d : {L"beta", L"Alpha", L"gamma"}) ::CreateDirectoryW((root + L"\\" + d).c_str(), nullptr);
    for (const wchar_t* f : {L"b.txt", L"A.TXT", L"c.log", L"e.c", L"Alpha\\inner.txt", L"Alpha\\x.c"})
        WriteFile(root + L"\\" + f);
    ASSERT_EQ(::GetFileAttributesW(L"T:\\tree\\Alpha\\inner.txt") != INVALID_FILE_ATTRIBUTES, true)
        << "drive T: should show the test folder (made by the test set-up)";

    context.settings.fileListFilter = u"*.txt";
    CMainFrame* frame = MakeFrame(context);
    CFileListBar& pane = frame->FileListBar();
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    // Hidden and shown again before the roots are in: still one worker.
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pane.Tree().IsReady(); }));
    CFileTreeCtrl& tree = pane.Tree();
    std::vector<std::wstring> drives = Children(tree, nullptr);
    std::vector<std::wstring> unique = drives;
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    EXPECT_EQ(unique.size(), drives.size()) << "a drive listed twice";
    HTREEITEM drive = tree.FindChild(nullptr, L"t:\\");
    ASSERT_TRUE(drive);
    EXPECT_EQ(Children(tree, drive), std::vector<std::wstring>{L""});  // not read yet
    Expand(pane, drive);
    HTREEITEM t = tree.FindChild(drive, L"tree");
    ASSERT_TRUE(t);
    Expand(pane, t);
    EXPECT_EQ(Children(tree, t), (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma", L"A.TXT", L"b.txt"}));
    HTREEITEM alpha = tree.FindChild(t, L"ALPHA");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(tree.GetItemPath(alpha), L"T:\\tree\\Alpha");
    Expand(pane, alpha);
    EXPECT_EQ(Children(tree, alpha), std::vector<std::wstring>{L"inner.txt"});
    Expand(pane, alpha, TVE_COLLAPSE);
    EXPECT_EQ(Children(tree, alpha), std::vector<std::wstring>{L""});

    // A new filter re-reads the folders on the way to the selected item.
    EXPECT_TRUE(tree.SelectPath(L"t:\\TREE\\ALPHA"));
    HTREEITEM selected = TreeView_GetSelection(tree.m_hWnd);
    EXPECT_EQ(tree.GetItemPath(selected), L"T:\\tree\\Alpha");
    pane.SetFileListFilter(L"*.txt;*.c");
    t = tree.FindChild(tree.FindChild(nullptr, L"T:\\"), L"tree");
    alpha = tree.FindChild(t, L"Alpha");
    EXPECT_EQ(Children(tree, t), (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma", L"A.TXT", L"b.txt", L"e.c"}));
    EXPECT_EQ(Children(tree, alpha), (std::vector<std::wstring>{L"inner.txt", L"x.c"}));
    EXPECT_FALSE(tree.SelectPath(L"T:\\missing\\x.txt"));

    // A double click opens a file, never a folder.
    theTestApp.opened.clear();
    TreeView_SelectItem(tree.m_hWnd, alpha);
    DoubleClick(pane);
    EXPECT_TRUE(theTestApp.opened.empty());
    ASSERT_TRUE(tree.SelectPath(L"T:\\tree\\alpha\\INNER.TXT"));
    DoubleClick(pane);
    EXPECT_EQ(theTestApp.opened, std::vector<std::wstring>{L"T:\\tree\\Alpha\\inner.txt"});

    // The arrow keys stay with the tree while it has the focus.
    tree.SetFocus();
    MSG down{tree.m_hWnd, WM_KEYDOWN, VK_DOWN, 1, 0, {}};
    frame->LoadKeyBindings(*theTestApp.m_pIniProfile);
    EXPECT_FALSE(frame->PreTranslateMessage(&down));

    frame->DestroyWindow();
}

TEST_F(FileListTest, ALargeFolderIsReadOffTheWindowsThread) {
    const std::wstring big = DriveFolder() + L"\\big";
    ::CreateDirectoryW(big.c_str(), nullptr);
    const int count = 3000;
    std::vector<std::wstring> expected;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, i % 2 ? L"F%04d.txt" : L"f%04d.txt", i);
        WriteFile(big + L"\\" + name);
        expected.push_back(name);
    }
    context.settings.fileListFilter = u"*.txt";
    CMainFrame* frame = MakeFrame(context);
    CFileListBar& pane = frame->FileListBar();
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pane.Tree().IsReady(); }));
    CFileTreeCtrl& tree = pane.Tree();
    HTREEITEM t = tree.FindChild(nullptr, L"T:\\");
    ASSERT_TRUE(t);
    Expand(pane, t);
    HTREEITEM bigItem = tree.FindChild(t, L"big");
    ASSERT_TRUE(bigItem);
    Expand(pane, bigItem);
    // The expansion came back before the folder was in.
    EXPECT_TRUE(tree.IsFilling());
    EXPECT_LT(Children(tree, bigItem).size(), static_cast<size_t>(count));
    ASSERT_TRUE(WaitFor([&] { return !tree.IsFilling(); }, 60000));
    EXPECT_EQ(Children(tree, bigItem), expected);

    // Collapsed while a reader works: the reader stops, the dummy is back.
    Expand(pane, bigItem, TVE_COLLAPSE);
    Expand(pane, bigItem);
    EXPECT_TRUE(tree.IsFilling());
    Expand(pane, bigItem, TVE_COLLAPSE);
    EXPECT_FALSE(tree.IsFilling());
    EXPECT_EQ(Children(tree, bigItem), std::vector<std::wstring>{L""});

    // The pane goes while both threads may still run: it waits for them.
    Expand(pane, bigItem);
    frame->DestroyWindow();
    EXPECT_FALSE(pane.IsWorkerRunning());
    EXPECT_FALSE(tree.IsFilling());
}

TEST_F(FileListTest, TheGripperAndTheCloseButtonDrawTheirGlyphs) {
    CMainFrame* frame = MakeFrame(context, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    CFileListBar& pane = frame->FileListBar();
    frame->RouteCmdMsg(ID_VIEW_FILE_LIST, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pane.Tree().IsReady(); }));
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    wtest::Pump();

    auto capture = [&] {
        const CRect w = pane.GetWindowRect();
        wtest::Pixels p;
        p.width = w.Width();
        p.height = w.Height();
        p.px.resize(static_cast<size_t>(p.width) * p.height);
        HDC screen = ::GetWindowDC(pane.m_hWnd);
        HDC mem = ::CreateCompatibleDC(screen);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = p.width;
        bi.bmiHeader.biHeight = -p.height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        ::BitBlt(mem, 0, 0, p.width, p.height, screen, 0, 0, SRCCOPY);
        ::GdiFlush();
        memcpy(p.px.data(), bits, p.px.size() * 4);
        ::SelectObject(mem, old);
        ::DeleteObject(bmp);
        ::DeleteDC(mem);
        ::ReleaseDC(pane.m_hWnd, screen);
        return p;
    };
    auto count = [](const wtest::Pixels& p, const CRect& r, COLORREF c) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (p.At(x, y) == c) ++n;
        return n;
    };
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT), shadow = ::GetSysColor(COLOR_BTNSHADOW),
                   light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const CRect close = pane.GetCloseButtonRect();
    wtest::Pixels up = capture();
    wtest::WriteBmp((std::string(TEST_OUTPUT_DIR) + "/filelist_pane.bmp").c_str(), up);
    EXPECT_GE(count(up, close, text), 10) << "the close button's cross";
    // The gripper's two raised lines run beside the button.
    const CRect grip(6, close.top, close.left - 2, close.bottom);
    EXPECT_GE(count(up, grip, light), 20);
    EXPECT_GE(count(up, grip, shadow), 20);

    // Held down, the button sinks: a shadow at its top-left.
    const CRect w = pane.GetWindowRect();
    const POINT mid{w.left + (close.left + close.right) / 2, w.top + (close.top + close.bottom) / 2};
    pane.SendMessage(WM_NCLBUTTONDOWN, HTCLOSE, CPoint(mid).ToLParam());
    wtest::Pixels down = capture();
    EXPECT_EQ(down.At(close.left, close.top), shadow);
    EXPECT_NE(up.At(close.left, close.top), shadow);
    EXPECT_GE(count(down, close, text), 10);
    pane.SendMessage(WM_NCLBUTTONUP, HTCLOSE, CPoint(mid).ToLParam());
    EXPECT_FALSE(pane.IsVisible());
    // The frame stays up: unmapping a shown window costs seconds here.
}

}  // namespace
