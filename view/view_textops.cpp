#include "view/view_textops.h"

#include <ctime>
#include <cwctype>
#include <string>

#include "app/resource.h"
#include "assist/code_assist_edit_ctrl.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/syntax/strtoken.h"
#include "editctrl/wait_cursor.h"
#include "framework/cmdtarget.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "view/core/line_replacements.h"
#include "view/pavin_view.h"

namespace {

const CStrToken* LanguageOfEditor(const CEditCtrl& e) {
    return e.GetEditData() ? LanguageOf(e.GetEditData()->GetSyntaxRules()) : nullptr;
}

std::u16string FirstRowComment(const CEditCtrl& e) {
    const CStrToken* language = LanguageOfEditor(e);
    return language && language->RowCommentCount() > 0 ? language->RowComment(0) : std::u16string();
}

bool SelectionOverLines(const CEditCtrl& e) {
    const CEditDispData& d = e.DispData();
    return e.Model().HasSelection() && d.selStart.line != d.selEnd.line;
}

void RunLineEdit(CEditCtrl& e, LineEdit edit) {
    const std::optional<LineReplacement> r = LineReplacementFor(edit, FirstRowComment(e));
    if (!r) return;
    ReplaceInSelectedLines(e, AsWide(r->pattern.c_str()), AsWide(r->replacement.c_str()), r->wholeLines);
}

void DeleteDuplicates(CEditCtrl& e) {
    CWaitCursor wait;
    int count = 0;
    e.Model().DeleteDuplicateLines(count);
}

void JoinLines(CEditCtrl& e) {
    CEditData* data = e.GetEditData();
    if (e.Model().IsReadOnly()) return;
    if (SelectionOverLines(e)) {
        int count = 0;
        e.ReplaceAll(L"\\n", L"", FALSE, TRUE, TRUE, TRUE, &count);
        return;
    }
    e.Model().ClearSelection(true);
    {
        CUndoGroupGuard group(data->GetUndo(), 0);
        data->RecordCaretForUndo();
        const int line = data->GetCaretPos().line;
        data->SetCaretPos(line, data->GetLineLength(line));
        // On the last line there is no line break: nothing is deleted.
        data->DeleteCharAtCaret();
    }
    e.Relayout(1);
    e.UpdateCaret(1, true);
}

// A command on the stream selection: a box selection is refused with a
// message, and without a selection (or on a read-only text) nothing happens.
bool StreamSelectionToEdit(CEditCtrl& e) {
    if (e.Model().IsReadOnly() || !e.Model().HasSelection()) return false;
    if (e.DispData().boxSelection) {
        ShowMessageBox(e.GetSafeHwnd(), L"矩形選択には対応していません", L"メッセージ", MB_ICONINFORMATION);
        return false;
    }
    return true;
}

void ChangeCase(CEditCtrl& e, bool upper) {
    if (!StreamSelectionToEdit(e)) return;
    std::u16string text = e.Model().SelectedText();
    for (char16_t& c : text) {
        const wchar_t w = static_cast<wchar_t>(c);
        c = static_cast<char16_t>(upper ? std::towupper(w) : std::towlower(w));
    }
    e.Model().ReplaceSelection(text.c_str(), false);
}

void ConvertWidth(CEditCtrl& e, bool ascii, bool kana, bool toFull) {
    if (StreamSelectionToEdit(e)) e.Model().ConvertSelectionWidth(ascii, kana, toFull);
}

void ReorderLines(CEditCtrl& e, CEditModel::LineOrder order) {
    CWaitCursor wait;
    e.Model().ReorderSelectedLines(order);
}

void ConvertTabs(CEditCtrl& e, bool toTabs) {
    CEditData* data = e.GetEditData();
    if (e.Model().IsReadOnly()) return;
    const bool hadSelection = e.Model().HasSelection();
    e.Model().SelectWholeLines();
    const EditPos start = e.DispData().selStart;
    const int last = e.DispData().selEnd.line;
    if (toTabs)
        data->SpacesToTabs(start.line, last);
    else
        data->TabsToSpaces(start.line, last);
    e.Relayout(0);
    e.Model().SelectRange({start.column, start.line}, {data->GetLineLength(last), last}, false);
    if (!hadSelection) {
        e.Model().ClearSelection(true);
        data->SetCaretX(-1);
    }
}

void BreakAtWrap(CEditCtrl& e) {
    CEditData* data = e.GetEditData();
    if (e.Model().IsReadOnly() || !e.Model().HasSelection()) return;
    CWaitCursor wait;
    const EditPos from = e.DispData().selStart;
    EditPos to = e.DispData().selEnd;
    data->InsertBreaksAtWrap(from, to);
    e.RecalcMargins();
    e.RecalcLineWidth(true);
    if (!(e.GetStyleWord() & ECS_NO_COMMENT_SYNTAX)) e.UpdateLineStates(0, -1);
    e.Relayout(0);
    // The old range selected, the caret at its start.
    e.Model().SelectRange({to.column, to.line}, {from.column, from.line}, false);
    data->GetUndo()->CloseCoalescing();
    data->SetCaretX(-1);
    e.UpdateCaret(1, true);
    e.InvalidateAll(TRUE);
}

void InsertText(CEditCtrl& e, const std::u16string& text) {
    if (e.Model().IsReadOnly()) return;
    e.Model().ReplaceSelection(text.c_str(), false);
}

void InsertDateTime(CEditCtrl& e) {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local) InsertText(e, FormatInsertedDateTime(*local));
}

