#include "framework/cmdtarget.h"

#include <commctrl.h>

#include "framework/bars.h"

CCmdUI CCmdUI::ForMenuItem(HMENU menu, UINT index, UINT id) {
    CCmdUI ui;
    ui.kind_ = MenuItem;
    ui.menu_ = menu;
    ui.index_ = index;
    ui.m_nID = id;
    return ui;
}

CCmdUI CCmdUI::ForToolBarButton(HWND toolbar, UINT id) {
    CCmdUI ui;
    ui.kind_ = ToolBarButton;
    ui.toolbar_ = toolbar;
    ui.m_nID = id;
    return ui;
}

CCmdUI CCmdUI::ForStatusPane(CStatusBar* bar, int index, UINT id) {
    CCmdUI ui;
    ui.kind_ = StatusPane;
    ui.statusBar_ = bar;
    ui.index_ = static_cast<UINT>(index);
    ui.m_nID = id;
    return ui;
}

CCmdUI CCmdUI::ForProbe(UINT id) {
    CCmdUI ui;
    ui.kind_ = Probe;
    ui.m_nID = id;
    return ui;
}

void CCmdUI::Enable(bool on) {
    enabled_ = on;
    switch (kind_) {
    case MenuItem:
        ::EnableMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
        break;
    case ToolBarButton:
        ::SendMessageW(toolbar_, TB_ENABLEBUTTON, m_nID, MAKELPARAM(on ? TRUE : FALSE, 0));
        break;
    case StatusPane:
        statusBar_->SetPaneEnabled(static_cast<int>(index_), on);
        break;
    case Probe:
        break;
    }
}

void CCmdUI::SetCheck(int check) {
    switch (kind_) {
    case MenuItem:
        ::CheckMenuItem(menu_, index_, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
        break;
    case ToolBarButton: {
        LRESULT state = ::SendMessageW(toolbar_, TB_GETSTATE, m_nID, 0);
        if (state == -1) break;
        state &= ~(TBSTATE_CHECKED | TBSTATE_INDETERMINATE);
        if (check == 1) state |= TBSTATE_CHECKED;
        if (check == 2) state |= TBSTATE_INDETERMINATE;
        ::SendMessageW(toolbar_, TB_SETSTATE, m_nID, MAKELPARAM(state, 0));
        break;
    }
    case StatusPane:
    case Probe:
        break;
    }
}

void CCmdUI::SetText(const wchar_t* text) {
    switch (kind_) {
    case MenuItem: {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<wchar_t*>(text);
        ::SetMenuItemInfoW(menu_, index_, TRUE, &info);
        break;
    }
    case ToolBarButton:
    case Probe:
        break;
    case StatusPane:
        statusBar_->SetPaneText(static_cast<int>(index_), text);
        break;
    }
}

void CCmdUI::DoUpdate(CCmdTarget* target) {
    if (!target || !target->OnCmdMsg(m_nID, this)) Enable(false);
}
