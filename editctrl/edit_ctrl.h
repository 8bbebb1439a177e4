// CEditCtrl: the text-editing window. It shows one CEditData that its host
// owns; the window keeps only view state (fonts, metrics, margins, scroll
// positions, the style word, the back buffer, timers). What every window on
// one text shares lives in the text's display data (CEditDispGdi).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editctrl/edit_disp_gdi.h"
#include "editctrl/edit_measure.h"
#include "editctrl/core/edit_model.h"
#include "editctrl/core/regex_cache.h"
#include "editctrl/core/row_index.h"
#include "editctrl/scrollwnd.h"
#include "editctrl/syntax/strtoken.h"
#include "framework/gdi.h"
#include "framework/ole.h"
#include "textengine/edit_data.h"

// The style word (ECS_: editing-window style, apart from the system EDIT control's ES_ styles).
enum CEditCtrlStyle : DWORD {
    ECS_SHOW_LINE_FEED = 0x1,
    ECS_SHOW_TAB = 0x2,
    ECS_BRACKET_FLASH = 0x4,
    ECS_SINGLE_LINE = 0x8,
    ECS_CTRL_KEYS_FROM_CHAR = 0x10,
    ECS_SHOW_ROW_NUM = 0x20,
    ECS_SHOW_COL_NUM = 0x40,
    ECS_NO_COMMENT_SYNTAX = 0x80,
    ECS_TAG_LANGUAGE = 0x100,
    ECS_SHOW_2BYTE_SPACE = 0x200,
    ECS_CLICKABLE_URL = 0x400,
    ECS_SEARCH_LOOP_MSG = 0x800,
    ECS_HOST_MAPS_KEYS = 0x1000,
    ECS_DRAG_DROP_EDIT = 0x2000,
    ECS_SHOW_ROW_LINE = 0x4000,
    ECS_SHOW_EDIT_ROW = 0x8000,
    ECS_MOUSE_SELECT_COPY = 0x10000,
    ECS_EXTRA_LAST_ROW = 0x20000,
    ECS_NO_CARET_BLINK = 0x40000,
    ECS_ROW_COPY_AT_NO_SEL = 0x80000,
    ECS_SHOW_SPACE = 0x100000,
    ECS_SHOW_LINE_END = 0x200000,
    ECS_KEEP_SELECTED_COLORS = 0x400000,
    ECS_IME_CARET = 0x800000,
    ECS_TEXT_DROP_EDIT = 0x1000000,
    ECS_SHOW_BRACKETS_BOLD = 0x2000000,
    ECS_WORD_DRAG = 0x4000000,
    ECS_SMOOTH_TEXT = 0x8000000,
    ECS_IDLE_POINTER = 0x10000000,
    ECS_SHOW_RULED_LINE = 0x20000000,
    ECS_CLEAR_AFTER_COPY = 0x40000000,
    ECS_MODIFIED_BACKGROUND = 0x80000000,
};

// Private messages of the control and its parent.
enum EditCtrlMessage : UINT {
    WM_EDIT_DBLCLK = 0x8201,
    WM_EDIT_LAYOUTCHANGED = 0x8202,
    WM_EDIT_CARETMOVED = 0x8203,
    WM_EDIT_SCROLLED = 0x8204,
    WM_EDIT_KILLFOCUS = 0x8205,
    WM_EDIT_SETFOCUS = 0x8206,
    WM_EDIT_SELCHANGED = 0x8207,
    WM_EDIT_INSERT_TEXT = 0x8208,
    // To the parent when the text turns modified (wParam 1) or back unmodified (0).
    WM_EDIT_MODIFIEDCHANGED = 0x8209,
    WM_EDIT_SYNC_FIRST = 0x8210,
    WM_EDIT_SYNC_INVALIDATE = 0x8210,
    WM_EDIT_SYNC_LINECHANGED = 0x8211,
    WM_EDIT_SYNC_REDRAWLINE = 0x8212,
    WM_EDIT_SYNC_REDRAWLINES = 0x8213,
    WM_EDIT_SYNC_REDRAWMARGIN = 0x8214,
    WM_EDIT_SYNC_RULERMARK = 0x8215,
    WM_EDIT_SYNC_RECALC = 0x8216,
    WM_EDIT_SYNC_LAST = 0x8216,
    WM_EDIT_RELAYOUT = 0x8220,
};

