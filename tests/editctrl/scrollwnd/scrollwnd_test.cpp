// The scrolling window base on a real window: scroll requests of every kind
// move the positions the bars hold, the bars appear and enable with the
// content, and ScrollWindow moves the body and the fixed strips by the
// right pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <vector>

#include "editctrl/scrollwnd.h"
#include "framework/frame.h"
#include "framework/gdi.h"
#include "framework/panehost.h"
#include "tests/framework/window_test_support.h"

namespace {

const wchar_t kClass[] = L"TORKA_ScrollTest";

// A grid of cells cell x cell pixels, with fixed strips left and top.
class GridWnd : public CScrollWnd {
public:
    int rows = 100, columns = 100;
    int cellWidth = 10, rowHeight = 16;
    int left = 0, top = 0;
    int rowStep = 1;
    struct Scrolled {
        int dx, dy;
        BOOL tracking;
    };
    std::vector<Scrolled> scrolled;
    int endScrolls = 0;

    GridWnd() { CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr); }

    BOOL CreateIn(HWND parent, DWORD style, int width, int height, int x = 0, int y = 0) {
        return Create(kClass, L"", WS_CHILD | WS_VISIBLE | style, CRect(x, y, x + width, y + height), parent, 1);
    }

    CRect Client() const { return GetScrollClientRect(); }
    int GetVisibleColumns() override { return (Client().Width() - left) / cellWidth; }
    int GetVisibleRows() override { return (Client().Height() - top) / rowHeight; }
    int GetLeftMargin() override { return left; }
    int GetTopMargin() override { return top; }
    int GetContentWidth() override { return columns * cellWidth + left; }
    int GetContentHeight() override { return rows * rowHeight + top; }
    int ColumnsToPixels(int a, int b) override { return (a - b) * cellWidth; }
    int RowsToPixels(int a, int b) override { return (a - b) * rowHeight; }
    int GetMaxRow() override { return rows - 1; }
    int GetRowPageSize() override { return GetVisibleRows(); }
    int GetMaxColumn() override { return columns - 1; }
    int GetColumnPageSize() override { return GetVisibleColumns(); }
    int GetRowStep() override { return rowStep; }
    void OnScrolled(int dx, int dy, BOOL tracking) override { scrolled.push_back({dx, dy, tracking}); }
    void OnEndScroll() override { ++endScrolls; }

    int Pos(int bar) const {
        SCROLLINFO si{};
        CWnd::GetScrollInfo(bar, &si, SIF_POS);
        return si.nPos;
    }
    void SetPositions(int x, int y) {
        CWnd::SetScrollPos(SB_HORZ, x);
        CWnd::SetScrollPos(SB_VERT, y);
    }
    bool HasStyle(DWORD bit) const { return (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & bit) != 0; }

    // Every cell paints in a colour of its row and column, the strips in
    // colours of their row or column alone.
    static COLORREF BodyColour(int row, int column) { return RGB(row * 37 % 256, column * 53 % 256, 128); }
    static COLORREF LeftColour(int row) { return RGB(row * 37 % 256, 0, 0); }
    static COLORREF TopColour(int column) { return RGB(0, column * 53 % 256, 0); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_PAINT) {
            CPaintDC dc(m_hWnd);
            Paint(dc);
            return 0;
        }
        return CScrollWnd::WindowProc(msg, wParam, lParam);
    }

private:
    void Paint(CDC& dc) {
        const int x0 = Pos(SB_HORZ), y0 = Pos(SB_VERT);
        const CRect client = Client();
        dc.FillSolidRect(CRect(0, 0, left, top), RGB(255, 255, 255));
        for (int y = top, row = y0; y < client.bottom; y += rowHeight, ++row) {
            dc.FillSolidRect(CRect(0, y, left, y + rowHeight), LeftColour(row));
            for (int x = left, col = x0; x < client.right; x += cellWidth, ++col)
                dc.FillSolidRect(CRect(x, y, x + cellWidth, y + rowHeight), BodyColour(row, col));
        }
        for (int x = left, col = x0; x < client.right; x += cellWidth, ++col)
            dc.FillSolidRect(CRect(x, 0, x + cellWidth, top), TopColour(col));
    }
};

