#include "textengine/mpool.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#if defined(__linux__)
#include <sys/mman.h>
#endif

std::atomic_flag MPoolLock::s_flag;

void MPoolLock::Wait() {
    while (s_flag.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
}

namespace {

#if defined(__linux__)
// Pool chunks are carved front to back and every byte of them gets used.
// Loading a big file touches hundreds of megabytes of fresh memory, and one
// trap per 4 KiB page would cost more than reading and decoding: chunks of
// whole huge pages are aligned so the system can back them with huge pages
// (a fault per 2 MiB, taken only as the chunk fills), and smaller chunks are
// faulted in by one call. The memory still goes back through free(). A
// block above the pools' largest chunk may be room a long line can grow
// into and never fill: it is not faulted in ahead.
constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kPrefaultFrom = std::size_t(64) << 10;
constexpr std::size_t kPrefaultTo = std::size_t(8) << 20;

bool huge_pages_on() {
    static const bool on = [] {
        std::FILE* f = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
        if (!f) return false;
        char line[128] = {};
        const bool read = std::fgets(line, sizeof line, f) != nullptr;
        std::fclose(f);
        return read && !std::strstr(line, "[never]");
    }();
    return on;
}

void* chunk_alloc(std::size_t size) {
    void* p = nullptr;
    const bool huge = size >= kHugePage && size % kHugePage == 0 && huge_pages_on();
    if (huge) {
        if (posix_memalign(&p, kHugePage, size) != 0) return nullptr;
    } else {
        p = std::malloc(size);
    }
    if (p && size >= kPrefaultFrom) mpool_advise_sequential(p, size, !huge && size <= kPrefaultTo);
    return p;
}

MPoolSystemAllocator g_system = {chunk_alloc, std::free};
#else
MPoolSystemAllocator g_system = {std::malloc, std::free};
#endif

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

MPoolSystemAllocator mpool_set_system_allocator(const MPoolSystemAllocator& allocator) {
    MPoolSystemAllocator old = g_system;
    g_system = allocator;
    return old;
}

void* mpool_system_alloc(std::size_t size) { return g_system.alloc(size); }

void mpool_advise_sequential(void* block, std::size_t size, bool prefault) {
#if defined(__linux__)
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it harmlessly
#endif
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t hugeFrom = (at + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t hugeTo = (at + size) & ~(kHugePage - 1);
#ifdef MADV_HUGEPAGE
    if (hugeTo > hugeFrom) madvise(reinterpret_cast<void*>(hugeFrom), hugeTo - hugeFrom, MADV_HUGEPAGE);
#endif
    const std::uintptr_t page = 4096;
    const std::uintptr_t from = (at + page - 1) & ~(page - 1);
    const std::uintptr_t to = (at + size) & ~(page - 1);
    if (prefault && to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
    (void)block;
    (void)size;
    (void)prefault;
#endif
}
void mpool_system_free(void* block) { g_system.free(block); }

int mpool_size_class(std::size_t n) {
    int c = 0;
    for (std::size_t k = n <= 8 ? 0 : (n - 1) >> 3; k != 0; k >>= 1) ++c;
    return c;
}

std::size_t mpool_granted_size(const MPool* pool, std::size_t n) {
    return n > pool->threshold ? large_size(n) : class_size(mpool_size_class(n));
}

MPool* mpool_create(std::size_t initial, std::size_t maximum) {
    void* mem = mpool_system_alloc(sizeof(MPool));
    return mem ? new (mem) MPool(initial, maximum) : nullptr;
}

void mpool_release(MPool* pool) {
    MPoolLock lock;
    for (MPoolChunk* c = pool->chunks; c;) {
        MPoolChunk* next = c->next;
        mpool_system_free(c);
        c = next;
    }
    pool->chunks = nullptr;
    for (auto& f : pool->free_lists) f = nullptr;
    pool->next_chunk = pool->initial_chunk;
}

void mpool_destroy(MPool* pool) {
    if (!pool) return;
    mpool_release(pool);
    mpool_system_free(pool);
}

namespace {

bool is_large(const MPoolChunk* c) { return c->end == nullptr; }

// Links node in front of `next` and tells a large `next` of its new neighbour.
void link_before(MPoolChunk* next, MPoolChunk* node) {
    node->next = next;
    if (next && is_large(next)) next->cursor = reinterpret_cast<char*>(node);
}

}  // namespace

namespace {
void* carve(MPool* pool, std::size_t s);
}  // namespace

void* mpool_alloc(MPool* pool, std::size_t n) {
    MPoolLock lock;
    return mpool_alloc_locked(pool, n);
}

void* mpool_alloc_locked(MPool* pool, std::size_t n) {
    // No block of half the address space can be had, and rounding larger
    // sizes up would wrap them to small ones.
    if (n > SIZE_MAX / 2) return nullptr;
    if (n > pool->threshold) {
        const std::size_t b = large_size(n);
        auto* c = static_cast<MPoolChunk*>(mpool_system_alloc(sizeof(MPoolChunk) + kHeader + b));
        if (!c) return nullptr;
        c->pool = pool;
        c->end = nullptr;
        // Directly behind the carving chunk, so that the carving chunk stays first.
        MPoolChunk* head = pool->chunks;
        if (head) {
            link_before(head->next, c);
            head->next = c;
            c->cursor = reinterpret_cast<char*>(head);
        } else {
            c->next = nullptr;
            c->cursor = nullptr;
            pool->chunks = c;
        }
        auto* h = reinterpret_cast<MPoolBlockHeader*>(c + 1);
        *h = {pool, b};
        return h + 1;
    }
    const int c = mpool_size_class(n);
    const std::size_t s = class_size(c);
    if (MPoolBlockHeader* h = pool->free_lists[c]) {
        pool->free_lists[c] = static_cast<MPoolBlockHeader*>(h->pool);
        h->pool = pool;
        return h + 1;
    }
    return carve(pool, s);
}

void* mpool_alloc_exact_locked(MPool* pool, std::size_t n) {
    if (n > SIZE_MAX / 2) return nullptr;
    const std::size_t s = mpool_round8(n < 8 ? 8 : n);
    if (s > pool->threshold || class_size(mpool_size_class(s)) == s) return mpool_alloc_locked(pool, n);
    return carve(pool, s);
}

namespace {

// A fresh block of s bytes (a multiple of 8) from the carving chunk.
void* carve(MPool* pool, std::size_t s) {
    MPoolChunk* chunk = pool->chunks;
    if (!chunk || is_large(chunk) || std::size_t(chunk->end - chunk->cursor) < s + kHeader) {
        std::size_t size = pool->next_chunk;
        while (size < s + kHeader + sizeof(MPoolChunk)) size *= 2;
        auto* fresh = static_cast<MPoolChunk*>(mpool_system_alloc(size));
        if (!fresh) return nullptr;
        if (chunk && !is_large(chunk)) salvage_remainder(pool, chunk);
        pool->next_chunk = pool->next_chunk * 2 < pool->max_chunk ? pool->next_chunk * 2 : pool->max_chunk;
        fresh->pool = pool;
        fresh->cursor = reinterpret_cast<char*>(fresh + 1);
        fresh->end = reinterpret_cast<char*>(fresh) + size;
        link_before(chunk, fresh);
        pool->chunks = chunk = fresh;
    }
    auto* h = reinterpret_cast<MPoolBlockHeader*>(chunk->cursor);
    h->pool = pool;
    h->size = s;
    chunk->cursor += s + kHeader;
    return h + 1;
}

}  // namespace

void mpool_free(void* block) {
    if (!block) return;
    MPoolLock lock;
    auto* h = static_cast<MPoolBlockHeader*>(block) - 1;
    auto* pool = static_cast<MPool*>(h->pool);
    if (h->size > pool->threshold) {
        auto* c = reinterpret_cast<MPoolChunk*>(h) - 1;
        auto* prev = reinterpret_cast<MPoolChunk*>(c->cursor);
        if (prev) prev->next = c->next;
        else pool->chunks = c->next;
        if (c->next && is_large(c->next)) c->next->cursor = reinterpret_cast<char*>(prev);
        mpool_system_free(c);
        return;
    }
    // A block cut to its exact size joins the largest class it can serve.
    int c = mpool_size_class(h->size);
    if (class_size(c) != h->size) h->size = class_size(--c);
    push_free(pool, h, c);
}
