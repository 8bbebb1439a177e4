// Quasiquote templates, walked on the dump stack with their nesting depth.
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

namespace {

using namespace scheme_eval;

// --- quasiquote ------------------------------------------------------------------------
// Walk frames: op 19 walks code at depth args; op 20 adds a walked element to
// the accumulator (args = (depth . acc), code = rest of the list); op 21 wraps
// the value in the keyword in args; op 22 splices; op 23 ends a dotted tail.

bool is_qq_keyword(scheme_context* ctx, scheme_cell* s) {
    return s == ctx->sym_quasiquote || s == ctx->sym_quasiquote_vec || s == ctx->sym_unquote ||
           s == ctx->sym_unquote_splicing;
}

bool qq_list_step(scheme_context* ctx);

bool qq_walk_to(scheme_context* ctx, scheme_cell* tmpl, int32_t depth) {
    ctx->code = tmpl;
    ctx->args = mk_integer(ctx, depth);
    ctx->op = OP_QQ_WALK;
    return true;
}

bool op_qq_walk(scheme_context* ctx) {
    scheme_cell* t = ctx->code;
    int32_t depth = ctx->args->ival;
    if (!is_pair(t)) return scheme_return(ctx, t);
    scheme_cell* head = t->car;
    if (head == ctx->sym_unquote || head == ctx->sym_unquote_splicing) {
        if (!is_pair(t->cdr)) return scheme_raise(ctx, u"syntax error");
        if (depth == 0) {
            if (head == ctx->sym_unquote_splicing)
                return scheme_raise(ctx, u"unquote-splicing in invalid context");
            ctx->code = t->cdr->car;
            ctx->op = OP_EVAL;
            return true;
        }
        scheme_push(ctx, OP_QQ_WRAP, head, ctx->NIL);
        return qq_walk_to(ctx, t->cdr->car, depth - 1);
    }
    if ((head == ctx->sym_quasiquote || head == ctx->sym_quasiquote_vec) && is_pair(t->cdr)) {
        scheme_push(ctx, OP_QQ_WRAP, head, ctx->NIL);
        return qq_walk_to(ctx, t->cdr->car, depth + 1);
    }
    ctx->args = cons(ctx, ctx->args, ctx->NIL);  // (depth . acc)
    return qq_list_step(ctx);
}

// args = (depth . acc), code = rest of the template list.
bool qq_list_step(scheme_context* ctx) {
    scheme_cell* rest = ctx->code;
    int32_t depth = ctx->args->car->ival;
    if (!is_pair(rest)) return scheme_return(ctx, reverse_in_place(ctx->args->cdr, rest));
    scheme_cell* e = rest->car;
    if (is_qq_keyword(ctx, e)) {
        // a dotted tail such as (a . ,x): the rest is itself a template
        if (e == ctx->sym_unquote_splicing && depth == 0)
            return scheme_raise(ctx, u"unquote-splicing in invalid context");
        scheme_push(ctx, OP_QQ_TAIL, ctx->args, ctx->NIL);
        return qq_walk_to(ctx, rest, depth);
    }
    if (is_pair(e) && e->car == ctx->sym_unquote_splicing && depth == 0) {
        if (!is_pair(e->cdr)) return scheme_raise(ctx, u"syntax error");
        scheme_push(ctx, OP_QQ_SPLICE, ctx->args, rest->cdr);
        ctx->code = e->cdr->car;
        ctx->op = OP_EVAL;
        return true;
    }
    scheme_push(ctx, OP_QQ_ELEMENT, ctx->args, rest->cdr);
    return qq_walk_to(ctx, e, depth);
}

bool op_qq_element(scheme_context* ctx) {
    // the accumulator is private to this walk, so it can be extended in place
    scheme_cell* acc = cons(ctx, ctx->value, ctx->args->cdr);
    ctx->args->cdr = acc;
    return qq_list_step(ctx);
}

bool op_qq_wrap(scheme_context* ctx) { return scheme_return(ctx, list2(ctx, ctx->args, ctx->value)); }

bool op_qq_splice(scheme_context* ctx) {
    scheme_cell* v = ctx->value;
    scheme_root r(ctx, v);
    for (; is_pair(v); v = v->cdr) {
        scheme_cell* acc = cons(ctx, v->car, ctx->args->cdr);
        ctx->args->cdr = acc;
    }
    if (v != ctx->NIL) return scheme_return(ctx, reverse_in_place(ctx->args->cdr, v));
    return qq_list_step(ctx);
}

bool op_qq_tail(scheme_context* ctx) { return scheme_return(ctx, reverse_in_place(ctx->args->cdr, ctx->value)); }

bool op_quasiquote(scheme_context* ctx) { return qq_walk_to(ctx, ctx->code->car, 0); }

bool op_quasiquote_vec(scheme_context* ctx) {
    scheme_push(ctx, OP_QQ_VEC_DONE, ctx->NIL, ctx->NIL);
    return qq_walk_to(ctx, ctx->code->car, 0);
}

bool op_qq_vec_done(scheme_context* ctx) {
    ctx->op = OP_LIST_TO_VECTOR;
    return true;
}

}  // namespace

void scheme_register_quasiquote_ops() {
    static const scheme_op_binding rows[] = {
        {OP_QQ_WALK, nullptr, op_qq_walk},
        {OP_QQ_ELEMENT, nullptr, op_qq_element},
        {OP_QQ_WRAP, nullptr, op_qq_wrap},
        {OP_QQ_SPLICE, nullptr, op_qq_splice},
        {OP_QQ_TAIL, nullptr, op_qq_tail},
        {OP_QUASIQUOTE, nullptr, op_quasiquote},
        {OP_QUASIQUOTE_VEC, nullptr, op_quasiquote_vec},
        {OP_QQ_VEC_DONE, nullptr, op_qq_vec_done},
    };
    scheme_set_ops(rows);
}
