// The parser: pattern text to a node graph in the program's arena.
//
// Every construct becomes a fragment {first, last} whose last node has a free
// next link, so fragments join by linking last->next. Counted repeats re-parse
// the atom's own token for each copy instead of copying graphs. Nesting is
// bounded (REGEX_MAX_DEPTH) and the graph analyses use explicit stacks, so a
// hostile pattern fails cleanly instead of exhausting the host stack.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "textengine/regex/regex_syntax.h"

// ---------------------------------------------------------------------------
// Arena

void* regex_arena_alloc(RegexArena* arena, size_t size) {
    const size_t align = sizeof(void*);
    size = (size + align - 1) & ~(align - 1);
    if (size == 0) size = align;
    if (!arena->head || arena->used + size > arena->capacity) {
        size_t cap = size > 1024 ? size : 1024;
        auto* block = static_cast<RegexArenaBlock*>(std::malloc(sizeof(RegexArenaBlock) + cap));
        if (!block) return nullptr;
        block->link = arena->head;
        arena->head = block;
        arena->capacity = cap;
        arena->used = 0;
    }
    char* p = reinterpret_cast<char*>(arena->head + 1) + arena->used;
    arena->used += size;
    std::memset(p, 0, size);
    return p;
}

void regex_arena_free(RegexArena* arena) {
    RegexArenaBlock* b = arena->head;
    while (b) {
        RegexArenaBlock* link = b->link;
        std::free(b);
        b = link;
    }
    arena->head = nullptr;
    arena->capacity = 0;
    arena->used = 0;
}

RegexNode* regex_new_node(RegexProgram* prog, int kind) {
    if (prog->serial >= REGEX_MAX_NODES) return nullptr;
    auto* n = static_cast<RegexNode*>(regex_arena_alloc(&prog->arena, sizeof(RegexNode)));
    if (!n) return nullptr;
    n->kind = kind;
    n->serial = prog->serial++;
    return n;
}

int regex_find_group(const RegexProgram* prog, const char16_t* name, int name_length) {
    for (int g = 0; g < prog->group_count; ++g) {
        if (prog->group_name_lengths[g] == name_length && name_length > 0 &&
            std::memcmp(prog->group_names[g], name, size_t(name_length) * sizeof(char16_t)) == 0)
            return g;
    }
    return -1;
}

void regex_program_free(RegexProgram* prog) {
    regex_arena_free(&prog->arena);
    *prog = RegexProgram();
}

// ---------------------------------------------------------------------------
// Parser

namespace {

struct Frag {
    RegexNode* first;
    RegexNode* last;  // its next is free
};

int fold_flags(int options) {
    return ((options & REGEX_OPT_ICASE) ? REGEX_FOLD_CASE : 0) |
           ((options & REGEX_OPT_IWIDTH) ? REGEX_FOLD_WIDTH : 0);
}

bool is_quantifier_start(char16_t c) {
    return c == '*' || c == '+' || c == '?' || c == '{';
}

class Parser {
public:
    explicit Parser(RegexProgram* prog) : prog_(prog) {}

    // 0, or the error that stopped the parse.
    int parse(const char16_t* p, const char16_t* end, Frag* out) {
        if (!alternation(p, end, true, out) || !resolve_recursions() || !check_references())
            return error_ ? error_ : REGEX_COMPILE_INVALID;
        return REGEX_COMPILE_OK;
    }

private:
    // Notes why the parse fails (the first reason counts) and fails.
    bool fail(int error) {
        if (!error_) error_ = error;
        return false;
    }

    RegexNode* node(int kind) {
        RegexNode* n = regex_new_node(prog_, kind);
        if (!n) fail(prog_->serial >= REGEX_MAX_NODES ? REGEX_COMPILE_TOO_LARGE : REGEX_COMPILE_NO_MEMORY);
        return n;
    }

    bool single(int kind, Frag* out) {
        RegexNode* n = node(kind);
        if (!n) return false;
        *out = {n, n};
        return true;
    }

