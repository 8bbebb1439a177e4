// The regular-expression engine's public face: the compiled regex, the text
// access table through which any host lets the engine read its text, the
// search entry points and replacement templates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textengine/regex/regex_node.h"

// A position inside the engine is (line, column), column in UTF-16 units.
struct RegexPos {
    int line;
    int col;
};

// How the engine reads a host's text. Every line's text is NUL-terminated;
// a step that lands on the NUL asks `next` to complete it.
struct RegexTextOps {
    void* host;
    // Pointer to the character at pos; an empty text for a line the host lacks.
    const char16_t* (*char_at)(void* host, RegexPos pos);
    // The line's text and length in units; null when there is no such line.
    const char16_t* (*get_line)(void* host, int line, int* length);
    // Completes a step that landed on a line's terminator; returns the new
    // character pointer (for the last line the terminator itself).
    const char16_t* (*next)(void* host, RegexPos* pos);
    // Back one character (a pair and CR LF count as one); null at (0, 0).
    const char16_t* (*previous)(void* host, RegexPos* pos);
    // Moves pos to the start of the following line; 0 when there is none.
    int (*next_line_start)(void* host, RegexPos* pos);
    // Units from one position to a later one.
    int (*distance)(void* host, RegexPos from, RegexPos to);
    int (*is_line_start)(void* host, RegexPos pos);
    // \=A \=z \=^ \=$; each may be null (the anchor never holds).
    int (*anchor[4])(void* host, RegexPos pos);
};

struct RegexGroupSlot {
    int start_line, start_col;
    int end_line, end_col;
    int length;  // units; -1 = not set
};

// Results below zero that a search can give besides 0 (no match). A caller
// must report these, never treat them as "no match".
enum : int {
    REGEX_ERR_NONE_REGEX = -1,  // string entry points given no regex
    REGEX_ERR_STACK = -2,       // the backtracking stack ran out
    REGEX_ERR_BUDGET = -3,      // too much backtracking in one search (of one line)
};

enum RegexStrategyKind : int {
    REGEX_STRATEGY_NONE = 0,
    REGEX_STRATEGY_EVERY = 1,
    REGEX_STRATEGY_FIRST_CHAR = 2,
    REGEX_STRATEGY_LITERAL = 3,
    REGEX_STRATEGY_LINE_START = 4,
    REGEX_STRATEGY_FIRST_SET = 5,
    REGEX_STRATEGY_WORD_BOUNDARY = 6,
    REGEX_STRATEGY_LEADING_DOTS = 7,  // ".*" or ".+" first: one try per line
};

struct LiteralSearcher;
struct RegexFirstSet;
struct RegexMemo;
struct RegexRequired;
struct RegexFrame;
struct CompiledRegex;

// Searches from *pos (in: start; out: match start); *end receives the match
// end. A limit whose line is negative means none; otherwise the search stops
// once the position lies beyond the limit. 1 found, 0 none, < 0 an error.
using RegexStrategyFn = int (*)(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                                RegexPos limit);

struct CompiledRegex {
    RegexProgram prog;  // arena, root (null when a pure literal), groups, options

    int strategy = REGEX_STRATEGY_NONE;
    int strategy_fold = 0;       // fold flags of the first character
    int32_t strategy_char = 0;   // first character (strategy 2)
    const RegexCharClass* strategy_class = nullptr;  // strategy 5
    RegexFirstSet* first_set = nullptr;              // strategies 2 and 5: units that can start
    LiteralSearcher* literal = nullptr;              // strategy 3
    RegexRequired* required = nullptr;               // a character every match holds; null when none is known
    // The whole pattern is one greedy run of this single-character atom
    // ("x*", "[a-z]+"), at least run_min long: matched without the machine.
    const RegexNode* run_atom = nullptr;
    int run_min = 0;
    bool graph_dropped = false;                      // the searcher alone decides
    RegexStrategyFn search = nullptr;

    RegexGroupSlot last_groups[REGEX_MAX_GROUPS];
    int last_closed = -1;

    RegexPos match_start = {0, 0};
    RegexPos match_end = {0, 0};

    RegexFrame* frames = nullptr;
    int frame_top = 0;
    int frame_capacity = 0;
    int frame_limit = 32768;     // frames the stack may grow to (REGEX_MAX_FRAMES; tests give less)
    int sub_depth = 0;           // nested sub-matches running now

