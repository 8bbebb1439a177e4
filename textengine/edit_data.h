// The text of one open file (or grid cell, or macro scratch text): a gap
// array of line records, the caret, line-end mode, line-break character sets,
// an optional maximum length, the undo store, the modified state and one
// listener told after every change.
//
// Conventions: operations that can fail return true on success; any line
// index is accepted, and lines outside the text read as one shared empty line.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "textengine/edit_disp_data.h"
#include "textengine/edit_line.h"
#include "textengine/edit_line_array.h"
#include "textengine/edit_pos.h"
#include "textengine/kanjicode.h"
#include "textengine/layout_generation.h"
#include "textengine/text_arena.h"
#include "textengine/text_loss.h"
#include "textengine/undo_data.h"

class CByteStream;
class CKanjiTextFile;

// Told after each completed change (the editor control re-measures, re-wraps
// and repaints), and once each time the text turns modified or back
// unmodified (an edit, undo to the saved point, saving, loading).
class CEditDataListener {
public:
    virtual ~CEditDataListener() = default;
    virtual void OnEditDataChanged() = 0;
    virtual void OnModifiedChanged(bool /*modified*/) {}
};

class CEditData {
public:
    // Word breaks (which also coalesce typing into undo steps) come from the
    // buffer's syntax rules; without them the default break characters apply.
    static bool IsDefaultBreakChar(char32_t cp);
    // Called after a typed trigger character when the indent mode is on
    // (CR for mode 1; CR, '{', '}' and ':' for mode 2), inside the typing's
    // undo group. Filled in by the editor control's smart indenter.
    using IndentHook = void (*)(CEditData& data, char32_t ch);
    static void SetIndentHook(IndentHook hook);

    CEditData();
    virtual ~CEditData();
    CEditData(const CEditData&) = delete;
    CEditData& operator=(const CEditData&) = delete;

    // Settings and listener -------------------------------------------------
    void Clear();
    void Reset();
    void SetLineEndType(LineEndType type);
    LineEndType GetLineEndType() const { return m_lineEndType; }
    const char16_t* GetLineEndChars() const { return m_lineEndChars; }
    int GetLineEndLength() const { return m_lineEndLength; }
    int GetMaxLength() const { return m_maxLength; }
    void SetMaxLength(int max) { m_maxLength = max; }
    bool GetTabAsSpace() const { return m_tabAsSpace; }
    void SetTabAsSpace(bool on) { m_tabAsSpace = on; }
    int GetIndentMode() const { return m_indentMode; }
    void SetIndentMode(int mode) { m_indentMode = mode; }
    void SetListener(CEditDataListener* listener) { m_listener = listener; }
    CEditDataListener* GetListener() const { return m_listener; }
    void NotifyChanged();

    // The language's lexical rules for word breaks, comment states and
    // syntax classes (the editor's syntax tables implement them); null: the
    // default break characters, no comments, no quoted tokens. The caller
    // keeps them alive.
    void SetSyntaxRules(const CSyntaxRules* rules) {
        if (rules != m_syntaxRules) m_lines.CountChange();  // word classes decide wrapping at word ends
        m_syntaxRules = rules;
    }
    const CSyntaxRules* GetSyntaxRules() const { return m_syntaxRules; }
    bool IsBreakChar(char32_t cp) const;
    // Word class of a character (0 line end, 1 break, 2 blank, 3 other
    // below 256, 10-16 Japanese classes, 15 the rest).
    int GetWordCharType(char32_t cp) const;

    // Text: reading -----------------------------------------------------------
    bool IsEmpty() const;
    bool IsModified() const;
    void MarkSaved();
    int GetLineCount() const { return m_lines.Count(); }
    // Changes whenever a change may alter this text's layout (see
    // layout_generation.h): its lines' texts or order, its width table, its
    // break rules.
    unsigned GetLayoutGeneration() const {
        return m_lines.Generation() + m_disp.widths.Generation() + LayoutGeneration();
    }
    int GetCharCount() const { return m_charCount; }
    CEditLine* GetLine(int i) const;
    const char16_t* GetLineText(int i) const { return GetLine(i)->text; }
    int GetLineLength(int i) const { return GetLine(i)->length - 1; }
    int GetLineFlags(int i, int mask) const { return GetLine(i)->flags & mask; }
    bool IsLineModified(int i) const { return GetLine(i)->changeMark != -1; }
    char32_t GetCharAt(int line, int column) const;
    // Whole lines a..b with the line end after b; for a last line b the
    // range takes the line end before a instead.
    void GetLineRange(int a, int b, EditPos& from, EditPos& to) const;
    // Characters between two positions, a line end counting its length.
    long long CountChars(EditPos from, EditPos to) const;
    // Bytes CopyRange writes, the terminator included.
    std::size_t GetRangeSize(EditPos from, EditPos to) const;
    void CopyRange(EditPos from, EditPos to, char16_t* buffer) const;
    std::u16string GetText() const;
    std::u16string GetTextRange(EditPos from, EditPos to) const;
    std::u16string GetSelectedText() const;

