// Decisions of the editing window's commands that need no window: where Home
// goes, which whole lines a selection covers, bookmark walking, wrap
// geometry, the unindent pattern, display columns and links.
#pragma once

#include <string>
#include <string_view>

#include "editctrl/core/line_attr_cache.h"
#include "textengine/edit_data.h"

// Line flag of a bookmarked line.
constexpr int kLineFlagBookmark = CEditLine::FlagBookmark;

// Home: the first non-blank column, or column 0 when the caret is already
// there (or always); column 0 stays column 0 only with always.
int LineStartColumn(const char16_t* text, int length, int caretColumn, bool always);

// The whole lines of a stream selection [start, end]: a last line reached
// at column 0 is not counted (unless it is also the first).
void SelectedLineSpan(EditPos start, EditPos end, int& first, int& last);

// The first line from `from` towards `to` (inclusive) stepping by step
// (+1 / -1) that carries the bookmark flag; -1 when none.
int FindBookmarkLine(const CEditData& data, int from, int to, int step);

// Wrap columns and pixel width.
struct WrapGeometry {
    int columns;
    int width;
};
// Fitted to a window: at least 20 columns; three columns kept free when the
// text adjusts line breaks, else one.
WrapGeometry WrapForWindow(int clientWidth, int leftMargin, int rightMargin, int charWidth, bool breakAdjust);
// Fixed columns: 80 when not positive; 400 pixels when the width is not positive.
WrapGeometry WrapForColumns(int columns, int charWidth);

// Removes one TAB or 1..tabSize spaces at each line's start (or the box's
// left edge), never a mix.
std::u16string UnindentPattern(int tabSize, bool box);

// The unit offset where the display columns of the line (TAB to the next
// tab stop, a wide character 2, others 1) first reach displayColumn; 0 for a
// display column below 1.
int ColumnFromDisplayColumn(std::u16string_view text, int displayColumn, int tabSize,
                            bool (*isWide)(char32_t cp, void* user), void* user);

// The text begins with a web address scheme.
bool IsUrlScheme(std::u16string_view text);

// The run of link characters around column; false when column is not on one.
bool LinkRangeAt(const LineAttrItem* items, int count, int column, int& start, int& end);
