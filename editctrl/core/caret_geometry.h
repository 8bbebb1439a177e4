// Where a text position sits on the screen and back: rows of a wrapped line,
// pixels within a row, and the scroll that brings a cell into view. Pure
// arithmetic over the lines' rows and the text's width table.
#pragma once

#include "textengine/layout.h"
#include "textengine/text_metrics.h"

namespace caretgeom {

// The row (0 = the line's first) that holds column: the last row whose start
// is at or before it. With preferPreviousRow a column exactly at the start
// of a continuation row stays at the end of the row before.
int RowOfColumn(const LineRows& rec, int column, bool preferPreviousRow);
// First unit of a row of the line, and the unit after its last.
int RowStart(const LineRows& rec, int row);
int RowEnd(const LineRows& rec, int row);
// Pixel x of column within its row, measured from the row's start (TABs by
// the width table, counted from the row's start).
int PixelInRow(const LineRows& rec, int row, int column, const CCharWidthTable& table, CTextMetrics* m);
// The column a pixel x (from the row's start) hits: a character up to its
// middle; on a row that is not the line's last, at most the next row's start.
int ColumnAtPixel(const LineRows& rec, int row, int pixel, const CCharWidthTable& table, CTextMetrics* m);

// Rows kept between the caret and the body's bottom edge when scrolling down.
int BottomRowMargin(int visibleRows, bool extraLastRow);

struct ScrollDelta {
    int dx = 0;  // columns
    int dy = 0;  // rows
};
// The scroll that makes the cell at (column, row) visible with the view at
// (hpos, vpos) showing visibleColumns x visibleRows.
ScrollDelta EnsureVisibleDelta(int column, int row, int hpos, int vpos, int visibleColumns, int visibleRows,
                               bool extraLastRow);

}  // namespace caretgeom
