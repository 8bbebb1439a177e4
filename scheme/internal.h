// Shared between the interpreter's own sources; not for embedders.
#pragma once

#include "scheme/hash.h"
#include "scheme/scheme.h"
#include "textengine/utf16.h"

struct scheme_continuation_payload {
    scheme_cell* gc_link;
    int32_t count;
    uint32_t run_id;  // the run of the machine that captured it
    scheme_frame frames[1];
};

struct scheme_type_row {
    int type;
    void (*mark_children)(scheme_context* ctx, scheme_cell* c);
    void (*finalize)(scheme_context* ctx, scheme_cell* c);
};

// Rows indexed by type code; later parts of the interpreter fill in their own.
extern scheme_type_row scheme_type_table[32];

inline bool scheme_is_atom(const scheme_cell* c) { return (c->flags & SCHEME_ATOM) != 0; }

// Chunk size of the payload pool: blocks up to its threshold (1 KiB) come
// from the pool's classes, larger ones from the context's cache of freed
// blocks or the C heap.
constexpr std::size_t SCHEME_POOL_CHUNK = 2048;

// Payload allocation that reports failure instead of raising the fatal error
// (the hash table's allocator callbacks).
void* scheme_payload_try_alloc(scheme_context* ctx, std::size_t bytes);

// UTF-16 walking that never steps over a terminator or a buffer end: the
// text engine's rules (textengine/utf16.h) on avail units.
inline int scheme_char_units(const char16_t* p, std::ptrdiff_t avail) {
    return avail >= 2 && utf16_is_pair(p) ? 2 : 1;
}
inline uint32_t scheme_char_at(const char16_t* p, std::ptrdiff_t avail) {
    return avail >= 2 && utf16_is_pair(p) ? utf16_combine(p[0], p[1]) : p[0];
}
// Writes cp as UTF-16; returns the units written (1 or 2).
inline int scheme_put_char(char16_t* p, uint32_t cp) { return int(utf16_put_code_point(p, cp) - p); }
std::size_t scheme_u16len(const char16_t* s);
// ASCII text to a static-free UTF-16 copy in buf (at most n - 1 units).
void scheme_ascii_to_u16(const char* s, char16_t* buf, std::size_t n);

// --- the machine -------------------------------------------------------------
using scheme_op_handler = bool (*)(scheme_context* ctx);

struct scheme_op_row {
    scheme_op_handler handler;
    int op;
    const char* name;
};

constexpr int SCHEME_OP_COUNT = 197;
extern scheme_op_row scheme_op_table[SCHEME_OP_COUNT + 1];

// The machine's two commonest steps, inline in every op's source; their rare
// paths (eval.cpp) are not.
void scheme_grow_dump(scheme_context* ctx);
bool scheme_return_from_empty_dump(scheme_context* ctx);

inline void scheme_push(scheme_context* ctx, int op, scheme_cell* args, scheme_cell* code) {
    if (ctx->dump_count == ctx->dump_capacity) scheme_grow_dump(ctx);
    ctx->dump[ctx->dump_count++] = {op, args, ctx->envir, code};
}

inline bool scheme_return_values(scheme_context* ctx, scheme_cell* value, scheme_cell* list) {
    ctx->value = value;
    if (ctx->dump_count <= ctx->run_base) return scheme_return_from_empty_dump(ctx);
    const scheme_frame& f = ctx->dump[--ctx->dump_count];
    ctx->op = f.op;
    ctx->args = f.args;
    ctx->envir = f.envir;
    ctx->code = f.code;
    ctx->values = list;
    return true;
}

inline bool scheme_return(scheme_context* ctx, scheme_cell* value) { return scheme_return_values(ctx, value, ctx->NIL); }
// args := (message irritants...), op := 95; returns true (the machine goes on
// into the error protocol).
bool scheme_raise(scheme_context* ctx, const char16_t* message, scheme_cell* irritant = nullptr);
bool scheme_raise_ascii(scheme_context* ctx, const char* message, scheme_cell* irritant = nullptr);
// Raises the message in the context's error text.
bool scheme_raise_error_text(scheme_context* ctx, scheme_cell* irritant = nullptr);
// Runs the machine from op; returns false when the run ended by an error.
// With exit_frame, a frame that stops the run is pushed first, so that a
// procedure or a print can return into it.
bool scheme_run_nested(scheme_context* ctx, int op, bool exit_frame = false);
// Ends the current run after an error in a nested one: frames of this run
// dropped, registers reset.
bool scheme_error_stop(scheme_context* ctx);

// The argument check: 0 ok, 1 type failure (out[0] = the argument), 2 too few.
int scheme_check_args(scheme_context* ctx, const char16_t* name, int min, int max, const char16_t* letters,
                      scheme_cell* args, scheme_cell** out, int* count);
int scheme_check_builtin(scheme_context* ctx, int min, int max, const char* letters, scheme_cell** out, int* count);
// Checks the op's arguments against letters; on failure raises the
// checker's message (with the offending argument for a type failure) and
// returns from the op. Leaves a[] and n for the body.
#define SCHEME_CHECK(min, max, letters)                                           \
    scheme_cell* a[32];                                                           \
    int n = 0;                                                                    \
    if (int r_ = scheme_check_builtin(ctx, min, max, letters, a, &n))             \
        return scheme_raise_error_text(ctx, r_ == 1 ? a[0] : nullptr);            \
    (void)n
const char* scheme_op_name(int op);

// Ports
void port_write(scheme_context* ctx, scheme_cell* port, const char16_t* text);
void port_write_n(scheme_context* ctx, scheme_cell* port, const char16_t* text, std::size_t units);
void port_write_ascii(scheme_context* ctx, scheme_cell* port, const char* text);
// -1 at the end of input.
int32_t port_peek(scheme_context* ctx, scheme_cell* port);
int32_t port_peek2(scheme_context* ctx, scheme_cell* port);
void port_advance(scheme_context* ctx, scheme_cell* port);
bool port_at_end(scheme_context* ctx, scheme_cell* port);
// Opens a file input port (UTF-16 or multibyte by its first bytes); null when it does not open.
scheme_cell* scheme_open_input_file(scheme_context* ctx, const char16_t* path);
void scheme_port_close(scheme_context* ctx, scheme_cell* port);
void scheme_string_port_clear(scheme_context* ctx, scheme_cell* port);
scheme_cell* mk_output_string_port(scheme_context* ctx, int32_t capacity);

// Printed form in a string owned by the interpreter (valid until the next
// allocation); no fatal-error trap of its own.
const char16_t* scheme_print_to_string(scheme_context* ctx, scheme_cell* obj, bool write_form);
void scheme_print_atom(scheme_context* ctx, scheme_cell* port, scheme_cell* obj, bool write_form);
void scheme_write_escaped(scheme_context* ctx, scheme_cell* port, const char16_t* text, std::size_t units);

// Builtins are bound in the global frame by scheme_create.
void scheme_bind_builtins(scheme_context* ctx);
// Binds name in the innermost frame to a primitive or syntax cell of the op.
void scheme_bind_op(scheme_context* ctx, const char16_t* name, int type, int op);
