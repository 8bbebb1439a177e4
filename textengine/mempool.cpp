#include "textengine/mempool.h"

#include <cstdlib>

#include "textengine/mpool.h"

std::size_t CMemPool::ItemStride() const {
    // Items hold pointers (and the free link), so keep them pointer-aligned;
    // in the 32-bit build this is the size rounded up to 4.
    constexpr std::size_t a = alignof(void*) > 4 ? alignof(void*) : 4;
    const std::size_t size = m_itemSize < sizeof(FreeItem) ? sizeof(FreeItem) : m_itemSize;
    return (size + a - 1) & ~(a - 1);
}

namespace {

constexpr std::size_t kSlabHead = (sizeof(void*) + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
constexpr std::size_t kMaxSlab = std::size_t(8) << 20;  // as the line text pool's largest chunk

}  // namespace

int CMemPool::GrowLocked() {
    const std::size_t stride = ItemStride();
    const std::size_t count = m_itemsPerBlock ? m_itemsPerBlock : 1;
    const std::size_t blockBytes = stride * count;
    if (std::size_t(m_slabEnd - m_slabCursor) < blockBytes) {
        // The next slab holds twice the blocks of the last one; once that
        // passes half of kMaxSlab, slabs are exactly kMaxSlab bytes (whole
        // huge pages where the system has them).
        std::size_t blocks = m_slabBlocks ? m_slabBlocks * 2 : 1;
        std::size_t bytes = kSlabHead + blocks * blockBytes;
        if (bytes > kMaxSlab / 2 && kSlabHead + blockBytes <= kMaxSlab) {
            blocks = (kMaxSlab - kSlabHead) / blockBytes;
            bytes = kMaxSlab;
        }
        auto* node = static_cast<BlockNode*>(mpool_system_alloc(bytes));
        if (!node) return 1;
        node->next = m_blocks;
        m_blocks = node;
        m_slabBlocks = blocks;
        m_slabCursor = reinterpret_cast<char*>(node) + kSlabHead;
        m_slabEnd = m_slabCursor + blocks * blockBytes;
    }
    char* items = m_slabCursor;
    m_slabCursor += blockBytes;
    for (std::size_t i = 0; i < count; ++i) {
        auto* item = reinterpret_cast<FreeItem*>(items + i * stride);
        item->next = i + 1 < count ? reinterpret_cast<FreeItem*>(items + (i + 1) * stride) : m_free;
    }
    m_free = reinterpret_cast<FreeItem*>(items);
    return 0;
}

void CMemPool::FreeAll() {
    MPoolLock lock;
    while (m_blocks) {
        BlockNode* next = m_blocks->next;
        mpool_system_free(m_blocks);
        m_blocks = next;
    }
    m_free = nullptr;
    m_slabCursor = m_slabEnd = nullptr;
    m_slabBlocks = 0;
}
