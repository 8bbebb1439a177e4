// The first builtins: pairs, equivalence, integer arithmetic and comparison,
// printing and reading. The rest of the core set extends this file's pattern.
#include "scheme/ops.h"

namespace {

scheme_cell* boolean(scheme_context* ctx, bool b) { return b ? ctx->T : ctx->F; }

// Checks every argument of a variadic builtin as a number.
bool numbers(scheme_context* ctx, scheme_cell** bad) {
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr) {
        if (!scheme_is(p->car, SCHEME_INTEGER)) {
            *bad = p->car;
            return false;
        }
    }
    return true;
}

bool raise_not_number(scheme_context* ctx, scheme_cell* bad) {
    char16_t name[64];
    scheme_ascii_to_u16(scheme_op_name(ctx->op), name, 64);
    scheme_cell* out[1];
    int n;
    scheme_check_args(ctx, name, 0, 1, u"N", cons(ctx, bad, ctx->NIL), out, &n);
    return scheme_raise_error_text(ctx, bad);
}

bool op_add(scheme_context* ctx) {
    scheme_cell* bad;
    if (!numbers(ctx, &bad)) return raise_not_number(ctx, bad);
    uint32_t sum = 0;
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr) sum += static_cast<uint32_t>(p->car->ival);
    return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(sum)));
}

bool op_sub(scheme_context* ctx) {
    scheme_cell* bad;
    if (!numbers(ctx, &bad)) return raise_not_number(ctx, bad);
    scheme_cell* p = ctx->args;
    if (!scheme_is(p, SCHEME_PAIR)) return scheme_return(ctx, mk_integer(ctx, 0));
    uint32_t v = static_cast<uint32_t>(p->car->ival);
    if (!scheme_is(p->cdr, SCHEME_PAIR)) return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(0u - v)));
    for (p = p->cdr; scheme_is(p, SCHEME_PAIR); p = p->cdr) v -= static_cast<uint32_t>(p->car->ival);
    return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(v)));
}

bool op_mul(scheme_context* ctx) {
    scheme_cell* bad;
    if (!numbers(ctx, &bad)) return raise_not_number(ctx, bad);
    uint32_t v = 1;
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr) v *= static_cast<uint32_t>(p->car->ival);
    return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(v)));
}

// Compares adjacent pairs left to right; stops at the first that fails.
template <typename Cmp>
bool compare(scheme_context* ctx, Cmp cmp) {
    SCHEME_CHECK(1, 1, "N");
    scheme_cell* p = ctx->args;
    while (scheme_is(p->cdr, SCHEME_PAIR)) {
        scheme_cell* next = p->cdr->car;
        if (!scheme_is(next, SCHEME_INTEGER)) return raise_not_number(ctx, next);
        if (!cmp(p->car->ival, next->ival)) return scheme_return(ctx, ctx->F);
        p = p->cdr;
    }
    return scheme_return(ctx, ctx->T);
}

bool op_num_eq(scheme_context* ctx) { return compare(ctx, [](int32_t x, int32_t y) { return x == y; }); }
bool op_lt(scheme_context* ctx) { return compare(ctx, [](int32_t x, int32_t y) { return x < y; }); }
bool op_gt(scheme_context* ctx) { return compare(ctx, [](int32_t x, int32_t y) { return x > y; }); }
bool op_le(scheme_context* ctx) { return compare(ctx, [](int32_t x, int32_t y) { return x <= y; }); }
bool op_ge(scheme_context* ctx) { return compare(ctx, [](int32_t x, int32_t y) { return x >= y; }); }

bool op_car(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "P");
    return scheme_return(ctx, a[0]->car);
}
bool op_cdr(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "P");
    return scheme_return(ctx, a[0]->cdr);
}
bool op_cons(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "AA");
    return scheme_return(ctx, cons(ctx, a[0], a[1]));
}
bool op_eq(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "AA");
    return scheme_return(ctx, boolean(ctx, scheme_eqv(a[0], a[1])));
}
bool op_equal(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "AA");
    bool too_deep = false;
    bool eq = scheme_equal(a[0], a[1], &too_deep);
    if (too_deep) return scheme_raise(ctx, u"equal?: data too deep or circular");
    return scheme_return(ctx, boolean(ctx, eq));
}
bool op_not(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, boolean(ctx, a[0] == ctx->F));
}
bool op_null(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, boolean(ctx, a[0] == ctx->NIL));
}
bool op_pair(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, boolean(ctx, scheme_is(a[0], SCHEME_PAIR) && !(a[0]->flags & SCHEME_ATOM)));
}
bool op_vector_ref(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "VN");
    int32_t i = a[1]->ival;
    if (i < 0 || i >= scheme_vector(a[0])->length) return scheme_raise(ctx, u"vector-ref index out of range:", a[1]);
    return scheme_return(ctx, scheme_vector(a[0])->cells[i]);
}
bool op_vector_length(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "V");
    return scheme_return(ctx, mk_integer(ctx, scheme_vector(a[0])->length));
}

