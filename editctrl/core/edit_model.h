// The editor model: what typing, deleting, moving the caret and selecting
// (stream and box) do to a text and its selection, and how those edits
// group into undo steps. It knows no window: the window that shows the text
// answers the few questions of geometry and repaints when told, through
// CEditModelView. Moves by display rows and pages take their target from the
// window and then go through MoveTo like every other move.
#pragma once

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
    // After typing or a deletion at the caret (severalLines: a selection
    // over several lines went first): re-measure from firstLine, repaint, show the caret.
    virtual void TextEdited(const EditSnapshot& before, int firstLine, bool severalLines) = 0;
    // After DeleteRange removed first..last (box: a box selection).
    virtual void RangeDeleted(const EditSnapshot& before, int first, int last, bool box, bool showCaret) = 0;
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

private:
    CEditDispData& Sel() const { return m_data->GetDispData(); }
    void TypeOne(char32_t ch);

    CEditModelView& m_view;
    CEditData* m_data = nullptr;
    bool m_readOnly = false;
    bool m_overwrite = false;
    char16_t m_pendingHigh = 0;
    int m_completionStart = -1;
};
