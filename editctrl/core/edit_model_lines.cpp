// The editor model's line commands: deleting, pasting, reordering,
// de-duplicating and selecting whole lines, bookmarks, width conversion,
// and the selection's end kept across edits inside it.
#include <algorithm>

#include "editctrl/core/caret_motion.h"
#include "editctrl/core/command_rules.h"
#include "editctrl/core/edit_model.h"
#include "textengine/duplicate_lines.h"
#include "textengine/undo_data.h"

void CEditModel::DeleteLine() {
    if (m_readOnly || !m_data) return;
    if (m_data->GetLineCount() == 1 && m_data->GetLineLength(0) == 0) return;
    const EditPos caret = m_data->GetCaretPos();
    const int x = m_view.ColumnX(caret);
    ClearSelection(true);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        EditPos from, to;
        m_data->GetLineRange(caret.line, caret.line, from, to);
        m_data->DeleteText(from, to, 1);
        const int line = std::min(caret.line, m_data->GetLineCount() - 1);
        m_data->SetCaretPos(line, m_view.ColumnAtX(line, x));
        m_data->RecordCaretForUndo();
    }
    m_view.LinesChanged(true);
}

void CEditModel::PasteLines(const std::u16string& text, bool above) {
    // Nothing to paste: no empty line is left behind either.
    if (m_readOnly || !m_data || text.empty()) return;
    ClearSelection(true);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        const int line = m_data->GetCaretPos().line;
        if (above) {
            m_data->SetCaretPos(line, 0);
            m_data->InsertText(u"\n", 1);
            m_data->SetCaretPos(line, 0);
        } else {
            m_data->SetCaretPos(line, m_data->GetLineLength(line));
            m_data->InsertText(u"\n", 1);
        }
        m_data->InsertText(text.c_str(), 1);
        // Text that ended with a line end leaves one line end too many.
        if (m_data->GetCaretPos().column == 0) m_data->Backspace();
        m_data->RecordCaretForUndo();
    }
    m_view.LinesChanged(true);
}

void CEditModel::ReorderSelectedLines(LineOrder order) {
    if (m_readOnly || !m_data || !HasSelection() || Sel().boxSelection) return;
    int first, last;
    SelectedLineSpan(Sel().selStart, Sel().selEnd, first, last);
    {
        CUndoGroupGuard group(m_data->GetUndo(), 0);
        m_data->RecordCaretForUndo();
        switch (order) {
        case LineOrder::Reversed:
            for (int a = first, b = last; a < b; ++a, --b) m_data->SwapLines(a, b, 1);
            break;
        case LineOrder::Ascending:
            m_data->SortLinesAscending(first, last);
            break;
        case LineOrder::Descending:
            m_data->SortLinesDescending(first, last);
            break;
        }
    }
    ClearSelection(true);
    const EditPos after = motion::PastLine(*m_data, last);
    m_data->SetCaretPos(after.line, after.column);
    m_view.LinesChanged(true);
}

void CEditModel::SelectWholeLines() {
    if (!m_data) return;
    CEditDispData& d = Sel();
    int first, last;
    if (HasSelection() && !d.boxSelection) {
        SelectedLineSpan(d.selStart, d.selEnd, first, last);
    } else {
        first = last = m_data->GetCaretPos().line;
    }
    const EditPos start{0, first}, end{m_data->GetLineLength(last), last};
    d.ResetSelection();
    d.selAnchor = end;
    d.selStart = start;
    d.selEnd = end;
    m_data->SetCaretPos(start.line, start.column);
    m_view.RepaintAll();
    m_view.SelectionChanged();
}

bool CEditModel::GoToBookmark(int from, int to, int step, bool extend) {
    const int line = FindBookmarkLine(*m_data, from, to, step);
    if (line < 0) return false;
    BeginOrClearSelection(extend);
    m_data->SetCaretPos(line, 0);
    if (extend) ExtendSelectionTo({0, line});
    m_view.CaretMoved(true, true, false);
    return true;
}

void CEditModel::NextBookmark(int step, bool extend) {
    if (!m_data) return;
    const int caret = m_data->GetCaretPos().line;
    const int last = m_data->GetLineCount() - 1;
    if (step > 0) {
        if (!GoToBookmark(caret + 1, last, 1, extend)) GoToBookmark(0, caret, 1, extend);
    } else {
        if (!GoToBookmark(caret - 1, 0, -1, extend)) GoToBookmark(last, caret, -1, extend);
    }
}

int CEditModel::DeleteDuplicateLines(int& count) {
    count = 0;
    if (!m_data || m_readOnly) return 1;
    // Runs span lines, and a box holds only pieces of lines.
    if (HasSelection() && Sel().boxSelection) return 0;
    int result;
    if (!HasSelection()) {
        result = ::DeleteDuplicateLines(*m_data, nullptr, nullptr, &count);
        if (result == 0) ClearSelection(true);
    } else {
        const EditPos start = Sel().selStart, end = Sel().selEnd;
        const EndFromTextEnd mark = SelectionEndFromTextEnd();
        result = ::DeleteDuplicateLines(*m_data, &start, &end, &count);
        if (result == 0) KeepSelectionEnd(mark);
    }
    m_view.LinesChanged(true);
    return result;
}

void CEditModel::ConvertSelectionWidth(bool ascii, bool kana, bool toFull) {
    if (m_readOnly || !m_data || !HasSelection() || Sel().boxSelection) return;
    const EndFromTextEnd mark = SelectionEndFromTextEnd();
    const int editsBefore = m_data->GetEditCounter();
    m_data->ConvertWidth(Sel().selStart, Sel().selEnd, ascii ? 1 : 0, kana ? 1 : 0, toFull ? 1 : 0);
    if (m_data->GetEditCounter() == editsBefore) return;
    // The converted text may be longer or shorter.
    KeepSelectionEnd(mark);
    m_view.LinesChanged(true);
}

CEditModel::EndFromTextEnd CEditModel::SelectionEndFromTextEnd() const {
    const EditPos end = Sel().selEnd;
    return {m_data->GetLineCount() - 1 - end.line, m_data->GetLineLength(end.line) - end.column};
}

void CEditModel::KeepSelectionEnd(EndFromTextEnd mark) {
    CEditDispData& d = Sel();
    const int line = std::max(0, m_data->GetLineCount() - 1 - mark.lines);
    const int column = std::max(0, m_data->GetLineLength(line) - mark.units);
    d.selEnd = EditPos{column, line};
    if (d.selEnd < d.selStart) d.selEnd = d.selStart;
    d.selAnchor = d.selEnd;
}
