// The regex engine's shared records: tokens, the class record, nodes, the
// node arena and the parsed program. The parser (regex_parse.cpp) builds a
// RegexProgram; the compiler and matcher work on its node graph.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textengine/utf16.h"

// ---------------------------------------------------------------------------
// Code points and folding

// Reads the code point at p, joining a high surrogate only with a following
// low surrogate that lies before end. *units receives 1 or 2. p < end.
inline int32_t regex_read_cp(const char16_t* p, const char16_t* end, int* units) {
    return int32_t(utf16_decode(p, 0, std::size_t(end - p), units));
}

// The same on NUL-terminated text: the unit after a high surrogate is only
// looked at (a NUL there is no low surrogate), never stepped over.
inline int32_t regex_cp_at(const char16_t* p, int* units) {
    *units = utf16_units_at(p);
    return int32_t(utf16_get_code_point(p));
}

// A-Z and full-width Ａ-Ｚ to lower case; nothing else changes.
inline int32_t regex_case_fold(int32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
    return c;
}

// a-z and ａ-ｚ to upper case (the partner of regex_case_fold).
inline int32_t regex_case_upper(int32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
    return c;
}

// Full-width ASCII (U+FF01-U+FF5D) and six punctuation marks to ASCII.
inline int32_t regex_width_fold(int32_t c) {
    if (c < 0x2018) return c;
    if (c >= 0xFF01 && c <= 0xFF5D) return c - 0xFEE0;
    switch (c) {
    case 0x3000: return ' ';
    case 0xFFE5: return '\\';
    case 0xFFE3: return '~';
    case 0x201D: return '"';
    case 0x2019: return '\'';
    case 0x2018: return '`';
    }
    return c;
}

// Literal-node fold flags (RegexNode::aux of kinds 2, 3, 7, 8).
enum : int {
    REGEX_FOLD_CASE = 1,
    REGEX_FOLD_WIDTH = 2,
};

// Case fold first, then width fold, as the flags ask.
inline int32_t regex_fold(int32_t c, int fold_flags) {
    if (fold_flags & REGEX_FOLD_CASE) c = regex_case_fold(c);
    if (fold_flags & REGEX_FOLD_WIDTH) c = regex_width_fold(c);
    return c;
}

// The ASCII \w set (word boundaries).
inline bool regex_is_word_char(int32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// ---------------------------------------------------------------------------
// Compile flags and the option word

enum RegexCompileFlags : int {
    REGEX_COMPILE_ICASE = 1,   // ignore case
    REGEX_COMPILE_IWIDTH = 2,  // ignore width
};

// Why a pattern does not compile (0: it does).
enum RegexCompileError : int {
    REGEX_COMPILE_OK = 0,
    REGEX_COMPILE_INVALID = 1,        // any other fault of the pattern's syntax
    REGEX_COMPILE_BAD_RANGE = 2,      // a repeat's maximum below its minimum: a{2,1}
    REGEX_COMPILE_NO_GROUP = 3,       // a reference to a group number the pattern lacks
    REGEX_COMPILE_NO_NAME = 4,        // a reference to a group name the pattern lacks
    REGEX_COMPILE_UNKNOWN_CLASS = 5,  // [[:foo:]]
    REGEX_COMPILE_TOO_LARGE = 6,      // too many nodes, too deep, too large a count
    REGEX_COMPILE_NO_MEMORY = 7,
};

// Option word bits, switched by (?sSiw) inside a pattern.
enum : int {
    REGEX_OPT_DOTALL = 1,    // s: "." matches LF
    REGEX_OPT_SPACE_LF = 2,  // S: \s also matches LF
    REGEX_OPT_ICASE = 4,     // i
    REGEX_OPT_IWIDTH = 8,    // w
};

// ---------------------------------------------------------------------------
// Tokens

enum RegexTokenKind : int {
    REGEX_TOK_LITERAL = 0,     // one code point; also a stray ")", "]" or "}"
    REGEX_TOK_CLASS = 1,       // "[" ... "]"
    REGEX_TOK_DOT = 2,
    REGEX_TOK_GROUP = 3,       // "(" ... ")"
    REGEX_TOK_COMMENT = 4,     // "(?#" ... ")"
    REGEX_TOK_QUANTIFIER = 5,  // * + ? {...}, with an optional ? or + suffix
    REGEX_TOK_BAR = 6,
    REGEX_TOK_ESCAPE = 7,
    REGEX_TOK_CARET = 8,
    REGEX_TOK_DOLLAR = 9,
};

struct RegexToken {
    int kind;
    const char16_t* start;
    int length;  // UTF-16 units
};

// Cuts the token at p (comment groups before it are skipped). Returns 1 with
// the token, 0 at the end of the pattern (end reached or a NUL), -1 when the
// pattern is invalid there.
int regex_next_token(const char16_t* p, const char16_t* end, RegexToken* out);

// ---------------------------------------------------------------------------
// Character classes

enum : int {
    REGEX_CLASS_NEGATED = 1,     // "[^"
    REGEX_CLASS_ABOVE_255 = 2,   // every code point above 255 is a member
    REGEX_CLASS_WIDTH_FOLD = 4,  // width-fold the tested character
};

struct RegexRange {
    int32_t low, high;
};

struct RegexCharClass {
    int flags;
    int range_count;
    RegexRange* ranges;   // ranges that do not fit the bitmap
    int single_count;
    int32_t* singles;     // code points above 255
    uint32_t bitmap[8];   // code points 0-255
};

inline bool regex_class_bit(const RegexCharClass* cc, int32_t c) {
    return (cc->bitmap[c >> 5] >> (c & 31)) & 1u;
}

// The singles are sorted and unique: a short list is scanned, a long one
// (a pasted run of kanji) halved.
inline bool regex_class_has_single(const RegexCharClass* cc, int32_t c) {
    const int32_t* s = cc->singles;
    int lo = 0, hi = cc->single_count;
    if (hi <= 16) {
        for (int i = 0; i < hi; ++i)
            if (s[i] == c) return true;
        return false;
    }
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (s[mid] < c) lo = mid + 1;
        else hi = mid;
    }
    return lo < cc->single_count && s[lo] == c;
}

