// The editor model: what typing, deleting, moving the caret and selecting
// (stream and box), undo, keyword completion and the line commands do to a
// text and its selection, and how those edits group into undo steps. It
// knows no window: the window that shows the text answers the few questions
// of geometry and repaints when told, through CEditModelView. Moves by
// display rows and pages take their target from the window and then go
// through MoveTo like every other move.
#pragma once

#include <string>

#include "textengine/edit_data.h"

// The caret line's state before an edit, for the window's re-measuring.
struct EditSnapshot {
    int lines;
    int caretLine;
    const CEditLine* record;
    int rows;
};

// What the model needs of the window showing the text.
class CEditModelView {
public:
    virtual ~CEditModelView() = default;
    // Pixel x of a position from its line's start (box selections keep their edges in pixels).
    virtual int ColumnX(EditPos pos) = 0;
    // What typing a TAB at the caret needs: the caret's pixel x, the advance
    // of one blank and the tab-stop width.
    struct TabMetrics {
        int caretX, blankWidth, tabStop;
    };
    virtual TabMetrics TabMetricsAtCaret() = 0;
    // The selection grew or shrank from [oldStart, oldEnd] (had: there was one before).
    virtual void SelectionMoved(bool had, EditPos oldStart, EditPos oldEnd) = 0;
    // Lines first..last held a selection that is gone: repaint them everywhere.
    virtual void SelectionLinesDropped(int first, int last) = 0;
    // The selection changed in a way the host hears of.
    virtual void SelectionChanged() = 0;
    // The caret moved; scroll it into view when asked. force: placed even
    // without the focus. preferPreviousRow keeps a caret at a wrapped row's
    // start shown at the end of the row before.
    virtual void CaretMoved(bool scroll, bool force, bool preferPreviousRow) = 0;
    // Every line changed its look (the whole text was selected).
    virtual void RepaintAll() = 0;
    // After typing, a deletion at the caret or text put in place of the
    // selection (severalLines: a selection over several lines went first):
    // re-measure from firstLine, repaint, show the caret.
    virtual void TextEdited(const EditSnapshot& before, int firstLine, bool severalLines) = 0;
    // After DeleteRange removed first..last (box: a box selection).
    virtual void RangeDeleted(const EditSnapshot& before, int first, int last, bool box, bool showCaret) = 0;
    // The column of a line under pixel x from the line's start.
    virtual int ColumnAtX(int line, int x) = 0;
    // Lines anywhere changed (a line command, an undo step): re-measure and
    // repaint them all; showCaret: the caret is shown even without the focus.
    virtual void LinesChanged(bool showCaret) = 0;
    // The caret's line was edited in place of a word (completion): re-measure
    // from the state before and repaint.
    virtual void LineEdited(const EditSnapshot& before) = 0;
};

class CEditModel {
public:
    explicit CEditModel(CEditModelView& view) : m_view(view) {}

    // Another text drops the half-typed pair and the completion cycle, which belong to the text before.
    void SetData(CEditData* data) {
        if (data == m_data) return;
        m_data = data;
        m_pendingHigh = 0;
        m_completionStart = -1;
    }
    CEditData* Data() const { return m_data; }

    // A read-only text ignores every editing command.
    void SetReadOnly(bool on) { m_readOnly = on; }
    bool IsReadOnly() const { return m_readOnly; }
    void SetOverwrite(bool on) { m_overwrite = on; }
    bool IsOverwrite() const { return m_overwrite; }
    // The keyword completion's cycle: the index of the keyword last put in, -1 when none is.
    int CompletionCycle() const { return m_completionStart; }
    void SetCompletionCycle(int index) { m_completionStart = index; }
    void ResetCompletion() { m_completionStart = -1; }

    EditSnapshot Snapshot() const;

    // Selection ---------------------------------------------------------------
    bool HasSelection() const;
    bool IsMultiLineSelection() const;
    bool IsLineInSelection(int line) const;
    // An empty selection anchored at pos, a box one when a box was asked for.
    void BeginSelection(EditPos pos);
    // The free end to pos; boxXKnown: the caller set the box's right edge in pixels itself.
    void ExtendSelectionTo(EditPos pos, bool boxXKnown = false);
    // As ExtendSelectionTo, and the range so far becomes the one that stays
    // selected as the selection grows either way (a word, a line).
    void ExtendSelection(EditPos pos);
    // extend: a selection starts at the caret unless one is there; else the selection goes.
    void BeginOrClearSelection(bool extend);
    void ClearSelection(bool redraw);
    // Forgets the selection after an edit replaced it (its lines first..last repainted).
    void DropSelection(int first, int last);
    // Selects [a, b] (a box when box), the caret at b; equal ends and no box: only the caret.
    void SelectRange(EditPos a, EditPos b, bool box);
    void SelectAll();
    // The whole line with its line end (the last line to its end).
    void SelectLineAt(int line);
    void SelectWordAt();

