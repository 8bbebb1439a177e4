#include "grid/core/grid_filter.h"

#include <cstring>

#include "grid/core/grid_edit_ops.h"
#include "textengine/mpool.h"
#include "textengine/regex/regex.h"

// One block: the condition, then the matching source rows.
struct CGridData_Filter::Condition {
    std::size_t size;
    int column;
    char16_t pattern[kMaxPattern];
    bool matchCase;
    bool matchWidth;
    bool regex;
    int rowCount;
    int* rows;
};

namespace {

struct RegexHolder {
    CompiledRegex* re = nullptr;
    ~RegexHolder() { regex_free(re); }
};

struct SystemBlock {
    void* p = nullptr;
    ~SystemBlock() { mpool_system_free(p); }
};

}  // namespace

CGridData_Filter::CGridData_Filter(CGridData* source) : m_source(source) { UseDispData(source->DispPointer()); }

CGridData_Filter::~CGridData_Filter() { DropCondition(); }

void CGridData_Filter::DropCondition() {
    mpool_system_free(m_condition);
    m_condition = nullptr;
    m_rowList = nullptr;
    m_rowCount = 0;
}

int CGridData_Filter::MapRow(int row) const {
    if (!m_rowList || row < 0 || row >= m_rowCount) return 0;
    return m_rowList[row];
}

int CGridData_Filter::FindSourceRow(int sourceRow) const {
    for (int i = 0; i < m_rowCount; ++i)
        if (m_rowList[i] == sourceRow) return i;
    return -1;
}

int CGridData_Filter::SetCellText(int row, int col, const char16_t* text, int len) {
    if (row < 0 || row >= m_rowCount) return 1;
    return m_source->SetCellText(MapRow(row), col, text, len);
}

bool CGridData_Filter::IsCellEditable(int row, int col) {
    return row >= 0 && row < m_rowCount && m_source->IsCellEditable(MapRow(row), col);
}

int CGridData_Filter::RunFilter(int col, const char16_t* pattern, bool matchCase, bool matchWidth, bool regex,
                                int* count, std::u16string& message, bool failWhenEmpty) {
    if (count) *count = 0;
    message.clear();
    const int sourceRows = m_source ? m_source->GetRowCount() : 0;
    if (sourceRows <= 0) {
        message = u"データがありません";
        return 1;
    }
    if (!pattern) pattern = u"";
    int patternLength = 0;
    while (pattern[patternLength]) ++patternLength;
    if (patternLength >= kMaxPattern) {
        message = u"検索条件の文字列が長すぎます";
        return 1;
    }
    const int flags = (matchCase ? 0 : REGEX_COMPILE_ICASE) | (matchWidth ? 0 : REGEX_COMPILE_IWIDTH);
    RegexHolder compiled;
    compiled.re = regex ? regex_compile_n(pattern, patternLength, flags) : regex_compile_literal(pattern, flags);
    if (!compiled.re) {
        message = u"不正な正規表現です";
        return 1;
    }
    SystemBlock found;
    found.p = mpool_system_alloc(sizeof(int) * std::size_t(sourceRows));
    if (!found.p) {
        message = u"malloc error (CGridData_Filter::FilterData)";
        return 1;
    }
    int* rows = static_cast<int*>(found.p);
    int matches = 0;
    for (int row = 0; row < sourceRows; ++row)
        if (regex_search_string(compiled.re, m_source->GetCellText(row, col), 0, nullptr, nullptr) == 1)
            rows[matches++] = row;
    if (matches == 0 && failWhenEmpty) {
        message = u"フィルタの条件に一致するレコードがありません";
        return 1;
    }
    // The old list goes first, so a failure below leaves an empty filter,
    // never a list pointing into freed memory.
    DropCondition();
    const std::size_t size = sizeof(Condition) + sizeof(int) * std::size_t(matches);
    auto* condition = static_cast<Condition*>(mpool_system_alloc(size));
    if (!condition) {
        message = u"malloc error (CGridData_Filter::FilterData)";
        return 1;
    }
    condition->size = size;
    condition->column = col;
    std::memcpy(condition->pattern, pattern, sizeof(char16_t) * std::size_t(patternLength + 1));
    condition->matchCase = matchCase;
    condition->matchWidth = matchWidth;
    condition->regex = regex;
    condition->rowCount = matches;
    condition->rows = reinterpret_cast<int*>(condition + 1);
    if (matches) std::memcpy(condition->rows, rows, sizeof(int) * std::size_t(matches));
    m_condition = condition;
    m_rowList = condition->rows;
    m_rowCount = matches;
    if (count) *count = matches;
    for (int row = 0; row < sourceRows; ++row) m_source->UnmarkRow(row);
    for (int i = 0; i < matches; ++i) m_source->MarkRow(m_rowList[i]);
    return 0;
}

int CGridData_Filter::ConditionColumn() const { return m_condition ? m_condition->column : -1; }

std::u16string CGridData_Filter::ConditionPattern() const {
    return m_condition ? std::u16string(m_condition->pattern) : std::u16string();
}

int CGridData_Filter::FillRange(GridCell cell1, GridCell cell2, const char16_t* text, int len) {
    return GridFillRange(*this, cell1, cell2, text, len);
}

int CGridData_Filter::PasteText(const char16_t* text) { return GridPasteText(*this, text); }

int CGridData_Filter::Replay(bool redo) {
    if (m_curCell.row >= 0 && m_curCell.col >= 0) m_source->m_curCell = {m_curCell.col, MapRow(m_curCell.row)};
    const int result = redo ? m_source->Redo() : m_source->Undo();
    const int at = FindSourceRow(m_source->m_curCell.row);
    m_curCell = {m_source->m_curCell.col, at < 0 ? 0 : at};
    return result;
}

const char16_t* CGridData_Filter::GetRowHeaderText(int row) {
    const char16_t prefix =
        IsRowModified(row) ? u'*' : IsRowInserted(row) ? u'+' : IsRowDeleted(row) ? u'-' : char16_t(0);
    FormatRowNumber(m_rowHeaderText, prefix, row + 1, prefix ? 6 : 7);
    return m_rowHeaderText;
}

int CGridData_Filter::Sort(const int* cols, const int* dirs, int keys) {
    const int sourceRows = m_source->GetRowCount();
    SystemBlock member;
    member.p = mpool_system_alloc(sourceRows > 0 ? std::size_t(sourceRows) : 1);
    if (!member.p) return 0;
    auto* in = static_cast<unsigned char*>(member.p);
    std::memset(in, 0, std::size_t(sourceRows > 0 ? sourceRows : 0));
    for (int i = 0; i < m_rowCount; ++i)
        if (m_rowList[i] >= 0 && m_rowList[i] < sourceRows) in[m_rowList[i]] = 1;
    const int result = m_source->SortRows(cols, dirs, keys, [in](int a, int b) {
        const unsigned char t = in[a];
        in[a] = in[b];
        in[b] = t;
    });
    int n = 0;
    for (int row = 0; row < sourceRows && n < m_rowCount; ++row)
        if (in[row]) m_rowList[n++] = row;
    return result;
}

int CGridData_Filter::FilterData(int, const char16_t*, bool, bool, bool, int*, std::u16string* message, bool) {
    if (message) *message = u"DO NOT USE CGridData_Filter::FilterData";
    return 1;
}