// Membership test; c = 0 (end of text) is never a member.
inline bool regex_class_contains(const RegexCharClass* cc, int32_t c) {
    if (c == 0) return false;
    if (cc->flags & REGEX_CLASS_WIDTH_FOLD) c = regex_width_fold(c);
    bool in;
    if (c <= 255) {
        in = regex_class_bit(cc, c);
    } else {
        in = (cc->flags & REGEX_CLASS_ABOVE_255) != 0 || regex_class_has_single(cc, c);
        for (int i = 0; !in && i < cc->range_count; ++i)
            in = cc->ranges[i].low <= c && c <= cc->ranges[i].high;
    }
    return in != ((cc->flags & REGEX_CLASS_NEGATED) != 0);
}

// ---------------------------------------------------------------------------
// Nodes

enum RegexNodeKind : int {
    RN_EMPTY = 0,
    RN_BRANCH = 1,           // value: '|' '*' '+' '?'; choice 1 = alt first
    RN_CHAR = 2,             // value: folded code point; aux: fold flags
    RN_STRING = 3,           // str[0..value): folded code points; aux: fold flags
    RN_ANY = 4,              // any but LF and end
    RN_ANY_ALL = 5,          // any but end
    RN_CLASS = 6,            // cls
    RN_BACKREF = 7,          // value: 0-based group; aux: fold flags
    RN_NAMED_BACKREF = 8,    // name/name_length; aux: fold flags
    RN_LINE_START = 9,       // ^
    RN_TEXT_START = 10,      // \A
    RN_LINE_END = 11,        // $
    RN_TEXT_END_LF = 12,     // \Z
    RN_TEXT_END = 13,        // \z
    RN_WORD_BOUNDARY = 14,   // \b
    RN_NOT_WORD_BOUNDARY = 15,  // \B
    RN_OPEN = 16,            // value: 0-based group
    RN_CLOSE = 17,           // value: 0-based group
    RN_PROGRESS = 18,        // empty-progress check
    RN_LOOKAHEAD = 19,       // next: the body; sub: the body's RN_SUB_END, whose next
                             // continues the pattern (kinds 19-23 alike)
    RN_NEG_LOOKAHEAD = 20,
    RN_ATOMIC = 21,
    RN_LOOKBEHIND = 22,      // value: width in characters
    RN_NEG_LOOKBEHIND = 23,
    RN_SUB_END = 24,         // ends a sub-pattern; its next continues the pattern
    RN_COND = 25,            // alt: yes way; next: no way; sub: a kind 26-28 node, or
                             // else the first node of a condition sub-pattern
                             // that ends in RN_SUB_END
    RN_COND_GROUP = 26,      // value: 0-based group
    RN_COND_NAME = 27,       // name/name_length
    RN_COND_RECURSION = 28,  // value: 0 any recursion, else group number 1-10
    RN_HOST_TEXT_START = 29,  // \=A
    RN_HOST_TEXT_END = 30,    // \=z
    RN_HOST_LINE_START = 31,  // \=^
    RN_HOST_LINE_END = 32,    // \=$
    RN_KEEP = 33,            // \K
    RN_RECURSE = 34,         // value: 0 whole pattern, else group number 1-10; next: its RN_PROGRESS
    RN_POSSESSIVE = 35,      // value: minimum; aux: maximum or -1; alt: the atom, which
                             // ends in RN_SUB_END; next: continues the pattern
    RN_KIND_COUNT = 36,
};

