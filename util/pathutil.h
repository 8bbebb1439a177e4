// Windows path helpers that need no Windows API: paths are UTF-16 with '\'
// separators. The parts that ask the system (current folder, module path,
// files on disk) live in app/base/winutil.h and build on these.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Longest path a Windows file API takes here, terminator included.
constexpr int kMaxPath = 260;

// Removes one '\' at the end.
void RemoveTrailingBackslash(std::u16string& path);

// Removes a trailing '\', then cuts the path at its last '\' (C:\a\b → C:\a,
// C:\a → C:); unchanged when the only '\' starts the path or there is none.
void CutLastPathElement(std::u16string& path);

// True for "\\server..." and for paths that begin with a drive letter.
bool IsUncPath(std::u16string_view path);
bool HasDriveLetter(std::u16string_view path);

// Makes a relative path absolute against currentDir: unchanged when empty,
// longer than kMaxPath - 1 units, UNC or with a drive letter; "\x" takes the
// drive (or UNC share) of currentDir; leading "..\" steps go up from
// currentDir and ".\" steps stay.
void MakeFullPathIn(std::u16string& path, const std::u16string& currentDir);

// Whether the extension of fileName (with its dot, ASCII lower-cased) is one
// of the list's items: an item runs from a '.' to the next ';' (text before
// the dot is ignored), ".*" matches every name.
bool MatchFileExt(const std::u16string& fileName, const std::u16string& list);

// How to start a program named by a setting: a path, or a path in double
// quotes followed by arguments of its own.
struct ProgramCommand {
    std::u16string application;  // the program's path, unquoted
    std::u16string commandLine;
};

// Starts program with target as its last argument. The program's path is
// quoted and named as the application, so a path with blanks can't start
// another program; the target is quoted so that the program receives it
// whole, as one argument, whatever it holds.
ProgramCommand BuildProgramCommand(const std::u16string& program, const std::u16string& target);

// arg in double quotes, with its quotes and the backslashes before them
// escaped as a program's argument parser reads them back.
std::u16string QuoteArgument(const std::u16string& arg);

// The item a browser's "WWW_OpenURL" service is asked for: a target without
// "://" is a local file and gets "file://" in front.
std::u16string BuildOpenUrlItem(const std::u16string& target);

// base and name joined by one '\': "C:\" + "dir" is "C:\dir", "C:\dir" +
// "x.txt" is "C:\dir\x.txt"; an empty base gives name.
std::u16string AppendPathElement(std::u16string_view base, std::u16string_view name);

// The elements of a path from its root down: "C:\a\b\" gives "C:\", "a",
// "b" (a root always ends with '\'; "c:" gives "c:\"). Empty elements from
// doubled separators are skipped. Empty for a path without a drive.
std::vector<std::u16string> SplitDrivePath(std::u16string_view path);

// Whether two names are the same name to the file system, which ignores
// the case of letters (Latin, Greek, Cyrillic, full-width Latin).
bool SamePathElement(std::u16string_view a, std::u16string_view b);

// Sorts names the way a folder listing is shown: ASCII letters compared as
// lower case, ties in their original order.
void SortFileNames(std::vector<std::u16string>& names);
