// Texts the document derives from its files: window titles with the
// modified mark, the status text of encoding and line end, the edit mode a
// file name selects, and the name a Save As starts from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textengine/kanjicode.h"

// The file name of a path: the text after its last '\'.
std::u16string FileTitleOf(std::u16string_view path);

// The full path or the file name, with " *" when modified.
std::u16string BuildDocTitle(std::u16string_view path, bool fullPath, bool modified);
inline constexpr char16_t kModifiedMark[] = u" *";

// "SJIS, CRLF(\r\n)" (the backslashes are literal); empty parts for
// unknown values.
std::u16string FormatStatusText(KanjiCode kanjiCode, LineEndType lineEnd);

// The edit mode a path selects: its extension (".htm" for anything under
// "Temporary Internet Files") against each mode's ";"-separated patterns
// with a leading '*' dropped, ignoring case; -1 when none matches.
int EditModeForPath(std::u16string_view path, const std::vector<std::u16string>& modePatterns);

// The name a save dialog offers: the document's path, else (for a new file
// being saved under a name) its title cut before the first of " #%;/\",
// with the current mode's first extension when the name has no '.'.
std::u16string DefaultSaveName(std::u16string_view docPath, std::u16string_view title, bool replace,
                               std::u16string_view modePatterns);
