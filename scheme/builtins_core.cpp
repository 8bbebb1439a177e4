// Core builtins beyond the first set: division, type predicates, lists,
// vectors, characters, strings and symbols.
#include <climits>
#include <cstdio>
#include <cstring>

#include "scheme/library.h"

bool scheme_raise_type(scheme_context* ctx, const char* letter, scheme_cell* bad) {
    char16_t name[64], l[4];
    scheme_ascii_to_u16(scheme_op_name(ctx->op), name, 64);
    scheme_ascii_to_u16(letter, l, 4);
    scheme_root r(ctx, bad);
    scheme_cell* one = cons(ctx, bad, ctx->NIL);
    scheme_cell* out[1];
    int n;
    scheme_check_args(ctx, name, 0, 1, l, one, out, &n);
    return scheme_raise_error_text(ctx, bad);
}

namespace {

// --- arithmetic --------------------------------------------------------------------------

bool all_numbers(scheme_context* ctx, scheme_cell** bad) {
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr)
        if (!scheme_is_atom_of(p->car, SCHEME_INTEGER)) {
            *bad = p->car;
            return false;
        }
    return true;
}

// Truncating division and remainder that never trap (INT_MIN / -1 wraps).
int32_t div_trunc(int32_t x, int32_t y) { return (x == INT32_MIN && y == -1) ? INT32_MIN : x / y; }
int32_t rem_trunc(int32_t x, int32_t y) { return y == -1 ? 0 : x % y; }

template <typename Step>
bool fold_division(scheme_context* ctx, const char16_t* zero_message, Step step) {
    SCHEME_CHECK(1, 1, "N");
    scheme_cell* bad;
    if (!all_numbers(ctx, &bad)) return scheme_raise_type(ctx, "N", bad);
    int32_t v = a[0]->ival;
    for (scheme_cell* p = ctx->args->cdr; scheme_is(p, SCHEME_PAIR); p = p->cdr) {
        if (p->car->ival == 0) return scheme_raise(ctx, zero_message);
        v = step(v, p->car->ival);
    }
    return scheme_return(ctx, mk_integer(ctx, v));
}

bool op_div(scheme_context* ctx) { return fold_division(ctx, u"Divided by zero", div_trunc); }
bool op_remainder(scheme_context* ctx) { return fold_division(ctx, u"Dividev by zero", rem_trunc); }

bool op_modulo(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "NN");
    int32_t x = a[0]->ival, y = a[1]->ival;
    if (y == 0) return scheme_raise(ctx, u"Dividev by zero");
    int32_t r = rem_trunc(x, y);
    if (r != 0 && ((r < 0) != (y < 0))) r += y;
    return scheme_return(ctx, mk_integer(ctx, r));
}

bool op_number_to_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "N");
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%d", static_cast<int>(a[0]->ival));
    char16_t u[16];
    scheme_ascii_to_u16(buf, u, 16);
    return scheme_return(ctx, mk_string(ctx, u));
}

bool is_blank(char16_t c) { return c == ' ' || (c >= 9 && c <= 13); }

bool op_string_to_number(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    const char16_t* p = scheme_string(a[0])->text;
    while (is_blank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(v)));
}

// --- predicates --------------------------------------------------------------------------

template <typename Pred>
bool predicate(scheme_context* ctx, Pred pred) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, scheme_bool(ctx, pred(ctx, a[0])));
}

#define PREDICATE(fn, expr) \
    bool fn(scheme_context* ctx) { return predicate(ctx, [](scheme_context* ctx, scheme_cell* x) { (void)ctx; return (expr); }); }

PREDICATE(op_boolean_p, x == ctx->T || x == ctx->F)
PREDICATE(op_number_p, scheme_is_atom_of(x, SCHEME_INTEGER))
PREDICATE(op_procedure_p, scheme_is_atom_of(x, SCHEME_PRIMITIVE) || scheme_is_atom_of(x, SCHEME_CONTINUATION) ||
                              scheme_is_atom_of(x, SCHEME_CALLBACK) ||
                              (scheme_is(x, SCHEME_CLOSURE) && !(x->flags & SCHEME_ATOM)))
