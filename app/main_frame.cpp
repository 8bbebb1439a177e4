#include "app/main_frame.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/accel_dlg.h"
#include "app/doccore/doc_text.h"
#include "app/key_macro.h"
#include "app/file_list_bar.h"
#include "app/macro_calls.h"
#include "app/profile/app_settings.h"
#include "app/profile/ini_profile.h"
#include "app/resource.h"
#include "app/base/torka_win_app.h"
#include "editctrl/syntax/editmode.h"
#include "framework/doc.h"
#include "framework/wide.h"

namespace {

// Where the bars keep their places and sizes in the local profile file.
const wchar_t kBarStateName[] = L"BarState";

CTorkaWinApp* App() { return dynamic_cast<CTorkaWinApp*>(AfxGetApp()); }

const UINT kIndicators[] = {ID_SEPARATOR,        ID_INDICATOR_FORMAT, ID_INDICATOR_CARET_POS, ID_INDICATOR_OVR,
                            ID_INDICATOR_CAPS,   ID_INDICATOR_NUM,    ID_INDICATOR_BOX};

// The main toolbar: the system's standard images for the commands.
const UINT kToolbarIds[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                            0, ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_SEARCH_FIND, 0, ID_FILE_PRINT};
const int kToolbarImages[] = {STD_FILENEW, STD_FILEOPEN, STD_FILESAVE, -1,       STD_CUT,  STD_COPY, STD_PASTE,
                              -1,          STD_UNDO,     STD_REDOW,    -1,       STD_FIND, -1,       STD_PRINT};
static_assert(sizeof(kToolbarIds) / sizeof(kToolbarIds[0]) == sizeof(kToolbarImages) / sizeof(kToolbarImages[0]));

// The toolbars show no menu of their own: right clicks go nowhere.
LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) return 0;
    auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

void SwallowRightClicks(HWND toolbar) {
    ::SetWindowLongPtrW(toolbar, GWLP_USERDATA, ::GetWindowLongPtrW(toolbar, GWLP_WNDPROC));
    ::SetWindowLongPtrW(toolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ToolbarProc));
}

BYTE HeldModifiers(bool async) {
    auto down = [async](int vk) { return ((async ? ::GetAsyncKeyState(vk) : ::GetKeyState(vk)) & 0x8000) != 0; };
    BYTE fVirt = kAccelBase;
    if (down(VK_SHIFT)) fVirt |= kAccelShift;
    if (down(VK_CONTROL)) fVirt |= kAccelCtrl;
    if (down(VK_MENU)) fVirt |= kAccelAlt;
    return fVirt;
}

}  // namespace

CMainFrame::~CMainFrame() {
    if (accelHandle_) ::DestroyAcceleratorTable(accelHandle_);
}

int CMainFrame::OnCreate(CREATESTRUCTW* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    RestoreWindowPlacement();
    if (!m_wndToolBar.Create(m_hWnd, AFX_IDW_TOOLBAR, TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS) ||
        !m_wndToolBar.SetStandardButtons(kToolbarIds, kToolbarImages,
                                         static_cast<int>(sizeof(kToolbarIds) / sizeof(kToolbarIds[0]))))
        return -1;
    AddToolBar(&m_wndToolBar);
    if (!m_wndEditModeBar.CreateBar(m_hWnd)) return -1;
    AddToolBar(&m_wndEditModeBar);
    SwallowRightClicks(m_wndToolBar.m_hWnd);
    SwallowRightClicks(m_wndEditModeBar.m_hWnd);
    if (!m_wndStatusBar.Create(m_hWnd, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(sizeof(kIndicators) / sizeof(kIndicators[0]))))
        return -1;
    m_wndStatusBar.SetPaneWidth(m_wndStatusBar.CommandToIndex(ID_INDICATOR_FORMAT), 120);
    {
        // Every encoding and line end fits, the longest included.
        std::vector<std::wstring> formats;
        for (KanjiCode code : kKanjiCodeOrder)
            for (LineEndType lineEnd : kLineEndTypes) formats.push_back(ToWide(FormatStatusText(code, lineEnd)));
        m_wndStatusBar.FitPaneToTexts(m_wndStatusBar.CommandToIndex(ID_INDICATOR_FORMAT), formats);
    }
    m_wndStatusBar.SetPaneWidth(m_wndStatusBar.CommandToIndex(ID_INDICATOR_CARET_POS), 100);
    m_wndStatusBar.SetMessageText(GetIdleMessage());
    SetStatusBar(&m_wndStatusBar);
    if (!CreateFileListPane()) return -1;
    if (const CEditModeTable* modes = context_.editModeTable) m_wndEditModeBar.MakeEditModeToolbarImages(*modes);
    RecalcLayout();
    if (fileListBar_.IsVisible()) fileListBar_.StartFileListThread(ToWide(context_.settings.fileListFilter));
    return 0;
}

