// The backtracking matcher. Choice points are whole copies of the match
// state on an explicit stack owned by the regex, so ordinary backtracking
// never recurses on the host stack; only sub-patterns (lookaround, atomic
// groups, conditions, possessive repeats) run as nested machine calls.
#include <cstddef>
#include <cstring>
#include <new>

#include "textengine/regex/regex_internal.h"

#if defined(__GNUC__)
#define REGEX_HOT inline __attribute__((always_inline))
#else
#define REGEX_HOT inline
#endif

namespace {

inline void copy_frame(RegexFrame* dst, const RegexFrame* src, int groups) {
    // The fixed part by a constant size (inlined), then the used slots.
    std::memcpy(static_cast<void*>(dst), src, offsetof(RegexFrame, groups));
    if (groups > 0) std::memcpy(dst->groups, src->groups, sizeof(RegexGroupSlot) * size_t(groups));
}

// Copies the top frame to a new top. False when the stack is exhausted.
bool push(CompiledRegex* re) {
    if (re->frame_top + 1 >= re->frame_capacity) {
        if (re->frame_capacity >= re->frame_limit) return false;
        int cap = re->frame_capacity * 2;
        if (cap > re->frame_limit) cap = re->frame_limit;
        auto* bigger = new (std::nothrow) RegexFrame[size_t(cap)];
        if (!bigger) return false;
        for (int i = 0; i <= re->frame_top; ++i) copy_frame(&bigger[i], &re->frames[i], re->prog.group_count);
        delete[] re->frames;
        re->frames = bigger;
        re->frame_capacity = cap;
    }
    // Slots past the group count are never read: a push copies only the used ones.
    copy_frame(&re->frames[re->frame_top + 1], &re->frames[re->frame_top], re->prog.group_count);
    ++re->frame_top;
    re->frames[re->frame_top].type = FRAME_RUN;
    return true;
}

inline bool pos_equal(RegexPos a, RegexPos b) { return a.line == b.line && a.col == b.col; }

// The character before the frame's position, or 0 when there is none.
int32_t prev_char(const RegexTextOps* ops, const RegexFrame* f) {
    int units;
    if (f->prev) return regex_cp_at(f->prev, &units);
    if (f->pos.line == 0 && f->pos.col == 0) return 0;
    RegexPos q = f->pos;
    const char16_t* p = ops->previous(ops->host, &q);
    return p ? regex_cp_at(p, &units) : 0;
}

// Does the single-character atom accept c?
REGEX_HOT bool atom_accepts(const RegexNode* a, int32_t c) {
    switch (a->kind) {
    case RN_CHAR: return c != 0 && regex_fold(c, a->aux) == a->value;
    case RN_ANY: return c != 0 && c != '\n';
    case RN_ANY_ALL: return c != 0;
    case RN_CLASS: return regex_class_contains(a->cls, c);
    }
    return false;
}

// One character back from pos inside its line's text (base, len units),
// or null when pos is not inside it (the host then steps).
inline const char16_t* step_back_in(const char16_t* base, int len, RegexPos* pos) {
    if (!base || pos->col <= 0 || pos->col > len) return nullptr;
    int c = pos->col - 1;
    if (c > 0 && regex_low_surrogate(base[c]) && regex_high_surrogate(base[c - 1]))
        --c;
    else if (c > 0 && base[c] == u'\r' && base[c + 1] == u'\n')
        --c;
    pos->col = c;
    return base + c;
}

// What must come first after a loop, so a loop gives back only where the
// rest can start: a folded literal, or the end of a line ("$").
struct Peek {
    int32_t c = 0;  // 0: anything may follow
    int fold = 0;
    bool line_end = false;