PREDICATE(op_closure_p, scheme_is(x, SCHEME_CLOSURE) && !(x->flags & SCHEME_ATOM))
PREDICATE(op_macro_p, scheme_is(x, SCHEME_MACRO) && !(x->flags & SCHEME_ATOM))
PREDICATE(op_list_p, scheme_list_length(ctx, x) >= 0)
PREDICATE(op_vector_p, scheme_is_atom_of(x, SCHEME_VECTOR))
PREDICATE(op_char_p, scheme_is_atom_of(x, SCHEME_CHAR))
PREDICATE(op_symbol_p, scheme_is_atom_of(x, SCHEME_SYMBOL))
PREDICATE(op_string_p, scheme_is_atom_of(x, SCHEME_STRING))

#undef PREDICATE

// --- pairs and lists ---------------------------------------------------------------------

bool op_set_car(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "PA");
    a[0]->car = a[1];
    return scheme_return(ctx, ctx->UNDEF);
}

bool op_set_cdr(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "PA");
    a[0]->cdr = a[1];
    return scheme_return(ctx, ctx->UNDEF);
}

bool op_length(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    int32_t len = scheme_list_length(ctx, a[0]);
    if (len < 0) return scheme_raise_type(ctx, "L", a[0]);
    return scheme_return(ctx, mk_integer(ctx, len));
}

bool op_reverse(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "L");
    scheme_cell* result = ctx->NIL;
    scheme_root r(ctx, result);
    for (scheme_cell* p = a[0]; scheme_is(p, SCHEME_PAIR); p = p->cdr) result = cons(ctx, p->car, result);
    return scheme_return(ctx, result);
}

bool op_append(scheme_context* ctx) {
    scheme_list_builder out(ctx);
    scheme_cell* p = ctx->args;
    if (!scheme_is(p, SCHEME_PAIR)) return scheme_return(ctx, ctx->NIL);
    for (; scheme_is(p->cdr, SCHEME_PAIR); p = p->cdr) {
        if (scheme_list_length(ctx, p->car) < 0) return scheme_raise_type(ctx, "L", p->car);
        for (scheme_cell* q = p->car; scheme_is(q, SCHEME_PAIR); q = q->cdr) out.add(q->car);
    }
    return scheme_return(ctx, out.finish(p->car));
}

// --- vectors -----------------------------------------------------------------------------

bool op_make_vector(scheme_context* ctx) {
    SCHEME_CHECK(1, 2, "+A");
    scheme_cell* fill = n > 1 ? a[1] : ctx->NIL;
    scheme_cell* v = mk_vector(ctx, a[0]->ival, nullptr);
    auto* p = scheme_vector(v);
    for (int32_t i = 0; i < a[0]->ival; ++i) p->cells[i] = fill;
    p->length = a[0]->ival;
    return scheme_return(ctx, v);
}

bool op_vector_set(scheme_context* ctx) {
    SCHEME_CHECK(3, 3, "VNA");
    int32_t i = a[1]->ival;
    if (i < 0 || i >= scheme_vector(a[0])->length) return scheme_raise(ctx, u"vector-set! index out of range:", a[1]);
    scheme_vector(a[0])->cells[i] = a[2];
    return scheme_return(ctx, ctx->UNDEF);
}

// --- characters and symbols --------------------------------------------------------------

bool op_char_to_integer(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "C");
    return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(a[0]->cval)));
}

bool op_integer_to_char(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "N");
    // Strings are UTF-16: a code point outside Unicode or a lone surrogate
    // would make text no string can hold.
    int32_t cp = a[0]->ival;
    if (cp < 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return scheme_raise(ctx, u"integer->char: argument out of range:", a[0]);
    return scheme_return(ctx, mk_char(ctx, static_cast<uint32_t>(cp)));
}

bool op_symbol_bound(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "Y");
    return scheme_return(ctx, scheme_bool(ctx, scheme_lookup(ctx, a[0]) != nullptr));
}

bool op_symbol_to_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "Y");
    return scheme_return(ctx, mk_string(ctx, scheme_symbol_name(a[0])));
}

bool op_string_to_symbol(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    return scheme_return(ctx, intern(ctx, scheme_string(a[0])->text));
}

// --- strings (indexes count characters; a surrogate pair is one) ---------------------------

// Unit offset of character index i, or -1 when i is at or past the end.
int32_t unit_of(const scheme_string_payload* s, int32_t i) {
    int32_t u = 0;
    for (int32_t k = 0; k < i && u < s->length; ++k) u += scheme_char_units(s->text + u, s->length - u);
    return u < s->length ? u : -1;
}