    const char16_t* copy_name(const char16_t* s, int n) {
        auto* d = static_cast<char16_t*>(regex_arena_alloc(&prog_->arena, size_t(n) * sizeof(char16_t) + sizeof(char16_t)));
        if (d) std::memcpy(d, s, size_t(n) * sizeof(char16_t));
        return d;
    }

    RegexNode* char_node(int32_t c) {
        RegexNode* n = node(RN_CHAR);
        if (!n) return nullptr;
        n->aux = fold_flags(prog_->options);
        n->value = regex_fold(c, n->aux);
        return n;
    }

    bool char_frag(int32_t c, Frag* out) {
        RegexNode* n = char_node(c);
        if (!n) return false;
        *out = {n, n};
        return true;
    }

    // Appends a chain of literals for [p, end) to f (which may be empty).
    bool append_literals(const char16_t* p, const char16_t* end, Frag* f) {
        while (p < end) {
            int n;
            RegexNode* c = char_node(regex_read_cp(p, end, &n));
            if (!c) return false;
            if (f->last) f->last->next = c; else f->first = c;
            f->last = c;
            p += n;
        }
        return true;
    }

    // --- alternation and sequence ---------------------------------------

    bool alternation(const char16_t* p, const char16_t* end, bool var_width, Frag* out) {
        int saved = prog_->options;
        Frag result;
        if (!sequence(p, end, var_width, &result)) return false;
        while (p < end) {  // p stands on a "|"
            ++p;
            Frag next;
            if (!sequence(p, end, var_width, &next)) return false;
            RegexNode* b = node(RN_BRANCH);
            RegexNode* join = node(RN_EMPTY);
            if (!b || !join) return false;
            b->value = '|';
            b->next = result.first;
            b->alt = next.first;
            result.last->next = join;
            next.last->next = join;
            result = {b, join};
        }
        prog_->options = saved;
        *out = result;
        return true;
    }

    // Parses atoms from p up to a "|" at this level (p is left on it) or end.
    bool sequence(const char16_t*& p, const char16_t* end, bool var_width, Frag* out) {
        Frag seq;
        if (!single(RN_EMPTY, &seq)) return false;
        for (;;) {
            RegexToken t;
            int r = regex_next_token(p, end, &t);
            if (r < 0) return false;
            if (r == 0) {
                p = end;
                break;
            }
            if (t.kind == REGEX_TOK_BAR) {
                p = t.start;
                break;
            }
            if (t.kind == REGEX_TOK_QUANTIFIER) return false;  // nothing to repeat
            int groups_before = prog_->group_count;
            int options_before = prog_->options;
            Frag a;
            if (!atom(t, var_width, &a)) return false;
            p = t.start + t.length;
            const char16_t* q = regex_skip_comments(p, end);
            if (!q) return false;
            if (q < end && is_quantifier_start(*q)) {
                RegexToken qt;
                if (regex_next_token(q, end, &qt) != 1) return false;
                p = qt.start + qt.length;
                if (!quantify(t, a, groups_before, options_before, qt, var_width, &a)) return false;
            }
            seq.last->next = a.first;
            seq.last = a.last;
        }
        RegexNode* e = node(RN_EMPTY);
        if (!e) return false;
        seq.last->next = e;
        seq.last = e;
        *out = seq;
        return true;
    }

    // --- atoms -------------------------------------------------------------

    bool atom(const RegexToken& t, bool var_width, Frag* out) {
        const char16_t* s = t.start;
        const char16_t* e = t.start + t.length;
        switch (t.kind) {
        case REGEX_TOK_LITERAL: {
            int n;
            return char_frag(regex_read_cp(s, e, &n), out);
        }
        case REGEX_TOK_CLASS: {
            int error;
            RegexCharClass* cc = regex_build_class(prog_, s + 1, e - 1, prog_->options, &error);
            if (!cc) return fail(error);
            if (!single(RN_CLASS, out)) return false;
            out->first->cls = cc;
            return true;
        }
        case REGEX_TOK_DOT:
            return single((prog_->options & REGEX_OPT_DOTALL) ? RN_ANY_ALL : RN_ANY, out);
        case REGEX_TOK_CARET:
            return single(RN_LINE_START, out);
        case REGEX_TOK_DOLLAR:
            return single(RN_LINE_END, out);
        case REGEX_TOK_GROUP:
            return group(t, var_width, out);
        case REGEX_TOK_ESCAPE:
            return escape(t, out);
        }
        return false;
    }

