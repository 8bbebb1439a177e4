#include "editctrl/core/caret_geometry.h"

#include <algorithm>

namespace caretgeom {

int RowStart(const LineRows& rec, int row) { return rec.Start(row); }

int RowEnd(const LineRows& rec, int row) { return rec.End(row); }

int RowOfColumn(const LineRows& rec, int column, bool preferPreviousRow) {
    int row = 0;
    while (row + 1 < rec.count && rec.starts && rec.starts[row] <= column) ++row;
    if (preferPreviousRow && row > 0 && RowStart(rec, row) == column) --row;
    return row;
}

int PixelInRow(const LineRows& rec, int row, int column, const CCharWidthTable& table, CTextMetrics* m) {
    const int start = RowStart(rec, row);
    const int n = std::min(column, rec.length) - start;
    return n > 0 ? CalcTextWidth(rec.text + start, table, m, n) : 0;
}

int ColumnAtPixel(const LineRows& rec, int row, int pixel, const CCharWidthTable& table, CTextMetrics* m) {
    const int start = RowStart(rec, row);
    const int column = start + CalcCharIndexAtX(rec.text + start, table, m, std::max(pixel, 0));
    return row + 1 < rec.count ? std::min(column, RowEnd(rec, row)) : column;
}

int BottomRowMargin(int visibleRows, bool extraLastRow) {
    if (visibleRows < 2) return 1;
    return extraLastRow && visibleRows > 2 ? 3 : 2;
}

ScrollDelta EnsureVisibleDelta(int column, int row, int hpos, int vpos, int visibleColumns, int visibleRows,
                               bool extraLastRow) {
    ScrollDelta d;
    if (column < hpos)
        d.dx = column - hpos;
    else if (column > hpos + visibleColumns - 2)
        d.dx = column - hpos - visibleColumns + 2;
    const int m = BottomRowMargin(visibleRows, extraLastRow);
    if (row < vpos)
        d.dy = row - vpos;
    else if (row > vpos + visibleRows - m)
        d.dy = row + m - vpos - visibleRows;
    return d;
}

}  // namespace caretgeom
