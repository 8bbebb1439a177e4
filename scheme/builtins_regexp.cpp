// Regexp builtins: regexps made from strings (and #/.../ literals), matches
// read through regmatch cells, replacement by template or by procedure.
// Positions given to Scheme count characters, not UTF-16 units.
#include <cstring>
#include <string>

#include "scheme/library.h"
#include "textengine/regex/regex.h"

namespace {

struct RegexpPayload {
    CompiledRegex* re;
    int32_t icase;
    int32_t length;
    char16_t pattern[1];
};

// A snapshot of one match: the subject and (start, end) units per group,
// -1 for a group that took no part.
struct RegmatchPayload {
    scheme_cell* gc_link;  // container header
    scheme_cell* subject;
    int32_t count;         // groups + 1
    int32_t spans[2 * (REGEX_MAX_GROUPS + 1)];
};

RegexpPayload* regexp_of(scheme_cell* c) { return static_cast<RegexpPayload*>(c->payload); }
RegmatchPayload* regmatch_of(scheme_cell* c) { return static_cast<RegmatchPayload*>(c->payload); }

void finalize_regexp(scheme_context* ctx, scheme_cell* c) {
    if (auto* p = regexp_of(c)) {
        regex_free(p->re);
        scheme_payload_free(ctx, p);
        c->payload = nullptr;
    }
}

void mark_regmatch(scheme_context* ctx, scheme_cell* c) { scheme_mark(ctx, regmatch_of(c)->subject); }

// Compiles the pattern; null with "invalid regexp pattern" in the error text.
scheme_cell* make_regexp(scheme_context* ctx, const char16_t* pattern, bool icase) {
    std::size_t n = scheme_u16len(pattern);
    CompiledRegex* re = regex_compile_n(pattern, static_cast<int>(n), icase ? REGEX_COMPILE_ICASE : 0);
    if (!re) {
        scheme_ascii_to_u16("invalid regexp pattern", ctx->error_text, SCHEME_ERROR_TEXT);
        return nullptr;
    }
    scheme_cell* c;
    RegexpPayload* p;
    try {
        c = get_cell(ctx, ctx->NIL, ctx->NIL);
        p = static_cast<RegexpPayload*>(
            scheme_payload_alloc(ctx, offsetof(RegexpPayload, pattern) + (n + 1) * sizeof(char16_t)));
    } catch (...) {
        regex_free(re);
        throw;
    }
    p->re = re;
    p->icase = icase ? 1 : 0;
    p->length = static_cast<int32_t>(n);
    std::memcpy(p->pattern, pattern, (n + 1) * sizeof(char16_t));
    c->payload = p;
    c->cdr = ctx->NIL;
    c->flags = SCHEME_ATOM | SCHEME_REGEXP;
    return c;
}

// A regmatch of the engine's last match over the given subject.
scheme_cell* make_regmatch(scheme_context* ctx, CompiledRegex* re, scheme_cell* subject, int col, int len) {
    scheme_root r(ctx, subject);
    int count = re->prog.group_count + 1;
    if (count > REGEX_MAX_GROUPS + 1) count = REGEX_MAX_GROUPS + 1;
    scheme_cell* c = get_cell(ctx, subject, ctx->NIL);
    auto* m = static_cast<RegmatchPayload*>(
        scheme_payload_alloc(ctx, sizeof(RegmatchPayload)));
    m->gc_link = nullptr;
    m->subject = subject;
    m->count = count;
    m->spans[0] = col;
    m->spans[1] = col + len;
    for (int g = 1; g < count; ++g) {
        const RegexGroupSlot& s = re->last_groups[g - 1];
        m->spans[2 * g] = s.length < 0 ? -1 : s.start_col;
        m->spans[2 * g + 1] = s.length < 0 ? -1 : s.start_col + s.length;
    }
    c->payload = m;
    c->cdr = ctx->NIL;
    c->flags = SCHEME_ATOM | SCHEME_REGMATCH;
    return c;
}

bool raise_search_failure(scheme_context* ctx) {
    return scheme_raise(ctx, u"regexp: the search gave up (too much backtracking)");
}

bool op_regexp_p(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, scheme_bool(ctx, scheme_is_atom_of(a[0], SCHEME_REGEXP)));
}

