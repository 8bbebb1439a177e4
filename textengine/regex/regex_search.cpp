// Search strategies: walk the text and run the matcher only where a match
// can start.
#include <cstring>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "textengine/cpu_features.h"
#ifdef WENDREL_HAS_X86_EXTENSIONS
#include <immintrin.h>
#endif

#include "textengine/regex/regex_internal.h"
#include "textengine/utf16.h"

namespace {

// ---------------------------------------------------------------------------
// Choosing the strategy

// Marks every unit u whose folded form is c (the units a literal node of
// value c with these fold flags accepts).
void first_set_add_char(RegexFirstSet* fs, int32_t c, int fold) {
    if (c > 0xFFFF) {
        fs->set(utf16_high_of(char32_t(c)));
        return;
    }
    fs->set(uint32_t(c));
    if (fold == 0) return;
    auto try_unit = [&](int32_t u) {
        if (regex_fold(u, fold) == c) fs->set(uint32_t(u));
    };
    for (int32_t u = 'A'; u <= 'Z'; ++u) try_unit(u);
    for (int32_t u = 0xFF01; u <= 0xFF5D; ++u) try_unit(u);
    for (int32_t u : {0x3000, 0xFFE5, 0xFFE3, 0x201D, 0x2019, 0x2018}) try_unit(u);
}

// The class's own members in the BMP, before folding and negation, laid
// out from its parts: a class of thousands of characters then costs its
// length once, not its length for each of the 64K units.
std::vector<uint32_t> class_member_bits(const RegexCharClass* cls) {
    std::vector<uint32_t> bits(0x10000 / 32, 0);
    auto set = [&](int32_t u) { bits[size_t(u) >> 5] |= 1u << (u & 31); };
    for (int32_t u = 0; u < 256; ++u)
        if (regex_class_bit(cls, u)) set(u);
    if (cls->flags & REGEX_CLASS_ABOVE_255)
        for (int32_t u = 256; u < 0x10000; ++u) set(u);
    for (int i = 0; i < cls->single_count; ++i)
        if (cls->singles[i] < 0x10000) set(cls->singles[i]);
    for (int i = 0; i < cls->range_count; ++i)
        for (int32_t u = cls->ranges[i].low; u <= cls->ranges[i].high && u < 0x10000; ++u) set(u);
    return bits;
}

void first_set_add_class(RegexFirstSet* fs, const RegexCharClass* cls) {
    const std::vector<uint32_t> members = class_member_bits(cls);
    const bool fold = (cls->flags & REGEX_CLASS_WIDTH_FOLD) != 0;
    const bool negated = (cls->flags & REGEX_CLASS_NEGATED) != 0;
    for (int32_t u = 1; u < 0x10000; ++u) {
        if (utf16_is_high_surrogate(char32_t(u))) {
            fs->set(uint32_t(u));  // a pair may be a member: the matcher decides
            continue;
        }
        const int32_t c = fold ? regex_width_fold(u) : u;
        const bool in = c < 0x10000 ? ((members[size_t(c) >> 5] >> (c & 31)) & 1u) != negated
                                    : regex_class_contains(cls, u);
        if (in) fs->set(uint32_t(u));
    }
}

struct FirstWalk {
    RegexFirstSet* fs;
    int atoms = 0;
};

// Adds the characters that can start a match from n; false when some way can
// start without a character (or the set would grow unwieldy).
bool first_set_walk(RegexNode* n, FirstWalk& w, int depth) {
    if (depth > 64) return false;
    while (n && !n->alt &&
           (n->kind == RN_EMPTY || n->kind == RN_OPEN || n->kind == RN_CLOSE || n->kind == RN_ATOMIC ||
            n->kind == RN_LOOKAHEAD))
        n = n->next;
    if (!n) return false;
    switch (n->kind) {
    case RN_EMPTY:
    case RN_BRANCH: {
        if (n->marks & MARK_COLLECT) return false;
        n->marks |= MARK_COLLECT;
        bool ok = first_set_walk(n->next, w, depth + 1) && first_set_walk(n->alt, w, depth + 1);
        n->marks &= uint8_t(~MARK_COLLECT);
        return ok;
    }
    case RN_CHAR:
        if (++w.atoms > 32) return false;
        first_set_add_char(w.fs, n->value, n->aux);
        return true;
    case RN_STRING:
        if (++w.atoms > 32) return false;
        first_set_add_char(w.fs, n->str[0], n->aux);
        return true;
    case RN_CLASS:
        if (++w.atoms > 8) return false;
        first_set_add_class(w.fs, n->cls);
        return true;
    default:
        return false;
    }
}

int install_first_set(CompiledRegex* re, RegexNode* first) {
    auto* fs = new (std::nothrow) RegexFirstSet;
    if (!fs) return -1;
    std::memset(fs->bits, 0, sizeof fs->bits);
    FirstWalk w{fs};
    if (!first_set_walk(first, w, 0)) {
        delete fs;
        return 0;
    }
    // A few ranges let the scan test a block of units at once.
    int count = 0;
    for (uint32_t u = 1; u < 0x10000 && count >= 0; ++u) {
        if (!fs->test(char16_t(u)) || fs->test(char16_t(u - 1))) continue;
        uint32_t v = u;
        while (v + 1 < 0x10000 && fs->test(char16_t(v + 1))) ++v;
        if (count == 6) {
            count = -1;
            break;
        }
        fs->low[count] = char16_t(u);
        fs->width[count] = char16_t(v - u);
        ++count;
    }
    fs->range_count = count < 0 ? 0 : count;
    re->first_set = fs;
    return 1;
}

// Chain end after n, passing empty nodes.
RegexNode* skip_empties(RegexNode* n) {
    while (n && n->kind == RN_EMPTY && !n->alt) n = n->next;
    return n;
}

// The dot kind (RN_ANY or RN_ANY_ALL) when the pattern begins, after capture
// starts, with a loop of dots (".*", ".*?", ".+") and later start positions
// can be ruled out; else 0.
int leading_dots(const CompiledRegex* re) {
    if (!re->position_decides) return 0;
    const RegexNode* n = re->prog.root;
    while (n && !n->alt && (n->kind == RN_EMPTY || n->kind == RN_OPEN)) n = n->next;
    if (!n) return 0;
    const RegexNode* loop = n;
    const RegexNode* dot = nullptr;
    if (n->kind == RN_ANY || n->kind == RN_ANY_ALL) {  // ".+": the dot, then its loop
        loop = n->next;
        dot = n;
    }
    if (!loop || loop->kind != RN_BRANCH || !(loop->marks & MARK_STAR)) return 0;
    const RegexNode* atom = (loop->marks & MARK_STAR_ALT) ? loop->alt : loop->next;
    if (dot && atom != dot) return 0;
    return atom->kind == RN_ANY || atom->kind == RN_ANY_ALL ? atom->kind : 0;
}

}  // namespace