class ScrollWndTest : public ::testing::Test {
protected:
    wtest::HostWindow& host = wtest::SharedHost();
    GridWnd grid;

    // A 200 x 160 body: 20 columns, 10 rows visible.
    void MakeGrid(DWORD style = WS_VSCROLL | WS_HSCROLL, int left = 0, int top = 0) {
        grid.left = left;
        grid.top = top;
        const int barW = (style & WS_VSCROLL) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
        const int barH = (style & WS_HSCROLL) ? ::GetSystemMetrics(SM_CYHSCROLL) : 0;
        ASSERT_TRUE(grid.CreateIn(host, style, 200 + left + barW, 160 + top + barH));
        grid.UpdateScrollBars();
        ASSERT_EQ(grid.GetVisibleRows(), 10);
        ASSERT_EQ(grid.GetVisibleColumns(), 20);
    }
};

struct ScrollCase {
    int start;
    UINT code;
    int expected;
};

}  // namespace

TEST_F(ScrollWndTest, EveryScrollCodeMovesTheVerticalPosition) {
    MakeGrid();
    // 100 rows, 10 visible: the limit is 99 - (10 - 1) = 90.
    const ScrollCase cases[] = {
        {50, SB_LINEUP, 49},   {50, SB_LINEDOWN, 51},    {50, SB_PAGEUP, 41},   {50, SB_PAGEDOWN, 59},
        {50, SB_TOP, 0},       {50, SB_BOTTOM, 90},      {0, SB_LINEUP, 0},     {90, SB_LINEDOWN, 90},
        {3, SB_PAGEUP, 0},     {88, SB_PAGEDOWN, 90},    {50, SB_THUMBPOSITION, 50}, {50, SB_ENDSCROLL, 50},
    };
    for (const auto& c : cases) {
        grid.SetPositions(0, c.start);
        grid.scrolled.clear();
        grid.SendMessage(WM_VSCROLL, MAKEWPARAM(c.code, 0), 0);
        EXPECT_EQ(grid.Pos(SB_VERT), c.expected) << "code " << c.code << " from " << c.start;
        EXPECT_EQ(grid.Pos(SB_HORZ), 0);
        if (c.expected != c.start) {
            ASSERT_EQ(grid.scrolled.size(), 1u) << "code " << c.code;
            EXPECT_EQ(grid.scrolled[0].dx, 0);
            EXPECT_FALSE(grid.scrolled[0].tracking);
        } else {
            EXPECT_TRUE(grid.scrolled.empty()) << "code " << c.code;
        }
    }
    EXPECT_EQ(grid.endScrolls, 1);
}

TEST_F(ScrollWndTest, EveryScrollCodeMovesTheHorizontalPosition) {
    MakeGrid();
    // 100 columns, 20 visible: the limit is 80.
    const ScrollCase cases[] = {
        {40, SB_LINELEFT, 39}, {40, SB_LINERIGHT, 41}, {40, SB_PAGELEFT, 21}, {40, SB_PAGERIGHT, 59},
        {40, SB_LEFT, 0},      {40, SB_RIGHT, 80},     {80, SB_PAGERIGHT, 80}, {40, SB_THUMBPOSITION, 40},
    };
    for (const auto& c : cases) {
        grid.SetPositions(c.start, 5);
        grid.SendMessage(WM_HSCROLL, MAKEWPARAM(c.code, 0), 0);
        EXPECT_EQ(grid.Pos(SB_HORZ), c.expected) << "code " << c.code << " from " << c.start;
        EXPECT_EQ(grid.Pos(SB_VERT), 5);
    }
}

