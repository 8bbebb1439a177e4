// How the current cell moves and the selection grows, without a window:
// clamping, skipping hidden columns, the row-major corners of a selection,
// and what each navigation key asks for.
#pragma once

#include <cstdint>

#include "grid/core/grid_data.h"

// Where a move from `from` to `to` lands: negative coordinates become 0,
// both are clamped to the last column and row, and a hidden column is
// skipped in the direction of the move (when no visible one lies that way,
// the nearest one back toward the old column, or the old column itself).
// -1 on an axis without cells.
GridCell ResolveMove(CGridData& model, GridCell from, GridCell to);

// The last cell: column 0 of the last row under a row cursor, else the last column.
GridCell LastCell(CGridData& model, bool rowCursor);

// Sets the corners from the anchor to cell in row-major order, widened to
// all columns (row selections) or all rows (column selections).
void ExtendSelectionTo(CGridData& model, GridCell cell);
// No selection: both corner rows -1, kind cells.
void ClearSelectionState(GridSelection& sel);
// A selection of whole rows / columns / everything, anchored at its first cell.
void SelectWholeRows(CGridData& model, int row);
void SelectWholeColumns(CGridData& model, int col);
void SelectEverything(CGridData& model);

// The rows whose highlight may differ between two selections (first > last: none).
struct GridRowSpan {
    int first;
    int last;
};
GridRowSpan ChangedSelectionRows(const GridSelection& before, const GridSelection& after);

// The keys the grid moves by (their virtual-key codes).
enum GridKey : unsigned {
    GRID_KEY_TAB = 0x09,
    GRID_KEY_RETURN = 0x0D,
    GRID_KEY_SHIFT = 0x10,
    GRID_KEY_CONTROL = 0x11,
    GRID_KEY_ESCAPE = 0x1B,
    GRID_KEY_PRIOR = 0x21,
    GRID_KEY_NEXT = 0x22,
    GRID_KEY_END = 0x23,
    GRID_KEY_HOME = 0x24,
    GRID_KEY_LEFT = 0x25,
    GRID_KEY_UP = 0x26,
    GRID_KEY_RIGHT = 0x27,
    GRID_KEY_DOWN = 0x28,
    GRID_KEY_DELETE = 0x2E,
    GRID_KEY_F2 = 0x71,
};

// What a key asks of the grid.
struct GridKeyAction {
    enum Kind { None, Move, Scroll, ClearSelection, DeleteCells, BeginEdit, ToggleEndMode } kind = None;
    GridCell target;             // Move: the cell to make current
    int scrollCols = 0;          // Scroll: columns and rows to scroll by
    int scrollRows = 0;
    bool clearSelection = false; // Move: clear the selection after the move
    bool endMode = false;        // the End mode after the key
};
// page: the rows fully visible.
GridKeyAction MapGridKey(CGridData& model, unsigned key, bool ctrl, bool shift, bool endMode, std::uint32_t style,
                         int page);
