#include "grid/core/ptr_grid_data.h"

#include <cstring>

#include "textengine/invariant.h"
#include "textengine/mpool.h"

namespace {

const char16_t kEmpty[] = u"";

}  // namespace

CPtrGridData::~CPtrGridData() { Free(); }

const char16_t* CPtrGridData::GetCellText(int row, int col) {
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols || !m_cells) return kEmpty;
    // The table holds every row and column shown.
    WENDREL_ASSERT(m_rows <= m_capacity && m_cols <= m_tableCols);
    const char16_t* text = m_cells[std::size_t(row) * std::size_t(m_tableCols) + std::size_t(col)];
    return text ? text : kEmpty;
}

const char16_t* CPtrGridData::GetColName(int col) {
    if (col < 0 || col >= m_cols || !m_names) return kEmpty;
    return m_names[col] ? m_names[col] : kEmpty;
}

int CPtrGridData::Allocate(int rows, int cols) {
    if (rows < 0 || cols < 0) return 0;
    const std::size_t count = std::size_t(rows) * std::size_t(cols);
    if (cols != 0 && count / std::size_t(cols) != std::size_t(rows)) return 0;
    auto* table = static_cast<const char16_t**>(mpool_system_alloc(count ? count * sizeof(char16_t*) : 1));
    if (!table) return 0;
    // The rows already held keep their cells.
    const int keepRows = m_rows < rows ? m_rows : rows;
    const int keepCols = m_tableCols < cols ? m_tableCols : cols;
    for (int r = 0; r < keepRows && m_cells; ++r)
        for (int c = 0; c < cols; ++c)
            table[std::size_t(r) * std::size_t(cols) + std::size_t(c)] =
                c < keepCols ? m_cells[std::size_t(r) * std::size_t(m_tableCols) + std::size_t(c)] : kEmpty;
    mpool_system_free(m_cells);
    m_cells = table;
    m_capacity = rows;
    m_tableCols = cols;
    if (m_rows > rows) m_rows = rows;
    return 1;
}

void CPtrGridData::Free() {
    mpool_system_free(m_cells);
    mpool_system_free(m_names);
    m_cells = nullptr;
    m_names = nullptr;
    m_cols = m_rows = m_capacity = m_tableCols = 0;
}

int CPtrGridData::BlankRow(int row) {
    if (row < 0 || row >= m_capacity || !m_cells) return m_cols;
    for (int c = 0; c < m_tableCols; ++c) m_cells[std::size_t(row) * std::size_t(m_tableCols) + std::size_t(c)] = kEmpty;
    return m_cols;
}

int CPtrGridData::Init(int cols, int rows) {
    Free();
    if (cols < 0) cols = 0;
    if (rows < 0) rows = 0;
    if (!Allocate(rows, cols)) return 1;
    m_names = static_cast<const char16_t**>(mpool_system_alloc(cols ? sizeof(char16_t*) * std::size_t(cols) : 1));
    if (!m_names) {
        Free();
        return 1;
    }
    for (int c = 0; c < cols; ++c) m_names[c] = u"test";
    m_cols = cols;
    m_rows = 0;
    m_initialRows = rows;
    if (!GrowWidthWords(cols)) {
        Free();
        return 1;
    }
    return 0;
}

int CPtrGridData::AddRow() {
    if (m_rows >= m_capacity) {
        const int grown = m_rows > 0 ? 2 * m_rows : 1;
        if (!Allocate(grown, m_cols)) return 1;
    }
    BlankRow(m_rows);
    ++m_rows;
    return 0;
}

void CPtrGridData::SetCell(int row, int col, const char16_t* text) {
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols || !m_cells) return;
    WENDREL_ASSERT(m_rows <= m_capacity && m_cols <= m_tableCols);
    m_cells[std::size_t(row) * std::size_t(m_tableCols) + std::size_t(col)] = text ? text : kEmpty;
}

void CPtrGridData::SetColName(int col, const char16_t* name) {
    if (col < 0 || col >= m_cols || !m_names) return;
    m_names[col] = name ? name : kEmpty;
}