TEST_F(ScrollWndTest, CombinedRequestsMoveBothAxesOnceAndTrackTheThumb) {
    MakeGrid();
    grid.SetPositions(10, 10);
    grid.scrolled.clear();
    // Horizontal line right, vertical page down, in one request.
    EXPECT_TRUE(grid.OnScroll(SB_LINERIGHT | (SB_PAGEDOWN << 8), 0));
    EXPECT_EQ(grid.Pos(SB_HORZ), 11);
    EXPECT_EQ(grid.Pos(SB_VERT), 19);
    ASSERT_EQ(grid.scrolled.size(), 1u);
    EXPECT_EQ(grid.scrolled[0].dx, 1);
    EXPECT_EQ(grid.scrolled[0].dy, 9);
    // A code of 0x0900 or more leaves the vertical axis alone.
    EXPECT_TRUE(grid.OnScroll(0x0900 | SB_LINELEFT, 0));
    EXPECT_EQ(grid.Pos(SB_VERT), 19);
    EXPECT_EQ(grid.Pos(SB_HORZ), 10);
    // Thumb tracking lands where asked, clamped, and says it is tracking.
    EXPECT_TRUE(grid.OnScroll(0xFF | (SB_THUMBTRACK << 8), 70));
    EXPECT_EQ(grid.Pos(SB_VERT), 70);
    EXPECT_TRUE(grid.scrolled.back().tracking);
    EXPECT_TRUE(grid.OnScroll(0xFF | (SB_THUMBTRACK << 8), 500));
    EXPECT_EQ(grid.Pos(SB_VERT), 90);
    EXPECT_FALSE(grid.OnScroll(0xFFFF, 0));
    // OnScrolled hears the request, not what the limit let through.
    grid.SetPositions(10, 88);
    EXPECT_TRUE(grid.OnScrollBy(0, 5, FALSE));
    EXPECT_EQ(grid.Pos(SB_VERT), 90);
    EXPECT_EQ(grid.scrolled.back().dy, 5);
    grid.ScrollPageUp();
    EXPECT_EQ(grid.Pos(SB_VERT), 81);
    grid.ScrollLineDown();
    EXPECT_EQ(grid.Pos(SB_VERT), 82);
}

TEST_F(ScrollWndTest, BottomLandsOnTheLimitOfAHugeRange) {
    grid.rows = 2000000;
    MakeGrid();
    grid.SetPositions(0, 1);
    grid.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(grid.Pos(SB_VERT), 2000000 - 10);
    EXPECT_EQ(grid.GetScrollLimit(SB_VERT), 2000000 - 10);
    grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid.Pos(SB_VERT), 0);
}

TEST_F(ScrollWndTest, LockedScrollingReleasesTheLock) {
    MakeGrid();
    grid.m_scrollFlags |= CScrollWnd::kLockUpdateWhileScrolling;
    EXPECT_TRUE(grid.OnScrollBy(0, 3, FALSE));
    EXPECT_EQ(grid.Pos(SB_VERT), 3);
    // Only one window can be locked at a time: this succeeds only when the
    // scroll unlocked.
    EXPECT_TRUE(::LockWindowUpdate(host));
    ::LockWindowUpdate(nullptr);
}

TEST_F(ScrollWndTest, PageStepOfAOneRowWindowStillMovesOneRow) {
    grid.rows = 10;
    grid.columns = 5;
    ASSERT_TRUE(grid.CreateIn(host, WS_VSCROLL, 200, 20));
    grid.UpdateScrollBars();
    ASSERT_EQ(grid.GetVisibleRows(), 1);
    grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(grid.Pos(SB_VERT), 1);
    grid.SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(grid.Pos(SB_VERT), 0);
}

TEST_F(ScrollWndTest, WheelScrollsByTheCeilingOfNotchesPerRow) {
    MakeGrid();
    struct WheelCase {
        short delta;
        int step;
        int expected;
    } cases[] = {{120, 1, 47}, {-120, 1, 53}, {60, 1, 48}, {-60, 1, 51}, {-120, 2, 56}, {1, 1, 49}};
    for (const auto& c : cases) {
        grid.SetPositions(0, 50);
        grid.rowStep = c.step;
        EXPECT_EQ(grid.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), 0), 0);
        EXPECT_EQ(grid.Pos(SB_VERT), c.expected) << "delta " << c.delta << " step " << c.step;
    }
    grid.m_wheelDeltaPerRow = 120.0;  // one row per notch
    grid.rowStep = 1;
    grid.SetPositions(0, 50);
    grid.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, -240), 0);
    EXPECT_EQ(grid.Pos(SB_VERT), 52);
}

