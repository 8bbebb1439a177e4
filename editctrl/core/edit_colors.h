// The colour table of a text's display: indexes and default colours.
#pragma once

#include <cstdint>

enum EditColorIndex : int {
    TEXT_COLOR = 0,      // plain text, line numbers
    KEYWORD_COLOR,       // keywords
    COMMENT_COLOR,       // comments
    BG_COLOR,            // background
    PEN_COLOR,           // marks (tab, space, line feed, EOF) and the margin line
    QUOTE_COLOR,         // quoted strings
    SEARCH_COLOR,        // search-hit background (stored under the key "SRARCH_COLOR")
    SELECTED_COLOR,      // selection background
    RULER_COLOR,         // ruler
    OPERATOR_COLOR,      // operators
    KEYWORD2_COLOR,      // second keyword group
    IME_CARET_COLOR,     // caret while the input method is open
    RULED_LINE_COLOR,    // ruled lines
    EDIT_COLOR_COUNT
};

// 0x00BBGGRR, as the platform's COLORREF.
inline constexpr uint32_t kDefaultEditColors[EDIT_COLOR_COUNT] = {
    0x000000, 0xCD0000, 0x007800, 0xFFFFFF, 0x969600, 0x0000DC, 0x32FFFF,
    0x320000, 0x006400, 0x000080, 0xC08000, 0x00A000, 0xB4B4B4,
};
