// Atom constructors, the symbol table, environment frames and atom parsing.
#include <climits>
#include <cstring>
#include <new>

#include "scheme/internal.h"

std::size_t scheme_u16len(const char16_t* s) {
    std::size_t n = 0;
    while (s[n]) ++n;
    return n;
}

void scheme_ascii_to_u16(const char* s, char16_t* buf, std::size_t n) {
    std::size_t i = 0;
    for (; s[i] && i + 1 < n; ++i) buf[i] = static_cast<unsigned char>(s[i]);
    buf[i] = 0;
}

scheme_cell* mk_integer(scheme_context* ctx, int32_t value) {
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    c->flags = SCHEME_ATOM | SCHEME_INTEGER;
    c->ival = value;
    c->cdr = ctx->NIL;
    return c;
}

scheme_cell* mk_char(scheme_context* ctx, uint32_t cp) {
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    c->flags = SCHEME_ATOM | SCHEME_CHAR;
    c->cval = cp;
    c->cdr = ctx->NIL;
    return c;
}

scheme_cell* mk_eof(scheme_context* ctx) {
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    c->flags = SCHEME_ATOM | SCHEME_EOF;
    c->payload = nullptr;
    c->cdr = ctx->NIL;
    return c;
}

static scheme_cell* finish_atom(scheme_context* ctx, scheme_cell* c, int type, void* payload) {
    c->payload = payload;
    c->cdr = ctx->NIL;
    c->flags = static_cast<uint16_t>(SCHEME_ATOM | type);
    return c;
}

scheme_cell* mk_empty_string(scheme_context* ctx, std::size_t units) {
    if (units > (INT32_MAX - 64) / sizeof(char16_t)) scheme_fatal_error(ctx, "no memory");
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    auto* s = static_cast<scheme_string_payload*>(
        scheme_payload_alloc(ctx, offsetof(scheme_string_payload, text) + (units + 1) * sizeof(char16_t)));
    s->length = static_cast<int32_t>(units);
    s->text[0] = 0;
    s->text[units] = 0;
    return finish_atom(ctx, c, SCHEME_STRING, s);
}

scheme_cell* mk_string_n(scheme_context* ctx, const char16_t* text, std::size_t units) {
    scheme_cell* c = mk_empty_string(ctx, units);
    std::memcpy(scheme_string(c)->text, text, units * sizeof(char16_t));
    return c;
}

scheme_cell* mk_string(scheme_context* ctx, const char16_t* text) {
    return mk_string_n(ctx, text, scheme_u16len(text));
}

scheme_cell* mk_port(scheme_context* ctx, void* stream, int32_t flags, const char16_t* name, int32_t capacity) {
    std::size_t name_len = scheme_u16len(name);
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    auto* p = static_cast<scheme_port_payload*>(
        scheme_payload_alloc(ctx, offsetof(scheme_port_payload, name) + (name_len + 1) * sizeof(char16_t)));
    std::memset(p, 0, offsetof(scheme_port_payload, name));
    std::memcpy(p->name, name, (name_len + 1) * sizeof(char16_t));
    p->flags = flags;
    p->stream = stream;
    if (capacity > 0) {
        try {
            p->buffer = static_cast<char16_t*>(scheme_payload_alloc(ctx, capacity * sizeof(char16_t)));
        } catch (const scheme_fatal&) {
            scheme_payload_free(ctx, p);
            throw;
        }
        p->buffer[0] = 0;
        p->capacity = capacity;
    }
    p->pos = p->end = p->buffer;
    return finish_atom(ctx, c, SCHEME_PORT, p);
}

scheme_cell* mk_string_input_port(scheme_context* ctx, const char16_t* text) {
    std::size_t n = scheme_u16len(text);
    if (n >= INT32_MAX / sizeof(char16_t)) scheme_fatal_error(ctx, "no memory");
    scheme_cell* port =
        mk_port(ctx, nullptr, SCHEME_PORT_INPUT | SCHEME_PORT_STRING, u"(string)", static_cast<int32_t>(n + 1));
    auto* p = scheme_port(port);
    std::memcpy(p->buffer, text, (n + 1) * sizeof(char16_t));
    p->end = p->buffer + n;
    return port;
}

