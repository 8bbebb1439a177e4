// The special forms: lambda, quote, define, if, begin, set!, the let family,
// cond, and, or, and macro definition.
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

namespace {

using namespace scheme_eval;

scheme_cell* mk_closure(scheme_context* ctx, scheme_cell* code, scheme_cell* env, int type) {
    scheme_cell* c = get_cell(ctx, code, env);
    c->flags = static_cast<uint16_t>(type);
    c->car = code;
    c->cdr = env;
    return c;
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

}  // namespace

void scheme_register_form_ops() {
    static const scheme_op_binding rows[] = {
        {OP_LAMBDA, nullptr, op_lambda},
        {OP_QUOTE, nullptr, op_quote},
        {OP_QUOTE_VECTOR, nullptr, op_quote_vector},
        {OP_LIST_TO_VECTOR, nullptr, op_list_to_vector},
        {OP_DEFINE, nullptr, op_define},
        {OP_DEFINE_MACRO, nullptr, op_define_macro},
        {OP_DEFINE_BIND, nullptr, op_define_bind},
        {OP_MAKE_MACRO, nullptr, op_make_macro},
        {OP_IF, nullptr, op_if},
        {OP_IF_BRANCH, nullptr, op_if_branch},
        {OP_BEGIN, nullptr, op_begin},
        {OP_SET, nullptr, op_set},
        {OP_SET_ASSIGN, nullptr, op_set_assign},
        {OP_LET, nullptr, op_let},
        {OP_LET_INIT, nullptr, op_let_init},
        {OP_LETREC_INIT, nullptr, op_letrec_init},
        {OP_LET_BODY, nullptr, op_let_body},
        {OP_LETREC, nullptr, op_letrec},
        {OP_LETREC_BODY, nullptr, op_letrec_body},
        {OP_LET_STAR, nullptr, op_let_star},
        {OP_LET_STAR_FIRST, nullptr, op_let_star_first},
        {OP_LET_STAR_NEXT, nullptr, op_let_star_next},
        {OP_LET_OPTIONALS, nullptr, op_let_optionals},
        {OP_COND, nullptr, op_cond},
        {OP_COND_CLAUSE, nullptr, op_cond_clause},
        {OP_AND, nullptr, op_and},
        {OP_AND_STEP, nullptr, op_and_step},
        {OP_OR, nullptr, op_or},
        {OP_OR_STEP, nullptr, op_or_step},
    };
    scheme_set_ops(rows);
}
