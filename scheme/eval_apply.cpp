// Evaluation and application: a form's operator and arguments evaluated,
// closures bound and entered, primitives and host procedures called, and the
// evaluator's own builtins (eval, apply, exit, gc).
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

namespace {

using namespace scheme_eval;

bool op_eval(scheme_context* ctx) {
    scheme_cell* x = ctx->code;
    if (is_symbol(x)) {
        scheme_cell** slot = scheme_lookup(ctx, x);
        if (!slot) return raise_unbound(ctx, x);
        return scheme_return(ctx, *slot);
    }
    if (!is_pair(x)) return scheme_return(ctx, x);
    scheme_cell* head = x->car;
    if (!is_symbol(head)) {
        scheme_push(ctx, OP_OPERATOR_DONE, ctx->NIL, x);
        ctx->code = head;
        return true;
    }
    scheme_cell** slot = scheme_lookup(ctx, head);
    if (!slot) return raise_unbound(ctx, head);
    scheme_cell* v = *slot;
    if (scheme_is(v, SCHEME_SYNTAX)) {
        if (scheme_list_length(ctx, x->cdr) < 0) return scheme_raise(ctx, u"syntax error");
        ctx->code = x->cdr;
        ctx->op = v->op;
        return true;
    }
    ctx->value = v;
    ctx->op = OP_OPERATOR_DONE;
    return true;
}

bool op_operator_done(scheme_context* ctx) {
    scheme_cell* form = ctx->code;
    if (scheme_is(ctx->value, SCHEME_MACRO)) {
        if (form->flags & SCHEME_EXPANDED) {
            ctx->value = form->cdr;
            ctx->op = OP_MACRO_DONE;
            return true;
        }
        scheme_push(ctx, OP_MACRO_DONE, ctx->NIL, form);
        ctx->args = form->cdr;
        ctx->code = ctx->value;
        ctx->op = OP_APPLY;
        return true;
    }
    ctx->args = ctx->NIL;
    ctx->code = form->cdr;
    ctx->op = OP_EVAL_ARGS;
    return true;
}

bool op_eval_args(scheme_context* ctx) {
    ctx->args = cons(ctx, ctx->value, ctx->args);
    while (is_pair(ctx->code)) {
        scheme_cell* e = ctx->code->car;
        scheme_cell* v;
        if (is_pair(e)) {
            scheme_push(ctx, OP_EVAL_ARGS, ctx->args, ctx->code->cdr);
            ctx->code = e;
            ctx->op = OP_EVAL;
            return true;
        }
        if (is_symbol(e)) {
            scheme_cell** slot = scheme_lookup(ctx, e);
            if (!slot) return raise_unbound(ctx, e);
            v = *slot;
        } else {
            v = e;
        }
        ctx->args = cons(ctx, v, ctx->args);
        ctx->code = ctx->code->cdr;
    }
    ctx->args = reverse_in_place(ctx->args, ctx->NIL);
    ctx->code = ctx->args->car;
    ctx->args = ctx->args->cdr;
    ctx->op = OP_APPLY;
    return true;
}

bool op_macro_done(scheme_context* ctx) {
    scheme_cell* form = ctx->code;
    if (!(form->flags & SCHEME_EXPANDED)) {
        form->flags |= SCHEME_EXPANDED;
        form->cdr = ctx->value;
    }
    ctx->code = ctx->value;
    ctx->op = OP_EVAL;
    return true;
}

bool cancel_poll(scheme_context* ctx) {
    if (++ctx->cancel_counter <= 500) return false;
    const scheme_host& h = ctx->host;
    bool down = h.key_down && h.key_down(h.user, ctx->cancel_vk);
    if (down && (ctx->cancel_modifiers & 0x10)) down = h.key_down(h.user, 0x12);  // Alt
    if (down && (ctx->cancel_modifiers & 8)) down = h.key_down(h.user, 0x11);     // Ctrl
    if (down && (ctx->cancel_modifiers & 4)) down = h.key_down(h.user, 0x10);     // Shift
    const bool pressed = down && !ctx->cancel_key_was_down;
    ctx->cancel_key_was_down = down;
    if (pressed) {
        ctx->cancel_flag = 1;
        return true;
    }
    ctx->cancel_counter = 0;
    return false;
}

// Binds the parameters of a closure or macro in a new frame; returns false
// after raising an error, or when the optional defaults take over.
bool bind_parameters(scheme_context* ctx, scheme_cell* proc) {
    ctx->envir = cons(ctx, ctx->NIL, proc->cdr);
    scheme_cell* params = proc->car->car;
    scheme_cell* a = ctx->args;
    bool optional = false;
    for (;;) {
        if (is_pair(params)) {
            scheme_cell* p = params->car;
            if (p == ctx->sym_optional && !optional) {
                if (!is_pair(a) && a == ctx->NIL) {
                    ctx->args = params;
                    ctx->code = proc->car->cdr;
                    ctx->op = OP_OPTIONAL_DEFAULTS;
                    return false;
                }
                optional = true;
                params = params->cdr;
                continue;
            }
            if (is_pair(a)) {
                scheme_cell* name = (optional && is_pair(p)) ? p->car : p;
                scheme_define(ctx, name, a->car);
                params = params->cdr;
                a = a->cdr;
                continue;
            }
            if (a == ctx->NIL) {
                if (optional) {
                    ctx->args = params;
                    ctx->code = proc->car->cdr;
                    ctx->op = OP_OPTIONAL_DEFAULTS;
                    return false;
                }
                scheme_raise(ctx, u"few arguments");
                return false;
            }
            scheme_raise(ctx, u"syntax-error");
            return false;
        }
        if (params == ctx->NIL) break;
        if (is_symbol(params)) {
            scheme_define(ctx, params, a);
            break;
        }
        scheme_raise(ctx, u"syntax error in closure");
        return false;
    }
    ctx->code = proc->car->cdr;
    ctx->args = ctx->NIL;
    ctx->op = OP_BEGIN;
    return true;
}

bool op_apply(scheme_context* ctx) {
    if (cancel_poll(ctx)) return scheme_raise(ctx, u"canceled");
    scheme_cell* proc = ctx->code;
    switch (scheme_type(proc)) {
    case SCHEME_PRIMITIVE:
        if (!(proc->flags & SCHEME_ATOM)) break;
        ctx->op = proc->op;
        return true;
    case SCHEME_CLOSURE:
    case SCHEME_MACRO:
        bind_parameters(ctx, proc);
        return true;
    case SCHEME_CONTINUATION:
        if (!(proc->flags & SCHEME_ATOM)) break;
        return scheme_apply_continuation(ctx, proc);
    case SCHEME_CALLBACK:
        if (!(proc->flags & SCHEME_ATOM)) break;
        ctx->op = OP_CALL_HOST;
        return true;
    default: break;
    }
    return scheme_raise(ctx, u"illegal function", proc);
}

// args: the parameters from the :optional marker on, or (#<undef> param . rest)
// when the value of param's default has just come back.
bool op_optional_defaults(scheme_context* ctx) {
    scheme_cell* params = ctx->args;
    if (is_pair(params) && params->car == ctx->UNDEF) {
        scheme_define(ctx, params->cdr->car->car, ctx->value);
        params = params->cdr->cdr;
    } else if (is_pair(params) && params->car == ctx->sym_optional) {
        params = params->cdr;
    }
    while (is_pair(params)) {
        scheme_cell* p = params->car;
        if (is_symbol(p)) {
            scheme_define(ctx, p, ctx->UNDEF);
            params = params->cdr;
            continue;
        }
        if (is_pair(p) && is_symbol(p->car)) {
            scheme_cell* pending = cons(ctx, ctx->UNDEF, params);
            scheme_push(ctx, OP_OPTIONAL_DEFAULTS, pending, ctx->code);
            ctx->code = is_pair(p->cdr) ? p->cdr->car : ctx->UNDEF;
            ctx->op = OP_EVAL;
            return true;
        }
        return scheme_raise(ctx, u"syntax error in closure");
    }
    if (params != ctx->NIL) {
        if (!is_symbol(params)) return scheme_raise(ctx, u"syntax error in closure");
        scheme_define(ctx, params, ctx->NIL);
    }
    ctx->args = ctx->NIL;
    ctx->op = OP_BEGIN;
    return true;
}

// --- evaluator builtins ------------------------------------------------------------

bool op_eval_builtin(scheme_context* ctx) {
    SCHEME_CHECK(1, 2, "AA");
    ctx->code = a[0];
    ctx->args = ctx->NIL;
    ctx->op = OP_EVAL;
    return true;
}

bool op_apply_builtin(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    scheme_cell* proc = ctx->args->car;
    scheme_cell* rest = ctx->args->cdr;
    // all but the last argument, then the elements of the last
    scheme_cell* head = ctx->NIL;
    scheme_root r1(ctx, head);
    scheme_root r2(ctx, proc);
    scheme_cell* tail = nullptr;
    for (; is_pair(rest); rest = rest->cdr) {
        scheme_cell* items = rest->cdr == ctx->NIL ? rest->car : nullptr;
        if (items) {
            if (scheme_list_length(ctx, items) < 0) return scheme_raise(ctx, u"last argument must be list");
            if (tail) tail->cdr = items;
            else head = items;
            break;
        }
        scheme_cell* c = cons(ctx, rest->car, ctx->NIL);
        if (tail) tail->cdr = c;
        else head = c;
        tail = c;
    }
    scheme_push(ctx, OP_NOP, ctx->NIL, ctx->NIL);
    ctx->args = head;
    ctx->code = proc;
    ctx->op = OP_APPLY;
    return true;
}

bool op_interaction_env(scheme_context* ctx) { return scheme_return(ctx, ctx->global_frame); }
bool op_exit(scheme_context* ctx) { return false; }
bool op_gc(scheme_context* ctx) {
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    return scheme_return(ctx, ctx->UNDEF);
}
bool op_debug_info(scheme_context* ctx) { return scheme_return(ctx, ctx->protected_list); }
bool op_nop(scheme_context* ctx) { return scheme_return(ctx, ctx->value); }

// --- host procedures ------------------------------------------------------------------

bool op_call_host(scheme_context* ctx) {
    auto* cb = static_cast<scheme_callback_function*>(ctx->code->payload);
    scheme_cell* argv[32];
    int count = 0;
    int r = scheme_check_args(ctx, cb->name, cb->min_args, cb->max_args > 32 ? 32 : cb->max_args, cb->letters,
                              ctx->args, argv, &count);
    if (r) return scheme_raise_error_text(ctx, r == 1 ? argv[0] : nullptr);
    scheme_cell* keep_args = ctx->args;
    scheme_root root(ctx, keep_args);
    // An error the procedure raises ends this evaluation too; an error inside
    // an evaluation it starts (a nested entry) belongs to that entry alone.
    ctx->host_raised = 0;
    int depth = ctx->dump_count;
    int32_t maker_failed = ctx->maker_failed;
    ctx->maker_failed = 0;
    scheme_cell* result = cb->fn(ctx, argv, count);
    bool failed = ctx->maker_failed != 0;
    ctx->maker_failed = maker_failed;
    if (ctx->host_raised) {
        ctx->host_raised = 0;
        return scheme_error_stop(ctx);
    }
    if (failed) {
        if (ctx->dump_count > depth) ctx->dump_count = depth;
        return scheme_raise_error_text(ctx);
    }
    if (ctx->dump_count != depth) ctx->dump_count = depth < ctx->dump_count ? depth : ctx->dump_count;
    return scheme_return(ctx, result ? result : ctx->UNDEF);
}

}  // namespace

void scheme_register_apply_ops() {
    static const scheme_op_binding rows[] = {
        {OP_EVAL, nullptr, op_eval},
        {OP_OPERATOR_DONE, nullptr, op_operator_done},
        {OP_EVAL_ARGS, nullptr, op_eval_args},
        {OP_MACRO_DONE, nullptr, op_macro_done},
        {OP_APPLY, nullptr, op_apply},
        {OP_OPTIONAL_DEFAULTS, nullptr, op_optional_defaults},
        {OP_EVAL_BUILTIN, "eval", op_eval_builtin},
        {OP_APPLY_BUILTIN, "apply", op_apply_builtin},
        {OP_INTERACTION_ENV, "interaction-environment", op_interaction_env},
        {OP_EXIT, "exit", op_exit},
        {OP_GC, "gc", op_gc},
        {OP_DEBUG_INFO, "_debug_info", op_debug_info},
        {OP_NOP, "_nop", op_nop},
        {OP_CALL_HOST, nullptr, op_call_host},
    };
    scheme_set_ops(rows);
}
