// Fixed-size item pool (line records, undo records) with one free list.
// Callers take an item with Alloc and give it back with Free; memory returns
// to the system only through FreeAll. Guarded by the pools' lock (mpool.h).
#pragma once

#include <cstddef>

#include "textengine/mpool.h"

class CMemPool {
public:
    constexpr CMemPool(std::size_t itemSize, std::size_t itemsPerBlock)
        : m_itemSize(itemSize), m_itemsPerBlock(itemsPerBlock) {}
    CMemPool(const CMemPool&) = delete;
    CMemPool& operator=(const CMemPool&) = delete;

    // An uninitialised item, or null when memory is short.
    void* Alloc() {
        MPoolLock lock;
        return AllocLocked();
    }
    // The same for a caller that holds MPoolLock.
    void* AllocLocked() {
        if (!m_free && GrowLocked() != 0) return nullptr;
        FreeItem* item = m_free;
        m_free = item->next;
        return item;
    }
    void Free(void* item) {
        if (!item) return;
        MPoolLock lock;
        auto* f = static_cast<FreeItem*>(item);
        f->next = m_free;
        m_free = f;
    }

    // Adds one block of items-per-block items to the free list: 0, or 1 when
    // memory is short.
    int Grow() {
        MPoolLock lock;
        return GrowLocked();
    }
    // Frees every block; every item handed out becomes invalid.
    void FreeAll();

    // The size of one item as laid out in a block.
    std::size_t ItemStride() const;
    std::size_t ItemsPerBlock() const { return m_itemsPerBlock; }

private:
    int GrowLocked();

    struct FreeItem { FreeItem* next; };
    struct BlockNode { BlockNode* next; };  // heads each slab, blocks follow

    std::size_t m_itemSize;
    std::size_t m_itemsPerBlock;
    BlockNode* m_blocks = nullptr;
    FreeItem* m_free = nullptr;
    // Blocks are cut from slabs that double up to a few megabytes, so a
    // big file's records come in few system allocations.
    char* m_slabCursor = nullptr;
    char* m_slabEnd = nullptr;
    std::size_t m_slabBlocks = 0;  // blocks in the last slab
};