    // Text: editing (false when memory or the maximum length ran out) ------
    bool InputChar(char16_t ch);
    bool NewLine();
    bool TypeChar(char32_t ch);
    // Typing TAB. With tab-as-space on, blanks up to the next tab stop are
    // typed instead; the metrics come from the window's width table: the
    // caret's pixel x, the advance of one blank and the tab-stop width.
    bool InsertTab(int caretX, int blankWidth, int tabStopWidth);
    virtual bool InsertText(const char16_t* text, int updateCaretX);
    bool InsertBlock(const char16_t* text);
    bool InsertBlock(const char16_t* text, int count);
    bool Backspace();
    bool DeleteCharAtCaret();
    bool DeleteText(EditPos from, EditPos to, int record);
    bool ReplaceRange(EditPos from, EditPos to, const char16_t* text);
    bool SwapLines(int a, int b, int record);
    // Indentation and width conversions, each one undo group.
    bool TabsToSpaces(int first, int last);
    bool SpacesToTabs(int first, int last);
    bool ConvertWidth(EditPos from, EditPos to, int ascii, int kana, int toFull);

    // Caret -------------------------------------------------------------------
    EditPos GetCaretPos() const { return m_caret; }
    char32_t GetCaretChar() const;
    // At column 0 of a later line the line break reads as CR; 0 at (0,0).
    char32_t GetCharBeforeCaret() const;
    bool IsCaretAtLineEnd() const;
    bool IsCaretAtTextEnd() const;
    EditPos ClampPos(EditPos pos) const;
    EditPos MovePos(EditPos pos, int n) const;
    void SetCaretPos(int line, int column);
    void MoveCaretChars(int n);
    void MoveCaretLines(int n);
    void MoveCaretLinesHome(int n);
    // The pixel column vertical moves keep (-1: take it from the caret).
    int GetCaretX() const { return m_caretX; }
    void SetCaretX(int x) { m_caretX = x; }
    // Caret movement by word classes; each ends undo coalescing.
    void MoveWord(int n);
    void SkipBlanks(int n);
    void MoveToWordEdge(int n);
    void MoveToBlank(int n, const char32_t blanks[3]);
    // The same walks from any position, the caret untouched: one word
    // (a run of one class; n <= 0 backwards), the blanks, or the run of
    // blanks or of non-blanks up to the next change.
    EditPos WordStepFrom(EditPos p, int n) const;
    EditPos BlanksSkippedFrom(EditPos p, int n) const;
    EditPos BlankRunFrom(EditPos p, int n, const char32_t blanks[3]) const;
    // Scans from the caret (backwards for direction <= 0, over the
    // characters before it; else over those after the caret character) to
    // limit (line -1: the text's end) for the bracket that brings depth to 0,
    // counting only brackets in plain code.
    bool FindMatchingBracket(char32_t open, char32_t close, int depth, EditPos limit, int direction,
                             EditPos& pos) const;
    // The same scan from a given position: backwards over the characters
    // before it, forwards from the character at it.
    bool ScanForBracket(char32_t open, char32_t close, int depth, EditPos limit, int direction, EditPos from,
                        EditPos& pos) const;

    // Files (edit_data_file.cpp) ----------------------------------------------
    // code Detect is replaced by the detected code, and lineEnd by the detected
    // line end; the caller sets the buffer's own line-end type. Load reads
    // into fresh lines and only then replaces the text and empties undo; on
    // failure (out of memory, a read error) the text, undo, code and lineEnd
    // stay as they were, false is returned and why (when given) says which.
    // loss (when given) counts the bytes that decoded to nothing. progress
    // (when given) hears how far the read has come; see LoadProgress.
    enum class LoadFailure { None, OutOfMemory, ReadError };
    // Bytes read so far and the stream's size (what was read, where that is
    // more or the size is unknown): each time kLoadProgressBytes more are
    // read, and once at the end with read == total. Called between chunks,
    // never with the pool locked, so it may draw or edit other texts.
    using LoadProgress = std::function<void(unsigned long long read, unsigned long long total)>;
    static constexpr unsigned long long kLoadProgressBytes = 4ull << 20;
    bool Load(CByteStream& in, KanjiCode& code, LineEndType& lineEnd, TextLossReport* loss = nullptr,
              LoadFailure* why = nullptr, const LoadProgress& progress = {});
    // Inserts the file at the caret as one undo group; the caret stays.
    bool InsertFile(CByteStream& in, KanjiCode& code, LineEndType& lineEnd, TextLossReport* loss = nullptr);
    // Writes every line, the line end between lines, and marks the text
    // saved. loss (when given) counts the characters written as '?'.
    bool Save(CByteStream& out, KanjiCode code, LineEndType lineEnd, TextLossReport* loss = nullptr);
    // Saves to path (through symbolic links, to their target) so that a
    // failure never leaves the old file half-written: see
    // CReplacingFileStream. A target that is not a regular file is refused.
    // On failure error (when given) says why: an errno value,
    // kNotRegularFile or kUnknownEncoding (textengine/file_replace.h).
    bool Save(const char16_t* path, KanjiCode code, LineEndType lineEnd, int* error, TextLossReport* loss = nullptr);
    // What saving in code would write as '?', without writing anything: for
    // asking the user before a lossy save. Unknown codes report nothing.
    TextLossReport CheckSave(KanjiCode code) const;

