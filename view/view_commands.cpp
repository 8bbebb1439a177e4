#include "view/view_commands.h"

#include "editctrl/edit_ctrl.h"
#include "framework/cmdids.h"
#include "framework/cmdtarget.h"

namespace {

using Action = void (*)(CEditCtrl&);

struct ForwardedCommand {
    UINT id;
    Action run;
};

// Command ids as the key bindings and menus name them.
const ForwardedCommand kCommands[] = {
    {32906, [](CEditCtrl& e) { e.MoveCharLeft(false); }},
    {32907, [](CEditCtrl& e) { e.MoveCharRight(false); }},
    {32909, [](CEditCtrl& e) { e.MoveCaretRows(-1, false, false); }},
    {32910, [](CEditCtrl& e) { e.MoveCaretRows(1, false, false); }},
    {32911, [](CEditCtrl& e) { e.MoveWordLeft(false); }},
    {32931, [](CEditCtrl& e) { e.MoveWordRight(false); }},
    {32920, [](CEditCtrl& e) { e.MoveCharLeft(true); }},
    {32922, [](CEditCtrl& e) { e.MoveCharRight(true); }},
    {32924, [](CEditCtrl& e) { e.MoveCaretRows(-1, true, false); }},
    {32926, [](CEditCtrl& e) { e.MoveCaretRows(1, true, false); }},
    {32928, [](CEditCtrl& e) { e.MoveWordLeft(true); }},
    {32934, [](CEditCtrl& e) { e.MoveWordRight(true); }},
    {33451, [](CEditCtrl& e) { e.MoveToLineStart(false); }},
    {33453, [](CEditCtrl& e) { e.MoveToLineStart(true); }},
    {33452, [](CEditCtrl& e) { e.MoveToLineEnd(false); }},
    {33455, [](CEditCtrl& e) { e.MoveToLineEnd(true); }},
    {32914, [](CEditCtrl& e) { e.MoveToTextStart(false); }},
    {32939, [](CEditCtrl& e) { e.MoveToTextStart(true); }},
    {32918, [](CEditCtrl& e) { e.MoveToTextEnd(false); }},
    {32941, [](CEditCtrl& e) { e.MoveToTextEnd(true); }},
    {32944, [](CEditCtrl& e) { e.MovePageUp(false); }},
    {32947, [](CEditCtrl& e) { e.MovePageUp(true); }},
    {32946, [](CEditCtrl& e) { e.MovePageDown(false); }},
    {32950, [](CEditCtrl& e) { e.MovePageDown(true); }},
    {32961, [](CEditCtrl& e) { e.ScrollLineUp(); }},
    {32960, [](CEditCtrl& e) { e.ScrollLineDown(); }},
    {32963, [](CEditCtrl& e) { e.ScrollPageUp(); }},
    {32966, [](CEditCtrl& e) { e.ScrollPageDown(); }},
    {32930, [](CEditCtrl& e) { e.DeleteChar(); }},
    {32952, [](CEditCtrl& e) { e.BackSpace(); }},
    {32954, [](CEditCtrl& e) {
         if (e.HasSelection())
             e.ClearSelection(true);
         else
             e.CompleteKeyword(false);
     }},
    {32956, [](CEditCtrl& e) { e.CompleteKeyword(true); }},
    {32846, [](CEditCtrl& e) { e.OnChar('\t'); }},
    {33020, [](CEditCtrl& e) { e.SetOverwrite(!e.IsOverwrite()); }},
    {32771, [](CEditCtrl& e) { e.SelectAll(); }},
    {ID_EDIT_COPY,
     [](CEditCtrl& e) {
         if (e.GetStyleWord() & ECS_CLEAR_AFTER_COPY)
             e.CopyAndClear();
         else
             e.Copy();
     }},
    {ID_EDIT_CUT, [](CEditCtrl& e) { e.Cut(); }},
    {ID_EDIT_PASTE, [](CEditCtrl& e) { e.Paste(false, false); }},
    {ID_EDIT_UNDO, [](CEditCtrl& e) { e.Undo(); }},
    {ID_EDIT_REDO, [](CEditCtrl& e) { e.Redo(); }},
};

bool IsEnabled(CEditCtrl& e, UINT id) {
    switch (id) {
    case ID_EDIT_COPY:
        return (e.GetStyleWord() & ECS_ROW_COPY_AT_NO_SEL) || e.HasSelection();
    case ID_EDIT_CUT:
        return !e.IsReadOnly() && e.HasSelection();
    case ID_EDIT_PASTE:
        return !e.IsReadOnly() && e.CanPaste();
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO:
        return !e.IsReadOnly();
    }
    return true;
}

}  // namespace

bool RunEditorCommand(CEditCtrl& editor, UINT id, CCmdUI* ui) {
    if (id == ID_INDICATOR_OVR) {
        if (ui) ui->Enable(editor.IsOverwrite());
        return true;
    }
    for (const ForwardedCommand& c : kCommands) {
        if (c.id != id) continue;
        if (ui)
            ui->Enable(IsEnabled(editor, id));
        else
            c.run(editor);
        return true;
    }
    return false;
}
