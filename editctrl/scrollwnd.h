// CScrollWnd: the scrolling child-window base of the editing window and the
// grid. It keeps the scroll bars in step with the geometry its subclass
// reports and scrolls the body and the fixed strips by pixels. Positions are
// in the subclass's units (rows, columns, cells), never in pixels.
#pragma once

#include "framework/wnd.h"

class CPaneHost;

class CScrollWnd : public CWnd {
public:
    // Scroll mode flags.
    enum : UINT {
        kScrollHorzWithoutBar = 0x01,  // horizontal scrolling without a shown bar; none shown on demand
        kCreatedWithoutVScroll = 0x02,
        kCreatedWithoutHScroll = 0x04,
        kScrollVertWithoutBar = 0x08,
        kAlwaysVertBar = 0x10,
        kAlwaysHorzBar = 0x20,
        kLockUpdateWhileScrolling = 0x40,
        kPaneAddsBarStyles = 0x80,  // pane mode: add WS_VSCROLL|WS_HSCROLL to the own style
    };

    CScrollWnd() = default;

    UINT m_scrollFlags = 0;
    BOOL m_vertBarEnabled = FALSE;
    BOOL m_horzBarEnabled = FALSE;
    double m_wheelDeltaPerRow = 40.0;
    // The window is a pane: its parent is a pane view whose parent is a
    // CPaneHost that owns the scroll bars.
    BOOL m_paneMode = FALSE;
    BOOL m_insideMdiFrame = FALSE;

    // Geometry the subclass reports.
    virtual int GetVisibleColumns() = 0;
    virtual int GetVisibleRows() = 0;
    virtual int GetLeftMargin() = 0;
    virtual int GetTopMargin() = 0;
    virtual int GetRightMargin() { return 0; }
    virtual int GetBottomMargin() { return 0; }
    virtual int GetContentWidth() = 0;
    virtual int GetContentHeight() = 0;
    virtual int ColumnsToPixels(int a, int b) = 0;
    virtual int RowsToPixels(int a, int b) = 0;
    virtual int GetMinRow() { return 0; }
    virtual int GetMaxRow() { return 0; }
    virtual int GetRowPageSize() { return 0; }
    virtual int GetMinColumn() { return 0; }
    virtual int GetMaxColumn() { return 0; }
    virtual int GetColumnPageSize() { return 0; }
    virtual int GetRowStep() { return 1; }
    virtual int GetColumnStep() { return 1; }
    virtual void OnScrolled(int dx, int dy, BOOL thumbTracking) {}
    virtual void OnEndScroll() {}

    // One request for both axes: the low byte is the horizontal SB_* code,
    // the high byte the vertical one, 0xFF for no change; a code of 0x0900
    // or more leaves the vertical axis alone. position is the thumb position
    // for SB_THUMBTRACK. Returns whether anything moved.
    BOOL OnScroll(UINT code, int position);
    // Scroll by columns and rows, clamped; 1 when a position changed.
    BOOL OnScrollBy(int dx, int dy, BOOL thumbTracking);
    void UpdateScrollBars();

    // The bar that serves this window: its own, or in pane mode the pane view's.
    int GetScrollPos(int bar) const;
    int GetScrollLimit(int bar) const;
    void SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    void SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE);
    CRect GetScrollClientRect() const;
    HWND GetScrollBarCtrl(int bar) const override;

    void ScrollLineUp() { OnScroll(0x00FF, GetScrollPos(SB_VERT)); }
    void ScrollLineDown() { OnScroll(0x01FF, GetScrollPos(SB_VERT)); }
    void ScrollPageUp() { OnScroll(0x02FF, GetScrollPos(SB_VERT)); }
    void ScrollPageDown() { OnScroll(0x03FF, GetScrollPos(SB_VERT)); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnHScroll(UINT code, HWND barCtrl);
    void OnVScroll(UINT code, HWND barCtrl);
    void OnMouseWheel(short delta);
    void OnRButtonDown(WPARAM flags, CPoint point);

private:
    CWnd* PaneView() const;
    CPaneHost* PaneHost() const;
    // The bar's SCROLLINFO from the pane view in pane mode, else our own.
    void ReadScrollInfo(int bar, SCROLLINFO* info) const;
    bool BarAllowsScrolling(int bar) const;
    // Whether a bar is wanted when the body has this extent on its axis.
    bool NeedBar(bool vertical, int extent);
    void UpdateBar(int bar, bool wanted, bool enabled, int min, int max, int page);

    // What each bar was last given: setting a bar redraws it, which costs a
    // keystroke more than the rest of its work, so an unchanged bar is left alone.
    struct BarState {
        int min = 0, max = -1, page = -1;
        bool wanted = false, enabled = false, valid = false;
    };
    BarState m_barState[2];
};
