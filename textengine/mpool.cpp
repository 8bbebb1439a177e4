#include "textengine/mpool.h"

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kHeader = sizeof(MPoolBlockHeader);

std::size_t class_size(int c) { return std::size_t(8) << c; }

std::size_t large_size(std::size_t n) { return (mpool_round8(n) + 1023) & ~std::size_t(1023); }

void push_free(MPool* pool, MPoolBlockHeader* h, int c) {
    h->pool = pool->free_lists[c];
    pool->free_lists[c] = h;
}

// Cuts what is left of the carving chunk into free blocks, largest first.
void salvage_remainder(MPool* pool, MPoolChunk* chunk) {
    while (std::size_t(chunk->end - chunk->cursor) >= kHeader + 8) {
        const std::size_t rest = std::size_t(chunk->end - chunk->cursor);
        int c = mpool_size_class(pool->threshold);  // never cut a block the pool would take for large
        while (c > 0 && class_size(c) + kHeader > rest) --c;
        auto* h = reinterpret_cast<MPoolBlockHeader*>(chunk->cursor);
        h->size = class_size(c);
        chunk->cursor += class_size(c) + kHeader;
        push_free(pool, h, c);
    }
}

}  // namespace

int mpool_size_class(std::size_t n) {
    int c = 0;
    for (std::size_t k = n <= 8 ? 0 : (n - 1) >> 3; k != 0; k >>= 1) ++c;
    return c;
}

std::size_t mpool_granted_size(const MPool* pool, std::size_t n) {
    return n > pool->threshold ? large_size(n) : class_size(mpool_size_class(n));
}

MPool* mpool_create(std::size_t initial, std::size_t maximum) {
    void* mem = std::malloc(sizeof(MPool));
    return mem ? new (mem) MPool(initial, maximum) : nullptr;
}

void mpool_release(MPool* pool) {
    for (MPoolChunk* c = pool->chunks; c;) {
        MPoolChunk* next = c->next;
        std::free(c);
        c = next;
    }
    for (MPoolLarge* l = pool->large; l;) {
        MPoolLarge* next = l->next;
        std::free(l);
        l = next;
    }
    pool->chunks = nullptr;
    pool->large = nullptr;
    for (auto& f : pool->free_lists) f = nullptr;
    pool->next_chunk = pool->initial_chunk;
}

void mpool_destroy(MPool* pool) {
    if (!pool) return;
    mpool_release(pool);
    std::free(pool);
}

void* mpool_alloc(MPool* pool, std::size_t n) {
    if (n > pool->threshold) {
        const std::size_t b = large_size(n);
        auto* l = static_cast<MPoolLarge*>(std::malloc(sizeof(MPoolLarge) + b));
        if (!l) return nullptr;
        l->header = {pool, b};
        l->prev = nullptr;
        l->next = pool->large;
        if (l->next) l->next->prev = l;
        pool->large = l;
        return &l->header + 1;
    }
    const int c = mpool_size_class(n);
    const std::size_t s = class_size(c);
    if (MPoolBlockHeader* h = pool->free_lists[c]) {
        pool->free_lists[c] = static_cast<MPoolBlockHeader*>(h->pool);
        h->pool = pool;
        return h + 1;
    }
    MPoolChunk* chunk = pool->chunks;
    if (!chunk || std::size_t(chunk->end - chunk->cursor) < s + kHeader) {
        std::size_t size = pool->next_chunk;
        while (size < s + kHeader + sizeof(MPoolChunk)) size *= 2;
        auto* fresh = static_cast<MPoolChunk*>(std::malloc(size));
        if (!fresh) return nullptr;
        if (chunk) salvage_remainder(pool, chunk);
        pool->next_chunk = pool->next_chunk * 2 < pool->max_chunk ? pool->next_chunk * 2 : pool->max_chunk;
        fresh->pool = pool;
        fresh->next = chunk;
        fresh->cursor = reinterpret_cast<char*>(fresh + 1);
        fresh->end = reinterpret_cast<char*>(fresh) + size;
        pool->chunks = chunk = fresh;
    }
    auto* h = reinterpret_cast<MPoolBlockHeader*>(chunk->cursor);
    h->pool = pool;
    h->size = s;
    chunk->cursor += s + kHeader;
    return h + 1;
}

void mpool_free(void* block) {
    if (!block) return;
    auto* h = static_cast<MPoolBlockHeader*>(block) - 1;
    auto* pool = static_cast<MPool*>(h->pool);
    if (h->size > pool->threshold) {
        auto* l = reinterpret_cast<MPoolLarge*>(reinterpret_cast<char*>(h) - offsetof(MPoolLarge, header));
        if (l->prev) l->prev->next = l->next; else pool->large = l->next;
        if (l->next) l->next->prev = l->prev;
        std::free(l);
        return;
    }
    push_free(pool, h, mpool_size_class(h->size));
}
