// A character every match must hold: found at compile time from the graph,
// looked for in the text before any start is tried, so a line (or the rest
// of the text) without it is passed over without running the matcher.
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

namespace {

enum : int {
    MAX_GRAPH_NODES = 20000,  // larger graphs are not looked at
    MAX_CANDIDATES = 24,
};

struct Candidate {
    int32_t value;  // folded code point
    int fold;
    int last_serial;  // latest node that holds it: the later, the better it bounds a try
};

bool holds(const RegexNode* n, const Candidate& c) {
    if (n->kind == RN_CHAR) return n->value == c.value && n->aux == c.fold;
    if (n->kind == RN_STRING && n->aux == c.fold) {
        for (int i = 0; i < n->value; ++i)
            if (n->str[i] == c.value) return true;
    }
    return false;
}

// Where a match goes on from n (sub-pattern bodies that consume nothing of
// the match are stepped over; recursions and possessive atoms are taken as
// consuming nothing, which only ever keeps a character from counting).
int successors(const RegexNode* n, const RegexNode* out[2]) {
    switch (n->kind) {
    case RN_LOOKAHEAD:
    case RN_NEG_LOOKAHEAD:
    case RN_LOOKBEHIND:
    case RN_NEG_LOOKBEHIND:
        out[0] = n->sub->next;
        return 1;
    case RN_POSSESSIVE:
    case RN_RECURSE:
        out[0] = n->next;
        return 1;
    case RN_BRANCH:
    case RN_COND:  // a null way leads to the match's end
        out[0] = n->next;
        out[1] = n->alt;
        return 2;
    default:
        out[0] = n->next;
        out[1] = n->alt;
        return n->alt ? 2 : 1;
    }
}

// True when every way from the root to the match's end passes a node that
// holds the candidate.
bool required(const RegexProgram& prog, const Candidate& c, std::vector<uint8_t>& seen,
              std::vector<const RegexNode*>& todo) {
    std::fill(seen.begin(), seen.end(), 0);
    todo.clear();
    todo.push_back(prog.root);
    while (!todo.empty()) {
        const RegexNode* n = todo.back();
        todo.pop_back();
        if (!n) return false;  // the end reached without it
        if (seen[size_t(n->serial)] || holds(n, c)) continue;
        seen[size_t(n->serial)] = 1;
        const RegexNode* next[2];
        const int k = successors(n, next);
        for (int i = 0; i < k; ++i) todo.push_back(next[i]);
    }
    return true;
}

// How many characters a match can take before the candidate's first
// place, the most over every way; -1 when a loop, back-reference, recursion
// or possessive repeat comes first and leaves it unbounded.
int reach_chars(const RegexProgram& prog, const Candidate& c) {
    // Nodes reached before the character, in an order where each comes
    // after every node leading to it (a loop among them: unbounded).
    std::vector<uint8_t> state(size_t(prog.serial) + 1, 0);  // 1 entered, 2 done
    std::vector<const RegexNode*> order;
    std::vector<std::pair<const RegexNode*, int>> stack;
    auto offset_in = [&](const RegexNode* n) {
        if (n->kind == RN_STRING)
            for (int i = 0; i < n->value; ++i)
                if (n->str[i] == c.value) return i;
        return 0;
    };
    if (!prog.root) return -1;
    stack.push_back({prog.root, 0});
    while (!stack.empty()) {
        auto& [n, k] = stack.back();
        if (k == 0) {
            if (state[size_t(n->serial)] == 2) {
                stack.pop_back();
                continue;
            }
            state[size_t(n->serial)] = 1;
            if (!holds(n, c)) {
                switch (n->kind) {
                case RN_BACKREF: case RN_NAMED_BACKREF: case RN_RECURSE: case RN_POSSESSIVE:
                    return -1;
                }
            }
        }
        const RegexNode* next[2];
        const int count = holds(n, c) ? 0 : successors(n, next);
        if (k < count) {
            const RegexNode* s = next[k++];
            if (!s) continue;
            if (state[size_t(s->serial)] == 1) return -1;  // a loop before the character
            if (state[size_t(s->serial)] == 0) stack.push_back({s, 0});
            continue;
        }
        state[size_t(n->serial)] = 2;
        order.push_back(n);
        stack.pop_back();
    }
    // Longest way to the character, from the last node back to the root.
    std::vector<int> most(size_t(prog.serial) + 1, 0);
    for (const RegexNode* n : order) {
        int best = 0;
        if (holds(n, c)) {
            best = offset_in(n);
        } else {
            const RegexNode* next[2];
            const int count = successors(n, next);
            for (int i = 0; i < count; ++i)
                if (next[i] && most[size_t(next[i]->serial)] > best) best = most[size_t(next[i]->serial)];
            switch (n->kind) {
            case RN_CHAR: case RN_ANY: case RN_ANY_ALL: case RN_CLASS: best += 1; break;
            case RN_STRING: best += n->value; break;
            }
        }
        if (best > 1000000) return -1;
        most[size_t(n->serial)] = best;
    }
    return most[size_t(prog.root->serial)];
}

// Whether a match may consume a line end (and so reach past its line).
bool may_take_line_end(const RegexNode* n) {
    switch (n->kind) {
    case RN_ANY_ALL: return true;
    case RN_CHAR: return n->value == '\n' || n->value == '\r';
    case RN_CLASS: return regex_class_contains(n->cls, '\n') || regex_class_contains(n->cls, '\r');
    case RN_STRING:
        for (int i = 0; i < n->value; ++i)
            if (n->str[i] == '\n' || n->str[i] == '\r') return true;
        return false;
    }
    return false;
}

// The units a literal node of this value and fold accepts; false when they
// are too many or not single units.
bool units_of(const Candidate& c, RegexRequired* r) {
    if (c.value <= 0 || c.value > 0xFFFF || utf16_is_high_surrogate(char32_t(c.value)) ||
        utf16_is_low_surrogate(char32_t(c.value)) || c.value == '\n' || c.value == '\r')
        return false;
    r->count = 0;
    r->units[r->count++] = char16_t(c.value);
    if (c.fold == 0) return true;
    auto add = [&](int32_t u) {
        if (u == c.value || regex_fold(u, c.fold) != c.value) return true;
        if (r->count == 4) return false;
        r->units[r->count++] = char16_t(u);
        return true;
    };
    for (int32_t u = 'A'; u <= 'Z'; ++u)
        if (!add(u)) return false;
    for (int32_t u = 0xFF01; u <= 0xFF5D; ++u)
        if (!add(u)) return false;
    for (int32_t u : {0x3000, 0xFFE5, 0xFFE3, 0x201D, 0x2019, 0x2018})
        if (!add(u)) return false;
    return true;
}

#ifdef WENDREL_HAS_X86_EXTENSIONS
// Sixteen units at a time: the first of the set in text[*i, n), or -1 with
// *i left at the first unit not tested.
__attribute__((target("avx2"))) int find_units_avx2(const RegexRequired& r, const char16_t* text, int n, int* i) {
    const __m256i u0 = _mm256_set1_epi16(short(r.units[0]));
    const __m256i u1 = _mm256_set1_epi16(short(r.units[r.count > 1 ? 1 : 0]));
    const __m256i u2 = _mm256_set1_epi16(short(r.units[r.count > 2 ? 2 : 0]));
    const __m256i u3 = _mm256_set1_epi16(short(r.units[r.count > 3 ? 3 : 0]));
    int k = *i;
    for (; k + 16 <= n; k += 16) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + k));
        __m256i eq = _mm256_cmpeq_epi16(x, u0);
        if (r.count > 1)
            eq = _mm256_or_si256(eq, _mm256_or_si256(_mm256_cmpeq_epi16(x, u1), _mm256_cmpeq_epi16(x, u2)));
        if (r.count > 3) eq = _mm256_or_si256(eq, _mm256_cmpeq_epi16(x, u3));
        if (const unsigned mask = unsigned(_mm256_movemask_epi8(eq))) return k + __builtin_ctz(mask) / 2;
    }
    *i = k;
    return -1;
}
#endif

