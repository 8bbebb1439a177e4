// A hit of the result view handed to the editor: the file opened in a
// running editor that has it (or that opens it, or one started for it) at
// the hit's line, with the last search's text highlighted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Which editor sits beside the program.
enum SulkiEditorProtocol : int { kCurrentEditor = 0, kOlderEditor = 1 };

// The search the hand-off repeats in the editor: that of the last completed
// search, not what the fields hold now.
struct SulkiSearchSpec {
    std::wstring text;
    bool matchCase = false;
    bool matchWidth = false;
    bool regex = false;
};

// The older editor's search request (it already holds the file).
struct PavinSearchRequest {
    char16_t pattern[1024];
    std::int32_t matchCase;
    std::int32_t widthSensitive;
    std::int32_t regex;
    std::int32_t line;  // 0-based
};
static_assert(sizeof(PavinSearchRequest) == 2064);

// Window class of the older editor's main window.
inline constexpr wchar_t kPavinClassName[] = L"PAVIN_CLASS_NAME";

// 1 (older) unless "wendrel.exe" is a file in programDir, then 0; 1 again
// when "pavin.exe" is there too.
int DetectEditor(const std::wstring& programDir);

// The older editor's main window that has the file open, or null.
HWND FindPavinWindowWithFile(const std::wstring& path);

// Hands one line of the result view to the editor; nothing for a line that
// is no hit, a search text of 1024 characters or more, or when no editor
// can be reached. True when a record was sent.
bool HandOffResultLine(const std::wstring& lineText, const SulkiSearchSpec& search, int protocol,
                       const std::wstring& programDir);
