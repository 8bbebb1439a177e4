#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "textengine/mempool.h"
#include "textengine/mpool.h"

namespace {

constexpr std::size_t kHeader = sizeof(MPoolBlockHeader);

struct PoolFixture : ::testing::Test {
    MPool* pool = mpool_create(0x40000, 0x800000);
    ~PoolFixture() override { mpool_destroy(pool); }
};

TEST_F(PoolFixture, RequestsGetClassSizesOrLargeBlocksRoundedTo1024) {
    struct Case { std::size_t request, granted; };
    const Case cases[] = {{1, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 32}, {100, 128},
                          {4097, 8192}, {8192, 8192}, {8193, 9216}, {20000, 20480}};
    for (const Case& c : cases) {
        void* p = mpool_alloc(pool, c.request);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(mpool_block_size(p), c.granted) << c.request;
        std::memset(p, 0xAB, c.granted);  // the whole granted size is usable
        mpool_free(p);
    }
}

TEST_F(PoolFixture, FreedBlockIsReusedForTheSameClassOnly) {
    void* a = mpool_alloc(pool, 16);
    mpool_free(a);
    EXPECT_NE(mpool_alloc(pool, 17), a);
    EXPECT_EQ(mpool_alloc(pool, 9), a);
}

void* AllocExact(MPool* pool, std::size_t n) {
    MPoolLock lock;
    return mpool_alloc_exact_locked(pool, n);
}

TEST_F(PoolFixture, ExactBlocksServeTheLargestClassTheyHoldOnceFreed) {
    struct Case { std::size_t request, granted, reusedBy, notBy; };
    const Case cases[] = {{100, 104, 64, 65}, {33, 40, 32, 33}, {9000, 9216, 0, 0}};
    for (const Case& c : cases) {
        void* p = AllocExact(pool, c.request);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(mpool_block_size(p), c.granted) << c.request;
        std::memset(p, 0xAB, c.granted);
        mpool_free(p);
        if (!c.reusedBy) continue;
        EXPECT_NE(mpool_alloc(pool, c.notBy), p) << c.request;
        void* again = mpool_alloc(pool, c.reusedBy);
        EXPECT_EQ(again, p) << c.request;
        EXPECT_EQ(mpool_block_size(again), c.reusedBy);
    }
    // A class size is taken as it stands, and may come from a free list.
    void* a = mpool_alloc(pool, 128);
    mpool_free(a);
    EXPECT_EQ(AllocExact(pool, 121), a);
}

int ChunkCount(const MPool* pool) {
    int n = 0;
    for (const MPoolChunk* c = pool->chunks; c; c = c->next) ++n;
    return n;
}

TEST_F(PoolFixture, LargeBlocksAreFreedInAnyOrderAroundTheChunks) {
    std::vector<void*> blocks;
    for (int i = 0; i < 5; ++i) {
        blocks.push_back(mpool_alloc(pool, 10000 + i * 5000));
        if (i == 1) blocks.push_back(mpool_alloc(pool, 100));  // a chunk in front of the first two
    }
    EXPECT_EQ(ChunkCount(pool), 6);
    for (int i : {3, 0, 5, 1, 4}) {  // blocks[2] is the small one
        std::memset(blocks[i], 0x11, mpool_block_size(blocks[i]));
        mpool_free(blocks[i]);
    }
    EXPECT_EQ(ChunkCount(pool), 1);  // only the carving chunk is left
    EXPECT_EQ(pool->chunks->end - pool->chunks->cursor > 0, true);
    void* small = mpool_alloc(pool, 100);  // carving goes on from it
    EXPECT_EQ(ChunkCount(pool), 1);
    mpool_free(small);
    mpool_free(blocks[2]);
}

TEST(MPoolThreshold, FollowsTheMaximumChunkSize) {
    MPool undo(64, 64);  // chunks of 1024 bytes
    EXPECT_EQ(undo.initial_chunk, 1024u);
    EXPECT_EQ(undo.max_chunk, 1024u);
    EXPECT_EQ(undo.threshold, 512u);
    EXPECT_EQ(mpool_block_size(mpool_alloc(&undo, 513)), 1024u);  // large beyond the threshold
    MPool lines(0x40000, 0x800000);
    EXPECT_EQ(lines.threshold, 8192u);
    mpool_release(&undo);
}

// Leaves exactly `left` bytes in the carving chunk, then forces a new chunk.
// Returns the classes that the leftover went to.
std::vector<std::size_t> salvage(std::size_t left) {
    MPool pool(1024, 1024);
    mpool_alloc(&pool, 8);
    pool.chunks->cursor = pool.chunks->end - left;
    mpool_alloc(&pool, 512);
    std::vector<std::size_t> sizes;
    for (auto* head : pool.free_lists)
        for (MPoolBlockHeader* h = head; h; h = static_cast<MPoolBlockHeader*>(h->pool)) sizes.push_back(h->size);
    mpool_release(&pool);
    return sizes;
}

TEST(MPoolChunks, LeftoverIsCutIntoFreeBlocksLargestFirst) {
    // 96 bytes with 8-byte headers: 64 + 8, then 16 + 8 of the remaining 24.
    // (Carving keeps leftovers 8-aligned.)
    const std::size_t left = 64 + kHeader + 16 + kHeader;
    EXPECT_EQ(salvage(left), (std::vector<std::size_t>{16, 64}));
    EXPECT_EQ(salvage(kHeader + 8), (std::vector<std::size_t>{8}));
}

TEST(MPoolChunks, TinyLeftoverIsDropped) {
    EXPECT_TRUE(salvage(kHeader).empty());
    EXPECT_TRUE(salvage(0).empty());
}

TEST(CMemPoolTest, ItemsAreDistinctRecycledAndAligned) {
    CMemPool pool(36, 4);
    std::set<void*> seen;
    std::vector<void*> items;
    for (int i = 0; i < 10; ++i) {  // crosses block boundaries
        void* p = pool.Alloc();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(void*), 0u);
        std::memset(p, 0x5A, 36);
        EXPECT_TRUE(seen.insert(p).second);
        items.push_back(p);
    }
    pool.Free(items[3]);
    EXPECT_EQ(pool.Alloc(), items[3]);
    EXPECT_GE(pool.ItemStride(), 36u);
    EXPECT_EQ(pool.ItemStride() % 4, 0u);
    pool.FreeAll();
    EXPECT_NE(pool.Alloc(), nullptr);  // usable again after FreeAll
    pool.FreeAll();
}

}  // namespace