bool op_regexp_to_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "R");
    RegexpPayload* p = regexp_of(a[0]);
    return scheme_return(ctx, mk_string_n(ctx, p->pattern, static_cast<std::size_t>(p->length)));
}

bool op_string_to_regexp(scheme_context* ctx) {
    SCHEME_CHECK(1, 2, "SA");
    scheme_cell* re = make_regexp(ctx, scheme_string(a[0])->text, n > 1 && a[1] != ctx->F);
    if (!re) return scheme_raise_error_text(ctx);
    return scheme_return(ctx, re);
}

bool op_rxmatch(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "RS");
    CompiledRegex* re = regexp_of(a[0])->re;
    auto* s = scheme_string(a[1]);
    int col = 0, len = 0;
    int r = regex_search_string_n(re, s->text, s->length, 0, &col, &len);
    if (r < 0) return raise_search_failure(ctx);
    if (r == 0) return scheme_return(ctx, ctx->F);
    return scheme_return(ctx, make_regmatch(ctx, re, a[1], col, len));
}

bool op_regmatch_p(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, scheme_bool(ctx, scheme_is_atom_of(a[0], SCHEME_REGMATCH)));
}

bool op_num_matches(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "M");
    return scheme_return(ctx, mk_integer(ctx, a[0] == ctx->F ? 0 : regmatch_of(a[0])->count));
}

enum GroupPart { GROUP_TEXT, GROUP_START, GROUP_END };

bool group_access(scheme_context* ctx, GroupPart part) {
    SCHEME_CHECK(1, 2, "MN");
    if (a[0] == ctx->F) return scheme_return(ctx, ctx->F);
    RegmatchPayload* m = regmatch_of(a[0]);
    int32_t g = n > 1 ? a[1]->ival : 0;
    if (g < 0 || g >= m->count) return scheme_raise(ctx, u"submatch index out of range");
    int32_t start = m->spans[2 * g], end = m->spans[2 * g + 1];
    if (start < 0) return scheme_return(ctx, ctx->F);
    auto* s = scheme_string(m->subject);
    if (end > s->length || start > end) return scheme_raise(ctx, u"out of string buffer");
    switch (part) {
    case GROUP_TEXT:
        return scheme_return(ctx, mk_string_n(ctx, s->text + start, static_cast<std::size_t>(end - start)));
    case GROUP_START: return scheme_return(ctx, mk_integer(ctx, scheme_count_chars(s->text, s->text + start)));
    default: return scheme_return(ctx, mk_integer(ctx, scheme_count_chars(s->text, s->text + end)));
    }
}

bool op_rxmatch_substring(scheme_context* ctx) { return group_access(ctx, GROUP_TEXT); }
bool op_rxmatch_start(scheme_context* ctx) { return group_access(ctx, GROUP_START); }
bool op_rxmatch_end(scheme_context* ctx) { return group_access(ctx, GROUP_END); }

// --- replacement -------------------------------------------------------------------------

// State of a replacement by procedure. The engine reads a private copy of
// the subject (the procedure cannot reach it, so cannot change it under the
// engine), and each regmatch is a snapshot of the engine's positions.
struct ReplaceByProc {
    scheme_context* ctx;
    scheme_cell* subject;  // the private copy (rooted by the builtin)
    scheme_cell* proc;
    std::u16string text;   // the replacement of the current match
    bool failed = false;   // the procedure raised an error
    bool fatal = false;    // a fatal error, passed on once the engine is out
};

const char16_t* replace_callback(void* user, CompiledRegex* re) {
    auto* st = static_cast<ReplaceByProc*>(user);
    scheme_context* ctx = st->ctx;
    try {
        int col = re->match_start.col;
        int len = re->match_end.col - col;
        scheme_cell* m = make_regmatch(ctx, re, st->subject, col, len);
        ctx->args = cons(ctx, m, ctx->NIL);
        ctx->code = st->proc;
        if (!scheme_run_nested(ctx, OP_APPLY, true)) {
            st->failed = true;
            return nullptr;
        }
        st->text = scheme_print_to_string(ctx, ctx->value, false);
        return st->text.c_str();
    } catch (const scheme_fatal&) {
        st->fatal = true;
        return nullptr;
    }
}

