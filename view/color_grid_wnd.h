// The colour picker's grid: 8 × 8 colour cells drawn in a sunken edge, one
// of them selected by a click or the arrow keys; Ctrl+Z and Ctrl+Y undo and
// redo colour changes. It tells its parent about the selection by message.
#pragma once

#include <windows.h>

#include "framework/wnd.h"
#include "view/core/color_grid_model.h"

// To the parent: the selected cell's colour in wParam.
constexpr UINT WM_COLORGRID_PICK = WM_USER + 300;
// To the parent on a double click: the selected cell's colour in wParam.
constexpr UINT WM_COLORGRID_ACCEPT = WM_USER + 301;

class CColorGridWnd : public CWnd {
public:
    static constexpr const wchar_t* kClassName = L"TORKA_COLORGRIDCtrl";
    static bool RegisterClass();

    bool Create(const RECT& rect, HWND parent, UINT id);

    CColorGridModel& Model() { return m_model; }
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    // The cell's rectangle in client coordinates.
    RECT CellRect(int column, int row) const;

    // Selects the cell, redraws the old and the new one, tells the parent.
    void SelectCell(int column, int row);
    // The selected cell takes the colour (undoable), is redrawn, and the
    // parent is told.
    void SetSelectedColor(COLORREF color);

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    void OnKeyDown(WPARAM key);
    void InvalidateCell(int index);
    void NotifyParent(UINT msg);

    CColorGridModel m_model;
    int m_cellWidth = 1;
    int m_cellHeight = 1;
};
