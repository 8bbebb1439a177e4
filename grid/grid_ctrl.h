// CGridCtrl: a spreadsheet-like window over a CGridData: a strip of column
// titles, a strip of row headers and the cells, with a current cell, a
// selection, column resizing and fitting, keys, mouse, in-place editing
// through one editing window, copying and pasting. The current cell and the
// selection live in the model, so every window on one model shares them;
// windows on one model as panes of a splitter keep each other in step by
// the private messages below. What needs no window is in grid/core.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "editctrl/core/regex_cache.h"
#include "editctrl/gdi_text_metrics.h"
#include "editctrl/scrollwnd.h"
#include "framework/gdi.h"
#include "grid/core/grid_data.h"
#include "grid/core/grid_geometry.h"
#include "grid/core/grid_style.h"

class CEditCtrl;
class CEditData;
class CTipWnd;

enum GridCtrlMessage : UINT {
    WM_GRID_CURCELLCHANGED = 0x8301,  // to the parent: wParam column, lParam row
    WM_GRID_SELCHANGED = 0x8302,
    WM_GRID_CELLEDITED = 0x8303,      // posted: wParam column, lParam row
    WM_GRID_KILLFOCUS = 0x8305,       // wParam the window taking the focus
    WM_GRID_SETFOCUS = 0x8306,        // wParam the window losing the focus
    WM_GRID_SYNC_RELAYOUT = 0x8310,   // to the other panes of the model
    WM_GRID_SYNC_INVALIDATE = 0x8311,
    WM_GRID_SYNC_REDRAWCELL = 0x8312,       // wParam row, lParam column
    WM_GRID_SYNC_REDRAWROW = 0x8313,        // wParam row
    WM_GRID_SYNC_REDRAWROWHEADER = 0x8314,  // wParam row
    WM_GRID_SYNC_REDRAWRANGE = 0x8315,      // wParam, lParam: pointers to two GridCells
    WM_GRID_SYNC_REDRAWHEADERS = 0x8316,
    WM_GRID_SYNC_CURCELL = 0x8317,
    WM_GRID_DBLCLK = 0x8340,          // to the parent: first and last column (row)
    WM_GRID_SYNC_DEACTIVATE = 0x8350,
    WM_GRID_EDITKEYDOWN = 0x8390,     // a key pressed in the in-place editor
};

// Timer ids on the grid window.
enum : UINT_PTR {
    kGridTimerResize = 100,
    kGridTimerDrag = 101,
    kGridTimerTip = 102,
};

class CGridCtrl : public CScrollWnd {
public:
    static const wchar_t kClassName[];
    static constexpr UINT kEditorId = 2001;
    static constexpr int kMinColWidth = 5;

    CGridCtrl();
    ~CGridCtrl() override;

    BOOL Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect, HWND parent,
                UINT id) override;
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return Create(kClassName, L"", style, rect, parent, id);
    }

    // The model shown; null shows the default model. The model must outlive the window.
    virtual void SetGridData(CGridData* model);
    virtual CGridData* GetGridData() const { return m_data; }
    // Copies the font; the grid measures itself again.
    virtual void SetFont(HFONT font);
    HFONT GetFont() const { return m_font; }
    virtual void OnBeginEdit() {}
    virtual void DrawCell(HDC dc, const RECT& clip, const RECT& cell, int row, int col);

    void SetGridStyle(std::uint32_t style);
    std::uint32_t GetGridStyle() const { return m_style; }
    // Entry 0-16 of the model's colour table (and what follows from 0, 8 and 15).
    void SetColor(int index, COLORREF color);
    COLORREF GetColor(int index) const;
    // Search-match highlighting of cell texts; a pattern that does not compile switches it off.
    bool SetSearchHighlight(const std::wstring& pattern, bool matchCase, bool matchWidth, bool useRegex);
    void ClearSearchHighlight();

    // Geometry.
    int GetRowHeight() const { return m_rowHeight; }
    int GetVertPageSize() const { return m_vertPage; }
    GridLayout Layout() const;
    CRect GetCellRect(int row, int col) const;
    // Whether the tip over a clipped title is shown; the tip of the model shown.
    bool IsTipShown() const;
    const CTipWnd* GetTip() const;

    // CScrollWnd geometry.
    int GetVisibleColumns() override;
    int GetVisibleRows() override { return m_vertPage; }
    int GetLeftMargin() override { return m_leftStrip; }
    int GetTopMargin() override { return m_topStrip; }
    int GetContentWidth() override;
    int GetContentHeight() override;
    int ColumnsToPixels(int a, int b) override { return ::ColumnsToPixels(*m_data, a, b); }
    int RowsToPixels(int a, int b) override { return (a - b) * m_rowHeight; }
    int GetMaxRow() override;
    int GetRowPageSize() override;
    int GetMinColumn() override { return FirstShownColumn(*m_data); }
    int GetMaxColumn() override;
    int GetColumnPageSize() override;
    void OnScrolled(int dx, int dy, BOOL thumbTracking) override;

    // Navigation and selection.
    void SetCurrentCell(GridCell cell);
    void MoveCurrentCell(int dcol, int drow);
    void GoFirstCell() { SetCurrentCell({0, 0}); }
    void GoLastCell();
    void GoRowStart() { SetCurrentCell({0, m_data->m_curCell.row}); }
    void GoRowEnd() { SetCurrentCell({m_data->GetColCount() - 1, m_data->m_curCell.row}); }
    void GoColumnTop() { SetCurrentCell({m_data->m_curCell.col, 0}); }
    void GoColumnBottom() { SetCurrentCell({m_data->m_curCell.col, m_data->GetRowCount() - 1}); }
    void SelectRow(int row);
    void ClearCurrentCell();
    void ClearSelection(bool notify);
    void ExtendSelection(int col, int row);
    void SelectWholeRow(int row);
    void SelectWholeColumn(int col);
    void SelectAll();
    void EnsureCellVisible(GridCell cell);
    void AutoFitColumn(int col, bool includeTitle, bool noLimit);
    bool IsEndMode() const { return m_endMode; }

    // Editing and the clipboard.
    bool BeginEdit(bool caretAtStart);
    bool EndEdit();
    bool IsEditing() const;
    CEditCtrl* GetEditor() const { return m_editor.get(); }
    void Copy();
    void Paste();
    void Cut();
    void DeleteCells();

    // Redraws here and, in a splitter pane, in the other panes of the model.
    void RedrawCell(int row, int col);
    void RedrawRow(int row);
    void RedrawRowHeader(int row);
    void RedrawRange(GridCell a, GridCell b);
    void RedrawHeaders();
    void RedrawAll();
    // Lays the window out again (all panes first when a splitter pane).
    void Relayout();
    void RelayoutAllPanes();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;

