// The text form of the settings file: parsing any supported encoding into
// the ordered map, and the exact bytes the store writes (UTF-16LE with
// FF FE, LF line ends, sections and keys in code-unit order).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

// (section, key); std::u16string compares as unsigned code units, which is
// the order the file is written in (case-sensitive, no locale).
using IniKey = std::pair<std::u16string, std::u16string>;
using IniMap = std::map<IniKey, std::u16string>;

// Section names and keys longer than this are cut when read.
constexpr size_t kIniNameLimit = 2047;

// Whether an entry reads back as itself: no CR, LF or NUL anywhere (they
// would end the line and let a value inject keys), no ']' in the section,
// and a key that the reader takes as a key (no '=', not starting with ' ',
// '#' or '[', within the name limit).
bool IsStorableIniEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value);

// Adds the entries of a settings file's bytes, in any encoding the text
// engine detects (Shift_JIS when nothing tells). An entry already in map is
// kept, so the first of two equal keys wins. Lines before the first section
// header belong to the empty section.
void ParseIniBytes(const std::string& bytes, IniMap& map);

// The bytes of map as the store writes it: FF FE, then per section
// "\n[section]\n" (none for the empty section) and "key=value\n" lines.
std::string FormatIniBytes(const IniMap& map);

// Decimal integer as the store reads it: leading blanks and a sign, digits
// up to the first non-digit, 0 when there are none. A number of up to 32
// bits wraps into int (4294967295 is -1, as a DWORD written from -1 was);
// larger ones stop at the int limits.
int ParseIniInt(std::u16string_view text);
std::u16string FormatIniInt(int value);

// text as a file of UTF-16LE with FF FE, as the store writes it.
std::string Utf16LeFileBytes(const std::u16string& text);

// Any text in a detected encoding as UTF-16LE with FF FE and LF line ends
// (CR LF and lone CR become LF); for the framework's own profile file.
std::string ConvertToUtf16LeLf(const std::string& bytes);
