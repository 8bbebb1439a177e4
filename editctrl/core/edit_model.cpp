#include "editctrl/core/edit_model.h"

#include <algorithm>
#include <utility>

#include "editctrl/core/caret_motion.h"
#include "editctrl/core/selection_model.h"
#include "textengine/undo_data.h"

EditSnapshot CEditModel::Snapshot() const {
    const int line = m_data->GetCaretPos().line;
    return {m_data->GetLineCount(), line, m_data->GetLine(line), m_data->GetLineRowCount(line)};
}

// Selection ----------------------------------------------------------------------

bool CEditModel::HasSelection() const { return m_data && selmodel::HasSelection(Sel()); }

bool CEditModel::IsMultiLineSelection() const { return HasSelection() && Sel().selStart.line != Sel().selEnd.line; }

bool CEditModel::IsLineInSelection(int line) const {
    return HasSelection() && Sel().selStart.line <= line && line <= Sel().selEnd.line;
}

void CEditModel::BeginSelection(EditPos pos) {
    if (!m_data) return;
    ClearSelection(true);
    CEditDispData& d = Sel();
    pos = m_data->ClampPos(pos);
    d.selAnchor = pos;
    d.boxSelection = d.boxRequest;
    d.boxRequest = 0;
    if (d.boxSelection) d.boxX[0] = d.boxX[1] = m_view.ColumnX(pos);
    d.initialRange[0] = pos;
    d.initialRange[1] = {-1, -1};
    d.selStart = d.selEnd = pos;
}

void CEditModel::ExtendSelectionTo(EditPos pos, bool boxXKnown) {
    if (!m_data) return;
    CEditDispData& d = Sel();
    pos = m_data->ClampPos(pos);
    if (d.selAnchor.line < 0) BeginSelection(pos);
    if (d.boxSelection && !boxXKnown) d.boxX[1] = m_view.ColumnX(pos);
    const bool had = HasSelection();
    const EditPos oldStart = d.selStart, oldEnd = d.selEnd;
    selmodel::ExtendTo(d, pos);
    m_view.SelectionMoved(had, oldStart, oldEnd);
    m_view.SelectionChanged();
}

void CEditModel::ExtendSelection(EditPos pos) {
    if (!m_data) return;
    ExtendSelectionTo(pos);
    CEditDispData& d = Sel();
    d.initialRange[1] = m_data->ClampPos(pos);
    if (d.initialRange[1] < d.initialRange[0]) std::swap(d.initialRange[0], d.initialRange[1]);
}

void CEditModel::BeginOrClearSelection(bool extend) {
    if (!m_data) return;
    if (!extend)
        ClearSelection(true);
    else if (Sel().selAnchor.line < 0 || !HasSelection())
        BeginSelection(m_data->GetCaretPos());
    m_completionStart = -1;
}

void CEditModel::ClearSelection(bool redraw) {
    m_completionStart = -1;
    if (!m_data) return;
    CEditDispData& d = Sel();
    if (!HasSelection()) {
        if (d.selAnchor.line >= 0) d.ResetSelection();
        return;
    }
    if (redraw) m_view.SelectionLinesDropped(d.selStart.line, d.selEnd.line);
    d.ResetSelection();
    m_view.SelectionChanged();
}

void CEditModel::DropSelection(int first, int last) {
    m_view.SelectionLinesDropped(first, last);
    Sel().ResetSelection();
    m_view.SelectionChanged();
}

void CEditModel::SelectRange(EditPos a, EditPos b, bool box) {
    if (!m_data) return;
    a = m_data->ClampPos(a);
    b = m_data->ClampPos(b);
    if (box || a != b) {
        Sel().boxRequest = box ? 1 : 0;
        BeginSelection(a);
        ExtendSelectionTo(b);
        m_data->SetCaretPos(b.line, b.column);
    } else {
        ClearSelection(true);
        m_data->SetCaretPos(a.line, a.column);
    }
    m_view.CaretMoved(true, true, false);
}

void CEditModel::SelectAll() {
    if (!m_data) return;
    BeginSelection(motion::TextEnd(*m_data));
    ExtendSelection(motion::TextStart());
    m_data->SetCaretPos(0, 0);
    m_view.RepaintAll();
    m_view.CaretMoved(true, false, false);
}

void CEditModel::SelectLineAt(int line) {
    if (!m_data) return;
    line = std::clamp(line, 0, m_data->GetLineCount() - 1);
    const EditPos end = motion::PastLine(*m_data, line);
    BeginSelection({0, line});
    ExtendSelection(end);
    m_data->SetCaretPos(end.line, end.column);
    m_view.CaretMoved(true, false, false);
}

