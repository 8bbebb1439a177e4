// The grid window over a small table: what it paints (current-cell frame,
// shaded current headers, selection, search matches), keys and mouse
// (arrows, pages, Home/End, Shift extension, column resizing and fitting,
// lost capture), copying to the clipboard, the in-place editor refusing a
// text, and two panes of one model keeping each other in step.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "editctrl/edit_ctrl.h"
#include "framework/seams.h"
#include "grid/core/grid_style.h"
#include "grid/core/ptr_grid_data.h"
#include "grid/grid_ctrl.h"
#include "grid/tip_wnd.h"
#include "tests/framework/window_test_support.h"
#include "tests/support/clipboard.h"
#include "textengine/edit_data.h"

namespace {

CFont MakeFont(int height = -14) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    wcscpy(lf.lfFaceName, L"ＭＳ ゴシック");
    CFont font;
    font.CreateFontIndirect(lf);
    return font;
}

// 4 columns of 70 pixels by 40 rows; row r, column c holds "r-c", a few
// cells hold longer texts.
struct Table : CPtrGridData {
    std::deque<std::u16string> texts;
    Table() {
        Init(4, 40);
        const char16_t* names[] = {u"id", u"name", u"a rather long column title", u"note"};
        for (int c = 0; c < 4; ++c) {
            SetColName(c, names[c]);
            SetColWidth(c, 70);
        }
        for (int r = 0; r < 40; ++r) {
            AddRow();
            for (int c = 0; c < 4; ++c) {
                std::u16string t;
                for (char ch : std::to_string(r) + "-" + std::to_string(c)) t += char16_t(ch);
                texts.push_back(t);
                SetCell(r, c, texts.back().c_str());
            }
        }
        SetCell(1, 1, u"banana");
        SetCell(5, 3, u"a much longer note text");
    }
};

wtest::Pixels Print(HWND hwnd) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    wtest::Pixels out;
    out.width = rc.right;
    out.height = rc.bottom;
    HDC screen = ::GetDC(nullptr);
    HDC mdc = ::CreateCompatibleDC(screen);
    CBitmap bmp;
    void* bits = nullptr;
    if (bmp.CreateDIBSection32(mdc, out.width, out.height, &bits)) {
        HGDIOBJ old = ::SelectObject(mdc, bmp.GetSafeHandle());
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mdc), PRF_CLIENT);
        ::GdiFlush();
        const auto* p = static_cast<const DWORD*>(bits);
        out.px.assign(p, p + static_cast<size_t>(out.width) * out.height);
        ::SelectObject(mdc, old);
    }
    ::DeleteDC(mdc);
    ::ReleaseDC(nullptr, screen);
    return out;
}

// Records the grid messages a grid receives from other panes and sends its parent.
class RecordingGrid : public CGridCtrl {
public:
    std::vector<UINT> received;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= 0x8300 && msg <= 0x8390) received.push_back(msg);
        return CGridCtrl::WindowProc(msg, wParam, lParam);
    }
};

struct GridFixture : ::testing::Test {
    Table table;
    CFont font = MakeFont();
    RecordingGrid grid;

    void SetUp() override {
        wtest::SharedHost().records.clear();
        ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 330, 230), wtest::SharedHost(), 5));
        grid.SetFont(font);
        grid.SetGridData(&table);
        grid.SetFocus();
        wtest::Pump();
    }
    void TearDown() override {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
    }
    static void Hold(int vk, bool down) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[vk] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
    void Key(UINT vk) {
        grid.SendMessage(WM_KEYDOWN, vk, 1);
        wtest::Pump(50);
    }
    static CPoint Mid(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    GridCell Cur() const { return table.m_curCell; }
    CRect Cell(int row, int col) const { return grid.GetCellRect(row, col); }
    void Click(UINT msg, CPoint p, WPARAM keys = MK_LBUTTON) { grid.SendMessage(msg, keys, p.ToLParam()); }
};

