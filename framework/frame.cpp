#include "framework/frame.h"

#include <shellapi.h>

#include "framework/app.h"
#include "framework/bars.h"
#include "framework/cmdids.h"
#include "framework/doc.h"
#include "framework/resource_text.h"

namespace {

const wchar_t kFrameClass[] = L"TORKA_Frame";

// The part of a resource string before its first '\n'.
CString FirstLine(const CString& text) {
    const std::wstring& s = text.str();
    size_t n = s.find(L'\n');
    return n == std::wstring::npos ? text : CString(s.substr(0, n));
}

// Offers updates to the frame's whole route rather than the frame alone.
class RouteTarget : public CCmdTarget {
public:
    explicit RouteTarget(CFrameWnd* frame) : frame_(frame) {}
    bool OnCmdMsg(UINT id, CCmdUI* ui) override { return frame_->RouteCmdMsg(id, ui); }

private:
    CFrameWnd* frame_;
};

}  // namespace

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, HWND parent, CCreateContext* context) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    HICON icon = ::LoadIconW(inst, MAKEINTRESOURCEW(resourceId));
    if (!icon) icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    // The class carries the program's icon; a second frame finds it there.
    WNDCLASSW existing{};
    if (!::GetClassInfoW(inst, kFrameClass, &existing))
        CWnd::RegisterWindowClass(kFrameClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                  reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), icon);
    resourceId_ = resourceId;
    appTitle_ = FirstLine(LoadResourceString(resourceId));
    HMENU menu = ::LoadMenuW(inst, MAKEINTRESOURCEW(resourceId));
    BOOL ok = CreateEx(0, kFrameClass, appTitle_, style, CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), parent, menu,
                       context);
    if (!ok && menu) ::DestroyMenu(menu);
    return ok;
}

int CFrameWnd::OnCreate(CREATESTRUCTW* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    auto* context = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (context && !OnCreateClient(cs, context)) return -1;
    return 0;
}

BOOL CFrameWnd::OnCreateClient(CREATESTRUCTW*, CCreateContext* context) {
    if (!context->newView) return TRUE;
    CView* view = context->newView();
    if (!view) return FALSE;
    view->SetDocument(context->document);
    CWnd::RegisterWindowClass(L"TORKA_View", CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
    CWndLifeWatch watch(view);
    if (!view->CreateEx(WS_EX_CLIENTEDGE, L"TORKA_View", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                        CRect(0, 0, 0, 0), m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)))) {
        if (watch.Alive()) delete view;
        return FALSE;
    }
    SetActiveView(view);
    return TRUE;
}

CDocument* CFrameWnd::GetActiveDocument() const { return activeView_ ? activeView_->GetDocument() : nullptr; }

