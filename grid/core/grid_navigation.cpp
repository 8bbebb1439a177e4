#include "grid/core/grid_navigation.h"

#include "grid/core/grid_style.h"
#include "textengine/invariant.h"

namespace {

int Clamp(int v, int last) { return last < 0 ? -1 : v < 0 ? 0 : v > last ? last : v; }

}  // namespace

GridCell ResolveMove(CGridData& model, GridCell from, GridCell to) {
    const int lastCol = model.GetColCount() - 1;
    const int lastRow = model.GetRowCount() - 1;
    int col = Clamp(to.col, lastCol);
    if (col >= 0 && model.GetColWidth(col) == 0) {
        const int step = to.col < from.col ? -1 : 1;
        int c = col;
        while (c >= 0 && c <= lastCol && model.GetColWidth(c) == 0) c += step;
        if (c < 0 || c > lastCol) {
            // Nothing visible that way: back toward the old column, at most to it.
            const int stop = Clamp(from.col, lastCol);
            for (c = col; c != stop && model.GetColWidth(c) == 0; c -= step) {}
        }
        col = c;
    }
    // The grid's window draws and edits the cell it lands on: inside the
    // grid, or -1 on an axis without cells.
    WENDREL_ASSERT(lastCol < 0 ? col == -1 : col >= 0 && col <= lastCol);
    return {col, Clamp(to.row, lastRow)};
}

GridCell LastCell(CGridData& model, bool rowCursor) {
    return {rowCursor ? 0 : model.GetColCount() - 1, model.GetRowCount() - 1};
}

void ExtendSelectionTo(CGridData& model, GridCell cell) {
    GridSelection& sel = model.m_sel;
    GridCell a = sel.anchor, b = cell;
    if (b.row < a.row || (b.row == a.row && b.col < a.col)) {
        const GridCell t = a;
        a = b;
        b = t;
    }
    if (sel.kind == GRID_SEL_ROWS) {
        a.col = 0;
        b.col = model.GetColCount() - 1;
    } else if (sel.kind == GRID_SEL_COLUMNS) {
        const int l = a.col < b.col ? a.col : b.col, r = a.col < b.col ? b.col : a.col;
        a = {l, 0};
        b = {r, model.GetRowCount() - 1};
    }
    sel.first = a;
    sel.second = b;
    WENDREL_ASSERT(sel.first.row <= sel.second.row);
}

void ClearSelectionState(GridSelection& sel) {
    sel.first.row = sel.second.row = -1;
    sel.kind = GRID_SEL_CELLS;
}

void SelectWholeRows(CGridData& model, int row) {
    model.m_sel.kind = GRID_SEL_ROWS;
    model.m_sel.anchor = {0, row};
    ExtendSelectionTo(model, {0, row});
}

void SelectWholeColumns(CGridData& model, int col) {
    model.m_sel.kind = GRID_SEL_COLUMNS;
    model.m_sel.anchor = {col, 0};
    ExtendSelectionTo(model, {col, 0});
}

void SelectEverything(CGridData& model) {
    model.m_sel.kind = GRID_SEL_CELLS;
    model.m_sel.anchor = {0, 0};
    ExtendSelectionTo(model, {model.GetColCount() - 1, model.GetRowCount() - 1});
}

GridRowSpan ChangedSelectionRows(const GridSelection& before, const GridSelection& after) {
    const bool hadRows = before.IsMultiCell(), hasRows = after.IsMultiCell();
    if (!hadRows && !hasRows) return {0, -1};
    if (!hadRows) return {after.first.row, after.second.row};
    if (!hasRows) return {before.first.row, before.second.row};
    if (before.Left() != after.Left() || before.Right() != after.Right())
        return {before.first.row < after.first.row ? before.first.row : after.first.row,
                before.second.row > after.second.row ? before.second.row : after.second.row};
    // Same columns: only the rows between the moved edges changed.
    GridRowSpan span{0, -1};
    auto add = [&span](int a, int b) {
        if (a > b) {
            const int t = a;
            a = b;
            b = t;
        }
        if (span.first > span.last) {
            span = {a, b};
        } else {
            if (a < span.first) span.first = a;
            if (b > span.last) span.last = b;
        }
    };
    if (before.first.row != after.first.row) add(before.first.row, after.first.row);
    if (before.second.row != after.second.row) add(before.second.row, after.second.row);
    return span;
}

GridKeyAction MapGridKey(CGridData& model, unsigned key, bool ctrl, bool shift, bool endMode, std::uint32_t style,
                         int page) {
    GridKeyAction a;
    const GridCell cur = model.m_curCell;
    const int lastCol = model.GetColCount() - 1, lastRow = model.GetRowCount() - 1;
    auto move = [&](int col, int row) {
        a.kind = GridKeyAction::Move;
        a.target = {col, row};
    };
    auto scroll = [&](int cols, int rows) {
        a.kind = GridKeyAction::Scroll;
        a.scrollCols = cols;
        a.scrollRows = rows;
    };
    if (page < 1) page = 1;
    switch (key) {
    case GRID_KEY_SHIFT:
    case GRID_KEY_CONTROL:
        a.endMode = endMode;
        return a;
    case GRID_KEY_TAB:
        move(cur.col + (shift ? -1 : 1), cur.row);
        a.clearSelection = true;
        break;
    case GRID_KEY_RETURN:
        move(cur.col, cur.row + (shift ? -1 : 1));
        a.clearSelection = true;
        break;
    case GRID_KEY_ESCAPE:
        a.kind = GridKeyAction::ClearSelection;
        break;
    case GRID_KEY_PRIOR:
    case GRID_KEY_NEXT: {
        const int n = key == GRID_KEY_PRIOR ? -page : page;
        if (ctrl)
            scroll(0, n);
        else
            move(cur.col, cur.row + n);
        break;
    }
    case GRID_KEY_HOME:
        if (ctrl)
            move(0, 0);
        else
            move(0, cur.row);
        break;
    case GRID_KEY_END:
        if (ctrl) {
            const GridCell last = LastCell(model, (style & GRID_ROW_CURSOR) != 0);
            move(last.col, last.row);
        } else if (style & GRID_END_MODE) {
            a.kind = GridKeyAction::ToggleEndMode;
            a.endMode = !endMode;
            return a;
        } else {
            move(lastCol, cur.row);
        }
        break;
    case GRID_KEY_LEFT:
    case GRID_KEY_RIGHT: {
        const bool left = key == GRID_KEY_LEFT;
        if (endMode)
            move(left ? 0 : lastCol, cur.row);
        else if (ctrl)
            scroll(left ? -1 : 1, 0);
        else
            move(cur.col + (left ? -1 : 1), cur.row);
        break;
    }
    case GRID_KEY_UP:
    case GRID_KEY_DOWN: {
        const bool up = key == GRID_KEY_UP;
        if (endMode)
            move(cur.col, up ? 0 : lastRow);
        else if (ctrl)
            scroll(0, up ? -1 : 1);
        else
            move(cur.col, cur.row + (up ? -1 : 1));
        break;
    }
    case GRID_KEY_DELETE:
        a.kind = GridKeyAction::DeleteCells;
        break;
    case GRID_KEY_F2:
        if (style & (GRID_CTRL_KEYS | GRID_F2_EDITS)) a.kind = GridKeyAction::BeginEdit;
        break;
    default:
        break;
    }
    a.endMode = false;
    return a;
}
