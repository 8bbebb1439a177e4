#include "view/view_jump.h"

#include "app/base/instance_handoff.h"
#include "app/resource.h"
#include "app/base/winutil.h"
#include "editctrl/edit_ctrl.h"
#include "framework/cmdtarget.h"
#include "framework/wide.h"
#include "util/copydata.h"
#include "util/tag_line.h"
#include "view/line_jump_dlg.h"
#include "view/pavin_view.h"

namespace {

TagLineFiles SystemFiles() {
    TagLineFiles files;
    files.makeFull = [](std::u16string& path) {
        std::wstring w = ToWide(path);
        MakeFullPath(w);
        path = ToU16(w);
    };
    files.isFile = [](const std::u16string& path) { return IsFileExist(AsWide(path.c_str())); };
    return files;
}

// A started editor shows its view a little after it is idle: look again
// for a bounded time.
HWND WaitForEditorWithFile(const std::wstring& path) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (const HWND view = FindEditorWindowWithFile(path)) return view;
        if (::GetTickCount() - start >= GetHandoffTimeouts().retryMs) return nullptr;
        ::Sleep(50);
    }
}

void DropSelection(CEditCtrl* editor) {
    if (!editor) return;
    editor->Model().ClearSelection(true);
    if (CEditData* data = editor->GetEditData()) data->SetCaretX(-1);
}

void RunLineJump(CEditCtrl& editor) {
    CLineJumpDlg dialog;
    if (dialog.DoModal(::GetAncestor(editor.m_hWnd, GA_ROOT)) != IDOK) return;
    JumpToLine(editor, dialog.m_line);
}

}  // namespace

bool TagJump(CPavinView& view) {
    CEditCtrl* source = view.CurrentEditor();
    if (!source || !source->GetEditData()) return false;
    CEditData& data = *source->GetEditData();
    const int caretLine = data.GetCaretPos().line;
    const std::u16string text = caretLine >= 0 && caretLine < data.GetLineCount() ? data.GetLineText(caretLine) : u"";
    std::u16string named;
    int line = 0;
    if (!ParseTagLine(text, SystemFiles(), named, line)) return false;
    const std::wstring path = GetOpenedFilePath(AsWide(named.c_str()));
    if (!IsFileExist(path.c_str())) return false;

    HWND target = FindEditorWindowWithFile(path);
    if (!target) {
        OpenFileInRunningEditor(path);
        target = WaitForEditorWithFile(path);
        if (!target) return false;
    }
    CopyDataOpenAtLine record;
    if (!MakeOpenAtLineRecord(ToU16(path), line, u"", record)) return false;
    SendCopyDataRecord(target, CD_OPEN_AT_LINE, &record, sizeof record, GetHandoffTimeouts().queryMs);

    ::SetForegroundWindow(::GetAncestor(target, GA_ROOT));
    // The double-click that may have started the jump selected a word here;
    // a jump within this editor lands with no selection either.
    DropSelection(source);
    if (CEditCtrl* now = view.CurrentEditor(); now != source) DropSelection(now);
    return true;
}

bool RunJumpCommand(CPavinView& view, UINT id, CCmdUI* ui) {
    if (id != ID_EDIT_TAG_JUMP && id != ID_SEARCH_JUMP_LINE) return false;
    CEditCtrl* editor = view.CurrentEditor();
    if (ui) {
        ui->Enable(editor != nullptr);
        return true;
    }
    if (!editor) return true;
    if (id == ID_EDIT_TAG_JUMP)
        TagJump(view);
    else
        RunLineJump(*editor);
    return true;
}
