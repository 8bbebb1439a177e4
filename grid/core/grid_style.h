// The grid window's style word, and the style its in-place editor gets from it.
#pragma once

#include <cstdint>

enum GridCtrlStyle : std::uint32_t {
    GRID_COL_TITLES = 0x1,           // column-title strip
    GRID_ROW_HEADERS = 0x2,          // row-header strip
    GRID_ROW_CURSOR = 0x4,           // the whole current row is highlighted
    GRID_SELECTIONS = 0x8,           // mouse drags, Shift moves and header clicks select
    GRID_CTRL_KEYS = 0x10,           // Ctrl+A, C, V, X, Y, Z (and F2 with GRID_F2_EDITS)
    GRID_INVERT_HIGHLIGHT = 0x20,    // text colour inverted in highlighted cells
    GRID_NULL_COLOR = 0x40,          // NULL cells on their own background
    GRID_REDRAW_ROW_HEADERS = 0x80,  // row headers redrawn as the current row moves
    GRID_MARK_SPACE = 0x100,
    GRID_MARK_WIDE_SPACE = 0x200,
    GRID_FIT_WITHOUT_TITLE = 0x400,  // a double-click on a border fits the cells alone
    GRID_MARK_LINE_END = 0x1000,
    GRID_MARK_TAB = 0x2000,
    GRID_QUOTE_COPY = 0x4000,        // copied fields quoted when needed
    GRID_EDITOR_IME_CARET = 0x8000,
    GRID_END_MODE = 0x10000,         // End toggles End mode
    GRID_SHADE_CURRENT = 0x20000,    // current row header and column title shaded
    GRID_TITLE_TIPS = 0x40000,
    GRID_MARK_NOT_NULL = 0x80000,    // titles of non-nullable columns read "%s(*)"
    GRID_RECORDS_AS_COLUMNS = 0x100000,
    GRID_SCROLL_ROW_TO_TOP = 0x200000,
    GRID_SCROLL_ROW_TO_MIDDLE = 0x400000,
    GRID_FIT_TRIMMED = 0x800000,     // padded columns fitted without trailing blanks
    GRID_CORNER_FOCUSED = 0x1000000,
    GRID_F2_EDITS = 0x2000000,
};

// The editing window's style bits for an in-place editor of a grid with this style.
inline std::uint32_t EditorStyleFromGridStyle(std::uint32_t grid) {
    std::uint32_t s = 0x8 | 0x80;                 // single line, no comment syntax
    s |= (grid >> 12) & 0x3;                      // line-end and tab marks
    s |= grid & 0x200;                            // full-width blank mark
    if (grid & GRID_MARK_SPACE) s |= 0x100000;    // blank mark
    if (!(grid & GRID_INVERT_HIGHLIGHT)) s |= 0x400000;
    if (grid & GRID_EDITOR_IME_CARET) s |= 0x800000;
    s |= grid & GRID_CTRL_KEYS;
    return s;
}

// A colour made darker (factor < 1): the largest channel keeps its value,
// the others are scaled; a grey is scaled whole. Without a single largest
// channel blue keeps its value.
inline std::uint32_t ScaleGridColor(std::uint32_t color, double factor) {
    int ch[3] = {int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)};  // r, g, b
    auto scale = [factor](int v) {
        const int s = int(v * factor);
        return s > 255 ? 255 : s < 0 ? 0 : s;
    };
    if (ch[0] == ch[1] && ch[1] == ch[2]) {
        for (int& c : ch) c = scale(c);
    } else {
        const int keep = ch[0] > ch[1] && ch[0] > ch[2] ? 0 : ch[1] > ch[0] && ch[1] > ch[2] ? 1 : 2;
        for (int i = 0; i < 3; ++i)
            if (i != keep) ch[i] = scale(ch[i]);
    }
    return std::uint32_t(ch[0]) | (std::uint32_t(ch[1]) << 8) | (std::uint32_t(ch[2]) << 16);
}