    bool backref(int group_number, Frag* out) {
        if (group_number < 1 || group_number > REGEX_MAX_GROUPS) return fail(REGEX_COMPILE_NO_GROUP);
        if (!single(RN_BACKREF, out)) return false;
        references_.push_back(out->first);
        out->first->value = group_number - 1;
        out->first->aux = fold_flags(prog_->options);
        return true;
    }

    bool escape(const RegexToken& t, Frag* out) {
        const char16_t* s = t.start;
        const char16_t* e = t.start + t.length;
        char16_t c = s[1];
        if (c >= '1' && c <= '9') {
            const char16_t* d = s + 1;
            int n = 0;
            for (; d < e && n <= REGEX_MAX_GROUPS; ++d) n = n * 10 + (*d - '0');
            if (n <= prog_->group_count) return backref(n, out);
            // More than the groups opened so far: one digit, then literals.
            if (!backref(c - '0', out)) return false;
            return append_literals(s + 2, e, out);
        }
        switch (c) {
        case 'g': {
            const char16_t* d = s + 2;
            if (*d == '{') ++d;
            bool relative = *d == '-';
            if (relative) ++d;
            int n = 0;
            for (; d < e && *d >= '0' && *d <= '9'; ++d) {
                if (n <= 1000) n = n * 10 + (*d - '0');
            }
            if (relative) n = prog_->group_count - n + 1;  // below 1: invalid
            return backref(n, out);
        }
        case 'A': return single(RN_TEXT_START, out);
        case 'Z': return single(RN_TEXT_END_LF, out);
        case 'z': return single(RN_TEXT_END, out);
        case 'b': return single(RN_WORD_BOUNDARY, out);
        case 'B': return single(RN_NOT_WORD_BOUNDARY, out);
        case 'K': return single(RN_KEEP, out);
        case '=': {
            int kind = -1;
            switch (s[2]) {
            case 'A': kind = RN_HOST_TEXT_START; break;
            case 'z': kind = RN_HOST_TEXT_END; break;
            case '^': kind = RN_HOST_LINE_START; break;
            case '$': kind = RN_HOST_LINE_END; break;
            }
            if (kind >= 0) return single(kind, out);
            int n;
            return char_frag(regex_read_cp(s + 2, e, &n), out);
        }
        case 'd': case 'D': case 'w': case 'W': case 's': case 'S': case 'l': {
            RegexCharClass* cc = regex_escape_class(prog_, c, prog_->options);
            if (!cc || !single(RN_CLASS, out)) return false;
            out->first->cls = cc;
            return true;
        }
        case 'Q': {
            const char16_t* stop = e;
            if (t.length >= 4 && e[-2] == '\\' && e[-1] == 'E') stop = e - 2;
            *out = {nullptr, nullptr};
            if (!append_literals(s + 2, stop, out)) return false;
            return out->first || single(RN_EMPTY, out);
        }
        case 'k':
            if (t.length > 2) {
                int n = t.length - 4;  // \k< name >
                if (n <= 0 || !single(RN_NAMED_BACKREF, out)) return false;
                references_.push_back(out->first);
                out->first->name = copy_name(s + 3, n);
                out->first->name_length = n;
                out->first->aux = fold_flags(prog_->options);
                return out->first->name != nullptr;
            }
            return char_frag('k', out);
        case 'f': return char_frag('\f', out);
        case 'n': return char_frag('\n', out);
        case 'r': return char_frag('\r', out);
        case 't': return char_frag('\t', out);
        case 'x': {
            const char16_t* after;
            int32_t v = regex_decode_hex_escape(s + 1, e, &after);
            if (v <= 0 || after != e) return false;
            return char_frag(v, out);
        }
        }
        int n;
        return char_frag(regex_read_cp(s + 1, e, &n), out);
    }

    // --- groups ------------------------------------------------------------

    struct DepthGuard {
        int& d;
        explicit DepthGuard(int& depth) : d(depth) { ++d; }
        ~DepthGuard() { --d; }
    };