    // Undo --------------------------------------------------------------------
    void ResetUndo();
    void SetUndoUnlimited();
    bool RecordCaretForUndo();
    // False when there is nothing to undo (redo).
    bool Undo();
    bool Redo();
    CUndoData* GetUndo() const { return m_undo; }
    int GetEditCounter() const { return m_editCounter; }
    int GetReplayDirection() const { return m_replayDirection; }

    // Layout (layout.cpp, syntax_state.cpp) ---------------------------------
    CEditDispData& GetDispData() { return m_disp; }
    const CEditDispData& GetDispData() const { return m_disp; }
    void SetLastConfinementStr(const char16_t* s);
    void SetFirstConfinementStr(const char16_t* s);
    const char16_t* GetLastConfinementStr() const { return m_lastConfinement; }
    const char16_t* GetFirstConfinementStr() const { return m_firstConfinement; }
    void SetWordWrapAtWordEnds(bool on);
    bool GetWordWrapAtWordEnds() const { return m_wordWrap; }
    // Rows are cut at word ends or around the confinement characters.
    bool GetBreakAdjustment() const { return m_breakAdjust; }
    // The editor control measures the lines and names the widest.
    void SetWidestLine(int line, int width);
    int GetWidestLineWidth() const { return m_widestWidth; }
    CEditLine* GetWidestLine() const { return m_widestLine; }
    int GetLineRowCount(int i) const { return GetLineRows(i).count; }
    // The line's rows as CalcLineWrap last cut them.
    LineRows GetLineRows(int i) const;
    // Widths come from the display data's width table; m may be null (then
    // only what is cached counts).
    // Display column of a position: a TAB to the next multiple of the tab
    // size, a wide character 2, any other 1.
    int GetDisplayColumn(int line, int column, CTextMetrics* m) const;
    // Units of text that fit in width pixels, with the line-break rules.
    int FitChars(const char16_t* text, int width, CTextMetrics* m) const;
    // The same measured with another font's table (a printer's).
    int FitChars(const char16_t* text, int width, const CCharWidthTable& table, CTextMetrics* m) const;
    // Cuts the line into rows at the wrap width and stores the row starts:
    // the row count (1 without wrapping).
    int CalcLineWrap(int line, CTextMetrics* m);
    // Turns every row start within [from, to] into a line end (one undo
    // group); to follows the text. False when an insertion failed.
    bool InsertBreaksAtWrap(EditPos from, EditPos& to);
    // Stores each line's start state (block comment, markup tag) from first
    // to last (-1: the last line) and on while stored states change.
    void UpdateLineStates(int first, int last, int options, bool& changed);
    // CharClass of the character at (line, column); cache may be null.
    int GetCharClass(int line, int column, CCharClassCache* cache) const;

    // Box selection and sort (edit_ranges.cpp, edit_commands.cpp) ---------
    // Box selection: the display data's lines selStart..selEnd between the
    // pixel columns boxX[0] and boxX[1], measured with its metrics.
    void GetBoxColumns(int line, int& startCol, int& endCol) const;
    std::size_t GetBoxSelectionSize() const;
    // Each line's part followed by LF, NUL-terminated.
    void CopyBoxSelection(char16_t* buffer) const;
    std::u16string GetBoxSelectionString() const;
    bool DeleteBoxSelection();
    // Pastes rows (cut at LF) into the box, or at the caret without one.
    bool InsertBoxText(const char16_t* text);
    // Pads the line with blanks at its end up to the display column; the
    // caret goes to the line's end.
    bool InsertSpacesTo(int line, int displayColumn);
    // Many lines given new texts as one undo record that keeps their old
    // texts (replace-all): BeginLineTexts opens the record with room for
    // oldUnits units of old text; ExchangeLineText gives one line its new
    // text (lines keep their records, flags and bookmarks). The caller
    // holds an undo group and tells the listener at the end.
    bool BeginLineTexts(long long oldUnits);
    bool ExchangeLineText(int line, const char16_t* text, int length);
    // Deletes runs of whole lines (first, last; ascending, disjoint, not
    // every line of the text) as one undo record holding their texts.
    bool DeleteLineRuns(const std::pair<int, int>* runs, int count);

