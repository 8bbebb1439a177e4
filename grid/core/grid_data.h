// CGridData: the model behind a grid window. It answers every question the
// grid asks (sizes, texts, cell and row states, colours, column widths)
// through virtual operations with working defaults, and carries the state
// that every pane showing it shares: current cell, selection, column-width
// words, display attributes and the listener windows. The base class on its
// own is the default model (100 columns "test" by 1000 rows of "data").
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "textengine/text_metrics.h"

struct CompiledRegex;
class CGridData_Filter;

using GridColor = std::uint32_t;  // 0x00BBGGRR
using GridWindow = void*;         // a listener window's handle, opaque here

struct GridCell {
    int col = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

enum GridColorIndex : int {
    GRID_CELL_BG = 0,
    GRID_HEADER_BG,
    GRID_LINE,
    GRID_SELECTED_BG,
    GRID_DELETED_BG,
    GRID_INSERTED_BG,
    GRID_MODIFIED_BG,
    GRID_READONLY_BG,
    GRID_TEXT,
    GRID_NULL_BG,
    GRID_MARK,
    GRID_HEADER_LINE,
    GRID_CURRENT_FRAME,
    GRID_RESIZE_LINE,
    GRID_MATCH_BG,
    GRID_CURRENT_ROW_TEXT,
    GRID_FOCUS_CORNER,
    GRID_COLOR_COUNT
};
inline constexpr GridColor kGridNoColor = 0xFFFFFFFF;

enum GridCellType : int { GRID_CELL_NUMBER = 0, GRID_CELL_TEXT = 1, GRID_CELL_PADDED = 2 };
enum GridSelectionKind : int { GRID_SEL_CELLS = 0, GRID_SEL_ROWS = 1, GRID_SEL_COLUMNS = 2 };
enum GridDragState : int { GRID_DRAG_IDLE = 0, GRID_DRAG_PRESSED = 1, GRID_DRAG_RUNNING = 2 };

// What the window side hangs on a model's display data (its tip window);
// it goes with the model.
class CGridDispAttachment {
public:
    virtual ~CGridDispAttachment() = default;
};

// Display attributes shared by a model and the filters over it.
struct CGridDispData {
    CGridDispData();
    GridColor colors[GRID_COLOR_COUNT];
    CCharWidthTable widths;
    std::unique_ptr<CGridDispAttachment> attachment;
};

// The selection as the model keeps it. Corners are in row-major order: first
// is the one on the smaller row (or, on one row, the smaller column).
struct GridSelection {
    int kind = GRID_SEL_CELLS;
    GridCell anchor;
    GridCell first;
    GridCell second;
    // More than one cell: a single cell counts as no selection.
    bool IsMultiCell() const { return first.row >= 0 && !(first == second); }
    bool IsNone() const { return first.row < 0; }
    int Left() const { return first.col < second.col ? first.col : second.col; }
    int Right() const { return first.col < second.col ? second.col : first.col; }
};

class CGridData {
public:
    static constexpr int kListenerSlots = 4;
    static constexpr std::uint16_t kVisibleBit = 0x8000;
    static constexpr std::uint16_t kNewWidthWord = 0x8064;  // visible, 100 pixels
    static constexpr int kMaxColWidth = 0x7FFF;

    CGridData();
    virtual ~CGridData();
    CGridData(const CGridData&) = delete;
    CGridData& operator=(const CGridData&) = delete;

    // Sizes and texts. Texts are NUL-terminated and owned by the model.
    virtual int GetColCount() { return 100; }
    virtual int GetRowCount() { return 1000; }
    virtual const char16_t* GetCellText(int row, int col) { return u"data"; }
    // The text drawn and measured.
    virtual const char16_t* GetDispText(int row, int col) { return GetCellText(row, col); }
    // The text copied and given to the in-place editor.
    virtual const char16_t* GetCopyText(int row, int col) { return GetCellText(row, col); }
    virtual bool IsNullCell(int row, int col) { return false; }
    virtual const char16_t* GetColName(int col) { return u"test"; }
    virtual const char16_t* GetColTitle(int col) { return GetColName(col); }
    virtual int GetColCopyHint(int col) { return -1; }
    virtual int ReservedColQuery(int col) { return 0; }
    virtual int GetCellType(int row, int col) { return GRID_CELL_TEXT; }
    virtual bool IsColNullable(int col) { return true; }

    // Editing. SetCellText's len -1 means up to the NUL; nonzero = refused,
    // the reason from GetLastError.
    virtual bool IsEditable() { return false; }
    virtual int GetMaxTextLen(int row, int col) { return 1024; }
    virtual bool ReservedCellQuery1(int row, int col) { return false; }
    virtual bool ReservedCellQuery2(int row, int col) { return false; }
    virtual bool ReservedColQuery2(int col) { return false; }
    virtual int FillRange(GridCell cell1, GridCell cell2, const char16_t* text, int len) { return 0; }
    virtual int SetCellText(int row, int col, const char16_t* text, int len) { return 0; }
    virtual bool IsCellEditable(int row, int col) { return false; }

    // The widest display text of a column in pixels, at most limit. cancel
    // (may be null) is read before each row: 1 stops, 2 pauses.
    virtual int CalcColWidth(int col, int limit, CTextMetrics* metrics, const std::atomic<int>* cancel);
    // The same measuring each text up to its first line feed, without its trailing blanks.
    virtual int CalcColWidthTrimmed(int col, int limit, CTextMetrics* metrics, const std::atomic<int>* cancel);
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    virtual int ReservedQuery0() { return 0; }