TEST_F(GridFixture, PaintsFrameShadedHeadersSelectionAndMatches) {
    grid.SetGridStyle(grid.GetGridStyle() | GRID_SHADE_CURRENT);
    grid.SetSearchHighlight(L"nan", false, true, false);
    grid.SetCurrentCell({1, 2});
    grid.SetCurrentCell({2, 4});
    Hold(VK_SHIFT, true);
    grid.SetCurrentCell({3, 6});
    Hold(VK_SHIFT, false);
    const wtest::Pixels px = Print(grid);
    const COLORREF header = 0xFFE6E6, shaded = ScaleGridColor(header, 0.8);

    const CRect cur = Cell(6, 3);
    EXPECT_EQ(px.At(cur.left, cur.top + 5), 0x000000u) << "frame of the current cell";
    EXPECT_EQ(px.At(cur.left + 1, cur.top + 5), 0x000000u);
    const CRect title = Cell(0, 3);
    EXPECT_EQ(px.At(title.right - 4, 2), shaded) << "current column's title";
    EXPECT_EQ(px.At(Cell(0, 2).right - 4, 2), header);
    EXPECT_EQ(px.At(3, Cell(6, 0).top + 2), shaded) << "current row's header";
    EXPECT_EQ(px.At(3, Cell(4, 0).top + 2), header);
    EXPECT_EQ(px.At(Cell(5, 2).right - 4, Cell(5, 2).top + 1), 0xDCC8C8u) << "selected cell";
    EXPECT_EQ(px.At(Cell(5, 1).right - 4, Cell(5, 1).top + 1), 0xFFFFFFu) << "left of the selection";
    // "banana": the match "nan" covers the third to fifth characters.
    const CRect match = Cell(1, 1);
    int hits = 0;
    for (int x = match.left; x < match.right; ++x) hits += px.At(x, match.top) == 0x32FFFFu;
    EXPECT_GT(hits, 10) << "match background";
    EXPECT_NE(px.At(match.left + 1, match.top), 0x32FFFFu);
}

TEST_F(GridFixture, ArrowsPagesHomeEndAndShiftExtension) {
    struct Step {
        UINT key;
        bool shift, ctrl;
        GridCell at;
    };
    const int page = grid.GetVertPageSize();
    ASSERT_GT(page, 3);
    const Step steps[] = {
        {VK_RIGHT, false, false, {1, 0}}, {VK_DOWN, false, false, {1, 1}},   {VK_NEXT, false, false, {1, 1 + page}},
        {VK_PRIOR, false, false, {1, 1}}, {VK_END, false, false, {3, 1}},    {VK_RIGHT, false, false, {3, 1}},
        {VK_HOME, false, false, {0, 1}},  {VK_END, false, true, {3, 39}},    {VK_HOME, false, true, {0, 0}},
        {VK_TAB, false, false, {1, 0}},   {VK_TAB, true, false, {0, 0}},     {VK_UP, false, false, {0, 0}},
    };
    for (const Step& s : steps) {
        Hold(VK_SHIFT, s.shift);
        Hold(VK_CONTROL, s.ctrl);
        Key(s.key);
        EXPECT_EQ(Cur(), s.at) << s.key;
    }
    Hold(VK_SHIFT, false);
    Hold(VK_CONTROL, false);
    // The last rows scrolled into view and back.
    Hold(VK_CONTROL, true);
    Key(VK_END);
    Hold(VK_CONTROL, false);
    EXPECT_GT(grid.Layout().firstRow, 0);
    Hold(VK_CONTROL, true);
    Key(VK_HOME);
    Hold(VK_CONTROL, false);
    EXPECT_EQ(grid.Layout().firstRow, 0);

    Hold(VK_SHIFT, true);
    Key(VK_DOWN);
    Key(VK_DOWN);
    Hold(VK_SHIFT, false);
    EXPECT_TRUE(table.IsInSelection(2, 0));
    EXPECT_FALSE(table.IsInSelection(3, 0));
    EXPECT_FALSE(table.IsInSelection(1, 1));
    Key(VK_DOWN);
    EXPECT_FALSE(table.IsInSelection(2, 0));
    EXPECT_EQ(Cur(), (GridCell{0, 3}));

    grid.SetGridStyle(grid.GetGridStyle() | GRID_END_MODE);
    Key(VK_END);
    EXPECT_TRUE(grid.IsEndMode());
    Hold(VK_SHIFT, true);
    Key(VK_SHIFT);
    Hold(VK_SHIFT, false);
    EXPECT_TRUE(grid.IsEndMode());
    Key(VK_DOWN);
    EXPECT_EQ(Cur(), (GridCell{0, 39}));
    EXPECT_FALSE(grid.IsEndMode());
    // The parent hears of each move.
    bool told = false;
    for (const auto& r : wtest::SharedHost().records) told |= r.msg == WM_GRID_CURCELLCHANGED && r.lParam == 39;
    EXPECT_TRUE(told);
}

