// Shared by the builtin library's sources (core builtins, ports, hash tables,
// regexps, classes): small constructors and type messages (the argument
// check, SCHEME_CHECK, is every op's: scheme/internal.h).
#pragma once

#include "scheme/ops.h"

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