    bool group(const RegexToken& t, bool var_width, Frag* out) {
        DepthGuard guard(depth_);
        if (depth_ > REGEX_MAX_DEPTH) return fail(REGEX_COMPILE_TOO_LARGE);
        const char16_t* s = t.start + 1;        // behind "("
        const char16_t* e = t.start + t.length - 1;  // on ")"
        if (s == e || *s != '?') return capture(s, e, nullptr, 0, var_width, out);
        const char16_t* q = s + 1;
        char16_t c = q < e ? *q : u')';
        switch (c) {
        case ':':
            return alternation(q + 1, e, var_width, out);
        case '=':
            return lookaround(RN_LOOKAHEAD, q + 1, e, true, out);
        case '!':
            return lookaround(RN_NEG_LOOKAHEAD, q + 1, e, true, out);
        case '>':
            return lookaround(RN_ATOMIC, q + 1, e, var_width, out);
        case '<':
            if (q + 1 < e && q[1] == '=') return lookaround(RN_LOOKBEHIND, q + 2, e, false, out);
            if (q + 1 < e && q[1] == '!') return lookaround(RN_NEG_LOOKBEHIND, q + 2, e, false, out);
            return named_capture(q + 1, e, u'>', var_width, out);
        case '\'':
            return named_capture(q + 1, e, u'\'', var_width, out);
        case 'P':
            if (q + 1 < e && q[1] == '<') return named_capture(q + 2, e, u'>', var_width, out);
            return false;
        case '&':
            if (e - (q + 1) < 1) return false;
            return recursion(0, q + 1, int(e - (q + 1)), out);
        case 'R':
            if (q + 1 != e) return false;
            return recursion(0, nullptr, 0, out);
        case '(':
            return conditional(q, e, var_width, out);
        }
        if (c >= '0' && c <= '9') {
            if (q + 1 != e) return false;  // one digit only
            return recursion(c - '0', nullptr, 0, out);
        }
        return option_group(q, e, var_width, out);
    }

    bool capture(const char16_t* body, const char16_t* end, const char16_t* name, int name_length,
                 bool var_width, Frag* out) {
        if (prog_->group_count >= REGEX_MAX_GROUPS) return alternation(body, end, var_width, out);
        int g = prog_->group_count++;
        RegexNode* open = node(RN_OPEN);
        if (!open) return false;
        open->value = g;
        prog_->group_open[g] = open;
        if (name) {
            prog_->group_names[g] = copy_name(name, name_length);
            prog_->group_name_lengths[g] = name_length;
            if (!prog_->group_names[g]) return false;
        } else {
            prog_->group_names[g] = nullptr;
            prog_->group_name_lengths[g] = 0;
        }
        Frag b;
        if (!alternation(body, end, var_width, &b)) return false;
        RegexNode* close = node(RN_CLOSE);
        if (!close) return false;
        close->value = g;
        open->next = b.first;
        b.last->next = close;
        *out = {open, close};
        return true;
    }

    bool named_capture(const char16_t* name, const char16_t* end, char16_t close, bool var_width,
                       Frag* out) {
        const char16_t* n = name;
        while (n < end && *n != close) ++n;
        if (n == end || n == name) return false;
        return capture(n + 1, end, name, int(n - name), var_width, out);
    }

    bool lookaround(int kind, const char16_t* body, const char16_t* end, bool var_width,
                    Frag* out) {
        RegexNode* v = node(kind);
        if (!v) return false;
        Frag b;
        if (!alternation(body, end, var_width, &b)) return false;
        RegexNode* stop = node(RN_SUB_END);
        RegexNode* cont = node(RN_EMPTY);
        if (!stop || !cont) return false;
        v->next = b.first;
        b.last->next = stop;
        stop->next = cont;
        v->sub = stop;
        if (kind == RN_LOOKBEHIND || kind == RN_NEG_LOOKBEHIND) {
            int w = fixed_width(b.first);
            if (w < 0) return false;
            v->value = w;
        }
        *out = {v, cont};
        return true;
    }

