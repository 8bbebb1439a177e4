#include "app/doc_copydata.h"

#include "app/pavin_doc.h"
#include "framework/app.h"
#include "framework/wide.h"

bool CDocCopyDataTarget::IsFileOpen(const std::wstring& path) { return doc_.Files().FindByPath(ToU16(path)) >= 0; }

bool CDocCopyDataTarget::OpenFile(const std::wstring& path) {
    if (doc_.IsAskingToClose() || doc_.IsReading()) return false;
    CWinApp* app = AfxGetApp();
    return app && app->OpenDocumentFile(path.c_str()) != nullptr;
}

bool CDocCopyDataTarget::ActivateFile(const std::wstring& path) {
    // ActivateFileByPath refuses another file while a close question is open.
    if (!doc_.ActivateFileByPath(path)) return false;
    if (view_) SetForegroundWindow(GetAncestor(view_, GA_ROOT));
    return true;
}

void CDocCopyDataTarget::GoToLine(int line) {
    CDocFile& file = doc_.Current();
    if (line < 0 || line >= file.data.GetLineCount()) return;
    file.data.SetCaretPos(line, 0);
    if (file.editor.GetSafeHwnd()) file.editor.UpdateCaret(1, true);
}

bool CDocCopyDataTarget::OpenAtLine(const std::wstring& path, int line, const std::wstring& mode) {
    if (!doc_.ActivateFileByPath(path)) return false;
    GoToLine(line);
    if (!mode.empty()) {
        // An unknown name leaves the first mode selected.
        CDocEditModes* modes = doc_.Context().editModes;
        const int found = modes ? modes->Find(ToU16(mode)) : -1;
        const int index = found < 0 ? 0 : found;
        if (modes) modes->Select(index);
        doc_.Current().editMode = index;
        doc_.UpdateAllViews(nullptr, HINT_EDIT_MODE_CHANGED);
        if (CWinApp* app = AfxGetApp()) app->OnIdle(0);
    }
    if (view_) SetFocus(view_);
    return true;
}

bool CDocCopyDataTarget::OpenAndSearch(const CopyDataOpenAndSearch& record) {
    if (!doc_.ActivateFileByPath(AsWide(record.path))) return false;
    CEditCtrl& editor = doc_.Current().editor;
    if (editor.GetSafeHwnd())
        editor.SetSearchHighlight(AsWide(record.pattern), record.matchCase != 0, record.widthSensitive != 0,
                                  record.regex != 0);
    GoToLine(record.line);
    if (takeSearch) takeSearch(record);
    const HWND top = view_ ? GetAncestor(view_, GA_ROOT) : nullptr;
    if (top && IsIconic(top)) ShowWindow(top, SW_SHOWNORMAL);
    return true;
}