bool CMainFrame::CreateFileListPane() {
    EnableDocking(CBRS_ALIGN_ANY);
    CFileListBar& pane = fileListBar_;
    // Hidden until the user asks for it; the saved bar state may show it.
    if (!pane.Create(L"FileListBar", this, CSize(200, 200), TRUE, ID_FILE_LIST_BAR, WS_CHILD)) return false;
    pane.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&pane, AFX_IDW_DOCKBAR_LEFT);
    for (CSizingControlBar* bar : CSizingControlBar::AllBars()) bar->LoadState(kBarStateName);
    LoadBarState(kBarStateName);
    return true;
}

RECT CMainFrame::FitToWorkArea(const RECT& saved, const RECT& work) {
    RECT r = saved;
    const int width = saved.right - saved.left, height = saved.bottom - saved.top;
    if (r.left < work.left || r.left > work.right || r.right > work.right) {
        r.left = work.left;
        r.right = std::min<LONG>(r.left + width, work.right);
    }
    if (r.top < work.top || r.top > work.bottom || r.bottom > work.bottom) {
        r.top = work.top;
        r.bottom = std::min<LONG>(r.top + height, work.bottom);
    }
    return r;
}

void CMainFrame::RestoreWindowPlacement() {
    CTorkaWinApp* app = App();
    if (!app) return;
    const int left = app->GetProfileInt(L"WINDOW", L"LEFT", 0), top = app->GetProfileInt(L"WINDOW", L"TOP", 0);
    const int width = app->GetProfileInt(L"WINDOW", L"WIDTH", 0), height = app->GetProfileInt(L"WINDOW", L"HEIGHT", 0);
    RECT saved{left, top, left + width, top + height};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromRect(&saved, MONITOR_DEFAULTTONEAREST), &info);
    RECT r = FitToWorkArea(saved, info.rcWork);
    if (width != 0 && height != 0)
        SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A second editor started now opens one caption lower and to the right;
    // closing this one writes the true place again.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ::GetWindowPlacement(m_hWnd, &wp);
    const int caption = ::GetSystemMetrics(SM_CYCAPTION);
    app->WriteProfileInt(L"WINDOW", L"TOP", wp.rcNormalPosition.top + caption);
    app->WriteProfileInt(L"WINDOW", L"LEFT", wp.rcNormalPosition.left + caption);
    app->m_pIniProfile->Save();
}

void CMainFrame::SaveWindowPlacement() {
    CTorkaWinApp* app = App();
    if (!app) return;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(m_hWnd, &wp)) return;
    const RECT& r = wp.rcNormalPosition;
    app->WriteProfileInt(L"WINDOW", L"LEFT", r.left);
    app->WriteProfileInt(L"WINDOW", L"TOP", r.top);
    app->WriteProfileInt(L"WINDOW", L"WIDTH", r.right - r.left);
    app->WriteProfileInt(L"WINDOW", L"HEIGHT", r.bottom - r.top);
    app->WriteProfileInt(L"WINDOW", L"ZOOMED", wp.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
    app->m_pIniProfile->Save();
}

void CMainFrame::OnDestroy() {
    context_.keyMacros.StopRecording();
    for (CSizingControlBar* bar : CSizingControlBar::AllBars()) bar->SaveState(kBarStateName);
    SaveBarState(kBarStateName);
    SaveWindowPlacement();
    CFrameWnd::OnDestroy();
}

