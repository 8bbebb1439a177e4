// Shared by the builtin library's sources (core builtins, ports, hash tables,
// regexps, classes): the argument check at the top of a builtin and small
// constructors.
#pragma once

#include "scheme/ops.h"

// Checks the builtin's arguments against letters; on failure raises the
// checker's message (with the offending argument for a type failure) and
// returns from the builtin. Leaves a[] and n for the body.
#define SCHEME_CHECK(min, max, letters)                                           \
    scheme_cell* a[32];                                                           \
    int n = 0;                                                                    \
    if (int r_ = scheme_check_builtin(ctx, min, max, letters, a, &n))             \
        return scheme_raise_error_text(ctx, r_ == 1 ? a[0] : nullptr);            \
    (void)n

inline scheme_cell* scheme_bool(scheme_context* ctx, bool b) { return b ? ctx->T : ctx->F; }
inline bool scheme_is_atom_of(const scheme_cell* c, int type) {
    return scheme_is(c, type) && (c->flags & SCHEME_ATOM) != 0;
}

// Raises the type message of one letter for a single argument (variadic builtins).
bool scheme_raise_type(scheme_context* ctx, const char* letter, scheme_cell* bad);

// The ops of each library source, and the per-interpreter set-up
// (built-in classes, permanent ports) that scheme_create runs.
void scheme_register_core_library_ops();
void scheme_register_port_ops();
void scheme_register_hash_ops();
void scheme_register_regexp_ops();
void scheme_register_class_ops();
void scheme_init_classes(scheme_context* ctx);
// Printed forms of the library's atoms; false for other kinds.
bool scheme_print_regexp(scheme_context* ctx, scheme_cell* port, scheme_cell* obj);