bool op_make_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 2, "+C");
    char16_t unit[2];
    int w = scheme_put_char(unit, n > 1 ? a[1]->cval : ' ');
    std::size_t count = static_cast<std::size_t>(a[0]->ival);
    scheme_cell* s = mk_empty_string(ctx, count * static_cast<std::size_t>(w));
    char16_t* out = scheme_string(s)->text;
    for (std::size_t i = 0; i < count; ++i)
        for (int k = 0; k < w; ++k) *out++ = unit[k];
    *out = 0;
    return scheme_return(ctx, s);
}

bool op_string_length(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    auto* s = scheme_string(a[0]);
    return scheme_return(ctx, mk_integer(ctx, scheme_count_chars(s->text, s->text + s->length)));
}

bool op_string_ref(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "S+");
    auto* s = scheme_string(a[0]);
    int32_t u = unit_of(s, a[1]->ival);
    if (u < 0) return scheme_raise(ctx, u"out of string buffer");
    return scheme_return(ctx, mk_char(ctx, scheme_char_at(s->text + u, s->length - u)));
}

bool op_string_set(scheme_context* ctx) {
    SCHEME_CHECK(3, 3, "S+C");
    auto* s = scheme_string(a[0]);
    int32_t u = unit_of(s, a[1]->ival);
    if (u < 0) return scheme_raise(ctx, u"out of string buffer");
    char16_t unit[2];
    int w = scheme_put_char(unit, a[2]->cval);
    int old = scheme_char_units(s->text + u, s->length - u);
    if (w == old) {
        for (int k = 0; k < w; ++k) s->text[u + k] = unit[k];
        return scheme_return(ctx, a[0]);
    }
    std::size_t len = static_cast<std::size_t>(s->length) - old + w;
    auto* grown = static_cast<scheme_string_payload*>(
        scheme_payload_alloc(ctx, offsetof(scheme_string_payload, text) + (len + 1) * sizeof(char16_t)));
    grown->length = static_cast<int32_t>(len);
    std::memcpy(grown->text, s->text, u * sizeof(char16_t));
    for (int k = 0; k < w; ++k) grown->text[u + k] = unit[k];
    std::memcpy(grown->text + u + w, s->text + u + old, (s->length - u - old + 1) * sizeof(char16_t));
    scheme_payload_free(ctx, s);
    a[0]->payload = grown;
    return scheme_return(ctx, a[0]);
}

bool op_substring(scheme_context* ctx) {
    SCHEME_CHECK(3, 3, "S++");
    int32_t start = a[1]->ival, end = a[2]->ival;
    if (start > end) return scheme_raise(ctx, u"substring: invalid argument (start > end)");
    auto* s = scheme_string(a[0]);
    // an index equal to the character count is allowed for the end
    int32_t chars = scheme_count_chars(s->text, s->text + s->length);
    if (end > chars) return scheme_raise(ctx, u"out of string buffer");
    int32_t from = start < chars ? unit_of(s, start) : s->length;
    int32_t to = end < chars ? unit_of(s, end) : s->length;
    return scheme_return(ctx, mk_string_n(ctx, s->text + from, static_cast<std::size_t>(to - from)));
}

bool op_string_append(scheme_context* ctx) {
    std::size_t total = 0;
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr) {
        if (!scheme_is_atom_of(p->car, SCHEME_STRING)) return scheme_raise_type(ctx, "S", p->car);
        total += static_cast<std::size_t>(scheme_string(p->car)->length);
    }
    scheme_cell* s = mk_empty_string(ctx, total);
    char16_t* out = scheme_string(s)->text;
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr) {
        auto* part = scheme_string(p->car);
        std::memcpy(out, part->text, part->length * sizeof(char16_t));
        out += part->length;
    }
    *out = 0;
    return scheme_return(ctx, s);
}

