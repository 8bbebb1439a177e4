// Continuations (a copy of the dump stack, re-entered only within the run
// that captured it) and multiple values.
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

namespace {

using namespace scheme_eval;

// A fresh spine of the list (the tail of an improper list is kept).
scheme_cell* copy_spine(scheme_context* ctx, scheme_cell* list) {
    scheme_cell* head = ctx->NIL;
    scheme_root r1(ctx, head);
    scheme_cell* p = list;
    scheme_root r2(ctx, p);
    scheme_cell* tail = nullptr;
    while (is_pair(p)) {
        scheme_cell* c = cons(ctx, p->car, ctx->NIL);
        if (tail) tail->cdr = c;
        else head = c;
        tail = c;
        p = p->cdr;
    }
    if (tail) tail->cdr = p;
    else head = p;
    return head;
}

}  // namespace

bool scheme_apply_continuation(scheme_context* ctx, scheme_cell* k) {
    auto* kp = static_cast<scheme_continuation_payload*>(k->payload);
    if (kp->run_id != ctx->run_id)
        return scheme_raise(ctx, u"continuation called outside its evaluation", k);
    if (kp->count > ctx->dump_capacity) {
        auto* grown = static_cast<scheme_frame*>(
            scheme_payload_realloc(ctx, ctx->dump, static_cast<std::size_t>(kp->count) * sizeof(scheme_frame)));
        ctx->dump = grown;
        ctx->dump_capacity = kp->count;
        kp = static_cast<scheme_continuation_payload*>(k->payload);
    }
    scheme_cell* first = is_pair(ctx->args) ? ctx->args->car : ctx->NIL;
    // The frames below this run's base belong to an outer run and are left alone.
    int from = ctx->run_base;
    ctx->no_gc = 1;
    for (int i = from; i < kp->count; ++i) ctx->dump[i] = kp->frames[i];
    ctx->dump_count = kp->count;
    for (int i = from; i < kp->count; ++i) ctx->dump[i].args = copy_spine(ctx, ctx->dump[i].args);
    ctx->no_gc = 0;
    return scheme_return_values(ctx, first, ctx->args);
}

namespace {

bool op_callcc(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    int count = ctx->dump_count;
    std::size_t bytes = offsetof(scheme_continuation_payload, frames) +
                        static_cast<std::size_t>(count ? count : 1) * sizeof(scheme_frame);
    scheme_cell* k = get_cell(ctx, ctx->NIL, ctx->NIL);
    auto* kp = static_cast<scheme_continuation_payload*>(scheme_payload_alloc(ctx, bytes));
    kp->gc_link = nullptr;
    kp->count = 0;
    kp->run_id = ctx->run_id;
    k->payload = kp;
    k->cdr = ctx->NIL;
    k->flags = SCHEME_ATOM | SCHEME_CONTINUATION;
    ctx->no_gc = 1;
    for (int i = 0; i < count; ++i) {
        kp->frames[i] = ctx->dump[i];
        kp->frames[i].args = ctx->NIL;
        kp->count = i + 1;
        kp->frames[i].args = copy_spine(ctx, ctx->dump[i].args);
    }
    ctx->no_gc = 0;
    ctx->code = a[0];
    ctx->args = cons(ctx, k, ctx->NIL);
    ctx->op = OP_APPLY;
    return true;
}

bool op_values(scheme_context* ctx) {
    scheme_cell* first = is_pair(ctx->args) ? ctx->args->car : ctx->UNDEF;
    return scheme_return_values(ctx, first, ctx->args);
}

bool op_call_with_values(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "pp");
    scheme_push(ctx, OP_CALL_WITH_VALUES_DONE, ctx->NIL, a[1]);
    ctx->args = ctx->NIL;
    ctx->code = a[0];
    ctx->op = OP_APPLY;
    return true;
}

bool op_call_with_values_done(scheme_context* ctx) {
    scheme_cell* list = ctx->values;
    if (list == ctx->NIL) list = cons(ctx, ctx->value, ctx->NIL);
    ctx->values = ctx->NIL;
    ctx->args = list;
    ctx->op = OP_APPLY;
    return true;
}

}  // namespace

void scheme_register_continuation_ops() {
    static const scheme_op_binding rows[] = {
        {OP_CALLCC, "call-with-current-continuation", op_callcc},
        {OP_VALUES, "values", op_values},
        {OP_CALL_WITH_VALUES, "call-with-values", op_call_with_values},
        {OP_CALL_WITH_VALUES_DONE, nullptr, op_call_with_values_done},
    };
    scheme_set_ops(rows);
}
