// Lexical helpers shared by the tokenizer, the class builder and the parser.
#pragma once

#include "textengine/regex/regex_node.h"

// Passes over a bracket class starting at "[": returns the pointer behind its
// closing "]", or null when the pattern ends first.
const char16_t* regex_skip_class(const char16_t* p, const char16_t* end);

// Passes over comment groups "(?#...)" at p; null when one is unbalanced.
const char16_t* regex_skip_comments(const char16_t* p, const char16_t* end);

// Builds the class record for the text between "[" and "]" under the option
// word. Returns null for an invalid class (descending range, an unknown
// "[:name:]") or no memory, with the reason in *error.
RegexCharClass* regex_build_class(RegexProgram* prog, const char16_t* p, const char16_t* end,
                                  int options, int* error);

// The class of one of \d \D \w \W \s \S \l under the option word.
RegexCharClass* regex_escape_class(RegexProgram* prog, char16_t letter, int options);

// Value of a hex digit as \x accepts it (lower case only), or -1.
inline int regex_hex_digit(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Decodes the \x escape whose "x" is at p (token end at end): "\xHH" or
// "\x{H...}". Returns the code point, or -1 when it is no valid code point.
int32_t regex_decode_hex_escape(const char16_t* p, const char16_t* end, const char16_t** after);
