// Where the grid's strips, columns and rows lie in the window, what a point
// hits, how far to scroll to show a cell, and the width a fitted column gets.
#pragma once

#include <cstdint>

#include "grid/core/grid_data.h"

struct GridLayout {
    int rowHeight = 21;
    int leftStrip = 0;  // row-header width
    int topStrip = 0;   // column-title height
    int clientWidth = 0;
    int clientHeight = 0;
    int firstCol = 0;   // scroll positions
    int firstRow = 0;
};

// Sum of the widths of columns a .. b-1; negative when b < a.
int ColumnSpan(CGridData& model, int a, int b);
// Pixels the picture moves when the first column goes from a to b: positive
// when it moves right (b < a), as rows do.
inline int ColumnsToPixels(CGridData& model, int a, int b) { return ColumnSpan(model, b, a); }
int ColumnX(CGridData& model, const GridLayout& layout, int col);
inline int RowY(const GridLayout& layout, int row) {
    return layout.topStrip + (row - layout.firstRow) * layout.rowHeight;
}

// Whole rows below the title strip.
int FullRowsVisible(const GridLayout& layout);
// Columns fully visible from the first column.
int FullColumnsVisible(CGridData& model, const GridLayout& layout);
// The columns drawn: from the first column while they start inside the window.
int LastDrawnColumn(CGridData& model, const GridLayout& layout);
int LastDrawnRow(CGridData& model, const GridLayout& layout);
// Columns that fit right of the row headers, counted back from the last column.
int ColumnsFittingFromEnd(CGridData& model, const GridLayout& layout);
// The first column with a width (0 when none has).
int FirstShownColumn(CGridData& model);

struct GridHit {
    enum Kind { Nothing, Corner, ColumnBorder, ColumnTitle, RowHeader, Cell } kind = Nothing;
    int col = -1;
    int row = -1;
};
// A border is within 3 pixels of a column's right edge in the title strip;
// right of it, a hidden column just after it is taken.
GridHit GridHitTest(CGridData& model, const GridLayout& layout, int x, int y);
// The cell under a point, or (-1, -1) outside the cells; clamped into the grid when asked.
GridCell GridCellFromPoint(CGridData& model, const GridLayout& layout, int x, int y, bool clamp);

// The first row to show so that row is visible: centred or at the top by
// style, else the smallest scroll (the current first row when visible).
int ScrollRowFor(const GridLayout& layout, int row, std::uint32_t style);
// The first column to show so that col is visible.
int ScrollColumnFor(CGridData& model, const GridLayout& layout, int col);

// The width an auto-fitted column gets: the widest text (and the title's,
// titleWidth < 0 for none), at least minWidth, plus 4; cut to the window
// unless noLimit, and never below minWidth, so a narrow window keeps it.
int FitColumnWidth(int measured, int titleWidth, int minWidth, bool noLimit, const GridLayout& layout);