// Timer ids on the control's window.
enum : UINT_PTR {
    kTimerDragScroll = 100,
    kTimerTripleClick = 101,
    kTimerBracket = 102,
    kTimerIdlePointer = 103,
};

// Finds the highlighted search pattern in one line (the search of the
// control sets one while its highlight is on).
class CHighlightMatcher {
public:
    virtual ~CHighlightMatcher() = default;
    // The first match at or after from in the line: true with [*start, *end).
    virtual bool Find(const CEditData& data, int line, int from, int* start, int* end) = 0;
};

class CEditCtrl : public CScrollWnd, private CEditModelView {
public:
    static const wchar_t kClassName[];

    CEditCtrl();
    ~CEditCtrl() override;

    BOOL Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                HWND parent, UINT id) override;
    // Creates with the control's own class.
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return Create(kClassName, L"", style, rect, parent, id);
    }

    void SetEditData(CEditData* data);
    CEditData* GetEditData() const { return m_data; }
    // The editing behaviour: typing, deleting, caret moves and the selection.
    CEditModel& Model() { return m_model; }
    const CEditModel& Model() const { return m_model; }
    CEditDispGdi& Disp() const { return CEditDispGdi::Of(*m_data); }
    CEditDispData& DispData() const { return m_data->GetDispData(); }

    void SetStyle(DWORD style);
    DWORD GetStyleWord() const { return m_style; }
    virtual void OnCaretMoved() {}
    virtual void SetFont(HFONT font);
    void CreateFont(const LOGFONTW& lf);
    HFONT GetNormalFont() const { return m_font; }

    // Wrap settings (the wrap commands set them; layout follows).
    // columns counts only for WrapMode::FixedColumns.
    void SetWrapMode(WrapMode mode, int columns = 0, bool relayout = false);
    void SetWrapWidthToWindow(int clientWidth);

    // Layout.
    void RecalcMargins();
    void RecalcLineWidth(bool all, int fromLine = 0, int count = 0);
    void RecalcLayout(int caretFlag, bool remeasure);
    void RefreshLayout(int caretFlag);
    void Relayout(int caretFlag);
    void RecalcClientSize();
    void RedrawAll();
    void InvalidateAll(BOOL erase);
    void UpdateLineStates(int from, int to);
    void UpdateModifiedColor();
    // Places the caret after a move: scrollIntoView 1 scrolls it into view;
    // without the focus only the cached row and x follow unless forced.
    void UpdateCaret(int scrollIntoView = 0, bool force = false, bool preferPreviousRow = false);

    // Row queries.
    int GetDisplayRows() const { return DispData().displayRows; }
    int GetLineOfRow(int row);
    int GetFirstRowOfLine(int line);
    int GetRowOffset(int row);
    int GetCaretRow() const { return m_caretRow; }
    int GetCaretX() const { return m_caretX; }

    // Metrics.
    int GetCharWidth() const { return m_charWidth; }
    int GetRowHeight() const { return m_rowHeight; }
    int GetTextHeight() const { return m_textHeight; }
    int GetDigitWidth() const { return m_digitWidth; }
    int GetLineNumberDigits() const { return m_lineNumberDigits; }
    int GetWidestWidth() const { return m_rowIndex.WidestWidth(); }
    CMeasure Measure();
    // Pixel x of a column of a line (from the line's first unit, no scroll).
    int GetColumnX(int line, int column);

    // Settings the host sets.
    void SetExtraRowSpacing(int px) { m_extraRowSpacing = px; }
    void SetTextOffset(int px) { m_textOffset = px; }
    int GetTextOffset() const { return m_textOffset; }
    void SetTopBase(int px) { m_topBase = px; }
    void SetLeftBase(int px) { m_leftBase = px; }
    void SetModifiedColors(COLORREF unmodified, COLORREF modified) {
        m_unmodifiedBackground = unmodified;
        m_modifiedBackground = modified;
    }
    virtual void SetColor(int index, COLORREF color);
    void SetHighlight(CHighlightMatcher* matcher);

    // CScrollWnd geometry.
    int GetVisibleColumns() override;
    int GetVisibleRows() override { return m_visibleRows; }
    int GetLeftMargin() override { return m_leftMargin; }
    int GetTopMargin() override { return m_topMargin; }
    int GetRightMargin() override { return m_rightMargin; }
    int GetBottomMargin() override { return m_bottomMargin; }
    int GetContentWidth() override;
    int GetContentHeight() override;
    int ColumnsToPixels(int a, int b) override { return (a - b) * m_charWidth; }
    int RowsToPixels(int a, int b) override { return (a - b) * m_rowHeight; }
    int GetMaxRow() override;
    int GetRowPageSize() override { return m_visibleRows - 1; }
    int GetMaxColumn() override;
    int GetColumnPageSize() override { return GetVisibleColumns() - 1; }
    void OnScrolled(int dx, int dy, BOOL thumbTracking) override;

    // What the painter (edit_paint.cpp) reads of the window beyond the
    // getters above: its fonts, the background picture and the text's place.
    struct PaintResources {
        const CMemoryDC& backBuffer;  // not created when there is no background picture
        HFONT font, underlineFont, boldFont;
        bool trueType;
        CRect body;      // the text area
        int textOffset;  // text's baseline offset within a row
        int topBase, leftBase;
    };
    PaintResources GetPaintResources() const {
        return {m_backBuffer, m_font.GetSafeHandle(), m_underlineFont.GetSafeHandle(), m_boldFont.GetSafeHandle(),
                m_trueType != FALSE, m_body, m_textOffset, m_topBase, m_leftBase};
    }

    // Attributes of one line for drawing (the slot of the attribute cache).
    LineAttrSlot* GetLineAttributes(int line);
    void ClearSelectionFlags(LineAttrSlot* slot, int line);

    // Paints the whole client area into dc (WM_PAINT and WM_PRINTCLIENT).
    void PaintTo(HDC dc);

    // Search, replace, filter and the search-hit highlight (edit_search.cpp).
    // Options: matchCase, matchWidth (full/half width distinguished), useRegex
    // (else the pattern is found as it stands). A pattern that does not
    // compile, or that the regex engine gives up on, is reported in a box and
    // changes nothing.
    void SetSearchHighlight(const wchar_t* pattern, BOOL matchCase, BOOL matchWidth, BOOL useRegex);
    void ClearSearchHighlight();
    bool IsSearchHighlightOn() const { return m_searchCache.highlightOn; }
    // 0 when a match was selected, 1 otherwise; wrapped is set when the
    // search went on from the other end of the text.
    int FindString(const wchar_t* pattern, int direction, BOOL matchCase, BOOL matchWidth, BOOL useRegex,
                   int* wrapped = nullptr);
    // Replaces the selected match and finds the next (a match not selected
    // yet is only selected), or replaces all.
    int FindReplace(const wchar_t* pattern, const wchar_t* replacement, int direction, BOOL matchCase,
                    BOOL matchWidth, BOOL useRegex, BOOL replaceAll, BOOL inSelection, int* count, int* wrapped);
    // 0 on success, 1 when nothing could be done (bad pattern, read-only).
    int ReplaceAll(const wchar_t* pattern, const wchar_t* replacement, BOOL matchCase, BOOL matchWidth,
                   BOOL useRegex, BOOL inSelection, int* count);
    // deleteMatching: nonzero deletes the matching lines, 0 keeps only them.
    int FilterLines(const wchar_t* pattern, BOOL matchCase, BOOL matchWidth, BOOL useRegex, BOOL inSelection,
                    int* count, BOOL deleteMatching);
    // Tab / Shift+Tab over whole lines (or ch typed over a part of one line).
    void Indent(BOOL unindent, BOOL tabAsSpaces, int tabSize, wchar_t ch);

    // Line commands that need the window (edit_commands.cpp); the others are the model's.
    // To the end of the caret's display row (wrapped lines), else of its line.
    void MoveToRowEnd(bool extend);
    // The caret line with its line end to the clipboard.
    void CopyLine();
    // The clipboard's text as whole lines above or below the caret line.
    void PasteLine(bool above);
    void ClearText();
    int GetFirstVisibleLine();
    int GetLastVisibleLine();
    int GetLineTop(int line);
    // Links under the caret (style ECS_CLICKABLE_URL only).
    bool GetLinkRangeAtCaret(EditPos& start, EditPos& end);
    std::wstring GetLinkAtCaret();
    static bool IsUrlScheme(const wchar_t* text);
    bool IsPointOnText(int x, int y);
    // Host utilities.
    int ColumnFromDisplayColumn(int displayColumn, int line);
    static int GetMenuHeight(HMENU menu);
    static void EnumFontSizes(HDC dc, const wchar_t* face, std::vector<int>& sizes);

    // Coordinates (edit_caret.cpp). A row position is (x-column within the
    // display row, display row).
    struct RowPos {
        int xColumn;
        int row;
    };
    RowPos LinePosToRowPos(int column, int line, bool preferPreviousRow = false);
    CPoint PointFromRowPos(int xColumn, int row);
    EditPos PosFromPoint(int x, int y, bool clamp);
    bool PointInBody(CPoint p);
    // Scrolls so that the cell at pixel x of a display row is visible.
    void EnsureVisible(int pixelX, int row);

    // Moves by display rows (edit_caret.cpp); extend: grow the selection.
    void MoveCaretRows(int n, bool extend, bool scrollView);
    void MovePageUp(bool extend);
    void MovePageDown(bool extend);
    void UpdateBoldBrackets();

    // Repaints here and, in pane mode, in the other windows of the text.
    void MirrorRedrawLine(int line);
    void MirrorInvalidateLines(int first, int last);
    void MirrorRedrawMargin(int row);
    void MirrorRulerMark(int x);
    void RedrawLine(int line);
    void InvalidateLines(int first, int last);
    void RedrawMargin(int row);
    void RulerMark(int x);
    // After an edit: re-measure what changed and repaint (the sender of a
    // pane message re-measures, the receivers only follow).
    void LineChanged(int linesBefore, const CEditLine* caretLineRecord, int rowsBefore, int firstLine,
                     bool remeasure = true);

    // Typing and keys (edit_input.cpp).
    void SetOverwrite(bool on);
    void SetBracketBlinkTime(int ms) { m_bracketBlinkTime = ms; }
    int GetBracketBlinkTime() const { return m_bracketBlinkTime; }
    void InsertChar(char32_t ch);
    void OnChar(UINT ch);
    void OnKeyDown(UINT key);
    void CreateEditCaret(bool recreate);
    void FlashMatchingBracket(char32_t ch);

    // Mouse (edit_mouse.cpp).
    void ClickAt(bool extend, int x, int y);
    bool IsPointInSelection(int x, int y);
    int LineNumberHit(int x, int y);
    bool IsLinkAt(int x, int y);
    void OpenLinkAtCaret();
    void EndMouseCapture();

    // Clipboard (edit_clipboard.cpp).
    void Copy();
    void CopyAndClear();
    void Cut();
    // False when the clipboard could not be set (the user was told).
    bool CopyTextToClipboard(EditPos start, EditPos end, bool box);
    void Paste(bool raw, bool asBox);
    bool CanPaste() const;

    // Drag and drop (edit_dragdrop.cpp): true when a drop happened.
    bool StartDrag();
    DWORD OnDragOver(IDataObject* data, DWORD keys, CPoint point);
    void OnDragLeave();
    bool Drop(IDataObject* data, DWORD effect, CPoint point);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;

