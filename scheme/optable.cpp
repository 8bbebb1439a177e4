// The op table: every op of the machine by number, filled by the files that
// implement the ops, with the name under which a builtin is bound.
#include <cstdio>
#include <cstring>

#include "scheme/ops.h"

scheme_op_row scheme_op_table[SCHEME_OP_COUNT + 1];

void scheme_set_ops(const scheme_op_binding* rows, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        scheme_op_row& row = scheme_op_table[rows[i].op];
        row.handler = rows[i].handler;
        row.op = rows[i].op;
        row.name = rows[i].name;
    }
}

const char* scheme_op_name(int op) {
    if (op < 0 || op >= SCHEME_OP_COUNT || !scheme_op_table[op].name) return "";
    return scheme_op_table[op].name;
}

// --- the argument check --------------------------------------------------------------

namespace {

bool is_proper_list(scheme_context* ctx, scheme_cell* c) { return scheme_list_length(ctx, c) >= 0; }

// Whether the argument fits the letter; *word is the type word of the message.
bool letter_accepts(scheme_context* ctx, char16_t letter, scheme_cell* a, const char** word) {
    int t = scheme_type(a);
    bool atom = (a->flags & SCHEME_ATOM) != 0;
    auto port_flags = [&]() { return t == SCHEME_PORT && atom ? scheme_port(a)->flags : 0; };
    switch (letter) {
    case '+': *word = "positive number"; return t == SCHEME_INTEGER && atom && a->ival >= 0;
    case 'C': *word = "character"; return t == SCHEME_CHAR && atom;
    case 'H': *word = "hash-table"; return t == SCHEME_HASH && atom;
    case 'I': *word = "input port"; return (port_flags() & SCHEME_PORT_INPUT) != 0;
    case 'L': *word = "list"; return is_proper_list(ctx, a);
    case 'M': *word = "regmatch"; return (t == SCHEME_REGMATCH && atom) || a == ctx->F;
    case 'N': *word = "number"; return t == SCHEME_INTEGER && atom;
    case 'O': *word = "output port"; return (port_flags() & SCHEME_PORT_OUTPUT) != 0;
    case 'P': *word = "pair"; return t == SCHEME_PAIR && !atom;
    case 'R': *word = "regexp"; return t == SCHEME_REGEXP && atom;
    case 'S': *word = "string"; return t == SCHEME_STRING && atom;
    case 'T': *word = "port"; return t == SCHEME_PORT && atom;
    case 'V': *word = "vector"; return t == SCHEME_VECTOR && atom;
    case 'Y': *word = "symbol"; return t == SCHEME_SYMBOL && atom;
    case 'b': *word = "object"; return t == SCHEME_OBJECT && atom;
    case 'c': *word = "closure"; return t == SCHEME_CLOSURE && !atom;
    case 'k': *word = "class"; return t == SCHEME_CLASS && atom;
    case 'o':
        *word = "output string port";
        return (port_flags() & (SCHEME_PORT_OUTPUT | SCHEME_PORT_STRING)) == (SCHEME_PORT_OUTPUT | SCHEME_PORT_STRING);
    case 'p': *word = "procedure"; return (t == SCHEME_CLOSURE && !atom) || (t == SCHEME_PRIMITIVE && atom);
    case 's':
        *word = "string or procedure";
        return (t == SCHEME_CLOSURE && !atom) || (t == SCHEME_PRIMITIVE && atom) || (t == SCHEME_STRING && atom);
    default: *word = nullptr; return true;
    }
}

void format_error(scheme_context* ctx, const char* fmt, const char16_t* name, const char* word, int a, int b) {
    // fmt uses %N for the UTF-16 name, %W for the word and %d twice
    char16_t* out = ctx->error_text;
    std::size_t n = 0, cap = SCHEME_ERROR_TEXT - 1;
    int ints[2] = {a, b}, next_int = 0;
    for (const char* p = fmt; *p && n < cap; ++p) {
        if (*p != '%') {
            out[n++] = static_cast<unsigned char>(*p);
            continue;
        }
        ++p;
        if (*p == 'N') {
            for (const char16_t* s = name; *s && n < cap; ++s) out[n++] = *s;
        } else if (*p == 'W') {
            for (const char* s = word; *s && n < cap; ++s) out[n++] = static_cast<unsigned char>(*s);
        } else if (*p == 'd') {
            char buf[16];
            std::snprintf(buf, sizeof(buf), "%d", ints[next_int++ & 1]);
            for (const char* s = buf; *s && n < cap; ++s) out[n++] = static_cast<unsigned char>(*s);
        }
    }
    out[n] = 0;
}

}  // namespace

int scheme_check_args(scheme_context* ctx, const char16_t* name, int min, int max, const char16_t* letters,
                      scheme_cell* args, scheme_cell** out, int* count) {
    int taken = 0;
    const char16_t* l = letters ? letters : u"";
    scheme_cell* p = args;
    while ((max < 0 || taken < max) && scheme_is(p, SCHEME_PAIR)) {
        char16_t letter = *l;
        if (letter == 'D') {
            out[taken++] = p;
            p = ctx->NIL;
            break;
        }
        const char* word = nullptr;
        if (letter && !letter_accepts(ctx, letter, p->car, &word)) {
            format_error(ctx, "%N: %W required:", name, word, 0, 0);
            out[0] = p->car;
            *count = taken;
            return 1;
        }
        out[taken++] = p->car;
        p = p->cdr;
        if (*l) ++l;
    }
    *count = taken;
    if (taken < min) {
        format_error(ctx, "wrong number of arguments: %N requires %d, but got %d", name, nullptr, min, taken);
        return 2;
    }
    return 0;
}

int scheme_check_builtin(scheme_context* ctx, int min, int max, const char* letters, scheme_cell** out, int* count) {
    char16_t name[64], l[33];
    scheme_ascii_to_u16(scheme_op_name(ctx->op), name, 64);
    scheme_ascii_to_u16(letters, l, 33);
    return scheme_check_args(ctx, name, min, max, l, ctx->args, out, count);
}

void scheme_bind_op(scheme_context* ctx, const char16_t* name, int type, int op) {
    scheme_cell* sym = intern(ctx, name);
    scheme_cell* c = get_cell(ctx, sym, ctx->NIL);
    c->flags = static_cast<uint16_t>(SCHEME_ATOM | type);
    c->op = op;
    c->cdr = ctx->NIL;
    scheme_define(ctx, sym, c);
}

void scheme_bind_builtins(scheme_context* ctx) {
    for (int i = 0; i < SCHEME_OP_COUNT; ++i) {
        const scheme_op_row& row = scheme_op_table[i];
        if (!row.name || !row.handler) continue;
        char16_t name[64];
        scheme_ascii_to_u16(row.name, name, 64);
        scheme_bind_op(ctx, name, SCHEME_PRIMITIVE, i);
    }
}