TEST_F(GridFixture, ScrollingSidewaysMovesThePictureTheRightWay) {
    // What the screen shows after a scroll (the old picture moved plus the
    // part uncovered) must equal a fresh painting.
    ::UpdateWindow(grid);
    Hold(VK_CONTROL, true);
    Key(VK_RIGHT);
    Hold(VK_CONTROL, false);
    ASSERT_EQ(grid.Layout().firstCol, 1);
    ::UpdateWindow(grid);
    wtest::Pump();
    const wtest::Pixels screen = wtest::CaptureClient(grid);
    const wtest::Pixels painted = Print(grid);
    ASSERT_EQ(screen.px.size(), painted.px.size());
    int differing = 0;
    for (size_t i = 0; i < screen.px.size(); ++i) differing += (screen.px[i] & 0xFFFFFF) != (painted.px[i] & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    Hold(VK_CONTROL, true);
    Key(VK_LEFT);
    Hold(VK_CONTROL, false);
    EXPECT_EQ(grid.Layout().firstCol, 0);
}

TEST_F(GridFixture, ColumnBordersDragAndFit) {
    const CRect first = Cell(0, 0);
    const int y = grid.GetTopMargin() / 2;
    const CPoint border(first.right - 1, y);

    Click(WM_LBUTTONDOWN, border);
    Click(WM_MOUSEMOVE, CPoint(border.x + 15, y));
    Click(WM_MOUSEMOVE, CPoint(border.x + 30, y));
    Click(WM_LBUTTONUP, CPoint(border.x + 30, y), 0);
    EXPECT_EQ(table.GetColWidth(0), 100);
    EXPECT_EQ(::GetCapture(), nullptr);

    const CPoint border1(Cell(0, 1).right - 1, y);
    Click(WM_LBUTTONDOWN, border1);
    Click(WM_MOUSEMOVE, CPoint(border1.x - 200, y));
    Click(WM_LBUTTONUP, CPoint(border1.x - 200, y), 0);
    EXPECT_EQ(table.GetColWidth(1), CGridCtrl::kMinColWidth);

    // A double-click on a border fits the column to its widest text.
    const CPoint border3(Cell(0, 3).right - 1, y);
    Click(WM_LBUTTONDOWN, border3);
    Click(WM_LBUTTONUP, border3, 0);
    Click(WM_LBUTTONDBLCLK, border3);
    Click(WM_LBUTTONUP, border3, 0);
    EXPECT_GT(table.GetColWidth(3), 150);
    EXPECT_LE(table.GetColWidth(3), grid.GetClientRect().Width() - grid.GetLeftMargin() - 10);

    // Losing the capture ends a resize as the button's release would.
    const int before = table.GetColWidth(2);
    const CPoint border2(Cell(0, 2).right - 1, y);
    Click(WM_LBUTTONDOWN, border2);
    EXPECT_EQ(::GetCapture(), grid.GetSafeHwnd());
    Click(WM_MOUSEMOVE, CPoint(border2.x + 10, y));
    ::ReleaseCapture();
    wtest::Pump();
    const int after = table.GetColWidth(2);
    Click(WM_MOUSEMOVE, CPoint(border2.x + 40, y), 0);
    Click(WM_LBUTTONUP, CPoint(border2.x + 40, y), 0);
    EXPECT_EQ(table.GetColWidth(2), after) << "nothing resizes after the capture is gone";
    EXPECT_EQ(after, before + 10) << "the width where the pointer was last seen";

    // The same for a drag selection.
    grid.EnsureCellVisible({0, 0});
    ASSERT_EQ(grid.Layout().firstCol, 0);
    Click(WM_LBUTTONDOWN, Mid(Cell(2, 0)));
    Click(WM_MOUSEMOVE, Mid(Cell(4, 0)));
    EXPECT_EQ(table.m_dragState, GRID_DRAG_RUNNING);
    ::ReleaseCapture();
    wtest::Pump();
    EXPECT_EQ(table.m_dragState, GRID_DRAG_IDLE);
    Click(WM_MOUSEMOVE, Mid(Cell(8, 0)), 0);
    EXPECT_EQ(Cur(), (GridCell{0, 4}));
    EXPECT_TRUE(table.IsInSelection(3, 0));
}

TEST_F(GridFixture, CopiesTheSelectionToTheClipboard) {
    grid.SetCurrentCell({1, 1});
    Hold(VK_SHIFT, true);
    grid.SetCurrentCell({2, 2});
    Hold(VK_SHIFT, false);
    Hold(VK_CONTROL, true);
    grid.SendMessage(WM_CHAR, 0x03, 1);
    Hold(VK_CONTROL, false);
    EXPECT_EQ(wtest::ClipboardText(), L"banana\t1-2\r\n2-1\t2-2\r\n");

    // A clipboard held by another window: said in a box, nothing left open.
    std::vector<std::wstring> boxes;
    SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        boxes.push_back(r.text);
        return IDOK;
    });
    wtest::HostWindow other(100, 100, WS_OVERLAPPED);
    ASSERT_TRUE(::OpenClipboard(other));
    grid.Copy();
    ::CloseClipboard();
    SetMessageBoxHandler(nullptr);
    if (!boxes.empty()) {
        EXPECT_EQ(boxes[0], L"Cannot open the Clipboard");
    }
    ASSERT_TRUE(::OpenClipboard(nullptr)) << "the grid left the clipboard open";
    ::CloseClipboard();
}