    bool recursion(int group_number, const char16_t* name, int name_length, Frag* out) {
        RegexNode* r = node(RN_RECURSE);
        RegexNode* check = node(RN_PROGRESS);
        if (!r || !check) return false;
        r->value = group_number;
        if (name) {
            r->name = copy_name(name, name_length);
            r->name_length = name_length;
            if (!r->name) return false;
        }
        r->next = check;
        recursions_.push_back(r);
        *out = {r, check};
        return true;
    }

    // (?flags) or (?flags:body); q stands behind "(?".
    bool option_group(const char16_t* q, const char16_t* end, bool var_width, Frag* out) {
        int options = prog_->options;
        bool clear = false;
        for (; q < end && *q != ':'; ++q) {
            int bit;
            switch (*q) {
            case 's': bit = REGEX_OPT_DOTALL; break;
            case 'S': bit = REGEX_OPT_SPACE_LF; break;
            case 'i': bit = REGEX_OPT_ICASE; break;
            case 'w': bit = REGEX_OPT_IWIDTH; break;
            case '-':
                if (clear) return false;
                clear = true;
                continue;
            default:
                return false;
            }
            options = clear ? (options & ~bit) : (options | bit);
        }
        if (q == end) {  // for the rest of the enclosing level
            prog_->options = options;
            return single(RN_EMPTY, out);
        }
        int saved = prog_->options;
        prog_->options = options;
        bool ok = alternation(q + 1, end, var_width, out);
        prog_->options = saved;
        return ok;
    }

    // (?(c)yes|no); q stands on the "(" of the condition.
    bool conditional(const char16_t* q, const char16_t* end, bool var_width, Frag* out) {
        RegexToken ct;
        if (regex_next_token(q, end, &ct) != 1 || ct.start != q || ct.kind != REGEX_TOK_GROUP)
            return false;
        const char16_t* cs = ct.start + 1;
        const char16_t* ce = ct.start + ct.length - 1;
        int saved = prog_->options;
        RegexNode* cond = node(RN_COND);
        if (!cond) return false;
        RegexNode* test = nullptr;
        if (cs < ce && *cs >= '0' && *cs <= '9') {
            if (ce - cs != 1 || *cs == '0') return false;
            test = node(RN_COND_GROUP);
            if (!test) return false;
            test->value = *cs - '1';
            references_.push_back(test);
        } else if (cs < ce && *cs == '<' && ce[-1] == '>' && ce - cs > 2) {
            test = node(RN_COND_NAME);
            if (!test) return false;
            test->name_length = int(ce - cs - 2);
            test->name = copy_name(cs + 1, test->name_length);
            if (!test->name) return false;
            references_.push_back(test);
        } else if (cs < ce && *cs == 'R' &&
                   (ce - cs == 1 || (ce - cs == 2 && cs[1] >= '1' && cs[1] <= '9'))) {
            test = node(RN_COND_RECURSION);
            if (!test) return false;
            test->value = ce - cs == 2 ? cs[1] - '0' : 0;
        } else {
            Frag c;
            bool ok = (cs < ce && *cs == '?') ? group(ct, var_width, &c)
                                              : alternation(cs, ce, var_width, &c);
            if (!ok) return false;
            RegexNode* stop = node(RN_SUB_END);
            if (!stop) return false;
            c.last->next = stop;
            test = c.first;
        }
        cond->sub = test;
        const char16_t* p = ct.start + ct.length;
        Frag yes, no;
        if (!sequence(p, end, var_width, &yes)) return false;
        if (p < end) {
            if (!alternation(p + 1, end, var_width, &no)) return false;
        } else if (!single(RN_EMPTY, &no)) {
            return false;
        }
        RegexNode* join = node(RN_EMPTY);
        if (!join) return false;
        cond->alt = yes.first;
        cond->next = no.first;
        yes.last->next = join;
        no.last->next = join;
        prog_->options = saved;
        *out = {cond, join};
        return true;
    }

    // --- quantifiers -------------------------------------------------------

    bool parse_count(const char16_t* p, const char16_t* end, int* out) {
        int n = -1;
        for (; p < end; ++p) {
            if (*p == ' ' || *p == '\t') continue;
            if (*p < '0' || *p > '9') return false;
            n = (n < 0 ? 0 : n) * 10 + (*p - '0');
            if (n > REGEX_MAX_REPEAT) return fail(REGEX_COMPILE_TOO_LARGE);
        }
        *out = n;
        return true;
    }

