// Hash-table builtins over the interpreter's table. for-each and map step
// through an iterator cell inside the machine, so the procedure they apply
// can capture continuations, raise errors and be canceled like any other.
#include "scheme/library.h"

namespace {


scheme_hash_payload* table_of(scheme_cell* c) { return static_cast<scheme_hash_payload*>(c->payload); }

scheme_hash_entry* lookup(scheme_cell* table, scheme_cell* key, int op) {
    scheme_hash_payload* h = table_of(table);
    return TableLookup(h->table, scheme_hash_key(h->kind, key), key, op);
}

bool op_make_hash_table(scheme_context* ctx) {
    SCHEME_CHECK(0, 1, "Y");
    const char* kind = "eq?";
    if (n > 0) {
        char name[16] = {};
        const char16_t* s = scheme_symbol_name(a[0]);
        std::size_t i = 0;
        for (; s[i] && i + 1 < sizeof(name); ++i) name[i] = s[i] < 0x80 ? static_cast<char>(s[i]) : '?';
        int k = s[i] ? -1 : scheme_hash_kind_index(name);
        if (k < 0 || k > SCHEME_HASH_STRING) return scheme_raise(ctx, u"unsupported hash type: ", a[0]);
        kind = scheme_hash_kind_name(k);
    }
    return scheme_return(ctx, mk_hash(ctx, 256, kind));
}

bool op_hash_table_type(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "H");
    int kind = table_of(a[0])->kind;
    char16_t name[16];
    scheme_ascii_to_u16(kind <= SCHEME_HASH_STRING ? scheme_hash_kind_name(kind) : "unknown", name, 16);
    return scheme_return(ctx, intern(ctx, name));
}

bool op_hash_table_put(scheme_context* ctx) {
    SCHEME_CHECK(3, 3, "HAA");
    if (table_of(a[0])->kind == SCHEME_HASH_STRING && !scheme_is_atom_of(a[1], SCHEME_STRING))
        return scheme_raise_type(ctx, "S", a[1]);
    scheme_hash_entry* e = lookup(a[0], a[1], TABLE_INSERT);
    if (!e) scheme_fatal_error(ctx, "no memory");
    e->value = a[2];
    return scheme_return(ctx, ctx->UNDEF);
}

bool op_hash_table_delete(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "HA");
    return scheme_return(ctx, scheme_bool(ctx, lookup(a[0], a[1], TABLE_DELETE) != nullptr));
}

bool op_hash_table_get(scheme_context* ctx) {
    SCHEME_CHECK(2, 3, "HAA");
    if (scheme_hash_entry* e = lookup(a[0], a[1], TABLE_FIND)) return scheme_return(ctx, static_cast<scheme_cell*>(e->value));
    if (n > 2) return scheme_return(ctx, a[2]);
    return scheme_raise(ctx, u"hash-table-get: key not found", a[1]);
}

bool op_hash_table_exists(scheme_context* ctx) {
    SCHEME_CHECK(2, 3, "HAA");
    return scheme_return(ctx, scheme_bool(ctx, lookup(a[0], a[1], TABLE_FIND) != nullptr));
}

bool op_hash_table_num_entries(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "H");
    return scheme_return(ctx, mk_integer(ctx, table_of(a[0])->table->count));
}

bool op_hash_table_p(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "A");
    return scheme_return(ctx, scheme_bool(ctx, scheme_is_atom_of(a[0], SCHEME_HASH)));
}

// args: (iterator . results so far, newest first); code: the procedure.
bool iterate(scheme_context* ctx, int step_op) {
    scheme_cell* state = ctx->args;
    auto* it = static_cast<scheme_hash_iter*>(state->car->payload);
    scheme_hash_entry* e = TableIterNext(it);
    if (!e) {
        TableIterRelease(it);
        if (step_op == OP_HASH_FOR_EACH_STEP) return scheme_return(ctx, ctx->UNDEF);
        // results were gathered newest first
        scheme_cell* result = ctx->NIL;
        scheme_root r(ctx, result);
        for (scheme_cell* p = state->cdr; scheme_is(p, SCHEME_PAIR); p = p->cdr) result = cons(ctx, p->car, result);
        return scheme_return(ctx, result);
    }
    scheme_cell* proc = ctx->code;
    scheme_push(ctx, step_op, state, proc);
    scheme_cell* key = static_cast<scheme_cell*>(e->key);
    scheme_cell* value = static_cast<scheme_cell*>(e->value);
    scheme_root rk(ctx, key);
    scheme_root rv(ctx, value);
    scheme_cell* tail = cons(ctx, value, ctx->NIL);
    ctx->args = cons(ctx, key, tail);
    ctx->code = proc;
    ctx->op = OP_APPLY;
    return true;
}

bool start(scheme_context* ctx, int step_op) {
    SCHEME_CHECK(2, 2, "Hp");
    scheme_cell* proc = a[1];
    scheme_cell* iter = mk_hash_iterator(ctx, a[0]);
    ctx->args = cons(ctx, iter, ctx->NIL);
    ctx->code = proc;
    return iterate(ctx, step_op);
}

bool op_hash_table_for_each(scheme_context* ctx) { return start(ctx, OP_HASH_FOR_EACH_STEP); }
bool op_hash_table_map(scheme_context* ctx) { return start(ctx, OP_HASH_MAP_STEP); }
bool op_for_each_step(scheme_context* ctx) { return iterate(ctx, OP_HASH_FOR_EACH_STEP); }

bool op_map_step(scheme_context* ctx) {
    scheme_cell* state = ctx->args;
    scheme_root r(ctx, state);
    scheme_cell* results = cons(ctx, ctx->value, state->cdr);
    scheme_root r2(ctx, results);
    ctx->args = cons(ctx, state->car, results);
    return iterate(ctx, OP_HASH_MAP_STEP);
}

}  // namespace

void scheme_register_hash_ops() {
    static const scheme_op_binding rows[] = {
        {OP_MAKE_HASH_TABLE, "make-hash-table", op_make_hash_table},
        {OP_HASH_TABLE_TYPE, "hash-table-type", op_hash_table_type},
        {OP_HASH_TABLE_PUT, "hash-table-put!", op_hash_table_put},
        {OP_HASH_TABLE_DELETE, "hash-table-delete!", op_hash_table_delete},
        {OP_HASH_TABLE_GET, "hash-table-get", op_hash_table_get},
        {OP_HASH_TABLE_EXISTS_P, "hash-table-exists?", op_hash_table_exists},
        {OP_HASH_TABLE_NUM_ENTRIES, "hash-table-num-entries", op_hash_table_num_entries},
        {OP_HASH_FOR_EACH, "hash-table-for-each", op_hash_table_for_each},
        {OP_HASH_FOR_EACH_STEP, nullptr, op_for_each_step},
        {OP_HASH_MAP, "hash-table-map", op_hash_table_map},
        {OP_HASH_MAP_STEP, nullptr, op_map_step},
        {OP_HASH_TABLE_P, "hash-table?", op_hash_table_p},
    };
    scheme_set_ops(rows);
}
