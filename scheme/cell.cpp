// Cells, segments, payload accounting and the collector.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/asan_interface.h>
#endif

#include "scheme/internal.h"
#include "textengine/mpool.h"

namespace {

bool marked(const scheme_cell* c) { return (c->flags & SCHEME_MARK) != 0; }

scheme_container_header* container(scheme_cell* c) { return static_cast<scheme_container_header*>(c->payload); }

// Pointer-reversal walk over pairs, closures and macros. Atoms that hold
// cells are marked and queued on the work list instead of being entered, so
// nesting depth never reaches the C stack.
void mark_walk(scheme_context* ctx, scheme_cell* root) {
    if (!root || marked(root)) return;
    scheme_cell* back = nullptr;
    scheme_cell* cur = root;
    for (;;) {
        // cur is unmarked here
        cur->flags |= SCHEME_MARK;
        bool descended = false;
        if (cur->flags & SCHEME_ATOM) {
            if (scheme_type_table[scheme_type(cur)].mark_children && cur->payload) {
                container(cur)->gc_link = ctx->mark_work;
                ctx->mark_work = cur;
            }
        } else {
            scheme_cell* a = cur->car;
            scheme_cell* d = cur->cdr;
            if (a && !marked(a)) {
                cur->flags |= SCHEME_ATOM;  // direction: inside car
                cur->car = back;
                back = cur;
                cur = a;
                descended = true;
            } else if (d && !marked(d)) {
                cur->cdr = back;
                back = cur;
                cur = d;
                descended = true;
            }
        }
        if (descended) continue;
        // retreat
        for (;;) {
            if (!back) return;
            if (back->flags & SCHEME_ATOM) {
                back->flags &= static_cast<uint16_t>(~SCHEME_ATOM);
                scheme_cell* up = back->car;
                back->car = cur;
                scheme_cell* d = back->cdr;
                if (d && !marked(d)) {
                    back->cdr = up;
                    cur = d;
                    descended = true;
                    break;
                }
                cur = back;
                back = up;
            } else {
                scheme_cell* up = back->cdr;
                back->cdr = cur;
                cur = back;
                back = up;
            }
        }
    }
}

void drain(scheme_context* ctx) {
    while (scheme_cell* c = ctx->mark_work) {
        ctx->mark_work = container(c)->gc_link;
        container(c)->gc_link = nullptr;
        scheme_type_table[scheme_type(c)].mark_children(ctx, c);
    }
}

// --- type rows -------------------------------------------------------------------

void finalize_payload(scheme_context* ctx, scheme_cell* c) {
    scheme_payload_free(ctx, c->payload);
    c->payload = nullptr;
}

void mark_continuation(scheme_context* ctx, scheme_cell* c) {
    auto* k = static_cast<scheme_continuation_payload*>(c->payload);
    for (int i = 0; i < k->count; ++i) {
        mark_walk(ctx, k->frames[i].args);
        mark_walk(ctx, k->frames[i].envir);
        mark_walk(ctx, k->frames[i].code);
    }
}

void mark_vector(scheme_context* ctx, scheme_cell* c) {
    auto* v = scheme_vector(c);
    for (int i = 0; i < v->length; ++i) mark_walk(ctx, v->cells[i]);
}

void finalize_port(scheme_context* ctx, scheme_cell* c) {
    auto* p = scheme_port(c);
    if (!p) return;
    if (p->stream && !(p->flags & SCHEME_PORT_CLOSED) && p->stream != ctx->host.std_in &&
        p->stream != ctx->host.std_out && p->stream != ctx->host.std_err && ctx->host.file_close)
        ctx->host.file_close(ctx->host.user, p->stream);
    scheme_payload_free(ctx, p->buffer);
    finalize_payload(ctx, c);
}

void mark_hash(scheme_context* ctx, scheme_cell* c) {
    auto* h = static_cast<scheme_hash_payload*>(c->payload);
    scheme_hash_table* t = h->table;
    if (!t) return;
    bool keys_are_cells = h->kind != SCHEME_HASH_OBLIST;
    uint32_t n = t->max_bucket + 1;
    for (uint32_t b = 0; b < n; ++b) {
        for (scheme_hash_entry* e = t->directory[b >> 8][b & 255]; e; e = e->next) {
            if (keys_are_cells) mark_walk(ctx, static_cast<scheme_cell*>(e->key));
            mark_walk(ctx, static_cast<scheme_cell*>(e->value));
        }
    }
}

void finalize_hash(scheme_context* ctx, scheme_cell* c) {
    auto* h = static_cast<scheme_hash_payload*>(c->payload);
    if (!h) return;
    DestroyTable(h->table);
    finalize_payload(ctx, c);
}

void mark_hash_iter(scheme_context* ctx, scheme_cell* c) {
    mark_walk(ctx, static_cast<scheme_hash_iter*>(c->payload)->table_cell);
}

void finalize_hash_iter(scheme_context* ctx, scheme_cell* c) {
    auto* it = static_cast<scheme_hash_iter*>(c->payload);
    if (!it) return;
    TableIterRelease(it);
    finalize_payload(ctx, c);
}

void finalize(scheme_context* ctx, scheme_cell* c) {
    if (c->flags & SCHEME_ATOM) {
        auto fn = scheme_type_table[scheme_type(c)].finalize;
        if (fn) fn(ctx, c);
    }
    c->flags = 0;
}

// Next free cell of the lazy sweep, or null at the end of the last segment.
// After a full collection no cell is marked and every dead one is already
// free, so the walk only looks for free cells.
scheme_cell* sweep_take(scheme_context* ctx, bool take) {
    for (;;) {
        if (ctx->sweep_clean) {
            while (take && ctx->sweep_next < ctx->sweep_end) {
                if (!ctx->sweep_next->flags) return ctx->sweep_next;
                ctx->sweep_next++;
            }
            ctx->sweep_next = ctx->sweep_end;
        }
        while (ctx->sweep_next < ctx->sweep_end) {
            scheme_cell* c = ctx->sweep_next;
            if (c->flags & SCHEME_MARK) {
                c->flags &= static_cast<uint16_t>(~SCHEME_MARK);
                ctx->live_cells++;
            } else {
                if (c->flags) finalize(ctx, c);
                if (take) return c;
            }
            ctx->sweep_next++;
        }
        if (ctx->sweep_segment >= ctx->last_segment) return nullptr;
        ctx->sweep_segment++;
        ctx->sweep_next = ctx->segments[ctx->sweep_segment];
        ctx->sweep_end = ctx->sweep_next + ctx->segment_sizes[ctx->sweep_segment];
    }
}

void mark_roots(scheme_context* ctx, scheme_cell* a, scheme_cell* b) {
    scheme_cell* roots[] = {ctx->oblist, ctx->global_frame, ctx->protected_list, ctx->args, ctx->envir,
                            ctx->code, ctx->value, ctx->values, ctx->inport, ctx->outport, ctx->errport,
                            ctx->strport, ctx->saved_outport, ctx->sys_tm_class, ctx->sys_stat_class};
    for (scheme_cell* r : roots) {
        mark_walk(ctx, r);
        drain(ctx);
    }
    for (int i = 0; i < ctx->dump_count; ++i) {
        mark_walk(ctx, ctx->dump[i].args);
        mark_walk(ctx, ctx->dump[i].envir);
        mark_walk(ctx, ctx->dump[i].code);
        drain(ctx);
    }
    for (scheme_root* r = ctx->temp_roots; r; r = r->prev) {
        mark_walk(ctx, *r->slot);
        drain(ctx);
    }
    mark_walk(ctx, a);
    mark_walk(ctx, b);
    drain(ctx);
}

}  // namespace