    explicit Peek(const RegexNode* x) {
        if (!x) return;
        if (x->kind == RN_CHAR) {
            c = x->value;
            fold = x->aux;
        } else if (x->kind == RN_STRING && x->value > 0) {
            c = x->str[0];
            fold = x->aux;
        } else if (x->kind == RN_LINE_END) {
            line_end = true;
        }
    }
    bool any() const { return c == 0 && !line_end; }
    bool admits(int32_t ch) const {
        if (line_end) return ch == 0 || ch == '\n';
        return ch != 0 && regex_fold(ch, fold) == c;
    }
};

// ---------------------------------------------------------------------------
// The record of failed states

enum : long long {
    MEMO_MAX_WORDS = 1 << 20,      // 8 MB of marks at most; beyond, states are not kept
};

enum : int {
    // A top-level try this deep (or an eighth of its frame limit) keeps the
    // record of failed states from there on.
    MEMO_DEPTH = 64,
    // A deep try first drops choices at this depth (the stack it works on
    // stays small and in the cache), then at twice what it kept.
    DROP_FIRST_DEPTH = 512,
    // Nodes followed from a choice's other way to judge it.
    WAY_LEFT_STEPS = 32,
};

bool memo_reserve(RegexMemo* m, size_t words) {
    if (words > size_t(MEMO_MAX_WORDS)) return false;
    if (words > m->capacity) {
        size_t cap = m->capacity ? m->capacity : 1024;
        while (cap < words) cap *= 2;
        auto* bigger = new (std::nothrow) uint64_t[cap];
        if (!bigger) return false;
        if (m->used) std::memcpy(bigger, m->bits, m->used * sizeof(uint64_t));
        std::memset(bigger + m->used, 0, (cap - m->used) * sizeof(uint64_t));
        delete[] m->bits;
        m->bits = bigger;
        m->capacity = cap;
    }
    if (words > m->used) m->used = words;
    return true;
}

// True when branch n was reached at pos before in this line's search; marks
// it otherwise. Positions off the record's line are never kept.
inline bool memo_seen(RegexMemo* m, const RegexNode* n, RegexPos pos) {
    if (pos.line != m->line || pos.col < m->base_col) return false;
    const size_t bit = size_t(pos.col - m->base_col) * size_t(m->slots) + size_t(n->memo_slot);
    const size_t word = bit >> 6;
    if (word >= m->used && !memo_reserve(m, word + 1)) return false;
    const uint64_t mask = uint64_t(1) << (bit & 63);
    if (m->bits[word] & mask) return true;
    m->bits[word] |= mask;
    return false;
}

// The same question without marking: was branch n at pos reached before?
inline bool memo_marked(const RegexMemo* m, const RegexNode* n, RegexPos pos) {
    if (pos.line != m->line || pos.col < m->base_col) return false;
    const size_t bit = size_t(pos.col - m->base_col) * size_t(m->slots) + size_t(n->memo_slot);
    const size_t word = bit >> 6;
    return word < m->used && (m->bits[word] >> (bit & 63)) & 1u;
}

void memo_restart(RegexMemo* m, int line, int col) {
    if (m->used) std::memset(m->bits, 0, m->used * sizeof(uint64_t));
    m->used = 0;
    m->line = line;
    m->base_col = col;
}

// What a node's step tells the machine: go on with the frame's node, or
// fail back to the latest choice; any other value ends the run (1 a
// match, < 0 an error).
enum : int {
    STEP_GO = 2,
    STEP_FAIL = 3,
};

struct Machine {
    CompiledRegex* re;
    const RegexTextOps* ops;
    bool dropping_spent = false;  // dropping choices freed too little to try again
    int drop_at = DROP_FIRST_DEPTH;  // the depth at which a deep try next drops choices
    int drop_next = 0;  // the top frame's index when it does (none: past any)
    // Frames below this one were pushed before the record of failed states
    // was kept; once judged, those kept are not judged again.
    int unrecorded = 1;
    int judged = 1;

    RegexFrame* top() { return &re->frames[re->frame_top]; }
    // The record of failed states, when it is kept here.
    RegexMemo* memo() const {
        RegexMemo* m = re->memo_live;
        return REGEX_UNLIKELY(m != nullptr) && re->sub_depth == 0 ? m : nullptr;
    }

    // Runs from the frame above `base` until it completes (1), fails back
    // to `base` (0) or hits a resource limit (< 0). In a sub-match the end
    // of the body completes the run.
    int run(int base, bool sub);
    int sub_match(int call, RegexNode* body, RegexPos pos, const char16_t* cur, const char16_t* prev);
    // Keeps the captures (and for an atomic group the position) that the
    // sub-match ending at the top frame left, in the calling frame.
    void take_sub_result(RegexFrame* f, bool with_position);

    // One step per node family.
    int branch(RegexFrame* f, RegexNode* n);
    int star_enter(RegexFrame* f, RegexNode* n);
    int consume_char(RegexFrame* f, RegexNode* n);
    int consume_string(RegexFrame* f, RegexNode* n);
    int consume_one(RegexFrame* f, RegexNode* n);  // dots and classes
    int assertion(RegexFrame* f, RegexNode* n);
    int capture(RegexFrame* f, RegexNode* n);
    int progress(RegexFrame* f, RegexNode* n);
    int sub_pattern(RegexFrame* f, RegexNode* n);
    int conditional(RegexFrame* f, RegexNode* n);
    int recursion(RegexFrame* f, RegexNode* n);
    void leave_recursion(RegexFrame* f);
    int possessive(RegexFrame* f, RegexNode* n);
    bool backref(RegexFrame* f, int g, int fold);

    // Before a top-level choice point is pushed: see make_room below.
    REGEX_HOT void make_room() {
        if (REGEX_UNLIKELY(re->frame_top >= MEMO_DEPTH || re->frame_top * 8 >= re->frame_limit) &&
            re->sub_depth == 0 && re->memo && (!re->memo_live || re->frame_top >= drop_next))
            deep_try();
    }
    void deep_try();
    enum class WayLeft { open, fails, matches };
    WayLeft way_left(const RegexFrame* ch);
    WayLeft follow(RegexFrame* probe, int* steps);