scheme_cell* mk_vector(scheme_context* ctx, int32_t n, scheme_cell* list) {
    if (n < 0 || static_cast<std::size_t>(n) > (INT32_MAX - 64) / sizeof(scheme_cell*))
        scheme_fatal_error(ctx, "no memory");
    scheme_cell* c = get_cell(ctx, list ? list : ctx->NIL, ctx->NIL);
    auto* v = static_cast<scheme_vector_payload*>(
        scheme_payload_alloc(ctx, offsetof(scheme_vector_payload, cells) + (n ? n : 1) * sizeof(scheme_cell*)));
    v->gc_link = nullptr;
    v->capacity = n;
    v->length = 0;
    if (list) {
        scheme_cell* p = list;
        for (int32_t i = 0; i < n; ++i) {
            if (scheme_is(p, SCHEME_PAIR)) {
                v->cells[i] = p->car;
                p = p->cdr;
            } else {
                v->cells[i] = ctx->NIL;
            }
        }
        v->length = n;
    }
    return finish_atom(ctx, c, SCHEME_VECTOR, v);
}

static void* hash_alloc(void* c, std::size_t bytes) {
    return scheme_payload_try_alloc(static_cast<scheme_context*>(c), bytes);
}
static void hash_free(void* c, void* block) { scheme_payload_free(static_cast<scheme_context*>(c), block); }

scheme_cell* mk_hash(scheme_context* ctx, int size, const char* kind_name) {
    int kind = scheme_hash_kind_index(kind_name);
    if (kind < 0) scheme_fatal_error(ctx, "mk_hash: unsupported type");
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    auto* h = static_cast<scheme_hash_payload*>(scheme_payload_alloc(ctx, sizeof(scheme_hash_payload)));
    h->gc_link = nullptr;
    h->kind = kind;
    h->table = CreateTable(size, scheme_hash_kind_fn(kind), scheme_hash_kind_compare(kind), ctx, c, hash_alloc,
                           hash_free);
    if (!h->table) {
        scheme_payload_free(ctx, h);
        scheme_fatal_error(ctx, "no memory");
    }
    return finish_atom(ctx, c, SCHEME_HASH, h);
}

scheme_cell* mk_hash_iterator(scheme_context* ctx, scheme_cell* table) {
    scheme_cell* c = get_cell(ctx, table, ctx->NIL);
    auto* it = static_cast<scheme_hash_iter*>(scheme_payload_alloc(ctx, sizeof(scheme_hash_iter)));
    it->gc_link = nullptr;
    TableIterInit(it, static_cast<scheme_hash_payload*>(table->payload)->table, table);
    return finish_atom(ctx, c, SCHEME_HASH_ITER, it);
}

scheme_cell* intern(scheme_context* ctx, const char16_t* name) {
    scheme_hash_table* t = static_cast<scheme_hash_payload*>(ctx->oblist->payload)->table;
    uint32_t h = scheme_hash_key(SCHEME_HASH_OBLIST, name);
    if (scheme_hash_entry* e = TableLookup(t, h, name, TABLE_FIND)) return static_cast<scheme_cell*>(e->value);
    std::size_t n = scheme_u16len(name);
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    auto* s = static_cast<scheme_symbol_payload*>(
        scheme_payload_alloc(ctx, offsetof(scheme_symbol_payload, text) + (n + 1) * sizeof(char16_t)));
    s->gensym = 0;
    s->global_entry = nullptr;
    s->global_deletions = 0;
    std::memcpy(s->text, name, (n + 1) * sizeof(char16_t));
    s->name = s->text;
    scheme_hash_entry* e = TableLookup(t, h, s->text, TABLE_INSERT);
    if (!e) {
        scheme_payload_free(ctx, s);
        scheme_fatal_error(ctx, "no memory");
    }
    finish_atom(ctx, c, SCHEME_SYMBOL, s);
    e->value = c;
    return c;
}