// --- printing and reading --------------------------------------------------------------

bool closed_port(scheme_context* ctx, scheme_cell* port) {
    return (scheme_port(port)->flags & SCHEME_PORT_CLOSED) != 0;
}

// Switches the output port for one print when a port argument is given.
bool with_output(scheme_context* ctx, scheme_cell* port) {
    if (!port) return true;
    if (closed_port(ctx, port)) {
        scheme_raise(ctx, u"I/O attempted on closed port", port);
        return false;
    }
    scheme_push(ctx, OP_RESTORE_OUTPORT, ctx->NIL, ctx->outport);
    ctx->outport = port;
    return true;
}

bool print(scheme_context* ctx, int flag) {
    SCHEME_CHECK(1, 2, "AO");
    if (!with_output(ctx, n > 1 ? a[1] : nullptr)) return true;
    ctx->print_flag = flag;
    ctx->args = a[0];
    ctx->op = OP_PRINT_OBJECT;
    return true;
}

bool op_write(scheme_context* ctx) { return print(ctx, 1); }
bool op_display(scheme_context* ctx) { return print(ctx, 0); }

bool op_newline(scheme_context* ctx) {
    SCHEME_CHECK(0, 1, "O");
    scheme_cell* port = n > 0 ? a[0] : ctx->outport;
    if (n > 0 && closed_port(ctx, port)) return scheme_raise(ctx, u"I/O attempted on closed port", port);
    port_write(ctx, port, u"\n");
    return scheme_return(ctx, ctx->UNDEF);
}

bool op_write_char(scheme_context* ctx) {
    SCHEME_CHECK(1, 2, "CO");
    scheme_cell* port = n > 1 ? a[1] : ctx->outport;
    if (n > 1 && closed_port(ctx, port)) return scheme_raise(ctx, u"I/O attempted on closed port", port);
    char16_t u[2];
    port_write_n(ctx, port, u, static_cast<std::size_t>(scheme_put_char(u, a[0]->cval)));
    return scheme_return(ctx, ctx->UNDEF);
}

bool op_restore_outport(scheme_context* ctx) {
    ctx->outport = ctx->code;
    return scheme_return(ctx, ctx->value);
}

bool op_restore_inport(scheme_context* ctx) {
    ctx->inport = ctx->code;
    return scheme_return(ctx, ctx->value);
}

bool op_read(scheme_context* ctx) {
    SCHEME_CHECK(0, 1, "I");
    if (n > 0) {
        if (closed_port(ctx, a[0])) return scheme_raise(ctx, u"I/O attempted on closed port", a[0]);
        scheme_push(ctx, OP_RESTORE_INPORT, ctx->NIL, ctx->inport);
        ctx->inport = a[0];
    }
    scheme_read_first_token(ctx);
    ctx->op = OP_READ_OBJECT;
    return true;
}

#undef CHECK

}  // namespace

void scheme_register_builtin_ops() {
    static const scheme_op_binding rows[] = {
        {OP_ADD, "+", op_add},
        {OP_SUB, "-", op_sub},
        {OP_MUL, "*", op_mul},
        {OP_CAR, "car", op_car},
        {OP_CDR, "cdr", op_cdr},
        {OP_CONS, "cons", op_cons},
        {OP_EQ_P, "eq?", op_eq},
        {OP_EQV_P, "eqv?", op_eq},
        {OP_EQUAL_P, "equal?", op_equal},
        {OP_NOT, "not", op_not},
        {OP_NULL_P, "null?", op_null},
        {OP_NUM_EQ, "=", op_num_eq},
        {OP_LT, "<", op_lt},
        {OP_GT, ">", op_gt},
        {OP_LE, "<=", op_le},
        {OP_GE, ">=", op_ge},
        {OP_PAIR_P, "pair?", op_pair},
        {OP_VECTOR_REF, "vector-ref", op_vector_ref},
        {OP_VECTOR_LENGTH, "vector-length", op_vector_length},
        {OP_WRITE, "write", op_write},
        {OP_WRITE_CHAR, "write-char", op_write_char},
        {OP_DISPLAY, "display", op_display},
        {OP_NEWLINE, "newline", op_newline},
        {OP_RESTORE_OUTPORT, nullptr, op_restore_outport},
        {OP_RESTORE_INPORT, nullptr, op_restore_inport},
        {OP_READ, "read", op_read},
    };
    scheme_set_ops(rows);
}
