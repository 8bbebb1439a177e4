// The error protocol: raising an error sets up op 95, which writes
// "Error: message irritants..." to the error port and ends the run.
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

bool scheme_raise(scheme_context* ctx, const char16_t* message, scheme_cell* irritant) {
    scheme_root r(ctx, irritant);
    scheme_cell* tail = ctx->NIL;
    if (irritant) tail = cons(ctx, irritant, ctx->NIL);
    scheme_root r2(ctx, tail);
    scheme_cell* msg = mk_string(ctx, message);
    ctx->args = cons(ctx, msg, tail);
    ctx->op = OP_ERROR;
    return true;
}

bool scheme_raise_ascii(scheme_context* ctx, const char* message, scheme_cell* irritant) {
    char16_t buf[256];
    scheme_ascii_to_u16(message, buf, 256);
    return scheme_raise(ctx, buf, irritant);
}

bool scheme_raise_error_text(scheme_context* ctx, scheme_cell* irritant) {
    char16_t buf[SCHEME_ERROR_TEXT];
    std::memcpy(buf, ctx->error_text, sizeof(buf));
    return scheme_raise(ctx, buf, irritant);
}

bool scheme_error_stop(scheme_context* ctx) {
    ctx->dump_count = ctx->run_base;
    ctx->envir = ctx->global_frame;
    ctx->no_gc = 0;
    ctx->error_raised = 1;
    return false;
}

namespace {

using namespace scheme_eval;

bool op_error(scheme_context* ctx) {
    ctx->saved_outport = ctx->outport;
    ctx->outport = ctx->errport;
    port_write(ctx, ctx->outport, u"Error:");
    if (is_pair(ctx->args) && scheme_is(ctx->args->car, SCHEME_STRING)) {
        port_write(ctx, ctx->outport, u" ");
        auto* s = scheme_string(ctx->args->car);
        port_write_n(ctx, ctx->outport, s->text, static_cast<std::size_t>(s->length));
        ctx->args = ctx->args->cdr;
    }
    ctx->op = OP_ERROR_IRRITANTS;
    return true;
}

bool op_error_irritants(scheme_context* ctx) {
    port_write(ctx, ctx->outport, u" ");
    if (is_pair(ctx->args)) {
        scheme_push(ctx, OP_ERROR_IRRITANTS, ctx->args->cdr, ctx->NIL);
        ctx->args = ctx->args->car;
        ctx->print_flag = 1;
        ctx->op = OP_PRINT_OBJECT;
        return true;
    }
    port_write(ctx, ctx->outport, u"\n");
    if (ctx->saved_outport != ctx->NIL) ctx->outport = ctx->saved_outport;
    ctx->saved_outport = ctx->NIL;
    if (scheme_is(ctx->inport, SCHEME_PORT)) {
        auto* p = scheme_port(ctx->inport);
        p->pos = p->end = p->buffer;
        if (p->buffer) p->buffer[0] = 0;
    }
    return scheme_error_stop(ctx);
}

}  // namespace

void scheme_register_error_ops() {
    static const scheme_op_binding rows[] = {
        {OP_ERROR, "error", op_error},
        {OP_ERROR_IRRITANTS, nullptr, op_error_irritants},
    };
    scheme_set_ops(rows);
}