scheme_type_row scheme_type_table[32] = {
    {0, nullptr, nullptr},
    {1, nullptr, nullptr},
    {2, nullptr, nullptr},
    {3, nullptr, nullptr},
    {4, nullptr, finalize_payload},
    {5, nullptr, nullptr},
    {6, mark_continuation, finalize_payload},
    {7, nullptr, nullptr},
    {8, mark_vector, finalize_payload},
    {9, nullptr, finalize_port},
    {10, nullptr, nullptr},
    {11, nullptr, nullptr},
    {12, nullptr, finalize_payload},
    {13, nullptr, nullptr},
    {14, nullptr, finalize_payload},
    {15, nullptr, finalize_payload},
    {16, nullptr, finalize_payload},
    {17, mark_hash, finalize_hash},
    {18, mark_hash_iter, finalize_hash_iter},
    {19, nullptr, finalize_payload},
    {20, nullptr, finalize_payload},
    {21, nullptr, finalize_payload},
};

void scheme_mark(scheme_context* ctx, scheme_cell* c) {
    mark_walk(ctx, c);
    drain(ctx);
}

void scheme_finish_sweep(scheme_context* ctx) { sweep_take(ctx, false); }

[[noreturn]] void scheme_fatal_error(scheme_context* ctx, const char* text) {
    char16_t* out = ctx->error_text;
    const char* prefix = "fatal error: ";
    std::size_t n = 0;
    for (const char* p = prefix; *p && n + 1 < SCHEME_ERROR_TEXT; ++p) out[n++] = static_cast<unsigned char>(*p);
    for (const char* p = text; *p && n + 1 < SCHEME_ERROR_TEXT; ++p) out[n++] = static_cast<unsigned char>(*p);
    out[n] = 0;
    if (ctx->host.fatal_box) ctx->host.fatal_box(ctx->host.user, out);
    throw scheme_fatal();
}