// A table whose cells can be edited; "?" is refused without a reason, "!" with one.
struct EditableTable : Table {
    bool IsEditable() override { return true; }
    bool IsCellEditable(int, int) override { return true; }
    int SetCellText(int row, int col, const char16_t* text, int) override {
        const std::u16string t(text);
        if (t.find(u'?') != std::u16string::npos) return 1;
        if (t.find(u'!') != std::u16string::npos) return 2;
        texts.push_back(t);
        SetCell(row, col, texts.back().c_str());
        return 0;
    }
    std::u16string GetLastError() override { return reason; }
    std::u16string reason;
};

TEST(GridEditing, ARefusalWithoutAReasonKeepsTheEditorAndTheText) {
    EditableTable table;
    CGridCtrl grid;
    ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 330, 230), wtest::SharedHost(), 6));
    grid.SetGridData(&table);
    grid.SetCurrentCell({1, 2});
    ASSERT_TRUE(grid.BeginEdit(false));
    CEditCtrl* editor = grid.GetEditor();
    ASSERT_NE(editor, nullptr);
    editor->GetEditData()->InsertText(u"?", 1);
    EXPECT_FALSE(grid.EndEdit());
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(editor->GetEditData()->GetText(), u"2-1?");

    std::vector<std::wstring> boxes;
    SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        boxes.push_back(r.caption + L":" + r.text);
        return IDOK;
    });
    editor->GetEditData()->InsertText(u"!", 1);
    table.reason = u"no";
    EXPECT_FALSE(grid.EndEdit());
    SetMessageBoxHandler(nullptr);
    EXPECT_FALSE(grid.IsEditing());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"Error:no");
    EXPECT_EQ(std::u16string(table.GetCellText(2, 1)), u"2-1");

    ASSERT_TRUE(grid.BeginEdit(false));
    editor->GetEditData()->InsertText(u"x", 1);
    EXPECT_TRUE(grid.EndEdit());
    EXPECT_EQ(std::u16string(table.GetCellText(2, 1)), u"2-1x");
}

