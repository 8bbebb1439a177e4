#include "grid/core/grid_geometry.h"

#include "grid/core/grid_style.h"

int ColumnSpan(CGridData& model, int a, int b) {
    if (b < a) return -ColumnSpan(model, b, a);
    int sum = 0;
    for (int c = a; c < b; ++c) sum += model.GetColWidth(c);
    return sum;
}

int ColumnX(CGridData& model, const GridLayout& layout, int col) {
    return layout.leftStrip + ColumnSpan(model, layout.firstCol, col);
}

int FullRowsVisible(const GridLayout& layout) {
    if (layout.rowHeight <= 0) return 0;
    const int h = layout.clientHeight - layout.topStrip;
    return h > 0 ? h / layout.rowHeight : 0;
}

int FullColumnsVisible(CGridData& model, const GridLayout& layout) {
    const int cols = model.GetColCount();
    int x = layout.leftStrip, n = 0;
    for (int c = layout.firstCol; c < cols; ++c) {
        x += model.GetColWidth(c);
        if (x > layout.clientWidth) break;
        ++n;
    }
    return n;
}

int LastDrawnColumn(CGridData& model, const GridLayout& layout) {
    const int cols = model.GetColCount();
    int x = layout.leftStrip, c = layout.firstCol;
    for (; c < cols; ++c) {
        x += model.GetColWidth(c);
        if (x >= layout.clientWidth) return c;
    }
    return cols - 1;
}

int LastDrawnRow(CGridData& model, const GridLayout& layout) {
    const int last = layout.firstRow + FullRowsVisible(layout);
    const int rows = model.GetRowCount();
    return last < rows ? last : rows - 1;
}

int ColumnsFittingFromEnd(CGridData& model, const GridLayout& layout) {
    const int room = layout.clientWidth - layout.leftStrip;
    int sum = 0, n = 0;
    for (int c = model.GetColCount() - 1; c >= 0; --c) {
        sum += model.GetColWidth(c);
        if (sum > room) break;
        ++n;
    }
    return n;
}

int FirstShownColumn(CGridData& model) {
    const int cols = model.GetColCount();
    for (int c = 0; c < cols; ++c)
        if (model.GetColWidth(c) > 0) return c;
    return 0;
}

namespace {

constexpr int kBorderSlack = 3;

// The column whose span holds x (>= the strip); cols when right of the last.
int ColumnAt(CGridData& model, const GridLayout& layout, int x) {
    const int cols = model.GetColCount();
    int left = layout.leftStrip;
    for (int c = layout.firstCol; c < cols; ++c) {
        const int right = left + model.GetColWidth(c);
        if (x < right) return c;
        left = right;
    }
    return cols;
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

GridHit GridHitTest(CGridData& model, const GridLayout& layout, int x, int y) {
    GridHit hit;
    const int cols = model.GetColCount(), rows = model.GetRowCount();
    if (x < 0 || y < 0 || x >= layout.clientWidth || y >= layout.clientHeight) return hit;
    if (y < layout.topStrip) {
        if (x < layout.leftStrip) {
            hit.kind = GridHit::Corner;
            return hit;
        }
        int right = layout.leftStrip;
        for (int c = layout.firstCol; c < cols; ++c) {
            right += model.GetColWidth(c);
            if (x >= right - kBorderSlack && x <= right + kBorderSlack) {
                int pick = c;
                if (x > right && c + 1 < cols && model.GetColWidth(c + 1) == 0) pick = c + 1;
                hit.kind = GridHit::ColumnBorder;
                hit.col = pick;
                return hit;
            }
            if (right > x + kBorderSlack) break;
        }
        const int c = ColumnAt(model, layout, x);
        if (c < cols) {
            hit.kind = GridHit::ColumnTitle;
            hit.col = c;
        }
        return hit;
    }
    const int row = layout.rowHeight > 0 ? layout.firstRow + (y - layout.topStrip) / layout.rowHeight : rows;
    if (row >= rows) return hit;
    if (x < layout.leftStrip) {
        hit.kind = GridHit::RowHeader;
        hit.row = row;
        return hit;
    }
    const int c = ColumnAt(model, layout, x);
    if (c >= cols) return hit;
    hit.kind = GridHit::Cell;
    hit.col = c;
    hit.row = row;
    return hit;
}

GridCell GridCellFromPoint(CGridData& model, const GridLayout& layout, int x, int y, bool clamp) {
    const int cols = model.GetColCount(), rows = model.GetRowCount();
    int row = layout.rowHeight > 0 ? layout.firstRow + FloorDiv(y - layout.topStrip, layout.rowHeight) : 0;
    int col = x < layout.leftStrip ? layout.firstCol - 1 : ColumnAt(model, layout, x);
    const bool inside = row >= 0 && row < rows && col >= 0 && col < cols && x >= layout.leftStrip &&
                        y >= layout.topStrip;
    if (!clamp) return inside ? GridCell{col, row} : GridCell{-1, -1};
    if (rows <= 0 || cols <= 0) return {-1, -1};
    col = col < 0 ? 0 : col >= cols ? cols - 1 : col;
    row = row < 0 ? 0 : row >= rows ? rows - 1 : row;
    return {col, row};
}

int ScrollRowFor(const GridLayout& layout, int row, std::uint32_t style) {
    const int visible = FullRowsVisible(layout);
    int top = layout.firstRow;
    if (style & GRID_SCROLL_ROW_TO_MIDDLE)
        top = row - visible / 2 + 1;
    else if (style & GRID_SCROLL_ROW_TO_TOP)
        top = row;
    else if (row < layout.firstRow)
        top = row;
    else if (row >= layout.firstRow + visible)
        top = row - (visible > 0 ? visible : 1) + 1;
    return top < 0 ? 0 : top;
}

int ScrollColumnFor(CGridData& model, const GridLayout& layout, int col) {
    if (col < layout.firstCol) return col;
    const int room = layout.clientWidth - layout.leftStrip;
    if (ColumnSpan(model, layout.firstCol, col + 1) <= room) return layout.firstCol;
    int left = col;
    int sum = model.GetColWidth(col);
    while (left > layout.firstCol && sum + model.GetColWidth(left - 1) <= room) sum += model.GetColWidth(--left);
    return left;
}

int FitColumnWidth(int measured, int titleWidth, int minWidth, bool noLimit, const GridLayout& layout) {
    int w = measured > minWidth ? measured : minWidth;
    if (titleWidth > w) w = titleWidth;
    w += 4;
    if (!noLimit) {
        const int room = layout.clientWidth - layout.leftStrip - 10;
        if (w > room) w = room;
    }
    return w < minWidth ? minWidth : w;
}