    // Failing: back to the latest choice that has a way left.
    int backtrack(int base);
    int star_retry(RegexFrame* s);
};

// Runs body as a nested match from the given position, above frame `call`.
int Machine::sub_match(int call, RegexNode* body, RegexPos pos, const char16_t* cur, const char16_t* prev) {
    if (re->sub_depth >= REGEX_MAX_SUB_DEPTH) return REGEX_ERR_STACK;
    re->frame_top = call;
    if (!push(re)) return REGEX_ERR_STACK;
    RegexFrame* f = top();
    f->node = body;
    f->pos = pos;
    f->cur = cur;
    f->prev = prev;
    ++re->sub_depth;
    int r = run(call, true);
    --re->sub_depth;
    return r;
}

void Machine::take_sub_result(RegexFrame* f, bool with_position) {
    const RegexFrame* fin = top();
    std::memcpy(f->groups, fin->groups, sizeof f->groups);
    f->last_closed = fin->last_closed;
    if (with_position) {
        f->pos = fin->pos;
        f->cur = fin->cur;
        f->prev = fin->prev;
        f->start = fin->start;
    }
}

// Backtracking into a loop over a single-character atom: greedy gives one
// character back, lazy takes one more. 1 when a way was found, 0 when the
// loop has none left, < 0 when the stack is exhausted.
int Machine::star_retry(RegexFrame* s) {
    RegexNode* b = s->node;
    bool loop_alt = (b->marks & MARK_STAR_ALT) != 0;
    RegexNode* atom = loop_alt ? b->alt : b->next;
    RegexNode* exit = loop_alt ? b->next : b->alt;
    const Peek peek(exit);
    int units;
    if (s->way) {  // lazy: one more character
        int32_t c = regex_cp_at(s->cur, &units);
        if (!atom_accepts(atom, c)) return 0;
        s->prev = s->cur;
        s->cur = regex_step(ops, &s->pos, s->cur);
        ++re->work;
        RegexMemo* m = memo();
        if (m && memo_seen(m, b, s->pos)) return 0;
    } else {
        // One character back at a time (to no earlier than the run's
        // start); the line's text is asked once for the whole walk.
        int line = -1, len = 0;
        const char16_t* base = nullptr;
        for (;;) {
            if (s->star_count <= 0) return 0;
            if (s->pos.line != line) {
                line = s->pos.line;
                len = 0;
                base = s->pos.col > 0 ? ops->get_line(ops->host, line, &len) : nullptr;
                if (!base) line = -1;
            }
            const char16_t* back = step_back_in(base, len, &s->pos);
            s->cur = back ? back : ops->previous(ops->host, &s->pos);
            s->prev = nullptr;
            --s->star_count;
            if (!s->cur) return 0;
            if (peek.any() || peek.admits(regex_cp_at(s->cur, &units))) break;
        }
    }
    int idx = int(s - re->frames);
    if (!s->way && s->star_count == 0) {
        // Last way: the frame itself goes on.
        s->type = FRAME_RUN;
        s->node = exit;
        re->frame_top = idx;
        return 1;
    }
    re->frame_top = idx;
    if (!push(re)) return REGEX_ERR_STACK;
    re->frames[idx].type = FRAME_STAR;
    top()->node = exit;
    return 1;
}

bool Machine::backref(RegexFrame* f, int g, int fold) {
    if (g < 0 || g >= re->prog.group_count) return false;
    const RegexGroupSlot& s = f->groups[g];
    if (s.length < 0) return false;
    RegexPos gp{s.start_line, s.start_col};
    const char16_t* gc = ops->char_at(ops->host, gp);
    RegexPos p = f->pos;
    const char16_t* cur = f->cur;
    const char16_t* prev = f->prev;
    int done = 0;
    while (done < s.length) {
        int u1, u2;
        int32_t a = regex_cp_at(gc, &u1);
        int32_t c = regex_cp_at(cur, &u2);
        if (a == 0 || c == 0 || regex_fold(a, fold) != regex_fold(c, fold)) return false;
        RegexPos before = gp;
        gc = regex_step(ops, &gp, gc);
        done += gp.line == before.line ? gp.col - before.col : ops->distance(ops->host, before, gp);
        prev = cur;
        cur = regex_step(ops, &p, cur);
    }
    f->pos = p;
    f->cur = cur;
    f->prev = prev;
    return true;
}

// A loop over a single-character atom runs without a frame per round: the
// greedy form takes every character it can at once and leaves one frame
// that gives them back one by one; the lazy form leaves a frame that takes
// one more each time.
REGEX_HOT int Machine::star_enter(RegexFrame* f, RegexNode* n) {
    const bool loop_alt = (n->marks & MARK_STAR_ALT) != 0;
    RegexNode* atom = loop_alt ? n->alt : n->next;
    RegexNode* exit = loop_alt ? n->next : n->alt;
    RegexMemo* m = memo();
    if (m && memo_seen(m, n, f->pos)) return STEP_FAIL;
    if (n->marks & MARK_STAR_LAZY) {
        make_room();
        if (!push(re)) return REGEX_ERR_STACK;
        RegexFrame* s = &re->frames[re->frame_top - 1];
        s->type = FRAME_STAR;
        s->way = 1;
        top()->node = exit;
        return STEP_GO;
    }
    const RegexPos start = f->pos;
    int count = 0;
    int units;
    if (m) {
        // The loop stops short of a column where it failed before: only
        // leaving it remains from there.
        for (;;) {
            int32_t c = regex_cp_at(f->cur, &units);
            if (!atom_accepts(atom, c)) break;
            RegexPos q = f->pos;
            const char16_t* after = regex_step(ops, &q, f->cur);
            if (memo_seen(m, n, q)) break;
            f->prev = f->cur;
            f->cur = after;
            f->pos = q;
            ++count;
        }
    } else {
        for (;;) {
            int32_t c = regex_cp_at(f->cur, &units);
            if (!atom_accepts(atom, c)) break;
            f->prev = f->cur;
            f->cur = regex_step(ops, &f->pos, f->cur);
            ++count;
        }
    }
    re->work += count;
    f->node = exit;
    if (count == 0) return STEP_GO;
    const Peek peek(exit);
    make_room();
    if (!push(re)) return REGEX_ERR_STACK;
    RegexFrame* s = &re->frames[re->frame_top - 1];
    s->type = FRAME_STAR;
    s->way = 0;
    s->node = n;
    s->star_pos = start;
    s->star_count = count;
    if (!peek.any() && !peek.admits(regex_cp_at(top()->cur, &units))) return STEP_FAIL;
    return STEP_GO;
}

REGEX_HOT int Machine::branch(RegexFrame* f, RegexNode* n) {
    if (n->marks & MARK_STAR) return star_enter(f, n);
    if (RegexMemo* m = memo()) {
        if (memo_seen(m, n, f->pos)) return STEP_FAIL;
    }
    if (n->first_table) {
        int units;
        const int32_t c = regex_cp_at(f->cur, &units);
        if (c < 128) {
            const int e = (n->first_table[c >> 2] >> ((c & 3) * 2)) & 3;
            if (e == 0) return STEP_FAIL;
            if (e == 1) {
                f->node = n->next;
                return STEP_GO;
            }
            if (e == 2) {
                f->node = n->alt;
                return STEP_GO;
            }
        }
    }
    make_room();
    if (!push(re)) return REGEX_ERR_STACK;
    RegexFrame* ch = &re->frames[re->frame_top - 1];
    ch->type = FRAME_CHOICE;
    ch->way = n->choice;
    top()->node = n->choice ? n->alt : n->next;
    return STEP_GO;
}

// Literals, strings, dots and classes: the text must hold them here.
REGEX_HOT int Machine::consume_char(RegexFrame* f, RegexNode* n) {
    int units;
    const int32_t c = regex_cp_at(f->cur, &units);
    if (c == 0 || regex_fold(c, n->aux) != n->value) return STEP_FAIL;
    f->prev = f->cur;
    f->cur = regex_step(ops, &f->pos, f->cur);
    f->node = n->next;
    return STEP_GO;
}

REGEX_HOT int Machine::consume_string(RegexFrame* f, RegexNode* n) {
    const int32_t* s = n->str;
    const int fold = n->aux;
    int units;
    for (int i = 0; i < n->value; ++i) {
        const int32_t c = regex_cp_at(f->cur, &units);
        if (c == 0 || regex_fold(c, fold) != s[i]) return STEP_FAIL;
        f->prev = f->cur;
        f->cur = regex_step(ops, &f->pos, f->cur);
    }
    f->node = n->next;
    return STEP_GO;
}

REGEX_HOT int Machine::consume_one(RegexFrame* f, RegexNode* n) {
    int units;
    if (!atom_accepts(n, regex_cp_at(f->cur, &units))) return STEP_FAIL;
    f->prev = f->cur;
    f->cur = regex_step(ops, &f->pos, f->cur);
    f->node = n->next;
    return STEP_GO;
}

// Anchors and boundaries: they test the position and consume nothing.
int Machine::assertion(RegexFrame* f, RegexNode* n) {
    int units;
    int32_t c;
    bool ok;
    switch (n->kind) {
    // At the LF of a CR LF the position stands for the whole break: what
    // counts is the character before its CR (none: the text's start).
    case RN_LINE_START:
        if (f->pos.col == 0) {
            ok = true;
        } else {
            c = prev_char(ops, f);
            ok = c == '\n' || c == 0;
        }
        break;
    case RN_TEXT_START:
        ok = f->pos.line == 0 && (f->pos.col == 0 || prev_char(ops, f) == 0);
        break;
    case RN_LINE_END:
        c = regex_cp_at(f->cur, &units);
        ok = c == 0 || c == '\n';
        break;
    case RN_TEXT_END_LF:
        c = regex_cp_at(f->cur, &units);
        if (c == '\n') {
            RegexPos q = f->pos;
            ok = *regex_step(ops, &q, f->cur) == 0;
        } else {
            ok = c == 0 && prev_char(ops, f) != '\n';
        }
        break;
    case RN_TEXT_END:
        ok = *f->cur == 0;
        break;
    case RN_WORD_BOUNDARY:
    case RN_NOT_WORD_BOUNDARY: {
        const bool a = regex_is_word_char(prev_char(ops, f));
        const bool b = regex_is_word_char(regex_cp_at(f->cur, &units));
        ok = (a != b) == (n->kind == RN_WORD_BOUNDARY);
        break;
    }
    default: {  // the host's anchors
        auto hook = ops->anchor[n->kind - RN_HOST_TEXT_START];
        ok = hook && hook(ops->host, f->pos);
    }
    }
    if (!ok) return STEP_FAIL;
    f->node = n->next;
    return STEP_GO;
}

// Capture starts and ends, and \K's new match start.
REGEX_HOT int Machine::capture(RegexFrame* f, RegexNode* n) {
    if (n->kind == RN_KEEP) {
        f->start = f->pos;
    } else if (n->kind == RN_OPEN) {
        RegexGroupSlot& s = f->groups[n->value];
        s.start_line = f->pos.line;
        s.start_col = f->pos.col;
    } else {
        RegexGroupSlot& s = f->groups[n->value];
        s.end_line = f->pos.line;
        s.end_col = f->pos.col;
        const RegexPos st{s.start_line, s.start_col};
        s.length = st.line == f->pos.line ? f->pos.col - st.col : ops->distance(ops->host, st, f->pos);
        f->last_closed = n->value;
    }
    f->node = n->next;
    return STEP_GO;
}

// A loop round that may consume nothing must have moved since the round
// before it.
int Machine::progress(RegexFrame* f, RegexNode* n) {
    if (n->marks & MARK_AFTER_RECURSE) {
        // Recursions are kept from looping by the check at the call;
        // nested calls may well return at one position.
        f->node = n->next;
        return STEP_GO;
    }
    for (int i = re->frame_top - 1; i >= 0; --i) {
        const RegexFrame& m = re->frames[i];
        if (m.type == FRAME_PROGRESS && m.node == n) {
            if (pos_equal(m.pos, f->pos)) return STEP_FAIL;
            break;
        }
    }
    if (!push(re)) return REGEX_ERR_STACK;
    re->frames[re->frame_top - 1].type = FRAME_PROGRESS;
    top()->node = n->next;
    return STEP_GO;
}

// Lookahead, lookbehind and atomic groups: the body runs as a sub-match
// that nothing later can backtrack into.
int Machine::sub_pattern(RegexFrame* f, RegexNode* n) {
    const int call = re->frame_top;
    RegexPos from = f->pos;
    const char16_t* cur = f->cur;
    const char16_t* prev = f->prev;
    bool reachable = true;
    if (n->kind == RN_LOOKBEHIND || n->kind == RN_NEG_LOOKBEHIND) {
        // A lookbehind that would step before the text's start fails.
        for (int k = 0; k < n->value && reachable; ++k) {
            if (from.line == 0 && from.col == 0) {
                reachable = false;
                break;
            }
            cur = ops->previous(ops->host, &from);
            if (!cur) reachable = false;
        }
        prev = nullptr;
    }
    int r = 0;
    if (reachable) {
        r = sub_match(call, n->next, from, cur, prev);
        if (r < 0) return r;
    }
    const bool matched = r == 1;
    f = &re->frames[call];
    if (matched) take_sub_result(f, n->kind == RN_ATOMIC);
    re->frame_top = call;
    const bool wanted = n->kind != RN_NEG_LOOKAHEAD && n->kind != RN_NEG_LOOKBEHIND;
    if (matched != wanted) return STEP_FAIL;
    f->node = n->sub->next;
    return STEP_GO;
}

// (?(c)yes|no): the condition is decided without leaving a choice point.
int Machine::conditional(RegexFrame* f, RegexNode* n) {
    const RegexNode* cn = n->sub;
    bool truth = false;
    switch (cn->kind) {
    case RN_COND_GROUP:
        truth = cn->value >= 0 && cn->value < re->prog.group_count && f->groups[cn->value].length >= 0;
        break;
    case RN_COND_NAME: {
        const int g = regex_find_group(&re->prog, cn->name, cn->name_length);
        truth = g >= 0 && f->groups[g].length >= 0;
        break;
    }
    case RN_COND_RECURSION:
        truth = cn->value == 0 ? f->rec_group >= 0 : f->rec_group == cn->value;
        break;
    default: {
        const int call = re->frame_top;
        const int r = sub_match(call, n->sub, f->pos, f->cur, f->prev);
        if (r < 0) return r;
        f = &re->frames[call];
        if (r == 1) take_sub_result(f, false);
        re->frame_top = call;
        truth = r == 1;
    }
    }
    f->node = truth ? n->alt : n->next;
    return STEP_GO;
}

int Machine::recursion(RegexFrame* f, RegexNode* n) {
    RegexNode* target = nullptr;
    if (n->value == 0)
        target = re->prog.root;
    else if (n->value - 1 < re->prog.group_count && re->prog.group_open[n->value - 1])
        target = re->prog.group_open[n->value - 1]->next;
    else
        return STEP_FAIL;
    // Entering the same recursion again at the same position would never end.
    for (int m = f->rec_caller; m >= 0; m = re->frames[m].rec_caller) {
        if (re->frames[m].node == n && pos_equal(re->frames[m].pos, f->pos)) return STEP_FAIL;
    }
    if (!push(re)) return REGEX_ERR_STACK;
    const int marker = re->frame_top - 1;
    re->frames[marker].type = FRAME_RECURSE;
    f = top();
    f->node = target;
    f->rec_group = n->value;
    f->rec_caller = marker;
    if (!target) {
        // Recursion into an empty whole pattern returns at once.
        f->node = n->next;
        f->rec_group = re->frames[marker].rec_group;
        f->rec_caller = re->frames[marker].rec_caller;
    }
    return STEP_GO;
}

// Back to the caller's captures and node at the end of a recursion.
void Machine::leave_recursion(RegexFrame* f) {
    const RegexFrame* caller = &re->frames[f->rec_caller];
    f->node = caller->node->next;
    std::memcpy(f->groups, caller->groups, sizeof f->groups);
    f->last_closed = caller->last_closed;
    f->rec_group = caller->rec_group;
    f->rec_caller = caller->rec_caller;
}

int Machine::possessive(RegexFrame* f, RegexNode* n) {
    const int call = re->frame_top;
    const int min = n->value;
    const int max = n->aux;
    int count = 0;
    const RegexNode* atom = n->alt;
    if (atom && !atom->alt && atom->next && atom->next->kind == RN_SUB_END &&
        (atom->kind == RN_CHAR || atom->kind == RN_ANY || atom->kind == RN_ANY_ALL || atom->kind == RN_CLASS)) {
        // One character per round: no sub-match needed.
        int units;
        while (max < 0 || count < max) {
            const int32_t c = regex_cp_at(f->cur, &units);
            if (!atom_accepts(atom, c)) break;
            f->prev = f->cur;
            f->cur = regex_step(ops, &f->pos, f->cur);
            ++count;
        }
        if (count < min) return STEP_FAIL;
        f->node = n->next;
        return STEP_GO;
    }
    while (max < 0 || count < max) {
        RegexFrame* cf = &re->frames[call];
        const int r = sub_match(call, n->alt, cf->pos, cf->cur, cf->prev);
        if (r < 0) return r;
        cf = &re->frames[call];
        if (r == 0) break;
        const bool moved = !pos_equal(top()->pos, cf->pos);
        take_sub_result(cf, true);
        ++count;
        // A round that consumed nothing would repeat forever.
        if (!moved) {
            if (count < min) count = min;
            break;
        }
    }
    re->frame_top = call;
    f = top();
    if (count < min) return STEP_FAIL;
    f->node = n->next;
    return STEP_GO;
}

// A top-level try that has grown deep keeps the record of failed states
// from here on (what it did before stays unrecorded), and when its stack is
// nearly full, drops the choice points that can make no difference:
//  - one whose other way is sure to fail, as that way would reach a branch
//    at a recorded position (a second visit fails at once) or meet text it
//    does not accept;
//  - every one below a choice whose other way is sure to end in a match:
//    failing back past that choice cannot happen.
// A part of the stack stays free for sub-matches and loops. Nothing else
// looks down the stack here: with the record kept there are no progress or
// recursion markers, and no sub-match is running.
void Machine::deep_try() {
    if (!re->memo_live) {
        re->memo_live = re->memo;
        unrecorded = re->frame_top;
    }
    const int limit = re->frame_limit;
    const int last_room = limit - limit / 8;
    drop_next = dropping_spent ? 0x7FFFFFFF : (drop_at < last_room ? drop_at : last_room) - 1;
    if (re->frame_top < drop_next) return;
    for (int i = 1; i < re->frame_top; ++i) {
        const int type = re->frames[i].type;
        if (type != FRAME_CHOICE && type != FRAME_STAR) {
            dropping_spent = true;
            drop_next = 0x7FFFFFFF;
            return;
        }
    }
    // From the top down: mark the dead choices (as spent run frames) until
    // one that surely matches. The choices made before the record was kept
    // are judged once: they rarely change, and would cost a walk every time.
    int floor = 1;
    for (int i = re->frame_top - 1; i >= judged; --i) {
        RegexFrame* fr = &re->frames[i];
        if (fr->type != FRAME_CHOICE) continue;
        const WayLeft w = way_left(fr);
        if (w == WayLeft::matches) {
            floor = i;
            break;
        }
        if (w == WayLeft::fails) fr->type = FRAME_RUN;
    }
    const int groups = re->prog.group_count;
    int kept = 1;  // frame 0 is the base
    int settled = 1;
    for (int i = floor; i < re->frame_top; ++i) {
        const RegexFrame* fr = &re->frames[i];
        if (fr->type == FRAME_RUN) continue;
        if (kept != i) copy_frame(&re->frames[kept], fr, groups);
        ++kept;
        if (i < unrecorded) settled = kept;
    }
    if (kept != re->frame_top) copy_frame(&re->frames[kept], &re->frames[re->frame_top], groups);
    re->frame_top = kept;
    unrecorded = judged = settled;
    // Freeing little would mean dropping again at every push.
    if (kept > limit / 2) dropping_spent = true;
    if (2 * kept > drop_at) drop_at = 2 * kept;
    drop_next = dropping_spent ? 0x7FFFFFFF : (drop_at < last_room ? drop_at : last_room) - 1;
}

// Follows the way a choice point has left as the machine would take it, on
// a copy of its state, while each step is certain.
Machine::WayLeft Machine::way_left(const RegexFrame* ch) {
    RegexFrame probe;
    std::memcpy(static_cast<void*>(&probe), ch, offsetof(RegexFrame, groups));
    probe.node = ch->way ? ch->node->next : ch->node->alt;
    int steps = WAY_LEFT_STEPS;
    return follow(&probe, &steps);
}

// Runs the probe's state on (its captures are not kept) for at most *steps
// nodes. A branch at a recorded position fails when it is reached; one
// that is not splits the walk, its first way first, as the machine tries
// them. (A position recorded by the time this way is taken has been found
// to lead to no match, so neither verdict can change.)
Machine::WayLeft Machine::follow(RegexFrame* probe, int* steps) {
    while ((*steps)-- > 0) {
        RegexNode* n = probe->node;
        if (!n) return WayLeft::matches;
        int r;
        switch (n->kind) {
        case RN_EMPTY:
        case RN_OPEN:
        case RN_CLOSE:
        case RN_KEEP:
            probe->node = n->next;
            continue;
        case RN_CHAR:
            r = consume_char(probe, n);
            break;
        case RN_STRING:
            r = consume_string(probe, n);
            break;
        case RN_ANY:
        case RN_ANY_ALL:
        case RN_CLASS:
            r = consume_one(probe, n);
            break;
        case RN_LINE_START:
        case RN_TEXT_START:
        case RN_LINE_END:
        case RN_TEXT_END_LF:
        case RN_TEXT_END:
        case RN_WORD_BOUNDARY:
        case RN_NOT_WORD_BOUNDARY:
        case RN_HOST_TEXT_START:
        case RN_HOST_TEXT_END:
        case RN_HOST_LINE_START:
        case RN_HOST_LINE_END:
            r = assertion(probe, n);
            break;
        case RN_BRANCH: {
            if (memo_marked(re->memo, n, probe->pos)) return WayLeft::fails;
            if (n->marks & MARK_STAR) return WayLeft::open;
            RegexFrame other;
            std::memcpy(static_cast<void*>(&other), probe, offsetof(RegexFrame, groups));
            probe->node = n->choice ? n->alt : n->next;
            other.node = n->choice ? n->next : n->alt;
            const WayLeft first = follow(probe, steps);
            if (first == WayLeft::matches) return first;
            const WayLeft second = follow(&other, steps);
            if (second == WayLeft::matches) return second;
            return first == WayLeft::fails && second == WayLeft::fails ? WayLeft::fails : WayLeft::open;
        }
        default:
            return WayLeft::open;
        }
        if (r == STEP_FAIL) return WayLeft::fails;
    }
    return WayLeft::open;
}

int Machine::backtrack(int base) {
    if (--re->budget_left < 0) return REGEX_ERR_BUDGET;
    if (REGEX_UNLIKELY(++re->work >= re->memo_check_at)) re->memo_live = re->memo;
    for (;;) {
        int i = re->frame_top - 1;
        while (i > base && (re->frames[i].type == FRAME_PROGRESS || re->frames[i].type == FRAME_RECURSE)) --i;
        if (i <= base) {
            re->frame_top = base;
            return 0;
        }
        RegexFrame* ch = &re->frames[i];
        if (ch->type == FRAME_CHOICE) {
            ch->type = FRAME_RUN;
            ch->node = ch->way ? ch->node->next : ch->node->alt;
            re->frame_top = i;
            return STEP_GO;
        }
        if (ch->type == FRAME_STAR) {
            const int r = star_retry(ch);
            if (r < 0) return r;
            if (r > 0) return STEP_GO;
        }
        re->frame_top = i;
        // A spent frame at the top is dropped by the next round.
        re->frames[i].type = FRAME_PROGRESS;
    }
}

int Machine::run(int base, bool sub) {
    for (;;) {
        RegexFrame* f = top();
        RegexNode* n = f->node;
        if (f->rec_group >= 0 &&
            (!n || (n->kind == RN_CLOSE && f->rec_group > 0 && n->value == f->rec_group - 1))) {
            leave_recursion(f);
            continue;
        }
        if (!n) return 1;

        int step;
        switch (n->kind) {
        case RN_EMPTY:
            f->node = n->next;
            continue;
        case RN_BRANCH:
            step = branch(f, n);
            break;
        case RN_CHAR:
            step = consume_char(f, n);
            break;
        case RN_STRING:
            step = consume_string(f, n);
            break;
        case RN_ANY:
        case RN_ANY_ALL:
        case RN_CLASS:
            step = consume_one(f, n);
            break;
        case RN_BACKREF:
        case RN_NAMED_BACKREF: {
            const int g = n->kind == RN_BACKREF ? n->value : regex_find_group(&re->prog, n->name, n->name_length);
            step = STEP_FAIL;
            if (backref(f, g, n->aux)) {
                f->node = n->next;
                step = STEP_GO;
            }
            break;
        }
        case RN_LINE_START:
        case RN_TEXT_START:
        case RN_LINE_END:
        case RN_TEXT_END_LF:
        case RN_TEXT_END:
        case RN_WORD_BOUNDARY:
        case RN_NOT_WORD_BOUNDARY:
        case RN_HOST_TEXT_START:
        case RN_HOST_TEXT_END:
        case RN_HOST_LINE_START:
        case RN_HOST_LINE_END:
            step = assertion(f, n);
            break;
        case RN_OPEN:
        case RN_CLOSE:
        case RN_KEEP:
            step = capture(f, n);
            break;
        case RN_PROGRESS:
            step = progress(f, n);
            break;
        case RN_LOOKAHEAD:
        case RN_NEG_LOOKAHEAD:
        case RN_ATOMIC:
        case RN_LOOKBEHIND:
        case RN_NEG_LOOKBEHIND:
            step = sub_pattern(f, n);
            break;
        case RN_SUB_END:
            if (sub) return 1;
            f->node = n->next;
            continue;
        case RN_COND:
            step = conditional(f, n);
            break;
        case RN_RECURSE:
            step = recursion(f, n);
            break;
        case RN_POSSESSIVE:
            step = possessive(f, n);
            break;
        default:
            // Condition nodes are read by their conditional only.
            step = STEP_FAIL;
        }
        if (step == STEP_GO) continue;
        if (step == STEP_FAIL) step = backtrack(base);
        if (step != STEP_GO) return step;
    }
}

}  // namespace