uint32_t fold_ascii(uint32_t c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int compare_strings(const scheme_string_payload* x, const scheme_string_payload* y, bool fold) {
    int32_t i = 0, j = 0;
    while (i < x->length && j < y->length) {
        uint32_t c = scheme_char_at(x->text + i, x->length - i);
        uint32_t d = scheme_char_at(y->text + j, y->length - j);
        if (fold) c = fold_ascii(c), d = fold_ascii(d);
        if (c != d) return c < d ? -1 : 1;
        i += scheme_char_units(x->text + i, x->length - i);
        j += scheme_char_units(y->text + j, y->length - j);
    }
    if (i < x->length) return 1;
    if (j < y->length) return -1;
    return 0;
}

bool string_cmp(scheme_context* ctx, bool fold) {
    SCHEME_CHECK(3, 3, "pSS");
    int r = compare_strings(scheme_string(a[1]), scheme_string(a[2]), fold);
    bool result;
    switch (scheme_is_atom_of(a[0], SCHEME_PRIMITIVE) ? a[0]->op : -1) {
    case OP_NUM_EQ: result = r == 0; break;
    case OP_LT: result = r < 0; break;
    case OP_GT: result = r > 0; break;
    case OP_LE: result = r <= 0; break;
    case OP_GE: result = r >= 0; break;
    default: return scheme_raise(ctx, u"unsupported procedure", a[0]);
    }
    return scheme_return(ctx, scheme_bool(ctx, result));
}

bool op_string_cmp(scheme_context* ctx) { return string_cmp(ctx, false); }
bool op_string_cmp_ci(scheme_context* ctx) { return string_cmp(ctx, true); }

bool op_get_closure_code(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    scheme_cell* x = a[0];
    if ((scheme_is(x, SCHEME_CLOSURE) || scheme_is(x, SCHEME_MACRO)) && !(x->flags & SCHEME_ATOM))
        return scheme_return(ctx, cons(ctx, ctx->sym_lambda, x->car));
    if (scheme_is_atom_of(x, SCHEME_CONTINUATION)) {
        auto* k = static_cast<scheme_continuation_payload*>(x->payload);
        scheme_cell* code = k->count > 0 ? k->frames[k->count - 1].code : ctx->NIL;
        return scheme_return(ctx, cons(ctx, ctx->sym_lambda, code));
    }
    return scheme_return(ctx, ctx->F);
}

}  // namespace

void scheme_register_core_library_ops() {
    static const scheme_op_binding rows[] = {
        {OP_DIV, "/", op_div},
        {OP_REMAINDER, "remainder", op_remainder},
        {OP_MODULO, "modulo", op_modulo},
        {OP_SET_CAR, "set-car!", op_set_car},
        {OP_SET_CDR, "set-cdr!", op_set_cdr},
        {OP_BOOLEAN_P, "boolean?", op_boolean_p},
        {OP_NUMBER_P, "number?", op_number_p},
        {OP_INTEGER_P, "integer?", op_number_p},
        {OP_NUMBER_TO_STRING, "number->string", op_number_to_string},
        {OP_STRING_TO_NUMBER, "string->number", op_string_to_number},
        {OP_PROCEDURE_P, "procedure?", op_procedure_p},
        {OP_CLOSURE_P, "closure?", op_closure_p},
        {OP_MACRO_P, "macro?", op_macro_p},
        {OP_LIST_P, "list?", op_list_p},
        {OP_LENGTH, "length", op_length},
        {OP_REVERSE, "reverse", op_reverse},
        {OP_APPEND, "append", op_append},
        {OP_VECTOR_P, "vector?", op_vector_p},
        {OP_MAKE_VECTOR, "make-vector", op_make_vector},
        {OP_VECTOR_SET, "vector-set!", op_vector_set},
        {OP_CHAR_P, "char?", op_char_p},
        {OP_CHAR_TO_INTEGER, "char->integer", op_char_to_integer},
        {OP_INTEGER_TO_CHAR, "integer->char", op_integer_to_char},
        {OP_SYMBOL_P, "symbol?", op_symbol_p},
        {OP_SYMBOL_BOUND_P, "symbol-bound?", op_symbol_bound},
        {OP_SYMBOL_TO_STRING, "symbol->string", op_symbol_to_string},
        {OP_STRING_P, "string?", op_string_p},
        {OP_MAKE_STRING, "make-string", op_make_string},
        {OP_STRING_LENGTH, "string-length", op_string_length},
        {OP_STRING_TO_SYMBOL, "string->symbol", op_string_to_symbol},
        {OP_STRING_REF, "string-ref", op_string_ref},
        {OP_STRING_SET, "string-set!", op_string_set},
        {OP_SUBSTRING, "substring", op_substring},
        {OP_STRING_APPEND, "string-append", op_string_append},
        {OP_STRING_CMP_P, "_string-cmp?", op_string_cmp},
        {OP_STRING_CMP_CI_P, "_string-cmp-ci?", op_string_cmp_ci},
        {OP_GET_CLOSURE_CODE, "get-closure-code", op_get_closure_code},
    };
    scheme_set_ops(rows);
}
