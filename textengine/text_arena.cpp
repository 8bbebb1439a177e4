#include "textengine/text_arena.h"

#include <cstdint>
#include <utility>

#include "textengine/mpool.h"

char16_t* CTextArena::Alloc(std::size_t units) {
    if (units > (SIZE_MAX / 4) / sizeof(char16_t)) return nullptr;
    if (static_cast<std::size_t>(m_end - m_cursor) < units) {
        const std::size_t need = sizeof(Chunk) + units * sizeof(char16_t);
        std::size_t bytes = m_nextBytes;
        while (bytes < need) bytes *= 2;
        auto* chunk = static_cast<Chunk*>(mpool_system_alloc(bytes));
        if (!chunk) return nullptr;
        chunk->next = m_chunks;
        m_chunks = chunk;
        m_reserved += bytes;
        m_cursor = reinterpret_cast<char16_t*>(chunk + 1);
        m_end = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(chunk) + bytes);
        if (m_nextBytes < kMaxChunk) m_nextBytes *= 2;
    }
    char16_t* block = m_cursor;
    m_cursor += units;
    return block;
}

void CTextArena::Release() {
    while (Chunk* chunk = m_chunks) {
        m_chunks = chunk->next;
        mpool_system_free(chunk);
    }
    m_cursor = m_end = nullptr;
    m_nextBytes = kFirstChunk;
    m_reserved = 0;
}

void CTextArena::Swap(CTextArena& other) {
    std::swap(m_chunks, other.m_chunks);
    std::swap(m_cursor, other.m_cursor);
    std::swap(m_end, other.m_end);
    std::swap(m_nextBytes, other.m_nextBytes);
    std::swap(m_reserved, other.m_reserved);
}