TEST_F(ScrollWndTest, ContentThatFitsKeepsTheBarsDisabledAndDoesNotScroll) {
    grid.rows = 5;
    grid.columns = 5;
    MakeGrid();
    EXPECT_TRUE(grid.HasStyle(WS_VSCROLL));
    EXPECT_TRUE(grid.HasStyle(WS_HSCROLL));
    EXPECT_FALSE(grid.m_vertBarEnabled);
    EXPECT_FALSE(grid.m_horzBarEnabled);
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof(sbi);
    ASSERT_TRUE(::GetScrollBarInfo(grid, OBJID_VSCROLL, &sbi));
    EXPECT_TRUE(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(grid.OnScrollBy(1, 1, FALSE));
    EXPECT_TRUE(grid.scrolled.empty());
}

TEST_F(ScrollWndTest, BarsAppearOnDemandAndEachCanBringTheOther) {
    const int barW = ::GetSystemMetrics(SM_CXVSCROLL), barH = ::GetSystemMetrics(SM_CYHSCROLL);
    // Created without bars: they come only when the content needs them.
    grid.rows = 5;
    grid.columns = 5;
    ASSERT_TRUE(grid.CreateIn(host, 0, 200, 160));
    EXPECT_EQ(grid.m_scrollFlags, static_cast<UINT>(CScrollWnd::kCreatedWithoutVScroll |
                                                    CScrollWnd::kCreatedWithoutHScroll));
    grid.UpdateScrollBars();
    EXPECT_FALSE(grid.HasStyle(WS_VSCROLL));
    EXPECT_FALSE(grid.HasStyle(WS_HSCROLL));

    // Wider content only, but its height fits only without a horizontal
    // bar: the horizontal bar brings the vertical one.
    grid.columns = 30;
    grid.rows = (160 - barH) / grid.rowHeight + 1;
    ASSERT_LE(grid.rows * grid.rowHeight, 160);
    grid.UpdateScrollBars();
    EXPECT_TRUE(grid.HasStyle(WS_HSCROLL));
    EXPECT_TRUE(grid.HasStyle(WS_VSCROLL));

    // And the other way round.
    grid.rows = 30;
    grid.columns = (200 - barW) / grid.cellWidth + 1;
    ASSERT_LE(grid.columns * grid.cellWidth, 200);
    grid.UpdateScrollBars();
    EXPECT_TRUE(grid.HasStyle(WS_VSCROLL));
    EXPECT_TRUE(grid.HasStyle(WS_HSCROLL));

    // Content that fits again takes both away.
    grid.rows = grid.columns = 2;
    grid.UpdateScrollBars();
    EXPECT_FALSE(grid.HasStyle(WS_VSCROLL));
    EXPECT_FALSE(grid.HasStyle(WS_HSCROLL));
}

TEST_F(ScrollWndTest, AlwaysWantedBarsShowForContentThatFits) {
    grid.rows = grid.columns = 2;
    ASSERT_TRUE(grid.CreateIn(host, 0, 200, 160));
    grid.m_scrollFlags |= CScrollWnd::kAlwaysVertBar | CScrollWnd::kAlwaysHorzBar;
    grid.UpdateScrollBars();
    EXPECT_TRUE(grid.HasStyle(WS_VSCROLL));
    EXPECT_TRUE(grid.HasStyle(WS_HSCROLL));
    EXPECT_FALSE(grid.m_vertBarEnabled);
}

TEST_F(ScrollWndTest, HorizontalScrollingWithoutABarKeepsItsRange) {
    // A single-line editor: wide content, no bar shown, scrolling allowed.
    grid.rows = 1;
    grid.columns = 100;
    ASSERT_TRUE(grid.CreateIn(host, 0, 200, 16));
    grid.m_scrollFlags |= CScrollWnd::kScrollHorzWithoutBar;
    grid.UpdateScrollBars();
    EXPECT_FALSE(grid.HasStyle(WS_HSCROLL));
    EXPECT_FALSE(grid.HasStyle(WS_VSCROLL));
    grid.OnScroll(0xFF00 | SB_LINERIGHT, 0);
    EXPECT_EQ(grid.Pos(SB_HORZ), 1);
    grid.OnScroll(0xFF00 | SB_RIGHT, 0);
    EXPECT_EQ(grid.Pos(SB_HORZ), 80);
    EXPECT_FALSE(grid.HasStyle(WS_HSCROLL));
    // Vertically there is no bar and no permission.
    EXPECT_FALSE(grid.OnScrollBy(0, 1, FALSE));

    // Without the flag the same content brings the bar.
    GridWnd plain;
    plain.rows = 1;
    ASSERT_TRUE(plain.CreateIn(host, 0, 200, 60, 0, 100));
    plain.UpdateScrollBars();
    EXPECT_TRUE(plain.HasStyle(WS_HSCROLL));
}

TEST_F(ScrollWndTest, ScrollingMovesTheBodyAndTheStripsOnTheirAxes) {
    MakeGrid(WS_VSCROLL | WS_HSCROLL, 30, 20);
    grid.SetPositions(5, 5);
    grid.Invalidate();
    grid.UpdateWindow();

    // Down 2 rows: only the two rows uncovered at the bottom of the body and
    // of the left strip need painting; the top strip stays.
    grid.OnScroll(0x00FF | (SB_LINEDOWN << 8), 0);
    grid.OnScroll(0x00FF | (SB_LINEDOWN << 8), 0);
    HRGN update = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetUpdateRgn(grid, update, FALSE), ERROR);
    HRGN expected = ::CreateRectRgn(0, 20 + 8 * 16, 230, 180);
    EXPECT_TRUE(::EqualRgn(update, expected));
    grid.UpdateWindow();

    // Right 3 columns: the body and the top strip uncover 3 columns.
    grid.OnScroll(0xFF00 | SB_PAGERIGHT, 0);
    grid.OnScroll(0xFF00 | SB_PAGELEFT, 0);
    grid.UpdateWindow();
    const int before = grid.Pos(SB_HORZ);
    for (int i = 0; i < 3; ++i) grid.OnScroll(0xFF00 | SB_LINERIGHT, 0);
    ASSERT_EQ(grid.Pos(SB_HORZ), before + 3);
    ::GetUpdateRgn(grid, update, FALSE);
    ::SetRectRgn(expected, 230 - 30, 0, 230, 180);
    EXPECT_TRUE(::EqualRgn(update, expected));
    grid.UpdateWindow();
    ::DeleteObject(update);
    ::DeleteObject(expected);

    // What the screen shows, scrolled bits and fresh paint alike, is the
    // grid at the new positions.
    const wtest::Pixels shot = wtest::CaptureClient(grid);
    const int x0 = grid.Pos(SB_HORZ), y0 = grid.Pos(SB_VERT);
    for (int row = 0; row < 10; ++row) {
        const int y = 20 + row * 16 + 8;
        EXPECT_EQ(shot.At(15, y), GridWnd::LeftColour(y0 + row)) << "left strip row " << row;
        for (int col = 0; col < 20; ++col)
            ASSERT_EQ(shot.At(30 + col * 10 + 5, y), GridWnd::BodyColour(y0 + row, x0 + col))
                << "cell " << row << "," << col;
    }
    for (int col = 0; col < 20; ++col)
        EXPECT_EQ(shot.At(30 + col * 10 + 5, 10), GridWnd::TopColour(x0 + col)) << "top strip column " << col;
    EXPECT_TRUE(wtest::WriteBmp(TEST_OUTPUT_DIR "/scrollwnd_grid.bmp", shot));
}