namespace {

// Payload blocks above the pool's own classes are granted in size classes of
// four steps per doubling (in whole KiB, as the pool grants large blocks; from
// 4 KiB up at most a quarter more than asked), so
// that the blocks a collection frees fit the requests of nearby sizes that
// follow: a string or vector that grows step by step reuses them instead of
// going back to the C heap, which may hand the pages back to the system and
// fault them in again on the next round.
constexpr MPool kPoolShape(SCHEME_POOL_CHUNK, SCHEME_POOL_CHUNK);

struct LargeClasses {
    std::size_t size[SCHEME_LARGE_CLASSES] = {};
    int count = 0;
    constexpr LargeClasses() {
        for (std::size_t base = kPoolShape.threshold; count < SCHEME_LARGE_CLASSES; base *= 2) {
            for (std::size_t j = 1; j <= 4 && count < SCHEME_LARGE_CLASSES; ++j) {
                const std::size_t s = (base + base * j / 4 + 1023) & ~std::size_t(1023);
                if (count == 0 || s > size[count - 1]) size[count++] = s;
            }
        }
    }
};
constexpr LargeClasses kLarge;
static_assert(kLarge.size[0] > kPoolShape.threshold && kLarge.count == SCHEME_LARGE_CLASSES);

// The class of a request of n bytes above the pool's classes, -1 beyond the
// largest (granted as the pool does).
int large_class(std::size_t n) {
    const std::size_t* end = kLarge.size + kLarge.count;
    const std::size_t* at = std::lower_bound(kLarge.size, end, n);
    return at == end ? -1 : static_cast<int>(at - kLarge.size);
}

}  // namespace

// A freed large block while it waits in the cache.
struct scheme_cached_block {
    scheme_cached_block* next;  // in its class, older
    scheme_cached_block* prev;  // in its class, newer
    scheme_cached_block* newer;
    scheme_cached_block* older;
    int cls;
};

namespace {

// A cached block is out of bounds for the sanitizer but for its links.
void hide(void* block, std::size_t size) {
#ifdef __SANITIZE_ADDRESS__
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + sizeof(scheme_cached_block),
                              size - sizeof(scheme_cached_block));
#else
    (void)block, (void)size;
#endif
}

void unhide(void* block, std::size_t size) {
#ifdef __SANITIZE_ADDRESS__
    ASAN_UNPOISON_MEMORY_REGION(block, size);
#else
    (void)block, (void)size;
#endif
}