void CFrameWnd::ShowControlBar(CWnd* bar, bool show) {
    if (!bar || !bar->m_hWnd) return;
    bar->ShowWindow(show ? SW_SHOW : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::RecalcLayout() {
    if (!m_hWnd) return;
    CRect client = GetClientRect();
    int top = 0, bottom = client.bottom;
    for (CToolBar* bar : toolBars_) {
        if (!bar->m_hWnd || !(bar->GetStyle() & WS_VISIBLE)) continue;
        bar->SendMessage(TB_AUTOSIZE);
        int h = bar->Height();
        bar->MoveWindow(0, top, client.Width(), h);
        top += h;
    }
    if (statusBar_ && statusBar_->m_hWnd && (statusBar_->GetStyle() & WS_VISIBLE)) {
        statusBar_->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
        int h = statusBar_->GetWindowRect().Height();
        bottom -= h;
        statusBar_->MoveWindow(0, bottom, client.Width(), h);
        statusBar_->RecalcParts();
    }
    if (activeView_ && activeView_->m_hWnd)
        activeView_->MoveWindow(0, top, client.Width(), bottom > top ? bottom - top : 0);
}

CString CFrameWnd::GetMessageString(UINT id) { return FirstLine(LoadResourceString(id)); }

CString CFrameWnd::GetIdleMessage() const {
    CString text = LoadResourceString(AFX_IDS_IDLEMESSAGE);
    return text.IsEmpty() ? CString(L"レディ") : text;
}

void CFrameWnd::SetMessageText(const wchar_t* text) {
    if (statusBar_ && statusBar_->m_hWnd) statusBar_->SetMessageText(text);
}

void CFrameWnd::ActivateFrame(int cmdShow) {
    if (cmdShow == -1) {
        CWinApp* app = AfxGetApp();
        cmdShow = app ? app->m_nCmdShow : SW_SHOWNORMAL;
    }
    ShowWindow(cmdShow);
    ::SetForegroundWindow(m_hWnd);
}

void CFrameWnd::InitialUpdateFrame(CDocument* document, BOOL makeVisible) {
    if (activeView_) activeView_->OnInitialUpdate();
    OnUpdateFrameTitle();
    if (makeVisible) {
        ActivateFrame();
        if (activeView_) activeView_->SetFocus();
    }
}

void CFrameWnd::OnUpdateFrameTitle() {
    CDocument* document = GetActiveDocument();
    if (!document || document->GetTitle().IsEmpty()) {
        SetWindowText(appTitle_);
        return;
    }
    CString title = document->GetTitle();
    if (!appTitle_.IsEmpty()) title += CString(L" - ") + appTitle_;
    if (GetWindowText() != title) SetWindowText(title);
}

bool CFrameWnd::RouteCmdMsg(UINT id, CCmdUI* ui) {
    if (activeView_ && activeView_->OnCmdMsg(id, ui)) return true;
    if (!activeView_)
        if (CDocument* document = GetActiveDocument(); document && document->OnCmdMsg(id, ui)) return true;
    if (OnCmdMsg(id, ui)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, ui);
}

bool CFrameWnd::OnCmdMsg(UINT id, CCmdUI* ui) {
    switch (id) {
    case ID_INDICATOR_CAPS:
    case ID_INDICATOR_NUM:
        if (ui) ui->Enable((::GetKeyState(id == ID_INDICATOR_CAPS ? VK_CAPITAL : VK_NUMLOCK) & 1) != 0);
        return true;
    case ID_VIEW_STATUS_BAR:
        if (!statusBar_ || !statusBar_->m_hWnd) return false;
        if (ui)
            ui->SetCheck((statusBar_->GetStyle() & WS_VISIBLE) ? 1 : 0);
        else
            ShowControlBar(statusBar_, !(statusBar_->GetStyle() & WS_VISIBLE));
        return true;
    case ID_VIEW_TOOLBAR: {
        if (toolBars_.empty() || !toolBars_.front()->m_hWnd) return false;
        CToolBar* bar = toolBars_.front();
        if (ui)
            ui->SetCheck((bar->GetStyle() & WS_VISIBLE) ? 1 : 0);
        else
            ShowControlBar(bar, !(bar->GetStyle() & WS_VISIBLE));
        return true;
    }
    }
    return false;
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    RouteTarget route(this);
    for (CToolBar* bar : toolBars_)
        if (bar->m_hWnd && (bar->GetStyle() & WS_VISIBLE)) bar->UpdateButtons(&route);
    if (statusBar_ && statusBar_->m_hWnd) statusBar_->UpdatePanes(&route);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable)
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, msg);
    return FALSE;
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, BOOL sysMenu) {
    if (sysMenu) return;
    RouteTarget route(this);
    const int n = ::GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.hSubMenu || (info.fType & MFT_SEPARATOR) || info.wID == 0) continue;
        CCmdUI ui = CCmdUI::ForMenuItem(popup, static_cast<UINT>(i), info.wID);
        ui.DoUpdate(&route);
    }
}

void CFrameWnd::OnClose() {
    CWinApp* app = AfxGetApp();
    CDocument* document = GetActiveDocument();
    // The frame's own document first, then, for the main window, every
    // other one the program holds.
    if (document && !document->CanCloseFrame(this)) return;
    if (app && app->m_pMainWnd == this && !app->SaveAllModified()) return;
    if (document)
        document->OnCloseDocument();  // destroys this frame
    else
        DestroyWindow();
}

void CFrameWnd::OnDestroy() {
    CWnd::OnDestroy();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        CWnd::WindowProc(msg, wParam, lParam);
        RecalcLayout();
        return 0;
    case WM_SETFOCUS:
        if (activeView_ && activeView_->m_hWnd) {
            activeView_->SetFocus();
            return 0;
        }
        break;
    case WM_COMMAND:
        // Menus, accelerators and toolbar buttons; notifications of other
        // child controls stay with their owner.
        if (lParam == 0 || WndCast<CToolBar>(reinterpret_cast<HWND>(lParam))) {
            RouteCmdMsg(LOWORD(wParam), nullptr);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->code == TTN_GETDISPINFOW) {
            // Toolbar tips: the command's short name after '\n'.
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            static CString tip;
            CString text = LoadResourceString(static_cast<UINT>(hdr->idFrom));
            size_t n = text.str().find(L'\n');
            tip = n == std::wstring::npos ? text : CString(text.str().substr(n + 1));
            info->lpszText = const_cast<wchar_t*>(tip.GetString());
            return 0;
        }
        break;
    }
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_MENUSELECT: {
        UINT flags = HIWORD(wParam);
        if (flags == 0xFFFF && lParam == 0)
            SetMessageText(GetIdleMessage());
        else if (!(flags & (MF_POPUP | MF_SEPARATOR)))
            SetMessageText(GetMessageString(LOWORD(wParam)));
        else
            SetMessageText(L"");
        return 0;
    }
    case WM_EXITMENULOOP:
        SetMessageText(GetIdleMessage());
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