TEST_F(ScrollWndTest, RightClickGoesToTheParentAtItsCoordinates) {
    ASSERT_TRUE(grid.CreateIn(host, 0, 100, 100, 30, 40));
    host.records.clear();
    grid.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(5, 6));
    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_EQ(host.records[0].msg, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(host.records[0].wParam, static_cast<WPARAM>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(host.records[0].lParam, MAKELPARAM(35, 46));
}

TEST(ScrollWndCreate, NoticesAnMdiFrameAboveButNotBeyondADialog) {
    class MdiFrame : public CMDIFrameWnd {};
    CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr);
    MdiFrame frame;
    ASSERT_TRUE(frame.CreateEx(0, kClass, L"", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 300), nullptr, nullptr));
    CWnd middle;  // a plain child between
    ASSERT_TRUE(middle.Create(kClass, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), frame, 2));

    GridWnd inFrame;
    ASSERT_TRUE(inFrame.CreateIn(middle, WS_VSCROLL, 50, 50));
    EXPECT_TRUE(inFrame.m_insideMdiFrame);
    EXPECT_EQ(inFrame.m_scrollFlags, static_cast<UINT>(CScrollWnd::kCreatedWithoutHScroll));

    HWND dialog = ::CreateWindowExW(0, L"#32770", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, frame, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    GridWnd inDialog;
    ASSERT_TRUE(inDialog.CreateIn(dialog, WS_VSCROLL | WS_HSCROLL, 50, 50));
    EXPECT_FALSE(inDialog.m_insideMdiFrame);
    EXPECT_EQ(inDialog.m_scrollFlags, 0u);
}

