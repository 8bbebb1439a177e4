// Reading back a result line of the search ("%s(%d): %s", see
// AppendGrepHitLine): the path and the line a double-click hands to the
// editor.
#pragma once

#include <string>
#include <string_view>

// True for a hit line, with its path and its 0-based line. Lines that are
// not hits (the "searching" line, error lines, the closing message, text a
// user typed into the view) give false: a path that is not a drive or UNC
// path (or "."-relative), of 260 units or more, a number that is empty, not
// all digits, 0, or beyond a 32-bit line, or a ")" that is not right
// before the ":".
bool ParseGrepResultLine(std::u16string_view text, std::u16string& path, int& line);
