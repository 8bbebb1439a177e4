// Command routing. A command (WM_COMMAND from a menu, an accelerator or a
// toolbar button) is offered to the active view, its document, the frame
// and the application in that order until one handles it. The same route
// answers "may this command run now?": each target's OnCmdMsg gets a CCmdUI
// for the menu item, toolbar button or status pane, sets its state and
// reports that it knows the command; a command nobody knows is disabled.
#pragma once

#include <windows.h>

#include "framework/fwstring.h"

class CCmdUI;

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // ui null: run command id. ui set: update its state. True when this
    // target handles the command.
    virtual bool OnCmdMsg(UINT id, CCmdUI* ui) { return false; }
};

class CStatusBar;

// The state of one place that shows a command.
class CCmdUI {
public:
    UINT m_nID = 0;

    static CCmdUI ForMenuItem(HMENU menu, UINT index, UINT id);
    static CCmdUI ForToolBarButton(HWND toolbar, UINT id);
    static CCmdUI ForStatusPane(CStatusBar* bar, int index, UINT id);
    // Asks only whether some target knows the command; shows nothing.
    static CCmdUI ForProbe(UINT id);

    void Enable(bool on = true);
    // 0 unchecked, 1 checked, 2 indeterminate.
    void SetCheck(int check = 1);
    void SetText(const wchar_t* text);

    bool enabled() const { return enabled_; }

    // Routes the update through target; a command no target knows is
    // disabled.
    void DoUpdate(CCmdTarget* target);

private:
    enum Kind { MenuItem, ToolBarButton, StatusPane, Probe } kind_ = MenuItem;
    HMENU menu_ = nullptr;
    UINT index_ = 0;
    HWND toolbar_ = nullptr;
    CStatusBar* statusBar_ = nullptr;
    bool enabled_ = true;
};