// First unit of the set in text[from, n), or -1.
int find_units(const RegexRequired& r, const char16_t* text, int n, int from) {
    int i = from;
#ifdef WENDREL_HAS_X86_EXTENSIONS
    if (n - i >= 64 && CpuHasAvx2()) {
        if (const int hit = find_units_avx2(r, text, n, &i); hit >= 0) return hit;
    }
#endif
#ifdef __SSE2__
    const __m128i u0 = _mm_set1_epi16(short(r.units[0]));
    const __m128i u1 = _mm_set1_epi16(short(r.units[r.count > 1 ? 1 : 0]));
    const __m128i u2 = _mm_set1_epi16(short(r.units[r.count > 2 ? 2 : 0]));
    const __m128i u3 = _mm_set1_epi16(short(r.units[r.count > 3 ? 3 : 0]));
    for (; i + 8 <= n; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        __m128i eq = _mm_cmpeq_epi16(x, u0);
        if (r.count > 1) eq = _mm_or_si128(eq, _mm_or_si128(_mm_cmpeq_epi16(x, u1), _mm_cmpeq_epi16(x, u2)));
        if (r.count > 3) eq = _mm_or_si128(eq, _mm_cmpeq_epi16(x, u3));
        const unsigned mask = unsigned(_mm_movemask_epi8(eq));
        if (mask) return i + __builtin_ctz(mask) / 2;
    }
#endif
    for (; i < n; ++i)
        for (int k = 0; k < r.count; ++k)
            if (text[i] == r.units[k]) return i;
    return -1;
}

}  // namespace