void CEditModel::SelectWordAt() {
    if (!m_data) return;
    const auto word = motion::WordAt(*m_data, m_data->GetCaretPos());
    BeginSelection(word.first);
    ExtendSelection(word.second);
    m_data->SetCaretPos(word.second.line, word.second.column);
    m_view.CaretMoved(true, false, false);
}

// Caret moves --------------------------------------------------------------------

void CEditModel::MoveTo(EditPos target, bool extend, bool preferPreviousRow) {
    if (!m_data) return;
    BeginOrClearSelection(extend);
    m_data->SetCaretPos(target.line, target.column);
    if (extend) ExtendSelectionTo(target);
    m_view.CaretMoved(true, false, preferPreviousRow);
}

void CEditModel::MoveCharOrCollapse(int n, bool extend) {
    if (!m_data) return;
    const CEditDispData& d = Sel();
    const EditPos c = m_data->GetCaretPos();
    if (!extend && HasSelection() && (d.selStart == c || d.selEnd == c)) {
        const EditPos to = n < 0 ? d.selStart : d.selEnd;
        ClearSelection(true);
        m_data->SetCaretPos(to.line, to.column);
        m_view.CaretMoved(true, false, false);
        return;
    }
    MoveTo(motion::CharStep(*m_data, c, n), extend);
}

void CEditModel::MoveWordLeft(bool extend) {
    if (m_data) MoveTo(motion::WordLeft(*m_data, m_data->GetCaretPos()), extend);
}

void CEditModel::MoveWordRight(bool extend) {
    if (m_data) MoveTo(motion::WordRight(*m_data, m_data->GetCaretPos(), motion::WordStop::NextWordStart), extend);
}

void CEditModel::MoveToLineStart(bool extend, bool smart) {
    if (m_data) MoveTo(motion::LineStart(*m_data, m_data->GetCaretPos(), smart), extend);
}

void CEditModel::MoveToLineEnd(bool extend) {
    if (m_data) MoveTo(motion::LineEnd(*m_data, m_data->GetCaretPos()), extend);
}

void CEditModel::MoveToTextStart(bool extend) {
    if (m_data) MoveTo(motion::TextStart(), extend);
}

void CEditModel::MoveToTextEnd(bool extend) {
    if (m_data) MoveTo(motion::TextEnd(*m_data), extend);
}

EditPos CEditModel::WordEdge(int n) {
    if (!m_data) return {0, 0};
    if (CUndoData* undo = m_data->GetUndo()) undo->CloseCoalescing();
    return motion::WordEdge(*m_data, m_data->GetCaretPos(), n);
}

// Typing and deleting -----------------------------------------------------------------

bool CEditModel::CombineTyped(char32_t& ch) {
    if (ch >= 0xD800 && ch < 0xDC00) {
        m_pendingHigh = static_cast<char16_t>(ch);
        return false;
    }
    if (ch >= 0xDC00 && ch < 0xE000) {
        if (!m_pendingHigh) return false;
        ch = 0x10000 + ((static_cast<char32_t>(m_pendingHigh) - 0xD800) << 10) + (ch - 0xDC00);
    }
    m_pendingHigh = 0;
    return true;
}

void CEditModel::TypeOne(char32_t ch) {
    if (ch == '\t') {
        const CEditModelView::TabMetrics m = m_view.TabMetricsAtCaret();
        m_data->InsertTab(m.caretX, m.blankWidth, m.tabStop);
        return;
    }
    m_data->TypeChar(ch);
}

void CEditModel::Type(char32_t ch) {
    if (m_readOnly || !m_data) return;
    const EditSnapshot before = Snapshot();
    int firstLine = before.caretLine;
    bool severalLines = false;
    if (HasSelection()) {
        CEditDispData& d = Sel();
        const EditPos start = d.selStart, end = d.selEnd;
        firstLine = start.line;
        severalLines = start.line != end.line;
        {
            CUndoGroupGuard group(m_data->GetUndo(), 0);
            m_data->RecordCaretForUndo();
            if (d.boxSelection)
                m_data->DeleteBoxSelection();
            else
                m_data->DeleteText(start, end, 1);
            TypeOne(ch);
        }
        DropSelection(start.line, end.line);
    } else if (!m_overwrite || m_data->IsCaretAtTextEnd()) {
        TypeOne(ch);
    } else if (ch == '\r') {
        // Overwriting a line end moves on to the next line.
        const EditPos c = m_data->GetCaretPos();
        if (c.line + 1 >= m_data->GetLineCount()) return;
        m_data->SetCaretPos(c.line + 1, 0);
        m_view.CaretMoved(true, false, false);
        return;
    } else {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->DeleteCharAtCaret();
        TypeOne(ch);
    }
    m_completionStart = -1;
    m_view.TextEdited(before, firstLine, severalLines);
}