namespace {

// A pane host with shared bars, as a splitter would be.
class FakeSplitter : public CWnd, public CPaneHost {
public:
    DWORD scrollStyle = 0;
    int rowCount = 1, columnCount = 1, relayouts = 0;
    DWORD GetScrollStyle() const override { return scrollStyle; }
    void SetScrollStyle(DWORD style) override { scrollStyle = style; }
    int GetRowCount() const override { return rowCount; }
    int GetColumnCount() const override { return columnCount; }
    void RecalcLayout() override { ++relayouts; }
};

class FakePaneView : public CWnd {
public:
    HWND vbar = nullptr, hbar = nullptr;
    HWND GetScrollBarCtrl(int bar) const override { return bar == SB_VERT ? vbar : hbar; }
};

int CtrlPos(HWND bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    ::GetScrollInfo(bar, SB_CTL, &si);
    return si.nPos;
}

}  // namespace

TEST(ScrollWndPane, PaneUsesTheHostsSharedBarsAndScrollStyle) {
    wtest::HostWindow& top = wtest::SharedHost();
    CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr);
    FakeSplitter splitter;
    ASSERT_TRUE(splitter.Create(kClass, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 300), top, 3));
    FakePaneView view;
    ASSERT_TRUE(view.Create(kClass, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 160), splitter, 4));
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    view.vbar = ::CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 200, 0, 16, 160,
                                  splitter, nullptr, inst, nullptr);
    view.hbar = ::CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 160, 200, 16,
                                  splitter, nullptr, inst, nullptr);
    GridWnd pane;
    pane.m_paneMode = TRUE;
    ASSERT_TRUE(pane.CreateIn(view, 0, 200, 160));
    EXPECT_EQ(pane.GetScrollClientRect(), CRect(0, 0, 200, 160));

    pane.UpdateScrollBars();
    EXPECT_EQ(splitter.scrollStyle, static_cast<DWORD>(WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(splitter.relayouts, 1);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(view.vbar, SB_CTL, &si));
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(si.nPage, 10u);

    // Requests from the shared bar move it; one from a bar the pane does
    // not use is ignored.
    pane.SendMessage(WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(view.vbar));
    EXPECT_EQ(CtrlPos(view.vbar), 9);
    EXPECT_EQ(pane.GetScrollPos(SB_VERT), 9);
    pane.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(CtrlPos(view.vbar), 9);
    pane.SendMessage(WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(view.hbar));
    EXPECT_EQ(CtrlPos(view.hbar), 80);

    // A splitter of two rows wants the vertical bar for any content.
    pane.rows = 2;
    pane.columns = 2;
    splitter.rowCount = 2;
    pane.UpdateScrollBars();
    EXPECT_EQ(splitter.scrollStyle, static_cast<DWORD>(WS_VSCROLL));
    EXPECT_EQ(splitter.relayouts, 2);
}