private:
    // Layout and fonts (grid_ctrl.cpp).
    void MeasureFont();
    void RecalcStrips();
    void RelayoutHere();
    bool IsSplitterPane() const { return m_paneMode != FALSE; }
    // Sends a message to the other listener windows of the model (splitter panes only).
    void SendToOtherPanes(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void NotifyParent(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, bool post = false);
    void CreateEditor();
    void PlaceEditor();
    CTipWnd* Tip();
    bool HasFocusHere() const;
    void OnSetFocus(HWND lost);
    void OnKillFocus(HWND gained);
    // Local redraws (the pane messages land here).
    void InvalidateCell(int row, int col);
    void InvalidateRow(int row);
    void InvalidateRowHeader(int row);
    void InvalidateColumnTitle(int col);
    void InvalidateRows(int first, int last);

    // Painting (grid_paint.cpp).
    void OnPaint();
    void PaintTo(HDC dc, const RECT& clip);
    void DrawCorner(HDC dc);
    void DrawColumnTitles(HDC dc, int firstCol, int lastCol);
    void DrawRowHeaders(HDC dc, int firstRow, int lastRow);
    void DrawGridLines(HDC dc, int firstCol, int lastCol, int firstRow, int lastRow);
    // Pixel advances of the units of text (a TAB to its tab stop, the second
    // unit of a pair 0), from the model's width table.
    void Advances(const wchar_t* text, int n, std::vector<int>& dx);
    void DrawTextRun(HDC dc, const RECT& clip, int x, int y, const wchar_t* text, int n, const std::vector<int>& dx);
    void DrawMarks(HDC dc, const RECT& cell, int x, const wchar_t* text, int n, const std::vector<int>& dx,
                   bool lineEndCut);
    std::wstring TitleText(int col);
    bool IsCellHighlighted(int row, int col) const;
    COLORREF CellBackground(int row, int col);

    // Keys and mouse (grid_input.cpp).
    void OnKeyDown(UINT key);
    void OnSysKeyDown(UINT key);
    void OnLButtonDown(UINT flags, CPoint p);
    void OnLButtonUp(CPoint p);
    void OnLButtonDblClk(CPoint p);
    void OnRightButtonDown(CPoint p);
    void OnMouseMove(UINT flags, CPoint p);
    void OnTimer(UINT_PTR id);
    bool OnSetCursor();
    void StartDrag(int kind);
    void EndResize(bool apply, CPoint p);
    void EndDrag();
    void DragTo(CPoint p);
    void DrawResizeLine(int x);
    bool ShiftHeld() const;

    // Editing and the clipboard (grid_edit.cpp).
    void OnChar(UINT ch);
    void OnEditKeyDown(UINT key);
    void OnEditKillFocus(HWND gained);
    void AfterModelUndo();
    static LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void ResetEditorIme();

    CGridData* m_data;
    std::unique_ptr<CEditData> m_editData;
    std::unique_ptr<CEditCtrl> m_editor;
    std::uint32_t m_style = GRID_COL_TITLES | GRID_ROW_HEADERS | GRID_SELECTIONS | GRID_CTRL_KEYS;
    int m_rowHeight = 21;
    int m_leftStrip = 0;
    int m_topStrip = 0;
    int m_headerLines = 1;
    CFont m_font;
    int m_lineHeight = 18;
    int m_ascent = 14;
    int m_digitWidth = 9;
    int m_headerCharWidth = 9;
    int m_vertPage = 1;
    CEditCtrlDC m_measureDC;
    CGdiTextMetrics m_metrics{&m_measureDC};

    // Search highlight.
    CRegexCache m_search;
    std::u16string m_searchPattern;
    bool m_searchMatchCase = false, m_searchMatchWidth = false, m_searchRegex = false;

    // Title tips, column resizing, End mode.
    CPoint m_hoverPoint{-1, -1};
    int m_hoverCol = -1;
    int m_resizeState = 0;  // 0 none, 1 pressed on a border, 2 dragging
    int m_resizeCol = -1;
    CPoint m_pressPoint{0, 0};
    int m_resizeLineX = -1;
    bool m_endMode = false;

    // Focus bookkeeping.
    bool m_activePane = false;
    bool m_focusLeftWhileEditing = false;
};