    bool parse_quantifier(const RegexToken& q, int* min, int* max, bool* lazy, bool* possessive) {
        const char16_t* s = q.start;
        const char16_t* e = q.start + q.length;
        *lazy = *possessive = false;
        if (*s == '{') {
            const char16_t* close = e - 1;
            if (*close != '}') {
                *lazy = *close == '?';
                *possessive = *close == '+';
                --close;
            }
            const char16_t* comma = s + 1;
            while (comma < close && *comma != ',') ++comma;
            int lo, hi;
            if (!parse_count(s + 1, comma, &lo)) return false;
            if (comma == close) {
                hi = lo;
            } else if (!parse_count(comma + 1, close, &hi)) {
                return false;
            }
            *min = lo < 0 ? 0 : lo;
            *max = comma == close ? *min : hi;  // "{n,}": no maximum
            return true;
        }
        if (q.length == 2) {
            *lazy = s[1] == '?';
            *possessive = s[1] == '+';
        }
        *min = *s == '+' ? 1 : 0;
        *max = *s == '?' ? 1 : -1;
        return true;
    }

    bool quantify(const RegexToken& atom_token, Frag a, int groups_before, int options_before,
                  const RegexToken& qt, bool var_width, Frag* out) {
        int min, max;
        bool lazy, possessive;
        if (!parse_quantifier(qt, &min, &max, &lazy, &possessive)) return false;
        if (max >= 0 && max < min) return fail(REGEX_COMPILE_BAD_RANGE);
        if (!var_width && min != max) return false;
        if (max == 0) return single(RN_EMPTY, out);  // {0}: the empty match
        uint8_t choice = lazy ? 1 : 0;
        if (possessive) {
            RegexNode* p = node(RN_POSSESSIVE);
            RegexNode* stop = node(RN_SUB_END);
            RegexNode* cont = node(RN_EMPTY);
            if (!p || !stop || !cont) return false;
            p->value = min;
            p->aux = max;
            p->alt = a.first;
            a.last->next = stop;
            p->next = cont;
            *out = {p, cont};
            return true;
        }
        if (min == 0 && max < 0) return loop(a, '*', choice, out);
        if (min == 1 && max < 0) return loop(a, '+', choice, out);
        if (min == 0 && max == 1) return question(a, choice, out);

        RegexNode* first_open[REGEX_MAX_GROUPS];
        std::memcpy(first_open, prog_->group_open, sizeof(first_open));
        int groups_after = prog_->group_count;
        auto copy = [&](Frag* f) {
            prog_->group_count = groups_before;  // copies share the group numbers
            prog_->options = options_before;
            return atom(atom_token, var_width, f);
        };
        Frag result{nullptr, nullptr};
        auto append = [&](const Frag& f) {
            if (result.last) result.last->next = f.first; else result.first = f.first;
            result.last = f.last;
        };
        for (int i = 0; i < min; ++i) {
            Frag f = a;
            if (i > 0 && !copy(&f)) return false;
            append(f);
        }
        if (max < 0) {
            Frag f, tail;
            if (!copy(&f) || !loop(f, '*', choice, &tail)) return false;
            append(tail);
        } else {
            RegexNode* exit = node(RN_EMPTY);
            if (!exit) return false;
            for (int i = min; i < max; ++i) {
                Frag f = a;
                if (i > 0 && !copy(&f)) return false;
                RegexNode* b = node(RN_BRANCH);
                if (!b) return false;
                b->value = '?';
                b->choice = choice;
                b->next = f.first;
                b->alt = exit;
                append({b, f.last});
            }
            append({exit, exit});
        }
        prog_->group_count = groups_after;
        std::memcpy(prog_->group_open, first_open, sizeof(first_open));
        *out = result;
        return true;
    }

