#include "framework/frame.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <utility>

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
                                  reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
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
    if (auto* control = dynamic_cast<CControlBar*>(bar))
        if (CMiniDockFrameWnd* mini = control->GetFloatingFrame()) mini->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::EnableDocking(DWORD align) {
    const std::pair<DWORD, UINT> edges[] = {{CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_TOP},
                                            {CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM},
                                            {CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT},
                                            {CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_RIGHT}};
    for (const auto& [flag, id] : edges)
        if ((align & flag) && !GetDockBar(id)) dockBars_.push_back(std::make_unique<CDockBar>(id));
}

CDockBar* CFrameWnd::GetDockBar(UINT id) const {
    for (const auto& dock : dockBars_)
        if (dock->GetId() == id) return dock.get();
    return nullptr;
}

namespace {

DWORD AlignOf(UINT dockBarId) {
    switch (dockBarId) {
    case AFX_IDW_DOCKBAR_TOP: return CBRS_ALIGN_TOP;
    case AFX_IDW_DOCKBAR_BOTTOM: return CBRS_ALIGN_BOTTOM;
    case AFX_IDW_DOCKBAR_LEFT: return CBRS_ALIGN_LEFT;
    case AFX_IDW_DOCKBAR_RIGHT: return CBRS_ALIGN_RIGHT;
    }
    return 0;
}

// How near the inner area's edge a dropped bar docks.
constexpr int kDockZone = 32;

}  // namespace

void CFrameWnd::DockControlBar(CControlBar* bar, UINT dockBarId) {
    if (!bar || !bar->m_hWnd) return;
    if (dockBarId == 0)
        for (UINT id : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT})
            if ((bar->m_dwDockStyle & AlignOf(id)) && GetDockBar(id)) {
                dockBarId = id;
                break;
            }
    CDockBar* dock = GetDockBar(dockBarId);
    if (!dock) return;
    if (std::find(controlBars_.begin(), controlBars_.end(), bar) == controlBars_.end()) controlBars_.push_back(bar);
    bar->m_pDockSite = this;
    if (bar->m_pDockBar == dock) {
        RecalcLayout();
        return;
    }
    if (bar->m_pDockBar) bar->m_pDockBar->Remove(bar);
    const bool visible = bar->IsVisible();
    if (CMiniDockFrameWnd* mini = bar->floatFrame_) {
        bar->floatFrame_ = nullptr;
        mini->bar_ = nullptr;
        ::SetParent(bar->m_hWnd, m_hWnd);
        mini->DestroyWindow();
    } else if (::GetParent(bar->m_hWnd) != m_hWnd) {
        ::SetParent(bar->m_hWnd, m_hWnd);
    }
    dock->Insert(bar);
    bar->m_pDockBar = dock;
    bar->lastDockId_ = dockBarId;
    bar->ShowWindow(visible ? SW_SHOWNA : SW_HIDE);
    bar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RecalcLayout();
}

