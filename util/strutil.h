// UTF-16 string helpers shared by both programs: field readers for the
// settings and list files, folding compares for completion and sorting.
// A surrogate pair is one character unless a function says otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Cuts the trailing run made of CR, LF and ch off text. Returns where the run
// began (now the terminator), or null when nothing was cut.
char16_t* TrimTrailingNewline(char16_t* text, char16_t ch);

// Reads one delimited field of text into out. A field that opens with a
// double quote runs to the next lone double quote ("" stands for one) and
// anything after it up to the delimiter is dropped. Returns the position
// behind the delimiter, or null when the field ended the text (a null text
// gives an empty field and null).
const char16_t* GetCsvField(const char16_t* text, std::u16string& out, char16_t delimiter);
// The same on a view, for lines that are not terminated: rest moves behind
// the delimiter; false (and rest empty) when the field ended the text.
bool GetCsvField(std::u16string_view& rest, std::u16string& out, char16_t delimiter);

// Reads one tab-separated field. Fields end at TAB, LF or CR (for CR LF the
// returned position is the LF's); a field that opens with a double quote is
// quoted ("" stands for one, a lone one ends it and the position behind it
// is returned). Writes at most capacity units including the terminator into
// out, which may be null. Returns the position of the field's end.
const char16_t* GetTsvField(const char16_t* text, char16_t* out, std::size_t capacity);

// Occurrences of the character ch (a code point) in text.
int CountChar(const char16_t* text, char32_t ch);

// Compares with A-Z and full-width Ａ-Ｚ folded to lower case; the result is
// the difference of the first differing folded code points (0 when equal).
int CompareNoCase(const char16_t* a, const char16_t* b);
// Equality under the same folding, for views that are not terminated.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// Units of the common prefix of a and b under the same folding, at most
// maxUnits (a pair is never split).
int CommonPrefixNoCase(const char16_t* a, const char16_t* b, int maxUnits);

// A-Z to a-z in place.
void ToLowerAscii(char16_t* text);
void ToLowerAscii(std::u16string& text);

// The first occurrence of the character ch, never the second unit of a pair;
// null when absent.
const char16_t* FindChar(const char16_t* text, char32_t ch);
