// UTF-16 primitives shared by the text engine, the regex engine and the
// macro interpreter. A surrogate pair is one character everywhere; a lone
// surrogate is a character of its own and is never paired with what follows.
#pragma once

#include <cstddef>

inline bool utf16_is_high_surrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool utf16_is_low_surrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
inline bool utf16_is_surrogate(char32_t u) { return u >= 0xD800 && u <= 0xDFFF; }
// Whether p[0], p[1] form a pair.
inline bool utf16_is_pair(const char16_t* p) { return utf16_is_high_surrogate(p[0]) && utf16_is_low_surrogate(p[1]); }
inline char32_t utf16_combine(char32_t high, char32_t low) { return (((high & 0x3FF) + 0x40) << 10) | (low & 0x3FF); }
// The halves of a code point above U+FFFF.
inline char16_t utf16_high_of(char32_t cp) { return char16_t(0xD800 | (((cp - 0x10000) >> 10) & 0x3FF)); }
inline char16_t utf16_low_of(char32_t cp) { return char16_t(0xDC00 | (cp & 0x3FF)); }

// The code point at p: a pair only when a high surrogate is followed by a low
// one, so a lone high surrogate before the terminator never reads past it.
inline char32_t utf16_get_code_point(const char16_t* p) {
    return utf16_is_pair(p) ? utf16_combine(p[0], p[1]) : p[0];
}

// The same in a text of n units that need not be terminated: the code point
// at text[i] (i < n), with the units it takes in *units.
inline char32_t utf16_decode(const char16_t* text, std::size_t i, std::size_t n, int* units) {
    if (i + 1 < n && utf16_is_pair(text + i)) {
        *units = 2;
        return utf16_combine(text[i], text[i + 1]);
    }
    *units = 1;
    return text[i];
}

// Units of the character that ends at text[i - 1] (i > 0): 2 for a pair.
inline int utf16_units_before(const char16_t* text, std::size_t i) {
    return i >= 2 && utf16_is_pair(text + i - 2) ? 2 : 1;
}

// Units taken by the character at p (2 for a well-formed pair, else 1).
inline int utf16_units_at(const char16_t* p) { return utf16_is_pair(p) ? 2 : 1; }

// Units needed to write cp.
inline int utf16_units_of(char32_t cp) { return cp >= 0x10000 ? 2 : 1; }

// Writes cp (one unit, or a pair above U+FFFF); returns the pointer behind it.
inline char16_t* utf16_put_code_point(char16_t* p, char32_t cp) {
    if (cp < 0x10000) {
        *p++ = char16_t(cp);
    } else {
        *p++ = utf16_high_of(cp);
        *p++ = utf16_low_of(cp);
    }
    return p;
}

// Length in units of a NUL-terminated string.
inline std::size_t utf16_length(const char16_t* s) {
    const char16_t* p = s;
    while (*p) ++p;
    return std::size_t(p - s);
}

// Compares NUL-terminated strings character by character; the result is the
// difference of the first differing code points (0 when equal).
int utf16_compare(const char16_t* a, const char16_t* b);
// The same with only 'A'-'Z' folded to lower case.
int utf16_compare_ascii_nocase(const char16_t* a, const char16_t* b);