void uncache(scheme_context* ctx, scheme_cached_block* b) {
    (b->prev ? b->prev->next : ctx->large_free[b->cls]) = b->next;
    if (b->next) b->next->prev = b->prev;
    (b->newer ? b->newer->older : ctx->cache_newest) = b->older;
    (b->older ? b->older->newer : ctx->cache_oldest) = b->newer;
    const std::size_t size = mpool_block_size(b);
    ctx->cached_bytes -= size;
    unhide(b, size);
}

// Gives the oldest cached blocks back to the pool until `more` bytes fit
// under the cap.
void trim_cache(scheme_context* ctx, std::size_t more = 0) {
    const std::size_t cap = scheme_payload_cache_cap(ctx);
    while (ctx->cache_oldest && ctx->cached_bytes + more > cap) {
        scheme_cached_block* b = ctx->cache_oldest;
        uncache(ctx, b);
        mpool_free(b);
    }
}

void* large_alloc(scheme_context* ctx, std::size_t bytes) {
    const int c = large_class(bytes);
    if (c < 0) return mpool_alloc(ctx->pool, bytes);
    scheme_cached_block* b = ctx->large_free[c];
    // else one of the next class up, while that is at most half again the request
    if (!b && c + 1 < kLarge.count && kLarge.size[c + 1] <= bytes + bytes / 2) b = ctx->large_free[c + 1];
    if (!b) return mpool_alloc(ctx->pool, kLarge.size[c]);
    uncache(ctx, b);
    return b;
}

// Keeps a freed large block for reuse; false when it is to go back to the pool.
bool cache_large(scheme_context* ctx, void* block, std::size_t size) {
    const int c = large_class(size);
    if (c < 0 || kLarge.size[c] != size || size > scheme_payload_cache_cap(ctx)) return false;
    trim_cache(ctx, size);
    auto* b = static_cast<scheme_cached_block*>(block);
    b->cls = c;
    b->prev = nullptr;
    b->next = ctx->large_free[c];
    if (b->next) b->next->prev = b;
    ctx->large_free[c] = b;
    b->older = ctx->cache_newest;
    b->newer = nullptr;
    (b->older ? b->older->newer : ctx->cache_oldest) = b;
    ctx->cache_newest = b;
    ctx->cached_bytes += size;
    hide(b, size);
    return true;
}

std::size_t granted_size(const scheme_context* ctx, std::size_t bytes) {
    if (bytes > ctx->pool->threshold) {
        const int c = large_class(bytes);
        if (c >= 0) return kLarge.size[c];
    }
    return mpool_granted_size(ctx->pool, bytes);
}

}  // namespace

std::size_t scheme_payload_cache_cap(const scheme_context* ctx) { return ctx->threshold; }

void* scheme_payload_try_alloc(scheme_context* ctx, std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    void* p = bytes > ctx->pool->threshold ? large_alloc(ctx, bytes) : mpool_alloc(ctx->pool, bytes);
    if (p) ctx->payload_bytes += mpool_block_size(p);
    return p;
}

void* scheme_payload_alloc(scheme_context* ctx, std::size_t bytes) {
    void* p = scheme_payload_try_alloc(ctx, bytes);
    if (!p) scheme_fatal_error(ctx, "no memory");
    return p;
}

void* scheme_payload_realloc(scheme_context* ctx, void* block, std::size_t bytes) {
    if (!block) return scheme_payload_alloc(ctx, bytes);
    std::size_t old = mpool_block_size(block);
    if (granted_size(ctx, bytes ? bytes : 1) == old) return block;
    // On failure the owner keeps its old block intact.
    void* fresh = scheme_payload_alloc(ctx, bytes);
    std::memcpy(fresh, block, bytes < old ? bytes : old);
    scheme_payload_free(ctx, block);
    return fresh;
}

void scheme_payload_free(scheme_context* ctx, void* block) {
    if (!block) return;
    const std::size_t size = mpool_block_size(block);
    ctx->payload_bytes -= size;
    if (size > ctx->pool->threshold && cache_large(ctx, block, size)) return;
    mpool_free(block);
}

