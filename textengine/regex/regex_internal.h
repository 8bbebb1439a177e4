// Records shared by the compiler, the search strategies and the matcher.
#pragma once

#include <vector>

#include "textengine/regex/regex.h"
#include "textengine/utf16.h"

#if defined(__GNUC__)
#define REGEX_UNLIKELY(x) __builtin_expect(!!(x), 0)
// For a step of the search loops that must cost what it would written out
// in each of them.
#define REGEX_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define REGEX_UNLIKELY(x) (x)
#define REGEX_ALWAYS_INLINE inline
#endif

// The state of one match attempt; every choice point is a whole copy.
enum : int {
    FRAME_RUN = 0,       // the running state (or a taken choice)
    FRAME_CHOICE = 1,    // a branch: `way` says which way was taken
    FRAME_PROGRESS = 2,  // marker of an empty-progress check
    FRAME_RECURSE = 3,   // marker of a recursion call
    FRAME_STAR = 4,      // a loop over a single-character atom
};

struct RegexFrame {
    RegexNode* node;
    int type;
    int way;  // FRAME_CHOICE: 0 took next, 1 took alt
    RegexPos pos;
    RegexPos start;  // match start (moved by \K)
    const char16_t* cur;
    const char16_t* prev;  // null: ask the host
    int last_closed;
    int rec_group;   // -1 outside a recursion; 0 the whole pattern; else group number
    int rec_caller;  // index of the recursion marker
    // FRAME_STAR: the run's first position and how many characters it still holds.
    RegexPos star_pos;
    int star_count;
    RegexGroupSlot groups[REGEX_MAX_GROUPS];
};

enum : int {
    REGEX_INITIAL_FRAMES = 32,
    REGEX_MAX_FRAMES = 32768,
    REGEX_MAX_SUB_DEPTH = 400,           // nested sub-matches (lookaround in recursion)
};

// Node marks set by the compiler.
enum : uint8_t {
    MARK_VISIT = 0x01,
    MARK_STAR = 0x02,        // a loop over a single-character atom, detected at compile
    MARK_STAR_ALT = 0x04,    // ... whose loop way is alt (else next)
    MARK_STAR_LAZY = 0x08,
    MARK_COLLECT = 0x10,
    MARK_AFTER_RECURSE = 0x20,
    MARK_IN_RUN = 0x40,         // absorbed into a string by the compiler  // the progress check after a recursion (see the matcher)
};

// True when the code point at cur is the end of the text.
inline bool regex_is_end(const char16_t* cur) { return cur[0] == 0; }

inline bool regex_high_surrogate(char16_t u) { return utf16_is_high_surrogate(u); }
inline bool regex_low_surrogate(char16_t u) { return utf16_is_low_surrogate(u); }

// One step forward over the character at cur, by the walking rule: a pair is
// one character, CR LF is one character seen at its LF, and a step onto a
// NUL is completed by the host.
inline const char16_t* regex_step(const RegexTextOps* ops, RegexPos* pos, const char16_t* cur) {
    int n = (regex_high_surrogate(cur[0]) && regex_low_surrogate(cur[1])) ? 2 : 1;
    const char16_t* p = cur + n;
    if (*p != 0) {
        pos->col += n;
        if (p[0] == u'\r' && p[1] == u'\n') {
            ++p;
            ++pos->col;
        }
        return p;
    }
    return ops->next(ops->host, pos);
}

inline bool regex_pos_beyond(RegexPos p, RegexPos limit) {
    return limit.line >= 0 && (p.line > limit.line || (p.line == limit.line && p.col > limit.col));
}

// Case-sensitive or case-insensitive search of a fixed UTF-16 text.
struct LiteralSearcher {
    bool icase;
    char16_t* pattern;  // case-folded for icase
    int length;
    uint8_t shift[65536];  // shifts above 255 are capped: a shorter shift is always safe
};

LiteralSearcher* literal_searcher_new(const char16_t* text, int length, bool icase);
void literal_searcher_free(LiteralSearcher* ls);
// First hit in text[from, n) at a whole character; the index or -1.
int literal_searcher_find(const LiteralSearcher* ls, const char16_t* text, int n, int from);

// The matcher's machine; also used by the strategies.
int regex_match_internal(CompiledRegex* re, const RegexTextOps* ops, RegexPos pos, const char16_t* cur,
                         const char16_t* prev, RegexPos* end);