void Indent(CEditCtrl& e, bool unindent, bool byTab) {
    // Tab first serves an open completion list.
    if (auto* assist = dynamic_cast<CCodeAssistEditCtrl*>(&e); assist && byTab && assist->ProcessKey('\t')) return;
    if (byTab)
        e.Indent(unindent, e.GetEditData()->GetTabAsSpace(), e.Disp().Widths().TabSize(), L'\t');
    else
        e.Indent(unindent, FALSE, 1, L' ');
}

// When a command is enabled.
enum class Needs { Nothing, Selection, SelectionOverLines, RowComment };

struct TextOp {
    UINT id;
    void (*run)(CEditCtrl&);
    Needs needs;
};

const TextOp kTextOps[] = {
    {ID_EDIT_TRIM_LEADING, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::TrimLeading); }, Needs::Nothing},
    {ID_EDIT_TRIM_TRAILING, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::TrimTrailing); }, Needs::Nothing},
    {ID_EDIT_INSERT_QUOTE, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::InsertQuote); }, Needs::Nothing},
    {ID_EDIT_DELETE_QUOTE, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::DeleteQuote); }, Needs::Nothing},
    {ID_EDIT_INSERT_COMMENT, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::InsertComment); }, Needs::RowComment},
    {ID_EDIT_DELETE_COMMENT, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::DeleteComment); }, Needs::RowComment},
    {ID_EDIT_DELETE_NEWLINES, [](CEditCtrl& e) { RunLineEdit(e, LineEdit::DeleteNewlines); },
     Needs::SelectionOverLines},
    {ID_EDIT_DELETE_DUPLICATES, DeleteDuplicates, Needs::SelectionOverLines},
    {ID_EDIT_INDENT_TAB, [](CEditCtrl& e) { Indent(e, false, true); }, Needs::Nothing},
    {ID_EDIT_UNINDENT_TAB, [](CEditCtrl& e) { Indent(e, true, true); }, Needs::Nothing},
    {ID_EDIT_INDENT_SPACE, [](CEditCtrl& e) { Indent(e, false, false); }, Needs::Nothing},
    {ID_EDIT_UNINDENT_SPACE, [](CEditCtrl& e) { Indent(e, true, false); }, Needs::Nothing},
    {ID_EDIT_REVERSE_LINES, [](CEditCtrl& e) { ReorderLines(e, CEditModel::LineOrder::Reversed); },
     Needs::SelectionOverLines},
    {ID_EDIT_SORT_ASC, [](CEditCtrl& e) { ReorderLines(e, CEditModel::LineOrder::Ascending); },
     Needs::SelectionOverLines},
    {ID_EDIT_SORT_DESC, [](CEditCtrl& e) { ReorderLines(e, CEditModel::LineOrder::Descending); },
     Needs::SelectionOverLines},
    {ID_EDIT_TO_FULLWIDTH, [](CEditCtrl& e) { ConvertWidth(e, true, true, true); }, Needs::Selection},
    {ID_EDIT_TO_FULLWIDTH_ALNUM, [](CEditCtrl& e) { ConvertWidth(e, true, false, true); }, Needs::Selection},
    {ID_EDIT_TO_FULLWIDTH_KANA, [](CEditCtrl& e) { ConvertWidth(e, false, true, true); }, Needs::Selection},
    {ID_EDIT_TO_HALFWIDTH, [](CEditCtrl& e) { ConvertWidth(e, true, true, false); }, Needs::Selection},
    {ID_EDIT_TO_HALFWIDTH_ALNUM, [](CEditCtrl& e) { ConvertWidth(e, true, false, false); }, Needs::Selection},
    {ID_EDIT_TO_HALFWIDTH_KANA, [](CEditCtrl& e) { ConvertWidth(e, false, true, false); }, Needs::Selection},
    {ID_EDIT_DATE_TIME, InsertDateTime, Needs::Nothing},
    {ID_EDIT_INSERT_BR, [](CEditCtrl& e) { InsertText(e, u"<br>\n"); }, Needs::Nothing},
    {ID_EDIT_LOWER_CASE, [](CEditCtrl& e) { ChangeCase(e, false); }, Needs::Selection},
    {ID_EDIT_UPPER_CASE, [](CEditCtrl& e) { ChangeCase(e, true); }, Needs::Selection},
    {ID_EDIT_SPACES_TO_TABS, [](CEditCtrl& e) { ConvertTabs(e, true); }, Needs::Nothing},
    {ID_EDIT_TABS_TO_SPACES, [](CEditCtrl& e) { ConvertTabs(e, false); }, Needs::Nothing},
    {ID_EDIT_JOIN_LINES, JoinLines, Needs::Nothing},
    {ID_EDIT_BREAK_AT_WRAP, BreakAtWrap, Needs::Selection},
};

