// Conversion between half-width and full-width forms of ASCII and katakana,
// for the to-full-width and to-half-width commands on a selection.
#pragma once

#include <cstddef>

// Both convert the NUL-terminated src into dst (dst_units counts the NUL):
// ASCII with `ascii` non-zero, katakana with `kana` non-zero. They return 1
// when any character was converted, 0 when none was, and -1 when dst is too
// small (dst then holds as much as fitted, NUL-terminated, when dst_units > 0).
// Surrogate pairs pass through unchanged.
int jwidth_to_fullwidth(const char16_t* src, char16_t* dst, size_t dst_units, int ascii, int kana);
int jwidth_to_halfwidth(const char16_t* src, char16_t* dst, size_t dst_units, int ascii, int kana);

// Units always enough for either conversion of src, the NUL included (a
// voiced kana becomes two units in half width).
size_t jwidth_halfwidth_units(const char16_t* src);
