// An editable table model for the grid tests: cells are strings, a cell
// written with "?" in it is refused, column types and NULL cells are
// settable, and update brackets are counted. It keeps no row marks.
#pragma once

#include <string>
#include <vector>

#include "grid/core/grid_data.h"

class TestGridModel : public CGridData {
public:
    TestGridModel(int cols, std::vector<std::vector<std::u16string>> rows)
        : cols_(cols), cells_(std::move(rows)) {
        GrowWidthWords(cols);
    }
    // A rows x cols table of empty cells.
    TestGridModel(int cols, int rows) : TestGridModel(cols, std::vector<std::vector<std::u16string>>(
                                                                std::size_t(rows), std::vector<std::u16string>(std::size_t(cols)))) {}

    int GetColCount() override { return cols_; }
    int GetRowCount() override { return int(cells_.size()); }
    const char16_t* GetCellText(int row, int col) override {
        if (row < 0 || row >= GetRowCount() || col < 0 || col >= cols_) return u"";
        return cells_[std::size_t(row)][std::size_t(col)].c_str();
    }
    bool IsNullCell(int row, int col) override { return GetCellText(row, col)[0] == 0 && nullMeansEmpty; }
    int GetCellType(int row, int col) override { return col < int(types.size()) ? types[std::size_t(col)] : GRID_CELL_TEXT; }
    bool IsEditable() override { return true; }
    bool IsCellEditable(int row, int col) override {
        return row >= 0 && row < GetRowCount() && col >= 0 && col < cols_ && col != readOnlyCol;
    }
    int SetCellText(int row, int col, const char16_t* text, int len) override {
        std::u16string t = len < 0 ? std::u16string(text) : std::u16string(text, std::size_t(len));
        if (t.find(u'?') != std::u16string::npos) {
            lastError = u"refused";
            return 1;
        }
        cells_[std::size_t(row)][std::size_t(col)] = t;
        ++writes;
        return 0;
    }
    void BeginUpdate() override { ++begins; }
    void EndUpdate() override { ++ends; }
    void SwapRows(int a, int b) override { std::swap(cells_[std::size_t(a)], cells_[std::size_t(b)]); }
    std::u16string GetLastError() override { return lastError; }
    int PasteText(const char16_t* text) override;

    std::u16string Cell(int row, int col) const { return cells_[std::size_t(row)][std::size_t(col)]; }
    // Column col of every row, joined by '|'.
    std::u16string Column(int col) const {
        std::u16string out;
        for (std::size_t i = 0; i < cells_.size(); ++i) out += (i ? u"|" : u"") + cells_[i][std::size_t(col)];
        return out;
    }

    std::vector<int> types;
    bool nullMeansEmpty = false;
    int readOnlyCol = -1;
    int begins = 0, ends = 0, writes = 0;
    std::u16string lastError;

private:
    int cols_;
    std::vector<std::vector<std::u16string>> cells_;
};

#include "grid/core/grid_edit_ops.h"

inline int TestGridModel::PasteText(const char16_t* text) { return GridPasteText(*this, text); }

// Makes every system allocation after the first `allowed` fail while alive.
#include "textengine/mpool.h"

class FailingAllocations {
public:
    explicit FailingAllocations(int allowed) {
        s_left = allowed;
        previous_ = mpool_set_system_allocator({&Alloc, &Free});
    }
    ~FailingAllocations() { mpool_set_system_allocator(previous_); }

private:
    static void* Alloc(std::size_t n) { return s_left-- > 0 ? std::malloc(n) : nullptr; }
    static void Free(void* p) { std::free(p); }
    static inline int s_left = 0;
    MPoolSystemAllocator previous_;
};