// A character every match holds (in one of up to four units, as folding
// allows), and where the current search call last looked for it.
struct RegexRequired {
    char16_t units[4];
    int count;
    bool crosses_lines;  // a match may consume a line end
    int reach;           // units from a match's start to the character at most; -1 unbounded
    RegexPos from;       // looked from here (line -1: not yet in this call) ...
    RegexPos at;         // ... and found it here (line -1: not found)
    int none;            // what not finding it meant
};

enum : int {
    REGEX_REQUIRED_MAYBE = 0,        // a match may start here
    REGEX_REQUIRED_NOT_ON_LINE = 1,  // none starts here or later on this line
    REGEX_REQUIRED_NOT_AFTER = 2,    // none starts here or later at all
    REGEX_REQUIRED_NOT_HERE = 3,     // none starts here: the character lies too far on
};

// Finds the required character (compile, after the passes); non-zero when
// memory is short.
int regex_plan_required(CompiledRegex* re, const std::vector<RegexNode*>& all);
// Whether a match can start at p or later, judged by the required
// character (re->required must be set).
int regex_required_absent(CompiledRegex* re, const RegexTextOps* ops, RegexPos p);

// Every strategy starts a search call with regex_search_begin and tries
// each start position with regex_try_at, which counts the step budget per
// call and line and keeps the record of failed states for that line.
inline void regex_search_begin(CompiledRegex* re) {
    re->new_search = true;
    if (re->required) re->required->from.line = -1;
}
void regex_start_line(CompiledRegex* re, RegexPos pos);
void regex_check_memo(CompiledRegex* re, RegexPos pos);

// When the record of failed states is switched on for a line: once one try
// costs this much, or all tries on the line more than the line warrants.
enum : long long {
    REGEX_MEMO_TRY_WORK = 16384,
    REGEX_MEMO_LINE_WORK = 16384,
    REGEX_MEMO_WORK_PER_COLUMN = 64,
};

inline int regex_try_at(CompiledRegex* re, const RegexTextOps* ops, RegexPos pos, const char16_t* cur,
                        const char16_t* prev, RegexPos* end) {
    if (REGEX_UNLIKELY(re->new_search || pos.line != re->budget_line))
        regex_start_line(re, pos);
    else
        re->budget_left += re->budget_per_try;
    if (re->memo) {
        re->memo_check_at = re->work + REGEX_MEMO_TRY_WORK;
        if (!re->memo_live && re->work > REGEX_MEMO_LINE_WORK) regex_check_memo(re, pos);
    }
    return regex_match_internal(re, ops, pos, cur, prev, end);
}

// Failed states of one line's search: a bit per (branch node, column).
// A branch reached again at a column where it was reached before in the
// same search has failed there (a success would have ended the search, and
// no loop returns to a column without consuming), so the second visit
// fails at once. Only kept where `position_decides`, outside sub-matches,
// and switched on once a line's search does more work than its length
// warrants (or a try grows deep, when it also lets the matcher drop choice
// points that cannot matter), so ordinary searches never pay for it.
struct RegexMemo {
    uint64_t* bits = nullptr;
    size_t capacity = 0;  // words
    size_t used = 0;      // words that may hold marks; the rest are zero
    int slots = 0;        // branch nodes
    int line = -1;
    int base_col = 0;     // column of bit row 0
    bool eager = false;   // on from a line's first try (to check it against the plain machine)
};

void regex_memo_free(RegexMemo* memo);

// Chooses and installs the search strategy (compile's last step).
int regex_choose_strategy(CompiledRegex* re, const char16_t* pattern, int length);

int regex_strategy_every(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);
int regex_strategy_first_char(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);
int regex_strategy_literal(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);
int regex_strategy_line_start(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);
int regex_strategy_first_set(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);
int regex_strategy_word_boundary(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);
int regex_strategy_leading_dots(CompiledRegex*, const RegexTextOps*, RegexPos*, RegexPos*, RegexPos);

// Set of UTF-16 units that can start a match (strategies 2 and 5). A
// candidate pair is marked by its high surrogate.
struct RegexFirstSet {
    uint32_t bits[65536 / 32];
    // The set as a few ranges [low, low + width], for the block scan; 0
    // when it takes more.
    int range_count = 0;
    char16_t low[6];
    char16_t width[6];
    bool test(char16_t u) const { return (bits[u >> 5] >> (u & 31)) & 1u; }
    void set(uint32_t u) { bits[u >> 5] |= 1u << (u & 31); }
};
