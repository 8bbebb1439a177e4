// Size-class pool for many small, short-lived blocks (line texts, undo texts,
// regex nodes, interpreter payloads). Blocks up to the pool's threshold are
// carved from large chunks and recycled per size class; larger blocks are
// allocated one by one.
#pragma once

#include <atomic>
#include <cstddef>

// Pools serve the UI thread, but the grep program's worker loads files into
// text buffers of its own while the UI thread edits the result view, and the
// line pools are shared. One lock for all pools keeps that sound; uncontended
// it costs one atomic exchange.
class MPoolLock {
public:
    MPoolLock() {
        if (s_flag.test_and_set(std::memory_order_acquire)) Wait();
    }
    ~MPoolLock() { s_flag.clear(std::memory_order_release); }
    MPoolLock(const MPoolLock&) = delete;
    MPoolLock& operator=(const MPoolLock&) = delete;

private:
    static void Wait();
    static std::atomic_flag s_flag;
};

struct MPoolChunk;

// Every block handed out is preceded by this header. While the block sits on
// a free list, `pool` is reused as the link to the next free block.
struct MPoolBlockHeader {
    void* pool;
    std::size_t size;  // class size (8 << n) or, for a large block, its rounded size
};

struct MPool {
    static constexpr int kClasses = 11;  // 8, 16, ... 8192 bytes
    static constexpr std::size_t kMaxThreshold = std::size_t(8) << (kClasses - 1);

    MPoolChunk* chunks = nullptr;            // newest (the carving chunk) first
    MPoolBlockHeader* free_lists[kClasses] = {};
    std::size_t initial_chunk = 0;
    std::size_t next_chunk = 0;
    std::size_t max_chunk = 0;
    std::size_t threshold = 0;

    // Constant-initialisable, so static pools exist before any constructor runs.
    constexpr MPool(std::size_t initial, std::size_t maximum);
};

// Chunk header (16 bytes in the 32-bit build). A large block is a chunk of its
// own whose header is followed by its block header (24 bytes together); it
// has end == null, and its cursor points back to the node before it in the
// chunk list, so that freeing it costs no search.
struct MPoolChunk {
    MPool* pool;
    MPoolChunk* next;
    char* cursor;
    char* end;
};

static_assert(sizeof(void*) != 4 ||
              (sizeof(MPoolBlockHeader) == 8 && sizeof(MPoolChunk) == 16 && sizeof(MPool) == 64));

constexpr std::size_t mpool_round8(std::size_t n) { return (n + 7) & ~std::size_t(7); }

constexpr MPool::MPool(std::size_t initial, std::size_t maximum) {
    initial_chunk = mpool_round8(initial) < 1024 ? 1024 : mpool_round8(initial);
    next_chunk = initial_chunk;
    max_chunk = mpool_round8(maximum) < initial_chunk ? initial_chunk : mpool_round8(maximum);
    threshold = kMaxThreshold;
    // A chunk must hold its header and the largest class block.
    const std::size_t room = max_chunk - sizeof(MPoolChunk) - sizeof(MPoolBlockHeader);
    while (threshold > 8 && threshold > room) threshold >>= 1;
}

// Creates a pool on the heap; null when even that fails. No chunk is made
// before the first allocation.
MPool* mpool_create(std::size_t initial, std::size_t maximum);
// Frees every chunk and large block of the pool and the pool itself (for
// pools made by mpool_create).
void mpool_destroy(MPool* pool);
// Returns every chunk and large block to the system, leaving the pool empty
// and usable (for static pools at program exit).
void mpool_release(MPool* pool);

// At least size bytes, or null when the system allocation fails.
void* mpool_alloc(MPool* pool, std::size_t size);
// The same for a caller that holds MPoolLock (bulk work takes it once).
void* mpool_alloc_locked(MPool* pool, std::size_t size);
// A block of exactly size bytes rounded to 8, not to its class, for blocks
// that rarely change size (the lines of a loaded file). Freed, it serves the
// largest class it can hold. The caller holds MPoolLock.
void* mpool_alloc_exact_locked(MPool* pool, std::size_t size);
// Gives a block back to the pool it came from; null is ignored.
void mpool_free(void* block);
// The block's recorded size: what the caller may use.
inline std::size_t mpool_block_size(const void* block) {
    return (static_cast<const MPoolBlockHeader*>(block) - 1)->size;
}

// Where both pool kinds get their memory from the system (malloc and free by
// default). Tests install failing allocators to check the out-of-memory paths.
struct MPoolSystemAllocator {
    void* (*alloc)(std::size_t size);
    void (*free)(void* block);
};
// Installs a new allocator and returns the previous one. Blocks must go back
// through the allocator that made them.
MPoolSystemAllocator mpool_set_system_allocator(const MPoolSystemAllocator& allocator);
void* mpool_system_alloc(std::size_t size);
void mpool_system_free(void* block);

// Tells the system that a large block will be filled front to back: on
// Linux its whole 2 MiB pages may become huge pages, and with prefault its
// pages are faulted in at once. Elsewhere nothing.
void mpool_advise_sequential(void* block, std::size_t size, bool prefault);

// The size class of a small request: 8 << mpool_size_class(n) >= n.
int mpool_size_class(std::size_t n);
// The size a request of n bytes is given (class size, or for large blocks the
// size rounded up to a multiple of 1024).
std::size_t mpool_granted_size(const MPool* pool, std::size_t n);
