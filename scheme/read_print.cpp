// The reader and the printer, as ops of the machine: nested structure lives
// on the dump stack, never on the C stack.
#include <cstdio>
#include <cstring>

#include "scheme/internal.h"
#include "scheme/ops.h"

scheme_regexp_maker_fn scheme_regexp_maker = nullptr;

namespace {

enum Token {
    TOK_LPAREN = 0,
    TOK_RPAREN = 1,
    TOK_DOT = 2,
    TOK_ATOM = 3,
    TOK_QUOTE = 4,
    TOK_VECTOR = 5,
    TOK_COMMENT = 6,
    TOK_STRING = 7,
    TOK_QUASIQUOTE = 8,
    TOK_QUASIQUOTE_VECTOR = 9,
    TOK_UNQUOTE = 10,
    TOK_UNQUOTE_SPLICING = 11,
    TOK_SHARP = 12,
    TOK_BLOCK_COMMENT = 13,
    TOK_REGEXP = 14,
    TOK_EOF = 15,
};

bool is_space(int32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_delimiter(int32_t c) { return c < 0 || is_space(c) || c == '(' || c == ')' || c == ';'; }

int read_token(scheme_context* ctx) {
    scheme_cell* in = ctx->inport;
    int32_t c;
    while (is_space(c = port_peek(ctx, in))) port_advance(ctx, in);
    if (c < 0) return TOK_EOF;
    switch (c) {
    case '(': port_advance(ctx, in); return TOK_LPAREN;
    case ')': port_advance(ctx, in); return TOK_RPAREN;
    case '.':
        if (is_space(port_peek2(ctx, in))) {
            port_advance(ctx, in);
            return TOK_DOT;
        }
        return TOK_ATOM;
    case '\'':
        port_advance(ctx, in);
        if (port_peek(ctx, in) == '#' && port_peek2(ctx, in) == '(') {
            port_advance(ctx, in);
            return TOK_VECTOR;
        }
        return TOK_QUOTE;
    case ';': port_advance(ctx, in); return TOK_COMMENT;
    case '"': port_advance(ctx, in); return TOK_STRING;
    case '`':
        port_advance(ctx, in);
        if (port_peek(ctx, in) == '#' && port_peek2(ctx, in) == '(') {
            port_advance(ctx, in);
            return TOK_QUASIQUOTE_VECTOR;
        }
        return TOK_QUASIQUOTE;
    case ',':
        port_advance(ctx, in);
        if (port_peek(ctx, in) == '@') {
            port_advance(ctx, in);
            return TOK_UNQUOTE_SPLICING;
        }
        return TOK_UNQUOTE;
    case '#': {
        int32_t n = port_peek2(ctx, in);
        port_advance(ctx, in);
        switch (n) {
        case '(': return TOK_VECTOR;
        case '!': port_advance(ctx, in); return TOK_COMMENT;
        case '|': port_advance(ctx, in); return TOK_BLOCK_COMMENT;
        case '/': port_advance(ctx, in); return TOK_REGEXP;
        default: return TOK_SHARP;
        }
    }
    default: return TOK_ATOM;
    }
}

// Reads the next token, skipping comments.
int next_token(scheme_context* ctx) {
    for (;;) {
        int t = read_token(ctx);
        scheme_cell* in = ctx->inport;
        if (t == TOK_COMMENT) {
            int32_t c;
            while ((c = port_peek(ctx, in)) >= 0 && c != '\n') port_advance(ctx, in);
            if (c == '\n') port_advance(ctx, in);
            continue;
        }
        if (t == TOK_BLOCK_COMMENT) {
            int depth = 1;
            for (;;) {
                int32_t c = port_peek(ctx, in);
                if (c < 0) break;
                int32_t d = port_peek2(ctx, in);
                if (c == '#' && d == '|') {
                    port_advance(ctx, in);
                    port_advance(ctx, in);
                    ++depth;
                } else if (c == '|' && d == '#') {
                    port_advance(ctx, in);
                    port_advance(ctx, in);
                    if (--depth == 0) break;
                } else {
                    port_advance(ctx, in);
                }
            }
            continue;
        }
        return t;
    }
}

void scratch_clear(scheme_context* ctx) { scheme_string_port_clear(ctx, ctx->strport); }
void scratch_put(scheme_context* ctx, uint32_t cp) {
    char16_t u[2];
    port_write_n(ctx, ctx->strport, u, static_cast<std::size_t>(scheme_put_char(u, cp)));
}
const char16_t* scratch_text(scheme_context* ctx) {
    auto* p = scheme_port(ctx->strport);
    return p->buffer ? p->buffer : u"";
}
std::size_t scratch_len(scheme_context* ctx) {
    auto* p = scheme_port(ctx->strport);
    return static_cast<std::size_t>(p->pos - p->buffer);
}

void collect_atom(scheme_context* ctx) {
    scratch_clear(ctx);
    int32_t c;
    while (!is_delimiter(c = port_peek(ctx, ctx->inport))) {
        scratch_put(ctx, static_cast<uint32_t>(c));
        port_advance(ctx, ctx->inport);
    }
}

// Wraps the object to come: push the wrap op, read on.
bool read_wrapped(scheme_context* ctx, int wrap_op) {
    scheme_push(ctx, wrap_op, ctx->NIL, ctx->NIL);
    ctx->token = next_token(ctx);
    ctx->op = OP_READ_OBJECT;
    return true;
}

scheme_cell* reverse_in_place(scheme_context* ctx, scheme_cell* list, scheme_cell* tail) {
    scheme_cell* result = tail;
    while (scheme_is(list, SCHEME_PAIR)) {
        scheme_cell* next = list->cdr;
        list->cdr = result;
        result = list;
        list = next;
    }
    return result;
}

bool op_read_object(scheme_context* ctx) {
    scheme_cell* in = ctx->inport;
    switch (ctx->token) {
    case TOK_LPAREN:
        ctx->token = next_token(ctx);
        if (ctx->token == TOK_RPAREN) return scheme_return(ctx, ctx->NIL);
        if (ctx->token == TOK_DOT) return scheme_raise(ctx, u"syntax error -- illegal dot expression");
        scheme_push(ctx, OP_READ_LIST, ctx->NIL, ctx->NIL);
        ctx->op = OP_READ_OBJECT;
        return true;
    case TOK_ATOM:
        collect_atom(ctx);
        return scheme_return(ctx, parse_atom(ctx, scratch_text(ctx)));
    case TOK_QUOTE: return read_wrapped(ctx, OP_WRAP_QUOTE);
    case TOK_QUASIQUOTE: return read_wrapped(ctx, OP_WRAP_QUASIQUOTE);
    case TOK_QUASIQUOTE_VECTOR: return read_wrapped(ctx, OP_WRAP_QUASIQUOTE_VEC);
    case TOK_UNQUOTE: return read_wrapped(ctx, OP_WRAP_UNQUOTE);
    case TOK_UNQUOTE_SPLICING: return read_wrapped(ctx, OP_WRAP_UNQUOTE_SPLICING);
    case TOK_VECTOR: return read_wrapped(ctx, OP_READ_VECTOR);
    case TOK_STRING: {
        scratch_clear(ctx);
        int32_t c;
        while ((c = port_peek(ctx, in)) >= 0 && c != '"') {
            port_advance(ctx, in);
            if (c == '\\') {
                c = port_peek(ctx, in);
                if (c < 0) break;
                port_advance(ctx, in);
                if (c == 'n') c = '\n';
                else if (c == 'r') c = '\r';
                else if (c == 't') c = '\t';
            }
            scratch_put(ctx, static_cast<uint32_t>(c));
        }
        if (c == '"') port_advance(ctx, in);
        return scheme_return(ctx, mk_string_n(ctx, scratch_text(ctx), scratch_len(ctx)));
    }
    case TOK_SHARP: {
        scratch_clear(ctx);
        if (port_peek(ctx, in) == '\\') {
            port_advance(ctx, in);
            scratch_put(ctx, '\\');
            int32_t c = port_peek(ctx, in);
            if (c >= 0) {
                scratch_put(ctx, static_cast<uint32_t>(c));
                port_advance(ctx, in);
            }
        }
        int32_t c;
        while (!is_delimiter(c = port_peek(ctx, in))) {
            scratch_put(ctx, static_cast<uint32_t>(c));
            port_advance(ctx, in);
        }
        scheme_cell* v = parse_sharp(ctx, scratch_text(ctx));
        if (v == ctx->NIL) return scheme_raise(ctx, u"Undefined sharp expression");
        return scheme_return(ctx, v);
    }
    case TOK_REGEXP: {
        scratch_clear(ctx);
        int32_t c;
        while ((c = port_peek(ctx, in)) >= 0 && c != '/') {
            port_advance(ctx, in);
            if (c == '\\') {
                int32_t d = port_peek(ctx, in);
                if (d == '/') {
                    port_advance(ctx, in);
                    scratch_put(ctx, '/');
                    continue;
                }
                scratch_put(ctx, '\\');
                if (d >= 0) {
                    port_advance(ctx, in);
                    scratch_put(ctx, static_cast<uint32_t>(d));
                }
                continue;
            }
            scratch_put(ctx, static_cast<uint32_t>(c));
        }
        if (c == '/') port_advance(ctx, in);
        bool ci = false;
        if (port_peek(ctx, in) == 'i') {
            port_advance(ctx, in);
            ci = true;
        }
        scheme_cell* re = scheme_regexp_maker ? scheme_regexp_maker(ctx, scratch_text(ctx), ci) : nullptr;
        if (!re) {
            if (!scheme_regexp_maker) scheme_ascii_to_u16("invalid regexp pattern", ctx->error_text, SCHEME_ERROR_TEXT);
            return scheme_raise_error_text(ctx);
        }
        return scheme_return(ctx, re);
    }
    case TOK_EOF: ctx->op = OP_EOF_VALUE; return true;
    default: return scheme_raise(ctx, u"syntax error -- illegal token");
    }
}

bool op_read_list(scheme_context* ctx) {
    ctx->args = cons(ctx, ctx->value, ctx->args);
    ctx->token = next_token(ctx);
    switch (ctx->token) {
    case TOK_EOF: return scheme_raise(ctx, u"syntax error -- EOF inside a list");
    case TOK_RPAREN: return scheme_return(ctx, reverse_in_place(ctx, ctx->args, ctx->NIL));
    case TOK_DOT:
        scheme_push(ctx, OP_READ_DOT, ctx->args, ctx->NIL);
        ctx->token = next_token(ctx);
        ctx->op = OP_READ_OBJECT;
        return true;
    default:
        scheme_push(ctx, OP_READ_LIST, ctx->args, ctx->NIL);
        ctx->op = OP_READ_OBJECT;
        return true;
    }
}

bool op_read_dot(scheme_context* ctx) {
    if (next_token(ctx) != TOK_RPAREN) return scheme_raise(ctx, u"syntax error -- illegal dot expression");
    return scheme_return(ctx, reverse_in_place(ctx, ctx->args, ctx->value));
}

bool wrap(scheme_context* ctx, scheme_cell* symbol) {
    scheme_cell* inner = cons(ctx, ctx->value, ctx->NIL);
    return scheme_return(ctx, cons(ctx, symbol, inner));
}

bool op_wrap_quote(scheme_context* ctx) { return wrap(ctx, ctx->sym_quote); }
bool op_wrap_quasiquote(scheme_context* ctx) { return wrap(ctx, ctx->sym_quasiquote); }
bool op_wrap_unquote(scheme_context* ctx) { return wrap(ctx, ctx->sym_unquote); }
bool op_wrap_unquote_splicing(scheme_context* ctx) { return wrap(ctx, ctx->sym_unquote_splicing); }
bool op_wrap_quasiquote_vec(scheme_context* ctx) { return wrap(ctx, ctx->sym_quasiquote_vec); }

bool op_read_vector(scheme_context* ctx) {
    int32_t n = scheme_list_length(ctx, ctx->value);
    if (n < 0) return scheme_raise(ctx, u"vector constructer require list:", ctx->NIL);
    return scheme_return(ctx, mk_vector(ctx, n, ctx->value));
}

bool op_eof_value(scheme_context* ctx) { return scheme_return(ctx, mk_eof(ctx)); }

// --- printer ----------------------------------------------------------------------

// The number of distinct pairs of a circular spine, 0 when the spine ends.
int32_t circular_length(scheme_cell* list) {
    // Brent's cycle finding: lambda is the cycle length, then mu its start.
    scheme_cell* power_start = list;
    scheme_cell* hare = list;
    int32_t power = 1, lambda = 1;
    if (!scheme_is(hare, SCHEME_PAIR)) return 0;
    hare = hare->cdr;
    while (hare != power_start) {
        if (!scheme_is(hare, SCHEME_PAIR)) return 0;
        if (power == lambda) {
            power_start = hare;
            power *= 2;
            lambda = 0;
        }
        hare = hare->cdr;
        ++lambda;
    }
    scheme_cell* tortoise = list;
    hare = list;
    for (int32_t i = 0; i < lambda; ++i) hare = hare->cdr;
    int32_t mu = 0;
    while (tortoise != hare) {
        tortoise = tortoise->cdr;
        hare = hare->cdr;
        ++mu;
    }
    return mu + lambda;
}

// A frame of OP_PRINT_LIST holds the pair whose car is being printed (code:
// the pairs left of a circular spine, or NIL), or, with code #t, the tail
// after " . " (then ")" follows), or, with code #f, a pair or vector whose
// parts are being printed (nothing follows; it leaves the container).
//
// A container reached again inside itself prints as "...". The flag makes the
// check cheap; it can outlive a print that an error cut short, so a set flag
// is believed only when a frame of the running print holds the container.
// The print's frames are the topmost of the dump stack.
bool printing_inside(scheme_context* ctx, scheme_cell* obj) {
    if (!(obj->flags & SCHEME_PRINTING)) return false;
    for (int32_t i = ctx->dump_count - 1; i >= 0; --i) {
        const scheme_frame& f = ctx->dump[i];
        if (f.op != OP_PRINT_LIST && f.op != OP_PRINT_VECTOR) return false;
        if (f.args == obj && f.code == ctx->F) return true;
    }
    return false;
}

void enter_container(scheme_context* ctx, scheme_cell* obj) {
    obj->flags |= SCHEME_PRINTING;
    scheme_push(ctx, OP_PRINT_LIST, obj, ctx->F);
}

bool op_print_object(scheme_context* ctx) {
    scheme_cell* obj = ctx->args;
    scheme_cell* out = ctx->outport;
    bool container = scheme_is(obj, SCHEME_VECTOR) || scheme_is(obj, SCHEME_PAIR);
    if (container && printing_inside(ctx, obj)) {
        port_write(ctx, out, u"...");
        return scheme_return(ctx, ctx->UNDEF);
    }
    if (scheme_is(obj, SCHEME_VECTOR)) {
        port_write(ctx, out, u"#(");
        if (scheme_vector(obj)->length == 0) {
            port_write(ctx, out, u")");
            return scheme_return(ctx, ctx->UNDEF);
        }
        enter_container(ctx, obj);
        scheme_push(ctx, OP_PRINT_VECTOR, obj, mk_integer(ctx, 1));
        ctx->args = scheme_vector(ctx->args)->cells[0];
        return true;
    }
    if (!scheme_is(obj, SCHEME_PAIR)) {
        scheme_print_atom(ctx, out, obj, ctx->print_flag != 0);
        return scheme_return(ctx, ctx->UNDEF);
    }
    if (scheme_is(obj->car, SCHEME_SYMBOL) && scheme_is(obj->cdr, SCHEME_PAIR) && obj->cdr->cdr == ctx->NIL) {
        const char16_t* prefix = nullptr;
        scheme_cell* head = obj->car;
        if (head == ctx->sym_quote) prefix = u"'";
        else if (head == ctx->sym_quote_vector) prefix = u"'#";
        else if (head == ctx->sym_quasiquote) prefix = u"`";
        else if (head == ctx->sym_quasiquote_vec) prefix = u"`#";
        else if (head == ctx->sym_unquote) prefix = u",";
        else if (head == ctx->sym_unquote_splicing) prefix = u",@";
        if (prefix) {
            port_write(ctx, out, prefix);
            enter_container(ctx, obj);
            ctx->args = obj->cdr->car;
            return true;
        }
    }
    port_write(ctx, out, u"(");
    // A circular spine is printed once round, then " ...)".
    int32_t round = circular_length(obj);
    enter_container(ctx, obj);
    scheme_push(ctx, OP_PRINT_LIST, obj, round ? mk_integer(ctx, round - 1) : ctx->NIL);
    ctx->args = obj->car;
    return true;
}

bool op_print_list(scheme_context* ctx) {
    if (ctx->code == ctx->F) {
        ctx->args->flags &= static_cast<uint16_t>(~SCHEME_PRINTING);
        return scheme_return(ctx, ctx->UNDEF);
    }
    if (ctx->code == ctx->T) {
        port_write(ctx, ctx->outport, u")");
        return scheme_return(ctx, ctx->UNDEF);
    }
    scheme_cell* rest = ctx->args->cdr;
    if (scheme_is(rest, SCHEME_PAIR)) {
        scheme_cell* left = ctx->NIL;
        if (scheme_is(ctx->code, SCHEME_INTEGER)) {
            if (ctx->code->ival == 0) {
                port_write(ctx, ctx->outport, u" ...)");
                return scheme_return(ctx, ctx->UNDEF);
            }
            left = mk_integer(ctx, ctx->code->ival - 1);
        }
        port_write(ctx, ctx->outport, u" ");
        scheme_push(ctx, OP_PRINT_LIST, rest, left);
        ctx->args = rest->car;
        ctx->op = OP_PRINT_OBJECT;
        return true;
    }
    if (rest == ctx->NIL) {
        port_write(ctx, ctx->outport, u")");
        return scheme_return(ctx, ctx->UNDEF);
    }
    port_write(ctx, ctx->outport, u" . ");
    scheme_push(ctx, OP_PRINT_LIST, rest, ctx->T);
    ctx->args = rest;
    ctx->op = OP_PRINT_OBJECT;
    return true;
}

bool op_print_vector(scheme_context* ctx) {
    scheme_cell* vec = ctx->args;
    int32_t i = ctx->code->ival;
    if (i >= scheme_vector(vec)->length) {
        port_write(ctx, ctx->outport, u")");
        return scheme_return(ctx, ctx->UNDEF);
    }
    port_write(ctx, ctx->outport, u" ");
    scheme_push(ctx, OP_PRINT_VECTOR, vec, mk_integer(ctx, i + 1));
    ctx->args = scheme_vector(ctx->args)->cells[i];
    ctx->op = OP_PRINT_OBJECT;
    return true;
}

}  // namespace

int32_t scheme_list_length(scheme_context* ctx, scheme_cell* list) {
    // Floyd's check, so a circular list is reported as not a list.
    int32_t n = 0;
    scheme_cell* slow = list;
    scheme_cell* fast = list;
    for (;;) {
        if (fast == ctx->NIL) return n;
        if (!scheme_is(fast, SCHEME_PAIR)) return -1;
        fast = fast->cdr;
        ++n;
        if (fast == ctx->NIL) return n;
        if (!scheme_is(fast, SCHEME_PAIR)) return -1;
        fast = fast->cdr;
        ++n;
        slow = slow->cdr;
        if (fast == slow) return -1;
    }
}

void scheme_write_escaped(scheme_context* ctx, scheme_cell* port, const char16_t* text, std::size_t units) {
    port_write(ctx, port, u"\"");
    std::size_t start = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t* esc = nullptr;
        switch (text[i]) {
        case '\t': esc = u"\\t"; break;
        case '\n': esc = u"\\n"; break;
        case '\r': esc = u"\\r"; break;
        case '"': esc = u"\\\""; break;
        case '\\': esc = u"\\\\"; break;
        default: break;
        }
        if (!esc) continue;
        port_write_n(ctx, port, text + start, i - start);
        port_write(ctx, port, esc);
        start = i + 1;
    }
    port_write_n(ctx, port, text + start, units - start);
    port_write(ctx, port, u"\"");
}