    // Caret moves (extend: grow the selection) --------------------------------
    void MoveTo(EditPos target, bool extend, bool preferPreviousRow = false);
    // Left or right by one character; a selection one of whose ends is the
    // caret collapses to its start (left) or end (right) instead.
    void MoveCharOrCollapse(int n, bool extend);
    void MoveWordLeft(bool extend);
    void MoveWordRight(bool extend);
    // smart: to the first non-blank, and from there to column 0.
    void MoveToLineStart(bool extend, bool smart);
    void MoveToLineEnd(bool extend);
    void MoveToTextStart(bool extend);
    void MoveToTextEnd(bool extend);
    // The word edge after (n > 0) or before (n < 0) the caret. Taking it
    // ends the typed run, as a caret move would: what the caller then
    // deletes or completes is an undo step of its own.
    EditPos WordEdge(int n);

    // Typing and deleting -------------------------------------------------------
    // Combines a surrogate pair typed as two units: false while the first waits.
    bool CombineTyped(char32_t& ch);
    // Types ch (a TAB by the tab stops, CR a line break) at the caret: over
    // a selection, deleting it first in the same undo group; in overwrite
    // mode over the character at the caret (a CR moves to the next line).
    // Typed characters in a row coalesce into one undo step.
    void Type(char32_t ch);
    void BackSpace();
    void DeleteChar();
    // Deletes [start, end), or the box selection when there is one.
    void DeleteRange(EditPos start, EditPos end, bool showCaret);
    void DeleteSelection();
    // DeleteRange as one undo group that puts the caret back.
    void DeleteRangeAsGroup(EditPos start, EditPos end);
    // text in place of the selection (a box's rows into a box selection),
    // else at the caret; asBox: with no selection, text's lines go in as a
    // box at the caret.
    void ReplaceSelection(const char16_t* text, bool asBox);
    // text's lines as a box into the box selection, or at the caret.
    void PasteBox(const char16_t* text);

    // Undo and the text of the selection ----------------------------------------
    // One undo (redo) step: the text and the caret as the step left them, no selection.
    void Undo();
    void Redo();
    // The selected text; a box's rows with a line end after each.
    std::u16string SelectedText() const;

    // Keyword completion (edit_model_completion.cpp) ----------------------------
    // The word before the caret becomes the language's next (previous)
    // keyword it begins; asked again, the cycle goes on from the typed
    // prefix. Any other edit ends the cycle.
    void CompleteKeyword(bool backwards);

    // Line commands (edit_model_lines.cpp) ------------------------------------
    // Each one that edits is one undo step that also puts the caret back.
    // The caret line with its line end goes; the line then at its place
    // takes the caret under the same pixel x.
    void DeleteLine();
    // text as whole lines above or below the caret line (a line end at
    // its end is not doubled); empty text changes nothing.
    void PasteLines(const std::u16string& text, bool above);
    // The whole lines of a stream selection, reversed or sorted; the caret
    // goes past them, the selection goes.
    enum class LineOrder { Reversed, Ascending, Descending };
    void ReorderSelectedLines(LineOrder order);
    // The stream selection's whole lines (else the caret line) selected
    // without the last line end, anchored at their end, the caret at their start.
    void SelectWholeLines();
    // The caret to the next bookmarked line after (step > 0) or before the
    // caret line, round from the other end up to the caret line itself;
    // extend: the selection grows to it.
    void NextBookmark(int step, bool extend);
    // Runs of adjacent equal lines in the stream selection (none: the whole
    // text) become their first line, the selection keeping its end; a box
    // selection is left as it is. The text's result (0: done); count: the
    // runs shortened.
    int DeleteDuplicateLines(int& count);
    // Converts the stream selection's ASCII and katakana to full or half
    // width; a box selection is left as it is.
    void ConvertSelectionWidth(bool ascii, bool kana, bool toFull);
    // Where the selection's end stands, counted from the text's end: the
    // selection keeps its end there after an edit inside it (lines replaced,
    // filtered, converted), anchored at that end.
    struct EndFromTextEnd {
        int lines, units;
    };
    EndFromTextEnd SelectionEndFromTextEnd() const;
    void KeepSelectionEnd(EndFromTextEnd mark);

private:
    CEditDispData& Sel() const { return m_data->GetDispData(); }
    void TypeOne(char32_t ch);
    bool GoToBookmark(int from, int to, int step, bool extend);
    void Replay(int direction);

    CEditModelView& m_view;
    CEditData* m_data = nullptr;
    bool m_readOnly = false;
    bool m_overwrite = false;
    char16_t m_pendingHigh = 0;
    int m_completionStart = -1;
    // The typed prefix the completion cycle started from; a longer word is not completed.
    static constexpr std::size_t kMaxCompletionPrefix = 199;
    std::u16string m_completionPrefix;
};
