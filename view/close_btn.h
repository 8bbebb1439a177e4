// The small owner-drawn close button with an X: one on each file tab (or
// on the selected one), and the view's own at the right end of the tab row.
// Its parent hands it WM_DRAWITEM; a click reaches the parent as WM_COMMAND.
#pragma once

#include <windows.h>

#include "framework/gdi.h"
#include "framework/wnd.h"

class CCloseBtn : public CWnd {
public:
    static constexpr int kSize = 16;

    CCloseBtn();
    // A hidden 16 x 16 child at (x, y).
    BOOL CreateButton(HWND parent, UINT id, int x, int y);
    void DrawItem(const DRAWITEMSTRUCT& item);
    // Draws the button of a WM_DRAWITEM when it is one of ours.
    static bool DrawIfCloseButton(const DRAWITEMSTRUCT* item);

    int edges = 1;       // etched edge, pushed frame when pressed
    int glyphOffset = 4;
    COLORREF background;
    int tabIndex = -1;   // the tab it sits on

private:
    CGdiObject<HBITMAP> glyph_;
};