    // Row and cell states of editable models.
    virtual bool IsRowInserted(int row) { return false; }
    virtual bool IsRowModified(int row) { return false; }
    virtual bool IsRowDeleted(int row) { return false; }
    virtual bool IsCellModified(int row, int col) { return false; }
    virtual int ReservedRowQuery(int row) { return 0; }
    virtual int ReservedQuery1() { return 0; }
    virtual int ReservedQuery2() { return 0; }
    virtual int Undo() { return 0; }
    virtual int Redo() { return 0; }
    // Tab- and line-separated text into cells from the current cell.
    virtual int PasteText(const char16_t* text) { return 0; }
    virtual int ReservedQuery3() { return 0; }
    virtual int ReservedRowQuery2(int row) { return 0; }
    virtual const char16_t* GetCellExtraText(int row, int col) { return u""; }

    // Headers and colours.
    virtual int GetRowHeaderChars() { return 6; }
    virtual const char16_t* GetRowHeaderText(int row);
    virtual GridColor GetCellTextColor(int row, int col) { return m_defaultTextColor; }
    virtual GridColor GetColTitleColor(int col) { return m_defaultTextColor; }
    // True makes the grid take every cell background from GetCellBkColor.
    virtual bool HasCellColors() { return false; }
    virtual GridColor GetCellBkColor(int row, int col) { return 0xFFFFFF; }

    // Column search by name with a compiled pattern: 1 and *out when found.
    virtual int FindCol(int start, int* out, int direction, int unused1, int unused2, bool includeStart,
                        CompiledRegex* re);
    // width > 0 shows the column with that width (at most 0x7FFF); width <= 0
    // hides it and keeps the width.
    virtual void SetColWidth(int col, int width);
    // 100 outside the width words, 0 for a hidden column.
    virtual int GetColWidth(int col);
    // The slot taken (kListenerSlots when full / absent).
    virtual int AddListener(GridWindow window);
    virtual int RemoveListener(GridWindow window);
    virtual std::u16string GetLastError() { return {}; }
    // Sorts all rows by the key columns; dirs +1 ascending, -1 descending.
    virtual int Sort(const int* cols, const int* dirs, int keys);
    virtual std::u16string GetReservedText(int x) { return {}; }
    // Shows only the rows whose text in col matches pattern, through the
    // filter this model owns. 0 on success; 1 with *message otherwise.
    virtual int FilterData(int col, const char16_t* pattern, bool matchCase, bool matchWidth, bool regex,
                           int* count, std::u16string* message, bool failWhenEmpty);
    virtual void EndFilter();
    virtual void UnmarkRow(int row) {}
    virtual void MarkRow(int row) {}
    virtual bool IsRowMarked(int row) { return false; }
    virtual void SwapRows(int row1, int row2) {}
    virtual void DropFilter();

    // The sort's comb sort; afterSwap (may be empty) hears of every exchange.
    int SortRows(const int* cols, const int* dirs, int keys, const std::function<void(int, int)>& afterSwap);
    // Compares row a with row b on one key column: -1, 0 or 1.
    int CompareRows(int a, int b, int col);

    // Whether the cell lies in a selection of more than one cell.
    bool IsInSelection(int row, int col) const;
    // The current cell clamped into the grid (-1 on an axis without cells).
    void ClampCurrentCell(int col, int row);
    // Pixel width of text up to its NUL or end: a CR or LF stops it and adds
    // room for the line-end arrow; never more than limit.
    int MeasureText(const char16_t* text, int limit, CTextMetrics* metrics, const char16_t* end = nullptr) const;

    // Visibility alone (the visible bit), width kept.
    void SetColVisible(int col, bool visible);
    int GetWidthWordCount() const { return m_widthCount; }
    std::uint16_t GetWidthWord(int col) const { return col >= 0 && col < m_widthCount ? m_widths[col] : 0; }
    // Lengthens the width words to count (new ones visible, 100 pixels); false when memory fails.
    bool GrowWidthWords(int count);

    CGridDispData& Disp() { return *m_disp; }
    CGridDispData* DispPointer() { return m_disp; }
    void UseDispData(CGridDispData* disp) { m_disp = disp ? disp : &m_ownDisp; }
    CGridData_Filter* GetFilter() const { return m_filter; }
    bool IsFilterActive() const { return m_filterActive; }
    GridWindow GetListener(int slot) const { return slot >= 0 && slot < kListenerSlots ? m_listeners[slot] : nullptr; }

    // Shared state of every pane showing the model.
    GridColor m_defaultTextColor = 0;
    GridCell m_curCell;  // (-1, -1) = none
    int m_dragState = GRID_DRAG_IDLE;
    GridSelection m_sel;

protected:
    char16_t m_rowHeaderText[100] = {};

private:
    GridWindow m_listeners[kListenerSlots] = {};
    std::uint16_t* m_widths = nullptr;
    int m_widthCount = 0;
    CGridDispData m_ownDisp;
    CGridDispData* m_disp = &m_ownDisp;
    bool m_filterActive = false;
    CGridData_Filter* m_filter = nullptr;
};

// Writes number right-aligned in width characters (blank-padded) followed
// by a NUL into out; prefix (0 = none) goes first.
void FormatRowNumber(char16_t* out, char16_t prefix, int number, int width);

// The model a grid shows when it is given none; lives until the program ends.
CGridData& DefaultGridData();