int regex_choose_strategy(CompiledRegex* re, const char16_t* pattern, int length) {
    RegexNode* n = re->prog.root;
    while (n && !n->alt &&
           (n->kind == RN_EMPTY || n->kind == RN_OPEN || n->kind == RN_LOOKAHEAD || n->kind == RN_ATOMIC))
        n = n->next;

    if (n && n->kind == RN_STRING && !(n->aux & REGEX_FOLD_WIDTH)) {
        char16_t units[260];
        int u = 0;
        bool has_cr = false;
        for (int i = 0; i < n->value && u < 256; ++i) {
            int32_t c = n->str[i];
            if (c == '\n') break;
            if (c == '\r') has_cr = true;
            if (c > 0xFFFF) {
                units[u++] = utf16_high_of(char32_t(c));
                units[u++] = utf16_low_of(char32_t(c));
            } else {
                units[u++] = char16_t(c);
            }
        }
        if (u >= 3 && u <= 128) {
            re->literal = literal_searcher_new(units, u, (n->aux & REGEX_FOLD_CASE) != 0);
            if (!re->literal) return 1;
            re->strategy = REGEX_STRATEGY_LITERAL;
            re->strategy_fold = n->aux;
            re->search = regex_strategy_literal;
            // The searcher alone decides only when the whole graph is this one
            // string (a CR would see CR LF differently from the matcher).
            if (skip_empties(re->prog.root) == n && !skip_empties(n->next) && !has_cr &&
                re->prog.group_count == 0) {
                re->graph_dropped = true;
                re->prog.root = nullptr;
                delete re->required;  // the searcher alone decides
                re->required = nullptr;
            }
            return 0;
        }
    }

    re->strategy = REGEX_STRATEGY_EVERY;
    re->search = regex_strategy_every;
    if (!n) return 0;
    if (int dots = leading_dots(re)) {
        re->strategy = REGEX_STRATEGY_LEADING_DOTS;
        re->strategy_fold = dots == RN_ANY_ALL;  // the dots cross lines
        re->search = regex_strategy_leading_dots;
        return 0;
    }
    switch (n->kind) {
    case RN_CHAR:
    case RN_STRING:
        re->strategy = REGEX_STRATEGY_FIRST_CHAR;
        re->strategy_char = n->kind == RN_CHAR ? n->value : n->str[0];
        re->strategy_fold = n->aux;
        re->search = regex_strategy_first_char;
        if (install_first_set(re, n) < 0) return 1;
        return 0;
    case RN_CLASS:
    case RN_BRANCH: {
        int r = install_first_set(re, n);
        if (r < 0) return 1;
        if (r > 0) {
            re->strategy = REGEX_STRATEGY_FIRST_SET;
            re->strategy_class = n->kind == RN_CLASS ? n->cls : nullptr;
            re->search = regex_strategy_first_set;
        }
        return 0;
    }
    case RN_LINE_START:
        re->strategy = REGEX_STRATEGY_LINE_START;
        re->search = regex_strategy_line_start;
        return 0;
    case RN_WORD_BOUNDARY:
        re->strategy = REGEX_STRATEGY_WORD_BOUNDARY;
        re->search = regex_strategy_word_boundary;
        return 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Walking the text

namespace {

// Runs the matcher at one start: 1 with the match (*pos its start), 0 when
// it fails there, < 0 an error.
inline int try_start(CompiledRegex* re, const RegexTextOps* ops, RegexPos at, const char16_t* cur,
                     const char16_t* prev, RegexPos* pos, RegexPos* end) {
    const int r = regex_try_at(re, ops, at, cur, prev, end);
    if (r > 0) *pos = re->match_start;
    return r;
}

inline const char16_t* normalise_crlf(RegexPos* p, const char16_t* cur) {
    if (cur[0] == u'\r' && cur[1] == u'\n') {
        ++p->col;
        return cur + 1;
    }
    return cur;
}

// Whether a match may start at p, judged by the character every match holds.
inline int required_verdict(CompiledRegex* re, const RegexTextOps* ops, RegexPos p) {
    return REGEX_UNLIKELY(re->required != nullptr) ? regex_required_absent(re, ops, p) : REGEX_REQUIRED_MAYBE;
}

// Moves a walk to the next line's start: false when there is none.
inline bool walk_to_next_line(const RegexTextOps* ops, RegexPos* p, const char16_t** cur, const char16_t** prev) {
    if (!ops->next_line_start(ops->host, p)) return false;
    *cur = normalise_crlf(p, ops->char_at(ops->host, *p));
    *prev = nullptr;
    return true;
}

// Where a walk goes on after a candidate start.
enum class WalkOn { stop, next_line, next_char };

// A candidate start at p, judged first by the character every match holds,
// then tried: stop with the search's result in *result (a match, an error,
// or 0 when no match can come any more), next_line with the walk moved to
// the next line's start, or next_char to step past p.
REGEX_ALWAYS_INLINE WalkOn try_candidate(CompiledRegex* re, const RegexTextOps* ops, RegexPos* p, const char16_t** cur,
                            const char16_t** prev, RegexPos* pos, RegexPos* end, int* result) {
    const int v = required_verdict(re, ops, *p);
    if (v == REGEX_REQUIRED_NOT_AFTER || v == REGEX_REQUIRED_NOT_ON_LINE) {
        *result = 0;
        if (v == REGEX_REQUIRED_NOT_AFTER || !walk_to_next_line(ops, p, cur, prev)) return WalkOn::stop;
        return WalkOn::next_line;
    }
    if (v == REGEX_REQUIRED_MAYBE) {
        *result = try_start(re, ops, *p, *cur, *prev, pos, end);
        if (*result) return WalkOn::stop;
    }
    return WalkOn::next_char;
}

// Strategies 2 and 5: skip quickly over units that cannot start a match,
// inside each line's text, then confirm the candidate character.
template <typename Scan, typename Exact>
int scan_search(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end, RegexPos limit,
                Scan scan, Exact exact) {
    regex_search_begin(re);
    RegexPos p = *pos;
    const char16_t* cur = normalise_crlf(&p, ops->char_at(ops->host, p));
    const char16_t* prev = nullptr;
    int line = -1;
    const char16_t* base = nullptr;
    int len = 0;
    for (;;) {
        if (p.line != line) {
            line = p.line;
            base = ops->get_line(ops->host, line, &len);
            if (!base) len = 0;
        }
        if (base && p.col < len) {
            const char16_t* q = scan(base + p.col, base + len);
            if (q != base + p.col) {
                prev = nullptr;
                p.col = int(q - base);
                cur = q < base + len ? q : ops->char_at(ops->host, p);
                // Inside a pair: the high half was the candidate.
                if (q < base + len && regex_low_surrogate(*q) && regex_high_surrogate(q[-1])) {
                    ++p.col;
                    cur = p.col < len ? base + p.col : ops->char_at(ops->host, p);
                    continue;
                }
                cur = normalise_crlf(&p, cur);
            }
        }
        if (regex_pos_beyond(p, limit)) return 0;
        int units;
        int32_t c = regex_cp_at(cur, &units);
        if (c == 0) return 0;  // the end is no character
        if (exact(c)) {
            int r;
            const WalkOn on = try_candidate(re, ops, &p, &cur, &prev, pos, end, &r);
            if (on == WalkOn::stop) return r;
            if (on == WalkOn::next_line) continue;
        }
        prev = cur;
        cur = regex_step(ops, &p, cur);
    }
}

}  // namespace

// Strategy 1 and the walk shared by strategy 6.
template <typename Pred>
static int walk_every(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end, RegexPos limit,
                      Pred pred) {
    regex_search_begin(re);
    RegexPos p = *pos;
    const char16_t* cur = normalise_crlf(&p, ops->char_at(ops->host, p));
    const char16_t* prev = nullptr;
    for (;;) {
        if (regex_pos_beyond(p, limit)) return 0;
        if (pred(p, cur, prev)) {
            int r;
            const WalkOn on = try_candidate(re, ops, &p, &cur, &prev, pos, end, &r);
            if (on == WalkOn::stop) return r;
            if (on == WalkOn::next_line) continue;
        }
        if (*cur == 0) return 0;
        prev = cur;
        cur = regex_step(ops, &p, cur);
    }
}

int regex_strategy_every(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                         RegexPos limit) {
    return walk_every(re, ops, pos, end, limit, [](RegexPos, const char16_t*, const char16_t*) { return true; });
}

int regex_strategy_word_boundary(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                                 RegexPos limit) {
    return walk_every(re, ops, pos, end, limit, [ops](RegexPos p, const char16_t* cur, const char16_t* prev) {
        int units;
        bool before = false;
        if (prev) {
            before = regex_is_word_char(regex_cp_at(prev, &units));
        } else if (p.line != 0 || p.col != 0) {
            RegexPos q = p;
            const char16_t* pc = ops->previous(ops->host, &q);
            before = pc && regex_is_word_char(regex_cp_at(pc, &units));
        }
        return before != regex_is_word_char(regex_cp_at(cur, &units));
    });
}

namespace {

#ifdef WENDREL_HAS_X86_EXTENSIONS
// Sixteen units at a time: the first inside one of the set's ranges, or
// the first start of a block not tested.
__attribute__((target("avx2"))) const char16_t* skip_outside_ranges_avx2(const RegexFirstSet* fs, const char16_t* q,
                                                                         const char16_t* e) {
    __m256i low[6], width[6];
    const int k = fs->range_count;
    for (int i = 0; i < k; ++i) {
        low[i] = _mm256_set1_epi16(short(fs->low[i]));
        width[i] = _mm256_set1_epi16(short(fs->width[i]));
    }
    const __m256i zero = _mm256_setzero_si256();
    for (; e - q >= 16; q += 16) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
        __m256i in = _mm256_cmpeq_epi16(_mm256_subs_epu16(_mm256_sub_epi16(x, low[0]), width[0]), zero);
        for (int i = 1; i < k; ++i)
            in = _mm256_or_si256(in, _mm256_cmpeq_epi16(_mm256_subs_epu16(_mm256_sub_epi16(x, low[i]), width[i]), zero));
        if (const unsigned mask = unsigned(_mm256_movemask_epi8(in))) return q + __builtin_ctz(mask) / 2;
    }
    return q;
}
#endif

#ifdef __SSE2__
// Eight units at a time, as above.
const char16_t* skip_outside_ranges(const RegexFirstSet* fs, const char16_t* q, const char16_t* e) {
    const int k = fs->range_count;
    const __m128i zero = _mm_setzero_si128();
    for (; e - q >= 8; q += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        __m128i in = zero;
        for (int i = 0; i < k; ++i) {
            const __m128i t = _mm_sub_epi16(x, _mm_set1_epi16(short(fs->low[i])));
            in = _mm_or_si128(in, _mm_cmpeq_epi16(_mm_subs_epu16(t, _mm_set1_epi16(short(fs->width[i]))), zero));
        }
        if (const unsigned mask = unsigned(_mm_movemask_epi8(in))) return q + __builtin_ctz(mask) / 2;
    }
    return q;
}
#endif

// Skips units outside the first set.
struct SetScan {
    const RegexFirstSet* fs;
    const char16_t* operator()(const char16_t* q, const char16_t* e) const {
        if (fs->range_count > 0) {
#ifdef WENDREL_HAS_X86_EXTENSIONS
            if (CpuHasAvx2()) q = skip_outside_ranges_avx2(fs, q, e);
#endif
#ifdef __SSE2__
            if (q < e && !fs->test(*q)) q = skip_outside_ranges(fs, q, e);
#endif
        }
        while (q < e && !fs->test(*q)) ++q;
        return q;
    }
};

}  // namespace

int regex_strategy_first_char(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                              RegexPos limit) {
    const int32_t v = re->strategy_char;
    const int fold = re->strategy_fold;
    if (fold == 0 && v < 0xD800 && v != '\r') {
        const char16_t unit = char16_t(v);
        return scan_search(
            re, ops, pos, end, limit,
            [unit](const char16_t* q, const char16_t* e) {
                while (q < e && *q != unit) ++q;
                return q;
            },
            [v](int32_t c) { return c == v; });
    }
    return scan_search(re, ops, pos, end, limit, SetScan{re->first_set},
                       [v, fold](int32_t c) { return regex_fold(c, fold) == v; });
}

int regex_strategy_first_set(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                             RegexPos limit) {
    const RegexFirstSet* fs = re->first_set;
    return scan_search(re, ops, pos, end, limit, SetScan{fs},
                       [fs](int32_t c) { return fs->test(c > 0xFFFF ? utf16_high_of(char32_t(c)) : char16_t(c)); });
}

int regex_strategy_line_start(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                              RegexPos limit) {
    regex_search_begin(re);
    RegexPos p = *pos;
    bool try_here = ops->is_line_start(ops->host, p) != 0;
    for (;;) {
        if (try_here) {
            if (regex_pos_beyond(p, limit)) return 0;
            // A CR LF is tried at its LF, as every walk sees it.
            const char16_t* cur = normalise_crlf(&p, ops->char_at(ops->host, p));
            const int v = required_verdict(re, ops, p);
            if (v == REGEX_REQUIRED_NOT_AFTER) return 0;
            if (v == REGEX_REQUIRED_MAYBE) {
                if (int r = try_start(re, ops, p, cur, nullptr, pos, end)) return r;
            }
        }
        if (!ops->next_line_start(ops->host, &p)) return 0;
        if (regex_pos_beyond(p, limit)) return 0;
        try_here = true;
    }
}

int regex_strategy_literal(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                           RegexPos limit) {
    if (!re->literal) return 0;  // an empty search text never matches
    regex_search_begin(re);
    RegexPos p = *pos;
    const int m = re->literal->length;
    for (;;) {
        int len = 0;
        const char16_t* text = ops->get_line(ops->host, p.line, &len);
        if (!text) return 0;
        int from = p.col;
        for (;;) {
            int hit = from <= len ? literal_searcher_find(re->literal, text, len, from) : -1;
            if (hit < 0) break;
            RegexPos at{p.line, hit};
            if (regex_pos_beyond(at, limit)) return 0;
            if (re->graph_dropped) {
                *pos = at;
                *end = RegexPos{p.line, hit + m};
                re->match_start = at;
                for (auto& g : re->last_groups) g = {-1, -1, -1, -1, -1};
                re->last_closed = -1;
                return 1;
            }
            const int v = required_verdict(re, ops, at);
            if (v == REGEX_REQUIRED_NOT_AFTER) return 0;
            if (v == REGEX_REQUIRED_NOT_ON_LINE) break;
            if (v == REGEX_REQUIRED_MAYBE) {
                if (int r = try_start(re, ops, at, text + hit, nullptr, pos, end)) return r;
            }
            from = hit + ((regex_high_surrogate(text[hit]) && regex_low_surrogate(text[hit + 1])) ? 2 : 1);
        }
        p = RegexPos{p.line + 1, 0};
        if (regex_pos_beyond(p, limit)) return 0;
    }
}

int regex_strategy_leading_dots(CompiledRegex* re, const RegexTextOps* ops, RegexPos* pos, RegexPos* end,
                                RegexPos limit) {
    // A try from p lets the dots reach every column up to the line's end
    // (the text's end under (?s)); a later start on that stretch can only
    // reach a part of what p reached, so it cannot succeed where p failed.
    regex_search_begin(re);
    RegexPos p = *pos;
    const char16_t* cur = normalise_crlf(&p, ops->char_at(ops->host, p));
    const char16_t* prev = nullptr;
    for (;;) {
        if (regex_pos_beyond(p, limit)) return 0;
        const int v = required_verdict(re, ops, p);
        if (v == REGEX_REQUIRED_NOT_AFTER) return 0;
        if (v == REGEX_REQUIRED_MAYBE) {
            if (int r = try_start(re, ops, p, cur, prev, pos, end)) return r;
        }
        if (re->strategy_fold || !ops->next_line_start(ops->host, &p)) return 0;
        cur = normalise_crlf(&p, ops->char_at(ops->host, p));
        prev = nullptr;
    }
}