bool IsEnabled(const CEditCtrl& e, Needs needs) {
    switch (needs) {
    case Needs::Nothing: return true;
    case Needs::Selection: return e.Model().HasSelection();
    case Needs::SelectionOverLines: return SelectionOverLines(e);
    case Needs::RowComment: return !FirstRowComment(e).empty();
    }
    return true;
}

}  // namespace

void ReplaceInSelectedLines(CEditCtrl& e, const wchar_t* pattern, const wchar_t* replacement, bool wholeLines) {
    CEditData* data = e.GetEditData();
    if (!data) return;
    const EditPos caret = data->GetCaretPos();
    const bool hadSelection = e.Model().HasSelection();
    if (wholeLines) e.Model().SelectWholeLines();
    int count = 0;
    e.ReplaceAll(pattern, replacement, TRUE, TRUE, TRUE, TRUE, &count);
    // A selection stays on the processed lines.
    if (hadSelection) return;
    e.Model().ClearSelection(true);
    data->SetCaretX(-1);
    if (count == 0) {
        data->SetCaretPos(caret.line, caret.column);
        e.UpdateCaret(1, true);
    }
}

bool RunTextOpCommand(CEditCtrl& editor, UINT id, CCmdUI* ui) {
    if (!editor.GetEditData()) return false;
    for (const TextOp& op : kTextOps) {
        if (op.id != id) continue;
        if (ui)
            ui->Enable(IsEnabled(editor, op.needs));
        else
            op.run(editor);
        return true;
    }
    return false;
}

bool RunTextOpCommand(CPavinView& view, UINT id, CCmdUI* ui) {
    CEditCtrl* editor = view.CurrentEditor();
    return editor && RunTextOpCommand(*editor, id, ui);
}
