// Frame windows: the program's main window. A frame holds a menu, bars and
// one view (the active one) that fills what the bars leave; it routes
// commands, keeps menu items, toolbar buttons and status panes up to date,
// translates its accelerators and shows command prompts in the status bar.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/controlbar.h"
#include "framework/wnd.h"

class CView;
class CDocument;
class CStatusBar;
class CToolBar;
struct CCreateContext;

class CFrameWnd : public CWnd {
public:
    // Creates the frame with the menu and icon of resourceId; the text
    // before the first '\n' of that string resource is the program's title.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr,
                           CCreateContext* context = nullptr);

    CView* GetActiveView() const { return activeView_; }
    void SetActiveView(CView* view) { activeView_ = view; }
    CDocument* GetActiveDocument() const;

    // The accelerator table the frame translates keys with (not owned).
    HACCEL m_hAccelTable = nullptr;
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }

    // Bars the frame lays out and updates (not owned).
    void SetStatusBar(CStatusBar* bar) { statusBar_ = bar; }
    CStatusBar* GetStatusBar() const { return statusBar_; }
    void AddToolBar(CToolBar* bar) { toolBars_.push_back(bar); }
    void ShowControlBar(CWnd* bar, bool show);
    virtual void RecalcLayout();

    // Docking: the dock bars of the allowed edges exist once EnableDocking ran.
    void EnableDocking(DWORD align);
    CDockBar* GetDockBar(UINT dockBarId) const;
    // Docks the bar at an edge (0: the first its style allows) as a row of
    // its own, or floats it with its frame's top-left at a screen point.
    void DockControlBar(CControlBar* bar, UINT dockBarId = 0);
    void FloatControlBar(CControlBar* bar, POINT screen);
    // The edge a bar dropped at a screen point docks at, else 0: a point on
    // a docked area, or near the inner area's edge.
    UINT DockBarAt(POINT screen, const CControlBar* bar) const;
    const std::vector<CControlBar*>& GetControlBars() const { return controlBars_; }
    // What the docked bars leave for the view (client coordinates).
    const CRect& GetInnerArea() const { return innerArea_; }
    void RemoveControlBar(CControlBar* bar);
    // Each bar with an id: shown or hidden, docked where or floating where,
    // kept in the profile file in the section "<name>-Bar<id>".
    void LoadBarState(const wchar_t* profileName);
    void SaveBarState(const wchar_t* profileName) const;

    // The status-bar prompt of a command: its string resource up to '\n'.
    virtual CString GetMessageString(UINT id);
    void SetMessageText(const wchar_t* text);
    // The status bar's text while no menu item is selected.
    CString GetIdleMessage() const;

    // Shows the frame (cmdShow -1: as the program was started).
    virtual void ActivateFrame(int cmdShow = -1);
    // After the document has its contents: the view's first update, then
    // the frame shown when asked.
    void InitialUpdateFrame(CDocument* document, BOOL makeVisible);
    // "<document title> - <program title>", or the program title alone.
    virtual void OnUpdateFrameTitle();
    const CString& GetAppTitle() const { return appTitle_; }

    // The route of commands and of their update: the active view (and its
    // document), this frame, the application.
    bool RouteCmdMsg(UINT id, CCmdUI* ui);
    // Brings toolbar buttons and status panes up to date.
    virtual void OnIdleUpdateCmdUI();

    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    // Makes the view from the creation context.
    virtual BOOL OnCreateClient(CREATESTRUCTW* cs, CCreateContext* context);
    // The close box and ID_APP_EXIT's way out: asks the document first.
    virtual void OnClose();
    virtual void OnDropFiles(HDROP drop) { ::DragFinish(drop); }
    void OnDestroy() override;
    // Updates every command item of a popup through the route.
    virtual void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);
    // The frame owns itself: it goes with its window.
    void PostNcDestroy() override { delete this; }

private:
    CView* activeView_ = nullptr;
    CStatusBar* statusBar_ = nullptr;
    std::vector<CToolBar*> toolBars_;
    std::vector<std::unique_ptr<CDockBar>> dockBars_;
    std::vector<CControlBar*> controlBars_;
    CRect innerArea_;  // what the docked bars left, in client coordinates
    CString appTitle_;
    UINT resourceId_ = 0;
};

// A frame whose documents are child windows of its client area.
class CMDIFrameWnd : public CFrameWnd {};
