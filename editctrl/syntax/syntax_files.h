// File access of the syntax tables: every path is joined by JoinPath, and
// every language, list and keyword file is read by ReadTextFileLines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// dir and name with exactly one separator between them, whether or not dir
// ends in one or name starts with one; an empty dir gives name, and a name
// that is a full path ("C:..." or "\\server...") stands alone.
std::u16string JoinPath(std::u16string_view dir, std::u16string_view name);

// True when path names an existing file that is not a folder.
bool IsExistingFile(std::u16string_view path);

// Reads a text file line by line, encoding detected; each line keeps its
// line end. False when the file can't be opened.
bool ReadTextFileLines(std::u16string_view path, std::vector<std::u16string>& lines);