void CMainFrame::LoadKeyBindings(const CIniProfile& profile) {
    accelTable_.LoadProfile(profile);
    RebuildAccelerators();
}

void CMainFrame::RebuildAccelerators() {
    if (accelHandle_) ::DestroyAcceleratorTable(accelHandle_);
    accelHandle_ = accelTable_.CreateHandle();
    m_hAccelTable = accelHandle_;
}

bool CMainFrame::IsUnhandledBinding(const MSG& msg) const {
    const WORD command = accelTable_.FindKey(static_cast<WORD>(msg.wParam), HeldModifiers(false));
    if (!command) return false;
    CCmdUI probe = CCmdUI::ForProbe(command);
    return !const_cast<CMainFrame*>(this)->RouteCmdMsg(command, &probe);
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
        if (CMacroCalls* macros = context_.macros.Calls()) {
            const DWORD binding = (static_cast<DWORD>(HeldModifiers(true)) << 16) | (msg->wParam & 0xFFFF);
            if (macros->RunKeyProcedure(binding)) return TRUE;
        }
        // The arrow keys move in the file list while its tree has the focus.
        CFileListBar& pane = fileListBar_;
        if (msg->message == WM_KEYDOWN && msg->wParam >= VK_LEFT && msg->wParam <= VK_DOWN && pane.IsVisible() &&
            pane.Tree().m_hWnd && ::GetFocus() == pane.Tree().m_hWnd)
            return FALSE;
        // Keys whose commands are not built yet keep working in the window
        // that has the focus (the editing window's own keys).
        if (IsUnhandledBinding(*msg)) return FALSE;
    }
    return CFrameWnd::PreTranslateMessage(msg);
}

CString CMainFrame::GetMessageString(UINT id) {
    CTorkaWinApp* app = App();
    CString prompt = app ? app->LoadPromptString(id) : CFrameWnd::GetMessageString(id);
    size_t n = prompt.str().find(L'\n');
    return n == std::wstring::npos ? prompt : CString(prompt.str().substr(0, n));
}

void CMainFrame::UpdateMenuKeyTexts(HMENU menu) {
    const int n = ::GetMenuItemCount(menu);
    if (n > 0 && ::GetMenuItemID(menu, 0) == SC_RESTORE) return;  // the system menu
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        wchar_t text[512] = {};
        info.dwTypeData = text;
        info.cch = 511;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.hSubMenu || (info.fType & MFT_SEPARATOR) || info.wID == 0) continue;
        std::wstring old = text;
        std::wstring label = old.substr(0, old.find(L'\t'));
        std::wstring keys;
        if (accelTable_.GetCommandKeys(static_cast<WORD>(info.wID), keys) == 0) label += L"\t" + keys;
        if (label == old) continue;
        MENUITEMINFOW set{};
        set.cbSize = sizeof(set);
        set.fMask = MIIM_STRING;
        set.dwTypeData = label.data();
        ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &set);
    }
}

void CMainFrame::OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu) {
    if (sysMenu) return;
    // Without recent files the list's items and one of two separators go.
    if (::GetMenuItemID(popup, 0) == ID_FILE_NEW && AfxGetApp() && AfxGetApp()->GetMaxRecentFiles() == 0) {
        for (UINT id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_LAST; ++id) ::DeleteMenu(popup, id, MF_BYCOMMAND);
        for (int i = ::GetMenuItemCount(popup) - 1; i > 0; --i) {
            const bool sep = ::GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR;
            const bool prevSep = ::GetMenuState(popup, static_cast<UINT>(i - 1), MF_BYPOSITION) & MF_SEPARATOR;
            if (sep && prevSep) ::DeleteMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
        }
    }
    if (::GetMenuItemID(popup, 0) == ID_EDIT_MODE_FIRST) RebuildEditModeMenu(popup);
    UpdateMenuKeyTexts(popup);
    CFrameWnd::OnInitMenuPopup(popup, index, sysMenu);
}