bool replace(scheme_context* ctx, bool all) {
    SCHEME_CHECK(3, 3, "RSs");
    scheme_cell* regexp = a[0];
    scheme_cell* subject = a[1];
    scheme_cell* with = a[2];
    scheme_root r1(ctx, regexp), r2(ctx, subject), r3(ctx, with);
    CompiledRegex* re = regexp_of(regexp)->re;
    char16_t buffer[1024];
    const char16_t* result;
    const char16_t* text;
    if (scheme_is_atom_of(with, SCHEME_STRING)) {
        text = scheme_string(subject)->text;
        result = regex_replace_string(re, text, scheme_string(with)->text, all, buffer, 1024, nullptr, nullptr);
    } else {
        scheme_cell* copy = mk_string_n(ctx, scheme_string(subject)->text,
                                        static_cast<std::size_t>(scheme_string(subject)->length));
        scheme_root r4(ctx, copy);
        ReplaceByProc st{ctx, copy, with, {}};
        // each call of the procedure is a nested run: this run's frames stay below it
        text = scheme_string(copy)->text;
        result = regex_replace_string(re, text, nullptr, all, buffer, 1024, replace_callback, &st);
        if (st.fatal) scheme_fatal_error(ctx, "no memory");
        if (st.failed) return scheme_error_stop(ctx);
    }
    if (!result) return raise_search_failure(ctx);
    if (result == text) return scheme_return(ctx, subject);
    scheme_cell* out;
    try {
        out = mk_string(ctx, result);
    } catch (...) {
        regex_free_replace_result(result, text, buffer);
        throw;
    }
    regex_free_replace_result(result, text, buffer);
    return scheme_return(ctx, out);
}

bool op_regexp_replace(scheme_context* ctx) { return replace(ctx, false); }
bool op_regexp_replace_all(scheme_context* ctx) { return replace(ctx, true); }

}  // namespace

// Printed form of a regexp: #/pattern/ with each / escaped, i when case-insensitive.
bool scheme_print_regexp(scheme_context* ctx, scheme_cell* port, scheme_cell* obj) {
    if (!scheme_is_atom_of(obj, SCHEME_REGEXP)) return false;
    RegexpPayload* p = regexp_of(obj);
    port_write(ctx, port, u"#/");
    int32_t from = 0;
    for (int32_t i = 0; i < p->length; ++i) {
        if (p->pattern[i] != '/') continue;
        port_write_n(ctx, port, p->pattern + from, static_cast<std::size_t>(i - from));
        port_write(ctx, port, u"\\/");
        p = regexp_of(obj);
        from = i + 1;
    }
    port_write_n(ctx, port, p->pattern + from, static_cast<std::size_t>(p->length - from));
    port_write(ctx, port, regexp_of(obj)->icase ? u"/i" : u"/");
    return true;
}

void scheme_register_regexp_ops() {
    scheme_type_table[SCHEME_REGEXP].finalize = finalize_regexp;
    scheme_type_table[SCHEME_REGMATCH].mark_children = mark_regmatch;
    scheme_regexp_maker = make_regexp;
    static const scheme_op_binding rows[] = {
        {OP_REGEXP_P, "regexp?", op_regexp_p},
        {OP_REGEXP_TO_STRING, "regexp->string", op_regexp_to_string},
        {OP_STRING_TO_REGEXP, "string->regexp", op_string_to_regexp},
        {OP_RXMATCH, "rxmatch", op_rxmatch},
        {OP_REGMATCH_P, "regmatch?", op_regmatch_p},
        {OP_RXMATCH_NUM_MATCHES, "rxmatch-num-matches", op_num_matches},
        {OP_RXMATCH_SUBSTRING, "rxmatch-substring", op_rxmatch_substring},
        {OP_RXMATCH_START, "rxmatch-start", op_rxmatch_start},
        {OP_RXMATCH_END, "rxmatch-end", op_rxmatch_end},
        {OP_REGEXP_REPLACE, "regexp-replace", op_regexp_replace},
        {OP_REGEXP_REPLACE_ALL, "regexp-replace-all", op_regexp_replace_all},
    };
    scheme_set_ops(rows);
}
