// Port builtins (opening, reading, string ports, closing) and the small
// ones: gensym, macro expansion, file-exists?.
#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "scheme/library.h"

namespace {


bool closed(scheme_cell* port) { return (scheme_port(port)->flags & SCHEME_PORT_CLOSED) != 0; }

bool raise_closed(scheme_context* ctx, scheme_cell* port) {
    return scheme_raise(ctx, u"I/O attempted on closed port", port);
}

// The ports the interpreter and its host own: the standard streams, the
// ports the host writes through, the error and scratch ports.
bool permanent(scheme_context* ctx, scheme_cell* port) {
    auto* p = scheme_port(port);
    const scheme_host& h = ctx->host;
    if (p->stream && (p->stream == h.std_in || p->stream == h.std_out || p->stream == h.std_err)) return true;
    if (p->writer) return true;
    if (port == ctx->errport || port == ctx->strport) return true;
    // without a host the standard ports have no stream; their names tell them
    for (const char16_t* std_name : {u"(stdin)", u"(stdout)", u"(stderr)"}) {
        const char16_t *x = p->name, *y = std_name;
        while (*x && *x == *y) ++x, ++y;
        if (!*x && !*y) return true;
    }
    return false;
}

bool read_char(scheme_context* ctx, bool consume) {
    SCHEME_CHECK(0, 1, "I");
    scheme_cell* port = n > 0 ? a[0] : ctx->inport;
    if (n > 0 && closed(port)) return raise_closed(ctx, port);
    if (!scheme_is_atom_of(port, SCHEME_PORT)) return scheme_return(ctx, mk_eof(ctx));
    int32_t c = port_peek(ctx, port);
    if (c < 0) return scheme_return(ctx, mk_eof(ctx));
    if (consume) port_advance(ctx, port);
    return scheme_return(ctx, mk_char(ctx, static_cast<uint32_t>(c)));
}

bool op_read_char(scheme_context* ctx) { return read_char(ctx, true); }
bool op_peek_char(scheme_context* ctx) { return read_char(ctx, false); }

bool port_flag(scheme_context* ctx, int32_t flag) {
    SCHEME_CHECK(1, 1, "A");
    bool yes = scheme_is_atom_of(a[0], SCHEME_PORT) && (scheme_port(a[0])->flags & flag);
    return scheme_return(ctx, scheme_bool(ctx, yes));
}

bool op_input_port_p(scheme_context* ctx) { return port_flag(ctx, SCHEME_PORT_INPUT); }
bool op_output_port_p(scheme_context* ctx) { return port_flag(ctx, SCHEME_PORT_OUTPUT); }

bool op_port_closed_p(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "T");
    return scheme_return(ctx, scheme_bool(ctx, closed(a[0])));
}

bool op_eof_object_p(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, scheme_bool(ctx, scheme_is_atom_of(a[0], SCHEME_EOF)));
}

bool op_current_input_port(scheme_context* ctx) { return scheme_return(ctx, ctx->inport); }
bool op_current_output_port(scheme_context* ctx) { return scheme_return(ctx, ctx->outport); }

bool op_open_input_file(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    scheme_cell* port = scheme_open_input_file(ctx, scheme_string(a[0])->text);
    if (!port) return scheme_raise(ctx, u"file cannot open", a[0]);
    return scheme_return(ctx, port);
}

bool op_open_output_file(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    const scheme_host& h = ctx->host;
    void* f = h.file_open ? h.file_open(h.user, scheme_string(a[0])->text, "wb") : nullptr;
    if (!f) return scheme_raise(ctx, u"file cannot open", a[0]);
    scheme_cell* port;
    try {
        port = mk_port(ctx, f, SCHEME_PORT_OUTPUT, scheme_string(a[0])->text, 0);
    } catch (const scheme_fatal&) {
        if (h.file_close) h.file_close(h.user, f);
        throw;
    }
    return scheme_return(ctx, port);
}

bool op_open_input_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    // the port reads up to the first NUL, like every text the reader takes
    return scheme_return(ctx, mk_string_input_port(ctx, scheme_string(a[0])->text));
}

bool op_open_output_string(scheme_context* ctx) { return scheme_return(ctx, mk_output_string_port(ctx, 64)); }

bool op_get_output_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "o");
    auto* p = scheme_port(a[0]);
    std::size_t units = p->buffer ? static_cast<std::size_t>(p->pos - p->buffer) : 0;
    scheme_cell* s = mk_empty_string(ctx, units);
    p = scheme_port(a[0]);
    if (units) std::copy(p->buffer, p->buffer + units, scheme_string(s)->text);
    return scheme_return(ctx, s);
}

bool op_clear_output_string(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "o");
    scheme_string_port_clear(ctx, a[0]);
    return scheme_return(ctx, ctx->UNDEF);
}