bool scheme_add_segment(scheme_context* ctx) {
    if (ctx->last_segment + 1 >= SCHEME_MAX_SEGMENTS) return false;
    auto* seg = static_cast<scheme_cell*>(std::calloc(SCHEME_SEGMENT_CELLS, sizeof(scheme_cell)));
    if (!seg) return false;
    int i = ++ctx->last_segment;
    ctx->segments[i] = seg;
    ctx->segment_sizes[i] = SCHEME_SEGMENT_CELLS;
    ctx->total_cells += SCHEME_SEGMENT_CELLS;
    ctx->sweep_segment = i;
    ctx->sweep_next = seg;
    ctx->sweep_end = seg + SCHEME_SEGMENT_CELLS;
    return true;
}

void scheme_collect(scheme_context* ctx, scheme_cell* a, scheme_cell* b, bool full) {
    if (full) sweep_take(ctx, false);
    mark_roots(ctx, a, b);
    ctx->live_cells = 0;
    ctx->sweep_segment = 0;
    ctx->sweep_next = ctx->segments[0];
    ctx->sweep_end = ctx->sweep_next + ctx->segment_sizes[0];
    ctx->sweep_clean = full;
    if (!full) return;
    // the whole sweep at once: payloads go now, and marks with them
    for (int s = 0; s <= ctx->last_segment; ++s) {
        scheme_cell* c = ctx->segments[s];
        for (int i = 0; i < ctx->segment_sizes[s]; ++i) {
            if (c[i].flags & SCHEME_MARK) {
                c[i].flags &= static_cast<uint16_t>(~SCHEME_MARK);
                ctx->live_cells++;
            } else if (c[i].flags) {
                finalize(ctx, &c[i]);
            }
        }
    }
}

namespace {

// The payload allowed to pile up between full collections follows the live
// payload and the cell heap (a collection walks both), so that collections
// cost the same per byte allocated, while a small heap keeps its garbage, and
// so the memory it touches, small. Collections for want of cells only lower
// it: their sweep has just freed what the last marking found dead, so the
// payload is at most the live part and what came since. A threshold of 0
// (stress runs) stays.
void adjust_threshold(scheme_context* ctx, bool full) {
    if (ctx->threshold == 0) return;
    const std::size_t heap = static_cast<std::size_t>(ctx->total_cells) * sizeof(scheme_cell);
    const std::size_t fit = ctx->payload_bytes + std::max({SCHEME_PAYLOAD_ALLOWANCE, ctx->payload_bytes, heap});
    if (full || fit < ctx->threshold) ctx->threshold = fit;
    trim_cache(ctx);
}

}  // namespace

scheme_cell* get_cell(scheme_context* ctx, scheme_cell* a, scheme_cell* b) {
    if (!ctx->no_gc && ctx->payload_bytes > ctx->threshold) {
        scheme_collect(ctx, a, b, true);
        adjust_threshold(ctx, true);
    }
    scheme_cell* c = sweep_take(ctx, true);
    bool collected = false;
    if (!c && !ctx->no_gc && ctx->total_cells / 2 < ctx->total_cells - ctx->live_cells) {
        adjust_threshold(ctx, false);
        scheme_collect(ctx, a, b, false);
        collected = true;
        c = sweep_take(ctx, true);
    }
    if (!c) {
        if (scheme_add_segment(ctx)) {
            c = ctx->sweep_next;
        } else {
            // Out of segments: one last collection before giving up, since
            // the live count of the last sweep may be long out of date.
            if (!collected && !ctx->no_gc) {
                scheme_collect(ctx, a, b, false);
                c = sweep_take(ctx, true);
            }
            if (!c) scheme_fatal_error(ctx, "no memory");
        }
    }
    ctx->sweep_next = c + 1;
    return c;
}

scheme_cell* cons(scheme_context* ctx, scheme_cell* car, scheme_cell* cdr) {
    scheme_cell* c = get_cell(ctx, car, cdr);
    c->flags = SCHEME_PAIR;
    c->car = car;
    c->cdr = cdr;
    return c;
}