    // Every search call (and every line of a multi-line host it walks)
    // starts with `budget` backtracks and gains `budget_per_try` for each
    // start position tried; running out gives REGEX_ERR_BUDGET.
    long long budget_left = 0;
    long long budget = 10000000;
    long long budget_per_try = 64;
    int budget_line = 0;         // the line the budget is counted for
    bool new_search = true;      // the next try starts a search call

    // True when whether the rest of a match succeeds from a node depends
    // on the node and the position alone (no back-reference, condition,
    // recursion): failures may then be remembered.
    bool position_decides = false;
    RegexMemo* memo = nullptr;       // failed (branch, position) pairs; null when none may be kept
    RegexMemo* memo_live = nullptr;  // the memo while it is switched on for the current line
    long long work = 0;              // steps and backtracks on this line
    long long memo_check_at = 0x7FFFFFFFFFFFFFFF;  // work at which the current try switches the memo on
};

CompiledRegex* regex_compile(const char16_t* pattern, int flags);
// The same for a pattern of a given length in units (a NUL still ends it).
CompiledRegex* regex_compile_n(const char16_t* pattern, int length, int flags);
// The same, giving in *error (when not null) why a pattern does not compile:
// a RegexCompileError, 0 when it does.
CompiledRegex* regex_compile_checked(const char16_t* pattern, int length, int flags, int* error);
// The message for a RegexCompileError, as a user reads it.
const char16_t* regex_compile_error_text(int error);
// Finds the text as it stands (no regex language).
CompiledRegex* regex_compile_literal(const char16_t* text, int flags);
void regex_free(CompiledRegex* re);

// Search from column `start` of a NUL-terminated text: 1 with the first match
// (start column and length), 0 none, -1 no regex, or another error below 0.
int regex_search_string(CompiledRegex* re, const char16_t* text, int start, int* match_col, int* match_len);
// The same when the text's length (units before its NUL) is known.
int regex_search_string_n(CompiledRegex* re, const char16_t* text, int length, int start, int* match_col,
                          int* match_len);
int regex_search_string_from_start(CompiledRegex* re, const char16_t* text);
// Searches a host from (0, 0) without limit.
int regex_search_ops(CompiledRegex* re, const RegexTextOps* ops);

// Match at one position. cur is the character at pos, prev the one before it
// (null: ask the host). 1 with *end and re->match_start, 0 no match, < 0 error.
int regex_match_at(CompiledRegex* re, const RegexTextOps* ops, RegexPos pos, const char16_t* cur,
                   const char16_t* prev, RegexPos* end);

// The text host over a NUL-terminated string seen as line 0. The host record
// must outlive the ops that point to it.
struct RegexStringHost {
    const char16_t* text;
    int length;  // units before the NUL
};
RegexTextOps regex_string_ops(RegexStringHost* host);

// Replacement templates ("$&", "\1", "$+{name}" ...).
int regex_template_has_sequences(const char16_t* tmpl);
// Writes the expansion into out (capacity out_units including its NUL) when
// out is not null; returns the expansion's length + 1. A too small out gets
// a truncated, NUL-terminated expansion.
int regex_expand_template(const RegexTextOps* ops, RegexPos start, RegexPos end, const char16_t* tmpl,
                          const CompiledRegex* re, char16_t* out, size_t out_units);
// Copies count units from pos, stepping as the matcher does; returns the
// units written (never more than out_units).
int regex_copy_text(char16_t* out, size_t out_units, const RegexTextOps* ops, RegexPos pos, int count);

// Called per match for its replacement text; null stops the replace (the
// result is then null).
using RegexReplaceCallback = const char16_t* (*)(void* user, CompiledRegex* re);

// The text with the first (or every) match replaced. The result is `text`
// itself when nothing matched, `buffer` when it fits (buffer_units given),
// else a new[] array (free it with regex_free_replace_result); null on an
// error or a callback's stop (a failed search never passes as no match).
const char16_t* regex_replace_string(CompiledRegex* re, const char16_t* text, const char16_t* tmpl, bool all,
                                     char16_t* buffer, size_t buffer_units, RegexReplaceCallback callback,
                                     void* user);
void regex_free_replace_result(const char16_t* result, const char16_t* text, const char16_t* buffer);