void CFrameWnd::FloatControlBar(CControlBar* bar, POINT screen) {
    if (!bar || !bar->m_hWnd) return;
    if (std::find(controlBars_.begin(), controlBars_.end(), bar) == controlBars_.end()) controlBars_.push_back(bar);
    bar->m_pDockSite = this;
    const bool visible = bar->IsVisible();
    if (bar->m_pDockBar) {
        bar->m_pDockBar->Remove(bar);
        bar->m_pDockBar = nullptr;
    }
    CMiniDockFrameWnd* mini = bar->floatFrame_;
    if (!mini) {
        mini = new CMiniDockFrameWnd;
        if (!mini->Create(this, bar, screen)) {
            delete mini;
            DockControlBar(bar, bar->lastDockId_);
            return;
        }
        bar->floatFrame_ = mini;
        ::SetParent(bar->m_hWnd, mini->m_hWnd);
    }
    bar->floatPos_ = screen;
    const CSize client = bar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
    const CSize size = CMiniDockFrameWnd::FrameSizeFor(client);
    mini->SetWindowPos(nullptr, screen.x, screen.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    bar->SetWindowPos(nullptr, 0, 0, client.cx, client.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    bar->ShowWindow(visible ? SW_SHOWNA : SW_HIDE);
    mini->ShowWindow(visible ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
}

UINT CFrameWnd::DockBarAt(POINT screen, const CControlBar* bar) const {
    POINT p = screen;
    ::ScreenToClient(m_hWnd, &p);
    const DWORD allowed = bar ? bar->m_dwDockStyle : CBRS_ALIGN_ANY;
    for (const auto& dock : dockBars_)
        if ((allowed & AlignOf(dock->GetId())) && !dock->m_arrBars.empty() && dock->m_rect.PtInRect(p))
            return dock->GetId();
    CRect outer = innerArea_;
    outer.InflateRect(kDockZone, kDockZone);
    if (!outer.PtInRect(p)) return 0;
    const std::pair<int, UINT> distances[] = {{p.x - innerArea_.left, AFX_IDW_DOCKBAR_LEFT},
                                              {innerArea_.right - p.x, AFX_IDW_DOCKBAR_RIGHT},
                                              {p.y - innerArea_.top, AFX_IDW_DOCKBAR_TOP},
                                              {innerArea_.bottom - p.y, AFX_IDW_DOCKBAR_BOTTOM}};
    UINT best = 0;
    int nearest = kDockZone;
    for (const auto& [distance, id] : distances)
        if (distance < nearest && (allowed & AlignOf(id)) && GetDockBar(id)) {
            nearest = distance;
            best = id;
        }
    return best;
}

void CFrameWnd::RemoveControlBar(CControlBar* bar) {
    if (bar->m_pDockBar) bar->m_pDockBar->Remove(bar);
    bar->m_pDockBar = nullptr;
    controlBars_.erase(std::remove(controlBars_.begin(), controlBars_.end(), bar), controlBars_.end());
}

namespace {

std::wstring BarSection(const wchar_t* profileName, int id) {
    return std::wstring(profileName) + L"-Bar" + std::to_wstring(id);
}

}  // namespace

void CFrameWnd::LoadBarState(const wchar_t* profileName) {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const std::vector<CControlBar*> bars = controlBars_;
    for (CControlBar* bar : bars) {
        const int id = bar->GetDlgCtrlID();
        const std::wstring section = BarSection(profileName, id);
        const UINT dockId = app->CWinApp::GetProfileInt(section.c_str(), L"DockBarID", 0);
        if (dockId == 0) continue;  // never saved: as created
        const bool visible = app->CWinApp::GetProfileInt(section.c_str(), L"Visible", 1) != 0;
        if (dockId == AFX_IDW_DOCKBAR_FLOAT) {
            const int x = static_cast<int>(app->CWinApp::GetProfileInt(section.c_str(), L"FloatX", 100));
            const int y = static_cast<int>(app->CWinApp::GetProfileInt(section.c_str(), L"FloatY", 100));
            const UINT last = app->CWinApp::GetProfileInt(section.c_str(), L"LastDockBarID", bar->lastDockId_);
            if (IsDockBarId(last)) bar->lastDockId_ = last;
            FloatControlBar(bar, CPoint(x, y));
        } else if (IsDockBarId(dockId)) {
            DockControlBar(bar, dockId);
        }
        ShowControlBar(bar, visible);
    }
}

void CFrameWnd::SaveBarState(const wchar_t* profileName) const {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (CControlBar* bar : controlBars_) {
        const std::wstring section = BarSection(profileName, bar->GetDlgCtrlID());
        app->CWinApp::WriteProfileInt(section.c_str(), L"Visible", bar->IsVisible() ? 1 : 0);
        app->CWinApp::WriteProfileInt(section.c_str(), L"DockBarID", static_cast<int>(bar->GetDockBarId()));
        app->CWinApp::WriteProfileInt(section.c_str(), L"LastDockBarID", static_cast<int>(bar->lastDockId_));
        app->CWinApp::WriteProfileInt(section.c_str(), L"FloatX", bar->floatPos_.x);
        app->CWinApp::WriteProfileInt(section.c_str(), L"FloatY", bar->floatPos_.y);
    }
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
    CRect free(0, top, client.Width(), bottom > top ? bottom : top);
    if (!dockBars_.empty()) {
        HDWP batch = ::BeginDeferWindowPos(4);
        for (UINT id : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT})
            if (CDockBar* dock = GetDockBar(id)) dock->Layout(free, batch);
        if (batch) ::EndDeferWindowPos(batch);
    }
    innerArea_ = free;
    if (activeView_ && activeView_->m_hWnd) activeView_->MoveWindow(free.left, free.top, free.Width(), free.Height());
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
    for (CControlBar* bar : std::vector<CControlBar*>(controlBars_))
        if (bar->IsVisible()) bar->OnUpdateCmdUI(this);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable)
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, msg);
    return FALSE;
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, BOOL sysMenu) {
    if (sysMenu) return;
    if (CWinApp* app = AfxGetApp()) app->UpdateRecentFileMenu(popup);
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
