// The editor- procedures: reading and moving in the current file's text,
// selecting, pasting, searching and replacing. Each gives #f when there is
// no editing window to work on.
#include "app/macrohost/macro_host.h"
#include "app/macrohost/macro_procs.h"
#include "textengine/edit_data.h"

namespace {

CMacroEditor* Editor(scheme_context* ctx) { return MacroHostOf(ctx).Ui().ActiveEditor(); }

scheme_cell* Int(scheme_context* ctx, long long value) {
    return scheme_mk_integer(ctx, static_cast<int32_t>(value));
}

const CEditDispData& Disp(CEditData& data) { return data.GetDispData(); }

bool HasSelection(CEditData& data) {
    const CEditDispData& d = Disp(data);
    return d.selStart.line != -1 && d.selStart != d.selEnd;
}

#define WITH_EDITOR(name)                 \
    CMacroEditor* name = Editor(ctx);     \
    if (!name) return ctx->F

scheme_cell* GetFilename(scheme_context* ctx, scheme_cell**, int) {
    CMacroHostUi& ui = MacroHostOf(ctx).Ui();
    if (!ui.HasDocument()) return ctx->F;
    return scheme_mk_string(ctx, ui.DocumentPath().c_str());
}

scheme_cell* GetRowCount(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    return Int(ctx, editor->Data().GetLineCount());
}

scheme_cell* GetCurRow(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    return Int(ctx, editor->Data().GetCaretPos().line);
}

scheme_cell* GetCurCol(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    return Int(ctx, editor->Data().GetCaretPos().column);
}

scheme_cell* GetCaretCol(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    return Int(ctx, editor->DisplayColumn(args[0]->ival, args[1]->ival));
}

scheme_cell* GetColFromCaretCol(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    return Int(ctx, editor->ColumnFromDisplayColumn(args[0]->ival, args[1]->ival));
}

scheme_cell* SetRowCol(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    editor->SetCaret(editor->Data().ClampPos({args[1]->ival, args[0]->ival}));
    return ctx->T;
}

scheme_cell* SetSelectArea(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    CEditData& data = editor->Data();
    const EditPos from = data.ClampPos({args[1]->ival, args[0]->ival});
    const EditPos to = data.ClampPos({args[3]->ival, args[2]->ival});
    editor->SelectRange(from, to, Disp(data).boxRequest != 0);
    return ctx->T;
}

scheme_cell* PasteString(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    editor->ReplaceSelection(MacroArgText(args[0]));
    return ctx->T;
}

scheme_cell* DeleteSelectedString(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    if (HasSelection(editor->Data())) editor->DeleteSelection();
    return ctx->T;
}

scheme_cell* Search(scheme_context* ctx, scheme_cell** args, bool matchCase) {
    const std::u16string pattern = MacroArgText(args[0]);
    MacroHostOf(ctx).Ui().SetSearchCondition(pattern, matchCase);
    WITH_EDITOR(editor);
    return Int(ctx, editor->Find(pattern, matchCase));
}
scheme_cell* SearchString(scheme_context* ctx, scheme_cell** args, int) { return Search(ctx, args, true); }
scheme_cell* SearchStringCi(scheme_context* ctx, scheme_cell** args, int) { return Search(ctx, args, false); }

scheme_cell* Replace(scheme_context* ctx, scheme_cell** args, bool matchCase, bool inSelection) {
    WITH_EDITOR(editor);
    return Int(ctx, editor->ReplaceAll(MacroArgText(args[0]), MacroArgText(args[1]), matchCase, inSelection));
}
scheme_cell* ReplaceString(scheme_context* ctx, scheme_cell** args, int) { return Replace(ctx, args, true, false); }
scheme_cell* ReplaceStringCi(scheme_context* ctx, scheme_cell** args, int) { return Replace(ctx, args, false, false); }
scheme_cell* ReplaceSelected(scheme_context* ctx, scheme_cell** args, int) { return Replace(ctx, args, true, true); }
scheme_cell* ReplaceSelectedCi(scheme_context* ctx, scheme_cell** args, int) {
    return Replace(ctx, args, false, true);
}

scheme_cell* GetSelectedString(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CLineEndTypeGuard restore(&editor->Data());
    editor->Data().SetLineEndType(LineEndType::LF);
    const std::u16string text = editor->SelectedText();
    return scheme_mk_string(ctx, text.c_str());
}

scheme_cell* GetAllString(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CLineEndTypeGuard restore(&editor->Data());
    editor->Data().SetLineEndType(LineEndType::LF);
    const std::u16string text = editor->Data().GetText();
    return scheme_mk_string(ctx, text.c_str());
}

scheme_cell* GetRowString(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    const CEditData& data = editor->Data();
    const int row = args[0]->ival;
    if (row < 0 || row >= data.GetLineCount()) return scheme_mk_string(ctx, u"");
    const std::u16string text(data.GetLineText(row), static_cast<std::size_t>(data.GetLineLength(row)));
    return scheme_mk_string(ctx, text.c_str());
}

scheme_cell* GetRowColChar(scheme_context* ctx, scheme_cell** args, int) {
    WITH_EDITOR(editor);
    const int32_t c = MacroCharAt(editor->Data(), args[0]->ival, args[1]->ival);
    return c < 0 ? scheme_mk_eof(ctx) : scheme_mk_char(ctx, static_cast<uint32_t>(c));
}

scheme_cell* GetSelectedStringBytes(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CEditData& data = editor->Data();
    if (!HasSelection(data)) return Int(ctx, 0);
    CLineEndTypeGuard restore(&data);
    data.SetLineEndType(LineEndType::LF);
    const CEditDispData& d = Disp(data);
    const std::size_t size = d.boxSelection ? data.GetBoxSelectionSize() : data.GetRangeSize(d.selStart, d.selEnd);
    return Int(ctx, static_cast<long long>(size) - 2);
}

scheme_cell* GetSelectedStringChars(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CEditData& data = editor->Data();
    if (!HasSelection(data)) return Int(ctx, 0);
    const CEditDispData& d = Disp(data);
    if (!d.boxSelection) {
        CLineEndTypeGuard restore(&data);
        data.SetLineEndType(LineEndType::LF);
        return Int(ctx, data.CountChars(d.selStart, d.selEnd));
    }
    long long n = 0;
    for (int line = d.selStart.line; line <= d.selEnd.line; ++line) {
        int start = 0, end = 0;
        data.GetBoxColumns(line, start, end);
        n += data.CountChars({start, line}, {end, line}) + 1;
    }
    return Int(ctx, n);
}

scheme_cell* GetSelectedArea(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CEditData& data = editor->Data();
    if (!HasSelection(data)) return ctx->F;
    const CEditDispData& d = Disp(data);
    scheme_list_builder list(ctx);
    for (int v : {d.selStart.line, d.selStart.column, d.selEnd.line, d.selEnd.column}) list.add(mk_integer(ctx, v));
    return list.finish(ctx->NIL);
}

// ([count [extend]]): count default 1; extend when a second argument is
// there and is not #f.
void CountAndExtend(scheme_context* ctx, scheme_cell** args, int count, int& n, bool& extend) {
    n = count > 0 ? args[0]->ival : 1;
    extend = count > 1 && args[1] != ctx->F;
}

scheme_cell* MoveChars(scheme_context* ctx, scheme_cell** args, int count, int sign) {
    WITH_EDITOR(editor);
    int n;
    bool extend;
    CountAndExtend(ctx, args, count, n, extend);
    if (n != 0) editor->MoveChars(sign * n, extend);
    return ctx->T;
}
scheme_cell* ForwardChar(scheme_context* ctx, scheme_cell** args, int count) { return MoveChars(ctx, args, count, 1); }
scheme_cell* BackwardChar(scheme_context* ctx, scheme_cell** args, int count) {
    return MoveChars(ctx, args, count, -1);
}

scheme_cell* MoveRows(scheme_context* ctx, scheme_cell** args, int count, int sign) {
    WITH_EDITOR(editor);
    int n;
    bool extend;
    CountAndExtend(ctx, args, count, n, extend);
    editor->MoveRows(sign * n, extend);
    return ctx->T;
}
scheme_cell* NextLine(scheme_context* ctx, scheme_cell** args, int count) { return MoveRows(ctx, args, count, 1); }
scheme_cell* PreviousLine(scheme_context* ctx, scheme_cell** args, int count) { return MoveRows(ctx, args, count, -1); }

scheme_cell* SetBoxSelect(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CEditData& data = editor->Data();
    if (HasSelection(data)) return ctx->F;
    data.GetDispData().boxRequest = 1;
    return ctx->T;
}

scheme_cell* IsBoxSelect(scheme_context* ctx, scheme_cell**, int) {
    WITH_EDITOR(editor);
    CEditData& data = editor->Data();
    return HasSelection(data) && Disp(data).boxSelection ? ctx->T : ctx->F;
}

}  // namespace