struct RegexNode {
    int kind;
    int32_t value;
    int32_t aux;
    uint8_t choice;  // 0 = try next first, 1 = try alt first
    uint8_t marks;   // scratch bits of the compile passes
    int serial;      // creation number within the program
    int memo_slot;   // kind 1: its row in the search's record of failed states
    RegexNode* next;
    RegexNode* alt;
    RegexNode* sub;           // kinds 19-23: the body's RN_SUB_END; 25: the condition node
    RegexCharClass* cls;      // kind 6
    const int32_t* str;       // kind 3
    const char16_t* name;     // kinds 8, 27 and a named recursion (34); not NUL-terminated
    int name_length;
    const uint8_t* first_table;  // kind 1: 32-byte first-character table (compile pass 3)
};

// ---------------------------------------------------------------------------
// Node arena: a chain of blocks, freed all at once.

struct RegexArenaBlock {
    RegexArenaBlock* link;
    // data follows
};

struct RegexArena {
    RegexArenaBlock* head = nullptr;
    size_t capacity = 0;  // bytes of the head block's data
    size_t used = 0;      // bytes used in the head block
};

// Zeroed memory, requests rounded up to a multiple of the pointer size so
// records stay aligned; null when memory is short. Blocks hold 1024 bytes
// (more for a larger request) behind their link.
void* regex_arena_alloc(RegexArena* arena, size_t size);
void regex_arena_free(RegexArena* arena);

// ---------------------------------------------------------------------------
// The parsed program

enum : int {
    REGEX_MAX_GROUPS = 10,
    REGEX_MAX_NODES = 200000,   // more makes the pattern invalid
    REGEX_MAX_REPEAT = 100000,  // largest count in {n,m}
    REGEX_MAX_DEPTH = 250,      // group nesting
};

struct RegexProgram {
    RegexArena arena;
    RegexNode* root = nullptr;
    int group_count = 0;
    const char16_t* group_names[REGEX_MAX_GROUPS] = {};  // arena copies; null when unnamed
    int group_name_lengths[REGEX_MAX_GROUPS] = {};
    RegexNode* group_open[REGEX_MAX_GROUPS] = {};
    int options = 0;
    int serial = 0;  // nodes made so far
};

// Parses the pattern (length in units, or -1 for NUL-terminated) into prog,
// which must be fresh. Returns 0, or the RegexCompileError that stops it
// (prog keeps what it allocated; regex_program_free frees it).
int regex_parse(RegexProgram* prog, const char16_t* pattern, int length, int compile_flags);

// Builds the text as it stands (no regex language): a chain of literal nodes
// folded by the compile flags, ending in an empty node. 0, or non-zero when
// memory is short or the text is too long.
int regex_parse_literal(RegexProgram* prog, const char16_t* text, int length, int compile_flags);

// A zeroed node of the given kind with the next serial, or null (memory, or
// the node cap reached).
RegexNode* regex_new_node(RegexProgram* prog, int kind);

// Index of the first group of that name, or -1.
int regex_find_group(const RegexProgram* prog, const char16_t* name, int name_length);

void regex_program_free(RegexProgram* prog);