void scheme_print_atom(scheme_context* ctx, scheme_cell* port, scheme_cell* obj, bool write_form) {
    char buf[64];
    if (obj == ctx->NIL) return port_write(ctx, port, u"()");
    if (obj == ctx->T) return port_write(ctx, port, u"#t");
    if (obj == ctx->F) return port_write(ctx, port, u"#f");
    if (obj == ctx->UNDEF) return port_write(ctx, port, u"#<undef>");
    switch (scheme_type(obj)) {
    case SCHEME_SYNTAX: return port_write(ctx, port, u"#<syntax>");
    case SCHEME_PRIMITIVE:
        port_write(ctx, port, u"#<subr ");
        port_write_ascii(ctx, port, scheme_op_name(obj->op));
        return port_write(ctx, port, u">");
    case SCHEME_SYMBOL: return port_write(ctx, port, scheme_symbol_name(obj));
    case SCHEME_CLOSURE: return port_write(ctx, port, u"#<closure>");
    case SCHEME_CONTINUATION: return port_write(ctx, port, u"#<continuation>");
    case SCHEME_MACRO: return port_write(ctx, port, u"#<macro>");
    case SCHEME_PORT: {
        auto* p = scheme_port(obj);
        port_write(ctx, port, (p->flags & SCHEME_PORT_OUTPUT) ? u"#<oport" : u"#<iport");
        if (p->flags & SCHEME_PORT_CLOSED) port_write(ctx, port, u"(closed)");
        port_write(ctx, port, u" ");
        port_write(ctx, port, p->name);
        return port_write(ctx, port, u">");
    }
    case SCHEME_EOF: return port_write(ctx, port, u"#<eof>");
    case SCHEME_INTEGER:
        std::snprintf(buf, sizeof(buf), "%d", static_cast<int>(obj->ival));
        return port_write_ascii(ctx, port, buf);
    case SCHEME_STRING: {
        auto* s = scheme_string(obj);
        if (write_form) return scheme_write_escaped(ctx, port, s->text, static_cast<std::size_t>(s->length));
        return port_write_n(ctx, port, s->text, static_cast<std::size_t>(s->length));
    }
    case SCHEME_CHAR: {
        uint32_t cp = obj->cval;
        if (write_form) {
            switch (cp) {
            case 10: return port_write(ctx, port, u"#\\newline");
            case 13: return port_write(ctx, port, u"#\\return");
            case 32: return port_write(ctx, port, u"#\\space");
            case 9: return port_write(ctx, port, u"#\\tab");
            default: port_write(ctx, port, u"#\\"); break;
            }
        }
        char16_t u[2];
        return port_write_n(ctx, port, u, static_cast<std::size_t>(scheme_put_char(u, cp)));
    }
    case SCHEME_CALLBACK:
        port_write(ctx, port, u"#<callback function ");
        port_write(ctx, port, static_cast<scheme_callback_function*>(obj->payload)->name);
        return port_write(ctx, port, u">");
    case SCHEME_REGMATCH: return port_write(ctx, port, u"#<regmatch>");
    case SCHEME_HASH: {
        port_write(ctx, port, u"#<hash-table ");
        int kind = static_cast<scheme_hash_payload*>(obj->payload)->kind;
        port_write_ascii(ctx, port, kind <= SCHEME_HASH_STRING ? scheme_hash_kind_name(kind) : "unknown");
        return port_write(ctx, port, u">");
    }
    default:
        if (scheme_atom_printer && scheme_atom_printer(ctx, port, obj, write_form)) return;
        return port_write(ctx, port, u"#<unknown>");
    }
}

