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

int CMemPool::Grow() {
    const std::size_t stride = ItemStride();
    const std::size_t count = m_itemsPerBlock ? m_itemsPerBlock : 1;
    constexpr std::size_t head = (sizeof(BlockNode) + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    auto* node = static_cast<BlockNode*>(mpool_system_alloc(head + stride * count));
    if (!node) return 1;
    node->next = m_blocks;
    m_blocks = node;
    char* items = reinterpret_cast<char*>(node) + head;
    for (std::size_t i = 0; i < count; ++i) {
        auto* item = reinterpret_cast<FreeItem*>(items + i * stride);
        item->next = i + 1 < count ? reinterpret_cast<FreeItem*>(items + (i + 1) * stride) : m_free;
    }
    m_free = reinterpret_cast<FreeItem*>(items);
    return 0;
}

void CMemPool::FreeAll() {
    while (m_blocks) {
        BlockNode* next = m_blocks->next;
        mpool_system_free(m_blocks);
        m_blocks = next;
    }
    m_free = nullptr;
}