bool close_port(scheme_context* ctx, const char* letter) {
    SCHEME_CHECK(1, 1, letter);
    if (permanent(ctx, a[0])) return scheme_raise(ctx, u"standard port cannot be closed", a[0]);
    scheme_port_close(ctx, a[0]);
    return scheme_return(ctx, ctx->UNDEF);
}

bool op_close_input_port(scheme_context* ctx) { return close_port(ctx, "I"); }
bool op_close_output_port(scheme_context* ctx) { return close_port(ctx, "O"); }

bool op_file_exists(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    const scheme_host& h = ctx->host;
    bool yes = h.file_exists && h.file_exists(h.user, scheme_string(a[0])->text);
    return scheme_return(ctx, scheme_bool(ctx, yes));
}

// --- gensym and macro expansion -------------------------------------------------------------

bool op_gensym(scheme_context* ctx) {
    char buf[24];
    std::snprintf(buf, sizeof(buf), "|G:%d|", static_cast<int>(ctx->gensym_counter));
    char16_t name[24];
    scheme_ascii_to_u16(buf, name, 24);
    scheme_cell* sym = intern(ctx, name);
    static_cast<scheme_symbol_payload*>(sym->payload)->gensym = ctx->gensym_counter++;
    return scheme_return(ctx, sym);
}

bool op_gensym_p(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    bool yes = scheme_is_atom_of(a[0], SCHEME_SYMBOL) && static_cast<scheme_symbol_payload*>(a[0]->payload)->gensym;
    return scheme_return(ctx, scheme_bool(ctx, yes));
}

// value: the form; args: #t to examine the result again (macroexpand).
bool op_expand_step(scheme_context* ctx) {
    scheme_cell* form = ctx->value;
    if (!scheme_is(form, SCHEME_PAIR) || !scheme_is_atom_of(form->car, SCHEME_SYMBOL))
        return scheme_return(ctx, form);
    scheme_cell** slot = scheme_lookup(ctx, form->car);
    if (!slot) return scheme_raise(ctx, u"unbounded variable", form->car);
    scheme_cell* m = *slot;
    if (!scheme_is(m, SCHEME_MACRO) || (m->flags & SCHEME_ATOM)) return scheme_return(ctx, form);
    if (ctx->args == ctx->T) scheme_push(ctx, OP_EXPAND_STEP, ctx->T, ctx->NIL);
    ctx->args = form->cdr;
    ctx->code = m;
    ctx->op = OP_APPLY;
    return true;
}

bool expand(scheme_context* ctx, bool repeat) {
    SCHEME_CHECK(1, 1, "A");
    ctx->value = a[0];
    ctx->args = repeat ? ctx->T : ctx->NIL;
    ctx->op = OP_EXPAND_STEP;
    return true;
}

bool op_macroexpand_1(scheme_context* ctx) { return expand(ctx, false); }
bool op_macroexpand(scheme_context* ctx) { return expand(ctx, true); }

}  // namespace

void scheme_register_port_ops() {
    static const scheme_op_binding rows[] = {
        {OP_READ_CHAR, "read-char", op_read_char},
        {OP_PEEK_CHAR, "peek-char", op_peek_char},
        {OP_MACROEXPAND_1, "macroexpand-1", op_macroexpand_1},
        {OP_MACROEXPAND, "macroexpand", op_macroexpand},
        {OP_EXPAND_STEP, nullptr, op_expand_step},
        {OP_GENSYM, "gensym", op_gensym},
        {OP_GENSYM_P, "gensym?", op_gensym_p},
        {OP_OUTPUT_PORT_P, "output-port?", op_output_port_p},
        {OP_CURRENT_OUTPUT_PORT, "current-output-port", op_current_output_port},
        {OP_OPEN_OUTPUT_FILE, "open-output-file", op_open_output_file},
        {OP_OPEN_OUTPUT_STRING, "open-output-string", op_open_output_string},
        {OP_GET_OUTPUT_STRING, "get-output-string", op_get_output_string},
        {OP_CLEAR_OUTPUT_STRING, "clear-output-string", op_clear_output_string},
        {OP_CLOSE_OUTPUT_PORT, "close-output-port", op_close_output_port},
        {OP_INPUT_PORT_P, "input-port?", op_input_port_p},
        {OP_CURRENT_INPUT_PORT, "current-input-port", op_current_input_port},
        {OP_OPEN_INPUT_FILE, "open-input-file", op_open_input_file},
        {OP_OPEN_INPUT_STRING, "open-input-string", op_open_input_string},
        {OP_CLOSE_INPUT_PORT, "close-input-port", op_close_input_port},
        {OP_PORT_CLOSED_P, "port-closed?", op_port_closed_p},
        {OP_EOF_OBJECT_P, "eof-object?", op_eof_object_p},
        {OP_FILE_EXISTS_P, "file-exists?", op_file_exists},
    };
    scheme_set_ops(rows);
}
