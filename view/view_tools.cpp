#include "view/view_tools.h"

#include <string>
#include <vector>

#include "app/macro_calls.h"
#include "app/pavin_doc.h"
#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "app/base/torka_win_app.h"
#include "app/base/winutil.h"
#include "editctrl/core/transfer_text.h"
#include "editctrl/edit_ctrl.h"
#include "framework/app.h"
#include "framework/cmdtarget.h"
#include "framework/seams.h"
#include "framework/wide.h"
#include "grep/engine/grep_cmdline.h"
#include "view/pavin_view.h"
#include "view/select_color_dlg.h"

namespace {

HWND TopWindow(const CPavinView& view) { return ::GetAncestor(view.m_hWnd, GA_ROOT); }

// The process's current folder; empty when it can't be had.
std::u16string CurrentFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return {};
    std::vector<wchar_t> folder(size);
    const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
    if (length == 0 || length >= size) return {};
    return ToU16(std::wstring(folder.data(), length));
}

void LaunchGrep(CPavinView& view) {
    const std::u16string folder = view.Context().settings.searchDirAsCurrentDir ? CurrentFolder() : std::u16string();
    CEditCtrl* editor = view.CurrentEditor();
    const std::u16string text = editor ? editor->Model().SelectedText() : std::u16string();
    const std::wstring program = GetModuleDir() + L"sulki.exe";
    const std::wstring line = ToWide(BuildSulkiCommandLine(ToU16(program), text, folder));
    if (!StartProcess(line.c_str(), nullptr, false, program.c_str()))
        ShowMessageBox(TopWindow(view), L"起動に失敗しました", L"Error", MB_OK | MB_ICONWARNING);
}

struct Browser {
    const std::u16string& path;
    const wchar_t* service;
};

Browser BrowserOf(const CAppSettings& settings, UINT id) {
    switch (id) {
    case ID_TOOL_BROWSER_FIREFOX:
    case ID_LINK_OPEN_FIREFOX:
        return {settings.browserFirefox, L"Firefox"};
    case ID_TOOL_BROWSER_IE:
    case ID_LINK_OPEN_IE:
    case ID_LINK_NEW_WINDOW_IE:
        return {settings.browserIe, L"Iexplore"};
    default:
        return {settings.browserNs, L"Netscape"};
    }
}

void PreviewInBrowser(CPavinView& view, UINT id) {
    CPavinDoc* doc = view.GetDocument();
    if (!doc || !view.CurrentEditor()) return;
    // The browser shows the file on disk: it is saved first, and a new file
    // is given its name now; refused, cancelled or failed: nothing opens.
    if (!doc->OnFileSave()) return;
    const Browser browser = BrowserOf(view.Context().settings, id);
    OpenURL(browser.service, doc->GetCurrentPath().c_str(), AsWide(browser.path.c_str()));
}

std::wstring LinkAtCaret(CEditCtrl* editor) { return editor ? editor->GetLinkAtCaret() : std::wstring(); }

void CopyLink(CEditCtrl& editor) {
    EditPos start, end;
    if (editor.GetLinkRangeAtCaret(start, end)) editor.CopyTextToClipboard(start, end, false);
}

void OpenLink(const CAppSettings& settings, CEditCtrl& editor, UINT id) {
    const std::wstring link = LinkAtCaret(&editor);
    if (link.empty()) return;
    // "www.…" and mail addresses become addresses a browser takes; a link
    // is never handed to the shell, which would run whatever it names.
    const std::wstring address = ToWide(transfer::LinkAddress(ToU16(link)));
    const Browser browser = BrowserOf(settings, id);
    if (id == ID_LINK_NEW_WINDOW_IE || id == ID_LINK_NEW_WINDOW_NS)
        ExecBrowser(AsWide(browser.path.c_str()), address.c_str());
    else
        OpenURL(browser.service, address.c_str(), AsWide(browser.path.c_str()));
}

void RunSelection(CMacroLink& macros, CEditCtrl& editor) {
    CEditData* data = editor.GetEditData();
    if (!data) return;
    // The macro reader takes line feeds: the selection is read with them.
    CLineEndTypeGuard restore(data);
    data->SetLineEndType(LineEndType::LF);
    const std::u16string text = editor.Model().SelectedText();
    if (!text.empty()) macros.RunText(ToWide(text));
}

void OpenColorPicker(CPavinView& view) {
    if (CSelectColorDlg* picker = view.ColorPicker()) picker->Open(view.m_hWnd, view.m_hWnd, WM_INSERT_COLOR_TEXT);
}

bool IsLinkCommand(UINT id) {
    switch (id) {
    case ID_LINK_COPY:
    case ID_LINK_OPEN:
    case ID_LINK_OPEN_FIREFOX:
    case ID_LINK_OPEN_IE:
    case ID_LINK_OPEN_OTHER:
    case ID_LINK_NEW_WINDOW_IE:
    case ID_LINK_NEW_WINDOW_NS:
        return true;
    }
    return false;
}

}  // namespace

bool RunToolCommand(CPavinView& view, UINT id, CCmdUI* ui) {
    CEditCtrl* editor = view.CurrentEditor();
    if (IsLinkCommand(id)) {
        if (ui) {
            ui->Enable(!LinkAtCaret(editor).empty());
        } else if (editor) {
            if (id == ID_LINK_COPY)
                CopyLink(*editor);
            else if (id != ID_LINK_OPEN)
                OpenLink(view.Context().settings, *editor, id);
        }
        return true;
    }
    switch (id) {
    case ID_SEARCH_GREP:
        if (ui)
            ui->Enable(true);
        else
            LaunchGrep(view);
        return true;
    case ID_TOOL_BROWSER_FIREFOX:
    case ID_TOOL_BROWSER_IE:
    case ID_TOOL_BROWSER_OTHER:
        if (ui)
            ui->Enable(true);
        else
            PreviewInBrowser(view, id);
        return true;
    case ID_TOOL_RUN_SELECTION:
        if (ui)
            ui->Enable(editor && editor->Model().HasSelection());
        else if (editor && editor->Model().HasSelection())
            RunSelection(view.Context().macros, *editor);
        return true;
    case ID_TOOL_COLOR_DATA:
        if (ui)
            ui->Enable(true);
        else
            OpenColorPicker(view);
        return true;
    }
    return false;
}

void InsertColorText(CPavinView& view, const wchar_t* text) {
    CEditCtrl* editor = view.CurrentEditor();
    if (!editor || !text) return;
    editor->Model().ReplaceSelection(AsU16(text), false);
    if (CPavinDoc* doc = view.GetDocument()) doc->UpdateTitle();
}
