// The embedding interface. Every entry that can allocate runs under its own
// fatal-error trap: a fatal error (thrown as scheme_fatal) unwinds to the
// innermost entry, which puts the machine back as it found it and returns
// its failure value.
#include <cstdlib>
#include <cstring>
#include <new>

#include "scheme/library.h"
#include "scheme/ops.h"
#include "textengine/mpool.h"

namespace {

// Machine state an entry restores after a fatal error.
struct EntryState {
    scheme_context* ctx;
    int32_t dump_count, run_base, run_depth;
    scheme_root* temp_roots;
    uint32_t run_id;
    scheme_cell *inport, *outport, *envir;
    int32_t no_gc;
    explicit EntryState(scheme_context* c)
        : ctx(c),
          dump_count(c->dump_count),
          run_base(c->run_base),
          run_depth(c->run_depth),
          temp_roots(c->temp_roots),
          run_id(c->run_id),
          inport(c->inport),
          outport(c->outport),
          envir(c->envir),
          no_gc(c->no_gc) {}
    void restore() {
        if (ctx->dump_count > dump_count) ctx->dump_count = dump_count;
        ctx->run_base = run_base;
        ctx->run_depth = run_depth;
        ctx->run_id = run_id;
        ctx->temp_roots = temp_roots;
        ctx->inport = inport;
        ctx->outport = outport;
        ctx->saved_outport = ctx->NIL;
        ctx->envir = envir;
        ctx->no_gc = no_gc;
        ctx->mark_work = nullptr;
        ctx->args = ctx->NIL;
        ctx->code = ctx->NIL;
    }
};

template <typename R, typename F>
R trapped(scheme_context* ctx, R failure, F&& body) {
    EntryState state(ctx);
    try {
        return body();
    } catch (const scheme_fatal&) {
        state.restore();
        return failure;
    } catch (const std::bad_alloc&) {
        state.restore();
        return failure;
    }
}

void init_special(scheme_cell* c) {
    c->flags = SCHEME_ATOM | SCHEME_MARK;
    c->car = c;
    c->cdr = c;
}

void register_ops() {
    static bool done = false;
    if (done) return;
    scheme_register_reader_ops();
    scheme_register_eval_ops();
    scheme_register_builtin_ops();
    scheme_register_core_library_ops();
    scheme_register_port_ops();
    scheme_register_hash_ops();
    scheme_register_regexp_ops();
    scheme_register_class_ops();
    done = true;
}

void build(scheme_context* ctx) {
    ctx->pool = mpool_create(SCHEME_POOL_CHUNK, SCHEME_POOL_CHUNK);
    if (!ctx->pool) scheme_fatal_error(ctx, "no memory");
    if (!scheme_add_segment(ctx)) scheme_fatal_error(ctx, "no memory");
    scheme_cell* global = mk_hash(ctx, 1024, "ptr-eq?");
    ctx->envir = cons(ctx, global, ctx->NIL);
    ctx->global_frame = ctx->envir;
    ctx->oblist = mk_hash(ctx, 1024, "oblist");
    const scheme_host& h = ctx->host;
    ctx->inport = mk_port(ctx, h.std_in, SCHEME_PORT_INPUT, u"(stdin)", 1034);
    ctx->outport = mk_port(ctx, h.std_out, SCHEME_PORT_OUTPUT, u"(stdout)", 0);
    ctx->errport = mk_port(ctx, h.std_err, SCHEME_PORT_OUTPUT, u"(stderr)", 0);
    ctx->strport = mk_output_string_port(ctx, 1024);
    static const struct {
        const char16_t* name;
        int op;
    } syntax[] = {
        {u"lambda", OP_LAMBDA},     {u"quote", OP_QUOTE},     {u"quote-vector", OP_QUOTE_VECTOR},
        {u"define", OP_DEFINE},     {u"if", OP_IF},           {u"begin", OP_BEGIN},
        {u"set!", OP_SET},          {u"let", OP_LET},         {u"let-optionals", OP_LET_OPTIONALS},
        {u"let*", OP_LET_STAR},     {u"letrec", OP_LETREC},   {u"cond", OP_COND},
        {u"and", OP_AND},           {u"or", OP_OR},           {u"define-macro", OP_DEFINE_MACRO},
        {u"quasiquote", OP_QUASIQUOTE}, {u"_quasiquote-vec", OP_QUASIQUOTE_VEC}, {u"use", OP_USE},
    };
    for (const auto& s : syntax) scheme_bind_op(ctx, s.name, SCHEME_SYNTAX, s.op);
    scheme_define(ctx, intern(ctx, u"else"), ctx->T);
    scheme_bind_builtins(ctx);
    ctx->sym_lambda = intern(ctx, u"lambda");
    ctx->sym_quote = intern(ctx, u"quote");
    ctx->sym_quote_vector = intern(ctx, u"quote-vector");
    ctx->sym_quasiquote = intern(ctx, u"quasiquote");
    ctx->sym_unquote = intern(ctx, u"unquote");
    ctx->sym_unquote_splicing = intern(ctx, u"unquote-splicing");
    ctx->sym_quasiquote_vec = intern(ctx, u"_quasiquote-vec");
    ctx->sym_optional = intern(ctx, u":optional");
    ctx->sym_arrow = intern(ctx, u"=>");
    scheme_init_classes(ctx);
}

void free_all(scheme_context* ctx) {
    // Finalizers need the pool; the symbol and frame tables go with their cells.
    for (int s = 0; s <= ctx->last_segment; ++s) {
        scheme_cell* c = ctx->segments[s];
        for (int i = 0; i < ctx->segment_sizes[s]; ++i) {
            if ((c[i].flags & SCHEME_ATOM) && scheme_type_table[scheme_type(&c[i])].finalize)
                scheme_type_table[scheme_type(&c[i])].finalize(ctx, &c[i]);
            c[i].flags = 0;
        }
    }
    for (int s = 0; s <= ctx->last_segment; ++s) std::free(ctx->segments[s]);
    if (ctx->pool) mpool_destroy(ctx->pool);
    ctx->~scheme_context();
    std::free(ctx);
}

}  // namespace