scheme_atom_printer_fn scheme_atom_printer = nullptr;

void scheme_register_reader_ops() {
    static const scheme_op_binding rows[] = {
        {OP_READ_OBJECT, nullptr, op_read_object},
        {OP_READ_LIST, nullptr, op_read_list},
        {OP_READ_DOT, nullptr, op_read_dot},
        {OP_WRAP_QUOTE, nullptr, op_wrap_quote},
        {OP_READ_VECTOR, nullptr, op_read_vector},
        {OP_WRAP_QUASIQUOTE, nullptr, op_wrap_quasiquote},
        {OP_WRAP_UNQUOTE, nullptr, op_wrap_unquote},
        {OP_WRAP_UNQUOTE_SPLICING, nullptr, op_wrap_unquote_splicing},
        {OP_WRAP_QUASIQUOTE_VEC, nullptr, op_wrap_quasiquote_vec},
        {OP_EOF_VALUE, nullptr, op_eof_value},
        {OP_PRINT_OBJECT, nullptr, op_print_object},
        {OP_PRINT_LIST, nullptr, op_print_list},
        {OP_PRINT_VECTOR, nullptr, op_print_vector},
    };
    scheme_set_ops(rows);
}

int scheme_read_first_token(scheme_context* ctx) { return ctx->token = next_token(ctx); }