int regex_match_internal(CompiledRegex* re, const RegexTextOps* ops, RegexPos pos, const char16_t* cur,
                         const char16_t* prev, RegexPos* end) {
    if (!re->frames || !re->prog.root) {
        // A pure literal: compare it here.
        if (!re->literal) return 0;
        int len = 0;
        const char16_t* line = ops->get_line(ops->host, pos.line, &len);
        const int m = re->literal->length;
        if (!line || pos.col + m > len || literal_searcher_find(re->literal, line, pos.col + m, pos.col) != pos.col)
            return 0;
        re->match_start = pos;
        *end = RegexPos{pos.line, pos.col + m};
        for (auto& g : re->last_groups) g = {-1, -1, -1, -1, -1};
        re->last_closed = -1;
        return 1;
    }
    if (const RegexNode* atom = re->run_atom) {
        // One greedy run: it ends where the atom first refuses.
        int units;
        int count = 0;
        RegexPos p = pos;
        for (const char16_t* c = cur; atom_accepts(atom, regex_cp_at(c, &units)); ++count)
            c = regex_step(ops, &p, c);
        re->work += count;
        if (count < re->run_min) return 0;
        re->last_closed = -1;
        re->match_start = pos;
        *end = p;
        return 1;
    }
    // Frame 0 is the base the machine fails back to; frame 1 runs.
    re->frames[0].type = FRAME_RUN;
    re->frame_top = 1;
    RegexFrame* f = &re->frames[1];
    f->node = re->prog.root;
    f->type = FRAME_RUN;
    f->way = 0;
    f->pos = pos;
    f->start = pos;
    f->cur = cur;
    f->prev = prev;
    f->last_closed = -1;
    f->rec_group = -1;
    f->rec_caller = -1;
    f->star_pos = pos;
    f->star_count = 0;
    for (int g = 0; g < re->prog.group_count; ++g) f->groups[g] = {-1, -1, -1, -1, -1};
    re->sub_depth = 0;
    Machine m{re, ops};
    int r = m.run(0, false);
    if (r == 1) {
        const RegexFrame* fin = &re->frames[re->frame_top];
        // Slots past the group count keep the unset mark they were made with.
        for (int g = 0; g < re->prog.group_count; ++g) re->last_groups[g] = fin->groups[g];
        re->last_closed = fin->last_closed;
        re->match_start = fin->start;
        *end = fin->pos;
    }
    re->frame_top = 0;
    return r;
}

void regex_start_line(CompiledRegex* re, RegexPos pos) {
    re->new_search = false;
    re->budget_line = pos.line;
    re->budget_left = re->budget;
    re->work = 0;
    re->memo_live = nullptr;
    if (re->memo) {
        memo_restart(re->memo, pos.line, pos.col);
        if (re->memo->eager) re->memo_live = re->memo;
    }
}

void regex_check_memo(CompiledRegex* re, RegexPos pos) {
    RegexMemo* m = re->memo;
    if (re->work > REGEX_MEMO_LINE_WORK + REGEX_MEMO_WORK_PER_COLUMN * (long long)(pos.col - m->base_col))
        re->memo_live = m;
}

void regex_memo_free(RegexMemo* memo) {
    if (!memo) return;
    delete[] memo->bits;
    delete memo;
}

int regex_match_at(CompiledRegex* re, const RegexTextOps* ops, RegexPos pos, const char16_t* cur,
                   const char16_t* prev, RegexPos* end) {
    if (!re) return 0;
    if (!cur) cur = ops->char_at(ops->host, pos);
    regex_search_begin(re);
    int r = regex_try_at(re, ops, pos, cur, prev, end);
    if (r > 0) re->match_end = *end;
    return r;
}