namespace {

// Entries of a table never move, so the global frame's entry of a symbol is
// kept in the symbol until a deletion from that table makes it doubtful.
void cache_global(scheme_context* ctx, scheme_cell* frame, scheme_cell* symbol, scheme_hash_table* t,
                  scheme_hash_entry* e) {
    if (frame != ctx->global_frame->car || !scheme_is(symbol, SCHEME_SYMBOL)) return;
    auto* s = static_cast<scheme_symbol_payload*>(symbol->payload);
    s->global_entry = e;
    s->global_deletions = t->deletions;
}

scheme_hash_entry* cached_global(scheme_context* ctx, scheme_cell* frame, scheme_cell* symbol,
                                 scheme_hash_table* t) {
    if (frame != ctx->global_frame->car || !scheme_is(symbol, SCHEME_SYMBOL)) return nullptr;
    auto* s = static_cast<scheme_symbol_payload*>(symbol->payload);
    return s->global_deletions == t->deletions ? s->global_entry : nullptr;
}

}  // namespace

void scheme_define(scheme_context* ctx, scheme_cell* symbol, scheme_cell* value) {
    scheme_cell* frame = ctx->envir->car;
    if (scheme_is(frame, SCHEME_HASH)) {
        scheme_hash_table* t = static_cast<scheme_hash_payload*>(frame->payload)->table;
        scheme_hash_entry* e = TableLookup(t, scheme_hash_key(SCHEME_HASH_PTR, symbol), symbol, TABLE_INSERT);
        if (!e) scheme_fatal_error(ctx, "no memory");
        e->value = value;
        cache_global(ctx, frame, symbol, t, e);
        return;
    }
    scheme_cell* binding = cons(ctx, symbol, value);
    ctx->envir->car = cons(ctx, binding, ctx->envir->car);
}

scheme_cell** scheme_lookup_frame(scheme_context* ctx, scheme_cell* symbol, scheme_cell* frame) {
    if (scheme_is(frame, SCHEME_HASH)) {
        scheme_hash_table* t = static_cast<scheme_hash_payload*>(frame->payload)->table;
        scheme_hash_entry* e = cached_global(ctx, frame, symbol, t);
        if (!e) {
            e = TableLookup(t, scheme_hash_key(SCHEME_HASH_PTR, symbol), symbol, TABLE_FIND);
            if (e) cache_global(ctx, frame, symbol, t, e);
        }
        return e ? reinterpret_cast<scheme_cell**>(&e->value) : nullptr;
    }
    for (scheme_cell* p = frame; scheme_is(p, SCHEME_PAIR); p = p->cdr)
        if (p->car->car == symbol) return &p->car->cdr;
    return nullptr;
}

scheme_cell** scheme_lookup(scheme_context* ctx, scheme_cell* symbol) {
    for (scheme_cell* env = ctx->envir; scheme_is(env, SCHEME_PAIR); env = env->cdr)
        if (scheme_cell** slot = scheme_lookup_frame(ctx, symbol, env->car)) return slot;
    return nullptr;
}