void CMainFrame::RebuildEditModeMenu(HMENU popup) {
    for (UINT id = ID_EDIT_MODE_FIRST; id <= ID_EDIT_MODE_LAST; ++id) ::DeleteMenu(popup, id, MF_BYCOMMAND);
    const CEditModeTable* modes = context_.editModeTable;
    if (!modes) return;
    for (int i = 0; i < modes->Count(); ++i) {
        const UINT check = i == context_.settings.editMode ? MF_CHECKED : MF_UNCHECKED;
        ::AppendMenuW(popup, MF_STRING | check, ID_EDIT_MODE_FIRST + static_cast<UINT>(i),
                      AsWide(modes->Entry(i).name.c_str()));
    }
}

void CMainFrame::OnDropFiles(HDROP drop) {
    ::SetForegroundWindow(m_hWnd);
    ::SetActiveWindow(m_hWnd);
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // A path longer than a path can be is skipped, never cut: a cut path
        // would open a new empty file of the wrong name.
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0 || length >= MAX_PATH) continue;
        wchar_t path[MAX_PATH];
        ::DragQueryFileW(drop, i, path, MAX_PATH);
        if (AfxGetApp()) AfxGetApp()->OpenDocumentFile(path);
    }
    ::DragFinish(drop);
}

void CMainFrame::OnKeyAssign() {
    CAcceleratorDlg dialog;
    dialog.m_table.Copy(accelTable_);
    if (dialog.DoModal(m_hWnd) != IDOK) return;
    accelTable_.Copy(dialog.m_table);
    if (CTorkaWinApp* app = App()) accelTable_.SaveProfile(*app->m_pIniProfile);
    RebuildAccelerators();
}

bool CMainFrame::OnCmdMsg(UINT id, CCmdUI* ui) {
    switch (id) {
    case ID_KEY_ASSIGN:
        if (!ui) OnKeyAssign();
        return true;
    case ID_ALWAYS_ON_TOP: {
        const bool topmost = (GetExStyle() & WS_EX_TOPMOST) != 0;
        if (ui)
            ui->SetCheck(topmost ? 1 : 0);
        else
            SetWindowPos(topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return true;
    }
    case ID_VIEW_FILE_LIST: {
        CFileListBar& pane = fileListBar_;
        if (!pane.m_hWnd) return false;
        const bool shown = pane.IsVisible();
        if (ui) {
            ui->SetCheck(shown ? 1 : 0);
        } else {
            if (!shown) pane.StartFileListThread(ToWide(context_.settings.fileListFilter));
            ShowControlBar(&pane, !shown);
        }
        return true;
    }
    case ID_VIEW_EDIT_MODE_BAR: {
        if (!m_wndEditModeBar.m_hWnd) return false;
        const bool shown = (m_wndEditModeBar.GetStyle() & WS_VISIBLE) != 0;
        if (ui)
            ui->SetCheck(shown ? 1 : 0);
        else
            ShowControlBar(&m_wndEditModeBar, !shown);
        return true;
    }
    }
    return CFrameWnd::OnCmdMsg(id, ui);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ACTIVATEAPP:
        if (wParam)
            PostMessage(WM_FRAME_ACTIVATEAPP);
        else
            context_.keyMacros.OnDeactivate();  // keys typed elsewhere are not the editor's
        break;
    case WM_FRAME_ACTIVATEAPP:
        context_.macros.FireEvent("on-activate-app");
        return 0;
    case WM_MOVE:
        if (CDocument* document = GetActiveDocument()) document->UpdateAllViews(nullptr, 115);
        break;
    case WM_INITMENU:
        UpdateMenuKeyTexts(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_NOTIFY: {
        // The edit-mode buttons' tips name their modes.
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        const UINT_PTR id = info->hdr.idFrom;
        if (info->hdr.code == TTN_GETDISPINFOW && id >= ID_EDIT_MODE_FIRST && id <= ID_EDIT_MODE_LAST && App()) {
            const std::wstring prompt = App()->LoadPromptString(static_cast<UINT>(id)).str();
            editModeTip_ = prompt.substr(prompt.find(L'\n') + 1).c_str();
            info->lpszText = const_cast<wchar_t*>(editModeTip_.GetString());
            return 0;
        }
        break;
    }
    }
    return CFrameWnd::WindowProc(msg, wParam, lParam);
}