const MacroProcRow kMacroEditorProcs[] = {
    {u"editor-get-filename", GetFilename, 0, 0, u""},
    {u"editor-get-row-cnt", GetRowCount, 0, 0, u""},
    {u"editor-get-cur-row", GetCurRow, 0, 0, u""},
    {u"editor-get-cur-col", GetCurCol, 0, 0, u""},
    {u"editor-get-caret-col", GetCaretCol, 2, 2, u"NN"},
    {u"editor-get-col-from-caret-col", GetColFromCaretCol, 2, 2, u"NN"},
    {u"editor-set-row-col", SetRowCol, 2, 2, u"NN"},
    {u"editor-set-select-area", SetSelectArea, 4, 4, u"NNNN"},
    {u"editor-paste-string", PasteString, 1, 1, u"S"},
    {u"editor-delete-selected-string", DeleteSelectedString, 0, 0, u""},
    {u"editor-search-string", SearchString, 1, 1, u"S"},
    {u"editor-search-string-ci", SearchStringCi, 1, 1, u"S"},
    {u"editor-replace-string", ReplaceString, 2, 2, u"SS"},
    {u"editor-replace-string-ci", ReplaceStringCi, 2, 2, u"SS"},
    {u"editor-replace-selected-string", ReplaceSelected, 2, 2, u"SS"},
    {u"editor-replace-selected-string-ci", ReplaceSelectedCi, 2, 2, u"SS"},
    {u"editor-get-selected-string", GetSelectedString, 0, 0, u""},
    {u"editor-get-all-string", GetAllString, 0, 0, u""},
    {u"editor-get-row-string", GetRowString, 1, 1, u"N"},
    {u"editor-get-row-col-char", GetRowColChar, 2, 2, u"NN"},
    {u"editor-get-selected-string-bytes", GetSelectedStringBytes, 0, 0, u""},
    {u"editor-get-selected-string-chars", GetSelectedStringChars, 0, 0, u""},
    {u"editor-get-selected-area", GetSelectedArea, 0, 0, u""},
    {u"editor-forward-char", ForwardChar, 0, 2, u"NA"},
    {u"editor-backward-char", BackwardChar, 0, 2, u"NA"},
    {u"editor-next-line", NextLine, 0, 2, u"NA"},
    {u"editor-previous-line", PreviousLine, 0, 2, u"NA"},
    {u"editor-set-box-select", SetBoxSelect, 0, 0, u""},
    {u"editor-box-select?", IsBoxSelect, 0, 0, u""},
};
const int kMacroEditorProcCount = sizeof(kMacroEditorProcs) / sizeof(kMacroEditorProcs[0]);