TEST(GridPanes, TwoPanesOfOneModelKeepInStep) {
    Table table;
    CWnd::RegisterWindowClass(L"TORKA_TestPaneView", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    CWnd viewA, viewB;
    ASSERT_TRUE(viewA.CreateEx(0, L"TORKA_TestPaneView", L"", WS_CHILD | WS_VISIBLE, CRect(0, 240, 300, 440),
                               wtest::SharedHost(), nullptr));
    ASSERT_TRUE(viewB.CreateEx(0, L"TORKA_TestPaneView", L"", WS_CHILD | WS_VISIBLE, CRect(310, 240, 610, 440),
                               wtest::SharedHost(), nullptr));
    RecordingGrid a, b;
    a.m_paneMode = b.m_paneMode = TRUE;
    ASSERT_TRUE(a.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), viewA, 1));
    ASSERT_TRUE(b.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), viewB, 2));
    a.SetGridData(&table);
    b.SetGridData(&table);
    EXPECT_EQ(table.GetListener(0), a.GetSafeHwnd());
    EXPECT_EQ(table.GetListener(1), b.GetSafeHwnd());
    b.SetFocus();
    a.SetFocus();
    wtest::Pump();
    b.received.clear();

    a.SetCurrentCell({2, 3});
    wtest::Pump();
    auto got = [&b](UINT msg) {
        for (UINT m : b.received)
            if (m == msg) return true;
        return false;
    };
    EXPECT_TRUE(got(WM_GRID_SYNC_REDRAWCELL));
    // The other pane shows the shared current cell, highlighted as the
    // current cell of a pane without the focus.
    wtest::Pixels px = Print(b);
    const CRect cell = b.GetCellRect(3, 2);
    EXPECT_EQ(px.At(cell.right - 4, cell.top + 2), 0xDCC8C8u);
    EXPECT_EQ(px.At(cell.left, cell.top + 5), 0x000000u);

    // A column resized in one pane is laid out again in the other.
    const CPoint border(a.GetCellRect(0, 0).right - 1, a.GetTopMargin() / 2);
    a.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, border.ToLParam());
    a.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, CPoint(border.x + 20, border.y).ToLParam());
    a.SendMessage(WM_LBUTTONUP, 0, CPoint(border.x + 20, border.y).ToLParam());
    EXPECT_TRUE(got(WM_GRID_SYNC_RELAYOUT));
    EXPECT_EQ(b.GetCellRect(0, 1).left, a.GetCellRect(0, 1).left);

    // Focus: the pane that gets it tells the other to step back.
    b.received.clear();
    a.received.clear();
    b.SetFocus();
    wtest::Pump();
    bool deactivated = false;
    for (UINT m : a.received) deactivated |= m == WM_GRID_SYNC_DEACTIVATE;
    EXPECT_TRUE(deactivated);

    b.DestroyWindow();
    EXPECT_EQ(table.GetListener(1), nullptr);
}