    // A loop over the atom: "*" enters through the branch, "+" through the
    // atom; the branch's next way goes (back) into the atom, through a
    // progress check when the atom can match without consuming.
    bool loop(Frag a, char16_t op, uint8_t choice, Frag* out) {
        RegexNode* b = node(RN_BRANCH);
        RegexNode* exit = node(RN_EMPTY);
        if (!b || !exit) return false;
        b->value = op;
        b->choice = choice;
        b->alt = exit;
        RegexNode* entry = a.first;
        if (may_be_empty(a)) {
            RegexNode* check = node(RN_PROGRESS);
            if (!check) return false;
            check->next = a.first;
            entry = check;
        }
        b->next = entry;
        a.last->next = b;
        *out = {op == '*' ? b : a.first, exit};
        return true;
    }

    bool question(Frag a, uint8_t choice, Frag* out) {
        RegexNode* b = node(RN_BRANCH);
        RegexNode* exit = node(RN_EMPTY);
        if (!b || !exit) return false;
        b->value = '?';
        b->choice = choice;
        b->next = a.first;
        b->alt = exit;
        a.last->next = exit;
        *out = {b, exit};
        return true;
    }

    // --- graph analyses ----------------------------------------------------

    // Per-node scratch indexed by serial, valid for the current stamp only.
    void new_stamp() {
        ++stamp_;
        if (stamps_.size() < size_t(prog_->serial)) {
            stamps_.resize(size_t(prog_->serial), 0);
            values_.resize(size_t(prog_->serial), 0);
        }
    }
    bool seen(const RegexNode* n) const { return stamps_[size_t(n->serial)] == stamp_; }
    void see(const RegexNode* n) { stamps_[size_t(n->serial)] = stamp_; }

    // Whether a path through the fragment reaches its end (or a recursion)
    // before consuming a character.
    bool may_be_empty(const Frag& a) {
        if (a.first == a.last && consumes(a.first)) return false;
        new_stamp();
        std::vector<RegexNode*> stack{a.first};
        while (!stack.empty()) {
            RegexNode* n = stack.back();
            stack.pop_back();
            if (!n) return true;
            if (seen(n)) continue;
            see(n);
            if (consumes(n)) continue;
            if (n == a.last) return true;
            switch (n->kind) {
            case RN_RECURSE:
                return true;
            case RN_BRANCH: case RN_COND:
                stack.push_back(n->next);
                stack.push_back(n->alt);
                break;
            case RN_LOOKAHEAD: case RN_NEG_LOOKAHEAD: case RN_LOOKBEHIND: case RN_NEG_LOOKBEHIND:
                stack.push_back(n->sub->next);
                break;
            default:
                stack.push_back(n->next);
            }
        }
        return false;
    }

    static bool consumes(const RegexNode* n) {
        switch (n->kind) {
        case RN_CHAR: case RN_STRING: case RN_ANY: case RN_ANY_ALL: case RN_CLASS:
            return true;
        }
        return false;
    }

    // The number of characters every path from start to the end of the
    // lookbehind body consumes; -1 when it is not one fixed number. An
    // iterative depth-first walk: a node is busy while its successors are
    // measured, so meeting a busy node means a loop.
    int fixed_width(RegexNode* start) {
        const int kBusy = -2;
        new_stamp();
        auto done = [&](RegexNode* d) {
            return !d || d->kind == RN_SUB_END || (seen(d) && values_[size_t(d->serial)] >= 0);
        };
        auto width_of = [&](RegexNode* d) {
            return (!d || d->kind == RN_SUB_END) ? 0 : values_[size_t(d->serial)];
        };
        std::vector<RegexNode*> stack{start};
        while (!stack.empty()) {
            RegexNode* n = stack.back();
            if (done(n)) {
                stack.pop_back();
                continue;
            }
            if (!seen(n)) {
                see(n);
                values_[size_t(n->serial)] = kBusy;
            }
            RegexNode* deps[2] = {n->next, nullptr};
            switch (n->kind) {
            case RN_BACKREF: case RN_NAMED_BACKREF: case RN_RECURSE:
                return -1;
            case RN_BRANCH: case RN_COND: case RN_POSSESSIVE:
                deps[1] = n->alt;
                break;
            case RN_LOOKAHEAD: case RN_NEG_LOOKAHEAD: case RN_LOOKBEHIND: case RN_NEG_LOOKBEHIND:
                deps[0] = n->sub->next;
                break;
            case RN_ATOMIC:
                deps[1] = n->sub->next;
                break;
            }
            bool ready = true;
            for (RegexNode* d : deps) {
                if (done(d)) continue;
                if (seen(d)) return -1;  // busy: a loop
                stack.push_back(d);
                ready = false;
            }
            if (!ready) continue;
            int w;
            switch (n->kind) {
            case RN_BRANCH: case RN_COND:
                if (width_of(deps[0]) != width_of(deps[1])) return -1;
                w = width_of(deps[0]);
                break;
            case RN_POSSESSIVE:
                w = n->value * width_of(deps[1]) + width_of(deps[0]);
                break;
            case RN_STRING:
                w = n->value + width_of(deps[0]);
                break;
            default:
                w = (consumes(n) ? 1 : 0) + width_of(deps[0]) + width_of(deps[1]);
            }
            if (w > REGEX_MAX_NODES) return -1;
            values_[size_t(n->serial)] = w;
            stack.pop_back();
        }
        return width_of(start);
    }

