#include "view/view_commands.h"

#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "assist/code_assist_edit_ctrl.h"
#include "editctrl/core/bracket_pair.h"
#include "editctrl/core/caret_motion.h"
#include "editctrl/core/command_rules.h"
#include "editctrl/edit_ctrl.h"
#include "framework/cmdtarget.h"

namespace {

// The caret column memory lives in the text (CEditData's caret x): vertical
// moves read and keep it there, and every other move forgets it there, so
// no command keeps a copy of its own.
void ForgetCaretColumn(CEditData& data) { data.SetCaretX(-1); }

void EndUndoCoalescing(CEditData& data) {
    if (CUndoData* undo = data.GetUndo()) undo->CloseCoalescing();
}

// Where one step of the caret lands (the editor model's motions); the
// commands below add the selection handling around it.
using CaretStep = EditPos (*)(const CEditData&, EditPos);

EditPos StepCharLeft(const CEditData& d, EditPos p) { return motion::CharStep(d, p, -1); }
EditPos StepCharRight(const CEditData& d, EditPos p) { return motion::CharStep(d, p, 1); }
EditPos StepWordRight(const CEditData& d, EditPos p) {
    return motion::WordRight(d, p, motion::WordStop::NextWordEnd);
}
EditPos StepWordEndLeft(const CEditData& d, EditPos p) { return motion::WordEndStep(d, p, -1); }
EditPos StepWordEndRight(const CEditData& d, EditPos p) { return motion::WordEndStep(d, p, 1); }
EditPos StepPrevSpace(const CEditData& d, EditPos p) { return motion::BlankStep(d, p, -1); }
EditPos StepNextSpace(const CEditData& d, EditPos p) { return motion::BlankStep(d, p, 1); }

// The caret to the step's target: that ends undo coalescing and forgets
// the caret column, as every move does.
void Step(CEditData& d, CaretStep step) {
    const EditPos to = step(d, d.GetCaretPos());
    d.SetCaretPos(to.line, to.column);
}

// Shift-style move: a selection that is not there yet starts at the caret
// (an empty anchored one is dropped, its old anchor is not reused).
void SelectingMove(CEditCtrl& e, CaretStep step, bool box) {
    CEditData& d = *e.GetEditData();
    if (!e.Model().HasSelection()) {
        if (box) e.DispData().boxRequest = 1;
        const EditPos c = d.GetCaretPos();
        e.Model().BeginSelection({c.column, c.line});
    }
    Step(d, step);
    const EditPos c = d.GetCaretPos();
    e.Model().ExtendSelectionTo({c.column, c.line});
    e.UpdateCaret(1);
}

CCodeAssistEditCtrl* ShownList(CEditCtrl& e);
void LineMove(CEditCtrl& e, int rows, bool extend);

// Box selection one row up or down: the row move begins the selection
// itself and takes the box flag with it (a shown list's row moves instead,
// and no box is left waiting).
void BoxRowMove(CEditCtrl& e, int rows) {
    if (!e.Model().HasSelection() && !ShownList(e)) e.DispData().boxRequest = 1;
    LineMove(e, rows, true);
}

// Plain move: a present selection goes first.
void PlainMove(CEditCtrl& e, CaretStep step) {
    CEditData& d = *e.GetEditData();
    e.Model().ClearSelection(true);
    Step(d, step);
    e.UpdateCaret(1);
}

void CopyThenMaybeClear(CEditCtrl& e, bool line) {
    if (line)
        e.CopyLine();
    else
        e.Copy();
    if ((e.GetStyleWord() & ECS_CLEAR_AFTER_COPY) && e.Model().HasSelection()) e.Model().ClearSelection(true);
}

void CutLine(CEditCtrl& e) {
    if (e.Model().IsReadOnly()) return;
    e.CopyLine();
    e.Model().DeleteLine();
}

void DeleteToLineEnd(CEditCtrl& e) {
    const CEditData& d = *e.GetEditData();
    const EditPos c = d.GetCaretPos();
    e.Model().DeleteRangeAsGroup(c, {d.GetLineLength(c.line), c.line});
}

void DeleteToLineStart(CEditCtrl& e) {
    const EditPos c = e.GetEditData()->GetCaretPos();
    e.Model().DeleteRangeAsGroup({0, c.line}, c);
}

void DeleteWordAfter(CEditCtrl& e) {
    const EditPos c = e.GetEditData()->GetCaretPos();
    const EditPos edge = e.Model().WordEdge(1);
    if (c < edge) e.Model().DeleteRangeAsGroup(c, edge);
}

void DeleteWordBefore(CEditCtrl& e) {
    const EditPos c = e.GetEditData()->GetCaretPos();
    const EditPos edge = e.Model().WordEdge(-1);
    if (edge < c) e.Model().DeleteRangeAsGroup(edge, c);
}

// Only this file changes; LINE_MODE keeps the choice for new files and the
// next start.
void SetWrap(CEditCtrl& e, WrapMode mode, CAppSettings& settings) {
    e.SetWrapMode(mode, settings.lineLen, false);
    e.Relayout(0);
    e.RecalcClientSize();
    settings.lineMode = WrapModeNumber(mode);
}

void ToggleBookmark(CEditCtrl& e) {
    CEditData& d = *e.GetEditData();
    const int line = d.GetCaretPos().line;
    d.GetLine(line)->flags ^= kLineFlagBookmark;
    e.MirrorRedrawMargin(e.GetFirstRowOfLine(line));
}

void ClearAllBookmarks(CEditCtrl& e) {
    CEditData& d = *e.GetEditData();
    for (int i = 0; i < d.GetLineCount(); ++i) d.GetLine(i)->flags &= ~kLineFlagBookmark;
    e.InvalidateAll(TRUE);
}

// The end of an inserted text: a recorded line break is one CR.
EditPos EndOfInsertion(const UndoRecord& r) {
    EditPos p{r.column, r.line};
    for (int i = 0; i < r.length && r.text; ++i) {
        if (r.text[i] == u'\r') {
            p = {0, p.line + 1};
        } else {
            ++p.column;
        }
    }
    return p;
}

// Where the newest undo group left off, read from its last record back.
bool LastEditPosition(const CEditData& d, EditPos& at) {
    const CUndoData* undo = d.GetUndo();
    UndoRecord* r = undo ? undo->GetCurrentRecord() : nullptr;
    if (!r) return false;
    while (r->next) r = r->next;
    for (; r; r = r->prev) {
        switch (r->kind) {
        case UndoKindInsert:
            at = EndOfInsertion(*r);
            return true;
        case UndoKindBackspace:
        case UndoKindDelete:
        case UndoKindLineTexts:
        case UndoKindLineRuns:
            if (r->length != 0) {
                at = {r->column, r->line};
                return true;
            }
            break;
        default:
            break;
        }
    }
    return false;
}

void GoToLastEdit(CEditCtrl& e) {
    CEditData& d = *e.GetEditData();
    e.Model().ClearSelection(true);
    ForgetCaretColumn(d);
    EndUndoCoalescing(d);
    EditPos at;
    if (LastEditPosition(d, at)) {
        at = d.ClampPos(at);
        d.SetCaretPos(at.line, at.column);
    }
    e.UpdateCaret(1);
}

void GoToMatchingBracket(CEditCtrl& e) {
    CEditData& d = *e.GetEditData();
    EditPos at;
    if (!FindMatchingBracketAtCaret(d, d.GetCaretChar(), at)) return;
    EndUndoCoalescing(d);
    at = d.ClampPos(at);
    d.SetCaretPos(at.line, at.column);
    ForgetCaretColumn(d);
    e.UpdateCaret(1);
}

// The editor's completion list, when it is shown.
CCodeAssistEditCtrl* ShownList(CEditCtrl& e) {
    auto* assist = dynamic_cast<CCodeAssistEditCtrl*>(&e);
    return assist && assist->IsAssistShown() ? assist : nullptr;
}

void CompleteKeyword(CEditCtrl& e, bool reverse) {
    if (auto* assist = dynamic_cast<CCodeAssistEditCtrl*>(&e)) {
        assist->KeywordComplete(reverse);
        return;
    }
    if (e.Model().HasSelection()) {
        e.Model().ClearSelection(true);
        return;
    }
    e.Model().CompleteKeyword(reverse);
}

// One row up or down: the list's chosen row while it is shown, else the caret.
void LineMove(CEditCtrl& e, int rows, bool extend) {
    if (auto* l = ShownList(e)) {
        if (rows < 0)
            l->ListLineUp(false);
        else
            l->ListLineDown(false);
        return;
    }
    e.MoveCaretRows(rows, extend, false);
}

// The list's first or last row while it is shown, else the caret's move.
template <typename Move>
void ListEndOr(CEditCtrl& e, bool last, Move move) {
    if (auto* l = ShownList(e)) {
        if (last)
            l->ListLast();
        else
            l->ListFirst();
        return;
    }
    move();
}

void PageMove(CEditCtrl& e, int direction, bool extend) {
    if (auto* l = ShownList(e)) {
        if (direction < 0)
            l->ListPageUp();
        else
            l->ListPageDown();
        return;
    }
    if (direction < 0)
        e.MovePageUp(extend);
    else
        e.MovePageDown(extend);
}

// Scrolling moves the shown list's window instead of the text.
void Scroll(CEditCtrl& e, void (CScrollWnd::*scroll)()) {
    if (auto* l = ShownList(e))
        (l->AssistWnd().*scroll)();
    else
        (e.*scroll)();
}

// With the caret where the list's word began, Delete and BackSpace only
// close the list; otherwise the list follows the shortened word.
void DeleteOrBackSpace(CEditCtrl& e, bool back) {
    if (auto* l = ShownList(e)) {
        const bool atAnchor = e.GetEditData()->GetCaretPos() == l->AssistAnchor();
        if (atAnchor && !(back && e.Model().HasSelection())) {
            l->HideAssistWnd();
            return;
        }
    }
    if (back)
        e.Model().BackSpace();
    else
        e.Model().DeleteChar();
    if (auto* l = ShownList(e)) l->AssistWnd().List().FilterByPrefix(l->GetAssistWord());
}

using Action = void (*)(CEditCtrl&);

struct EditorCommand {
    UINT id;
    Action run;
};

const EditorCommand kCommands[] = {
    // Clipboard and undo.
    {ID_EDIT_COPY, [](CEditCtrl& e) { CopyThenMaybeClear(e, false); }},
    {ID_EDIT_COPY_LINE, [](CEditCtrl& e) { CopyThenMaybeClear(e, true); }},
    {ID_EDIT_CUT, [](CEditCtrl& e) { e.Cut(); }},
    {ID_EDIT_CUT_LINE, CutLine},
    {ID_EDIT_PASTE, [](CEditCtrl& e) { e.Paste(false, false); }},
    {ID_EDIT_PASTE_BOX, [](CEditCtrl& e) { e.Paste(false, true); }},
    {ID_EDIT_PASTE_BELOW, [](CEditCtrl& e) { e.PasteLine(false); }},
    {ID_EDIT_PASTE_ABOVE, [](CEditCtrl& e) { e.PasteLine(true); }},
    {ID_EDIT_UNDO, [](CEditCtrl& e) { e.Model().Undo(); }},
    {ID_EDIT_REDO, [](CEditCtrl& e) { e.Model().Redo(); }},
    // Selection.
    {ID_SELECT_ALL, [](CEditCtrl& e) { e.Model().SelectAll(); }},
    {ID_EDIT_SELECT_LINE, [](CEditCtrl& e) { e.Model().SelectLineAt(e.GetEditData()->GetCaretPos().line); }},
    {ID_EDIT_SELECT_WORD, [](CEditCtrl& e) { e.Model().SelectWordAt(); }},
    {ID_EDIT_BOX_SELECT, [](CEditCtrl& e) { e.DispData().boxRequest = 1; }},
    // Cursor moves.
    {ID_CURSOR_LEFT, [](CEditCtrl& e) { e.Model().MoveCharOrCollapse(-1, false); }},
    {ID_CURSOR_RIGHT, [](CEditCtrl& e) { e.Model().MoveCharOrCollapse(1, false); }},
    {ID_CURSOR_UP, [](CEditCtrl& e) { LineMove(e, -1, false); }},
    {ID_CURSOR_DOWN, [](CEditCtrl& e) { LineMove(e, 1, false); }},
    {ID_SELECT_UP, [](CEditCtrl& e) { LineMove(e, -1, true); }},
    {ID_SELECT_DOWN, [](CEditCtrl& e) { LineMove(e, 1, true); }},
    {ID_CURSOR_LINE_START, [](CEditCtrl& e) { ListEndOr(e, false, [&] { e.Model().MoveToLineStart(false, false); }); }},
    {ID_SELECT_LINE_START, [](CEditCtrl& e) { ListEndOr(e, false, [&] { e.Model().MoveToLineStart(true, false); }); }},
    {ID_CURSOR_LINE_END, [](CEditCtrl& e) { ListEndOr(e, true, [&] { e.Model().MoveToLineEnd(false); }); }},
    {ID_SELECT_LINE_END, [](CEditCtrl& e) { ListEndOr(e, true, [&] { e.Model().MoveToLineEnd(true); }); }},
    {ID_CURSOR_WINDOW_LEFT, [](CEditCtrl& e) { ListEndOr(e, false, [&] { e.Model().MoveToLineStart(false, true); }); }},
    {ID_SELECT_WINDOW_LEFT, [](CEditCtrl& e) { ListEndOr(e, false, [&] { e.Model().MoveToLineStart(true, true); }); }},
    {ID_CURSOR_WINDOW_RIGHT, [](CEditCtrl& e) { ListEndOr(e, true, [&] { e.MoveToRowEnd(false); }); }},
    {ID_SELECT_WINDOW_RIGHT, [](CEditCtrl& e) { ListEndOr(e, true, [&] { e.MoveToRowEnd(true); }); }},
    {ID_CURSOR_TEXT_START, [](CEditCtrl& e) { ListEndOr(e, false, [&] { e.Model().MoveToTextStart(false); }); }},
    {ID_SELECT_TEXT_START, [](CEditCtrl& e) { ListEndOr(e, false, [&] { e.Model().MoveToTextStart(true); }); }},
    {ID_CURSOR_TEXT_END, [](CEditCtrl& e) { ListEndOr(e, true, [&] { e.Model().MoveToTextEnd(false); }); }},
    {ID_SELECT_TEXT_END, [](CEditCtrl& e) { ListEndOr(e, true, [&] { e.Model().MoveToTextEnd(true); }); }},
    {ID_CURSOR_PAGE_UP, [](CEditCtrl& e) { PageMove(e, -1, false); }},
    {ID_SELECT_PAGE_UP, [](CEditCtrl& e) { PageMove(e, -1, true); }},
    {ID_CURSOR_PAGE_DOWN, [](CEditCtrl& e) { PageMove(e, 1, false); }},
    {ID_SELECT_PAGE_DOWN, [](CEditCtrl& e) { PageMove(e, 1, true); }},
    {ID_CURSOR_WORD_LEFT, [](CEditCtrl& e) { PlainMove(e, motion::WordLeft); }},
    {ID_CURSOR_WORD_RIGHT, [](CEditCtrl& e) { PlainMove(e, StepWordRight); }},
    {ID_CURSOR_WORD_END_LEFT, [](CEditCtrl& e) { PlainMove(e, StepWordEndLeft); }},
    {ID_CURSOR_WORD_END_RIGHT, [](CEditCtrl& e) { PlainMove(e, StepWordEndRight); }},
    {ID_CURSOR_PREV_SPACE, [](CEditCtrl& e) { PlainMove(e, StepPrevSpace); }},
    {ID_CURSOR_NEXT_SPACE, [](CEditCtrl& e) { PlainMove(e, StepNextSpace); }},
    {ID_SELECT_LEFT, [](CEditCtrl& e) { SelectingMove(e, StepCharLeft, false); }},
    {ID_SELECT_RIGHT, [](CEditCtrl& e) { SelectingMove(e, StepCharRight, false); }},
    {ID_SELECT_WORD_LEFT, [](CEditCtrl& e) { SelectingMove(e, motion::WordLeft, false); }},
    {ID_SELECT_WORD_RIGHT, [](CEditCtrl& e) { SelectingMove(e, StepWordRight, false); }},
    {ID_SELECT_WORD_END_LEFT, [](CEditCtrl& e) { SelectingMove(e, StepWordEndLeft, false); }},
    {ID_SELECT_WORD_END_RIGHT, [](CEditCtrl& e) { SelectingMove(e, StepWordEndRight, false); }},
    {ID_SELECT_PREV_SPACE, [](CEditCtrl& e) { SelectingMove(e, StepPrevSpace, false); }},
    {ID_SELECT_NEXT_SPACE, [](CEditCtrl& e) { SelectingMove(e, StepNextSpace, false); }},
    {ID_BOXSEL_LEFT, [](CEditCtrl& e) { SelectingMove(e, StepCharLeft, true); }},
    {ID_BOXSEL_RIGHT, [](CEditCtrl& e) { SelectingMove(e, StepCharRight, true); }},
    {ID_BOXSEL_UP, [](CEditCtrl& e) { BoxRowMove(e, -1); }},
    {ID_BOXSEL_DOWN, [](CEditCtrl& e) { BoxRowMove(e, 1); }},
    {ID_CURSOR_LAST_EDIT, GoToLastEdit},
    {ID_CURSOR_MATCH_BRACKET, GoToMatchingBracket},
    // Scrolling; the caret stays.
    {ID_SCROLL_LINE_UP, [](CEditCtrl& e) { Scroll(e, &CScrollWnd::ScrollLineUp); }},
    {ID_SCROLL_LINE_DOWN, [](CEditCtrl& e) { Scroll(e, &CScrollWnd::ScrollLineDown); }},
    {ID_SCROLL_PAGE_UP, [](CEditCtrl& e) { Scroll(e, &CScrollWnd::ScrollPageUp); }},
    {ID_SCROLL_PAGE_DOWN, [](CEditCtrl& e) { Scroll(e, &CScrollWnd::ScrollPageDown); }},
    // Deleting and inserting.
    {ID_EDIT_DELETE, [](CEditCtrl& e) { DeleteOrBackSpace(e, false); }},
    {ID_EDIT_BACKSPACE, [](CEditCtrl& e) { DeleteOrBackSpace(e, true); }},
    {ID_EDIT_DELETE_LINE, [](CEditCtrl& e) { e.Model().DeleteLine(); }},
    {ID_EDIT_DELETE_TO_END, DeleteToLineEnd},
    {ID_EDIT_DELETE_TO_START, DeleteToLineStart},
    {ID_EDIT_DELETE_WORD_AFTER, DeleteWordAfter},
    {ID_EDIT_DELETE_WORD_BEFORE, DeleteWordBefore},
    {ID_EDIT_INSERT_NEWLINE, [](CEditCtrl& e) { if (auto* l = ShownList(e); !l || !l->ProcessKey(13)) e.InsertChar(13); }},
    {ID_EDIT_COMPLETE, [](CEditCtrl& e) { CompleteKeyword(e, false); }},
    {ID_EDIT_COMPLETE_REVERSE, [](CEditCtrl& e) { CompleteKeyword(e, true); }},
    // The Tab key's command until the text operations take it over: a
    // handler earlier in the view's chain wins.
    {ID_EDIT_INDENT_TAB, [](CEditCtrl& e) { if (auto* l = ShownList(e); !l || !l->ProcessKey('\t')) e.OnChar('\t'); }},
    {ID_EDIT_OVERWRITE, [](CEditCtrl& e) { e.SetOverwrite(!e.Model().IsOverwrite()); }},
    // Wrap (no action here: it writes the settings too) and display.
    {ID_VIEW_WRAP_NONE, nullptr},
    {ID_VIEW_WRAP_WINDOW, nullptr},
    {ID_VIEW_WRAP_COLUMN, nullptr},
    {ID_VIEW_REDRAW, [](CEditCtrl& e) { e.RefreshLayout(0); }},
    // Brackets and bookmarks.
    {ID_EDIT_SHOW_MATCH_BRACKET, [](CEditCtrl& e) { e.FlashMatchingBracket(e.GetEditData()->GetCaretChar()); }},
    {ID_BOOKMARK_TOGGLE, ToggleBookmark},
    {ID_BOOKMARK_NEXT, [](CEditCtrl& e) { e.Model().NextBookmark(1, false); }},
    {ID_BOOKMARK_PREV, [](CEditCtrl& e) { e.Model().NextBookmark(-1, false); }},
    {ID_BOOKMARK_SELECT_NEXT, [](CEditCtrl& e) { e.Model().NextBookmark(1, true); }},
    {ID_BOOKMARK_SELECT_PREV, [](CEditCtrl& e) { e.Model().NextBookmark(-1, true); }},
    {ID_BOOKMARK_CLEAR_ALL, ClearAllBookmarks},
};

// The wrap mode a command chooses; false for other commands.
bool WrapModeOf(UINT id, WrapMode& mode) {
    switch (id) {
    case ID_VIEW_WRAP_NONE:
        mode = WrapMode::None;
        return true;
    case ID_VIEW_WRAP_WINDOW:
        mode = WrapMode::WindowWidth;
        return true;
    case ID_VIEW_WRAP_COLUMN:
        mode = WrapMode::FixedColumns;
        return true;
    }
    return false;
}

// -1: no check mark to show.
int WrapCheck(CEditCtrl& e, UINT id) {
    WrapMode mode;
    return WrapModeOf(id, mode) ? e.DispData().wrapMode == mode : -1;
}

bool IsEnabled(CEditCtrl& e, UINT id) {
    const CUndoData* undo = e.GetEditData()->GetUndo();
    switch (id) {
    case ID_EDIT_COPY:
        return (e.GetStyleWord() & ECS_ROW_COPY_AT_NO_SEL) || e.Model().HasSelection();
    case ID_EDIT_CUT:
        return !e.Model().IsReadOnly() && e.Model().HasSelection();
    case ID_EDIT_PASTE:
    case ID_EDIT_PASTE_BOX:
        return e.CanPaste();
    case ID_EDIT_UNDO:
        return !e.Model().IsReadOnly() && undo && undo->CanUndo();
    case ID_EDIT_REDO:
        return !e.Model().IsReadOnly() && undo && undo->CanRedo();
    }
    return true;
}

}  // namespace

bool RunEditorCommand(CEditCtrl& editor, UINT id, CCmdUI* ui, CAppSettings& settings) {
    if (!editor.GetEditData()) return false;
    if (id == ID_INDICATOR_OVR) {
        if (ui) ui->Enable(editor.Model().IsOverwrite());
        return true;
    }
    for (const EditorCommand& c : kCommands) {
        if (c.id != id) continue;
        if (ui) {
            ui->Enable(IsEnabled(editor, id));
            const int check = WrapCheck(editor, id);
            if (check >= 0) ui->SetCheck(check);
        } else if (c.run) {
            c.run(editor);
        } else if (WrapMode mode; WrapModeOf(id, mode)) {
            SetWrap(editor, mode, settings);
        }
        return true;
    }
    return false;
}
