// Measuring and wrapping lines with the width table, and the block-comment
// state of lines, as the editing window needs them.
#pragma once

#include "editctrl/char_width_table.h"

class CEditData;
class CStrToken;
struct CEditLine;

// What measuring needs: the width table and where to measure unknown widths.
struct CMeasure {
    CCharWidthTable* table;
    CEditCtrlDC* holder;

    int Advance(char32_t cp) const { return table->GetAdvance(nullptr, cp, holder); }
    int TabStop() const { return table->GetTabStopWidth(nullptr, holder); }
};

// The code point at text[i] and its length in units (a pair is one character).
char32_t CodePointAt(const char16_t* text, int n, int i, int* units);

// Pixel width of the first n units; a TAB runs to the next tab stop counted
// from the start of the text.
int CalcTextWidth(const char16_t* text, int n, const CMeasure& m);
// Units of text (n long) that fit into width pixels, adjusted by the
// text's line-break rules; at least one character when n > 0.
int FitChars(const char16_t* text, int n, int width, const CMeasure& m, const CEditData& data);
// Cuts the line into rows of wrapWidth pixels (INT_MAX: one row) and stores
// the row starts after the first in its wrap array. Returns the row count.
int CalcLineWrap(CEditLine* line, int wrapWidth, const CMeasure& m, const CEditData& data);

// Options of the comment-state scan (the control's style bits).
enum : int { kScanNoComments = 0x80, kScanTags = 0x100 };
// Walks the lines from first on (last -1 = to the end, and on past last while
// a line's start state changes) and stores whether each line begins inside a
// block comment (or a tag with kScanTags). Lines whose state changed are
// marked as changed text so their cached colours are dropped. Returns
// whether any state changed.
bool UpdateLineStates(CEditData& data, int first, int last, int options);
