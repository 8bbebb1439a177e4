// Draws a line's text with TABs expanded, in runs of explicit advances, so
// every character lands where the width table measured it. Used by the
// editing window's painter and by printing.
#pragma once

#include <windows.h>

#include "editctrl/edit_measure.h"

// Paints what a monochrome rasteriser loses: an underscore whose stroke is
// thinner than a pixel row and crosses no pixel centre comes out empty (IPA
// Gothic and DejaVu Sans Mono at common sizes under Wine). When the glyph
// of the font selected into dc renders empty, each '_' of text[0, n) drawn
// from (x, y) (top-aligned, in the DC's text colour) gets its ink box
// filled, within clip. advances: each unit's advance, or null to measure.
void DrawLostGlyphs(HDC dc, int x, int y, const wchar_t* text, int n, const int* advances, const RECT& clip);

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
