#include "view/view_print.h"

#include <memory>
#include <string>

#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "editctrl/edit_ctrl.h"
#include "editctrl/wait_cursor.h"
#include "framework/app.h"
#include "framework/cmdids.h"
#include "framework/cmdtarget.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "textengine/edit_data.h"
#include "view/core/print_pages.h"
#include "view/pavin_view.h"
#include "view/print_dlg.h"
#include "view/print_layout.h"
#include "view/printer_access.h"

namespace {

constexpr wchar_t kCaption[] = L"印刷";

void Tell(HWND owner, const wchar_t* text, UINT icon) { ShowMessageBox(owner, text, kCaption, MB_OK | icon); }

void TellFailure(HWND owner, DWORD error) {
    std::wstring text = L"印刷できませんでした。";
    if (error) text += L"\n" + SystemErrorText(error);
    Tell(owner, text.c_str(), MB_ICONERROR);
}

void PrintCurrentFile(CPavinView& view, CEditCtrl& editor) {
    CWaitCursor wait;
    CIniProfile* profile = view.Context().profile;
    CEditData* source = editor.GetEditData();
    if (!profile || !source) return;
    const HWND owner = ::GetAncestor(view.m_hWnd, GA_ROOT);

    CPrintDlg dialog(*profile, view.Context().printerMemory);
    dialog.m_wrapMode = WrapModeFromNumber(view.Context().settings.lineMode);
    dialog.m_wrapColumn = view.Context().settings.lineLen;
    dialog.m_digits = editor.GetLineNumberDigits() > 2 ? editor.GetLineNumberDigits() : 2;
    if (dialog.DoModal(owner) != IDOK || !dialog.PrinterDC()) return;

    CPavinDoc* doc = view.GetDocument();
    // The title without the modified mark.
    const std::wstring documentTitle = doc ? doc->PlainTitle() : L"";
    const std::wstring title = dialog.m_title ? documentTitle : L"";

    const CEditData* text = source;
    std::unique_ptr<CEditData> selection;
    if (dialog.m_selectionOnly) {
        const std::u16string selected = editor.Model().SelectedText();
        if (selected.empty()) {
            Tell(owner, L"選択範囲がありません", MB_ICONERROR);
            return;
        }
        selection = std::make_unique<CEditData>();
        ApplyEditSettings(view.Context().settings, *selection, false);
        if (!selection->InsertText(selected.c_str(), 0)) {
            TellFailure(owner, ERROR_NOT_ENOUGH_MEMORY);
            return;
        }
        text = selection.get();
    }

    CPrintLayout layout;
    layout.SetUp(title, {dialog.m_spaceLeft, dialog.m_spaceTop, dialog.m_spaceRight, dialog.m_spaceBottom},
                 dialog.m_pageNumber != 0, dialog.m_date != 0, dialog.m_digits, dialog.PrinterDC());
    if (!layout.Measure(dialog.m_fontFace, dialog.m_fontSize, dialog.WrapColumn(), source)) {
        TellFailure(owner, ::GetLastError());
        return;
    }
    if (!layout.Geometry().HasRoom()) {
        Tell(owner, L"余白またはフォントが大きすぎるため、ページに文字が入りません。", MB_ICONERROR);
        return;
    }
    // The queue shows the file's name even when the page doesn't.
    DWORD error = 0;
    if (!PrintDocument(dialog.PrinterDC(), layout, *text, documentTitle, error)) {
        TellFailure(owner, error);
        return;
    }
    Tell(owner, L"印刷しました", MB_ICONINFORMATION);
}

}  // namespace

bool PrintDocument(HDC dc, CPrintLayout& layout, const CEditData& data, const std::wstring& name, DWORD& error) {
    error = 0;
    DOCINFOW doc{};
    doc.cbSize = sizeof(DOCINFOW);
    doc.lpszDocName = name.c_str();
    if (::StartDocW(dc, &doc) <= 0) {
        error = ::GetLastError();
        layout.Release();
        return false;
    }
    if (layout.Print(data) < 0) {
        error = ::GetLastError();
        layout.Release();
        ::AbortDoc(dc);
        return false;
    }
    layout.Release();
    if (::EndDoc(dc) <= 0) {
        error = ::GetLastError();
        ::AbortDoc(dc);
        return false;
    }
    return true;
}

bool RunPrintCommand(CPavinView& view, UINT id, CCmdUI* ui) {
    if (id != ID_FILE_PRINT) return false;
    CEditCtrl* editor = view.CurrentEditor();
    if (ui) {
        ui->Enable(editor != nullptr);
        return true;
    }
    if (editor) PrintCurrentFile(view, *editor);
    return true;
}
