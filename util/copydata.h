// The records editors and the grep program send each other by WM_COPYDATA:
// dwData holds the code, the payload is one of the fixed layouts below
// (UTF-16LE text, zero-filled after its terminator; 32-bit little-endian
// integers). A sender refuses text that does not fit, never cuts it; a
// receiver refuses a record of the wrong size or with an unterminated field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum CopyDataCode : std::uint32_t {
    CD_QUERY_FILE_OPEN = 1001,  // reply 1 when the file is open here
    CD_OPEN_AND_SEARCH = 1002,
    CD_OPEN_FILE = 1003,        // reply 1 when the file was opened
    CD_ACTIVATE_FILE = 1004,
    CD_OPEN_AT_LINE = 1010,
};

// Window text of every editor's view window, by which others find it.
inline constexpr char16_t kEditorViewWindowName[] = u"WENDREL_VIEW_WINDOWNAME";

constexpr int kCopyDataPathUnits = 260;
constexpr int kCopyDataModeUnits = 10;
constexpr int kCopyDataPatternUnits = 1024;

// CD_QUERY_FILE_OPEN, CD_OPEN_FILE, CD_ACTIVATE_FILE.
struct CopyDataPath {
    char16_t path[kCopyDataPathUnits];
};

struct CopyDataOpenAtLine {
    char16_t path[kCopyDataPathUnits];
    std::int32_t line;  // 0-based; -1 = no line
    char16_t mode[kCopyDataModeUnits];  // edit-mode name; empty = keep the mode
};

struct CopyDataOpenAndSearch {
    char16_t path[kCopyDataPathUnits];
    char16_t pattern[kCopyDataPatternUnits];
    std::int32_t matchCase;
    std::int32_t widthSensitive;
    std::int32_t regex;
    std::int32_t line;  // 0-based
};

static_assert(sizeof(CopyDataPath) == 520);
static_assert(sizeof(CopyDataOpenAtLine) == 544);
static_assert(sizeof(CopyDataOpenAndSearch) == 2584);
// The largest record any program of ours sends.
constexpr std::size_t kLargestCopyDataRecord = sizeof(CopyDataOpenAndSearch);

// Copies text and its terminator into a zero-filled field of units units;
// false (field left empty) when it does not fit or holds a NUL.
bool FillRecordText(char16_t* field, int units, std::u16string_view text);

// Sender side: false when the path (or pattern) does not fit the record.
// A mode name that does not fit is left out, so the receiver keeps its mode.
bool MakePathRecord(std::u16string_view path, CopyDataPath& out);
bool MakeOpenAtLineRecord(std::u16string_view path, int line, std::u16string_view mode, CopyDataOpenAtLine& out);
bool MakeOpenAndSearchRecord(std::u16string_view path, std::u16string_view pattern, bool matchCase,
                             bool widthSensitive, bool regex, int line, CopyDataOpenAndSearch& out);

// Receiver side: false for a payload of another size or a field without
// its terminator. data may be null when size is 0.
bool ReadPathRecord(const void* data, std::size_t size, std::u16string& path);
bool ReadOpenAtLineRecord(const void* data, std::size_t size, std::u16string& path, int& line, std::u16string& mode);
bool ReadOpenAndSearchRecord(const void* data, std::size_t size, CopyDataOpenAndSearch& out);