    bool resolve_recursions() {
        for (RegexNode* r : recursions_) {
            if (r->name) {
                int g = regex_find_group(prog_, r->name, r->name_length);
                if (g < 0) return fail(REGEX_COMPILE_NO_NAME);
                r->value = g + 1;
            } else if (r->value > prog_->group_count) {
                return fail(REGEX_COMPILE_NO_GROUP);
            }
        }
        return true;
    }

    // Back-references and conditions name groups the whole pattern has (a
    // group may come after the reference).
    bool check_references() {
        for (const RegexNode* r : references_) {
            if (r->name) {
                if (regex_find_group(prog_, r->name, r->name_length) < 0) return fail(REGEX_COMPILE_NO_NAME);
            } else if (r->value >= prog_->group_count) {
                return fail(REGEX_COMPILE_NO_GROUP);
            }
        }
        return true;
    }

    RegexProgram* prog_;
    int depth_ = 0;
    std::vector<RegexNode*> recursions_;
    std::vector<const RegexNode*> references_;  // back-references and group conditions
    int error_ = REGEX_COMPILE_OK;
    std::vector<unsigned> stamps_;
    std::vector<int> values_;
    unsigned stamp_ = 0;
};

}  // namespace

int regex_parse(RegexProgram* prog, const char16_t* pattern, int length, int compile_flags) {
    if (!pattern) return 1;
    int n = 0;
    while ((length < 0 || n < length) && pattern[n] != 0) ++n;
    prog->options = ((compile_flags & REGEX_COMPILE_ICASE) ? REGEX_OPT_ICASE : 0) |
                    ((compile_flags & REGEX_COMPILE_IWIDTH) ? REGEX_OPT_IWIDTH : 0);
    int start_options = prog->options;
    Parser parser(prog);
    Frag f;
    if (int error = parser.parse(pattern, pattern + n, &f)) return error;
    prog->root = f.first;
    prog->options = start_options;
    return 0;
}

int regex_parse_literal(RegexProgram* prog, const char16_t* text, int length, int compile_flags) {
    if (!text) return 1;
    int n = 0;
    while ((length < 0 || n < length) && text[n] != 0) ++n;
    int flags = ((compile_flags & REGEX_COMPILE_ICASE) ? REGEX_FOLD_CASE : 0) |
                ((compile_flags & REGEX_COMPILE_IWIDTH) ? REGEX_FOLD_WIDTH : 0);
    RegexNode* last = nullptr;
    for (const char16_t *p = text, *end = text + n; p < end;) {
        int units;
        RegexNode* c = regex_new_node(prog, RN_CHAR);
        if (!c) return 1;
        c->aux = flags;
        c->value = regex_fold(regex_read_cp(p, end, &units), flags);
        p += units;
        if (last) last->next = c; else prog->root = c;
        last = c;
    }
    RegexNode* e = regex_new_node(prog, RN_EMPTY);
    if (!e) return 1;
    if (last) last->next = e; else prog->root = e;
    return 0;
}