private:
    class Listener : public CEditDataListener {
    public:
        explicit Listener(CEditCtrl* owner) : m_owner(owner) {}
        void OnEditDataChanged() override { m_owner->UpdateModifiedColor(); }
        void OnModifiedChanged(bool modified) override { m_owner->SendParent(WM_EDIT_MODIFIEDCHANGED, modified ? 1 : 0); }

    private:
        CEditCtrl* m_owner;
    };

    void ApplyFont();
    void DeleteFonts();
    void RecalcVisibleRows();
    // Measures one line of a window's text: its width and rows.
    int MeasureLine(int line, const CMeasure& m);
    // What a full measurement of the lines depends on: measuring every line
    // again while it is the same gives the same row index.
    struct MeasuredFrom {
        const CEditData* data = nullptr;
        unsigned generation = 0;
        int wrapWidth = 0;
        int lines = -1;
        bool operator==(const MeasuredFrom&) const = default;
    };
    MeasuredFrom CurrentLayoutInputs() const;
    void SendParent(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT OnImeRequest(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void DropBackBuffer();
    // The comment-state scan; true when a line's start state changed.
    bool ScanLineStates(int from, int to);

    // Colouring (edit_colorize.cpp).
    void MarkSelection(LineAttrSlot* slot, int line);
    void MarkSearchHits(LineAttrSlot* slot, int line);
    void MarkBoldBrackets(LineAttrSlot* slot, int line);

    // CEditModelView: the model's questions and repaints.
    int ColumnX(EditPos pos) override;
    TabMetrics TabMetricsAtCaret() override;
    void SelectionMoved(bool had, EditPos oldStart, EditPos oldEnd) override;
    void SelectionLinesDropped(int first, int last) override;
    void SelectionChanged() override;
    void CaretMoved(bool scroll, bool force, bool preferPreviousRow) override;
    void RepaintAll() override;
    void TextEdited(const EditSnapshot& before, int firstLine, bool severalLines) override;
    void RangeDeleted(const EditSnapshot& before, int first, int last, bool box, bool showCaret) override;
    int ColumnAtX(int line, int x) override;
    void LinesChanged(bool showCaret) override;
    void LineEdited(const EditSnapshot& before) override;

    CEditData* m_data = nullptr;
    CEditModel m_model{*this};
    Listener m_listener{this};
    CRowIndex m_rowIndex;
    MeasuredFrom m_measuredFrom;  // of the last full measurement; data null when none holds
    CHighlightMatcher* m_highlight = nullptr;
    int m_textHeight = 18;
    int m_charWidth = 9;
    int m_digitWidth = 0;
    int m_rowHeight = 18;
    BOOL m_trueType = FALSE;
    int m_leftMargin = 1;
    int m_topMargin = 1;
    CFont m_font, m_underlineFont, m_boldFont;
    DWORD m_style = 0;
    int m_visibleRows = 1;
    int m_lineNumberDigits = 0;
    int m_extraRowSpacing = 0;
    int m_textOffset = 0;
    int m_topBase = 1;
    int m_leftBase = 1;
    int m_bottomMargin = 0;
    int m_rightMargin = 0;
    CRect m_body;
    int m_caretWidth = 2;
    int m_bracketBlinkTime = 0;
    COLORREF m_unmodifiedBackground = 0xFFFFFF;
    COLORREF m_modifiedBackground = 0xFFFFFF;
    int m_idleCountdown = 0;
    CMemoryDC m_backBuffer;
    int m_caretX = 0;
    int m_caretRow = 0;

    // Search state (edit_search.cpp).
    CRegexCache m_searchCache;
    std::unique_ptr<CHighlightMatcher> m_searchHits;
    EditPos m_emptyMatchAt{-1, -1};  // where the last search found an empty match
    void SelectFound(EditPos start, EditPos end);
    int ShowFindResult(int length, EditPos at);
    void ReportSearchFailure();
    // How a search asks before going round the text's end: with the asking
    // style a box of this window, else nothing (it goes round silently).
    std::function<bool(int direction)> WrapQuestionOfWindow() const;
    // Replace-all and the filter: the checks, the pattern compiled for this
    // one run, its failures told, and the relayout around edit, which gets
    // the pattern and the count to fill and returns the text's result.
    int RunPatternEdit(const wchar_t* pattern, BOOL matchCase, BOOL matchWidth, BOOL useRegex, int* count,
                       const std::function<int(CompiledRegex* re, int& count)>& edit);

    // Input state.
    bool m_changedBlinkTime = false;
    CPoint m_caretPoint{-1, -1};
    EditPos m_dblClickPos{-1, -1};
    CPoint m_lastMouse{-1, -1};
    bool m_placingCaret = false;
    bool m_tripleClickArmed = false;
    CRect m_dropCaret{0, 0, 0, 0};
    DropTargetTmpl<CEditCtrl> m_dropTarget{this};

    void OnLButtonDown(UINT flags, CPoint p);
    void OnLButtonUp();
    void OnLButtonDblClk(CPoint p);
    void OnMouseMove(UINT flags, CPoint p);
    void OnRButtonDown(UINT flags, CPoint p);
    void StartMouseSelection(bool wordMode);
    void MouseSelectTo(bool scroll, int x, int y);
    void UpdatePointer(CPoint p);
    void OnSetFocus(HWND lost);
    void OnKillFocus(HWND gained);
    void OnSyncLineChanged(WPARAM wParam);
    // Overwrite caret width: the character at the caret with its spacing.
    int CaretWidthAt();
};

// The registered id of the box clipboard format.
UINT GetBoxClipboardFormat();
// The pointer shown over a link (made once per process).
HCURSOR GetLinkCursor();
