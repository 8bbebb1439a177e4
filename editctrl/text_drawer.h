// Draws a line's text with TABs expanded, in runs of explicit advances, so
// every character lands where the width table measured it. Used by the
// editing window's painter and by printing.
#pragma once

#include <windows.h>

#include "editctrl/edit_measure.h"

class CTextDrawer {
public:
    // 0: a TAB advances to the next tab stop; 1: a TAB is one blank wide.
    int tabMode = 0;

    // Draws count units from x. rect gives the runs' top and bottom and the
    // right edge they are clipped to; tab stops count from tabOrigin; a run
    // whose rectangle misses clip is skipped. Returns the x reached.
    int DrawTabbedText(HDC dc, const RECT& clip, const char16_t* text, int count, const RECT& rect,
                       const CMeasure& measure, int x, int y, int tabOrigin, UINT options = ETO_CLIPPED) const;
};