scheme_context* scheme_create(const scheme_host* host) {
    register_ops();
    void* mem = std::calloc(1, sizeof(scheme_context));
    if (!mem) return nullptr;
    auto* ctx = new (mem) scheme_context();
    std::memset(static_cast<void*>(ctx), 0, sizeof(*ctx));
    if (host) ctx->host = *host;
    else ctx->host = scheme_host();
    ctx->last_segment = -1;
    ctx->sweep_segment = 0;
    for (auto& c : ctx->special) init_special(&c);
    ctx->NIL = &ctx->special[0];
    ctx->T = &ctx->special[1];
    ctx->F = &ctx->special[2];
    ctx->UNDEF = &ctx->special[3];
    scheme_cell* nil = ctx->NIL;
    ctx->args = ctx->envir = ctx->code = ctx->oblist = ctx->global_frame = nil;
    ctx->protected_list = ctx->inport = ctx->outport = ctx->errport = ctx->strport = ctx->saved_outport = nil;
    ctx->value = ctx->values = nil;
    ctx->sys_tm_class = ctx->sys_stat_class = nil;
    ctx->threshold = SCHEME_PAYLOAD_ALLOWANCE;
    ctx->gensym_counter = 1;
    ctx->cancel_vk = 3;
    ctx->no_gc = 1;
    try {
        build(ctx);
    } catch (...) {
        free_all(ctx);
        return nullptr;
    }
    ctx->no_gc = 0;
    return ctx;
}

void scheme_destroy(scheme_context* ctx) {
    if (ctx) free_all(ctx);
}

int scheme_register_function(scheme_context* ctx, const char16_t* name, scheme_callback_fn fn, int min_args,
                             int max_args, const char16_t* letters) {
    // the call passes at most 32 arguments in a fixed array, and the letters
    // must fit their 32-unit field whole: anything else is refused, not cut
    std::size_t letter_count = letters ? scheme_u16len(letters) : 0;
    if (!name || !fn || min_args < 0 || max_args < min_args || max_args > 32 ||
        letter_count >= sizeof(scheme_callback_function::letters) / sizeof(char16_t))
        return 1;
    return trapped(ctx, 1, [&] {
        scheme_cell* sym = intern(ctx, name);
        std::size_t n = scheme_u16len(name);
        scheme_cell* c = get_cell(ctx, sym, ctx->NIL);
        auto* cb = static_cast<scheme_callback_function*>(
            scheme_payload_alloc(ctx, offsetof(scheme_callback_function, name) + (n + 1) * sizeof(char16_t)));
        cb->fn = fn;
        cb->min_args = min_args;
        cb->max_args = max_args > 32 ? 32 : max_args;  // the argument array holds 32
        std::size_t i = 0;
        for (; i < letter_count; ++i) cb->letters[i] = letters[i];
        cb->letters[i] = 0;
        std::memcpy(cb->name, name, (n + 1) * sizeof(char16_t));
        c->payload = cb;
        c->cdr = ctx->NIL;
        c->flags = SCHEME_ATOM | SCHEME_CALLBACK;
        scheme_define(ctx, sym, c);
        return 0;
    });
}

scheme_cell* scheme_run(scheme_context* ctx, int op) {
    bool ok = scheme_run_nested(ctx, op);
    if (op == OP_ERROR && !ok) ctx->host_raised = 1;
    return ctx->value;
}

