#include "app/doc_copydata.h"

#include "app/pavin_doc.h"
#include "framework/app.h"
#include "framework/wide.h"

bool CDocCopyDataTarget::IsFileOpen(const std::wstring& path) { return doc_.Files().FindByPath(ToU16(path)) >= 0; }

bool CDocCopyDataTarget::OpenFile(const std::wstring& path) {
    CWinApp* app = AfxGetApp();
    return app && app->OpenDocumentFile(path.c_str()) != nullptr;
}

bool CDocCopyDataTarget::ActivateFile(const std::wstring& path) {
    if (!doc_.ActivateFileByPath(path)) return false;
    if (view_) SetForegroundWindow(GetAncestor(view_, GA_ROOT));
    return true;
}

bool CDocCopyDataTarget::OpenAtLine(const std::wstring& path, int line, const std::wstring& mode) {
    if (!doc_.ActivateFileByPath(path)) return false;
    CEditData& data = doc_.Current().data;
    if (line >= 0 && line < data.GetLineCount()) {
        data.SetCaretPos(line, 0);
        if (doc_.Current().editor.GetSafeHwnd()) doc_.Current().editor.RefreshLayout(1);
    }
    if (view_) SetFocus(view_);
    return true;
}

bool CDocCopyDataTarget::OpenAndSearch(const CopyDataOpenAndSearch& record) {
    if (!doc_.ActivateFileByPath(AsWide(record.path))) return false;
    CEditData& data = doc_.Current().data;
    if (record.line >= 0 && record.line < data.GetLineCount()) data.SetCaretPos(record.line, 0);
    return true;
}
