// The editing window's context menu (the edit menu, with the link items when
// the caret stands on a link), shown at the mouse or, from the keyboard, at
// the caret; its commands go to the frame like the main menu's.
#pragma once

#include <windows.h>

#include <string>

class CEditCtrl;

// The menu resources the context menu is built from, destroyed with it.
class CEditContextMenu {
public:
    // Loads the edit menu and, when the caret is on a link, puts a
    // separator, the link submenu and the link copy at positions 10 to 12.
    explicit CEditContextMenu(CEditCtrl& editor);
    ~CEditContextMenu();
    CEditContextMenu(const CEditContextMenu&) = delete;
    CEditContextMenu& operator=(const CEditContextMenu&) = delete;

    // The popup to track; null when the resource is missing.
    HMENU Popup() const { return m_popup; }

private:
    HMENU m_menu = nullptr;
    HMENU m_linkMenu = nullptr;
    HMENU m_popup = nullptr;
};

// WM_CONTEXTMENU at screen point (x, y); y < 0: from the keyboard. Shows
// the menu when the point is on the editor (or from the keyboard) and
// answers whether it did; commands are sent to owner.
bool ShowEditContextMenu(CEditCtrl& editor, HWND owner, int x, int y);

// The part of a command's prompt after its first line feed (the whole
// prompt without one; "" when there is none).
std::wstring CommandShortName(UINT id);