namespace {

// Digits of the given base from p; false when there are none or a non-digit follows.
bool parse_digits(const char16_t* p, int base, bool negative, int32_t* out) {
    if (!*p) return false;
    int64_t v = 0;
    bool clamp = false;
    for (; *p; ++p) {
        int d;
        if (*p >= '0' && *p <= '9') d = *p - '0';
        else if (*p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
        else if (*p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
        else return false;
        if (d >= base) return false;
        if (!clamp) {
            v = v * base + d;
            if (v > static_cast<int64_t>(UINT32_MAX) + 1) clamp = true;
        }
    }
    if (negative) v = -v;
    if (clamp) v = negative ? INT32_MIN : INT32_MAX;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    *out = static_cast<int32_t>(v);
    return true;
}

bool ascii_equal_nocase(const char16_t* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char16_t x = *a;
        if (x >= 'A' && x <= 'Z') x = static_cast<char16_t>(x + 32);
        if (x != static_cast<unsigned char>(*b)) return false;
    }
    return *a == 0 && *b == 0;
}

}  // namespace

scheme_cell* parse_atom(scheme_context* ctx, const char16_t* text) {
    const char16_t* p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int32_t v;
    if (*p && parse_digits(p, 10, negative, &v)) return mk_integer(ctx, v);
    return intern(ctx, text);
}

scheme_cell* parse_sharp(scheme_context* ctx, const char16_t* text) {
    if (text[0] == '\\') {
        const char16_t* name = text + 1;
        if (ascii_equal_nocase(name, "space")) return mk_char(ctx, 32);
        if (ascii_equal_nocase(name, "newline")) return mk_char(ctx, 10);
        if (ascii_equal_nocase(name, "return")) return mk_char(ctx, 13);
        if (ascii_equal_nocase(name, "tab")) return mk_char(ctx, 9);
        std::size_t n = scheme_u16len(name);
        if (n == 0) return ctx->NIL;
        return mk_char(ctx, scheme_char_at(name, static_cast<std::ptrdiff_t>(n)));
    }
    if (text[0] == 't' && text[1] == 0) return ctx->T;
    if (text[0] == 'f' && text[1] == 0) return ctx->F;
    int base = text[0] == 'o' ? 8 : text[0] == 'd' ? 10 : text[0] == 'x' ? 16 : 0;
    int32_t v;
    if (base && parse_digits(text + 1, base, false, &v)) {
        if (base != 10 && text[1]) {
            // octal and hexadecimal read the bit pattern of an unsigned long
            uint64_t u = 0;
            for (const char16_t* p = text + 1; *p; ++p) {
                int d = *p <= '9' ? *p - '0' : (*p | 0x20) - 'a' + 10;
                u = u * base + d;
                if (u > UINT32_MAX) {
                    u = UINT32_MAX;
                    break;
                }
            }
            v = static_cast<int32_t>(static_cast<uint32_t>(u));
        }
        return mk_integer(ctx, v);
    }
    return ctx->NIL;
}

int scheme_count_chars(const char16_t* start, const char16_t* end) {
    int n = 0;
    for (const char16_t* p = start; p < end && *p;) {
        p += scheme_char_units(p, end - p);
        ++n;
    }
    return n;
}

// --- equality --------------------------------------------------------------------

bool scheme_eqv(scheme_cell* a, scheme_cell* b) {
    if (a == b) return true;
    int ta = scheme_type(a);
    if (ta != scheme_type(b)) return false;
    if (ta == SCHEME_INTEGER) return a->ival == b->ival;
    if (ta == SCHEME_CHAR) return a->cval == b->cval;
    return false;
}

bool scheme_equal(scheme_cell* a, scheme_cell* b, bool* too_deep) {
    // An explicit work list of pairs still to compare, with a budget so that
    // circular or absurdly deep data ends in an error, not a stack overflow.
    constexpr std::size_t kBudget = 4'000'000;
    constexpr std::size_t kStackMax = 1'000'000;
    struct Pair {
        scheme_cell* a;
        scheme_cell* b;
    };
    Pair local[64];
    Pair* stack = local;
    std::size_t cap = 64, n = 0, steps = 0;
    bool result = true;
    auto push = [&](scheme_cell* x, scheme_cell* y) -> bool {
        if (n == cap) {
            if (cap >= kStackMax) return false;
            auto* grown = new (std::nothrow) Pair[cap * 2];
            if (!grown) return false;
            std::memcpy(grown, stack, n * sizeof(Pair));
            if (stack != local) delete[] stack;
            stack = grown;
            cap *= 2;
        }
        stack[n++] = {x, y};
        return true;
    };
    *too_deep = false;
    push(a, b);
    while (n && result) {
        Pair p = stack[--n];
        if (++steps > kBudget) {
            *too_deep = true;
            result = false;
            break;
        }
        if (scheme_eqv(p.a, p.b)) continue;
        int t = scheme_type(p.a);
        if (t != scheme_type(p.b)) {
            result = false;
        } else if (t == SCHEME_PAIR) {
            if (!push(p.a->cdr, p.b->cdr) || !push(p.a->car, p.b->car)) {
                *too_deep = true;
                result = false;
            }
        } else if (t == SCHEME_STRING) {
            auto* x = scheme_string(p.a);
            auto* y = scheme_string(p.b);
            result = x->length == y->length &&
                     std::memcmp(x->text, y->text, static_cast<std::size_t>(x->length) * sizeof(char16_t)) == 0;
        } else if (t == SCHEME_VECTOR) {
            auto* x = scheme_vector(p.a);
            auto* y = scheme_vector(p.b);
            if (x->length != y->length) {
                result = false;
            } else {
                for (int i = x->length - 1; i >= 0; --i) {
                    if (!push(x->cells[i], y->cells[i])) {
                        *too_deep = true;
                        result = false;
                        break;
                    }
                }
            }
        } else {
            result = false;
        }
    }
    if (stack != local) delete[] stack;
    return result;
}