void CEditModel::BackSpace() {
    if (m_readOnly || !m_data) return;
    if (HasSelection()) {
        DeleteSelection();
        return;
    }
    const EditSnapshot before = Snapshot();
    const int first = std::max(before.caretLine - (m_data->GetCaretPos().column == 0 ? 1 : 0), 0);
    m_data->Backspace();
    m_completionStart = -1;
    m_view.TextEdited(before, first, false);
}

void CEditModel::DeleteChar() {
    if (m_readOnly || !m_data) return;
    if (HasSelection()) {
        DeleteSelection();
        return;
    }
    const EditSnapshot before = Snapshot();
    m_data->DeleteCharAtCaret();
    m_completionStart = -1;
    m_view.TextEdited(before, before.caretLine, false);
}

void CEditModel::DeleteRange(EditPos start, EditPos end, bool showCaret) {
    if (m_readOnly || !m_data) return;
    const EditSnapshot before = Snapshot();
    CEditDispData& d = Sel();
    const bool box = d.boxSelection && HasSelection();
    const int first = box ? d.selStart.line : std::min(start.line, end.line);
    const int last = box ? d.selEnd.line : std::max(start.line, end.line);
    if (box)
        m_data->DeleteBoxSelection();
    else
        m_data->DeleteText(start, end, 1);
    if (HasSelection()) m_view.SelectionLinesDropped(d.selStart.line, d.selEnd.line);
    const bool hadSelection = d.selAnchor.line >= 0;
    d.ResetSelection();
    if (hadSelection) m_view.SelectionChanged();
    m_completionStart = -1;
    m_view.RangeDeleted(before, first, last, box, showCaret);
}

void CEditModel::DeleteSelection() {
    if (HasSelection()) DeleteRangeAsGroup(Sel().selStart, Sel().selEnd);
}

void CEditModel::DeleteRangeAsGroup(EditPos start, EditPos end) {
    if (m_readOnly || !m_data || (start == end && !(Sel().boxSelection && HasSelection()))) return;
    CUndoGroupGuard group(m_data->GetUndo(), 0);
    m_data->RecordCaretForUndo();
    DeleteRange(start, end, true);
    m_data->RecordCaretForUndo();
}

void CEditModel::ReplaceSelection(const char16_t* text, bool asBox) {
    if (m_readOnly || !m_data || !text) return;
    const EditSnapshot before = Snapshot();
    int firstLine = before.caretLine;
    bool severalLines = false;
    if (asBox && !HasSelection()) {
        PasteBox(text);
        severalLines = true;
    } else if (!HasSelection()) {
        m_data->InsertText(text, 1);
    } else {
        CEditDispData& d = Sel();
        const EditPos start = d.selStart, end = d.selEnd;
        firstLine = start.line;
        severalLines = start.line != end.line || d.boxSelection;
        if (d.boxSelection)
            m_data->InsertBoxText(text);
        else
            m_data->ReplaceRange(start, end, text);
        DropSelection(start.line, end.line);
    }
    m_completionStart = -1;
    m_view.TextEdited(before, firstLine, severalLines);
}

void CEditModel::PasteBox(const char16_t* text) {
    if (!m_data || !text) return;
    CEditDispData& d = Sel();
    if (!HasSelection()) {
        const EditPos c = m_data->GetCaretPos();
        d.boxRequest = 1;
        BeginSelection(c);
        ExtendSelectionTo(c);
        d.selAnchor = c;
    }
    m_data->InsertBoxText(text);
    d.ResetSelection();
}

// Undo and the text of the selection ------------------------------------------------------

void CEditModel::Undo() { Replay(-1); }

void CEditModel::Redo() { Replay(1); }

void CEditModel::Replay(int direction) {
    if (m_readOnly || !m_data) return;
    if (direction < 0)
        m_data->Undo();
    else
        m_data->Redo();
    ClearSelection(true);
    m_view.LinesChanged(false);
}

std::u16string CEditModel::SelectedText() const {
    if (!HasSelection()) return {};
    return Sel().boxSelection ? m_data->GetBoxSelectionString() : m_data->GetSelectedText();
}