int regex_plan_required(CompiledRegex* re, const std::vector<RegexNode*>& all) {
    if (!re->prog.root || all.size() > size_t(MAX_GRAPH_NODES)) return 0;
    std::vector<Candidate> cands;
    bool crosses = false;
    for (const RegexNode* n : all) {
        crosses = crosses || may_take_line_end(n);
        const int count = n->kind == RN_CHAR ? 1 : n->kind == RN_STRING ? n->value : 0;
        for (int i = 0; i < count; ++i) {
            const int32_t v = n->kind == RN_CHAR ? n->value : n->str[i];
            bool known = false;
            for (Candidate& c : cands) {
                if (c.value == v && c.fold == n->aux) {
                    if (n->serial > c.last_serial) c.last_serial = n->serial;
                    known = true;
                }
            }
            if (!known && cands.size() < size_t(MAX_CANDIDATES)) cands.push_back({v, n->aux, n->serial});
        }
    }
    std::vector<uint8_t> seen(size_t(re->prog.serial) + 1, 0);
    std::vector<const RegexNode*> todo;
    RegexRequired best{};
    int best_serial = -1;
    for (const Candidate& c : cands) {
        RegexRequired r{};
        if (c.last_serial <= best_serial || !units_of(c, &r) || !required(re->prog, c, seen, todo)) continue;
        // A character reaches a unit of text with each step, the unit after
        // a pair, and the CR of a CR LF it steps onto: three at most.
        const int chars = reach_chars(re->prog, c);
        r.reach = chars < 0 ? -1 : 3 * chars;
        best = r;
        best_serial = c.last_serial;
    }
    if (best_serial < 0) return 0;
    re->required = new (std::nothrow) RegexRequired(best);
    if (!re->required) return 1;
    re->required->crosses_lines = crosses;
    return 0;
}

int regex_required_absent(CompiledRegex* re, const RegexTextOps* ops, RegexPos p) {
    RegexRequired& r = *re->required;
    // What the last look found answers for a later start: a character
    // found answers for every start up to it; none found, for the rest of
    // the line (or the text).
    if (r.from.line >= 0 && (p.line > r.from.line || (p.line == r.from.line && p.col >= r.from.col))) {
        if (r.at.line < 0) {
            if (r.none == REGEX_REQUIRED_NOT_AFTER || p.line == r.from.line) return r.none;
        } else if (p.line < r.at.line || (p.line == r.at.line && p.col <= r.at.col)) {
            return r.reach >= 0 && p.line == r.at.line && r.at.col - p.col > r.reach ? REGEX_REQUIRED_NOT_HERE
                                                                                    : REGEX_REQUIRED_MAYBE;
        }
    }
    r.from = p;
    for (RegexPos q = p;; q = RegexPos{q.line + 1, 0}) {
        int len = 0;
        const char16_t* text = ops->get_line(ops->host, q.line, &len);
        if (!text) break;
        const int hit = q.col < len ? find_units(r, text, len, q.col) : -1;
        if (hit >= 0) {
            r.at = RegexPos{q.line, hit};
            return r.reach >= 0 && q.line == p.line && hit - p.col > r.reach ? REGEX_REQUIRED_NOT_HERE
                                                                             : REGEX_REQUIRED_MAYBE;
        }
        int next_len;
        const bool last = !ops->get_line(ops->host, q.line + 1, &next_len);
        if (last) break;
        if (!r.crosses_lines) {
            r.at = RegexPos{-1, 0};
            r.none = REGEX_REQUIRED_NOT_ON_LINE;
            return r.none;
        }
    }
    r.at = RegexPos{-1, 0};
    r.none = REGEX_REQUIRED_NOT_AFTER;
    return r.none;
}
