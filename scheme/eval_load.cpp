// Reading and evaluating files: the read-eval loop, load with its search
// along *load-path*, require and use.
#include <cstdio>
#include <cstring>

#include "scheme/eval_internal.h"

namespace {

using namespace scheme_eval;

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
    SCHEME_CHECK(1, 1, "S");
    return load_file(ctx, a[0]);
}

bool op_require(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
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

}  // namespace

void scheme_register_load_ops() {
    static const scheme_op_binding rows[] = {
        {OP_READ_EVAL, nullptr, op_read_eval},
        {OP_EVAL_READ, nullptr, op_eval_read},
        {OP_LOAD, "load", op_load},
        {OP_REQUIRE, "require", op_require},
        {OP_USE, nullptr, op_use},
    };
    scheme_set_ops(rows);
}
