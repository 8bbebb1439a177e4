// UTF-16 primitives shared by the text engine, the regex engine and the
// macro interpreter. A surrogate pair is one character everywhere; a lone
// surrogate is a character of its own and is never paired with what follows.
#pragma once

#include <cstddef>

inline bool utf16_is_high_surrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool utf16_is_low_surrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The code point at p: a pair only when a high surrogate is followed by a low
// one, so a lone high surrogate before the terminator never reads past it.
inline char32_t utf16_get_code_point(const char16_t* p) {
    const char32_t u = p[0];
    if (utf16_is_high_surrogate(u) && utf16_is_low_surrogate(p[1]))
        return (((u & 0x3FF) + 0x40) << 10) | (char32_t(p[1]) & 0x3FF);
    return u;
}

// Units taken by the character at p (2 for a well-formed pair, else 1).
inline int utf16_units_at(const char16_t* p) {
    return utf16_is_high_surrogate(p[0]) && utf16_is_low_surrogate(p[1]) ? 2 : 1;
}

// Units needed to write cp.
inline int utf16_units_of(char32_t cp) { return cp >= 0x10000 ? 2 : 1; }

// Writes cp (one unit, or a pair above U+FFFF); returns the pointer behind it.
inline char16_t* utf16_put_code_point(char16_t* p, char32_t cp) {
    if (cp < 0x10000) {
        *p++ = char16_t(cp);
    } else {
        *p++ = char16_t(0xD800 | (((cp - 0x10000) >> 10) & 0x3FF));
        *p++ = char16_t(0xDC00 | (cp & 0x3FF));
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