// A picture for reviewers: headers, a selection and the tip over a clipped title.
TEST_F(GridFixture, PictureWithHeadersSelectionAndTip) {
    grid.SetGridStyle(grid.GetGridStyle() | GRID_TITLE_TIPS | GRID_SHADE_CURRENT | GRID_MARK_SPACE);
    grid.SetSearchHighlight(L"nan", false, true, false);
    grid.SetCurrentCell({1, 1});
    Hold(VK_SHIFT, true);
    grid.SetCurrentCell({2, 3});
    Hold(VK_SHIFT, false);
    const CRect title = Cell(0, 2);
    POINT at{title.left + 10, grid.GetTopMargin() / 2};
    POINT screen = at;
    ::ClientToScreen(grid, &screen);
    ::SetCursorPos(screen.x, screen.y);
    grid.SendMessage(WM_MOUSEMOVE, 0, CPoint(at).ToLParam());
    const DWORD start = ::GetTickCount();
    while (!grid.IsTipShown() && ::GetTickCount() - start < 3000) wtest::Pump(50);
    EXPECT_TRUE(grid.IsTipShown());
    wtest::Pump(100);
    // The grid's picture with the tip's laid over it where it stands on the screen.
    wtest::Pixels grid_px = wtest::CaptureClient(grid);
    const CTipWnd* tip = grid.GetTip();
    ASSERT_NE(tip, nullptr);
    const wtest::Pixels tip_px = wtest::CaptureClient(tip->GetSafeHwnd());
    RECT tipRect;
    ::GetWindowRect(tip->GetSafeHwnd(), &tipRect);
    POINT origin{0, 0};
    ::ClientToScreen(grid, &origin);
    wtest::Pixels shot;
    shot.width = grid_px.width + 160;
    shot.height = grid_px.height;
    shot.px.assign(static_cast<size_t>(shot.width) * shot.height, 0xFFFFFF);
    for (int y = 0; y < grid_px.height; ++y)
        for (int x = 0; x < grid_px.width; ++x)
            shot.px[static_cast<size_t>(y) * shot.width + x] = grid_px.px[static_cast<size_t>(y) * grid_px.width + x];
    for (int y = 0; y < tip_px.height; ++y)
        for (int x = 0; x < tip_px.width; ++x) {
            const int sx = tipRect.left - origin.x + x, sy = tipRect.top - origin.y + y;
            if (sx >= 0 && sy >= 0 && sx < shot.width && sy < shot.height)
                shot.px[static_cast<size_t>(sy) * shot.width + sx] = tip_px.px[static_cast<size_t>(y) * tip_px.width + x];
        }
    EXPECT_TRUE(wtest::WriteBmp(TEST_OUTPUT_DIR "/grid_headers_selection_tip.bmp", shot));
    ::SetCursorPos(700, 700);
}

}  // namespace

namespace {

// Whether some pixel strictly inside r has the colour c.
bool AnyPixelInside(const wtest::Pixels& p, const CRect& r, COLORREF c) {
    for (int y = r.top + 1; y < r.bottom - 1 && y < p.height; ++y)
        for (int x = r.left + 1; x < r.right - 1 && x < p.width; ++x)
            if (p.At(x, y) == c) return true;
    return false;
}

// An underscore's stroke, thinner than a pixel row or below the text's
// cell, is lost by the monochrome rasteriser: a cell holding only
// underscores still shows them, in a Japanese and a Western fixed-pitch face
// at the sizes the editor offers.
TEST(GridPaint, UnderscoresAreDrawnInTheirCells) {
    for (const wchar_t* face : {L"ＭＳ ゴシック", L"DejaVu Sans Mono"}) {
        for (int height = -10; height >= -24; --height) {
            Table table;
            table.SetCell(3, 1, u"___");
            table.SetCell(3, 2, u"a_b");
            table.m_curCell = {0, 0};
            CGridCtrl grid;
            ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 330, 230), wtest::SharedHost(), 5));
            LOGFONTW lf{};
            lf.lfHeight = height;
            lf.lfCharSet = SHIFTJIS_CHARSET;
            lf.lfPitchAndFamily = FIXED_PITCH;
            lf.lfQuality = NONANTIALIASED_QUALITY;
            wcscpy(lf.lfFaceName, face);
            CFont font;
            font.CreateFontIndirect(lf);
            grid.SetFont(font);
            grid.SetGridData(&table);
            const wtest::Pixels px = Print(grid);
            EXPECT_TRUE(AnyPixelInside(px, grid.GetCellRect(3, 1), 0x000000u)) << "size " << -height;
            if (height == -16 && face[0] == L'D') wtest::WriteBmp(TEST_OUTPUT_DIR "/grid_underscores.bmp", px);
            grid.DestroyWindow();
        }
    }
}

}  // namespace
