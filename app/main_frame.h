// The editor's top-level window: toolbar, status bar and file-list pane, its placement in
// WINDOW, the key bindings with their translation (a key bound to a macro
// procedure runs it first), key texts in the menus, dropped files, and the
// application's activation told to the macro language.
#pragma once

#include <windows.h>

#include "app/accel_table.h"
#include "app/app_context.h"
#include "app/edit_mode_bar.h"
#include "app/file_list_bar.h"
#include "framework/bars.h"
#include "framework/frame.h"

class CIniProfile;

// Posted to the frame when the application becomes active.
constexpr UINT WM_FRAME_ACTIVATEAPP = WM_USER + 200;

class CMainFrame : public CFrameWnd {
public:
    explicit CMainFrame(CAppContext& context) : context_(context) {}
    ~CMainFrame() override;

    CAppContext& Context() const { return context_; }

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CEditModeBar m_wndEditModeBar;
    // The file-list pane docked at the left.
    CFileListBar& FileListBar() { return fileListBar_; }

    // The bindings from the store and the accelerator handle built anew.
    void LoadKeyBindings(const CIniProfile& profile);
    // The handle rebuilt from the table (after the table changed).
    void RebuildAccelerators();
    CAcceleratorTable& GetAccelTable() { return accelTable_; }

    BOOL PreTranslateMessage(MSG* msg) override;
    CString GetMessageString(UINT id) override;
    // Each command item's text ends with a tab and its keys.
    void UpdateMenuKeyTexts(HMENU menu);

    // Placement from WINDOW, kept on the nearest monitor's work area.
    void RestoreWindowPlacement();
    // The rectangle a saved placement lands on inside a work area.
    static RECT FitToWorkArea(const RECT& saved, const RECT& workArea);

    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;
    void OnDropFiles(HDROP drop) override;
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void SaveWindowPlacement();
    // The key-assignment dialog on a copy of the bindings; OK installs and saves it.
    void OnKeyAssign();
    // The file-list pane docked at the left, with the bars' saved state.
    bool CreateFileListPane();
    // The edit-mode menu: one item per mode of the list, the current one checked.
    void RebuildEditModeMenu(HMENU popup);
    // The key's command when a bound command is one nobody handles: the
    // key then goes to the focused window as it is.
    bool IsUnhandledBinding(const MSG& msg) const;

    CAppContext& context_;
    CAcceleratorTable accelTable_;
    HACCEL accelHandle_ = nullptr;
    CString editModeTip_;  // the text an edit-mode button's tip shows
    CFileListBar fileListBar_;
};
