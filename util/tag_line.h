// Reading a place to jump to from one line of text: a file name followed by
// a line number in parentheses or after a colon, as compilers and grep
// tools print it ("main.c(12): error", "main.c:12:3", "C:\a\b.c(5)").
#pragma once

#include <functional>
#include <string>
#include <string_view>

struct TagLineFiles {
    // Makes a candidate path absolute (against the current folder).
    std::function<void(std::u16string&)> makeFull;
    // True when the path names an existing file that is not a folder.
    std::function<bool(const std::u16string&)> isFile;
};

// The first candidate that names a file wins: the text up to the first ':'
// (a drive letter's excepted) or '(' whichever comes first, then up to each
// later '(' in turn, so "dir (old)\a.c(7)" finds the file in "dir (old)".
// line is 0-based: 0 when no number follows the name, else the number - 1;
// a number of 0 fails, one too large for an int is taken as the largest.
bool ParseTagLine(std::u16string_view text, const TagLineFiles& files, std::u16string& path, int& line);
