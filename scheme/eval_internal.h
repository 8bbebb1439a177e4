// Shared by the evaluator's sources (eval*.cpp): small list helpers, the
// continuation entry op_apply needs, and each source's op registration.
#pragma once

#include "scheme/ops.h"

namespace scheme_eval {

// Nested runs of the machine (load inside load, host entries) stop here.
constexpr int kMaxNestedRuns = 64;

inline bool is_symbol(scheme_cell* c) { return scheme_is(c, SCHEME_SYMBOL); }
inline bool is_pair(scheme_cell* c) { return scheme_is(c, SCHEME_PAIR); }

inline scheme_cell* reverse_in_place(scheme_cell* list, scheme_cell* tail) {
    scheme_cell* result = tail;
    while (is_pair(list)) {
        scheme_cell* next = list->cdr;
        list->cdr = result;
        result = list;
        list = next;
    }
    return result;
}

inline scheme_cell* list2(scheme_context* ctx, scheme_cell* a, scheme_cell* b) {
    scheme_cell* tail = cons(ctx, b, ctx->NIL);
    return cons(ctx, a, tail);
}

inline bool raise_unbound(scheme_context* ctx, scheme_cell* sym) {
    return scheme_raise(ctx, u"unbounded variable", sym);
}

}  // namespace scheme_eval

// Re-enters the continuation k with ctx->args as its values.
bool scheme_apply_continuation(scheme_context* ctx, scheme_cell* k);

void scheme_register_apply_ops();
void scheme_register_form_ops();
void scheme_register_quasiquote_ops();
void scheme_register_load_ops();
void scheme_register_continuation_ops();
void scheme_register_error_ops();
