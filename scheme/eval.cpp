// The register machine: dump stack, evaluation and application, special
// forms, macros, continuations, loading and the error protocol.
#include <cstdio>
#include <cstring>

#include "scheme/ops.h"

namespace {

constexpr int kMaxNestedRuns = 64;

bool is_symbol(scheme_cell* c) { return scheme_is(c, SCHEME_SYMBOL); }
bool is_pair(scheme_cell* c) { return scheme_is(c, SCHEME_PAIR); }

scheme_cell* reverse_in_place(scheme_cell* list, scheme_cell* tail) {
    scheme_cell* result = tail;
    while (is_pair(list)) {
        scheme_cell* next = list->cdr;
        list->cdr = result;
        result = list;
        list = next;
    }
    return result;
}

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

scheme_cell* mk_closure(scheme_context* ctx, scheme_cell* code, scheme_cell* env, int type) {
    scheme_cell* c = get_cell(ctx, code, env);
    c->flags = static_cast<uint16_t>(type);
    c->car = code;
    c->cdr = env;
    return c;
}

scheme_cell* list2(scheme_context* ctx, scheme_cell* a, scheme_cell* b) {
    scheme_cell* tail = cons(ctx, b, ctx->NIL);
    return cons(ctx, a, tail);
}

bool raise_unbound(scheme_context* ctx, scheme_cell* sym) {
    return scheme_raise(ctx, u"unbounded variable", sym);
}

// --- evaluation ---------------------------------------------------------------------

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
    if (h.key_down && h.key_down(h.user, ctx->cancel_vk)) {
        bool mods = true;
        if (ctx->cancel_modifiers & 0x10) mods = mods && h.key_down(h.user, 0x12);  // Alt
        if (ctx->cancel_modifiers & 8) mods = mods && h.key_down(h.user, 0x11);     // Ctrl
        if (ctx->cancel_modifiers & 4) mods = mods && h.key_down(h.user, 0x10);     // Shift
        if (mods) {
            ctx->cancel_flag = 1;
            return true;
        }
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

bool apply_continuation(scheme_context* ctx, scheme_cell* k) {
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
        return apply_continuation(ctx, proc);
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

// --- special forms --------------------------------------------------------------------

bool op_lambda(scheme_context* ctx) {
    return scheme_return(ctx, mk_closure(ctx, ctx->code, ctx->envir, SCHEME_CLOSURE));
}

bool op_quote(scheme_context* ctx) { return scheme_return(ctx, ctx->code->car); }

bool op_quote_vector(scheme_context* ctx) {
    ctx->value = ctx->code->car;
    ctx->op = OP_LIST_TO_VECTOR;
    return true;
}

bool op_list_to_vector(scheme_context* ctx) {
    int32_t n = scheme_list_length(ctx, ctx->value);
    if (n < 0) return scheme_raise(ctx, u"vector constructer require list:", ctx->value);
    return scheme_return(ctx, mk_vector(ctx, n, ctx->value));
}

// Shared by define and define-macro: name and expression of the form.
bool definition(scheme_context* ctx, int next_op, const char16_t* not_symbol) {
    scheme_cell* x = ctx->code->car;
    scheme_cell* name;
    if (is_pair(x)) {
        name = x->car;
        if (!is_symbol(name)) return scheme_raise(ctx, not_symbol);
        scheme_cell* lambda = cons(ctx, x->cdr, ctx->code->cdr);
        ctx->value = cons(ctx, ctx->sym_lambda, lambda);
    } else {
        name = x;
        if (!is_symbol(name)) return scheme_raise(ctx, not_symbol);
        ctx->value = is_pair(ctx->code->cdr) ? ctx->code->cdr->car : ctx->UNDEF;
    }
    scheme_push(ctx, next_op, ctx->NIL, name);
    ctx->code = ctx->value;
    ctx->op = OP_EVAL;
    return true;
}

bool op_define(scheme_context* ctx) { return definition(ctx, OP_DEFINE_BIND, u"Variable is not symbol"); }
bool op_define_macro(scheme_context* ctx) { return definition(ctx, OP_MAKE_MACRO, u"variable is not a symbol"); }

bool op_define_bind(scheme_context* ctx) {
    scheme_cell** slot = scheme_lookup_frame(ctx, ctx->code, ctx->envir->car);
    if (slot) *slot = ctx->value;
    else scheme_define(ctx, ctx->code, ctx->value);
    return scheme_return(ctx, ctx->code);
}

bool op_make_macro(scheme_context* ctx) {
    // A new macro cell: the closure itself (or a shared primitive) is never retyped.
    scheme_cell* v = ctx->value;
    if (!scheme_is(v, SCHEME_CLOSURE))
        return scheme_raise(ctx, u"define-macro: closure required:", v);
    ctx->value = mk_closure(ctx, v->car, v->cdr, SCHEME_MACRO);
    ctx->op = OP_DEFINE_BIND;
    return true;
}

bool op_if(scheme_context* ctx) {
    scheme_push(ctx, OP_IF_BRANCH, ctx->NIL, ctx->code);
    ctx->code = ctx->code->car;
    ctx->op = OP_EVAL;
    return true;
}

bool op_if_branch(scheme_context* ctx) {
    scheme_cell* rest = ctx->code->cdr;
    if (ctx->value != ctx->F) {
        ctx->code = rest->car;
    } else {
        if (!is_pair(rest->cdr)) return scheme_return(ctx, ctx->UNDEF);
        ctx->code = rest->cdr->car;
    }
    ctx->op = OP_EVAL;
    return true;
}

bool op_begin(scheme_context* ctx) {
    scheme_cell* body = ctx->code;
    if (!is_pair(body)) return scheme_return(ctx, ctx->NIL);
    if (is_pair(body->cdr)) scheme_push(ctx, OP_BEGIN, ctx->NIL, body->cdr);
    ctx->code = body->car;
    ctx->op = OP_EVAL;
    return true;
}

bool op_set(scheme_context* ctx) {
    scheme_push(ctx, OP_SET_ASSIGN, ctx->NIL, ctx->code->car);
    ctx->code = ctx->code->cdr->car;
    ctx->op = OP_EVAL;
    return true;
}

bool op_set_assign(scheme_context* ctx) {
    scheme_cell** slot = is_symbol(ctx->code) ? scheme_lookup(ctx, ctx->code) : nullptr;
    if (!slot) return raise_unbound(ctx, ctx->code);
    *slot = ctx->value;
    return scheme_return(ctx, ctx->code);
}

// let, letrec: the operands ride along as the first "value", so that after
// the inits they come back as the head of the reversed list.
bool let_bindings_ok(scheme_context* ctx, scheme_cell* bindings) {
    for (scheme_cell* b = bindings; is_pair(b); b = b->cdr)
        if (!is_pair(b->car) || !is_symbol(b->car->car)) return false;
    return scheme_list_length(ctx, bindings) >= 0;
}

bool op_let(scheme_context* ctx) {
    scheme_cell* ops = ctx->code;
    scheme_cell* bindings = is_symbol(ops->car) ? ops->cdr->car : ops->car;
    if (!let_bindings_ok(ctx, bindings)) return scheme_raise(ctx, u"let: invalid operation");
    ctx->value = ops;
    ctx->args = ctx->NIL;
    ctx->code = bindings;
    ctx->op = OP_LET_INIT;
    return true;
}

bool init_step(scheme_context* ctx, int self, int done) {
    ctx->args = cons(ctx, ctx->value, ctx->args);
    if (is_pair(ctx->code)) {
        scheme_push(ctx, self, ctx->args, ctx->code->cdr);
        scheme_cell* b = ctx->code->car;
        ctx->code = is_pair(b->cdr) ? b->cdr->car : ctx->UNDEF;
        ctx->op = OP_EVAL;
        return true;
    }
    ctx->args = reverse_in_place(ctx->args, ctx->NIL);
    ctx->code = ctx->args->car;
    ctx->args = ctx->args->cdr;
    ctx->op = done;
    return true;
}

bool op_let_init(scheme_context* ctx) { return init_step(ctx, OP_LET_INIT, OP_LET_BODY); }
bool op_letrec_init(scheme_context* ctx) { return init_step(ctx, OP_LETREC_INIT, OP_LETREC_BODY); }

void bind_all(scheme_context* ctx, scheme_cell* bindings) {
    scheme_cell* v = ctx->args;
    for (scheme_cell* b = bindings; is_pair(b) && is_pair(v); b = b->cdr, v = v->cdr)
        scheme_define(ctx, b->car->car, v->car);
}

bool op_let_body(scheme_context* ctx) {
    scheme_cell* ops = ctx->code;
    bool named = is_symbol(ops->car);
    scheme_cell* bindings = named ? ops->cdr->car : ops->car;
    scheme_cell* body = named ? ops->cdr->cdr : ops->cdr;
    ctx->envir = cons(ctx, ctx->NIL, ctx->envir);
    bind_all(ctx, bindings);
    if (named) {
        scheme_cell* names = ctx->NIL;
        scheme_root r(ctx, names);
        scheme_cell* tail = nullptr;
        for (scheme_cell* b = bindings; is_pair(b); b = b->cdr) {
            scheme_cell* c = cons(ctx, b->car->car, ctx->NIL);
            if (tail) tail->cdr = c;
            else names = c;
            tail = c;
        }
        scheme_cell* code = cons(ctx, names, body);
        scheme_define(ctx, ops->car, mk_closure(ctx, code, ctx->envir, SCHEME_CLOSURE));
    }
    ctx->code = body;
    ctx->args = ctx->NIL;
    ctx->op = OP_BEGIN;
    return true;
}

bool op_letrec(scheme_context* ctx) {
    scheme_cell* ops = ctx->code;
    if (!let_bindings_ok(ctx, ops->car)) return scheme_raise(ctx, u"let: invalid operation");
    ctx->envir = cons(ctx, ctx->NIL, ctx->envir);
    ctx->value = ops;
    ctx->args = ctx->NIL;
    ctx->code = ops->car;
    ctx->op = OP_LETREC_INIT;
    return true;
}

bool op_letrec_body(scheme_context* ctx) {
    scheme_cell* ops = ctx->code;
    bind_all(ctx, ops->car);
    ctx->code = ops->cdr;
    ctx->args = ctx->NIL;
    ctx->op = OP_BEGIN;
    return true;
}

bool let_star_binding_ok(scheme_context* ctx, scheme_cell* b) { return is_pair(b) && is_symbol(b->car); }

bool op_let_star(scheme_context* ctx) {
    scheme_cell* ops = ctx->code;
    scheme_cell* bindings = ops->car;
    if (bindings == ctx->NIL) {
        ctx->envir = cons(ctx, ctx->NIL, ctx->envir);
        ctx->code = ops->cdr;
        ctx->args = ctx->NIL;
        ctx->op = OP_BEGIN;
        return true;
    }
    if (!is_pair(bindings) || !let_star_binding_ok(ctx, bindings->car)) return scheme_raise(ctx, u"syntax error");
    scheme_push(ctx, OP_LET_STAR_FIRST, bindings, ops);
    scheme_cell* b = bindings->car;
    ctx->code = is_pair(b->cdr) ? b->cdr->car : ctx->UNDEF;
    ctx->op = OP_EVAL;
    return true;
}

bool let_star_step(scheme_context* ctx) {
    scheme_define(ctx, ctx->args->car->car, ctx->value);
    scheme_cell* rest = ctx->args->cdr;
    if (is_pair(rest)) {
        if (!let_star_binding_ok(ctx, rest->car)) return scheme_raise(ctx, u"syntax error");
        scheme_push(ctx, OP_LET_STAR_NEXT, rest, ctx->code);
        scheme_cell* b = rest->car;
        ctx->code = is_pair(b->cdr) ? b->cdr->car : ctx->UNDEF;
        ctx->op = OP_EVAL;
        return true;
    }
    if (rest != ctx->NIL) return scheme_raise(ctx, u"syntax error");
    ctx->code = ctx->code->cdr;
    ctx->args = ctx->NIL;
    ctx->op = OP_BEGIN;
    return true;
}

bool op_let_star_first(scheme_context* ctx) {
    ctx->envir = cons(ctx, ctx->NIL, ctx->envir);
    return let_star_step(ctx);
}

bool op_let_star_next(scheme_context* ctx) { return let_star_step(ctx); }

bool op_let_optionals(scheme_context* ctx) {
    scheme_cell* ops = ctx->code;
    scheme_cell* source = ops->car;
    scheme_cell* supplied = source;
    if (is_symbol(source)) {
        scheme_cell** slot = scheme_lookup(ctx, source);
        if (!slot) return raise_unbound(ctx, source);
        supplied = *slot;
    }
    scheme_cell* bindings = is_pair(ops->cdr) ? ops->cdr->car : ctx->NIL;
    int nb = scheme_list_length(ctx, bindings);
    int ns = 0;
    for (scheme_cell* p = supplied; is_pair(p); p = p->cdr) ++ns;
    if (nb >= 0 && ns > nb) return scheme_raise(ctx, u"too many arguments");
    // A fresh binding list: supplied values, quoted, replace the defaults.
    scheme_cell* head = ctx->NIL;
    scheme_root r1(ctx, head);
    scheme_root r2(ctx, supplied);
    scheme_cell* tail = nullptr;
    for (scheme_cell* b = bindings; is_pair(b); b = b->cdr) {
        scheme_cell* binding = b->car;
        if (is_pair(supplied) && is_pair(binding)) {
            scheme_cell* quoted = list2(ctx, ctx->sym_quote, supplied->car);
            binding = list2(ctx, binding->car, quoted);
            supplied = supplied->cdr;
        }
        scheme_cell* c = cons(ctx, binding, ctx->NIL);
        if (tail) tail->cdr = c;
        else head = c;
        tail = c;
    }
    scheme_cell* body = is_pair(ops->cdr) ? ops->cdr->cdr : ctx->NIL;
    ctx->code = cons(ctx, head, body);
    ctx->op = OP_LET;
    return true;
}

bool op_cond(scheme_context* ctx) {
    scheme_cell* clauses = ctx->code;
    if (!is_pair(clauses)) return scheme_raise(ctx, u"Syntax error in cond");
    for (scheme_cell* c = clauses; is_pair(c); c = c->cdr)
        if (!is_pair(c->car)) return scheme_raise(ctx, u"Syntax error in cond");
    scheme_push(ctx, OP_COND_CLAUSE, ctx->NIL, clauses);
    ctx->code = clauses->car->car;
    ctx->op = OP_EVAL;
    return true;
}

bool op_cond_clause(scheme_context* ctx) {
    scheme_cell* clauses = ctx->code;
    if (ctx->value != ctx->F) {
        scheme_cell* body = clauses->car->cdr;
        if (body == ctx->NIL) return scheme_return(ctx, ctx->value);
        if (body->car == ctx->sym_arrow) {
            scheme_cell* f = is_pair(body->cdr) ? body->cdr->car : ctx->UNDEF;
            scheme_cell* quoted = list2(ctx, ctx->sym_quote, ctx->value);
            scheme_cell* arg = cons(ctx, quoted, ctx->NIL);
            ctx->code = cons(ctx, f, arg);
            ctx->op = OP_EVAL;
            return true;
        }
        ctx->code = body;
        ctx->op = OP_BEGIN;
        return true;
    }
    clauses = clauses->cdr;
    if (!is_pair(clauses)) return scheme_return(ctx, ctx->UNDEF);
    scheme_push(ctx, OP_COND_CLAUSE, ctx->NIL, clauses);
    ctx->code = clauses->car->car;
    ctx->op = OP_EVAL;
    return true;
}

bool logic_step(scheme_context* ctx, int self) {
    scheme_cell* rest = ctx->code;
    if (!is_pair(rest)) return scheme_return(ctx, ctx->value);
    if (is_pair(rest->cdr)) scheme_push(ctx, self, ctx->NIL, rest->cdr);
    ctx->code = rest->car;
    ctx->op = OP_EVAL;
    return true;
}

bool op_and(scheme_context* ctx) {
    if (!is_pair(ctx->code)) return scheme_return(ctx, ctx->T);
    return logic_step(ctx, OP_AND_STEP);
}
bool op_and_step(scheme_context* ctx) {
    if (ctx->value == ctx->F) return scheme_return(ctx, ctx->value);
    return logic_step(ctx, OP_AND_STEP);
}
bool op_or(scheme_context* ctx) {
    if (!is_pair(ctx->code)) return scheme_return(ctx, ctx->F);
    return logic_step(ctx, OP_OR_STEP);
}
bool op_or_step(scheme_context* ctx) {
    if (ctx->value != ctx->F) return scheme_return(ctx, ctx->value);
    return logic_step(ctx, OP_OR_STEP);
}

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

// --- reading and evaluating files --------------------------------------------------

bool op_read_eval(scheme_context* ctx) {
    scheme_cell* port = ctx->args->car;
    ctx->inport = port;
    if (port_at_end(ctx, port)) return false;
    scheme_push(ctx, OP_READ_EVAL, ctx->args, ctx->value);
    scheme_push(ctx, OP_EVAL_READ, ctx->NIL, ctx->NIL);
    scheme_read_first_token(ctx);
    ctx->op = OP_READ_OBJECT;
    return true;
}

bool op_eval_read(scheme_context* ctx) {
    // Only blanks or comments were left: the run ends with the last real value.
    if (scheme_is(ctx->value, SCHEME_EOF) && ctx->dump_count > ctx->run_base &&
        ctx->dump[ctx->dump_count - 1].op == OP_READ_EVAL &&
        port_at_end(ctx, ctx->dump[ctx->dump_count - 1].args->car)) {
        ctx->value = ctx->dump[ctx->dump_count - 1].code;
        ctx->dump_count--;
        return false;
    }
    ctx->code = ctx->value;
    ctx->op = OP_EVAL;
    return true;
}

// Names used as they stand rather than searched along *load-path*.
bool is_absolute(const char16_t* name) {
    auto is_slash = [](char16_t c) { return c == '\\' || c == '/'; };
    if (name[0] == '.') return true;
    bool letter = (name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z');
    if (letter && name[1] == ':' && is_slash(name[2])) return true;
    if (name[0] == '\\' && name[1] == '\\') return true;  // \\server\share
#ifndef _WIN32
    if (name[0] == '/') return true;
#endif
    return false;
}

// Runs the file as a nested evaluation; false when the machine must stop.
bool load_file(scheme_context* ctx, scheme_cell* name_cell) {
    const char16_t* name = scheme_string(name_cell)->text;
    const scheme_host& h = ctx->host;
    scheme_cell* path = nullptr;
    scheme_root r(ctx, name_cell);
    scheme_root rp(ctx, path);
    if (is_absolute(name)) {
        path = name_cell;
    } else {
        scheme_cell** lp = scheme_lookup(ctx, intern(ctx, u"*load-path*"));
        for (scheme_cell* d = lp ? *lp : ctx->NIL; is_pair(d) && !path; d = d->cdr) {
            if (!scheme_is(d->car, SCHEME_STRING)) continue;
            auto* dir = scheme_string(d->car);
            std::size_t nl = static_cast<std::size_t>(scheme_string(name_cell)->length);
            scheme_cell* full = mk_empty_string(ctx, static_cast<std::size_t>(dir->length) + 1 + nl);
            dir = scheme_string(d->car);
            char16_t* out = scheme_string(full)->text;
            std::memcpy(out, dir->text, dir->length * sizeof(char16_t));
            out[dir->length] = '/';
            std::memcpy(out + dir->length + 1, scheme_string(name_cell)->text, (nl + 1) * sizeof(char16_t));
            if (h.file_exists && h.file_exists(h.user, out)) path = full;
        }
    }
    scheme_cell* port = path ? scheme_open_input_file(ctx, scheme_string(path)->text) : nullptr;
    if (!port) return scheme_raise(ctx, u"load: can not find file", name_cell);
    if (ctx->run_depth >= kMaxNestedRuns) {
        scheme_port_close(ctx, port);
        return scheme_raise(ctx, u"load: nesting too deep", name_cell);
    }
    // Closes the file and puts the registers back however the run ends.
    struct LoadScope {
        scheme_context* ctx;
        scheme_cell* port;
        scheme_cell* saved_in;
        scheme_cell* saved_env;
        scheme_root r1, r2, r3;
        LoadScope(scheme_context* c, scheme_cell* p)
            : ctx(c), port(p), saved_in(c->inport), saved_env(c->envir), r1(c, port), r2(c, saved_in),
              r3(c, saved_env) {}
        ~LoadScope() {
            scheme_port_close(ctx, port);
            ctx->inport = saved_in;
            ctx->envir = saved_env;
        }
    };
    bool ok;
    {
        LoadScope scope(ctx, port);
        ctx->envir = ctx->global_frame;
        ctx->args = cons(ctx, port, ctx->NIL);
        ok = scheme_run_nested(ctx, OP_READ_EVAL);
    }
    if (!ok) return scheme_error_stop(ctx);
    return scheme_return(ctx, ctx->T);
}

scheme_cell* with_suffix(scheme_context* ctx, const char16_t* name, std::size_t n) {
    scheme_cell* s = mk_empty_string(ctx, n + 4);
    char16_t* out = scheme_string(s)->text;
    std::memcpy(out, name, n * sizeof(char16_t));
    std::memcpy(out + n, u".scm", 5 * sizeof(char16_t));
    return s;
}

bool op_load(scheme_context* ctx) {
    scheme_cell* a[1];
    int n;
    if (int r = scheme_check_builtin(ctx, 1, 1, "S", a, &n)) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
    return load_file(ctx, a[0]);
}

bool op_require(scheme_context* ctx) {
    scheme_cell* a[1];
    int n;
    if (int r = scheme_check_builtin(ctx, 1, 1, "S", a, &n)) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
    auto* s = scheme_string(a[0]);
    return load_file(ctx, with_suffix(ctx, s->text, static_cast<std::size_t>(s->length)));
}

bool op_use(scheme_context* ctx) {
    scheme_cell* a[1];
    int n;
    // the operand is not evaluated
    int r = scheme_check_args(ctx, u"use", 1, 1, u"Y", ctx->code, a, &n);
    if (r) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
    const char16_t* name = scheme_symbol_name(a[0]);
    return load_file(ctx, with_suffix(ctx, name, scheme_u16len(name)));
}

// --- evaluator builtins ------------------------------------------------------------

bool op_eval_builtin(scheme_context* ctx) {
    scheme_cell* a[2];
    int n;
    if (int r = scheme_check_builtin(ctx, 1, 2, "AA", a, &n)) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
    ctx->code = a[0];
    ctx->args = ctx->NIL;
    ctx->op = OP_EVAL;
    return true;
}

bool op_apply_builtin(scheme_context* ctx) {
    scheme_cell* a[1];
    int n;
    if (int r = scheme_check_builtin(ctx, 1, 1, "A", a, &n)) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
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

bool op_callcc(scheme_context* ctx) {
    scheme_cell* a[1];
    int n;
    if (int r = scheme_check_builtin(ctx, 1, 1, "A", a, &n)) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
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
    scheme_cell* a[2];
    int n;
    if (int r = scheme_check_builtin(ctx, 2, 2, "pp", a, &n)) return scheme_raise_error_text(ctx, r == 1 ? a[0] : nullptr);
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

// --- error protocol ----------------------------------------------------------------------

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

// --- machine core ------------------------------------------------------------------------

void scheme_push(scheme_context* ctx, int op, scheme_cell* args, scheme_cell* code) {
    if (ctx->dump_count == ctx->dump_capacity) {
        // The cells run out long before a sound program needs this many
        // frames; runaway structure (printing a list that contains itself)
        // stops here instead of eating the address space.
        constexpr int kMaxFrames = 1 << 21;
        int cap = ctx->dump_capacity ? ctx->dump_capacity * 2 : 32;
        if (cap > kMaxFrames) scheme_fatal_error(ctx, "no memory");
        ctx->dump = static_cast<scheme_frame*>(
            scheme_payload_realloc(ctx, ctx->dump, static_cast<std::size_t>(cap) * sizeof(scheme_frame)));
        ctx->dump_capacity = cap;
    }
    ctx->dump[ctx->dump_count++] = {op, args, ctx->envir, code};
}

bool scheme_return_values(scheme_context* ctx, scheme_cell* value, scheme_cell* list) {
    ctx->value = value;
    if (ctx->dump_count <= ctx->run_base) {
        ctx->values = ctx->NIL;
        return scheme_raise(ctx, u"return with an empty dump stack");
    }
    scheme_frame& f = ctx->dump[--ctx->dump_count];
    ctx->op = f.op;
    ctx->args = f.args;
    ctx->envir = f.envir;
    ctx->code = f.code;
    ctx->values = list;
    return true;
}

bool scheme_return(scheme_context* ctx, scheme_cell* value) { return scheme_return_values(ctx, value, ctx->NIL); }

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
    static const scheme_op_binding rows[] = {
        {OP_LOAD, "load", op_load},
        {OP_REQUIRE, "require", op_require},
        {OP_USE, nullptr, op_use},
        {OP_READ_EVAL, nullptr, op_read_eval},
        {OP_EVAL_READ, nullptr, op_eval_read},
        {OP_EVAL, nullptr, op_eval},
        {OP_OPERATOR_DONE, nullptr, op_operator_done},
        {OP_EVAL_ARGS, nullptr, op_eval_args},
        {OP_APPLY, nullptr, op_apply},
        {OP_MACRO_DONE, nullptr, op_macro_done},
        {OP_LAMBDA, nullptr, op_lambda},
        {OP_QUOTE, nullptr, op_quote},
        {OP_QUASIQUOTE, nullptr, op_quasiquote},
        {OP_QQ_WALK, nullptr, op_qq_walk},
        {OP_QQ_ELEMENT, nullptr, op_qq_element},
        {OP_QQ_WRAP, nullptr, op_qq_wrap},
        {OP_QQ_SPLICE, nullptr, op_qq_splice},
        {OP_QQ_TAIL, nullptr, op_qq_tail},
        {OP_QUASIQUOTE_VEC, nullptr, op_quasiquote_vec},
        {OP_QQ_VEC_DONE, nullptr, op_qq_vec_done},
        {OP_DEFINE, nullptr, op_define},
        {OP_DEFINE_BIND, nullptr, op_define_bind},
        {OP_BEGIN, nullptr, op_begin},
        {OP_IF, nullptr, op_if},
        {OP_IF_BRANCH, nullptr, op_if_branch},
        {OP_SET, nullptr, op_set},
        {OP_SET_ASSIGN, nullptr, op_set_assign},
        {OP_LET, nullptr, op_let},
        {OP_LET_OPTIONALS, nullptr, op_let_optionals},
        {OP_LET_INIT, nullptr, op_let_init},
        {OP_LET_BODY, nullptr, op_let_body},
        {OP_LET_STAR, nullptr, op_let_star},
        {OP_LET_STAR_FIRST, nullptr, op_let_star_first},
        {OP_LET_STAR_NEXT, nullptr, op_let_star_next},
        {OP_LETREC, nullptr, op_letrec},
        {OP_LETREC_INIT, nullptr, op_letrec_init},
        {OP_LETREC_BODY, nullptr, op_letrec_body},
        {OP_COND, nullptr, op_cond},
        {OP_COND_CLAUSE, nullptr, op_cond_clause},
        {OP_AND, nullptr, op_and},
        {OP_AND_STEP, nullptr, op_and_step},
        {OP_OR, nullptr, op_or},
        {OP_OR_STEP, nullptr, op_or_step},
        {OP_DEFINE_MACRO, nullptr, op_define_macro},
        {OP_MAKE_MACRO, nullptr, op_make_macro},
        {OP_EVAL_BUILTIN, "eval", op_eval_builtin},
        {OP_APPLY_BUILTIN, "apply", op_apply_builtin},
        {OP_CALLCC, "call-with-current-continuation", op_callcc},
        {OP_ERROR, "error", op_error},
        {OP_ERROR_IRRITANTS, nullptr, op_error_irritants},
        {OP_INTERACTION_ENV, "interaction-environment", op_interaction_env},
        {OP_EXIT, "exit", op_exit},
        {OP_GC, "gc", op_gc},
        {OP_QUOTE_VECTOR, nullptr, op_quote_vector},
        {OP_LIST_TO_VECTOR, nullptr, op_list_to_vector},
        {OP_CALL_HOST, nullptr, op_call_host},
        {OP_VALUES, "values", op_values},
        {OP_CALL_WITH_VALUES, "call-with-values", op_call_with_values},
        {OP_CALL_WITH_VALUES_DONE, nullptr, op_call_with_values_done},
        {OP_DEBUG_INFO, "_debug_info", op_debug_info},
        {OP_OPTIONAL_DEFAULTS, nullptr, op_optional_defaults},
        {OP_NOP, "_nop", op_nop},
    };
    scheme_set_ops(rows);
}
