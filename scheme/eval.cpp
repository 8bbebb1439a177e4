// The register machine's core: the dump stack, returning into frames, and
// nested runs of the machine. The ops live beside it by concern: evaluation
// and application (eval_apply.cpp), special forms (eval_forms.cpp),
// quasiquote (eval_quasiquote.cpp), files (eval_load.cpp), continuations
// (eval_continuations.cpp) and the error protocol (eval_errors.cpp).
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

// --- machine core ------------------------------------------------------------------------

void scheme_grow_dump(scheme_context* ctx) {
    // The cells run out long before a sound program needs this many
    // frames; runaway structure stops here instead of eating the address
    // space.
    constexpr int kMaxFrames = 1 << 21;
    int cap = ctx->dump_capacity ? ctx->dump_capacity * 2 : 32;
    if (cap > kMaxFrames) scheme_fatal_error(ctx, "no memory");
    ctx->dump = static_cast<scheme_frame*>(
        scheme_payload_realloc(ctx, ctx->dump, static_cast<std::size_t>(cap) * sizeof(scheme_frame)));
    ctx->dump_capacity = cap;
}

bool scheme_return_from_empty_dump(scheme_context* ctx) {
    ctx->values = ctx->NIL;
    return scheme_raise(ctx, u"return with an empty dump stack");
}

namespace {

struct RunScope {
    scheme_context* ctx;
    int32_t base;
    uint32_t id;
    RunScope(scheme_context* c) : ctx(c), base(c->run_base), id(c->run_id) {
        ctx->run_base = ctx->dump_count;
        ctx->run_id = ++ctx->next_run_id;
        ctx->run_depth++;
    }
    ~RunScope() {
        ctx->run_base = base;
        ctx->run_id = id;
        ctx->run_depth--;
    }
};

}  // namespace

bool scheme_run_nested(scheme_context* ctx, int op, bool exit_frame) {
    RunScope scope(ctx);
    if (exit_frame) scheme_push(ctx, OP_EXIT, ctx->NIL, ctx->NIL);
    ctx->cancel_flag = 0;
    // Each outermost run waits for a fresh press of the cancel key.
    if (ctx->run_depth == 1) ctx->cancel_key_was_down = 1;
    ctx->error_raised = 0;
    ctx->op = op;
    for (;;) {
        int cur = ctx->op;
        scheme_op_handler h = (cur >= 0 && cur < SCHEME_OP_COUNT) ? scheme_op_table[cur].handler : nullptr;
        if (!h) {
            scheme_raise(ctx, u"illegal operation");
            continue;
        }
        if (!h(ctx)) break;
    }
    // frames left by `exit` die with their run
    if (ctx->dump_count > ctx->run_base) ctx->dump_count = ctx->run_base;
    // An error of this run is this run's: the run that called it learns of it
    // from the result and decides for itself (load passes it on).
    bool ok = !ctx->error_raised;
    ctx->error_raised = 0;
    return ok;
}

void scheme_register_eval_ops() {
    scheme_register_apply_ops();
    scheme_register_form_ops();
    scheme_register_quasiquote_ops();
    scheme_register_load_ops();
    scheme_register_continuation_ops();
    scheme_register_error_ops();
}
