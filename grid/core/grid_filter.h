// CGridData_Filter: a model showing the rows of another model whose text in
// one column matches a pattern. It owns no cells: each question goes to the
// source with the row translated through the list of matching rows. The
// source creates it (CGridData::FilterData) and owns it.
#pragma once

#include <string>

#include "grid/core/grid_data.h"

class CGridData_Filter : public CGridData {
public:
    static constexpr int kMaxPattern = 1024;

    explicit CGridData_Filter(CGridData* source);
    ~CGridData_Filter() override;

    // The source row shown as filter row r (source row 0 outside the list).
    int MapRow(int row) const;
    // Where source row sits in the list, or -1.
    int FindSourceRow(int sourceRow) const;
    CGridData* GetSource() const { return m_source; }

    // The worker: 0 on success, 1 with message otherwise.
    int RunFilter(int col, const char16_t* pattern, bool matchCase, bool matchWidth, bool regex, int* count,
                  std::u16string& message, bool failWhenEmpty);

    const char16_t* GetCellText(int row, int col) override { return m_source->GetCellText(MapRow(row), col); }
    const char16_t* GetDispText(int row, int col) override { return m_source->GetDispText(MapRow(row), col); }
    const char16_t* GetCopyText(int row, int col) override { return m_source->GetCopyText(MapRow(row), col); }
    bool IsNullCell(int row, int col) override { return m_source->IsNullCell(MapRow(row), col); }
    int GetCellType(int row, int col) override { return m_source->GetCellType(MapRow(row), col); }
    int GetMaxTextLen(int row, int col) override { return m_source->GetMaxTextLen(MapRow(row), col); }
    // Refused for a row outside the list: it must never land on another row.
    int SetCellText(int row, int col, const char16_t* text, int len) override;
    bool IsCellEditable(int row, int col) override;
    bool IsRowInserted(int row) override { return m_source->IsRowInserted(MapRow(row)); }
    bool IsRowModified(int row) override { return m_source->IsRowModified(MapRow(row)); }
    bool IsRowDeleted(int row) override { return m_source->IsRowDeleted(MapRow(row)); }
    bool IsCellModified(int row, int col) override { return m_source->IsCellModified(MapRow(row), col); }
    const char16_t* GetCellExtraText(int row, int col) override {
        return m_source->GetCellExtraText(MapRow(row), col);
    }

    int GetColCount() override { return m_source->GetColCount(); }
    const char16_t* GetColName(int col) override { return m_source->GetColName(col); }
    int GetColCopyHint(int col) override { return m_source->GetColCopyHint(col); }
    int ReservedColQuery(int col) override { return m_source->ReservedColQuery(col); }
    bool IsEditable() override { return m_source->IsEditable(); }
    void BeginUpdate() override { m_source->BeginUpdate(); }
    void EndUpdate() override { m_source->EndUpdate(); }
    int ReservedQuery0() override { return m_source->ReservedQuery0(); }
    int ReservedQuery1() override { return m_source->ReservedQuery1(); }
    int ReservedQuery2() override { return m_source->ReservedQuery2(); }
    void SetColWidth(int col, int width) override { m_source->SetColWidth(col, width); }
    int GetColWidth(int col) override { return m_source->GetColWidth(col); }

    int GetRowCount() override { return m_rowCount; }
    bool ReservedCellQuery1(int, int) override { return true; }
    bool ReservedCellQuery2(int, int) override { return true; }
    bool ReservedColQuery2(int) override { return true; }
    int GetRowHeaderChars() override { return 7; }

    int FillRange(GridCell cell1, GridCell cell2, const char16_t* text, int len) override;
    int PasteText(const char16_t* text) override;
    int Undo() override { return Replay(false); }
    int Redo() override { return Replay(true); }
    const char16_t* GetRowHeaderText(int row) override;
    // The source sorts all its rows; the list follows its rows through the exchanges.
    int Sort(const int* cols, const int* dirs, int keys) override;
    // Only the source runs a filter.
    int FilterData(int col, const char16_t* pattern, bool matchCase, bool matchWidth, bool regex, int* count,
                   std::u16string* message, bool failWhenEmpty) override;

    // The condition of the last successful run.
    int ConditionColumn() const;
    std::u16string ConditionPattern() const;

private:
    struct Condition;
    int Replay(bool redo);
    void DropCondition();

    CGridData* m_source;
    int m_rowCount = 0;
    int* m_rowList = nullptr;
    Condition* m_condition = nullptr;
};