namespace {

// Reads and evaluates everything from the port as one run; false when the
// program reported an error.
bool run_port(scheme_context* ctx, scheme_cell* port) {
    scheme_cell* saved_in = ctx->inport;
    scheme_root r1(ctx, saved_in);
    scheme_root r2(ctx, port);
    ctx->args = cons(ctx, port, ctx->NIL);
    bool ok = scheme_run_nested(ctx, OP_READ_EVAL);
    ctx->args = ctx->NIL;
    ctx->inport = saved_in;
    return ok;
}

}  // namespace

scheme_cell* scheme_eval_string(scheme_context* ctx, const char16_t* source) {
    return trapped(ctx, ctx->F, [&] {
        scheme_cell* port = mk_string_input_port(ctx, source);
        bool ok = run_port(ctx, port);
        scheme_port(port)->flags |= SCHEME_PORT_CLOSED;
        return ok ? ctx->value : ctx->F;
    });
}

int scheme_load_file(scheme_context* ctx, const char16_t* path) {
    return trapped(ctx, 1, [&] {
        // a failure leaves "<prefix><path>" in the error text for the host
        auto fail = [&](const char* prefix) {
            std::size_t n = 0;
            for (const char* p = prefix; *p; ++p) ctx->error_text[n++] = static_cast<unsigned char>(*p);
            for (const char16_t* p = path; *p && n + 1 < SCHEME_ERROR_TEXT; ++p) ctx->error_text[n++] = *p;
            ctx->error_text[n] = 0;
            return 1;
        };
        scheme_cell* port = scheme_open_input_file(ctx, path);
        if (!port) return fail("fatal error: file cannot open ");
        bool ok = run_port(ctx, port);
        scheme_port_close(ctx, port);
        return ok ? 0 : fail("load stopped by an error: ");
    });
}

scheme_cell* scheme_call_procedure(scheme_context* ctx, scheme_cell* proc) {
    return trapped(ctx, ctx->F, [&] {
        scheme_root r(ctx, proc);
        ctx->args = ctx->NIL;
        ctx->code = proc;
        scheme_run_nested(ctx, OP_APPLY, true);
        return ctx->value;
    });
}

const char16_t* scheme_print_to_string(scheme_context* ctx, scheme_cell* obj, bool write_form) {
    scheme_root r(ctx, obj);
    scheme_cell* saved_out = ctx->outport;
    scheme_root r2(ctx, saved_out);
    scheme_cell* port = mk_output_string_port(ctx, 64);
    ctx->outport = port;
    ctx->print_flag = write_form ? 1 : 0;
    ctx->args = obj;
    scheme_run_nested(ctx, OP_PRINT_OBJECT, true);
    ctx->outport = saved_out;
    return scheme_port(port)->buffer;
}

const char16_t* scheme_to_string(scheme_context* ctx, scheme_cell* obj) {
    return trapped(ctx, static_cast<const char16_t*>(u""),
                   [&]() -> const char16_t* { return scheme_print_to_string(ctx, obj, false); });
}

int scheme_protect(scheme_context* ctx, scheme_cell* obj) {
    return trapped(ctx, 1, [&] {
        ctx->protected_list = cons(ctx, obj, ctx->protected_list);
        return 0;
    });
}

int scheme_unprotect(scheme_context* ctx, scheme_cell* obj) {
    scheme_cell** link = &ctx->protected_list;
    for (scheme_cell* p = *link; scheme_is(p, SCHEME_PAIR); link = &p->cdr, p = p->cdr) {
        if (p->car == obj) {
            *link = p->cdr;
            break;
        }
    }
    return 0;
}

namespace {

// A maker's failure is remembered so that a host procedure that made the
// value raises the error in the running program (see op_call_host).
template <typename F>
scheme_cell* make_value(scheme_context* ctx, F&& make) {
    scheme_cell* c = trapped(ctx, static_cast<scheme_cell*>(nullptr), make);
    if (!c) ctx->maker_failed = 1;
    return c;
}

}  // namespace

scheme_cell* scheme_mk_string(scheme_context* ctx, const char16_t* text) {
    return make_value(ctx, [&] { return mk_string(ctx, text); });
}
scheme_cell* scheme_mk_integer(scheme_context* ctx, int32_t value) {
    return make_value(ctx, [&] { return mk_integer(ctx, value); });
}
scheme_cell* scheme_mk_char(scheme_context* ctx, uint32_t cp) {
    return make_value(ctx, [&] { return mk_char(ctx, cp); });
}
scheme_cell* scheme_mk_eof(scheme_context* ctx) {
    return make_value(ctx, [&] { return mk_eof(ctx); });
}
