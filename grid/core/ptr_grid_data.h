// CPtrGridData: a rows-by-columns table of text pointers. The table does
// not own the texts its cells point to; a blank cell points to a shared
// empty text. Callers add a row and then point its cells at their texts.
#pragma once

#include "grid/core/grid_data.h"

class CPtrGridData : public CGridData {
public:
    CPtrGridData() = default;
    ~CPtrGridData() override;

    int GetColCount() override { return m_cols; }
    int GetRowCount() override { return m_rows; }
    // The empty text outside the table.
    const char16_t* GetCellText(int row, int col) override;
    const char16_t* GetColName(int col) override;

    // Resizes the cell table to rows x cols, keeping the rows it holds; 1 on
    // success, 0 when memory fails (the old table stays as it was).
    virtual int Allocate(int rows, int cols);
    virtual void Free();
    // Points every cell of the row at the empty text; the column count.
    virtual int BlankRow(int row);
    // cols columns named "test", no rows, room for rows; 0, or 1 when memory fails.
    virtual int Init(int cols, int rows);
    // Appends a blank row, growing the table when full; 0, or 1 when memory fails.
    virtual int AddRow();
    virtual void ClearRows() { m_rows = 0; }

    // Points a cell of an existing row at text (null: the empty text); ignored outside.
    void SetCell(int row, int col, const char16_t* text);
    void SetColName(int col, const char16_t* name);
    int GetRowCapacity() const { return m_capacity; }

private:
    const char16_t** m_cells = nullptr;
    const char16_t** m_names = nullptr;
    int m_cols = 0;
    int m_rows = 0;
    int m_initialRows = 0;
    int m_capacity = 0;
    int m_tableCols = 0;  // columns per row of the allocated table
};