    // Stable sorts of lines a..b by UTF-16 unit values, one undo step.
    bool SortLinesAscending(int a, int b);
    bool SortLinesDescending(int a, int b);

private:
    // Tells the listener when IsModified() differs from what it last heard.
    void ReportModifiedChange();
    // Puts the caret at a clamped position as every caret move does: undo
    // coalescing ends and the remembered column is forgotten.
    void MoveCaretTo(EditPos p);
    // Whether a position lies in the text: an existing line, a column from
    // its start to its end.
    bool Holds(EditPos pos) const;
    int CheckMaxLength(char16_t ch) const;
    void MarkLine(CEditLine* line);
    bool RecordText(const char16_t* text, int count);
    bool OpenRecord(int kind, EditPos pos);
    bool DeleteRange(EditPos from, EditPos to, int record);
    bool JoinWithPrevious(int line);
    void FreeLines(int at, int n);
    void RemoveLastRecordedUnit(char16_t unit);
    bool DeleteForward(EditPos pos, int units);
    bool ReplayRecord(UndoRecord* rec, int direction);
    void AfterReplay();
    void CopyIndentation();
    static bool ReadLines(CKanjiTextFile& file, long long fileSize, CTextArena& arena, CEditLineArray& lines,
                          int& charCount, const LoadProgress& progress);
    static bool EndLoadedLine(CTextArena& arena, CEditLine* line, const char16_t* text, int n, size_t atMost,
                              int& charCount);
    bool SortLines(int a, int b, bool descending);
    bool ReplayLineTexts(UndoRecord* rec);
    bool ReplayLineRuns(const UndoRecord* rec, int direction);
    bool ReplayLineOrder(const UndoRecord* rec, int direction);
    void WordStep(int direction);
    bool ConvertIndentation(int first, int last, bool toTabs);

    // Texts of the loaded file's lines; freed after the lines (the destructor
    // frees them first).
    CTextArena m_loadedText;
    CEditLineArray m_lines;  // with the row starts of the lines that wrap (layout.cpp)
    int m_charCount = 0;
    int m_maxLength = -1;
    CUndoData* m_undo = nullptr;
    EditPos m_caret{0, 0};
    bool m_tabAsSpace = false;
    int m_indentMode = 0;
    int m_widestWidth = 0;
    CEditLine* m_widestLine = nullptr;
    int m_caretX = 0;
    int m_savedPoint = 0;
    int m_replayDirection = 0;
    int m_replaySerial = 0;
    int m_editCounter = 0;
    char32_t m_lastTyped = 0;
    // Where the open typing, backspace or delete record goes on: a record is
    // replayed as one run, so it continues only at that position (vertical
    // caret moves leave the record open).
    EditPos m_typedEnd{-1, -1};
    CEditDispData m_disp;
    char16_t* m_lastConfinement = nullptr;
    char16_t* m_firstConfinement = nullptr;
    bool m_wordWrap = false;
    bool m_breakAdjust = false;
    LineEndType m_lineEndType = LineEndType::CRLF;
    char16_t m_lineEndChars[4] = {u'\r', u'\n', 0, 0};
    int m_lineEndLength = 2;
    CEditDataListener* m_listener = nullptr;
    bool m_reportedModified = false;  // the modified state the listener last heard of
    const CSyntaxRules* m_syntaxRules = nullptr;
};

// Restores the buffer's line-end type when the scope ends.
class CLineEndTypeGuard {
public:
    explicit CLineEndTypeGuard(CEditData* data)
        : m_data(data), m_type(data ? data->GetLineEndType() : LineEndType::CRLF) {}
    CLineEndTypeGuard(CEditData* data, LineEndType type) : m_data(data), m_type(type) {}
    ~CLineEndTypeGuard() {
        if (m_data) m_data->SetLineEndType(m_type);
    }
    CLineEndTypeGuard(const CLineEndTypeGuard&) = delete;
    CLineEndTypeGuard& operator=(const CLineEndTypeGuard&) = delete;

private:
    CEditData* m_data;
    LineEndType m_type;
};
